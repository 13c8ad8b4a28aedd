// The one-line vector string under each decimal separator. A vector that was
// read is written in the same form with seventeen significant digits per
// element, and that string reads back to the same vector, element by element.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "comun.h"
#include "numerics/matreal.h"
#include "numerics/textoreal.h"

QUENDAL_FUZZ_INICIO

namespace {

bool LeerCadena(std::string_view texto, TVectR& v) {
    const fuzz::TErrorLector error =
        fuzz::ConErroresPropios("TVectR.Create_DesdeCadena", [&] { v = TVectR::Create_DesdeCadena(texto); });
    FUZZ_EXIGIR(error != fuzz::TErrorLector::EntradaSalida,
                "TVectR.Create_DesdeCadena: error de entrada/salida");
    return error == fuzz::TErrorLector::Ninguno;
}

// "[n|e1;e2;...;en]", each element in the general form with 17 digits.
std::string CadenaDeVector(const TVectR& v, char separador) {
    std::string texto = "[" + std::to_string(v.n) + "|";
    for (int32_t k = 1; k <= v.n; ++k) {
        if (k > 1) texto += ';';
        texto += FormatoGeneral(v.pv[k], 17, separador);
    }
    return texto + "]";
}

void ProbarConSeparador(std::string_view texto, char separador) {
    const fuzz::TSeparadorDecimal enVigor(separador);
    TVectR leido;
    if (!LeerCadena(texto, leido)) return;
    FUZZ_EXIGIR(leido.n >= 0 && leido.pv.size() == static_cast<std::size_t>(leido.n) + 1,
                "vector leído mal formado");
    FUZZ_EXIGIR(static_cast<std::size_t>(leido.n) <= texto.size(), "más elementos que caracteres");

    const std::string escrita = CadenaDeVector(leido, separador);
    TVectR vuelta;
    FUZZ_EXIGIR(LeerCadena(escrita, vuelta), "no se lee la cadena escrita: " + escrita);
    FUZZ_EXIGIR(vuelta.n == leido.n, "la cadena escrita cambia la cuenta: " + escrita);
    for (int32_t k = 1; k <= leido.n; ++k)
        FUZZ_EXIGIR(fuzz::MismoValor(vuelta.pv[k], leido.pv[k]),
                    "el elemento " + std::to_string(k) + " vuelve como " + fuzz::Exacto(vuelta.pv[k]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, std::size_t tamano) {
    const std::string_view texto = fuzz::ComoTexto(datos, tamano);
    ProbarConSeparador(texto, '.');
    ProbarConSeparador(texto, ',');
    return 0;
}
