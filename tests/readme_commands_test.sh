#!/usr/bin/env bash
# Every "$ " line of the README's console blocks must work as written: they
# run in order, in one empty folder, with `quillon` the command just built.
# A line ending in "# exit N" must exit with N; every other line with 0.
# With a third argument (a server's connection string without a database
# name), each installation the README makes is a desk of a database of its
# own there: the host's examples run on the server as written.
set -uo pipefail
QUILLON=$1
README=$2
server=${3:-}
work=$(mktemp -d)
source "$(dirname "$0")/scratch_databases.sh"
cleanup() {
  drop_databases
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/bin" "$work/run"
ln -s "$(realpath "$QUILLON")" "$work/bin/quillon"
export PATH="$work/bin:$PATH"
unset QUILLON_HOME

mapfile -t commands < <(awk '/^```console$/ {on = 1; next} /^```/ {on = 0} on && /^\$ / {print substr($0, 3)}' "$README")
[ "${#commands[@]}" -ge 20 ] || { echo "found only ${#commands[@]} README commands"; exit 1; }
failed=0
for line in "${commands[@]}"; do
  want=0
  [[ $line =~ \#\ exit\ ([0-9]+)$ ]] && want=${BASH_REMATCH[1]}
  if [ -n "$server" ] && [[ $line =~ --home\ ([a-z]+)\ init ]]; then
    db="quillon_readme_${BASH_REMATCH[1]}_$$"
    new_database "$db" || exit 1
    line="$line --server '$server dbname=$db'"
  fi
  out=$(cd "$work/run" && bash -c "$line" 2>&1 </dev/null)
  got=$?
  if [ "$got" -ne "$want" ]; then
    printf 'FAILED (exit %s, wanted %s): %s\n%s\n' "$got" "$want" "$line" "$out"
    failed=1
  fi
done
[ "$failed" -eq 0 ] && echo "${#commands[@]} README commands ran as written"
exit "$failed"
