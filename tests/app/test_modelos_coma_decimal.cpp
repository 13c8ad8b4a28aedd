// The window's operations that write a model file, on a desktop that writes
// a decimal comma (es_ES) and under the C locale: each writes the same bytes
// under both, and the park file that "Bajar MT de la Base de Datos" writes
// from the test server under es_ES reads back. Every run starts the program
// with the locale's settings on a drive C: of its own.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <unistd.h>

#include "app/arranque.h"
#include "app/uQuendal.h"
#include "archivos_de_prueba.h"
#include "controles.h"
#include "data/ucarpetasmodelos.h"
#include "models/uparques_modeloteorico.h"
#include "models/uplantasintetica.h"
#include "numerics/fechas.h"
#include "numerics/formatsettings.h"
#include "numerics/inicio.h"
#include "numerics/uproblema.h"
#include "tests/models/test_parque_bd_base.h"
#include "tests/models/test_solar_comun.h"
#include "ventana_con_base_de_datos.h"

namespace fs = std::filesystem;

namespace {

const fs::path kPlantaDemo = fs::path(QUENDAL_TEST_DATA) / ".." / ".." / "examples" / "c9001";
constexpr int kNidDemo = 9001;

// The program started with a locale's settings, on a drive C: of its own,
// with a window whose error box and dialogs the test answers; the settings
// of the other tests are back when it ends.
class TCorrida {
public:
    explicit TCorrida(const char* locale) : previos_(AjustesFormato()) {
        unidad_ = std::make_unique<TUnidadCSolar>();
        Arrancar(AjustesDelLocale(QLocale(QString::fromLatin1(locale))));
        InicializarCarpetaModelos();
        fs::create_directories(CarpetaDemo());
        ventana = std::make_unique<TFormQuendal>();
        ventana->FijarCuadroDeError([this](const QString& mensaje) {
            errores << mensaje;
            return TRespuestaError::Continuar;
        });
        ventana->FijarCuadroDeMensaje([this](const QString&, const QString& mensaje, bool) {
            errores << mensaje;
            return false;
        });
        ventana->FijarDialogoDeArchivo([this](const TPeticionDialogo&) {
            if (respuestas.empty()) return QString();
            const QString respuesta = QString::fromStdString(respuestas.front());
            respuestas.pop_front();
            return respuesta;
        });
    }
    ~TCorrida() {
        ventana.reset();
        Finalizar();
        AjustesFormato() = previos_;
        InicializarNumericos();
        unidad_.reset();
    }
    TCorrida(const TCorrida&) = delete;
    TCorrida& operator=(const TCorrida&) = delete;

    fs::path CarpetaDemo() const { return unidad_->CarpetaCentral(kNidDemo); }
    // A file of the demo plant, copied into its folder under `nombre`.
    fs::path CopiarDeLaDemo(const char* archivo, const std::string& nombre) const {
        const fs::path destino = CarpetaDemo() / nombre;
        fs::copy_file(kPlantaDemo / archivo, destino, fs::copy_options::overwrite_existing);
        return destino;
    }
    void Escribir(const char* caja, const std::string& texto) {
        ControlDe<QLineEdit>(*ventana, caja)->setText(QString::fromStdString(texto));
    }
    // A number as the user types it: with the decimal separator in force.
    static std::string ComoLoEscribe(std::string numero) {
        for (char& c : numero)
            if (c == '.') c = AjustesFormato().DecimalSeparator;
        return numero;
    }
    void Pulsar(const char* boton) {
        ::testing::internal::CaptureStdout();
        QTest::mouseClick(ControlDe<QPushButton>(*ventana, boton), Qt::LeftButton);
        ::testing::internal::GetCapturedStdout();
    }
    // "Cargar Cal." of a copy of the demo's calibrator.
    void CargarCalibradorDeLaDemo() {
        respuestas.push_back(CopiarDeLaDemo("c9001_calibrador.clp", "cargado.clp").string());
        Pulsar("btCargarCalibrador");
    }

    std::unique_ptr<TFormQuendal> ventana;
    QStringList errores;
    std::deque<std::string> respuestas;

private:
    FormatSettings previos_;
    std::unique_ptr<TUnidadCSolar> unidad_;
};

// One operation of the window that writes a model file: it clicks through it
// on a started program and answers the file it wrote.
struct TOperacionQueGuardaUnModelo {
    const char* nombre;
    std::function<fs::path(TCorrida&, const fs::path& insumos)> hacer;
};

void PrintTo(const TOperacionQueGuardaUnModelo& op, std::ostream* os) { *os << op.nombre; }

const TOperacionQueGuardaUnModelo kOperaciones[] = {
    {"BajarMT",
     [](TCorrida& c, const fs::path&) {
         c.Escribir("eNidCentral", "31");
         c.Pulsar("btBajarParque");
         return fs::path(RutaParqueMT(31));
     }},
    {"CrearClpConMTYSas",
     [](TCorrida& c, const fs::path& insumos) {
         for (const char* archivo : {"c9001_parque_mt.pmt", "c9001_series10min.sas"})
             fs::copy_file(insumos / archivo, c.CarpetaDemo() / archivo, fs::copy_options::overwrite_existing);
         c.Escribir("eNidCentral", "9001");
         c.Pulsar("btLoadFromArchi_ModeloMTySeries");
         return fs::path(RutaCalibrador(kNidDemo));
     }},
    {"CalcularMC",
     [](TCorrida& c, const fs::path&) {
         c.CopiarDeLaDemo("c9001_calibrador.clp", "c9001_calibrador.clp");
         c.Escribir("eNidCentral", "9001");
         c.Pulsar("btCalcularMC");
         return fs::path(RutaModeloCombinado(kNidDemo));
     }},
    {"CargarYGuardarMC",
     [](TCorrida& c, const fs::path&) {
         const fs::path ruta = c.CopiarDeLaDemo("c9001_modelo_calibrado.clp", "c9001_modelo_calibrado.clp");
         c.respuestas.push_back(ruta.string());
         c.Pulsar("btCargarYGuardarMC");
         return ruta;
     }},
    // The park boxes, shown in the user's format and one of them typed in
    // it, are read back into the calibrator that is saved.
    {"GuardarCal",
     [](TCorrida& c, const fs::path&) {
         c.CargarCalibradorDeLaDemo();
         c.Escribir("eAlfaTerreno", TCorrida::ComoLoEscribe("0.45"));
         const fs::path ruta = c.CarpetaDemo() / "guardado.clp";
         c.respuestas.push_back(ruta.string());
         c.Pulsar("btGuardarCalibrador");
         return ruta;
     }},
    {"CalibrarEthaDeLaEM",
     [](TCorrida& c, const fs::path&) {
         c.CargarCalibradorDeLaDemo();
         c.Pulsar("CalibrarSimpleEthaMeteo");
         return fs::path(RutaCalibrador(kNidDemo));
     }},
};

// The test server with plant 31, named to the window, whose models each run
// of the download may clear.
class VentanaConComaDecimal : public BaseDeDatosDeLaVentana {
protected:
    // Plant 31 without a model, and the next model number 1, as each run
    // of the download finds them.
    void SinModelos() {
        Ejecutar("DELETE FROM modelo_teorico_etha_molinos");
        Ejecutar("DELETE FROM modelo_teorico");
        ASSERT_EQ(Contar("SELECT setval('modelo_teorico_nid_seq', 1, false)"), 1);
    }
};

class ModeloConComaDecimal : public VentanaConComaDecimal,
                             public ::testing::WithParamInterface<TOperacionQueGuardaUnModelo> {
protected:

    // A short series of the synthetic plant 9001 with its park file, made
    // once under the test binary's settings, for the calibrator build.
    fs::path Insumos() {
        const TUnidadCSolar unidad;
        InicializarCarpetaModelos();
        TOpcionesPlantaSintetica opciones;
        opciones.nid = kNidDemo;
        opciones.dias = 40;
        opciones.inicio = EncodeDate(2018, 1, 1);
        const TPlantaSintetica planta = GenerarPlantaSintetica(opciones);
        const fs::path insumos = fs::temp_directory_path() / ("quendal_insumos_" + std::to_string(getpid()));
        fs::create_directories(insumos);
        for (const std::string& ruta : {planta.archivoParque, planta.archivoSeries})
            fs::copy_file(ruta, insumos / fs::path(ruta).filename(), fs::copy_options::overwrite_existing);
        return insumos;
    }

    // The bytes of the file that the operation writes under the locale.
    std::string BytesBajo(const char* locale, const fs::path& insumos) {
        SCOPED_TRACE(locale);
        SinModelos();
        TCorrida corrida(locale);
        EXPECT_EQ(AjustesFormato().DecimalSeparator, std::string(locale) == "C" ? '.' : ',');
        FijarCarpetaLogEstimarMultiplicadores(corrida.CarpetaDemo().string());
        const fs::path ruta = GetParam().hacer(corrida, insumos);
        FijarCarpetaLogEstimarMultiplicadores("");
        EXPECT_TRUE(corrida.errores.isEmpty()) << corrida.errores.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(fs::exists(ruta)) << ruta;
        return LeerArchivo(ruta);
    }
};

TEST_P(ModeloConComaDecimal, EscribeLosMismosBytesQueBajoC) {
    const fs::path insumos = Insumos();
    const std::string enC = BytesBajo("C", insumos);
    const std::string enEspaniol = BytesBajo("es_ES", insumos);
    fs::remove_all(insumos);
    ASSERT_FALSE(enC.empty());
    EXPECT_TRUE(enEspaniol == enC) << GetParam().nombre << " writes other bytes under es_ES";
}

INSTANTIATE_TEST_SUITE_P(OperacionesDeLaVentana, ModeloConComaDecimal, ::testing::ValuesIn(kOperaciones),
                         [](const auto& info) { return std::string(info.param.nombre); });

// The park file that "Bajar MT" writes under es_ES holds the plant's park and
// reads back, there and under the C settings.
TEST_F(VentanaConComaDecimal, BajarMTBajoEsESEscribeElArchivoDelParqueYSeLeeDeVuelta) {
    TCorrida corrida("es_ES");
    ASSERT_EQ(AjustesFormato().DecimalSeparator, ',');
    corrida.Escribir("eNidCentral", "31");
    corrida.Pulsar("btBajarParque");
    ASSERT_TRUE(corrida.errores.isEmpty()) << corrida.errores.join(QLatin1Char('\n')).toStdString();
    const std::string archivo = RutaParqueMT(kCentral);
    ASSERT_TRUE(fs::exists(archivo));
    const auto leido = TParque_ModeloTeorico::Create_LeerDeArchivo(archivo);
    EXPECT_EQ(leido->nid, kCentral);
    EXPECT_EQ(leido->nombre, "Parque Sur");
    ASSERT_EQ(leido->molinos.size(), 3u);
    EXPECT_EQ(leido->molinos[1]->posicion.xe, 573250.5);
    EXPECT_EQ(leido->molinos[2]->posicion.yn, 6137300.25);
    EXPECT_EQ(leido->potencia_autorizada_mw, 20);
    EXPECT_EQ(leido->nid_modelo, corrida.ventana->Modelos().ParqueActual()->nid_modelo);
    EXPECT_EQ(Contar("SELECT count(*) FROM modelo_teorico WHERE central = 31"), 1);
}

}  // namespace
