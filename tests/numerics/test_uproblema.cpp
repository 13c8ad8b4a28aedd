#include "numerics/uproblema.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "fx_prueba.h"
#include "numerics/errores.h"
#include "numerics/textoreal.h"

namespace {

namespace fs = std::filesystem;
using TA = TRestriccionActiva;
using TT = TTipoRestriccion;

std::string LeerBytes(const fs::path& ruta) {
    std::ifstream archivo(ruta, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(archivo), std::istreambuf_iterator<char>());
}

int Ocurrencias(const std::string& texto, const std::string& pieza) {
    int cuenta = 0;
    for (auto p = texto.find(pieza); p != std::string::npos; p = texto.find(pieza, p + 1)) ++cuenta;
    return cuenta;
}

std::string R(double x) { return RealATextoDefecto(x); }

struct Restriccion {
    TT tipo;
    double cotaInf, cotaSup;
    std::vector<double> coeficientes;  // r(x) = coeficientes . x
};

// A problem on a box [inf, sup] in every variable with the objective
// sum of (x_i - centro_i)^2 and linear constraints.
std::unique_ptr<TProblema_m01> ProblemaCuadratico(std::vector<double> centro, double inf, double sup,
                                                  const std::vector<Restriccion>& restricciones = {}) {
    const int n = static_cast<int>(centro.size());
    auto problema = TProblema_m01::Create(static_cast<int>(restricciones.size()) + 1, n + 1, 0);
    problema->objetivo = std::make_unique<TfxCuadratica>(std::move(centro));
    for (int i = 1; i <= n; ++i) {
        problema->FijarCotaInferior(i, inf);
        problema->FijarCotaSuperior(i, sup);
    }
    for (std::size_t k = 0; k < restricciones.size(); ++k) {
        TResfx& r = problema->restricciones[k];
        r.tipo = restricciones[k].tipo;
        r.cotaInf = restricciones[k].cotaInf;
        r.cotaSup = restricciones[k].cotaSup;
        r.f = std::make_unique<TfxLineal>(restricciones[k].coeficientes);
    }
    return problema;
}

// Keeps every report of the descent; can ask it to stop at report k.
class TProblemaRegistrado : public TProblema_m01 {
public:
    struct Informe {
        double x, xPrueba, Lx, LxPrueba;
        bool aceptado;
        double multiplicador;  // of the first constraint, when there is one
    };
    using TProblema_m01::TProblema_m01;

    bool Informar(const TVectR& x, const TVectR& xPrueba, double Lx, double LxPrueba, bool aceptado) override {
        const double multiplicador = restricciones.empty() ? 0 : restricciones[0].multiplicador;
        informes.push_back({x.pv[1], xPrueba.pv[1], Lx, LxPrueba, aceptado, multiplicador});
        return static_cast<int>(informes.size()) == detenerEn;
    }

    std::vector<Informe> informes;
    int detenerEn = 0;
};

// f(x) = x^2 on [-5, 5], with an optional free constraint r(x) = x that only
// records where it was evaluated last.
std::unique_ptr<TProblemaRegistrado> ProblemaDeTraza(bool conRestriccionLibre = false) {
    auto problema = std::make_unique<TProblemaRegistrado>(conRestriccionLibre ? 2 : 1, 2, 0);
    problema->objetivo = std::make_unique<TfxCuadratica>(std::vector<double>{0});
    problema->FijarCotaInferior(1, -5);
    problema->FijarCotaSuperior(1, 5);
    if (conRestriccionLibre) {
        problema->restricciones[0].tipo = TT::TR_Libre;
        problema->restricciones[0].f = std::make_unique<TfxLineal>(std::vector<double>{1});
    }
    return problema;
}

// Every test that solves writes its log into a folder of its own.
class ConCarpetaDeLog : public ::testing::Test {
protected:
    void SetUp() override {
        std::string plantilla = (fs::temp_directory_path() / "uproblema_XXXXXX").string();
        ASSERT_NE(::mkdtemp(plantilla.data()), nullptr);
        carpeta_ = plantilla;
        FijarCarpetaLogEstimarMultiplicadores(carpeta_.string());
    }
    void TearDown() override {
        FijarCarpetaLogEstimarMultiplicadores("");
        fs::remove_all(carpeta_);
    }
    fs::path Log() const { return carpeta_ / ArchivoLogEstimarMultiplicadores; }

    fs::path carpeta_;
};

// ---- Box ----

TEST(CajaDelProblema, ProyectaCadaVariableEnSusCotas) {
    auto problema = ProblemaCuadratico({0, 0, 0}, -1, 2);
    TVectR x = Vector({-3, 0.5, 7});
    problema->ProyectarEnCaja(x);
    EXPECT_EQ(x.pv[1], -1);
    EXPECT_EQ(x.pv[2], 0.5);
    EXPECT_EQ(x.pv[3], 2);
}

TEST(CajaDelProblema, LasCotasNacenEnCero) {
    auto problema = TProblema_m01::Create(1, 3, 0);
    TVectR x = Vector({-3, 4});
    problema->ProyectarEnCaja(x);
    EXPECT_EQ(x.pv[1], 0);
    EXPECT_EQ(x.pv[2], 0);
    EXPECT_EQ(problema->NombreVariable(3), "Var_3");
    EXPECT_EQ(problema->NombreRestriccion(1), "Res_1");
    EXPECT_EQ(problema->nombreVariable(2), "Var_2");
}

TEST_F(ConCarpetaDeLog, CajaInfactibleTerminaSinResolverYLoDice) {
    auto problema = ProblemaCuadratico({0, 0}, 0, 1);
    problema->FijarCotaInferior(2, 3.5);
    problema->FijarCotaSuperior(2, 1.25);
    TVectR multiplicadores(0);
    TVectR x = Vector({0.5, 7});
    int iteraciones = -1;
    double f, L, V;
    bool convergio = true;
    const double resultado =
        problema->Resolver(multiplicadores, x, 1, 1e-10, 100, iteraciones, f, L, V, convergio, false);
    EXPECT_EQ(problema->mensaje,
              "La restricción de caja de la variable Nº: 2 vuelve el prolema infactible.  x_inf: 3.5 , x_sup: 1.25");
    EXPECT_EQ(iteraciones, 0);
    EXPECT_FALSE(convergio);
    EXPECT_EQ(V, std::numeric_limits<double>::infinity());
    EXPECT_EQ(resultado, V);
    EXPECT_EQ(x.pv[2], 7);  // untouched
    EXPECT_FALSE(fs::exists(Log()));

    bool chico = true;
    EXPECT_EQ(problema->DescensoProyectado(x, 1, 1e-10, 100, iteraciones, L, f, chico, false),
              std::numeric_limits<double>::infinity());
    EXPECT_EQ(iteraciones, 0);
    EXPECT_FALSE(chico);
    EXPECT_EQ(L, std::numeric_limits<double>::infinity());
    EXPECT_EQ(f, std::numeric_limits<double>::infinity());
}

// ---- Lagrangian ----

TEST(Lagrangiano, SumaMultiplicadorPorViolacionDeLasActivas) {
    // f = (x1 - 1)^2 + x2^2; x1 >= 2 violated by 1.5, x2 = 0 met exactly, x1 + x2 <= 9 satisfied.
    auto problema = ProblemaCuadratico({1, 0}, -10, 10,
                                       {{TT::TR_Mayor, 2, 0, {1, 0}},
                                        {TT::TR_Igualdad, 0, 0, {0, 1}},
                                        {TT::TR_Menor, 0, 9, {1, 1}}});
    for (TResfx& r : problema->restricciones) r.multiplicador = 3;
    std::vector<TResfx*> activas;
    double f, L;
    const TVectR x = Vector({0.5, 0});
    const double V = problema->EvaluarLagrangiano(activas, f, L, x);
    ASSERT_EQ(activas.size(), 2u);
    EXPECT_EQ(activas[0], &problema->restricciones[0]);
    EXPECT_EQ(activas[1]->estado, TA::SUPERIOR);  // the equality, met exactly, adds nothing
    EXPECT_DOUBLE_EQ(f, 0.25);
    EXPECT_DOUBLE_EQ(L, 0.25 + 3 * 1.5);
    EXPECT_DOUBLE_EQ(V, 1.5 * 1.5);

    // The lower side enters with its multiplier negated, the upper side as is.
    TVectR gf(2), gL(2);
    problema->GradienteLagrangiano(activas, gf, gL, x);
    EXPECT_DOUBLE_EQ(gf.pv[1], -1);
    EXPECT_DOUBLE_EQ(gf.pv[2], 0);
    EXPECT_DOUBLE_EQ(gL.pv[1], -1 - 3);
    EXPECT_DOUBLE_EQ(gL.pv[2], 0 + 3);
}

TEST(Lagrangiano, MultiplicadorNegativoCuentaComoCeroConAviso) {
    auto problema = ProblemaCuadratico({0}, -10, 10, {{TT::TR_Mayor, 1, 0, {1}}});
    problema->restricciones[0].multiplicador = -3;
    std::vector<TResfx*> activas;
    double f, L;
    ::testing::internal::CaptureStderr();
    const double V = problema->EvaluarLagrangiano(activas, f, L, Vector({0.5}));
    const std::string aviso = ::testing::internal::GetCapturedStderr();
    EXPECT_DOUBLE_EQ(L, f);
    EXPECT_DOUBLE_EQ(V, 0.25);
    EXPECT_NE(aviso.find("multiplicador negativo"), std::string::npos) << aviso;
}

// ---- Projected descent ----

TEST(DescensoProyectado, DesdeCuatroAceptaDosPruebasYTerminaEnGradienteNulo) {
    auto problema = ProblemaDeTraza();
    TVectR x = Vector({4});
    int iteraciones;
    double L, f;
    bool chico;
    const double V = problema->DescensoProyectado(x, 1, 1e-10, 100, iteraciones, L, f, chico, true);
    ASSERT_EQ(problema->informes.size(), 2u);
    const auto& a = problema->informes[0];
    const auto& b = problema->informes[1];
    EXPECT_EQ(a.x, 4);
    EXPECT_EQ(a.xPrueba, 3);  // step 1 along the unit gradient
    EXPECT_EQ(a.Lx, 16);
    EXPECT_EQ(a.LxPrueba, 9);
    EXPECT_TRUE(a.aceptado);
    EXPECT_EQ(b.x, 3);
    EXPECT_EQ(b.xPrueba, 0);  // the step has grown to 3
    EXPECT_TRUE(b.aceptado);
    EXPECT_EQ(iteraciones, 2);
    EXPECT_TRUE(chico);
    EXPECT_EQ(x.pv[1], 0);
    EXPECT_EQ(L, 0);
    EXPECT_EQ(f, 0);
    EXPECT_EQ(V, 0);
}

TEST(DescensoProyectado, UnRechazoReduceElPasoYExigeDosExitosParaCrecer) {
    auto problema = ProblemaDeTraza();
    TVectR x = Vector({0.4});
    int iteraciones;
    double L, f;
    bool chico;
    problema->DescensoProyectado(x, 1, 1e-10, 100, iteraciones, L, f, chico, true);
    ASSERT_GE(problema->informes.size(), 4u);
    const auto& i = problema->informes;
    EXPECT_DOUBLE_EQ(i[0].xPrueba, -0.6);
    EXPECT_FALSE(i[0].aceptado);  // 0.36 is not below 0.16
    EXPECT_EQ(i[1].xPrueba, 0.4 - 1 / 4.2);
    EXPECT_TRUE(i[1].aceptado);
    // Not grown after one success: the threshold is 2 now.
    EXPECT_EQ(i[2].xPrueba, i[1].xPrueba - 1 / 4.2);
    EXPECT_TRUE(i[2].aceptado);
    // Two successes: the step has grown to 3/4.2, and the gradient changed sign.
    EXPECT_EQ(i[3].xPrueba, i[2].xPrueba + 3 * (1 / 4.2));
    EXPECT_TRUE(chico);
    EXPECT_LT(std::fabs(x.pv[1]), 1e-9);
    EXPECT_EQ(f, x.pv[1] * x.pv[1]);
    EXPECT_EQ(L, f);
}

TEST(DescensoProyectado, TrasUnaPruebaRechazadaLasRestriccionesDescribenElPuntoAceptado) {
    auto problema = ProblemaDeTraza(true);
    TVectR x = Vector({0.4});
    int iteraciones;
    double L, f;
    bool chico;
    problema->DescensoProyectado(x, 1, 1e-3, 100, iteraciones, L, f, chico, true);
    ASSERT_FALSE(problema->informes.back().aceptado);  // it ended on a step below the minimum
    EXPECT_EQ(problema->restricciones[0].valor, x.pv[1]);
}

TEST(DescensoProyectado, TerminaAlAgotarLasIteraciones) {
    auto problema = ProblemaDeTraza();
    TVectR x = Vector({0.4});
    int iteraciones;
    double L, f;
    bool chico;
    problema->DescensoProyectado(x, 1, 1e-10, 3, iteraciones, L, f, chico, false);
    EXPECT_EQ(iteraciones, 3);
    EXPECT_FALSE(chico);
    EXPECT_TRUE(problema->informes.empty());  // not reporting
}

TEST(DescensoProyectado, UnInformeQueDevuelveVerdaderoLoDetiene) {
    auto problema = ProblemaDeTraza();
    problema->detenerEn = 1;
    TVectR x = Vector({4});
    int iteraciones;
    double L, f;
    bool chico;
    problema->DescensoProyectado(x, 1, 1e-10, 100, iteraciones, L, f, chico, true);
    EXPECT_EQ(iteraciones, 1);
    EXPECT_FALSE(chico);
    EXPECT_EQ(x.pv[1], 3);  // the accepted trial is still taken
    EXPECT_EQ(L, 9);
}

TEST(Informar, EscribeDosLineasEnLaConsola) {
    auto problema = ProblemaCuadratico({0, 0}, -5, 5);
    ::testing::internal::CaptureStdout();
    const bool detener = problema->Informar(Vector({4, -0.5}), Vector({3, 1}), 16, 0.25, true);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "16.000000, X:, 4.000000, -0.500000\n"
              "0.250000, Xs:, 3.000000, 1.000000\n");
    EXPECT_FALSE(detener);
}

TEST(Informar, ConInformeCadaIteracionDelDescensoEscribeDosLineas) {
    auto problema = ProblemaCuadratico({0}, -5, 5);
    TVectR x = Vector({0.4});
    int iteraciones;
    double L, f;
    bool chico;
    ::testing::internal::CaptureStdout();
    problema->DescensoProyectado(x, 1, 1e-3, 100, iteraciones, L, f, chico, true);
    const std::string salida = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(Ocurrencias(salida, "\n"), 2 * iteraciones);
    EXPECT_EQ(Ocurrencias(salida, ", Xs:"), iteraciones);
}

// ---- Multiplier method ----

struct Solucion {
    TVectR x, multiplicadores;
    int iteraciones = -1;
    double f = 0, L = 0, V = 0;
    bool convergio = false;
};

Solucion Resolver(TProblema_m01& problema, std::vector<double> x0, std::vector<double> multiplicadores0) {
    Solucion s{Vector(std::move(x0)), Vector(std::move(multiplicadores0))};
    problema.Resolver(s.multiplicadores, s.x, 1.0, 1e-10, 1000, s.iteraciones, s.f, s.L, s.V, s.convergio, false);
    return s;
}

// r(x) at x for each constraint, evaluated afresh.
double ViolacionCuadratica(TProblema_m01& problema, const TVectR& x) {
    std::vector<TResfx*> activas;
    double f, L;
    return problema.EvaluarLagrangiano(activas, f, L, x);
}

TEST_F(ConCarpetaDeLog, RestriccionesSatisfechasConvergeSinIteracionesExternas) {
    auto problema = ProblemaCuadratico({2}, -10, 10, {{TT::TR_Menor, 0, 5, {1}}});
    const Solucion s = Resolver(*problema, {0}, {0});
    EXPECT_TRUE(s.convergio);
    EXPECT_EQ(s.iteraciones, 0);
    EXPECT_NEAR(s.x.pv[1], 2, 1e-9);
    EXPECT_EQ(s.V, 0);
    EXPECT_EQ(s.multiplicadores.pv[1], 0);
}

struct CasoMinimoRestringido {
    const char* nombre;
    Restriccion restriccion;
    double xInicial, xEsperado;
};

class MinimoRestringido : public ConCarpetaDeLog, public ::testing::WithParamInterface<CasoMinimoRestringido> {};

// min (x - 2)^2 on [-10, 10] with the constraint holding x away from 2.
TEST_P(MinimoRestringido, ConvergeAlBorde) {
    const CasoMinimoRestringido& caso = GetParam();
    auto problema = ProblemaCuadratico({2}, -10, 10, {caso.restriccion});
    const Solucion s = Resolver(*problema, {caso.xInicial}, {0});
    EXPECT_TRUE(s.convergio);
    EXPECT_NEAR(s.x.pv[1], caso.xEsperado, 1e-6);
    EXPECT_LT(s.V, 1e-12);
    EXPECT_GE(s.multiplicadores.pv[1], 0);
    // The state returned is the point's own.
    EXPECT_EQ(s.f, problema->objetivo->f(s.x));
    EXPECT_EQ(s.V, ViolacionCuadratica(*problema, s.x));
}

INSTANTIATE_TEST_SUITE_P(Tabla, MinimoRestringido,
                         ::testing::Values(CasoMinimoRestringido{"Menor", {TT::TR_Menor, 0, 1, {1}}, 0, 1},
                                           CasoMinimoRestringido{"MenorDesdeFuera", {TT::TR_Menor, 0, 1, {1}}, 8, 1},
                                           CasoMinimoRestringido{"Mayor", {TT::TR_Mayor, 3, 0, {1}}, 0, 3},
                                           CasoMinimoRestringido{"MayorEscalada", {TT::TR_Mayor, 6, 0, {2}}, 0, 3},
                                           CasoMinimoRestringido{"MenorDesdeLejos", {TT::TR_Menor, 0, 1, {1}}, -4, 1}),
                         [](const auto& info) { return std::string(info.param.nombre); });

TEST_F(ConCarpetaDeLog, DosVariablesSobreUnaDiagonal) {
    // min (x1 - 2)^2 + (x2 - 2)^2 with x1 + x2 <= 1: the solution is (0.5, 0.5).
    auto problema = ProblemaCuadratico({2, 2}, -10, 10, {{TT::TR_Menor, 0, 1, {1, 1}}});
    const Solucion s = Resolver(*problema, {-1, -1}, {0});
    EXPECT_TRUE(s.convergio);
    EXPECT_NEAR(s.x.pv[1], 0.5, 1e-6);
    EXPECT_NEAR(s.x.pv[2], 0.5, 1e-6);
    EXPECT_NEAR(s.f, 4.5, 1e-6);
}

TEST_F(ConCarpetaDeLog, DevuelveElPuntoAceptadoConSusPropiosValores) {
    // Two constraints meeting at a corner: outer trials get rejected, and the
    // point returned must be the accepted one, with its own f and V.
    auto problema =
        ProblemaCuadratico({2, 2}, -10, 10, {{TT::TR_Menor, 0, 0, {1, 0}}, {TT::TR_Menor, 0, 1, {1, 1}}});
    const Solucion s = Resolver(*problema, {-1, -1}, {0, 0});
    EXPECT_GT(s.iteraciones, 2);
    EXPECT_EQ(s.f, problema->objetivo->f(s.x));
    EXPECT_EQ(s.V, ViolacionCuadratica(*problema, s.x));
    EXPECT_LT(s.V, 1e-12);
}

TEST_F(ConCarpetaDeLog, LaIgualdadNuncaQuedaSinViolacionYNoConvergeEnElLimite) {
    auto problema = ProblemaCuadratico({2}, -10, 10, {{TT::TR_Igualdad, -1, 0, {1}}});
    const Solucion s = Resolver(*problema, {0}, {0});
    EXPECT_NEAR(s.x.pv[1], -1, 1e-6);
    EXPECT_EQ(s.iteraciones, 1000);
    EXPECT_FALSE(s.convergio);
    EXPECT_EQ(s.f, problema->objetivo->f(s.x));
}

TEST_F(ConCarpetaDeLog, MultiplicadoresNegativosSeElevanACeroAntesDelPrimerDescenso) {
    auto problema = std::make_unique<TProblemaRegistrado>(2, 2, 0);
    problema->objetivo = std::make_unique<TfxCuadratica>(std::vector<double>{2});
    problema->FijarCotaInferior(1, -10);
    problema->FijarCotaSuperior(1, 10);
    problema->restricciones[0].tipo = TT::TR_Menor;
    problema->restricciones[0].cotaSup = 1;
    problema->restricciones[0].f = std::make_unique<TfxLineal>(std::vector<double>{1});
    TVectR multiplicadores = Vector({-5});
    TVectR x = Vector({0});
    int iteraciones;
    double f, L, V;
    bool convergio;
    ::testing::internal::CaptureStdout();
    problema->Resolver(multiplicadores, x, 1.0, 1e-10, 1000, iteraciones, f, L, V, convergio, true);
    ::testing::internal::GetCapturedStdout();
    ASSERT_FALSE(problema->informes.empty());
    EXPECT_EQ(problema->informes[0].multiplicador, 0);
    EXPECT_TRUE(convergio);
    EXPECT_GE(multiplicadores.pv[1], 0);
}

TEST_F(ConCarpetaDeLog, UnObjetivoNoFinitoEsUnErrorDePuntoFlotante) {
    // log(x) below zero: the value a floating-point trap would have stopped.
    class TfxLogaritmo : public Tfx {
    public:
        double f(const TVectR& x) const override { return std::log(x.pv[1]); }
        void SumarGradiente(TVectR& g, const TVectR& x) const override { g.pv[1] += 1 / x.pv[1]; }
    };
    auto problema = ProblemaCuadratico({0}, -1, 1);
    problema->objetivo = std::make_unique<TfxLogaritmo>();
    TVectR multiplicadores(0);
    TVectR x = Vector({-0.5});
    int iteraciones;
    double f, L, V;
    bool convergio;
    EXPECT_THROW(problema->Resolver(multiplicadores, x, 1, 1e-10, 100, iteraciones, f, L, V, convergio, false),
                 EMathError);
}

TEST_F(ConCarpetaDeLog, CadaResolucionAgregaUnaTrazaAlLog) {
    auto problema = ProblemaCuadratico({2}, -10, 10, {{TT::TR_Menor, 0, 1, {1}}});
    Resolver(*problema, {0}, {0});
    Resolver(*problema, {0}, {0});
    EXPECT_EQ(Ocurrencias(LeerBytes(Log()), "calcular_fs"), 2);
}

TEST(CarpetaDelLog, PorDefectoEsLaCarpetaActual) {
    FijarCarpetaLogEstimarMultiplicadores("");
    EXPECT_EQ(RutaLogEstimarMultiplicadores(), "log_EstimarMultiplicadores.xlt");
    FijarCarpetaLogEstimarMultiplicadores("/tmp/otra");
    EXPECT_EQ(RutaLogEstimarMultiplicadores(), "/tmp/otra/log_EstimarMultiplicadores.xlt");
    FijarCarpetaLogEstimarMultiplicadores("");
}

TEST(CarpetaDelLog, UnLogQueNoSePuedeEscribirNoImpideResolver) {
    const fs::path inexistente = fs::temp_directory_path() / "uproblema_no_existe" / "ni_esta";
    ASSERT_FALSE(fs::exists(inexistente));
    FijarCarpetaLogEstimarMultiplicadores(inexistente.string());
    auto problema = ProblemaCuadratico({2}, -10, 10, {{TT::TR_Menor, 0, 1, {1}}});
    ::testing::internal::CaptureStderr();
    const Solucion s = Resolver(*problema, {0}, {0});
    const std::string avisos = ::testing::internal::GetCapturedStderr();
    FijarCarpetaLogEstimarMultiplicadores("");
    EXPECT_TRUE(s.convergio);
    EXPECT_NEAR(s.x.pv[1], 1, 1e-6);
    EXPECT_EQ(Ocurrencias(avisos, "Advertencia"), 1) << avisos;
    EXPECT_FALSE(fs::exists(inexistente));
}

// ---- Multiplier estimate ----

struct CasoEstimacion {
    const char* nombre;
    std::vector<double> centro;
    std::vector<Restriccion> restricciones;
    std::vector<double> x;
    std::vector<double> multiplicadores;
};

class EstimacionDeMultiplicadores : public ::testing::TestWithParam<CasoEstimacion> {};

// Oracles from the first-order conditions -grad f = sum of lambda_k * w_k,
// w_k = grad r_k on the upper side and -grad r_k on the lower side.
TEST_P(EstimacionDeMultiplicadores, CumpleLasCondicionesDePrimerOrden) {
    const CasoEstimacion& caso = GetParam();
    auto problema = ProblemaCuadratico(caso.centro, -10, 10, caso.restricciones);
    for (TResfx& r : problema->restricciones) r.multiplicador = 7;  // replaced by the estimate
    TVectR x = Vector(caso.x);
    EstimarMultiplicadores(*problema, x, 0);
    for (std::size_t k = 0; k < caso.multiplicadores.size(); ++k)
        EXPECT_NEAR(problema->restricciones[k].multiplicador, caso.multiplicadores[k], 1e-12) << "restricción " << k;
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, EstimacionDeMultiplicadores,
    ::testing::Values(
        CasoEstimacion{"CotaInferior", {2}, {{TT::TR_Mayor, 3, 0, {1}}}, {3}, {2}},
        CasoEstimacion{"CotaSuperior", {2}, {{TT::TR_Menor, 0, 1, {1}}}, {1}, {2}},
        CasoEstimacion{"GradienteEscalado", {2}, {{TT::TR_Mayor, 6, 0, {2}}}, {3}, {1}},
        // Active but at an acute angle with grad f: not opposing, multiplier 0.
        CasoEstimacion{"NoOpositora", {2}, {{TT::TR_Mayor, 3, 0, {1}}}, {1}, {0}},
        CasoEstimacion{"SinActivas", {2}, {{TT::TR_Menor, 0, 5, {1}}}, {3}, {0}},
        CasoEstimacion{"GradienteObjetivoNulo", {2}, {{TT::TR_Menor, 0, 2, {1}}}, {2}, {0}},
        CasoEstimacion{"DosOrtogonales", {2, 2}, {{TT::TR_Menor, 0, 1, {1, 0}}, {TT::TR_Menor, 0, 1, {0, 1}}}, {1, 1},
                       {2, 2}},
        CasoEstimacion{"DosOblicuas", {2, 2}, {{TT::TR_Menor, 0, 0, {1, 0}}, {TT::TR_Menor, 0, 1, {1, 1}}}, {0, 1},
                       {2, 2}},
        // x1 <= 1 is met exactly at (1, 1) but grad f lies along (1, 1) alone.
        CasoEstimacion{"UnaSobrante", {2, 2}, {{TT::TR_Menor, 0, 1, {1, 0}}, {TT::TR_Menor, 0, 2, {1, 1}}}, {1, 1},
                       {0, 2}},
        CasoEstimacion{"Paralelas", {2, 2}, {{TT::TR_Menor, 0, 1, {1, 0}}, {TT::TR_Menor, 0, 2, {2, 0}}}, {1, 2},
                       {2, 0}},
        // A constraint with a zero gradient is redundant and gets 0.
        CasoEstimacion{"GradienteNulo", {2}, {{TT::TR_Mayor, 0, 0, {0}}, {TT::TR_Menor, 0, 1, {1}}}, {1}, {0, 2}}),
    [](const auto& info) { return std::string(info.param.nombre); });

class LogDeEstimacion : public ConCarpetaDeLog {
protected:
    std::string Estimar(std::vector<double> centro, const std::vector<Restriccion>& restricciones, double x0,
                        int nivel) {
        problema_ = ProblemaCuadratico(std::move(centro), -10, 10, restricciones);
        TVectR x = Vector({x0});
        EstimarMultiplicadores(*problema_, x, nivel);
        return LeerBytes(Log());
    }
    std::unique_ptr<TProblema_m01> problema_;
};

TEST_F(LogDeEstimacion, TrazaDeUnaRestriccionEnSuCotaInferior) {
    const std::string log = Estimar({2}, {{TT::TR_Mayor, 3, 0, {1}}}, 3, 1);
    EXPECT_EQ(log, "calcular_fs ............. \r\n"
                   "x: \t" + R(3) + "\r\n"
                   "f(x): \t" + R(1) + "\tL(x): \t" + R(1) + "\r\n"
                   "r(x): \t" + R(3) + "\r\n"
                   "gradientes .... \r\n"
                   "gf\t" + R(2) + "\r\n"
                   "gr_0\t" + R(1) + "\r\n"
                   "opositoras_base_versores --------\r\n"
                   "ubase_0\t" + R(-1) + "\r\n"
                   "opositoras_base_alfa --------\r\n"
                   "alfa_base_0\t" + R(1) + "\r\n"
                   "opositoras_redundantes_alfa --------\r\n"
                   "opositoras_base_lambda --------\r\n"
                   "lambdas: \t" + R(2) + "\r\n");
}

TEST_F(LogDeEstimacion, SinRestriccionesActivasLasSeccionesQuedanVacias) {
    const std::string log = Estimar({2}, {{TT::TR_Menor, 0, 5, {1}}}, 3, 1);
    EXPECT_EQ(log, "calcular_fs ............. \r\n"
                   "x: \t" + R(3) + "\r\n"
                   "f(x): \t" + R(1) + "\tL(x): \t" + R(1) + "\r\n"
                   "r(x): \r\n"
                   "gradientes .... \r\n"
                   "gf\t" + R(2) + "\r\n"
                   "opositoras_base_versores --------\r\n"
                   "opositoras_base_alfa --------\r\n"
                   "opositoras_redundantes_alfa --------\r\n"
                   "opositoras_base_lambda --------\r\n"
                   "lambdas: \r\n");
}

TEST_F(LogDeEstimacion, ConGradienteObjetivoNuloSoloLaCabecera) {
    const std::string log = Estimar({2}, {{TT::TR_Menor, 0, 2, {1}}}, 2, 1);
    EXPECT_EQ(log, "calcular_fs ............. \r\n"
                   "x: \t" + R(2) + "\r\n"
                   "f(x): \t" + R(0) + "\tL(x): \t" + R(0) + "\r\n"
                   "r(x): \t" + R(2) + "\r\n");
}

TEST_F(LogDeEstimacion, LaParalelaQuedaRedundante) {
    problema_ = ProblemaCuadratico({2, 2}, -10, 10, {{TT::TR_Menor, 0, 1, {1, 0}}, {TT::TR_Menor, 0, 2, {2, 0}}});
    TVectR x = Vector({1, 2});
    EstimarMultiplicadores(*problema_, x, 1);
    const std::string log = LeerBytes(Log());
    EXPECT_NE(log.find("alfa_base_0\t" + R(1) + "\t" + R(0) + "\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("opositoras_redundantes_alfa --------\r\nalfa_red_0\t" + R(2) + "\t" + R(0) + "\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("lambdas: \t" + R(2) + "\r\n"), std::string::npos) << log;
}

TEST_F(LogDeEstimacion, NivelUnoReemplazaNivelDosAgregaNivelCeroNoEscribe) {
    Estimar({2}, {{TT::TR_Menor, 0, 1, {1}}}, 1, 0);
    EXPECT_FALSE(fs::exists(Log()));
    const std::string traza = Estimar({2}, {{TT::TR_Menor, 0, 1, {1}}}, 1, 2);  // created when missing
    EXPECT_EQ(Ocurrencias(traza, "calcular_fs"), 1);
    EXPECT_EQ(Estimar({2}, {{TT::TR_Menor, 0, 1, {1}}}, 1, 3), traza + traza);
    EXPECT_EQ(Estimar({2}, {{TT::TR_Menor, 0, 1, {1}}}, 1, 1), traza);
    EXPECT_EQ(Estimar({2}, {{TT::TR_Menor, 0, 1, {1}}}, 1, 0), traza);
}

// ---- Basis selection ----

TEST(SeleccionDeLaBase, EntreValoresIgualesGanaLaPrimera) {
    std::vector<TResfx> restricciones;
    for (int k = 0; k < 3; ++k)
        restricciones.push_back(TResfx::Create(TT::TR_Menor, 0, 0, std::make_unique<TfxLineal>(std::vector<double>{1}), 1));
    const double normas[] = {1, 3, 3};
    const double versores[] = {-1, -1, 1};
    std::vector<TResfx*> candidatas;
    for (int k = 0; k < 3; ++k) {
        restricciones[k].norma = normas[k];
        restricciones[k].versor.pv[1] = versores[k];
        candidatas.push_back(&restricciones[k]);
    }
    double valor;
    bool porProyeccion;
    // Projections on the residual (2): -2, -2, 2; the first of the two smallest.
    EXPECT_EQ(ExtraerCandidatoOpuesto(candidatas, Vector({2}), valor, porProyeccion), &restricciones[0]);
    EXPECT_TRUE(porProyeccion);
    EXPECT_EQ(valor, -2);
    // None opposes a zero residual: the first of the largest norms, with its projection.
    EXPECT_EQ(ExtraerCandidatoOpuesto(candidatas, Vector({0}), valor, porProyeccion), &restricciones[1]);
    EXPECT_FALSE(porProyeccion);
    EXPECT_EQ(valor, 0);
    EXPECT_EQ(ExtraerMayorNorma(candidatas, valor), &restricciones[2]);
    EXPECT_EQ(valor, 3);
    EXPECT_TRUE(candidatas.empty());
}

}  // namespace
