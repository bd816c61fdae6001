#!/usr/bin/env bash
# Checks the Debian packages of a package build the way a desk would meet
# them: unpacked into a scratch root, the command runs, its manual page shows,
# the README's commands work against it and the development package holds what
# a program needs to build against the library.
# Usage: scripts/package-check.sh PACKAGE_BUILD_DIR
set -euo pipefail
build=$1
source_dir=$(cd "$(dirname "$0")/.." && pwd)
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
runtime=$(ls "$build"/quillon_*.deb)
dev=$(ls "$build"/libquillon-dev_*.deb)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
# (Outputs are read whole first: grep -q closing a pipe early would fail it.)
info=$(dpkg-deb --info "$dev")
grep -qF "Depends: quillon (= " <<<"$info" || fail "libquillon-dev does not depend on quillon"
for deb in "$runtime" "$dev"; do dpkg -x "$deb" "$root"; done
quillon=$root/usr/bin/quillon
[[ $("$quillon" --version) == "quillon "* ]] || fail "quillon --version"
page=$root/usr/share/man/man1/quillon.1
warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null || true)
[ -z "$warnings" ] || fail "man -l warns: $warnings"
shown=$(MANWIDTH=80 man -l "$page")
grep -q "export-library" <<<"$shown" || fail "the manual page does not show"
for file in usr/share/bash-completion/completions/quillon usr/share/doc/quillon/copyright \
  usr/share/doc/quillon/changelog usr/share/quillon/AccordedCheck.xsl usr/include/quillon/dbfunc.h \
  usr/lib/*/cmake/quillon/quillonConfig.cmake usr/lib/*/pkgconfig/quillon.pc usr/lib/*/quillon/libquillon_libxml.so usr/lib/*/quillon/libquillon_pg.so; do
  compgen -G "$root/$file" >/dev/null || fail "the packages lack /$file"
done
# Completion offers the commands and a command's options.
completions() {
  # shellcheck disable=SC1091
  (PATH=$root/usr/bin:$PATH; source "$root/usr/share/bash-completion/completions/quillon"
   COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _quillon; printf '%s\n' "${COMPREPLY[@]}")
}
offered=$(completions quillon ex)
grep -qx export-library <<<"$offered" || fail "completion does not offer export-library: $offered"
offered=$(completions quillon import --ch)
grep -qx -- --check <<<"$offered" || fail "completion does not offer import --check: $offered"
bash "$source_dir/tests/readme_commands_test.sh" "$quillon" "$source_dir/README.md" ||
  fail "the README's commands fail against the packaged command"
echo "packages $(basename "$runtime") and $(basename "$dev"): checked"
