// Sample filters of the wind farm's series: limits, runs, availability scale,
// corrections and the console report.
#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "models/uauxdensidad.h"
#include "models/ufiltrosmuestras.h"
#include "models/uparques_modeloteorico.h"
#include "models/uplantasintetica.h"
#include "tests/soporte/captura_salida.h"

namespace {

TVectR Vector(const std::vector<double>& valores) {
    TVectR v(static_cast<int32_t>(valores.size()));
    for (std::size_t i = 0; i < valores.size(); ++i) v.pv[i + 1] = valores[i];
    return v;
}

std::unique_ptr<TParque_ModeloTeorico> ParqueConMolinos(int cantidad, double autorizada) {
    auto parque = TParque_ModeloTeorico::Create_Nuevo();
    for (int i = 0; i < cantidad; ++i) parque->molinos.push_back(std::make_unique<TMolino>());
    parque->potencia_autorizada_mw = autorizada;
    return parque;
}

// The nine series of n samples of a plant running freely at 1.225 kg/m³
// and full availability; tests change what they look at.
struct Muestras {
    explicit Muestras(int32_t n)
        : Vel(TVectR::Create_ConValor(n, 8)),
          Ang(TVectR::Create_ConValor(n, 90)),
          PE(TVectR::Create_ConValor(n, 10)),
          Temp(TVectR::Create_ConValor(n, 15)),
          Pre(TVectR::Create_ConValor(n, 1013)),
          HumRel(TVectR::Create_ConValor(n, 50)),
          CGM(TVectR::Create_ConValor(n, 24)),
          fDisp(TVectR::Create_ConValor(n, 1)),
          VarVel(TVectR::Create_ConValor(n, 0.5)) {
        // Distinct values, so that no run scan flags anything by accident.
        for (int32_t k = 1; k <= n; ++k) {
            Vel.pv[k] += 0.01 * k;
            Ang.pv[k] += 0.1 * k;
            PE.pv[k] += 0.001 * k;
        }
    }
    void Filtrar(const TParque_ModeloTeorico& parque, bool corregirPotencia = true, bool corregirVelocidad = true) {
        FiltrarMuestras(parque, PE, Vel, HumRel, Ang, Temp, Pre, CGM, VarVel, fDisp, coherencia, cgm, huecos,
                        distancia, disponibilidad, corregirPotencia, corregirVelocidad);
    }
    std::string FiltrarCapturando(const TParque_ModeloTeorico& parque) {
        testing::internal::CaptureStdout();
        Filtrar(parque);
        return testing::internal::GetCapturedStdout();
    }
    TVectR Vel, Ang, PE, Temp, Pre, HumRel, CGM, fDisp, VarVel;
    TDAOfBoolean coherencia, cgm, huecos, distancia, disponibilidad;
};

struct CasoHueco {
    const char* nombre;
    double vel, ang, pe, cgm;
    bool hueco;
};

class LimitesDeHuecos : public ::testing::TestWithParam<CasoHueco> {};

TEST_P(LimitesDeHuecos, MarcanSoloFueraDeRango) {
    const CasoHueco& caso = GetParam();
    auto parque = ParqueConMolinos(12, 24);
    Muestras m(1);
    m.Vel.pv[1] = caso.vel;
    m.Ang.pv[1] = caso.ang;
    m.PE.pv[1] = caso.pe;
    m.CGM.pv[1] = caso.cgm;
    m.FiltrarCapturando(*parque);
    ASSERT_EQ(m.huecos.size(), 2u);
    EXPECT_EQ(m.huecos[1] != 0, caso.hueco);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, LimitesDeHuecos,
    ::testing::Values(CasoHueco{"VelocidadCero", 0, 10, 5, 24, false}, CasoHueco{"Velocidad80", 80, 10, 5, 24, false},
                      CasoHueco{"VelocidadNegativa", -0.001, 10, 5, 24, true},
                      CasoHueco{"VelocidadSobre80", 80.001, 10, 5, 24, true},
                      CasoHueco{"DireccionNegativa", 8, -0.1, 5, 24, true},
                      CasoHueco{"DireccionSinTope", 8, 500, 5, 24, false},
                      CasoHueco{"PotenciaMenos5", 8, 10, -5, 24, false},
                      CasoHueco{"PotenciaBajoMenos5", 8, 10, -5.001, 24, true},
                      CasoHueco{"Potencia1_2Paut", 8, 10, 1.2 * 24, 24, false},
                      CasoHueco{"PotenciaSobre1_2Paut", 8, 10, 28.801, 24, true},
                      CasoHueco{"ConsignaNegativa", 8, 10, 5, -0.001, true},
                      CasoHueco{"VelocidadNaN", NAN, 10, 5, 24, true}, CasoHueco{"DireccionNaN", 8, NAN, 5, 24, true},
                      CasoHueco{"PotenciaNaN", 8, 10, NAN, 24, true}, CasoHueco{"ConsignaNaN", 8, 10, 5, NAN, true}),
    [](const auto& info) { return std::string(info.param.nombre); });

struct CasoRacha {
    const char* nombre;
    std::vector<double> serie;
    std::vector<int> mascara;  // masked sample numbers
    int contadas;
    std::vector<int> marcadas;
};

class Rachas : public ::testing::TestWithParam<CasoRacha> {};

TEST_P(Rachas, MarcanTodasMenosLaUltimaDeCadaRachaLarga) {
    const CasoRacha& caso = GetParam();
    const TVectR serie = Vector(caso.serie);
    TDAOfBoolean mascara(caso.serie.size() + 1, 0), filtros(caso.serie.size() + 1, 0);
    for (int k : caso.mascara) mascara[k] = 1;
    EXPECT_EQ(FiltrarRepetidos(filtros, serie, 8, mascara), caso.contadas);
    std::vector<int> marcadas;
    for (std::size_t k = 1; k < filtros.size(); ++k)
        if (filtros[k]) marcadas.push_back(static_cast<int>(k));
    EXPECT_EQ(marcadas, caso.marcadas);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, Rachas,
    ::testing::Values(CasoRacha{"OchoIgualesNoSeMarcan", {1, 5, 5, 5, 5, 5, 5, 5, 5, 2}, {}, 0, {}},
                      CasoRacha{"NueveIgualesMarcanOcho", {1, 5, 5, 5, 5, 5, 5, 5, 5, 5, 2}, {}, 8,
                                {2, 3, 4, 5, 6, 7, 8, 9}},
                      CasoRacha{"DiezIgualesMarcanNueve", {1, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 2}, {}, 9,
                                {2, 3, 4, 5, 6, 7, 8, 9, 10}},
                      CasoRacha{"AlFinalDeLaSerie", {1, 5, 5, 5, 5, 5, 5, 5, 5, 5}, {}, 8, {2, 3, 4, 5, 6, 7, 8, 9}},
                      CasoRacha{"UnHuecoPartelaRacha", {1, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 2}, {6}, 0, {}},
                      CasoRacha{"TodoEnmascarado", {5, 5}, {1, 2}, 0, {}}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST(Rachas, SoloAgreganMarcas) {
    const TVectR serie = Vector({1, 2, 3});
    TDAOfBoolean mascara(4, 0), filtros = {0, 1, 0, 1};
    EXPECT_EQ(FiltrarRepetidos(filtros, serie, 8, mascara), 0);
    EXPECT_EQ(filtros, (TDAOfBoolean{0, 1, 0, 1}));
}

TEST(LecturasRepetidas, LaPotenciaLeidaSeRecorreYLaComparadaExceptuaLaConsigna) {
    // Nine equal speeds and nine equal powers. The power compared with the
    // set-point 30 is within 4 MW of it at samples 2 to 5 only, which splits
    // the power run; a gap at sample 9 splits nothing the speed run needs.
    const TVectR velocidad = Vector({7, 7, 7, 7, 7, 7, 7, 7, 7, 1});
    const TVectR potenciaLeida = Vector({20, 20, 20, 20, 20, 20, 20, 20, 20, 1});
    const TVectR potencia = Vector({20, 27, 27, 27, 27, 20, 20, 20, 20, 1});
    const TVectR angulo = Vector({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    const TVectR consigna = TVectR::Create_ConValor(10, 30);
    TDAOfBoolean huecos(11, 0), coherencia(11, 0);
    huecos[10] = 1;
    testing::internal::CaptureStdout();
    FiltrarLecturasRepetidas(coherencia, {{"Velocidad", velocidad}, {"Direccion", angulo}}, potenciaLeida, potencia,
                             consigna, 4, huecos);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Muestras filtradas por Velocidad repetida: 8 (80% del total de muestras).\n\n"
              "Muestras filtradas por Direccion repetida: 0 (0% del total de muestras).\n\n"
              "Muestras filtradas por Potencia repetida: 0 (0% del total de muestras).\n\n");
    EXPECT_EQ(coherencia, (TDAOfBoolean{0, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0}));
}

TEST(LecturasRepetidas, SinMuestrasJuntoALaConsignaLaPotenciaTambienSeMarca) {
    const TVectR potencia = Vector({20, 20, 20, 20, 20, 20, 20, 20, 20, 1});
    const TVectR consigna = TVectR::Create_ConValor(10, 30);
    TDAOfBoolean huecos(11, 0), coherencia(11, 0);
    testing::internal::CaptureStdout();
    FiltrarLecturasRepetidas(coherencia, {}, potencia, potencia, consigna, 4, huecos);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Muestras filtradas por Potencia repetida: 8 (80% del total de muestras).\n\n");
}

TEST(FiltrarPorConsigna, MarcaBajoEl99PorCientoFueraDeLosHuecos) {
    const TVectR consigna = Vector({23.8, 23.7, 10, 10});  // Pa 24: 0.99 Pa = 23.76
    TDAOfBoolean huecos{0, 0, 0, 0, 1}, cgm(5, 0);
    testing::internal::CaptureStdout();
    FiltrarPorConsigna(cgm, consigna, 24, huecos);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Muestras filtradas por CGM < 0.99 P_ Autorizada: 2 (50% del total de muestras).\n\n");
    EXPECT_EQ(cgm, (TDAOfBoolean{0, 0, 1, 1, 0}));
}

struct CasoDisponibilidad {
    const char* nombre;
    int molinos;
    std::vector<double> serie;
    double divisor;  // 1: left as it is
    const char* aviso;
};

class EscalaDeDisponibilidad : public ::testing::TestWithParam<CasoDisponibilidad> {};

TEST_P(EscalaDeDisponibilidad, SeLlevaAPorUnidad) {
    const CasoDisponibilidad& caso = GetParam();
    auto parque = ParqueConMolinos(caso.molinos, 24);
    TVectR fDisp = Vector(caso.serie);
    testing::internal::CaptureStdout();
    NormalizarDisponibilidad(fDisp, *parque);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), caso.aviso);
    for (std::size_t i = 0; i < caso.serie.size(); ++i)
        EXPECT_DOUBLE_EQ(fDisp.pv[i + 1], caso.serie[i] * (1 / caso.divisor));
}

INSTANTIATE_TEST_SUITE_P(
    Casos, EscalaDeDisponibilidad,
    ::testing::Values(
        CasoDisponibilidad{"PorcentajeEnDoceMolinos", 12, {100, 90, 50}, 100,
                           "¡ATENCION! Disponibilidad maxima informada = 100. Asumo que la disponibilidad esta como "
                           "porcentaje.\n\n"},
        CasoDisponibilidad{"PorcentajeEnCientoCincuentaMolinos", 150, {100, 90, 50}, 150,
                           "¡ATENCION! Disponibilidad maxima informada = 150. Asumo que la disponibilidad esta en "
                           "cantidad de maquinas.\n\n"},
        CasoDisponibilidad{"CantidadDeMaquinas", 12, {12, 11, 10}, 12,
                           "¡ATENCION! Disponibilidad maxima informada = 12. Asumo que la disponibilidad esta en "
                           "cantidad de maquinas.\n\n"},
        CasoDisponibilidad{"PorUnidad", 12, {1, 0.9, 0.5}, 1, ""}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST(EscalaDeDisponibilidad, ElMaximoSeTomaFueraDeLosHuecos) {
    auto parque = ParqueConMolinos(12, 24);
    TVectR fDisp = Vector({1, 100, 0.95, NAN});
    const TDAOfBoolean huecos = {0, 0, 1, 0, 0};
    testing::internal::CaptureStdout();
    NormalizarDisponibilidad(fDisp, *parque, huecos);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(fDisp.pv[2], 100);
}

TEST(FiltrarMuestras, InformaCadaPasadaConSuLinea) {
    auto parque = ParqueConMolinos(12, 24);
    Muestras m(20);
    m.Vel.pv[1] = -1;                                       // gap
    m.fDisp.Llenar(12);                                     // machines
    m.fDisp.pv[2] = 6;                                      // half the park: availability 0.5
    for (int32_t k = 5; k <= 14; ++k) m.Vel.pv[k] = 7;      // ten equal speeds: nine flagged
    for (int32_t k = 3; k <= 4; ++k) m.CGM.pv[k] = 12;      // restricted
    const std::string salida = m.FiltrarCapturando(*parque);
    EXPECT_EQ(salida,
              "Muestras filtradas por Huecos: 1 (5% del total de muestras).\n\n"
              "¡ATENCION! Disponibilidad maxima informada = 12. Asumo que la disponibilidad esta en cantidad de "
              "maquinas.\n\n"
              "Muestras filtradas por Disponibilidad o por umbral de Potencia Autorizada: 1 (5% del total de "
              "muestras).\n\n"
              "Muestras filtradas por Velocidad repetida: 9 (45% del total de muestras).\n\n"
              "Muestras filtradas por Direccion repetida: 0 (0% del total de muestras).\n\n"
              "Muestras filtradas por Potencia repetida: 0 (0% del total de muestras).\n\n"
              "Muestras filtradas por CGM < 0.99 P_ Autorizada: 2 (10% del total de muestras).\n\n");
    EXPECT_EQ(m.distancia, TDAOfBoolean(21, 0));
    EXPECT_TRUE(m.disponibilidad[2]);
    EXPECT_TRUE(m.cgm[3] && m.cgm[4]);
}

TEST(FiltrarMuestras, LaParteDeCeroMuestrasEsCero) {
    EXPECT_EQ(LineaDeFiltro("Muestras filtradas por Huecos: ", 0, 0),
              "Muestras filtradas por Huecos: 0 (0% del total de muestras).");
    EXPECT_EQ(LineaDeFiltro("x: ", 1, 3), "x: 1 (33.3% del total de muestras).");
}

TEST(FiltrarMuestras, UnaParteEnLaMitadExactaSeAlejaDeCero) {
    // 1 of 32 is exactly 3.125 %.
    EXPECT_EQ(LineaDeFiltro("x: ", 1, 32), "x: 1 (3.13% del total de muestras).");
}

TEST(FiltrarMuestras, PotenciaJuntoALaConsignaNoEsLecturaTrabada) {
    auto parque = ParqueConMolinos(12, 24);
    for (double consigna : {20.0, 24.0}) {
        Muestras m(12);
        for (int32_t k = 1; k <= 12; ++k) {
            m.PE.pv[k] = 20;
            m.CGM.pv[k] = consigna;
        }
        m.Filtrar(*parque, false, false);
        // |20 - 20| < 4 masks the run; |20 - 24| = 4 does not.
        EXPECT_EQ(m.coherencia[1] != 0, consigna == 24.0) << consigna;
        EXPECT_EQ(m.cgm[1] != 0, consigna == 20.0) << consigna;
    }
}

TEST(FiltrarMuestras, LasCorreccionesLlevanADensidadBaseYDisponibilidadPlena) {
    auto parque = ParqueConMolinos(12, 24);
    for (const auto& [potencia, velocidad] : {std::pair{true, true}, {true, false}, {false, true}}) {
        Muestras m(2);
        m.fDisp.pv[1] = 0.9;
        m.Temp.pv[2] = NAN;  // no density: the 1.18 kg/m³ fallback
        const double pe1 = m.PE.pv[1], v1 = m.Vel.pv[1], pe2 = m.PE.pv[2], v2 = m.Vel.pv[2];
        testing::internal::CaptureStdout();
        m.Filtrar(*parque, potencia, velocidad);
        testing::internal::GetCapturedStdout();
        if (potencia && velocidad) {
            const double rho = DensidadAire(15, 1013, 50);
            EXPECT_DOUBLE_EQ(m.PE.pv[1], pe1 / ((rho / 1.225) * 0.9));
            EXPECT_DOUBLE_EQ(m.Vel.pv[1], v1 * std::pow(rho / 1.225, 1.0 / 3.0));
            EXPECT_DOUBLE_EQ(m.PE.pv[2], pe2 / (1.18 / 1.225));
            EXPECT_DOUBLE_EQ(m.Vel.pv[2], v2 * std::pow(1.18 / 1.225, 1.0 / 3.0));
        } else {
            EXPECT_EQ(m.PE.pv[1], pe1);
            EXPECT_EQ(m.Vel.pv[1], v1);
        }
    }
}

// The authorised-power rule has two clauses: the power as measured above
// 1.05 Paut, and the power brought to base density and full availability
// above it. Paut = 24 MW puts the limit at 25.2 MW; an availability of 1.02
// lifts the correction factor above 1, so only the first clause can flag
// 25.3 MW, and at 0.9 only the second can flag 24 MW.
struct CasoSobreAutorizada {
    const char* nombre;
    double potencia, disponibilidad;
    bool marcada;
};
void PrintTo(const CasoSobreAutorizada& c, std::ostream* os) { *os << c.nombre; }

class SobreAutorizada : public ::testing::TestWithParam<CasoSobreAutorizada> {};

TEST_P(SobreAutorizada, CadaClausulaMarcaPorSuCuenta) {
    const CasoSobreAutorizada& caso = GetParam();
    auto parque = ParqueConMolinos(12, 24);
    Muestras m(3);
    m.PE.pv[2] = caso.potencia;
    m.fDisp.pv[2] = caso.disponibilidad;
    const double limite = 1.05 * 24;
    const double corregida = caso.potencia / ((DensidadAire(15, 1013, 50) / 1.225) * caso.disponibilidad);
    // Each case stands on one side of one clause only.
    EXPECT_TRUE((caso.potencia > limite) != (corregida > limite) || !caso.marcada);
    {
        TCapturaSalida consola;
        m.Filtrar(*parque);
    }
    EXPECT_EQ(m.disponibilidad[2] != 0, caso.marcada) << "corregida " << corregida;
    EXPECT_FALSE(m.disponibilidad[1] || m.disponibilidad[3]);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, SobreAutorizada,
    ::testing::Values(CasoSobreAutorizada{"MedidaBajoElLimite", 24.9, 1.02, false},
                      CasoSobreAutorizada{"MedidaSobreElLimite", 25.3, 1.02, true},
                      CasoSobreAutorizada{"CorregidaSobreElLimite", 24, 0.9, true},
                      CasoSobreAutorizada{"CorregidaBajoElLimite", 22, 0.9, false}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST(FiltrarMuestras, UnaDisponibilidadSinValorNoPasa) {
    auto parque = ParqueConMolinos(12, 24);
    Muestras m(2);
    m.fDisp.pv[2] = NAN;
    const double pe = m.PE.pv[2];
    testing::internal::CaptureStdout();
    m.Filtrar(*parque);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(m.disponibilidad[2]);
    EXPECT_EQ(m.PE.pv[2], pe);
}

TEST(SeleccionarMuestras, EligeMarcadasOLibresFueraDeLaMascara) {
    const TVectR serie = Vector({10, 20, 30, 40});
    const TDAOfBoolean a = {0, 1, 0, 0, 0}, b = {0, 0, 0, 1, 0}, mascara = {0, 0, 0, 0, 1};
    EXPECT_EQ(SeleccionarMuestras({&a, &b}, serie, true, mascara), (TDAofNReal{10, 30}));
    EXPECT_EQ(SeleccionarMuestras({&a, &b}, serie, false, mascara), (TDAofNReal{20}));
    EXPECT_EQ(SeleccionarMuestras({}, serie, false, mascara), (TDAofNReal{10, 20, 30}));
    EXPECT_EQ(SeleccionarMuestras({}, serie, true, {}), TDAofNReal{});
}

}  // namespace
