#!/usr/bin/env bash
# The disk full during an import, a new-bs, a save and an export: a clear
# error and exit 3, the database whole with none of the operation's rows,
# and the good package that was there still in place. A small file system
# (tmpfs) is the disk; without the right to mount one the test is skipped.
# On a server the database is elsewhere: there the disk fills under the
# exports and under an import's documents.
source "$(dirname "$0")/lib.sh"
disk=$work/disk
mkdir -p "$disk"
if ! mount -t tmpfs -o size=96m tmpfs "$disk" 2>/dev/null; then
  echo "cannot mount a small file system here; skipped"
  exit 77
fi
cleanup_hooks+=("umount -l '$disk'")
home=$disk/home
big_home "$home" 20000
"$Q" --home "$home" --answer yes export --project 1 "$work/package/plan/plan.xml" >/dev/null
package=$work/package/plan/plan.xml
template=$("$Q" --home "$home" save-template --project 1 --name 大模板 | sed -n 's/^resource //p')
"$Q" --home "$home" --answer yes export --project 1 "$disk/out/plan/plan.xml" >/dev/null
good=$(md5sum <"$disk/out/plan/plan.xml")

# Leave about 1 MB free: every operation below needs more.
free_kb=$(df -k --output=avail "$disk" | tail -1)
fallocate -l $(((free_kb - 1024) * 1024)) "$disk/filler"

expect_full() {
  local what=$1
  shift
  local before status=0 err
  before=$(tree_rows "$home")
  err=$("$@" 2>&1 >/dev/null) || status=$?
  [ $status -eq 3 ] || fail "$what on a full disk exited $status: $err"
  grep -qiE "full|space" <<<"$err" || fail "$what on a full disk did not say so: $err"
  integrity_ok "$home"
  [ "$(tree_rows "$home")" = "$before" ] || fail "$what on a full disk left rows behind"
  echo "$what on a full disk: exit 3 ($(tail -1 <<<"$err")), database whole, no rows"
}
if [ -z "$on_server" ]; then
  expect_full import "$Q" --home "$home" import "$package" --parent 0 --layer 0 --doc-root "$disk/docs"
  expect_full new-bs "$Q" --home "$home" new-bs --template "$template" --name 新项目 --root 根
  expect_full save-template "$Q" --home "$home" save-template --project 1 --name 又一个模板
fi
expect_full export "$Q" --home "$home" --answer yes export --project 1 "$disk/out/plan/plan.xml"
[ "$(md5sum <"$disk/out/plan/plan.xml")" = "$good" ] || fail "the failed export broke the good package"
expect_full "export --bid" "$Q" --home "$home" --answer yes export --bid --project 1 "$disk/out/plan/plan.xml"
[ "$(md5sum <"$disk/out/plan/plan.xml")" = "$good" ] || fail "the failed bid export broke the good package"
ls -a "$disk/out" | grep -q partial && fail "a failed export left a partial file"

# With room again, the same operations go through.
rm "$disk/filler"
"$Q" --home "$home" new-bs --template "$template" --name 新项目 --root 根 >/dev/null
# A full document root while the database has room: the document cannot be
# copied, so the import fails whole.
small=$work/small
demo_home "$small"
"$Q" --home "$small" --answer yes export --project 1 "$work/small-out/plan/plan.xml" >/dev/null
name=$(value "$small" "select NODE_NAME from T_PROJECT_TREE where PROJECT_ID = 1 and TYPE_ID = 2")
head -c 3000000 /dev/urandom >"$work/small-out/plan/$name.doc"
free_kb=$(df -k --output=avail "$disk" | tail -1)
fallocate -l $(((free_kb - 1024) * 1024)) "$disk/filler"
before=$(tree_rows "$small")
status=0
err=$("$Q" --home "$small" import "$work/small-out/plan/plan.xml" --parent 0 --layer 0 --doc-root "$disk/docs" 2>&1) ||
  status=$?
[ $status -eq 3 ] && grep -qiE "space" <<<"$err" || fail "an import into a full document root: exit $status: $err"
[ "$(tree_rows "$small")" = "$before" ] || fail "an import into a full document root kept its rows"
[ -z "$(ls -A "$disk/docs" 2>/dev/null)" ] || fail "an import into a full document root left $(ls -A "$disk/docs")"
echo "import into a full document root: exit 3 ($(tail -1 <<<"$err")), no rows, no folder"
echo "full test passed"
