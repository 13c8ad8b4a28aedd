// What the park's table boxes refuse, and how the message names the box:
// the box the user typed into, quoting what was typed, also when the value
// reached the box that the operation reads through its twins.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <memory>
#include <string>

#include "app/uQuendal.h"
#include "controles.h"
#include "data/ucarpetasmodelos.h"
#include "models/ucalibrador.h"
#include "models/uparques_modeloteorico.h"
#include "unidad_temporal.h"

namespace fs = std::filesystem;

namespace {

const fs::path kPlantaDemo = fs::path(QUENDAL_TEST_DATA) / ".." / ".." / "examples" / "c9001";

// The demo's combined model loaded through "Cargar Modelo Calibrado", and a
// "c:\basura" for the P(V) plot.
class MensajesDeCajas : public UnidadCTemporal {
protected:
    void SetUp() override {
        UnidadCTemporal::SetUp();
        InicializarCarpetaModelos();
        const fs::path carpeta = CarpetaCentral(9001);
        for (const auto& e : fs::directory_iterator(kPlantaDemo))
            fs::copy_file(e.path(), carpeta / e.path().filename());
        fs::create_directories(fs::path(unidad_) / "basura");
        ventana = std::make_unique<TFormQuendal>();
        ventana->FijarCuadroDeError([this](const QString& mensaje) {
            errores << mensaje;
            return TRespuestaError::Continuar;
        });
        ventana->FijarDialogoDeArchivo([carpeta](const TPeticionDialogo&) {
            return QString::fromStdString((carpeta / "c9001.pmc").string());
        });
        Pulsar("btCargarMC1");
        ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
        ventana->FijarDialogoDeArchivo([](const TPeticionDialogo&) { return QString(); });
    }
    void TearDown() override {
        ventana.reset();
        UnidadCTemporal::TearDown();
    }

    QLineEdit* Caja(const char* nombre) { return ControlDe<QLineEdit>(*ventana, nombre); }
    // Types the text into the box as a user does: the box emptied, then
    // key by key.
    void Teclear(const char* caja, const QString& texto) {
        Caja(caja)->clear();
        QTest::keyClicks(Caja(caja), texto);
    }
    void Pulsar(const char* boton) {
        ::testing::internal::CaptureStdout();
        QTest::mouseClick(ControlDe<QPushButton>(*ventana, boton), Qt::LeftButton);
        ::testing::internal::GetCapturedStdout();
    }
    // The curves tab brought forward, as the "Ver" menu does: it takes the
    // met-mast table of the park tab.
    void MostrarPestaniaDeCurvas() {
        auto* pestanias = ControlDe<QTabWidget>(*ventana, "PageControl1");
        const int indice = pestanias->indexOf(ControlDe<QWidget>(*ventana, "TabSheet4"));
        pestanias->setTabVisible(indice, true);
        pestanias->setCurrentIndex(indice);
    }
    const TParque_ModeloTeorico& Parque() { return *ventana->Modelos().ParqueActual(); }

    std::unique_ptr<TFormQuendal> ventana;
    QStringList errores;
};

const std::string kNoEsTabla =
    " no es una tabla: se esperaban sus dimensiones, \"[filas|columnas]\", y luego sus elementos, \"[v11][v12]...\"";

// "Meteo_etha" on the curves tab copies into the park tab's box, which the
// plot reads and which carries the input tab's name; the message names the
// box typed into and quotes what was typed.
TEST_F(MensajesDeCajas, LaTablaTecleadaEnLasCurvasSeNombraYSeCita) {
    MostrarPestaniaDeCurvas();
    Teclear("eEthaMeteo1", QStringLiteral("abc"));
    EXPECT_EQ(Caja("eEthaMeteo")->text(), QStringLiteral("abc"));
    Pulsar("btPlot_PV_MEMTMC");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_EQ(errores[0].toStdString(), "Meteo_etha: \"abc\"" + kNoEsTabla);
    EXPECT_TRUE(fs::is_empty(fs::path(unidad_) / "basura"));

    // Typed again into the input tab's twin, the same text is named after it.
    errores.clear();
    Teclear("eEthaMeteo2", QStringLiteral("abc"));
    Pulsar("btPlot_PV_MEMTMC");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_EQ(errores[0].toStdString(), "Etha E.M.: \"abc\"" + kNoEsTabla);
}

// An element that does not evaluate keeps the evaluator's message, under
// the name of the box typed into; a long text without counts is cut.
TEST_F(MensajesDeCajas, UnElementoIlegibleYUnTextoLargo) {
    Teclear("eEthaMeteo1", QStringLiteral("[2|2][1][x][3][4]"));
    Pulsar("btPlot_PV_MEMTMC");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_TRUE(errores[0].startsWith(QStringLiteral("Meteo_etha: Error: no se puede evaluar \"x\"")))
        << errores[0].toStdString();

    errores.clear();
    Teclear("eEthaMeteo1", QString(50, QLatin1Char('a')));
    Pulsar("btPlot_PV_MEMTMC");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_EQ(errores[0].toStdString(), "Meteo_etha: \"" + std::string(40, 'a') + "…\"" + kNoEsTabla);
}

// A table without columns in both boxes has the same shape in both: each
// box is also held to the park by itself, a row per sector and a column.
TEST_F(MensajesDeCajas, DosTablasSinColumnasSeRechazanYElParqueConservaLasSuyas) {
    const int32_t columnasEtha = Parque().meteo_etha.nc, columnasVientos = Parque().mat_vientos.nc;
    ASSERT_GE(columnasEtha, 1);
    ASSERT_EQ(Parque().n_sectores_dir, 72);
    Caja("eEthaMeteo2")->setText(QStringLiteral("[72|0]"));
    Caja("eMdeVientos")->setText(QStringLiteral("[72|0]"));
    Pulsar("btCalcular1");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_EQ(errores[0].toStdString(),
              "Etha E.M.: se leyó una tabla de 72 x 0, sin ninguna columna; se necesita una de al menos tantas filas "
              "como sectores (72) y al menos una columna");
    EXPECT_EQ(Parque().meteo_etha.nc, columnasEtha);
    EXPECT_EQ(Parque().mat_vientos.nc, columnasVientos);
    EXPECT_EQ(Parque().meteo_etha.nf, 72);
}

}  // namespace
