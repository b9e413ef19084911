#!/usr/bin/env bash
# Creates the demo database under the user's data folder and registers the user
# data source "TessellaDemo" when it is absent. Nothing else in the user's ODBC
# configuration is touched.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
data_dir="${XDG_DATA_HOME:-$HOME/.local/share}/tessella"
db="$data_dir/demo.db"
mkdir -p "$data_dir"
if [[ ! -s "$db" ]]; then
    "$root/demo/make-demo-db.sh" "$db"
    echo "Created the demo database $db"
fi

if odbcinst -q -s -h -n TessellaDemo >/dev/null 2>&1; then
    exit 0
fi
driver="$(dirname "$(dpkg -L libsqliteodbc | grep -m1 '/libsqlite3odbc.so$')")/libsqlite3odbc.so"
template="$(mktemp)"
trap 'rm -f "$template"' EXIT
cat >"$template" <<INI
[TessellaDemo]
Description = Tessella demo database (SQLite)
Driver = $driver
Database = $db
Timeout = 2000
StepAPI = 1
INI
odbcinst -i -s -h -f "$template" >/dev/null
echo "Registered the user data source TessellaDemo"
