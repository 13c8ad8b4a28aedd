// Colour scale from 4 to 10: the ramp's pure colours and the warped quarter
// points, values out of range and NaN, and an empty range.
#include "charts/uescalacolores.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

struct CasoColor {
    double v;
    int r, g, b;
};

class EscalaDeColor : public ::testing::TestWithParam<CasoColor> {};

TEST_P(EscalaDeColor, DaElColorDeLaTabla) {
    const CasoColor& c = GetParam();
    const TEscalaColor escala = TEscalaColor::Create(4, 10);
    EXPECT_EQ(escala.ColorDeValor(c.v), TColor::RGB(c.r, c.g, c.b)) << c.v;
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, EscalaDeColor,
    ::testing::Values(CasoColor{4, 0, 0, 255}, CasoColor{-100, 0, 0, 255}, CasoColor{4.75, 0, 182, 255},
                      CasoColor{5.5, 0, 255, 255}, CasoColor{6.25, 0, 255, 182}, CasoColor{7, 0, 255, 0},
                      CasoColor{7.75, 182, 255, 0}, CasoColor{8.5, 255, 255, 0}, CasoColor{9.25, 255, 182, 0},
                      CasoColor{10, 255, 0, 0}, CasoColor{1e9, 255, 0, 0},
                      CasoColor{std::numeric_limits<double>::quiet_NaN(), 0, 0, 255}));

TEST(EscalaDeColor, RangoVacioUsaUno) {
    const TEscalaColor escala = TEscalaColor::Create(3, 3);
    EXPECT_DOUBLE_EQ(escala.Rango(), 1);
    EXPECT_DOUBLE_EQ(escala.Normalizar(3.5), 0.5);
    EXPECT_EQ(escala.ColorDeValor(3.5), TColor::RGB(0, 255, 0));
    EXPECT_EQ(escala.ColorDeValor(4), TColor::RGB(255, 0, 0));
}

TEST(EscalaDeColor, LaRampaEsContinua) {
    // Neighbouring values never jump by more than a few steps of a component.
    const TEscalaColor escala = TEscalaColor::Create(0, 1);
    TColor anterior = escala.ColorDeValor(0);
    for (int i = 1; i <= 1000; ++i) {
        const TColor c = escala.ColorDeValor(i / 1000.0);
        EXPECT_LE(std::abs(c.R() - anterior.R()) + std::abs(c.G() - anterior.G()) + std::abs(c.B() - anterior.B()), 12)
            << i;
        anterior = c;
    }
}

}  // namespace
