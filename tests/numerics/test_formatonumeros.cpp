// Explicitly formatted numbers: the five float kinds with their precision and
// digits, patterns, and integer rounding, with the separators in force or
// given.
#include "numerics/formatonumeros.h"

#include <gtest/gtest.h>

#include <limits>

#include "numerics/formatsettings.h"

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
        CasoFloat{-2.675, FR_Fijo, 15, 2, "-2.68", "-2,68"},
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
