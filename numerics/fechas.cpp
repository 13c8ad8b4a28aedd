#include "numerics/fechas.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "numerics/errores.h"

namespace {

constexpr int64_t kMilisegundosPorDia = 86400000;
// Day numbers of 0001-01-01 and 9999-12-31 on the program's scale.
constexpr int64_t kPrimerDia = -693593;
constexpr int64_t kUltimoDia = 2958465;
// 1899-12-30 counted from 1970-01-01, the epoch of the civil-day formulas.
constexpr int64_t kDiasDe1899a1970 = 25569;

std::string ComoTexto(int valor) {
    char buffer[16];
    auto [fin, ec] = std::to_chars(buffer, buffer + sizeof buffer, valor);
    return std::string(buffer, fin);
}

// Decimal text of a non-negative value, padded with zeros to `cifras`.
std::string ConCeros(int valor, int cifras) {
    std::string texto = ComoTexto(valor);
    if (static_cast<int>(texto.size()) < cifras)
        texto.insert(0, static_cast<size_t>(cifras) - texto.size(), '0');
    return texto;
}

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's
// days_from_civil), valid for negative years too.
int64_t DiasDesde1970(int64_t anio, int mes, int dia) {
    anio -= mes <= 2 ? 1 : 0;
    const int64_t era = (anio >= 0 ? anio : anio - 399) / 400;
    const int64_t anioDeEra = anio - era * 400;
    const int64_t diaDelAnio = (153 * (mes > 2 ? mes - 3 : mes + 9) + 2) / 5 + dia - 1;
    const int64_t diaDeEra = anioDeEra * 365 + anioDeEra / 4 - anioDeEra / 100 + diaDelAnio;
    return era * 146097 + diaDeEra - 719468;
}

// Inverse of DiasDesde1970 (civil_from_days).
void FechaDeDiasDesde1970(int64_t dias, TFechaHora& fh) {
    dias += 719468;
    const int64_t era = (dias >= 0 ? dias : dias - 146096) / 146097;
    const int64_t diaDeEra = dias - era * 146097;
    const int64_t anioDeEra =
        (diaDeEra - diaDeEra / 1460 + diaDeEra / 36524 - diaDeEra / 146096) / 365;
    const int64_t diaDelAnio = diaDeEra - (365 * anioDeEra + anioDeEra / 4 - anioDeEra / 100);
    const int64_t mesDesdeMarzo = (5 * diaDelAnio + 2) / 153;
    fh.dia = static_cast<int>(diaDelAnio - (153 * mesDesdeMarzo + 2) / 5 + 1);
    fh.mes = static_cast<int>(mesDesdeMarzo < 10 ? mesDesdeMarzo + 3 : mesDesdeMarzo - 9);
    fh.anio = static_cast<int>(anioDeEra + era * 400 + (fh.mes <= 2 ? 1 : 0));
}

// A date-time split into its day number and the milliseconds of its time of
// day, after rounding to the nearest millisecond (halves to even).
struct DiaYHora {
    int64_t dia;
    int64_t milisegundos;
};

DiaYHora SepararDiaYHora(TDateTime t) {
    // The limits leave a day of margin; the rounded day is checked below.
    if (!(t > static_cast<double>(kPrimerDia - 1) && t < static_cast<double>(kUltimoDia + 1)))
        throw EConvertError("Fecha-hora fuera de rango");
    const auto totalMs =
        static_cast<int64_t>(std::nearbyint(std::fabs(t) * static_cast<double>(kMilisegundosPorDia)));
    const int64_t magnitudDia = totalMs / kMilisegundosPorDia;
    const DiaYHora partes{t < 0 ? -magnitudDia : magnitudDia, totalMs % kMilisegundosPorDia};
    if (partes.dia < kPrimerDia || partes.dia > kUltimoDia)
        throw EConvertError("Fecha-hora fuera de rango");
    return partes;
}

char MinusculaAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Length of the run of the same letter (either case) starting at i.
size_t LargoDeRacha(std::string_view formato, size_t i) {
    const char letra = MinusculaAscii(formato[i]);
    size_t j = i;
    while (j < formato.size() && MinusculaAscii(formato[j]) == letra) ++j;
    return j - i;
}

bool TieneHora(const TFechaHora& fh) {
    return fh.hora != 0 || fh.minuto != 0 || fh.segundo != 0 || fh.milisegundo != 0;
}

void FormatearEn(std::string& salida, std::string_view formato, const TFechaHora& fh,
                 const FormatSettings& f, bool admiteC);

// "c": the short date, and the long time when the time is not midnight.
void FormatearFechaHoraCorta(std::string& salida, const TFechaHora& fh, const FormatSettings& f) {
    FormatearEn(salida, f.ShortDateFormat, fh, f, false);
    if (TieneHora(fh)) {
        salida += ' ';
        FormatearEn(salida, f.LongTimeFormat, fh, f, false);
    }
}

// Writes fh in the dialect described in the header. `admiteC` is false inside
// the expansion of "c", so a "c" in the settings' own formats cannot recurse.
void FormatearEn(std::string& salida, std::string_view formato, const TFechaHora& fh,
                 const FormatSettings& f, bool admiteC) {
    bool trasHora = false;  // the last token was an hour: "m" means minutes
    size_t i = 0;
    while (i < formato.size()) {
        const char c = formato[i];
        if (c == '"' || c == '\'') {
            const size_t cierre = formato.find(c, i + 1);
            const size_t fin = cierre == std::string_view::npos ? formato.size() : cierre;
            salida.append(formato.substr(i + 1, fin - i - 1));
            i = fin == formato.size() ? fin : fin + 1;
            continue;
        }
        const size_t racha = LargoDeRacha(formato, i);
        const size_t largo = racha >= 2 ? 2 : 1;  // most tokens take one or two letters
        switch (MinusculaAscii(c)) {
        case 'y':
            salida += racha <= 2 ? ConCeros(fh.anio % 100, 2) : ConCeros(fh.anio, 4);
            i += racha;
            trasHora = false;
            continue;
        case 'm':
            salida += ConCeros(trasHora ? fh.minuto : fh.mes, static_cast<int>(largo));
            trasHora = false;
            break;
        case 'd':
            salida += ConCeros(fh.dia, static_cast<int>(largo));
            trasHora = false;
            break;
        case 'h':
            salida += ConCeros(fh.hora, static_cast<int>(largo));
            trasHora = true;
            break;
        case 'n':
            salida += ConCeros(fh.minuto, static_cast<int>(largo));
            trasHora = false;
            break;
        case 's':
            salida += ConCeros(fh.segundo, static_cast<int>(largo));
            trasHora = false;
            break;
        case 'z':
            salida += ConCeros(fh.milisegundo, racha >= 3 ? 3 : 1);
            i += racha >= 3 ? 3 : 1;
            trasHora = false;
            continue;
        case 'c':
            if (admiteC) {
                FormatearFechaHoraCorta(salida, fh, f);
                trasHora = false;
            } else {
                salida += c;
            }
            i += 1;
            continue;
        case '/':
            salida += f.DateSeparator;
            i += 1;
            continue;
        case ':':
            salida += f.TimeSeparator;
            i += 1;
            continue;
        default:
            salida += c;
            i += 1;
            continue;
        }
        i += largo;
    }
}

}  // namespace

bool EsBisiesto(int anio) {
    return (anio % 4 == 0 && anio % 100 != 0) || anio % 400 == 0;
}

int DiasDelMes(int anio, int mes) {
    static constexpr int kDias[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (mes < 1 || mes > 12)
        throw EConvertError("Mes no válido: " + ComoTexto(mes));
    return mes == 2 && EsBisiesto(anio) ? 29 : kDias[mes - 1];
}

TDateTime EncodeDate(int anio, int mes, int dia) {
    if (anio < 1 || anio > 9999 || mes < 1 || mes > 12 || dia < 1 || dia > DiasDelMes(anio, mes))
        throw EConvertError("Fecha no válida: " + ComoTexto(anio) + "-" + ComoTexto(mes) + "-" +
                            ComoTexto(dia));
    return static_cast<double>(DiasDesde1970(anio, mes, dia) + kDiasDe1899a1970);
}

TDateTime EncodeTime(int hora, int minuto, int segundo, int ms) {
    if (hora < 0 || hora > 23 || minuto < 0 || minuto > 59 || segundo < 0 || segundo > 59 ||
        ms < 0 || ms > 999)
        throw EConvertError("Hora no válida: " + ComoTexto(hora) + ":" + ComoTexto(minuto) + ":" +
                            ComoTexto(segundo) + "." + ComoTexto(ms));
    const int64_t totalMs = ((hora * 60 + minuto) * 60 + segundo) * 1000 + ms;
    return static_cast<double>(totalMs) / static_cast<double>(kMilisegundosPorDia);
}

TDateTime EncodeDateTime(int anio, int mes, int dia, int hora, int minuto, int segundo, int ms) {
    const TDateTime fecha = EncodeDate(anio, mes, dia);
    const TDateTime horaDelDia = EncodeTime(hora, minuto, segundo, ms);
    // Before 1899-12-30 the time lies on the negative side of the day.
    return fecha >= 0 ? fecha + horaDelDia : fecha - horaDelDia;
}

TFechaHora DecodeDateTime(TDateTime t) {
    const DiaYHora partes = SepararDiaYHora(t);
    TFechaHora fh{};
    FechaDeDiasDesde1970(partes.dia - kDiasDe1899a1970, fh);
    int64_t ms = partes.milisegundos;
    fh.milisegundo = static_cast<int>(ms % 1000);
    ms /= 1000;
    fh.segundo = static_cast<int>(ms % 60);
    ms /= 60;
    fh.minuto = static_cast<int>(ms % 60);
    fh.hora = static_cast<int>(ms / 60);
    return fh;
}

int DiaDeLaSemana(TDateTime t) {
    const int64_t dia = SepararDiaYHora(t).dia;
    // Day 1, 1899-12-31, was a Sunday.
    return static_cast<int>(((dia - 1) % 7 + 7) % 7) + 1;
}

std::string FormatDateTime(std::string_view formato, TDateTime t) {
    return FormatDateTime(formato, t, AjustesFormato());
}

std::string FormatDateTime(std::string_view formato, TDateTime t, const FormatSettings& f) {
    std::string salida;
    FormatearEn(salida, formato, DecodeDateTime(t), f, true);
    return salida;
}

std::string DateToStr(TDateTime t) {
    return FormatDateTime(AjustesFormato().ShortDateFormat, t);
}

std::string TimeToStr(TDateTime t) {
    return FormatDateTime(AjustesFormato().LongTimeFormat, t);
}

std::string DateTimeToStr(TDateTime t) {
    std::string salida;
    FormatearFechaHoraCorta(salida, DecodeDateTime(t), AjustesFormato());
    return salida;
}

TDateTime FechaDeMuestra(TDateTime t1, double dt, int k) {
    return t1 + static_cast<double>(k - 1) * dt;
}

int MuestraDeFecha(TDateTime t1, double dt, TDateTime t) {
    const double posicion = std::trunc(VerificarFinito((t - t1) / dt + 1e-6, "MuestraDeFecha"));
    // The index is posicion + 1; check the range before converting.
    if (posicion < static_cast<double>(std::numeric_limits<int>::min()) ||
        posicion >= static_cast<double>(std::numeric_limits<int>::max()))
        throw EMathError("Error de punto flotante en MuestraDeFecha: muestra fuera de rango");
    return static_cast<int>(posicion) + 1;
}
