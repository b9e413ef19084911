#!/usr/bin/env bash
# Structure checks of the source tree, run by ctest.
#
#   check-structure.sh layers ROOT      every include of a program header names its layer
#                                       ("execution/CTessellaDoc.h") and runs down the layers
#   check-structure.sh odbc-calls ROOT  no ODBC function is called outside its wrappers
#
# ROOT is the top of a checkout. Each finding is printed as file:line; the exit code is 1 when
# there is one.
set -uo pipefail

mode=${1:?mode: layers or odbc-calls}
root=${2:?root of the checkout}
cd "$root" || exit 2

# Which layers each layer may include, itself first. The runner sits beside the windows and
# uses none of them. The keyring sits beside execution for both of them; the history of runs
# sits on execution, below both.
declare -A may_include=(
    [odbc]="odbc"
    [document]="document"
    [execution]="execution document odbc"
    [keyring]="keyring document"
    [formats]="formats execution document odbc"
    [history]="history execution document odbc"
    [runner]="runner history keyring formats execution document odbc"
    [appbase]="appbase odbc"
    [results]="results appbase execution document odbc"
    [views]="views results appbase history keyring formats execution document odbc"
    [app]="app views results appbase history keyring execution document odbc"
    [compare]="compare execution document odbc"
)
for layer in runner results views app; do may_include[$layer]+=" compare"; done
for layer in results views app; do may_include[$layer]+=" formats"; done

# The files that call ODBC and its installer: the statement and connection wrappers, those of
# the query threads' spare statement, the environment, and the installer's wrappers.
odbc_call_files=(
    src/odbc/CODBCObjectCalls.cpp
    src/odbc/CThreadODBCCalls.cpp
    src/odbc/COdbcEnvironment.cpp
    src/odbc/OdbcInstaller.cpp
)

findings=0
report() {
    echo "$1"
    findings=$((findings + 1))
}

# The layer of a program header by its bare name, for includes that leave the layer out.
declare -A header_layer=()
while IFS= read -r header; do
    name=${header##*/}
    layer=${header#src/}
    header_layer[$name]=${layer%%/*}
done < <(find src -name '*.h' 2>/dev/null)

check_includes() {
    local file=$1 layer=$2 allowed=" ${may_include[$2]} "
    local number=0 line target
    while IFS= read -r line; do
        number=$((number + 1))
        [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]] || continue
        target=${BASH_REMATCH[1]}
        if [[ $target != */* ]]; then
            # A test's own helper header beside it is no program header.
            if [[ -n ${header_layer[$target]:-} && ! -e $(dirname "$file")/$target ]] ||
                [[ $file == src/* && -n ${header_layer[$target]:-} ]]; then
                report "$file:$number: \"$target\" without its layer (\"${header_layer[$target]}/$target\")"
            fi
            continue
        fi
        local to=${target%%/*}
        [[ -n ${may_include[$to]:-} ]] || continue
        if [[ $allowed != *" $to "* ]]; then
            report "$file:$number: $layer includes \"$target\", a layer above it"
        fi
    done < "$file"
}

check_layers() {
    local dir layer file
    for dir in src/* tests/*; do
        [[ -d $dir ]] || continue
        layer=${dir#*/}
        [[ -n ${may_include[$layer]:-} ]] || continue
        while IFS= read -r file; do
            check_includes "$file" "$layer"
        done < <(find "$dir" -name '*.cpp' -o -name '*.h')
    done
}

check_odbc_calls() {
    local file allowed
    while IFS= read -r file; do
        allowed=0
        for wrapper in "${odbc_call_files[@]}"; do
            [[ $file == "$wrapper" ]] && allowed=1
        done
        ((allowed)) && continue
        # An ODBC function is SQL and a capitalised word (SQLExecDirectW); the types and
        # macros are all capitals (SQLSMALLINT, SQL_SUCCEEDED). Comments are left out.
        while IFS= read -r hit; do
            report "$file:${hit%%:*}: direct ODBC call: ${hit#*:}"
        done < <(sed -e 's://.*$::' "$file" | grep -nE '\bSQL[A-Z][a-z][A-Za-z]*[[:space:]]*\(')
    done < <(find src -name '*.cpp' -o -name '*.h')
}

case $mode in
layers) check_layers ;;
odbc-calls) check_odbc_calls ;;
*)
    echo "unknown mode: $mode" >&2
    exit 2
    ;;
esac

if ((findings > 0)); then
    echo "$findings finding(s)"
    exit 1
fi
echo "clean"
