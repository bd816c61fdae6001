#!/usr/bin/env bash
# The server stops (immediate shutdown: every connection lost), or only the
# desk's connection is lost, in the middle of an import into a desk: the
# desk's next command finds the import whole or absent, its document folder
# and files included.
source "$(dirname "$0")/lib.sh"
chmod 755 "$work"
cluster=$work/pg
cluster_script="$(dirname "$0")/../../scripts/pg-cluster.sh"
# What the server committed must survive its stop, as on a real one.
export QUILLON_PG_DURABLE=1
bash "$cluster_script" start "$cluster" >/dev/null
cleanup_hooks+=("bash '$cluster_script' stop '$cluster' 2>/dev/null")
server="host=$cluster user=postgres"
psql -q -X -v ON_ERROR_STOP=1 "$server dbname=postgres" \
  -c "CREATE DATABASE tenders TEMPLATE template0 LC_COLLATE 'C' LC_CTYPE 'C'"

big_home "$work/file" 60000
"$Q" --home "$work/file" export --project 1 "$work/pkg/plan.xml" >/dev/null
printf 'the tender document\n' >"$work/pkg/2026年度办公设备采购项目招标文件.doc"
desk=$work/desk
"$Q" --home "$desk" init --server "$server dbname=tenders" >/dev/null

projects() { psql -X -At "$server dbname=tenders" -c "select count(*) from TJ_PROCUREMENT_PROJECT"; }
folders() { if [ -d "$desk/docs" ]; then find "$desk/docs" -mindepth 1 -maxdepth 1 | wc -l; else echo 0; fi; }

# Imports the package, cutting it off after each delay with CUT (a command);
# whatever the moment, the desk's next command finds it whole or absent.
cut_rounds() {
  local what=$1 cut=$2 delay pid status added made before_projects before_folders stops=0
  for delay in 0.1 0.3 0.6 5; do
    before_projects=$(projects)
    before_folders=$(folders)
    "$Q" --home "$desk" import --parent 0 --layer 1 --doc-root "$desk/docs" "$work/pkg/plan.xml" >/dev/null 2>&1 &
    pid=$!
    sleep "$delay"
    eval "$cut"
    status=0
    wait "$pid" || status=$?
    bash "$cluster_script" start "$cluster" >/dev/null
    # The desk's next command finishes or takes back what the import left.
    "$Q" --home "$desk" list projects >/dev/null 2>&1
    added=$(($(projects) - before_projects))
    made=$(($(folders) - before_folders))
    if [ "$status" = 0 ]; then
      [ "$added" = 1 ] && [ "$made" = 1 ] || fail "a finished import left $added projects and $made folders"
      echo "import finished before the $what at ${delay}s: whole"
    else
      # Cut off after its commit, the import is whole once the next command
      # has moved its folder; before, it is absent.
      stops=$((stops + 1))
      { [ "$added" = 0 ] && [ "$made" = 0 ]; } || { [ "$added" = 1 ] && [ "$made" = 1 ]; } ||
        fail "an import cut off by the $what at ${delay}s left $added projects and $made document folders"
      echo "import cut off by the $what at ${delay}s: $([ "$added" = 1 ] && echo whole || echo "absent, no folder left")"
    fi
  done
  [ $stops -gt 0 ] || fail "no import was cut off by the $what: the test proves nothing"
}

cut_rounds stop 'bash "$cluster_script" stop "$cluster"'
# One desk's connection lost while the server runs on.
cut_rounds "lost connection" 'psql -q -X -At "$server dbname=postgres" -c "select pg_terminate_backend(pid)
  from pg_stat_activity where datname = '"'"'tenders'"'"' and application_name = '"'"'quillon'"'"'" >/dev/null'
