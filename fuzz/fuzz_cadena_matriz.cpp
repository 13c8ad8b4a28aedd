// The one-line matrix string under each decimal separator. A matrix that was
// read writes a string with its counts that reads back to a matrix of the
// same shape holding each element rounded to three significant digits, and
// that string is stable: reading and writing it again gives it unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "comun.h"
#include "numerics/matreal.h"
#include "numerics/textoreal.h"
#include "numerics/uevaluador.h"

QUENDAL_FUZZ_INICIO

namespace {

bool LeerCadena(std::string_view texto, TMatR& m) {
    const fuzz::TErrorLector error =
        fuzz::ConErroresPropios("TMatR.Create_DesdeCadena", [&] { m = TMatR::Create_DesdeCadena(texto); });
    // An overflowing element is the floating-point error; nothing reads files here.
    FUZZ_EXIGIR(error != fuzz::TErrorLector::EntradaSalida,
                "TMatR.Create_DesdeCadena: error de entrada/salida");
    return error == fuzz::TErrorLector::Ninguno;
}

void ComprobarForma(const TMatR& m) {
    FUZZ_EXIGIR(m.nf >= 0 && m.nc >= 0 && m.pm.size() == static_cast<std::size_t>(m.nf) + 1,
                "matriz leída mal formada");
    for (int32_t i = 1; i <= m.nf; ++i)
        FUZZ_EXIGIR(m.pm[i] && m.pm[i]->n == m.nc && m.pm[i]->pv.size() == static_cast<std::size_t>(m.nc) + 1,
                    "fila " + std::to_string(i) + " mal formada");
}

// Each element as three significant digits give it back. An element within
// half a unit of the third digit of the largest double rounds beyond it: its
// text overflows, and so must the reading of the whole string.
bool ElementosRedondeados(const TMatR& m, TMatR& redondeada) {
    redondeada = TMatR(m.nf, m.nc);
    bool desborda = false;
    for (int32_t i = 1; i <= m.nf; ++i)
        for (int32_t j = 1; j <= m.nc; ++j) {
            const std::string texto = FormatoGeneral(m.Elemento(i, j), 3);
            const fuzz::TErrorLector error = fuzz::ConErroresPropios(
                "CadenaAReal", [&] { redondeada.FijarElemento(i, j, CadenaAReal(texto)); });
            FUZZ_EXIGIR(error == fuzz::TErrorLector::Ninguno || error == fuzz::TErrorLector::Matematico,
                        "la forma general \"" + texto + "\" no se lee");
            desborda = desborda || error == fuzz::TErrorLector::Matematico;
        }
    return !desborda;
}

void ProbarConSeparador(std::string_view texto, char separador) {
    const fuzz::TSeparadorDecimal enVigor(separador);
    TMatR leida;
    if (!LeerCadena(texto, leida)) return;
    ComprobarForma(leida);

    const std::string escrita = leida.ACadena();
    TMatR redondeada;
    if (!ElementosRedondeados(leida, redondeada)) {
        FUZZ_EXIGIR(fuzz::ConErroresPropios("TMatR.Create_DesdeCadena",
                                            [&] { TMatR::Create_DesdeCadena(escrita); }) ==
                        fuzz::TErrorLector::Matematico,
                    "una cadena con un elemento desbordado no desborda: " + escrita);
        return;
    }
    TMatR vuelta;
    FUZZ_EXIGIR(LeerCadena(escrita, vuelta), "no se lee la cadena escrita: " + escrita);
    FUZZ_EXIGIR(vuelta.nf == leida.nf && vuelta.nc == leida.nc,
                "la cadena escrita cambia la forma: " + escrita);
    for (int32_t i = 1; i <= leida.nf; ++i)
        for (int32_t j = 1; j <= leida.nc; ++j)
            FUZZ_EXIGIR(fuzz::MismoValor(vuelta.Elemento(i, j), redondeada.Elemento(i, j)),
                        "el elemento (" + std::to_string(i) + ", " + std::to_string(j) + ") vuelve como " +
                            fuzz::Exacto(vuelta.Elemento(i, j)));
    FUZZ_EXIGIR(vuelta.ACadena() == escrita, "la cadena no es estable: " + escrita);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, std::size_t tamano) {
    const std::string_view texto = fuzz::ComoTexto(datos, tamano);
    ProbarConSeparador(texto, '.');
    ProbarConSeparador(texto, ',');
    return 0;
}
