#!/usr/bin/env bash
# Installs what is missing, builds in Release and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/paquetes.sh
instalar_faltantes
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDAL_TESTS=OFF >/dev/null
cmake --build build/release -j"$(nproc)"
exec ./build/release/app/quendal "$@"
