#!/usr/bin/env bash
# Installs what is missing, builds in Release and starts the program's window.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/paquetes.sh
instalar_faltantes
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDAL_TESTS=OFF >/dev/null
cmake --build build/release -j"$(nproc)"

# Host folder of "C:\tarnek\modelado_ro", by the program's drive mapping:
# $QUENDAL_UNIDAD_C, or $XDG_DATA_HOME/quendal/c (an absolute XDG_DATA_HOME
# only), or ~/.local/share/quendal/c.
carpeta_modelos() {
    local unidad="${QUENDAL_UNIDAD_C:-}"
    if [ -z "$unidad" ]; then
        local datos="${XDG_DATA_HOME:-}"
        case "$datos" in
            /*) ;;
            *) datos="${HOME:-}/.local/share" ;;
        esac
        unidad="$datos/quendal/c"
    fi
    while [ "${unidad%/}" != "$unidad" ]; do unidad="${unidad%/}"; done
    printf '%s/tarnek/modelado_ro' "$unidad"
}

# The demo plant of examples/ goes into the model root when that holds no
# plant folder yet. A demo folder copied before gets the demo files it lacks
# (a file added to the demo since); no file already there is replaced.
instalar_planta_demo() {
    local raiz demo archivo
    raiz="$(carpeta_modelos)"
    demo="$raiz/c9001"
    if [ -d "$demo" ]; then
        for archivo in examples/c9001/*; do
            if [ ! -e "$demo/${archivo##*/}" ]; then
                cp "$archivo" "$demo/"
                echo "Archivo de la planta de demostración agregado: $demo/${archivo##*/}"
            fi
        done
        return 0
    fi
    if compgen -G "$raiz/c[0-9]*/" >/dev/null; then return 0; fi
    mkdir -p "$raiz"
    cp -R examples/c9001 "$raiz/"
    echo "Planta de demostración copiada en: $demo"
}
instalar_planta_demo

# Without a display (and no Qt platform chosen) the window opens on a virtual
# X server instead of failing.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No hay pantalla (DISPLAY y WAYLAND_DISPLAY vacías): la ventana se abre bajo xvfb-run."
    exec xvfb-run -a ./build/release/app/quendal "$@"
fi
exec ./build/release/app/quendal "$@"
