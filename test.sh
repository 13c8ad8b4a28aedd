#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: once in a normal
# build and once with AddressSanitizer and UndefinedBehaviorSanitizer.
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
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    run_build build/asan -DCMAKE_BUILD_TYPE=Debug -DQUENDAL_SANITIZE=ON

# Fuzz targets of the readers: built with clang, each run for 30 s on top of
# its seed corpus; any crash, hang, sanitizer report or excess memory fails.
echo "== Fuzz targets =="
FUZZ_CORPUS_TEMPORAL=1 fuzz/run.sh all 30
