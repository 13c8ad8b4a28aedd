#!/usr/bin/env bash
# Builds the fuzz targets and runs one of them, or all of them in turn.
#   fuzz/run.sh <target|all> <seconds> [more libFuzzer options]
# A target is named by its source file, with or without the prefix:
# fuzz_evaluador or evaluador. Each run starts from the seeds in
# fuzz/corpus/<target>/ plus what earlier local runs found (kept under
# build/fuzz/corpus/, never in the seeds); a crash, a hang over a second, a
# sanitizer report or more than 256 MB makes the script fail, and the input
# that did it is left in build/fuzz/hallazgos/.
# FUZZ_CORPUS_TEMPORAL=1 (test.sh) works on a throw-away corpus instead.
set -euo pipefail
cd "$(dirname "$0")/.."
raiz="$PWD"

if [ $# -lt 2 ]; then
    echo "uso: fuzz/run.sh <objetivo|all> <segundos> [opciones de libFuzzer]" >&2
    exit 2
fi
objetivo="$1"; segundos="$2"; shift 2

build="$raiz/build/fuzz"
# FUZZ_SIN_COMPILAR=1 runs what is built (several runs at once share one build).
if [ "${FUZZ_SIN_COMPILAR:-0}" != 1 ]; then
    cmake -S fuzz -B "$build/obj" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build/obj" -j"${FUZZ_JOBS_COMPILACION:-$(nproc)}"
fi
# A small quarantine keeps AddressSanitizer's own memory well under the
# 256 MB limit of the runs (the default one alone would pass it); options
# already set come after and win.
export ASAN_OPTIONS="quarantine_size_mb=16:detect_leaks=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"

if [ "$objetivo" = all ]; then
    objetivos=()
    for fuente in fuzz/fuzz_*.cpp; do objetivos+=("$(basename "$fuente" .cpp)"); done
else
    objetivos=("fuzz_${objetivo#fuzz_}")
fi

temporal=""
if [ "${FUZZ_CORPUS_TEMPORAL:-0}" = 1 ]; then
    temporal="$(mktemp -d)"
    trap 'rm -rf "$temporal"' EXIT
fi

correr() {
    local nombre="$1" binario="$build/obj/$1" semillas="$raiz/fuzz/corpus/$1" trabajo
    shift
    [ -x "$binario" ] || { echo "no hay objetivo $nombre (¿falta su línea en fuzz/CMakeLists.txt?)" >&2; return 1; }
    [ -d "$semillas" ] || { echo "faltan las semillas de $nombre en fuzz/corpus/$nombre" >&2; return 1; }
    if [ -n "$temporal" ]; then trabajo="$temporal/$nombre"; else trabajo="$build/corpus/$nombre"; fi
    mkdir -p "$trabajo" "$build/hallazgos"
    echo "== fuzz $nombre: ${segundos} s =="
    # New inputs go to the first folder only, so the seeds stay as committed.
    "$binario" -max_total_time="$segundos" -rss_limit_mb=256 -malloc_limit_mb=256 -timeout=1 \
        -print_final_stats=1 -artifact_prefix="$build/hallazgos/$nombre-" "$@" \
        "$trabajo" "$semillas" 2>&1 | tail -n 40
}

fallidos=()
for nombre in "${objetivos[@]}"; do
    correr "$nombre" "$@" || fallidos+=("$nombre")
done
if [ ${#fallidos[@]} -gt 0 ]; then
    echo "FUZZ: hallazgos o fallos en: ${fallidos[*]} (entradas en $build/hallazgos/)" >&2
    exit 1
fi
echo "FUZZ: ${#objetivos[@]} objetivos sin hallazgos"
