// The capped logistic S-curve, its least-squares objective and the fit.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "models/uproblemacurvas.h"
#include "numerics/uproblema.h"

namespace fs = std::filesystem;

namespace {

TVectR Vector(std::initializer_list<double> valores) {
    TVectR v(static_cast<int32_t>(valores.size()));
    int32_t i = 0;
    for (double x : valores) v.pv[++i] = x;
    return v;
}

TEST(CurvaS, EnElPuntoMedioDaLaMitadDelTope) {
    EXPECT_DOUBLE_EQ(CurvaS(8, 20, 0, 1, 8, 20), 10);
    EXPECT_NEAR(CurvaS(100, 20, 0, 1, 8, 20), 20, 1e-12);
}

TEST(CurvaS, UnValorLogisticoSobreElTopeDaElTope) {
    EXPECT_EQ(CurvaS(30, 60, 0, 1, 8, 20), 20);
    EXPECT_EQ(CurvaS(8, 60, 10, 1, 8, 20), 20);  // 30 - 10 = 20: not below the cap
    EXPECT_EQ(CurvaS(8, NAN, 0, 1, 8, 20), 20);
}

struct CasoRaiz {
    double a, b, c, esperado;
};

class RaizCubica : public ::testing::TestWithParam<CasoRaiz> {};

TEST_P(RaizCubica, EsLaRaizRealConSigno) {
    const CasoRaiz& caso = GetParam();
    EXPECT_DOUBLE_EQ(RaizCubicaConSigno(caso.a, caso.b, caso.c), caso.esperado);
}

INSTANTIATE_TEST_SUITE_P(Casos, RaizCubica,
                         ::testing::Values(CasoRaiz{2, 0, 5, 2}, CasoRaiz{1, 1, 9, -2}, CasoRaiz{3, 4, 0, 3},
                                           // A negative or missing variance counts as none.
                                           CasoRaiz{2, -1, 5, 2}, CasoRaiz{2, NAN, 5, 2},
                                           CasoRaiz{2, INFINITY, 0, 2}));

// Points of a known capped logistic, a few of them above the cap.
struct Puntos {
    TVectR v, P;
};

Puntos PuntosDeCurva(double x1, double x2, double x3, double x4, double cap, double ruido) {
    Puntos p{TVectR(40), TVectR(40)};
    for (int32_t i = 1; i <= 40; ++i) {
        p.v.pv[i] = 0.5 * i;
        p.P.pv[i] = CurvaS(p.v.pv[i], x1, x2, x3, x4, cap) + ruido * std::sin(7.0 * i);
    }
    return p;
}

TEST(ObjetivoCurvaS, ElGradienteCoincideConDiferenciasCentrales) {
    Puntos p = PuntosDeCurva(30, 2, 0.7, 9, 20, 0.5);
    // Every point and the curve stay below this cap, so all points count.
    T_fobjetivo objetivo(p.v, p.P, 25);
    const TVectR x = Vector({18, 1, 0.6, 8.5});
    TVectR g(4);
    objetivo.SumarGradiente(g, x);
    for (int32_t i = 1; i <= 4; ++i) {
        const double h = 1e-6 * std::max(1.0, std::fabs(x.pv[i]));
        TVectR mas = x, menos = x;
        mas.pv[i] += h;
        menos.pv[i] -= h;
        const double derivada = (objetivo.f(mas) - objetivo.f(menos)) / (2 * h);
        EXPECT_NEAR(g.pv[i], derivada, 1e-6 * std::max(1.0, std::fabs(derivada))) << "variable " << i;
    }
}

TEST(ObjetivoCurvaS, LosPuntosSobreElTopeCuentanEnFPeroNoEnElGradiente) {
    TVectR v = Vector({8, 8}), P = Vector({5, 25});
    T_fobjetivo objetivo(v, P, 20);
    const TVectR x = Vector({20, 0, 1, 8});  // S(8) = 10
    EXPECT_DOUBLE_EQ(objetivo.f(x), (25.0 + 225.0) / 2);
    TVectR g(4);
    objetivo.SumarGradiente(g, x);
    EXPECT_DOUBLE_EQ(g.pv[2], -(2 * (10 - 5.0)) / 2);  // the first point only, divided by both
}

TEST(ObjetivoCurvaS, SumaAlGradienteQueRecibe) {
    TVectR v = Vector({8}), P = Vector({5});
    T_fobjetivo objetivo(v, P, 20);
    TVectR g = Vector({1, 1, 1, 1});
    objetivo.SumarGradiente(g, Vector({20, 0, 1, 8}));
    EXPECT_DOUBLE_EQ(g.pv[2], 1 - 10.0);
}

class AjusteCurvaS : public ::testing::Test {
protected:
    void SetUp() override {
        carpeta_ = fs::temp_directory_path() / ("curvas_s_" + std::to_string(::getpid()));
        fs::create_directories(carpeta_);
        FijarCarpetaLogEstimarMultiplicadores(carpeta_.string());
    }
    void TearDown() override {
        FijarCarpetaLogEstimarMultiplicadores("");
        fs::remove_all(carpeta_);
    }
    int LineasDelLog() const {
        std::ifstream f(RutaLogEstimarMultiplicadores());
        int lineas = 0;
        for (std::string l; std::getline(f, l);) ++lineas;
        return lineas;
    }
    fs::path carpeta_;
};

TEST_F(AjusteCurvaS, RecuperaLaCurvaQueGeneroLosPuntos) {
    const Puntos p = PuntosDeCurva(21, 0.5, 0.8, 8, 20, 0);
    double alfa = 0.5, vm = 10, Pmax = 20, DeltaP = 0, f, L, V;
    const bool convergio = AjustarCurvaS(p.v, p.P, 20, alfa, vm, Pmax, DeltaP, f, L, V);
    EXPECT_TRUE(convergio);
    EXPECT_LT(V, 1e-20);
    EXPECT_LT(f, 1e-3);
    EXPECT_NEAR(alfa, 0.8, 0.02);
    EXPECT_NEAR(vm, 8, 0.05);
    EXPECT_GE(Pmax - DeltaP, 20 - 1e-9);
}

TEST_F(AjusteCurvaS, UnInicioFueraDeLaCajaSeProyecta) {
    const Puntos p = PuntosDeCurva(21, 0.5, 0.8, 8, 20, 0.2);
    double alfa = 5, vm = -3, Pmax = 1, DeltaP = 50, f, L, V;
    AjustarCurvaS(p.v, p.P, 20, alfa, vm, Pmax, DeltaP, f, L, V);
    EXPECT_GE(Pmax, 20);
    EXPECT_LE(Pmax, 60);
    EXPECT_GE(DeltaP, 0);
    EXPECT_LE(DeltaP, 10);
    EXPECT_GE(alfa, 0);
    EXPECT_LE(alfa, 2);
    EXPECT_GE(vm, 0);
    EXPECT_LE(vm, 18);
}

TEST_F(AjusteCurvaS, CadaAjusteAgregaUnaTrazaAlLog) {
    const Puntos p = PuntosDeCurva(21, 0.5, 0.8, 8, 20, 0.1);
    double f, L, V;
    double a = 0, b = 0, c = 0, d = 0;
    AjustarCurvaS(p.v, p.P, 20, a, b, c, d, f, L, V);
    const int despuesDeUno = LineasDelLog();
    EXPECT_GT(despuesDeUno, 0);
    a = b = c = d = 0;
    AjustarCurvaS(p.v, p.P, 20, a, b, c, d, f, L, V);
    EXPECT_EQ(LineasDelLog(), 2 * despuesDeUno);
}

TEST_F(AjusteCurvaS, ElVisorRecibeCadaPrueba) {
    const Puntos p = PuntosDeCurva(21, 0.5, 0.8, 8, 20, 0.1);
    int vistas = 0;
    TProblema_CurvaS problema([&](const TProblema_CurvaS& pr, const TVectR& x) {
        EXPECT_EQ(pr.cap, 20);
        EXPECT_EQ(x.n, 4);
        ++vistas;
    }, p.v, p.P, 20);
    EXPECT_EQ(problema.yMin, -10);
    EXPECT_EQ(problema.yMax, 22);  // 1.1 × cap is above every ordinate
    EXPECT_EQ(problema.xMax, 20);
    double a = 0.5, b = 8, c = 21, d = 0, f, L, V;
    testing::internal::CaptureStdout();
    problema.Resolver(a, b, c, d, f, L, V);
    testing::internal::GetCapturedStdout();
    EXPECT_GT(vistas, 0);
}

}  // namespace
