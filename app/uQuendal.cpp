#include "app/uQuendal.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QThread>
#include <algorithm>
#include <cstdlib>
#include <exception>
#include <tuple>
#include <utility>

#include "app/cajas.h"
#include "app/panelconsola.h"
#include "app/pestaniacurvas.h"
#include "app/pestaniaentradas.h"
#include "app/pestanialistado.h"
#include "app/pestaniamodelos.h"
#include "app/pestaniaparque.h"
#include "app/pestaniasolar.h"
#include "data/ucarpetasmodelos.h"
#include "data/unidades.h"
#include "data/upgsql.h"
#include "data/useriestemporales.h"
#include "models/ucalibrador.h"
#include "models/uGranjaSolar.h"
#include "models/uparques_modelocombinado.h"
#include "models/uparques_modeloteorico.h"
#include "numerics/consola.h"
#include "numerics/errores.h"

namespace {

constexpr int kAnchoCliente = 1366;
constexpr int kAltoCliente = 705;
// A window frame's title bar and its other borders, which the screen's free
// area must hold too.
constexpr int kAltoTituloVentana = 32;
constexpr int kBordeVentana = 4;
// How often the console pane and the window are brought up to date during a
// run that prints.
constexpr int kMilisegundosEntreRepintados = 100;

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

}  // namespace

TFormQuendal::TFormQuendal(QWidget* padre) : QMainWindow(padre) {
    cuadroDeError_ = [this](const QString& mensaje) { return CuadroDeErrorEstandar(this, mensaje); };
    // After a failed connection the dialog shows what was typed.
    dialogoDeConexion_ = [this, tecleados = TDatosConexion()]() mutable {
        std::optional<TDatosConexion> datos = PedirDatosDeConexion(this, tecleados);
        if (datos) tecleados = *datos;
        return datos;
    };
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
    setWindowTitle(QStringLiteral("FormQuendal"));
    CrearPestanias();
    ConectarCopiasGemelas();
    FormCreate();
    CrearMenuVer();
    CrearPanelConsola();
    statusBar()->setObjectName(QStringLiteral("lineaDeEstado"));
    avisoCierre_ = new QLabel(QStringLiteral("La ventana se cerrará al terminar la corrida."));
    avisoCierre_->setObjectName(QStringLiteral("avisoCierre"));
    statusBar()->addPermanentWidget(avisoCierre_);
    avisoCierre_->hide();
    resize(kAnchoCliente, kAltoCliente + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
}

TFormQuendal::~TFormQuendal() {
    if (ObservadorConsola() == receptorConsola_.get()) FijarObservadorConsola(observadorConsolaAnterior_);
}

bool TFormQuendal::CabeEnPantalla(const QSize& ventana, const QRect& libre) {
    return libre.width() >= ventana.width() && libre.height() >= ventana.height() + kAltoTituloVentana;
}

QRect TFormQuendal::GeometriaRestaurada(const QRect& libre) {
    return libre.adjusted(kBordeVentana, kAltoTituloVentana, -kBordeVentana, -kBordeVentana);
}

// Maximised, the window keeps a restored size that fits the free area too,
// so that un-maximising it hides no status line under a taskbar.
void TFormQuendal::Presentar() {
    const QScreen* pantalla = screen();
    if (!pantalla || CabeEnPantalla(size(), pantalla->availableGeometry())) {
        show();
        return;
    }
    setGeometry(GeometriaRestaurada(pantalla->availableGeometry()));
    showMaximized();
}

// ---- Building the window ----

// A tab is built after the tabs whose controls it takes (the park tab makes
// its twins like the input tab's boxes); the window shows them in their own
// order.
void TFormQuendal::CrearPestanias() {
    PageControl1 = new QTabWidget;
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    setCentralWidget(PageControl1);
    entradas_ = new TPestaniaEntradas;
    parque_ = new TPestaniaParque(*this, *entradas_);
    pestaniaModelos_ = new TPestaniaModelos(*this, *entradas_, *parque_);
    curvas_ = new TPestaniaCurvas(*this, *parque_, *entradas_);
    solar_ = new TPestaniaSolar(*this);
    listado_ = new TPestaniaListado(*this);
    TabSheet2 = Desplazable(parque_);
    TabSheet3 = Desplazable(pestaniaModelos_);
    TabSheet4 = Desplazable(curvas_);
    TabSheet5 = Desplazable(entradas_);
    TabSheet6 = Desplazable(solar_);
    TabSheet1 = Desplazable(listado_);
    const std::pair<QWidget*, const char*> pestanias[] = {
        {TabSheet2, "TabSheet2"}, {TabSheet3, "TabSheet3"}, {TabSheet4, "TabSheet4"},
        {TabSheet5, "TabSheet5"}, {TabSheet6, "TabSheet6"}, {TabSheet1, "TabSheet1"}};
    for (const auto& [pestania, nombre] : pestanias) {
        pestania->setObjectName(QString::fromLatin1(nombre));
        const QString titulo = pestania == TabSheet6 ? QStringLiteral("Solar") : QString::fromLatin1(nombre);
        PageControl1->addTab(pestania, titulo);
    }
}

// Each box copies its text into its twin when it changes, and the twin back
// into it where the pair goes both ways. The input tab's dates go to the
// models tab together, the one changed first. The curves tab takes the
// met-mast table when it is shown.
void TFormQuendal::ConectarCopiasGemelas() {
    const TPestaniaEntradas& e = *entradas_;
    const TPestaniaParque& p = *parque_;
    enum TSentido : bool { SoloIda, IdaYVuelta };
    const std::tuple<QLineEdit*, QLineEdit*, TSentido> gemelas[] = {
        {e.eDir1, p.eDir, IdaYVuelta},
        {e.eVAnemoEntrada1, p.eVAnemoEntrada, IdaYVuelta},
        {e.eAlfaTerreno1, p.eAlfaTerreno, IdaYVuelta},
        {e.eGamma_Atmosfera1, p.eGamma_Atmosfera, IdaYVuelta},
        {e.efpv3pe1, p.efpv3pe, SoloIda},
        {e.eFactorPerdidasParque1, p.eFactorPerdidasParque, SoloIda},
        {e.eLimiteDePotencia1, p.eLimiteDePotencia, SoloIda},
        {e.eEthaMeteo2, p.eEthaMeteo, IdaYVuelta},
        {curvas_->eEthaMeteo1, p.eEthaMeteo, SoloIda},
        {p.eME_Peso, e.eME_Peso1, SoloIda},
        {p.ePE_MW_ModeloTeorico, e.ePE_MW_ModeloTeorico1, SoloIda},
        {p.ePE_MW_Representantes, e.ePE_MW_Representantes1, SoloIda},
        {p.eVAnemoResultante, e.eVAnemoResultante1, SoloIda},
    };
    const auto copiar = [this](QLineEdit* desde, QLineEdit* hacia) {
        connect(desde, &QLineEdit::textChanged, this, [this, desde, hacia] { Manejar([&] { CopiarTexto(desde, hacia); }); });
    };
    for (const auto& [caja, gemela, sentido] : gemelas) {
        copiar(caja, gemela);
        if (sentido == IdaYVuelta) copiar(gemela, caja);
    }

    const std::pair<QDateEdit*, QDateEdit*> fechas[] = {{e.FechaDesde1, pestaniaModelos_->FechaDesde},
                                                        {e.FechaHasta1, pestaniaModelos_->FechaHasta}};
    for (int i = 0; i < 2; ++i) {
        const auto cambiada = fechas[i], otra = fechas[1 - i];
        connect(cambiada.first, &QDateEdit::dateChanged, this, [this, cambiada, otra] {
            Manejar([&] {
                CopiarFecha(cambiada.first, cambiada.second);
                CopiarFecha(otra.first, otra.second);
            });
        });
    }
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int indice) {
        if (PageControl1->widget(indice) == TabSheet4) Manejar([&] { TabSheet4Show(); });
    });
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

// The pane's width when a run shows it: this many characters of console
// text, and at most this share of the window, so that the tab beside it
// keeps its boxes and buttons in view.
constexpr int kColumnasConsola = 60;
constexpr double kParteMaximaDeLaConsola = 0.4;
// How long the status line keeps a run's last console line after it ends.
constexpr int kMilisegundosUltimaLinea = 10000;

}  // namespace

// The pane sits beside the tabs, where a small screen has room for it: under
// them it would push the input tab's run buttons out of sight. "Consola" in
// the "Ver" menu shows and hides it. It receives every console text from
// here on.
void TFormQuendal::CrearPanelConsola() {
    consola = new TPanelConsola;
    consola->setObjectName(QStringLiteral("consola"));
    panelConsola = new QDockWidget(QStringLiteral("Consola"), this);
    panelConsola->setObjectName(QStringLiteral("panelConsola"));
    panelConsola->setWidget(consola);
    panelConsola->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea | Qt::RightDockWidgetArea);
    addDockWidget(Qt::RightDockWidgetArea, panelConsola);
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

// The pane gets its width back whenever it shows narrower than a console's
// lines, whatever resizes the window went through; the user may drag it
// wider.
void TFormQuendal::MostrarConsola() {
    panelConsola->show();
    const int columnas = consola->fontMetrics().horizontalAdvance(QString(kColumnasConsola, QLatin1Char('0')));
    const int marco = consola->frameWidth() * 2 + consola->verticalScrollBar()->sizeHint().width() + 8;
    const int ancho = std::min(columnas + marco, static_cast<int>(width() * kParteMaximaDeLaConsola));
    if (!panelConsola->isFloating() && panelConsola->width() < ancho)
        resizeDocks({panelConsola}, {ancho}, Qt::Horizontal);
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

// ---- Dialogs ----

QString TFormQuendal::EjecutarDialogo(const TPeticionDialogo& dialogo) { return dialogoDeArchivo_(dialogo); }

// ---- Failures ----

void TFormQuendal::Manejar(const std::function<void()>& manejador) {
    try {
        manejador();
    } catch (const ELecturaSeries& e) {
        // The series reader's own message gives only a line count: the file
        // and what made that line fail (a file that does not open, a value
        // that does not read) are shown below it.
        MostrarError(QString::fromUtf8(e.what()) + QStringLiteral("\nArchivo de series: ") +
                     QString::fromUtf8(e.Archivo()) + QLatin1Char('\n') + QString::fromUtf8(e.Causa()));
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
    parque_->eVAnemoEntrada->setText(TextoDeNumero(9.9));
    parque_->eGamma_Atmosfera->setText(TextoDeNumero(0.4));
    parque_->eAlfaTerreno->setText(TextoDeNumero(0.5));
    PageControl1->setCurrentWidget(TabSheet5);
    for (QWidget* oculta : {TabSheet2, TabSheet3, TabSheet4, TabSheet6, TabSheet1})
        PageControl1->setTabVisible(PageControl1->indexOf(oculta), false);
}

void TFormQuendal::FormClose() { modelos_.LiberarTodo(); }

void TFormQuendal::closeEvent(QCloseEvent* evento) {
    Manejar([&] { FormClose(); });
    evento->accept();
}

// Closing was asked during a run: the run's guard closes the window when the
// run ends; meanwhile the status line says so beside the console's line.
bool TFormQuendal::event(QEvent* evento) {
    if (evento->type() != TipoEventoCierrePedido()) return QMainWindow::event(evento);
    avisoCierre_->show();
    return true;
}

void TFormQuendal::TabSheet4Show() { CopiarTexto(parque_->eEthaMeteo, curvas_->eEthaMeteo1); }

// ---- The database connection and the message boxes ----

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

