#include "numerics/xmatdefs.h"

#include <cmath>
#include <utility>

#include "numerics/errores.h"

double UmbralCero = 0.0;
double DosPi = 0.0;

double CalcularEpsilonMaquina() {
    // volatile keeps 1 + x in double precision, as the original compared it.
    volatile double x = 1.0;
    volatile double uno_mas_x;
    int cuenta = 0;
    do {
        x = x * 0.5;
        ++cuenta;
        uno_mas_x = 1.0 + x;
    } while (uno_mas_x != 1.0 && cuenta < 500000);
    return 2.0 * x;
}

void InicializarXMatDefs() {
    UmbralCero = CalcularEpsilonMaquina();
    DosPi = 6.283185307179586;
}

static void ExigirNoVacio(const TDAofNReal& a, const char* operacion) {
    if (a.empty())
        throw EErrorQuendal(std::string(operacion) + ": arreglo vacío");
}

double MinimoArreglo(const TDAofNReal& a) {
    ExigirNoVacio(a, "MinimoArreglo");
    double resultado = a[0];
    for (size_t i = 1; i < a.size(); ++i)
        if (resultado > a[i]) resultado = a[i];
    return resultado;
}

double MaximoArreglo(const TDAofNReal& a) {
    ExigirNoVacio(a, "MaximoArreglo");
    double resultado = a[0];
    for (size_t i = 1; i < a.size(); ++i)
        if (resultado < a[i]) resultado = a[i];
    return resultado;
}

double SumaArreglo(const TDAofNReal& a) {
    double suma = 0.0;
    for (double x : a) suma += x;
    return suma;
}

double PromedioArreglo(const TDAofNReal& a) {
    ExigirNoVacio(a, "PromedioArreglo");
    return SumaArreglo(a) / static_cast<double>(a.size());
}

void CerosArreglo(TDAofNReal& a) {
    for (double& x : a) x = 0.0;
}

void LlenarArregloBool(TDAOfBoolean& a, bool valor) {
    for (auto& x : a) x = valor ? 1 : 0;
}

void IntercambiarReales(double& a, double& b) { std::swap(a, b); }

void IntercambiarArreglos(TDAofNReal& a, TDAofNReal& b) { a.swap(b); }

bool EsCero(double x) { return std::fabs(x) < UmbralCero; }

int BoolAEntero(bool b) { return b ? 1 : 0; }
