// The input tab's operations driven through the real window: the demo plant
// is copied into a temporary model root, the file dialogs answer from a list
// and the error box records its messages.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/uQuendal.h"
#include "controles.h"
#include "app/ventanaparque.h"
#include "data/ucarpetasmodelos.h"
#include "models/uauxdensidad.h"
#include "models/ucalibrador.h"
#include "models/uparques_modelocombinado.h"
#include "models/uparques_modeloempirico.h"
#include "models/uparques_modeloteorico.h"
#include "numerics/textoreal.h"
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

std::set<std::string> NombresEn(const fs::path& carpeta) {
    std::set<std::string> nombres;
    for (const auto& e : fs::directory_iterator(carpeta)) nombres.insert(e.path().filename().string());
    return nombres;
}

// The demo plant in a temporary model root, and a window whose dialogs take
// their answers from `respuestas` (an empty answer cancels) and record what
// they were asked.
class Entradas : public UnidadCTemporal {
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
        ventana->FijarDialogoDeArchivo([this](const TPeticionDialogo& peticion) {
            pedidos.push_back(peticion);
            if (respuestas.empty()) return QString();
            const QString respuesta = respuestas.front();
            respuestas.pop_front();
            return respuesta;
        });
    }
    void TearDown() override {
        ventana.reset();
        UnidadCTemporal::TearDown();
    }

    std::string Ruta(const char* nombre) const { return (fs::path(carpeta) / nombre).string(); }
    std::string RutaModeloDemo() const { return Ruta("c9001.pmc"); }
    std::string RutaCalibradorDemo() const { return Ruta("c9001_calibrador.clp"); }

    template <class T = QLineEdit>
    T* Control(const char* nombre) {
        return ControlDe<T>(*ventana, nombre);
    }
    QString Texto(const char* nombre) { return Control(nombre)->text(); }
    void Clic(const char* boton) { QTest::mouseClick(Control<QPushButton>(boton), Qt::LeftButton); }
    void Elegir(const std::string& ruta) { respuestas.push_back(QString::fromStdString(ruta)); }

    void CargarModeloDemo() {
        Elegir(RutaModeloDemo());
        Clic("btCargarMC1");
        ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    }

    TModelosActuales<TTiposModelosQuendal>& Modelos() { return ventana->Modelos(); }

    std::string carpeta;
    std::unique_ptr<TFormQuendal> ventana;
    QStringList errores;
    std::deque<QString> respuestas;
    std::vector<TPeticionDialogo> pedidos;
};

// ---- "Cargar Modelo Calibrado" ----

TEST_F(Entradas, CargarModeloCalibradoLoMuestraEnLaVentana) {
    CargarModeloDemo();
    ASSERT_EQ(pedidos.size(), 1u);
    EXPECT_EQ(pedidos[0].nombre, QStringLiteral("odCalibrador"));
    EXPECT_EQ(pedidos[0].filtro, QStringLiteral("*.clp"));
    EXPECT_EQ(pedidos[0].tipo, TTipoDialogo::AbrirArchivo);
    EXPECT_TRUE(pedidos[0].carpetaInicial.isEmpty());

    TParque_ModeloCombinado* modelo = Modelos().ModeloCombinadoActual();
    ASSERT_NE(modelo, nullptr);
    EXPECT_EQ(Modelos().CalibradorActual(), modelo);
    EXPECT_EQ(Modelos().ParqueActual(), modelo->Parque.get());
    EXPECT_EQ(ventana->windowTitle(), QStringLiteral("Calibrador cargado, Parque: Parque sintetico 9001"));
    const std::pair<const char*, const char*> cajas[] = {
        {"eGamma_Atmosfera1", "0.4"}, {"eGamma_Atmosfera", "0.4"}, {"eAlfaTerreno1", "0.5"},
        {"eAlfaTerreno", "0.5"},      {"efpv3pe1", "1.8"},          {"efpv3pe", "1.8"},
        {"eFactorPerdidasParque1", "0.01"}, {"eFactorPerdidasParque", "0.01"},
        {"eLimiteDePotencia1", "24"}, {"eLimiteDePotencia", "24"}};
    for (const auto& [caja, texto] : cajas) EXPECT_EQ(Texto(caja), QString::fromLatin1(texto)) << caja;
    const QString etha = QString::fromStdString(modelo->Parque->meteo_etha.ACadena());
    EXPECT_TRUE(etha.startsWith(QStringLiteral("[72|10]")));
    EXPECT_EQ(Texto("eEthaMeteo"), etha);
    EXPECT_EQ(Texto("eEthaMeteo2"), etha);
    EXPECT_EQ(Texto("eMdeVientos"), QString::fromStdString(modelo->Parque->mat_vientos.ACadena()));
    // The picture's rectangle is fitted as soon as the park is current.
    const TParque_ModeloTeorico& parque = *modelo->Parque;
    EXPECT_EQ(parque.rectArriba, 30);
    EXPECT_EQ(parque.rectDer, 978);
    EXPECT_EQ(parque.rectAbajo, 616);
}

TEST_F(Entradas, CargarModeloCalibradoReescribeElArchivoSinDejarTemporales) {
    const std::set<std::string> antes = NombresEn(carpeta);
    CargarModeloDemo();
    EXPECT_EQ(NombresEn(carpeta), antes);
    const std::string escrito = Contenido(RutaModeloDemo());
    // Written in the current writer's form: loading it again writes it the same.
    CargarModeloDemo();
    EXPECT_EQ(Contenido(RutaModeloDemo()), escrito);
    // And it holds the model that was read.
    auto releido = TParque_ModeloCombinado::Create_LeerDeArchivo(RutaModeloDemo());
    const TParque_ModeloCombinado& actual = *Modelos().ModeloCombinadoActual();
    EXPECT_EQ(releido->MatrizFactores.ACadena(), actual.MatrizFactores.ACadena());
    EXPECT_EQ(releido->Parque->meteo_etha.Fila(3).pv, actual.Parque->meteo_etha.Fila(3).pv);
}

TEST_F(Entradas, UnArchivoDeCalibradorSeCargaComoModeloConFactoresUno) {
    Elegir(RutaCalibradorDemo());
    Clic("btCargarYGuardarMC");
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    ASSERT_NE(Modelos().ModeloCombinadoActual(), nullptr);
    EXPECT_EQ(Modelos().ModeloCombinadoActual()->MatrizFactores.nf, 0);
    // Written back with its empty matrix, it reads again.
    auto releido = TParque_ModeloCombinado::Create_LeerDeArchivo(RutaCalibradorDemo());
    EXPECT_EQ(releido->MatrizFactores.nf, 0);
    EXPECT_EQ(releido->Parque->nombre, "Parque sintetico 9001");
    // The file still reads as a calibrator.
    EXPECT_NO_THROW(TCalibradorParque::Create_LeerDeArchivo(RutaCalibradorDemo()));
}

TEST_F(Entradas, CargarCanceladoNoCambiaNada) {
    const std::string antes = Contenido(RutaModeloDemo());
    Clic("btCargarMC1");
    EXPECT_EQ(pedidos.size(), 1u);
    EXPECT_TRUE(errores.isEmpty());
    EXPECT_EQ(Modelos().CalibradorActual(), nullptr);
    EXPECT_EQ(ventana->windowTitle(), QStringLiteral("FormQuendal"));
    EXPECT_EQ(Texto("eGamma_Atmosfera1"), QStringLiteral("0.4"));
    EXPECT_EQ(Texto("efpv3pe1"), QStringLiteral("1"));
    EXPECT_EQ(Contenido(RutaModeloDemo()), antes);
}

TEST_F(Entradas, UnArchivoIlegibleDaSuErrorYDejaLosModelos) {
    CargarModeloDemo();
    TParque_ModeloCombinado* antes = Modelos().ModeloCombinadoActual();
    const std::string roto = Ruta("roto.clp");
    std::ofstream(roto) << "VERSION=5\nno es un parque\n";
    Elegir(roto);
    Clic("btCargarMC1");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_EQ(Modelos().ModeloCombinadoActual(), antes);
    EXPECT_EQ(Modelos().CalibradorActual(), antes);
    EXPECT_EQ(Modelos().ParqueActual(), antes->Parque.get());
    EXPECT_EQ(Contenido(roto), "VERSION=5\nno es un parque\n");
}

// The README's route: the dialog lists the demo's calibrated model, which
// loads with the factor matrix of c9001.pmc and is written back unchanged,
// so no previous version is kept.
TEST_F(Entradas, ElModeloCalibradoDeLaDemoSeListaYSeCargaConSusFactores) {
    const std::string archivo = Ruta("c9001_modelo_calibrado.clp");
    Elegir(archivo);
    Clic("btCargarMC1");
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(pedidos.size(), 1u);
    EXPECT_TRUE(QDir::match(pedidos[0].filtro, QStringLiteral("c9001_modelo_calibrado.clp")));
    const TParque_ModeloCombinado* cargado = Modelos().ModeloCombinadoActual();
    ASSERT_NE(cargado, nullptr);
    EXPECT_EQ(ventana->windowTitle(), QStringLiteral("Calibrador cargado, Parque: Parque sintetico 9001"));
    ::testing::internal::CaptureStdout();
    const auto combinado = TParque_ModeloCombinado::Create_LeerDeArchivo(RutaModeloDemo());
    ::testing::internal::GetCapturedStdout();
    ASSERT_EQ(cargado->MatrizFactores.nf, 72);
    EXPECT_EQ(cargado->MatrizFactores.ACadena(), combinado->MatrizFactores.ACadena());
    bool todosUno = true;
    for (int32_t i = 1; i <= cargado->MatrizFactores.nf; ++i)
        for (int32_t j = 1; j <= cargado->MatrizFactores.nc; ++j) todosUno &= cargado->MatrizFactores.pm[i]->pv[j] == 1;
    EXPECT_FALSE(todosUno);
    EXPECT_EQ(Contenido(archivo), Contenido(kPlantaDemo / "c9001_modelo_calibrado.clp"));
    EXPECT_EQ(NombresEn(carpeta).count("c9001_modelo_calibrado.clp.anterior"), 0u);
}

// "Crear archivo .clp con MT y archivo .sas" and "Calcular MC" rebuild the
// demo's calibrator and combined model uncalibrated; the calibrated files
// they replace stay beside them byte for byte, and the console says so.
// The same calibrator built again keeps the calibrated copy.
TEST_F(Entradas, ReconstruirLosModelosDeLaDemoConservaLosCalibradosComoAnterior) {
    struct LogEnLaUnidad {
        explicit LogEnLaUnidad(const std::string& carpeta) { FijarCarpetaLogEstimarMultiplicadores(carpeta); }
        ~LogEnLaUnidad() { FijarCarpetaLogEstimarMultiplicadores(""); }
    } log(unidad_);
    const auto pulsar = [this](const char* boton) {
        ::testing::internal::CaptureStdout();
        Clic(boton);
        return ::testing::internal::GetCapturedStdout();
    };
    const std::string copia = "El archivo anterior se conserva en: ";
    Control("eNidCentral")->setText(QStringLiteral("9001"));
    const std::string consola = pulsar("btLoadFromArchi_ModeloMTySeries");
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    EXPECT_NE(Contenido(RutaCalibradorDemo()), Contenido(kPlantaDemo / "c9001_calibrador.clp"));
    EXPECT_EQ(Contenido(RutaCalibradorDemo() + ".anterior"), Contenido(kPlantaDemo / "c9001_calibrador.clp"));
    EXPECT_NE(consola.find(copia + RutaCalibradorDemo() + ".anterior\n"), std::string::npos) << consola;

    pulsar("btCalcularMC");
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(Contenido(RutaModeloDemo() + ".anterior"), Contenido(kPlantaDemo / "c9001.pmc"));

    const std::string otraVez = pulsar("btLoadFromArchi_ModeloMTySeries");
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(otraVez.find(copia), std::string::npos) << otraVez;
    EXPECT_EQ(Contenido(RutaCalibradorDemo() + ".anterior"), Contenido(kPlantaDemo / "c9001_calibrador.clp"));
    std::set<std::string> copias;
    for (const std::string& nombre : NombresEn(carpeta))
        if (nombre.ends_with(".anterior")) copias.insert(nombre);
    EXPECT_EQ(copias, (std::set<std::string>{"c9001.pmc.anterior", "c9001_calibrador.clp.anterior"}));
}

// ---- "Simular Modelo Teórico" ----

struct TSalidas {
    QString teorico, empirico, peso, mastil, libre;
    bool operator==(const TSalidas&) const = default;
    friend void PrintTo(const TSalidas& s, std::ostream* os) {
        *os << (QStringList{s.teorico, s.empirico, s.peso, s.mastil, s.libre}.join(QStringLiteral(", "))).toStdString();
    }
};

class Simular : public Entradas {
protected:
    TSalidas Salidas() {
        return {Texto("ePE_MW_ModeloTeorico1"), Texto("ePE_MW_Representantes1"), Texto("eME_Peso1"),
                Texto("eVAnemoResultante1"), Texto("VientoLibre")};
    }
    QImage Imagen(const char* caja) { return Control<TCajaPintura>(caja)->Imagen(); }
};

TEST_F(Simular, LaPotenciaTeoricaYLaEmpiricaSonLasDelModeloLeido) {
    CargarModeloDemo();
    Clic("btCalcular1");
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();

    // The same computation on a model read apart, with the default reading:
    // 9.9 m/s at the base density, 270°.
    auto modelo = TParque_ModeloCombinado::Create_LeerDeArchivo(RutaModeloDemo());
    TParque_ModeloTeorico& parque = *modelo->Parque;
    const double p = 0.5 * 1.225 * 9.9 * 9.9 * 9.9 / 1e6;
    EXPECT_NEAR(PotenciaDelViento(9.9, DensidadBase), p, 1e-18);
    parque.FijarDireccion(270);
    double libre = 0;
    const double teorica = parque.PotenciaDesdeEstacion(DensidadBase, p, parque.potencia_autorizada_mw, libre);
    double peso = 0;
    const double empirica = modelo->ModeloEmpirico->PE_PorTramos(270, p, peso);
    auto texto = [](double x) { return QString::fromStdString(FormatoGeneral(x, 15)); };
    EXPECT_GT(teorica, 1);
    EXPECT_EQ(Texto("ePE_MW_ModeloTeorico1"), texto(teorica));
    EXPECT_EQ(Texto("ePE_MW_ModeloTeorico"), texto(teorica));
    EXPECT_EQ(Texto("ePE_MW_Representantes1"), texto(empirica));
    EXPECT_EQ(Texto("eME_Peso1"), texto(peso));
    EXPECT_EQ(Texto("VientoLibre"), texto(VientoDePotencia(libre, DensidadBase)));
    EXPECT_EQ(Texto("eVAnemoResultante1"), texto(VientoDePotencia(parque.ValorEnPunto(0, 0), DensidadBase)));
}

// The boxes hold the met-mast tables to three digits; simulating must not
// cut the calibrated tables to them.
TEST_F(Simular, DosVecesSeguidasDanLoMismoYNoRecortanLasTablas) {
    CargarModeloDemo();
    auto leido = TParque_ModeloCombinado::Create_LeerDeArchivo(RutaModeloDemo());
    Clic("btCalcular1");
    const TSalidas primera = Salidas();
    const QImage imagenPrimera = Imagen("pb_Parque_simple");
    Clic("btCalcular1");
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(Salidas(), primera);
    EXPECT_EQ(Imagen("pb_Parque_simple"), imagenPrimera);
    const TParque_ModeloTeorico& parque = *Modelos().ParqueActual();
    for (int i = 1; i <= leido->Parque->meteo_etha.nf; ++i) {
        ASSERT_EQ(parque.meteo_etha.Fila(i).pv, leido->Parque->meteo_etha.Fila(i).pv) << "fila " << i;
        ASSERT_EQ(parque.mat_vientos.Fila(i).pv, leido->Parque->mat_vientos.Fila(i).pv) << "fila " << i;
    }
}

TEST_F(Simular, DibujaElMapaDeVelocidadesEnLasDosImagenes) {
    CargarModeloDemo();
    Clic("btCalcular1");
    for (const char* caja : {"pb_Parque_simple", "pb_Parque_original"}) {
        const QImage imagen = Imagen(caja);
        int coloreados = 0;
        for (int y = 30; y < imagen.height(); y += 7)
            for (int x = 0; x < imagen.width(); x += 7)
                if (imagen.pixel(x, y) != qRgb(255, 255, 255)) ++coloreados;
        EXPECT_GT(coloreados, 1000) << caja;
        EXPECT_EQ(imagen.pixel(163, 10), qRgb(0, 0, 0)) << caja;  // a tick of the colour bar
    }
    EXPECT_EQ(Imagen("pb_Parque_simple"), Imagen("pb_Parque_original"));
}

TEST_F(Simular, LosValoresTecleadosCambianElParque) {
    CargarModeloDemo();
    Control("eAlfaTerreno1")->setText(QStringLiteral("0.25"));
    Control("eLimiteDePotencia1")->setText(QStringLiteral("2*5"));
    TMatR unos(72, 10);
    unos.Unos();
    Control("eEthaMeteo2")->setText(QString::fromStdString(unos.ACadena()));
    Clic("btCalcular1");
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    const TParque_ModeloTeorico& parque = *Modelos().ParqueActual();
    EXPECT_EQ(parque.alfa_terreno, 0.25);
    EXPECT_EQ(parque.potencia_autorizada_mw, 10);
    EXPECT_EQ(parque.meteo_etha.SumaElementos(), 720);
    EXPECT_LE(Texto("ePE_MW_ModeloTeorico1").toDouble(), 10);
}

// Every box is read before the park changes: a parameter typed before the
// table that does not parse is not written either.
TEST_F(Simular, UnaTablaIlegibleDejaElParqueComoEstaba) {
    CargarModeloDemo();
    const double etha = Modelos().ParqueActual()->meteo_etha.Fila(1).pv[1];
    Control("efpv3pe1")->setText(QStringLiteral("2"));
    Control("eEthaMeteo2")->setText(QStringLiteral("1"));
    Clic("btCalcular1");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_TRUE(errores[0].startsWith(QStringLiteral("Etha E.M.: "))) << errores[0].toStdString();
    EXPECT_EQ(Modelos().ParqueActual()->fpv3pe, 1.8);
    EXPECT_EQ(Modelos().ParqueActual()->meteo_etha.Fila(1).pv[1], etha);
}

// The conversion error, named after the input tab's box the value is typed
// into (the park tab's twin is what the operation reads).
TEST_F(Simular, UnNumeroIlegibleTerminaConElErrorDeConversion) {
    CargarModeloDemo();
    Control("eVAnemoEntrada1")->setText(QStringLiteral("9,9x"));
    Clic("btCalcular1");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_EQ(errores[0], QStringLiteral("Velocidad E.M. [m/s]: Error: no se puede evaluar \"9,9x\" a un número real"));
}

// Each box read by an operation names its label when it holds no number.
TEST_F(Simular, CadaCajaIlegibleSeNombraEnElMensaje) {
    const std::pair<const char*, const char*> cajas[] = {
        {"eDir1", "Dirección E.M. [°]: "},         {"eAlfaTerreno1", "Alfa terreno: "},
        {"eLimiteDePotencia1", "Límite de potencia [MW]: "}, {"eGamma_Atmosfera", "Gamma Atmósfera: "}};
    CargarModeloDemo();
    for (const auto& [caja, nombre] : cajas) {
        errores.clear();
        const QString antes = Texto(caja);
        Control(caja)->setText(QStringLiteral("abc"));
        Clic("btCalcular1");
        ASSERT_EQ(errores.size(), 1) << caja;
        EXPECT_TRUE(errores[0].startsWith(QString::fromUtf8(nombre))) << errores[0].toStdString();
        Control(caja)->setText(antes);
    }
}

// A file that is no model says what its first line holds.
TEST_F(Entradas, UnArchivoQueNoEsModeloDiceLoQueLeyoEnSuPrimeraLinea) {
    const std::string ajeno = Ruta("ajeno.clp");
    std::ofstream(ajeno) << "hola\n1\n2\n";
    Elegir(ajeno);
    Clic("btCargarMC1");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_EQ(errores[0].toStdString(),
              "Se esperaba \"VERSION=\" y un número entero, se leyó \"hola\" (" + ajeno + ", línea 1)");
}

TEST_F(Simular, SinParqueCanceladoNoHaceNada) {
    Clic("btCalcular1");
    ASSERT_EQ(pedidos.size(), 1u);
    EXPECT_EQ(pedidos[0].nombre, QStringLiteral("odCalibrador"));
    EXPECT_TRUE(errores.isEmpty());
    EXPECT_EQ(Texto("ePE_MW_ModeloTeorico1"), QStringLiteral("ePE_MW_ModeloTeorico"));
    EXPECT_EQ(Imagen("pb_Parque_simple").pixel(500, 300), qRgb(255, 255, 255));
    EXPECT_EQ(Modelos().ParqueActual(), nullptr);
}

TEST_F(Simular, SinParqueElArchivoElegidoSeLeeComoCalibrador) {
    Elegir(RutaCalibradorDemo());
    Clic("btCalcular");
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    ASSERT_NE(Modelos().CalibradorActual(), nullptr);
    EXPECT_EQ(Modelos().ModeloCombinadoActual(), nullptr);
    EXPECT_EQ(Modelos().ParqueActual(), Modelos().CalibradorActual()->Parque.get());
    EXPECT_NE(Texto("ePE_MW_ModeloTeorico1"), QStringLiteral("ePE_MW_ModeloTeorico"));
    // With a park current, a second run asks nothing.
    Clic("btCalcular1");
    EXPECT_EQ(pedidos.size(), 1u);
}

// A park of the window's own (a database download) has no empirical model:
// its empirical power is 0 with no samples behind it.
TEST_F(Simular, UnParqueSinCalibradorDaSoloElModeloTeorico) {
    Modelos().PonerParque(TParque_ModeloTeorico::Create_LeerDeArchivo(Ruta("c9001_parque_mt.pmt")));
    const TParque_ModeloTeorico& parque = *Modelos().ParqueActual();
    // The boxes still hold "1", which is no table.
    Clic("btCalcular1");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_TRUE(errores[0].startsWith(QStringLiteral("Etha E.M.: "))) << errores[0].toStdString();
    errores.clear();
    Control("eEthaMeteo2")->setText(QString::fromStdString(parque.meteo_etha.ACadena()));
    Control("eMdeVientos")->setText(QString::fromStdString(parque.mat_vientos.ACadena()));
    Clic("btCalcular1");
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(pedidos.empty());
    EXPECT_GT(Texto("ePE_MW_ModeloTeorico1").toDouble(), 0);
    EXPECT_LE(Texto("ePE_MW_ModeloTeorico1").toDouble(), 1);  // the power limit box says 1 MW
    EXPECT_EQ(Texto("ePE_MW_Representantes1"), QStringLiteral("0"));
    EXPECT_EQ(Texto("eME_Peso1"), QStringLiteral("-1"));
}

// Replacing and closing: each object freed once (checked under the address
// sanitizer) and nothing left pointing into a freed model.
TEST_F(Simular, CargasSucesivasYCierreLiberanCadaObjetoUnaVez) {
    CargarModeloDemo();
    Clic("btCalcular1");
    CargarModeloDemo();
    Elegir(RutaCalibradorDemo());
    Modelos().DescartarParqueYCalibrador();
    Clic("btCalcular1");
    ASSERT_NE(Modelos().CalibradorActual(), nullptr);
    EXPECT_EQ(Modelos().ModeloCombinadoActual(), nullptr);
    CargarModeloDemo();
    Clic("btCalcular");
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    ventana->show();
    EXPECT_TRUE(ventana->close());
    EXPECT_EQ(Modelos().CalibradorActual(), nullptr);
    EXPECT_EQ(Modelos().ParqueActual(), nullptr);
}

// ---- The park boxes, checked where they are typed ----

// What the park boxes are written into, at full precision.
struct TValoresDelParque {
    double alfa = 0, gamma = 0, fpv3pe = 0, perdidas = 0, limite = 0;
    std::vector<double> etha, vientos;  // rows, columns, then the elements row by row

    explicit TValoresDelParque(const TParque_ModeloTeorico& p)
        : alfa(p.alfa_terreno), gamma(p.gamma_atmosfera), fpv3pe(p.fpv3pe), perdidas(p.factor_perdidas),
          limite(p.potencia_autorizada_mw), etha(Elementos(p.meteo_etha)), vientos(Elementos(p.mat_vientos)) {}
    bool operator==(const TValoresDelParque&) const = default;
    friend void PrintTo(const TValoresDelParque& v, std::ostream* os) {
        *os << "alfa " << v.alfa << ", gamma " << v.gamma << ", fpv3pe " << v.fpv3pe << ", pérdidas " << v.perdidas
            << ", límite " << v.limite << ", meteo_etha " << v.etha[0] << " x " << v.etha[1] << ", mat_vientos "
            << v.vientos[0] << " x " << v.vientos[1];
    }

    static std::vector<double> Elementos(const TMatR& m) {
        std::vector<double> elementos{double(m.nf), double(m.nc)};
        for (int32_t i = 1; i <= m.nf; ++i) elementos.insert(elementos.end(), m.pm[i]->pv.begin() + 1, m.pm[i]->pv.end());
        return elementos;
    }
};

// A table of ones in its string form, and what follows it.
std::string TablaDeUnos(int filas, int columnas, const std::string& cola = "") {
    std::string texto = "[" + std::to_string(filas) + "|" + std::to_string(columnas) + "]";
    for (int k = 0; k < filas * columnas; ++k) texto += "[1]";
    return texto + cola;
}

struct TCasoCajaRechazada {
    const char* nombre;
    const char* caja;  // where it is typed
    std::string texto;
    std::string mensaje;
    friend void PrintTo(const TCasoCajaRechazada& caso, std::ostream* os) { *os << caso.nombre; }
};

// The buttons that read the park boxes, and what each does once they are
// right.
enum class TEfecto { GuardaElCalibrador, Simula, GraficaPV };
struct TBotonDelParque {
    const char* boton;
    TEfecto efecto;
    friend void PrintTo(const TBotonDelParque& b, std::ostream* os) { *os << b.boton; }
};

// The demo's calibrated model loaded by "Cargar Modelo Calibrado", and a
// "c:\basura" for the P(V) plot to save into.
class CajaRechazada : public Simular,
                      public ::testing::WithParamInterface<std::tuple<TCasoCajaRechazada, TBotonDelParque>> {
protected:
    void SetUp() override {
        Simular::SetUp();
        fs::create_directories(Basura());
        Elegir(Ruta("c9001_modelo_calibrado.clp"));
        Clic("btCargarMC1");
        ASSERT_TRUE(errores.isEmpty()) << Errores();
        pedidos.clear();
    }
    fs::path Basura() const { return fs::path(unidad_) / "basura"; }
    std::string Errores() const { return errores.join(QLatin1Char('\n')).toStdString(); }
    std::vector<std::string> Mensajes() const {
        std::vector<std::string> mensajes;
        for (const QString& e : errores) mensajes.push_back(e.toStdString());
        return mensajes;
    }
    std::vector<QImage> Imagenes() {
        return {Imagen("pb_Parque_simple"), Imagen("pb_Parque_original"), Imagen("PaintBox1")};
    }
};

// A box that the park cannot take stops the button with the box's name,
// before a dialog, a file or a change of the park; typed back, the same
// button does its work.
TEST_P(CajaRechazada, SeNombraNoCambiaNadaYTecleadaDeVueltaFunciona) {
    const auto& [caso, boton] = GetParam();
    const std::string guardado = (fs::path(unidad_) / "guardado.clp").string();
    const QString original = Texto(caso.caja);
    const TValoresDelParque antes(*Modelos().ParqueActual());
    const TSalidas salidas = Salidas();
    const std::vector<QImage> imagenes = Imagenes();
    const std::set<std::string> archivos = NombresEn(carpeta);

    Control(caso.caja)->setText(QString::fromStdString(caso.texto));
    Elegir(guardado);
    Clic(boton.boton);
    EXPECT_EQ(Mensajes(), std::vector<std::string>{caso.mensaje});
    EXPECT_TRUE(pedidos.empty()) << pedidos[0].nombre.toStdString();
    EXPECT_EQ(TValoresDelParque(*Modelos().ParqueActual()), antes);
    EXPECT_FALSE(fs::exists(guardado));
    EXPECT_EQ(NombresEn(carpeta), archivos);
    EXPECT_TRUE(fs::is_empty(Basura()));
    EXPECT_EQ(Salidas(), salidas);
    EXPECT_TRUE(Imagenes() == imagenes);

    errores.clear();
    respuestas.clear();
    Control(caso.caja)->setText(original);
    Elegir(guardado);
    Clic(boton.boton);
    ASSERT_TRUE(errores.isEmpty()) << Errores();
    switch (boton.efecto) {
    case TEfecto::GuardaElCalibrador: {
        const auto leido = TCalibradorParque::Create_LeerDeArchivo(guardado);
        EXPECT_EQ(TValoresDelParque(*leido->Parque), antes);
        break;
    }
    case TEfecto::Simula: EXPECT_NE(Salidas(), salidas); break;
    case TEfecto::GraficaPV: EXPECT_FALSE(fs::is_empty(Basura())); break;
    }
}

const std::string kDe72x10 = "; se necesita una de 72 x 10, la forma de ";

INSTANTIATE_TEST_SUITE_P(
    Tabla, CajaRechazada,
    ::testing::Combine(
        ::testing::Values(
            TCasoCajaRechazada{"EthaDe36Filas", "eEthaMeteo2", TablaDeUnos(36, 10),
                               "Etha E.M.: se leyó una tabla de 36 x 10, con menos filas que los sectores del "
                               "parque (72)" + kDe72x10 + "MdeVientos"},
            TCasoCajaRechazada{"EthaDe9Columnas", "eEthaMeteo2", TablaDeUnos(72, 9),
                               "Etha E.M.: se leyó una tabla de 72 x 9" + kDe72x10 + "MdeVientos"},
            TCasoCajaRechazada{"EthaSinColumnas", "eEthaMeteo2", TablaDeUnos(72, 0),
                               "Etha E.M.: se leyó una tabla de 72 x 0, sin ninguna columna" + kDe72x10 +
                                   "MdeVientos"},
            TCasoCajaRechazada{"VientosDe36Filas", "eMdeVientos", TablaDeUnos(36, 10),
                               "MdeVientos: se leyó una tabla de 36 x 10, con menos filas que los sectores del "
                               "parque (72)" + kDe72x10 + "Etha E.M."},
            TCasoCajaRechazada{"EthaConTextoDeMas", "eEthaMeteo2", TablaDeUnos(72, 10, "[7][basura"),
                               "Etha E.M.: Sobra texto después del último elemento de la matriz [72|10]: "
                               "\"[7][basura\""},
            TCasoCajaRechazada{"AlfaQueDesborda", "eAlfaTerreno1", "1E400",
                               "Alfa terreno: Error de punto flotante en el número 1E400"},
            TCasoCajaRechazada{"LimiteCero", "eLimiteDePotencia1", "0",
                               "Límite de potencia [MW]: se leyó 0; se necesita un límite mayor que 0 MW"},
            TCasoCajaRechazada{"LimiteNegativo", "eLimiteDePotencia1", "-1",
                               "Límite de potencia [MW]: se leyó -1; se necesita un límite mayor que 0 MW"}),
        ::testing::Values(TBotonDelParque{"btGuardarCalibrador", TEfecto::GuardaElCalibrador},
                          TBotonDelParque{"btCalcular1", TEfecto::Simula},
                          TBotonDelParque{"btCalcular", TEfecto::Simula},
                          TBotonDelParque{"btPlot_PV_MEMTMC", TEfecto::GraficaPV})),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).nombre) + "_" + std::get<1>(info.param).boton;
    });

// ---- "Calcular con todos los datos" ----

class Corridas : public Entradas {
protected:
    void Fechas(QDate desde, QDate hasta) {
        Control<QDateEdit>("FechaDesde1")->setDate(desde);
        Control<QDateEdit>("FechaHasta1")->setDate(hasta);
    }
    std::vector<std::string> Lineas(const std::string& archivo) {
        std::vector<std::string> lineas;
        std::istringstream texto(Contenido(archivo));
        for (std::string l; std::getline(texto, l);) lineas.push_back(l);
        return lineas;
    }
};

TEST_F(Corridas, TodosLosDatosEscribeSuTablaEnLaCarpetaDeLaCentral) {
    CargarModeloDemo();
    Fechas(QDate(2018, 1, 1), QDate(2018, 1, 3));
    Elegir(Ruta("c9001_series10min.sas"));
    Clic("btProcesarSeriesConMC1");
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(pedidos.size(), 2u);
    EXPECT_EQ(pedidos[1].nombre, QStringLiteral("odProcesarSeries"));
    EXPECT_EQ(pedidos[1].filtro, QStringLiteral("*.sas"));
    EXPECT_EQ(pedidos[1].carpetaInicial, QString::fromStdString(carpeta));
    // From 1 January 00:00 to 3 January 00:00, both included: 289 samples.
    const std::string tabla = Ruta("c9001_ResultadosMC_2018010120180103_3m.xlt");
    ASSERT_TRUE(fs::exists(tabla));
    const std::vector<std::string> lineas = Lineas(tabla);
    ASSERT_GT(lineas.size(), 290u);
    EXPECT_EQ(lineas[0].substr(0, 3), "dt\t");
    int filas = 0;
    for (std::size_t i = 1; i < lineas.size() && !lineas[i].empty(); ++i) ++filas;
    EXPECT_EQ(filas, 289);
}

// Park values typed and applied by "Simular Modelo Teórico" change the
// combined model in memory, which this run uses.
TEST_F(Corridas, TodosLosDatosUsaLosValoresAplicadosAlModelo) {
    CargarModeloDemo();
    Control("eLimiteDePotencia1")->setText(QStringLiteral("5"));
    Clic("btCalcular1");
    Fechas(QDate(2018, 1, 5), QDate(2018, 1, 6));
    Elegir(Ruta("c9001_series10min.sas"));
    Clic("btProcesarSeriesConMC1");
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    const std::vector<std::string> lineas = Lineas(Ruta("c9001_ResultadosMC_2018010520180106_3m.xlt"));
    double maximo = 0;
    for (std::size_t i = 1; i < lineas.size() && !lineas[i].empty(); ++i) {
        std::vector<std::string> celdas;
        std::istringstream fila(lineas[i]);
        for (std::string c; std::getline(fila, c, '\t');) celdas.push_back(c);
        ASSERT_EQ(celdas.size(), 7u) << lineas[i];
        double modelo = 0;
        ASSERT_TRUE(TextoDefectoAReal(celdas[5], modelo)) << celdas[5];
        maximo = std::max(maximo, modelo);
    }
    EXPECT_GT(maximo, 4);
    EXPECT_LE(maximo, 5);
}

TEST_F(Corridas, DesdeIgualAHastaEsUnPeriodoDeLas0Horas) {
    CargarModeloDemo();
    Fechas(QDate(2018, 1, 2), QDate(2018, 1, 2));
    Elegir(Ruta("c9001_series10min.sas"));
    Clic("btProcesarSeriesConMC");
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(fs::exists(Ruta("c9001_ResultadosMC_2018010220180102_3m.xlt")));
}

TEST_F(Corridas, CanceladoNoEscribeNada) {
    CargarModeloDemo();
    Fechas(QDate(2018, 1, 1), QDate(2018, 1, 3));
    const std::set<std::string> antes = NombresEn(carpeta);
    Clic("btProcesarSeriesConMC1");
    EXPECT_EQ(pedidos.size(), 2u);
    EXPECT_TRUE(errores.isEmpty());
    EXPECT_EQ(NombresEn(carpeta), antes);
}

class AnilloInvalido : public Corridas, public ::testing::WithParamInterface<const char*> {};

// A ring length below 1, or not a whole number, is refused before any dialog.
TEST_P(AnilloInvalido, SeRechazaAntesDeAbrirElDialogo) {
    CargarModeloDemo();
    pedidos.clear();
    Control("eHoras_Buffer")->setText(QString::fromLatin1(GetParam()));
    Elegir(Ruta("c9001_series10min.sas"));
    Clic("btProcesarSeriesConMC1");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_TRUE(pedidos.empty());
}

INSTANTIATE_TEST_SUITE_P(Textos, AnilloInvalido,
                         ::testing::Values("0", "-3", "2.5", "", "tres", "52705", "2000000000", "99999999999"));

// A ring longer than a leap year of ten-minute samples only eats memory: both
// runs refuse it before they read the model file or open a dialog, giving the
// range; a year's ring itself runs.
TEST_F(Corridas, UnAnilloDeMasDeUnAnioSeRechazaDandoElRango) {
    CargarModeloDemo();
    pedidos.clear();
    Control("eHoras_Buffer")->setText(QStringLiteral("2000000000"));
    fs::remove(RutaModeloDemo());  // "Calcular solo las R.O." would read it first
    for (const char* boton : {"btProcesarRestricciones1", "btProcesarSeriesConMC1"}) {
        errores.clear();
        Clic(boton);
        ASSERT_EQ(errores.size(), 1) << boton;
        EXPECT_EQ(errores[0],
                  QStringLiteral("Muestras Buffer debe ser un número entero entre 1 y 52704, no \"2000000000\""));
    }
    EXPECT_TRUE(pedidos.empty());

    Control("eHoras_Buffer")->setText(QStringLiteral("52704"));
    Fechas(QDate(2018, 1, 2), QDate(2018, 1, 2));
    Elegir(Ruta("c9001_series10min.sas"));
    errores.clear();
    Clic("btProcesarSeriesConMC1");
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(fs::exists(Ruta("c9001_ResultadosMC_2018010220180102_52704m.xlt")));
}

// Desde after Hasta is refused by every button that takes the pickers,
// before any dialog, with the dates as the pickers show them.
TEST_F(Corridas, DesdeDespuesDeHastaSeRechazaAntesDeAbrirElDialogo) {
    CargarModeloDemo();
    pedidos.clear();
    Fechas(QDate(2018, 3, 1), QDate(2018, 2, 1));
    const std::set<std::string> antes = NombresEn(carpeta);
    for (const char* boton :
         {"btProcesarRestricciones1", "btProcesarSeriesConMC1", "btProcesarRestricciones", "btProcesarSeriesConMC"}) {
        errores.clear();
        Elegir(Ruta("c9001_series10min.sas"));
        Clic(boton);
        respuestas.clear();
        ASSERT_EQ(errores.size(), 1) << boton;
        EXPECT_EQ(errores[0], QStringLiteral("La fecha Desde (01/03/2018) es posterior a la fecha Hasta (01/02/2018)."))
            << boton;
    }
    EXPECT_TRUE(pedidos.empty());
    EXPECT_EQ(NombresEn(carpeta), antes);
}

TEST_F(Corridas, SinModeloCombinadoLoDiceSinAbrirDialogo) {
    Clic("btProcesarSeriesConMC1");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_TRUE(errores[0].contains(QStringLiteral("Cargar Modelo Calibrado"))) << errores[0].toStdString();
    EXPECT_TRUE(pedidos.empty());
    // A calibrator alone is no combined model either.
    Modelos().PonerCalibrador(TCalibradorParque::Create_LeerDeArchivo(RutaCalibradorDemo()));
    Clic("btProcesarSeriesConMC1");
    EXPECT_EQ(errores.size(), 2);
    EXPECT_TRUE(pedidos.empty());
}

// The table goes into the folder of the plant whose model is run, even when
// the current calibrator belongs to another plant.
TEST_F(Corridas, LaTablaVaALaCarpetaDelModeloQueSeCorre) {
    CargarModeloDemo();
    std::string otro = Contenido(RutaCalibradorDemo());
    otro.replace(otro.find("\n9001\n"), 6, "\n9002\n");
    const std::string carpetaOtra = CarpetaCentral(9002);
    std::ofstream(fs::path(carpetaOtra) / "c9002_calibrador.clp", std::ios::binary) << otro;
    Modelos().PonerCalibrador(TCalibradorParque::Create_LeerDeArchivo(carpetaOtra + "/c9002_calibrador.clp"));
    ASSERT_EQ(Modelos().CalibradorActual()->Parque->nid, 9002);
    Fechas(QDate(2018, 1, 2), QDate(2018, 1, 2));
    Elegir(Ruta("c9001_series10min.sas"));
    Clic("btProcesarSeriesConMC1");
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(pedidos.back().carpetaInicial, QString::fromStdString(carpeta));
    EXPECT_TRUE(fs::exists(Ruta("c9001_ResultadosMC_2018010220180102_3m.xlt")));
    EXPECT_EQ(NombresEn(carpetaOtra), std::set<std::string>{"c9002_calibrador.clp"});
}

// ---- "Calcular solo las R.O." ----

// Over 4 and 5 January (the end day included whole) the demo series holds
// restriction windows; the plant has no metering number, so nothing is
// requested and the day table is not clipped.
TEST_F(Corridas, SoloLasRestriccionesEscribeSusTresTablas) {
    CargarModeloDemo();
    Fechas(QDate(2018, 1, 4), QDate(2018, 1, 5));
    Elegir(Ruta("c9001_series10min.sas"));
    Clic("btProcesarRestricciones1");
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(pedidos.size(), 2u);
    EXPECT_EQ(pedidos[1].nombre, QStringLiteral("odProcesarSeries"));
    EXPECT_EQ(pedidos[1].carpetaInicial, QString::fromStdString(carpeta));
    const std::vector<std::string> horaria = Lineas(Ruta("c9001_Restricciones_horarias_3m.xlt"));
    ASSERT_GE(horaria.size(), 3u);
    EXPECT_EQ(horaria[0].substr(0, 6), "Fecha\t");
    EXPECT_EQ(horaria.back().substr(0, 15), "E[MWh] totales\t");
    // On 5 January the set-point held the plant back in a strong wind.
    const std::string resto = horaria.back().substr(15);
    double total = 0;
    ASSERT_TRUE(TextoDefectoAReal(resto.substr(0, resto.find('\t')), total)) << resto;
    EXPECT_GT(total, 1);
    // The day table: 4 January to 6 January 00:00, three days.
    const std::vector<std::string> dias = Lineas(Ruta("c9001_RO_DTE_3m.xlt"));
    ASSERT_EQ(dias.size(), 4u);
    EXPECT_EQ(dias[1].substr(0, 11), "04-01-2018\t");
    EXPECT_EQ(dias[2].substr(0, 11), "05-01-2018\t");
    const int kolm = Modelos().ModeloCombinadoActual()->Parque->nid_central_KOLM;
    EXPECT_LE(kolm, 0);
    const std::string nombre = "RO_DTE_" + std::to_string(kolm) + "_3.txt";
    const std::vector<std::string> diezMinutos = Lineas(Ruta(nombre.c_str()));
    ASSERT_EQ(diezMinutos.size(), 1u + 3 * 144);
    EXPECT_EQ(diezMinutos[1].substr(0, 17), "04-01-2018 00:00\t");
    EXPECT_EQ(diezMinutos[288].substr(0, 17), "05-01-2018 23:50\t");
}

TEST_F(Corridas, SoloLasRestriccionesCanceladoNoEscribeNada) {
    CargarModeloDemo();
    Fechas(QDate(2018, 1, 1), QDate(2018, 1, 2));
    const std::set<std::string> antes = NombresEn(carpeta);
    Clic("btProcesarRestricciones");
    EXPECT_EQ(pedidos.size(), 2u);
    EXPECT_TRUE(errores.isEmpty());
    EXPECT_EQ(NombresEn(carpeta), antes);
}

TEST_F(Corridas, SoloLasRestriccionesSinArchivoDeModeloLoDiceSinAbrirDialogo) {
    Modelos().PonerModeloCombinadoYCalibrador(TParque_ModeloCombinado::Create_LeerDeArchivo(RutaModeloDemo()));
    Clic("btProcesarRestricciones1");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_TRUE(errores[0].contains(QStringLiteral("Cargar Modelo Calibrado"))) << errores[0].toStdString();
    EXPECT_TRUE(pedidos.empty());
}

TEST_F(Corridas, SoloLasRestriccionesConElArchivoBorradoDaSuErrorSinAbrirDialogo) {
    CargarModeloDemo();
    fs::remove(RutaModeloDemo());
    Clic("btProcesarRestricciones1");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_EQ(pedidos.size(), 1u);
}

TEST_F(Corridas, SoloLasRestriccionesRechazaUnAnilloMenorQueUnoAntesDelDialogo) {
    CargarModeloDemo();
    Control("eHoras_Buffer")->setText(QStringLiteral("0"));
    Elegir(Ruta("c9001_series10min.sas"));
    Clic("btProcesarRestricciones1");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_EQ(pedidos.size(), 1u);
}

// The run reads the model file again: its tables go into that model's
// plant folder whatever calibrator is current.
TEST_F(Corridas, SoloLasRestriccionesVanALaCarpetaDelModeloDelArchivo) {
    CargarModeloDemo();
    std::string otro = Contenido(RutaCalibradorDemo());
    otro.replace(otro.find("\n9001\n"), 6, "\n9002\n");
    const std::string carpetaOtra = CarpetaCentral(9002);
    std::ofstream(fs::path(carpetaOtra) / "c9002_calibrador.clp", std::ios::binary) << otro;
    Modelos().PonerCalibrador(TCalibradorParque::Create_LeerDeArchivo(carpetaOtra + "/c9002_calibrador.clp"));
    Fechas(QDate(2018, 1, 2), QDate(2018, 1, 2));
    Elegir(Ruta("c9001_series10min.sas"));
    Clic("btProcesarRestricciones1");
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(fs::exists(Ruta("c9001_Restricciones_horarias_3m.xlt")));
    EXPECT_EQ(NombresEn(carpetaOtra), std::set<std::string>{"c9002_calibrador.clp"});
}

}  // namespace
