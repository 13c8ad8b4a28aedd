#pragma once
// Explicitly formatted numbers: chart tick labels and the numbers of result
// tables. Both are produced outside the invariant-format switch, so they take
// the decimal and thousands separators in force (or the settings given).
//
// FloatToStrF writes a real in one of five kinds:
//   FR_General    the general form with `precision` significant digits
//   FR_Exponente  d.ddd with `precision` significant digits, "E", the
//                 exponent's sign and at least `digitos` (0 to 4) digits
//   FR_Fijo       `digitos` decimals, the value rounded once at the tighter
//                 of `precision` significant digits and `digitos` decimals
//                 (7.649996 with precision 6 and 1 decimal is 7.6); a value
//                 with more integer digits than the precision is written
//                 in the general form
//   FR_Numero     as FR_Fijo, with the thousands separator between groups
//   FR_Moneda     as FR_Numero (the settings carry no currency symbol)
// Every kind rounds the exact binary value, a value exactly halfway going
// away from zero: 1234.5 to 4 digits is "1235" and 0.125 with 2 decimals
// "0.13", while 0.145, held just below 0.145, gives "0.14". A result that
// rounds to zero is written without a sign.
//
// FormatFloat writes a real after a pattern: "0" a digit always written, "#"
// a digit written only when significant, the first "." the decimal separator,
// a "," among the integer placeholders groups thousands, "E+", "E-", "e+" or
// "e-" followed by "0"s an exponent (the "+" forms always show its sign),
// text in double or single quotes is copied as it stands, and up to three
// sections split by ";" serve positive, negative and zero values (a negative
// value written with its own section takes no minus sign). Any other
// character before or after the placeholders is copied there. The value is
// taken to 15 significant digits first.
#include <cstdint>
#include <string>
#include <string_view>

#include "numerics/formatsettings.h"

enum TFormatoReal : int32_t {
    FR_General = 0,
    FR_Exponente = 1,
    FR_Fijo = 2,
    FR_Numero = 3,
    FR_Moneda = 4,
};

// Any kind outside 0..4 is written as FR_General.
std::string FloatToStrF(double x, int32_t formato, int precision, int digitos);
std::string FloatToStrF(double x, int32_t formato, int precision, int digitos,
                        const FormatSettings& ajustes);

std::string FormatFloat(std::string_view patron, double x);
std::string FormatFloat(std::string_view patron, double x, const FormatSettings& ajustes);

// The decimal text of x rounded to the nearest integer, halves to even
// (2.5 gives "2", 3.5 gives "4"); NaN and the infinities as "Nan", "+Inf"
// and "-Inf".
std::string EnteroRedondeadoATexto(double x);

// A valid worksheet or chart name from any text: ASCII letters and digits
// kept, blanks and "$-.:_" folded into single "_" (never leading), the rest
// dropped, at most 25 characters.
std::string NombreHojaValido(const std::string& texto);

// Number-format text with d decimals: "0" for d <= 0, else "0", the decimal
// separator in force and d zeros.
std::string FormatoDecimales(int32_t d);
