#!/usr/bin/env bash
# Installs what is missing, builds every target and runs every suite:
#
#   native   Linux build, its CTest suite
#   asan     clang with AddressSanitizer and UndefinedBehaviorSanitizer, the same suite
#   tsan     clang with ThreadSanitizer: the suites that query from several threads
#   win32    the product, 32-bit Windows DLLs: built, their interface checked, and the
#            same suite under 32-bit Wine where this machine executes 32-bit x86 code
#   win64    the same code as 64-bit Windows DLLs: built, checked, the suite under wine64
#   fuzz     every libFuzzer target for a short, fixed time on its seed corpus
#   bench    the decoder, JQID, topics and MICP index benchmarks, once and briefly
#
#   scripts/build-and-test.sh [STAGE...]        (no argument: all of them, in that order)
#
# Every stage runs even when an earlier one failed; the exit status is 1 when
# any failed. The summary lists what each stage actually ran. Environment:
# JQ_FUZZ_SECONDS (default 20) per fuzz target, JQ_SKIP_INSTALL=1 to skip the
# package check, JQ_WIN32_SUITE=run to run the 32-bit suite without probing.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
source_dir=$(pwd)
fuzz_seconds=${JQ_FUZZ_SECONDS:-20}
jobs=$(nproc)

stages=("$@")
[ ${#stages[@]} -gt 0 ] || stages=(native asan tsan win32 win64 fuzz bench)

say() { printf '\n=== %s ===\n' "$*"; }
elapsed() { echo "$(($(date +%s) - $1)) s"; }

# What the running stage did, for the summary.
declare -A stage_ran
ran() { stage_ran[$current_stage]+="${stage_ran[$current_stage]:+; }$*"; }

# Runs ctest (or a runner of it) and notes "<what>: N tests, M failed".
run_ctest() {
    local what=$1 log status=0
    shift
    log=$(mktemp)
    "$@" 2>&1 | tee "$log" || status=$?
    ran "$what: $(sed -n 's/^[0-9]*% tests passed, \([0-9]*\) tests\? failed out of \([0-9]*\)$/\2 tests, \1 failed/p' "$log" | tail -n 1)"
    rm -f "$log"
    return "$status"
}

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
    configure_and_build native && run_ctest "native suite" ctest --preset native
}

stage_asan() {
    configure_and_build asan && run_ctest "native suite under ASan+UBSan" ctest --preset asan
}

# Only what runs threads: the index libraries queried during reloads.
stage_tsan() {
    configure_and_build tsan --target idindex_concurrency idindex_stress idindex \
        newsindex_concurrency newsindex_stress newsindex mediaindex_concurrency mediaindex_stress \
        mediaindex feedcore &&
        run_ctest "concurrency suites under TSan" ctest --preset tsan -R '_concurrency$'
}

# The whole suite under Wine. Where 32-bit x86 code does not execute here
# (cmake/can-run-i386.sh), the 32-bit stage builds the shipped libraries and
# tools alone and runs their interface checks, which read the DLLs on the
# build machine.
windows_stage() {
    local preset=$1 reason
    if [ "$preset" = win32 ] && [ "${JQ_WIN32_SUITE:-auto}" != run ] &&
        ! reason=$(cmake/can-run-i386.sh); then
        echo "NOT RUN: the 32-bit Windows suite, because $reason"
        configure_and_build win32 --target shipped_libraries jqtool jqwrite || return 1
        ran "built the win32 DLLs and tools"
        ran "win32 suite NOT RUN ($reason; win64 carries the Windows run-time coverage)"
        run_ctest "win32 interface checks" ctest --test-dir build/win32 -L interface \
            --output-on-failure --no-tests=error
        return
    fi
    configure_and_build "$preset" || return 1
    ran "built the $preset DLLs, tools and tests"
    run_ctest "$preset suite under Wine" cmake/run-windows-suite.sh "build/$preset"
}

stage_win32() { windows_stage win32; }
stage_win64() { windows_stage win64; }

# One fuzz target for fuzz_seconds on its seed corpus; new inputs go to a work
# folder, the seed corpus is only read. Says how it went; fails on a finding.
fuzz_one() {
    local program=$1 name corpus work log
    name=$(basename "$program")
    corpus=build/fuzz/corpus/$name
    work=build/fuzz/work/$name
    log=build/fuzz/logs/$name.log
    mkdir -p "$work"
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
        return 1
    fi
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
    # Two targets at a time, one per core; each reports into a file of its own,
    # printed once both of the pair have ended.
    local i
    for ((i = 0; i < ${#targets[@]}; i += 2)); do
        local pair=("${targets[@]:i:2}") pids=() program
        for program in "${pair[@]}"; do
            fuzz_one "$program" >"build/fuzz/logs/$(basename "$program").report" 2>&1 &
            pids+=($!)
        done
        for pid in "${pids[@]}"; do wait "$pid" || status=1; done
        for program in "${pair[@]}"; do cat "build/fuzz/logs/$(basename "$program").report"; done
    done
    ran "${#targets[@]} fuzz targets, $fuzz_seconds s each, two at a time"
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
    cmake --build --preset bench -j "$jobs" --target bench_decrypt bench_schedule bench_jqid \
        bench_topics bench_micp bench_promo || return 1
    # Decryption on each DES path in turn; one the processor lacks falls back.
    for path in table sse2 avx2; do
        JQ_DES_PATH=$path build/bench/bin/bench_decrypt --benchmark_min_time=0.05 \
            --benchmark_color=false || return 1
    done
    build/bench/bin/bench_schedule --benchmark_min_time=0.05 --benchmark_color=false || return 1
    build/bench/bin/bench_jqid --jq_entries=50000 --benchmark_min_time=0.05 --benchmark_color=false ||
        return 1
    build/bench/bin/bench_topics --jq_entries=20000 --benchmark_min_time=0.05 \
        --benchmark_color=false || return 1
    build/bench/bin/bench_micp --jq_objects=500 --benchmark_min_time=0.05 --benchmark_color=false ||
        return 1
    build/bench/bin/bench_promo --jq_objects=2000 --benchmark_min_time=0.05 --benchmark_color=false ||
        return 1
    ran "bench_decrypt (table, sse2 and avx2 DES), bench_schedule, bench_jqid (50,000 entries), bench_topics (20,000 entries)," \
        "bench_micp (500 objects), bench_promo (2,000 objects)"
}

started=$(date +%s)
if [ "${JQ_SKIP_INSTALL:-0}" != 1 ]; then
    say "install"
    groups=(native)
    for stage in "${stages[@]}"; do
        case "$stage" in win32 | win64) groups+=("$stage") ;; esac
    done
    # A failed install is reported; the stages that lack a tool then fail.
    scripts/install-deps.sh "${groups[@]}" || echo "--- install FAILED: see above"
fi
mkdir -p build

failed=()
declare -A stage_result
for stage in "${stages[@]}"; do
    if ! declare -F "stage_$stage" >/dev/null; then
        echo "build-and-test: unknown stage '$stage'" >&2
        exit 2
    fi
    say "$stage"
    current_stage=$stage
    stage_started=$(date +%s)
    if "stage_$stage"; then
        result="passed in $(elapsed "$stage_started")"
    else
        result="FAILED after $(elapsed "$stage_started")"
        failed+=("$stage")
    fi
    echo "--- $stage $result"
    stage_result[$stage]=$result
done

say "summary"
for stage in "${stages[@]}"; do
    printf '%-7s %s: %s\n' "$stage" "${stage_result[$stage]}" "${stage_ran[$stage]:-nothing ran}"
done
echo "total time $(elapsed "$started")"
if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED: ${failed[*]}"
    exit 1
fi
echo "all stages passed"
