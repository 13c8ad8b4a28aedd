// The database operations of the park and models tabs, driven through the
// window's buttons against a throw-away PostgreSQL server holding plant 31
// "Parque Sur" (three turbines, 20 MW authorised).
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/uQuendal.h"
#include "data/ucarpetasmodelos.h"
#include "models/ucalibrador.h"
#include "models/uparques_modeloteorico.h"
#include "models/uplantasintetica.h"
#include "numerics/textoreal.h"
#include "numerics/uevaluador.h"
#include "numerics/uproblema.h"
#include "tests/models/test_calibrador_apoyo.h"
#include "tests/models/test_parque_bd_base.h"
#include "tests/models/test_solar_comun.h"
#include "ventana_con_base_de_datos.h"

namespace {

// The window on the test server, with this file's ways to its models.
class VentanaConBaseDeDatos : public VentanaSobreLaBaseDeDatos {
protected:
    // Downloads plant 31's park through the models tab.
    std::string BajarParque() {
        Escribir("eNidCentral", "31");
        return Pulsar("btBajarParque");
    }

    // The calibrator of plant 31's park as downloaded (model 40 must be
    // loaded), with a hand-made empirical block, made current.
    void PonerCalibradorDeLaCentral() {
        auto fila = FilaCentral();
        auto parque = TParque_ModeloTeorico::Create_DesdeBD(con_, *fila);
        const std::string ruta = RutaCalibrador(kCentral);
        {
            TEscritorTexto f = TEscritorTexto::Crear(ruta);
            parque->GuardarEnTexto(f);
            apoyo_calibrador::EscribirBloqueEmpiricoDeMano(f);
            f.Cerrar();
        }
        ::testing::internal::CaptureStdout();
        ventana->Modelos().PonerCalibrador(TCalibradorParque::Create_LeerDeArchivo(ruta));
        ::testing::internal::GetCapturedStdout();
    }
};

TEST_F(VentanaConBaseDeDatos, BajarMTArmaElParqueLoGuardaYLoDiceEnLaConsola) {
    const std::string consola = BajarParque();
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    const std::string archivo = RutaParqueMT(kCentral);
    EXPECT_EQ(consola, "BAJANDO EL MODELO TEORICO DE LA CENTRAL 31 DE LA BASE DE DATOS ...\n\n"
                       "MODELO TEORICO GUARDADO CON EXITO EN: " + archivo + ".\n\n");
    EXPECT_TRUE(std::filesystem::exists(archivo));
    const TParque_ModeloTeorico* parque = ventana->Modelos().ParqueActual();
    ASSERT_NE(parque, nullptr);
    EXPECT_EQ(parque->nid, kCentral);
    EXPECT_EQ(parque->nombre, "Parque Sur");
    EXPECT_EQ(parque->molinos.size(), 3u);
    // A plant without a model gets one with the defaults, and its factor rows.
    EXPECT_EQ(Contar("SELECT count(*) FROM modelo_teorico WHERE central = 31"), 1);
    EXPECT_EQ(Contar("SELECT count(*) FROM modelo_teorico_etha_molinos"), 3);
    auto leido = TParque_ModeloTeorico::Create_LeerDeArchivo(archivo);
    EXPECT_EQ(leido->nid_modelo, parque->nid_modelo);
    EXPECT_EQ(leido->alfa_terreno, 0.5);
}

TEST_F(VentanaConBaseDeDatos, BajarMTDeUnaCentralQueNoExisteNoCreaNada) {
    BajarParque();
    const TParque_ModeloTeorico* antes = ventana->Modelos().ParqueActual();
    Escribir("eNidCentral", "77");
    const std::string consola = Pulsar("btBajarParque");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_EQ(errores[0], QStringLiteral("La central 77 no existe en la tabla centrales."));
    EXPECT_EQ(Contar("SELECT count(*) FROM modelo_teorico WHERE central <> 31"), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(RutaParqueMT(77))));
    EXPECT_EQ(ventana->Modelos().ParqueActual(), antes) << "the current park stays";
}

// A plant without its metering factor gets no model and no park file that
// would carry a factor of 0.
TEST_F(VentanaConBaseDeDatos, BajarMTDeUnaCentralSinFactorNoCreaNiGuardaNada) {
    Ejecutar("UPDATE centrales SET factor_kolm_scada = NULL WHERE nid = 31");
    const std::string consola = BajarParque();
    ASSERT_EQ(errores.size(), 1);
    EXPECT_EQ(errores[0], QString::fromUtf8("La fila de la central 31 (Parque Sur) en la tabla centrales no tiene "
                                            "factor_kolm_scada: no se puede armar su modelo teórico"));
    EXPECT_EQ(consola.find("GUARDADO"), std::string::npos) << consola;
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(RutaParqueMT(kCentral))));
    EXPECT_EQ(Contar("SELECT count(*) FROM modelo_teorico"), 0);
    EXPECT_EQ(ventana->Modelos().ParqueActual(), nullptr);
}

// A plant name that would break its park file's lines: no model, no file.
TEST_F(VentanaConBaseDeDatos, BajarMTDeUnaCentralCuyoNombreTieneUnSaltoDeLineaNoCreaNiGuardaNada) {
    Ejecutar("UPDATE centrales SET centralgeneradora = E'Parque\\nSur' WHERE nid = 31");
    const std::string consola = BajarParque();
    ASSERT_EQ(errores.size(), 1);
    EXPECT_EQ(errores[0], QString::fromUtf8("La central 31: el nombre \"Parque\\nSur\" tiene un salto de línea, y el "
                                            "archivo guarda el nombre en una sola línea: no se puede armar su modelo "
                                            "teórico"));
    EXPECT_EQ(consola.find("GUARDADO"), std::string::npos) << consola;
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(RutaParqueMT(kCentral))));
    EXPECT_EQ(Contar("SELECT count(*) FROM modelo_teorico"), 0);
    EXPECT_EQ(ventana->Modelos().ParqueActual(), nullptr);
}

TEST_F(VentanaConBaseDeDatos, NumeroDeCentralQueNoEsEnteroNoConsultaNada) {
    Escribir("eNidCentral", "31a");
    con_.OlvidarSentencias();
    Pulsar("btBajarParque");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_TRUE(errores[0].contains(QStringLiteral("31a")));
    EXPECT_EQ(ventana->Modelos().ParqueActual(), nullptr);
}

TEST_F(VentanaConBaseDeDatos, ActualizarMTEscribeLosFactoresDelParqueEnMemoria) {
    CargarModeloCompleto();
    PonerCalibradorDeLaCentral();
    ASSERT_NE(ventana->Modelos().CalibradorActual(), nullptr);
    TParque_ModeloTeorico& parque = *ventana->Modelos().CalibradorActual()->Parque;
    for (auto& molino : parque.molinos) molino->etha = 0.875;
    parque.alfa_terreno = 0.61;
    Escribir("eAlfaTerreno", "0.99");  // not read: the park in memory is written
    Pulsar("btUpdateMTinDB");
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(Contar("SELECT count(*) FROM modelo_teorico_etha_molinos WHERE nid_modelo = 40 AND etha = 0.875"), 3);
    EXPECT_EQ(con_.sqlquery_float("SELECT alfa_terreno FROM modelo_teorico WHERE nid = 40", -1), 0.61);
}

TEST_F(VentanaConBaseDeDatos, ActualizarMTSinCalibradorLoDiceYNoEscribe) {
    CargarModeloCompleto();
    con_.OlvidarSentencias();
    Pulsar("btUpdateMTinDB");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_EQ(con_.sqlquery_float("SELECT alfa_terreno FROM modelo_teorico WHERE nid = 40", -1), 0.45);
}

// A calibrator whose model number is, in this database, another plant's
// model (the model tables were rebuilt since it was made): the error box
// says so and no row changes.
TEST_F(VentanaConBaseDeDatos, ActualizarMTConElModeloDeOtraCentralLoRechazaYNoEscribe) {
    CargarModeloCompleto();
    PonerCalibradorDeLaCentral();
    ASSERT_NE(ventana->Modelos().CalibradorActual(), nullptr);
    Ejecutar("UPDATE modelo_teorico SET central = 32 WHERE nid = 40");
    for (auto& molino : ventana->Modelos().CalibradorActual()->Parque->molinos) molino->etha = 0.875;
    Pulsar("btUpdateMTinDB");
    ASSERT_EQ(errores.size(), 1);
    const std::string mensaje = errores[0].toStdString();
    EXPECT_NE(mensaje.find("No se actualizó el modelo teórico 40 de la central 31 (Parque Sur)"), std::string::npos)
        << mensaje;
    EXPECT_NE(mensaje.find("es de un modelo de la central 32"), std::string::npos) << mensaje;
    EXPECT_NE(mensaje.find("No se cambió nada en la base de datos."), std::string::npos) << mensaje;
    EXPECT_TRUE(avisos.isEmpty());
    EXPECT_EQ(Contar("SELECT count(*) FROM modelo_teorico_etha_molinos WHERE etha = 0.875"), 0);
    EXPECT_EQ(con_.sqlquery_float("SELECT alfa_terreno FROM modelo_teorico WHERE nid = 40", -1), 0.45);
}

// Plant 31 with two models (40, the newest, and 41), plant 32 with one (50);
// every model with its factor rows.
class BorrarSupercentral : public VentanaConBaseDeDatos {
protected:
    void SetUp() override {
        VentanaConBaseDeDatos::SetUp();
        if (HasFatalFailure()) return;
        CargarModeloCompleto();
        Ejecutar("INSERT INTO modelo_teorico (nid, central, dt_creacion) VALUES (41, 31, '2019-01-01'), "
                 "(50, 32, '2021-01-01')");
        Ejecutar("INSERT INTO modelo_teorico_etha_molinos VALUES (41, 101, 1), (41, 102, 1), (50, 201, 1)");
        Escribir("NIDsupercentralBorrar", "31");
    }
    int FilasDe(int central) {
        return Contar("SELECT count(*) FROM modelo_teorico WHERE central = " + std::to_string(central));
    }
    int FactoresDe(int modelo) {
        return Contar("SELECT count(*) FROM modelo_teorico_etha_molinos WHERE nid_modelo = " +
                      std::to_string(modelo));
    }
};

TEST_F(BorrarSupercentral, PreguntaYConNoNoBorraNadaNiSueltaLosModelos) {
    BajarParque();
    const TParque_ModeloTeorico* parque = ventana->Modelos().ParqueActual();
    ASSERT_NE(parque, nullptr);
    respuestaSi = false;
    Pulsar("BorrarSupercentral");
    ASSERT_EQ(preguntas.size(), 1);
    EXPECT_EQ(preguntas[0], QStringLiteral("¿Está seguro que desea borrar la supercentral: 31 ?"));
    EXPECT_EQ(titulosDePregunta[0], QStringLiteral("ATENCIÓN!"));
    EXPECT_TRUE(avisos.isEmpty());
    EXPECT_EQ(FilasDe(31), 2);
    EXPECT_EQ(FactoresDe(40) + FactoresDe(41), 5);
    for (const std::string& s : con_.SentenciasEnviadas()) EXPECT_EQ(s.find("DELETE"), std::string::npos) << s;
    EXPECT_EQ(ventana->Modelos().ParqueActual(), parque);
}

TEST_F(BorrarSupercentral, ConSiBorraTodosLosModelosDeEsaCentralConSusFactoresYNadaMas) {
    BajarParque();
    respuestaSi = true;
    Pulsar("BorrarSupercentral");
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(avisos.size(), 1);
    EXPECT_EQ(avisos[0], QStringLiteral("La supercentral 31 ha sido borrada"));
    EXPECT_EQ(FilasDe(31), 0);
    EXPECT_EQ(FactoresDe(40), 0);
    EXPECT_EQ(FactoresDe(41), 0) << "the older model's factors go too";
    EXPECT_EQ(FilasDe(32), 1);
    EXPECT_EQ(FactoresDe(50), 1);
    EXPECT_EQ(ventana->Modelos().ParqueActual(), nullptr) << "the park of that plant is discarded";
}

TEST_F(BorrarSupercentral, UnBorradoQueFallaNoDejaNadaAMedias) {
    // The server refuses to delete the models themselves, after the factor
    // rows are already gone inside the transaction.
    Ejecutar("CREATE FUNCTION negar_borrado() RETURNS trigger LANGUAGE plpgsql AS "
             "$$ BEGIN RAISE EXCEPTION 'borrado negado'; END $$");
    Ejecutar("CREATE TRIGGER negar_borrado BEFORE DELETE ON modelo_teorico FOR EACH ROW "
             "EXECUTE FUNCTION negar_borrado()");
    BajarParque();
    respuestaSi = true;
    Pulsar("BorrarSupercentral");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_TRUE(errores[0].contains(QStringLiteral("borrado negado"))) << errores[0].toStdString();
    EXPECT_TRUE(avisos.isEmpty());
    EXPECT_EQ(FilasDe(31), 2);
    EXPECT_EQ(FactoresDe(40) + FactoresDe(41), 5) << "the factor rows come back with the rollback";
    EXPECT_NE(ventana->Modelos().ParqueActual(), nullptr);
    // The connection is usable again.
    Escribir("NIDsupercentralBorrar", "99");
    Pulsar("BorrarSupercentral");
    EXPECT_EQ(avisos, QStringList{QStringLiteral("La supercentral: 99 no existe")});
}

TEST_F(BorrarSupercentral, LosModelosActualesDeOtraCentralSeQuedan) {
    PonerCalibradorDeLaCentral();
    TCalibradorParque* calibrador = ventana->Modelos().CalibradorActual();
    Escribir("NIDsupercentralBorrar", "32");
    respuestaSi = true;
    Pulsar("BorrarSupercentral");
    EXPECT_EQ(FilasDe(32), 0);
    EXPECT_EQ(FactoresDe(50), 0);
    EXPECT_EQ(FilasDe(31), 2);
    EXPECT_EQ(ventana->Modelos().CalibradorActual(), calibrador);
}

TEST_F(BorrarSupercentral, ElCalibradorDeEsaCentralDejaDeSerActual) {
    PonerCalibradorDeLaCentral();
    respuestaSi = true;
    Pulsar("BorrarSupercentral");
    EXPECT_EQ(ventana->Modelos().CalibradorActual(), nullptr);
}

TEST_F(BorrarSupercentral, UnaSupercentralSinModelosSoloLoDice) {
    Escribir("NIDsupercentralBorrar", "99");
    Pulsar("BorrarSupercentral");
    ASSERT_EQ(avisos.size(), 1);
    EXPECT_EQ(avisos[0], QStringLiteral("La supercentral: 99 no existe"));
    EXPECT_TRUE(preguntas.isEmpty());
    EXPECT_EQ(FilasDe(31), 2);
}

// ---- Wind for a power and the turbines' etha ----

struct TCasoViento {
    const char* potencia;
    bool busca;        // the search runs and writes the box
    const char* aviso;  // the notice shown instead, if any
};

class CalcularViento : public VentanaConBaseDeDatos, public ::testing::WithParamInterface<TCasoViento> {};

TEST_P(CalcularViento, RechazaLoQueNoSePuedeGenerarYBuscaLoDemas) {
    const TCasoViento caso = GetParam();
    BajarParque();
    Escribir("vientoparapot", caso.potencia);
    Escribir("eDir", "200");
    Pulsar("Calcularviento");
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    const QString resultado = Caja("VientoDeLaPotMW")->text();
    if (caso.busca) {
        ASSERT_FALSE(resultado.isEmpty());
        EXPECT_TRUE(avisos.isEmpty());
        TParque_ModeloTeorico* parque = ventana->Modelos().ParqueActual();
        EXPECT_EQ(parque->direccion, 200) << "the direction box is applied first";
        const double v = resultado.toDouble();
        // The search stops within 0.5 MW of the wanted power.
        EXPECT_NEAR(parque->PotenciaDesdeEstacion(DensidadBase, PotenciaDelViento(v, DensidadBase),
                                                  parque->potencia_autorizada_mw),
                    std::stod(caso.potencia), 0.5);
    } else {
        EXPECT_TRUE(resultado.isEmpty());
        ASSERT_EQ(avisos.size(), 1);
        EXPECT_EQ(avisos[0], QString::fromUtf8(caso.aviso));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, CalcularViento,
    ::testing::Values(
        // The three turbines give at most 5.5 MW of the 20 MW authorised.
        TCasoViento{"3", true, ""}, TCasoViento{"0", true, ""},
        TCasoViento{"20.5", false,
                    "La central tiene una potencia autorizada de 20 MW.\rIngrese nuevamente el valor de potencia."},
        TCasoViento{"-1", false, "La potencia no puede ser negativa.\rIngrese nuevamente el valor de potencia."}));

TEST_F(VentanaConBaseDeDatos, CambiarRoSinMolinoElegidoNiCasillaNoCambiaNada) {
    BajarParque();
    Escribir("eEthaMolino", "0.5");
    Pulsar("btCambiar_ro");
    for (const auto& molino : ventana->Modelos().ParqueActual()->molinos) EXPECT_EQ(molino->etha, 1);
}

// Without QUENDAL_BD the connection's data come from the dialog: cancelled,
// the operation says so and does nothing; answered, it asks once.
TEST_F(VentanaConBaseDeDatos, SinCadenaDeConexionLaPideEnElDialogo) {
    unsetenv("QUENDAL_BD");
    std::optional<TDatosConexion> respuesta;
    int preguntasDeConexion = 0;
    ventana->FijarDialogoDeConexion([&] {
        ++preguntasDeConexion;
        return respuesta;
    });
    BajarParque();
    ASSERT_EQ(errores.size(), 1);
    EXPECT_EQ(errores[0], QStringLiteral("No hay conexión con la base de datos: la operación no se realizó."));
    EXPECT_EQ(ventana->Modelos().ParqueActual(), nullptr);

    respuesta = TDatosConexion{"127.0.0.1", std::to_string(servidor_->Puerto()), "postgres", "postgres", ""};
    BajarParque();
    BajarParque();
    EXPECT_EQ(errores.size(), 1);
    EXPECT_EQ(preguntasDeConexion, 2);
    ASSERT_NE(ventana->Modelos().ParqueActual(), nullptr);
}

// Each value of the connection string is quoted, so typed text cannot add a
// keyword of its own.
TEST(CadenaDeConexion, CitaCadaValor) {
    EXPECT_EQ(CadenaDeConexion({"db.local", "5433", "ro", "ana", "o'k \\ x"}),
              "host='db.local' port='5433' dbname='ro' user='ana' password='o\\'k \\\\ x'");
    EXPECT_EQ(CadenaDeConexion({"h", "", "d", "u", ""}), "host='h' dbname='d' user='u'");
    EXPECT_EQ(CadenaDeConexion({"h", "1", "d sslmode=disable", "u", ""}),
              "host='h' port='1' dbname='d sslmode=disable' user='u'");
}

// ---- A connection the server drops ----

// The window's connection ended by the server between two operations: the
// operation that meets the end reports it, the next one opens the
// connection again from the same data, without asking for it.
TEST_F(VentanaConBaseDeDatos, UnaConexionQueElServidorCortaSeVuelveAAbrirSinPreguntar) {
    unsetenv("QUENDAL_BD");
    int preguntasDeConexion = 0;
    TDatosConexion datos;
    datos.servidor = "127.0.0.1";
    datos.puerto = std::to_string(servidor_->Puerto());
    datos.baseDeDatos = "postgres";
    datos.usuario = "postgres";
    ventana->FijarDialogoDeConexion([&] {
        ++preguntasDeConexion;
        return std::optional<TDatosConexion>(datos);
    });
    BajarParque();
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(preguntasDeConexion, 1);

    ASSERT_GE(TerminarLasOtrasConexiones(), 1);
    const TParque_ModeloTeorico* antes = ventana->Modelos().ParqueActual();
    BajarParque();
    ASSERT_EQ(errores.size(), 1);
    EXPECT_TRUE(errores[0].contains(QString::fromUtf8("Se perdió la conexión con la base de datos.")))
        << errores[0].toStdString();
    EXPECT_EQ(ventana->Modelos().ParqueActual(), antes);

    const std::string consola = BajarParque();
    EXPECT_EQ(errores.size(), 1) << errores.join(QLatin1Char('\n')).toStdString();
    EXPECT_NE(consola.find("MODELO TEORICO GUARDADO CON EXITO"), std::string::npos) << consola;
    EXPECT_NE(ventana->Modelos().ParqueActual(), antes);
    EXPECT_EQ(preguntasDeConexion, 1);
}

// ---- Solar tab ----

// Solar plant 321, 50 MW authorised, whose power is an exact polynomial of
// irradiance and temperature.
class PestaniaSolar : public VentanaConBaseDeDatos {
protected:
    void SetUp() override {
        VentanaConBaseDeDatos::SetUp();
        if (HasFatalFailure()) return;
        Ejecutar("INSERT INTO centrales (nid, centralgeneradora, potencia_autorizada_mw, nid_central_kolm) "
                 "VALUES (321, 'Solar del Norte', 50, 4321)");
        EscribirSeriesSolares(RutaArchivoEnCarpetaCentral(321, "_series10min.sas"), MuestrasSinteticas(300));
        Escribir("eNidCentral_Solar", "321");
    }
    QTableWidget* Rejilla() { return ventana->findChild<QTableWidget*>(QStringLiteral("StringGrid2")); }
    QString Celda(int columna, int fila) {
        const QTableWidgetItem* item = Rejilla()->item(fila, columna);
        return item ? item->text() : QString();
    }
    std::vector<double> Coeficientes() {
        std::vector<double> c;
        for (int i = 1; i <= 6; ++i) c.push_back(CadenaAReal(Celda(i, 1).toStdString()));
        return c;
    }
};

TEST_F(PestaniaSolar, CalibrarMuestraLosCoeficientesDelPolinomioEnLaRejilla) {
    Pulsar("btProcesarSeries_solar");
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    ASSERT_NE(ventana->Modelos().GeneradorSolarActual(), nullptr);
    EXPECT_EQ(Celda(0, 0), QString());
    EXPECT_EQ(Celda(0, 1), QStringLiteral("Coefs."));
    const char* terminos[] = {"r", "T", "r^2", "r*T", "T^2", "1"};
    const std::vector<double> c = Coeficientes();
    for (int i = 1; i <= 6; ++i) {
        EXPECT_EQ(Celda(i, 0), QString::fromLatin1(terminos[i - 1]));
        EXPECT_NEAR(c[i - 1], CoeficientesSinteticos[i - 1], 1e-5 * std::fabs(CoeficientesSinteticos[i - 1]))
            << terminos[i - 1];
        EXPECT_EQ(Celda(i, 1).toStdString(),
                  FormatoGeneral(ventana->Modelos().GeneradorSolarActual()->Coeficientes.pv[i], 15));
    }
}

TEST_F(PestaniaSolar, LosDosBotonesDanLosMismosCoeficientesYElSegundoCorreLasRestricciones) {
    Pulsar("btProcesarSeries_solar");
    const std::vector<double> soloModelo = Coeficientes();
    const TGeneradorSolar* primero = ventana->Modelos().GeneradorSolarActual();
    ASSERT_EQ(ventana->findChild<QDateEdit*>(QStringLiteral("FechaHasta_Solar"))->date(), QDate(2018, 1, 1));
    const std::string consola = Pulsar("btProcesarRestricciones_solar");
    ASSERT_TRUE(errores.isEmpty()) << errores.join(QLatin1Char('\n')).toStdString();
    EXPECT_NE(ventana->Modelos().GeneradorSolarActual(), primero) << "each press builds the model again";
    EXPECT_EQ(Coeficientes(), soloModelo);
    // The day table runs from the series' first day (1 January 2018) to the
    // end of the "Hasta" day: the run was handed 2 January at 00:00.
    std::ifstream tabla(CarpetaCentral(321) + "/c321_RO_DTE_3m.xlt");
    std::vector<std::string> fechas;
    for (std::string linea; std::getline(tabla, linea);) fechas.push_back(linea.substr(0, linea.find('\t')));
    EXPECT_EQ(fechas, (std::vector<std::string>{"Fecha", "01-01-2018", "02-01-2018"}));
    EXPECT_NE(consola.find("Recorte acum = 0 MWh"), std::string::npos);
}

TEST_F(PestaniaSolar, UnLargoDeBufferQueNoEsEnteroNoTocaElModelo) {
    Pulsar("btProcesarSeries_solar");
    const TGeneradorSolar* modelo = ventana->Modelos().GeneradorSolarActual();
    Escribir("eHoras_Buffer_Solar", "tres");
    Pulsar("btProcesarRestricciones_solar");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_EQ(ventana->Modelos().GeneradorSolarActual(), modelo);
}

// As on the wind buttons, a ring shorter than one sample is refused before
// anything is built: the model shown stays current and nothing is printed.
TEST_F(PestaniaSolar, UnLargoDeBufferMenorQueUnoSeRechazaAntesDeReemplazarElModelo) {
    Pulsar("btProcesarSeries_solar");
    const TGeneradorSolar* modelo = ventana->Modelos().GeneradorSolarActual();
    ASSERT_NE(modelo, nullptr);
    for (const char* largo : {"0", "-2"}) {
        errores.clear();
        Escribir("eHoras_Buffer_Solar", largo);
        const std::string consola = Pulsar("btProcesarRestricciones_solar");
        ASSERT_EQ(errores.size(), 1) << largo;
        EXPECT_TRUE(errores[0].contains(QStringLiteral("Muestras Buffer"))) << errores[0].toStdString();
        EXPECT_EQ(ventana->Modelos().GeneradorSolarActual(), modelo) << largo;
        EXPECT_EQ(consola, "") << largo;
    }
}

// A ring longer than a leap year of ten-minute samples, and Desde after
// Hasta, are refused the same way, giving the allowed range and the dates as
// the pickers show them.
TEST_F(PestaniaSolar, UnAnilloDeMasDeUnAnioOFechasAlRevesSeRechazanAntesDeReemplazarElModelo) {
    Pulsar("btProcesarSeries_solar");
    const TGeneradorSolar* modelo = ventana->Modelos().GeneradorSolarActual();
    ASSERT_NE(modelo, nullptr);
    Escribir("eHoras_Buffer_Solar", "2000000000");
    std::string consola = Pulsar("btProcesarRestricciones_solar");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_EQ(errores[0], QStringLiteral("Muestras Buffer debe ser un número entero entre 1 y 52704, no \"2000000000\""));
    EXPECT_EQ(consola, "");

    Escribir("eHoras_Buffer_Solar", "3");
    ventana->findChild<QDateEdit*>(QStringLiteral("FechaDesde_Solar"))->setDate(QDate(2018, 1, 2));
    consola = Pulsar("btProcesarRestricciones_solar");
    ASSERT_EQ(errores.size(), 2);
    EXPECT_EQ(errores[1], QStringLiteral("La fecha Desde (02/01/2018) es posterior a la fecha Hasta (01/01/2018)."));
    EXPECT_EQ(consola, "");
    EXPECT_EQ(ventana->Modelos().GeneradorSolarActual(), modelo);
}

// An empty plant number names its box.
TEST_F(PestaniaSolar, UnNumeroDeCentralVacioNombraSuCaja) {
    Escribir("eNidCentral_Solar", "");
    Pulsar("btProcesarSeries_solar");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_EQ(errores[0], QStringLiteral("nid Central Solar: \"\" no es un valor entero válido"));
}

TEST_F(PestaniaSolar, UnNumeroDeCentralQueNoSirveDejaElModeloActual) {
    Pulsar("btProcesarSeries_solar");
    const TGeneradorSolar* modelo = ventana->Modelos().GeneradorSolarActual();
    ASSERT_NE(modelo, nullptr);
    for (const char* nid : {"32x", "999"}) {
        Escribir("eNidCentral_Solar", nid);
        Pulsar("btProcesarSeries_solar");
        EXPECT_EQ(ventana->Modelos().GeneradorSolarActual(), modelo) << nid;
    }
    ASSERT_EQ(errores.size(), 2);
    EXPECT_EQ(errores[1], QStringLiteral("La central 999 no existe en la tabla centrales."));
}

TEST_F(PestaniaSolar, SinArchivoDeSeriesNoHayModeloNuevo) {
    Ejecutar("INSERT INTO centrales (nid, potencia_autorizada_mw) VALUES (322, 50)");
    Escribir("eNidCentral_Solar", "322");
    Pulsar("btProcesarSeries_solar");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_EQ(ventana->Modelos().GeneradorSolarActual(), nullptr);
}

// A series file without the set-point builds no model: the grid shows no
// coefficients and the error says what the file lacks.
TEST_F(PestaniaSolar, UnArchivoDeCuatroSeriesNoDaModeloNiCoeficientes) {
    EscribirSeriesSolares(RutaArchivoEnCarpetaCentral(321, "_series10min.sas"), MuestrasSinteticas(300),
                          "2018 1 1 0 0 0", 4);
    Pulsar("btProcesarSeries_solar");
    ASSERT_EQ(errores.size(), 1);
    EXPECT_TRUE(errores[0].contains(QStringLiteral("tiene 4 series y una central solar tiene 5")))
        << errores[0].toStdString();
    EXPECT_EQ(ventana->Modelos().GeneradorSolarActual(), nullptr);
    for (int i = 1; i <= 6; ++i) EXPECT_EQ(Celda(i, 1), QString()) << i;
}

// A wind plant's nine-series file in the solar tab is refused from both
// buttons before anything is fitted or written: the wind run's tables keep
// their bytes, no solar chart appears and the model shown stays current.
TEST_F(PestaniaSolar, UnArchivoDeNueveSeriesDeUnParqueEolicoSeRechazaSinTocarSusTablas) {
    Pulsar("btProcesarSeries_solar");
    const TGeneradorSolar* modelo = ventana->Modelos().GeneradorSolarActual();
    ASSERT_NE(modelo, nullptr);
    const QString constante = Celda(6, 1);

    Ejecutar("INSERT INTO centrales (nid, centralgeneradora, potencia_autorizada_mw) VALUES (9001, 'Eólico', 24)");
    TOpcionesPlantaSintetica opciones;
    opciones.nid = 9001;
    opciones.dias = 2;
    const std::string series = GenerarPlantaSintetica(opciones).archivoSeries;
    const std::string carpeta = CarpetaCentral(9001);
    const std::vector<std::string> tablas = {carpeta + "/c9001_RO_DTE_3m.xlt",
                                             carpeta + "/c9001_Restricciones_horarias_3m.xlt"};
    for (const std::string& tabla : tablas)
        apoyo_calibrador::EscribirArchivo(tabla, "Fecha\tTotal\n01-01-2018\t12.5\n");
    Escribir("eNidCentral_Solar", "9001");
    for (const char* boton : {"btProcesarRestricciones_solar", "btProcesarSeries_solar"}) {
        errores.clear();
        const std::string consola = Pulsar(boton);
        ASSERT_EQ(errores.size(), 1) << boton;
        EXPECT_EQ(errores[0].toStdString(),
                  "El archivo de series \"" + series + "\" tiene 9 series y una central solar tiene 5")
            << boton;
        EXPECT_EQ(consola, "") << boton;
        EXPECT_EQ(ventana->Modelos().GeneradorSolarActual(), modelo) << boton;
        EXPECT_EQ(Celda(6, 1), constante) << boton;
        for (const std::string& tabla : tablas)
            EXPECT_EQ(apoyo_calibrador::LeerArchivo(tabla), "Fecha\tTotal\n01-01-2018\t12.5\n") << tabla;
        for (const char* grafico : {"muestras_filtrados_plano_PE_Rad_.jpg", "0.jpg", "11.jpg", "23.jpg"})
            EXPECT_FALSE(std::filesystem::exists(carpeta + "/" + grafico)) << grafico;
    }
}

}  // namespace
