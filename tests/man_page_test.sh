#!/usr/bin/env bash
# The manual page covers what --help says: every command has its section,
# and every option of the command line and of each command is described there.
set -euo pipefail
Q=$1
PAGE=$2
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# The page's text without roff's escapes and font changes.
plain=$(sed -e 's/\\f[BIRP]//g' -e 's/\\-/-/g' -e 's/\\(em/-/g' "$PAGE")
section() { awk -v name="$1" '/^\.SS /{on = ($2 == name)} /^\.SH /{on = 0} on' <<<"$plain"; }
options() { grep -o -- '--[a-z][a-z-]*' | grep -vx -- '--help\|--help-all' | sort -u; }

commands=$("$Q" --help | sed -n '/^Subcommands:/,/^$/s/^  \([a-z-]*\) .*/\1/p')
[ -n "$commands" ] || fail "quillon --help lists no commands"
for option in $("$Q" --help | sed -n '/^Options:/,/^$/p' | options); do
  awk '/^\.SH OPTIONS/{on = 1; next} /^\.SH /{on = 0} on' <<<"$plain" | grep -qF -- "$option" ||
    fail "the page's OPTIONS lack $option"
done
for command in $commands; do
  text=$(section "$command")
  [ -n "$text" ] || fail "the page has no section for $command"
  for option in $("$Q" help "$command" | sed -n '/^Options:/,/^$/p' | options); do
    grep -qF -- "$option" <<<"$text" || fail "the page's section $command lacks $option"
  done
done
# And it is a page man can show without complaint.
if command -v man >/dev/null; then
  warnings=$(MANWIDTH=80 man --warnings -l "$PAGE" 2>&1 >/dev/null || true)
  [ -z "$warnings" ] || fail "man warns: $warnings"
fi
echo "the manual page covers $(wc -w <<<"$commands") commands and their options"
