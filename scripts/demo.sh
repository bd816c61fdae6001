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

if [ -f scripts/demo-more.sh ]; then
  # shellcheck source=/dev/null
  . scripts/demo-more.sh
fi
printf '\nDemo installation left in %s\n' "$HOME_DIR"
