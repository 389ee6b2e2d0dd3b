#!/usr/bin/env bash
# Builds the fuzz targets (clang 14, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs them.
#
#   scripts/fuzz.sh [TARGET...]      every target when none is named
#
# Only the targets named are built.
# Each target first reads every input of its seed corpus (fuzz/<library>/
# corpus/<target>/), then tries FUZZ_RUNS inputs in all (default 1,000,000)
# from the fixed seed FUZZ_SEED (default 1). New inputs it finds go to a
# scratch folder, never into the repository. The script exits non-zero when a
# target finds a fault; the input that shows it is kept as
# build-fuzz/findings/<target>-crash-... (run the target on it to see it again).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
BUILD_DIR=${MORVANE_FUZZ_BUILD_DIR:-build-fuzz}
FUZZ_RUNS=${FUZZ_RUNS:-1000000}
FUZZ_SEED=${FUZZ_SEED:-1}

if [ ! -f "$BUILD_DIR/build.ninja" ]; then
    launcher=()
    if command -v ccache >/dev/null; then
        launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    CC=clang-14 CXX=clang++-14 cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DMORVANE_FUZZ=ON -DMORVANE_BUILD_TESTS=OFF -DMORVANE_BUILD_BENCHMARKS=OFF "${launcher[@]}"
fi

# The list is written when the build is configured; only the targets named
# are built (all of them when none is).
list="$BUILD_DIR/fuzz/targets.txt"
mapfile -t known < <(cut -f1 "$list")
targets=("$@")
build=(morvane_fuzzers)
if [ ${#targets[@]} -eq 0 ]; then
    targets=("${known[@]}")
else
    build=()
    for t in "${targets[@]}"; do
        if ! printf '%s\n' "${known[@]}" | grep -qx "$t"; then
            echo "No fuzz target $t; there are: ${known[*]}" >&2
            exit 2
        fi
        build+=("fuzz_$t")
    done
fi
cmake --build "$BUILD_DIR" --target "${build[@]}" -j "$(nproc)"

# intercept_tls_get_addr=0 as in scripts/test.sh --sanitize.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:check_initialization_order=1:intercept_tls_get_addr=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0}
mkdir -p "$BUILD_DIR/findings"
failed=()
summary=()
for t in "${targets[@]}"; do
    IFS=$'\t' read -r name program corpus options < <(grep -P "^$t\t" "$list")
    work=$(mktemp -d)
    log="$BUILD_DIR/findings/$name.log"
    echo "== $name: $FUZZ_RUNS inputs from seed $FUZZ_SEED"
    start=$(date +%s%N)
    # shellcheck disable=SC2086 # options are separate words
    if "$program" -seed="$FUZZ_SEED" -runs="$FUZZ_RUNS" -timeout=20 -rss_limit_mb=4096 -close_fd_mask=3 \
        -print_final_stats=1 -artifact_prefix="$BUILD_DIR/findings/$name-" $options "$work" "$corpus" \
        >"$log" 2>&1; then
        status=ok
    else
        status=FAULT
        failed+=("$name")
        tail -n 60 "$log" >&2
    fi
    ms=$((($(date +%s%N) - start) / 1000000))
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
    summary+=("$(printf '%-28s %-6s %10s runs %6d.%d s' "$name" "$status" "$runs" $((ms / 1000)) $((ms % 1000 / 100)))")
    rm -rf "$work"
done
printf '%s\n' "${summary[@]}"
echo "fuzz targets: $((${#targets[@]} - ${#failed[@]})) passed, ${#failed[@]} failed"
if [ ${#failed[@]} -gt 0 ]; then
    echo "Fault found by: ${failed[*]} (inputs in $BUILD_DIR/findings/)" >&2
    exit 1
fi
