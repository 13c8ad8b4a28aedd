#include "numerics/errores.h"

#include <cmath>

EInOutError::EInOutError(const std::string& mensaje, const std::string& archivo, int linea)
    : EErrorQuendal(mensaje + " (" + archivo + ", línea " + std::to_string(linea) + ")"),
      archivo_(archivo),
      linea_(linea) {}

double VerificarFinito(double x, std::string_view operacion) {
    if (!std::isfinite(x))
        throw EMathError("Error de punto flotante en " + std::string(operacion));
    return x;
}
