// The calibrator file: the theoretical park block followed by the empirical
// model block, every version of it (without a version line, 2, and later
// numbers read as 2). A calibrator that was read is well formed and its
// estimators answer at a few points; written again (park version 5,
// empirical version 2) it reads back, and its second writing is the first
// one byte for byte.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "empiricos.h"
#include "modelos.h"
#include "models/ucalibrador.h"

namespace {

const char* const kLector = "TCalibradorParque.Create_LeerDeTexto";

std::string Escribir(const TCalibradorParque& calibrador) {
    TEscritorTexto f = TEscritorTexto::EnMemoria();
    calibrador.GuardarEnTexto(f);
    return f.Contenido();
}

std::unique_ptr<TCalibradorParque> Leer(std::string_view texto) {
    std::unique_ptr<TCalibradorParque> calibrador;
    fuzz::LeerModeloConLinea(kLector, texto,
                             [&](TLectorTexto& f) { calibrador = TCalibradorParque::Create_LeerDeTexto(f); });
    return calibrador;
}

}  // namespace

QUENDAL_FUZZ_INICIO_MODELOS

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, std::size_t tamano) {
    const std::unique_ptr<TCalibradorParque> leido = Leer(fuzz::ComoTexto(datos, tamano));
    if (!leido) return 0;
    fuzz::ComprobarCalibrador(*leido);
    fuzz::ProbarEstimadores(kLector, *leido->ModeloEmpirico);
    fuzz::ExigirIdaYVuelta(*leido, Leer, Escribir, "el calibrador");
    return 0;
}
