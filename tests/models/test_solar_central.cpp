// The solar model built as the window builds it: the plant's row from a real
// PostgreSQL server loaded with the project's schema, and its ten-minute
// series file in the plant folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <string>

#include "data/ucarpetasmodelos.h"
#include "data/upgsql.h"
#include "data/useriestemporales.h"
#include "models/uGranjaSolar.h"
#include "numerics/errores.h"
#include "numerics/fechas.h"
#include "numerics/textoreal.h"
#include "prueba_base_de_datos.h"
#include "tests/models/test_solar_comun.h"

namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

class ModeloSolarDesdeBaseDeDatos : public PruebaConBaseDeDatos {
protected:
    std::unique_ptr<TPgSqlRes> FilaDeCentral(int32_t nid) {
        auto fila = con_.sqlexec("SELECT * FROM centrales WHERE nid=" + std::to_string(nid));
        EXPECT_FALSE(fila->eof());
        return fila;
    }

    TUnidadCSolar unidad_;
};

TEST_F(ModeloSolarDesdeBaseDeDatos, ReadsThePlantRowAndItsSeriesFile) {
    con_.sqlexec_ntuples(
        "INSERT INTO centrales (nid, centralgeneradora, potencia_autorizada_mw, nid_central_kolm) "
        "VALUES (321, 'Solar del Norte', 50, 4321)");
    const std::string archivo = RutaArchivoEnCarpetaCentral(321, "_series10min.sas");
    EscribirSeriesSolares(archivo, MuestrasSinteticas(300));

    auto fila = FilaDeCentral(321);
    ::testing::internal::CaptureStdout();
    auto modelo = TGeneradorSolar::Create(archivo, 321, &con_, *fila);
    ::testing::internal::GetCapturedStdout();

    EXPECT_EQ(modelo->nombre, "Solar del Norte");
    EXPECT_EQ(modelo->potencia_autorizada_mw, 50);
    EXPECT_EQ(modelo->nid, 321);
    EXPECT_EQ(modelo->nid_central_KOLM, 4321);
    EXPECT_EQ(modelo->nMuestras, 300);
    EXPECT_EQ(modelo->dtPrimeraMuestra, EncodeDateTime(2018, 1, 1, 0, 0, 0, 0));
    EXPECT_DOUBLE_EQ(modelo->PeriodoDias, 1.0 / 144);
    ASSERT_NE(modelo->series, nullptr);
    EXPECT_EQ(modelo->series->Serie(1).pv[1], 100) << "the file object keeps its availability as read";
    EXPECT_EQ(modelo->fDisp.pv[1], 1);
    EXPECT_EQ(modelo->nMuestrasValidas, 270);
    for (int j = 1; j <= 6; ++j)
        EXPECT_NEAR(modelo->Coeficientes.pv[j], CoeficientesSinteticos[j - 1],
                    1e-5 * std::fabs(CoeficientesSinteticos[j - 1]))
            << "c" << j;
}

TEST_F(ModeloSolarDesdeBaseDeDatos, EmptyCellsGiveZeroPowerAndNoMeteringNumber) {
    con_.sqlexec_ntuples("INSERT INTO centrales (nid, centralgeneradora) VALUES (322, 'Sin datos')");
    const std::string archivo = RutaArchivoEnCarpetaCentral(322, "_series10min.sas");
    EscribirSeriesSolares(archivo, MuestrasSinteticas(40));

    auto fila = FilaDeCentral(322);
    ::testing::internal::CaptureStdout();
    auto modelo = TGeneradorSolar::Create(archivo, 322, &con_, *fila);
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(modelo->potencia_autorizada_mw, 0);
    EXPECT_EQ(modelo->nid_central_KOLM, 0);
    EXPECT_EQ(modelo->Potencia(800, 25), 0);
    EXPECT_EQ(modelo->ErrorCuadraticoMedio, 0);
}

TEST_F(ModeloSolarDesdeBaseDeDatos, UnreadableSeriesFileBuildsNoModel) {
    con_.sqlexec_ntuples("INSERT INTO centrales (nid, potencia_autorizada_mw) VALUES (323, 50)");
    auto fila = FilaDeCentral(323);
    try {
        TGeneradorSolar::Create(RutaArchivoEnCarpetaCentral(323, "_series10min.sas"), 323, &con_, *fila);
        FAIL() << "se esperaba un error de lectura";
    } catch (const ELecturaSeries& e) {
        EXPECT_THAT(e.what(), StartsWith("Error leyendo línea: 0"));
    }
}

// A file without the set-point series is refused, not read with a zero
// set-point into a model of six zero coefficients; nothing is built.
TEST_F(ModeloSolarDesdeBaseDeDatos, AFileOfFourSeriesIsRefusedAsTheRestrictionRunRefusesIt) {
    con_.sqlexec_ntuples("INSERT INTO centrales (nid, potencia_autorizada_mw) VALUES (324, 50)");
    const std::string archivo = RutaArchivoEnCarpetaCentral(324, "_series10min.sas");
    EscribirSeriesSolares(archivo, MuestrasSinteticas(40), "2018 1 1 0 0 0", 4);
    auto fila = FilaDeCentral(324);
    ::testing::internal::CaptureStdout();
    try {
        TGeneradorSolar::Create(archivo, 324, &con_, *fila);
        ::testing::internal::GetCapturedStdout();
        FAIL() << "the model was built";
    } catch (const EErrorQuendal& e) {
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(std::string(e.what()),
                  "El archivo de series \"" + archivo + "\" tiene 4 series y una central solar tiene 5");
    }
}

}  // namespace
