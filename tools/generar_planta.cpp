// Writes a synthetic wind plant into its plant folder: the park model
// "c<nid>_parque_mt.pmt" and the ten-minute series "c<nid>_series10min.sas".
//
//   generar_planta [nid [seed [days]]]       defaults: 9001 1 365
//
// The plant folder lies under the model root of drive C: (QUENDAL_UNIDAD_C).
#include <charconv>
#include <cstdio>
#include <string_view>

#include "data/ucarpetasmodelos.h"
#include "models/uplantasintetica.h"
#include "numerics/errores.h"
#include "numerics/formatsettings.h"
#include "numerics/inicio.h"

namespace {

template <typename T>
bool LeerArgumento(const char* texto, T& valor) {
    const std::string_view s(texto);
    const auto [fin, error] = std::from_chars(s.data(), s.data() + s.size(), valor);
    return error == std::errc() && fin == s.data() + s.size();
}

}  // namespace

int main(int argc, char** argv) {
    AjustesFormato() = FormatSettings{};
    InicializarNumericos();
    TOpcionesPlantaSintetica opciones;
    if ((argc > 1 && !LeerArgumento(argv[1], opciones.nid)) || (argc > 2 && !LeerArgumento(argv[2], opciones.semilla)) ||
        (argc > 3 && (!LeerArgumento(argv[3], opciones.dias) || opciones.dias < 1)) || argc > 4) {
        std::fputs("Uso: generar_planta [nid [semilla [dias]]]\n", stderr);
        return 2;
    }
    try {
        InicializarCarpetaModelos();
        const TPlantaSintetica planta = GenerarPlantaSintetica(opciones);
        std::printf("%s\n%s\n", planta.archivoParque.c_str(), planta.archivoSeries.c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
