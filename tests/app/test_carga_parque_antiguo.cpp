// Model files whose park block is older than version 4, loaded through the
// window: the metering factor comes from the database, over the connection
// the window opens for its database operations, and only when such a block
// is met. Without a connection nothing is loaded and no file is touched.
// Also "Actualizar MT en la Base de Datos" for a model the database lacks.
#include <gtest/gtest.h>

#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/dialogoconexion.h"
#include "app/uQuendal.h"
#include "controles.h"
#include "data/ucarpetasmodelos.h"
#include "models/ucalibrador.h"
#include "models/uparques_modelocombinado.h"
#include "models/uparques_modeloteorico.h"
#include "models/uplantasintetica.h"
#include "numerics/textoreal.h"
#include "tests/models/bloque_parque_antiguo.h"
#include "tests/models/test_calibrador_apoyo.h"
#include "tests/models/test_parque_bd_base.h"
#include "tests/models/test_solar_comun.h"
#include "tests/restrictions/apoyo_simulacion.h"

namespace fs = std::filesystem;
using apoyo_calibrador::EscribirArchivo;
using apoyo_calibrador::LeerArchivo;
using namespace bloque_antiguo;

namespace {

constexpr int32_t kPlanta = 31;

// Every file of a folder with its bytes.
std::map<std::string, std::string> Archivos(const std::string& carpeta) {
    std::map<std::string, std::string> archivos;
    for (const auto& e : fs::directory_iterator(carpeta)) archivos[e.path().filename().string()] = LeerArchivo(e.path());
    return archivos;
}

// The plant's park, calibrator and combined-model files, each with a
// version-3 park block of the synthetic park.
void EscribirArchivosAntiguos(int32_t nid) {
    const auto parque = CrearParqueSintetico(nid);
    EscribirArchivo(RutaParqueMT(nid), BloqueParqueVersion3(*parque));
    EscribirArchivo(RutaCalibrador(nid), CalibradorVersion3(*parque));
    EscribirArchivo(RutaModeloCombinado(nid), ModeloCombinadoVersion3(*parque));
}

// QUENDAL_BD set to a value, or unset, for the fixture's life.
class VariableBD {
public:
    explicit VariableBD(const std::optional<std::string>& valor) {
        if (const char* previa = std::getenv("QUENDAL_BD")) previa_ = previa;
        if (valor)
            setenv("QUENDAL_BD", valor->c_str(), 1);
        else
            unsetenv("QUENDAL_BD");
    }
    ~VariableBD() {
        if (previa_)
            setenv("QUENDAL_BD", previa_->c_str(), 1);
        else
            unsetenv("QUENDAL_BD");
    }

private:
    std::optional<std::string> previa_;
};

// A window whose error box records its messages, whose file dialogs answer
// `respuestaDialogo` and whose connection dialog is cancelled, counting.
struct TVentanaDePrueba {
    TVentanaDePrueba() {
        ventana = std::make_unique<TFormQuendal>();
        ventana->FijarCuadroDeError([this](const QString& mensaje) {
            errores << mensaje;
            return TRespuestaError::Continuar;
        });
        ventana->FijarCuadroDeMensaje([](const QString&, const QString&, bool) { return false; });
        ventana->FijarDialogoDeArchivo([this](const TPeticionDialogo&) { return respuestaDialogo; });
        ventana->FijarDialogoDeConexion([this] {
            ++pedidosDeConexion;
            return std::optional<TDatosConexion>();
        });
    }
    void Escribir(const char* caja, const std::string& texto) {
        ControlDe<QLineEdit>(*ventana, caja)->setText(QString::fromStdString(texto));
    }
    void Pulsar(const char* boton) {
        ::testing::internal::CaptureStdout();
        QTest::mouseClick(ControlDe<QPushButton>(*ventana, boton), Qt::LeftButton);
        ::testing::internal::GetCapturedStdout();
    }
    std::string Errores() const { return errores.join(QLatin1Char('\n')).toStdString(); }

    std::unique_ptr<TFormQuendal> ventana;
    QStringList errores;
    QString respuestaDialogo;
    int pedidosDeConexion = 0;
};

// ---- Without a database ----

class CargaSinBaseDeDatos : public apoyo_calibrador::ConUnidadDePrueba {
protected:
    void SetUp() override {
        ConUnidadDePrueba::SetUp();
        sinBD_.emplace(std::nullopt);
        v_.emplace();
    }
    void TearDown() override {
        v_.reset();
        sinBD_.reset();
        ConUnidadDePrueba::TearDown();
    }
    std::optional<VariableBD> sinBD_;
    std::optional<TVentanaDePrueba> v_;
};

struct TCargaAntigua {
    const char* boton;
    const char* elegido;  // suffix of the plant file the open dialog answers, if it asks
};

class CargaAntiguaSinBaseDeDatos : public CargaSinBaseDeDatos,
                                   public ::testing::WithParamInterface<TCargaAntigua> {};

// Every road that reads a park block: the load stops saying why, the
// connection was asked for once, and the plant's files stay byte for byte.
TEST_P(CargaAntiguaSinBaseDeDatos, NoCargaNadaYDejaLosArchivosComoEstaban) {
    EscribirArchivosAntiguos(kPlanta);
    const std::string carpeta = CarpetaCentral(kPlanta);
    const auto antes = Archivos(carpeta);
    if (GetParam().elegido)
        v_->respuestaDialogo = QString::fromStdString(RutaArchivoCentral(carpeta, kPlanta, GetParam().elegido));
    v_->Escribir("eNidCentral", std::to_string(kPlanta));

    v_->Pulsar(GetParam().boton);

    ASSERT_EQ(v_->errores.size(), 1) << v_->Errores();
    const std::string mensaje = v_->errores[0].toStdString();
    EXPECT_NE(mensaje.find("versión 3, que no guarda factor_kolm_scada"), std::string::npos) << mensaje;
    EXPECT_NE(mensaje.find("No hay conexión con la base de datos"), std::string::npos) << mensaje;
    EXPECT_EQ(v_->pedidosDeConexion, 1);
    EXPECT_EQ(Archivos(carpeta), antes);
    EXPECT_EQ(v_->ventana->Modelos().CalibradorActual(), nullptr);
    EXPECT_EQ(v_->ventana->Modelos().ModeloCombinadoActual(), nullptr);
    EXPECT_EQ(v_->ventana->Modelos().ParqueActual(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Caminos, CargaAntiguaSinBaseDeDatos,
    ::testing::Values(TCargaAntigua{"btCargarMC1", ".pmc"}, TCargaAntigua{"btCargarYGuardarMC", ".pmc"},
                      TCargaAntigua{"btCargarCalibrador", "_calibrador.clp"},
                      TCargaAntigua{"btCalcular1", "_calibrador.clp"}, TCargaAntigua{"btCalcularMC", nullptr},
                      TCargaAntigua{"btLoadFromArchi_ModeloMTySeries", nullptr}));

// A file that holds its factor is loaded without asking for a connection.
TEST_F(CargaSinBaseDeDatos, UnArchivoConFactorNoPideLaConexion) {
    auto parque = CrearParqueSintetico(kPlanta);
    parque->factor_kolm_scada = 0.97;
    TEscritorTexto f = TEscritorTexto::EnMemoria();
    parque->GuardarEnTexto(f);
    const std::string resto = ModeloCombinadoVersion3(*parque).substr(BloqueParqueVersion3(*parque).size());
    EscribirArchivo(RutaModeloCombinado(kPlanta), f.Contenido() + resto);
    v_->respuestaDialogo = QString::fromStdString(RutaModeloCombinado(kPlanta));
    v_->Pulsar("btCargarMC1");
    ASSERT_TRUE(v_->errores.isEmpty()) << v_->Errores();
    EXPECT_EQ(v_->pedidosDeConexion, 0);
    ASSERT_NE(v_->ventana->Modelos().ModeloCombinadoActual(), nullptr);
    EXPECT_EQ(v_->ventana->Modelos().ModeloCombinadoActual()->Parque->factor_kolm_scada, 0.97);
}

// ---- With the test server ----

class CargaConBaseDeDatos : public ParqueEnBaseDeDatos {
protected:
    void SetUp() override {
        ParqueEnBaseDeDatos::SetUp();
        if (HasFatalFailure()) return;
        conBD_.emplace(servidor_->Conexion());
        unidad_ = std::make_unique<TUnidadCSolar>();
        v_.emplace();
        Ejecutar("UPDATE centrales SET factor_kolm_scada = 0.955 WHERE nid = 31");
    }
    void TearDown() override {
        v_.reset();
        unidad_.reset();
        conBD_.reset();
    }
    std::optional<VariableBD> conBD_;
    std::unique_ptr<TUnidadCSolar> unidad_;
    std::optional<TVentanaDePrueba> v_;
};

TEST_F(CargaConBaseDeDatos, CargarModeloCalibradoTomaElFactorDeLaCentralYLoGuarda) {
    EscribirArchivosAntiguos(kPlanta);
    const std::string ruta = RutaModeloCombinado(kPlanta);
    v_->respuestaDialogo = QString::fromStdString(ruta);
    v_->Pulsar("btCargarMC1");
    ASSERT_TRUE(v_->errores.isEmpty()) << v_->Errores();
    const TParque_ModeloCombinado* modelo = v_->ventana->Modelos().ModeloCombinadoActual();
    ASSERT_NE(modelo, nullptr);
    EXPECT_EQ(modelo->Parque->factor_kolm_scada, 0.955);
    // Written back at once in the current version, with the factor read.
    EXPECT_EQ(LeerArchivo(ruta).substr(0, 10), "VERSION=5\n");
    ::testing::internal::CaptureStdout();
    const auto releido = TParque_ModeloCombinado::Create_LeerDeArchivo(ruta);
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(releido->Parque->factor_kolm_scada, 0.955);
    EXPECT_EQ(v_->pedidosDeConexion, 0) << "QUENDAL_BD gives the connection";
}

// A plant without its row, or whose row has no factor, gives no factor:
// "Cargar Modelo Calibrado" loads nothing and writes no 0 into the file.
TEST_F(CargaConBaseDeDatos, CargarModeloCalibradoSinFactorEnLaBaseNoCargaNiEscribeNada) {
    EscribirArchivosAntiguos(kPlanta);
    const std::string carpeta = CarpetaCentral(kPlanta);
    const auto antes = Archivos(carpeta);
    v_->respuestaDialogo = QString::fromStdString(RutaModeloCombinado(kPlanta));
    for (const char* sentencia : {"UPDATE centrales SET factor_kolm_scada = NULL WHERE nid = 31",
                                  "DELETE FROM centrales WHERE nid = 31"}) {
        SCOPED_TRACE(sentencia);
        Ejecutar(sentencia);
        v_->errores.clear();
        v_->Pulsar("btCargarMC1");
        ASSERT_EQ(v_->errores.size(), 1) << v_->Errores();
        EXPECT_NE(v_->Errores().find("la central 31 (Parque sintetico 31)"), std::string::npos) << v_->Errores();
        EXPECT_EQ(Archivos(carpeta), antes);
        EXPECT_EQ(v_->ventana->Modelos().ModeloCombinadoActual(), nullptr);
        EXPECT_EQ(v_->ventana->Modelos().CalibradorActual(), nullptr);
    }
}

// "Calcular solo las R.O." reads the model file again, with the window's
// connection: a file that holds a version-3 park block by then (put back
// after the load, say) still runs, with the factor of the plant's row.
TEST_F(CargaConBaseDeDatos, CalcularSoloLasROConUnBloqueAntiguoTomaElFactorDeLaCentral) {
    using namespace apoyo_simulacion;
    const std::string modelo = RutaModeloCombinado(kPlanta);
    const std::string antiguo = ModeloCombinadoVersion3(*ParqueDeUnMolino(kPlanta));
    EscribirArchivo(modelo, antiguo);
    v_->respuestaDialogo = QString::fromStdString(modelo);
    v_->Pulsar("btCargarMC1");
    ASSERT_TRUE(v_->errores.isEmpty()) << v_->Errores();
    EscribirArchivo(modelo, antiguo);
    const std::string series = RutaArchivoEnCarpetaCentral(kPlanta, "_series10min.sas");
    DiaDeMano().Escribir(series);
    for (const char* fecha : {"FechaDesde1", "FechaHasta1"})
        ControlDe<QDateEdit>(*v_->ventana, fecha)->setDate(QDate(2018, 1, 15));
    v_->respuestaDialogo = QString::fromStdString(series);

    v_->Pulsar("btProcesarRestricciones1");

    ASSERT_TRUE(v_->errores.isEmpty()) << v_->Errores();
    const std::string horaria = LeerArchivo(CarpetaCentral(kPlanta) + "/c31_Restricciones_horarias_3m.xlt");
    EXPECT_NE(horaria.find("\t" + RealATextoDefecto(0.955) + "\t"), std::string::npos) << horaria;
    EXPECT_EQ(v_->pedidosDeConexion, 0) << "QUENDAL_BD gives the connection";
}

// "Actualizar MT en la Base de Datos" on a park whose model is not in the
// database: the error box says so.
TEST_F(CargaConBaseDeDatos, ActualizarMTDeUnModeloQueNoEstaLoDiceEnElCuadroDeError) {
    CargarModeloCompleto();
    auto parque = CrearParqueSintetico(kPlanta);
    parque->nid_modelo = 999;
    const std::string resto = CalibradorVersion3(*parque).substr(BloqueParqueVersion3(*parque).size());
    TEscritorTexto f = TEscritorTexto::EnMemoria();
    parque->GuardarEnTexto(f);
    EscribirArchivo(RutaCalibrador(kPlanta), f.Contenido() + resto);
    v_->respuestaDialogo = QString::fromStdString(RutaCalibrador(kPlanta));
    v_->Pulsar("btCargarCalibrador");
    ASSERT_TRUE(v_->errores.isEmpty()) << v_->Errores();
    ASSERT_NE(v_->ventana->Modelos().CalibradorActual(), nullptr);

    v_->Pulsar("btUpdateMTinDB");
    ASSERT_EQ(v_->errores.size(), 1);
    EXPECT_EQ(v_->errores[0], QStringLiteral("No se actualizó el modelo teórico 999 de la central 31 (Parque "
                                             "sintetico 31): no está en la tabla modelo_teorico de la base de datos. "
                                             "No se cambió nada en la base de datos."));
    EXPECT_EQ(con_.sqlquery_int("SELECT count(*) FROM modelo_teorico", -1), 1);
}

}  // namespace
