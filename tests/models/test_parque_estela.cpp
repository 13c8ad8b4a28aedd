#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>

#include "models/uauxdensidad.h"
#include "models/uparques_modeloteorico.h"
#include "numerics/errores.h"
#include "pasos_de_pasada.h"
#include "test_estela_referencia.h"

using namespace referencia_estela;

namespace {

// A 2 MW curve of a 90 m rotor (scaled for other diameters).
TCurvaAerogen CurvaTipo(double diametro, double escala = 1) {
    const std::vector<double> v = {3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 25};
    const std::vector<double> p = {0.02, 0.1, 0.25, 0.45, 0.7, 1.0, 1.35, 1.65, 1.85, 1.95, 2.0, 2.0};
    TVectR vv(static_cast<int32_t>(v.size())), pp(static_cast<int32_t>(v.size()));
    for (std::size_t i = 0; i < v.size(); ++i) {
        vv.pv[i + 1] = v[i];
        pp.pv[i + 1] = p[i] * escala;
    }
    return TCurvaAerogen::Create(1, "tipo", diametro, vv, pp);
}

void AgregarMolino(TParque_ModeloTeorico& p, double x, double y, double diametro = 90, double etha = 1) {
    auto m = std::make_unique<TMolino>();
    m->nid = static_cast<int32_t>(p.molinos.size()) + 1;
    m->posicion = TPosicion::Create(x, y);
    m->curva = CurvaTipo(diametro, (diametro / 90) * (diametro / 90));
    m->etha = etha;
    p.molinos.push_back(std::move(m));
}

std::unique_ptr<TParque_ModeloTeorico> Parque(double autorizada, double margen = 1000) {
    auto p = TParque_ModeloTeorico::Create_Nuevo();
    p->potencia_autorizada_mw = autorizada;
    p->potencia_nominal = autorizada;
    p->grilla_rotada_margen_dx = margen;
    return p;
}

// A row of the free stream L steps onto itself, bit for bit.
bool PropagaIgual(const TParque_ModeloTeorico& p, double L) {
    return MismosBits(((L + L) * p.pesoLateral + L * p.pesoCentral) * p.pesoArrastre + L * p.pesoRecuperacion, L);
}

}  // namespace

TEST(GrillaEstela, UnMolinoEnElMastilConMargen900) {
    auto p = Parque(2, 900);
    AgregarMolino(*p, 0, 0);
    p->FijarDireccion(0);
    EXPECT_EQ(p->dxCelda, 9);
    EXPECT_EQ(p->dyCelda, 1);
    EXPECT_EQ(p->Grilla().nf, 901);
    EXPECT_EQ(p->Grilla().nc, 201);
    EXPECT_NEAR(p->pesoLateral, 0.0270203, 5e-8);
    EXPECT_NEAR(p->pesoCentral, 0.9459595, 5e-8);
    EXPECT_NEAR(p->pesoRecuperacion, 0.0007997, 5e-8);
    EXPECT_NEAR(p->pesoArrastre, 0.9992003, 5e-8);
    const TPosicion& pos = p->molinos[0]->posicion;
    EXPECT_EQ(pos.fila, 451);
    EXPECT_EQ(pos.colIni, 96);
    EXPECT_EQ(pos.colFin, 106);
}

TEST(GrillaEstela, UnMolinoSinObstaculosVeLaCorrienteLibre) {
    auto p = Parque(3);
    AgregarMolino(*p, -200, -300, 90, 0.95);  // downwind of the mast
    p->FijarDireccion(37);
    const double rho = 1.19, L = PotenciaDelViento(8.5, rho);
    double mastil = 0;
    const double potencia = p->PotenciaConVientoLibre(rho, L, 10, mastil);
    const TMolino& m = *p->molinos[0];
    EXPECT_NEAR(m.pvMedia, L, L * 1e-12);
    EXPECT_EQ(m.potencia, m.curva.P_de_PotenciaViento(m.pvMedia * 0.95) * (rho / 1.225));
    const double S = m.potencia;
    EXPECT_EQ(potencia, static_cast<double>(static_cast<float>(S - S * S * p->coefPerdidas)));
    EXPECT_NE(potencia, S - S * S * p->coefPerdidas);
    // The mast stands upwind of the turbine's wake: it reads the free stream.
    EXPECT_NEAR(mastil, L, L * 1e-12);
    EXPECT_TRUE(MismosBits(mastil, p->ValorEnPunto(0, 0)));
}

TEST(GrillaEstela, SinMezclaNiRecuperacionLaEstelaSeCopiaFilaAFila) {
    auto p = Parque(10);
    p->alfa_terreno = 0;
    p->gamma_atmosfera = 0;
    AgregarMolino(*p, 0, 500);
    AgregarMolino(*p, 0, -500);
    p->FijarDireccion(0);  // from the north: the first turbine is upwind
    EXPECT_EQ(p->pesoLateral, 0);
    EXPECT_EQ(p->pesoArrastre, 1);
    const double L = PotenciaDelViento(9, 1.225);
    p->PotenciaConVientoLibre(1.225, L, 100);
    const TMolino& delante = *p->molinos[0];
    const TMolino& detras = *p->molinos[1];
    ASSERT_LT(delante.posicion.fila, detras.posicion.fila);
    ASSERT_EQ(delante.posicion.colIni, detras.posicion.colIni);
    EXPECT_NEAR(delante.pvMedia, L, L * 1e-15);
    const double y = delante.potencia / delante.curva.area * p->fpv3pe / L;
    const double d = std::pow(1 - std::pow(y, 2.0 / 3.0), 1.5);
    EXPECT_NEAR(detras.pvMedia, L * d, L * d * 1e-14);
}

TEST(GrillaEstela, FactorDeDeficit) {
    // The deficit leaves y = 0.5 at about 0.2251 and y = 0.8 at about 0.0514:
    // a turbine that takes that share shows it downwind with no mixing.
    for (const auto& [y, d] : {std::pair{0.5, 0.2251}, std::pair{0.8, 0.0514}})
        EXPECT_NEAR(std::pow(1 - std::pow(y, 2.0 / 3.0), 1.5), d, 5e-5);
}

TEST(GrillaEstela, DireccionesOpuestasSonEspejo) {
    auto p = Parque(10);
    AgregarMolino(*p, 0, 500);
    AgregarMolino(*p, 0, -500);
    const double L = PotenciaDelViento(9, 1.225);
    p->FijarDireccion(0);
    const double p0 = p->PotenciaConVientoLibre(1.225, L, 100);
    const double norte0 = p->molinos[0]->potencia, sur0 = p->molinos[1]->potencia;
    p->FijarDireccion(180);
    const double p180 = p->PotenciaConVientoLibre(1.225, L, 100);
    EXPECT_LT(p->molinos[0]->posicion.fila, p->Grilla().nf);
    EXPECT_GT(p->molinos[0]->posicion.fila, p->molinos[1]->posicion.fila);
    EXPECT_NEAR(p->molinos[1]->potencia, norte0, 1e-9);
    EXPECT_NEAR(p->molinos[0]->potencia, sur0, 1e-9);
    EXPECT_GT(norte0, sur0);
    EXPECT_NEAR(p0, p180, 1e-6);
}

class TopeDePotencia : public ::testing::TestWithParam<double> {};

TEST_P(TopeDePotencia, NuncaSuperaLaAutorizadaNiElTope) {
    auto p = Parque(4.5);
    AgregarMolino(*p, -200, 0);
    AgregarMolino(*p, 200, 0);
    AgregarMolino(*p, 0, -400);
    p->FijarDireccion(10);
    const double tope = GetParam();
    const double potencia = p->PotenciaConVientoLibre(1.225, PotenciaDelViento(14, 1.225), tope);
    EXPECT_LE(potencia, std::min(tope, p->potencia_autorizada_mw));
    EXPECT_GE(potencia, 0);
    if (tope > 0) {
        EXPECT_GT(potencia, 0.9 * std::min(tope, 4.5));
    }
}

INSTANTIATE_TEST_SUITE_P(Topes, TopeDePotencia, ::testing::Values(0.0, 1.0, 3.0, 4.5, 100.0));

TEST(GrillaEstela, UnTopeCeroDaCero) {
    auto p = Parque(6);
    AgregarMolino(*p, 0, 0);
    p->FijarDireccion(90);
    EXPECT_EQ(p->PotenciaConVientoLibre(1.225, PotenciaDelViento(10, 1.225), 0), 0);
    EXPECT_EQ(p->molinos[0]->potencia, 0);
}

TEST(GrillaEstela, ParqueSinMolinosDaCero) {
    auto p = Parque(6);
    p->FijarDireccion(45);
    double mastil = 0;
    EXPECT_EQ(p->PotenciaConVientoLibre(1.225, 0.0004, 10, mastil), 0);
    EXPECT_NEAR(mastil, 0.0004, 1e-15);
}

// ---- The fast pass against the reference, bit for bit. ----
TEST(GrillaEstela, LaPasadaRapidaDaLosMismosBitsQueLaReferencia) {
    std::mt19937 azar(20240611);
    std::uniform_real_distribution<double> u(0, 1);
    int casosConTopeActivo = 0, casosDeOncePasadas = 0, libreQueSePropagaIgual = 0;
    for (int caso = 0; caso < 40; ++caso) {
        auto p = Parque(1);
        const int n = 1 + static_cast<int>(u(azar) * 7);
        for (int i = 0; i < n; ++i)
            AgregarMolino(*p, -800 + 1600 * u(azar), -600 + 1200 * u(azar), 40 + 70 * u(azar), 0.9 + 0.2 * u(azar));
        p->grilla_rotada_dy = u(azar) < 0.5 ? 1 : 2.5;
        p->grilla_rotada_margen_dx = 200 + 600 * u(azar);
        p->alfa_terreno = 0.2 + 0.6 * u(azar);
        p->gamma_atmosfera = 0.2 + 0.6 * u(azar);
        p->potencia_autorizada_mw = p->potencia_nominal = 2.0 * n * (0.5 + 0.6 * u(azar));
        p->FijarDireccion(360 * u(azar));
        const double rho = 1.1 + 0.2 * u(azar);
        // Half the cases take a free stream that the row step does not carry
        // onto itself bit for bit.
        double v = 4 + 14 * u(azar);
        while (caso % 2 == 1 && PropagaIgual(*p, PotenciaDelViento(v, rho))) v += 1e-3;
        const double L = PotenciaDelViento(v, rho);
        const double tope = u(azar) < 0.3 ? 1e9 : p->potencia_autorizada_mw * u(azar);

        const TResultadoReferencia ref = PotenciaDeReferencia(*p, rho, L, tope);
        double mastil = 0;
        const double potencia = p->PotenciaConVientoLibre(rho, L, tope, mastil);
        casosConTopeActivo += ref.pasadas > 1;
        casosDeOncePasadas += ref.pasadas == 11;
        // The pass computes only the columns that differ from the free stream
        // when it propagates onto itself unchanged, and every column otherwise.
        libreQueSePropagaIgual += PropagaIgual(*p, L);
        SCOPED_TRACE("caso " + std::to_string(caso));
        EXPECT_TRUE(MismosBits(potencia, ref.potencia)) << potencia << " " << ref.potencia;
        EXPECT_TRUE(MismosBits(mastil, ref.mastil));
        EXPECT_TRUE(MismosBits(mastil, p->ValorEnPunto(0, 0)));
        for (int i = 0; i < n; ++i) {
            EXPECT_TRUE(MismosBits(p->molinos[i]->pvMedia, ref.pvMedia[i]));
            EXPECT_TRUE(MismosBits(p->molinos[i]->potencia, ref.potencias[i]));
        }
        const TGrillaEstela& g = p->Grilla();
        int distintas = 0;
        for (int32_t i = 1; i <= g.nf; ++i)
            for (int32_t j = 1; j <= g.nc; ++j) distintas += !MismosBits(g.Elemento(i, j), ref.grilla.Elemento(i, j));
        EXPECT_EQ(distintas, 0);
    }
    EXPECT_GT(casosConTopeActivo, 3);
    EXPECT_GT(casosDeOncePasadas, 0);
    EXPECT_GT(libreQueSePropagaIgual, 3);
    EXPECT_LT(libreQueSePropagaIgual, 37);
}

// The pass goes straight over the free-stream rows before the first turbine
// and takes the mast's cells on the way: here the mast's first row (6) is
// the last row jumped, right before the turbine's (7), and the mast, upwind
// of the rotor, reads the free stream.
TEST(GrillaEstela, ElSaltoDeCorrienteLibreTomaLaPrimeraFilaDelMastil) {
    auto p = Parque(100, 100);
    p->grilla_rotada_dx = 10;
    p->grilla_rotada_dy = 10;
    auto m = std::make_unique<TMolino>();
    m->posicion = TPosicion::Create(0, 10);
    m->curva = TCurvaAerogen::Create(1, "escalon", 20, TVectR::Create_DesdeArreglo({0, 2.9, 3, 40}),
                                     TVectR::Create_DesdeArreglo({0, 0, 3, 3}));
    p->molinos.push_back(std::move(m));
    p->FijarDireccion(180);
    ASSERT_EQ(p->molinos[0]->posicion.fila, 7);
    const double L = PotenciaDelViento(8, 1.225);
    ASSERT_TRUE(PropagaIgual(*p, L));
    double mastil = 0;
    p->PotenciaConVientoLibre(1.225, L, 1e9, mastil);
    EXPECT_TRUE(MismosBits(mastil, p->ValorEnPunto(0, 0))) << mastil << " " << p->ValorEnPunto(0, 0);
    EXPECT_EQ(mastil, 3.1360000000000003e-4);
}

TEST(GrillaEstela, LosPasosInternosSiguenSuDefinicion) {
    auto p = Parque(4);
    AgregarMolino(*p, 0, 0);
    p->FijarDireccion(0);
    p->pvLibre = 0.0005;
    TVectR vieja(9), nueva(9);
    for (int j = 1; j <= 9; ++j) vieja.pv[j] = 0.0004 + 0.00001 * j * j;
    nueva.pv[1] = nueva.pv[9] = -1;
    pasos_de_pasada::PropagarFila(*p, nueva, vieja);
    EXPECT_EQ(nueva.pv[1], -1);
    EXPECT_EQ(nueva.pv[9], -1);
    for (int j = 2; j <= 8; ++j)
        EXPECT_TRUE(MismosBits(nueva.pv[j], ((vieja.pv[j + 1] + vieja.pv[j - 1]) * p->pesoLateral +
                                             vieja.pv[j] * p->pesoCentral) * p->pesoArrastre +
                                                p->pvLibre * p->pesoRecuperacion));
    TVectR fila = TVectR::Create_ConValor(p->Grilla().nc, 0.0005);
    pasos_de_pasada::ProcesarMolinosDeFila(*p, p->molinos[0]->posicion.fila + 1, fila, 1, 1.225);  // nobody on that row
    EXPECT_EQ(fila.Maximo(), 0.0005);
    EXPECT_EQ(fila.Minimo(), 0.0005);
    pasos_de_pasada::ProcesarMolinosDeFila(*p, p->molinos[0]->posicion.fila, fila, 1, 1.225);
    EXPECT_NEAR(p->molinos[0]->pvMedia, 0.0005, 1e-18);
    EXPECT_LT(fila.pv[p->molinos[0]->posicion.colIni], 0.0005);
}

TEST(GrillaEstela, ColumnasDelRotorDentroDeLaGrilla) {
    auto p = Parque(4, 10);  // a margin smaller than the rotor
    AgregarMolino(*p, 0, 0, 120);
    p->FijarDireccion(0);
    const TPosicion& pos = p->molinos[0]->posicion;
    EXPECT_GE(pos.colIni, 1);
    EXPECT_LE(pos.colFin, p->Grilla().nc);
    EXPECT_GT(p->PotenciaConVientoLibre(1.225, PotenciaDelViento(10, 1.225), 10), 0);
}

TEST(GrillaEstela, GrillaSinCeldasOAbsurdaEsUnError) {
    auto p = Parque(4);
    AgregarMolino(*p, 0, 0);
    p->grilla_rotada_dx = 0;
    EXPECT_THROW(p->FijarDireccion(0), EErrorQuendal);
    p->grilla_rotada_dx = 0.01;
    p->grilla_rotada_dy = 0.01;
    EXPECT_THROW(p->FijarDireccion(0), EErrorQuendal);
    p->grilla_rotada_dx = 9;
    p->grilla_rotada_dy = 1;
    p->grilla_rotada_margen_dx = 0;
    auto vacio = Parque(4, 0);
    vacio->FijarDireccion(0);  // no turbine, no margin: one cell each way
    EXPECT_EQ(vacio->Grilla().nf, 2);
    EXPECT_EQ(vacio->Grilla().nc, 2);
}

TEST(PotenciaDesdeEstacion, MastilEnCalmaDaCero) {
    auto p = Parque(4);
    AgregarMolino(*p, 0, 300);
    p->FijarDireccion(0);
    double libre = 123;
    EXPECT_EQ(p->PotenciaDesdeEstacion(1.225, 0, 10, libre), 0);
    EXPECT_EQ(libre, 0);
}

TEST(PotenciaDesdeEstacion, MastilFueraDeLasEstelasConvergeALaPrimera) {
    auto p = Parque(4);
    AgregarMolino(*p, 0, -300);  // south of the mast, wind from the north
    p->FijarDireccion(0);
    const double M = PotenciaDelViento(9, 1.225);
    double libre = 0;
    const double potencia = p->PotenciaDesdeEstacion(1.225, M, 10, libre);
    EXPECT_EQ(libre, M);
    EXPECT_EQ(potencia, p->PotenciaConVientoLibre(1.225, M, 10));
}

TEST(PotenciaDesdeEstacion, MastilEnUnaEstelaResuelveLaCorrienteLibre) {
    auto p = Parque(4);
    AgregarMolino(*p, 0, 300);  // north of the mast, wind from the north: the mast is in its wake
    p->FijarDireccion(0);
    const double M = PotenciaDelViento(9, 1.225);
    double libre = 0;
    p->PotenciaDesdeEstacion(1.225, M, 10, libre);
    EXPECT_GT(libre, M);
    double mastil = 0;
    p->PotenciaConVientoLibre(1.225, libre, 10, mastil);
    EXPECT_LT(std::fabs(M / mastil - 1), 0.01);
}

// The mast iteration written straight from its description: full passes
// with the cap, the wind scaled by the mast's ratio until it is within 1 %.
struct TDesdeEstacionReferencia {
    double potencia = 0, libre = 0;
    int iteraciones = 0;
};
TDesdeEstacionReferencia DesdeEstacionDeReferencia(TParque_ModeloTeorico& p, double rho, double M, double tope) {
    TDesdeEstacionReferencia r;
    if (M < 1e-10) return r;
    double estimado = M;
    for (int fallidas = 0;;) {
        ++r.iteraciones;
        double mastil = 0;
        r.potencia = p.PotenciaConVientoLibre(rho, estimado, tope, mastil);
        const double razon = M / mastil;
        if (!std::isfinite(razon) || std::fabs(razon - 1) < 0.01) break;
        if (++fallidas > 100) break;
        estimado = razon * estimado;
    }
    r.libre = estimado;
    return r;
}

// Random parks around the mast, caps that bind and caps out of reach (an
// authorised power far above the turbines', where the trial winds sweep only
// up to the mast): the same power, wind and turbine states, bit for bit.
TEST(PotenciaDesdeEstacion, DaLoMismoQueLasPasadasCompletas) {
    std::mt19937 azar(20261210);
    std::uniform_real_distribution<double> u(0, 1);
    int variasIteraciones = 0, conTopeInalcanzable = 0;
    for (int caso = 0; caso < 40; ++caso) {
        const int n = 1 + static_cast<int>(u(azar) * 6);
        const bool inalcanzable = caso % 2 == 0;
        auto p = Parque(inalcanzable ? 100.0 * n : 2.0 * n * (0.4 + 0.6 * u(azar)), 200 + 600 * u(azar));
        for (int i = 0; i < n; ++i)
            AgregarMolino(*p, -700 + 1400 * u(azar), -500 + 1000 * u(azar), 50 + 60 * u(azar), 0.9 + 0.2 * u(azar));
        p->grilla_rotada_dy = u(azar) < 0.5 ? 1 : 2.5;
        p->FijarDireccion(360 * u(azar));
        const double rho = 1.1 + 0.2 * u(azar);
        const double M = PotenciaDelViento(3 + 15 * u(azar), rho);
        const double tope = inalcanzable ? 1e9 : p->potencia_autorizada_mw * (0.2 + 0.9 * u(azar));
        SCOPED_TRACE("caso " + std::to_string(caso));

        const TDesdeEstacionReferencia ref = DesdeEstacionDeReferencia(*p, rho, M, tope);
        std::vector<double> pvRef, potRef;
        for (const auto& m : p->molinos) {
            pvRef.push_back(m->pvMedia);
            potRef.push_back(m->potencia);
        }
        const TGrillaEstela grillaRef = p->Grilla();
        for (auto& m : p->molinos) m->pvMedia = m->potencia = -1;
        double libre = 0;
        const double potencia = p->PotenciaDesdeEstacion(rho, M, tope, libre);
        // The display's grid is the last evaluation's, as after full passes.
        const TGrillaEstela& grilla = p->Grilla();
        int distintas = 0;
        for (int32_t i = 1; i <= grilla.nf; ++i)
            for (int32_t j = 1; j <= grilla.nc; ++j)
                distintas += !MismosBits(grilla.Elemento(i, j), grillaRef.Elemento(i, j));
        EXPECT_EQ(distintas, 0);
        EXPECT_TRUE(MismosBits(potencia, ref.potencia)) << potencia << " " << ref.potencia;
        EXPECT_TRUE(MismosBits(libre, ref.libre)) << libre << " " << ref.libre;
        for (std::size_t i = 0; i < p->molinos.size(); ++i) {
            EXPECT_TRUE(MismosBits(p->molinos[i]->pvMedia, pvRef[i]));
            EXPECT_TRUE(MismosBits(p->molinos[i]->potencia, potRef[i]));
        }
        variasIteraciones += ref.iteraciones > 1;
        conTopeInalcanzable += inalcanzable && ref.iteraciones > 1;
    }
    EXPECT_GT(variasIteraciones, 5);
    EXPECT_GT(conTopeInalcanzable, 2);
}

// A mast 100 m behind a turbine on flat ground (little lateral mixing) reads
// a deep wake, and the ratio of mast readings closes in on it slowly: the
// search needs far more than eleven evaluations, and still ends within 1 %
// of the mast's reading.
TEST(PotenciaDesdeEstacion, UnaEstelaProfundaNecesitaMuchasEvaluaciones) {
    auto p = Parque(4);
    p->alfa_terreno = 0.05;
    AgregarMolino(*p, 0, 100);  // wind from the north: the mast is in its wake
    p->FijarDireccion(0);
    const double M = PotenciaDelViento(4.5, 1.225);
    const TDesdeEstacionReferencia ref = DesdeEstacionDeReferencia(*p, 1.225, M, 10);
    EXPECT_GT(ref.iteraciones, 30);
    EXPECT_LT(ref.iteraciones, 45);
    double libre = 0;
    const double potencia = p->PotenciaDesdeEstacion(1.225, M, 10, libre);
    EXPECT_TRUE(MismosBits(potencia, ref.potencia)) << potencia << " " << ref.potencia;
    EXPECT_TRUE(MismosBits(libre, ref.libre)) << libre << " " << ref.libre;
    double mastil = 0;
    p->PotenciaConVientoLibre(1.225, libre, 10, mastil);
    EXPECT_LT(std::fabs(M / mastil - 1), 0.01) << "iteraciones de referencia: " << ref.iteraciones;
}

TEST(VientoParaPotencia, EncuentraUnaVelocidadDentroDeMedioMW) {
    auto p = Parque(6);
    AgregarMolino(*p, -300, 0);
    AgregarMolino(*p, 300, 200);
    AgregarMolino(*p, 0, -250);
    p->FijarDireccion(200);
    for (double buscada : {0.8, 2.0, 3.7, 5.5}) {
        double libre = 0;
        const double v = p->VientoParaPotencia(buscada, libre);
        EXPECT_GT(v, 0);
        EXPECT_LT(v, 20);
        EXPECT_GT(libre, 0);
        EXPECT_NEAR(p->PotenciaDesdeEstacion(1.225, PotenciaDelViento(v, 1.225), 6), buscada, 0.5) << buscada;
    }
}

TEST(VientoParaPotencia, CasosLimite) {
    auto p = Parque(6);
    AgregarMolino(*p, 0, 0);
    p->FijarDireccion(0);
    double libre = 99;
    EXPECT_EQ(p->VientoParaPotencia(7, libre), 20);
    EXPECT_EQ(libre, 0);
    EXPECT_EQ(p->VientoParaPotencia(0), 0);
    EXPECT_EQ(p->VientoParaPotencia(-1), 0);
    p->potencia_autorizada_mw = 0.5;
    EXPECT_EQ(p->VientoParaPotencia(0.3), 0);
}

TEST(EthaMeteo, TablaDeUnosYVientosAltos) {
    auto p = Parque(6);
    for (double d : {0.0, 17.0, 181.5, 359.9})
        for (double v : {0.0, 5.0, 13.9}) EXPECT_EQ(p->EthaMeteo(d, v), 1);
    p->meteo_etha.Escalar(0.5);
    EXPECT_EQ(p->EthaMeteo(30, 14), 1);
    EXPECT_EQ(p->EthaMeteo(30, 8), 0.5);
}

// Two sectors: sector 1 centred on north holds 0.8, sector 2 on south 1.2,
// at the speeds 4, 8 and 12 m/s.
std::unique_ptr<TParque_ModeloTeorico> ParqueDeDosSectores() {
    auto p = Parque(6);
    p->n_sectores_dir = 2;
    p->meteo_etha = TMatR(2, 3);
    p->mat_vientos = TMatR(2, 3);
    for (int j = 1; j <= 3; ++j) {
        p->meteo_etha.FijarElemento(1, j, 0.8);
        p->meteo_etha.FijarElemento(2, j, 1.2);
        p->mat_vientos.FijarElemento(1, j, 4.0 * j);
        p->mat_vientos.FijarElemento(2, j, 4.0 * j);
    }
    return p;
}

class EthaDosSectores : public ::testing::TestWithParam<std::pair<double, double>> {};

// Directions wrap into [0, 360).
TEST_P(EthaDosSectores, InterpolaEntreSectores) {
    auto p = ParqueDeDosSectores();
    EXPECT_NEAR(p->EthaMeteo(GetParam().first, 6), GetParam().second, 1e-12);
}

// A copy reads its tables with the original's sector count: east lies
// halfway between the two sectors.
TEST(EthaMeteo, UnaCopiaGuardaLosSectoresDeSusTablas) {
    const auto copia = TParque_ModeloTeorico::Create_Clonar(*ParqueDeDosSectores());
    EXPECT_EQ(copia->n_sectores_dir, 2);
    EXPECT_EQ(copia->EthaMeteo(90, 6), 1.0);
}

INSTANTIATE_TEST_SUITE_P(Direcciones, EthaDosSectores,
                         ::testing::Values(std::pair{0.0, 0.8}, std::pair{90.0, 1.0}, std::pair{180.0, 1.2},
                                           std::pair{270.0, 1.0}, std::pair{360.0, 0.8}, std::pair{-90.0, 1.0},
                                           std::pair{720.0 + 45, 0.9}));

// The sectors are n_sectores_dir's, whatever rows the tables hold beyond
// them: with 2 sectors, south is row 2, and rows 3 and 4 are never read.
TEST(EthaMeteo, LosSectoresSonLosDeNSectoresDir) {
    auto p = Parque(6);
    p->n_sectores_dir = 2;
    p->meteo_etha = TMatR(4, 2);
    p->mat_vientos = TMatR(4, 2);
    for (int i = 1; i <= 4; ++i)
        for (int j = 1; j <= 2; ++j) {
            p->meteo_etha.FijarElemento(i, j, 0.5 + 0.25 * i);
            p->mat_vientos.FijarElemento(i, j, 5.0 * j);
        }
    EXPECT_EQ(p->EthaMeteo(0, 7.5), 0.75);
    EXPECT_EQ(p->EthaMeteo(180, 7.5), 1.0);
    EXPECT_EQ(p->EthaMeteo(90, 7.5), 0.875);
    EXPECT_EQ(p->EthaMeteo(270, 7.5), 0.875);
    // More sectors than rows: no row stands in for the missing ones.
    p->n_sectores_dir = 5;
    try {
        p->EthaMeteo(0, 7.5);
        ADD_FAILURE() << "read rows that are not there";
    } catch (const EErrorQuendal& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Las tablas meteo_etha y mat_vientos tienen 4 filas, menos que los 5 sectores de n_sectores_dir");
    }
    EXPECT_EQ(p->EthaMeteo(0, 14), 1) << "from 14 m/s on the tables are not read";
}

TEST(EthaMeteo, NuncaBajaDe01) {
    auto p = Parque(6);
    p->meteo_etha.Escalar(0.01);
    EXPECT_EQ(p->EthaMeteo(100, 5), 0.1);
}

// ---- The row kernels: the same bits on every row. ----
TEST(NucleoFila, ElDeAvx512DaLosMismosBitsQueElComun) {
    const TNucleoFila ancho = NucleoFilaAvx512();
    if (!ancho) GTEST_SKIP() << "Esta CPU no tiene AVX-512: solo hay un núcleo de fila que probar.";
    EXPECT_EQ(NucleoFilaElegido(), ancho);
    const TNucleoFila comun = NucleoFilaComun();
    std::mt19937 azar(20261211);
    std::uniform_real_distribution<double> u(0, 1);
    int distintas = 0, celdas = 0;
    for (int caso = 0; caso < 400; ++caso) {
        const int32_t n = 3 + static_cast<int32_t>(u(azar) * 300);
        std::vector<double> vieja(n + 2);
        // Winds of every size, wake deficits and a few exact free streams.
        const double L = PotenciaDelViento(2 + 20 * u(azar), 1.225);
        for (double& x : vieja) x = u(azar) < 0.3 ? L : L * (0.2 + 0.8 * u(azar)) * std::pow(10.0, -3 * u(azar));
        const double t = (1 - std::exp(-(0.1 + u(azar)) * (0.5 + 3 * u(azar)) / 9)) * 0.5;
        const double recuperacion = 1 - std::exp(-u(azar) * 2.5 / 500);
        const int32_t desde = 1 + static_cast<int32_t>(u(azar) * (n - 1));
        const int32_t hasta = std::min<int32_t>(n, desde + static_cast<int32_t>(u(azar) * n));
        std::vector<double> conComun(n + 2, -1), conAncho(n + 2, -1);
        comun(conComun.data(), vieja.data(), desde, hasta, t, 1 - 2 * t, 1 - recuperacion, L * recuperacion);
        ancho(conAncho.data(), vieja.data(), desde, hasta, t, 1 - 2 * t, 1 - recuperacion, L * recuperacion);
        for (int32_t j = 0; j < n + 2; ++j) distintas += !MismosBits(conComun[j], conAncho[j]);
        celdas += hasta - desde + 1;
    }
    EXPECT_EQ(distintas, 0);
    EXPECT_GT(celdas, 20000);
}

// ---- Calm mast readings: the shortcut against the full pass. ----
// Random parks and mast readings on both sides of the turbines' wind range:
// the park that skips the pass gives the same power and free stream, bit for
// bit, leaves the same grid and turbine powers, and is the reference's too.
TEST(PotenciaDesdeEstacion, LaCalmaSinPasadaDaLoMismoQueLaPasadaCompleta) {
    std::mt19937 azar(20261212);
    std::uniform_real_distribution<double> u(0, 1);
    int omitidas = 0, conPotencia = 0;
    for (int caso = 0; caso < 60; ++caso) {
        const int n = 1 + static_cast<int>(u(azar) * 6);
        const double autorizada = 2.0 * n * (0.4 + 0.7 * u(azar)), margen = 200 + 600 * u(azar);
        std::vector<std::array<double, 4>> molinos(n);
        for (auto& m : molinos)
            m = {-700 + 1400 * u(azar), -500 + 1000 * u(azar), 50 + 60 * u(azar), 0.8 + 0.4 * u(azar)};
        const double dy = u(azar) < 0.5 ? 1 : 2.5, alfa = 0.2 + 0.6 * u(azar);
        const double gamma = u(azar) < 0.2 ? 0 : 0.2 + 0.6 * u(azar);
        auto armar = [&] {
            auto p = Parque(autorizada, margen);
            for (const auto& m : molinos) AgregarMolino(*p, m[0], m[1], m[2], m[3]);
            p->grilla_rotada_dy = dy;
            p->alfa_terreno = alfa;
            p->gamma_atmosfera = gamma;
            return p;
        };
        auto completo = armar();
        auto rapido = armar();
        const double dir = 360 * u(azar);
        const double rho = 1.1 + 0.2 * u(azar);
        // The largest reading the shortcut may take, then readings around it.
        double umbral = 1e300;
        for (const auto& m : completo->molinos) umbral = std::min(umbral, m->curva.pvMin / m->etha);
        const double M = umbral * (caso % 3 == 0 ? 0.999998 : caso % 3 == 1 ? 0.5 + 0.5 * u(azar) : 1 + u(azar));
        const double tope = u(azar) < 0.5 ? 1e9 : completo->potencia_autorizada_mw * u(azar);
        SCOPED_TRACE("caso " + std::to_string(caso));

        rapido->omitirPasadaEnCalma = true;
        completo->FijarDireccion(dir);
        rapido->FijarDireccion(dir);
        for (auto& m : rapido->molinos) m->pvMedia = m->potencia = -1;

        double libreCompleto = 0, libreRapido = 0;
        const double pCompleto = completo->PotenciaDesdeEstacion(rho, M, tope, libreCompleto);
        const double pRapido = rapido->PotenciaDesdeEstacion(rho, M, tope, libreRapido);
        const TDesdeEstacionDeReferencia ref = DesdeEstacionConPasadasDeReferencia(*completo, rho, M, tope);
        EXPECT_TRUE(MismosBits(pRapido, pCompleto)) << pRapido << " " << pCompleto;
        EXPECT_TRUE(MismosBits(pRapido, ref.potencia));
        EXPECT_TRUE(MismosBits(libreRapido, libreCompleto));
        EXPECT_TRUE(MismosBits(libreRapido, ref.libre));
        bool seOmitio = true;
        for (std::size_t i = 0; i < completo->molinos.size(); ++i) {
            EXPECT_TRUE(MismosBits(rapido->molinos[i]->potencia, completo->molinos[i]->potencia));
            EXPECT_TRUE(MismosBits(completo->molinos[i]->potencia, ref.ultima.potencias[i]));
            seOmitio = seOmitio && rapido->molinos[i]->pvMedia == -1;
        }
        const TGrillaEstela& gRapida = rapido->Grilla();
        const TGrillaEstela& gCompleta = completo->Grilla();
        ASSERT_EQ(gRapida.nf, gCompleta.nf);
        ASSERT_EQ(gRapida.nc, gCompleta.nc);
        int distintas = 0;
        for (int32_t i = 1; i <= gCompleta.nf; ++i)
            for (int32_t j = 1; j <= gCompleta.nc; ++j)
                distintas += !MismosBits(gRapida.Elemento(i, j), gCompleta.Elemento(i, j)) +
                             !MismosBits(gCompleta.Elemento(i, j), ref.ultima.grilla.Elemento(i, j));
        EXPECT_EQ(distintas, 0);
        EXPECT_TRUE(MismosBits(rapido->ValorEnPunto(0, 0), completo->ValorEnPunto(0, 0)));
        // Below the threshold the pass is skipped and the power is 0; above it
        // the pass runs as always.
        EXPECT_EQ(seOmitio, caso % 3 != 2);
        omitidas += seOmitio;
        conPotencia += pCompleto > 0;
    }
    EXPECT_EQ(omitidas, 40);
    EXPECT_GT(conPotencia, 5);
}

// The equivalent curve is built again when a turbine's curve changes, and
// kept (the same object, the same bits) when nothing changed.
TEST(GrillaEstela, LaCurvaDelParqueSeRehaceSoloSiCambianLasCurvas) {
    auto p = Parque(6);
    AgregarMolino(*p, -300, 0);
    AgregarMolino(*p, 300, 0, 70);
    p->FijarDireccion(0);
    const TCurvaAerogen* antes = p->curvaParque.get();
    const std::vector<double> potenciasAntes = p->curvaParque->curva_P.pv;
    p->FijarDireccion(90);
    EXPECT_EQ(p->curvaParque.get(), antes);
    EXPECT_EQ(p->curvaParque->curva_P.pv, potenciasAntes);

    p->molinos[1]->curva = CurvaTipo(110, 1.5);
    p->FijarDireccion(90);
    auto nuevo = Parque(6);
    AgregarMolino(*nuevo, -300, 0);
    nuevo->molinos.push_back(std::make_unique<TMolino>(*p->molinos[1]));
    nuevo->Preparar();
    EXPECT_EQ(p->curvaParque->curva_P.pv, nuevo->curvaParque->curva_P.pv);
    EXPECT_NE(p->curvaParque->curva_P.pv, potenciasAntes);

    p->curvaParque->curva_P.pv[3] = 99;  // changed from outside: built again
    p->FijarDireccion(0);
    EXPECT_EQ(p->curvaParque->curva_P.pv, nuevo->curvaParque->curva_P.pv);
    p->molinos[0]->curva.modelo = "otro";
    p->FijarDireccion(0);
    EXPECT_EQ(p->curvaParque->modelo, "otro");
}
