#include "numerics/inicio.h"

#include "numerics/uauxiliares.h"
#include "numerics/xmatdefs.h"

void InicializarNumericos() {
    InicializarXMatDefs();
    InicializarUAuxiliares();
}
