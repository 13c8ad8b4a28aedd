// Restriction windows found in a set-point series.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "numerics/errores.h"
#include "numerics/fechas.h"
#include "restrictions/ucalcrestriccionesoperativas.h"

namespace {

constexpr double Periodo = 1.0 / 144;

TDateTime Inicio() { return EncodeDateTime(2018, 1, 15, 0, 0, 0, 0); }

TVectR Serie(const std::vector<double>& valores) {
    TVectR v(static_cast<int32_t>(valores.size()));
    for (std::size_t k = 0; k < valores.size(); ++k) v.pv[k + 1] = valores[k];
    return v;
}

// Windows as (start sample, end sample), end n + 1 for one still open at the end.
using Muestras = std::vector<std::pair<int, int>>;

Muestras ComoMuestras(const TDAofRecsFechas& ventanas) {
    Muestras m;
    for (const TRecFechasRestriccion& v : ventanas)
        m.emplace_back(MuestraDeFecha(Inicio(), Periodo, v.fechaIni), MuestraDeFecha(Inicio(), Periodo, v.fechaFin));
    return m;
}

TDAofRecsFechas VentanasDeTodaLaSerie(const TVectR& consignas, double umbral) {
    TDateTime ini = Inicio() - 10, fin = Inicio() + 1000;
    return BuscarVentanasDeRestriccion(consignas, Inicio(), Periodo, umbral, ini, fin);
}

struct CasoVentanas {
    const char* nombre;
    std::vector<double> consignas;
    double umbral;
    Muestras esperadas;
};

void PrintTo(const CasoVentanas& c, std::ostream* os) { *os << c.nombre; }

class Ventanas : public ::testing::TestWithParam<CasoVentanas> {};

TEST_P(Ventanas, SobreTodaLaSerie) {
    const CasoVentanas& caso = GetParam();
    EXPECT_EQ(ComoMuestras(VentanasDeTodaLaSerie(Serie(caso.consignas), caso.umbral)), caso.esperadas);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, Ventanas,
    ::testing::Values(
        CasoVentanas{"DosVentanasLaSegundaAbiertaAlFinal", {10, 10, 40, 10, 10}, 20, {{1, 3}, {4, 6}}},
        CasoVentanas{"SinValorDentroNoParte", {10, -1, 10, 40, 40}, 20, {{1, 4}}},
        CasoVentanas{"SinValorSoloNoAbre", {40, -1, 40}, 20, {}},
        CasoVentanas{"MenosDeMenosUnoNoAbre", {40, -5, 10, 40}, 20, {{3, 4}}},
        CasoVentanas{"ConsignaIgualAlLimiteNoAbre", {40, 19.5, 40}, 20, {}},
        CasoVentanas{"ConsignaIgualAlLimiteNoCierra", {10, 19.5, 40}, 20, {{1, 3}}},
        CasoVentanas{"ToditaRestringida", {10, 10, 10}, 20, {{1, 4}}},
        CasoVentanas{"SinRestriccion", {40, 40, 40}, 20, {}},
        CasoVentanas{"SerieVacia", {}, 20, {}}),
    [](const ::testing::TestParamInfo<CasoVentanas>& info) { return std::string(info.param.nombre); });

TEST(BuscarVentanas, ElPeriodoSeRecortaALaSerieYElLlamadorLoVe) {
    const TVectR consignas = Serie({40, 10, 40, 40, 40});
    TDateTime ini = Inicio() - 3, fin = Inicio() + 3;
    const TDAofRecsFechas ventanas = BuscarVentanasDeRestriccion(consignas, Inicio(), Periodo, 20, ini, fin);
    EXPECT_EQ(ini, Inicio());
    EXPECT_EQ(fin, FechaDeMuestra(Inicio(), Periodo, 5));
    ASSERT_EQ(ventanas.size(), 1u);
    EXPECT_EQ(ventanas[0].fechaIni, FechaDeMuestra(Inicio(), Periodo, 2));
    EXPECT_EQ(ventanas[0].fechaFin, FechaDeMuestra(Inicio(), Periodo, 3));
}

TEST(BuscarVentanas, UnaVentanaQueSigueTrasElPeriodoTerminaDondeSeLibera) {
    const TVectR consignas = Serie({40, 40, 40, 40, 10, 10, 10, 10, 40, 40});
    TDateTime ini = Inicio(), fin = FechaDeMuestra(Inicio(), Periodo, 6);
    EXPECT_EQ(ComoMuestras(BuscarVentanasDeRestriccion(consignas, Inicio(), Periodo, 20, ini, fin)),
              (Muestras{{5, 9}}));
}

TEST(BuscarVentanas, UnPeriodoQueEmpiezaDentroDeUnaRestriccionLaTomaDesdeSuInicio) {
    const TVectR consignas = Serie({10, 10, 10, 10, 40, 10});
    TDateTime ini = FechaDeMuestra(Inicio(), Periodo, 3), fin = FechaDeMuestra(Inicio(), Periodo, 4);
    EXPECT_EQ(ComoMuestras(BuscarVentanasDeRestriccion(consignas, Inicio(), Periodo, 20, ini, fin)),
              (Muestras{{3, 5}}));
}

TEST(BuscarVentanas, UnPeriodoFueraDeLaSerieNoDaVentanas) {
    const TVectR consignas = Serie({10, 10, 10});
    // Ends half a period before the first sample: truncation toward zero
    // alone would put it at sample 1.
    TDateTime ini = Inicio() - 1, fin = Inicio() - Periodo / 2;
    EXPECT_TRUE(BuscarVentanasDeRestriccion(consignas, Inicio(), Periodo, 20, ini, fin).empty());
    ini = Inicio() + 1;
    fin = Inicio() + 2;
    EXPECT_TRUE(BuscarVentanasDeRestriccion(consignas, Inicio(), Periodo, 20, ini, fin).empty());
}

TEST(BuscarVentanas, UnPeriodoDeMuestreoNoPositivoSeRechaza) {
    const TVectR consignas = Serie({10, 10});
    TDateTime ini = Inicio(), fin = Inicio() + 1;
    EXPECT_THROW(BuscarVentanasDeRestriccion(consignas, Inicio(), 0, 20, ini, fin), EErrorQuendal);
    EXPECT_THROW(BuscarVentanasDeRestriccion(consignas, Inicio(), -Periodo, 20, ini, fin), EErrorQuendal);
}

TEST(BuscarVentanas, ElIndiceDeCadaMuestraDeUnAnioVuelveASiMismo) {
    constexpr int32_t n = 52560;
    const TDateTime t1 = EncodeDate(2018, 1, 1);
    for (int32_t k = 1; k <= n; ++k) ASSERT_EQ(MuestraDeFecha(t1, Periodo, FechaDeMuestra(t1, Periodo, k)), k);
}

TEST(BuscarVentanas, UnPeriodoDeUnaSolaMuestraHallaEsaMuestraEnTodoUnAnio) {
    // Odd samples restricted, even ones free: a period holding only sample k
    // finds the window (k, k + 1) exactly when k is odd.
    constexpr int32_t n = 52560;
    TVectR consignas(n);
    for (int32_t k = 1; k <= n; ++k) consignas.pv[k] = k % 2 == 1 ? 10 : 40;
    const TDateTime t1 = Inicio();
    for (int32_t k = 1; k <= n; ++k) {
        TDateTime ini = FechaDeMuestra(t1, Periodo, k), fin = ini;
        const TDAofRecsFechas v = BuscarVentanasDeRestriccion(consignas, t1, Periodo, 20, ini, fin);
        if (k % 2 == 0) {
            ASSERT_TRUE(v.empty()) << "muestra " << k;
        } else {
            ASSERT_EQ(v.size(), 1u) << "muestra " << k;
            ASSERT_EQ(v[0].fechaIni, FechaDeMuestra(t1, Periodo, k)) << "muestra " << k;
            ASSERT_EQ(v[0].fechaFin, FechaDeMuestra(t1, Periodo, k + 1)) << "muestra " << k;
        }
    }
}

TEST(BuscarVentanas, LosBarridosAvanzanElIndiceEnSuSitio) {
    const TVectR consignas = Serie({40, 40, 10, -1, 10, 40});
    int32_t k = 1;
    EXPECT_TRUE(BuscarInicioRestriccion(consignas, 20, k, 6));
    EXPECT_EQ(k, 3);
    k = 4;
    EXPECT_TRUE(BuscarFinRestriccion(consignas, 20, k));
    EXPECT_EQ(k, 6);
    k = 1;
    EXPECT_FALSE(BuscarInicioRestriccion(consignas, 20, k, 2));
    EXPECT_EQ(k, 3);
    k = 7;
    EXPECT_FALSE(BuscarFinRestriccion(consignas, 20, k));
    EXPECT_EQ(k, 7);
}

}  // namespace
