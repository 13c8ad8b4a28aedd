// Direction sectors, the S-curve and bin estimators and the model block, on
// models read from hand-made blocks.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "models/uauxdensidad.h"
#include "models/uparques_modeloempirico.h"
#include "models/uparques_modeloteorico.h"
#include "models/uplantasintetica.h"
#include "models/uproblemacurvas.h"
#include "numerics/archivotexto.h"
#include "numerics/errores.h"
#include "numerics/uauxiliares.h"
#include "numerics/uproblema.h"
#include "unidad_temporal.h"

namespace {

// The tables of a block, each filled by a function of its indices.
struct Tablas {
    int32_t nS, nT;
    std::function<double(int32_t, int32_t)> cuenta = [](int32_t, int32_t) { return 100.0; };
    std::function<double(int32_t, int32_t)> potencia = [](int32_t s, int32_t j) { return s + 0.5 * j; };
    std::function<double(int32_t, int32_t)> pendiente = [](int32_t, int32_t j) { return 1000.0 * j; };
    std::function<double(int32_t)> parametro = [](int32_t s) { return 1.0 / (s + 2); };
};

TVectR VectorDe(int32_t n, const std::function<double(int32_t)>& valor) {
    TVectR v(n);
    for (int32_t i = 1; i <= n; ++i) v.pv[i] = valor(i);
    return v;
}

TMatR MatrizDe(int32_t nf, int32_t nc, const std::function<double(int32_t, int32_t)>& valor) {
    TMatR m(nf, nc);
    for (int32_t i = 1; i <= nf; ++i)
        for (int32_t j = 1; j <= nc; ++j) m.FijarElemento(i, j, valor(i, j));
    return m;
}

// Bin edges of 0, 2, 4, ... m/s as power densities at 1.225 kg/m³.
double Borde(int32_t i) {
    const double v = 2.0 * (i - 1);
    return v * v * v * 0.6125 / 1e6;
}

std::string TextoBloque(const Tablas& t, int version) {
    TEscritorTexto f = TEscritorTexto::EnMemoria();
    TFormatosInvariantes invariantes;
    const TVectR bordes = VectorDe(t.nT + 1, Borde);
    if (version >= 2)
        f.EscribirLinea("VERSION=" + std::to_string(version));
    else
        f.EscribirEnteroLinea(bordes.n);
    if (version >= 2)
        bordes.GuardarEnTexto(f);
    else
        for (int32_t i = 1; i <= bordes.n; ++i) f.EscribirRealLinea(bordes.pv[i]);
    MatrizDe(t.nS, t.nT, t.cuenta).GuardarEnTexto(f);
    MatrizDe(t.nS, t.nT, [](int32_t s, int32_t j) { return 0.1 * s - j; }).GuardarEnTexto(f);
    MatrizDe(t.nS, t.nT, t.pendiente).GuardarEnTexto(f);
    VectorDe(t.nT, [](int32_t i) { return (Borde(i) + Borde(i + 1)) / 2; }).GuardarEnTexto(f);
    MatrizDe(t.nS, t.nT, t.potencia).GuardarEnTexto(f);
    VectorDe(t.nS, [&](int32_t s) { return 0.5 + t.parametro(s); }).GuardarEnTexto(f);  // alfa
    VectorDe(t.nS, [&](int32_t s) { return 8 + t.parametro(s); }).GuardarEnTexto(f);    // vm
    VectorDe(t.nS, [&](int32_t s) { return 24 + t.parametro(s); }).GuardarEnTexto(f);   // Pmax
    VectorDe(t.nS, t.parametro).GuardarEnTexto(f);                                      // DeltaP
    if (version >= 2) VectorDe(t.nS, [](int32_t) { return 0.0; }).GuardarEnTexto(f);  // alfa_varvel
    return f.Contenido();
}

class ConParque : public ::testing::Test {
protected:
    std::unique_ptr<TParque_ModeloEmpirico> Leer(const std::string& texto) {
        TLectorTexto f = TLectorTexto::DesdeTexto(texto, "bloque");
        return TParque_ModeloEmpirico::Create_LeerDeTexto(f, *parque_);
    }
    std::unique_ptr<TParque_ModeloEmpirico> Modelo(const Tablas& t) { return Leer(TextoBloque(t, 2)); }
    static std::string Escribir(const TParque_ModeloEmpirico& modelo) {
        TEscritorTexto f = TEscritorTexto::EnMemoria();
        modelo.GuardarEnTexto(f);
        return f.Contenido();
    }
    std::unique_ptr<TParque_ModeloTeorico> parque_ = TParque_ModeloTeorico::Create_Nuevo();
};

// ---------------------------------------------------------------- sectors

struct CasoSectores {
    double direccion;
    int32_t s1, s2;
    double w1, w2;
};

class SectoresYPesos72 : public ConParque, public ::testing::WithParamInterface<CasoSectores> {};

TEST_P(SectoresYPesos72, RepartenLaDireccionEntreDosSectores) {
    const CasoSectores& caso = GetParam();
    auto modelo = Modelo({72, 10});
    int32_t s1, s2;
    double w1, w2;
    modelo->SectoresYPesos(s1, s2, w1, w2, caso.direccion);
    EXPECT_EQ(s1, caso.s1);
    EXPECT_EQ(s2, caso.s2);
    EXPECT_NEAR(w1, caso.w1, 1e-9);
    EXPECT_NEAR(w2, caso.w2, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Casos, SectoresYPesos72,
                         ::testing::Values(CasoSectores{0, 1, 2, 1, 0}, CasoSectores{359.9, 72, 1, 0.02, 0.98},
                                           CasoSectores{360, 1, 2, 1, 0}, CasoSectores{2.5, 1, 2, 0.5, 0.5},
                                           CasoSectores{357, 72, 1, 0.6, 0.4}, CasoSectores{722.5, 1, 2, 0.5, 0.5},
                                           // Reduced into [0, 360) first: -5° is 355°.
                                           CasoSectores{-5, 72, 1, 1, 0}));

TEST_F(ConParque, UnaDireccionSinValorNoTieneSectores) {
    auto modelo = Modelo({72, 10});
    int32_t s1, s2;
    double w1, w2;
    EXPECT_THROW(modelo->SectoresYPesos(s1, s2, w1, w2, NAN), EMathError);
    EXPECT_THROW(modelo->PE_CurvaS(NAN, 0.001, 0), EMathError);
    double cuenta = 0;
    EXPECT_EQ(modelo->PE_PorTramos(NAN, 0.0003, cuenta), 0);
    EXPECT_EQ(cuenta, -1);
}

TEST_F(ConParque, LosCentrosDeSectorEstanCadaCincoGrados) {
    auto modelo = Modelo({72, 10});
    EXPECT_EQ(modelo->nSectores(), 72);
    EXPECT_EQ(modelo->nTramos(), 10);
    EXPECT_EQ(modelo->AnguloSector(1), 0);
    EXPECT_EQ(modelo->AnguloSector(2), 5);
    EXPECT_EQ(modelo->AnguloSector(72), 355);
}

std::vector<int32_t> SectoresQueRecogen(const TParque_ModeloEmpirico& modelo, double direccion) {
    std::vector<int32_t> sectores;
    for (int32_t k = 1; k <= modelo.nSectores(); ++k)
        if (DentroDelSector(direccion, modelo.AnguloSector(k), 5)) sectores.push_back(k);
    return sectores;
}

TEST_F(ConParque, CadaMuestraCaeEnLosSectoresQueLaRodean) {
    auto modelo = Modelo({72, 10});
    EXPECT_EQ(SectoresQueRecogen(*modelo, 358), (std::vector<int32_t>{1, 72}));
    EXPECT_EQ(SectoresQueRecogen(*modelo, 2.5), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(SectoresQueRecogen(*modelo, 5), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(SectoresQueRecogen(*modelo, 365), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_TRUE(DentroDelSector(-2, 0, 5));
    EXPECT_FALSE(DentroDelSector(NAN, 0, 5));
}

// ---------------------------------------------------------------- bin estimator

TEST(HermiteCubica, ReproduceUnaCubica) {
    // x³ on [1, 2]: values 1 and 8, slopes 3 and 12.
    for (double t : {0.0, 0.25, 0.5, 0.9, 1.0}) {
        const double x = 1 + t;
        EXPECT_NEAR(HermiteCubica(1, 3, 8, 12, 1, t), x * x * x, 1e-12) << t;
    }
    // On an interval of length 2 the slopes are per unit of x.
    EXPECT_NEAR(HermiteCubica(0, 0, 8, 12, 2, 0.5), 1, 1e-12);
}

struct CasoNodos {
    double t;
    double q0, q1;
    bool valida;
};

class InterpolacionEnSector : public ::testing::TestWithParam<CasoNodos> {};

TEST_P(InterpolacionEnSector, PideSoloLosNodosQuePesan) {
    const CasoNodos& caso = GetParam();
    TVectR cuentas(2), valores(2), pendientes(2);
    cuentas.pv[1] = caso.q0;
    cuentas.pv[2] = caso.q1;
    valores.pv[1] = 3;
    valores.pv[2] = 5;
    double cuenta = 0;
    const double valor = InterpolarEnSector(caso.t, 1, cuenta, 1, cuentas, valores, pendientes);
    if (caso.valida) {
        EXPECT_DOUBLE_EQ(cuenta, (1 - caso.t) * caso.q0 + caso.t * caso.q1);
        EXPECT_DOUBLE_EQ(valor, HermiteCubica(3, 0, 5, 0, 1, caso.t));
    } else {
        EXPECT_EQ(cuenta, -1);
        EXPECT_EQ(valor, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Casos, InterpolacionEnSector,
                         ::testing::Values(CasoNodos{0, 10, 0, true}, CasoNodos{0, 9, 50, false},
                                           CasoNodos{0.9995, 0, 10, true}, CasoNodos{0.9995, 50, 9, false},
                                           CasoNodos{0.5, 10, 10, true}, CasoNodos{0.5, 10, 9, false},
                                           CasoNodos{0.5, -1, 20, false}));

TEST_F(ConParque, PorTramosInterpolaEntreMediosYExtrapolaEnLosBordes) {
    Tablas t{4, 3};
    auto modelo = Modelo(t);
    const TVectR& medios = modelo->mediosTramos;
    double cuenta = 0;
    // A mid point at a sector centre (sector 2 of 4: 90°): the node's power.
    EXPECT_DOUBLE_EQ(modelo->PE_PorTramos(90, medios.pv[2], cuenta), t.potencia(2, 2));
    EXPECT_EQ(cuenta, 100);
    // Halfway between two centres: the mean of both sectors.
    EXPECT_DOUBLE_EQ(modelo->PE_PorTramos(45, medios.pv[2], cuenta), (t.potencia(1, 2) + t.potencia(2, 2)) / 2);
    // Below the first mid point and above the last: straight lines.
    const double abajo = medios.pv[1] / 2, arriba = medios.pv[3] * 2;
    EXPECT_DOUBLE_EQ(modelo->PE_PorTramos(90, abajo, cuenta), (abajo - medios.pv[1]) * 1000 + t.potencia(2, 1));
    EXPECT_DOUBLE_EQ(modelo->PE_PorTramos(90, arriba, cuenta), (arriba - medios.pv[3]) * 3000 + t.potencia(2, 3));
    // Between mid points: the Hermite curve of the two nodes.
    const double e = 1.25, pd = medios.pv[1] + 0.25 * (medios.pv[2] - medios.pv[1]);
    EXPECT_NEAR(modelo->PE_PorTramos(90, pd, cuenta),
                HermiteCubica(t.potencia(2, 1), 1000, t.potencia(2, 2), 2000, medios.pv[2] - medios.pv[1], e - 1),
                1e-12);
    EXPECT_DOUBLE_EQ(cuenta, 100);
}

TEST_F(ConParque, PorTramosSinMuestrasSuficientesNoEstima) {
    Tablas t{4, 3};
    t.cuenta = [](int32_t s, int32_t j) { return s == 3 && j == 2 ? -1.0 : 100.0; };
    auto modelo = Modelo(t);
    const TVectR& medios = modelo->mediosTramos;
    double cuenta = 0;
    EXPECT_EQ(modelo->PE_PorTramos(180, medios.pv[2], cuenta), 0);  // sector 3 at its centre
    EXPECT_EQ(cuenta, -1);
    // At sector 2's centre sector 3 has weight 0: its bins do not matter.
    EXPECT_NE(modelo->PE_PorTramos(90, medios.pv[2], cuenta), 0);
    EXPECT_EQ(cuenta, 100);
}

TEST_F(ConParque, FrecuenciaDireccionRepartePorCuentas) {
    Tablas t{4, 3};
    t.cuenta = [](int32_t s, int32_t j) { return s == 1 ? (j == 1 ? -1.0 : 10.7) : 20.0; };
    auto modelo = Modelo(t);
    const double total = 20 + 3 * 60;
    EXPECT_DOUBLE_EQ(modelo->FrecuenciaDireccion(0), 20 / total);
    EXPECT_DOUBLE_EQ(modelo->FrecuenciaDireccion(45), (0.5 * 20 + 0.5 * 60) / total);
    t.cuenta = [](int32_t, int32_t) { return -1.0; };
    EXPECT_EQ(Modelo(t)->FrecuenciaDireccion(10), 0);
}

// ---------------------------------------------------------------- S-curves

TEST_F(ConParque, CurvaSEnCentrosYEntreSectores) {
    auto modelo = Modelo({72, 10});
    const double pd = 0.0003, v = std::cbrt(pd * 1e6 / 0.6125);
    EXPECT_NEAR(modelo->PE_CurvaS(10, pd, 0), modelo->CurvaSSector(3, v, 0), 1e-12);
    EXPECT_NEAR(modelo->PE_CurvaS(12.5, pd, 0),
                (modelo->CurvaSSector(3, v, 0) + modelo->CurvaSSector(4, v, 0)) / 2, 1e-12);
    // Without a variance weight the variance changes nothing.
    EXPECT_EQ(modelo->PE_CurvaS(12.5, pd, 4), modelo->PE_CurvaS(12.5, pd, 0));
}

TEST_F(ConParque, LaCurvaSimpleDaUnDecimoDeMegavatioEnCalma) {
    // The simple curve: Pmax = Pc, DeltaP = 0, alfa = c0 / vm.
    const double Pc = 24, c0 = std::log((Pc - 0.1) / 0.1), vm = 7.3;
    Tablas t{72, 10};
    auto modelo = Modelo(t);
    modelo->Pmax.pv[5] = Pc;
    modelo->DeltaP.pv[5] = 0;
    modelo->vm.pv[5] = vm;
    modelo->alfa.pv[5] = c0 / vm;
    EXPECT_NEAR(modelo->CurvaSSector(5, 0, 0), 0.1, 1e-12);
}

TEST_F(ConParque, LaInversaDevuelveLaVelocidadDeUnaPotencia) {
    auto modelo = Modelo({72, 10});
    bool valida = false;
    const double P = modelo->Pmax.pv[7] / 2 - modelo->DeltaP.pv[7];
    EXPECT_NEAR(modelo->VientoCurvaSInversa(7, P, valida), modelo->vm.pv[7], 1e-12);
    EXPECT_TRUE(valida);
    const double v = modelo->VientoCurvaSInversa(7, 20, valida);
    EXPECT_NEAR(modelo->CurvaSSector(7, v, 0), 20, 1e-9);
    for (double fuera : {-modelo->DeltaP.pv[7], modelo->Pmax.pv[7] - modelo->DeltaP.pv[7], 100.0, double(NAN)}) {
        EXPECT_EQ(modelo->VientoCurvaSInversa(7, fuera, valida), 0);
        EXPECT_FALSE(valida) << fuera;
    }
    modelo->alfa.pv[7] = modelo->vm.pv[7] = modelo->Pmax.pv[7] = modelo->DeltaP.pv[7] = -1;
    modelo->VientoCurvaSInversa(7, 0.5, valida);
    EXPECT_FALSE(valida);
}

// ---------------------------------------------------------------- fitting a sector of a read model

// A sector's sorted samples.
struct MuestrasDeSector {
    TVectR pv, potencia;
};

// The S-curve alfa 0.8, vm 9, 24 MW.
double CurvaDeLasMuestras(double v) { return CurvaS(v, 24, 0, 0.8, 9, 24); }

// n samples of that curve with a small ripple, at speeds spread over [4, 14]
// m/s: every power lies between 1 % and 100 % of 24 MW, so every sample is a
// fit point.
MuestrasDeSector MuestrasDeLaCurva(int32_t n) {
    MuestrasDeSector m{TVectR(n), TVectR(n)};
    for (int32_t i = 1; i <= n; ++i) {
        const double v = 4 + 10.0 * (i - 0.5) / n;
        m.pv.pv[i] = PotenciaDelViento(v, DensidadBase);
        m.potencia.pv[i] = CurvaDeLasMuestras(v) + 0.05 * std::sin(1.7 * i);
    }
    return m;
}

// Samples whose powers are all usable but whose power density is infinite:
// the fit's arithmetic fails.
MuestrasDeSector MuestrasDeDensidadInfinita(int32_t n) {
    MuestrasDeSector m{TVectR(n), TVectR(n)};
    for (int32_t i = 1; i <= n; ++i) {
        m.pv.pv[i] = std::numeric_limits<double>::infinity();
        m.potencia.pv[i] = i;
    }
    return m;
}

// A model read from a block, bound to the synthetic park (24 MW, with its
// equivalent curve); the optimiser's log goes to the test's own folder.
class AjusteEnModeloLeido : public UnidadCTemporal {
protected:
    void SetUp() override {
        UnidadCTemporal::SetUp();
        FijarCarpetaLogEstimarMultiplicadores(unidad_);
        parque_ = CrearParqueSintetico(3);
        modelo_ = Leer(TextoBloque({72, 10}, 2));
    }
    void TearDown() override {
        FijarCarpetaLogEstimarMultiplicadores("");
        UnidadCTemporal::TearDown();
    }
    std::unique_ptr<TParque_ModeloEmpirico> Leer(const std::string& texto) {
        TLectorTexto f = TLectorTexto::DesdeTexto(texto, "bloque");
        return TParque_ModeloEmpirico::Create_LeerDeTexto(f, *parque_);
    }
    void Ajustar(int32_t k, const MuestrasDeSector& m) {
        testing::internal::CaptureStdout();
        try {
            modelo_->AjustarCurvaSSector(k, m.pv, m.potencia, TVectR(m.pv.n), *parque_->curvaParque, 1, 100);
        } catch (...) {
            testing::internal::GetCapturedStdout();
            throw;
        }
        testing::internal::GetCapturedStdout();
    }
    static std::string Escribir(const TParque_ModeloEmpirico& modelo) {
        TEscritorTexto f = TEscritorTexto::EnMemoria();
        modelo.GuardarEnTexto(f);
        return f.Contenido();
    }

    std::unique_ptr<TParque_ModeloTeorico> parque_;
    std::unique_ptr<TParque_ModeloEmpirico> modelo_;
};

TEST_F(AjusteEnModeloLeido, UnAjusteQueFallaDejaElSectorSinCurvaYElModeloSigueSirviendo) {
    // As a previous sector's fit would have left it.
    modelo_->ultimoAjuste = {0.7, 8.5, 25, 0.5, 0};
    const std::string leido = Escribir(*modelo_);
    Ajustar(9, MuestrasDeDensidadInfinita(20));

    // Sector 9 alone loses its curve; the block is the read one but for that.
    auto esperado = Leer(leido);
    for (TVectR* p : {&esperado->alfa, &esperado->vm, &esperado->Pmax, &esperado->DeltaP}) p->pv[9] = -1;
    EXPECT_EQ(Escribir(*modelo_), Escribir(*esperado));
    // The points counted, no fit error, and the next fit's start untouched.
    ASSERT_EQ(modelo_->cntMuestras.n, 72);
    ASSERT_EQ(modelo_->errc2.n, 72);
    for (int32_t k = 1; k <= 72; ++k) {
        EXPECT_EQ(modelo_->cntMuestras.Elemento(k), k == 9 ? 20 : 0) << k;
        EXPECT_EQ(modelo_->errc2.Elemento(k), 0) << k;
    }
    EXPECT_EQ(modelo_->ultimoAjuste.alfa, 0.7);
    EXPECT_EQ(modelo_->ultimoAjuste.vm, 8.5);
    EXPECT_EQ(modelo_->ultimoAjuste.Pmax, 25);
    EXPECT_EQ(modelo_->ultimoAjuste.DeltaP, 0.5);

    // The same sector fitted afterwards to good samples gets its curve back.
    Ajustar(9, MuestrasDeLaCurva(40));
    EXPECT_EQ(modelo_->cntMuestras.Elemento(9), 40);
    EXPECT_GT(modelo_->errc2.Elemento(9), 0);
    EXPECT_LT(modelo_->errc2.Elemento(9), 0.1);
    EXPECT_EQ(modelo_->ultimoAjuste.vm, modelo_->vm.Elemento(9));
    for (double v : {5.0, 9.0, 13.0})
        EXPECT_NEAR(modelo_->PE_CurvaS(modelo_->AnguloSector(9), PotenciaDelViento(v, DensidadBase), 0),
                    CurvaDeLasMuestras(v), 0.1)
            << v;
    const std::string ajustado = Escribir(*modelo_);
    EXPECT_EQ(Escribir(*Leer(ajustado)), ajustado);
}

TEST_F(AjusteEnModeloLeido, UnSectorFueraDelModeloSeRechazaSinTocarNada) {
    const std::string leido = Escribir(*modelo_);
    for (int32_t k : {0, -1, 73}) {
        try {
            Ajustar(k, MuestrasDeLaCurva(40));
            ADD_FAILURE() << "sector " << k << " was fitted";
        } catch (const EErrorQuendal& error) {
            EXPECT_EQ(std::string(error.what()), "TParque_ModeloEmpirico.AjustarCurvaSSector: el sector " +
                                                     std::to_string(k) + " no está entre 1 y 72");
        }
    }
    EXPECT_EQ(Escribir(*modelo_), leido);
    EXPECT_EQ(modelo_->cntMuestras.pv, TVectE(72).pv);
}

// ---------------------------------------------------------------- model block

TEST_F(ConParque, ElBloqueEscritoYLeidoSeEscribeIgual) {
    auto modelo = Modelo({72, 10});
    const std::string primero = Escribir(*modelo);
    EXPECT_EQ(primero.substr(0, 10), "VERSION=2\n");
    EXPECT_EQ(Escribir(*Leer(primero)), primero);
    EXPECT_FALSE(modelo->TieneMuestras());
    TEstadisticasModeloEmpirico estadisticas;
    EXPECT_FALSE(modelo->Estadisticas(estadisticas));
}

TEST_F(ConParque, UnBloqueDeVersionUnoLeeCerosDeVarianza) {
    auto modelo = Leer(TextoBloque({72, 10}, 1));
    EXPECT_EQ(modelo->bordesTramos.n, 11);
    EXPECT_EQ(modelo->alfa_varvel.n, 72);
    EXPECT_EQ(modelo->alfa_varvel.Maximo(), 0);
    EXPECT_EQ(modelo->alfa_varvel.Minimo(), 0);
    // Written back it becomes version 2, read like the original.
    EXPECT_EQ(Escribir(*Leer(Escribir(*modelo))), Escribir(*modelo));
}

TEST_F(ConParque, UnBloqueDeVersionTresSeLeeComoDos) {
    const std::string v3 = TextoBloque({72, 10}, 3);
    EXPECT_EQ(Escribir(*Leer(v3)), TextoBloque({72, 10}, 2));
}

TEST_F(ConParque, UnBloqueTruncadoFallaYDevuelveLosFormatos) {
    const std::string entero = TextoBloque({72, 10}, 2);
    for (std::size_t largo : {std::size_t{0}, std::size_t{5}, std::size_t{200}, entero.size() / 2, entero.size() - 30}) {
        EXPECT_THROW(Leer(entero.substr(0, largo)), EInOutError) << largo;
        EXPECT_EQ(ProfundidadFormatosInvariantes(), 0);
    }
    EXPECT_THROW(Leer("VERSION=dos\n"), EInOutError);
    EXPECT_EQ(ProfundidadFormatosInvariantes(), 0);
}

TEST_F(ConParque, UnBloqueDeFormasIncoherentesSeRechaza) {
    // Ten bins of edges, but tables of nine columns.
    Tablas t{72, 9};
    std::string texto = TextoBloque(t, 2);
    // Swap the edges vector (first block item) for one of eleven edges.
    const std::string cabezaNueve = texto.substr(0, texto.find('\n', texto.find('\n') + 1) + 1);
    ASSERT_EQ(cabezaNueve, "VERSION=2\n10\n");
    TEscritorTexto f = TEscritorTexto::EnMemoria();
    VectorDe(11, Borde).GuardarEnTexto(f);
    std::string resto = texto.substr(cabezaNueve.size());
    for (int i = 0; i < 10; ++i) resto = resto.substr(resto.find('\n') + 1);
    EXPECT_THROW(Leer("VERSION=2\n" + f.Contenido() + resto), EInOutError);
    EXPECT_EQ(ProfundidadFormatosInvariantes(), 0);
}

}  // namespace
