// The database layer against a real PostgreSQL server started for the tests.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <tuple>
#include <vector>
#include <string>

#include "data/upgsql.h"
#include "numerics/errores.h"
#include "numerics/formatsettings.h"
#include "conexion_registrada.h"
#include "prueba_base_de_datos.h"

namespace {

using BaseDeDatos = PruebaConBaseDeDatos;

// Puts a decimal separator in force for a test and restores the previous one.
class SeparadorEnVigor {
public:
    explicit SeparadorEnVigor(char separador) : previo_(AjustesFormato().DecimalSeparator) {
        AjustesFormato().DecimalSeparator = separador;
    }
    ~SeparadorEnVigor() { AjustesFormato().DecimalSeparator = previo_; }

private:
    char previo_;
};

std::string Mensaje(const std::function<void()>& accion) {
    try {
        accion();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no exception)";
}

TEST_F(BaseDeDatos, ResultadoVacioEstaEnSuFinYSusCamposDanLosValoresPorDefecto) {
    auto res = con_.sqlexec("SELECT * FROM centrales");
    EXPECT_TRUE(res->eof());
    EXPECT_EQ(res->fieldByName("nid").AsInteger(7), 7);
    EXPECT_EQ(res->fieldByName("potencia_autorizada_mw").AsFloat(1.5), 1.5);
    EXPECT_EQ(res->fieldByName("centralgeneradora").AsString(), "");
    EXPECT_EQ(res->next(), -1);
    EXPECT_TRUE(res->eof());
}

TEST_F(BaseDeDatos, ElCursorRecorreLasFilasYNoVuelveALaPrimera) {
    Ejecutar("INSERT INTO centrales (nid, centralgeneradora, nid_central_kolm) VALUES "
             "(1, 'Uno', 11), (2, 'Dos', NULL), (3, 'Energía', 33)");
    auto res = con_.sqlexec("SELECT * FROM centrales ORDER BY nid");
    std::string nombres;
    int kolm = 0;
    while (!res->eof()) {
        nombres += res->fieldByName("centralgeneradora").AsString() + ";";
        // The program's mixed-case spelling finds the lower-case column.
        kolm += res->fieldByName("nid_central_KOLM").AsInteger(-1);
        EXPECT_EQ(res->fieldByName("no_hay_tal_columna").AsInteger(5), 5);
        res->next();
    }
    EXPECT_EQ(nombres, "Uno;Dos;Energía;");
    EXPECT_EQ(kolm, 11 - 1 + 33);
    // Past the end the cursor stays at the end.
    EXPECT_EQ(res->next(), -1);
    EXPECT_TRUE(res->eof());
    EXPECT_EQ(res->fieldByName("nid").AsInteger(0), 0);
    EXPECT_EQ(res->getvalue(7, 0), "");
    EXPECT_EQ(res->getvalue(0, 99), "");
    EXPECT_EQ(res->getvalueByName(2, "nid"), "3");
}

struct CasoReal {
    std::string nombre;
    std::string celda;
    double esperado;
};

void PrintTo(const CasoReal& caso, std::ostream* os) { *os << caso.celda; }

class RealDeCelda : public BaseDeDatos, public ::testing::WithParamInterface<std::tuple<CasoReal, char>> {};

TEST_P(RealDeCelda, SeEvaluaConPuntoSeaCualSeaElSeparador) {
    const auto& [caso, separador] = GetParam();
    const SeparadorEnVigor enVigor(separador);
    auto res = con_.sqlexec("SELECT '" + caso.celda + "'::text AS valor");
    EXPECT_EQ(res->fieldByName("valor").AsFloat(-9), caso.esperado);
    EXPECT_EQ(AjustesFormato().DecimalSeparator, separador);
}

INSTANTIATE_TEST_SUITE_P(Celdas, RealDeCelda,
                         ::testing::Combine(::testing::Values(CasoReal{"Exponente", "2.5E3", 2500},
                                                              CasoReal{"Suma", "1+1", 2},
                                                              CasoReal{"Negativo", "-0.035", -0.035},
                                                              CasoReal{"Funcion", "SQRT(16)/2", 2}),
                                            ::testing::Values('.', ',')),
                         [](const auto& info) {
                             return std::get<0>(info.param).nombre +
                                    (std::get<1>(info.param) == '.' ? "_ConPunto" : "_ConComa");
                         });

TEST_F(BaseDeDatos, RealDeUnaColumnaNumericaSeLeeComoLoEscribeElServidor) {
    Ejecutar("INSERT INTO centrales (nid, potencia_autorizada_mw, factor_kolm_scada) VALUES (1, 0.1, 1e300)");
    const SeparadorEnVigor coma(',');
    auto res = con_.sqlexec("SELECT * FROM centrales");
    EXPECT_EQ(res->fieldByName("potencia_autorizada_mw").AsFloat(0), 0.1);
    EXPECT_EQ(res->fieldByName("factor_kolm_scada").AsFloat(0), 1e300);
}

TEST_F(BaseDeDatos, CeldaQueNoSeEvaluaLevantaElErrorDeConversion) {
    auto res = con_.sqlexec("SELECT 'abc'::text AS valor, '1.5'::text AS entero");
    EXPECT_THROW(res->fieldByName("valor").AsFloat(0), EConvertError);
    EXPECT_THROW(res->fieldByName("entero").AsInteger(0), EConvertError);
}

TEST_F(BaseDeDatos, SentenciaFallidaLevantaConElPrefijoOVuelveVaciaSinLaBandera) {
    EXPECT_TRUE(con_.LanzarExcepciones);
    const std::string mensaje = Mensaje([&] { con_.sqlexec("SELECT * FROM no_existe"); });
    EXPECT_EQ(mensaje.rfind("FATAL_ERROR sqlexec: ", 0), 0u) << mensaje;
    EXPECT_NE(mensaje.find("no_existe"), std::string::npos) << mensaje;

    con_.LanzarExcepciones = false;
    auto res = con_.sqlexec("SELECT * FROM no_existe");
    EXPECT_TRUE(res->eof());
    EXPECT_EQ(res->status(), 7);
    EXPECT_EQ(res->fieldByName("nid").AsInteger(4), 4);
    EXPECT_EQ(con_.sqlquery_int("SELECT nid FROM no_existe", 9), 9);
    EXPECT_EQ(con_.sqlquery_float("SELECT nid FROM no_existe", -1), -1);
    // The connection goes on working after a failed statement.
    EXPECT_EQ(con_.sqlquery_int("SELECT 40 + 2", 0), 42);
}

TEST_F(BaseDeDatos, ConsultasDeUnSoloValor) {
    Ejecutar("INSERT INTO centrales (nid, centralgeneradora, potencia_autorizada_mw) VALUES "
             "(1, 'Uno', 2.5), (2, NULL, NULL)");
    EXPECT_EQ(con_.sqlquery_str("SELECT centralgeneradora FROM centrales WHERE nid = 1", "x"), "Uno");
    EXPECT_EQ(con_.sqlquery_str("SELECT centralgeneradora FROM centrales WHERE nid = 2", "x"), "");
    EXPECT_EQ(con_.sqlquery_str("SELECT nid, centralgeneradora FROM centrales WHERE nid = 1", "x"), "x");
    EXPECT_EQ(con_.sqlquery_int("SELECT count(*) FROM centrales", -1), 2);
    EXPECT_EQ(con_.sqlquery_int("SELECT nid FROM centrales", -1), -1);  // two rows
    EXPECT_EQ(con_.sqlquery_int("SELECT nid FROM centrales WHERE nid = 5", -1), -1);
    EXPECT_THROW(con_.sqlquery_int("SELECT potencia_autorizada_mw FROM centrales WHERE nid = 2", -1),
                 EConvertError);
    {
        const SeparadorEnVigor coma(',');
        EXPECT_EQ(con_.sqlquery_float("SELECT potencia_autorizada_mw FROM centrales WHERE nid = 1", -1), 2.5);
    }
    EXPECT_EQ(con_.sqlquery_float("SELECT nid FROM centrales WHERE nid = 5", -1.25), -1.25);
    EXPECT_THROW(con_.sqlquery_float("SELECT potencia_autorizada_mw FROM centrales WHERE nid = 2", -1),
                 EConvertError);
    // A single-value real is converted plainly: no expressions.
    EXPECT_THROW(con_.sqlquery_float("SELECT '1+1'", -1), EConvertError);
}

TEST_F(BaseDeDatos, NextvalCreaLaSecuenciaQueFaltaConOSinLaBandera) {
    for (bool bandera : {false, true}) {
        con_.LanzarExcepciones = bandera;
        const std::string tabla = bandera ? "con_bandera" : "sin_bandera";
        con_.OlvidarSentencias();
        EXPECT_EQ(con_.nextval(tabla, "nid", true), 1);
        EXPECT_EQ(con_.nextval(tabla, "nid", true), 2);
        const std::vector<std::string> esperadas{
            "SELECT nextval( '" + tabla + "_nid_seq' );", "CREATE SEQUENCE " + tabla + "_nid_seq START 1;",
            "SELECT nextval( '" + tabla + "_nid_seq' );", "SELECT nextval( '" + tabla + "_nid_seq' );"};
        EXPECT_EQ(con_.SentenciasEnviadas(), esperadas);
        EXPECT_EQ(con_.LanzarExcepciones, bandera);
    }
}

TEST_F(BaseDeDatos, NextvalSinCrearUsaLaSecuenciaDelEsquemaOFalla) {
    EXPECT_EQ(con_.nextval("modelo_teorico", "nid", false), 1);
    EXPECT_EQ(con_.nextval("modelo_teorico", "nid", false), 2);
    EXPECT_EQ(Mensaje([&] { con_.nextval("no_existe", "nid", false); }),
              "Falló nextva en secuencia: no_existe_nid_seq (relation \"no_existe_nid_seq\" does not exist)");
}

// The failure keeps the server's reason, whatever the raise flag; a sequence
// that exists but may not be used is not created again.
TEST_F(BaseDeDatos, NextvalQueFallaDiceElMotivoDelServidor) {
    // A role that sees the schema but may not use its sequences.
    Ejecutar("DO $$ BEGIN CREATE ROLE sin_permisos LOGIN; EXCEPTION WHEN duplicate_object THEN NULL; END $$");
    Ejecutar("GRANT USAGE ON SCHEMA public TO sin_permisos");
    TPgSqlConRegistrada sinPermisos;
    sinPermisos.Open(servidor_->Conexion() + " user=sin_permisos");
    for (bool bandera : {false, true}) {
        sinPermisos.LanzarExcepciones = bandera;
        sinPermisos.OlvidarSentencias();
        EXPECT_EQ(Mensaje([&] { sinPermisos.nextval("modelo_teorico", "nid", true); }),
                  "Falló nextva en secuencia: modelo_teorico_nid_seq "
                  "(permission denied for sequence modelo_teorico_nid_seq)");
        EXPECT_EQ(sinPermisos.SentenciasEnviadas(),
                  std::vector<std::string>{"SELECT nextval( 'modelo_teorico_nid_seq' );"});
        EXPECT_EQ(sinPermisos.LanzarExcepciones, bandera);
    }
    sinPermisos.Close();
    Ejecutar("REVOKE USAGE ON SCHEMA public FROM sin_permisos");
    Ejecutar("DROP ROLE sin_permisos");
}

// A connection the server ends is noticed by the statement that meets the
// end, which fails whatever the raise flag; opened again, it works.
TEST_F(BaseDeDatos, ConexionTerminadaPorElServidorFallaSeNotaYSeVuelveAAbrir) {
    for (bool bandera : {true, false}) {
        TPgSqlCon otra;
        otra.Open(servidor_->Conexion());
        otra.LanzarExcepciones = bandera;
        ASSERT_TRUE(otra.Abierta());
        ASSERT_GE(TerminarLasOtrasConexiones(), 1);
        const std::string mensaje = Mensaje([&] { otra.sqlquery_int("SELECT 40 + 2", -1); });
        EXPECT_EQ(mensaje.rfind("FATAL_ERROR sqlexec: ", 0), 0u) << mensaje;
        EXPECT_NE(mensaje.find("Se perdió la conexión con la base de datos."), std::string::npos) << mensaje;
        EXPECT_FALSE(otra.Abierta());
        otra.Open(servidor_->Conexion());
        EXPECT_TRUE(otra.Abierta());
        EXPECT_EQ(otra.sqlquery_int("SELECT 40 + 2", -1), 42);
    }
}

TEST_F(BaseDeDatos, NextvalSobreUnaConexionPerdidaLoDiceConSuPrefijo) {
    TPgSqlCon otra;
    otra.Open(servidor_->Conexion());
    ASSERT_GE(TerminarLasOtrasConexiones(), 1);
    const std::string mensaje = Mensaje([&] { otra.nextval("modelo_teorico", "nid", true); });
    EXPECT_EQ(mensaje.rfind("Falló nextva en secuencia: modelo_teorico_nid_seq (FATAL_ERROR sqlexec: ", 0), 0u)
        << mensaje;
    EXPECT_NE(mensaje.find("Se perdió la conexión con la base de datos."), std::string::npos) << mensaje;
    EXPECT_TRUE(otra.LanzarExcepciones);
}

// The program's connection keeps nothing of what it sends, so its memory
// does not grow with the statements of a long session; only the tests'
// connection records them.
template <class Conexion>
concept GuardaLasSentencias = requires(const Conexion& c) { c.SentenciasEnviadas(); };

TEST(ConexionDelPrograma, NoGuardaLasSentenciasQueEnvia) {
    EXPECT_FALSE(GuardaLasSentencias<TPgSqlCon>);
    EXPECT_TRUE(GuardaLasSentencias<TPgSqlConRegistrada>);
}

TEST_F(BaseDeDatos, LasColumnasDelEsquemaSonLasQueLeeElPrograma) {
    Ejecutar("INSERT INTO curvas_aerogen (nid, modelo, diametro, curva_v, curva_p) VALUES "
             "(4, 'V90', 90, '[2|3;25]', '[2|0;3]')");
    Ejecutar("INSERT INTO modelo_teorico (nid, central, dt_creacion, dt_actualizacion )  VALUES ( 7, 3, now(), now() )");
    Ejecutar("INSERT INTO modelo_teorico_etha_molinos ( nid_modelo, nid_molino, etha ) VALUES ( 7, 1, 1 )");
    Ejecutar("INSERT INTO modelo_teorico_etha_molinos ( nid_modelo, nid_molino, etha ) VALUES ( 7, 1, 1 )");
    auto curva = con_.sqlexec("SELECT * FROM curvas_aerogen WHERE nid =4");
    EXPECT_EQ(curva->fieldByName("curva_P").AsString(), "[2|0;3]");
    EXPECT_EQ(curva->fieldByName("diametro").AsFloat(0), 90);
    auto modelo = con_.sqlexec("SELECT * FROM modelo_teorico WHERE central = 3 ORDER BY dt_creacion DESC LIMIT 1");
    EXPECT_EQ(modelo->fieldByName("nid").AsInteger(0), 7);
    EXPECT_EQ(modelo->fieldByName("n_sectores_dir").AsInteger(72), 72);  // not inserted: NULL
    // Two factor rows of one turbine are allowed; the single-value query then answers its default.
    EXPECT_EQ(con_.sqlquery_float("SELECT etha FROM modelo_teorico_etha_molinos WHERE nid_modelo = 7 AND nid_molino = 1",
                                  -1),
              -1);
}

// A transaction's statements raise on error even on a connection whose
// raise flag is clear, so a failure cannot pass for a commit: what went
// before it is rolled back, and the flag is left as it was.
TEST_F(BaseDeDatos, UnaTransaccionQueFallaDeshaceLoEnviadoAunSinLaBandera) {
    con_.LanzarExcepciones = false;
    const std::string motivo = Mensaje([&] {
        EjecutarEnTransaccion(con_, [&] {
            Ejecutar("INSERT INTO centrales (nid) VALUES (5)");
            Ejecutar("INSERT INTO centrales (nid) VALUES (5)");  // the key is taken
        });
    });
    EXPECT_EQ(motivo.rfind("FATAL_ERROR sqlexec: ", 0), 0u) << motivo;
    EXPECT_FALSE(con_.LanzarExcepciones);
    EXPECT_EQ(con_.SentenciasEnviadas().back(), "ROLLBACK");
    EXPECT_EQ(con_.sqlquery_int("SELECT count(*) FROM centrales", -1), 0);
    EjecutarEnTransaccion(con_, [&] { Ejecutar("INSERT INTO centrales (nid) VALUES (5)"); });
    EXPECT_EQ(con_.SentenciasEnviadas().back(), "COMMIT");
    EXPECT_EQ(con_.sqlquery_int("SELECT count(*) FROM centrales", -1), 1);
}

// A sender may fail with an error of its own rather than the database's:
// that too rolls back what it sent, and reaches the caller as it was thrown.
TEST_F(BaseDeDatos, UnaTransaccionCortadaPorOtraExcepcionDeshaceLoEnviadoYLaDejaPasar) {
    Ejecutar("INSERT INTO centrales (nid, centralgeneradora) VALUES (1, 'Uno'), (2, 'Dos')");
    const auto filas = [&] {
        auto res = con_.sqlexec("SELECT nid, centralgeneradora FROM centrales ORDER BY nid");
        std::string texto;
        for (; !res->eof(); res->next())
            texto += res->fieldByName("nid").AsString() + "=" + res->fieldByName("centralgeneradora").AsString() + ";";
        return texto;
    };
    ASSERT_EQ(filas(), "1=Uno;2=Dos;");
    try {
        EjecutarEnTransaccion(con_, [&] {
            Ejecutar("UPDATE centrales SET centralgeneradora = 'Cambiada' WHERE nid = 1");
            throw std::runtime_error("el emisor se cortó");
        });
        ADD_FAILURE() << "the sender's exception did not reach the caller";
    } catch (const EErrorQuendal& e) {
        ADD_FAILURE() << "a std::runtime_error was expected, not EErrorQuendal: " << e.what();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "el emisor se cortó");
    }
    EXPECT_EQ(con_.SentenciasEnviadas().back(), "ROLLBACK");
    EXPECT_EQ(filas(), "1=Uno;2=Dos;");
}

TEST_F(BaseDeDatos, TextoSQLLlevaComillasYBarrasIntactas) {
    const std::string raro = "O'Higgins \\ c:\\tarnek ''; DROP TABLE centrales; --";
    Ejecutar("INSERT INTO centrales (nid, centralgeneradora) VALUES (1, " + TextoSQL(raro) + ")");
    EXPECT_EQ(con_.sqlquery_str("SELECT centralgeneradora FROM centrales WHERE nid = 1", "x"), raro);
    EXPECT_EQ(TextoSQL("a'b"), "'a''b'");
    EXPECT_EQ(TextoSQL("a\\b"), "E'a\\\\b'");
    EXPECT_THROW(TextoSQL(std::string("a\0b", 3)), EErrorQuendal);
    EXPECT_THROW(con_.sqlexec(std::string("DELETE FROM centrales\0 WHERE nid = 1", 36)), EErrorQuendal);
}

TEST_F(BaseDeDatos, ConexionCerradaOImposibleLevantaUnErrorClaro) {
    TPgSqlCon cerrada;
    EXPECT_EQ(Mensaje([&] { cerrada.sqlexec("SELECT 1"); }), "La conexión con la base de datos no está abierta");
    const std::string mensaje = Mensaje([&] { cerrada.Open("host=127.0.0.1 port=1 connect_timeout=2"); });
    EXPECT_EQ(mensaje.rfind("No se puede conectar con la base de datos: ", 0), 0u) << mensaje;
    EXPECT_FALSE(cerrada.Abierta());
    con_.Close();
    EXPECT_FALSE(con_.Abierta());
}

}  // namespace
