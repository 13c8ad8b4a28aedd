// The matrix text block. A matrix that was read has every row of nc elements;
// written again it reads back to the same elements, and its second writing is
// the first one byte for byte.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "bloques.h"
#include "numerics/archivotexto.h"
#include "numerics/matreal.h"

QUENDAL_FUZZ_INICIO

namespace {

std::string Escribir(const TMatR& m) {
    TEscritorTexto f = TEscritorTexto::EnMemoria();
    m.GuardarEnTexto(f);
    return f.Contenido();
}

bool Leer(std::string_view texto, TMatR& m) {
    return fuzz::LeerBloque("TMatR.Create_LeerDeTexto", texto,
                            [&](TLectorTexto& f) { m = TMatR::Create_LeerDeTexto(f); });
}

void ComprobarForma(const TMatR& m) {
    FUZZ_EXIGIR(m.nf >= 0 && m.nc >= 0 && m.pm.size() == static_cast<std::size_t>(m.nf) + 1,
                "matriz leída mal formada");
    for (int32_t i = 1; i <= m.nf; ++i)
        FUZZ_EXIGIR(m.pm[i] && m.pm[i]->n == m.nc && m.pm[i]->pv.size() == static_cast<std::size_t>(m.nc) + 1,
                    "fila " + std::to_string(i) + " mal formada");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, std::size_t tamano) {
    TMatR leida;
    if (!Leer(fuzz::ComoTexto(datos, tamano), leida)) return 0;
    ComprobarForma(leida);
    const std::string escrito = Escribir(leida);
    TMatR vuelta;
    FUZZ_EXIGIR(Leer(escrito, vuelta), "no se lee el bloque escrito");
    FUZZ_EXIGIR(vuelta.nf == leida.nf && vuelta.nc == leida.nc, "el bloque escrito cambia la forma");
    for (int32_t i = 1; i <= leida.nf; ++i)
        for (int32_t j = 1; j <= leida.nc; ++j)
            FUZZ_EXIGIR(fuzz::MismoValor(vuelta.Elemento(i, j), leida.Elemento(i, j)),
                        "el elemento (" + std::to_string(i) + ", " + std::to_string(j) + ") vuelve como " +
                            fuzz::Exacto(vuelta.Elemento(i, j)));
    FUZZ_EXIGIR(Escribir(vuelta) == escrito, "el bloque no es estable");
    return 0;
}
