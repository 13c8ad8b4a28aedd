// The demo plant under examples/: its models read and give sensible powers.
// tools/generar_planta_demo writes the plant anew (see examples/README.md).
#include <gtest/gtest.h>

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

}  // namespace
