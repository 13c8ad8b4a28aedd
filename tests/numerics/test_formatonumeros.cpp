// Explicitly formatted numbers: the five float kinds with their precision and
// digits, patterns, and integer rounding, with the separators in force or
// given.
#include "numerics/formatonumeros.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <iomanip>
#include <limits>
#include <random>
#include <string>

#include "numerics/formatsettings.h"
#include "expansion_exacta.h"

namespace {

FormatSettings AjustesConComa() {
    FormatSettings a;
    a.DecimalSeparator = ',';
    a.ThousandSeparator = '.';
    return a;
}

struct CasoFloat {
    double x;
    int formato, precision, digitos;
    const char* punto;  // with '.' and ','
    const char* coma;   // with ',' and '.'
};

class FloatToStrFCaso : public ::testing::TestWithParam<CasoFloat> {};

TEST_P(FloatToStrFCaso, EscribeElTextoEsperado) {
    const CasoFloat& c = GetParam();
    EXPECT_EQ(FloatToStrF(c.x, c.formato, c.precision, c.digitos, FormatSettings{}), c.punto);
    EXPECT_EQ(FloatToStrF(c.x, c.formato, c.precision, c.digitos, AjustesConComa()), c.coma);
}

INSTANTIATE_TEST_SUITE_P(
    Formatos, FloatToStrFCaso,
    ::testing::Values(
        CasoFloat{12.5, FR_Fijo, 12, 2, "12.50", "12,50"},
        CasoFloat{0, FR_Fijo, 12, 2, "0.00", "0,00"},
        CasoFloat{-0.001, FR_Fijo, 12, 2, "0.00", "0,00"},   // no sign on a rounded zero
        CasoFloat{0.125, FR_Fijo, 12, 2, "0.13", "0,13"},    // halves of the digits away from zero
        CasoFloat{-2.675, FR_Fijo, 15, 2, "-2.67", "-2,67"},  // held just above -2.675
        CasoFloat{99.996, FR_Fijo, 12, 2, "100.00", "100,00"},
        CasoFloat{1234.5678, FR_Fijo, 3, 2, "1.23E3", "1,23E3"},  // more integer digits than precision
        CasoFloat{1234.5678, FR_Fijo, 6, 0, "1235", "1235"},
        CasoFloat{1234567.891, FR_Numero, 15, 2, "1,234,567.89", "1.234.567,89"},
        CasoFloat{-999.5, FR_Numero, 15, 0, "-1,000", "-1.000"},
        CasoFloat{1234.5, FR_Moneda, 15, 1, "1,234.5", "1.234,5"},
        CasoFloat{1234.5, FR_Exponente, 4, 2, "1.235E+03", "1,235E+03"},
        CasoFloat{-0.00012, FR_Exponente, 3, 0, "-1.20E-4", "-1,20E-4"},
        CasoFloat{0, FR_Exponente, 2, 2, "0.0E+00", "0,0E+00"},
        CasoFloat{0.1, FR_General, 12, 2, "0.1", "0,1"},
        // Exact halves go away from zero in the general kind as in the others.
        CasoFloat{1234.5, FR_General, 4, 0, "1235", "1235"},
        CasoFloat{1234.5, FR_Fijo, 4, 0, "1235", "1235"},
        CasoFloat{0.125, FR_General, 2, 0, "0.13", "0,13"},
        CasoFloat{100.5, FR_General, 3, 0, "101", "101"},
        CasoFloat{-100.5, FR_General, 3, 0, "-101", "-101"},
        // The rounding to significant digits judges the exact binary value:
        // these lie just below and just above a half at the 15th digit.
        CasoFloat{5.808558537447885, FR_Fijo, 15, 14, "5.80855853744788", "5,80855853744788"},
        CasoFloat{903.097974885741, FR_Fijo, 15, 12, "903.097974885741", "903,097974885741"},
        CasoFloat{1e20, FR_General, 12, 2, "1E20", "1E20"},
        CasoFloat{2.5, 99, 12, 2, "2.5", "2,5"}));  // an unknown kind is general

// The fixed kinds round once, on the exact value, at the tighter of the
// precision and the decimals; only an exact binary half goes away from zero.
INSTANTIATE_TEST_SUITE_P(
    UnSoloRedondeo, FloatToStrFCaso,
    ::testing::Values(
        CasoFloat{7.649996, FR_Fijo, 6, 1, "7.6", "7,6"},    // not 7.65000 and then 7.7
        CasoFloat{1.0005, FR_Fijo, 15, 3, "1.000", "1,000"},  // 1.000499999...
        CasoFloat{0.145, FR_Fijo, 15, 2, "0.14", "0,14"},     // 0.144999999...
        CasoFloat{-0.145, FR_Fijo, 15, 2, "-0.14", "-0,14"},
        CasoFloat{0.125, FR_Fijo, 15, 2, "0.13", "0,13"},     // an exact half
        CasoFloat{-0.125, FR_Fijo, 15, 2, "-0.13", "-0,13"},
        CasoFloat{2.5, FR_Fijo, 15, 0, "3", "3"},
        CasoFloat{0.5, FR_Fijo, 15, 0, "1", "1"},
        CasoFloat{12.345, FR_Fijo, 15, 2, "12.35", "12,35"},  // 12.3450000...06
        CasoFloat{7.65, FR_Fijo, 2, 1, "7.7", "7,7"},         // 7.6500000...04, the precision is tighter
        CasoFloat{7.649996, FR_Fijo, 2, 4, "7.6000", "7,6000"},
        CasoFloat{9.9999996, FR_Fijo, 6, 6, "10.000000", "10,000000"},
        CasoFloat{0.00012345, FR_Fijo, 3, 6, "0.000123", "0,000123"},
        CasoFloat{1234.5, FR_Fijo, 5, 0, "1235", "1235"},
        CasoFloat{1.0005, FR_Numero, 15, 3, "1.000", "1,000"},
        CasoFloat{1234.145, FR_Numero, 15, 2, "1,234.14", "1.234,14"},
        CasoFloat{1234.125, FR_Moneda, 15, 2, "1,234.13", "1.234,13"}));

// Values near decimal halves (a few units of the last place either side,
// exact binary halves among them) and values of every size, against the
// exact expansion.
TEST(FloatToStrF, FijoCoincideConLaExpansionExactaRedondeadaUnaVez) {
    std::mt19937_64 generador(20261211);
    std::uniform_int_distribution<int> decimalesAlAzar(0, 8), precisionAlAzar(1, 15), corrimiento(-3, 3);
    std::uniform_int_distribution<int64_t> enteroAlAzar(0, 2'000'000);
    std::uniform_real_distribution<double> realAlAzar(-1000, 1000);
    int probados = 0, mitades = 0;
    while (probados < 100'000) {
        const int decimales = decimalesAlAzar(generador), precision = precisionAlAzar(generador);
        double x = 0;
        if (probados % 2 == 0) {
            // (k + 1/2) / 10^d, and its neighbours.
            x = (static_cast<double>(enteroAlAzar(generador)) + 0.5) / std::pow(10.0, decimales);
            for (int k = corrimiento(generador); k > 0; --k) x = std::nextafter(x, HUGE_VAL);
            for (int k = corrimiento(generador); k < 0; ++k) x = std::nextafter(x, -HUGE_VAL);
            if (probados % 4 == 0) x = -x;
        } else {
            x = realAlAzar(generador) * std::pow(10.0, corrimiento(generador));
        }
        if (x == 0 || ExponenteExacto(x) + 1 >= precision) continue;  // written in the general form
        const int decimalesDeLaPrecision = precision - 1 - ExponenteExacto(x);
        const int redondeo = std::min(decimales, decimalesDeLaPrecision);
        std::string esperado = FijoDeLaExpansionExacta(x, redondeo);
        if (redondeo < decimales) esperado += std::string(static_cast<std::size_t>(decimales - redondeo), '0');
        if (redondeo == 0 && decimales > 0) esperado.insert(esperado.size() - decimales, ".");
        if (x < 0 && esperado.find_first_not_of("0.") != std::string::npos) esperado.insert(0, "-");
        if (EsMitadExacta(x, redondeo)) ++mitades;
        ASSERT_EQ(FloatToStrF(x, FR_Fijo, precision, decimales, FormatSettings{}), esperado)
            << std::setprecision(17) << x << " con precisión " << precision << " y " << decimales << " decimales";
        ++probados;
    }
    EXPECT_GT(mitades, 1000);  // the halves were really met
}

TEST(FloatToStrF, NoFinitosConSuFormaUnica) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(FloatToStrF(nan, FR_Fijo, 12, 2), "Nan");
    EXPECT_EQ(FloatToStrF(inf, FR_Numero, 12, 2), "+Inf");
    EXPECT_EQ(FloatToStrF(-inf, FR_Exponente, 12, 2), "-Inf");
}

TEST(FloatToStrF, SinAjustesUsaLosVigentes) {
    const FormatSettings antes = AjustesFormato();
    AjustesFormato().DecimalSeparator = ',';
    EXPECT_EQ(FloatToStrF(12.5, FR_Fijo, 12, 2), "12,50");
    AjustesFormato() = antes;
    EXPECT_EQ(FloatToStrF(12.5, FR_Fijo, 12, 2), "12.50");
}

struct CasoPatron {
    const char* patron;
    double x;
    const char* texto;
};

class FormatFloatCaso : public ::testing::TestWithParam<CasoPatron> {};

TEST_P(FormatFloatCaso, EscribeElTextoEsperado) {
    const CasoPatron& c = GetParam();
    EXPECT_EQ(FormatFloat(c.patron, c.x, FormatSettings{}), c.texto);
}

INSTANTIATE_TEST_SUITE_P(
    Patrones, FormatFloatCaso,
    ::testing::Values(
        CasoPatron{"##.##", 12.5, "12.5"},
        CasoPatron{"##.##", 12.345, "12.35"},
        CasoPatron{"##.##", 0.5, ".5"},
        CasoPatron{"##.##", 0, "0"},       // never an empty text
        CasoPatron{"##.##", -3, "-3"},
        CasoPatron{"0.00", 0.5, "0.50"},
        CasoPatron{"000", 7, "007"},
        CasoPatron{"#,##0.00", 1234567.891, "1,234,567.89"},
        CasoPatron{"0.00E+00", 12345, "1.23E+04"},
        CasoPatron{"0.0e-0", 0.00012, "1.2e-4"},
        CasoPatron{"0.0;(0.0)", -2.5, "(2.5)"},
        CasoPatron{"0.0;-0.0;\"cero\"", 0, "cero"},
        CasoPatron{"\"P=\"0.0\" MW\"", 3.25, "P=3.3 MW"},
        CasoPatron{"0 %", 42, "42 %"}));

TEST(FormatFloat, UsaElSeparadorDado) {
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5, AjustesConComa()), "1.234,50");
}

struct CasoEntero {
    double x;
    const char* texto;
};

class EnteroRedondeado : public ::testing::TestWithParam<CasoEntero> {};

TEST_P(EnteroRedondeado, MitadesAlPar) {
    EXPECT_EQ(EnteroRedondeadoATexto(GetParam().x), GetParam().texto);
}

INSTANTIATE_TEST_SUITE_P(Enteros, EnteroRedondeado,
                         ::testing::Values(CasoEntero{2.5, "2"}, CasoEntero{3.5, "4"}, CasoEntero{-2.5, "-2"},
                                           CasoEntero{-0.4, "0"}, CasoEntero{1e20, "100000000000000000000"},
                                           CasoEntero{std::numeric_limits<double>::quiet_NaN(), "Nan"}));

}  // namespace
