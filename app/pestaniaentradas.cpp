#include "app/pestaniaentradas.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/cajas.h"
#include "app/ventanaparque.h"

namespace {

// A box made with its name and text into *caja, shown under its label.
struct TCajaConEtiqueta {
    QLineEdit** caja;
    const char* nombre;
    const char* texto;
    const char* etiqueta;
};
enum class TUsoCaja { Entrada, Salida };

// Makes the boxes and fills a two-column grid with them, row by row from
// `fila`.
void PonerCajas(QGridLayout* rejilla, int fila, TUsoCaja uso, std::initializer_list<TCajaConEtiqueta> cajas) {
    int k = 0;
    for (const TCajaConEtiqueta& c : cajas) {
        const QString texto = QString::fromUtf8(c.texto);
        *c.caja = uso == TUsoCaja::Salida ? NuevaCajaDeSalida(c.nombre, texto) : NuevaCaja(c.nombre, texto);
        PonerEnCelda(rejilla, fila, k++, ConEtiqueta(QString::fromUtf8(c.etiqueta), *c.caja));
    }
}

}  // namespace

TPestaniaEntradas::TPestaniaEntradas() {
    auto* fila = new QHBoxLayout(this);
    auto* izquierda = new QVBoxLayout;
    fila->addLayout(izquierda);

    GroupBox2 = new QGroupBox(QStringLiteral("Entradas"));
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto* entradas = new QGridLayout(GroupBox2);
    PonerCajas(entradas, 0, TUsoCaja::Entrada,
               {{&eDir1, "eDir1", "270", "Dirección E.M. [°]"},
                {&eVAnemoEntrada1, "eVAnemoEntrada1", "9.99", "Velocidad E.M. [m/s] "},
                {&eAlfaTerreno1, "eAlfaTerreno1", "0.006", "Alfa terreno:"},
                {&eGamma_Atmosfera1, "eGamma_Atmosfera1", "0.006", "Gamma Atmósfera:"},
                {&efpv3pe1, "efpv3pe1", "1", "fpv3pe:"},
                {&eFactorPerdidasParque1, "eFactorPerdidasParque1", "1", "Factor de pérdidas:"},
                {&eLimiteDePotencia1, "eLimiteDePotencia1", "1", "Límite de potencia [MW]"},
                {&eEthaMeteo2, "eEthaMeteo2", "1", "Etha E.M."}});
    btCargarMC1 = NuevoBoton("btCargarMC1", QStringLiteral("Cargar Modelo Calibrado"));
    btCalcular1 = NuevoBoton("btCalcular1", QStringLiteral("Simular Modelo Teórico"));
    entradas->addWidget(btCargarMC1, 4, 0, 1, 2);
    entradas->addWidget(btCalcular1, 5, 0, 1, 2);
    izquierda->addWidget(GroupBox2);

    auto* salidas = new QGridLayout;
    salidas->addWidget(new QLabel(QStringLiteral("Salidas")), 0, 0, 1, 2);
    PonerCajas(salidas, 1, TUsoCaja::Salida,
               {{&eVAnemoResultante1, "eVAnemoResultante1", "???", "Velocidad E.M. [m/s] "},
                {&ePE_MW_ModeloTeorico1, "ePE_MW_ModeloTeorico1", "ePE_MW_ModeloTeorico",
                 "Potencia Modelo Teórico [MW]"},
                {&ePE_MW_Representantes1, "ePE_MW_Representantes1", "ePE_MW_Representantes",
                 "Potencia Modelo Empírico [MW]"},
                {&eME_Peso1, "eME_Peso1", "eME_Peso", "Peso Datos Modelo Empírico"}});
    izquierda->addLayout(salidas);

    FechaDesde1 = NuevoSelectorFecha("FechaDesde1", "01/02/2018");
    FechaHasta1 = NuevoSelectorFecha("FechaHasta1", "01/03/2018");
    eHoras_Buffer = NuevaCaja("eHoras_Buffer", QStringLiteral("3"));
    auto* restricciones = new QGridLayout;
    restricciones->addWidget(new QLabel(QStringLiteral("Restricciones Operativas")), 0, 0, 1, 2);
    restricciones->addWidget(ConEtiqueta(QStringLiteral("Desde (>=)"), FechaDesde1), 1, 0);
    restricciones->addWidget(ConEtiqueta(QStringLiteral("Hasta (<=)"), FechaHasta1), 1, 1);
    restricciones->addWidget(ConEtiqueta(QStringLiteral("Muestras Buffer"), eHoras_Buffer), 2, 0);
    cbSoloTeorico = NuevaCasilla("cbSoloTeorico", QStringLiteral("Solo Modelo Teórico."));
    cbSeriesConVelLibre = NuevaCasilla("cbSeriesConVelLibre", QStringLiteral("Series con Velocidad Libre"));
    flg_sinMatrizFactores = NuevaCasilla("flg_sinMatrizFactores", QStringLiteral("Sin Matriz Factores"));
    restricciones->addWidget(cbSoloTeorico, 3, 0, 1, 2);
    restricciones->addWidget(cbSeriesConVelLibre, 4, 0, 1, 2);
    restricciones->addWidget(flg_sinMatrizFactores, 5, 0, 1, 2);
    btProcesarRestricciones1 = NuevoBoton("btProcesarRestricciones1", QStringLiteral("Calcular solo las R.O."));
    btProcesarSeriesConMC1 = NuevoBoton("btProcesarSeriesConMC1", QStringLiteral("Calcular con todos los datos"));
    restricciones->addWidget(btProcesarRestricciones1, 6, 0, 1, 2);
    restricciones->addWidget(btProcesarSeriesConMC1, 7, 0, 1, 2);
    IgualarColumnas(restricciones);
    izquierda->addLayout(restricciones);
    izquierda->addStretch();

    pb_Parque_simple = NuevaCajaPintura("pb_Parque_simple", kAnchoParque, kAltoParque);
    fila->addWidget(pb_Parque_simple, 0, Qt::AlignTop);
}
