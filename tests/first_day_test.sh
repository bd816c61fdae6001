#!/usr/bin/env bash
# A new office's first day on plain installations: office B takes the
# library of an office that has one, makes a project from an imported
# template and sends it and its own library to office C, which has nothing
# yet. Every step is checked by the rows it added.
# With a second argument (a server's connection string without a database
# name), each office is a desk of a database of its own there.
set -euo pipefail
Q=$1
server=${2:-}
work=$(mktemp -d)
source "$(dirname "$0")/scratch_databases.sh"
cleanup() {
  drop_databases
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"
# A new installation for office $1 (init's options follow).
new_office() {
  local office=$1
  shift
  if [ -n "$server" ]; then
    local db="quillon_first_day_${office,,}_$$"
    new_database "$db"
    set -- "$@" --server "$server dbname=$db"
  fi
  "$Q" --home "$office" init "$@" >/dev/null
}
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
value() {
  "$Q" --home "$1" call GetValue "$2" | sed -n '2s/^{"[^"]*":\(.*\)}$/\1/p' | tr -d '"'
}
# Rows per library table of the templates (numbers above 20), in one line.
library_rows() {
  local home=$1 table line=""
  for table in T_RESOURCE_TREE TJ_PROCUREMENT_PROJECT_INFO T_ACCORDED_CHECK_INFO T_GRADE_INGREDIENT_INFO \
    TJ_OPEN_BID_DETAILS_INFO; do
    line+="$table=$(value "$home" "select count(*) from $table where RESOURCE_ID > 20 and STS = 'V'") "
  done
  echo "$line"
}
# Live rows per project table of one project.
project_rows() {
  local home=$1 project=$2 table line=""
  for table in T_PROJECT_TREE TJ_PROCUREMENT_PROJECT T_ACCORDED_CHECK T_GRADE_INGREDIENT TJ_OPEN_BID_DETAILS; do
    line+="$table=$(value "$home" "select count(*) from $table where PROJECT_ID = $project and STS = 'V'") "
  done
  echo "$line"
}

new_office A --demo
"$Q" --home A export-library a-library.xml >/dev/null
for office in B C; do
  new_office $office
  [ "$(value $office "select count(*) from T_PROJECT_TYPE")" = 3 ] || fail "plain init of $office has no project types"
  [ "$(value $office "select count(*) from t_promode_judge where sts = 'V'")" -gt 0 ] ||
    fail "plain init of $office has no evaluation methods"
done

# B takes A's library: the templates are numbered above 20, as the library
# export needs them to be.
"$Q" --home B import-library a-library.xml >/dev/null
[ "$(library_rows B)" = "$(library_rows A)" ] || fail "B's library: $(library_rows B), not A's $(library_rows A)"
first=$(value B "select min(RESOURCE_ID) from T_RESOURCE_TREE where TYPE_ID = 2")
[ "$first" -gt 20 ] || fail "B's first template is numbered $first"
"$Q" --home B list templates | grep -qF "货物类公开招标文件范本" || fail "list templates of B lacks a template"

# B's first project, from the imported template; its type is shown.
"$Q" --home B new-bs --template "$first" --name 办公桌采购 --root 办公桌项目 >/dev/null
project=$(value B "select PROJECT_ID from TJ_PROCUREMENT_PROJECT")
nodes=$(value B "select count(*) from T_RESOURCE_TREE where RESOURCE_ID = $first and TYPE_ID <> 9 and STS = 'V'")
[ "$(value B "select count(*) from T_PROJECT_TREE where PROJECT_ID = $project and STS = 'V'")" = $((nodes + 1)) ] ||
  fail "the new project does not hold the template's $nodes nodes and its root"
"$Q" --home B list projects | grep -qE "^ +$project +货物类 .*办公桌采购" || fail "list projects of B: no typed project"

# Saved back as a template, its catalogue entry goes under its type's category (货物类, node 2).
saved=$("$Q" --home B save-template --json --project "$project" --name 办公桌采购范本 | sed 's/[^0-9]//g')
[ "$(value B "select PARENT_NOED_ID from T_RESOURCE_TREE where RESOURCE_ID = $saved and TYPE_ID = 9")" = 2 ] ||
  fail "the saved template's entry does not hang under its category"

# C, with no project at all, imports it.
"$Q" --home B --answer yes export --project "$project" out/desk/desk.xml >/dev/null
"$Q" --home C import out/desk/desk.xml --parent 0 --layer 0 --doc-root C/docs >/dev/null ||
  fail "C could not import its first project"
imported=$(value C "select PROJECT_ID from TJ_PROCUREMENT_PROJECT")
[ "$(project_rows C "$imported")" = "$(project_rows B "$project")" ] ||
  fail "C's project: $(project_rows C "$imported"), B's: $(project_rows B "$project")"
"$Q" --home C list projects | grep -qF 办公桌采购 || fail "list projects of C lacks the import"

# B's library goes on to C.
"$Q" --home B export-library out/b-library.xml >/dev/null
"$Q" --home C import-library out/b-library.xml >/dev/null
[ "$(library_rows C)" = "$(library_rows B)" ] || fail "C's library: $(library_rows C), not B's $(library_rows B)"
[ "$(value C "select min(RESOURCE_ID) from T_RESOURCE_TREE where TYPE_ID = 2")" -gt 20 ] ||
  fail "C's templates are numbered 20 or below"
echo "first day test passed"
