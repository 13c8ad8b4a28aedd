// The park shown beside the current calibrator: after a download the park
// shown may be of another plant, or of the calibrator's plant downloaded
// again. "Guardar Cal." never writes a calibrator without what was typed,
// and neither the P(V) plot nor the theoretical simulation puts two plants
// into one result without a word. Driven first without the database (the
// park made current through the window's own call for a downloaded park),
// then through the real "Bajar MT de la Base de Datos" button.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/uQuendal.h"
#include "app/ventanaparque.h"
#include "controles.h"
#include "data/ucarpetasmodelos.h"
#include "models/uauxdensidad.h"
#include "models/ucalibrador.h"
#include "models/uparques_modelocombinado.h"
#include "models/uparques_modeloempirico.h"
#include "models/uparques_modeloteorico.h"
#include "numerics/archivotexto.h"
#include "numerics/textoreal.h"
#include "tests/models/test_calibrador_apoyo.h"
#include "tests/models/test_parque_bd_base.h"
#include "tests/models/test_solar_comun.h"
#include "unidad_temporal.h"
#include "ventana_con_base_de_datos.h"

namespace fs = std::filesystem;

namespace {

const fs::path kPlantaDemo = fs::path(QUENDAL_TEST_DATA) / ".." / ".." / "examples" / "c9001";
constexpr int kNidDemo = 9001;

// How the park shown came to be shown beside the demo's combined model.
enum class TMostrado { DelCalibrador, DeLaMismaCentral, DeOtraCentral };

const char* NombreDe(TMostrado m) {
    switch (m) {
    case TMostrado::DelCalibrador: return "DelCalibrador";
    case TMostrado::DeLaMismaCentral: return "DeLaMismaCentral";
    case TMostrado::DeOtraCentral: return "DeOtraCentral";
    }
    return "";
}

// A window whose dialogs answer from `respuestas` (none cancels) and record
// their names; its error box records what it shows.
class VentanaDePrueba {
public:
    VentanaDePrueba() : ventana(std::make_unique<TFormQuendal>()) {
        ventana->FijarCuadroDeError([this](const QString& mensaje) {
            errores << mensaje;
            return TRespuestaError::Continuar;
        });
        ventana->FijarCuadroDeMensaje([this](const QString&, const QString& mensaje, bool) {
            avisos << mensaje;
            return false;
        });
        ventana->FijarDialogoDeArchivo([this](const TPeticionDialogo& peticion) {
            pedidos.push_back(peticion.nombre.toStdString());
            if (respuestas.empty()) return QString();
            const QString r = respuestas.front();
            respuestas.pop_front();
            return r;
        });
    }

    template <class T = QLineEdit>
    T* Control(const char* nombre) {
        return ControlDe<T>(*ventana, nombre);
    }
    QString Texto(const char* nombre) { return Control(nombre)->text(); }
    void Escribir(const char* caja, const std::string& texto) { Control(caja)->setText(QString::fromStdString(texto)); }
    // Clicks the button and returns what the operation wrote to the console.
    std::string Pulsar(const char* boton) {
        ::testing::internal::CaptureStdout();
        QTest::mouseClick(Control<QPushButton>(boton), Qt::LeftButton);
        return ::testing::internal::GetCapturedStdout();
    }
    void Elegir(const std::string& ruta) { respuestas.push_back(QString::fromStdString(ruta)); }
    // "Cargar Modelo Calibrado" of a file: the combined model and calibrator.
    void CargarModeloCombinado(const std::string& archivo) {
        Elegir(archivo);
        Pulsar("btCargarMC1");
        ASSERT_TRUE(errores.isEmpty()) << Errores();
        pedidos.clear();
    }
    std::string Errores() const { return errores.join(QLatin1Char('\n')).toStdString(); }
    TModelosQuendal& Modelos() { return ventana->Modelos(); }
    bool PaintBox1EnBlanco() {
        const QImage imagen = Control<TCajaPintura>("PaintBox1")->Imagen();
        for (int y = 0; y < imagen.height(); y += 2)
            for (int x = 0; x < imagen.width(); x += 2)
                if ((imagen.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) return false;
        return true;
    }

    std::unique_ptr<TFormQuendal> ventana;
    QStringList errores, avisos;
    std::deque<QString> respuestas;
    std::vector<std::string> pedidos;
};

bool Contiene(const QString& texto, const std::string& parte) {
    return texto.toStdString().find(parte) != std::string::npos;
}

// ---- Without the database ----

// The demo's combined model loaded, and the park shown as the parameter
// says: its own, its park file read again (the same plant), or that file as
// another plant's (nid 9002). A "c:\basura" for the P(V) plot.
class ParqueMostrado : public UnidadCTemporal, public VentanaDePrueba, public ::testing::WithParamInterface<TMostrado> {
protected:
    void SetUp() override {
        UnidadCTemporal::SetUp();
        InicializarCarpetaModelos();
        carpeta = CarpetaCentral(kNidDemo);
        for (const auto& e : fs::directory_iterator(kPlantaDemo))
            fs::copy_file(e.path(), fs::path(carpeta) / e.path().filename());
        fs::create_directories(Basura());
        CargarModeloCombinado((fs::path(carpeta) / "c9001.pmc").string());
        if (GetParam() == TMostrado::DelCalibrador) return;
        // The calibrator's park as its file holds it, read again.
        const std::string copia = (fs::path(unidad_) / "parque_bajado.pmt").string();
        ParqueDelCalibrador().GuardarEnArchivo(copia);
        auto parque = TParque_ModeloTeorico::Create_LeerDeArchivo(copia);
        if (GetParam() == TMostrado::DeOtraCentral) {
            parque->nid = 9002;
            parque->nombre = "Parque vecino";
        }
        // The window's call for a downloaded park.
        Modelos().PonerParque(std::move(parque));
    }
    void TearDown() override {
        ventana.reset();
        UnidadCTemporal::TearDown();
    }
    fs::path Basura() const { return fs::path(unidad_) / "basura"; }
    TParque_ModeloTeorico& ParqueDelCalibrador() { return *Modelos().CalibradorActual()->Parque; }

    std::string carpeta;
};

TEST_P(ParqueMostrado, GuardarCalSoloConElParqueDelCalibrador) {
    const std::string guardado = (fs::path(unidad_) / "guardado.clp").string();
    const double alfaDelCalibrador = ParqueDelCalibrador().alfa_terreno;
    const TParque_ModeloTeorico* mostrado = Modelos().ParqueActual();
    const double alfaMostrado = mostrado->alfa_terreno;
    Escribir("eAlfaTerreno1", "0.125");
    Elegir(guardado);
    Pulsar("btGuardarCalibrador");
    if (GetParam() == TMostrado::DelCalibrador) {
        ASSERT_TRUE(errores.isEmpty()) << Errores();
        EXPECT_EQ(pedidos, std::vector<std::string>{"sdCalibrador"});
        EXPECT_EQ(TCalibradorParque::Create_LeerDeArchivo(guardado)->Parque->alfa_terreno, 0.125);
        return;
    }
    ASSERT_EQ(errores.size(), 1);
    const QString mensaje = errores[0];
    EXPECT_TRUE(mensaje.startsWith(QStringLiteral("\"Guardar Cal.\" no se realizó: "))) << Errores();
    const std::string mostradoEnMensaje =
        GetParam() == TMostrado::DeOtraCentral ? "el parque 9002 (Parque vecino)" : "el parque 9001 (";
    EXPECT_TRUE(Contiene(mensaje, mostradoEnMensaje)) << Errores();
    EXPECT_TRUE(Contiene(mensaje, "el parque 9001 (" + ParqueDelCalibrador().nombre + ")")) << Errores();
    EXPECT_TRUE(Contiene(mensaje, "\"Cargar Cal.\"")) << Errores();
    EXPECT_TRUE(pedidos.empty()) << "no dialog";
    EXPECT_FALSE(fs::exists(guardado));
    EXPECT_EQ(ParqueDelCalibrador().alfa_terreno, alfaDelCalibrador);
    EXPECT_EQ(Modelos().ParqueActual(), mostrado);
    EXPECT_EQ(mostrado->alfa_terreno, alfaMostrado);
}

TEST_P(ParqueMostrado, GraficarPVRechazaElParqueDeOtraCentral) {
    const std::string jpg = (Basura() / "curvas_MW_PE_MT_27000.jpg").string();
    Pulsar("btPlot_PV_MEMTMC");
    if (GetParam() != TMostrado::DeOtraCentral) {
        ASSERT_TRUE(errores.isEmpty()) << Errores();
        EXPECT_TRUE(fs::exists(jpg));
        EXPECT_FALSE(PaintBox1EnBlanco());
        return;
    }
    ASSERT_EQ(errores.size(), 1);
    EXPECT_TRUE(errores[0].startsWith(QStringLiteral("\"Graficar P(V) MEMTMC\" no se realizó: "))) << Errores();
    EXPECT_TRUE(Contiene(errores[0], "el parque 9002 (Parque vecino)")) << Errores();
    EXPECT_TRUE(Contiene(errores[0], "el parque 9001 (")) << Errores();
    EXPECT_TRUE(fs::is_empty(Basura()));
    EXPECT_TRUE(PaintBox1EnBlanco());
}

// The park shown is drawn, capped at its own authorised power; the empirical
// outputs come from the calibrator's data only for its own plant.
TEST_P(ParqueMostrado, SimularDibujaElParqueMostradoYSoloDaElEmpiricoDeSuCentral) {
    const double potenciaDelCalibrador = ParqueDelCalibrador().potencia_autorizada_mw;
    ASSERT_GT(potenciaDelCalibrador, 3);
    Escribir("eLimiteDePotencia1", "3");
    const std::string consola = Pulsar("btCalcular1");
    ASSERT_TRUE(errores.isEmpty()) << Errores();
    const TParque_ModeloTeorico* mostrado = Modelos().ParqueActual();
    EXPECT_EQ(mostrado->potencia_autorizada_mw, 3);
    if (GetParam() != TMostrado::DelCalibrador) {
        EXPECT_EQ(ParqueDelCalibrador().potencia_autorizada_mw, potenciaDelCalibrador)
            << "the boxes go to the park shown";
    }
    const double teorica = Texto("ePE_MW_ModeloTeorico1").toDouble();
    EXPECT_GT(teorica, 0);
    EXPECT_LE(teorica, 3);
    if (GetParam() == TMostrado::DeOtraCentral) {
        EXPECT_EQ(Texto("ePE_MW_Representantes1"), QString());
        EXPECT_EQ(Texto("eME_Peso1"), QString());
        EXPECT_NE(consola.find("el parque 9002 (Parque vecino)"), std::string::npos) << consola;
        EXPECT_NE(consola.find("el parque 9001 ("), std::string::npos) << consola;
        EXPECT_NE(consola.find("quedan vacíos"), std::string::npos) << consola;
    } else {
        // The default reading, 9.9 m/s at 270°, on the calibrator's data.
        double peso = 0;
        const double empirica = Modelos().CalibradorActual()->ModeloEmpirico->PE_PorTramos(
            270, PotenciaDelViento(9.9, DensidadBase), peso);
        EXPECT_GT(peso, 0);
        EXPECT_GT(empirica, 3) << "the data are not capped";
        EXPECT_EQ(Texto("ePE_MW_Representantes1").toStdString(), FormatoGeneral(empirica, 15));
        EXPECT_EQ(Texto("eME_Peso1").toStdString(), FormatoGeneral(peso, 15));
        EXPECT_EQ(consola, "");
    }
}

// "Calibrar Etha de la E.M." and "Actualizar MT" work on the calibrator: with
// another park shown they refuse before anything is written.
TEST_P(ParqueMostrado, CalibrarEthaSoloConElParqueDelCalibrador) {
    const std::string calibrador = RutaCalibrador(kNidDemo);
    const std::string antes = apoyo_calibrador::LeerArchivo(calibrador);
    Pulsar("CalibrarSimpleEthaMeteo");
    if (GetParam() == TMostrado::DelCalibrador) {
        ASSERT_TRUE(errores.isEmpty()) << Errores();
        EXPECT_TRUE(fs::exists(fs::path(carpeta) / "Metha.txt"));
        return;
    }
    ASSERT_EQ(errores.size(), 1);
    EXPECT_TRUE(errores[0].startsWith(QStringLiteral("\"Calibrar Etha de la E.M.\" no se realizó: "))) << Errores();
    EXPECT_TRUE(apoyo_calibrador::LeerArchivo(calibrador) == antes);
    EXPECT_FALSE(fs::exists(fs::path(carpeta) / "Metha.txt"));
    EXPECT_NE(Modelos().ParqueActual(), &ParqueDelCalibrador()) << "the park shown stays";
}

INSTANTIATE_TEST_SUITE_P(Tabla, ParqueMostrado,
                         ::testing::Values(TMostrado::DelCalibrador, TMostrado::DeLaMismaCentral,
                                           TMostrado::DeOtraCentral),
                         [](const auto& info) { return std::string(NombreDe(info.param)); });

// "Calcular MC" of another plant leaves the calibrator as it was: the plot
// would draw one plant's data beside another's combined model.
class ModeloCombinadoDeOtraCentral : public apoyo_calibrador::ConUnidadDePrueba, public VentanaDePrueba {
protected:
    void TearDown() override {
        ventana.reset();
        apoyo_calibrador::ConUnidadDePrueba::TearDown();
    }
};

TEST_F(ModeloCombinadoDeOtraCentral, GraficarPVLoRechaza) {
    fs::create_directories(fs::path(unidad_) / "basura");
    Elegir(apoyo_calibrador::EscribirCalibradorDeMano(12));
    Pulsar("btCargarCalibrador");
    apoyo_calibrador::EscribirCalibradorDeMano(13);
    Escribir("eNidCentral", "13");
    Pulsar("btCalcularMC");
    ASSERT_TRUE(errores.isEmpty()) << Errores();
    Pulsar("btPlot_PV_MEMTMC");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_TRUE(Contiene(errores[0], "\"Graficar P(V) MEMTMC\" no se realizó: el modelo combinado actual (el "
                                     "parque 13 ("))
        << Errores();
    EXPECT_TRUE(Contiene(errores[0], "y el calibrador actual (el parque 12 (")) << Errores();
    EXPECT_TRUE(fs::is_empty(fs::path(unidad_) / "basura"));
    EXPECT_TRUE(PaintBox1EnBlanco());
}

// ---- Through "Bajar MT de la Base de Datos" ----

// A window on the test server (plant 31 "Parque Sur"), on a drive C: of its
// own with the demo plant 9001 and a "c:\basura".
class ParqueBajado : public BaseDeDatosDeLaVentana, public VentanaDePrueba {
protected:
    void SetUp() override {
        BaseDeDatosDeLaVentana::SetUp();
        if (HasFatalFailure()) return;
        unidad_ = std::make_unique<TUnidadCSolar>();
        const fs::path demo = unidad_->CarpetaCentral(kNidDemo);
        fs::create_directories(demo);
        for (const auto& e : fs::directory_iterator(kPlantaDemo)) fs::copy_file(e.path(), demo / e.path().filename());
        fs::create_directories(Basura());
    }
    void TearDown() override {
        ventana.reset();
        unidad_.reset();
        BaseDeDatosDeLaVentana::TearDown();
    }
    fs::path Basura() const { return fs::path(std::getenv("QUENDAL_UNIDAD_C")) / "basura"; }

    std::string BajarParque() {
        Escribir("eNidCentral", "31");
        const std::string consola = Pulsar("btBajarParque");
        EXPECT_TRUE(errores.isEmpty()) << Errores();
        return consola;
    }
    // The demo's combined model, of plant 9001.
    void CargarModeloDeOtraCentral() {
        CargarModeloCombinado((unidad_->CarpetaCentral(kNidDemo) / "c9001.pmc").string());
    }
    // A combined model of plant 31 itself: its park as first downloaded and a
    // hand-made empirical block, loaded as "Cargar Modelo Calibrado" does.
    void CargarModeloDeLaCentral() {
        BajarParque();
        const std::string ruta = RutaCalibrador(kCentral);
        {
            TEscritorTexto f = TEscritorTexto::Crear(ruta);
            Modelos().ParqueActual()->GuardarEnTexto(f);
            apoyo_calibrador::EscribirBloqueEmpiricoDeMano(f);
            f.Cerrar();
        }
        CargarModeloCombinado(ruta);
    }

    std::unique_ptr<TUnidadCSolar> unidad_;
};

TEST_F(ParqueBajado, DeOtraCentralNiGuardaNiGraficaYSimulaSoloElParqueBajado) {
    CargarModeloDeOtraCentral();
    TCalibradorParque* calibrador = Modelos().CalibradorActual();
    const std::string nombreDelCalibrador = calibrador->Parque->nombre;
    BajarParque();
    const TParque_ModeloTeorico* bajado = Modelos().ParqueActual();
    ASSERT_EQ(bajado->nid, kCentral);
    EXPECT_EQ(ventana->windowTitle().toStdString(),
              "Calibrador cargado, Parque: " + nombreDelCalibrador +
                  "; parque mostrado: el parque 31 (Parque Sur), bajado de la base de datos");

    const std::string guardado = (Basura() / "guardado.clp").string();
    const std::string archivoDelCalibrador = apoyo_calibrador::LeerArchivo(RutaCalibrador(kNidDemo));
    Escribir("eAlfaTerreno1", "0.125");
    Elegir(guardado);
    Pulsar("btGuardarCalibrador");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_TRUE(Contiene(errores[0], "el parque 31 (Parque Sur), bajado de la base de datos, y el calibrador actual "
                                     "es de otra central: el parque 9001 (" + nombreDelCalibrador + ")"))
        << Errores();
    EXPECT_TRUE(pedidos.empty());
    EXPECT_FALSE(fs::exists(guardado));
    EXPECT_TRUE(apoyo_calibrador::LeerArchivo(RutaCalibrador(kNidDemo)) == archivoDelCalibrador);

    errores.clear();
    Pulsar("btPlot_PV_MEMTMC");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_TRUE(errores[0].startsWith(QStringLiteral("\"Graficar P(V) MEMTMC\" no se realizó: "))) << Errores();
    EXPECT_TRUE(fs::is_empty(Basura()));
    EXPECT_TRUE(PaintBox1EnBlanco());

    // The boxes still hold the demo's tables; the park downloaded takes its own.
    errores.clear();
    Escribir("eEthaMeteo2", bajado->meteo_etha.ACadena());
    Escribir("eMdeVientos", bajado->mat_vientos.ACadena());
    Escribir("eLimiteDePotencia1", "4");
    const std::string consola = Pulsar("btCalcular1");
    ASSERT_TRUE(errores.isEmpty()) << Errores();
    EXPECT_EQ(Modelos().ParqueActual(), bajado);
    const double teorica = Texto("ePE_MW_ModeloTeorico1").toDouble();
    EXPECT_GT(teorica, 0);
    EXPECT_LE(teorica, 4);
    EXPECT_EQ(Texto("ePE_MW_Representantes1"), QString());
    EXPECT_EQ(Texto("eME_Peso1"), QString());
    EXPECT_NE(consola.find("el parque 31 (Parque Sur)"), std::string::npos) << consola;
    EXPECT_EQ(Modelos().CalibradorActual(), calibrador);
}

TEST_F(ParqueBajado, DeLaMismaCentralNoGuardaPeroGraficaYSimula) {
    CargarModeloDeLaCentral();
    TCalibradorParque* calibrador = Modelos().CalibradorActual();
    ASSERT_EQ(Modelos().ParqueActual(), calibrador->Parque.get());
    BajarParque();
    const TParque_ModeloTeorico* bajado = Modelos().ParqueActual();
    ASSERT_NE(bajado, calibrador->Parque.get());

    const std::string guardado = (Basura() / "guardado.clp").string();
    Escribir("eAlfaTerreno1", "0.125");
    Elegir(guardado);
    Pulsar("btGuardarCalibrador");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_TRUE(Contiene(errores[0], "se muestra el parque 31 (Parque Sur) bajado de nuevo de la base de datos, no el "
                                     "parque del calibrador actual (el parque 31 (Parque Sur), de la misma central)"))
        << Errores();
    EXPECT_TRUE(pedidos.empty());
    EXPECT_FALSE(fs::exists(guardado));
    EXPECT_NE(calibrador->Parque->alfa_terreno, 0.125);

    errores.clear();
    Pulsar("btPlot_PV_MEMTMC");
    ASSERT_TRUE(errores.isEmpty()) << Errores();
    EXPECT_TRUE(fs::exists(Basura() / "curvas_MW_PE_MT_27000.jpg"));
    EXPECT_FALSE(PaintBox1EnBlanco());

    const std::string consola = Pulsar("btCalcular1");
    ASSERT_TRUE(errores.isEmpty()) << Errores();
    EXPECT_EQ(Modelos().ParqueActual(), bajado);
    EXPECT_EQ(bajado->alfa_terreno, 0.125);
    // The hand-made data have no samples: the empirical power is computed, 0
    // with no weight.
    EXPECT_EQ(Texto("ePE_MW_Representantes1"), QStringLiteral("0"));
    EXPECT_EQ(Texto("eME_Peso1"), QStringLiteral("-1"));
    EXPECT_EQ(consola, "");
}

// The database gets the calibrator's park only while that park is shown.
TEST_F(ParqueBajado, ActualizarMTSoloConElParqueDelCalibrador) {
    CargarModeloDeLaCentral();
    Modelos().CalibradorActual()->Parque->alfa_terreno = 0.61;
    BajarParque();
    con_.OlvidarSentencias();
    Pulsar("btUpdateMTinDB");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_TRUE(errores[0].startsWith(QStringLiteral("\"Actualizar MT en la Base de Datos\" no se realizó: ")))
        << Errores();
    EXPECT_TRUE(SentenciasQueEmpiezanCon("UPDATE").empty());
    EXPECT_NE(con_.sqlquery_float("SELECT alfa_terreno FROM modelo_teorico WHERE central = 31", -1), 0.61);

    // Shown again, the calibrator's park goes to the database.
    errores.clear();
    Elegir(RutaCalibrador(kCentral));
    Pulsar("btCargarCalibrador");
    Modelos().CalibradorActual()->Parque->alfa_terreno = 0.61;
    Pulsar("btUpdateMTinDB");
    ASSERT_TRUE(errores.isEmpty()) << Errores();
    EXPECT_EQ(con_.sqlquery_float("SELECT alfa_terreno FROM modelo_teorico WHERE central = 31", -1), 0.61);
}

}  // namespace
