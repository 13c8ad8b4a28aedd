// The combined model on a hand-made calibrator file: the synthetic park with
// known bins. Its file, the relaxation of the factor matrix and the power of
// one sample.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "models/uauxdensidad.h"
#include "models/uparques_modelocombinado.h"
#include "numerics/errores.h"
#include "numerics/uauxiliares.h"
#include "test_calibrador_apoyo.h"

using namespace apoyo_calibrador;

namespace {

constexpr int32_t Nid = 31;

class ModeloCombinadoDeMano : public ConUnidadDePrueba {
protected:
    void SetUp() override {
        ConUnidadDePrueba::SetUp();
        archivoCalibrador_ = EscribirCalibradorDeMano(Nid);
        modelo_ = TParque_ModeloCombinado::Create_LeerDeArchivo(archivoCalibrador_);
        Paut_ = modelo_->Parque->potencia_autorizada_mw;
    }

    // Every factor set to one value.
    void FactoresIguales(double x) {
        modelo_->MatrizFactores = TMatR(SectoresDeMano, TramosDeMano);
        for (int32_t i = 1; i <= SectoresDeMano; ++i) modelo_->MatrizFactores.Fila(i).Llenar(x);
    }
    // F(i, j) = i + j / 100: every cell tells where it is.
    void FactoresDistintos() {
        modelo_->MatrizFactores = TMatR(SectoresDeMano, TramosDeMano);
        for (int32_t i = 1; i <= SectoresDeMano; ++i)
            for (int32_t j = 1; j <= TramosDeMano; ++j) modelo_->MatrizFactores.FijarElemento(i, j, F(i, j));
    }
    static double F(int32_t i, int32_t j) { return i + j / 100.0; }

    struct Potencias {
        double conCGM = 0, sinCGM = 0, teorica = 0;
    };
    Potencias Calcular(double v, double dir, double tope, bool sinMatriz = false, bool soloTeorico = false,
                       bool velLibre = false) {
        Potencias p;
        modelo_->CalcularPotencia(sinMatriz, p.conCGM, p.sinCGM, p.teorica, v, dir, DensidadBase, tope, soloTeorico,
                                  velLibre);
        return p;
    }

    std::string archivoCalibrador_;
    std::unique_ptr<TParque_ModeloCombinado> modelo_;
    double Paut_ = 0;
};

// ---------------------------------------------------------------- file

TEST_F(ModeloCombinadoDeMano, UnCalibradorLeidoComoCombinadoDaFactorUnoYSeReescribeLegible) {
    EXPECT_EQ(modelo_->MatrizFactores.nf, 0);
    EXPECT_EQ(modelo_->MatrizFactores.nc, 0);
    EXPECT_EQ(modelo_->FactorInterpolado(123, MedioDeMano(4)), 1.0);
    const Potencias conVacia = Calcular(9, 40, Paut_);
    const Potencias teoricas = Calcular(9, 40, Paut_, true);
    EXPECT_EQ(conVacia.conCGM, teoricas.conCGM);
    EXPECT_EQ(conVacia.sinCGM, teoricas.sinCGM);

    const std::string pmc = RutaModeloCombinado(Nid);
    modelo_->GuardarEnArchivo(pmc);
    EXPECT_EQ(LeerArchivo(pmc), LeerArchivo(archivoCalibrador_) + "0\n0\n");
    auto releido = TParque_ModeloCombinado::Create_LeerDeArchivo(pmc);
    EXPECT_EQ(releido->MatrizFactores.nf, 0);
    releido->GuardarEnArchivo(pmc);
    EXPECT_EQ(LeerArchivo(pmc), LeerArchivo(archivoCalibrador_) + "0\n0\n");
}

TEST_F(ModeloCombinadoDeMano, ElArchivoDelModeloCombinadoSeReescribeByteAByte) {
    FactoresDistintos();
    modelo_->MatrizFactores.FijarElemento(5, 7, 0.123456789012345678);
    const std::string pmc = RutaModeloCombinado(Nid);
    modelo_->GuardarEnArchivo(pmc);
    const std::string original = LeerArchivo(pmc);
    auto releido = TParque_ModeloCombinado::Create_LeerDeArchivo(pmc);
    EXPECT_EQ(releido->MatrizFactores.Elemento(5, 7), 0.123456789012345678);
    EXPECT_EQ(releido->MatrizFactores.Elemento(72, 10), F(72, 10));
    releido->GuardarEnArchivo(pmc);
    EXPECT_EQ(LeerArchivo(pmc), original);
    // The calibrator's two blocks come first, unchanged.
    EXPECT_EQ(original.substr(0, LeerArchivo(archivoCalibrador_).size()), LeerArchivo(archivoCalibrador_));
}

TEST_F(ModeloCombinadoDeMano, SeLeeDeUnTextoAbiertoComoDeSuArchivo) {
    FactoresDistintos();
    const std::string pmc = RutaModeloCombinado(Nid);
    modelo_->GuardarEnArchivo(pmc);
    TLectorTexto f = TLectorTexto::DesdeTexto(LeerArchivo(pmc), "modelo.pmc");
    auto leido = TParque_ModeloCombinado::Create_LeerDeTexto(f);
    EXPECT_TRUE(f.Eof());
    EXPECT_EQ(ProfundidadFormatosInvariantes(), 0);
    EXPECT_EQ(leido->MatrizFactores.Elemento(72, 10), F(72, 10));
    leido->GuardarEnArchivo(pmc);
    auto releido = TParque_ModeloCombinado::Create_LeerDeArchivo(pmc);
    EXPECT_EQ(releido->MatrizFactores.Elemento(3, 4), F(3, 4));
}

TEST_F(ModeloCombinadoDeMano, UnaMatrizQueNoEsSectoresPorTramosNoSeLee) {
    const std::string pmc = RutaModeloCombinado(Nid);
    TMatR pequena(3, 2);
    TEscritorTexto f = TEscritorTexto::EnMemoria();
    pequena.GuardarEnTexto(f);
    EscribirArchivo(pmc, LeerArchivo(archivoCalibrador_) + f.Contenido());
    EXPECT_THROW(TParque_ModeloCombinado::Create_LeerDeArchivo(pmc), EInOutError);
    EXPECT_EQ(ProfundidadFormatosInvariantes(), 0);
}

TEST_F(ModeloCombinadoDeMano, UnArchivoQueFaltaFallaSinDejarElConmutadorPuesto) {
    EXPECT_THROW(TParque_ModeloCombinado::Create_LeerDeArchivo(unidad_ + "/no_existe.pmc"), EInOutError);
    EXPECT_EQ(ProfundidadFormatosInvariantes(), 0);
}

// ---------------------------------------------------------------- relaxation

// Relaxes the factor matrix from ones with the given observations, as the
// construction does.
int32_t Relajar(TParque_ModeloCombinado& m, const TMatR& observados) {
    m.MatrizFactores = TMatR(observados.nf, observados.nc);
    m.MatrizFactores.Unos();
    m.CopiarRatiosObservados(observados);
    int32_t barridos = 0;
    double cambio = 0;
    do {
        cambio = m.RelajarMatrizFactores(observados);
        ++barridos;
    } while (!(barridos > 10000 || cambio < 1e-4));
    return barridos;
}

TEST_F(ModeloCombinadoDeMano, SinObservacionesTodoQuedaEnUnoTrasUnBarrido) {
    const TMatR observados(SectoresDeMano, TramosDeMano);
    EXPECT_EQ(Relajar(*modelo_, observados), 1);
    EXPECT_EQ(modelo_->MatrizFactores.Maximo(), 1.0);
    EXPECT_EQ(modelo_->MatrizFactores.SumaElementos(), SectoresDeMano * TramosDeMano);
}

TEST_F(ModeloCombinadoDeMano, UnSectorVacioEntreDosObservadosQuedaEntreEllos) {
    TMatR observados(3, TramosDeMano);
    for (int32_t j = 1; j <= TramosDeMano; ++j) {
        observados.FijarElemento(1, j, 0.8 + 0.01 * j);
        observados.FijarElemento(3, j, 1.3 - 0.02 * j);
    }
    Relajar(*modelo_, observados);
    const TMatR& F = modelo_->MatrizFactores;
    for (int32_t j = 1; j <= TramosDeMano; ++j) {
        EXPECT_EQ(F.Elemento(1, j), observados.Elemento(1, j));
        EXPECT_EQ(F.Elemento(3, j), observados.Elemento(3, j));
        EXPECT_GT(F.Elemento(2, j), 0.8);
        EXPECT_LT(F.Elemento(2, j), 1.3);
    }
    // The first bin mixes in its neighbours: not just the mean of its sectors.
    const double soloSectores = (observados.Elemento(1, 1) + observados.Elemento(3, 1)) / 2;
    EXPECT_GT(std::fabs(F.Elemento(2, 1) - soloSectores), 1e-3);
}

TEST_F(ModeloCombinadoDeMano, ElUltimoSectorEsVecinoDelPrimero) {
    TMatR observados(SectoresDeMano, TramosDeMano);
    observados.Fila(1).Llenar(2.0);
    modelo_->MatrizFactores = TMatR(SectoresDeMano, TramosDeMano);
    modelo_->MatrizFactores.Unos();
    modelo_->CopiarRatiosObservados(observados);
    EXPECT_DOUBLE_EQ(modelo_->RelajarMatrizFactores(observados), 0.25);
    const TMatR& F = modelo_->MatrizFactores;
    for (int32_t j = 1; j <= TramosDeMano; ++j) {
        EXPECT_EQ(F.Elemento(1, j), 2.0);
        EXPECT_EQ(F.Elemento(2, j), 1.25);
        EXPECT_EQ(F.Elemento(72, j), 1.25);
        EXPECT_EQ(F.Elemento(71, j), 1.0);
    }
}

TEST_F(ModeloCombinadoDeMano, SoloLasRazonesPositivasSonConocidas) {
    TMatR observados(2, 2);
    observados.FijarElemento(1, 1, 0.5);
    observados.FijarElemento(2, 2, -0.5);
    const TMatR conocidos = CeldasObservadas(observados);
    EXPECT_EQ(conocidos.Elemento(1, 1), 0.5);
    EXPECT_EQ(conocidos.Elemento(1, 2), -1.0);
    EXPECT_EQ(conocidos.Elemento(2, 2), -1.0);
}

// ---------------------------------------------------------------- factor interpolation

TEST_F(ModeloCombinadoDeMano, FactorEnElCentroDeUnSectorYDeUnTramo) {
    FactoresDistintos();
    EXPECT_DOUBLE_EQ(modelo_->FactorInterpolado(0, MedioDeMano(1)), F(1, 1));
    EXPECT_DOUBLE_EQ(modelo_->FactorInterpolado(10, MedioDeMano(4)), F(3, 4));
    EXPECT_DOUBLE_EQ(modelo_->FactorInterpolado(355, MedioDeMano(10)), F(72, 10));
}

TEST_F(ModeloCombinadoDeMano, FactorEntreSectoresYEntreTramos) {
    FactoresDistintos();
    EXPECT_DOUBLE_EQ(modelo_->FactorInterpolado(12.5, MedioDeMano(4)), (F(3, 4) + F(4, 4)) / 2);
    const double entreTramos = (MedioDeMano(4) + MedioDeMano(5)) / 2;
    EXPECT_DOUBLE_EQ(modelo_->FactorInterpolado(10, entreTramos), (F(3, 4) + F(3, 5)) / 2);
}

TEST_F(ModeloCombinadoDeMano, FactorA359GradosMezclaElUltimoSectorConElPrimero) {
    FactoresDistintos();
    const double p = MedioDeMano(2);
    EXPECT_NEAR(modelo_->FactorInterpolado(359, p), 0.2 * F(72, 2) + 0.8 * F(1, 2), 1e-12);
    EXPECT_DOUBLE_EQ(modelo_->FactorInterpolado(-1, p), modelo_->FactorInterpolado(359, p));
}

TEST_F(ModeloCombinadoDeMano, FueraDeLosTramosSeUsanLasColumnasDeLosExtremos) {
    FactoresDistintos();
    EXPECT_DOUBLE_EQ(modelo_->FactorInterpolado(10, MedioDeMano(1) / 2), F(3, 1));
    EXPECT_DOUBLE_EQ(modelo_->FactorInterpolado(10, 0), F(3, 1));
    EXPECT_DOUBLE_EQ(modelo_->FactorInterpolado(10, MedioDeMano(10) * 3), F(3, 10));
}

// ---------------------------------------------------------------- power of one sample

TEST_F(ModeloCombinadoDeMano, UnaConsignaDeExactamenteElNoventaYNueveXCientoNoRestringe) {
    FactoresIguales(1);
    // 20 MW authorised, which the park passes at 15 m/s: without restriction
    // the theoretical power is the one capped at the set-point, with it the
    // uncapped power of the free stream, capped at the authorised power.
    Paut_ = modelo_->Parque->potencia_autorizada_mw = 20;
    const Potencias enElLimite = Calcular(15, 40, 0.99 * Paut_);
    EXPECT_NEAR(enElLimite.teorica, 0.99 * Paut_, 1e-3 * Paut_);
    const Potencias restringida = Calcular(15, 40, 0.98 * Paut_);
    EXPECT_NEAR(restringida.teorica, Paut_, 1e-9 * Paut_);
    EXPECT_NEAR(restringida.conCGM, 0.98 * Paut_, 1e-3 * Paut_);
}

TEST_F(ModeloCombinadoDeMano, SinRestriccionLaPotenciaEsLaDelParqueDesdeLaEstacion) {
    FactoresIguales(1);
    const Potencias p = Calcular(8, 95, Paut_);
    TParque_ModeloTeorico& parque = *modelo_->Parque;
    parque.FijarDireccion(95);
    const double esperada = parque.PotenciaDesdeEstacion(DensidadBase, PotenciaDelViento(8, DensidadBase), Paut_);
    EXPECT_GT(esperada, 1);
    EXPECT_DOUBLE_EQ(p.conCGM, esperada);
    EXPECT_DOUBLE_EQ(p.sinCGM, esperada);
    EXPECT_DOUBLE_EQ(p.teorica, esperada);
}

struct CasoBanderas {
    bool sinMatriz;
    bool soloTeorico;
};

class BanderasTeoricas : public ModeloCombinadoDeMano, public ::testing::WithParamInterface<CasoBanderas> {};

TEST_P(BanderasTeoricas, DanLaPotenciaTeoricaAcotadaSeaCualSeaLaMatriz) {
    FactoresIguales(1);
    const double tope = 0.5 * Paut_;
    const Potencias conUnos = Calcular(9, 200, tope);
    FactoresIguales(1.7);
    const Potencias p = Calcular(9, 200, tope, GetParam().sinMatriz, GetParam().soloTeorico);
    EXPECT_EQ(p.conCGM, conUnos.conCGM);
    EXPECT_EQ(p.sinCGM, conUnos.sinCGM);
    EXPECT_EQ(p.teorica, conUnos.teorica);
    EXPECT_LE(p.conCGM, tope * (1 + 1e-9));
}

INSTANTIATE_TEST_SUITE_P(Banderas, BanderasTeoricas,
                         ::testing::Values(CasoBanderas{true, false}, CasoBanderas{false, true},
                                           CasoBanderas{true, true}));

TEST_F(ModeloCombinadoDeMano, ElFactorMultiplicaYNadaPasaDeLaPotenciaAutorizada) {
    FactoresIguales(1.1);
    const Potencias teoricas = Calcular(7, 300, Paut_, true);
    const Potencias p = Calcular(7, 300, Paut_);
    EXPECT_DOUBLE_EQ(p.conCGM, 1.1 * teoricas.conCGM);
    EXPECT_DOUBLE_EQ(p.teorica, teoricas.teorica);

    FactoresIguales(3);
    for (double v : {4.0, 9.0, 12.0, 18.0, 30.0})
        for (double dir : {0.0, 87.0, 181.0, 359.9})
            for (double tope : {0.3 * Paut_, 0.99 * Paut_, 2 * Paut_})
                for (bool velLibre : {false, true}) {
                    const Potencias q = Calcular(v, dir, tope, false, false, velLibre);
                    EXPECT_LE(q.conCGM, Paut_);
                    EXPECT_LE(q.sinCGM, Paut_);
                    EXPECT_LE(q.teorica, Paut_);
                }
}

TEST_F(ModeloCombinadoDeMano, ConVientoLibreLaPotenciaEsLaDelVientoLibre) {
    FactoresIguales(1);
    const Potencias p = Calcular(8, 10, 0.5 * Paut_, false, false, true);
    TParque_ModeloTeorico& parque = *modelo_->Parque;
    parque.FijarDireccion(10);
    const double libre = PotenciaDelViento(8, DensidadBase);
    EXPECT_DOUBLE_EQ(p.teorica, parque.PotenciaConVientoLibre(DensidadBase, libre, Paut_));
    EXPECT_DOUBLE_EQ(p.conCGM, parque.PotenciaConVientoLibre(DensidadBase, libre, 0.5 * Paut_));
}

TEST_F(ModeloCombinadoDeMano, UnaMuestraRestringidaEnCalmaDaCero) {
    FactoresIguales(1.2);
    const Potencias p = Calcular(0, 90, 0.3 * Paut_);
    EXPECT_EQ(p.conCGM, 0);
    EXPECT_EQ(p.sinCGM, 0);
    EXPECT_EQ(p.teorica, 0);
}

TEST_F(ModeloCombinadoDeMano, LasDireccionesSeReducenAUnaVuelta) {
    FactoresDistintos();
    const Potencias base = Calcular(9, 5, Paut_);
    for (double dir : {365.0, 725.0, -355.0}) {
        const Potencias p = Calcular(9, dir, Paut_);
        EXPECT_NEAR(p.conCGM, base.conCGM, 1e-9) << dir;
        EXPECT_NEAR(p.teorica, base.teorica, 1e-9) << dir;
    }
    EXPECT_THROW(Calcular(9, std::nan(""), Paut_), EMathError);
}

}  // namespace
