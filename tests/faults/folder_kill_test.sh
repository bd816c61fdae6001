#!/usr/bin/env bash
# An import killed (SIGKILL, SIGTERM, SIGINT) the moment its first document
# folder appears, in its staging folder or in the document root: once the
# next command has run its recovery, the import's rows and folders are there
# together or not at all, and the same package imports again.
source "$(dirname "$0")/lib.sh"
home=$work/home
demo_home "$home"
"$Q" --home "$home" --answer yes export --project 1 "$work/out/plan/plan.xml" >/dev/null
package=$work/out/plan/plan.xml
name=$(value "$home" "select NODE_NAME from T_PROJECT_TREE where PROJECT_ID = 1 and TYPE_ID = 2")
echo "the document" >"$work/out/plan/$name.doc"
echo "the document" >"$work/out/plan/$name.DOC"
projects=$(value "$home" "select count(*) from TJ_PROCUREMENT_PROJECT")

# The document folders in a root: a name then a node number (tender), or a
# node number alone (bid).
folders() { { find "$1" -mindepth 1 -maxdepth 1 -type d -regex '.*[0-9]' 2>/dev/null || true; } | wc -l; }

for kind in tender bid; do
  if [ $kind = tender ]; then
    root=$work/docs
    args=(import "$package" --parent 0 --layer 0 --doc-root "$root")
  else
    root=$home/Projects
    args=(import --bid "$package" --parent 0 --layer 0)
  fi
  for signal in KILL TERM INT; do
    killed=0
    for try in $(seq 1 10); do
      # Odd tries: the folder in the staging folder; even: in the root.
      if [ $((try % 2)) -eq 1 ]; then watch="$root/.quillon-import-*.staging/*[0-9]"; else watch="$root/*[0-9]"; fi
      before=$(folders "$root")
      # Not this script's clean-up, and SIGINT not ignored as in other background jobs.
      (
        trap - EXIT
        exec env --default-signal=INT "$Q" --home "$home" "${args[@]}" >/dev/null 2>&1
      ) &
      pid=$!
      while kill -0 $pid 2>/dev/null; do
        # Only the command itself: the forked shell would run this script's clean-up.
        if [ "$(cat /proc/$pid/comm 2>/dev/null)" = quillon ] && compgen -G "$watch" >/dev/null; then
          kill -s $signal $pid 2>/dev/null || true  # it may have just ended
          break
        fi
      done
      status=0
      wait $pid 2>/dev/null || status=$?
      after_kill
      [ $status -gt 128 ] && killed=$((killed + 1))
      "$Q" --home "$home" list projects >/dev/null || fail "the command after a killed import failed"
      integrity_ok "$home"
      now=$(value "$home" "select count(*) from TJ_PROCUREMENT_PROJECT")
      made=$(($(folders "$root") - before))
      stored=$((now - projects))
      projects=$now
      [ "$made" -eq "$stored" ] ||
        fail "$kind import killed by SIG$signal (try $try): $stored project(s) stored but $made folder(s) made"
    done
    # A kill that came as the import ended proves nothing; some must land.
    [ $killed -gt 0 ] || fail "no $kind import was killed by SIG$signal while it ran"
    "$Q" --home "$home" "${args[@]}" >/dev/null || fail "the $kind import after the SIG$signal kills failed"
    # That import removed the staging folders the killed ones left.
    leftovers=$(find "$root" -maxdepth 1 -name '*.staging')
    [ -z "$leftovers" ] || fail "killed imports left $leftovers"
    projects=$((projects + 1))
    echo "$kind import killed by SIG$signal as its folder appeared, $killed of 10 times while it ran: rows and folders together"
  done
done

# A document may be named like a staging folder; the next import must not
# take its folder for a dead import's leftovers.
"$Q" --home "$home" call ExecuteSql \
  "update T_PROJECT_TREE set NODE_NAME = '.quillon-import-99999' where PROJECT_ID = 1 and TYPE_ID = 2" >/dev/null
"$Q" --home "$home" --answer yes export --project 1 "$work/named/p/p.xml" >/dev/null
echo "the document" >"$work/named/p/.quillon-import-99999.doc"
for try in 1 2; do
  "$Q" --home "$home" import "$work/named/p/p.xml" --parent 0 --layer 0 --doc-root "$work/named-docs" >/dev/null
done
[ "$(find "$work/named-docs" -name '.quillon-import-99999.doc' | wc -l)" -eq 2 ] ||
  fail "an import removed the folder of a document named like a staging folder"
echo "a document named like a staging folder keeps its folder"
echo "folder kill test passed"
