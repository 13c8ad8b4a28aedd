// The solar sample filters, run on series of the tests' own making through a
// model of authorised power 50 MW.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <ostream>
#include <string>

#include "models/uGranjaSolar.h"
#include "numerics/errores.h"
#include "tests/models/test_solar_comun.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

constexpr double Pa = PotenciaAutorizadaSintetica;

// The filters' results for one series.
struct TResultadoFiltros {
    TMuestrasSolares m;
    TVectR PE_corregida;
    TDAOfBoolean cgm, coherencia, disponibilidad, huecos, distancia, total;
    int32_t validas = -1;
    std::string consola;
};

class FiltrosSolares : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        unidad_ = new TUnidadCSolar();
        ::testing::internal::CaptureStdout();
        modelo_ = TGeneradorSolar::Create_DesdeMuestras(CentralSintetica(911), MuestrasSinteticas(15)).release();
        ::testing::internal::GetCapturedStdout();
    }
    static void TearDownTestSuite() {
        delete modelo_;
        delete unidad_;
    }

    static TResultadoFiltros Filtrar(TMuestrasSolares m) {
        TResultadoFiltros r;
        r.m = std::move(m);
        r.PE_corregida = r.m.PE.Clonar();
        r.distancia.assign(static_cast<std::size_t>(r.m.PE.n) + 1, 1);  // cleared by the filters
        ::testing::internal::CaptureStdout();
        modelo_->FiltrarMuestras(r.m.PE, r.m.Rad, r.m.Temp, r.m.CGM, r.m.fDisp, r.PE_corregida, r.cgm,
                                 r.coherencia, r.disponibilidad, r.huecos, r.distancia, r.total, r.validas);
        r.consola = ::testing::internal::GetCapturedStdout();
        return r;
    }

    static TUnidadCSolar* unidad_;
    static TGeneradorSolar* modelo_;
};
TUnidadCSolar* FiltrosSolares::unidad_ = nullptr;
TGeneradorSolar* FiltrosSolares::modelo_ = nullptr;

int Contar(const TDAOfBoolean& marcas) {
    int n = 0;
    for (std::size_t k = 1; k < marcas.size(); ++k) n += marcas[k];
    return n;
}

TEST_F(FiltrosSolares, CleanSeriesPassesWholeWithPowerUnchanged) {
    const TResultadoFiltros r = Filtrar(MuestrasSinteticas(20));
    EXPECT_EQ(r.validas, 20);
    EXPECT_EQ(r.total.size(), 21u);
    EXPECT_EQ(Contar(r.total), 0);
    EXPECT_EQ(Contar(r.distancia), 0);
    for (int k = 1; k <= 20; ++k) {
        EXPECT_EQ(r.m.fDisp.pv[k], 1.0) << k;
        EXPECT_EQ(r.PE_corregida.pv[k], r.m.PE.pv[k]) << k;
    }
    EXPECT_THAT(r.consola, HasSubstr("Muestras filtradas por Huecos: 0 (0% del total de muestras).\n\n"));
    EXPECT_THAT(r.consola, HasSubstr("Muestras filtradas TOTALES: 0 (0% del total de muestras).\n\n"));
    EXPECT_THAT(r.consola, Not(HasSubstr("ATENCION")));
}

// ---- Gaps ----

enum TSerieCaso { Temperatura, Radiacion, Potencia, Consigna };

struct CasoHueco {
    const char* nombre;
    TSerieCaso serie;
    double valor;
    bool hueco;
};
void PrintTo(const CasoHueco& c, std::ostream* os) { *os << c.nombre; }

class HuecosSolares : public FiltrosSolares, public ::testing::WithParamInterface<CasoHueco> {};

TEST_P(HuecosSolares, BoundsAreInclusiveAndNotANumberIsAGap) {
    const CasoHueco& caso = GetParam();
    TMuestrasSolares m = MuestrasSinteticas(20);
    TVectR* series[] = {&m.Temp, &m.Rad, &m.PE, &m.CGM};
    series[caso.serie]->pv[7] = caso.valor;
    const TResultadoFiltros r = Filtrar(std::move(m));
    EXPECT_EQ(r.huecos[7] != 0, caso.hueco);
    EXPECT_EQ(Contar(r.huecos), caso.hueco ? 1 : 0);
    if (caso.hueco) {
        EXPECT_TRUE(r.total[7]);
        if (caso.serie != Potencia) {
            EXPECT_EQ(r.PE_corregida.pv[7], r.m.PE.pv[7]) << "a gap keeps its measured power";
        }
        EXPECT_FALSE(r.cgm[7]);
        EXPECT_FALSE(r.disponibilidad[7]);
        EXPECT_THAT(r.consola, HasSubstr("Muestras filtradas por Huecos: 1 (5% del total de muestras)."));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Casos, HuecosSolares,
    ::testing::Values(CasoHueco{"ColdestKept", Temperatura, -10, false},
                      CasoHueco{"TooCold", Temperatura, -10.01, true},
                      CasoHueco{"HottestKept", Temperatura, 55, false},
                      CasoHueco{"TooHot", Temperatura, 55.01, true},
                      CasoHueco{"TemperatureNaN", Temperatura, NAN, true},
                      CasoHueco{"DimmestKept", Radiacion, 0.1, false},
                      CasoHueco{"TooDim", Radiacion, 0.09, true},
                      CasoHueco{"BrightestKept", Radiacion, 1367, false},
                      CasoHueco{"TooBright", Radiacion, 1367.5, true},
                      CasoHueco{"IrradianceNaN", Radiacion, NAN, true},
                      CasoHueco{"LowestPowerKept", Potencia, -1, false},
                      CasoHueco{"PowerTooLow", Potencia, -1.01, true},
                      CasoHueco{"HighestPowerKept", Potencia, 1.2 * Pa, false},
                      CasoHueco{"PowerTooHigh", Potencia, 1.2 * Pa + 0.01, true},
                      CasoHueco{"PowerNaN", Potencia, NAN, true},
                      CasoHueco{"SetPointZeroKept", Consigna, 0, false},
                      CasoHueco{"SetPointNegative", Consigna, -0.01, true},
                      CasoHueco{"SetPointNaN", Consigna, NAN, true}),
    [](const auto& info) { return std::string(info.param.nombre); });

// ---- Availability ----

struct CasoDisponibilidad {
    const char* nombre;
    double disponibilidad;  // percent, as in the series file
    double potencia;
    bool marcada;
};
void PrintTo(const CasoDisponibilidad& c, std::ostream* os) { *os << c.nombre; }

class DisponibilidadSolar : public FiltrosSolares, public ::testing::WithParamInterface<CasoDisponibilidad> {};

TEST_P(DisponibilidadSolar, CorrectsPowerOrFlagsTheSample) {
    const CasoDisponibilidad& caso = GetParam();
    TMuestrasSolares m = MuestrasSinteticas(20);
    m.fDisp.pv[5] = caso.disponibilidad;
    m.PE.pv[5] = caso.potencia;
    const TResultadoFiltros r = Filtrar(std::move(m));
    EXPECT_EQ(r.disponibilidad[5] != 0, caso.marcada);
    if (caso.marcada)
        EXPECT_EQ(r.PE_corregida.pv[5], caso.potencia);
    else
        EXPECT_EQ(r.PE_corregida.pv[5], caso.potencia / (caso.disponibilidad * 0.01));
}

INSTANTIATE_TEST_SUITE_P(
    Casos, DisponibilidadSolar,
    ::testing::Values(CasoDisponibilidad{"Full", 100, 30, false},
                      CasoDisponibilidad{"SlightlyAbove", 100.5, 30, false},
                      CasoDisponibilidad{"LowestKept", 99, 30, false},
                      CasoDisponibilidad{"TooLow", 98, 30, true},
                      CasoDisponibilidad{"TooHigh", 101.5, 30, true},
                      CasoDisponibilidad{"NotANumber", NAN, 30, true},
                      CasoDisponibilidad{"PowerAtThreshold", 100, 1.05 * Pa, false},
                      CasoDisponibilidad{"PowerAboveThreshold", 100, 1.05 * Pa + 0.01, true},
                      CasoDisponibilidad{"CorrectedPowerAboveThreshold", 99, 52.2, true},
                      // Above 1.05 Pa as measured, below it once corrected.
                      CasoDisponibilidad{"MeasuredPowerAboveThreshold", 100.5, 52.6, true},
                      CasoDisponibilidad{"MeasuredPowerBelowThreshold", 100.5, 52.4, false}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST_F(FiltrosSolares, PerUnitAvailabilityFailsEverySampleAndTheConsoleSaysSo) {
    TMuestrasSolares m = MuestrasSinteticas(20);
    for (int k = 1; k <= 20; ++k) m.fDisp.pv[k] = 1;
    const TResultadoFiltros r = Filtrar(std::move(m));
    EXPECT_EQ(r.validas, 0);
    EXPECT_EQ(Contar(r.disponibilidad), 20);
    EXPECT_THAT(r.consola, HasSubstr("¡ATENCION! Ninguna muestra pasó los filtros."));
    EXPECT_THAT(r.consola, HasSubstr("la disponibilidad debe estar en porcentaje"));
}

// ---- Repeated values ----

TEST_F(FiltrosSolares, NineEqualIrradiancesFlagTheirFirstEight) {
    TMuestrasSolares m = MuestrasSinteticas(30);
    for (int k = 10; k <= 18; ++k) m.Rad.pv[k] = 600;
    const TResultadoFiltros r = Filtrar(std::move(m));
    for (int k = 1; k <= 30; ++k) EXPECT_EQ(r.coherencia[k] != 0, k >= 10 && k <= 17) << k;
    EXPECT_THAT(r.consola, HasSubstr("Muestras filtradas por Radiación repetida: 8 (26.7% del total de muestras)."));
    EXPECT_EQ(r.validas, 22);
}

TEST_F(FiltrosSolares, EightEqualIrradiancesFlagNothing) {
    TMuestrasSolares m = MuestrasSinteticas(30);
    for (int k = 10; k <= 17; ++k) m.Rad.pv[k] = 600;
    const TResultadoFiltros r = Filtrar(std::move(m));
    EXPECT_EQ(Contar(r.coherencia), 0);
    EXPECT_THAT(r.consola, HasSubstr("Muestras filtradas por Radiación repetida: 0 ("));
}

TEST_F(FiltrosSolares, RepeatedTemperatureAndPowerFlagTheSameArray) {
    TMuestrasSolares m = MuestrasSinteticas(40);
    for (int k = 1; k <= 10; ++k) m.Temp.pv[k] = 21;
    for (int k = 21; k <= 30; ++k) m.PE.pv[k] = 12;  // far from the set-point of 50 MW
    const TResultadoFiltros r = Filtrar(std::move(m));
    EXPECT_EQ(Contar(r.coherencia), 18);
    EXPECT_THAT(r.consola, HasSubstr("Muestras filtradas por Temperatura repetida: 9 ("));
    EXPECT_THAT(r.consola, HasSubstr("Muestras filtradas por Potencia repetida: 9 ("));
}

TEST_F(FiltrosSolares, PowerHeldAtTheSetPointIsNotARepeatedReading) {
    TMuestrasSolares m = MuestrasSinteticas(30);
    for (int k = 5; k <= 25; ++k) {
        m.PE.pv[k] = 30;
        m.CGM.pv[k] = 32;  // within 0.08 Pa = 4 MW
    }
    const TResultadoFiltros r = Filtrar(std::move(m));
    EXPECT_EQ(Contar(r.coherencia), 0);
    EXPECT_EQ(Contar(r.cgm), 21) << "the set-point below 0.99 Pa still restricts them";
    EXPECT_EQ(r.validas, 9);
}

// ---- Set-point ----

TEST_F(FiltrosSolares, SetPointBelowNinetyNinePercentRestricts) {
    TMuestrasSolares m = MuestrasSinteticas(20);
    m.CGM.pv[3] = 0.99 * Pa;
    m.CGM.pv[4] = 0.99 * Pa - 0.01;
    m.CGM.pv[5] = 10;
    m.Rad.pv[5] = -1;  // a gap is not tested
    const TResultadoFiltros r = Filtrar(std::move(m));
    EXPECT_FALSE(r.cgm[3]);
    EXPECT_TRUE(r.cgm[4]);
    EXPECT_FALSE(r.cgm[5]);
    EXPECT_EQ(r.validas, 18);
    EXPECT_THAT(r.consola, HasSubstr("Muestras filtradas por CGM < 0.99 P_ Autorizada: 1 (5% del total de muestras)."));
    EXPECT_THAT(r.consola, HasSubstr("Muestras filtradas TOTALES: 2 (10% del total de muestras)."));
}

TEST_F(FiltrosSolares, ShorterSeriesIsRefused) {
    TMuestrasSolares m = MuestrasSinteticas(20);
    m.Temp = TVectR(19);
    ::testing::internal::CaptureStdout();
    TVectR corregida = m.PE.Clonar();
    TDAOfBoolean a, b, c, d, e, f;
    int32_t validas = 0;
    EXPECT_THROW(modelo_->FiltrarMuestras(m.PE, m.Rad, m.Temp, m.CGM, m.fDisp, corregida, a, b, c, d, e, f, validas),
                 EErrorQuendal);
    ::testing::internal::GetCapturedStdout();
}

}  // namespace
