#!/usr/bin/env bash
# Installs what is missing, builds in Release and starts the program's window.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/paquetes.sh
instalar_faltantes
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDAL_TESTS=OFF >/dev/null
cmake --build build/release -j"$(nproc)"
# Without a display (and no Qt platform chosen) the window opens on a virtual
# X server instead of failing.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No hay pantalla (DISPLAY y WAYLAND_DISPLAY vacías): la ventana se abre bajo xvfb-run."
    exec xvfb-run -a ./build/release/app/quendal "$@"
fi
exec ./build/release/app/quendal "$@"
