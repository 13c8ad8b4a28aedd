#include "numerics/formatonumeros.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "numerics/textoreal.h"

namespace {

// Significant digits of a real the system's doubles hold.
constexpr int kPrecisionMaxima = 15;

// |x| as `cifras` significant digits d1 d2 ... with the decimal exponent of
// d1: |x| = d1.d2d3... x 10^exponente.
struct TCifrasDecimales {
    std::string cifras;
    int exponente = 0;
};

// |x| rounded to `precision` significant digits (at most 17), an exact half
// away from zero, so that 1234.5 to four digits reads 1235 as it is written.
// Zero gives `precision` zeros.
TCifrasDecimales CifrasRedondeadas(double x, int precision) {
    TCifrasDecimales r;
    const int digitos = std::clamp(precision, 1, 17);
    if (x == 0) {
        r.cifras.assign(static_cast<std::size_t>(digitos), '0');
        return r;
    }
    CifrasSignificativas(x, digitos, r.cifras, r.exponente);
    return r;
}

// A number split into its integer digits and its decimals.
struct TPartesDecimales {
    std::string enteras;     // without leading zeros; empty for 0
    std::string decimales;   // exactly as many as asked for
};

bool EsCero(const TPartesDecimales& p) {
    auto cero = [](char c) { return c == '0'; };
    return std::all_of(p.enteras.begin(), p.enteras.end(), cero) &&
           std::all_of(p.decimales.begin(), p.decimales.end(), cero);
}

// Rounds the digits to `decimales` decimals, halves away from zero.
TPartesDecimales RedondearADecimales(const TCifrasDecimales& c, int decimales) {
    const int enterasDelValor = c.exponente + 1;
    std::string todas = enterasDelValor <= 0 ? std::string(-enterasDelValor, '0') + c.cifras : c.cifras;
    std::size_t enteras = static_cast<std::size_t>(std::max(enterasDelValor, 0));
    const std::size_t conservadas = enteras + static_cast<std::size_t>(decimales);
    if (todas.size() < conservadas + 1) todas.resize(conservadas + 1, '0');

    const bool sube = todas[conservadas] >= '5';
    todas.resize(conservadas);
    if (sube) {
        std::size_t i = conservadas;
        while (i > 0 && todas[i - 1] == '9') todas[--i] = '0';
        if (i > 0) {
            ++todas[i - 1];
        } else {
            todas.insert(todas.begin(), '1');
            ++enteras;
        }
    }
    TPartesDecimales p;
    p.enteras = todas.substr(0, enteras);
    p.decimales = todas.substr(enteras);
    p.enteras.erase(0, std::min(p.enteras.find_first_not_of('0'), p.enteras.size()));
    return p;
}

std::string AgruparMiles(const std::string& enteras, char separador) {
    std::string texto;
    for (std::size_t i = 0; i < enteras.size(); ++i) {
        if (i > 0 && (enteras.size() - i) % 3 == 0) texto += separador;
        texto += enteras[i];
    }
    return texto;
}

std::string ExponenteATexto(int exponente, int cifrasMinimas, bool signoSiempre) {
    std::string cifras = std::to_string(std::abs(exponente));
    if (static_cast<int>(cifras.size()) < cifrasMinimas)
        cifras.insert(0, static_cast<std::size_t>(cifrasMinimas) - cifras.size(), '0');
    if (exponente < 0) return "-" + cifras;
    return signoSiempre ? "+" + cifras : cifras;
}

std::string FormatoExponente(double x, int precision, int digitos, const FormatSettings& a) {
    const TCifrasDecimales c = CifrasRedondeadas(x, precision);
    std::string texto = (x < 0 && x != 0) ? "-" : "";
    texto += c.cifras[0];
    if (c.cifras.size() > 1) texto += a.DecimalSeparator + c.cifras.substr(1);
    const int exponente = x == 0 ? 0 : c.exponente;
    return texto + "E" + ExponenteATexto(exponente, std::clamp(digitos, 0, 4), true);
}

std::string FormatoFijoAgrupado(double x, int precision, int digitos, bool agrupar,
                                const FormatSettings& a) {
    const TCifrasDecimales c = CifrasRedondeadas(x, precision);
    if (x != 0 && c.exponente + 1 > precision) return FormatoGeneral(x, precision, a.DecimalSeparator);
    // One rounding of the exact value, at the tighter of the two limits: the
    // last significant digit the precision allows or the last decimal asked
    // for. (When the precision's rounding carries into a new digit, as 9.96
    // to two digits does, rounding one place further left gives the same.)
    digitos = std::clamp(digitos, 0, 18);
    const int decimalesDeLaPrecision = precision - 1 - c.exponente;
    TPartesDecimales p;
    CifrasFijas(x, x == 0 ? digitos : std::min(digitos, decimalesDeLaPrecision), p.enteras, p.decimales);
    p.decimales.resize(static_cast<std::size_t>(digitos), '0');
    std::string texto = (x < 0 && !EsCero(p)) ? "-" : "";
    texto += agrupar ? AgruparMiles(p.enteras, a.ThousandSeparator) : p.enteras;
    if (!p.decimales.empty()) texto += a.DecimalSeparator + p.decimales;
    return texto;
}

// ---- Patterns ----

// Splits at the ';' that stand outside quotes.
std::vector<std::string> SeccionesDelPatron(std::string_view patron) {
    std::vector<std::string> secciones(1);
    char comilla = 0;
    for (char c : patron) {
        if (comilla != 0) {
            if (c == comilla) comilla = 0;
        } else if (c == '"' || c == '\'') {
            comilla = c;
        } else if (c == ';') {
            secciones.emplace_back();
            continue;
        }
        secciones.back() += c;
    }
    return secciones;
}

// What one section asks of the number, and the text around it.
struct TPatronNumero {
    std::string antes, despues;
    int enterasMinimas = 0;     // integer placeholders from the first '0' on
    int enterasMarcadas = 0;    // all integer placeholders
    int decimalesMinimas = 0;   // up to the last '0' after the point
    int decimalesMaximas = 0;   // all placeholders after the point
    bool tieneNumero = false;   // a section of text alone writes no number
    bool agrupar = false;
    bool exponencial = false;
    bool signoExponenteSiempre = false;
    char letraExponente = 'E';
    int cifrasExponente = 0;
};

bool EsMarcaDeCifra(char c) { return c == '0' || c == '#'; }

TPatronNumero AnalizarSeccion(std::string_view s) {
    TPatronNumero p;
    bool enNumero = false, trasPunto = false, terminado = false;
    bool primerCero = false;
    char comilla = 0;
    std::string literalInterior;  // text between placeholders goes after the number
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        std::string& destino = terminado ? p.despues : (enNumero ? literalInterior : p.antes);
        if (comilla != 0) {
            if (c == comilla) comilla = 0; else destino += c;
            continue;
        }
        if (c == '"' || c == '\'') {
            comilla = c;
            continue;
        }
        const bool marca = EsMarcaDeCifra(c) || (c == '.' && !trasPunto) || (c == ',' && enNumero);
        if (!terminado && marca) {
            enNumero = true;
            p.tieneNumero = true;
            if (c == '.') {
                trasPunto = true;
            } else if (c == ',') {
                if (!trasPunto) p.agrupar = true;
            } else if (trasPunto) {
                ++p.decimalesMaximas;
                if (c == '0') p.decimalesMinimas = p.decimalesMaximas;
            } else {
                ++p.enterasMarcadas;
                if (c == '0') primerCero = true;
                if (primerCero) ++p.enterasMinimas;
            }
            continue;
        }
        const bool exponente = enNumero && !terminado && (c == 'E' || c == 'e') && i + 1 < s.size() &&
                               (s[i + 1] == '+' || s[i + 1] == '-');
        if (exponente) {
            p.exponencial = true;
            p.letraExponente = c;
            p.signoExponenteSiempre = s[i + 1] == '+';
            i += 2;
            while (i < s.size() && s[i] == '0') {
                ++p.cifrasExponente;
                ++i;
            }
            --i;
            terminado = true;
            continue;
        }
        if (enNumero) terminado = true;
        (terminado ? p.despues : p.antes) += c;
    }
    p.despues.insert(0, literalInterior);
    return p;
}

std::string CompletarEnteras(std::string enteras, int minimas) {
    if (static_cast<int>(enteras.size()) < minimas)
        enteras.insert(0, static_cast<std::size_t>(minimas) - enteras.size(), '0');
    return enteras;
}

void RecortarDecimales(std::string& decimales, int minimas) {
    while (static_cast<int>(decimales.size()) > minimas && decimales.back() == '0') decimales.pop_back();
}

std::string NumeroFijoSegunPatron(double absoluto, const TPatronNumero& p, const FormatSettings& a,
                                  bool& esCero) {
    const TPartesDecimales partes =
        RedondearADecimales(CifrasRedondeadas(absoluto, kPrecisionMaxima), p.decimalesMaximas);
    esCero = EsCero(partes);
    std::string enteras = CompletarEnteras(partes.enteras, p.enterasMinimas);
    std::string decimales = partes.decimales;
    RecortarDecimales(decimales, p.decimalesMinimas);
    // A number that would show no digit at all is written as 0.
    if (enteras.empty() && decimales.empty()) enteras = "0";
    std::string texto = p.agrupar ? AgruparMiles(enteras, a.ThousandSeparator) : enteras;
    if (!decimales.empty()) texto += a.DecimalSeparator + decimales;
    return texto;
}

std::string NumeroExponencialSegunPatron(double absoluto, const TPatronNumero& p,
                                         const FormatSettings& a, bool& esCero) {
    const int enteras = std::max(p.enterasMarcadas, 1);
    const int significativas = std::clamp(enteras + p.decimalesMaximas, 1, 17);
    const TCifrasDecimales c = CifrasRedondeadas(absoluto, significativas);
    std::string cifras = c.cifras;
    cifras.resize(static_cast<std::size_t>(std::max<int>(enteras, static_cast<int>(cifras.size()))), '0');
    esCero = absoluto == 0;
    const int exponente = esCero ? 0 : c.exponente - (enteras - 1);
    std::string parteEntera = cifras.substr(0, static_cast<std::size_t>(enteras));
    std::string decimales = cifras.substr(static_cast<std::size_t>(enteras));
    RecortarDecimales(decimales, p.decimalesMinimas);
    std::string texto = parteEntera;
    if (!decimales.empty()) texto += a.DecimalSeparator + decimales;
    return texto + p.letraExponente + ExponenteATexto(exponente, p.cifrasExponente, p.signoExponenteSiempre);
}

std::string TextoSegunPatron(double absoluto, const TPatronNumero& p, const FormatSettings& a,
                             bool& esCero) {
    if (!p.tieneNumero) {
        esCero = absoluto == 0;
        return "";
    }
    return p.exponencial ? NumeroExponencialSegunPatron(absoluto, p, a, esCero)
                         : NumeroFijoSegunPatron(absoluto, p, a, esCero);
}

}  // namespace

std::string FloatToStrF(double x, int32_t formato, int precision, int digitos) {
    return FloatToStrF(x, formato, precision, digitos, AjustesFormato());
}

std::string FloatToStrF(double x, int32_t formato, int precision, int digitos,
                        const FormatSettings& ajustes) {
    precision = std::clamp(precision, 1, kPrecisionMaxima);
    if (!std::isfinite(x)) return FormatoGeneral(x, precision, ajustes.DecimalSeparator);
    switch (formato) {
        case FR_Exponente:
            return FormatoExponente(x, precision, digitos, ajustes);
        case FR_Fijo:
            return FormatoFijoAgrupado(x, precision, digitos, false, ajustes);
        case FR_Numero:
        case FR_Moneda:
            return FormatoFijoAgrupado(x, precision, digitos, true, ajustes);
        default:
            return FormatoGeneral(x, precision, ajustes.DecimalSeparator);
    }
}

std::string FormatFloat(std::string_view patron, double x) {
    return FormatFloat(patron, x, AjustesFormato());
}

std::string FormatFloat(std::string_view patron, double x, const FormatSettings& ajustes) {
    if (!std::isfinite(x)) return FormatoGeneral(x, kPrecisionMaxima, ajustes.DecimalSeparator);
    const std::vector<std::string> secciones = SeccionesDelPatron(patron);
    const bool negativo = x < 0;
    std::size_t elegida = 0;
    if (negativo && secciones.size() > 1 && !secciones[1].empty()) elegida = 1;

    const TPatronNumero p = AnalizarSeccion(secciones[elegida]);
    bool esCero = false;
    std::string numero = TextoSegunPatron(std::fabs(x), p, ajustes, esCero);
    if (esCero && secciones.size() > 2 && !secciones[2].empty()) {
        const TPatronNumero cero = AnalizarSeccion(secciones[2]);
        return cero.antes + TextoSegunPatron(0.0, cero, ajustes, esCero) + cero.despues;
    }
    const bool llevaSigno = negativo && elegida == 0 && !esCero;
    return p.antes + (llevaSigno ? "-" : "") + numero + p.despues;
}

std::string EnteroRedondeadoATexto(double x) {
    if (!std::isfinite(x)) return FormatoGeneral(x, kPrecisionMaxima, '.');
    const double entero = std::nearbyint(x);
    char texto[400];
    char* fin = std::to_chars(texto, texto + sizeof texto, entero == 0 ? 0.0 : entero,
                              std::chars_format::fixed, 0)
                    .ptr;
    return std::string(texto, fin);
}

std::string NombreHojaValido(const std::string& texto) {
    constexpr std::size_t LargoMaximo = 25;
    std::string nombre;
    for (const unsigned char c : texto) {
        const bool alfanumerico = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        const bool separador = c == ' ' || c == '$' || c == '-' || c == '.' || c == ':' || c == '_';
        if (alfanumerico)
            nombre += static_cast<char>(c);
        else if (separador && !nombre.empty() && nombre.back() != '_')
            nombre += '_';
    }
    if (nombre.size() > LargoMaximo) nombre.resize(LargoMaximo);
    return nombre;
}

std::string FormatoDecimales(int32_t d) {
    // A short text: "0", the separator and at most 253 zeros.
    constexpr int32_t CerosMaximos = 253;
    if (d <= 0) return "0";
    return std::string("0") + AjustesFormato().DecimalSeparator +
           std::string(static_cast<std::size_t>(std::min(d, CerosMaximos)), '0');
}
