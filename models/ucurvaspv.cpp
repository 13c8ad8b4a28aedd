#include "models/ucurvaspv.h"

#include <cmath>
#include <cstdint>
#include <filesystem>

#include "charts/ugraficador.h"
#include "data/unidades.h"
#include "models/uauxdensidad.h"
#include "models/ucalibrador.h"
#include "models/uparques_modelocombinado.h"
#include "models/uparques_modeloteorico.h"
#include "numerics/errores.h"
#include "numerics/textoreal.h"

namespace {

// A set-point far above any park, for the combined curve without set-point cap.
constexpr double kConsignaSinTope = 1e6;
constexpr int kAnchoJPG = 2100, kAltoJPG = 1000, kCalidadJPG = 100;

// The direction in hundredths of a degree, truncated, as the file name
// carries it.
std::string SufijoDeDireccion(double d) {
    const double centesimas = std::trunc(d * 100);
    if (!(std::fabs(centesimas) < 2147483647.0))
        throw EMathError("La dirección " + FormatoGeneral(d, 15) + " no da un nombre de archivo.");
    return std::to_string(static_cast<int64_t>(centesimas));
}

}  // namespace

TCurvasPV CalcularCurvasPV(TParque_ModeloTeorico& parque, const TCalibradorParque& calibrador,
                           TParque_ModeloCombinado& combinado, double direccion, bool sinMatrizFactores) {
    const TParque_ModeloEmpirico& empirico = *calibrador.ModeloEmpirico;
    const double tope = parque.potencia_autorizada_mw;
    const int32_t n = empirico.mediosTramos.n;
    TCurvasPV curvas{TVectR(n), TVectR(n), TVectR(n), TVectR(n)};
    for (int32_t j = 1; j <= n; ++j) {
        const double v = VientoDePotencia(empirico.mediosTramos.pv[j], DensidadBase);
        const double p = PotenciaDelViento(v, DensidadBase);
        curvas.v.pv[j] = v;
        parque.FijarDireccion(direccion);
        curvas.MW_MT.pv[j] = parque.PotenciaDesdeEstacion(DensidadBase, p, tope);
        double cuenta = 0;
        curvas.MW_ME.pv[j] = empirico.PE_PorTramos(direccion, p, cuenta);
        double conConsigna = 0, sinConsigna = 0, teorica = 0;
        combinado.CalcularPotencia(sinMatrizFactores, conConsigna, sinConsigna, teorica, v, direccion, DensidadBase,
                                   kConsignaSinTope, false, false);
        curvas.MW_MC.pv[j] = sinConsigna;
    }
    return curvas;
}

std::string ArchivoGraficoCurvasPV(double direccion) {
    return "c:\\basura\\curvas_MW_PE_MT_" + SufijoDeDireccion(direccion) + ".jpg";
}

void GuardarGraficoCurvasPV(TGrafico& grafico, double direccion) {
    const std::string carpeta = RutaLocal("c:\\basura");
    if (!std::filesystem::is_directory(carpeta))
        throw EInOutError("No existe la carpeta c:\\basura (" + carpeta +
                          "), donde se guarda el gráfico de las curvas P(V): créela y vuelva a graficar.");
    grafico.GuardarJPG(RutaLocal(ArchivoGraficoCurvasPV(direccion)), kAnchoJPG, kAltoJPG, kCalidadJPG);
}
