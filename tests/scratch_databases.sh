# Databases of a script test's own on the server `server` names (a
# connection string without a database name): `new_database NAME` makes one
# that orders text as a file does; `drop_databases` removes them all.
databases=()
new_database() {
  databases+=("$1")
  psql -q -X -v ON_ERROR_STOP=1 "$server dbname=postgres" \
    -c "CREATE DATABASE $1 TEMPLATE template0 LC_COLLATE 'C' LC_CTYPE 'C'"
}
drop_databases() {
  for db in "${databases[@]}"; do psql -q -X "$server dbname=postgres" -c "DROP DATABASE IF EXISTS $db WITH (FORCE)"; done
}
