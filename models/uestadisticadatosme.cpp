#include "models/uestadisticadatosme.h"

#include <cmath>
#include <cstdint>

#include "models/uparques_modeloempirico.h"

namespace {

constexpr int32_t kPuntosVelocidad = 26;   // 0 to 25 m/s
constexpr int32_t kPuntosDireccion = 360;  // 0° to 359°

struct TRangoConDecimales {
    const char* etiqueta;
    const TRangoSerie& rango;
    int decimales;
};

// x brought to the nearest value with `decimales` decimals, ties to even.
double RedondearDecimales(double x, int decimales) {
    const double escala = std::pow(10.0, decimales);
    return std::nearbyint(x * escala) / escala;
}

}  // namespace

TEstadisticaDatosME CalcularEstadisticaDatosME(const TEstadisticasModeloEmpirico& estadisticas,
                                               const TParque_ModeloEmpirico& modelo) {
    TEstadisticaDatosME resultado{TVectR(kPuntosVelocidad), TVectR(kPuntosVelocidad), TVectR(kPuntosDireccion),
                                  TVectR(kPuntosDireccion), {}};
    for (int32_t i = 1; i <= kPuntosVelocidad; ++i) {
        resultado.velocidades.pv[i] = i - 1;
        resultado.densidadVelocidad.pv[i] = estadisticas.distribucionVelocidad->Densidad(resultado.velocidades.pv[i]);
    }
    for (int32_t i = 1; i <= kPuntosDireccion; ++i) {
        resultado.direcciones.pv[i] = i - 1;
        resultado.frecuenciaDireccion.pv[i] = modelo.FrecuenciaDireccion(resultado.direcciones.pv[i]);
    }
    const TRangoConDecimales filas[] = {
        {"Velocidad [m/s]", estadisticas.velocidad, 4},         {"Potencia [MW]", estadisticas.potencia, 4},
        {"Presión [hPa]", estadisticas.presion, 6},             {"Hum. Relativa [%]", estadisticas.humedad, 3},
        {"Disponibilidad [p.u.]", estadisticas.disponibilidad, 3}, {"Temperatura [ºC]", estadisticas.temperatura, 3},
        {"CGM [MW]", estadisticas.consigna, 3}};
    for (std::size_t f = 0; f < resultado.rangos.size(); ++f)
        resultado.rangos[f] = {filas[f].etiqueta, RedondearDecimales(filas[f].rango.minimo, filas[f].decimales),
                               RedondearDecimales(filas[f].rango.maximo, filas[f].decimales)};
    return resultado;
}

std::optional<TEstadisticaDatosME> CalcularEstadisticaDatosME(const TParque_ModeloEmpirico& modelo) {
    TEstadisticasModeloEmpirico estadisticas;
    if (!modelo.Estadisticas(estadisticas)) return std::nullopt;
    return CalcularEstadisticaDatosME(estadisticas, modelo);
}
