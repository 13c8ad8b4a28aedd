#include "data/ucarpetasdatos.h"

#include <exception>

#include "data/ucarpetasmodelos.h"
#include "numerics/errores.h"

std::string crearCarpeta(std::string_view ruta) {
    try {
        CrearCarpetaSiFalta(ruta);
    } catch (const std::exception&) {
        throw EInOutError("Error al intentar crear la carpeta: " + std::string(ruta));
    }
    return std::string(ruta);
}

void InicializarCarpetasDatos() {
    for (std::string_view carpeta : CarpetasDatos) crearCarpeta(carpeta);
}
