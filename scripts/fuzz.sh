#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The GrelvinBB authors
# Runs libFuzzer targets one after the other, each for a number of seconds, on a working
# corpus seeded from tests/fuzz/corpus/<name>; says how long each ran and whether it
# found anything. Inputs that crash are left in <build>/fuzz-crashes/<name>/: copy each
# into tests/fuzz/regressions/<name>/ once its fault is fixed.
#
#   scripts/fuzz.sh BUILD_DIR SECONDS NAME...     (e.g. build-fuzz 600 fen book)
# One input running longer than FUZZ_TIMEOUT seconds (default 60) counts as a hang.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build=$1 seconds=$2
shift 2
status=0
for name in "$@"; do
    exe="$build/fuzz_$name"
    seeds="$here/../tests/fuzz/corpus/$name"
    work="$build/fuzz-corpus/$name"
    crashes="$build/fuzz-crashes/$name"
    mkdir -p "$work" "$crashes"
    dict=()
    [ -f "$here/../tests/fuzz/$name.dict" ] && dict=(-dict="$here/../tests/fuzz/$name.dict")
    start=$(date +%s)
    "$exe" -max_total_time="$seconds" -timeout="${FUZZ_TIMEOUT:-60}" -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$crashes/" "${dict[@]}" "$work" "$seeds" > "$build/fuzz-$name.log" 2>&1
    rc=$?
    ran=$(( $(date +%s) - start ))
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/fuzz-$name.log" | grep -o '[0-9]*$')
    if [ $rc -eq 0 ]; then
        echo "fuzz_$name: ran ${ran} s, ${runs:-?} inputs, no fault"
    else
        echo "fuzz_$name: FAULT after ${ran} s (exit $rc); see $build/fuzz-$name.log and $crashes/"
        # The report (a sanitizer's, or the stacks of a hang) and the input that caused
        # it, so that a fault seen only in a CI log can still be read and replayed.
        grep -v -e '^#[0-9]' -e '^ *"' "$build/fuzz-$name.log" | tail -n 60 | sed 's/^/    /'
        for input in "$crashes"/*; do
            [ -f "$input" ] || continue
            echo "    input $(basename "$input") (base64):"
            head -c 4096 "$input" | base64 | sed 's/^/    /'
        done
        status=1
    fi
done
exit $status
