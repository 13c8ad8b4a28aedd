// The combined model's sample power over a run of samples like a series's
// (drifting direction and wind, changing air density, restricted stretches,
// calms, free-stream samples), compared bit for bit with the same power
// written straight from its description on full-grid passes. Every line of a
// whole-series simulation is made of these powers, so this is what keeps a
// simulation's result file byte for byte the same.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "models/uauxdensidad.h"
#include "models/uparques_modelocombinado.h"
#include "test_calibrador_apoyo.h"
#include "test_estela_referencia.h"

using namespace apoyo_calibrador;
using namespace referencia_estela;

namespace {

constexpr int32_t Nid = 47;

TCurvaAerogen CurvaDe2MW() {
    const std::vector<double> v = {3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 25};
    const std::vector<double> p = {0.02, 0.1, 0.25, 0.45, 0.7, 1.0, 1.35, 1.65, 1.85, 1.95, 2.0, 2.0};
    TVectR vv(12), pp(12);
    for (int i = 0; i < 12; ++i) {
        vv.pv[i + 1] = v[i];
        pp.pv[i + 1] = p[i];
    }
    return TCurvaAerogen::Create(1, "2 MW 90 m", 90, vv, pp);
}

// Three rows of four turbines around the mast, staggered; cells 9 m by
// 2.5 m so that the full-grid reference stays quick.
std::unique_ptr<TParque_ModeloTeorico> ParqueDeDoceMolinos(double autorizada) {
    auto p = TParque_ModeloTeorico::Create_Nuevo();
    p->nid = Nid;
    p->potencia_autorizada_mw = autorizada;
    p->potencia_nominal = 24;
    p->grilla_rotada_dy = 2.5;
    p->grilla_rotada_margen_dx = 600;
    for (int fila = 0; fila < 3; ++fila)
        for (int col = 0; col < 4; ++col) {
            auto m = std::make_unique<TMolino>();
            m->nid = fila * 4 + col + 1;
            m->posicion = TPosicion::Create(-700 + 450 * col + 31 * std::sin(fila + col), -520 + 420 * fila + 90 * (col % 2));
            m->curva = CurvaDe2MW();
            m->etha = 0.95 + 0.01 * (m->nid % 10);
            p->molinos.push_back(std::move(m));
        }
    p->Preparar();
    return p;
}

struct TPotencias {
    double conCGM = 0, sinCGM = 0, teorica = 0;
    std::vector<double> pvMedia, potencias;
};

double Acotar(double tope, double x) { return tope > x ? x : tope; }

// CalcularPotencia from its description, every park power on full-grid passes.
TPotencias PotenciasCombinadasDeReferencia(TParque_ModeloCombinado& modelo, double v, double dir, double rho, double tope,
                                bool velLibre) {
    TParque_ModeloTeorico& p = *modelo.Parque;
    const double Paut = p.potencia_autorizada_mw;
    p.FijarDireccion(dir);
    const double pd = PotenciaDelViento(v, rho);
    double h = 0, q = 0;
    TPotencias r;
    TResultadoReferencia ultima;
    if (velLibre) {
        h = PotenciaDeReferencia(p, rho, pd, tope).potencia;
        ultima = PotenciaDeReferencia(p, rho, pd, Paut);
        r.teorica = ultima.potencia;
        q = ultima.mastil;
    } else if (tope >= 0.99 * Paut) {
        const TDesdeEstacionDeReferencia e = DesdeEstacionConPasadasDeReferencia(p, rho, pd, tope);
        h = r.teorica = e.potencia;
        q = pd;
        ultima = e.ultima;
    } else {
        const TDesdeEstacionDeReferencia e = DesdeEstacionConPasadasDeReferencia(p, rho, pd, tope);
        h = e.potencia;
        ultima = PotenciaDeReferencia(p, rho, e.libre, Paut);
        r.teorica = ultima.potencia;
        q = ultima.mastil;
    }
    r.teorica = Acotar(Paut, r.teorica);
    const double f = modelo.FactorInterpolado(dir, q);
    r.conCGM = Acotar(Paut, f * h);
    r.sinCGM = Acotar(Paut, f * r.teorica);
    r.pvMedia = ultima.pvMedia;
    r.potencias = ultima.potencias;
    return r;
}

class PotenciaCombinadaDeReferencia : public ConUnidadDePrueba, public ::testing::WithParamInterface<double> {
protected:
    void SetUp() override {
        ConUnidadDePrueba::SetUp();
        auto parque = ParqueDeDoceMolinos(GetParam());
        const std::string ruta = RutaCalibrador(Nid);
        TEscritorTexto f = TEscritorTexto::Crear(ruta);
        parque->GuardarEnTexto(f);
        EscribirBloqueEmpiricoDeMano(f);
        f.Cerrar();
        modelo_ = TParque_ModeloCombinado::Create_LeerDeArchivo(ruta);
        modelo_->MatrizFactores = TMatR(SectoresDeMano, TramosDeMano);
        for (int32_t i = 1; i <= SectoresDeMano; ++i)
            for (int32_t j = 1; j <= TramosDeMano; ++j)
                modelo_->MatrizFactores.FijarElemento(i, j, 1 + 0.05 * std::sin(i + 0.3 * j));
    }
    std::unique_ptr<TParque_ModeloCombinado> modelo_;
};

// An authorised power equal to the turbines' (the cap binds on dense air
// only) and one below it (it binds on strong winds).
TEST_P(PotenciaCombinadaDeReferencia, CadaMuestraDaLosMismosBits) {
    std::mt19937 azar(20261210);
    std::uniform_real_distribution<double> u(0, 1);
    std::normal_distribution<double> normal(0, 1);
    const double Paut = modelo_->Parque->potencia_autorizada_mw;
    double dir = 200, v = 9;
    int restringidas = 0, libres = 0, calmas = 0, tanteos = 0;
    for (int k = 0; k < 160; ++k) {
        // A direction that sometimes stays, a wind that drifts, calms.
        if (u(azar) < 0.7) dir = std::fmod(dir + 8 * normal(azar) + 360, 360.0);
        v = std::clamp(v + 2 * normal(azar), 0.5, 24.0);
        const bool calma = u(azar) < 0.05;
        const double rho = 1.12 + 0.2 * u(azar);
        const bool velLibre = u(azar) < 0.15;
        const double tope = u(azar) < 0.3 ? std::floor(Paut * (0.2 + 0.6 * u(azar))) : Paut;
        const double vMuestra = calma ? 0 : v;
        SCOPED_TRACE("muestra " + std::to_string(k));

        const TPotencias ref = PotenciasCombinadasDeReferencia(*modelo_, vMuestra, dir, rho, tope, velLibre);
        TPotencias r;
        modelo_->CalcularPotencia(false, r.conCGM, r.sinCGM, r.teorica, vMuestra, dir, rho, tope, false, velLibre);
        EXPECT_TRUE(MismosBits(r.conCGM, ref.conCGM)) << r.conCGM << " " << ref.conCGM;
        EXPECT_TRUE(MismosBits(r.sinCGM, ref.sinCGM)) << r.sinCGM << " " << ref.sinCGM;
        EXPECT_TRUE(MismosBits(r.teorica, ref.teorica)) << r.teorica << " " << ref.teorica;
        if (!calma)
            for (std::size_t i = 0; i < modelo_->Parque->molinos.size(); ++i) {
                EXPECT_TRUE(MismosBits(modelo_->Parque->molinos[i]->pvMedia, ref.pvMedia[i]));
                EXPECT_TRUE(MismosBits(modelo_->Parque->molinos[i]->potencia, ref.potencias[i]));
            }
        restringidas += !velLibre && tope < 0.99 * Paut;
        libres += velLibre;
        calmas += calma;
        tanteos += !velLibre && !calma && tope >= 0.99 * Paut;
    }
    EXPECT_GT(restringidas, 20);
    EXPECT_GT(libres, 10);
    EXPECT_GT(calmas, 2);
    EXPECT_GT(tanteos, 60);
}

INSTANTIATE_TEST_SUITE_P(Autorizadas, PotenciaCombinadaDeReferencia, ::testing::Values(24.0, 18.0));

}  // namespace
