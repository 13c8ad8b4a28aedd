// The hidden tabs' operations that work on files: the calibrator and
// combined-model builds of the synthetic plant, loading, saving and
// calibrating calibrators, the P(V) plot and the folder listing.
#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>

#include "app/uQuendal.h"
#include "controles.h"
#include "app/ventanaparque.h"
#include "data/ucarpetasmodelos.h"
#include "models/ucalibrador.h"
#include "models/uparques_modelocombinado.h"
#include "models/uplantasintetica.h"
#include "tests/models/test_calibrador_apoyo.h"

namespace {

namespace fs = std::filesystem;
using apoyo_calibrador::ConUnidadDePrueba;
using apoyo_calibrador::EscribirCalibradorDeMano;
using apoyo_calibrador::LeerArchivo;

// A window on a drive C: of its own. Its boxes record what they show; the
// file dialogs answer `respuestaDialogo` and record their names.
class PestaniasOcultas : public ConUnidadDePrueba {
protected:
    void SetUp() override {
        ConUnidadDePrueba::SetUp();
        ventana = std::make_unique<TFormQuendal>();
        ventana->FijarCuadroDeError([this](const QString& mensaje) {
            errores << mensaje;
            return TRespuestaError::Continuar;
        });
        ventana->FijarCuadroDeMensaje([this](const QString&, const QString& mensaje, bool) {
            avisos << mensaje;
            return false;
        });
        ventana->FijarDialogoDeArchivo([this](const TPeticionDialogo& peticion) {
            dialogos << peticion.nombre;
            return respuestaDialogo;
        });
    }
    void TearDown() override {
        ventana.reset();
        ConUnidadDePrueba::TearDown();
    }

    template <class T = QLineEdit>
    T* Control(const char* nombre) {
        return ControlDe<T>(*ventana, nombre);
    }
    void Escribir(const char* caja, const std::string& texto) {
        Control(caja)->setText(QString::fromStdString(texto));
    }
    // Clicks the button and returns what the operation wrote to the console.
    std::string Pulsar(const char* boton) {
        ::testing::internal::CaptureStdout();
        QTest::mouseClick(Control<QPushButton>(boton), Qt::LeftButton);
        return ::testing::internal::GetCapturedStdout();
    }
    std::string Errores() const { return errores.join(QLatin1Char('\n')).toStdString(); }

    // "Cargar y Guardar MC" on a file.
    void CargarModeloCombinado(const std::string& archivo) {
        respuestaDialogo = QString::fromStdString(archivo);
        Pulsar("btCargarYGuardarMC");
        respuestaDialogo.clear();
    }

    // The folder that drive path "c:\basura" maps to.
    fs::path Basura() const { return fs::path(unidad_) / "basura"; }

    static bool TieneColor(const QImage& imagen) {
        for (int y = 0; y < imagen.height(); y += 3)
            for (int x = 0; x < imagen.width(); x += 3) {
                const QRgb c = imagen.pixel(x, y);
                if (qRed(c) != qGreen(c) || qGreen(c) != qBlue(c)) return true;
            }
        return false;
    }
    static bool EnBlanco(const QImage& imagen) {
        for (int y = 0; y < imagen.height(); ++y)
            for (int x = 0; x < imagen.width(); ++x)
                if ((imagen.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) return false;
        return true;
    }
    QString Celda(const char* rejilla, int columna, int fila) {
        const QTableWidgetItem* item = Control<QTableWidget>(rejilla)->item(fila, columna);
        return item ? item->text() : QString();
    }

    std::unique_ptr<TFormQuendal> ventana;
    QStringList errores, avisos, dialogos;
    QString respuestaDialogo;
};

TEST_F(PestaniasOcultas, BotonesConSusTitulos) {
    const std::pair<const char*, const char*> botones[] = {
        {"btBajarParque", "Bajar MT de la Base de Datos"},
        {"btLoadFromArchi_ModeloMTySeries", "Crear archivo .clp con MT y archivo .sas"},
        {"btCalcularMC", "Calcular MC"},
        {"btCargarCalibrador", "Cargar Cal."},
        {"btGuardarCalibrador", "Guardar Cal."},
        {"CalibrarSimpleEthaMeteo", "Calibrar Etha de la E.M."},
        {"btCambiar_ro", "Cambiar ro"},
        {"Calcularviento", "Calcular viento "},
        {"btUpdateMTinDB", "Actualizar MT en la Base de Datos"},
        {"BorrarSupercentral", "Borrar supercentral"},
        {"btPlot_PV_MEMTMC", "Graficar P(V) MEMTMC"},
        {"btElegirCarpetaCentral", "Elegir carpeta central"},
        {"btProcesarRestricciones_solar", "Calibrar y calcular solo RO"},
        {"btProcesarSeries_solar", "Calibrar y calcular todos los datos"}};
    for (const auto& [nombre, titulo] : botones)
        EXPECT_EQ(Control<QPushButton>(nombre)->text(), QString::fromUtf8(titulo)) << nombre;
}

// ---- Combined model and calibrator files ----

TEST_F(PestaniasOcultas, CalcularMCEscribeElModeloCombinadoSinMostrarlo) {
    EscribirCalibradorDeMano(12);
    Escribir("eNidCentral", "12");
    Pulsar("btCalcularMC");
    ASSERT_TRUE(errores.isEmpty()) << Errores();
    ASSERT_NE(ventana->Modelos().ModeloCombinadoActual(), nullptr);
    EXPECT_EQ(ventana->Modelos().CalibradorActual(), nullptr);
    EXPECT_EQ(ventana->windowTitle(), QStringLiteral("FormQuendal"));
    auto leido = TParque_ModeloCombinado::Create_LeerDeArchivo(RutaModeloCombinado(12));
    EXPECT_EQ(leido->MatrizFactores.nf, 72);
}

TEST_F(PestaniasOcultas, CalcularMCSinCalibradorDejaElModeloActual) {
    EscribirCalibradorDeMano(12);
    Escribir("eNidCentral", "12");
    Pulsar("btCalcularMC");
    const TParque_ModeloCombinado* actual = ventana->Modelos().ModeloCombinadoActual();
    Escribir("eNidCentral", "13");
    Pulsar("btCalcularMC");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_EQ(ventana->Modelos().ModeloCombinadoActual(), actual);
    EXPECT_FALSE(fs::exists(RutaModeloCombinado(13)));
}

TEST_F(PestaniasOcultas, CargarCalLoMuestraYGuardarCalEscribeLoDeLasCajas) {
    const std::string archivo = EscribirCalibradorDeMano(12);
    respuestaDialogo = QString::fromStdString(archivo);
    Pulsar("btCargarCalibrador");
    ASSERT_TRUE(errores.isEmpty()) << Errores();
    ASSERT_NE(ventana->Modelos().CalibradorActual(), nullptr);
    EXPECT_EQ(ventana->Modelos().ParqueActual(), ventana->Modelos().CalibradorActual()->Parque.get());
    EXPECT_TRUE(ventana->windowTitle().startsWith(QStringLiteral("Calibrador cargado, Parque: ")));

    Escribir("eAlfaTerreno", "0.125");
    const std::string copia = (fs::path(unidad_) / "copia.clp").string();
    respuestaDialogo = QString::fromStdString(copia);
    Pulsar("btGuardarCalibrador");
    ASSERT_TRUE(errores.isEmpty()) << Errores();
    EXPECT_EQ(dialogos, (QStringList{QStringLiteral("odCalibrador"), QStringLiteral("sdCalibrador")}));
    EXPECT_EQ(TCalibradorParque::Create_LeerDeArchivo(copia)->Parque->alfa_terreno, 0.125);
}

TEST_F(PestaniasOcultas, GuardarCalSinCalibradorNoAbreElDialogo) {
    Pulsar("btGuardarCalibrador");
    EXPECT_TRUE(dialogos.isEmpty());
    EXPECT_TRUE(errores.isEmpty());
}

TEST_F(PestaniasOcultas, CalibrarEthaSinCalibradorLoDiceEnLaConsola) {
    Escribir("eNidCentral", "12");
    Pulsar("btCalcularMC");  // no calibrator file: fails, with the number taken
    errores.clear();
    const std::string consola = Pulsar("CalibrarSimpleEthaMeteo");
    EXPECT_EQ(consola, "No existe el Calibrador de la Central 12.\n");
}

TEST_F(PestaniasOcultas, CalibrarEthaReescribeElCalibradorDeLaCentralDelParque) {
    const std::string original = EscribirCalibradorDeMano(12);
    const std::string otro = (fs::path(unidad_) / "otro.clp").string();
    fs::copy_file(original, otro);
    fs::remove(original);
    respuestaDialogo = QString::fromStdString(otro);
    Pulsar("btCargarCalibrador");
    const std::string consola = Pulsar("CalibrarSimpleEthaMeteo");
    ASSERT_TRUE(errores.isEmpty()) << Errores();
    EXPECT_NE(consola.find("Calibración de EthaMeteo de la Central 12 en proceso ...\n\n"), std::string::npos);
    EXPECT_NE(consola.find("Calibración de EthaMeteo de la Central 12 terminada con exito.\n\n"), std::string::npos);
    EXPECT_TRUE(fs::exists(original)) << "the plant's calibrator file, whatever file was loaded";
    EXPECT_TRUE(fs::exists(fs::path(CarpetaCentral(12)) / "Metha.txt"));
    EXPECT_EQ(Control("eEthaMeteo")->text().toStdString(),
              ventana->Modelos().CalibradorActual()->Parque->meteo_etha.ACadena());
}

// ---- P(V) plot ----

struct TCasoDireccion {
    const char* direccion;
    const char* archivo;
};

class GraficoPV : public PestaniasOcultas, public ::testing::WithParamInterface<TCasoDireccion> {};

TEST_P(GraficoPV, ElNombreLlevaLaDireccionEnCentesimasTruncadas) {
    CargarModeloCombinado(EscribirCalibradorDeMano(12));
    fs::create_directories(Basura());
    Escribir("eDir", GetParam().direccion);
    Pulsar("btPlot_PV_MEMTMC");
    ASSERT_TRUE(errores.isEmpty()) << Errores();
    EXPECT_TRUE(fs::exists(Basura() / GetParam().archivo));
    EXPECT_TRUE(TieneColor(Control<TCajaPintura>("PaintBox1")->Imagen()));
}

INSTANTIATE_TEST_SUITE_P(Tabla, GraficoPV,
                         ::testing::Values(TCasoDireccion{"22.5", "curvas_MW_PE_MT_2250.jpg"},
                                           TCasoDireccion{"270", "curvas_MW_PE_MT_27000.jpg"},
                                           TCasoDireccion{"270.009", "curvas_MW_PE_MT_27000.jpg"}));

TEST_F(PestaniasOcultas, GraficoPVSinCarpetaBasuraDibujaYDiceQueFalta) {
    CargarModeloCombinado(EscribirCalibradorDeMano(12));
    Pulsar("btPlot_PV_MEMTMC");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_TRUE(errores[0].startsWith(QStringLiteral("No existe la carpeta c:\\basura"))) << Errores();
    EXPECT_FALSE(fs::exists(Basura()));
    EXPECT_TRUE(TieneColor(Control<TCajaPintura>("PaintBox1")->Imagen())) << "drawn before saving";
}

TEST_F(PestaniasOcultas, GraficoPVSinModeloCombinadoLoDice) {
    respuestaDialogo = QString::fromStdString(EscribirCalibradorDeMano(12));
    Pulsar("btCargarCalibrador");
    fs::create_directories(Basura());
    Pulsar("btPlot_PV_MEMTMC");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_TRUE(errores[0].startsWith(QStringLiteral("No hay un modelo combinado cargado"))) << Errores();
    EXPECT_TRUE(fs::is_empty(Basura()));
    EXPECT_TRUE(EnBlanco(Control<TCajaPintura>("PaintBox1")->Imagen()));
}

// ---- Folder listing ----

TEST_F(PestaniasOcultas, ElListadoDaLasTablasDeLaCarpetaYSusSubcarpetasEnOrden) {
    const fs::path carpeta = fs::path(unidad_) / "c77";
    fs::create_directories(carpeta / "anual");
    for (const char* nombre : {"b.xlt", "a.xlt", "notas.txt", "anual/z.XLT", "anual/c.xlt"})
        std::ofstream(carpeta / nombre) << "x";
    respuestaDialogo = QString::fromStdString(carpeta.string());
    const std::string consola = Pulsar("btElegirCarpetaCentral");
    EXPECT_EQ(dialogos, QStringList{QStringLiteral("sddElegirCarpetaCentral")});
    const std::string c = carpeta.string();
    EXPECT_EQ(consola, c + "/a.xlt\n" + c + "/b.xlt\n" + c + "/anual/c.xlt\n" + c + "/anual/z.XLT\n");
}

// A folder picked in the dialog is the folder listed, backslash and all.
TEST_F(PestaniasOcultas, ElListadoDeUnaCarpetaConBarraInvertidaEsElDeEsaCarpeta) {
    const fs::path invertida = fs::path(unidad_) / "a\\b";
    const fs::path normal = fs::path(unidad_) / "a" / "b";
    fs::create_directories(invertida);
    fs::create_directories(normal);
    std::ofstream(invertida / "invertida.xlt") << "x";
    std::ofstream(normal / "normal.xlt") << "x";
    respuestaDialogo = QString::fromStdString(invertida.string());
    EXPECT_EQ(Pulsar("btElegirCarpetaCentral"), invertida.string() + "/invertida.xlt\n");
    respuestaDialogo = QString::fromStdString(normal.string());
    EXPECT_EQ(Pulsar("btElegirCarpetaCentral"), normal.string() + "/normal.xlt\n");
    EXPECT_TRUE(errores.isEmpty()) << Errores();
}

TEST_F(PestaniasOcultas, ElListadoCanceladoOSinTablasNoEscribeNada) {
    EXPECT_EQ(Pulsar("btElegirCarpetaCentral"), "");
    respuestaDialogo = QString::fromStdString(unidad_);
    EXPECT_EQ(Pulsar("btElegirCarpetaCentral"), "");
    EXPECT_TRUE(errores.isEmpty());
}

// ---- The synthetic plant through the models tab ----

TEST_F(PestaniasOcultas, PlantaSinteticaCalibradorModeloCombinadoYCarga) {
    TOpcionesPlantaSintetica opciones;
    opciones.nid = 9001;
    opciones.dias = 60;
    GenerarPlantaSintetica(opciones);
    Escribir("eNidCentral", "9001");

    Pulsar("btLoadFromArchi_ModeloMTySeries");
    ASSERT_TRUE(errores.isEmpty()) << Errores();
    ASSERT_TRUE(fs::exists(RutaCalibrador(9001)));
    TCalibradorParque* calibrador = ventana->Modelos().CalibradorActual();
    ASSERT_NE(calibrador, nullptr);
    EXPECT_EQ(ventana->Modelos().ParqueActual(), calibrador->Parque.get());
    EXPECT_EQ(ventana->windowTitle().toStdString(), "Calibrador cargado, Parque: " + calibrador->Parque->nombre);
    EXPECT_EQ(Control("eLimiteDePotencia1")->text(), QStringLiteral("24"));
    // The statistics of the data: two charts and the ranges.
    EXPECT_TRUE(TieneColor(Control<TCajaPintura>("PaintBox2")->Imagen()));
    EXPECT_TRUE(TieneColor(Control<TCajaPintura>("PaintBox3")->Imagen()));
    EXPECT_EQ(Celda("StringGrid1", 1, 0), QStringLiteral("Mínimo"));
    EXPECT_EQ(Celda("StringGrid1", 2, 0), QStringLiteral("Máximo"));
    EXPECT_EQ(Celda("StringGrid1", 0, 1), QStringLiteral("Velocidad [m/s]"));
    EXPECT_EQ(Celda("StringGrid1", 0, 7), QStringLiteral("CGM [MW]"));
    const double potenciaMaxima = Celda("StringGrid1", 2, 2).toDouble();
    EXPECT_GT(potenciaMaxima, 0);
    EXPECT_LE(potenciaMaxima, 24 * 1.05);
    // The file read back is the calibrator shown.
    auto leido = TCalibradorParque::Create_LeerDeArchivo(RutaCalibrador(9001));
    EXPECT_EQ(leido->Parque->molinos.size(), calibrador->Parque->molinos.size());
    EXPECT_EQ(leido->ModeloEmpirico->mediosTramos.n, calibrador->ModeloEmpirico->mediosTramos.n);

    Pulsar("btCalcularMC");
    ASSERT_TRUE(errores.isEmpty()) << Errores();
    ASSERT_TRUE(fs::exists(RutaModeloCombinado(9001)));
    EXPECT_EQ(ventana->Modelos().CalibradorActual(), calibrador) << "the combined model is not shown";

    CargarModeloCombinado(RutaModeloCombinado(9001));
    ASSERT_TRUE(errores.isEmpty()) << Errores();
    TParque_ModeloCombinado* combinado = ventana->Modelos().ModeloCombinadoActual();
    ASSERT_NE(combinado, nullptr);
    EXPECT_EQ(static_cast<TCalibradorParque*>(combinado), ventana->Modelos().CalibradorActual());
    auto releido = TParque_ModeloCombinado::Create_LeerDeArchivo(RutaModeloCombinado(9001));
    ASSERT_EQ(releido->MatrizFactores.nf, combinado->MatrizFactores.nf);
    ASSERT_EQ(releido->MatrizFactores.nc, combinado->MatrizFactores.nc);
    for (int32_t i = 1; i <= combinado->MatrizFactores.nf; ++i)
        for (int32_t j = 1; j <= combinado->MatrizFactores.nc; ++j)
            EXPECT_EQ(releido->MatrizFactores.pm[i]->pv[j], combinado->MatrizFactores.pm[i]->pv[j]);
}

TEST_F(PestaniasOcultas, CrearCalibradorSinArchivoDeSeriesDejaTodoComoEstaba) {
    respuestaDialogo = QString::fromStdString(EscribirCalibradorDeMano(12));
    Pulsar("btCargarCalibrador");
    const TCalibradorParque* antes = ventana->Modelos().CalibradorActual();
    const QString titulo = ventana->windowTitle();
    const QString alfa = Control("eAlfaTerreno")->text();
    auto parque = CrearParqueSintetico(14);
    parque->alfa_terreno = 0.3;
    parque->GuardarEnArchivo(RutaParqueMT(14));
    Escribir("eNidCentral", "14");
    Pulsar("btLoadFromArchi_ModeloMTySeries");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_EQ(ventana->Modelos().CalibradorActual(), antes);
    EXPECT_EQ(ventana->Modelos().ParqueActual(), antes->Parque.get());
    EXPECT_EQ(ventana->windowTitle(), titulo);
    EXPECT_EQ(Control("eAlfaTerreno")->text(), alfa);
    EXPECT_FALSE(fs::exists(RutaCalibrador(14)));
}

// Plant 12 with a park file, a two-day series, a calibrator file (the
// hand-made one, loaded and current) and the combined model made from it.
class CalibradorDeLaCentral : public PestaniasOcultas {
protected:
    void SetUp() override {
        PestaniasOcultas::SetUp();
        TOpcionesPlantaSintetica opciones;
        opciones.nid = 12;
        opciones.dias = 2;
        series = GenerarPlantaSintetica(opciones).archivoSeries;
        respuestaDialogo = QString::fromStdString(EscribirCalibradorDeMano(12));
        Pulsar("btCargarCalibrador");
        respuestaDialogo.clear();
        Escribir("eNidCentral", "12");
        Pulsar("btCalcularMC");
        ASSERT_TRUE(errores.isEmpty()) << Errores();
        calibrador = LeerArchivo(RutaCalibrador(12));
        combinado = LeerArchivo(RutaModeloCombinado(12));
        actual = ventana->Modelos().CalibradorActual();
        ASSERT_NE(actual, nullptr);
    }
    // The calibrator and combined-model files as they were, no older
    // generation kept beside them, and the same calibrator current.
    void EsperarTodoComoEstaba(const std::string& caso) {
        EXPECT_EQ(LeerArchivo(RutaCalibrador(12)), calibrador) << caso;
        EXPECT_EQ(LeerArchivo(RutaModeloCombinado(12)), combinado) << caso;
        for (const auto& entrada : fs::directory_iterator(CarpetaCentral(12)))
            EXPECT_NE(entrada.path().extension(), ".anterior") << entrada.path() << " " << caso;
        EXPECT_EQ(ventana->Modelos().CalibradorActual(), actual) << caso;
    }

    // "Crear archivo .clp con MT y archivo .sas" with the fit range typed;
    // returns its console, with the error box emptied first.
    std::string CrearCalibradorConRango(const char* inferior, const char* superior) {
        errores.clear();
        Escribir("PorcentajeAjusteCurvaSinf", inferior);
        Escribir("PorcentajeAjusteCurvaSsup", superior);
        return Pulsar("btLoadFromArchi_ModeloMTySeries");
    }

    std::string series, calibrador, combinado;
    const TCalibradorParque* actual = nullptr;
};

// A series file the wind runs refuse (a solar plant's five series, a header
// of 2 or 8 series, or of no samples) builds no calibrator: the refusal is
// the runs' own and no model file is replaced.
TEST_F(CalibradorDeLaCentral, UnArchivoDeSeriesQueLasCorridasRechazanNoDaCalibrador) {
    const std::string original = LeerArchivo(series);
    for (const auto& caso : apoyo_calibrador::CabecerasRechazadas) {
        errores.clear();
        apoyo_calibrador::EscribirArchivo(series, original);
        apoyo_calibrador::CambiarLineaDelArchivo(series, caso.linea, caso.texto);
        const std::string consola = Pulsar("btLoadFromArchi_ModeloMTySeries");
        ASSERT_EQ(errores.size(), 1) << caso.mensaje;
        EXPECT_EQ(Errores(), "El archivo de series \"" + series + "\" " + caso.mensaje);
        EXPECT_EQ(consola.find("CALIBRADOR CREADO CON EXITO"), std::string::npos) << consola;
        EXPECT_FALSE(fs::exists(CarpetaCentral(12) + "/curvas_s_.xlt")) << caso.mensaje;
        EsperarTodoComoEstaba(caso.mensaje);
    }
}

// A series file that does not read: the error box gives the reader's line
// count and, below it, what failed there, naming the file.
TEST_F(CalibradorDeLaCentral, UnArchivoDeSeriesQueNoSeLeeSeNombraEnElCuadroDeError) {
    const std::string original = LeerArchivo(series);
    fs::remove(series);
    Pulsar("btLoadFromArchi_ModeloMTySeries");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_EQ(Errores(), "Error leyendo línea: 0\nArchivo de series: " + series +
                             "\nNo se puede abrir el archivo: " + series);
    EsperarTodoComoEstaba("sin archivo");

    errores.clear();
    apoyo_calibrador::EscribirArchivo(series, original);
    apoyo_calibrador::CambiarLineaDelArchivo(series, 20, "x");
    Pulsar("btLoadFromArchi_ModeloMTySeries");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_EQ(Errores(), "Error leyendo línea: 20\nArchivo de series: " + series +
                             "\nError: no se puede evaluar \"x\" a un número real");
    EsperarTodoComoEstaba("valor ilegible");
}

// A lower fit percentage not below the upper one is refused by the window,
// naming both boxes, before anything is read or built.
TEST_F(CalibradorDeLaCentral, UnRangoDeAjusteAlRevesSeRechazaAntesDeConstruir) {
    const std::pair<const char*, const char*> rangos[] = {{"100", "1"}, {"5", "5"}, {"2147483647", "100"}};
    for (const auto& [inferior, superior] : rangos) {
        const std::string consola = CrearCalibradorConRango(inferior, superior);
        ASSERT_EQ(errores.size(), 1) << inferior;
        EXPECT_EQ(Errores(), std::string("Rango de ajuste, % inferior (") + inferior +
                                 ") debe ser menor que Rango de ajuste, % superior (" + superior + ")");
        EXPECT_EQ(consola, "");
        EsperarTodoComoEstaba(inferior);
    }
}

// A range that holds no power gives no sector an S-curve: the build fails,
// saying so, and the old calibrator stays.
TEST_F(CalibradorDeLaCentral, UnRangoDeAjusteSinPotenciasFallaYDejaElCalibrador) {
    const std::pair<const char*, const char*> rangos[] = {{"1000", "2000"}, {"2147483646", "2147483647"}};
    for (const auto& [inferior, superior] : rangos) {
        const std::string consola = CrearCalibradorConRango(inferior, superior);
        ASSERT_EQ(errores.size(), 1) << inferior;
        EXPECT_NE(Errores().find("ningún sector obtuvo su curva S"), std::string::npos) << Errores();
        EXPECT_NE(Errores().find(std::string("entre el ") + inferior + " % y el " + superior + " %"),
                  std::string::npos)
            << Errores();
        EXPECT_EQ(consola.find("CALIBRADOR CREADO CON EXITO"), std::string::npos) << consola;
        EXPECT_EQ(consola.find("Muestras filtradas por Distancia"), std::string::npos) << consola;
        EsperarTodoComoEstaba(inferior);
    }
}

}  // namespace
