#include <gtest/gtest.h>

#include <cmath>

#include "numerics/errores.h"
#include "numerics/fddp_conmatr.h"

namespace {

TVectR Vector(const std::vector<double>& valores) { return TVectR::Create_DesdeArreglo(valores); }

}  // namespace

TEST(Tf_ddp_VectDeMuestras, OrdenaSuCopiaYDejaLaDelLlamador) {
    const TVectR dadas = Vector({5, 2, 1, 2, 2});
    auto d = Tf_ddp_VectDeMuestras::Create(dadas, nullptr, 1);
    EXPECT_EQ(dadas.pv, Vector({5, 2, 1, 2, 2}).pv);
    EXPECT_EQ(d->muestras.pv, Vector({1, 2, 2, 2, 5}).pv);
    EXPECT_EQ(d->x_min, 1.0);
    EXPECT_EQ(d->x_max, 5.0);
    EXPECT_NE(d->generador, nullptr);
}

TEST(Tf_ddp_VectDeMuestras, RachaDeMuestrasIguales) {
    auto d = Tf_ddp_VectDeMuestras::Create(Vector({1, 2, 2, 2, 5}), nullptr, 1);
    EXPECT_EQ(d->Segmento(2), 3);
    EXPECT_EQ(d->Densidad(2), 1000000.0);
    EXPECT_DOUBLE_EQ(d->Densidad(3), 1.0 / 3 / 4);
    EXPECT_EQ(d->Densidad(5), 0.0);
    EXPECT_EQ(d->Densidad(0), 0.0);
    EXPECT_EQ(d->Inversa(0), 1.0);
    EXPECT_EQ(d->Inversa(1), 5.0);
    EXPECT_EQ(d->Inversa(0.5), 2.0);
    EXPECT_THROW(d->Inversa(std::nan("")), EMathError);
}

TEST(Tf_ddp_VectDeMuestras, RachaAlComienzoSoloBajaHastaElIndiceDos) {
    auto d = Tf_ddp_VectDeMuestras::Create(Vector({2, 2, 5}), nullptr, 1);
    EXPECT_EQ(d->Segmento(2), 2);
    EXPECT_DOUBLE_EQ(d->Densidad(2), 1.0 / 3 / 2);
}

TEST(Tf_ddp_VectDeMuestras, DistribucionPorTramosUniformes) {
    // Four samples 0, 1, 2, 4: each of the three gaps holds a third of the
    // density's mass; the distribution counts samples passed out of n.
    auto d = Tf_ddp_VectDeMuestras::Create(Vector({4, 0, 2, 1}), nullptr, 1);
    EXPECT_EQ(d->DistribucionPorIntegral(-1), 0.0);
    EXPECT_DOUBLE_EQ(d->DistribucionPorIntegral(0.5), 1.5 / 4);
    EXPECT_DOUBLE_EQ(d->DistribucionPorIntegral(3), 3.5 / 4);
    EXPECT_EQ(d->DistribucionPorIntegral(4), 1.0);
    EXPECT_DOUBLE_EQ(d->Densidad(3), 1.0 / 2 / 3);
    EXPECT_DOUBLE_EQ(d->Inversa(5.0 / 6), 3.0);  // t = 2.5: halfway from 2 to 4
    EXPECT_EQ(d->Inversa(-7), 0.0);
    EXPECT_EQ(d->Inversa(7), 4.0);
}

TEST(Tf_ddp_VectDeMuestras, SortearDevuelveValoresDelSoporte) {
    auto d = Tf_ddp_VectDeMuestras::Create(Vector({10, 20, 30, 40}), nullptr, 11);
    TMadreUniforme referencia(11);
    for (int k = 0; k < 50; ++k) {
        const double x = d->Sortear();
        EXPECT_DOUBLE_EQ(x, 10 + 30 * referencia.Sortear());
    }
}

TEST(Tf_ddp_VectDeMuestras, UnaSolaMuestra) {
    auto d = Tf_ddp_VectDeMuestras::Create(Vector({3}), nullptr, 1);
    EXPECT_EQ(d->Densidad(3), 0.0);
    EXPECT_EQ(d->DistribucionPorIntegral(2), 0.0);
    EXPECT_EQ(d->DistribucionPorIntegral(3), 1.0);
    EXPECT_EQ(d->Inversa(0.7), 3.0);
}

TEST(Tf_ddp_VectDeMuestras, SinMuestrasOConMuestrasNoFinitasLanza) {
    EXPECT_THROW(Tf_ddp_VectDeMuestras::Create(TVectR(), nullptr, 1), EErrorQuendal);
    EXPECT_THROW(Tf_ddp_VectDeMuestras::Create(Vector({1, std::nan(""), 3}), nullptr, 1), EErrorQuendal);
}
