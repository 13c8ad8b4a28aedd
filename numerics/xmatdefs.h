#pragma once
// Base of the numerical library: the zero-based dynamic arrays every
// subsystem exchanges, a few operations on them, and the zero threshold
// against which the library decides that a number is zero.
#include <cstdint>
#include <string>
#include <vector>

#include "numerics/uevaluador.h"

using TDAofNInt = std::vector<int32_t>;
using TDAofNReal = std::vector<double>;
using TDAofString = std::vector<std::string>;
// One byte per element (std::vector<bool> packs bits and hands out proxies).
using TDAOfBoolean = std::vector<uint8_t>;
using TMatOfNReal = std::vector<TDAofNReal>;

// Machine epsilon of doubles (2^-52), set once at start-up. A value is zero
// when its absolute value is strictly below it, whatever its surroundings.
extern double UmbralCero;
// 2*pi, as the original stored it.
extern double DosPi;

double CalcularEpsilonMaquina();
void InicializarXMatDefs();

// Min, max and mean of an empty array raise EErrorQuendal instead of reading
// element 0.
double MinimoArreglo(const TDAofNReal& a);
double MaximoArreglo(const TDAofNReal& a);
double SumaArreglo(const TDAofNReal& a);
double PromedioArreglo(const TDAofNReal& a);
void CerosArreglo(TDAofNReal& a);
void LlenarArregloBool(TDAOfBoolean& a, bool valor);
void IntercambiarReales(double& a, double& b);
void IntercambiarArreglos(TDAofNReal& a, TDAofNReal& b);
bool EsCero(double x);
int BoolAEntero(bool b);
