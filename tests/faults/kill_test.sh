#!/usr/bin/env bash
# A process killed (SIGKILL) in the middle of an export, an import and a
# new-bs: the package is the old one or the whole new one, the database holds
# none of the killed operation's rows (all of them when the kill came after
# the commit) and is whole, and the next run works.
source "$(dirname "$0")/lib.sh"
home=$work/home
big_home "$home" 40000
delays=(0.05 0.1 0.2 0.3 0.5 0.8)

# Export: the reference is a finished export; the "old" package is another.
"$Q" --home "$home" --answer yes export --project 1 "$work/ref/plan/plan.xml" >/dev/null
reference=$work/ref/plan/plan.xml
mkdir -p "$work/out/plan"
echo '<?xml version="1.0"?><Table/>' >"$work/out/plan/plan.xml"
old=$(cat "$work/out/plan/plan.xml")
kills=0
for delay in "${delays[@]}"; do
  outcome=$(run_killed_after "$delay" "$Q" --home "$home" --answer yes export --project 1 "$work/out/plan/plan.xml")
  case $outcome in
    killed) kills=$((kills + 1)) ;;
    finished) ;;
    *) fail "export $outcome" ;;
  esac
  if ! cmp -s "$work/out/plan/plan.xml" "$reference" && [ "$(cat "$work/out/plan/plan.xml")" != "$old" ]; then
    fail "export $outcome after ${delay}s left a package that is neither the old nor the new one"
  fi
  echo "export $outcome after ${delay}s: package whole"
done
[ $kills -gt 0 ] || fail "no export was killed mid-way: the test proves nothing"

# Runs the command to its end once, then once per delay, killed then if
# still running. A killed run leaves none of its tree rows or, killed after
# its commit, all of them: never a part. The database is whole after each.
kill_rounds() {
  local what=$1 before now whole outcome kills=0
  shift
  before=$(tree_rows "$home")
  "$@" >/dev/null
  whole=$(($(tree_rows "$home") - before))
  for delay in "${delays[@]}"; do
    before=$(tree_rows "$home")
    outcome=$(run_killed_after "$delay" "$@")
    integrity_ok "$home"
    now=$(tree_rows "$home")
    case $outcome in
      killed)
        kills=$((kills + 1))
        [ $((now - before)) -eq 0 ] || [ $((now - before)) -eq "$whole" ] ||
          fail "$what killed after ${delay}s left $((now - before)) of its $whole tree rows"
        ;;
      finished) [ $((now - before)) -eq "$whole" ] || fail "$what stored $((now - before)) of $whole rows" ;;
      *) fail "$what $outcome" ;;
    esac
    echo "$what $outcome after ${delay}s: database whole, $((now - before)) of $whole tree rows"
  done
  [ $kills -gt 0 ] || fail "no $what was killed mid-way"
}

# Import of the large package: all or nothing.
kill_rounds import "$Q" --home "$home" import "$reference" --parent 0 --layer 0 --doc-root "$work/docs"
before=$(tree_rows "$home")
"$Q" --home "$home" import "$reference" --parent 0 --layer 0 --doc-root "$work/docs" >/dev/null
[ "$(tree_rows "$home")" -gt "$before" ] || fail "the import after the kills stored nothing"
# The killed imports' staging folders went with that import.
leftovers=$(find "$work/docs" -maxdepth 1 -name '.quillon-import-*')
[ -z "$leftovers" ] || fail "staging folders of killed imports are left: $leftovers"

# new-bs from a large template.
template=$("$Q" --home "$home" save-template --project 1 --name 大模板 | sed -n 's/^resource //p')
kill_rounds new-bs "$Q" --home "$home" new-bs --template "$template" --name 新项目 --root 根
"$Q" --home "$home" new-bs --template "$template" --name 新项目 --root 根 >/dev/null
echo "kill test passed"
