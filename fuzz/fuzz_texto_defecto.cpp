// The plain readers of reals and integers. An accepted real writes back to a
// 24-character default form that reads to the same value and writes the same
// text again; where the token is also an expression the evaluator reads, both
// readers agree. An accepted integer reads back from its own digits.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "comun.h"
#include "numerics/textoreal.h"
#include "numerics/uevaluador.h"

QUENDAL_FUZZ_INICIO

namespace {

bool EsCifra(char c) { return c >= '0' && c <= '9'; }

// Tokens both readers take: blanks, an optional "-", digits with an optional
// "." and fraction (one digit at least), an optional exponent of one to four
// digits (the evaluator leaves a fifth for the next token), nothing else.
bool EsRealComun(std::string_view t) {
    std::size_t i = 0;
    while (i < t.size() && t[i] == ' ') ++i;
    if (i < t.size() && t[i] == '-') ++i;
    std::size_t cifras = 0;
    while (i < t.size() && EsCifra(t[i])) ++i, ++cifras;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && EsCifra(t[i])) ++i, ++cifras;
    }
    if (cifras == 0) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        std::size_t cifrasExponente = 0;
        while (i < t.size() && EsCifra(t[i])) ++i, ++cifrasExponente;
        if (cifrasExponente < 1 || cifrasExponente > 4) return false;
    }
    return i == t.size();
}

void ComprobarReal(std::string_view token) {
    double x = 0;
    const bool aceptado = TextoDefectoAReal(token, x);
    if (aceptado) {
        const std::string escrito = RealATextoDefecto(x);
        FUZZ_EXIGIR(escrito.size() == AnchoRealDefecto,
                    "forma por defecto de largo " + std::to_string(escrito.size()));
        double releido = 0;
        FUZZ_EXIGIR(TextoDefectoAReal(escrito, releido) && fuzz::MismoValor(releido, x),
                    "\"" + escrito + "\" no se lee como " + fuzz::Exacto(x));
        FUZZ_EXIGIR(RealATextoDefecto(releido) == escrito, "la forma por defecto no es estable: " + escrito);
    }
    if (!EsRealComun(token)) return;
    // The evaluator reads '.' numbers only under that separator.
    const fuzz::TSeparadorDecimal punto('.');
    double evaluado = 0;
    const fuzz::TErrorLector error =
        fuzz::ConErroresPropios("CadenaAReal", [&] { evaluado = CadenaAReal(token); });
    if (aceptado) {
        FUZZ_EXIGIR(error == fuzz::TErrorLector::Ninguno && evaluado == x,
                    "el evaluador no lee \"" + std::string(token) + "\" como " + fuzz::Exacto(x));
    } else {
        // Only an overflow is left for the plain reader to refuse.
        FUZZ_EXIGIR(error == fuzz::TErrorLector::Matematico,
                    "el evaluador no desborda con \"" + std::string(token) + "\"");
    }
}

void ComprobarEntero(std::string_view token) {
    int k = 0;
    if (!TextoDecimalAEntero(token, k)) {
        FUZZ_EXIGIR(fuzz::ConErroresPropios("TextoAEntero", [&] { TextoAEntero(token); }) ==
                        fuzz::TErrorLector::Conversion,
                    "TextoAEntero no da el error de conversión");
        return;
    }
    FUZZ_EXIGIR(TextoAEntero(token) == k, "TextoAEntero discrepa de TextoDecimalAEntero");
    char cifras[16];
    const char* fin = std::to_chars(cifras, cifras + sizeof cifras, k).ptr;
    int releido = 0;
    FUZZ_EXIGIR(
        TextoDecimalAEntero(std::string_view(cifras, static_cast<std::size_t>(fin - cifras)), releido) &&
            releido == k,
        "un entero no se lee de sus cifras");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, std::size_t tamano) {
    const std::string_view token = fuzz::ComoTexto(datos, tamano);
    ComprobarReal(token);
    ComprobarEntero(token);
    return 0;
}
