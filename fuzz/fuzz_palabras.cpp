// The token reader, as the series and position lines use it (under the
// invariant-format switch). Its tokens are those of an independent split at
// the separators, every call takes text off the front, and a token read as an
// integer or a real reads back from the text the program writes for it. The
// removal of leading unprintable bytes is checked on the same input.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "comun.h"
#include "numerics/textoreal.h"
#include "numerics/uauxiliares.h"

QUENDAL_FUZZ_INICIO

namespace {

bool EsSeparador(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' ' || c == ',' || c == ';'; }

std::vector<std::string_view> PartirEnSeparadores(std::string_view s) {
    std::vector<std::string_view> piezas;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && EsSeparador(s[i])) ++i;
        const std::size_t inicio = i;
        while (i < s.size() && !EsSeparador(s[i])) ++i;
        if (i > inicio) piezas.push_back(s.substr(inicio, i - inicio));
    }
    return piezas;
}

void ComprobarEntero(std::string_view palabra) {
    std::string_view s = palabra;
    int k = 0;
    const fuzz::TErrorLector error =
        fuzz::ConErroresPropios("SiguienteEntero", [&] { k = SiguienteEntero(s); });
    FUZZ_EXIGIR(error == fuzz::TErrorLector::Ninguno || error == fuzz::TErrorLector::Conversion,
                "SiguienteEntero: error que no es de conversión");
    if (error != fuzz::TErrorLector::Ninguno) return;
    char cifras[16];
    const char* fin = std::to_chars(cifras, cifras + sizeof cifras, k).ptr;
    std::string_view escrito(cifras, static_cast<std::size_t>(fin - cifras));
    FUZZ_EXIGIR(SiguienteEntero(escrito) == k, "un entero no se lee de sus cifras");
}

void ComprobarReal(std::string_view palabra) {
    std::string_view s = palabra;
    double x = 0;
    const fuzz::TErrorLector error = fuzz::ConErroresPropios("SiguienteReal", [&] { x = SiguienteReal(s); });
    FUZZ_EXIGIR(error != fuzz::TErrorLector::EntradaSalida, "SiguienteReal: error de entrada/salida");
    if (error != fuzz::TErrorLector::Ninguno) return;
    // A series file holds reals in the default form, one token each.
    const std::string escrito = RealATextoDefecto(x) + "\t";
    std::string_view resto = escrito;
    const double releido = SiguienteReal(resto);
    FUZZ_EXIGIR(fuzz::MismoValor(releido, x), "\"" + escrito + "\" no se lee como " + fuzz::Exacto(x));
    FUZZ_EXIGIR(resto.empty(), "queda texto tras la forma por defecto");
}

void ComprobarPalabras(std::string_view texto) {
    const std::vector<std::string_view> esperadas = PartirEnSeparadores(texto);
    std::string_view s = texto;
    std::size_t leidas = 0;
    while (!s.empty()) {
        const std::size_t antes = s.size();
        const std::string_view palabra = SiguientePalabra(s);
        FUZZ_EXIGIR(s.size() < antes, "SiguientePalabra no avanza");
        FUZZ_EXIGIR(s.empty() || s.data() + s.size() == texto.data() + texto.size(),
                    "el resto no es el final del texto");
        if (palabra.empty()) {
            FUZZ_EXIGIR(s.empty(), "palabra vacía con texto por leer");
            break;
        }
        FUZZ_EXIGIR(leidas < esperadas.size() && palabra == esperadas[leidas],
                    "palabra " + std::to_string(leidas + 1) + " distinta de la partición");
        FUZZ_EXIGIR(
            palabra.data() >= texto.data() && palabra.data() + palabra.size() <= texto.data() + texto.size(),
            "la palabra no está dentro del texto");
        ++leidas;
        ComprobarEntero(palabra);
        ComprobarReal(palabra);
    }
    FUZZ_EXIGIR(leidas == esperadas.size(), "faltan palabras");
    // Reading on from an exhausted text yields nothing and fails the numbers.
    FUZZ_EXIGIR(SiguientePalabra(s).empty() && s.empty(), "texto agotado que da una palabra");
    FUZZ_EXIGIR(fuzz::ConErroresPropios("SiguienteEntero", [&] { SiguienteEntero(s); }) ==
                    fuzz::TErrorLector::Conversion,
                "SiguienteEntero de un texto vacío no da el error de conversión");
    FUZZ_EXIGIR(
        fuzz::ConErroresPropios("SiguienteReal", [&] { SiguienteReal(s); }) == fuzz::TErrorLector::Conversion,
        "SiguienteReal de un texto vacío no da el error de conversión");
}

void ComprobarNoImprimibles(std::string_view texto) {
    std::string s(texto);
    QuitarNoImprimiblesIniciales(s);
    FUZZ_EXIGIR(s.size() <= texto.size() && texto.substr(texto.size() - s.size()) == s,
                "QuitarNoImprimiblesIniciales no deja un final del texto");
    const std::string_view quitado = texto.substr(0, texto.size() - s.size());
    for (char c : quitado) {
        const auto codigo = static_cast<unsigned char>(c);
        FUZZ_EXIGIR(codigo < 32 || codigo > 126, "se quitó un carácter imprimible");
    }
    if (!s.empty()) {
        const auto primero = static_cast<unsigned char>(s[0]);
        FUZZ_EXIGIR(primero >= 32 && primero <= 126, "queda un no imprimible al principio");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, std::size_t tamano) {
    const std::string_view texto = fuzz::ComoTexto(datos, tamano);
    const TFormatosInvariantes invariantes;
    ComprobarPalabras(texto);
    ComprobarNoImprimibles(texto);
    return 0;
}
