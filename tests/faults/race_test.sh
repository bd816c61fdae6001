#!/usr/bin/env bash
# Two processes racing to create objects on one database: exactly one wins,
# the other is refused at once with DBF-00001, and the database stays whole.
source "$(dirname "$0")/lib.sh"
home=$work/home
big_home "$home" 20000
template=$("$Q" --home "$home" save-template --project 1 --name 大模板 | sed -n 's/^resource //p')
before=$(tree_rows "$home")

race() {
  local side=$1 start end status=0
  start=$(date +%s%N)
  "$Q" --home "$home" new-bs --template "$template" --name "竞争$side" --root 根 >/dev/null 2>"$work/err.$side" ||
    status=$?
  end=$(date +%s%N)
  echo "$status $(((end - start) / 1000000))" >"$work/result.$side"
}
for round in 1 2 3; do
  race a &
  race b &
  wait
  read -r status_a took_a <"$work/result.a"
  read -r status_b took_b <"$work/result.b"
  wins=0
  for side in a b; do
    read -r status took <"$work/result.$side"
    if [ "$status" -eq 0 ]; then
      wins=$((wins + 1))
    else
      [ "$status" -eq 3 ] || fail "the losing new-bs exited $status"
      grep -qF "DBF-00001" "$work/err.$side" || fail "the loser was not refused with DBF-00001: $(cat "$work/err.$side")"
      # At once: well before the winner's copy could have ended.
      [ "$took" -lt 1000 ] || fail "the loser waited ${took} ms before it was refused"
    fi
  done
  [ $wins -eq 1 ] || fail "round $round: $wins of two racing new-bs won (statuses $status_a, $status_b)"
  integrity_ok "$home"
  echo "round $round: one won, the other refused with DBF-00001 after ${took_a}/${took_b} ms"
done
[ "$(tree_rows "$home")" -gt "$before" ] || fail "no winner stored its rows"
echo "race test passed"
