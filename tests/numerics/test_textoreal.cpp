#include "numerics/textoreal.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <iomanip>
#include <limits>
#include <random>
#include <string>

#include "numerics/errores.h"
#include "numerics/formatsettings.h"
#include "expansion_exacta.h"

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// ---- Default real form ----

struct CasoTextoDefecto {
    double x;
    const char* texto;
};

class TextoDefecto : public ::testing::TestWithParam<CasoTextoDefecto> {};

TEST_P(TextoDefecto, EscribeLos24CaracteresExactos) {
    const auto& caso = GetParam();
    EXPECT_EQ(RealATextoDefecto(caso.x), caso.texto);
}

TEST_P(TextoDefecto, SeLeeDeVuelta) {
    const auto& caso = GetParam();
    double leido = 0;
    ASSERT_TRUE(TextoDefectoAReal(caso.texto, leido));
    if (std::isnan(caso.x))
        EXPECT_TRUE(std::isnan(leido));
    else
        EXPECT_EQ(leido, caso.x);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, TextoDefecto,
    ::testing::Values(CasoTextoDefecto{1.0, " 1.0000000000000000E+000"},
                      CasoTextoDefecto{-2.5, "-2.5000000000000000E+000"},
                      CasoTextoDefecto{0.0, " 0.0000000000000000E+000"},
                      CasoTextoDefecto{-0.0, " 0.0000000000000000E+000"},
                      CasoTextoDefecto{1e-300, " 1.0000000000000000E-300"},
                      CasoTextoDefecto{4.9e-324, " 4.9406564584124654E-324"},
                      CasoTextoDefecto{1.797e308, " 1.7970000000000000E+308"},
                      CasoTextoDefecto{0.1, " 1.0000000000000001E-001"},
                      CasoTextoDefecto{-123456.789, "-1.2345678900000000E+005"},
                      CasoTextoDefecto{kNan, "                     Nan"},
                      CasoTextoDefecto{kInf, "                    +Inf"},
                      CasoTextoDefecto{-kInf, "                    -Inf"}));

// Random bit patterns cover every exponent and subnormals; 17 significant
// digits must bring back the same double, bit for bit.
TEST(TextoDefectoIdaYVuelta, UnMillonDeRealesAleatorios) {
    std::mt19937_64 generador(20240611);
    int probados = 0;
    while (probados < 1'000'000) {
        const double x = std::bit_cast<double>(generador());
        if (!std::isfinite(x)) continue;
        const std::string texto = RealATextoDefecto(x);
        ASSERT_EQ(texto.size(), 24u) << texto;
        double leido = 0;
        ASSERT_TRUE(TextoDefectoAReal(texto, leido)) << texto;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(leido), std::bit_cast<std::uint64_t>(x == 0 ? 0.0 : x)) << texto;
        ++probados;
    }
}

// ---- Reading plain real tokens ----

struct CasoToken {
    const char* token;
    bool valido;
    double valor;
};

class LecturaToken : public ::testing::TestWithParam<CasoToken> {};

TEST_P(LecturaToken, AceptaSoloRealesCompletos) {
    const auto& caso = GetParam();
    double x = -7;
    ASSERT_EQ(TextoDefectoAReal(caso.token, x), caso.valido) << caso.token;
    if (caso.valido) {
        EXPECT_EQ(x, caso.valor) << caso.token;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Casos, LecturaToken,
    ::testing::Values(CasoToken{"1", true, 1}, CasoToken{"-1", true, -1}, CasoToken{"+1.5", true, 1.5},
                      CasoToken{".5", true, 0.5}, CasoToken{"5.", true, 5}, CasoToken{"1e5", true, 1e5},
                      CasoToken{"2.5E+003", true, 2500}, CasoToken{"-4e-2", true, -0.04},
                      CasoToken{"007", true, 7}, CasoToken{"   3", true, 3},
                      CasoToken{"1.7976931348623157E+308", true, 1.7976931348623157e308},
                      // Underflow reads as zero; overflow fails.
                      CasoToken{"1e-400", true, 0}, CasoToken{"-1E-9999999999999999", true, 0},
                      CasoToken{"0.0000001e-320", true, 0}, CasoToken{"1e309", false, 0},
                      CasoToken{"-1000000e303", false, 0}, CasoToken{"1e99999999999999999", false, 0},
                      // Malformed tokens.
                      CasoToken{"", false, 0}, CasoToken{" ", false, 0}, CasoToken{".", false, 0},
                      CasoToken{"-", false, 0}, CasoToken{"+", false, 0}, CasoToken{"e5", false, 0},
                      CasoToken{"1e", false, 0}, CasoToken{"1e+", false, 0}, CasoToken{"1.5x", false, 0},
                      CasoToken{"1..2", false, 0}, CasoToken{"1,5", false, 0}, CasoToken{"--1", false, 0},
                      CasoToken{"+-1", false, 0}, CasoToken{"1 ", false, 0}, CasoToken{"0x10", false, 0},
                      CasoToken{"infinity", false, 0}, CasoToken{"nan(1)", false, 0},
                      CasoToken{"-Nan", false, 0}));

TEST(LecturaToken, FormasEspeciales) {
    double x = 0;
    ASSERT_TRUE(TextoDefectoAReal("Nan", x));
    EXPECT_TRUE(std::isnan(x));
    ASSERT_TRUE(TextoDefectoAReal("Inf", x));
    EXPECT_EQ(x, kInf);
    ASSERT_TRUE(TextoDefectoAReal("+Inf", x));
    EXPECT_EQ(x, kInf);
    ASSERT_TRUE(TextoDefectoAReal("-Inf", x));
    EXPECT_EQ(x, -kInf);
}

TEST(LecturaToken, SubnormalMinimo) {
    double x = 0;
    ASSERT_TRUE(TextoDefectoAReal("4.9406564584124654E-324", x));
    EXPECT_EQ(x, std::numeric_limits<double>::denorm_min());
}

// ---- Integers ----

struct CasoEntero {
    const char* texto;
    bool valido;
    int valor;
};

class LecturaEntero : public ::testing::TestWithParam<CasoEntero> {};

TEST_P(LecturaEntero, EnteroDecimalDe32Bits) {
    const auto& caso = GetParam();
    if (caso.valido) {
        EXPECT_EQ(TextoAEntero(caso.texto), caso.valor);
    } else {
        EXPECT_THROW(TextoAEntero(caso.texto), EConvertError) << caso.texto;
    }
}

INSTANTIATE_TEST_SUITE_P(Casos, LecturaEntero,
                         ::testing::Values(CasoEntero{"0", true, 0}, CasoEntero{"-12", true, -12},
                                           CasoEntero{"+7", true, 7}, CasoEntero{"0042", true, 42},
                                           CasoEntero{"2147483647", true, 2147483647},
                                           CasoEntero{"-2147483648", true, -2147483647 - 1},
                                           CasoEntero{"2147483648", false, 0}, CasoEntero{"", false, 0},
                                           CasoEntero{"-", false, 0}, CasoEntero{"+-1", false, 0},
                                           CasoEntero{"1.0", false, 0}, CasoEntero{" 1", false, 0},
                                           CasoEntero{"1 ", false, 0}, CasoEntero{"1e3", false, 0},
                                           CasoEntero{"abc", false, 0}));

TEST(LecturaEntero, MensajeDeError) {
    try {
        TextoAEntero("12a");
        FAIL() << "no lanzó";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "\"12a\" no es un valor entero válido");
    }
}

// ---- General form ----

struct CasoGeneral {
    double x;
    int digitos;
    const char* texto;
};

class FormaGeneral : public ::testing::TestWithParam<CasoGeneral> {};

TEST_P(FormaGeneral, ConPuntoDecimal) {
    const auto& caso = GetParam();
    EXPECT_EQ(FormatoGeneral(caso.x, caso.digitos, '.'), caso.texto);
}

INSTANTIATE_TEST_SUITE_P(
    TresCifras, FormaGeneral,
    ::testing::Values(CasoGeneral{12.3, 3, "12.3"}, CasoGeneral{0.5, 3, "0.5"}, CasoGeneral{100, 3, "100"},
                      CasoGeneral{0.0000123, 3, "0.0000123"}, CasoGeneral{1230, 3, "1.23E3"},
                      CasoGeneral{1000, 3, "1E3"}, CasoGeneral{0.000002, 3, "2E-6"},
                      CasoGeneral{-4.56e-7, 3, "-4.56E-7"}, CasoGeneral{999.5, 3, "1E3"},
                      CasoGeneral{0.000012345, 3, "0.0000123"}, CasoGeneral{2.345678, 3, "2.35"},
                      CasoGeneral{0, 3, "0"}, CasoGeneral{-0.0, 3, "0"}, CasoGeneral{4.5, 3, "4.5"},
                      CasoGeneral{99.96, 3, "100"}, CasoGeneral{-1, 3, "-1"}, CasoGeneral{0.00001, 3, "0.00001"},
                      CasoGeneral{9.999e-6, 3, "0.00001"}, CasoGeneral{1e100, 3, "1E100"}));

INSTANTIATE_TEST_SUITE_P(
    QuinceCifras, FormaGeneral,
    ::testing::Values(CasoGeneral{0.1, 15, "0.1"}, CasoGeneral{0.1 + 0.2, 15, "0.3"},
                      CasoGeneral{1.0 / 3.0, 15, "0.333333333333333"},
                      CasoGeneral{2.0 / 3.0, 15, "0.666666666666667"}, CasoGeneral{-1.5, 15, "-1.5"},
                      CasoGeneral{123456789012345.0, 15, "123456789012345"},
                      CasoGeneral{1234567890123456.0, 15, "1.23456789012346E15"},
                      CasoGeneral{1e-5, 15, "0.00001"}, CasoGeneral{1e-6, 15, "1E-6"},
                      CasoGeneral{3.14159265358979, 15, "3.14159265358979"},
                      CasoGeneral{4.9406564584124654e-324, 15, "4.94065645841247E-324"},
                      CasoGeneral{1.7976931348623157e308, 15, "1.79769313486232E308"}));

// A value exactly halfway between two texts of the asked digits goes away
// from zero; the half is judged on the exact binary value.
INSTANTIATE_TEST_SUITE_P(
    MitadesExactas, FormaGeneral,
    ::testing::Values(CasoGeneral{1234.5, 4, "1235"}, CasoGeneral{-1234.5, 4, "-1235"},
                      CasoGeneral{0.125, 2, "0.13"}, CasoGeneral{100.5, 3, "101"}, CasoGeneral{12.25, 3, "12.3"},
                      CasoGeneral{1.125, 3, "1.13"}, CasoGeneral{2.5, 1, "3"}, CasoGeneral{0.25, 1, "0.3"},
                      CasoGeneral{250, 1, "3E2"}, CasoGeneral{99.5, 2, "1E2"}, CasoGeneral{0.5, 1, "0.5"},
                      CasoGeneral{3.125, 3, "3.13"},
                      // A half in the 17th digit, where one step of the double is larger than the half.
                      CasoGeneral{2251799813685247.75, 17, "2251799813685247.8"},
                      // Not halves in binary: 0.15 and 2.675 lie just below, 0.35000000000000003 above.
                      CasoGeneral{0.15, 1, "0.1"}, CasoGeneral{2.675, 3, "2.67"},
                      CasoGeneral{0.35000000000000003, 1, "0.4"}, CasoGeneral{0.45, 1, "0.5"}));

int CifrasDeLaExpansionExacta(double x) {
    int exponente = 0;
    const std::string todas = ExpansionExacta(x, exponente);
    return static_cast<int>(todas.find_last_not_of('0')) + 1;
}

// Independent of the code under test: the exact expansion rounded to
// `digitos` digits by its first discarded digit, a half going up. Tells
// whether x was a half there.
bool RedondeoDeLaExpansionExacta(double x, int digitos, std::string& cifras, int& exponente) {
    const std::string todas = ExpansionExacta(x, exponente);
    const std::size_t primeraDescartada = static_cast<std::size_t>(digitos);
    const bool mitad = todas[primeraDescartada] == '5' &&
                       todas.find_first_not_of('0', primeraDescartada + 1) == std::string::npos;
    cifras = todas.substr(0, primeraDescartada);
    if (todas[primeraDescartada] < '5') return mitad;
    std::size_t i = cifras.size();
    while (i > 0 && cifras[i - 1] == '9') cifras[--i] = '0';
    if (i > 0) {
        ++cifras[i - 1];
    } else {
        cifras = "1" + cifras.substr(0, cifras.size() - 1);
        ++exponente;
    }
    return mitad;
}

// Random doubles of every magnitude, and values built to be exact halves
// (an odd number of halves, quarters, ... of a power of two), at every digit
// count, against the exact expansion.
TEST(CifrasSignificativas, CoincidenConLaExpansionExactaRedondeadaConMitadesHaciaAfuera) {
    std::mt19937_64 generador(20250101);
    std::uniform_int_distribution<int> cifrasAlAzar(1, 17);
    std::uniform_int_distribution<int64_t> enteroAlAzar(1, int64_t{1} << 40);
    std::uniform_int_distribution<int> potenciaAlAzar(-12, 12);
    int probados = 0;
    int mitades = 0;
    while (probados < 200'000) {
        double x = 0;
        if (probados % 2 == 0) {
            x = std::bit_cast<double>(generador());
        } else {
            x = std::ldexp(static_cast<double>(2 * enteroAlAzar(generador) + 1), potenciaAlAzar(generador));
        }
        if (!std::isfinite(x) || x == 0) continue;
        int digitos = cifrasAlAzar(generador);
        // A built value is a half when rounded to one digit fewer than it has.
        const int suyas = CifrasDeLaExpansionExacta(x);
        if (probados % 2 == 1 && suyas >= 2 && suyas <= 18) digitos = suyas - 1;
        std::string esperadas, obtenidas;
        int exponenteEsperado = 0, exponenteObtenido = 0;
        if (RedondeoDeLaExpansionExacta(x, digitos, esperadas, exponenteEsperado)) ++mitades;
        CifrasSignificativas(x, digitos, obtenidas, exponenteObtenido);
        ASSERT_EQ(obtenidas, esperadas) << x << " a " << digitos << " cifras";
        ASSERT_EQ(exponenteObtenido, exponenteEsperado) << x << " a " << digitos << " cifras";
        ++probados;
    }
    EXPECT_GT(mitades, 20'000);  // the halves were really met
}

TEST(FormaGeneral, NoFinitos) {
    EXPECT_EQ(FormatoGeneral(kNan, 3, '.'), "Nan");
    EXPECT_EQ(FormatoGeneral(kInf, 15, '.'), "+Inf");
    EXPECT_EQ(FormatoGeneral(-kInf, 15, '.'), "-Inf");
}

// The separator in force is restored whatever the test does.
class SeparadorEnVigor : public ::testing::Test {
protected:
    void SetUp() override { AjustesFormato().DecimalSeparator = ','; }
    void TearDown() override { AjustesFormato() = guardados_; }

private:
    FormatSettings guardados_ = AjustesFormato();
};

TEST_F(SeparadorEnVigor, UsaElSeparadorDelUsuario) {
    EXPECT_EQ(FormatoGeneral(4.5, 3), "4,5");
    EXPECT_EQ(FormatoGeneral(-4.56e-7, 3), "-4,56E-7");
    EXPECT_EQ(FormatoGeneral(1.0 / 3.0, 15), "0,333333333333333");
    EXPECT_EQ(FormatoGeneral(100, 3), "100");
    // The default form ignores it.
    EXPECT_EQ(RealATextoDefecto(4.5), " 4.5000000000000000E+000");
}

TEST(FormaGeneral, SeparadorExplicito) {
    EXPECT_EQ(FormatoGeneral(0.0000123, 3, ','), "0,0000123");
    EXPECT_EQ(FormatoGeneral(1230, 3, ','), "1,23E3");
}

// ---- Fixed form ----

struct CasoFijo {
    double x;
    int decimales;
    int ancho;
    char separador;
    const char* texto;
};

class FormaFija : public ::testing::TestWithParam<CasoFijo> {};

TEST_P(FormaFija, AlineadaALaDerecha) {
    const auto& c = GetParam();
    EXPECT_EQ(FormatoFijo(c.x, c.decimales, c.ancho, c.separador), c.texto);
}

INSTANTIATE_TEST_SUITE_P(Casos, FormaFija,
                         ::testing::Values(CasoFijo{3.14159, 4, 12, '.', "      3.1416"},
                                           CasoFijo{2.5, 3, 0, '.', "2.500"}, CasoFijo{-1, 0, 0, '.', "-1"},
                                           CasoFijo{1234.5, 1, 3, '.', "1234.5"},
                                           CasoFijo{-0.0, 2, 6, '.', "  0.00"},
                                           CasoFijo{0.126, 2, 0, ',', "0,13"},
                                           CasoFijo{1e20, 0, 0, '.', "100000000000000000000"},
                                           CasoFijo{kNan, 3, 6, '.', "   Nan"},
                                           CasoFijo{-kInf, 3, 0, '.', "-Inf"}));

// One rule for the fixed form: the exact binary value, a half away from zero.
INSTANTIATE_TEST_SUITE_P(
    MitadesHaciaAfuera, FormaFija,
    ::testing::Values(CasoFijo{0.125, 2, 0, '.', "0.13"}, CasoFijo{-0.125, 2, 0, '.', "-0.13"},
                      CasoFijo{2.5, 0, 0, '.', "3"}, CasoFijo{-2.5, 0, 0, '.', "-3"}, CasoFijo{0.5, 0, 0, '.', "1"},
                      CasoFijo{9.5, 0, 0, '.', "10"}, CasoFijo{0.375, 2, 6, ',', "  0,38"},
                      CasoFijo{99.9375, 3, 0, '.', "99.938"}, CasoFijo{1e20 + 65536, 0, 0, '.', "100000000000000065536"},
                      // Not halves in binary: held just below, or just above.
                      CasoFijo{0.145, 2, 0, '.', "0.14"}, CasoFijo{1.0005, 3, 0, '.', "1.000"},
                      CasoFijo{2.675, 2, 0, '.', "2.67"}, CasoFijo{0.35000000000000003, 1, 0, '.', "0.4"},
                      CasoFijo{-0.001, 2, 0, '.', "-0.00"}));

// Exact halves at every decimal place (an odd multiple of 2^-(d+1)), their
// neighbours, and doubles of every size.
TEST(FormaFija, CoincideConLaExpansionExactaRedondeadaConMitadesHaciaAfuera) {
    std::mt19937_64 generador(20261211);
    std::uniform_int_distribution<int> decimalesAlAzar(0, 20), corrimiento(-2, 2);
    std::uniform_int_distribution<int64_t> imparAlAzar(0, int64_t{1} << 40);
    for (int k = 0; k < 100'000; ++k) {
        const int decimales = decimalesAlAzar(generador);
        double x = 0;
        if (k % 2 == 0) {
            x = std::ldexp(static_cast<double>(2 * imparAlAzar(generador) + 1), -decimales - 1);
            const int paso = corrimiento(generador);
            for (int i = 0; i < std::abs(paso); ++i) x = std::nextafter(x, paso > 0 ? HUGE_VAL : 0.0);
            if (k % 4 == 0) x = -x;
        } else {
            x = std::bit_cast<double>(generador());
            if (!std::isfinite(x) || std::fabs(x) > 1e30) continue;
        }
        if (x == 0) continue;
        ASSERT_EQ(FormatoFijo(x, decimales), (x < 0 ? "-" : "") + FijoDeLaExpansionExacta(x, decimales))
            << std::setprecision(17) << x << " a " << decimales << " decimales";
    }
}

}  // namespace
