#include "app/uQuendal.h"

#include <QAction>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QPainter>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <optional>
#include <vector>

#include "app/panelconsola.h"
#include "app/traducciones.h"
#include "app/ventanaparque.h"
#include "charts/lienzoqt.h"
#include "charts/ugraficador.h"
#include "charts/ugraficosmodelos.h"
#include "data/ubuscararchivos.h"
#include "data/ucarpetasmodelos.h"
#include "data/unidades.h"
#include "data/upgsql.h"
#include "models/uGranjaSolar.h"
#include "models/uauxdensidad.h"
#include "models/ucalibrador.h"
#include "models/ucurvaspv.h"
#include "models/uestadisticadatosme.h"
#include "models/uparques_modelocombinado.h"
#include "models/uparques_modeloempirico.h"
#include "models/uparques_modeloteorico.h"
#include "numerics/consola.h"
#include "numerics/errores.h"
#include "numerics/fddp_weibull.h"
#include "numerics/fechas.h"
#include "numerics/formatonumeros.h"
#include "numerics/formatsettings.h"
#include "numerics/matreal.h"
#include "numerics/textoreal.h"
#include "numerics/uevaluador.h"
#include "restrictions/ucalcrestriccionesoperativas.h"

namespace {

constexpr int kAnchoCliente = 1366;
constexpr int kAltoCliente = 705;
constexpr int kAnchoParque = 978, kAltoParque = 616;
constexpr int kAnchoEstadistica = 541, kAltoEstadistica = 325;
constexpr int kAnchoCurvas = 797, kAltoCurvas = 501;
// A window frame's title bar, which the screen's free area must hold too.
constexpr int kAltoTituloVentana = 32;
// How often the console pane and the window are brought up to date during a
// run that prints.
constexpr int kMilisegundosEntreRepintados = 100;

QString Qs(const std::string& texto) { return QString::fromStdString(texto); }

// A number written into a box: the general form with 15 significant digits.
QString TextoDeNumero(double x) { return Qs(FormatoGeneral(x, 15)); }

QLineEdit* NuevaCaja(const char* nombre, const QString& texto) {
    auto* caja = new QLineEdit(texto);
    caja->setObjectName(QString::fromLatin1(nombre));
    return caja;
}

QLineEdit* NuevaCajaDeSalida(const char* nombre, const QString& texto) {
    QLineEdit* caja = NuevaCaja(nombre, texto);
    caja->setReadOnly(true);
    return caja;
}

QPushButton* NuevoBoton(const char* nombre, const QString& titulo) {
    auto* boton = new QPushButton(titulo);
    boton->setObjectName(QString::fromLatin1(nombre));
    return boton;
}

QCheckBox* NuevaCasilla(const char* nombre, const QString& titulo) {
    auto* casilla = new QCheckBox(titulo);
    casilla->setObjectName(QString::fromLatin1(nombre));
    return casilla;
}

QTableWidget* NuevaRejilla(const char* nombre, int columnas, int filas) {
    auto* rejilla = new QTableWidget(filas, columnas);
    rejilla->setObjectName(QString::fromLatin1(nombre));
    rejilla->horizontalHeader()->hide();
    rejilla->verticalHeader()->hide();
    return rejilla;
}

TCajaPintura* NuevaCajaPintura(const char* nombre, int ancho, int alto) {
    auto* caja = new TCajaPintura(ancho, alto);
    caja->setObjectName(QString::fromLatin1(nombre));
    return caja;
}

// A tab's page scrolls when the window is smaller than what it holds; the
// scroll area is the tab.
QWidget* Desplazable(QWidget* contenido) {
    // Narrow margins: the input tab's picture and boxes fill the design width.
    if (QLayout* disposicion = contenido->layout()) {
        disposicion->setContentsMargins(2, 2, 2, 2);
        disposicion->setSpacing(3);
    }
    auto* area = new QScrollArea;
    area->setWidget(contenido);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    return area;
}

// A control with its label above it.
QWidget* ConEtiqueta(const QString& etiqueta, QWidget* control) {
    auto* marco = new QWidget;
    auto* columna = new QVBoxLayout(marco);
    columna->setContentsMargins(0, 0, 0, 0);
    columna->setSpacing(1);
    auto* texto = new QLabel(etiqueta);
    texto->setBuddy(control);
    columna->addWidget(texto);
    columna->addWidget(control);
    return marco;
}

// Reads a date text in the order of the short date format in force (day,
// month and year in the order their letters first appear); any non-digit
// separates the numbers. A text that gives no valid date that way is read
// as day, month, year.
QDate FechaDeTextoCorto(const QString& texto, const FormatSettings& ajustes) {
    std::vector<int> numeros;
    int actual = -1;
    for (QChar c : texto + QLatin1Char(' ')) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            actual = (actual < 0 ? 0 : actual * 10) + (c.unicode() - '0');
        } else if (actual >= 0) {
            numeros.push_back(actual);
            actual = -1;
        }
    }
    if (numeros.size() != 3) return QDate();
    std::string orden;
    for (char c : ajustes.ShortDateFormat) {
        const char letra = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if ((letra == 'd' || letra == 'm' || letra == 'y') && orden.find(letra) == std::string::npos) orden += letra;
    }
    if (orden.size() == 3) {
        const QDate fecha(numeros[orden.find('y')], numeros[orden.find('m')], numeros[orden.find('d')]);
        if (fecha.isValid()) return fecha;
    }
    return QDate(numeros[2], numeros[1], numeros[0]);
}

// The short date format in force as a Qt display format.
QString FormatoQtDeFecha(const FormatSettings& ajustes) {
    QString formato;
    for (char c : ajustes.ShortDateFormat) {
        if (c == 'm' || c == 'M') formato += QLatin1Char('M');
        else if (c == 'D') formato += QLatin1Char('d');
        else if (c == 'Y') formato += QLatin1Char('y');
        else if (c == '/') formato += QLatin1Char(ajustes.DateSeparator);
        else formato += QLatin1Char(c);
    }
    return formato;
}

QDateEdit* NuevoSelectorFecha(const char* nombre, const char* textoInicial) {
    const FormatSettings& ajustes = AjustesFormato();
    auto* selector = new QDateEdit(FechaDeTextoCorto(QString::fromLatin1(textoInicial), ajustes));
    selector->setObjectName(QString::fromLatin1(nombre));
    selector->setCalendarPopup(true);
    selector->setDisplayFormat(FormatoQtDeFecha(ajustes));
    // Spanish month and day names; the date itself keeps the format in force.
    selector->calendarWidget()->setLocale(LocalDelCalendario());
    return selector;
}

void CopiarTexto(const QLineEdit* desde, QLineEdit* hacia) {
    // An equal text is left alone: no change event, so two-way pairs stop.
    if (hacia->text() != desde->text()) hacia->setText(desde->text());
}

void CopiarFecha(const QDateEdit* desde, QDateEdit* hacia) {
    if (hacia->date() != desde->date()) hacia->setDate(desde->date());
}

void IgualarColumnas(QGridLayout* rejilla) {
    for (int c = 0; c < rejilla->columnCount(); ++c) rejilla->setColumnStretch(c, 1);
}

QString Lineas(std::initializer_list<const char*> lineas) {
    QStringList partes;
    for (const char* l : lineas) partes << QString::fromUtf8(l);
    return partes.join(QLatin1Char('\n'));
}

// A notice with an OK button, or a question with Yes and No, No by default.
bool CuadroDeMensajeEstandar(QWidget* padre, const QString& titulo, const QString& mensaje, bool esConfirmacion) {
    if (!esConfirmacion) {
        QMessageBox::information(padre, titulo, mensaje);
        return true;
    }
    return QMessageBox::question(padre, titulo, mensaje, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

QString DialogoDeArchivoEstandar(QWidget* padre, const TPeticionDialogo& peticion) {
    QFileDialog dialogo(padre, QString(), peticion.carpetaInicial, peticion.filtro);
    dialogo.setObjectName(peticion.nombre);
    switch (peticion.tipo) {
    case TTipoDialogo::AbrirArchivo:
        dialogo.setAcceptMode(QFileDialog::AcceptOpen);
        dialogo.setFileMode(QFileDialog::ExistingFile);
        break;
    case TTipoDialogo::GuardarArchivo:
        dialogo.setAcceptMode(QFileDialog::AcceptSave);
        dialogo.setFileMode(QFileDialog::AnyFile);
        if (!peticion.extensionPorDefecto.isEmpty()) {
            QString sufijo = peticion.extensionPorDefecto;
            if (sufijo.startsWith(QLatin1Char('.'))) sufijo.remove(0, 1);
            dialogo.setDefaultSuffix(sufijo);
        }
        break;
    case TTipoDialogo::ElegirCarpeta:
        dialogo.setFileMode(QFileDialog::Directory);
        dialogo.setOption(QFileDialog::ShowDirsOnly);
        break;
    }
    if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty()) return QString();
    return dialogo.selectedFiles().first();
}

// A typed real: the box's text evaluated as an arithmetic expression.
double RealDeCaja(const QLineEdit* caja) { return CadenaAReal(caja->text().toStdString()); }

// A date picker's day at 00:00.
TDateTime FechaDeSelector(const QDateEdit* selector) {
    const QDate fecha = selector->date();
    return EncodeDate(fecha.year(), fecha.month(), fecha.day());
}

// The ring length of the restriction runs: a whole number of at least 1,
// read before any dialog opens.
int32_t LongitudDeAnillo(const QLineEdit* caja) {
    const std::string texto = caja->text().toStdString();
    const int32_t muestras = TextoAEntero(texto);
    if (muestras < 1)
        throw EConvertError("Muestras Buffer debe ser un número entero mayor o igual que 1, no \"" + texto + "\"");
    return muestras;
}

// A met-mast table written back from its box. The box holds the table's
// three-digit string form; only a text the user changed is parsed, so the
// calibrated values are not cut to three digits by every simulation. The
// old table stays when the text does not parse, and the failure names it.
void ActualizarMatrizDesdeCaja(TMatR& matriz, const QLineEdit* caja, const char* tabla) {
    const std::string texto = caja->text().toStdString();
    if (texto == matriz.ACadena()) return;
    try {
        matriz = TMatR::Create_DesdeCadena(texto);
    } catch (const EErrorQuendal& e) {
        throw EConvertError(std::string(tabla) + ": " + e.what());
    }
}

}  // namespace

TParque_ModeloTeorico* TTiposModelosQuendal::ParqueDe(TCalibradorParque& calibrador) {
    return calibrador.Parque.get();
}

TFormQuendal::TFormQuendal(QWidget* padre) : QMainWindow(padre) {
    cuadroDeError_ = [this](const QString& mensaje) { return CuadroDeErrorEstandar(this, mensaje); };
    dialogoDeConexion_ = [this] { return PedirDatosDeConexion(this); };
    cuadroDeMensaje_ = [this](const QString& titulo, const QString& mensaje, bool esConfirmacion) {
        return CuadroDeMensajeEstandar(this, titulo, mensaje, esConfirmacion);
    };
    // A dialog given no folder opens where the last one was left, the model
    // root at first (the host folder of the fixed drive is hard to find).
    dialogoDeArchivo_ = [this, ultimaCarpeta = QString()](const TPeticionDialogo& peticion) mutable {
        TPeticionDialogo pedido = peticion;
        if (pedido.carpetaInicial.isEmpty())
            pedido.carpetaInicial = ultimaCarpeta.isEmpty() ? Qs(RutaLocal(CarpetaModelos)) : ultimaCarpeta;
        const QString elegido = DialogoDeArchivoEstandar(this, pedido);
        if (!elegido.isEmpty())
            ultimaCarpeta = pedido.tipo == TTipoDialogo::ElegirCarpeta ? elegido : QFileInfo(elegido).absolutePath();
        return elegido;
    };
    odCalibrador = {QStringLiteral("odCalibrador"), TTipoDialogo::AbrirArchivo, QStringLiteral("*.clp"), {}, {}};
    sdCalibrador = {QStringLiteral("sdCalibrador"), TTipoDialogo::GuardarArchivo, QStringLiteral("*.clp"), {},
                    QStringLiteral(".clp")};
    odProcesarSeries = {QStringLiteral("odProcesarSeries"), TTipoDialogo::AbrirArchivo, QStringLiteral("*.sas"), {}, {}};
    sddElegirCarpetaCentral = {QStringLiteral("sddElegirCarpetaCentral"), TTipoDialogo::ElegirCarpeta, {}, {}, {}};
    setWindowTitle(QStringLiteral("FormQuendal"));
    CrearPestanias();
    ConectarCopiasGemelas();
    ConectarBotones();
    ConectarImagenesDelParque();
    FormCreate();
    CrearMenuVer();
    CrearPanelConsola();
    statusBar()->setObjectName(QStringLiteral("lineaDeEstado"));
    resize(kAnchoCliente, kAltoCliente + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
}

TFormQuendal::~TFormQuendal() {
    if (ObservadorConsola() == receptorConsola_.get()) FijarObservadorConsola(observadorConsolaAnterior_);
}

bool TFormQuendal::CabeEnPantalla(const QSize& ventana, const QRect& libre) {
    return libre.width() >= ventana.width() && libre.height() >= ventana.height() + kAltoTituloVentana;
}

void TFormQuendal::Presentar() {
    const QScreen* pantalla = screen();
    if (pantalla && CabeEnPantalla(size(), pantalla->availableGeometry()))
        show();
    else
        showMaximized();
}

// ---- Building the window ----

void TFormQuendal::CrearPestanias() {
    PageControl1 = new QTabWidget;
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    setCentralWidget(PageControl1);
    TabSheet2 = Desplazable(CrearPestaniaParque());
    TabSheet3 = Desplazable(CrearPestaniaModelos());
    TabSheet4 = Desplazable(CrearPestaniaCurvas());
    TabSheet5 = Desplazable(CrearPestaniaEntradas());
    TabSheet6 = Desplazable(CrearPestaniaSolar());
    TabSheet1 = Desplazable(CrearPestaniaListado());
    const std::pair<QWidget*, const char*> pestanias[] = {
        {TabSheet2, "TabSheet2"}, {TabSheet3, "TabSheet3"}, {TabSheet4, "TabSheet4"},
        {TabSheet5, "TabSheet5"}, {TabSheet6, "TabSheet6"}, {TabSheet1, "TabSheet1"}};
    for (const auto& [pestania, nombre] : pestanias) {
        pestania->setObjectName(QString::fromLatin1(nombre));
        const QString titulo = pestania == TabSheet6 ? QStringLiteral("Solar") : QString::fromLatin1(nombre);
        PageControl1->addTab(pestania, titulo);
    }
}

QWidget* TFormQuendal::CrearPestaniaEntradas() {
    auto* pestania = new QWidget;
    auto* fila = new QHBoxLayout(pestania);
    auto* izquierda = new QVBoxLayout;
    fila->addLayout(izquierda);

    btCalcular1 = NuevoBoton("btCalcular1", QStringLiteral("Simular Modelo Teórico"));
    btCargarMC1 = NuevoBoton("btCargarMC1", QStringLiteral("Cargar Modelo Calibrado"));
    btProcesarRestricciones1 = NuevoBoton("btProcesarRestricciones1", QStringLiteral("Calcular solo las R.O."));
    btProcesarSeriesConMC1 = NuevoBoton("btProcesarSeriesConMC1", QStringLiteral("Calcular con todos los datos"));
    eDir1 = NuevaCaja("eDir1", QStringLiteral("270"));
    eVAnemoEntrada1 = NuevaCaja("eVAnemoEntrada1", QStringLiteral("9.99"));
    eAlfaTerreno1 = NuevaCaja("eAlfaTerreno1", QStringLiteral("0.006"));
    eGamma_Atmosfera1 = NuevaCaja("eGamma_Atmosfera1", QStringLiteral("0.006"));
    efpv3pe1 = NuevaCaja("efpv3pe1", QStringLiteral("1"));
    eFactorPerdidasParque1 = NuevaCaja("eFactorPerdidasParque1", QStringLiteral("1"));
    eLimiteDePotencia1 = NuevaCaja("eLimiteDePotencia1", QStringLiteral("1"));
    eEthaMeteo2 = NuevaCaja("eEthaMeteo2", QStringLiteral("1"));
    eVAnemoResultante1 = NuevaCajaDeSalida("eVAnemoResultante1", QStringLiteral("???"));
    ePE_MW_ModeloTeorico1 = NuevaCajaDeSalida("ePE_MW_ModeloTeorico1", QStringLiteral("ePE_MW_ModeloTeorico"));
    ePE_MW_Representantes1 = NuevaCajaDeSalida("ePE_MW_Representantes1", QStringLiteral("ePE_MW_Representantes"));
    eME_Peso1 = NuevaCajaDeSalida("eME_Peso1", QStringLiteral("eME_Peso"));
    FechaDesde1 = NuevoSelectorFecha("FechaDesde1", "01/02/2018");
    FechaHasta1 = NuevoSelectorFecha("FechaHasta1", "01/03/2018");
    eHoras_Buffer = NuevaCaja("eHoras_Buffer", QStringLiteral("3"));
    cbSoloTeorico = NuevaCasilla("cbSoloTeorico", QStringLiteral("Solo Modelo Teórico."));
    cbSeriesConVelLibre = NuevaCasilla("cbSeriesConVelLibre", QStringLiteral("Series con Velocidad Libre"));
    flg_sinMatrizFactores = NuevaCasilla("flg_sinMatrizFactores", QStringLiteral("Sin Matriz Factores"));

    GroupBox2 = new QGroupBox(QStringLiteral("Entradas"));
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto* entradas = new QGridLayout(GroupBox2);
    entradas->addWidget(ConEtiqueta(QStringLiteral("Dirección E.M. [°]"), eDir1), 0, 0);
    entradas->addWidget(ConEtiqueta(QStringLiteral("Velocidad E.M. [m/s] "), eVAnemoEntrada1), 0, 1);
    entradas->addWidget(ConEtiqueta(QStringLiteral("Alfa terreno:"), eAlfaTerreno1), 1, 0);
    entradas->addWidget(ConEtiqueta(QStringLiteral("Gamma Atmósfera:"), eGamma_Atmosfera1), 1, 1);
    entradas->addWidget(ConEtiqueta(QStringLiteral("fpv3pe:"), efpv3pe1), 2, 0);
    entradas->addWidget(ConEtiqueta(QStringLiteral("Factor de pérdidas:"), eFactorPerdidasParque1), 2, 1);
    entradas->addWidget(ConEtiqueta(QStringLiteral("Límite de potencia [MW]"), eLimiteDePotencia1), 3, 0);
    entradas->addWidget(ConEtiqueta(QStringLiteral("Etha E.M."), eEthaMeteo2), 3, 1);
    entradas->addWidget(btCargarMC1, 4, 0, 1, 2);
    entradas->addWidget(btCalcular1, 5, 0, 1, 2);
    izquierda->addWidget(GroupBox2);

    auto* salidas = new QGridLayout;
    salidas->addWidget(new QLabel(QStringLiteral("Salidas")), 0, 0, 1, 2);
    salidas->addWidget(ConEtiqueta(QStringLiteral("Velocidad E.M. [m/s] "), eVAnemoResultante1), 1, 0);
    salidas->addWidget(ConEtiqueta(QStringLiteral("Potencia Modelo Teórico [MW]"), ePE_MW_ModeloTeorico1), 1, 1);
    salidas->addWidget(ConEtiqueta(QStringLiteral("Potencia Modelo Empírico [MW]"), ePE_MW_Representantes1), 2, 0);
    salidas->addWidget(ConEtiqueta(QStringLiteral("Peso Datos Modelo Empírico"), eME_Peso1), 2, 1);
    izquierda->addLayout(salidas);

    auto* restricciones = new QGridLayout;
    restricciones->addWidget(new QLabel(QStringLiteral("Restricciones Operativas")), 0, 0, 1, 2);
    restricciones->addWidget(ConEtiqueta(QStringLiteral("Desde (>=)"), FechaDesde1), 1, 0);
    restricciones->addWidget(ConEtiqueta(QStringLiteral("Hasta (<=)"), FechaHasta1), 1, 1);
    restricciones->addWidget(ConEtiqueta(QStringLiteral("Muestras Buffer"), eHoras_Buffer), 2, 0);
    restricciones->addWidget(cbSoloTeorico, 3, 0, 1, 2);
    restricciones->addWidget(cbSeriesConVelLibre, 4, 0, 1, 2);
    restricciones->addWidget(flg_sinMatrizFactores, 5, 0, 1, 2);
    restricciones->addWidget(btProcesarRestricciones1, 6, 0, 1, 2);
    restricciones->addWidget(btProcesarSeriesConMC1, 7, 0, 1, 2);
    IgualarColumnas(restricciones);
    izquierda->addLayout(restricciones);
    izquierda->addStretch();

    pb_Parque_simple = NuevaCajaPintura("pb_Parque_simple", kAnchoParque, kAltoParque);
    fila->addWidget(pb_Parque_simple, 0, Qt::AlignTop);
    return pestania;
}

QWidget* TFormQuendal::CrearPestaniaParque() {
    auto* pestania = new QWidget;
    auto* fila = new QHBoxLayout(pestania);

    btCalcular = NuevoBoton("btCalcular", QStringLiteral("Calcular"));
    eDir = NuevaCaja("eDir", QStringLiteral("270"));
    eVAnemoEntrada = NuevaCaja("eVAnemoEntrada", QStringLiteral("9.99"));
    eAlfaTerreno = NuevaCaja("eAlfaTerreno", QStringLiteral("0.006"));
    eGamma_Atmosfera = NuevaCaja("eGamma_Atmosfera", QStringLiteral("0.006"));
    efpv3pe = NuevaCaja("efpv3pe", QStringLiteral("1"));
    eFactorPerdidasParque = NuevaCaja("eFactorPerdidasParque", QStringLiteral("1"));
    eLimiteDePotencia = NuevaCaja("eLimiteDePotencia", QStringLiteral("1"));
    eVAnemoResultante = NuevaCajaDeSalida("eVAnemoResultante", QStringLiteral("???"));
    ePE_MW_ModeloTeorico = NuevaCajaDeSalida("ePE_MW_ModeloTeorico", QStringLiteral("ePE_MW_ModeloTeorico"));
    ePE_MW_Representantes = NuevaCajaDeSalida("ePE_MW_Representantes", QStringLiteral("ePE_MW_Representantes"));
    eME_Peso = NuevaCajaDeSalida("eME_Peso", QStringLiteral("eME_Peso"));
    VientoLibre = NuevaCajaDeSalida("VientoLibre", QString());
    btCargarCalibrador = NuevoBoton("btCargarCalibrador", QStringLiteral("Cargar Cal."));
    btGuardarCalibrador = NuevoBoton("btGuardarCalibrador", QStringLiteral("Guardar Cal."));
    btUpdateMTinDB = NuevoBoton("btUpdateMTinDB", QStringLiteral("Actualizar MT en la Base de Datos"));
    CalibrarSimpleEthaMeteo = NuevoBoton("CalibrarSimpleEthaMeteo", QStringLiteral("Calibrar Etha de la E.M."));
    vientoparapot = NuevaCaja("vientoparapot", QStringLiteral("50"));
    Calcularviento = NuevoBoton("Calcularviento", QStringLiteral("Calcular viento "));
    VientoDeLaPotMW = NuevaCajaDeSalida("VientoDeLaPotMW", QString());
    eEthaMolino = NuevaCaja("eEthaMolino", QStringLiteral("1"));
    btCambiar_ro = NuevoBoton("btCambiar_ro", QStringLiteral("Cambiar ro"));
    cbCambiarTodosLosRo = NuevaCasilla("cbCambiarTodosLosRo", QStringLiteral("Cambiar todos los Ro."));
    eMolino = NuevaCajaDeSalida("eMolino", QStringLiteral("eMolino"));
    eCoordenadasXY = NuevaCajaDeSalida("eCoordenadasXY", QStringLiteral("eCoordenadasXY"));
    eMdeVientos = NuevaCaja("eMdeVientos", QStringLiteral("1"));
    eEthaMeteo = NuevaCaja("eEthaMeteo", QStringLiteral("1"));

    pb_Parque_original = NuevaCajaPintura("pb_Parque_original", kAnchoParque, kAltoParque);
    fila->addWidget(pb_Parque_original, 0, Qt::AlignTop);

    auto* derecha = new QVBoxLayout;
    fila->addLayout(derecha);
    GroupBox1 = new QGroupBox;
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* grupo = new QGridLayout(GroupBox1);
    grupo->setVerticalSpacing(3);
    grupo->addWidget(ConEtiqueta(QStringLiteral("Dirección [°]"), eDir), 0, 0);
    grupo->addWidget(ConEtiqueta(QStringLiteral("VAnemo [m/s] "), eVAnemoEntrada), 0, 1);
    grupo->addWidget(ConEtiqueta(QStringLiteral("Alfa terreno:"), eAlfaTerreno), 1, 0);
    grupo->addWidget(ConEtiqueta(QStringLiteral("Gamma Atmósfera:"), eGamma_Atmosfera), 1, 1);
    grupo->addWidget(ConEtiqueta(QStringLiteral("fpv3pe:"), efpv3pe), 2, 0);
    grupo->addWidget(ConEtiqueta(QStringLiteral("Factor de pérdidas:"), eFactorPerdidasParque), 2, 1);
    grupo->addWidget(ConEtiqueta(QStringLiteral("Límite de potencia:"), eLimiteDePotencia), 3, 0);
    grupo->addWidget(btCalcular, 3, 1, Qt::AlignBottom);
    grupo->addWidget(ConEtiqueta(QStringLiteral("VAnemo [m/s]"), eVAnemoResultante), 4, 0);
    grupo->addWidget(ConEtiqueta(QStringLiteral("ePE_MW_ModeloTeorico"), ePE_MW_ModeloTeorico), 4, 1);
    grupo->addWidget(ConEtiqueta(QStringLiteral("[MW] (datos)"), ePE_MW_Representantes), 5, 0);
    grupo->addWidget(ConEtiqueta(QStringLiteral("(peso - Datos ME)"), eME_Peso), 5, 1);
    grupo->addWidget(ConEtiqueta(Lineas({"Viento libre incidente", "en la central (m/s)"}), VientoLibre), 6, 0);
    grupo->addWidget(btCargarCalibrador, 7, 0);
    grupo->addWidget(btGuardarCalibrador, 7, 1);
    grupo->addWidget(btUpdateMTinDB, 8, 0, 1, 2);
    grupo->addWidget(CalibrarSimpleEthaMeteo, 9, 0, 1, 2);
    grupo->addWidget(ConEtiqueta(Lineas({"Calcula el viento libre incidente", "en el parque para que se genere",
                                         "una potencia determinada.",
                                         "El viento está referido a la densidad base."}),
                                 vientoparapot),
                     10, 0, 1, 2);
    grupo->addWidget(Calcularviento, 11, 0);
    grupo->addWidget(ConEtiqueta(Lineas({"Viento libre asociado", " a la potencia generada."}), VientoDeLaPotMW),
                     11, 1);
    derecha->addWidget(GroupBox1);

    auto* panel = new QFrame;
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    Panel1 = panel;
    auto* celdas = new QGridLayout(panel);
    celdas->setVerticalSpacing(3);
    celdas->addWidget(ConEtiqueta(QStringLiteral("Molino_etha: "), eEthaMolino), 0, 0);
    celdas->addWidget(btCambiar_ro, 0, 1, Qt::AlignBottom);
    celdas->addWidget(cbCambiarTodosLosRo, 1, 0, 1, 2);
    celdas->addWidget(eMolino, 2, 0);
    celdas->addWidget(eCoordenadasXY, 2, 1);
    celdas->addWidget(ConEtiqueta(QStringLiteral("MdeVientos:"), eMdeVientos), 3, 0);
    celdas->addWidget(ConEtiqueta(QStringLiteral("EthaMeteo:"), eEthaMeteo), 3, 1);
    derecha->addWidget(panel);
    derecha->addStretch();
    return pestania;
}

QWidget* TFormQuendal::CrearPestaniaModelos() {
    auto* pestania = new QWidget;
    auto* fila = new QHBoxLayout(pestania);

    eNidCentral = NuevaCaja("eNidCentral", QString());
    btBajarParque = NuevoBoton("btBajarParque", QStringLiteral("Bajar MT de la Base de Datos"));
    btLoadFromArchi_ModeloMTySeries =
        NuevoBoton("btLoadFromArchi_ModeloMTySeries", QStringLiteral("Crear archivo .clp con MT y archivo .sas"));
    PorcentajeAjusteCurvaSinf = NuevaCaja("PorcentajeAjusteCurvaSinf", QStringLiteral("1"));
    PorcentajeAjusteCurvaSsup = NuevaCaja("PorcentajeAjusteCurvaSsup", QStringLiteral("100"));
    btCalcularMC = NuevoBoton("btCalcularMC", QStringLiteral("Calcular MC"));
    btCargarYGuardarMC = NuevoBoton("btCargarYGuardarMC", QStringLiteral("Cargar y Guardar MC"));
    btProcesarSeriesConMC = NuevoBoton("btProcesarSeriesConMC", QStringLiteral("Simular modelo "));
    btProcesarRestricciones = NuevoBoton("btProcesarRestricciones", QStringLiteral("Procesar R.O. por rango de fechas"));
    FechaDesde = NuevoSelectorFecha("FechaDesde", "01/02/2018");
    FechaHasta = NuevoSelectorFecha("FechaHasta", "01/03/2018");
    BorrarSupercentral = NuevoBoton("BorrarSupercentral", QStringLiteral("Borrar supercentral"));
    NIDsupercentralBorrar = NuevaCaja("NIDsupercentralBorrar", QStringLiteral("202128"));
    PaintBox2 = NuevaCajaPintura("PaintBox2", kAnchoEstadistica, kAltoEstadistica);
    PaintBox3 = NuevaCajaPintura("PaintBox3", kAnchoEstadistica, kAltoEstadistica);
    StringGrid1 = NuevaRejilla("StringGrid1", 3, 8);

    auto* izquierda = new QVBoxLayout;
    fila->addLayout(izquierda);
    izquierda->addWidget(ConEtiqueta(QStringLiteral("NID de la central eólica a seleccionar"), eNidCentral));
    izquierda->addWidget(btBajarParque);
    izquierda->addWidget(btLoadFromArchi_ModeloMTySeries);
    auto* porcentajes = new QHBoxLayout;
    porcentajes->addWidget(PorcentajeAjusteCurvaSinf);
    porcentajes->addWidget(PorcentajeAjusteCurvaSsup);
    auto* etiquetaPorcentajes = new QLabel(Lineas(
        {"Rango de ajuste en potencia de la curva s en los datos del cluster.", "% inferior            % superior "}));
    etiquetaPorcentajes->setWordWrap(true);
    izquierda->addWidget(etiquetaPorcentajes);
    izquierda->addLayout(porcentajes);
    izquierda->addWidget(btCalcularMC);
    izquierda->addWidget(btCargarYGuardarMC);
    auto* fechas = new QHBoxLayout;
    fechas->addWidget(ConEtiqueta(QStringLiteral("Desde"), FechaDesde));
    fechas->addWidget(ConEtiqueta(QStringLiteral("Hasta"), FechaHasta));
    izquierda->addLayout(fechas);
    izquierda->addWidget(btProcesarSeriesConMC);
    izquierda->addWidget(btProcesarRestricciones);
    auto* etiquetaBorrar =
        new QLabel(Lineas({"Borra la supercentral de la BD.", "La supercentral a borrar se especifica según su NID."}));
    etiquetaBorrar->setWordWrap(true);
    izquierda->addWidget(etiquetaBorrar);
    izquierda->addWidget(BorrarSupercentral);
    izquierda->addWidget(ConEtiqueta(QStringLiteral("NID de la supercentral a borrar"), NIDsupercentralBorrar));
    izquierda->addStretch();

    auto* derecha = new QVBoxLayout;
    fila->addLayout(derecha);
    auto* graficos = new QHBoxLayout;
    graficos->addWidget(PaintBox2);
    graficos->addWidget(PaintBox3);
    derecha->addLayout(graficos);
    derecha->addWidget(StringGrid1);
    return pestania;
}

QWidget* TFormQuendal::CrearPestaniaCurvas() {
    auto* pestania = new QWidget;
    auto* fila = new QHBoxLayout(pestania);
    PaintBox1 = NuevaCajaPintura("PaintBox1", kAnchoCurvas, kAltoCurvas);
    btPlot_PV_MEMTMC = NuevoBoton("btPlot_PV_MEMTMC", QStringLiteral("Graficar P(V) MEMTMC"));
    eEthaMeteo1 = NuevaCaja("eEthaMeteo1", QStringLiteral("1"));
    fila->addWidget(PaintBox1, 0, Qt::AlignTop);
    auto* derecha = new QVBoxLayout;
    fila->addLayout(derecha);
    derecha->addWidget(btPlot_PV_MEMTMC);
    derecha->addWidget(ConEtiqueta(QStringLiteral("Meteo_etha: "), eEthaMeteo1));
    derecha->addStretch();
    return pestania;
}

QWidget* TFormQuendal::CrearPestaniaSolar() {
    auto* pestania = new QWidget;
    auto* fila = new QHBoxLayout(pestania);
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
    return pestania;
}

QWidget* TFormQuendal::CrearPestaniaListado() {
    auto* pestania = new QWidget;
    auto* columna = new QVBoxLayout(pestania);
    btElegirCarpetaCentral = NuevoBoton("btElegirCarpetaCentral", QStringLiteral("Elegir carpeta central"));
    columna->addWidget(btElegirCarpetaCentral, 0, Qt::AlignLeft);
    columna->addStretch();
    return pestania;
}

// One checkable entry per tab: checking it shows the tab and brings it
// forward, clearing it hides the tab again.
void TFormQuendal::CrearMenuVer() {
    menuVer = menuBar()->addMenu(QStringLiteral("&Ver"));
    menuVer->setObjectName(QStringLiteral("menuVer"));
    const std::pair<QWidget*, const char*> entradas[] = {
        {TabSheet2, "Parque y calibrador (TabSheet2)"},  {TabSheet3, "Modelos y base de datos (TabSheet3)"},
        {TabSheet4, "Curvas P(V) (TabSheet4)"},          {TabSheet5, "Entradas (TabSheet5)"},
        {TabSheet6, "Planta solar (Solar)"},             {TabSheet1, "Listado de carpeta (TabSheet1)"}};
    for (const auto& [pestania, titulo] : entradas) {
        QAction* accion = menuVer->addAction(QString::fromUtf8(titulo));
        accion->setObjectName(QStringLiteral("ver") + pestania->objectName());
        accion->setCheckable(true);
        const int indice = PageControl1->indexOf(pestania);
        accion->setChecked(PageControl1->isTabVisible(indice));
        connect(accion, &QAction::toggled, this, [this, indice](bool visible) {
            Manejar([&] {
                PageControl1->setTabVisible(indice, visible);
                if (visible) PageControl1->setCurrentIndex(indice);
            });
        });
    }
}

namespace {

class TReceptorConsola : public TObservadorConsola {
public:
    explicit TReceptorConsola(std::function<void(std::string_view)> receptor) : receptor_(std::move(receptor)) {}
    void TextoEscrito(std::string_view texto) override { receptor_(texto); }

private:
    std::function<void(std::string_view)> receptor_;
};

constexpr int kAltoInicialConsola = 150;
// How long the status line keeps a run's last console line after it ends.
constexpr int kMilisegundosUltimaLinea = 10000;

}  // namespace

// The pane sits under the tabs; "Consola" in the "Ver" menu shows and hides
// it. It receives every console text from here on.
void TFormQuendal::CrearPanelConsola() {
    consola = new TPanelConsola;
    consola->setObjectName(QStringLiteral("consola"));
    panelConsola = new QDockWidget(QStringLiteral("Consola"), this);
    panelConsola->setObjectName(QStringLiteral("panelConsola"));
    panelConsola->setWidget(consola);
    panelConsola->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea | Qt::RightDockWidgetArea);
    addDockWidget(Qt::BottomDockWidgetArea, panelConsola);
    panelConsola->hide();
    QAction* verConsola = panelConsola->toggleViewAction();
    verConsola->setText(QStringLiteral("Consola"));
    verConsola->setObjectName(QStringLiteral("verConsola"));
    menuVer->addSeparator();
    menuVer->addAction(verConsola);
    receptorConsola_ = std::make_unique<TReceptorConsola>([this](std::string_view texto) { RecibirConsola(texto); });
    observadorConsolaAnterior_ = FijarObservadorConsola(receptorConsola_.get());
}

TCorrida TFormQuendal::EmpezarCorrida() {
    MostrarConsola();
    panelConsola->raise();
    statusBar()->clearMessage();
    relojConsola_.invalidate();
    return TCorrida([this] {
        consola->Mostrar();
        statusBar()->showMessage(consola->UltimaLinea(), kMilisegundosUltimaLinea);
    });
}

// The first time, the pane takes a few lines' height, so the tab above keeps
// most of a small screen; the user may drag it higher.
void TFormQuendal::MostrarConsola() {
    const bool primeraVez = !consolaMostrada_;
    consolaMostrada_ = true;
    panelConsola->show();
    if (primeraVez) resizeDocks({panelConsola}, {kAltoInicialConsola}, Qt::Vertical);
}

void TFormQuendal::RecibirConsola(std::string_view texto) {
    // Worker threads never print; were one to, its text still reaches
    // standard output, but no widget is touched off the main thread.
    if (QThread::currentThread() != thread()) return;
    consola->Recibir(texto);
    if (!TCorrida::EnCurso()) {
        consola->Mostrar();
        return;
    }
    if (relojConsola_.isValid() && relojConsola_.elapsed() < kMilisegundosEntreRepintados) return;
    relojConsola_.start();
    ActualizarConsola();
    // The window repaints; the run's filter drops whatever the user does.
    QCoreApplication::processEvents();
}

void TFormQuendal::ActualizarConsola() {
    consola->Mostrar();
    statusBar()->showMessage(consola->UltimaLinea());
}

void TFormQuendal::ConectarCopiasGemelas() {
    const std::pair<QLineEdit*, void (TFormQuendal::*)()> cajas[] = {
        {eDir1, &TFormQuendal::eDir1Change},
        {eDir, &TFormQuendal::eDirChange},
        {eVAnemoEntrada1, &TFormQuendal::eVAnemoEntrada1Change},
        {eVAnemoEntrada, &TFormQuendal::eVAnemoEntradaChange},
        {eAlfaTerreno1, &TFormQuendal::eAlfaTerreno1Change},
        {eAlfaTerreno, &TFormQuendal::eAlfaTerrenoChange},
        {eGamma_Atmosfera1, &TFormQuendal::eGamma_Atmosfera1Change},
        {eGamma_Atmosfera, &TFormQuendal::eGamma_AtmosferaChange},
        {efpv3pe1, &TFormQuendal::efpv3pe1Change},
        {eFactorPerdidasParque1, &TFormQuendal::eFactorPerdidasParque1Change},
        {eLimiteDePotencia1, &TFormQuendal::eLimiteDePotencia1Change},
        {eEthaMeteo2, &TFormQuendal::eEthaMeteo2Change},
        {eEthaMeteo, &TFormQuendal::eEthaMeteoChange},
        {eEthaMeteo1, &TFormQuendal::eEthaMeteo1Change},
        {eME_Peso, &TFormQuendal::eME_PesoChange},
        {ePE_MW_ModeloTeorico, &TFormQuendal::ePE_MW_ModeloTeoricoChange},
        {ePE_MW_Representantes, &TFormQuendal::ePE_MW_RepresentantesChange},
        {eVAnemoResultante, &TFormQuendal::eVAnemoResultanteChange},
    };
    for (const auto& [caja, manejador] : cajas)
        connect(caja, &QLineEdit::textChanged, this, [this, m = manejador] { Manejar([&] { (this->*m)(); }); });
    connect(FechaDesde1, &QDateEdit::dateChanged, this, [this] { Manejar([&] { FechaDesde1Change(); }); });
    connect(FechaHasta1, &QDateEdit::dateChanged, this, [this] { Manejar([&] { FechaHasta1Change(); }); });
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int indice) {
        if (PageControl1->widget(indice) == TabSheet4) Manejar([&] { TabSheet4Show(); });
    });
}

void TFormQuendal::ConectarBotones() {
    ConectarBotonesDeEntradas();
    ConectarBotonesPestaniasOcultas();
}

void TFormQuendal::ConectarImagenesDelParque() {
    for (TCajaPintura* caja : {pb_Parque_original, pb_Parque_simple}) {
        connect(caja, &TCajaPintura::RatonMovido, this,
                [this](int x, int y) { Manejar([&] { pb_Parque_originalMouseMove(x, y); }); });
        connect(caja, &TCajaPintura::RatonPresionado, this,
                [this, caja](int x, int y) { Manejar([&] { pb_Parque_originalMouseDown(caja, x, y); }); });
    }
}

// ---- Park picture ----

// Without a current park there is nothing to draw (the operations that
// make one current come before the drawing).
void TFormQuendal::VelocidadesMT_To_PB(TCajaPintura* caja) {
    TParque_ModeloTeorico* parque = modelos_.ParqueActual();
    if (!parque) return;
    // Pending paints are served, but no user input while the park is in use.
    ServirMensajesPendientes();
    DibujarMapaVelocidades(caja->Imagen(), *parque);
    caja->Actualizar();
}

void TFormQuendal::pb_Parque_originalMouseMove(int x, int y) {
    const TParque_ModeloTeorico* parque = modelos_.ParqueActual();
    if (!parque) return;
    TPunto2D punto;
    parque->PixelAMundo(punto, x, y);
    eCoordenadasXY->setText(Qs("x: " + FormatoGeneral(punto.x, 15) + ", y: " + FormatoGeneral(punto.y, 15)));
    const TMolino* molino = parque->MolinoEnPixel(x, y);
    if (!molino) return;
    const double velocidad = VientoDePotencia(molino->pvMedia, DensidadBase);
    eMolino->setText(Qs("v: " + FloatToStrF(velocidad, FR_Fijo, 6, 1) + ", P:" +
                        FloatToStrF(molino->potencia, FR_Fijo, 6, 1)));
}

// Picks the turbine under the pointer and puts the area around it and its
// wake (1 diameter west, 15 east, 6 north and south) on the clipboard.
void TFormQuendal::pb_Parque_originalMouseDown(const TCajaPintura* caja, int x, int y) {
    TParque_ModeloTeorico* parque = modelos_.ParqueActual();
    if (!parque) return;
    TMolino* molino = parque->MolinoEnPixel(x, y);
    modelos_.SeleccionarMolino(molino);
    if (!molino) return;
    eEthaMolino->setText(TextoDeNumero(molino->etha));
    const double d = molino->curva.diametro;
    const TPunto2D centro{molino->posicion.x, molino->posicion.y};
    int ax = 0, ay = 0, bx = 0, by = 0;
    parque->MundoAPixel(ax, ay, TPunto2D{centro.x - d, centro.y + 6 * d});
    parque->MundoAPixel(bx, by, TPunto2D{centro.x + 15 * d, centro.y - 6 * d});
    const int64_t ancho = int64_t{bx} - ax + 1, alto = int64_t{by} - ay + 1;
    constexpr int64_t kLadoMaximo = 1 << 14;  // a picture, not an overflow
    if (ancho < 1 || alto < 1 || ancho > kLadoMaximo || alto > kLadoMaximo) return;
    QGuiApplication::clipboard()->setImage(
        caja->Imagen().copy(ax, ay, static_cast<int>(ancho), static_cast<int>(alto)));
}

// ---- Dialogs ----

QString TFormQuendal::EjecutarDialogo(const TPeticionDialogo& dialogo) { return dialogoDeArchivo_(dialogo); }

// ---- Failures ----

void TFormQuendal::Manejar(const std::function<void()>& manejador) {
    try {
        manejador();
    } catch (const std::exception& e) {
        MostrarError(QString::fromUtf8(e.what()));
    } catch (...) {
        MostrarError(QStringLiteral("Error desconocido."));
    }
}

void TFormQuendal::MostrarError(const QString& mensaje) {
    if (cuadroDeError_(mensaje) == TRespuestaError::Terminar) {
        close();
        QCoreApplication::exit(1);
    }
}

// ---- Events of the window ----

void TFormQuendal::FormCreate() {
    modelos_.LiberarTodo();
    eVAnemoEntrada->setText(TextoDeNumero(9.9));
    eGamma_Atmosfera->setText(TextoDeNumero(0.4));
    eAlfaTerreno->setText(TextoDeNumero(0.5));
    PageControl1->setCurrentWidget(TabSheet5);
    for (QWidget* oculta : {TabSheet2, TabSheet3, TabSheet4, TabSheet6, TabSheet1})
        PageControl1->setTabVisible(PageControl1->indexOf(oculta), false);
}

void TFormQuendal::FormClose() { modelos_.LiberarTodo(); }

void TFormQuendal::closeEvent(QCloseEvent* evento) {
    Manejar([&] { FormClose(); });
    evento->accept();
}

void TFormQuendal::TabSheet4Show() { CopiarTexto(eEthaMeteo, eEthaMeteo1); }

// ---- Twin copies ----

void TFormQuendal::eDir1Change() { CopiarTexto(eDir1, eDir); }
void TFormQuendal::eDirChange() { CopiarTexto(eDir, eDir1); }
void TFormQuendal::eVAnemoEntrada1Change() { CopiarTexto(eVAnemoEntrada1, eVAnemoEntrada); }
void TFormQuendal::eVAnemoEntradaChange() { CopiarTexto(eVAnemoEntrada, eVAnemoEntrada1); }
void TFormQuendal::eAlfaTerreno1Change() { CopiarTexto(eAlfaTerreno1, eAlfaTerreno); }
void TFormQuendal::eAlfaTerrenoChange() { CopiarTexto(eAlfaTerreno, eAlfaTerreno1); }
void TFormQuendal::eGamma_Atmosfera1Change() { CopiarTexto(eGamma_Atmosfera1, eGamma_Atmosfera); }
void TFormQuendal::eGamma_AtmosferaChange() { CopiarTexto(eGamma_Atmosfera, eGamma_Atmosfera1); }
void TFormQuendal::efpv3pe1Change() { CopiarTexto(efpv3pe1, efpv3pe); }
void TFormQuendal::eFactorPerdidasParque1Change() { CopiarTexto(eFactorPerdidasParque1, eFactorPerdidasParque); }
void TFormQuendal::eLimiteDePotencia1Change() { CopiarTexto(eLimiteDePotencia1, eLimiteDePotencia); }
void TFormQuendal::eEthaMeteo2Change() { CopiarTexto(eEthaMeteo2, eEthaMeteo); }
void TFormQuendal::eEthaMeteoChange() { CopiarTexto(eEthaMeteo, eEthaMeteo2); }
void TFormQuendal::eEthaMeteo1Change() { CopiarTexto(eEthaMeteo1, eEthaMeteo); }
void TFormQuendal::eME_PesoChange() { CopiarTexto(eME_Peso, eME_Peso1); }
void TFormQuendal::ePE_MW_ModeloTeoricoChange() { CopiarTexto(ePE_MW_ModeloTeorico, ePE_MW_ModeloTeorico1); }
void TFormQuendal::ePE_MW_RepresentantesChange() { CopiarTexto(ePE_MW_Representantes, ePE_MW_Representantes1); }
void TFormQuendal::eVAnemoResultanteChange() { CopiarTexto(eVAnemoResultante, eVAnemoResultante1); }

void TFormQuendal::FechaDesde1Change() {
    CopiarFecha(FechaDesde1, FechaDesde);
    CopiarFecha(FechaHasta1, FechaHasta);
}

void TFormQuendal::FechaHasta1Change() {
    CopiarFecha(FechaHasta1, FechaHasta);
    CopiarFecha(FechaDesde1, FechaDesde);
}

// ==== Hidden tabs: model building, database, plots, listing, solar ====
//
// The models tab builds a wind farm's models in three steps that pass
// through the plant folder (park file, calibrator file, combined-model
// file); the park tab works on the calibrator shown. Each build is made,
// saved and only then made current, so a failure leaves the current objects
// and the boxes as they were.

namespace {

std::string Txt(const QLineEdit* caja) { return caja->text().toStdString(); }
// Plant numbers and other integers: plain conversion.
int32_t EnteroDe(const QLineEdit* caja) { return TextoAEntero(Txt(caja)); }
// Reals: typed, evaluated as an expression.
double RealDe(const QLineEdit* caja) { return CadenaAReal(Txt(caja)); }
std::string N(int32_t k) { return std::to_string(k); }

TDateTime FechaDe(const QDateEdit* selector) {
    const QDate d = selector->date();
    return EncodeDate(d.year(), d.month(), d.day());
}

// The query of a plant's row; a number that names no plant stops here, so
// that no model is made for an empty row.
std::unique_ptr<TPgSqlRes> FilaDeCentral(TPgSqlCon& conexion, int32_t nid) {
    auto fila = conexion.sqlexec("SELECT * FROM centrales WHERE nid = " + N(nid));
    if (fila->eof()) throw EErrorQuendal("La central " + N(nid) + " no existe en la tabla centrales.");
    return fila;
}

void DibujarEnCaja(TGrafico& grafico, TCajaPintura* caja) {
    {
        QPainter pintor(&caja->Imagen());
        TLienzoQt lienzo(pintor);
        grafico.Dibujar(lienzo, caja->Ancho(), caja->Alto());
    }
    caja->Actualizar();
}

void PonerCelda(QTableWidget* rejilla, int columna, int fila, const QString& texto) {
    rejilla->setItem(fila, columna, new QTableWidgetItem(texto));
}

}  // namespace

void TFormQuendal::ConectarBotonesPestaniasOcultas() {
    const std::pair<QPushButton*, void (TFormQuendal::*)()> botones[] = {
        {btBajarParque, &TFormQuendal::btBajarParqueClick},
        {btCalcularMC, &TFormQuendal::btCalcularMCClick},
        {btCambiar_ro, &TFormQuendal::btCambiar_roClick},
        {Calcularviento, &TFormQuendal::CalcularvientoClick},
        {btUpdateMTinDB, &TFormQuendal::btUpdateMTinDBClick},
        {BorrarSupercentral, &TFormQuendal::BorrarSupercentralClick},
        {btProcesarSeries_solar, &TFormQuendal::btProcesarSeries_solarClick},
        {btProcesarRestricciones_solar, &TFormQuendal::btProcesarRestricciones_solarClick},
        {btLoadFromArchi_ModeloMTySeries, &TFormQuendal::btLoadFromArchi_ModeloMTySeriesClick},
        {btCargarCalibrador, &TFormQuendal::btCargarCalibradorClick},
        {btGuardarCalibrador, &TFormQuendal::btGuardarCalibradorClick},
        {CalibrarSimpleEthaMeteo, &TFormQuendal::CalibrarSimpleEthaMeteoClick},
        {btPlot_PV_MEMTMC, &TFormQuendal::btPlot_PV_MEMTMCClick},
        {btElegirCarpetaCentral, &TFormQuendal::btElegirCarpetaCentralClick},
    };
    // Model builds, downloads and solar runs hold the window while they print.
    const QPushButton* const corridas[] = {btBajarParque, btCalcularMC, btLoadFromArchi_ModeloMTySeries,
                                           CalibrarSimpleEthaMeteo, btProcesarSeries_solar,
                                           btProcesarRestricciones_solar};
    for (const auto& [boton, manejador] : botones) {
        const bool esCorrida = std::find(std::begin(corridas), std::end(corridas), boton) != std::end(corridas);
        connect(boton, &QPushButton::clicked, this, [this, m = manejador, esCorrida] {
            Manejar([&] {
                if (!esCorrida) return (this->*m)();
                const TCorrida corrida = EmpezarCorrida();
                (this->*m)();
            });
        });
    }
}

// A connection the server dropped is opened again, from the string that
// opened it: the dialog is asked only while no string has worked.
TPgSqlCon& TFormQuendal::ConexionAbierta() {
    if (!ConexionBD) ConexionBD = std::make_unique<TPgSqlCon>();
    if (!ConexionBD->Abierta()) {
        const std::string cadena = cadenaDeConexion_.empty() ? CadenaDeConexionPedida() : cadenaDeConexion_;
        ConexionBD->Open(cadena);
        cadenaDeConexion_ = cadena;
    }
    return *ConexionBD;
}

TProveedorConexion TFormQuendal::ProveedorDeConexion() {
    return [this]() -> TPgSqlCon& { return ConexionAbierta(); };
}

// The connection string of QUENDAL_BD, or else the one the user gives in the
// connection dialog; a cancelled dialog ends the operation, which says so.
std::string TFormQuendal::CadenaDeConexionPedida() {
    if (const char* cadena = std::getenv("QUENDAL_BD"); cadena && *cadena) return cadena;
    const std::optional<TDatosConexion> datos = dialogoDeConexion_();
    if (!datos) throw EErrorQuendal("No hay conexión con la base de datos: la operación no se realizó.");
    return CadenaDeConexion(*datos);
}

void TFormQuendal::Avisar(const QString& mensaje) { cuadroDeMensaje_(windowTitle(), mensaje, false); }

bool TFormQuendal::Confirmar(const QString& titulo, const QString& pregunta) {
    return cuadroDeMensaje_(titulo, pregunta, true);
}

// ---- Models tab ----

void TFormQuendal::btBajarParqueClick() {
    const int32_t nid = EnteroDe(eNidCentral);
    NidCentral = nid;
    EscribirLineaEnConsola("BAJANDO EL MODELO TEORICO DE LA CENTRAL " + N(nid) + " DE LA BASE DE DATOS ...\n");
    TPgSqlCon& conexion = ConexionAbierta();
    const auto fila = FilaDeCentral(conexion, nid);
    auto parque = TParque_ModeloTeorico::Create_DesdeBD(conexion, *fila);
    const std::string archivo = RutaParqueMT(nid);
    parque->GuardarEnArchivo(archivo);
    modelos_.PonerParque(std::move(parque));
    EscribirLineaEnConsola("MODELO TEORICO GUARDADO CON EXITO EN: " + archivo + ".\n");
}

// The calibrator of the plant's park file and series file.
void TFormQuendal::btLoadFromArchi_ModeloMTySeriesClick() {
    const int32_t nid = EnteroDe(eNidCentral);
    const int32_t porcentajeInf = EnteroDe(PorcentajeAjusteCurvaSinf);
    const int32_t porcentajeSup = EnteroDe(PorcentajeAjusteCurvaSsup);
    NidCentral = nid;
    auto parque = TParque_ModeloTeorico::Create_LeerDeArchivo(RutaParqueMT(nid), ProveedorDeConexion());
    auto calibrador = TCalibradorParque::Create(parque, RutaArchivoEnCarpetaCentral(nid, "_series10min.sas"),
                                                porcentajeInf, porcentajeSup);
    calibrador->GuardarEnArchivo(RutaCalibrador(nid));
    TCalibradorParque& nuevo = *calibrador;
    modelos_.PonerCalibrador(std::move(calibrador));
    Graficar_Estadistica_Datos_ME();
    MostrarCalibrador(nuevo);
}

void TFormQuendal::btCalcularMCClick() {
    const int32_t nid = EnteroDe(eNidCentral);
    NidCentral = nid;
    auto combinado = TParque_ModeloCombinado::Create(RutaCalibrador(nid), ProveedorDeConexion());
    combinado->GuardarEnArchivo(RutaModeloCombinado(nid));
    modelos_.PonerModeloCombinado(std::move(combinado));
}

// ---- Park tab ----

void TFormQuendal::btCargarCalibradorClick() {
    const QString archivo = EjecutarDialogo(odCalibrador);
    if (archivo.isEmpty()) return;
    CargarCalibrador(archivo.toStdString());
}

void TFormQuendal::btGuardarCalibradorClick() {
    TCalibradorParque* calibrador = modelos_.CalibradorActual();
    if (!calibrador) return;
    const QString archivo = EjecutarDialogo(sdCalibrador);
    if (archivo.isEmpty()) return;
    ActualizarParqueDesdeFormulario();
    calibrador->GuardarEnArchivo(archivo.toStdString());
}

// Calibrates the met-mast factors of the current calibrator and rewrites the
// calibrator file of its plant. Without a calibrator the number named is the
// plant last typed on the models tab.
void TFormQuendal::CalibrarSimpleEthaMeteoClick() {
    TCalibradorParque* calibrador = modelos_.CalibradorActual();
    if (!calibrador) {
        EscribirLineaEnConsola("No existe el Calibrador de la Central " + N(NidCentral) + ".");
        return;
    }
    const int32_t nid = calibrador->Parque->nid;
    EscribirLineaEnConsola("Calibración de EthaMeteo de la Central " + N(nid) + " en proceso ...\n");
    calibrador->CalibrarEthaMeteo();
    EscribirLineaEnConsola("Calibración de EthaMeteo de la Central " + N(nid) + " terminada con exito.\n");
    MostrarCalibrador(*calibrador);
    calibrador->GuardarEnArchivo(RutaCalibrador(nid));
}

void TFormQuendal::btCambiar_roClick() {
    const double etha = RealDe(eEthaMolino);
    if (cbCambiarTodosLosRo->isChecked()) {
        if (TParque_ModeloTeorico* parque = modelos_.ParqueActual())
            for (auto& molino : parque->molinos) molino->etha = etha;
    } else if (TMolino* molino = modelos_.MolinoSeleccionado()) {
        molino->etha = etha;
    }
}

// The mast speed at which the park gives the wanted power, for the direction
// in the direction box (a park just downloaded has none set yet).
void TFormQuendal::CalcularvientoClick() {
    const double potencia = RealDe(vientoparapot);
    TParque_ModeloTeorico* parque = modelos_.ParqueActual();
    if (!parque) throw EErrorQuendal("No hay un parque cargado: baje o cargue uno antes de calcular el viento.");
    if (potencia > parque->potencia_autorizada_mw) {
        Avisar(Qs("La central tiene una potencia autorizada de " + FormatoGeneral(parque->potencia_autorizada_mw, 15) +
                  " MW.\rIngrese nuevamente el valor de potencia."));
        return;
    }
    if (potencia < 0) {
        Avisar(Qs("La potencia no puede ser negativa.\rIngrese nuevamente el valor de potencia."));
        return;
    }
    parque->FijarDireccion(RealDe(eDir));
    VientoDeLaPotMW->setText(TextoDeNumero(parque->VientoParaPotencia(potencia)));
}

// What is written is the park held in memory: the boxes are not read first.
void TFormQuendal::btUpdateMTinDBClick() {
    TCalibradorParque* calibrador = modelos_.CalibradorActual();
    if (!calibrador) throw EErrorQuendal("No hay un calibrador cargado: no hay parque que actualizar en la base de datos.");
    calibrador->Parque->ActualizarBD(ConexionAbierta());
}

// Deletes every theoretical model of the super-plant and their per-turbine
// factors in one transaction, after asking.
void TFormQuendal::BorrarSupercentralClick() {
    const int32_t nid = EnteroDe(NIDsupercentralBorrar);
    TPgSqlCon& conexion = ConexionAbierta();
    const auto ultimo = conexion.sqlexec("SELECT * FROM modelo_teorico WHERE central = " + N(nid) +
                                         " ORDER BY dt_creacion DESC LIMIT 1");
    if (ultimo->eof()) {
        Avisar(Qs("La supercentral: " + N(nid) + " no existe"));
        return;
    }
    if (!Confirmar(QStringLiteral("ATENCIÓN!"),
                   Qs("¿Está seguro que desea borrar la supercentral: " + N(nid) + " ?")))
        return;
    conexion.sqlexec_ntuples("BEGIN");
    try {
        conexion.sqlexec_ntuples(
            "DELETE FROM modelo_teorico_etha_molinos WHERE nid_modelo IN (SELECT nid FROM modelo_teorico WHERE "
            "central = " + N(nid) + ")");
        conexion.sqlexec_ntuples("DELETE FROM modelo_teorico WHERE central = " + N(nid));
        conexion.sqlexec_ntuples("COMMIT");
    } catch (...) {
        // A dropped connection has already rolled back on the server.
        if (conexion.Abierta()) {
            const TBanderaDeExcepciones sinExcepciones(conexion, false);
            conexion.sqlexec_ntuples("ROLLBACK");
        }
        throw;
    }
    Avisar(Qs("La supercentral " + N(nid) + " ha sido borrada"));
    DescartarModelosDeCentral(nid);
}

// The current park and calibrator stop being current when they are models
// of that plant; those of other plants stay.
void TFormQuendal::DescartarModelosDeCentral(int32_t nid) {
    TCalibradorParque* calibrador = modelos_.CalibradorActual();
    const TParque_ModeloTeorico* parque = modelos_.ParqueActual();
    const bool calibradorDeLaCentral = calibrador && calibrador->Parque && calibrador->Parque->nid == nid;
    const bool parqueDeLaCentral = parque && parque->nid == nid;
    const bool parqueDelCalibrador = calibrador && parque == calibrador->Parque.get();
    if (calibradorDeLaCentral && (parqueDelCalibrador || parqueDeLaCentral)) {
        modelos_.DescartarParqueYCalibrador();
    } else if (calibradorDeLaCentral) {
        if (static_cast<TCalibradorParque*>(modelos_.ModeloCombinadoActual()) == calibrador)
            modelos_.PonerModeloCombinado(nullptr);
        modelos_.PonerCalibrador(nullptr);
    } else if (parqueDeLaCentral) {
        modelos_.PonerParque(nullptr);
    }
}

// ---- Plots, statistics and listing ----

// Two frequency charts and the ranges of the data of the current
// calibrator's empirical model.
void TFormQuendal::Graficar_Estadistica_Datos_ME() {
    TCalibradorParque* calibrador = modelos_.CalibradorActual();
    if (!calibrador || !calibrador->ModeloEmpirico) return;
    const std::optional<TEstadisticaDatosME> estadistica = CalcularEstadisticaDatosME(*calibrador->ModeloEmpirico);
    if (!estadistica) {
        EscribirLineaEnConsola("El modelo empírico no tiene datos para sus estadísticas.");
        return;
    }
    DibujarEnCaja(*GraficoFrecuenciaVelocidad(estadistica->velocidades, estadistica->densidadVelocidad), PaintBox2);
    DibujarEnCaja(*GraficoFrecuenciaDireccion(estadistica->direcciones, estadistica->frecuenciaDireccion), PaintBox3);
    PonerCelda(StringGrid1, 1, 0, QStringLiteral("Mínimo"));
    PonerCelda(StringGrid1, 2, 0, QStringLiteral("Máximo"));
    int f = 1;
    for (const TFilaRangoME& fila : estadistica->rangos) {
        PonerCelda(StringGrid1, 0, f, Qs(fila.etiqueta));
        PonerCelda(StringGrid1, 1, f, TextoDeNumero(fila.minimo));
        PonerCelda(StringGrid1, 2, f, TextoDeNumero(fila.maximo));
        ++f;
    }
    StringGrid1->resizeColumnsToContents();
}

// The power curves of the three models for the direction in the direction
// box, drawn on the curves tab and then saved under "c:\basura", a folder
// the system does not create.
void TFormQuendal::btPlot_PV_MEMTMCClick() {
    TCalibradorParque* calibrador = modelos_.CalibradorActual();
    TParque_ModeloCombinado* combinado = modelos_.ModeloCombinadoActual();
    if (!calibrador || !calibrador->ModeloEmpirico)
        throw EErrorQuendal("No hay un calibrador cargado: no hay curvas P(V) que graficar.");
    if (!combinado)
        throw EErrorQuendal("No hay un modelo combinado cargado: cargue uno antes de graficar las curvas P(V).");
    const double d = RealDe(eDir);
    ActualizarParqueDesdeFormulario();
    const TCurvasPV curvas =
        CalcularCurvasPV(*modelos_.ParqueActual(), *calibrador, *combinado, d, flg_sinMatrizFactores->isChecked());
    auto grafico = GraficoCurvasPV(d, curvas.v, curvas.MW_ME, curvas.MW_MT, curvas.MW_MC);
    DibujarEnCaja(*grafico, PaintBox1);
    GuardarGraficoCurvasPV(*grafico, d);
}

// Lists the result tables of a folder and its subfolders on the console, in
// name order within each folder.
void TFormQuendal::btElegirCarpetaCentralClick() {
    const QString carpeta = EjecutarDialogo(sddElegirCarpetaCentral);
    if (carpeta.isEmpty()) return;
    MostrarConsola();
    TDAofString tablas;
    BuscarArchivos(carpeta.toStdString(), {"xlt"}, tablas, true);
    for (const std::string& ruta : tablas) EscribirLineaEnConsola(ruta);
}

// ---- Solar tab ----

// Builds the plant's solar model and shows its coefficients. The plant
// number is read before anything else; the current model is replaced only
// by a model that was built.
void TFormQuendal::btProcesarSeries_solarClick() { ConstruirModeloSolar(EnteroDe(eNidCentral_Solar)); }

// Builds the model, then estimates the energy not generated during the
// restriction windows from "Desde" to the end of the "Hasta" day. The ring
// length is checked before the current model is replaced.
void TFormQuendal::btProcesarRestricciones_solarClick() {
    const int32_t nid = EnteroDe(eNidCentral_Solar);
    const int32_t muestrasBuffer = LongitudDeAnillo(eHoras_Buffer_Solar);
    ConstruirModeloSolar(nid);
    ProcesarRestriccionesSolar(ConexionAbierta(), *modelos_.GeneradorSolarActual(),
                               RutaArchivoEnCarpetaCentral(nid, "_series10min.sas"), CarpetaCentral(nid),
                               muestrasBuffer, FechaDe(FechaDesde_Solar), FechaDe(FechaHasta_Solar) + 1);
}

void TFormQuendal::ConstruirModeloSolar(int32_t nid) {
    NidCentralSolar = nid;
    TPgSqlCon& conexion = ConexionAbierta();
    const auto fila = FilaDeCentral(conexion, nid);
    auto modelo = TGeneradorSolar::Create(RutaArchivoEnCarpetaCentral(nid, "_series10min.sas"), nid, &conexion, *fila);
    modelos_.PonerGeneradorSolar(std::move(modelo));
    FijarCoeficientesPolinomio_Solar();
}

void TFormQuendal::FijarCoeficientesPolinomio_Solar() {
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

// ---- Input-tab operations ----

void TFormQuendal::ConectarBotonesDeEntradas() {
    for (QPushButton* boton : {btCargarMC1, btCargarYGuardarMC})
        connect(boton, &QPushButton::clicked, this, [this] { Manejar([&] { btCargarYGuardarMCClick(); }); });
    for (QPushButton* boton : {btCalcular1, btCalcular})
        connect(boton, &QPushButton::clicked, this, [this] { Manejar([&] { btCalcularClick(); }); });
    for (QPushButton* boton : {btProcesarSeriesConMC1, btProcesarSeriesConMC})
        connect(boton, &QPushButton::clicked, this, [this] { Manejar([&] { btProcesarSeriesConMCClick(); }); });
    for (QPushButton* boton : {btProcesarRestricciones1, btProcesarRestricciones})
        connect(boton, &QPushButton::clicked, this, [this] { Manejar([&] { btProcesarRestriccionesClick(); }); });
}

void TFormQuendal::MostrarCalibrador(TCalibradorParque& calibrador) {
    if (&calibrador != modelos_.CalibradorActual())
        throw EErrorQuendal("Solo se muestra el calibrador actual.");
    modelos_.MostrarParqueDelCalibrador();
    TParque_ModeloTeorico& parque = *calibrador.Parque;
    parque.FijarRectanguloDibujo(0, kFilasBarraColores, pb_Parque_original->Ancho(), pb_Parque_original->Alto());
    setWindowTitle(QStringLiteral("Calibrador cargado, Parque: ") + Qs(parque.nombre));
    eGamma_Atmosfera->setText(TextoDeNumero(parque.gamma_atmosfera));
    eAlfaTerreno->setText(TextoDeNumero(parque.alfa_terreno));
    efpv3pe->setText(TextoDeNumero(parque.fpv3pe));
    eFactorPerdidasParque->setText(TextoDeNumero(parque.factor_perdidas));
    eLimiteDePotencia->setText(TextoDeNumero(parque.potencia_autorizada_mw));
    eEthaMeteo->setText(Qs(parque.meteo_etha.ACadena()));
    eMdeVientos->setText(Qs(parque.mat_vientos.ACadena()));
    eGamma_Atmosfera1->setText(TextoDeNumero(parque.gamma_atmosfera));
    eAlfaTerreno1->setText(TextoDeNumero(parque.alfa_terreno));
    efpv3pe1->setText(TextoDeNumero(parque.fpv3pe));
    eFactorPerdidasParque1->setText(TextoDeNumero(parque.factor_perdidas));
    eLimiteDePotencia1->setText(TextoDeNumero(parque.potencia_autorizada_mw));
    // The tables are long texts: show their beginning, where their size is.
    for (QLineEdit* tabla : {eEthaMeteo, eEthaMeteo2, eMdeVientos}) tabla->setCursorPosition(0);
}

// The file is read whole before anything is replaced, so a file that cannot
// be read leaves the current models as they were.
void TFormQuendal::CargarCalibrador(const std::string& archivo) {
    modelos_.PonerCalibrador(TCalibradorParque::Create_LeerDeArchivo(archivo, ProveedorDeConexion()));
    MostrarCalibrador(*modelos_.CalibradorActual());
}

void TFormQuendal::CargarModeloCombinado(const std::string& archivo) {
    modelos_.PonerModeloCombinadoYCalibrador(
        TParque_ModeloCombinado::Create_LeerDeArchivo(archivo, ProveedorDeConexion()));
    MostrarCalibrador(*modelos_.CalibradorActual());
}

void TFormQuendal::ActualizarParqueDesdeFormulario() {
    TParque_ModeloTeorico* parque = modelos_.ParqueActual();
    if (!parque) throw EErrorQuendal("No hay un parque cargado: cargue un modelo calibrado primero.");
    parque->alfa_terreno = RealDeCaja(eAlfaTerreno);
    parque->gamma_atmosfera = RealDeCaja(eGamma_Atmosfera);
    parque->fpv3pe = RealDeCaja(efpv3pe);
    parque->factor_perdidas = RealDeCaja(eFactorPerdidasParque);
    parque->potencia_autorizada_mw = RealDeCaja(eLimiteDePotencia);
    ActualizarMatrizDesdeCaja(parque->meteo_etha, eEthaMeteo, "EthaMeteo");
    ActualizarMatrizDesdeCaja(parque->mat_vientos, eMdeVientos, "MdeVientos");
}

// "Cargar Modelo Calibrado": the picked file becomes the current combined
// model and calibrator, the file that "Calcular solo las R.O." reads, and is
// written back at once in the current form (through a temporary file renamed
// over it, so a failed write leaves the file holding the model just read).
void TFormQuendal::btCargarYGuardarMCClick() {
    const QString archivo = EjecutarDialogo(odCalibrador);
    if (archivo.isEmpty()) return;
    const std::string ruta = archivo.toStdString();
    CargarModeloCombinado(ruta);
    ArchivoModeloCombinado = ruta;
    modelos_.ModeloCombinadoActual()->GuardarEnArchivo(ruta);
}

// "Simular Modelo Teórico": the theoretical and empirical powers for the
// typed met-mast reading, and the park's wind-speed map on both pictures.
void TFormQuendal::btCalcularClick() {
    if (!modelos_.ParqueActual()) {
        const QString archivo = EjecutarDialogo(odCalibrador);
        if (archivo.isEmpty()) return;
        CargarCalibrador(archivo.toStdString());
    }
    // Pending paints are served; input given until the maps are drawn is
    // dropped.
    const TCorrida corrida;
    TParque_ModeloTeorico& parque = *modelos_.ParqueActual();
    parque.FijarRectanguloDibujo(0, kFilasBarraColores, pb_Parque_original->Ancho(), pb_Parque_original->Alto());
    pb_Parque_original->Imagen().fill(Qt::white);
    pb_Parque_original->Actualizar();

    const double velocidadMastil = RealDeCaja(eVAnemoEntrada);
    const double direccion = RealDeCaja(eDir);
    ActualizarParqueDesdeFormulario();
    const double densidadMastil = PotenciaDelViento(velocidadMastil, DensidadBase);
    parque.FijarDireccion(direccion);
    // The park is capped at its own authorised power (the calibrator's park
    // is the park shown whenever a calibrator is current).
    double libre = 0;
    const double potenciaTeorica =
        parque.PotenciaDesdeEstacion(DensidadBase, densidadMastil, parque.potencia_autorizada_mw, libre);
    VientoLibre->setText(TextoDeNumero(VientoDePotencia(libre, DensidadBase)));

    // The empirical model belongs to the calibrator whose park is shown; a
    // park of its own (a database download) has none: no samples behind it.
    double potenciaEmpirica = 0, peso = -1;
    TCalibradorParque* calibrador = modelos_.CalibradorActual();
    if (calibrador && calibrador->Parque.get() == &parque && calibrador->ModeloEmpirico)
        potenciaEmpirica = calibrador->ModeloEmpirico->PE_PorTramos(direccion, densidadMastil, peso);

    ePE_MW_ModeloTeorico->setText(TextoDeNumero(potenciaTeorica));
    eVAnemoResultante->setText(TextoDeNumero(VientoDePotencia(parque.ValorEnPunto(0, 0), DensidadBase)));
    ePE_MW_Representantes->setText(TextoDeNumero(potenciaEmpirica));
    eME_Peso->setText(TextoDeNumero(peso));
    VelocidadesMT_To_PB(pb_Parque_original);
    VelocidadesMT_To_PB(pb_Parque_simple);
}

// "Calcular con todos los datos": the picked series simulated with the
// current combined model over the picked dates (the end day at 00:00), the
// whole period counting as restriction period. The table goes into the
// folder of the plant whose model is run.
void TFormQuendal::btProcesarSeriesConMCClick() {
    const int32_t muestras = LongitudDeAnillo(eHoras_Buffer);
    TParque_ModeloCombinado* modelo = modelos_.ModeloCombinadoActual();
    if (!modelo)
        throw EErrorQuendal("No hay un modelo combinado cargado: cárguelo con \"Cargar Modelo Calibrado\".");
    const std::string carpeta = CarpetaCentral(modelo->Parque->nid);
    odProcesarSeries.carpetaInicial = Qs(carpeta);
    const QString archivo = EjecutarDialogo(odProcesarSeries);
    if (archivo.isEmpty()) return;
    const TCorrida corrida = EmpezarCorrida();
    const TDateTime desde = FechaDeSelector(FechaDesde), hasta = FechaDeSelector(FechaHasta);
    TDAofRecsEnergiaPorFecha registros;
    SimularSerieConModeloCombinado(flg_sinMatrizFactores->isChecked(), *modelo, archivo.toStdString(), carpeta,
                                   cbSeriesConVelLibre->isChecked(), desde, hasta, desde, hasta,
                                   modelo->Parque->factor_kolm_scada, registros, muestras, false,
                                   cbSoloTeorico->isChecked(), true);
}

// "Calcular solo las R.O.": the restriction windows of the picked series
// over the picked days ("Hasta" included whole), run with the combined model
// read again from the file that "Cargar Modelo Calibrado" loaded. The tables
// go into the folder of the plant of that model.
void TFormQuendal::btProcesarRestriccionesClick() {
    const int32_t muestras = LongitudDeAnillo(eHoras_Buffer);
    if (ArchivoModeloCombinado.empty())
        throw EErrorQuendal("No hay un modelo combinado cargado: cárguelo con \"Cargar Modelo Calibrado\".");
    // The park block at the head of the model file names its plant.
    const int32_t nid = TParque_ModeloTeorico::Create_LeerDeArchivo(ArchivoModeloCombinado)->nid;
    const std::string carpeta = CarpetaCentral(nid);
    odProcesarSeries.carpetaInicial = Qs(carpeta);
    const QString archivo = EjecutarDialogo(odProcesarSeries);
    if (archivo.isEmpty()) return;
    const TCorrida corrida = EmpezarCorrida();
    ProcesarRestriccionesEolico(ArchivoModeloCombinado, archivo.toStdString(), carpeta,
                                flg_sinMatrizFactores->isChecked(), cbSeriesConVelLibre->isChecked(), muestras,
                                FechaDeSelector(FechaDesde), FechaDeSelector(FechaHasta) + 1);
}
