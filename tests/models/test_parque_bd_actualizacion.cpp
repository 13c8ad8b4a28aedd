// Writing a park back to its model's rows, and a downloaded park going
// through its ".pmt" file.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "models/uauxdensidad.h"
#include "models/uparques_bd.h"
#include "models/uparques_modeloteorico.h"
#include "numerics/errores.h"
#include "numerics/formatsettings.h"
#include "test_parque_bd_base.h"

namespace {

class ActualizacionParque : public ParqueEnBaseDeDatos {
protected:
    // A park with values that show every form: whole, fractional, more than
    // three significant digits in the factor table, a negative northing.
    static std::unique_ptr<TParque_ModeloTeorico> ParqueCalibrado() {
        auto p = TParque_ModeloTeorico::Create_Nuevo();
        p->nid = 31;
        p->nid_modelo = 40;
        p->alfa_terreno = 0.55;
        p->gamma_atmosfera = 0.4;
        p->fpv3pe = 1.8;
        p->factor_perdidas = 0.035;
        p->potencia_autorizada_mw = 20;
        p->potencia_nominal = 18.5;
        p->meteo_etha = TMatR(2, 3);
        p->meteo_etha.Unos();
        p->meteo_etha.FijarElemento(1, 2, 0.95);
        p->meteo_etha.FijarElemento(2, 1, 1.23456);
        p->meteo_etha.FijarElemento(2, 3, 0.000012345);
        p->n_sectores_dir = 2;
        p->mat_vientos = TMatR(2, 3);
        for (int32_t j = 1; j <= 3; ++j) {
            p->mat_vientos.FijarElemento(1, j, 5.0 * j);
            p->mat_vientos.FijarElemento(2, j, 5.5 * j + 0.0123);
        }
        p->meteo_cota = 45.5;
        p->grilla_rotada_margen_dx = 1000;
        p->meteo_utm_zona = 'H';
        p->meteo_utm_huso = 21;
        p->meteo_utm_xe = 573090.8491234567;
        p->meteo_utm_yn = -6137754.5;
        for (int32_t nid : {101, 102}) {
            auto m = std::make_unique<TMolino>();
            m->nid = nid;
            m->etha = nid == 101 ? 0.9876543210987654 : 1.25;
            p->molinos.push_back(std::move(m));
        }
        return p;
    }
};

TEST_F(ActualizacionParque, LaSentenciaDelModeloByteAByte) {
    const std::string esperada =
        "UPDATE modelo_teorico SET n_sectores_dir= 2, alfa_terreno = 0.55, gamma_atmosfera = 0.4, fpv3pe = 1.8, "
        "factor_perdidas = 0.035, potencia_autorizada_mw =20, potencia_nominal = 18.5, "
        "meteo_etha = '[2|3][1][0.95][1][1.23][1][0.0000123]', "
        "mat_vientos = '[2|3][5][10][15][5.51][11][16.5]', meteo_cota = 45.5, grilla_rotada_dx = 9, "
        "grilla_rotada_dy = 1, grilla_rotada_margen_dx = 1000, meteo_utm_zona = 'H', meteo_utm_huso = 21, "
        "meteo_utm_xe = 573090.849123457, meteo_utm_yn = -6137754.5 WHERE nid = 40 AND central = 31";
    const auto p = ParqueCalibrado();
    EXPECT_EQ(SentenciaActualizarModeloTeorico(*p), esperada);
}

// The user's decimal comma does not reach the statements.
TEST_F(ActualizacionParque, ActualizarBDEscribeFactoresYParametrosConPunto) {
    CargarModeloCompleto();
    con_.OlvidarSentencias();
    const auto p = ParqueCalibrado();
    const char separadorPrevio = AjustesFormato().DecimalSeparator;
    AjustesFormato().DecimalSeparator = ',';
    p->ActualizarBD(con_);
    AjustesFormato().DecimalSeparator = separadorPrevio;

    const std::vector<std::string> esperadas{
        "BEGIN",
        "UPDATE modelo_teorico_etha_molinos SET etha = 0.987654321098765 WHERE nid_modelo = 40 AND nid_molino = 101",
        "UPDATE modelo_teorico_etha_molinos SET etha = 1.25 WHERE nid_modelo = 40 AND nid_molino = 102",
        SentenciaActualizarModeloTeorico(*p), "COMMIT"};
    EXPECT_EQ(con_.SentenciasEnviadas(), esperadas);
    EXPECT_NE(esperadas[3].find("[1.23]"), std::string::npos);

    auto fila = con_.sqlexec("SELECT * FROM modelo_teorico WHERE nid = 40");
    EXPECT_EQ(fila->fieldByName("alfa_terreno").AsFloat(0), 0.55);
    EXPECT_EQ(fila->fieldByName("potencia_nominal").AsFloat(0), 18.5);
    EXPECT_EQ(fila->fieldByName("meteo_etha").AsString(), "[2|3][1][0.95][1][1.23][1][0.0000123]");
    // The mast speeds go with their factors; the update time is not written.
    EXPECT_EQ(fila->fieldByName("mat_vientos").AsString(), "[2|3][5][10][15][5.51][11][16.5]");
    EXPECT_EQ(fila->fieldByName("dt_actualizacion").AsString(), "2020-01-01 10:00:00");
    EXPECT_EQ(con_.sqlquery_float("SELECT etha FROM modelo_teorico_etha_molinos WHERE nid_molino = 101", -1),
              0.987654321098765);
    EXPECT_EQ(con_.sqlquery_float("SELECT etha FROM modelo_teorico_etha_molinos WHERE nid_molino = 103", -1), 0.99);
}

// A band that is a quote goes in as a literal, not as SQL.
TEST_F(ActualizacionParque, LaBandaVaComoLiteral) {
    CargarModeloCompleto();
    auto p = ParqueCalibrado();
    p->meteo_utm_zona = '\'';
    p->ActualizarBD(con_);
    EXPECT_EQ(con_.sqlquery_str("SELECT meteo_utm_zona FROM modelo_teorico WHERE nid = 40", "x"), "'");
}

// The next download pairs the written factors with the written speeds, not
// with the speeds the row held before: at 10 m/s sector 1 is at its second
// level exactly.
TEST_F(ActualizacionParque, LaDescargaSiguienteTraeLasVelocidadesDeLosFactores) {
    CargarModeloCompleto();
    ParqueCalibrado()->ActualizarBD(con_);
    auto central = FilaCentral();
    const auto descargado = TParque_ModeloTeorico::Create_DesdeBD(con_, *central);
    EXPECT_EQ(descargado->mat_vientos.ACadena(), "[2|3][5][10][15][5.51][11][16.5]");
    EXPECT_EQ(descargado->EthaMeteo(0, 10), 0.95);
}

// A park whose model the database lacks (one read from a file, say) is not
// reported as stored.
TEST_F(ActualizacionParque, UnModeloQueNoEstaEnLaBaseLoDice) {
    CargarModeloCompleto();
    auto p = ParqueCalibrado();
    p->nid_modelo = 999;
    p->nombre = "Parque Sur";
    EXPECT_EQ(Mensaje([&] { p->ActualizarBD(con_); }),
              "No se actualizó el modelo teórico 999 de la central 31 (Parque Sur): no está en la tabla "
              "modelo_teorico de la base de datos. No se cambió nada en la base de datos.");
    EXPECT_EQ(con_.sqlquery_float("SELECT alfa_terreno FROM modelo_teorico WHERE nid = 40", -1), 0.45);
}

// Tables that the download would refuse are not written, nor is anything else.
TEST_F(ActualizacionParque, TablasQueNoSirvenASusSectoresNoSeEscriben) {
    CargarModeloCompleto();
    auto p = ParqueCalibrado();
    p->n_sectores_dir = 72;
    EXPECT_EQ(Mensaje([&] { p->ActualizarBD(con_); }),
              "Las tablas meteo_etha y mat_vientos tienen 2 filas, menos que los 72 sectores de n_sectores_dir: no se "
              "escriben en la base de datos. No se cambió nada en la base de datos.");
    p->n_sectores_dir = 2;
    p->mat_vientos = TMatR(2, 2);
    EXPECT_THROW(p->ActualizarBD(con_), EErrorQuendal);
    EXPECT_EQ(con_.sqlquery_float("SELECT alfa_terreno FROM modelo_teorico WHERE nid = 40", -1), 0.45);
    EXPECT_EQ(con_.sqlquery_float("SELECT etha FROM modelo_teorico_etha_molinos WHERE nid_molino = 101", -1), 0.97);
}

TEST_F(ActualizacionParque, ValorNoFinitoNoSeEnvia) {
    auto p = ParqueCalibrado();
    p->alfa_terreno = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(p->ActualizarBD(con_), EMathError);
    EXPECT_EQ(SentenciasQueEmpiezanCon("UPDATE modelo_teorico SET").size(), 0u);
}

TEST_F(ActualizacionParque, ParqueDescargadoGuardadoYLeidoDaLaMismaPotencia) {
    CargarModeloCompleto();
    auto central = FilaCentral();
    const auto descargado = TParque_ModeloTeorico::Create_DesdeBD(con_, *central);

    const auto carpeta = std::filesystem::temp_directory_path() / ("parque_bd_" + std::to_string(getpid()));
    std::filesystem::create_directories(carpeta);
    const std::string ruta = (carpeta / "c31_parque_mt.pmt").string();
    descargado->GuardarEnArchivo(ruta);
    const auto leido = TParque_ModeloTeorico::Create_LeerDeArchivo(ruta);
    std::filesystem::remove_all(carpeta);

    EXPECT_EQ(leido->nid_modelo, 40);
    EXPECT_EQ(leido->factor_kolm_scada, 0.98);
    EXPECT_EQ(leido->nid_central_KOLM, 7);
    ASSERT_EQ(leido->nMolinos, 3);
    double minima = 1e300, maxima = 0;
    const double rho = 1.2;
    const double libre = PotenciaDelViento(9.5, rho);
    for (int direccion = 0; direccion < 360; direccion += 5) {
        descargado->FijarDireccion(direccion);
        leido->FijarDireccion(direccion);
        const double esperada = descargado->PotenciaConVientoLibre(rho, libre, 100);
        EXPECT_EQ(leido->PotenciaConVientoLibre(rho, libre, 100), esperada) << "direction " << direccion;
        minima = std::min(minima, esperada);
        maxima = std::max(maxima, esperada);
    }
    // The sweep sees the wakes: the power depends on the direction.
    EXPECT_GT(minima, 0);
    EXPECT_LT(minima, maxima);
}

// ---- All or nothing ----

// Model 40 with its three factor rows, and the calibrated park with a third
// turbine: every row the write-back would change.
class ActualizacionTodoONada : public ActualizacionParque {
protected:
    void SetUp() override {
        ActualizacionParque::SetUp();
        if (HasFatalFailure()) return;
        CargarModeloCompleto();
        parque_ = ParqueCalibrado();
        auto tercero = std::make_unique<TMolino>();
        tercero->nid = 103;
        tercero->etha = 0.5;
        parque_->molinos.push_back(std::move(tercero));
        antes_ = Filas();
        con_.OlvidarSentencias();
    }

    // Every row of the two tables the write-back touches, as text.
    std::string Filas() {
        std::string texto;
        for (const char* consulta : {"SELECT * FROM modelo_teorico ORDER BY nid",
                                     "SELECT * FROM modelo_teorico_etha_molinos ORDER BY nid_modelo, nid_molino"}) {
            const auto filas = con_.sqlexec(consulta);
            for (int i = 0; i < filas->ntuples(); ++i) {
                for (int j = 0; j < filas->nfields(); ++j) texto += filas->getvalue(i, j) + "|";
                texto += "\n";
            }
        }
        return texto;
    }

    // The message of the write-back's failure through `conexion`.
    std::string FalloDeLaActualizacion(TPgSqlCon& conexion) {
        try {
            parque_->ActualizarBD(conexion);
        } catch (const EErrorQuendal& e) {
            return e.what();
        }
        ADD_FAILURE() << "the write-back was reported as done";
        return {};
    }

    static constexpr const char* kNadaCambiado = "No se cambió nada en la base de datos.";
    std::unique_ptr<TParque_ModeloTeorico> parque_;
    std::string antes_;
};

// The third turbine's factor cannot be written: nothing is sent at all.
TEST_F(ActualizacionTodoONada, UnEthaNoFinitoEnElTercerMolinoNoEnviaNada) {
    parque_->molinos[2]->etha = std::numeric_limits<double>::infinity();
    EXPECT_THROW(parque_->ActualizarBD(con_), EMathError);
    EXPECT_EQ(con_.SentenciasEnviadas(), std::vector<std::string>{});
    const std::string mensaje = FalloDeLaActualizacion(con_);
    EXPECT_NE(mensaje.find("etha del molino 103"), std::string::npos) << mensaje;
    EXPECT_NE(mensaje.find(kNadaCambiado), std::string::npos) << mensaje;
    EXPECT_EQ(Filas(), antes_);
}

// A band the server refuses (a lone Latin-1 byte on a UTF-8 connection)
// fails the last statement: the factors already sent are rolled back.
TEST_F(ActualizacionTodoONada, UnaBandaQueElServidorRechazaDejaTodoComoEstaba) {
    parque_->meteo_utm_zona = '\xD1';
    const std::string mensaje = FalloDeLaActualizacion(con_);
    EXPECT_NE(mensaje.find("FATAL_ERROR sqlexec: "), std::string::npos) << mensaje;
    EXPECT_NE(mensaje.find(kNadaCambiado), std::string::npos) << mensaje;
    EXPECT_EQ(con_.SentenciasEnviadas().back(), "ROLLBACK");
    EXPECT_EQ(Filas(), antes_);
    // The connection is out of the transaction and usable.
    parque_->meteo_utm_zona = 'H';
    parque_->ActualizarBD(con_);
    EXPECT_EQ(con_.sqlquery_float("SELECT etha FROM modelo_teorico_etha_molinos WHERE nid_molino = 103", -1), 0.5);
}

// ---- Only the park's own rows ----

// Plant 31 holds model 1, and another plant, 9001, holds model 2 with its two
// turbines: a park of 9001 that carries the number 1 (made against another
// database, or before the model tables were rebuilt) names plant 31's model.
class ActualizacionDeOtraCentral : public ActualizacionTodoONada {
protected:
    void SetUp() override {
        ActualizacionTodoONada::SetUp();
        if (HasFatalFailure()) return;
        Ejecutar("UPDATE modelo_teorico SET nid = 1 WHERE nid = 40");
        Ejecutar("UPDATE modelo_teorico_etha_molinos SET nid_modelo = 1 WHERE nid_modelo = 40");
        Ejecutar("INSERT INTO centrales VALUES (9001, 'Parque Norte', 50, 'H', 21, 580000, 6140000, 30, -34.8, "
                 "-56.1, 0.99, 8)");
        Ejecutar("INSERT INTO molinos VALUES (901, 11, 9001, 1, 0.5, 6140100, 580100, 'H', 21), "
                 "(902, 11, 9001, 2, 0.5, 6140200, 580200, 'H', 21)");
        Ejecutar("INSERT INTO modelo_teorico VALUES (2, 9001, '2021-01-01 10:00', '2021-01-01 10:00', 2, 0.5, 0.4, "
                 "1.8, 0.035, 50, 50, 9, 1, 1000, 'H', 21, 580000, 6140000, 30, '[2|3][1][1][1][1][1][1]', "
                 "'[2|3][4][8][12][4][8][12]')");
        Ejecutar("INSERT INTO modelo_teorico_etha_molinos VALUES (2, 901, 0.93), (2, 902, 0.96)");
        antes_ = Filas();
        con_.OlvidarSentencias();
    }

    // The calibrated park, as plant 9001's with the number 1.
    std::unique_ptr<TParque_ModeloTeorico> ParqueDeOtraCentral(std::vector<int32_t> molinos) {
        auto p = ParqueCalibrado();
        p->nid = 9001;
        p->nombre = "Parque Norte";
        p->nid_modelo = 1;
        p->potencia_autorizada_mw = 50;
        p->molinos.clear();
        for (int32_t nid : molinos) {
            auto m = std::make_unique<TMolino>();
            m->nid = nid;
            m->etha = 0.8;
            p->molinos.push_back(std::move(m));
        }
        return p;
    }
};

// With its own turbines, whose rows the model lacks, or with none, so that
// only the model's statement could touch a row: refused either way, and no
// row of either plant changes.
TEST_F(ActualizacionDeOtraCentral, ElModeloDeOtraCentralNoSeSobrescribe) {
    for (const std::vector<int32_t>& molinos : {std::vector<int32_t>{901, 902}, std::vector<int32_t>{}}) {
        const auto p = ParqueDeOtraCentral(molinos);
        EXPECT_EQ(Mensaje([&] { p->ActualizarBD(con_); }),
                  "No se actualizó el modelo teórico 1 de la central 9001 (Parque Norte): en la tabla modelo_teorico "
                  "de la base de datos ese número es de un modelo de la central 31, no de la central 9001. No se "
                  "cambió nada en la base de datos.")
            << molinos.size() << " turbines";
        EXPECT_EQ(con_.SentenciasEnviadas().back(), "ROLLBACK");
        EXPECT_EQ(Filas(), antes_) << molinos.size() << " turbines";
    }
    EXPECT_EQ(con_.sqlquery_float("SELECT potencia_autorizada_mw FROM modelo_teorico WHERE nid = 1", -1), 20);
}

// The model's statement touches only the plant's row, whatever the turbines.
TEST_F(ActualizacionDeOtraCentral, LaSentenciaDelModeloExigeLaCentral) {
    const auto p = ParqueDeOtraCentral({});
    EXPECT_TRUE(SentenciaActualizarModeloTeorico(*p).ends_with(" WHERE nid = 1 AND central = 9001"));
}

// Each turbine must have exactly its one factor row in the model: a missing
// row, or two, refuse the whole write-back, and the factors already written
// are rolled back.
struct TFilaDeMolinoQueNoCuadra {
    const char* nombre;
    const char* cambio;
    const char* defecto;
};

void PrintTo(const TFilaDeMolinoQueNoCuadra& caso, std::ostream* os) { *os << caso.nombre; }

class FilaDeMolinoQueNoCuadra : public ActualizacionTodoONada,
                                public ::testing::WithParamInterface<TFilaDeMolinoQueNoCuadra> {};

TEST_P(FilaDeMolinoQueNoCuadra, SeRechazaSinCambiarNada) {
    Ejecutar(GetParam().cambio);
    antes_ = Filas();
    parque_->nombre = "Parque Sur";
    con_.OlvidarSentencias();
    EXPECT_EQ(FalloDeLaActualizacion(con_), std::string("No se actualizó el modelo teórico 40 de la central 31 "
                                                         "(Parque Sur): ") +
                                                GetParam().defecto + ". " + kNadaCambiado);
    EXPECT_EQ(con_.SentenciasEnviadas().back(), "ROLLBACK");
    EXPECT_TRUE(SentenciasQueEmpiezanCon("UPDATE modelo_teorico SET").empty());
    EXPECT_EQ(Filas(), antes_);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, FilaDeMolinoQueNoCuadra,
    ::testing::Values(
        TFilaDeMolinoQueNoCuadra{"FilaQueFalta", "DELETE FROM modelo_teorico_etha_molinos WHERE nid_molino = 102",
                                 "el molino 102 no tiene fila del modelo 40 en la tabla modelo_teorico_etha_molinos "
                                 "de la base de datos"},
        TFilaDeMolinoQueNoCuadra{"FilaDelUltimoQueFalta",
                                 "DELETE FROM modelo_teorico_etha_molinos WHERE nid_molino = 103",
                                 "el molino 103 no tiene fila del modelo 40 en la tabla modelo_teorico_etha_molinos "
                                 "de la base de datos"},
        TFilaDeMolinoQueNoCuadra{"DosFilas", "INSERT INTO modelo_teorico_etha_molinos VALUES (40, 101, 0.5)",
                                 "el molino 101 tiene 2 filas del modelo 40 en la tabla modelo_teorico_etha_molinos "
                                 "de la base de datos, y debe tener una sola"}),
    [](const ::testing::TestParamInfo<TFilaDeMolinoQueNoCuadra>& info) { return std::string(info.param.nombre); });

// A model row that is not the park's plant's is named before its turbines.
TEST_F(ActualizacionTodoONada, UnModeloDeOtraCentralSeNombraAntesQueSusMolinos) {
    Ejecutar("UPDATE modelo_teorico SET central = 32 WHERE nid = 40");
    Ejecutar("DELETE FROM modelo_teorico_etha_molinos WHERE nid_molino = 101");
    antes_ = Filas();
    const std::string mensaje = FalloDeLaActualizacion(con_);
    EXPECT_NE(mensaje.find("ese número es de un modelo de la central 32, no de la central 31"), std::string::npos)
        << mensaje;
    EXPECT_EQ(Filas(), antes_);
}

// A connection that the server ends right before it sends its n-th
// statement (as an administrator or a restart would).
class TConexionQueSeCorta : public TPgSqlConRegistrada {
public:
    TConexionQueSeCorta(std::function<void()> cortar, int antesDe) : cortar_(std::move(cortar)), antesDe_(antesDe) {}
    std::unique_ptr<TPgSqlRes> sqlexec(const std::string& sql) override {
        if (++enviadas_ == antesDe_) cortar_();
        return TPgSqlConRegistrada::sqlexec(sql);
    }

private:
    std::function<void()> cortar_;
    int antesDe_;
    int enviadas_ = 0;
};

// Lost between the first and the second turbine: the server drops the open
// transaction, and nothing more is sent on the lost connection.
TEST_F(ActualizacionTodoONada, UnaConexionPerdidaEntreSentenciasDejaTodoComoEstaba) {
    TConexionQueSeCorta cortada([this] { ASSERT_EQ(TerminarLasOtrasConexiones(), 1); }, 3);
    cortada.Open(servidor_->Conexion());
    const std::string mensaje = FalloDeLaActualizacion(cortada);
    EXPECT_NE(mensaje.find("Se perdió la conexión con la base de datos."), std::string::npos) << mensaje;
    EXPECT_NE(mensaje.find(kNadaCambiado), std::string::npos) << mensaje;
    ASSERT_EQ(cortada.SentenciasEnviadas().size(), 3u);
    EXPECT_EQ(cortada.SentenciasEnviadas()[0], "BEGIN");
    EXPECT_FALSE(cortada.Abierta());
    EXPECT_EQ(Filas(), antes_);
}

// Lost with the commit: the answer never came, so the message cannot say
// that nothing changed, and says that it is not known.
TEST_F(ActualizacionTodoONada, UnaConexionPerdidaAlConfirmarNoDiceQueNadaCambio) {
    TConexionQueSeCorta cortada([this] { ASSERT_EQ(TerminarLasOtrasConexiones(), 1); }, 6);
    cortada.Open(servidor_->Conexion());
    try {
        parque_->ActualizarBD(cortada);
        FAIL() << "the write-back was reported as done";
    } catch (const ETransaccionIncierta& e) {
        const std::string mensaje = e.what();
        EXPECT_NE(mensaje.find("No se sabe si la base de datos llegó a guardar los cambios."), std::string::npos)
            << mensaje;
        EXPECT_EQ(mensaje.find(kNadaCambiado), std::string::npos) << mensaje;
    }
    EXPECT_EQ(cortada.SentenciasEnviadas().back(), "COMMIT");
}

}  // namespace
