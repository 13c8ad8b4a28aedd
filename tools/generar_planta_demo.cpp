// Writes the demo plant, number 9001, into the folder <destino>/c9001: the
// park model, the ten-minute series of the year 2018 (which holds the
// window's default period, February 2018), the calibrator with its met-mast
// tables calibrated, and the combined model, both as the plant's ".pmc" file
// and as "c9001_modelo_calibrado.clp", the file that "Cargar Modelo
// Calibrado" lists. examples/c9001 is made with
//
//   generar_planta_demo examples
//
// The plant is built on a drive C: of its own, a temporary folder removed at
// the end, so the model root of the user's drive C: is left alone.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "data/ucarpetasmodelos.h"
#include "models/ucalibrador.h"
#include "models/uparques_modelocombinado.h"
#include "models/uparques_modeloteorico.h"
#include "models/uplantasintetica.h"
#include "numerics/errores.h"
#include "numerics/fechas.h"
#include "numerics/formatsettings.h"
#include "numerics/inicio.h"
#include "numerics/uproblema.h"

namespace fs = std::filesystem;

namespace {

constexpr int32_t kNidDemo = 9001;
constexpr int32_t kDiasDemo = 365;
// The bounds of the S-curve fits, in percent of the authorised power.
constexpr int32_t kPorcentajeInferior = 1;
constexpr int32_t kPorcentajeSuperior = 100;
// The combined model once more, under a name the load dialog of the input
// tab lists and a user recognises from its button.
constexpr const char* kSufijoModeloCalibrado = "_modelo_calibrado.clp";

// A temporary folder made drive C: for the life of the object, then removed.
class UnidadCTemporal {
public:
    UnidadCTemporal() {
        std::string plantilla = (fs::temp_directory_path() / "quendal_demo_XXXXXX").string();
        if (mkdtemp(plantilla.data()) == nullptr)
            throw EErrorQuendal("No se pudo crear una carpeta temporal en " + fs::temp_directory_path().string());
        carpeta_ = plantilla;
        setenv("QUENDAL_UNIDAD_C", carpeta_.c_str(), 1);
    }
    ~UnidadCTemporal() {
        std::error_code error;
        fs::remove_all(carpeta_, error);
    }
    UnidadCTemporal(const UnidadCTemporal&) = delete;
    UnidadCTemporal& operator=(const UnidadCTemporal&) = delete;

    const std::string& Carpeta() const { return carpeta_; }

private:
    std::string carpeta_;
};

// Builds the five files of the plant in its folder under the model root.
void ConstruirPlanta() {
    TOpcionesPlantaSintetica opciones;
    opciones.nid = kNidDemo;
    opciones.dias = kDiasDemo;
    opciones.inicio = EncodeDate(2018, 1, 1);
    const TPlantaSintetica planta = GenerarPlantaSintetica(opciones);

    auto parque = TParque_ModeloTeorico::Create_LeerDeArchivo(planta.archivoParque);
    auto calibrador = TCalibradorParque::Create(parque, planta.archivoSeries, kPorcentajeInferior,
                                                kPorcentajeSuperior, false);
    calibrador->CalibrarEthaMeteo();
    calibrador->GuardarEnArchivo(RutaCalibrador(kNidDemo));
    calibrador.reset();

    auto combinado = TParque_ModeloCombinado::Create(RutaCalibrador(kNidDemo));
    combinado->GuardarEnArchivo(RutaModeloCombinado(kNidDemo));
    combinado->GuardarEnArchivo(RutaArchivoEnCarpetaCentral(kNidDemo, kSufijoModeloCalibrado));
}

void CopiarPlanta(const fs::path& carpetaDestino) {
    fs::create_directories(carpetaDestino);
    for (const std::string& ruta :
         {RutaParqueMT(kNidDemo), RutaArchivoEnCarpetaCentral(kNidDemo, "_series10min.sas"), RutaCalibrador(kNidDemo),
          RutaModeloCombinado(kNidDemo), RutaArchivoEnCarpetaCentral(kNidDemo, kSufijoModeloCalibrado)}) {
        const fs::path destino = carpetaDestino / fs::path(ruta).filename();
        fs::copy_file(ruta, destino, fs::copy_options::overwrite_existing);
        std::printf("%s\n", destino.string().c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("Uso: generar_planta_demo carpeta_destino\n", stderr);
        return 2;
    }
    AjustesFormato() = FormatSettings{};
    InicializarNumericos();
    try {
        const fs::path carpetaDestino = fs::path(argv[1]) / ("c" + std::to_string(kNidDemo));
        const UnidadCTemporal unidad;
        InicializarCarpetaModelos();
        // The optimiser's trace goes to the temporary drive, not to the current folder.
        FijarCarpetaLogEstimarMultiplicadores(unidad.Carpeta());
        ConstruirPlanta();
        CopiarPlanta(carpetaDestino);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
