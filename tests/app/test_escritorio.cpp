// The window on a real desktop: it fits a 1366×768 screen, Qt's own texts
// are Spanish, the console shows inside the window, and input given during a
// run is dropped.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTextCursor>
#include <QTimer>
#include <QWheelEvent>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "app/arranque.h"
#include "app/corrida.h"
#include "app/cuadroerror.h"
#include "app/traducciones.h"
#include "app/uQuendal.h"
#include "controles.h"
#include "data/ucarpetasmodelos.h"
#include "numerics/consola.h"
#include "unidad_temporal.h"

namespace fs = std::filesystem;

namespace {

// ---- Size ----

// 1366×768 less a title bar and a taskbar.
const QSize kPantallaChica(1366, 690);

TEST(TamanioDeLaVentana, ElMinimoCabeEnUnaPantallaDe1366x768) {
    TFormQuendal ventana;
    ventana.findChild<QDockWidget*>(QStringLiteral("panelConsola"))->show();
    for (const QSize minimo : {ventana.minimumSizeHint(), ventana.minimumSize()}) {
        EXPECT_LE(minimo.width(), kPantallaChica.width());
        EXPECT_LE(minimo.height(), kPantallaChica.height());
    }
    ventana.resize(kPantallaChica);
    ventana.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(ventana.size(), kPantallaChica);
}

// The park tab is wider and taller than the tab area of a small window: it
// scrolls, and its right panel is reached by scrolling.
TEST(TamanioDeLaVentana, UnaPestaniaQueNoCabeSeDesplaza) {
    TFormQuendal ventana;
    auto* pestanias = ventana.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    ventana.findChild<QAction*>(QStringLiteral("verTabSheet2"))->trigger();
    ventana.resize(QSize(1000, 560));
    ventana.show();
    QCoreApplication::processEvents();
    auto* area = qobject_cast<QScrollArea*>(pestanias->currentWidget());
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->objectName(), QStringLiteral("TabSheet2"));
    EXPECT_GT(area->horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(area->verticalScrollBar()->maximum(), 0);
    QWidget* panel = ventana.findChild<QWidget*>(QStringLiteral("Panel1"));
    ASSERT_NE(panel, nullptr);
    area->ensureWidgetVisible(panel);
    const QRect enLaVista(panel->mapTo(area->viewport(), QPoint(0, 0)), panel->size());
    EXPECT_TRUE(area->viewport()->rect().intersects(enLaVista));
}

TEST(TamanioDeLaVentana, AbreConSuTamanioDeDisenioSoloSiCabe) {
    TFormQuendal ventana;
    EXPECT_GE(ventana.width(), 1366);
    EXPECT_GE(ventana.height(), 705);
    const QSize disenio = ventana.size();
    EXPECT_TRUE(TFormQuendal::CabeEnPantalla(disenio, QRect(0, 0, 1920, 1040)));
    EXPECT_FALSE(TFormQuendal::CabeEnPantalla(disenio, QRect(0, 0, 1366, 728)));
    EXPECT_FALSE(TFormQuendal::CabeEnPantalla(disenio, QRect(0, 0, 1280, 1024)));
}

// Maximised, the window keeps a restored size that fits the screen's free
// area with a title bar and borders; restored, its status line is inside it.
TEST(TamanioDeLaVentana, RestauradaCabeEnElAreaLibreConSuLineaDeEstado) {
    TFormQuendal ventana;
    const QRect libre = ventana.screen()->availableGeometry();
    ASSERT_FALSE(TFormQuendal::CabeEnPantalla(ventana.size(), libre)) << "pantalla de prueba demasiado grande";
    ventana.Presentar();
    QCoreApplication::processEvents();
    const QRect restaurada = ventana.normalGeometry();
    constexpr int kTitulo = 32, kBorde = 4;
    EXPECT_TRUE(libre.contains(restaurada.adjusted(-kBorde, -kTitulo, kBorde, kBorde)))
        << restaurada.x() << "," << restaurada.y() << " " << restaurada.width() << "x" << restaurada.height();
    ventana.showNormal();
    QCoreApplication::processEvents();
    const QStatusBar* estado = ventana.statusBar();
    const QRect lineaDeEstado(estado->mapToGlobal(QPoint(0, 0)), estado->size());
    EXPECT_TRUE(estado->isVisible());
    EXPECT_TRUE(libre.contains(lineaDeEstado));
}

// ---- Qt's texts in Spanish ----

QString SinAtajo(QString texto) { return texto.remove(QLatin1Char('&')); }

// Qt's Spanish catalogue for the test's life.
class TextosDeQt : public ::testing::Test {
protected:
    void SetUp() override {
        traductor = InstalarTraduccionesQt();
        ASSERT_NE(traductor, nullptr) << "Falta qtbase_es.qm en " << CarpetaTraduccionesQt().toStdString()
                                      << " (paquete qt6-translations-l10n, que instala scripts/paquetes.sh)";
    }
    std::unique_ptr<QTranslator> traductor;
};

TEST_F(TextosDeQt, ElDialogoDeArchivosDiceAbrirYCancelar) {
    QFileDialog dialogo(nullptr, QString(), QString(), QStringLiteral("*.clp"));
    dialogo.setOption(QFileDialog::DontUseNativeDialog);
    dialogo.setAcceptMode(QFileDialog::AcceptOpen);
    dialogo.setFileMode(QFileDialog::ExistingFile);
    auto* botones = dialogo.findChild<QDialogButtonBox*>();
    ASSERT_NE(botones, nullptr);
    QStringList textos;
    for (QAbstractButton* b : botones->buttons()) textos << SinAtajo(b->text());
    EXPECT_TRUE(textos.contains(QStringLiteral("Abrir"))) << textos.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(textos.contains(QStringLiteral("Cancelar"))) << textos.join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(textos.contains(QStringLiteral("Open")));
    EXPECT_FALSE(textos.contains(QStringLiteral("Cancel")));
    EXPECT_NE(dialogo.labelText(QFileDialog::LookIn), QStringLiteral("Look in:"));
}

TEST_F(TextosDeQt, LosBotonesDeUnaPreguntaDicenSiYNo) {
    QMessageBox pregunta(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("?"),
                         QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(SinAtajo(pregunta.button(QMessageBox::Yes)->text()), QStringLiteral("Sí"));
    EXPECT_EQ(SinAtajo(pregunta.button(QMessageBox::No)->text()), QStringLiteral("No"));
}

TEST_F(TextosDeQt, LosNumerosYLasFechasSiguenLosAjustesDelUsuario) {
    traductor.reset();
    const FormatSettings antes = AjustesDelSistema();
    const QLocale localAntes;
    traductor = InstalarTraduccionesQt();
    const FormatSettings despues = AjustesDelSistema();
    EXPECT_EQ(QLocale(), localAntes);
    EXPECT_EQ(despues.DecimalSeparator, antes.DecimalSeparator);
    EXPECT_EQ(despues.ShortDateFormat, antes.ShortDateFormat);
    EXPECT_EQ(despues.LongTimeFormat, antes.LongTimeFormat);
}

TEST(CalendarioDeLasFechas, MesesYDiasEnCastellanoConLaFechaEnElFormatoEnVigor) {
    TFormQuendal ventana;
    for (const char* nombre : {"FechaDesde1", "FechaHasta", "FechaDesde_Solar"}) {
        auto* selector = ControlDe<QDateEdit>(ventana, nombre);
        ASSERT_NE(selector, nullptr);
        const QLocale calendario = selector->calendarWidget()->locale();
        EXPECT_EQ(calendario.language(), QLocale::Spanish) << nombre;
        EXPECT_EQ(calendario.monthName(2), QStringLiteral("febrero")) << nombre;
        EXPECT_EQ(calendario.standaloneDayName(3).toLower(), QStringLiteral("miércoles")) << nombre;
        EXPECT_EQ(selector->locale(), QLocale()) << nombre;
    }
    EXPECT_EQ(ControlDe<QDateEdit>(ventana, "FechaDesde1")->text(), QStringLiteral("01/02/2018"));
}

// ---- The console pane and input during a run ----

const fs::path kPlantaDemo = fs::path(QUENDAL_TEST_DATA) / ".." / ".." / "examples" / "c9001";
constexpr int kNidDemo = 9001;

// Lets a test act while a run prints: its observer sees each console text
// before the window's does.
class Espia : public TObservadorConsola {
public:
    explicit Espia(std::function<void(std::string_view)> alRecibir) : alRecibir_(std::move(alRecibir)) {
        siguiente_ = FijarObservadorConsola(this);
    }
    ~Espia() override { FijarObservadorConsola(siguiente_); }
    void TextoEscrito(std::string_view texto) override {
        alRecibir_(texto);
        if (siguiente_) siguiente_->TextoEscrito(texto);
    }

private:
    std::function<void(std::string_view)> alRecibir_;
    TObservadorConsola* siguiente_ = nullptr;
};

// The demo plant's combined model loaded in a shown window; its dialogs
// answer from a list and count how often they were asked.
class CorridaEnLaVentana : public UnidadCTemporal {
protected:
    void SetUp() override {
        UnidadCTemporal::SetUp();
        InicializarCarpetaModelos();
        carpeta = CarpetaCentral(kNidDemo);
        for (const auto& e : fs::directory_iterator(kPlantaDemo))
            fs::copy_file(e.path(), fs::path(carpeta) / e.path().filename());
        ventana = std::make_unique<TFormQuendal>();
        ventana->FijarCuadroDeError([this](const QString& mensaje) {
            errores << mensaje;
            return TRespuestaError::Continuar;
        });
        ventana->FijarDialogoDeArchivo([this](const TPeticionDialogo&) {
            ++dialogos;
            if (respuestas.empty()) return QString();
            const QString r = respuestas.front();
            respuestas.pop_front();
            return r;
        });
        ventana->show();
        QCoreApplication::processEvents();
        respuestas.push_back(Ruta("c9001.pmc"));
        Boton("btCargarMC1")->click();
        ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
        ControlDe<QDateEdit>(*ventana, "FechaDesde1")->setDate(QDate(2018, 1, 1));
        ControlDe<QDateEdit>(*ventana, "FechaHasta1")->setDate(QDate(2018, 1, 3));
        dialogos = 0;
    }
    void TearDown() override {
        ventana.reset();
        UnidadCTemporal::TearDown();
    }
    QString Ruta(const char* nombre) const { return QString::fromStdString((fs::path(carpeta) / nombre).string()); }
    QPushButton* Boton(const char* nombre) { return ControlDe<QPushButton>(*ventana, nombre); }
    QPlainTextEdit* Consola() { return ControlDe<QPlainTextEdit>(*ventana, "consola"); }
    QDockWidget* PanelConsola() { return ControlDe<QDockWidget>(*ventana, "panelConsola"); }

    // "Calcular con todos los datos" on the demo series.
    void CorrerTodosLosDatos() {
        respuestas.push_back(Ruta("c9001_series10min.sas"));
        QTest::mouseClick(Boton("btProcesarSeriesConMC1"), Qt::LeftButton);
        ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    }

    // A click on the button as the window system would deliver it: queued.
    static void PonerClicEnCola(QWidget* boton) {
        const QPointF centro = QRectF(boton->rect()).center();
        const QPointF global = boton->mapToGlobal(centro);
        QCoreApplication::postEvent(boton, new QMouseEvent(QEvent::MouseButtonPress, centro, global, Qt::LeftButton,
                                                           Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(boton, new QMouseEvent(QEvent::MouseButtonRelease, centro, global,
                                                           Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    }

    std::string carpeta;
    std::unique_ptr<TFormQuendal> ventana;
    QStringList errores;
    std::deque<QString> respuestas;
    int dialogos = 0;
};

// The last two rewrites of a progress line, as standard output has them
// (the text after each of the last two carriage returns before that prefix).
std::pair<QString, QString> UltimasDosReescrituras(const std::string& salida, const std::string& prefijo) {
    auto reescrituraEn = [&](std::size_t inicio) {
        const std::size_t fin = salida.find_first_of("\r\n", inicio + 1);
        return QString::fromStdString(salida.substr(inicio + 1, fin - inicio - 1));
    };
    const std::size_t ultima = salida.rfind("\r" + prefijo);
    if (ultima == std::string::npos || ultima == 0) return {};
    const std::size_t penultima = salida.rfind("\r" + prefijo, ultima - 1);
    if (penultima == std::string::npos) return {QString(), reescrituraEn(ultima)};
    return {reescrituraEn(penultima), reescrituraEn(ultima)};
}

TEST_F(CorridaEnLaVentana, LaConsolaRecibeLasLineasDeLaCorridaConLaReescrituraEnSuLugar) {
    ASSERT_FALSE(PanelConsola()->isVisible());
    bool panelVisibleEnLaCorrida = false, cursorOcupado = false;
    QStringList estados;
    Espia espia([&](std::string_view) {
        panelVisibleEnLaCorrida = panelVisibleEnLaCorrida || PanelConsola()->isVisible();
        cursorOcupado = cursorOcupado ||
                        (QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor);
        const QString estado = ventana->statusBar()->currentMessage();
        if (!estado.isEmpty() && (estados.isEmpty() || estados.back() != estado)) estados << estado;
    });
    ::testing::internal::CaptureStdout();
    CorrerTodosLosDatos();
    const std::string salida = ::testing::internal::GetCapturedStdout();

    // Standard output has every rewrite: one per sample of the 289.
    std::size_t reescrituras = 0;
    for (std::size_t p = salida.find("\rSimulando fecha: "); p != std::string::npos;
         p = salida.find("\rSimulando fecha: ", p + 1))
        ++reescrituras;
    EXPECT_EQ(reescrituras, 289u);

    // The pane has them as one line, the last one, and every other line.
    EXPECT_TRUE(panelVisibleEnLaCorrida);
    EXPECT_TRUE(cursorOcupado);
    EXPECT_TRUE(PanelConsola()->isVisible());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    const QStringList lineas = Consola()->toPlainText().split(QLatin1Char('\n'));
    const QStringList progreso = lineas.filter(QStringLiteral("Simulando fecha: "));
    ASSERT_EQ(progreso.size(), 1) << Consola()->toPlainText().toStdString();
    // The last rewrite replaces the one before it whole, though the date of
    // the last sample, at midnight, is shorter.
    const auto [penultima, ultima] = UltimasDosReescrituras(salida, "Simulando fecha: ");
    ASSERT_FALSE(ultima.isEmpty());
    EXPECT_LT(ultima.size(), penultima.size());
    EXPECT_EQ(progreso[0], ultima);
    EXPECT_TRUE(lineas.contains(QStringLiteral("SIMULACION TERMINADA CON EXITO")));
    // Each line of standard output without a carriage return is in the pane.
    for (const QString& linea : QString::fromStdString(salida).split(QLatin1Char('\n'))) {
        if (linea.contains(QLatin1Char('\r'))) continue;
        EXPECT_TRUE(lineas.contains(linea)) << linea.toStdString();
    }
    // The status line showed console lines during the run and ends with its last line.
    EXPECT_FALSE(estados.isEmpty());
    for (const QString& estado : estados) {
        const bool esLinea = lineas.contains(estado) || estado.startsWith(QStringLiteral("Simulando fecha: "));
        EXPECT_TRUE(esLinea) << estado.toStdString();
    }
    EXPECT_EQ(ventana->statusBar()->currentMessage(), QStringLiteral("SIMULACION TERMINADA CON EXITO"));
}

TEST_F(CorridaEnLaVentana, LaVentanaSeRepintaDuranteLaCorrida) {
    int repintadosEnLaCorrida = 0;
    struct TContador : QObject {
        int* cuenta;
        explicit TContador(int* c) : cuenta(c) {}
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint && TCorrida::EnCurso()) ++*cuenta;
            return false;
        }
    } contador(&repintadosEnLaCorrida);
    Consola()->viewport()->installEventFilter(&contador);
    CorrerTodosLosDatos();
    EXPECT_GT(repintadosEnLaCorrida, 0);
}

TEST_F(CorridaEnLaVentana, UnClicDuranteLaCorridaNoHaceNadaDespues) {
    bool puesto = false;
    Espia espia([&](std::string_view texto) {
        if (puesto || texto.find("Simulando fecha: ") == std::string_view::npos) return;
        puesto = true;
        // A second click on the run button, a key on it and a click on the menu.
        PonerClicEnCola(Boton("btProcesarSeriesConMC1"));
        QCoreApplication::postEvent(Boton("btProcesarSeriesConMC1"),
                                    new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" ")));
        QCoreApplication::postEvent(Boton("btProcesarSeriesConMC1"), new QKeyEvent(QEvent::KeyRelease, Qt::Key_Space,
                                                                                 Qt::NoModifier, QStringLiteral(" ")));
        PonerClicEnCola(Boton("btCargarMC1"));
    });
    CorrerTodosLosDatos();
    ASSERT_TRUE(puesto);
    EXPECT_EQ(dialogos, 1);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogos, 1);
    EXPECT_TRUE(errores.isEmpty());

    // The same click given when no run is going opens its dialog: the test
    // sees a click that fires.
    PonerClicEnCola(Boton("btProcesarSeriesConMC1"));
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogos, 2);
}

// On a 1366x738 free area, maximised or restored, the pane that a run opens
// leaves both run buttons of the input tab in view, and it shows a
// console's width of text.
TEST_F(CorridaEnLaVentana, ConLaConsolaAbiertaLosBotonesDeCorridaSiguenALaVista) {
    const QRect libre(0, 0, 1366, 738);
    for (const QSize cliente : {QSize(1366, 738 - 20), TFormQuendal::GeometriaRestaurada(libre).size()}) {
        SCOPED_TRACE(std::to_string(cliente.width()) + "x" + std::to_string(cliente.height()));
        ventana->resize(cliente);
        QCoreApplication::processEvents();
        CorrerTodosLosDatos();
        QCoreApplication::processEvents();
        ASSERT_TRUE(PanelConsola()->isVisible());
        for (const char* nombre : {"btProcesarRestricciones1", "btProcesarSeriesConMC1"}) {
            QPushButton* boton = Boton(nombre);
            EXPECT_EQ(boton->visibleRegion().boundingRect(), boton->rect()) << nombre;
        }
        EXPECT_GE(Consola()->viewport()->width(), Consola()->fontMetrics().horizontalAdvance(QString(40, QLatin1Char('0'))));
        EXPECT_GE(Consola()->viewport()->height(), 10 * Consola()->fontMetrics().height());
    }
}

// A window made small and then large again squeezes the pane; the next run
// gives it back its size, and it ends showing the run's last line.
TEST_F(CorridaEnLaVentana, TrasAchicarYAgrandarLaVentanaLaConsolaMuestraElFinal) {
    ventana->resize(1366, 718);
    CorrerTodosLosDatos();
    ventana->resize(500, 260);
    QCoreApplication::processEvents();
    ventana->resize(1366, 718);
    QCoreApplication::processEvents();
    CorrerTodosLosDatos();
    QCoreApplication::processEvents();
    const QFontMetrics medida = Consola()->fontMetrics();
    EXPECT_GE(Consola()->viewport()->width(), medida.horizontalAdvance(QString(40, QLatin1Char('0'))));
    EXPECT_GE(Consola()->viewport()->height(), 10 * medida.height());
    const QScrollBar* barra = Consola()->verticalScrollBar();
    EXPECT_EQ(barra->value(), barra->maximum());
    const QTextCursor fin = [&] {
        QTextCursor c(Consola()->document());
        c.movePosition(QTextCursor::End);
        return c;
    }();
    EXPECT_TRUE(Consola()->viewport()->rect().contains(Consola()->cursorRect(fin)));
}

// Closing the window during a run is kept: the status line says so while
// the run goes on, and the window closes, its models freed, when it ends.
TEST_F(CorridaEnLaVentana, CerrarLaVentanaDuranteLaCorridaLaCierraAlTerminar) {
    QLabel* aviso = ControlDe<QLabel>(*ventana, "avisoCierre");
    ASSERT_NE(aviso, nullptr);
    EXPECT_FALSE(aviso->isVisible());
    bool pedido = false, avisadoEnLaCorrida = false, abiertaEnLaCorrida = true;
    Espia espia([&](std::string_view) {
        if (pedido) {
            avisadoEnLaCorrida = avisadoEnLaCorrida || aviso->isVisible();
            abiertaEnLaCorrida = abiertaEnLaCorrida && ventana->isVisible();
            return;
        }
        pedido = true;
        QCoreApplication::postEvent(ventana.get(), new QCloseEvent);
    });
    CorrerTodosLosDatos();
    ASSERT_TRUE(pedido);
    EXPECT_TRUE(avisadoEnLaCorrida);
    EXPECT_TRUE(abiertaEnLaCorrida);
    EXPECT_EQ(aviso->text(), QStringLiteral("La ventana se cerrará al terminar la corrida."));
    EXPECT_TRUE(Consola()->toPlainText().contains(QStringLiteral("SIMULACION TERMINADA CON EXITO")));
    QCoreApplication::processEvents();
    EXPECT_FALSE(ventana->isVisible());
    EXPECT_EQ(ventana->Modelos().ModeloCombinadoActual(), nullptr);
}

TEST_F(CorridaEnLaVentana, ElMenuVerMuestraYOcultaLaConsola) {
    QAction* ver = ventana->findChild<QAction*>(QStringLiteral("verConsola"));
    ASSERT_NE(ver, nullptr);
    EXPECT_EQ(ver->text(), QStringLiteral("Consola"));
    EXPECT_FALSE(PanelConsola()->isVisible());
    ver->trigger();
    EXPECT_TRUE(PanelConsola()->isVisible());
    ver->trigger();
    EXPECT_FALSE(PanelConsola()->isVisible());
    // Lines printed outside a run reach the pane too.
    EscribirLineaEnConsola("listado");
    EXPECT_TRUE(Consola()->toPlainText().endsWith(QStringLiteral("listado\n")));
}

// ---- Input during a run, without the window ----

// A dialog that the run opens itself (as the connection dialog is) takes
// what the user types.
TEST(EntradaEnUnaCorrida, UnDialogoQueAbreLaCorridaRecibeLoQueSeEscribe) {
    const TCorrida corrida;
    QDialog dialogo;
    auto* caja = new QLineEdit(&dialogo);
    dialogo.setModal(true);
    dialogo.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &dialogo);
    QTest::keyClicks(caja, QStringLiteral("abc"));
    EXPECT_EQ(caja->text(), QStringLiteral("abc"));
}

// The wheel over a spin box is dropped during a run and steps it outside one.
TEST(EntradaEnUnaCorrida, LaRuedaNoCambiaNadaDuranteLaCorridaYFueraDeEllaSi) {
    QSpinBox caja;
    caja.setRange(0, 10);
    caja.setValue(5);
    caja.show();
    const auto unPasoDeRueda = [&caja] {
        const QPointF centro = QRectF(caja.rect()).center();
        QWheelEvent rueda(centro, caja.mapToGlobal(centro), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&caja, &rueda);
    };
    {
        const TCorrida corrida;
        unPasoDeRueda();
        EXPECT_EQ(caja.value(), 5);
    }
    unPasoDeRueda();
    EXPECT_EQ(caja.value(), 6);
}

// ---- The error box ----

// Answers the modal boxes in turn as they come up: each step names the box
// (its object name) and the button to press in it.
class Contestador {
public:
    struct TPaso {
        const char* cuadro;
        std::function<QAbstractButton*(QMessageBox&)> boton;
    };
    explicit Contestador(std::deque<TPaso> pasos) : pasos_(std::move(pasos)) {
        QObject::connect(&reloj_, &QTimer::timeout, [this] { Contestar(); });
        reloj_.start(5);
    }
    QStringList vistos;
    bool Terminado() const { return pasos_.empty(); }

private:
    void Contestar() {
        auto* cuadro = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!cuadro || !cuadro->isVisible() || pasos_.empty()) return;
        vistos << cuadro->objectName();
        const TPaso paso = pasos_.front();
        pasos_.pop_front();
        if (cuadro->objectName() != QLatin1String(paso.cuadro)) {
            cuadro->reject();
            return;
        }
        if (QAbstractButton* boton = paso.boton(*cuadro)) boton->click();
    }
    std::deque<TPaso> pasos_;
    QTimer reloj_;
};

QAbstractButton* Llamado(QMessageBox& cuadro, const char* nombre) {
    return cuadro.findChild<QAbstractButton*>(QString::fromLatin1(nombre));
}

TEST(CuadroDeError, TerminarPreguntaAntesYUnNoVuelveAlError) {
    Contestador contestador({{"cuadroDeError", [](QMessageBox& c) { return Llamado(c, "terminar"); }},
                             {"confirmarTerminar", [](QMessageBox& c) { return c.button(QMessageBox::No); }},
                             {"cuadroDeError", [](QMessageBox& c) { return Llamado(c, "continuar"); }}});
    EXPECT_EQ(CuadroDeErrorEstandar(nullptr, QStringLiteral("falla")), TRespuestaError::Continuar);
    EXPECT_TRUE(contestador.Terminado());
    EXPECT_EQ(contestador.vistos, (QStringList{QStringLiteral("cuadroDeError"), QStringLiteral("confirmarTerminar"),
                                               QStringLiteral("cuadroDeError")}));
}

TEST(CuadroDeError, TerminarConfirmadoTermina) {
    Contestador contestador({{"cuadroDeError", [](QMessageBox& c) { return Llamado(c, "terminar"); }},
                             {"confirmarTerminar", [](QMessageBox& c) { return c.button(QMessageBox::Yes); }}});
    EXPECT_EQ(CuadroDeErrorEstandar(nullptr, QStringLiteral("falla")), TRespuestaError::Terminar);
    EXPECT_TRUE(contestador.Terminado());
}

TEST(CuadroDeError, ContinuarEsLoQueHacenEnterYEscape) {
    for (const Qt::Key tecla : {Qt::Key_Return, Qt::Key_Escape}) {
        Contestador contestador({{"cuadroDeError", [tecla](QMessageBox& c) {
                                      QTest::keyClick(&c, tecla);
                                      return static_cast<QAbstractButton*>(nullptr);
                                  }}});
        EXPECT_EQ(CuadroDeErrorEstandar(nullptr, QStringLiteral("falla")), TRespuestaError::Continuar);
    }
}

TEST(CuadroDeError, LaPreguntaDeTerminarTieneNoPorDefecto) {
    Contestador contestador({{"confirmarTerminar", [](QMessageBox& c) {
                                  EXPECT_EQ(c.defaultButton(), c.button(QMessageBox::No));
                                  return c.button(QMessageBox::No);
                              }}});
    EXPECT_FALSE(ConfirmarTerminarPrograma(nullptr));
}

}  // namespace
