#!/usr/bin/env bash
# The checks of the test scripts must be able to fail: a failing fuzzer fails `scripts/fuzz`,
# and a failing stage fails the test command while the stages after it still run.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
problems=0

expect() { # expect WHAT EXPECTED ACTUAL
    if [[ $2 != "$3" ]]; then
        echo "FAIL: $1: expected '$2', got '$3'"
        problems=$((problems + 1))
    else
        echo "ok: $1"
    fi
}

standin() { # standin NAME EXIT-CODE OUTPUT-LINE: a fuzzer that only says something and ends
    printf '#!/bin/sh\necho "%s"\nexit %s\n' "$3" "$2" >"$work/$1_fuzzer"
    chmod +x "$work/$1_fuzzer"
}
mkdir "$work/corpus"

# Fuzzer outcomes, and what scripts/fuzz must exit with and show of them.
while read -r name code line; do
    standin "$name" "$code" "$line"
    out=$("$root/scripts/fuzz" short "$work/${name}_fuzzer" "$work/corpus" 1 2>&1)
    expect "fuzz short, fuzzer exits $code" "$code" "$?"
    [[ $line == property* || $line == '#'* ]] && expect "fuzz short keeps '$line'" "$line" "$out"
done <<'TABLE'
failing 1 property failed: stand-in
passing 0 #7 DONE cov: 1
crashing 77 unfiltered noise
TABLE

# Stages: one fails, the rest still run, and the totals count every failure.
report=$(
    # shellcheck source=../../scripts/lib/stages.sh
    source "$root/scripts/lib/stages.sh"
    run_stage format false >/dev/null
    run_stage build true >/dev/null
    run_tests unit printf '95%% tests passed, 2 tests failed out of 40\n' >/dev/null
    run_tests e2e printf '7 passed, 0 failed\n' >/dev/null
    run_tests silent sh -c 'exit 3' >/dev/null
    finish_stages
    echo "status $?"
)
expect "failed stage reported" "format: FAILED (exit 1)" "$(grep '^format:' <<<"$report")"
expect "stage after a failure ran" "build: ok" "$(grep '^build:' <<<"$report")"
expect "runner without a summary counts" "silent: FAILED: no test summary; exit 3" \
    "$(grep '^silent:' <<<"$report")"
expect "totals" "total: 45 passed, 4 failed" "$(grep '^total:' <<<"$report")"
expect "exit status" "status 1" "$(tail -n 1 <<<"$report")"

clean=$(
    source "$root/scripts/lib/stages.sh"
    run_tests e2e printf '7 passed, 0 failed\n' >/dev/null
    finish_stages >/dev/null
    echo "status $?"
)
expect "all passed" "status 0" "$clean"

((problems == 0))
