# Shared by the fault tests: a scratch folder, installations with a large
# project, and the checks every fault test ends with.
# With a second argument (a server's connection string without a database
# name), the installations are desks of a database of their own there.
set -euo pipefail
Q=$1
on_server=${2:-}
work=$(mktemp -d)
cleanup_hooks=()
cleanup() {
  for hook in "${cleanup_hooks[@]}"; do eval "$hook" || true; done
  rm -rf "$work"
}
trap cleanup EXIT
if [ -n "$on_server" ]; then
  database="quillon_fault_$(basename "$0" .sh)_$$"
  psql -q -X -v ON_ERROR_STOP=1 "$on_server dbname=postgres" \
    -c "CREATE DATABASE $database TEMPLATE template0 LC_COLLATE 'C' LC_CTYPE 'C'"
  cleanup_hooks+=("psql -q -X '$on_server dbname=postgres' -c 'DROP DATABASE IF EXISTS $database WITH (FORCE)'")
fi

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The one value of a one-row, one-column query.
value() {
  local home=$1 sql=$2 out
  out=$("$Q" --home "$home" call GetValue "$sql")
  sed -n '2s/^{"[^"]*":\(.*\)}$/\1/p' <<<"$out" | tr -d '"'
}

integrity_ok() {
  local home=$1 result
  # A server keeps its own files whole; a file is checked.
  [ -z "$on_server" ] || return 0
  result=$(value "$home" "pragma integrity_check")
  [ "$result" = ok ] || fail "integrity_check of $home gave '$result'"
}

tree_rows() { value "$1" "select count(*) from T_PROJECT_TREE"; }

# The demo installation: a file, or a desk of this test's database.
demo_home() {
  if [ -n "$on_server" ]; then
    "$Q" --home "$1" init --demo --server "$on_server dbname=$database" >/dev/null
  else
    "$Q" --home "$1" init --demo >/dev/null
  fi
}

# A server notices a killed client within a tenth of a second of its
# statement; until then the desk is still held.
after_kill() { [ -z "$on_server" ] || sleep 0.3; }

# An installation whose project 1 has NODES more section nodes under its
# document node.
big_home() {
  local home=$1 nodes=$2
  demo_home "$home"
  "$Q" --home "$home" call ExecuteSql "insert into T_PROJECT_TREE (NODE_ID, NODE_NAME, PROJECT_ID, BUNDLE_ID,
    LAYER_ID, PARENT_NOED_ID, TYPE_ID, RESOURCE_TYPE_ID, STS, Bookmarks_Name, NODE_ORDER, PROJECT_TYPE_ID,
    NODE_ESTATE, PAGE_COUNT, PAGE_NUM, NODE_Level_Top, BS_NODE_ID, NODE_PAGE_COUNT)
    select 100000 + x, '第' || x || '节', 1, 0, 3, 2, 4, 0, 'V', 'BM_' || x, x, 1, 1, 0, 0, 1, 0, 0
    from (with recursive c(x) as (select 1 union all select x + 1 from c where x < $nodes) select x from c) as n" \
    >/dev/null
}

# Runs a command, killing it with SIGKILL after DELAY seconds; prints
# "killed" or "finished" (or "finished with STATUS"). The process is reaped
# before this returns, so the next command never meets a dying one.
run_killed_after() {
  local delay=$1 pid status=0
  shift
  "$@" >/dev/null 2>&1 &
  pid=$!
  sleep "$delay"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" || status=$?
  after_kill
  case $status in
    0) echo finished ;;
    137) echo killed ;;
    *) echo "finished with $status" ;;
  esac
}
