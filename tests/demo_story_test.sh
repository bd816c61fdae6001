#!/usr/bin/env bash
# `make demo` must tell the whole two-office story and succeed on a fresh
# folder; this runs it the way the Makefile does and looks for each chapter
# and for the files that must have moved.
set -euo pipefail
QUILLON=$1
ROOT=$(mktemp -d)
trap 'rm -rf "$ROOT"' EXIT
out=$(bash "$(dirname "$0")/../scripts/demo.sh" "$QUILLON" "$ROOT/home" 2>&1) || {
  printf '%s\n' "$out"
  echo "demo failed"
  exit 1
}
fail() {
  printf '%s\n' "$out" | tail -40
  echo "demo output lacks: $1"
  exit 1
}
for heading in "1. Office A" "2. Office A sends" "3. Office B checks" "4. Office B saves" "5. The compliance" "6. What moved"; do
  grep -qF "== $heading" <<<"$out" || fail "section $heading"
done
grep -qF "would import as project" <<<"$out" || fail "the import check"
grep -qF "6 file(s) copied" <<<"$out" || fail "the tender import's files"
grep -qF "投标关键信息 (type 20" <<<"$out" || fail "the bid sections"
grep -qE "导入\)\)$" <<<"$out" || fail "a renamed template"
grep -qF "[invalidated]" <<<"$out" || fail "a replaced template"
home="$ROOT/home"
[ -s "$home/outbox/checks.html" ] || fail "the page"
ls "$home"/office-b/Documents/*/附件/资格证明材料清单.txt >/dev/null || fail "the attachments in B's tender folder"
ls "$home"/office-b/Projects/*/*.DOC >/dev/null || fail "the bid's document"
# A second run starts from fresh folders.
bash "$(dirname "$0")/../scripts/demo.sh" "$QUILLON" "$ROOT/home" >/dev/null 2>&1 || fail "a second run"
echo "demo ok"
