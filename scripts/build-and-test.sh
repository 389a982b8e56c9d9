#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every suite:
#
#   native   Linux build, its CTest suite
#   asan     clang with AddressSanitizer and UndefinedBehaviorSanitizer, the same suite
#   tsan     clang with ThreadSanitizer: the suites that query from several threads
#   win32    MinGW-w64 cross build, the same suite under Wine (cmake/run-win32-suite.sh)
#   fuzz     every libFuzzer target for a short, fixed time on its seed corpus
#   bench    the decoder and JQID index benchmarks, once and briefly
#
#   scripts/build-and-test.sh [STAGE...]        (no argument: all of them, in that order)
#
# Every stage runs even when an earlier one failed; the exit status is 1 when
# any failed. Environment: JQ_FUZZ_SECONDS (default 20) per fuzz target,
# JQ_SKIP_INSTALL=1 to skip the package check.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
source_dir=$(pwd)
fuzz_seconds=${JQ_FUZZ_SECONDS:-20}
jobs=$(nproc)

stages=("$@")
[ ${#stages[@]} -gt 0 ] || stages=(native asan tsan win32 fuzz bench)

say() { printf '\n=== %s ===\n' "$*"; }
elapsed() { echo "$(($(date +%s) - $1)) s"; }

# A CMake target exists in a configured tree when Ninja knows it.
has_target() { ninja -C "$1" -t query "$2" >/dev/null 2>&1; }

configure_and_build() {
    local preset=$1
    shift
    cmake --preset "$preset" >"build/$preset.configure.log" 2>&1 || {
        cat "build/$preset.configure.log"
        return 1
    }
    cmake --build --preset "$preset" -j "$jobs" "$@"
}

stage_native() {
    configure_and_build native && ctest --preset native
}

stage_asan() {
    configure_and_build asan && ctest --preset asan
}

# Only what runs threads: the index libraries queried during reloads.
stage_tsan() {
    configure_and_build tsan --target idindex_concurrency idindex_stress feedcore idindex &&
        ctest --preset tsan -R '_concurrency$'
}

stage_win32() {
    configure_and_build win32 && cmake/run-win32-suite.sh build/win32
}

stage_fuzz() {
    if [ ! -f fuzz/CMakeLists.txt ]; then
        echo "no fuzz targets yet (fuzz/CMakeLists.txt)"
        return 0
    fi
    configure_and_build fuzz || return 1
    if has_target build/fuzz fuzz_corpora; then
        cmake --build --preset fuzz --target fuzz_corpora || return 1
    fi
    local targets=() status=0
    for program in build/fuzz/bin/fuzz_*; do
        [ -x "$program" ] && [ -f "$program" ] && targets+=("$program")
    done
    if [ ${#targets[@]} -eq 0 ]; then
        echo "FAIL: the fuzz build made no fuzz_* program in build/fuzz/bin"
        return 1
    fi
    mkdir -p build/fuzz/work build/fuzz/artifacts build/fuzz/logs
    for program in "${targets[@]}"; do
        local name corpus work log
        name=$(basename "$program")
        corpus=build/fuzz/corpus/$name
        work=build/fuzz/work/$name
        log=build/fuzz/logs/$name.log
        mkdir -p "$work"
        # New inputs go to the work folder; the seed corpus is only read.
        local dirs=("$work")
        [ -d "$corpus" ] && dirs+=("$corpus")
        if timeout $((fuzz_seconds + 120)) "$program" -max_total_time="$fuzz_seconds" -timeout=10 \
            -rss_limit_mb=2048 -artifact_prefix="build/fuzz/artifacts/$name-" "${dirs[@]}" \
            >"$log" 2>&1; then
            echo "$name: passed ($(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$log" | tail -n 1)," \
                "seeds: $([ -d "$corpus" ] && find "$corpus" -type f | wc -l || echo none))"
        else
            echo "$name: FAILED, the end of its log ($log):"
            tail -n 60 "$log"
            status=1
        fi
    done
    return "$status"
}

stage_bench() {
    if [ ! -f bench/CMakeLists.txt ]; then
        echo "no benchmarks yet (bench/CMakeLists.txt)"
        return 0
    fi
    cmake --preset bench >build/bench.configure.log 2>&1 || {
        cat build/bench.configure.log
        return 1
    }
    if ! has_target build/bench bench_decrypt; then
        echo "no bench_decrypt target"
        return 0
    fi
    cmake --build --preset bench -j "$jobs" --target bench_decrypt bench_schedule bench_jqid ||
        return 1
    build/bench/bin/bench_decrypt --benchmark_min_time=0.05 --benchmark_color=false || return 1
    build/bench/bin/bench_schedule --benchmark_min_time=0.05 --benchmark_color=false || return 1
    build/bench/bin/bench_jqid --jq_entries=50000 --benchmark_min_time=0.05 --benchmark_color=false
}

started=$(date +%s)
if [ "${JQ_SKIP_INSTALL:-0}" != 1 ]; then
    say "install"
    groups=(native)
    for stage in "${stages[@]}"; do [ "$stage" = win32 ] && groups+=(win32); done
    scripts/install-deps.sh "${groups[@]}"
fi
mkdir -p build

failed=()
for stage in "${stages[@]}"; do
    if ! declare -F "stage_$stage" >/dev/null; then
        echo "build-and-test: unknown stage '$stage'" >&2
        exit 2
    fi
    say "$stage"
    stage_started=$(date +%s)
    if "stage_$stage"; then
        echo "--- $stage passed in $(elapsed "$stage_started")"
    else
        echo "--- $stage FAILED after $(elapsed "$stage_started")"
        failed+=("$stage")
    fi
done

say "summary"
echo "stages: ${stages[*]}; total time $(elapsed "$started")"
if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED: ${failed[*]}"
    exit 1
fi
echo "all stages passed"
