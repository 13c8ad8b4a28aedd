// The vector text block, its count read from the file or given by the caller.
// A vector that was read is written again as a block that reads back to the
// same elements, and whose second writing is the first one byte for byte.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "bloques.h"
#include "numerics/archivotexto.h"
#include "numerics/matreal.h"

QUENDAL_FUZZ_INICIO

namespace {

std::string Escribir(const TVectR& v) {
    TEscritorTexto f = TEscritorTexto::EnMemoria();
    v.GuardarEnTexto(f);
    return f.Contenido();
}

void ComprobarIdaYVuelta(const TVectR& leido) {
    FUZZ_EXIGIR(leido.n >= 0 && leido.pv.size() == static_cast<std::size_t>(leido.n) + 1,
                "vector leído mal formado");
    const std::string escrito = Escribir(leido);
    TVectR vuelta;
    FUZZ_EXIGIR(fuzz::LeerBloque("TVectR.Create_LeerDeTexto", escrito,
                                 [&](TLectorTexto& f) { vuelta = TVectR::Create_LeerDeTexto(f); }),
                "no se lee el bloque escrito");
    FUZZ_EXIGIR(vuelta.n == leido.n, "el bloque escrito cambia la cuenta");
    for (int32_t k = 1; k <= leido.n; ++k)
        FUZZ_EXIGIR(fuzz::MismoValor(vuelta.pv[k], leido.pv[k]),
                    "el elemento " + std::to_string(k) + " vuelve como " + fuzz::Exacto(vuelta.pv[k]));
    FUZZ_EXIGIR(Escribir(vuelta) == escrito, "el bloque no es estable");
}

}  // namespace

// The first byte picks the count: 0 reads it from the file, k > 0 gives k - 1
// (the oldest empirical block is read this way).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, std::size_t tamano) {
    if (tamano == 0) return 0;
    const int32_t cuenta = datos[0] == 0 ? -1 : static_cast<int32_t>(datos[0]) - 1;
    const std::string_view texto = fuzz::ComoTexto(datos + 1, tamano - 1);
    TVectR leido;
    if (fuzz::LeerBloque("TVectR.Create_LeerDeTexto", texto,
                         [&](TLectorTexto& f) { leido = TVectR::Create_LeerDeTexto(f, cuenta); })) {
        if (cuenta >= 0) FUZZ_EXIGIR(leido.n == cuenta, "la cuenta dada no se respeta");
        ComprobarIdaYVuelta(leido);
    }
    return 0;
}
