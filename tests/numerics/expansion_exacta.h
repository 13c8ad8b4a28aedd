#pragma once
// Oracles for the text forms of reals: the exact decimal expansion of a
// double (it always ends: at most 767 significant digits, 1074 decimals),
// and its rounding by the first dropped digit, independent of the code under
// test.
#include <charconv>
#include <cmath>
#include <string>

// The exact decimal expansion of |x| in scientific form: its digits d1 d2 ...,
// trailing zeros included, and the decimal exponent of d1.
inline std::string ExpansionExacta(double x, int& exponente) {
    static char texto[1200];
    char* fin = std::to_chars(texto, texto + sizeof texto, std::fabs(x), std::chars_format::scientific, 800).ptr;
    const std::string completo(texto, fin);
    const std::size_t e = completo.find('e');
    exponente = std::stoi(completo.substr(e + 1));
    return completo.substr(0, 1) + completo.substr(2, e - 2);
}

// The decimal exponent of the first digit of |x|'s exact value.
inline int ExponenteExacto(double x) {
    int exponente = 0;
    ExpansionExacta(x, exponente);
    return exponente;
}

// The exact expansion of |x| in fixed notation, with 1074 decimals.
inline std::string ExpansionExactaFija(double x) {
    static char texto[1500];
    char* fin = std::to_chars(texto, texto + sizeof texto, std::fabs(x), std::chars_format::fixed, 1074).ptr;
    return std::string(texto, fin);
}

// Whether |x| is exactly halfway between two multiples of 10^-decimales: its
// exact expansion ends in a 5 right after them.
inline bool EsMitadExacta(double x, int decimales) {
    std::string exacta = ExpansionExactaFija(x);
    exacta.erase(exacta.find_last_not_of('0') + 1);
    return exacta.size() == exacta.find('.') + 2 + static_cast<std::size_t>(decimales) && exacta.back() == '5';
}

// |x|'s exact expansion rounded at `decimales` decimals by its first dropped
// digit: on the exact digits a 5 there means a half or more, so it goes up.
inline std::string FijoDeLaExpansionExacta(double x, int decimales) {
    const std::string exacta = ExpansionExactaFija(x);
    const std::size_t punto = exacta.find('.');
    const auto d = static_cast<std::size_t>(decimales);
    std::string cifras = "0" + exacta.substr(0, punto) + exacta.substr(punto + 1, d);
    if (exacta[punto + 1 + d] >= '5') {
        std::size_t i = cifras.size() - 1;
        for (; cifras[i] == '9'; --i) cifras[i] = '0';  // the leading 0 stops the carry
        ++cifras[i];
    }
    if (cifras.size() > 1 && cifras[0] == '0' && cifras.size() - d > 1) cifras.erase(0, 1);
    const std::size_t enteras = cifras.size() - d;
    return d > 0 ? cifras.substr(0, enteras) + "." + cifras.substr(enteras) : cifras;
}
