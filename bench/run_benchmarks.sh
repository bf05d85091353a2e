#!/bin/sh
# Runs every registered benchmark (bench/CMakeLists.txt) one after another
# and prints one table of the ratios they report; each one's whole output
# is kept in RESULTS_DIR/NAME.txt.
#
#   run_benchmarks.sh LIST BIN_DIR RESULTS_DIR
#
# A missed goal is marked in the table; a benchmark that fails or reports
# nothing makes the command fail.
set -u
list=$1
bin=$2
results=$3
mkdir -p "$results"
rows=$results/rows.tsv
: >"$rows"
status=0
while read -r name args; do
    [ -n "$name" ] || continue
    printf 'running %s %s ... ' "$name" "$args" >&2
    start=$(date +%s)
    # shellcheck disable=SC2086
    if (cd "$bin" && "./$name" $args) </dev/null >"$results/$name.txt" 2>&1; then
        echo "$(($(date +%s) - start)) s" >&2
    else
        echo "failed (see $results/$name.txt)" >&2
        printf '%s\tfailed, see %s\t\t\n' "$name" "$results/$name.txt" >>"$rows"
        status=1
        continue
    fi
    if ! grep -q '^ratio	' "$results/$name.txt"; then
        printf '%s\treported no ratio, see %s\t\t\n' "$name" "$results/$name.txt" >>"$rows"
        status=1
    fi
    sed -n "s/^ratio	/$name	/p" "$results/$name.txt" >>"$rows"
done <"$list"

echo
awk -F'\t' '
    function met(value, goal,    op, bound) {
        if (goal == "" || value == "") return ""
        split(goal, part, " "); op = part[1]; bound = part[2] + 0
        if (op == "<=") return value + 0 <= bound ? "" : "missed"
        if (op == ">=") return value + 0 >= bound ? "" : "missed"
        return ""
    }
    { n++; name[n] = $1; what[n] = $2; value[n] = $3; goal[n] = $4
      if (length($1) > wn) wn = length($1)
      if (length($2) > ww) ww = length($2) }
    END {
        if (wn < 9) wn = 9
        printf "%-" wn "s  %-" ww "s  %8s  %-8s\n", "benchmark", "ratio", "measured", "goal"
        for (i = 1; i <= n; i++)
            printf "%-" wn "s  %-" ww "s  %8s  %-8s %s\n", name[i], what[i], value[i], goal[i], met(value[i], goal[i])
    }' "$rows" | tee "$results/table.txt"
exit $status
