#!/bin/bash
# Holds the figures of one bench/run-all.sh run against the recorded ones, so that a regression is
# loud: a figure more than 25% worse than its baseline is named on stdout and the status is 1.
#   bench/compare-baseline.sh FIGURES BASELINE
#   bench/compare-baseline.sh --record FIGURES BASELINE   (writes BASELINE from FIGURES)
# FIGURES: "name value" lines, the value "n/a" where a step could not run. BASELINE: "name value
# lower|higher" lines (which way is better), '#' comments. Figures are times and sizes of one
# machine: a baseline recorded on another says nothing, so it names the machine it was taken on.
set -u

record=0
if [ "${1:-}" = --record ]; then
    record=1
    shift
fi
[ $# -eq 2 ] || { echo "usage: compare-baseline.sh [--record] FIGURES BASELINE" >&2; exit 2; }
figures=$1 baseline=$2
[ -r "$figures" ] || { echo "compare-baseline: cannot read $figures" >&2; exit 2; }
[ -r "$baseline" ] || { echo "compare-baseline: cannot read $baseline" >&2; exit 2; }

if [ "$record" = 1 ]; then
    # The names and directions stay; the values and the machine are this run's.
    new=$(awk -v machine="$(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')" '
        NR == FNR { value[$1] = $2; next }
        /^# machine:/ { print "# machine: " machine; next }
        /^#/ || NF == 0 { print; next }
        { v = ($1 in value) ? value[$1] : $2; if (v == "n/a") v = $2; print $1, v, $3 }' "$figures" "$baseline") ||
        exit 1
    printf '%s\n' "$new" >"$baseline"
    exit 0
fi

awk '
    NR == FNR { value[$1] = $2; next }
    /^#/ || NF == 0 { next }
    {
        name = $1; base = $2 + 0; better = $3
        if (!(name in value) || value[name] == "n/a") { print "not measured: " name; next }
        v = value[name] + 0
        worse = (better == "lower") ? (v > base * 1.25) : (v * 1.25 < base)
        if (worse) {
            change = base != 0 ? (v - base) / base * 100 : 0
            printf "REGRESSED: %s is %s against %s recorded (%+.0f%%)\n", name, value[name], $2, change
            regressed = 1
        }
    }
    END { exit regressed ? 1 : 0 }' "$figures" "$baseline"
