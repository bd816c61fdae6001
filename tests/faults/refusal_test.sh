#!/usr/bin/env bash
# Conditions that stop a command before it can do harm: each gives a clear
# report worded as the component words it, and nothing is lost.
source "$(dirname "$0")/lib.sh"
chmod 755 "$work"
home=$work/home
"$Q" --home "$home" init --demo >/dev/null
chmod -R a+rX "$home"
projects=$(value "$home" "select count(*) from TJ_PROCUREMENT_PROJECT")

# Permission bits do not bind root: the read-only cases run as nobody.
as_user() {
  if [ "$(id -u)" -eq 0 ]; then setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"; else "$@"; fi
}
expect() {
  local what=$1 status=$2 text=$3 actual=0 err
  shift 3
  err=$("$@" 2>&1 >/dev/null) || actual=$?
  [ "$actual" -eq "$status" ] || fail "$what: exit $actual, not $status: $err"
  grep -qF -- "$text" <<<"$err" || fail "$what: the report lacks '$text': $err"
  echo "$what: exit $actual, '$text'"
}
unchanged() {
  integrity_ok "$home"
  [ "$(value "$home" "select count(*) from TJ_PROCUREMENT_PROJECT")" = "$projects" ] || fail "$1 changed the projects"
}

chmod a-w "$home/Data/zbs.mdb"
[ "$(id -u)" -eq 0 ] || chmod a-w "$home/Data"
expect "read-only database" 3 "DBF-00001" as_user "$Q" --home "$home" new-bs --template 21 --name X --root R
chmod u+w "$home/Data/zbs.mdb"
unchanged "a read-only database"

if [ "$(id -u)" -eq 0 ]; then chown nobody "$home/Data/zbs.mdb"; else chmod a-w "$home/Data"; fi
expect "read-only Data folder" 3 "DBF-00001" as_user "$Q" --home "$home" new-bs --template 21 --name X --root R
chown "$(id -u)" "$home/Data/zbs.mdb"
chmod u+w "$home/Data"
unchanged "a read-only Data folder"

# Held by another process: a shell session keeps its object open.
(sleep 3 | "$Q" --home "$home" shell >/dev/null 2>&1) &
holder=$!
sleep 0.5
expect "database held by another process" 3 "database is locked" "$Q" --home "$home" new-bs --template 21 --name X --root R
wait $holder
unchanged "a held database"

mv "$home/Data" "$home/Data.away"
expect "missing Data folder" 3 "does not exist" "$Q" --home "$home" list projects
[ ! -e "$home/Data" ] || fail "a command made the missing Data folder"
mv "$home/Data.away" "$home/Data"

sheet=$home/Conf/AccordedCheck.xsl
mv "$sheet" "$work/sheet.xsl"
expect "missing style sheet" 3 "显示初审表出错。Err:53" "$Q" --home "$home" html --project 1 -o "$work/page.html"
echo "<broken" >"$sheet"
expect "broken style sheet" 3 "显示初审表出错。Err:75" "$Q" --home "$home" html --project 1 -o "$work/page.html"
[ ! -e "$work/page.html" ] || fail "a failed html wrote a page"
mv "$work/sheet.xsl" "$sheet"

# An unreadable document beside a package: the import fails whole (no row,
# no folder), names the file, and leaves the source as it was; once readable
# the same package imports with its file.
"$Q" --home "$home" --answer yes export --project 1 "$work/out/plan/plan.xml" >/dev/null
name=$(value "$home" "select NODE_NAME from T_PROJECT_TREE where PROJECT_ID = 1 and TYPE_ID = 2")
echo "the document" >"$work/out/plan/$name.doc"
chmod -R a+rX "$work/out"
chmod 000 "$work/out/plan/$name.doc"
mkdir -m 777 "$work/docs"
chown -R nobody "$home" 2>/dev/null || true
expect "unreadable document" 3 "cannot read $work/out/plan/$name.doc" \
  as_user "$Q" --home "$home" import "$work/out/plan/plan.xml" --parent 0 --layer 0 --doc-root "$work/docs"
[ "$(value "$home" "select count(*) from TJ_PROCUREMENT_PROJECT")" = "$projects" ] || fail "the failed import stored a project"
[ -z "$(ls -A "$work/docs")" ] || fail "the failed import left a document folder: $(ls -A "$work/docs")"
[ "$(stat -c %a "$work/out/plan/$name.doc")" = 0 ] || fail "the import changed the source document"
chmod 644 "$work/out/plan/$name.doc"
out=$(as_user "$Q" --home "$home" import "$work/out/plan/plan.xml" --parent 0 --layer 0 --doc-root "$work/docs")
grep -qF "1 file(s) copied" <<<"$out" || fail "the readable document was not copied: $out"
echo "unreadable source document: exit 3, nothing stored (1 file copied once readable)"
echo "refusal test passed"
