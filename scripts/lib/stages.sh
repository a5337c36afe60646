# Stages of a test run, sourced by scripts/test: every stage runs even after one failed, and
# the end reports each stage and the totals with the failures.
#
#   run_stage NAME COMMAND...   a step with no tests of its own (install, format, build):
#                               a failure counts as one
#   run_tests NAME COMMAND...   a test runner: its own closing line is counted (ctest's
#                               "N tests failed out of N", or "N passed, N failed"); a runner
#                               that failed without saying so, or said nothing, counts one
#   finish_stages               prints the report; fails when anything failed

stage_results=()
stage_passed=0
stage_failed=0

run_stage() {
    local name=$1 status=0
    shift
    echo "=== $name"
    "$@" || status=$?
    if ((status == 0)); then
        stage_results+=("$name: ok")
    else
        stage_results+=("$name: FAILED (exit $status)")
        stage_failed=$((stage_failed + 1))
    fi
}

run_tests() {
    local name=$1 status=0 log passed failed summary
    shift
    echo "=== $name"
    log=$(mktemp)
    "$@" 2>&1 | tee "$log" || status=$?
    summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+|^[0-9]+ passed, [0-9]+ failed' \
        "$log" | tail -n 1)
    rm -f "$log"
    if [[ $summary =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
        failed=${BASH_REMATCH[1]}
        passed=$((BASH_REMATCH[2] - failed))
    elif [[ $summary =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed ]]; then
        passed=${BASH_REMATCH[1]} failed=${BASH_REMATCH[2]}
    else
        passed=0 failed=0 summary="no test summary"
    fi
    if ((status != 0 && failed == 0)); then
        failed=1
        summary="$summary; exit $status"
    fi
    stage_passed=$((stage_passed + passed))
    stage_failed=$((stage_failed + failed))
    if ((failed == 0)); then
        stage_results+=("$name: $summary")
    else
        stage_results+=("$name: FAILED: $summary")
    fi
}

finish_stages() {
    echo
    printf '%s\n' "${stage_results[@]}"
    echo "total: $stage_passed passed, $stage_failed failed"
    ((stage_failed == 0))
}
