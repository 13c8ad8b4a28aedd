#pragma once
// Dates and times of the program. A date-time is a double of days since
// 1899-12-30 00:00, the time of day being the fraction. Before that day the
// whole part (toward zero) is the day and the magnitude of the fraction is
// the time, so -1.25 is 1899-12-29 06:00.
//
// Formatting uses the program's own date dialect (case-insensitive):
//   yyyy / yy   four- / two-digit year
//   mm / m      month with / without leading zero, or minutes right after an
//               hour token (literal characters between do not count: "hh:mm")
//   dd / d      day        hh / h   hour      nn / n   minutes
//   ss / s      seconds    zzz / z  milliseconds (padded to three / plain)
//   c           short date, then a blank and the long time unless midnight
//   /           the date separator in force   :   the time separator in force
//   "..." '...' literal text; any other character is copied.
// Sample times of a series are computed here, once for the whole program.
#include <string>
#include <string_view>

#include "numerics/formatsettings.h"

using TDateTime = double;

struct TFechaHora {
    int anio, mes, dia, hora, minuto, segundo, milisegundo;

    bool operator==(const TFechaHora&) const = default;
};

// Each raises EConvertError on an invalid date or time (years 1 to 9999).
TDateTime EncodeDate(int anio, int mes, int dia);
TDateTime EncodeTime(int hora, int minuto, int segundo, int ms);
TDateTime EncodeDateTime(int anio, int mes, int dia, int hora, int minuto, int segundo, int ms);

// Rounds to the nearest millisecond first, so 23:59:59.9996 is the next day
// at 00:00:00.000. Raises EConvertError for NaN, infinities and date-times
// outside years 1 to 9999.
TFechaHora DecodeDateTime(TDateTime t);

int DiaDeLaSemana(TDateTime t);  // 1 = Sunday .. 7 = Saturday
bool EsBisiesto(int anio);
int DiasDelMes(int anio, int mes);  // EConvertError for a month outside 1..12

std::string FormatDateTime(std::string_view formato, TDateTime t);  // with AjustesFormato()
std::string FormatDateTime(std::string_view formato, TDateTime t, const FormatSettings& f);
std::string DateToStr(TDateTime t);      // ShortDateFormat
std::string TimeToStr(TDateTime t);      // LongTimeFormat
std::string DateTimeToStr(TDateTime t);  // short date, then " " and the long time unless 00:00:00.000

// Sample k (1-based) of a series starting at t1 with period dt.
TDateTime FechaDeMuestra(TDateTime t1, double dt, int k);
// The sample that holds t: trunc((t - t1) / dt + 1e-6) + 1. The tolerance
// keeps an exact sample time from falling into the previous sample. Raises
// EMathError when the quotient is not finite or the index leaves int's range.
int MuestraDeFecha(TDateTime t1, double dt, TDateTime t);
