// Axis scaling: the real axis' table of bounds, steps and division counts,
// fixed counts, constant series, date-time steps and bounds that are not
// finite.
#include "charts/uescalaejes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "charts/ugraficador.h"
#include "numerics/fechas.h"
#include "numerics/xmatdefs.h"

namespace {

struct Escalado {
    double min, max, paso;
    int divisiones;
};

Escalado EscalarEje(TEjeGrafico& eje, double min, double max) {
    eje.Escalar(min, max);
    return {min, max, eje.Paso, eje.Divisiones};
}

struct CasoTabla {
    double a, b;
    double min, max, paso;
    int divisiones;
};

class EscalaReal : public ::testing::TestWithParam<CasoTabla> {};

TEST_P(EscalaReal, LlegaALosLimitesRedondos) {
    const CasoTabla& c = GetParam();
    auto eje = TEjeGrafico::Create("", TE_Real);
    const Escalado e = EscalarEje(*eje, c.a, c.b);
    EXPECT_NEAR(e.min, c.min, 1e-9);
    EXPECT_NEAR(e.max, c.max, 1e-9);
    EXPECT_NEAR(e.paso, c.paso, 1e-9);
    EXPECT_EQ(e.divisiones, c.divisiones);
    EXPECT_EQ(eje->Origen, e.min);
}

INSTANTIATE_TEST_SUITE_P(Tabla, EscalaReal,
                         ::testing::Values(CasoTabla{0, 97, 0, 100, 10, 10}, CasoTabla{0, 100, 0, 100, 10, 10},
                                           CasoTabla{0.3, 9.7, 0, 10, 1, 10},
                                           CasoTabla{-3.2, 47.9, -5, 50, 5, 11},
                                           CasoTabla{0, 22.7, 0, 24, 2, 12},
                                           CasoTabla{1, 1000, 0, 1000, 100, 10}));

TEST(EscalaReal, CuatroDivisionesFijasDanPaso25) {
    auto eje = TEjeGrafico::Create("", TE_Real);
    eje->FijarDivisiones(4);
    const Escalado e = EscalarEje(*eje, 0, 97);
    EXPECT_DOUBLE_EQ(e.min, 0);
    EXPECT_DOUBLE_EQ(e.max, 100);
    EXPECT_DOUBLE_EQ(e.paso, 25);
    EXPECT_EQ(e.divisiones, 4);
}

TEST(EscalaReal, ValorConstanteCinco) {
    auto eje = TEjeGrafico::Create("", TE_Real);
    const Escalado e = EscalarEje(*eje, 5, 5);
    EXPECT_DOUBLE_EQ(e.min, 5);
    EXPECT_GT(e.max, 5);
    EXPECT_NEAR(e.max, 5.0000000002, 5e-11);
    EXPECT_EQ(e.divisiones, 11);
}

TEST(EscalaReal, ValorConstanteGrandeSeEnsanchaSegunSuTamanio) {
    auto eje = TEjeGrafico::Create("", TE_Real);
    const Escalado e = EscalarEje(*eje, 1e7, 1e7);
    EXPECT_LE(e.min, 1e7);
    EXPECT_GE(e.max, 1e7);
    EXPECT_GT(e.max - e.min, 0);
    EXPECT_LT(e.max - e.min, 1e-6);
    EXPECT_GT(e.paso, 0);
    // Every tick is distinct.
    EXPECT_LT(eje->ValorMarca(0), eje->ValorMarca(e.divisiones));
}

struct CasoDivisiones {
    int fijas, resultado;
};

class DivisionesFijas : public ::testing::TestWithParam<CasoDivisiones> {};

TEST_P(DivisionesFijas, SeReducenAMenosDeTrece) {
    auto eje = TEjeGrafico::Create("", TE_Real);
    eje->FijarDivisiones(GetParam().fijas);
    EXPECT_EQ(EscalarEje(*eje, 0, 97).divisiones, GetParam().resultado);
}

INSTANTIATE_TEST_SUITE_P(Cuentas, DivisionesFijas,
                         ::testing::Values(CasoDivisiones{13, 12}, CasoDivisiones{24, 12}, CasoDivisiones{36, 9},
                                           CasoDivisiones{25, 5}, CasoDivisiones{0, 1}, CasoDivisiones{-3, 1}));

TEST(EscalaReal, LimitesNoFinitosCaenA01) {
    auto eje = TEjeGrafico::Create("", TE_Real);
    const Escalado e = EscalarEje(*eje, std::numeric_limits<double>::quiet_NaN(), 3);
    EXPECT_DOUBLE_EQ(e.min, 0);
    EXPECT_DOUBLE_EQ(e.max, 1);
    auto eje2 = TEjeGrafico::Create("", TE_Real);
    const Escalado f = EscalarEje(*eje2, 0, std::numeric_limits<double>::infinity());
    EXPECT_DOUBLE_EQ(f.min, 0);
    EXPECT_DOUBLE_EQ(f.max, 1);
}

TEST(EscalaReal, LimitesFijosInvertidosSeIntercambian) {
    auto eje = TEjeGrafico::Create("", TE_Real);
    eje->FijarMinimo(100);
    eje->FijarMaximo(0);
    const Escalado e = EscalarEje(*eje, 3, 4);
    EXPECT_DOUBLE_EQ(e.min, 0);
    EXPECT_DOUBLE_EQ(e.max, 100);
}

TEST(EscalaReal, EscalarDosVecesDaLoMismo) {
    auto eje = TEjeGrafico::Create("", TE_Real);
    const Escalado primera = EscalarEje(*eje, -3.2, 47.9);
    const Escalado segunda = EscalarEje(*eje, -3.2, 47.9);
    EXPECT_EQ(primera.min, segunda.min);
    EXPECT_EQ(primera.max, segunda.max);
    EXPECT_EQ(primera.divisiones, segunda.divisiones);
}

// ---- Date-time axis ----

TEST(EscalaTiempo, UnDiaDeMedianocheAMedianoche) {
    auto eje = TEjeGrafico::Create("", TE_FechaHora);
    const double d = EncodeDate(2024, 3, 5);
    const Escalado e = EscalarEje(*eje, d, d + 1);
    EXPECT_DOUBLE_EQ(e.paso, 1.0 / 8);
    EXPECT_DOUBLE_EQ(e.min, d);
    EXPECT_DOUBLE_EQ(e.max, d + 1);
    EXPECT_EQ(e.divisiones, 8);
}

TEST(EscalaTiempo, TreintaDiasDanPasoSemanalEnSabado) {
    auto eje = TEjeGrafico::Create("", TE_FechaHora);
    const double d = EncodeDate(2024, 3, 1);
    const Escalado e = EscalarEje(*eje, d, d + 30);
    EXPECT_DOUBLE_EQ(e.paso, 7);
    EXPECT_LE(e.min, d);
    EXPECT_GE(e.max, d + 30);
    EXPECT_EQ(DiaDeLaSemana(e.min), 7);  // Saturday
}

TEST(EscalaTiempo, TresAniosConTresDivisionesFijas) {
    auto eje = TEjeGrafico::Create("", TE_FechaHora);
    eje->FijarDivisiones(3);
    const double d = EncodeDate(2020, 1, 1);
    const Escalado e = EscalarEje(*eje, d, EncodeDate(2023, 1, 1));
    EXPECT_DOUBLE_EQ(e.paso, 365);
    EXPECT_EQ(e.divisiones, 4);
    EXPECT_EQ(std::fmod(e.min, 365), 0);
}

TEST(EscalaTiempo, LimitesInvertidosSeOrdenan) {
    double min = 10, max = 9, paso = 0;
    int n = 10;
    EscalaTiempo(min, max, paso, n, true);
    EXPECT_LE(min, 9);
    EXPECT_GE(max, 10);
}

// ---- The searches themselves ----

TEST(RangoHaciaAfuera, CubreElRangoConElPasoMenor) {
    int64_t k = 0;
    int e = 0;
    EXPECT_DOUBLE_EQ(RangoHaciaAfuera(k, e, -3.2, 47.9, 5, 11), 55);
    EXPECT_EQ(k, -1);
    EXPECT_EQ(e, 0);
}

TEST(RangoHaciaAdentro, QuedaDentroDelRango) {
    int64_t k = 0;
    int e = 0;
    const double total = RangoHaciaAdentro(k, e, -3.2, 47.9, 1, 10);
    const double paso = total / 10;
    EXPECT_GE(k * paso, -3.2);
    EXPECT_LE((k + 10) * paso, 47.9);
}

TEST(EscalaAmigable, HaciaAdentroNoSaleDeLosDatos) {
    double min = 0, max = 0, paso = 0;
    EscalaAmigable(min, max, paso, 0.3, 9.7, 4, false);
    EXPECT_GE(min, 0.3 - 1e-9);
    EXPECT_LE(max, 9.7 + 1e-9);
    EXPECT_GT(paso, 0);
}

TEST(EscalaAmigableAuto, EmpateVaALaCuentaMenor) {
    // 0 to 100 is covered exactly by 10 divisions of 10; 8, 9, 11 and 12
    // divisions of a round step cover more.
    double min = 0, max = 100, paso = 0;
    int n = 10;
    EscalaAmigableAuto(min, max, paso, n, true);
    EXPECT_EQ(n, 10);
    EXPECT_DOUBLE_EQ(paso, 10);
}

}  // namespace
