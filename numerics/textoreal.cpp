#include "numerics/textoreal.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <system_error>

#include "numerics/errores.h"
#include "numerics/formatsettings.h"

namespace {

bool EsCifra(char c) { return c >= '0' && c <= '9'; }

bool EsSigno(char c) { return c == '+' || c == '-'; }

char MinusculaAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IgualesSinMayusculas(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (MinusculaAscii(a[i]) != MinusculaAscii(b[i])) return false;
    return true;
}

// The one written form of NaN and of each infinity.
std::string_view TextoNoFinito(double x) {
    if (std::isnan(x)) return "Nan";
    return x > 0 ? "+Inf" : "-Inf";
}

// Advances i over a run of digits and returns how many there were.
std::size_t SaltarCifras(std::string_view t, std::size_t& i) {
    std::size_t inicio = i;
    while (i < t.size() && EsCifra(t[i])) ++i;
    return i - inicio;
}

// Sign, digits with an optional point and fraction (at least one digit in
// all), optional exponent with at least one digit; nothing else.
bool EsRealSimple(std::string_view t) {
    std::size_t i = 0;
    if (i < t.size() && EsSigno(t[i])) ++i;
    std::size_t cifras = SaltarCifras(t, i);
    if (i < t.size() && t[i] == '.') {
        ++i;
        cifras += SaltarCifras(t, i);
    }
    if (cifras == 0) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && EsSigno(t[i])) ++i;
        if (SaltarCifras(t, i) == 0) return false;
    }
    return i == t.size();
}

// Decimal exponent of the first significant digit of a valid real token
// (the exponent part saturates). When the token is out of range, a value of
// 0 or more means overflow and a negative one underflow.
long long ExponenteDelPrimerDigito(std::string_view t) {
    constexpr long long limite = 1'000'000'000'000LL;
    std::size_t i = (!t.empty() && EsSigno(t[0])) ? 1 : 0;
    const std::size_t inicioEnteros = i;
    const std::size_t finEnteros = inicioEnteros + SaltarCifras(t, i);
    long long exponente = 0;
    bool hallado = false;
    for (std::size_t j = inicioEnteros; j < finEnteros && !hallado; ++j)
        if (t[j] != '0') {
            exponente = static_cast<long long>(finEnteros - j) - 1;
            hallado = true;
        }
    if (i < t.size() && t[i] == '.') {
        const std::size_t inicioFraccion = ++i;
        for (; i < t.size() && EsCifra(t[i]); ++i)
            if (!hallado && t[i] != '0') {
                exponente = -static_cast<long long>(i - inicioFraccion) - 1;
                hallado = true;
            }
    }
    if (i < t.size()) {  // 'e' or 'E'
        ++i;
        const bool negativo = i < t.size() && t[i] == '-';
        if (i < t.size() && EsSigno(t[i])) ++i;
        long long valor = 0;
        for (; i < t.size(); ++i) valor = std::min(valor * 10 + (t[i] - '0'), limite);
        exponente += negativo ? -valor : valor;
    }
    return exponente;
}

bool LeerFormaNoFinita(std::string_view token, double& x) {
    if (IgualesSinMayusculas(token, "nan")) {
        x = std::nan("");
    } else if (IgualesSinMayusculas(token, "inf") || IgualesSinMayusculas(token, "+inf")) {
        x = HUGE_VAL;
    } else if (IgualesSinMayusculas(token, "-inf")) {
        x = -HUGE_VAL;
    } else {
        return false;
    }
    return true;
}

std::string EnteroATexto(long long k) {
    char cifras[24];
    auto fin = std::to_chars(cifras, cifras + sizeof cifras, k).ptr;
    return std::string(cifras, fin);
}

// Places the decimal point in significant digits d1 d2 ... whose first digit
// has decimal exponent e (-5 <= e < number of significant digits allowed).
std::string NotacionFija(std::string_view cifras, int exponente, char separador) {
    if (exponente < 0)
        return "0" + std::string(1, separador) + std::string(-exponente - 1, '0') + std::string(cifras);
    const std::size_t enteras = static_cast<std::size_t>(exponente) + 1;
    if (cifras.size() <= enteras) return std::string(cifras) + std::string(enteras - cifras.size(), '0');
    return std::string(cifras.substr(0, enteras)) + separador + std::string(cifras.substr(enteras));
}

// 10^0 to 10^17: every count of significant digits a double is written with.
constexpr std::array<uint64_t, 18> kPotenciasDeDiez = [] {
    std::array<uint64_t, 18> potencias{};
    potencias[0] = 1;
    for (std::size_t k = 1; k < potencias.size(); ++k) potencias[k] = potencias[k - 1] * 10;
    return potencias;
}();

// |x| = M * 2^E with M odd (x finite, not zero): M and E.
void ImparYExponenteBinario(double x, uint64_t& impar, int& exponente) {
    int exponenteBinario = 0;
    const double fraccion = std::frexp(std::fabs(x), &exponenteBinario);  // in [0.5, 1)
    impar = static_cast<uint64_t>(std::ldexp(fraccion, 53));
    exponente = exponenteBinario - 53;
    const int cerosFinales = std::countr_zero(impar);
    impar >>= cerosFinales;
    exponente += cerosFinales;
}

// Whether |x| lies exactly halfway between two multiples of 10^-decimales
// (decimales >= 0). With |x| = M * 2^E, M odd, |x| * 10^d is M * 5^d * 2^(E + d):
// a whole number plus a half exactly when E = -d - 1.
bool EsMitadEnDecimales(double x, int decimales) {
    if (x == 0) return false;
    uint64_t impar = 0;
    int exponente = 0;
    ImparYExponenteBinario(x, impar, exponente);
    return exponente == -decimales - 1;
}

// Adds one unit of the last digit to a run of decimal digits, carrying;
// a carry out of the first digit puts a new "1" in front.
void SumarUnoALaUltimaCifra(std::string& cifras) {
    std::size_t i = cifras.size();
    while (i > 0 && cifras[i - 1] == '9') cifras[--i] = '0';
    if (i > 0)
        ++cifras[i - 1];
    else
        cifras.insert(cifras.begin(), '1');
}

// When |x| lies exactly halfway between two numbers of `digitos` significant
// digits, the digits of the one away from zero and the decimal exponent of
// its first digit.
//
// With |x| = M * 2^E, M odd, the only decimal place where |x| can be a half
// is d = -E - 1 decimals (a negative d counts integer places): there
// 2 * |x| * 10^d is the odd integer M * 5^d (for d < 0, M / 5^-d when 5^-d
// divides M), that is 2m + 1 with |x| halfway between m and m + 1 units of
// 10^-d. Rounding to `digitos` digits rounds at that place when m has exactly
// `digitos` digits.
bool CifrasDeMitadExacta(double x, int digitos, std::string& cifras, int& exponente) {
    uint64_t mantisa = 0;
    int E = 0;
    ImparYExponenteBinario(x, mantisa, E);

    const int decimales = -E - 1;
    const uint64_t limite = 2 * kPotenciasDeDiez[static_cast<std::size_t>(digitos)];
    uint64_t impar = mantisa;  // 2m + 1
    if (decimales >= 0) {
        for (int k = 0; k < decimales; ++k) {
            if (impar > limite / 5) return false;  // m has more digits than asked
            impar *= 5;
        }
    } else {
        for (int k = 0; k < -decimales; ++k) {
            if (impar % 5 != 0) return false;  // no half at that integer place
            impar /= 5;
        }
    }
    const uint64_t m = impar / 2;
    if (m < kPotenciasDeDiez[static_cast<std::size_t>(digitos - 1)] ||
        m >= kPotenciasDeDiez[static_cast<std::size_t>(digitos)])
        return false;

    uint64_t haciaAfuera = m + 1;
    exponente = digitos - 1 - decimales;
    if (haciaAfuera == kPotenciasDeDiez[static_cast<std::size_t>(digitos)]) {  // 99.5 gives 100
        haciaAfuera /= 10;
        ++exponente;
    }
    char texto[24];
    cifras.assign(texto, std::to_chars(texto, texto + sizeof texto, haciaAfuera).ptr);
    return true;
}

std::string NotacionCientifica(std::string_view cifras, int exponente, char separador) {
    std::string texto(1, cifras[0]);
    if (cifras.size() > 1) texto += separador + std::string(cifras.substr(1));
    texto += 'E';
    if (exponente < 0) texto += '-';
    return texto + EnteroATexto(std::abs(exponente));
}

}  // namespace

void RealATextoDefectoEn(double x, char (&destino)[AnchoRealDefecto]) {
    std::fill(std::begin(destino), std::end(destino), ' ');
    if (!std::isfinite(x)) {
        std::string_view texto = TextoNoFinito(x);
        std::copy(texto.begin(), texto.end(), std::end(destino) - texto.size());
        return;
    }
    // "d.dddddddddddddddde+XX" or with three exponent digits.
    char cientifico[32];
    const char* fin = std::to_chars(cientifico, cientifico + sizeof cientifico, std::fabs(x),
                              std::chars_format::scientific, 16)
                    .ptr;
    constexpr int largoMantisa = 18;
    destino[0] = x < 0 ? '-' : ' ';
    std::copy(cientifico, cientifico + largoMantisa, destino + 1);
    destino[19] = 'E';
    destino[20] = cientifico[largoMantisa + 1];
    const char* cifrasExponente = cientifico + largoMantisa + 2;
    const std::ptrdiff_t largoExponente = fin - cifrasExponente;
    char* destinoExponente = destino + 21;
    std::fill(destinoExponente, destinoExponente + 3 - largoExponente, '0');
    std::copy(cifrasExponente, fin, destinoExponente + 3 - largoExponente);
}

std::string RealATextoDefecto(double x) {
    char texto[AnchoRealDefecto];
    RealATextoDefectoEn(x, texto);
    return std::string(texto, AnchoRealDefecto);
}

bool TextoDefectoAReal(std::string_view token, double& x) {
    token.remove_prefix(std::min(token.find_first_not_of(' '), token.size()));
    if (LeerFormaNoFinita(token, x)) return true;
    if (!EsRealSimple(token)) return false;
    // from_chars takes no '+'.
    std::string_view numero = token[0] == '+' ? token.substr(1) : token;
    const char* fin = numero.data() + numero.size();
    double valor = 0;
    auto [usado, error] = std::from_chars(numero.data(), fin, valor, std::chars_format::general);
    if (usado != fin) return false;
    if (error == std::errc()) {
        x = valor;
        return true;
    }
    if (error == std::errc::result_out_of_range && ExponenteDelPrimerDigito(token) < 0) {
        x = token[0] == '-' ? -0.0 : 0.0;
        return true;
    }
    return false;
}

bool TextoDecimalAEntero(std::string_view s, int& k) {
    std::size_t i = 0;
    if (i < s.size() && EsSigno(s[i])) ++i;
    if (SaltarCifras(s, i) == 0 || i != s.size()) return false;
    std::string_view numero = s[0] == '+' ? s.substr(1) : s;
    const char* fin = numero.data() + numero.size();
    int valor = 0;
    auto [usado, error] = std::from_chars(numero.data(), fin, valor);
    if (error != std::errc() || usado != fin) return false;
    k = valor;
    return true;
}

int TextoAEntero(std::string_view s) {
    int k = 0;
    if (!TextoDecimalAEntero(s, k))
        throw EConvertError("\"" + std::string(s) + "\" no es un valor entero válido");
    return k;
}

void CifrasSignificativas(double x, int digitos, std::string& cifras, int& exponente) {
    if (CifrasDeMitadExacta(x, digitos, cifras, exponente)) return;
    // Correctly rounded to `digitos` significant digits: "d.ddde+XX". Only an
    // exact half, taken above, would go to the even neighbour here.
    char cientifico[40];
    char* fin = std::to_chars(cientifico, cientifico + sizeof cientifico, std::fabs(x),
                              std::chars_format::scientific, digitos - 1)
                    .ptr;
    cifras.assign(1, cientifico[0]);
    if (digitos > 1) cifras.append(cientifico + 2, static_cast<std::size_t>(digitos - 1));
    const char* e = std::find(cientifico, fin, 'e');
    exponente = 0;
    std::from_chars(e[1] == '+' ? e + 2 : e + 1, fin, exponente);
}

std::string FormatoGeneral(double x, int digitos) {
    return FormatoGeneral(x, digitos, AjustesFormato().DecimalSeparator);
}

std::string FormatoGeneral(double x, int digitos, char separadorDecimal) {
    if (!std::isfinite(x)) return std::string(TextoNoFinito(x));
    if (x == 0) return "0";
    digitos = std::clamp(digitos, 1, 17);
    std::string cifras;
    int exponente = 0;
    CifrasSignificativas(x, digitos, cifras, exponente);
    cifras.erase(std::max<std::size_t>(cifras.find_last_not_of('0') + 1, 1));

    std::string texto = x < 0 ? "-" : "";
    if (exponente >= -5 && exponente <= digitos - 1)
        return texto + NotacionFija(cifras, exponente, separadorDecimal);
    return texto + NotacionCientifica(cifras, exponente, separadorDecimal);
}

void CifrasFijas(double x, int decimales, std::string& enteras, std::string& fraccion) {
    decimales = std::max(decimales, 0);
    // to_chars rounds correctly, but sends an exact half to the even
    // neighbour; a half has one decimal more, exactly, and is rounded up here.
    const bool mitad = EsMitadEnDecimales(x, decimales);
    const int escritos = mitad ? decimales + 1 : decimales;
    // Up to 309 integer digits, the point and the decimals.
    std::string texto(static_cast<std::size_t>(escritos) + 320, '\0');
    char* fin = std::to_chars(texto.data(), texto.data() + texto.size(), std::fabs(x), std::chars_format::fixed,
                              escritos)
                    .ptr;
    texto.resize(static_cast<std::size_t>(fin - texto.data()));
    const std::size_t punto = std::min(texto.find('.'), texto.size());
    std::string cifras = texto.substr(0, punto) + (punto < texto.size() ? texto.substr(punto + 1) : "");
    if (mitad) {
        cifras.pop_back();  // the 5
        SumarUnoALaUltimaCifra(cifras);
    }
    const std::size_t largoEnteras = cifras.size() - static_cast<std::size_t>(decimales);
    enteras = cifras.substr(0, largoEnteras);
    fraccion = cifras.substr(largoEnteras);
}

std::string FormatoFijo(double x, int decimales, int ancho, char separadorDecimal) {
    std::string texto;
    if (!std::isfinite(x)) {
        texto = TextoNoFinito(x);
    } else {
        std::string enteras, fraccion;
        CifrasFijas(x, decimales, enteras, fraccion);
        texto = (x < 0 ? "-" : "") + enteras;  // a negative zero is written as zero
        if (!fraccion.empty()) texto += separadorDecimal + fraccion;
    }
    if (static_cast<int>(texto.size()) < ancho) texto.insert(0, ancho - texto.size(), ' ');
    return texto;
}
