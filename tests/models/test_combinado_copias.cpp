// Copies of a park for worker threads: a sample evaluated on a copy gives the
// bits the model's own park gives, on the demo plant's model and on samples
// drawn over every branch of an evaluation (restricted or not, free-stream
// speed, calm, beyond cut-out); evaluating on copies, from several threads at
// once, leaves the original alone.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "models/uparques_modelocombinado.h"
#include "models/uparques_modeloteorico.h"

namespace {

const std::string CarpetaDemo = std::string(QUENDAL_TEST_DATA) + "/../../examples/c9001";

bool MismosBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

struct TMuestra {
    double v, dir, densidad, tope;
    bool velLibre, sinMatriz;
};

struct TPotencias {
    double conCGM = 0, sinCGM = 0, teorica = 0;
};

std::vector<TMuestra> MuestrasAlAzar(double Pa, int cantidad) {
    std::mt19937 azar(20180101);
    std::uniform_real_distribution<double> velocidad(0, 30), direccion(-30, 400), densidad(1.1, 1.3), u(0, 1);
    std::vector<TMuestra> muestras;
    for (int k = 0; k < cantidad; ++k) {
        TMuestra m{velocidad(azar), direccion(azar), densidad(azar), Pa, u(azar) < 0.2, u(azar) < 0.2};
        if (u(azar) < 0.4) m.tope = Pa * u(azar);  // restricted
        if (k % 17 == 0) m.v = 0;                   // calm
        muestras.push_back(m);
    }
    return muestras;
}

TPotencias Evaluar(const TParque_ModeloCombinado& modelo, TParque_ModeloTeorico& parque, const TMuestra& m) {
    TPotencias p;
    modelo.CalcularPotencia(parque, m.sinMatriz, p.conCGM, p.sinCGM, p.teorica, m.v, m.dir, m.densidad, m.tope, false,
                            m.velLibre);
    return p;
}

bool Iguales(const TPotencias& a, const TPotencias& b) {
    return MismosBits(a.conCGM, b.conCGM) && MismosBits(a.sinCGM, b.sinCGM) && MismosBits(a.teorica, b.teorica);
}

class CopiasDelParque : public ::testing::Test {
protected:
    void SetUp() override {
        modelo_ = TParque_ModeloCombinado::Create_LeerDeArchivo(CarpetaDemo + "/c9001.pmc");
        muestras_ = MuestrasAlAzar(modelo_->Parque->potencia_autorizada_mw, 300);
    }
    std::unique_ptr<TParque_ModeloCombinado> modelo_;
    std::vector<TMuestra> muestras_;
};

TEST_F(CopiasDelParque, UnaCopiaDaLosBitsDelParquePropioMuestraPorMuestra) {
    const auto copia = TParque_ModeloTeorico::Create_Clonar(*modelo_->Parque);
    ASSERT_EQ(copia->molinos.size(), modelo_->Parque->molinos.size());
    for (std::size_t k = 0; k < muestras_.size(); ++k) {
        const TMuestra& m = muestras_[k];
        TPotencias propio;
        modelo_->CalcularPotencia(m.sinMatriz, propio.conCGM, propio.sinCGM, propio.teorica, m.v, m.dir, m.densidad,
                                  m.tope, false, m.velLibre);
        EXPECT_TRUE(Iguales(propio, Evaluar(*modelo_, *copia, m))) << "muestra " << k;
    }
    // The copy's grid after the last sample is the original's.
    EXPECT_TRUE(MismosBits(copia->ValorEnPunto(0, 0), modelo_->Parque->ValorEnPunto(0, 0)));
    EXPECT_TRUE(MismosBits(copia->ValorEnPunto(150, -420), modelo_->Parque->ValorEnPunto(150, -420)));
}

// The order in which a copy meets the samples changes no bit: each
// evaluation depends on its sample alone.
TEST_F(CopiasDelParque, ElOrdenDeLasMuestrasNoCambiaNingunBit) {
    const auto adelante = TParque_ModeloTeorico::Create_Clonar(*modelo_->Parque);
    const auto atras = TParque_ModeloTeorico::Create_Clonar(*modelo_->Parque);
    std::vector<TPotencias> enOrden(muestras_.size()), alReves(muestras_.size());
    for (std::size_t k = 0; k < muestras_.size(); ++k) enOrden[k] = Evaluar(*modelo_, *adelante, muestras_[k]);
    for (std::size_t k = muestras_.size(); k-- > 0;) alReves[k] = Evaluar(*modelo_, *atras, muestras_[k]);
    for (std::size_t k = 0; k < muestras_.size(); ++k) EXPECT_TRUE(Iguales(enOrden[k], alReves[k])) << k;
}

TEST_F(CopiasDelParque, CuatroHilosConSusCopiasDanLosBitsDeUnoYNoTocanElOriginal) {
    std::vector<TPotencias> deUno(muestras_.size());
    {
        const auto copia = TParque_ModeloTeorico::Create_Clonar(*modelo_->Parque);
        for (std::size_t k = 0; k < muestras_.size(); ++k) deUno[k] = Evaluar(*modelo_, *copia, muestras_[k]);
    }
    modelo_->Parque->FijarDireccion(123);
    const double libreAntes = modelo_->Parque->pvLibre, direccionAntes = modelo_->Parque->direccion;

    constexpr int Hilos = 4;
    std::vector<std::unique_ptr<TParque_ModeloTeorico>> copias;
    for (int h = 0; h < Hilos; ++h) copias.push_back(TParque_ModeloTeorico::Create_Clonar(*modelo_->Parque));
    std::vector<TPotencias> deVarios(muestras_.size());
    std::vector<std::thread> hilos;
    for (int h = 0; h < Hilos; ++h)
        hilos.emplace_back([&, h] {
            for (std::size_t k = static_cast<std::size_t>(h); k < muestras_.size(); k += Hilos)
                deVarios[k] = Evaluar(*modelo_, *copias[static_cast<std::size_t>(h)], muestras_[k]);
        });
    for (std::thread& t : hilos) t.join();

    for (std::size_t k = 0; k < muestras_.size(); ++k) EXPECT_TRUE(Iguales(deUno[k], deVarios[k])) << k;
    EXPECT_TRUE(MismosBits(modelo_->Parque->direccion, direccionAntes));
    EXPECT_TRUE(MismosBits(modelo_->Parque->pvLibre, libreAntes));
}

TEST_F(CopiasDelParque, LaCopiaLlevaLosParametrosYLasTablasDelOriginal) {
    TParque_ModeloTeorico& p = *modelo_->Parque;
    p.alfa_terreno = 0.61;
    p.gamma_atmosfera = 0.27;
    p.fpv3pe = 1.7;
    p.factor_perdidas = 0.015;
    p.grilla_rotada_dx = 11;
    p.grilla_rotada_dy = 3;
    p.grilla_rotada_margen_dx = 350;
    p.molinos[3]->etha = 0.9;
    p.Preparar();  // what the next direction does; the copy starts prepared
    const auto copia = TParque_ModeloTeorico::Create_Clonar(p);
    TParque_ModeloTeorico& c = *copia;
    EXPECT_EQ(c.nid, p.nid);
    EXPECT_EQ(c.nid_central_KOLM, p.nid_central_KOLM);
    EXPECT_EQ(c.nombre, p.nombre);
    EXPECT_EQ(c.molinos[3]->etha, 0.9);
    EXPECT_EQ(c.potencia_autorizada_mw, p.potencia_autorizada_mw);
    EXPECT_EQ(c.coefPerdidas, p.coefPerdidas);
    EXPECT_EQ(c.meteo_etha.Elemento(5, 3), p.meteo_etha.Elemento(5, 3));
    EXPECT_EQ(c.mat_vientos.Elemento(70, 9), p.mat_vientos.Elemento(70, 9));
    ASSERT_TRUE(c.curvaParque);
    EXPECT_EQ(c.curvaParque->Pmax, p.curvaParque->Pmax);
    for (const TMuestra& m : std::vector<TMuestra>(muestras_.begin(), muestras_.begin() + 40)) {
        TPotencias propio;
        modelo_->CalcularPotencia(m.sinMatriz, propio.conCGM, propio.sinCGM, propio.teorica, m.v, m.dir, m.densidad,
                                  m.tope, false, m.velLibre);
        EXPECT_TRUE(Iguales(propio, Evaluar(*modelo_, c, m)));
    }
    // Turbines are copies, not shared.
    c.molinos[0]->etha = 0.5;
    EXPECT_NE(p.molinos[0]->etha, 0.5);
}

}  // namespace
