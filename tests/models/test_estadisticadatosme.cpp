// The statistics of an empirical model's data as the models tab shows them,
// on hand-made statistics and bin counts.
#include "models/uestadisticadatosme.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "models/uparques_modeloempirico.h"
#include "models/uparques_modeloteorico.h"
#include "models/uplantasintetica.h"
#include "numerics/archivotexto.h"
#include "test_calibrador_apoyo.h"

namespace {

// The hand-made block (72 sectors 5° apart, 10 bins, no samples) with
// counts in two sectors only: 30 at 0° and 10.7 (10 whole samples) at 5°.
class EstadisticaDatosME : public ::testing::Test {
protected:
    void SetUp() override {
        TEscritorTexto f = TEscritorTexto::EnMemoria();
        apoyo_calibrador::EscribirBloqueEmpiricoDeMano(f);
        TLectorTexto lector = TLectorTexto::DesdeTexto(f.Contenido(), "bloque");
        modelo_ = TParque_ModeloEmpirico::Create_LeerDeTexto(lector, *parque_);
        modelo_->cntTramos.FijarElemento(1, 1, 30);
        modelo_->cntTramos.FijarElemento(2, 4, 10.7);
    }

    // A Weibull of shape 2 and scale 8 m/s, and ranges that test the rounding.
    static TEstadisticasModeloEmpirico EstadisticasDeMano() {
        TEstadisticasModeloEmpirico e;
        e.distribucionVelocidad = std::make_unique<Tf_ddp_Weibull>(2, 8, 100, nullptr, 1);
        e.velocidad = {0.123449, 24.87655};   // 4 decimals
        e.potencia = {-0.00004, 23.99996};    // 4 decimals: -0 and 24
        e.presion = {1012.1234565, 1013.25};  // 6 decimals
        e.humedad = {0.0625, 0.1875};         // 3 decimals, exact ties: to even
        e.disponibilidad = {0.5, 1};
        e.temperatura = {-3.14159, 31.0006};
        e.consigna = {0, 24};
        return e;
    }

    std::unique_ptr<TParque_ModeloTeorico> parque_ = CrearParqueSintetico(3);
    std::unique_ptr<TParque_ModeloEmpirico> modelo_;
};

TEST_F(EstadisticaDatosME, DensidadWeibullDe0A25) {
    const TEstadisticaDatosME r = CalcularEstadisticaDatosME(EstadisticasDeMano(), *modelo_);
    ASSERT_EQ(r.velocidades.n, 26);
    ASSERT_EQ(r.densidadVelocidad.n, 26);
    for (int32_t i = 1; i <= 26; ++i) {
        const double x = i - 1;
        EXPECT_EQ(r.velocidades.pv[i], x);
        // (k/λ)(x/λ)^(k−1)·e^(−(x/λ)^k) with k = 2, λ = 8.
        const double esperada = x / 32 * std::exp(-x * x / 64);
        EXPECT_NEAR(r.densidadVelocidad.pv[i], esperada, 1e-15) << x;
    }
    EXPECT_EQ(r.densidadVelocidad.pv[1], 0);
    EXPECT_DOUBLE_EQ(r.densidadVelocidad.pv[9], 0.25 / std::exp(1.0));  // at the scale, 8 m/s
}

TEST_F(EstadisticaDatosME, FrecuenciaDeCadaGradoPorLasCuentasDeSusSectores) {
    const TEstadisticaDatosME r = CalcularEstadisticaDatosME(EstadisticasDeMano(), *modelo_);
    ASSERT_EQ(r.direcciones.n, 360);
    ASSERT_EQ(r.frecuenciaDireccion.n, 360);
    for (int32_t i = 1; i <= 360; ++i) EXPECT_EQ(r.direcciones.pv[i], i - 1);
    // 40 whole samples: 30 in the sector at 0°, 10 in the one at 5°; between
    // centres the two sectors share by distance.
    EXPECT_DOUBLE_EQ(r.frecuenciaDireccion.pv[1], 30.0 / 40);              // 0°
    EXPECT_DOUBLE_EQ(r.frecuenciaDireccion.pv[3], (0.6 * 30 + 0.4 * 10) / 40);  // 2°
    EXPECT_DOUBLE_EQ(r.frecuenciaDireccion.pv[6], 10.0 / 40);              // 5°
    EXPECT_DOUBLE_EQ(r.frecuenciaDireccion.pv[9], 0.4 * 10 / 40);          // 8°
    EXPECT_EQ(r.frecuenciaDireccion.pv[181], 0);                           // 180°
    EXPECT_NEAR(r.frecuenciaDireccion.pv[360], 0.8 * 30 / 40, 1e-12);      // 359°, next to 0°
}

TEST_F(EstadisticaDatosME, RangosConSusEtiquetasYDecimales) {
    const TEstadisticaDatosME r = CalcularEstadisticaDatosME(EstadisticasDeMano(), *modelo_);
    struct TFilaEsperada {
        const char* etiqueta;
        double minimo, maximo;
    };
    const TFilaEsperada esperadas[] = {
        {"Velocidad [m/s]", 0.1234, 24.8766}, {"Potencia [MW]", 0, 24},
        {"Presión [hPa]", 1012.123456, 1013.25}, {"Hum. Relativa [%]", 0.062, 0.188},
        {"Disponibilidad [p.u.]", 0.5, 1},     {"Temperatura [ºC]", -3.142, 31.001},
        {"CGM [MW]", 0, 24}};
    ASSERT_EQ(r.rangos.size(), std::size(esperadas));
    for (std::size_t f = 0; f < r.rangos.size(); ++f) {
        SCOPED_TRACE(esperadas[f].etiqueta);
        EXPECT_EQ(r.rangos[f].etiqueta, esperadas[f].etiqueta);
        EXPECT_DOUBLE_EQ(r.rangos[f].minimo, esperadas[f].minimo);
        EXPECT_DOUBLE_EQ(r.rangos[f].maximo, esperadas[f].maximo);
    }
    // Exact halves go to the even neighbour.
    EXPECT_EQ(r.rangos[3].minimo, 0.062);
    EXPECT_EQ(r.rangos[3].maximo, 0.188);
}

TEST_F(EstadisticaDatosME, SinMuestrasNoHayEstadistica) {
    EXPECT_FALSE(CalcularEstadisticaDatosME(*modelo_).has_value());
}

}  // namespace
