#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "numerics/math01.h"

TEST(Biseccion, RaizDeUnaRectaEnDiecisieteIteraciones) {
    for (auto [a, b] : {std::pair{0.0, 10.0}, std::pair{10.0, 0.0}}) {
        double raiz, fRaiz;
        int32_t iteraciones;
        bool convergio;
        BuscarCeroBiseccion([](double x) { return x - 2.0; }, a, b, 1e-4, 1000, raiz, fRaiz, iteraciones,
                            convergio);
        EXPECT_TRUE(convergio);
        EXPECT_EQ(iteraciones, 17);
        EXPECT_NEAR(raiz, 2.0, 1e-4);
        EXPECT_DOUBLE_EQ(fRaiz, raiz - 2.0);
    }
}

TEST(Biseccion, SinCambioDeSignoNoParte) {
    int evaluaciones = 0;
    double raiz, fRaiz;
    int32_t iteraciones = -1;
    bool convergio = true;
    BuscarCeroBiseccion(
        [&](double x) {
            ++evaluaciones;
            return x * x + 1.0;
        },
        -1, 1, 1e-4, 1000, raiz, fRaiz, iteraciones, convergio);
    EXPECT_FALSE(convergio);
    EXPECT_EQ(raiz, 0.0);
    EXPECT_EQ(fRaiz, 1.0);
    EXPECT_EQ(iteraciones, 0);
    EXPECT_EQ(evaluaciones, 3);  // both ends and the reported point
}

TEST(Biseccion, AgotaLasIteracionesYDevuelveElPuntoMedio) {
    double raiz, fRaiz;
    int32_t iteraciones;
    bool convergio = true;
    // [0, 10] -> [0, 5] -> [0, 2.5] -> [1.25, 2.5]
    BuscarCeroBiseccion([](double x) { return x - 2.0; }, 0, 10, 1e-12, 3, raiz, fRaiz, iteraciones, convergio);
    EXPECT_FALSE(convergio);
    EXPECT_EQ(iteraciones, 3);
    EXPECT_EQ(raiz, 1.875);
}

TEST(Biseccion, ValoresDiminutosNoConfundenElSigno) {
    // f(0) * f(1.25) underflows to 0, which a product test would take for a
    // sign change.
    double raiz, fRaiz;
    int32_t iteraciones;
    bool convergio;
    BuscarCeroBiseccion([](double x) { return 1e-200 * (x - 2.0); }, 0, 10, 1e-6, 1000, raiz, fRaiz, iteraciones,
                        convergio);
    EXPECT_TRUE(convergio);
    EXPECT_NEAR(raiz, 2.0, 1e-6);
}

TEST(Biseccion, ExtremoConCeroCuentaComoCambioDeSigno) {
    double raiz, fRaiz;
    int32_t iteraciones;
    bool convergio;
    BuscarCeroBiseccion([](double x) { return x; }, 0, 1, 1e-3, 100, raiz, fRaiz, iteraciones, convergio);
    EXPECT_TRUE(convergio);
    EXPECT_NEAR(raiz, 0.0, 1e-3);
}

TEST(Biseccion, ProblemaDerivado) {
    struct Coseno : T_ProblemaFx_Cero {
        double f(double x) override { return std::cos(x); }
    } problema;
    double raiz, fRaiz;
    int32_t iteraciones;
    EXPECT_TRUE(problema.Biseccion(1, 2, 1e-12, 100, raiz, fRaiz, iteraciones));
    EXPECT_NEAR(raiz, M_PI / 2, 1e-12);
}

TEST(IntegrarRomberg, CuboConvergeEnElSegundoNivel) {
    int evaluaciones = 0;
    double valor = -1;
    bool convergio = false;
    IntegrarRomberg(
        [&](double x) {
            ++evaluaciones;
            return x * x * x;
        },
        0, 2, 1e-10, valor, convergio);
    EXPECT_TRUE(convergio);
    EXPECT_DOUBLE_EQ(valor, 4.0);
    EXPECT_EQ(evaluaciones, 5);  // 2 ends, 1 + 2 new points
}

TEST(IntegrarRomberg, SenoSobreMedioPeriodo) {
    double valor = 0;
    bool convergio = false;
    IntegrarRomberg([](double x) { return std::sin(x); }, 0, M_PI, 1e-10, valor, convergio);
    EXPECT_TRUE(convergio);
    EXPECT_NEAR(valor, 2.0, 1e-10);
}

TEST(IntegrarRomberg, SinConvergenciaDejaElValorDelLlamador) {
    std::mt19937 azar(5);
    int evaluaciones = 0;
    auto ruido = [&](double) {
        ++evaluaciones;
        return static_cast<double>(azar() % 1000);
    };
    double valor = 123.0;
    bool convergio = true;
    IntegrarRomberg(ruido, 0, 1, 1e-12, valor, convergio);
    EXPECT_FALSE(convergio);
    EXPECT_EQ(valor, 123.0);
    EXPECT_EQ(evaluaciones, 1025);
}

TEST(RombergUltimaEstimacion, DevuelveLaUltimaEstimacionSinConvergencia) {
    // sqrt has an infinite slope at 0: ten levels do not reach 1e-15.
    bool convergio = true;
    const double estimacion = RombergUltimaEstimacion([](double x) { return std::sqrt(x); }, 0, 1, 1e-15, convergio);
    EXPECT_FALSE(convergio);
    EXPECT_NEAR(estimacion, 2.0 / 3.0, 1e-4);
}
