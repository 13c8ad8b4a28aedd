// The demo plant of examples/c9001 in the window, as a new user meets it:
// the file that "Cargar Modelo Calibrado" lists holds the calibrated combined
// model, and rebuilding the plant's models keeps the calibrated files it
// replaces.
#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/uQuendal.h"
#include "controles.h"
#include "data/ucarpetasmodelos.h"
#include "models/uparques_modelocombinado.h"
#include "numerics/uproblema.h"
#include "unidad_temporal.h"

namespace fs = std::filesystem;

namespace {

const fs::path kPlantaDemo = fs::path(QUENDAL_TEST_DATA) / ".." / ".." / "examples" / "c9001";
constexpr int kNidDemo = 9001;

std::string Contenido(const fs::path& archivo) {
    std::ifstream f(archivo, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

// The demo plant copied into a temporary model root, and a window whose file
// dialogs answer `respuesta` and record what they were asked.
class PlantaDemoEnLaVentana : public UnidadCTemporal {
protected:
    void SetUp() override {
        UnidadCTemporal::SetUp();
        ::testing::internal::CaptureStdout();
        InicializarCarpetaModelos();
        ::testing::internal::GetCapturedStdout();
        FijarCarpetaLogEstimarMultiplicadores(unidad_);
        carpeta = CarpetaCentral(kNidDemo);
        for (const auto& e : fs::directory_iterator(kPlantaDemo))
            fs::copy_file(e.path(), fs::path(carpeta) / e.path().filename());
        ventana = std::make_unique<TFormQuendal>();
        ventana->FijarCuadroDeError([this](const QString& mensaje) {
            errores << mensaje;
            return TRespuestaError::Continuar;
        });
        ventana->FijarDialogoDeArchivo([this](const TPeticionDialogo& peticion) {
            pedidos.push_back(peticion);
            return respuesta;
        });
    }
    void TearDown() override {
        ventana.reset();
        FijarCarpetaLogEstimarMultiplicadores("");
        UnidadCTemporal::TearDown();
    }

    std::string Ruta(const std::string& nombre) const { return (fs::path(carpeta) / nombre).string(); }
    std::set<std::string> Nombres() const {
        std::set<std::string> nombres;
        for (const auto& e : fs::directory_iterator(carpeta)) nombres.insert(e.path().filename().string());
        return nombres;
    }
    // Clicks the button and returns what the operation wrote to the console.
    std::string Pulsar(const char* boton) {
        ::testing::internal::CaptureStdout();
        QTest::mouseClick(ControlDe<QPushButton>(*ventana, boton), Qt::LeftButton);
        return ::testing::internal::GetCapturedStdout();
    }
    std::string Errores() const { return errores.join(QLatin1Char('\n')).toStdString(); }

    std::string carpeta;
    std::unique_ptr<TFormQuendal> ventana;
    QStringList errores;
    QString respuesta;
    std::vector<TPeticionDialogo> pedidos;
};

bool TodosUno(const TMatR& m) {
    for (int32_t i = 1; i <= m.nf; ++i)
        for (int32_t j = 1; j <= m.nc; ++j)
            if (m.pm[i]->pv[j] != 1) return false;
    return true;
}

// The README's route: the input tab's "Cargar Modelo Calibrado" lists the
// demo's calibrated model, which loads with its factor matrix, is shown,
// and is written back unchanged.
TEST_F(PlantaDemoEnLaVentana, CargarModeloCalibradoListaElModeloConSusFactores) {
    const std::string archivo = Ruta("c9001_modelo_calibrado.clp");
    respuesta = QString::fromStdString(archivo);
    Pulsar("btCargarMC1");
    ASSERT_TRUE(errores.isEmpty()) << Errores();
    ASSERT_EQ(pedidos.size(), 1u);
    EXPECT_TRUE(QDir::match(pedidos[0].filtro, QStringLiteral("c9001_modelo_calibrado.clp"))) << pedidos[0].filtro.toStdString();

    const TParque_ModeloCombinado* cargado = ventana->Modelos().ModeloCombinadoActual();
    ASSERT_NE(cargado, nullptr);
    EXPECT_EQ(ventana->windowTitle(), QStringLiteral("Calibrador cargado, Parque: Parque sintetico 9001"));
    // The factors are those of the plant's combined model, not all 1.
    ::testing::internal::CaptureStdout();
    const auto combinado = TParque_ModeloCombinado::Create_LeerDeArchivo((kPlantaDemo / "c9001.pmc").string());
    ::testing::internal::GetCapturedStdout();
    ASSERT_EQ(cargado->MatrizFactores.nf, 72);
    ASSERT_EQ(cargado->MatrizFactores.nc, combinado->MatrizFactores.nc);
    EXPECT_FALSE(TodosUno(cargado->MatrizFactores));
    for (int32_t i = 1; i <= combinado->MatrizFactores.nf; ++i)
        for (int32_t j = 1; j <= combinado->MatrizFactores.nc; ++j)
            EXPECT_EQ(cargado->MatrizFactores.pm[i]->pv[j], combinado->MatrizFactores.pm[i]->pv[j]) << i << "," << j;
    // Written back at once, byte for byte the same: no previous version kept.
    EXPECT_EQ(Contenido(archivo), Contenido(kPlantaDemo / "c9001_modelo_calibrado.clp"));
    EXPECT_EQ(Nombres().count("c9001_modelo_calibrado.clp.anterior"), 0u);
}

// "Crear archivo .clp con MT y archivo .sas" and "Calcular MC" rebuild the
// plant's calibrator and combined model uncalibrated; the calibrated files
// they replace stay beside them, byte for byte, and the console says so.
// Building the same calibrator again keeps the calibrated copy.
TEST_F(PlantaDemoEnLaVentana, ReconstruirLosModelosConservaLosCalibradosComoAnterior) {
    ControlDe<QLineEdit>(*ventana, "eNidCentral")->setText(QStringLiteral("9001"));
    const std::string calibrador = RutaCalibrador(kNidDemo);
    const std::string consola = Pulsar("btLoadFromArchi_ModeloMTySeries");
    ASSERT_TRUE(errores.isEmpty()) << Errores();
    EXPECT_NE(Contenido(calibrador), Contenido(kPlantaDemo / "c9001_calibrador.clp"));
    EXPECT_EQ(Contenido(calibrador + ".anterior"), Contenido(kPlantaDemo / "c9001_calibrador.clp"));
    EXPECT_NE(consola.find("El archivo anterior se conserva en: " + calibrador + ".anterior\n"), std::string::npos)
        << consola;

    const std::string combinado = RutaModeloCombinado(kNidDemo);
    Pulsar("btCalcularMC");
    ASSERT_TRUE(errores.isEmpty()) << Errores();
    EXPECT_EQ(Contenido(combinado + ".anterior"), Contenido(kPlantaDemo / "c9001.pmc"));

    const std::string otraVez = Pulsar("btLoadFromArchi_ModeloMTySeries");
    ASSERT_TRUE(errores.isEmpty()) << Errores();
    EXPECT_EQ(otraVez.find("El archivo anterior se conserva en:"), std::string::npos) << otraVez;
    EXPECT_EQ(Contenido(calibrador + ".anterior"), Contenido(kPlantaDemo / "c9001_calibrador.clp"));
    std::set<std::string> copias;
    for (const std::string& nombre : Nombres())
        if (nombre.ends_with(".anterior")) copias.insert(nombre);
    EXPECT_EQ(copias, (std::set<std::string>{"c9001.pmc.anterior", "c9001_calibrador.clp.anterior"}));
}

}  // namespace
