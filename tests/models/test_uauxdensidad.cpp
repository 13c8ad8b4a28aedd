#include <gtest/gtest.h>

#include "models/uauxdensidad.h"
#include "numerics/fechas.h"

TEST(DensidadAire, ValoresDeReferencia) {
    EXPECT_DOUBLE_EQ(DensidadAire(15, 1013.25, 0), 1.2253517490283177);
    EXPECT_DOUBLE_EQ(DensidadAire(15, 1013.25, 50), 1.2214527038334355);
}

TEST(DensidadAire, FueraDeLaBandaDa118) {
    EXPECT_EQ(DensidadAire(-10, 1050, 50), 1.18);
    EXPECT_EQ(DensidadAire(30, 900, 100), 1.18);
}

TEST(DensidadAire, ElBordeSuperiorDeLaBandaSeConserva) {
    // This pressure at 0 °C and dry air gives exactly 1.3, the band's upper
    // edge, which is still inside the band.
    EXPECT_EQ(DensidadAire(0, 1019.0197428833794, 0), 1.3);
}

TEST(PotenciaDelViento, IdaYVuelta) {
    EXPECT_DOUBLE_EQ(PotenciaDelViento(10, 1.225), 0.0006125);
    EXPECT_NEAR(VientoDePotencia(0.0006125, 1.225), 10, 1e-12);
    EXPECT_EQ(VientoDePotencia(0, 1.225), 0);
    EXPECT_LT(PotenciaDelViento(-2, 1.225), 0);
    EXPECT_DOUBLE_EQ(RelacionDensidad(1.225), 1);
    EXPECT_DOUBLE_EQ(FactorDensidad(2.45), 2);
}

TEST(FechaCompacta, Ejemplos) {
    EXPECT_EQ(FechaCompacta(EncodeDateTime(2019, 3, 5, 0, 0, 0, 0)), "20190305");
    EXPECT_EQ(FechaCompacta(EncodeDateTime(2019, 3, 5, 6, 30, 0, 0)), "201903050630");
    EXPECT_EQ(FechaCompacta(EncodeDateTime(2020, 1, 1, 23, 5, 0, 0)), "202001012305");
    EXPECT_EQ(FechaCompacta(EncodeDateTime(2020, 1, 1, 0, 0, 59, 0)), "20200101");
}

TEST(FechaCompacta, LosCientoCuarentaYCuatroInstantesDeUnDia) {
    const TDateTime t1 = EncodeDate(2021, 7, 14);
    for (int k = 0; k < 144; ++k) {
        const int minutos = k * 10;
        const std::string esperado =
            k == 0 ? "20210714"
                   : "20210714" + DosDigitos(std::to_string(minutos / 60), '0') +
                         DosDigitos(std::to_string(minutos % 60), '0');
        EXPECT_EQ(FechaCompacta(t1 + k / 144.0), esperado) << "k = " << k;
    }
}

TEST(RellenarIzquierda, NuncaCorta) {
    EXPECT_EQ(DosDigitos("7", '0'), "07");
    EXPECT_EQ(DosDigitos("123", '0'), "123");
    EXPECT_EQ(RellenarIzquierda("ab", 5, '*'), "***ab");
}

TEST(Norma2D, TrianguloRectangulo) { EXPECT_DOUBLE_EQ(Norma2D({3, 4}), 5); }
