#include "data/inicio.h"

#include "data/ucarpetasdatos.h"
#include "data/ucarpetasmodelos.h"

void InicializarDatos() {
    InicializarCarpetaModelos();
    InicializarCarpetasDatos();
}
