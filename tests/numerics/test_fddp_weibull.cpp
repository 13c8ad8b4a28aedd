#include <gtest/gtest.h>

#include <cmath>

#include "numerics/errores.h"
#include "numerics/fddp_weibull.h"
#include "numerics/math01.h"

namespace {

TVectR Vector(const std::vector<double>& valores) { return TVectR::Create_DesdeArreglo(valores); }

// x_i = lambda (-ln(1 - (i - 0.5)/n))^(1/k): the Weibull quantiles at the
// plotting positions, on which the fit's line is exact.
TVectR CuantilesWeibull(int n, double forma, double escala) {
    TVectR x(n);
    for (int i = 1; i <= n; ++i) x.pv[i] = escala * std::pow(-std::log(1.0 - (i - 0.5) / n), 1.0 / forma);
    return x;
}

void EsperarMensajeSingular(const TVectR& muestras) {
    try {
        Tf_ddp_Weibull::Create_vmuetras(muestras, nullptr, 1);
        FAIL() << "no lanzó";
    } catch (const EErrorQuendal& e) {
        EXPECT_STREQ(e.what(), "Imposible invertir sistema Tf_ddp_Weibull.Create_vmuetras en fddp.pas");
    }
}

}  // namespace

TEST(Tf_ddp_Weibull, CuantilesExactosDevuelvenLaFormaYLaEscala) {
    for (int n : {50, 200}) {
        auto w = Tf_ddp_Weibull::Create_vmuetras(CuantilesWeibull(n, 2.0, 8.0), nullptr, 1);
        EXPECT_NEAR(w->k, 2.0, 1e-6) << n;
        EXPECT_NEAR(w->lambda, 8.0, 1e-6) << n;
        EXPECT_DOUBLE_EQ(w->kSobreLambda, w->k / w->lambda);
        EXPECT_EQ(w->x_min, 0.0);
        EXPECT_DOUBLE_EQ(w->x_max, 1000.0 * CuantilesWeibull(n, 2.0, 8.0).Promedio());
    }
}

TEST(Tf_ddp_Weibull, DensidadDistribucionEInversaCoinciden) {
    Tf_ddp_Weibull w(2.0, 8.0, 8000.0, nullptr, 1);
    EXPECT_EQ(w.Densidad(0), 0.0);
    EXPECT_EQ(w.Distribucion(0), 0.0);
    EXPECT_EQ(w.Distribucion(-3), 0.0);
    for (double x : {0.5, 4.0, 8.0, 15.0}) {
        // Textbook form of the density and the distribution.
        EXPECT_NEAR(w.Densidad(x), (2.0 / 8.0) * (x / 8.0) * std::exp(-std::pow(x / 8.0, 2)), 1e-15);
        EXPECT_NEAR(w.Distribucion(x), 1 - std::exp(-std::pow(x / 8.0, 2)), 1e-15);
        EXPECT_EQ(w.DistribucionPorIntegral(x), w.Distribucion(x));
        EXPECT_EQ(w.DistribucionIncremental(x), w.Distribucion(x));
        EXPECT_NEAR(w.Inversa(w.Distribucion(x)), x, 1e-12);
        // The density integrates to the distribution.
        double integral = 0;
        bool convergio;
        IntegrarRomberg([&](double t) { return w.Densidad(t); }, 0, x, 1e-10, integral, convergio);
        EXPECT_NEAR(integral, w.Distribucion(x), 1e-8);
    }
    EXPECT_EQ(w.Inversa(0), 0.0);
    EXPECT_THROW(w.Inversa(1.0), EMathError);
    EXPECT_THROW(w.Inversa(std::nan("")), EMathError);
}

TEST(Tf_ddp_Weibull, AjusteDeMuestrasSorteadasDeUnaWeibull) {
    Tf_ddp_Weibull origen(2.0, 8.0, 8000.0, nullptr, 17);
    TVectR muestras(5000);
    for (int i = 1; i <= muestras.n; ++i) muestras.pv[i] = origen.Sortear();
    muestras.Ordenar(true);
    auto w = Tf_ddp_Weibull::Create_vmuetras(muestras, nullptr, 1);
    EXPECT_NEAR(w->k, 2.0, 0.1);
    EXPECT_NEAR(w->lambda, 8.0, 0.2);
}

TEST(Tf_ddp_Weibull, MuestrasIgualesOMenosDeDosDanElSistemaSingular) {
    EsperarMensajeSingular(Vector({3, 3, 3}));
    EsperarMensajeSingular(Vector({0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1}));
    EsperarMensajeSingular(Vector({3}));
    EsperarMensajeSingular(TVectR());
}

TEST(Tf_ddp_Weibull, MuestrasNoPositivasLanzanEnVezDeDarNaN) {
    EXPECT_THROW(Tf_ddp_Weibull::Create_vmuetras(Vector({0, 1, 2}), nullptr, 1), EErrorQuendal);
    EXPECT_THROW(Tf_ddp_Weibull::Create_vmuetras(Vector({-1, 1, 2}), nullptr, 1), EErrorQuendal);
    EXPECT_THROW(Tf_ddp_Weibull::Create_vmuetras(Vector({1, std::nan(""), 2}), nullptr, 1), EErrorQuendal);
}
