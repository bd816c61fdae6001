#!/usr/bin/env bash
# A project goes from an office on a file to an office on a server and on to
# a third office on a file: exported from the first, imported into the
# server, exported from there and imported into the third, it arrives with
# the same rows (numbers aside, which each import gives anew) as when it
# travels the same way through an office on a file instead of the server,
# and with the same files.
# Usage: server_roundtrip_test.sh QUILLON CONNINFO (a connection string without a database name)
source "$(dirname "$0")/server_lib.sh"
# The package's rows with the numbers an import gives anew left out.
rows_of() {
  sed -E 's#<(NODE_ID|PARENT_NOED_ID|PROJECT_ID|CHECK_ID|GRADE_ITEM_ID|INGREDIENT_ID|AUTO_GRADE_ID|BS_NODE_ID|CPT_NODE_ID|CRP_BS_NODE)>[0-9-]*</[A-Z_]+>#<\1/>#g' "$1"
}
imported_project() { sed -n 's/^project \([0-9]*\)$/\1/p' "$1"; }


"$Q" --home "$work/first" init --demo >/dev/null
"$Q" --home "$work/first" export --project 1 "$work/a/plan.xml" >/dev/null
name=2026年度办公设备采购项目招标文件
printf 'the tender document\n' >"$work/a/$name.doc"
mkdir "$work/a/附件"
head -c 100000 /dev/urandom >"$work/a/附件/图纸.pdf"

"$Q" --home "$work/server" init --server "$url" >/dev/null
"$Q" --home "$work/server" import --parent 0 --layer 1 --doc-root "$work/server/docs" "$work/a/plan.xml" >"$work/in-server"

# Package a's way to a file office through the office `via`, then out again
# into package `to`.
onward() {
  local via=$1 to=$2 project
  "$Q" --home "$work/$via" export --project "$(imported_project "$work/in-$via")" "$work/$via-out/plan.xml" >/dev/null
  cp -r "$work"/$via/docs/*/* "$work/$via-out/"
  "$Q" --home "$work/$to" init >/dev/null
  "$Q" --home "$work/$to" import --parent 0 --layer 1 --doc-root "$work/$to/docs" "$work/$via-out/plan.xml" >"$work/in-$to"
  project=$(imported_project "$work/in-$to")
  [ -n "$project" ] || fail "the import into $to printed no project: $(cat "$work/in-$to")"
  "$Q" --home "$work/$to" export --project "$project" "$work/$to-out/plan.xml" >/dev/null
}
"$Q" --home "$work/file" init >/dev/null
"$Q" --home "$work/file" import --parent 0 --layer 1 --doc-root "$work/file/docs" "$work/a/plan.xml" >"$work/in-file"
onward server third
onward file control

if ! cmp -s <(rows_of "$work/third-out/plan.xml") <(rows_of "$work/control-out/plan.xml"); then
  diff <(rows_of "$work/third-out/plan.xml" | sed 's/<Record>/\n/g') \
    <(rows_of "$work/control-out/plan.xml" | sed 's/<Record>/\n/g') | head -c 1500 >&2
  fail "the rows that went through the server differ from those that went through a file"
fi
for file in "$name.doc" 附件/图纸.pdf; do
  cmp -s "$work/a/$file" "$work"/third/docs/*/"$file" || fail "$file changed on the way"
done
echo "ok: file to server to file, the same rows as file to file to file, and the same files"
