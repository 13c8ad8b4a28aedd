#include "data/unidades.h"

#include <cstdlib>

#include "numerics/errores.h"

namespace {

bool EsLetraAscii(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char MayusculaAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

char MinusculaAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EsRutaDeUnidad(std::string_view ruta) {
    return ruta.size() >= 2 && EsLetraAscii(ruta[0]) && ruta[1] == ':';
}

std::string BarrasNormales(std::string_view ruta) {
    std::string resultado(ruta);
    for (char& c : resultado)
        if (c == '\\') c = '/';
    return resultado;
}

// The value of an environment variable, empty when it is unset.
std::string VariableDeEntorno(const std::string& nombre) {
    const char* valor = std::getenv(nombre.c_str());
    return valor ? std::string(valor) : std::string();
}

// Where the per-user data lives: $XDG_DATA_HOME when it is an absolute path
// (relative values are to be ignored), else $HOME/.local/share.
std::string CarpetaDeDatosDelUsuario(char letra) {
    const std::string xdg = VariableDeEntorno("XDG_DATA_HOME");
    if (!xdg.empty() && xdg.front() == '/') return xdg;
    const std::string home = VariableDeEntorno("HOME");
    if (home.empty())
        throw EInOutError(std::string("No se puede ubicar la unidad ") + letra +
                          ": (no están definidas QUENDAL_UNIDAD_" + letra +
                          ", XDG_DATA_HOME ni HOME)");
    return home + "/.local/share";
}

std::string VariableDeUnidad(char letra) { return std::string("QUENDAL_UNIDAD_") + MayusculaAscii(letra); }

// Host folder of a drive, without a trailing '/'.
std::string CarpetaDeUnidad(char letra) {
    const char mayuscula = MayusculaAscii(letra);
    std::string carpeta = VariableDeEntorno(VariableDeUnidad(letra));
    if (carpeta.empty())
        carpeta = CarpetaDeDatosDelUsuario(mayuscula) + "/quendal/" + MinusculaAscii(letra);
    while (!carpeta.empty() && carpeta.back() == '/') carpeta.pop_back();
    return carpeta;
}

}  // namespace

std::string RutaLocal(std::string_view ruta) {
    if (!EsRutaDeUnidad(ruta)) return std::string(ruta);
    const std::string resto = BarrasNormales(ruta.substr(2));
    const std::string carpeta = CarpetaDeUnidad(ruta[0]);
    if (resto.empty()) return carpeta.empty() ? std::string("/") : carpeta;
    return resto.front() == '/' ? carpeta + resto : carpeta + "/" + resto;
}

std::string RutaEnCarpeta(std::string_view carpeta, std::string_view nombre) {
    const char separador = EsRutaDeUnidad(carpeta) ? '\\' : '/';
    std::string ruta(carpeta);
    if (ruta.empty() || ruta.back() != separador) ruta += separador;
    ruta += nombre;
    return ruta;
}

std::string DescripcionDeUnidad(char letra) {
    const std::string carpeta = CarpetaDeUnidad(letra);
    const std::string variable = VariableDeUnidad(letra);
    if (VariableDeEntorno(variable).empty()) return carpeta;
    return carpeta + ", según " + variable;
}
