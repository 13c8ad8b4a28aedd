#include "app/pestaniacurvas.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <cstdint>
#include <filesystem>

#include "app/cajas.h"
#include "app/graficos.h"
#include "app/pestaniaentradas.h"
#include "app/pestaniaparque.h"
#include "app/ventanaparque.h"
#include "charts/ugraficador.h"
#include "data/unidades.h"
#include "models/uauxdensidad.h"
#include "models/ucalibrador.h"
#include "models/uparques_modelocombinado.h"
#include "models/uparques_modeloempirico.h"
#include "models/uparques_modeloteorico.h"
#include "numerics/errores.h"
#include "numerics/formatonumeros.h"
#include "numerics/textoreal.h"

namespace {

constexpr int kAnchoCurvas = 797, kAltoCurvas = 501;
constexpr int kAnchoJPG = 2100, kAltoJPG = 1000, kCalidadJPG = 100;

// The direction in hundredths of a degree, truncated, as the P(V) chart's
// file name carries it.
std::string SufijoDeDireccion(double d) {
    const double centesimas = std::trunc(d * 100);
    if (!(std::fabs(centesimas) < 2147483647.0))
        throw EMathError("La dirección " + FormatoGeneral(d, 15) + " no da un nombre de archivo.");
    return std::to_string(static_cast<int64_t>(centesimas));
}

}  // namespace

TPestaniaCurvas::TPestaniaCurvas(TEntornoPestanias& entorno, TPestaniaParque& parque,
                                 const TPestaniaEntradas& entradas)
    : TPestania(entorno), parque_(parque), eDir(parque.eDir), flg_sinMatrizFactores(entradas.flg_sinMatrizFactores) {
    auto* fila = new QHBoxLayout(this);
    PaintBox1 = NuevaCajaPintura("PaintBox1", kAnchoCurvas, kAltoCurvas);
    btPlot_PV_MEMTMC = NuevoBoton("btPlot_PV_MEMTMC", QStringLiteral("Graficar P(V) MEMTMC"));
    eEthaMeteo1 = NuevaCaja("eEthaMeteo1", QStringLiteral("1"));
    fila->addWidget(PaintBox1, 0, Qt::AlignTop);
    auto* derecha = new QVBoxLayout;
    fila->addLayout(derecha);
    derecha->addWidget(btPlot_PV_MEMTMC);
    derecha->addWidget(ConEtiqueta(QStringLiteral("Meteo_etha: "), eEthaMeteo1));
    derecha->addStretch();
    AlPulsar(btPlot_PV_MEMTMC, [this] { btPlot_PV_MEMTMCClick(); });
}

void TPestaniaCurvas::ActualizarParqueDesdeFormulario() { parque_.ActualizarParqueDesdeFormulario(); }

// The power curves of the three models for the direction in the direction
// box, drawn on the curves tab and then saved under "c:\basura", a folder
// the system does not create.
void TPestaniaCurvas::btPlot_PV_MEMTMCClick() {
    TCalibradorParque* calibrador = modelos_.CalibradorActual();
    TParque_ModeloCombinado* combinado = modelos_.ModeloCombinadoActual();
    if (!calibrador || !calibrador->ModeloEmpirico)
        throw EErrorQuendal("No hay un calibrador cargado: no hay curvas P(V) que graficar.");
    if (!combinado)
        throw EErrorQuendal("No hay un modelo combinado cargado: cargue uno antes de graficar las curvas P(V).");
    const double d = RealDe(eDir);
    ActualizarParqueDesdeFormulario();
    TParque_ModeloTeorico& parque = *modelos_.ParqueActual();
    const TParque_ModeloEmpirico& empirico = *calibrador->ModeloEmpirico;
    const double tope = calibrador->Parque->potencia_autorizada_mw;
    const int32_t n = empirico.mediosTramos.n;
    TVectR v(n), potenciaME(n), potenciaMT(n), potenciaMC(n);
    for (int32_t j = 1; j <= n; ++j) {
        v.pv[j] = VientoDePotencia(empirico.mediosTramos.pv[j], DensidadBase);
        const double p = PotenciaDelViento(v.pv[j], DensidadBase);
        parque.FijarDireccion(d);
        potenciaMT.pv[j] = parque.PotenciaDesdeEstacion(DensidadBase, p, tope);
        double cuenta = 0;
        potenciaME.pv[j] = empirico.PE_PorTramos(d, p, cuenta);
        double conConsigna = 0, sinConsigna = 0, teorica = 0;
        combinado->CalcularPotencia(flg_sinMatrizFactores->isChecked(), conConsigna, sinConsigna, teorica, v.pv[j], d,
                                    DensidadBase, 1e6, false, false);
        potenciaMC.pv[j] = sinConsigna;
    }

    auto grafico = TGrafico::Create("PE_Cluster", "", TSG_LineaConMarcadores, 0);
    grafico->Titulo = "Potencias ME y MT para el ángulo: " + FloatToStrF(d, FR_Fijo, 15, 1) + "°";
    grafico->EjeX->Titulo = "Velocidad de viento [m/s]";
    grafico->EjeY->Titulo = "Potencia eléctrica [MW]";
    TSerieGrafico* abscisa = AgregarAbscisaV(*grafico, v);
    AgregarSerieSobreV(*grafico, abscisa, "MW_ME", potenciaME, kVerde, kVerde);
    AgregarSerieSobreV(*grafico, abscisa, "MW_MT", potenciaMT, kAzul, kAzul);
    AgregarSerieSobreV(*grafico, abscisa, "MW_MC", potenciaMC, clNinguno, kRojo);
    DibujarEnCaja(*grafico, PaintBox1);

    const std::string carpeta = RutaLocal("c:\\basura");
    if (!std::filesystem::is_directory(carpeta))
        throw EInOutError("No existe la carpeta c:\\basura (" + carpeta +
                          "), donde se guarda el gráfico de las curvas P(V): créela y vuelva a graficar.");
    grafico->GuardarJPG(RutaLocal("c:\\basura\\curvas_MW_PE_MT_" + SufijoDeDireccion(d) + ".jpg"), kAnchoJPG,
                        kAltoJPG, kCalidadJPG);
}
