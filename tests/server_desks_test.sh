#!/usr/bin/env bash
# Many desks of one installation on a server at once: eight desks each import
# the same package five times while two make new projects from a template,
# one saves a project as a template and one lists, all at the same time.
# Every command must succeed, every project and template must be whole, and
# no number may be handed out twice.
# Usage: server_desks_test.sh QUILLON CONNINFO (a connection string without a database name)
source "$(dirname "$0")/server_lib.sh"

"$Q" --home "$work/desk0" init --server "$url" --demo >/dev/null
"$Q" --home "$work/desk0" export --project 1 "$work/package/plan.xml" >/dev/null
before_nodes=$(psql_on "$database" "select count(*) from T_PROJECT_TREE where PROJECT_ID = 1")

run_desk() {
  local desk=$1 what=$2 i
  "$Q" --home "$work/$desk" init --server "$url" >/dev/null
  for i in 1 2 3 4 5; do
    case $what in
      import) "$Q" --home "$work/$desk" import --parent 0 --layer 1 --doc-root "$work/$desk/docs" \
                "$work/package/plan.xml" >/dev/null ;;
      new-bs) "$Q" --home "$work/$desk" new-bs --template 21 --name "新项目 $desk $i" --root "根" >/dev/null ;;
      save) "$Q" --home "$work/$desk" save-template --project 1 --name "范本 $i" >/dev/null ;;
      list) "$Q" --home "$work/$desk" list projects >/dev/null ;;
    esac || { echo "$desk: $what $i failed" >"$work/$desk.failed"; return 1; }
  done
}

pids=()
for d in 1 2 3 4 5 6 7 8; do run_desk "importer$d" import & pids+=($!); done
for d in 1 2; do run_desk "maker$d" new-bs & pids+=($!); done
run_desk saver save & pids+=($!)
run_desk reader list & pids+=($!)
status=0
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
[ "$status" = 0 ] || fail "$(cat "$work"/*.failed)"

projects=$(psql_on "$database" "select count(distinct PROJECT_ID) from TJ_PROCUREMENT_PROJECT")
[ "$projects" = 51 ] || fail "$projects projects, not 1 + 40 imported + 10 made"
templates=$(psql_on "$database" "select count(distinct RESOURCE_ID) from TJ_PROCUREMENT_PROJECT_INFO where RESOURCE_ID > 20")
[ "$templates" = 12 ] || fail "$templates templates, not 7 + 5 saved"
for column in "T_PROJECT_TREE NODE_ID" "T_RESOURCE_TREE NODE_ID" "T_ACCORDED_CHECK CHECK_ID" \
  "T_GRADE_INGREDIENT GRADE_ITEM_ID" "T_GRADE_INGREDIENT_DETAIL INGREDIENT_ID" \
  "T_AUTO_GRADE_DETAILS AUTO_GRADE_ID" "TJ_PROCUREMENT_PROJECT PROJECT_ID"; do
  set -- $column
  twice=$(psql_on "$database" "select count(*) from (select $2 from $1 group by $2 having count(*) > 1) d")
  [ "$twice" = 0 ] || fail "$twice numbers of $1.$2 were handed out twice"
done
# Every imported project is whole: as many tree rows as the one exported.
sizes=$(psql_on "$database" "select count(*) from T_PROJECT_TREE where PROJECT_ID in
  (select PROJECT_ID from TJ_PROCUREMENT_PROJECT where PROJECT_ID > 1) group by PROJECT_ID
  having count(*) <> $before_nodes and count(*) <> (select count(*) + 1 from T_RESOURCE_TREE where RESOURCE_ID = 21)")
[ -z "$sizes" ] || fail "projects of sizes $sizes are not whole"
echo "ok: 40 imports, 10 new projects and 5 templates from 12 desks at once, no number twice"
