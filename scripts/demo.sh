#!/usr/bin/env bash
# The main job on the embedded demo library: a fresh installation folder, a
# few queries, then the template → project → template round trip and the
# exports, each step printed with the command that ran it.
set -euo pipefail
QUILLON=${1:-build/quillon}
HOME_DIR=${2:-demo-home}

step() { printf '\n\033[1m$ %s\033[0m\n' "$*"; "$@"; }
q() { step "$QUILLON" --home "$HOME_DIR" "$@"; }

q init --demo --force
q call Db_GetCount T_RESOURCE_TREE ""
q call Db_GetCount T_RESOURCE_TREE "sts='V'"
q call GetMaxNo T_PROJECT_TREE NODE_ID
q call GetGUID
q call GetValue "select TYPE_ID, TYPE_NAME from T_PROJECT_TYPE order by TYPE_ID"
q call GetValue "select RESOURCE_ID, NODE_NAME from T_RESOURCE_TREE where LAYER_ID=2 and TYPE_ID=2 order by RESOURCE_ID"
q --messages json call GetMaxNo T_PROJECT_TREE NO_SUCH_COLUMN

# Look-ups of the tree services.
q tree --resource 21
q call GetBStype 101 2
q call GetJudgeWay 1 综合评分法

# A new tender document from template 22, hung under project node 1 (layer 1).
q new-bs --template 22 --name "2027年市政道路改造工程招标文件" --parent 1 --layer 1
# ... and the project saved back into the library as a new template.
q save-template --project 2 --name "市政道路工程招标文件范本（2027版）"

# Exports: a project's tender document, a bid document, the whole library, and
# the compliance checks as HTML.
OUT="$HOME_DIR/out"
mkdir -p "$OUT"
q --answer yes export --project 1 "$OUT/plan.dat"
q --answer yes export --project 1 --bid "$OUT/bid.dat"
q --answer yes export-library "$OUT/library.xml"
q html --project 1 -o "$OUT/checks.html"
if command -v chromium >/dev/null 2>&1; then
  # The HTML as a person sees it, rendered by a real browser.
  profile=$(mktemp -d)
  step chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$profile" --window-size=1200,900 \
    --screenshot="$(realpath "$OUT")/checks.png" "file://$(realpath "$OUT/checks.html")" 2>/dev/null
  rm -rf "$profile"
fi
ls -l "$OUT" "$OUT/plan" "$OUT/bid"
printf '\nDemo installation left in %s\n' "$HOME_DIR"
