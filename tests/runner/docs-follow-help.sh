#!/usr/bin/env bash
# The manual page and the bash completion know every option that tessella-run --help lists.
# Usage: docs-follow-help.sh TESSELLA_RUN MANUAL_PAGE BASH_COMPLETION
set -euo pipefail
runner="$1" manual="$2" completion="$3"
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

mapfile -t options < <("$runner" --help | sed -n 's/^  \(--[a-z0-9-]*\).*/\1/p' | sort)
((${#options[@]} >= 17)) || fail "--help lists only ${#options[@]} options"

# In the manual each option heads a tagged paragraph, its dashes escaped.
for option in "${options[@]}"; do
    escaped="${option//-/\\-}"
    grep -A1 -x '\.TP' "$manual" | grep -qE "^\.B[IR]? ${escaped//\\/\\\\}( |,|$)" ||
        fail "the manual has no paragraph for $option"
done

# The test's own ODBC configuration, never the user's.
odbc="$(mktemp -d)"
trap 'rm -rf "$odbc"' EXIT
printf '[Alpha Shop]\nDriver=none\n[Beta]\nDriver=none\n' >"$odbc/user-odbc.ini"
: >"$odbc/odbc.ini"
: >"$odbc/odbcinst.ini"
export ODBCSYSINI="$odbc" ODBCINI="$odbc/user-odbc.ini"

# shellcheck source=/dev/null
source "$completion"
complete_words() {
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMPREPLY=()
    _tessella_run
    printf '%s\n' "${COMPREPLY[@]}" | sort
}

offered="$(complete_words tessella-run --)"
expected="$(printf '%s\n' "${options[@]}")"
[[ "$offered" == "$expected" ]] ||
    fail "completion of -- differs from --help:"$'\n'"$(diff <(echo "$expected") <(echo "$offered"))"

[[ "$(complete_words tessella-run --dsn A)" == "Alpha Shop" ]] ||
    fail "--dsn A does not complete to the data source 'Alpha Shop'"
[[ "$(complete_words tessella-run --connect '')" == $'Alpha Shop\nBeta' ]] ||
    fail "--connect does not offer both data sources"

files="$(mktemp -d)"
trap 'rm -rf "$odbc" "$files"' EXIT
touch "$files/a.tsl" "$files/b.SQL" "$files/c.txt"
mkdir "$files/sub"
[[ "$(complete_words tessella-run "$files/")" == "$(printf '%s\n' "$files/a.tsl" "$files/b.SQL" "$files/sub")" ]] ||
    fail "a FILE completes to documents, SQL files and folders only"
[[ -z "$(complete_words tessella-run --timeout '')" ]] || fail "--timeout offers values"

((failures == 0)) && echo "docs follow --help: ${#options[@]} options"
exit $((failures > 0))
