#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: once in a normal
# build and once with AddressSanitizer and UndefinedBehaviorSanitizer; then
# the model and restriction tests with ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/paquetes.sh
instalar_faltantes
export QT_QPA_PLATFORM=offscreen
jobs="$(nproc)"

run_build() {
    local dir="$1"; shift
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
    (cd "$dir" && ctest -j"$jobs" --output-on-failure --timeout 600)
}

echo "== Normal build =="
run_build build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== Sanitizer build =="
# LeakSanitizer does not walk thread-local storage (use_tls=0): its walk of
# the blocks that libraries loaded at run time (Qt's plugins) keep there
# crashes it at exit in some builds ("Tracer caught signal 11"), depending
# only on the binary's layout. Left out of the roots, TLS can only add
# reports, never hide one; tests/lsan.supp names the system libraries whose
# per-thread blocks are reachable from TLS alone.
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    LSAN_OPTIONS="use_tls=0:suppressions=$PWD/tests/lsan.supp" \
    run_build build/asan -DCMAKE_BUILD_TYPE=Debug -DQUENDAL_SANITIZE=ON

# The runs' worker threads under ThreadSanitizer: the model and restriction
# tests, which evaluate samples on several threads, each binary split into
# one shard per core, all shards at once; any race report fails the run.
echo "== ThreadSanitizer build =="
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENDAL_TSAN=ON >/dev/null
cmake --build build/tsan -j"$jobs" --target tests_models tests_restrictions
tsan_fallas=0
tsan_pids=()
for binario in tests_models tests_restrictions; do
    for ((shard = 0; shard < jobs; shard++)); do
        TSAN_OPTIONS="halt_on_error=1" GTEST_TOTAL_SHARDS="$jobs" GTEST_SHARD_INDEX="$shard" \
            "build/tsan/tests/$binario" >"build/tsan/$binario.$shard.log" 2>&1 &
        tsan_pids+=("$!:$binario.$shard")
    done
done
for entrada in "${tsan_pids[@]}"; do
    if ! wait "${entrada%%:*}"; then
        echo "ThreadSanitizer: ${entrada#*:} failed"
        cat "build/tsan/${entrada#*:}.log"
        tsan_fallas=1
    fi
done
[ "$tsan_fallas" -eq 0 ] || exit 1

# Fuzz targets of the readers: built with clang, each run for 30 s on top of
# its seed corpus; any crash, hang, sanitizer report or excess memory fails.
echo "== Fuzz targets =="
FUZZ_CORPUS_TEMPORAL=1 fuzz/run.sh all 30
