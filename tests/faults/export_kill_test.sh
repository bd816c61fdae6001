#!/usr/bin/env bash
# Exports killed with SIGKILL while their package is being written leave
# their temporary files; the next export into that folder removes them, and
# keeps those of writers still running.
source "$(dirname "$0")/lib.sh"
home=$work/home
big_home "$home" 30000
out=$work/out
mkdir -p "$out"
# Stand-ins for a running writer's files: this script is alive.
touch "$out/.quillon-tmp-$$-alive" "$out/.quillon-partial-$$-alive.xml"
# A killed export may leave its package under either kind of temporary name.
watch="$out/.quillon-*-[0-9]*"

for kind in tender bid; do
  if [ $kind = tender ]; then
    args=(export --project 1 "$out/plan.xml")
  else
    args=(export --bid --project 1 "$out/bid.xml")
  fi
  killed=0
  for try in $(seq 1 5); do
    (
      trap - EXIT
      exec "$Q" --home "$home" --answer yes "${args[@]}" >/dev/null 2>&1
    ) &
    pid=$!
    while kill -0 $pid 2>/dev/null; do
      if [ "$(cat /proc/$pid/comm 2>/dev/null)" = quillon ] && compgen -G "$out/.quillon-*-$pid-*" >/dev/null; then
        kill -KILL $pid 2>/dev/null || true
        break
      fi
    done
    status=0
    wait $pid 2>/dev/null || status=$?
    [ $status -eq 137 ] && killed=$((killed + 1))
  done
  [ $killed -gt 0 ] || fail "no $kind export was killed while writing"
  left=$(compgen -G "$watch" | grep -vc -- "-$$-alive" || true)
  [ "$left" -gt 0 ] || fail "$killed killed $kind export(s) left no temporary file to test the clean-up with"
  "$Q" --home "$home" --answer yes "${args[@]}" >/dev/null || fail "the $kind export after the kills failed"
  left=$(compgen -G "$watch" | grep -v -- "-$$-alive" || true)
  [ -z "$left" ] || fail "the $kind export left what killed exports wrote: $left"
  echo "$kind export killed $killed time(s) while writing: the next export removed $kind leftovers"
done
[ -e "$out/.quillon-tmp-$$-alive" ] && [ -e "$out/.quillon-partial-$$-alive.xml" ] ||
  fail "an export removed the temporary file of a process still running"
"$Q" --home "$home" import --check "$out/plan.xml" >/dev/null || fail "the package written after the kills does not check"
echo "export kill test passed"
