#pragma once
// Text forms of numbers, all locale-free.
//
// The default real form is what a plain write of a real to a text file
// produces and what a plain read accepts back: 24 characters, a blank or "-",
// one digit, ".", 16 digits, "E", the exponent's sign and three digits. The
// point is always '.', whatever the decimal separator in force. NaN and the
// infinities are written "Nan", "+Inf" and "-Inf", right-aligned in 24.
//
// The general form with p significant digits serves console lines, messages,
// boxes and the one-line matrix string; it uses the decimal separator given
// or the one in force.
#include <string>
#include <string_view>

// Width of the default real form.
inline constexpr int AnchoRealDefecto = 24;

std::string RealATextoDefecto(double x);
// The same form written into a caller's buffer, for writers of long series.
void RealATextoDefectoEn(double x, char (&destino)[AnchoRealDefecto]);

// Reads a plain real token: optional sign, digits with an optional "." and
// fraction, optional exponent; or "Nan", "Inf", "+Inf", "-Inf" (any case).
// Leading blanks, the default form's own padding, are skipped; anything after
// the number makes the token invalid. Overflow fails; underflow gives 0.
bool TextoDefectoAReal(std::string_view token, double& x);

// A plain decimal integer (optional sign, digits, nothing else) in 32 bits.
bool TextoDecimalAEntero(std::string_view s, int& k);
// The same, raising EConvertError "\"<s>\" no es un valor entero válido".
int TextoAEntero(std::string_view s);

// |x| (finite, not zero) rounded to `digitos` significant digits (1 to 17):
// exactly `digitos` digits d1 d2 ... and the decimal exponent of d1, so that
// |x| ~ d1.d2... x 10^exponente. A value exactly halfway between two such
// numbers goes away from zero, as the run-time library rounds: 1234.5 to four
// digits is 1235, 0.125 to two is 0.13. The half is judged on the exact binary
// value, so 0.15, which a double holds just below 0.15, is no half.
void CifrasSignificativas(double x, int digitos, std::string& cifras, int& exponente);

// General form with `digitos` significant digits (1 to 17), with the decimal
// separator in force or the one given; halves are rounded as above.
std::string FormatoGeneral(double x, int digitos);
std::string FormatoGeneral(double x, int digitos, char separadorDecimal);

// |x| (finite) rounded once, on its exact binary value, to `decimales`
// decimals (0 or more), a value exactly halfway going away from zero: 0.125
// to two decimals is 0.13, while 0.145, which a double holds just below
// 0.145, is 0.14. Gives the integer digits ("0" when there are none) and
// exactly `decimales` decimals.
void CifrasFijas(double x, int decimales, std::string& enteras, std::string& fraccion);

// Fixed notation with `decimales` decimals, rounded as CifrasFijas does,
// right-aligned with blanks to `ancho` characters when the number is shorter.
std::string FormatoFijo(double x, int decimales, int ancho = 0, char separadorDecimal = '.');
