# Shared by the server script tests: sourced with QUILLON CONNINFO (a
# connection string without a database name) as the arguments. Gives a
# scratch folder `work` and a database of the test's own, `database`
# (reached at `url`), both removed at the end, and `psql_on DB SQL`.
set -euo pipefail
Q=$1
server=$2
work=$(mktemp -d)
database="quillon_$(basename "$0" .sh)_$$"
psql_on() { psql -q -X -v ON_ERROR_STOP=1 -At "$server dbname=$1" -c "$2"; }
cleanup() {
  psql_on postgres "DROP DATABASE IF EXISTS $database WITH (FORCE)" || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
psql_on postgres "CREATE DATABASE $database TEMPLATE template0 LC_COLLATE 'C' LC_CTYPE 'C'"
url="$server dbname=$database"
