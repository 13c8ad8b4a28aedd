# Shared by run.sh and test.sh: installs the Debian packages that are missing.
PAQUETES="cmake ninja-build g++ qt6-base-dev libpq-dev postgresql libcurl4-openssl-dev \
libgtest-dev libgmock-dev libbenchmark-dev libxlsxwriter-dev zlib1g-dev xvfb fonts-dejavu-core \
python3 openssl clang libclang-rt-14-dev qt6-translations-l10n"

instalar_faltantes() {
    local faltan=""
    for p in $PAQUETES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || faltan="$faltan $p"
    done
    if [ -n "$faltan" ]; then
        echo "Instalando:$faltan"
        apt-get update
        DEBIAN_FRONTEND=noninteractive apt-get install -y $faltan
    fi
}
