#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "numerics/errores.h"
#include "numerics/xmatdefs.h"

TEST(UmbralCero, EsElEpsilonDeMaquina) {
    EXPECT_EQ(UmbralCero, std::ldexp(1.0, -52));
    EXPECT_EQ(UmbralCero, std::numeric_limits<double>::epsilon());
    EXPECT_EQ(DosPi, 6.283185307179586);
}

TEST(EsCero, UmbralAbsoluto) {
    EXPECT_TRUE(EsCero(std::ldexp(1.0, -53)));
    EXPECT_FALSE(EsCero(UmbralCero));
    EXPECT_TRUE(EsCero(1e-300));
    EXPECT_TRUE(EsCero(-1e-300));
    EXPECT_FALSE(EsCero(1e-15));
    EXPECT_FALSE(EsCero(std::nan("")));
}

TEST(Arreglos, MinimoYMaximoConNaN) {
    const double nan = std::nan("");
    EXPECT_EQ(MinimoArreglo({3, nan, 1}), 1);
    EXPECT_TRUE(std::isnan(MinimoArreglo({nan, 1, 2})));
    EXPECT_EQ(MaximoArreglo({3, nan, 7}), 7);
    EXPECT_EQ(SumaArreglo({}), 0);
    EXPECT_EQ(PromedioArreglo({1, 2, 6}), 3);
}

TEST(Arreglos, VaciosLanzanEnLugarDeLeerElCero) {
    EXPECT_THROW(MinimoArreglo({}), EErrorQuendal);
    EXPECT_THROW(MaximoArreglo({}), EErrorQuendal);
    EXPECT_THROW(PromedioArreglo({}), EErrorQuendal);
}

TEST(Arreglos, LlenarYCeros) {
    TDAOfBoolean b(5, 0);
    LlenarArregloBool(b, true);
    ASSERT_EQ(b.size(), 5u);
    for (auto x : b) EXPECT_EQ(x, 1);
    TDAofNReal a{1, 2}, c{3};
    IntercambiarArreglos(a, c);
    EXPECT_EQ(a, TDAofNReal{3});
    CerosArreglo(c);
    EXPECT_EQ(c, (TDAofNReal{0, 0}));
    EXPECT_EQ(BoolAEntero(true), 1);
}
