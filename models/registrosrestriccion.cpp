#include "models/registrosrestriccion.h"

TRecEnergiaPorFecha RegistroSoloEnergia(TDateTime fecha, double energia) {
    return {fecha,
            energia,
            ValorFaltanteEnergia,
            ValorFaltanteEnergia,
            ValorFaltanteEnergia,
            ValorFaltanteEnergia,
            ValorFaltanteEnergia};
}
