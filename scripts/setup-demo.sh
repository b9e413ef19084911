#!/usr/bin/env bash
# Creates the databases of the demo shop's three branches under the user's data folder and
# registers a user data source for each one that is absent: TessellaDemoNorth,
# TessellaDemoSouth and TessellaDemoHarbour. Nothing else in the user's ODBC configuration is
# touched. A database made by an older demo script is made again.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
data_dir="${XDG_DATA_HOME:-$HOME/.local/share}/tessella"
wanted_version="$(sed -n 's/^version=\([0-9]*\)$/\1/p' "$root/demo/make-demo-db.sh")"
mkdir -p "$data_dir"

driver=""
template="$(mktemp)"
trap 'rm -f "$template"' EXIT
for branch in North South Harbour; do
    db="$data_dir/demo-${branch,,}.db"
    if [[ ! -s "$db" || "$(sqlite3 "$db" 'PRAGMA user_version' 2>/dev/null)" != "$wanted_version" ]]; then
        "$root/demo/make-demo-db.sh" "$db" "${branch,,}"
        echo "Created the demo database $db"
    fi

    dsn="TessellaDemo$branch"
    if odbcinst -q -s -h -n "$dsn" >/dev/null 2>&1; then
        continue
    fi
    if [[ -z "$driver" ]]; then
        driver="$(dirname "$(dpkg -L libsqliteodbc | grep -m1 '/libsqlite3odbc.so$')")/libsqlite3odbc.so"
    fi
    cat >"$template" <<INI
[$dsn]
Description = Tessella demo shop, branch $branch (SQLite)
Driver = $driver
Database = $db
Timeout = 2000
StepAPI = 1
INI
    odbcinst -i -s -h -f "$template" >/dev/null
    echo "Registered the user data source $dsn"
done
