// The solar-plant model: its power function, temperature bands, the fit, the
// distance marks, the error statistics and the charts it leaves in the plant
// folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "models/uGranjaSolar.h"
#include "numerics/errores.h"
#include "tests/models/test_solar_comun.h"

namespace {

using ::testing::HasSubstr;

// One synthetic plant of 1000 valid samples built once for the suite.
class ModeloSolarSintetico : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        unidad_ = new TUnidadCSolar();
        ::testing::internal::CaptureStdout();
        modelo_ = TGeneradorSolar::Create_DesdeMuestras(CentralSintetica(901), MuestrasSinteticas(1000)).release();
        consola_ = new std::string(::testing::internal::GetCapturedStdout());
    }
    static void TearDownTestSuite() {
        delete modelo_;
        delete consola_;
        delete unidad_;
    }

    static TUnidadCSolar* unidad_;
    static TGeneradorSolar* modelo_;
    static std::string* consola_;
};
TUnidadCSolar* ModeloSolarSintetico::unidad_ = nullptr;
TGeneradorSolar* ModeloSolarSintetico::modelo_ = nullptr;
std::string* ModeloSolarSintetico::consola_ = nullptr;

TEST_F(ModeloSolarSintetico, RecoversTheExactPolynomial) {
    const TVectR& c = modelo_->Coeficientes;
    ASSERT_EQ(c.n, 6);
    for (int j = 1; j <= 6; ++j)
        EXPECT_NEAR(c.pv[j], CoeficientesSinteticos[j - 1], 1e-6 * std::fabs(CoeficientesSinteticos[j - 1]))
            << "c" << j;
    // The model's power matches the polynomial to single precision.
    for (double R : {100.0, 500.0, 900.0})
        for (double T : {10.0, 25.0, 38.0})
            EXPECT_NEAR(modelo_->Potencia(R, T), PolinomioSintetico(R, T), 1e-5) << R << " " << T;
}

TEST_F(ModeloSolarSintetico, MarksTheWorstTenthOfAThousandValidSamples) {
    int marcadas = 0;
    for (int k = 1; k <= modelo_->nMuestras; ++k) marcadas += modelo_->Filtro_Distancia[k];
    EXPECT_EQ(marcadas, 100);
    EXPECT_EQ(modelo_->nMuestrasValidas, 900);
    for (int k = 1; k <= modelo_->nMuestras; ++k)
        EXPECT_EQ(modelo_->Filt_Total[k], modelo_->Filtro_Distancia[k]) << k;
    EXPECT_THAT(*consola_, HasSubstr("Muestras filtradas por Distancia: 100 (10% del total de muestras)."));
}

TEST_F(ModeloSolarSintetico, DistanceMarksReadFalsePastTheirEnd) {
    int k = 1;
    while (!modelo_->Filtro_Distancia[k]) ++k;
    EXPECT_TRUE(modelo_->MarcaDeDistancia(k));
    EXPECT_FALSE(modelo_->MarcaDeDistancia(0));
    EXPECT_FALSE(modelo_->MarcaDeDistancia(1001));
    EXPECT_FALSE(modelo_->MarcaDeDistancia(500000));
}

TEST_F(ModeloSolarSintetico, ErrorsOfAnExactFitAreNearZero) {
    EXPECT_NEAR(modelo_->ErrorMedio, 0, 1e-7);
    EXPECT_NEAR(modelo_->ErrorMedioAbsoluto, 0, 1e-7);
    EXPECT_NEAR(modelo_->ErrorCuadraticoMedio, 0, 1e-7);
}

TEST_F(ModeloSolarSintetico, ClustersHoldTheValidSamplesOfEachBand) {
    int32_t total = 0;
    for (int b = 1; b <= 3; ++b) {
        modelo_->SeleccionarCluster(b);
        ASSERT_EQ(modelo_->RadCluster.n, modelo_->PE_Cluster.n);
        int32_t esperadas = 0;
        for (int k = 1; k <= modelo_->nMuestras; ++k)
            if (!modelo_->Filt_Total[k] && TGeneradorSolar::EnBanda(modelo_->Temp.pv[k], b)) ++esperadas;
        EXPECT_EQ(modelo_->RadCluster.n, esperadas) << b;
        total += modelo_->RadCluster.n;
    }
    EXPECT_EQ(total, modelo_->nMuestrasValidas);
}

TEST_F(ModeloSolarSintetico, LeavesItsChartsInThePlantFolder) {
    const auto carpeta = unidad_->CarpetaCentral(901);
    for (const char* archivo : {"muestras_filtrados_plano_PE_Rad_.jpg", "0.jpg", "11.jpg", "23.jpg"}) {
        const auto ruta = carpeta / archivo;
        ASSERT_TRUE(std::filesystem::exists(ruta)) << ruta;
        EXPECT_GT(std::filesystem::file_size(ruta), 1000u) << ruta;
    }
}

TEST_F(ModeloSolarSintetico, ErrorsAgainstAConstantModel) {
    // With P = 10 MW everywhere, the errors follow from the measured power
    // of the valid samples alone.
    TGeneradorSolar& m = *modelo_;
    const TVectR guardados = m.Coeficientes.Clonar();
    m.Coeficientes = TVectR(6);
    m.Coeficientes.pv[6] = 10;
    m.CalcularErrores();
    double suma = 0, absoluta = 0, cuadrados = 0;
    for (int k = 1; k <= m.nMuestras; ++k) {
        if (m.Filt_Total[k]) continue;
        const double d = 10 - m.PE.pv[k];
        suma += d;
        absoluta += std::fabs(d);
        cuadrados += d * d;
    }
    const double Pa = m.potencia_autorizada_mw;
    EXPECT_NEAR(m.ErrorMedio, suma / 900 / Pa, 1e-12);
    EXPECT_NEAR(m.ErrorMedioAbsoluto, absoluta / 900 / Pa, 1e-12);
    EXPECT_NEAR(m.ErrorCuadraticoMedio, std::sqrt(cuadrados / 900) / Pa, 1e-12);
    m.Coeficientes = guardados.Clonar();
    m.CalcularErrores();
}

// ---- Potencia ----

struct CasoPotencia {
    const char* nombre;
    std::array<double, 6> c;
    double R, T;
    double esperada;
};

class PotenciaSolar : public ModeloSolarSintetico, public ::testing::WithParamInterface<CasoPotencia> {};

TEST_P(PotenciaSolar, FloorsAtZeroAndCapsAtTheAuthorisedPower) {
    const CasoPotencia& caso = GetParam();
    TGeneradorSolar& m = *modelo_;
    const TVectR guardados = m.Coeficientes.Clonar();
    for (int j = 1; j <= 6; ++j) m.Coeficientes.pv[j] = caso.c[j - 1];
    EXPECT_EQ(m.Potencia(caso.R, caso.T), caso.esperada);
    m.Coeficientes = guardados.Clonar();
}

INSTANTIATE_TEST_SUITE_P(
    Casos, PotenciaSolar,
    ::testing::Values(
        CasoPotencia{"ZeroCoefficients", {0, 0, 0, 0, 0, 0}, 800, 25, 0.0},
        CasoPotencia{"TwiceTheAuthorised", {0, 0, 0, 0, 0, 2 * PotenciaAutorizadaSintetica}, 800, 25,
                     PotenciaAutorizadaSintetica},
        CasoPotencia{"NegativeConstant", {0, 0, 0, 0, 0, -1}, 800, 25, 0.0},
        CasoPotencia{"SinglePrecision", {0, 0, 0, 0, 0, 1.0 / 3.0}, 0, 0, static_cast<double>(1.0f / 3.0f)},
        CasoPotencia{"EachTerm", {1e-3, 1e-2, 1e-6, 1e-5, 1e-4, 0.5}, 100, 20,
                     static_cast<double>(static_cast<float>(0.1 + 0.2 + 0.01 + 0.02 + 0.04 + 0.5))},
        CasoPotencia{"BeyondSinglePrecisionRange", {0, 0, 0, 0, 0, 1e300}, 0, 0, PotenciaAutorizadaSintetica},
        CasoPotencia{"NotANumber", {0, 0, 0, 0, 0, 1}, NAN, 20, 0.0}),
    [](const auto& info) { return std::string(info.param.nombre); });

// ---- Temperature bands ----

struct CasoBanda {
    const char* nombre;
    double T;
    int32_t k;
    bool dentro;
};

class BandasDeTemperatura : public ::testing::TestWithParam<CasoBanda> {};

TEST_P(BandasDeTemperatura, EdgesBelongToTheUpperBand) {
    EXPECT_EQ(TGeneradorSolar::EnBanda(GetParam().T, GetParam().k), GetParam().dentro);
}

INSTANTIATE_TEST_SUITE_P(Casos, BandasDeTemperatura,
                         ::testing::Values(CasoBanda{"ColdInFirst", -5, 1, true},
                                           CasoBanda{"HotInThird", 40, 3, true},
                                           CasoBanda{"FirstEdgeNotInFirst", 35.0 / 3, 1, false},
                                           CasoBanda{"FirstEdgeInSecond", 35.0 / 3, 2, true},
                                           CasoBanda{"SecondEdgeNotInSecond", 70.0 / 3, 2, false},
                                           CasoBanda{"SecondEdgeInThird", 70.0 / 3, 3, true},
                                           CasoBanda{"HotNotInSecond", 40, 2, false},
                                           CasoBanda{"NotANumberInNone", NAN, 1, false}),
                         [](const auto& info) { return std::string(info.param.nombre); });

TEST(BandasDeTemperatura, BoundsAndCentres) {
    EXPECT_EQ(TGeneradorSolar::InicioBanda(1), 0);
    EXPECT_DOUBLE_EQ(TGeneradorSolar::FinBanda(1), 35.0 / 3);
    EXPECT_DOUBLE_EQ(TGeneradorSolar::InicioBanda(3), 70.0 / 3);
    EXPECT_DOUBLE_EQ(TGeneradorSolar::CentroBanda(2), 17.5);
}

// ---- Builds on awkward data ----

class ModeloSolarCasosLimite : public ::testing::Test {
protected:
    TUnidadCSolar unidad_;
};

TEST_F(ModeloSolarCasosLimite, FifteenValidSamplesGetTwoDistanceMarks) {
    ::testing::internal::CaptureStdout();
    auto modelo = TGeneradorSolar::Create_DesdeMuestras(CentralSintetica(902), MuestrasSinteticas(15));
    const std::string consola = ::testing::internal::GetCapturedStdout();
    int marcadas = 0;
    for (int k = 1; k <= 15; ++k) marcadas += modelo->Filtro_Distancia[k];
    EXPECT_EQ(marcadas, 2);
    EXPECT_EQ(modelo->nMuestrasValidas, 13);
    EXPECT_THAT(consola, HasSubstr("Muestras filtradas por Distancia: 2 (13.3% del total de muestras)."));
}

TEST_F(ModeloSolarCasosLimite, NoAuthorisedPowerGivesAZeroModelAndZeroErrors) {
    ::testing::internal::CaptureStdout();
    auto modelo = TGeneradorSolar::Create_DesdeMuestras(CentralSintetica(903, 0), MuestrasSinteticas(50));
    const std::string consola = ::testing::internal::GetCapturedStdout();
    for (int j = 1; j <= 6; ++j) EXPECT_EQ(modelo->Coeficientes.pv[j], 0) << j;
    EXPECT_EQ(modelo->Potencia(800, 25), 0);
    EXPECT_EQ(modelo->nMuestrasValidas, 0);
    EXPECT_EQ(modelo->ErrorMedio, 0);
    EXPECT_EQ(modelo->ErrorMedioAbsoluto, 0);
    EXPECT_EQ(modelo->ErrorCuadraticoMedio, 0);
    EXPECT_THAT(consola, HasSubstr("Ninguna muestra pasó los filtros"));
    EXPECT_THAT(consola, HasSubstr("Ninguna muestra útil para ajustar el modelo solar"));
}

TEST_F(ModeloSolarCasosLimite, OneTemperatureCannotDetermineTheFit) {
    // T, T² and the constant are one column: the normal equations are
    // singular and the build says so instead of keeping elimination leftovers.
    TMuestrasSolares m = MuestrasSinteticas(200);
    for (int k = 1; k <= 200; ++k) {
        m.Temp.pv[k] = 20;
        m.PE.pv[k] = PolinomioSintetico(m.Rad.pv[k], 20);
    }
    // Gap samples every eighth sample keep the constant temperature from
    // counting as a repeated value.
    for (int k = 8; k <= 200; k += 8) m.Rad.pv[k] = -1;
    ::testing::internal::CaptureStdout();
    try {
        TGeneradorSolar::Create_DesdeMuestras(CentralSintetica(904), std::move(m));
        ::testing::internal::GetCapturedStdout();
        FAIL() << "se esperaba un ajuste singular";
    } catch (const EMathError& e) {
        ::testing::internal::GetCapturedStdout();
        EXPECT_THAT(e.what(), HasSubstr("no determinan los seis coeficientes"));
    }
}

TEST_F(ModeloSolarCasosLimite, FiveDistinctSamplesCannotDetermineTheFit) {
    TMuestrasSolares m = MuestrasSinteticas(100);
    for (int k = 1; k <= 100; ++k) {
        const int i = k % 5;
        m.Rad.pv[k] = 200 + 150 * i;
        m.Temp.pv[k] = 10 + 6 * i + (i * i) % 3;
        m.PE.pv[k] = PolinomioSintetico(m.Rad.pv[k], m.Temp.pv[k]);
    }
    ::testing::internal::CaptureStdout();
    EXPECT_THROW(TGeneradorSolar::Create_DesdeMuestras(CentralSintetica(905), std::move(m)), EMathError);
    ::testing::internal::GetCapturedStdout();
}

TEST_F(ModeloSolarCasosLimite, SeriesOfUnequalLengthAreRefused) {
    TMuestrasSolares m = MuestrasSinteticas(30);
    m.Rad = TVectR(29);
    EXPECT_THROW(TGeneradorSolar::Create_DesdeMuestras(CentralSintetica(907), std::move(m)), EErrorQuendal);
}

TEST_F(ModeloSolarCasosLimite, NarrowTemperatureRangeStillFits) {
    // Temperatures within 2 °C make the fit ill-conditioned but not singular.
    TMuestrasSolares m = MuestrasSinteticas(600);
    for (int k = 1; k <= 600; ++k) {
        m.Temp.pv[k] = 20 + 2 * std::fmod(k * 0.4142135623730951, 1.0);
        m.PE.pv[k] = PolinomioSintetico(m.Rad.pv[k], m.Temp.pv[k]);
    }
    ::testing::internal::CaptureStdout();
    auto modelo = TGeneradorSolar::Create_DesdeMuestras(CentralSintetica(906), std::move(m));
    ::testing::internal::GetCapturedStdout();
    for (double R : {100.0, 500.0, 900.0})
        EXPECT_NEAR(modelo->Potencia(R, 21), PolinomioSintetico(R, 21), 1e-4) << R;
}

}  // namespace
