#include "models/uauxdensidad.h"

#include <cmath>

double DensidadAire(double temperatura, double presion, double humedad) {
    const double densidad =
        (0.34848 * presion - std::exp(0.061 * temperatura) * (0.009 * humedad)) / (273.16 + temperatura);
    if (densidad < 1.1 || densidad > 1.3) return 1.18;
    return densidad;
}

double FactorDensidad(double densidad) { return densidad / DensidadBase; }

double RelacionDensidad(double densidad) { return FactorDensidad(densidad); }

double PotenciaDelViento(double velocidad, double densidad) {
    return velocidad * velocidad * velocidad * (0.5 * densidad) / 1000000.0;
}

double VientoDePotencia(double potenciaViento, double densidad) {
    const double x = potenciaViento / (0.5 * densidad) * 1000000.0;
    // No real cube root through the logarithm for x <= 0: calm air.
    if (!(x > 0)) return 0;
    return std::exp(std::log(x) / 3);
}

std::string RellenarIzquierda(std::string_view s, int n, char c) {
    std::string resultado(s);
    if (static_cast<int>(resultado.size()) < n) resultado.insert(0, n - resultado.size(), c);
    return resultado;
}

std::string DosDigitos(std::string_view s, char c) { return RellenarIzquierda(s, 2, c); }

std::string FechaCompacta(TDateTime fecha) {
    const TFechaHora f = DecodeDateTime(fecha);
    std::string sello = std::to_string(f.anio) + DosDigitos(std::to_string(f.mes), '0') +
                        DosDigitos(std::to_string(f.dia), '0');
    if (f.hora + f.minuto > 0)
        sello += DosDigitos(std::to_string(f.hora), '0') + DosDigitos(std::to_string(f.minuto), '0');
    return sello;
}

double Norma2D(const TPunto2D& p) { return std::sqrt(p.x * p.x + p.y * p.y); }
