// The combined-model file: the calibrator's two blocks followed by the factor
// matrix (or nothing, for a calibrator file read as a combined model). A
// model that was read is well formed, its factor answers at a few points,
// and saved with its own file writer it reads back and saves again to the
// same bytes.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <system_error>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "empiricos.h"
#include "modelos.h"
#include "models/uparques_modelocombinado.h"

namespace {

const char* const kLector = "TParque_ModeloCombinado.Create_LeerDeTexto";

// A private folder for the saved models, in memory when the system has one,
// removed when the run ends.
class TCarpetaTemporal {
public:
    TCarpetaTemporal() {
        const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        ruta = std::string(base) + "/fuzz_modelo_combinado.XXXXXX";
        if (mkdtemp(ruta.data()) == nullptr) fuzz::Fallar("no se puede crear la carpeta temporal");
    }
    ~TCarpetaTemporal() {
        std::error_code ignorado;
        std::filesystem::remove_all(ruta, ignorado);
    }
    TCarpetaTemporal(const TCarpetaTemporal&) = delete;
    TCarpetaTemporal& operator=(const TCarpetaTemporal&) = delete;
    std::string ruta;
};

const std::string& CarpetaTemporal() {
    static const TCarpetaTemporal carpeta;
    return carpeta.ruta;
}

// The model saved as the program saves it, and the bytes of the file.
std::string Guardar(const TParque_ModeloCombinado& modelo) {
    const std::string ruta = CarpetaTemporal() + "/modelo.pmc";
    modelo.GuardarEnArchivo(ruta);
    std::ifstream archivo(ruta, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(archivo), std::istreambuf_iterator<char>());
}

std::unique_ptr<TParque_ModeloCombinado> Leer(std::string_view texto) {
    std::unique_ptr<TParque_ModeloCombinado> modelo;
    fuzz::LeerModeloConLinea(kLector, texto,
                             [&](TLectorTexto& f) { modelo = TParque_ModeloCombinado::Create_LeerDeTexto(f); });
    return modelo;
}

// The factor matrix is empty (factor 1 everywhere) or has the empirical
// model's sectors and bins; its factor at a few directions and mast power
// densities fails only with the library's own errors.
void ComprobarFactores(const TParque_ModeloCombinado& m) {
    const TMatR& F = m.MatrizFactores;
    const bool vacia = F.nf == 0 && F.nc == 0;
    FUZZ_EXIGIR(vacia || (F.nf == m.ModeloEmpirico->nSectores() && F.nc == m.ModeloEmpirico->nTramos()),
                "matriz de factores de otra forma que sectores x tramos");
    const TVectR& medios = m.ModeloEmpirico->mediosTramos;
    const fuzz::TErrorLector error = fuzz::ConErroresPropios(kLector, [&] {
        for (const double direccion : {0.0, 7.5, 359.0})
            for (const double pd : {0.0, medios.pv[1], medios.pv[medios.n], 1.0}) {
                const double factor = m.FactorInterpolado(direccion, pd);
                FUZZ_EXIGIR(!vacia || factor == 1, "una matriz vacía no da factor 1");
            }
    });
    FUZZ_EXIGIR(error == fuzz::TErrorLector::Ninguno || error == fuzz::TErrorLector::Matematico,
                "FactorInterpolado falla con un error que no es matemático");
}

}  // namespace

QUENDAL_FUZZ_INICIO_MODELOS

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, std::size_t tamano) {
    const std::unique_ptr<TParque_ModeloCombinado> leido = Leer(fuzz::ComoTexto(datos, tamano));
    if (!leido) return 0;
    fuzz::ComprobarCalibrador(*leido);
    fuzz::ProbarEstimadores(kLector, *leido->ModeloEmpirico);
    ComprobarFactores(*leido);
    fuzz::ExigirIdaYVuelta(*leido, Leer, Guardar, "el modelo combinado");
    return 0;
}
