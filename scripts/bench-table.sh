#!/usr/bin/env bash
# The GOAL lines of benchmark output as one aligned table:
#   GOAL <tab> goal <tab> figure <tab> reference <tab> ratio (limit) <tab> met | NOT met
#
#   scripts/bench-table.sh [file...]    (default: standard input)
set -euo pipefail

awk -F '\t' '
$1 == "GOAL" && NF >= 6 {
    n++
    for (i = 2; i <= 6; i++) {
        cell[n, i] = $i
        if (length($i) > width[i]) width[i] = length($i)
    }
    if ($6 != "met") missed++
}
END {
    if (n == 0) {
        print "no GOAL lines"
        exit 0
    }
    split("goal figure reference ratio result", head, " ")
    for (i = 2; i <= 6; i++) if (length(head[i - 1]) > width[i]) width[i] = length(head[i - 1])
    line = ""
    for (i = 2; i <= 6; i++) line = line sprintf("%-" width[i] "s  ", head[i - 1])
    print line
    for (r = 1; r <= n; r++) {
        line = ""
        for (i = 2; i <= 6; i++) line = line sprintf("%-" width[i] "s  ", cell[r, i])
        print line
    }
    printf "%d goals, %d met, %d not met\n", n, n - missed, missed
}' "$@"
