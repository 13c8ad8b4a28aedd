#include "app/pestaniacurvas.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/cajas.h"
#include "app/graficos.h"
#include "app/pestaniaentradas.h"
#include "app/pestaniaparque.h"
#include "app/ventanaparque.h"
#include "charts/ugraficador.h"
#include "charts/ugraficosmodelos.h"
#include "models/ucalibrador.h"
#include "models/ucurvaspv.h"
#include "models/uparques_modelocombinado.h"
#include "models/uparques_modeloteorico.h"
#include "numerics/errores.h"

namespace {

constexpr int kAnchoCurvas = 797, kAltoCurvas = 501;

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

// The power curves of the three models for the direction in the direction
// box, drawn on the curves tab and then saved under "c:\basura", a folder
// the system does not create. The theoretical curve is the park shown's; a
// park or a combined model of another plant than the calibrator's is
// refused, since the chart would mix two plants.
void TPestaniaCurvas::btPlot_PV_MEMTMCClick() {
    TCalibradorParque* calibrador = modelos_.CalibradorActual();
    TParque_ModeloCombinado* combinado = modelos_.ModeloCombinadoActual();
    if (!calibrador || !calibrador->ModeloEmpirico)
        throw EErrorQuendal("No hay un calibrador cargado: no hay curvas P(V) que graficar.");
    if (!combinado)
        throw EErrorQuendal("No hay un modelo combinado cargado: cargue uno antes de graficar las curvas P(V).");
    parque_.ExigirParqueDelCalibrador("Graficar P(V) MEMTMC", "las curvas mezclarían las dos centrales", false);
    if (combinado->Parque->nid != calibrador->Parque->nid)
        throw EErrorQuendal("\"Graficar P(V) MEMTMC\" no se realizó: el modelo combinado actual (" +
                            NombreDelParqueEnMensajes(*combinado->Parque) + ") y el calibrador actual (" +
                            NombreDelParqueEnMensajes(*calibrador->Parque) +
                            ") son de centrales distintas, y las curvas las mezclarían. Cargue el modelo combinado "
                            "de una central con \"Cargar Modelo Calibrado\": será también su calibrador.");
    const double d = RealDe(eDir);
    parque_.ActualizarParqueDesdeFormulario();
    const TCurvasPV curvas =
        CalcularCurvasPV(*modelos_.ParqueActual(), *calibrador, *combinado, d, flg_sinMatrizFactores->isChecked());
    auto grafico = GraficoCurvasPV(d, curvas.v, curvas.MW_ME, curvas.MW_MT, curvas.MW_MC);
    DibujarEnCaja(*grafico, PaintBox1);
    GuardarGraficoCurvasPV(*grafico, d);
}
