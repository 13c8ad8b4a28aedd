// The theoretical park file, every version of its block, with its turbine,
// position and power-curve blocks. A park that was read is well formed;
// written again (always version 5) it reads back, and its second writing is
// the first one byte for byte.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "modelos.h"
#include "models/uparques_modeloteorico.h"

namespace {

std::string Escribir(const TParque_ModeloTeorico& parque) {
    TEscritorTexto f = TEscritorTexto::EnMemoria();
    parque.GuardarEnTexto(f);
    return f.Contenido();
}

std::unique_ptr<TParque_ModeloTeorico> Leer(std::string_view texto) {
    std::unique_ptr<TParque_ModeloTeorico> parque;
    fuzz::LeerModeloConLinea("TParque_ModeloTeorico.Create_LeerDeTexto", texto,
                             [&](TLectorTexto& f) { parque = TParque_ModeloTeorico::Create_LeerDeTexto(f); });
    return parque;
}

void ComprobarForma(const TParque_ModeloTeorico& p) {
    FUZZ_EXIGIR(p.nMolinos == static_cast<int32_t>(p.molinos.size()), "nMolinos no es la cantidad de molinos");
    FUZZ_EXIGIR(p.meteo_etha.nf == p.mat_vientos.nf && p.meteo_etha.nc == p.mat_vientos.nc,
                "meteo_etha y mat_vientos de formas distintas");
    FUZZ_EXIGIR(p.potencia_autorizada_mw > 0, "potencia autorizada no positiva tras Preparar");
    FUZZ_EXIGIR((p.curvaParque != nullptr) == !p.molinos.empty(), "curva del parque sin molinos o molinos sin curva");
    for (const auto& molino : p.molinos) {
        const TCurvaAerogen& c = molino->curva;
        FUZZ_EXIGIR(c.n >= 1 && c.curva_v.n == c.n && c.curva_P.n == c.n && c.curva_PV.n == c.n,
                    "curva de molino mal formada");
    }
}

}  // namespace

QUENDAL_FUZZ_INICIO_MODELOS

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, std::size_t tamano) {
    const std::unique_ptr<TParque_ModeloTeorico> leido = Leer(fuzz::ComoTexto(datos, tamano));
    if (!leido) return 0;
    ComprobarForma(*leido);
    fuzz::ExigirIdaYVuelta(*leido, Leer, Escribir, "el parque");
    return 0;
}
