#include "app/pestaniasolar.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/cajas.h"
#include "data/ucarpetasmodelos.h"
#include "data/upgsql.h"
#include "models/uGranjaSolar.h"
#include "restrictions/ucalcrestriccionesoperativas.h"

TPestaniaSolar::TPestaniaSolar(TEntornoPestanias& entorno) : TPestania(entorno) {
    auto* fila = new QHBoxLayout(this);
    eNidCentral_Solar = NuevaCaja("eNidCentral_Solar", QString());
    btProcesarRestricciones_solar =
        NuevoBoton("btProcesarRestricciones_solar", QStringLiteral("Calibrar y calcular solo RO"));
    btProcesarSeries_solar = NuevoBoton("btProcesarSeries_solar", QStringLiteral("Calibrar y calcular todos los datos"));
    FechaDesde_Solar = NuevoSelectorFecha("FechaDesde_Solar", "01/12/2017");
    FechaHasta_Solar = NuevoSelectorFecha("FechaHasta_Solar", "01/01/2018");
    eHoras_Buffer_Solar = NuevaCaja("eHoras_Buffer_Solar", QStringLiteral("3"));
    StringGrid2 = NuevaRejilla("StringGrid2", 7, 2);

    auto* contenido = new QWidget;
    auto* columna = new QVBoxLayout(contenido);
    columna->setContentsMargins(0, 0, 0, 0);
    auto* controles = new QGridLayout;
    controles->addWidget(ConEtiqueta(QStringLiteral("nid Central Solar"), eNidCentral_Solar), 0, 0);
    controles->addWidget(ConEtiqueta(QStringLiteral("Desde (>=)"), FechaDesde_Solar), 1, 0);
    controles->addWidget(ConEtiqueta(QStringLiteral("Hasta (<=)"), FechaHasta_Solar), 1, 1);
    controles->addWidget(ConEtiqueta(QStringLiteral("Muestras Buffer"), eHoras_Buffer_Solar), 2, 0);
    controles->addWidget(btProcesarRestricciones_solar, 3, 0);
    controles->addWidget(btProcesarSeries_solar, 3, 1);
    IgualarColumnas(controles);
    columna->addLayout(controles);
    const int bordes = 2 * StringGrid2->frameWidth();
    StringGrid2->setFixedSize(7 * StringGrid2->columnWidth(0) + bordes, 2 * StringGrid2->rowHeight(0) + bordes);
    columna->addWidget(StringGrid2);
    columna->addStretch();
    fila->addWidget(contenido);
    fila->addStretch();

    // Both runs hold the window while they print.
    AlPulsar(btProcesarSeries_solar, [this] { btProcesarSeries_solarClick(); }, TGuardia::Corrida);
    AlPulsar(btProcesarRestricciones_solar, [this] { btProcesarRestricciones_solarClick(); }, TGuardia::Corrida);
}

// Builds the plant's solar model and shows its coefficients. The plant
// number is read before anything else; the current model is replaced only
// by a model that was built.
void TPestaniaSolar::btProcesarSeries_solarClick() { ConstruirModeloSolar(EnteroDe(eNidCentral_Solar)); }

// Builds the model, then estimates the energy not generated during the
// restriction windows from "Desde" to the end of the "Hasta" day. The ring
// length and the dates are checked before the current model is replaced.
void TPestaniaSolar::btProcesarRestricciones_solarClick() {
    const int32_t nid = EnteroDe(eNidCentral_Solar);
    const int32_t muestrasBuffer = LongitudDeAnillo(eHoras_Buffer_Solar);
    const TPeriodo periodo = PeriodoDe(FechaDesde_Solar, FechaHasta_Solar);
    ConstruirModeloSolar(nid);
    ProcesarRestriccionesSolar(entorno_.ConexionAbierta(), *modelos_.GeneradorSolarActual(),
                               RutaArchivoEnCarpetaCentral(nid, "_series10min.sas"), CarpetaCentral(nid),
                               muestrasBuffer, periodo.desde, periodo.hasta + 1);
}

void TPestaniaSolar::ConstruirModeloSolar(int32_t nid) {
    NidCentralSolar = nid;
    TPgSqlCon& conexion = entorno_.ConexionAbierta();
    const auto fila = FilaDeCentral(conexion, nid);
    auto modelo = TGeneradorSolar::Create(RutaArchivoEnCarpetaCentral(nid, "_series10min.sas"), nid, &conexion, *fila);
    modelos_.PonerGeneradorSolar(std::move(modelo));
    FijarCoeficientesPolinomio_Solar();
}

void TPestaniaSolar::FijarCoeficientesPolinomio_Solar() {
    const TGeneradorSolar* modelo = modelos_.GeneradorSolarActual();
    if (!modelo) return;
    static const char* const terminos[] = {"r", "T", "r^2", "r*T", "T^2", "1"};
    PonerCelda(StringGrid2, 0, 1, QStringLiteral("Coefs."));
    for (int i = 1; i <= 6; ++i) {
        PonerCelda(StringGrid2, i, 0, QString::fromLatin1(terminos[i - 1]));
        PonerCelda(StringGrid2, i, 1, TextoDeNumero(modelo->Coeficientes.pv[i]));
    }
    // Coefficients of 15 digits are wider than the grid's first columns.
    StringGrid2->setWordWrap(false);
    StringGrid2->resizeColumnsToContents();
    int ancho = 2 * StringGrid2->frameWidth();
    for (int c = 0; c < StringGrid2->columnCount(); ++c) ancho += StringGrid2->columnWidth(c);
    StringGrid2->setFixedWidth(ancho);
}
