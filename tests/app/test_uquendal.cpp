#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <memory>
#include <ostream>

#include "app/uQuendal.h"
#include "controles.h"
#include "app/ventanaparque.h"
#include "models/uauxdensidad.h"
#include "models/uparques_modeloteorico.h"
#include "numerics/formatsettings.h"
#include "numerics/textoreal.h"

namespace {

// A window whose error box records the messages instead of showing them.
class Ventana : public ::testing::Test {
protected:
    void SetUp() override { Crear(); }

    void Crear() {
        ventana = std::make_unique<TFormQuendal>();
        ventana->FijarCuadroDeError([this](const QString& mensaje) {
            errores << mensaje;
            return respuesta;
        });
        // Every file dialog is cancelled.
        ventana->FijarDialogoDeArchivo([](const TPeticionDialogo&) { return QString(); });
    }

    template <class T = QLineEdit>
    T* Control(const char* nombre) {
        return ControlDe<T>(*ventana, nombre);
    }
    QString Texto(const char* nombre) { return Control(nombre)->text(); }
    QTabWidget* Pestanias() { return Control<QTabWidget>("PageControl1"); }
    bool Visible(const char* pestania) {
        return Pestanias()->isTabVisible(Pestanias()->indexOf(Control<QWidget>(pestania)));
    }
    QString EtiquetaDe(QWidget* control) {
        for (QLabel* etiqueta : ventana->findChildren<QLabel*>())
            if (etiqueta->buddy() == control) return etiqueta->text();
        return QStringLiteral("<sin etiqueta>");
    }

    std::unique_ptr<TFormQuendal> ventana;
    QStringList errores;
    TRespuestaError respuesta = TRespuestaError::Continuar;
};

TEST_F(Ventana, AlArrancarSoloSeVeLaPestaniaDeEntradas) {
    EXPECT_EQ(Pestanias()->count(), 6);
    EXPECT_EQ(Pestanias()->currentWidget(), Control<QWidget>("TabSheet5"));
    EXPECT_TRUE(Visible("TabSheet5"));
    for (const char* oculta : {"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4", "TabSheet6"})
        EXPECT_FALSE(Visible(oculta)) << oculta;
    EXPECT_EQ(ventana->windowTitle(), QStringLiteral("FormQuendal"));
}

TEST_F(Ventana, PestaniasEnSuOrdenConSusTitulos) {
    const char* nombres[] = {"TabSheet2", "TabSheet3", "TabSheet4", "TabSheet5", "TabSheet6", "TabSheet1"};
    const char* titulos[] = {"TabSheet2", "TabSheet3", "TabSheet4", "TabSheet5", "Solar", "TabSheet1"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Pestanias()->widget(i)->objectName(), QString::fromLatin1(nombres[i]));
        EXPECT_EQ(Pestanias()->tabText(i), QString::fromLatin1(titulos[i]));
    }
}

TEST_F(Ventana, ValoresInicialesDeLasCajas) {
    const std::pair<const char*, const char*> esperados[] = {
        {"eVAnemoEntrada", "9.9"}, {"eVAnemoEntrada1", "9.9"}, {"eGamma_Atmosfera", "0.4"},
        {"eGamma_Atmosfera1", "0.4"}, {"eAlfaTerreno", "0.5"}, {"eAlfaTerreno1", "0.5"},
        {"efpv3pe1", "1"}, {"eFactorPerdidasParque1", "1"}, {"eLimiteDePotencia1", "1"},
        {"eEthaMeteo2", "1"}, {"eDir1", "270"}, {"eDir", "270"}, {"eHoras_Buffer", "3"},
        {"eVAnemoResultante1", "???"}, {"ePE_MW_ModeloTeorico1", "ePE_MW_ModeloTeorico"},
        {"vientoparapot", "50"}, {"NIDsupercentralBorrar", "202128"}, {"PorcentajeAjusteCurvaSsup", "100"},
        {"eNidCentral", ""}, {"eMolino", "eMolino"}, {"eHoras_Buffer_Solar", "3"}};
    for (const auto& [nombre, texto] : esperados) EXPECT_EQ(Texto(nombre), QString::fromUtf8(texto)) << nombre;
    for (const char* casilla : {"cbSoloTeorico", "cbSeriesConVelLibre", "flg_sinMatrizFactores", "cbCambiarTodosLosRo"})
        EXPECT_FALSE(Control<QCheckBox>(casilla)->isChecked()) << casilla;
    EXPECT_EQ(ventana->Modelos().CalibradorActual(), nullptr);
    EXPECT_EQ(ventana->Modelos().ParqueActual(), nullptr);
}

TEST_F(Ventana, FechasInicialesLeidasConElFormatoEnVigor) {
    const std::pair<const char*, QDate> esperadas[] = {
        {"FechaDesde1", QDate(2018, 2, 1)}, {"FechaHasta1", QDate(2018, 3, 1)},
        {"FechaDesde", QDate(2018, 2, 1)},  {"FechaHasta", QDate(2018, 3, 1)},
        {"FechaDesde_Solar", QDate(2017, 12, 1)}, {"FechaHasta_Solar", QDate(2018, 1, 1)}};
    for (const auto& [nombre, fecha] : esperadas) {
        EXPECT_EQ(Control<QDateEdit>(nombre)->date(), fecha) << nombre;
        EXPECT_TRUE(Control<QDateEdit>(nombre)->calendarPopup()) << nombre;
    }
}

TEST(VentanaConOtrosAjustes, NumerosConElSeparadorDecimalYFechasEnElOrdenEnVigor) {
    const FormatSettings guardados = AjustesFormato();
    AjustesFormato().DecimalSeparator = ',';
    AjustesFormato().ShortDateFormat = "mm/dd/yyyy";
    TFormQuendal ventana;
    AjustesFormato() = guardados;
    auto texto = [&](const char* n) { return ventana.findChild<QLineEdit*>(QString::fromLatin1(n))->text(); };
    EXPECT_EQ(texto("eVAnemoEntrada1"), QStringLiteral("9,9"));
    EXPECT_EQ(texto("eGamma_Atmosfera1"), QStringLiteral("0,4"));
    EXPECT_EQ(texto("eAlfaTerreno1"), QStringLiteral("0,5"));
    EXPECT_EQ(ventana.findChild<QDateEdit*>(QStringLiteral("FechaDesde1"))->date(), QDate(2018, 1, 2));
}

// ---- Twin boxes ----

struct TCasoGemelas {
    const char* caja;
    const char* gemela;
    bool copia;
};

void PrintTo(const TCasoGemelas& c, std::ostream* os) { *os << c.caja << " -> " << c.gemela; }

class CajasGemelas : public Ventana, public ::testing::WithParamInterface<TCasoGemelas> {};

TEST_P(CajasGemelas, UnCambioSeCopiaSoloEnSuSentido) {
    const TCasoGemelas caso = GetParam();
    const QString antes = Texto(caso.gemela);
    Control(caso.caja)->setText(QStringLiteral("12.5"));
    EXPECT_EQ(Texto(caso.gemela), caso.copia ? QStringLiteral("12.5") : antes);
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, CajasGemelas,
    ::testing::Values(TCasoGemelas{"eDir1", "eDir", true}, TCasoGemelas{"eDir", "eDir1", true},
                      TCasoGemelas{"eVAnemoEntrada1", "eVAnemoEntrada", true},
                      TCasoGemelas{"eVAnemoEntrada", "eVAnemoEntrada1", true},
                      TCasoGemelas{"eAlfaTerreno1", "eAlfaTerreno", true},
                      TCasoGemelas{"eAlfaTerreno", "eAlfaTerreno1", true},
                      TCasoGemelas{"eGamma_Atmosfera1", "eGamma_Atmosfera", true},
                      TCasoGemelas{"eGamma_Atmosfera", "eGamma_Atmosfera1", true},
                      TCasoGemelas{"efpv3pe1", "efpv3pe", true}, TCasoGemelas{"efpv3pe", "efpv3pe1", false},
                      TCasoGemelas{"eFactorPerdidasParque1", "eFactorPerdidasParque", true},
                      TCasoGemelas{"eFactorPerdidasParque", "eFactorPerdidasParque1", false},
                      TCasoGemelas{"eLimiteDePotencia1", "eLimiteDePotencia", true},
                      TCasoGemelas{"eLimiteDePotencia", "eLimiteDePotencia1", false},
                      TCasoGemelas{"eEthaMeteo2", "eEthaMeteo", true}, TCasoGemelas{"eEthaMeteo", "eEthaMeteo2", true},
                      TCasoGemelas{"eEthaMeteo1", "eEthaMeteo", true}, TCasoGemelas{"eEthaMeteo1", "eEthaMeteo2", true},
                      TCasoGemelas{"eEthaMeteo", "eEthaMeteo1", false},
                      TCasoGemelas{"eVAnemoResultante", "eVAnemoResultante1", true},
                      TCasoGemelas{"ePE_MW_ModeloTeorico", "ePE_MW_ModeloTeorico1", true},
                      TCasoGemelas{"ePE_MW_Representantes", "ePE_MW_Representantes1", true},
                      TCasoGemelas{"eME_Peso", "eME_Peso1", true},
                      TCasoGemelas{"eMdeVientos", "eEthaMeteo", false}),
    [](const auto& info) { return std::string(info.param.caja) + "_a_" + info.param.gemela; });

TEST_F(Ventana, CadaTeclaEnLaDireccionCambiaSuGemela) {
    QLineEdit* eDir1 = Control("eDir1");
    eDir1->clear();
    EXPECT_EQ(Texto("eDir"), QString());
    const QString tecleado = QStringLiteral("180.5");
    for (int i = 0; i < tecleado.size(); ++i) {
        QTest::keyClick(eDir1, tecleado[i].toLatin1());
        EXPECT_EQ(Texto("eDir"), tecleado.left(i + 1));
    }
    EXPECT_EQ(eDir1->text(), tecleado);
}

TEST_F(Ventana, TeclearEnMuestrasBufferNoCambiaOtraCaja) {
    QMap<QLineEdit*, QString> antes;
    for (QLineEdit* caja : ventana->findChildren<QLineEdit*>()) antes[caja] = caja->text();
    QTest::keyClicks(Control("eHoras_Buffer"), QStringLiteral("12"));
    EXPECT_EQ(Texto("eHoras_Buffer"), QStringLiteral("312"));
    for (QLineEdit* caja : ventana->findChildren<QLineEdit*>()) {
        if (caja->objectName() == QStringLiteral("eHoras_Buffer")) continue;
        EXPECT_EQ(caja->text(), antes[caja]) << caja->objectName().toStdString();
    }
}

TEST_F(Ventana, CambiarUnaFechaDeEntradasCopiaLasDos) {
    Control<QDateEdit>("FechaHasta")->setDate(QDate(2020, 5, 5));
    Control<QDateEdit>("FechaDesde1")->setDate(QDate(2018, 2, 10));
    EXPECT_EQ(Control<QDateEdit>("FechaDesde")->date(), QDate(2018, 2, 10));
    EXPECT_EQ(Control<QDateEdit>("FechaHasta")->date(), QDate(2018, 3, 1));
    Control<QDateEdit>("FechaDesde")->setDate(QDate(2019, 1, 1));
    Control<QDateEdit>("FechaHasta1")->setDate(QDate(2018, 4, 30));
    EXPECT_EQ(Control<QDateEdit>("FechaDesde")->date(), QDate(2018, 2, 10));
    EXPECT_EQ(Control<QDateEdit>("FechaHasta")->date(), QDate(2018, 4, 30));
}

TEST_F(Ventana, MostrarLaPestaniaDeCurvasCopiaEthaMeteo) {
    Control("eEthaMeteo")->setText(QStringLiteral("[1|1][2]"));
    EXPECT_EQ(Texto("eEthaMeteo1"), QStringLiteral("1"));
    ventana->findChild<QAction*>(QStringLiteral("verTabSheet4"))->trigger();
    EXPECT_EQ(Pestanias()->currentWidget(), Control<QWidget>("TabSheet4"));
    EXPECT_EQ(Texto("eEthaMeteo1"), QStringLiteral("[1|1][2]"));
}

// ---- The "Ver" menu ----

TEST_F(Ventana, MenuVerMuestraYOcultaCadaPestania) {
    for (const char* pestania : {"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4", "TabSheet6"}) {
        QAction* accion = ventana->findChild<QAction*>(QStringLiteral("ver") + QString::fromLatin1(pestania));
        ASSERT_NE(accion, nullptr) << pestania;
        EXPECT_FALSE(accion->isChecked());
        accion->trigger();
        EXPECT_TRUE(Visible(pestania));
        EXPECT_EQ(Pestanias()->currentWidget(), Control<QWidget>(pestania));
        accion->trigger();
        EXPECT_FALSE(Visible(pestania));
    }
    EXPECT_TRUE(ventana->findChild<QAction*>(QStringLiteral("verTabSheet5"))->isChecked());
    EXPECT_TRUE(errores.isEmpty());
}

// ---- Buttons and the error box ----

TEST_F(Ventana, ElUsuarioSigueTrasElError) {
    ventana->show();
    Control<QPushButton>("btProcesarRestricciones1")->click();
    EXPECT_EQ(errores.size(), 1);
    EXPECT_TRUE(ventana->isVisible());
}

TEST_F(Ventana, ElUsuarioTerminaElProgramaTrasElError) {
    ventana->show();
    respuesta = TRespuestaError::Terminar;
    Control<QPushButton>("btProcesarRestricciones1")->click();
    EXPECT_EQ(errores.size(), 1);
    EXPECT_FALSE(ventana->isVisible());
}

// ---- Captions, labels and sizes ----

TEST_F(Ventana, EtiquetasComoLasDaElSistema) {
    const std::pair<const char*, const char*> esperadas[] = {
        {"eDir1", "Dirección E.M. [°]"},
        {"eVAnemoEntrada1", "Velocidad E.M. [m/s] "},
        {"eVAnemoResultante1", "Velocidad E.M. [m/s] "},
        {"eLimiteDePotencia1", "Límite de potencia [MW]"},
        {"eVAnemoEntrada", "VAnemo [m/s] "},
        {"eVAnemoResultante", "VAnemo [m/s]"},
        {"VientoLibre", "Viento libre incidente\nen la central (m/s)"},
        {"VientoDeLaPotMW", "Viento libre asociado\n a la potencia generada."},
        {"eEthaMolino", "Molino_etha: "},
        {"eEthaMeteo1", "Meteo_etha: "},
        {"eNidCentral_Solar", "nid Central Solar"},
        {"eHoras_Buffer", "Muestras Buffer"}};
    for (const auto& [nombre, etiqueta] : esperadas)
        EXPECT_EQ(EtiquetaDe(Control<QWidget>(nombre)), QString::fromUtf8(etiqueta)) << nombre;
    EXPECT_EQ(EtiquetaDe(Control<QWidget>("FechaDesde1")), QStringLiteral("Desde (>=)"));
    EXPECT_EQ(Control<QCheckBox>("cbSoloTeorico")->text(), QStringLiteral("Solo Modelo Teórico."));
}

TEST_F(Ventana, CajasDePinturaYRejillasDeSuTamanio) {
    const std::tuple<const char*, int, int> cajas[] = {{"pb_Parque_simple", 978, 616},
                                                       {"pb_Parque_original", 978, 616},
                                                       {"PaintBox1", 797, 501},
                                                       {"PaintBox2", 541, 325},
                                                       {"PaintBox3", 541, 325}};
    for (const auto& [nombre, ancho, alto] : cajas) {
        TCajaPintura* caja = Control<TCajaPintura>(nombre);
        EXPECT_EQ(caja->Ancho(), ancho) << nombre;
        EXPECT_EQ(caja->Alto(), alto) << nombre;
    }
    EXPECT_EQ(Control<QTableWidget>("StringGrid1")->columnCount(), 3);
    EXPECT_EQ(Control<QTableWidget>("StringGrid1")->rowCount(), 8);
    EXPECT_EQ(Control<QTableWidget>("StringGrid2")->columnCount(), 7);
    EXPECT_EQ(Control<QTableWidget>("StringGrid2")->rowCount(), 2);
}

TEST_F(Ventana, CerrarSinObjetosNoFallaYLaVentanaSeCierra) {
    ventana->show();
    EXPECT_TRUE(ventana->close());
    EXPECT_TRUE(errores.isEmpty());
    EXPECT_EQ(ventana->Modelos().CalibradorActual(), nullptr);
}

}  // namespace

// ---- The mouse over the park pictures ----

namespace {

TCurvaAerogen CurvaDe80m() {
    TVectR v(3), p(3);
    v.pv = {0, 3, 12, 25};
    p.pv = {0, 0.05, 2, 2};
    return TCurvaAerogen::Create(1, "m", 80, v, p);
}

// A window whose current park has two turbines, fitted to the pictures.
class RatonSobreElParque : public Ventana {
protected:
    void SetUp() override {
        Ventana::SetUp();
        auto parque = TParque_ModeloTeorico::Create_Nuevo();
        for (TPunto2D x : {TPunto2D{-500, 0}, TPunto2D{500, 200}}) {
            auto m = std::make_unique<TMolino>();
            m->posicion = TPosicion::Create(x.x, x.y);
            m->curva = CurvaDe80m();
            m->pvMedia = PotenciaDelViento(8, DensidadBase);
            m->potencia = 1.25;
            m->etha = 0.95;
            parque->molinos.push_back(std::move(m));
        }
        parque->FijarRectanguloDibujo(0, 30, 978, 616);
        ventana->Modelos().PonerParque(std::move(parque));
        ventana->show();
        caja = Control<TCajaPintura>("pb_Parque_simple");
    }
    TParque_ModeloTeorico& Parque() { return *ventana->Modelos().ParqueActual(); }
    QPoint PixelDe(double x, double y) {
        int c = 0, f = 0;
        Parque().MundoAPixel(c, f, TPunto2D{x, y});
        return {c, f};
    }
    TCajaPintura* caja = nullptr;
};

TEST_F(RatonSobreElParque, SobreUnMolinoMuestraCoordenadasVelocidadYPotencia) {
    const QPoint p = PixelDe(-500, 0);
    QTest::mouseMove(caja, p);
    TPunto2D w;
    Parque().PixelAMundo(w, p.x(), p.y());
    EXPECT_EQ(Texto("eCoordenadasXY"), QString::fromStdString("x: " + FormatoGeneral(w.x, 15) + ", y: " +
                                                              FormatoGeneral(w.y, 15)));
    EXPECT_EQ(Texto("eMolino"), QStringLiteral("v: 8.0, P:1.3"));
}

TEST_F(RatonSobreElParque, LejosDeLosMolinosSoloCambianLasCoordenadas) {
    QTest::mouseMove(caja, PixelDe(500, 200));
    const QString molino = Texto("eMolino");
    const QString coordenadas = Texto("eCoordenadasXY");
    QTest::mouseMove(caja, PixelDe(0, 100));
    EXPECT_EQ(Texto("eMolino"), molino);
    EXPECT_NE(Texto("eCoordenadasXY"), coordenadas);
    EXPECT_TRUE(Texto("eCoordenadasXY").startsWith(QStringLiteral("x: ")));
    EXPECT_TRUE(errores.isEmpty());
}

TEST_F(RatonSobreElParque, ClicEnUnMolinoLoEligeYCopiaSuEstelaAlPortapapeles) {
    QGuiApplication::clipboard()->clear();
    QTest::mouseClick(caja, Qt::LeftButton, {}, PixelDe(500, 200));
    ASSERT_NE(ventana->Modelos().MolinoSeleccionado(), nullptr);
    EXPECT_EQ(ventana->Modelos().MolinoSeleccionado()->posicion.x, 500);
    EXPECT_EQ(Texto("eEthaMolino"), QStringLiteral("0.95"));
    // 16 rotor diameters wide and 12 high, in pixels of the picture.
    const QPoint a = PixelDe(500 - 80, 200 + 6 * 80), b = PixelDe(500 + 15 * 80, 200 - 6 * 80);
    const QImage copia = QGuiApplication::clipboard()->image();
    EXPECT_EQ(copia.size(), QSize(b.x() - a.x() + 1, b.y() - a.y() + 1));
    const double metrosPorPixel = Parque().anchoMundo / Parque().anchoPixel;
    EXPECT_NEAR(copia.width(), 16 * 80 / metrosPorPixel, 2);
    EXPECT_NEAR(copia.height(), 12 * 80 / metrosPorPixel, 2);
}

TEST_F(RatonSobreElParque, ClicLejosBorraLaEleccionYNoTocaElPortapapeles) {
    QTest::mouseClick(caja, Qt::LeftButton, {}, PixelDe(-500, 0));
    ASSERT_NE(ventana->Modelos().MolinoSeleccionado(), nullptr);
    QGuiApplication::clipboard()->setText(QStringLiteral("anterior"));
    Control("eEthaMolino")->setText(QStringLiteral("7"));
    QTest::mouseClick(caja, Qt::LeftButton, {}, PixelDe(0, 100));
    EXPECT_EQ(ventana->Modelos().MolinoSeleccionado(), nullptr);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("anterior"));
    EXPECT_EQ(Texto("eEthaMolino"), QStringLiteral("7"));
}

TEST_F(Ventana, SinParqueElRatonNoHaceNada) {
    ventana->show();
    auto* caja = Control<TCajaPintura>("pb_Parque_simple");
    QTest::mouseMove(caja, QPoint(100, 100));
    QTest::mouseClick(caja, Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_EQ(Texto("eCoordenadasXY"), QStringLiteral("eCoordenadasXY"));
    EXPECT_EQ(Texto("eMolino"), QStringLiteral("eMolino"));
    EXPECT_TRUE(errores.isEmpty());
}

}  // namespace
