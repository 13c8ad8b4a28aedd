// The demo plant under examples/: its models read and give sensible powers.
// The disabled test below writes the plant anew (see examples/README.md).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "models/uparques_modelocombinado.h"
#include "test_calibrador_apoyo.h"

using namespace apoyo_calibrador;
namespace fs = std::filesystem;

namespace {

constexpr int32_t NidDemo = 9001;
const std::string CarpetaDemo = std::string(QUENDAL_TEST_DATA) + "/../../examples/c9001";

TEST(PlantaDemo, SusModelosSeLeenYDanPotenciasRazonables) {
    auto calibrador = TCalibradorParque::Create_LeerDeArchivo(CarpetaDemo + "/c9001_calibrador.clp");
    EXPECT_EQ(calibrador->Parque->nid, NidDemo);
    auto combinado = TParque_ModeloCombinado::Create_LeerDeArchivo(CarpetaDemo + "/c9001.pmc");
    ASSERT_EQ(combinado->MatrizFactores.nf, 72);
    ASSERT_EQ(combinado->MatrizFactores.nc, 10);
    EXPECT_TRUE(fs::exists(CarpetaDemo + "/c9001_series10min.sas"));
    EXPECT_TRUE(fs::exists(CarpetaDemo + "/c9001_parque_mt.pmt"));
    const double Paut = combinado->Parque->potencia_autorizada_mw;
    double anterior = -1;
    for (double v : {3.0, 6.0, 9.0, 12.0}) {
        double conCGM = 0, sinCGM = 0, teorica = 0;
        combinado->CalcularPotencia(false, conCGM, sinCGM, teorica, v, 200, 1.225, Paut, false, false);
        EXPECT_GT(conCGM, anterior) << v;
        EXPECT_LE(conCGM, Paut);
        EXPECT_NEAR(conCGM, teorica, 0.3 * Paut + 0.5) << v;
        anterior = conCGM;
    }
}

class GenerarPlantaDemo : public ConUnidadDePrueba {};

// Run by hand with QUENDAL_DEMO_DESTINO naming the folder that receives the
// plant folder c9001.
TEST_F(GenerarPlantaDemo, DISABLED_Generar) {
    const char* destino = std::getenv("QUENDAL_DEMO_DESTINO");
    ASSERT_NE(destino, nullptr) << "QUENDAL_DEMO_DESTINO no está definida";
    // The year 2018 holds the window's default period (February 2018).
    auto calibrador = CalibradorSintetico(NidDemo, 365, EncodeDate(2018, 1, 1));
    calibrador->CalibrarEthaMeteo();
    calibrador->GuardarEnArchivo(RutaCalibrador(NidDemo));
    calibrador.reset();
    auto combinado = TParque_ModeloCombinado::Create(RutaCalibrador(NidDemo));
    combinado->GuardarEnArchivo(RutaModeloCombinado(NidDemo));

    const fs::path carpeta = fs::path(destino) / "c9001";
    fs::create_directories(carpeta);
    for (const std::string& ruta : {RutaParqueMT(NidDemo), RutaArchivoEnCarpetaCentral(NidDemo, "_series10min.sas"),
                                    RutaCalibrador(NidDemo), RutaModeloCombinado(NidDemo)})
        fs::copy_file(ruta, carpeta / fs::path(ruta).filename(), fs::copy_options::overwrite_existing);
}

}  // namespace
