// Downloading a theoretical park from a real PostgreSQL server: a new model,
// an existing one, the repairs and the refusals.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "models/uparques_modeloteorico.h"
#include "numerics/archivotexto.h"
#include "numerics/errores.h"
#include "test_parque_bd_base.h"

namespace {

class DescargaParque : public ParqueEnBaseDeDatos {};

TEST_F(DescargaParque, ModeloNuevoTomaSuNumeroDeLaSecuenciaEInsertaSusFilasEnOrden) {
    // Two numbers already taken: the new model is number 3.
    con_.nextval("modelo_teorico", "nid", false);
    con_.nextval("modelo_teorico", "nid", false);
    auto central = FilaCentral();
    con_.OlvidarSentencias();

    const auto p = TParque_ModeloTeorico::Create_DesdeBD(con_, *central);

    const std::vector<std::string> esperadas{
        "SELECT * FROM modelo_teorico WHERE central = 31 ORDER BY dt_creacion DESC LIMIT 1",
        // Everything is read before the first row is written.
        "SELECT count(*) FROM molinos WHERE nidcentral=31",
        "SELECT * FROM molinos WHERE nidcentral=31",
        "SELECT * FROM curvas_aerogen WHERE nid =11",
        "SELECT * FROM curvas_aerogen WHERE nid =11",
        "SELECT * FROM curvas_aerogen WHERE nid =12",
        "SELECT nextval( 'modelo_teorico_nid_seq' );",
        "INSERT INTO modelo_teorico (nid, central, dt_creacion, dt_actualizacion )  VALUES ( 3, 31, now(), now() )",
        "INSERT INTO modelo_teorico_etha_molinos ( nid_modelo, nid_molino, etha ) VALUES ( 3, 101, 1 )",
        "INSERT INTO modelo_teorico_etha_molinos ( nid_modelo, nid_molino, etha ) VALUES ( 3, 102, 1 )",
        "INSERT INTO modelo_teorico_etha_molinos ( nid_modelo, nid_molino, etha ) VALUES ( 3, 103, 1 )",
        "SELECT etha FROM modelo_teorico_etha_molinos WHERE nid_modelo = 3 AND nid_molino = 101",
        "SELECT etha FROM modelo_teorico_etha_molinos WHERE nid_modelo = 3 AND nid_molino = 102",
        "SELECT etha FROM modelo_teorico_etha_molinos WHERE nid_modelo = 3 AND nid_molino = 103",
        "BEGIN",
        "UPDATE modelo_teorico_etha_molinos SET etha = 1 WHERE nid_modelo = 3 AND nid_molino = 101",
        "UPDATE modelo_teorico_etha_molinos SET etha = 1 WHERE nid_modelo = 3 AND nid_molino = 102",
        "UPDATE modelo_teorico_etha_molinos SET etha = 1 WHERE nid_modelo = 3 AND nid_molino = 103",
    };
    const auto& enviadas = con_.SentenciasEnviadas();
    // Then the model's update, and the write-back's transaction ends.
    ASSERT_EQ(enviadas.size(), esperadas.size() + 2);
    for (std::size_t i = 0; i < esperadas.size(); ++i) EXPECT_EQ(enviadas[i], esperadas[i]) << "statement " << i;
    const std::string& actualizacion = enviadas[esperadas.size()];
    EXPECT_EQ(actualizacion.rfind("UPDATE modelo_teorico SET n_sectores_dir= 72, ", 0), 0u) << actualizacion;
    EXPECT_NE(actualizacion.find(" WHERE nid = 3"), std::string::npos);
    EXPECT_EQ(enviadas.back(), "COMMIT");

    // The park holds the defaults and the plant's values.
    EXPECT_EQ(p->nid, 31);
    EXPECT_EQ(p->nid_modelo, 3);
    EXPECT_EQ(p->nombre, "Parque Sur");
    EXPECT_EQ(p->nid_central_KOLM, 7);
    EXPECT_EQ(p->factor_kolm_scada, 0.98);
    EXPECT_EQ(p->potencia_autorizada_mw, 20);
    EXPECT_EQ(p->potencia_nominal, 20);
    EXPECT_EQ(p->alfa_terreno, 0.5);
    EXPECT_EQ(p->gamma_atmosfera, 0.4);
    EXPECT_EQ(p->grilla_rotada_margen_dx, 1000);
    EXPECT_EQ(p->meteo_etha.nf, 72);
    EXPECT_EQ(p->meteo_etha.SumaElementos(), 720);
    EXPECT_EQ(p->meteo_cota, 45.5);
    ASSERT_EQ(p->nMolinos, 3);
    const TMolino& m = *p->molinos[0];
    EXPECT_EQ(m.nid, 101);
    EXPECT_EQ(m.nro, 1);
    EXPECT_EQ(m.nid_curvaaero, 11);
    EXPECT_EQ(m.curva.modelo, "Aero X");
    EXPECT_EQ(m.etha, 1);  // the model's factor, not the one of `molinos`
    EXPECT_EQ(m.posicion.x, -300);
    EXPECT_EQ(m.posicion.y, 250);
    EXPECT_EQ(p->molinos[2]->posicion.y, -399.75);
    ASSERT_TRUE(p->curvaParque);
    EXPECT_EQ(p->curvaParque->Pmax, 2 + 2 + 1.5);

    // The new row holds the defaults after the write-back.
    auto fila = con_.sqlexec("SELECT * FROM modelo_teorico");
    ASSERT_EQ(fila->ntuples(), 1);
    EXPECT_EQ(fila->fieldByName("nid").AsInteger(0), 3);
    EXPECT_EQ(fila->fieldByName("central").AsInteger(0), 31);
    EXPECT_NE(fila->fieldByName("dt_creacion").AsString(), "");
    EXPECT_EQ(fila->fieldByName("factor_perdidas").AsFloat(0), 0.035);
    EXPECT_EQ(fila->fieldByName("grilla_rotada_dx").AsFloat(0), 9);
    EXPECT_EQ(fila->fieldByName("meteo_utm_zona").AsString(), "H");
    EXPECT_EQ(TMatR::Create_DesdeCadena(fila->fieldByName("meteo_etha").AsString()).SumaElementos(), 720);
    EXPECT_EQ(con_.sqlquery_int("SELECT count(*) FROM modelo_teorico_etha_molinos WHERE nid_modelo = 3 AND etha = 1", 0),
              3);
}

TEST_F(DescargaParque, ModeloExistenteSinReparacionesNoEscribeNada) {
    CargarModeloCompleto();
    auto central = FilaCentral();
    con_.OlvidarSentencias();

    const auto p = TParque_ModeloTeorico::Create_DesdeBD(con_, *central);

    EXPECT_TRUE(SentenciasQueEmpiezanCon("UPDATE").empty());
    EXPECT_TRUE(SentenciasQueEmpiezanCon("INSERT").empty());
    EXPECT_TRUE(SentenciasQueEmpiezanCon("SELECT nextval").empty());
    EXPECT_EQ(p->nid_modelo, 40);
    EXPECT_EQ(p->alfa_terreno, 0.45);
    EXPECT_EQ(p->gamma_atmosfera, 0.35);
    EXPECT_EQ(p->fpv3pe, 1.7);
    EXPECT_EQ(p->factor_perdidas, 0.03);
    EXPECT_EQ(p->potencia_nominal, 19);
    EXPECT_EQ(p->grilla_rotada_margen_dx, 800);
    EXPECT_EQ(p->meteo_etha.nf, 2);
    EXPECT_EQ(p->meteo_etha.nc, 3);
    EXPECT_EQ(p->meteo_etha.Elemento(2, 2), 1.05);
    EXPECT_EQ(p->mat_vientos.Elemento(1, 3), 12);
    EXPECT_EQ(p->molinos[0]->etha, 0.97);
    EXPECT_EQ(p->molinos[1]->etha, 1.02);
    EXPECT_EQ(p->molinos[2]->etha, 0.99);
}

TEST_F(DescargaParque, CeldasChicasNulosYNumeroKolmVacioNoSonReparaciones) {
    CargarModeloCompleto();
    Ejecutar("UPDATE modelo_teorico SET grilla_rotada_dx = 0.05, grilla_rotada_dy = 2, n_sectores_dir = NULL, "
             "meteo_etha = NULL, mat_vientos = 'sin tabla'");
    Ejecutar("UPDATE centrales SET nid_central_kolm = NULL");
    auto central = FilaCentral();
    con_.OlvidarSentencias();

    const auto p = TParque_ModeloTeorico::Create_DesdeBD(con_, *central);

    EXPECT_TRUE(SentenciasQueEmpiezanCon("UPDATE").empty());
    EXPECT_EQ(p->grilla_rotada_dx, 9);
    EXPECT_EQ(p->grilla_rotada_dy, 1);
    EXPECT_EQ(p->n_sectores_dir, 72);
    EXPECT_EQ(p->meteo_etha.nf, 72);
    EXPECT_EQ(p->meteo_etha.nc, 10);
    EXPECT_EQ(p->mat_vientos.SumaElementos(), 720);
    EXPECT_EQ(p->nid_central_KOLM, 0);
}

TEST_F(DescargaParque, PotenciaAutorizadaCeroVuelveATodosLosValoresPorDefectoYSeEscribe) {
    CargarModeloCompleto();
    Ejecutar("UPDATE modelo_teorico SET potencia_autorizada_mw = 0, meteo_utm_xe = 1, meteo_cota = 3");
    auto central = FilaCentral();
    con_.OlvidarSentencias();

    const auto p = TParque_ModeloTeorico::Create_DesdeBD(con_, *central);

    EXPECT_EQ(p->nid_modelo, 40);
    EXPECT_EQ(p->alfa_terreno, 0.5);
    EXPECT_EQ(p->potencia_autorizada_mw, 20);
    EXPECT_EQ(p->meteo_utm_xe, 573000);
    EXPECT_EQ(p->meteo_etha.nf, 72);
    EXPECT_EQ(p->molinos[0]->etha, 0.97);  // the factors are the model's, untouched
    EXPECT_TRUE(SentenciasQueEmpiezanCon("INSERT").empty());
    ASSERT_EQ(SentenciasQueEmpiezanCon("UPDATE modelo_teorico SET").size(), 1u);
    auto fila = con_.sqlexec("SELECT * FROM modelo_teorico WHERE nid = 40");
    EXPECT_EQ(fila->fieldByName("potencia_autorizada_mw").AsFloat(0), 20);
    EXPECT_EQ(fila->fieldByName("alfa_terreno").AsFloat(0), 0.5);
    EXPECT_EQ(fila->fieldByName("meteo_cota").AsFloat(0), 45.5);
    EXPECT_EQ(TMatR::Create_DesdeCadena(fila->fieldByName("meteo_etha").AsString()).nf, 72);
}

class MastilSinPosicion : public DescargaParque, public ::testing::WithParamInterface<const char*> {};

// A band '?' or a zone 0 is replaced by the conversion of the plant's
// latitude and longitude (-34.9, -56.2 lies in 21H) and written back.
TEST_P(MastilSinPosicion, SeUbicaDesdeLatitudYLongitud) {
    CargarModeloCompleto();
    Ejecutar(std::string("UPDATE modelo_teorico SET ") + GetParam());
    auto central = FilaCentral();
    con_.OlvidarSentencias();

    const auto p = TParque_ModeloTeorico::Create_DesdeBD(con_, *central);

    EXPECT_EQ(p->meteo_utm_huso, 21);
    EXPECT_EQ(p->meteo_utm_zona, 'H');
    EXPECT_NEAR(p->meteo_utm_xe, 573090.85, 0.01);
    EXPECT_NEAR(p->meteo_utm_yn, 6137754.50, 0.01);
    EXPECT_EQ(p->molinos[0]->posicion.x, 572700 - p->meteo_utm_xe);
    ASSERT_EQ(SentenciasQueEmpiezanCon("UPDATE modelo_teorico SET").size(), 1u);
    auto fila = con_.sqlexec("SELECT * FROM modelo_teorico WHERE nid = 40");
    EXPECT_EQ(fila->fieldByName("meteo_utm_huso").AsInteger(0), 21);
    EXPECT_EQ(fila->fieldByName("meteo_utm_zona").AsString(), "H");
    EXPECT_NEAR(fila->fieldByName("meteo_utm_yn").AsFloat(0), 6137754.50, 0.01);
}

std::string NombreDeCasoDeMastil(const ::testing::TestParamInfo<const char*>& info) {
    static const char* const nombres[] = {"BandaNula", "BandaInterrogacion", "HusoCero", "HusoNulo"};
    return nombres[info.index];
}

INSTANTIATE_TEST_SUITE_P(Casos, MastilSinPosicion,
                         ::testing::Values("meteo_utm_zona = NULL", "meteo_utm_zona = '?'", "meteo_utm_huso = 0",
                                           "meteo_utm_huso = NULL"),
                         NombreDeCasoDeMastil);

TEST_F(DescargaParque, SinLatitudNiLongitudElParqueSeRechazaSinCrearModelo) {
    Ejecutar("UPDATE centrales SET meteo_utm_zona = NULL, longitud = NULL");
    auto central = FilaCentral();
    con_.OlvidarSentencias();
    const std::string mensaje = Mensaje([&] { TParque_ModeloTeorico::Create_DesdeBD(con_, *central); });
    EXPECT_NE(mensaje.find("La central 31 (Parque Sur)"), std::string::npos) << mensaje;
    EXPECT_NE(mensaje.find("latitud y longitud"), std::string::npos) << mensaje;
    EXPECT_EQ(con_.sqlquery_int("SELECT count(*) FROM modelo_teorico", -1), 0);
    EXPECT_TRUE(SentenciasQueEmpiezanCon("INSERT").empty());
}

TEST_F(DescargaParque, MolinoSinFilaDeFactorRecibeUnaConFactorUno) {
    CargarModeloCompleto();
    Ejecutar("DELETE FROM modelo_teorico_etha_molinos WHERE nid_molino = 102");
    auto central = FilaCentral();
    con_.OlvidarSentencias();

    const auto p = TParque_ModeloTeorico::Create_DesdeBD(con_, *central);

    EXPECT_EQ(p->molinos[1]->etha, 1);
    EXPECT_EQ(SentenciasQueEmpiezanCon("INSERT"),
              std::vector<std::string>{
                  "INSERT INTO modelo_teorico_etha_molinos ( nid_modelo, nid_molino, etha ) VALUES ( 40, 102, 1 )"});
    EXPECT_TRUE(SentenciasQueEmpiezanCon("UPDATE").empty());
    EXPECT_EQ(con_.sqlquery_float("SELECT etha FROM modelo_teorico_etha_molinos WHERE nid_molino = 102", -1), 1);
}

// The calibrated factor of the first row is kept; no further row is added.
TEST_F(DescargaParque, MolinoConDosFilasDeFactorTomaLaPrimera) {
    CargarModeloCompleto();
    Ejecutar("INSERT INTO modelo_teorico_etha_molinos VALUES (40, 102, 0.5)");
    auto central = FilaCentral();
    con_.OlvidarSentencias();

    const auto p = TParque_ModeloTeorico::Create_DesdeBD(con_, *central);

    EXPECT_EQ(p->molinos[1]->etha, 1.02);
    EXPECT_TRUE(SentenciasQueEmpiezanCon("INSERT").empty());
    EXPECT_EQ(con_.sqlquery_int("SELECT count(*) FROM modelo_teorico_etha_molinos", -1), 4);
}

// A repair is written back only where each turbine has its one factor row:
// with two rows for one turbine the download says so, and the write-back
// leaves every row as it was (the rows are not both overwritten with the
// factor of whichever came first).
TEST_F(DescargaParque, UnaReparacionConDosFilasDeFactorDeUnMolinoSeRechazaSinEscribir) {
    CargarModeloCompleto();
    Ejecutar("INSERT INTO modelo_teorico_etha_molinos VALUES (40, 102, 0.5)");
    Ejecutar("UPDATE modelo_teorico SET potencia_autorizada_mw = 0");
    auto central = FilaCentral();
    EXPECT_EQ(Mensaje([&] { TParque_ModeloTeorico::Create_DesdeBD(con_, *central); }),
              "No se actualizó el modelo teórico 40 de la central 31 (Parque Sur): el molino 102 tiene 2 filas del "
              "modelo 40 en la tabla modelo_teorico_etha_molinos de la base de datos, y debe tener una sola.");
    EXPECT_EQ(con_.sqlquery_float("SELECT potencia_autorizada_mw FROM modelo_teorico WHERE nid = 40", -1), 0);
    EXPECT_EQ(con_.sqlquery_float("SELECT etha FROM modelo_teorico_etha_molinos WHERE nid_molino = 101", -9), 0.97);
    EXPECT_EQ(con_.sqlquery_int("SELECT count(*) FROM modelo_teorico_etha_molinos WHERE etha = 0.5", -1), 1);
}

// -1 or less marks no factor: the turbine takes 1 and the row is written
// back, without a further row.
TEST_F(DescargaParque, FactorMenosUnoSeReparaEnSuFila) {
    CargarModeloCompleto();
    Ejecutar("UPDATE modelo_teorico_etha_molinos SET etha = -1 WHERE nid_molino = 101");
    auto central = FilaCentral();
    con_.OlvidarSentencias();

    const auto p = TParque_ModeloTeorico::Create_DesdeBD(con_, *central);

    EXPECT_EQ(p->molinos[0]->etha, 1);
    EXPECT_TRUE(SentenciasQueEmpiezanCon("INSERT").empty());
    EXPECT_EQ(SentenciasQueEmpiezanCon("UPDATE").size(), 4u);
    EXPECT_EQ(con_.sqlquery_float("SELECT etha FROM modelo_teorico_etha_molinos WHERE nid_molino = 101", -9), 1);
    EXPECT_EQ(con_.sqlquery_float("SELECT etha FROM modelo_teorico_etha_molinos WHERE nid_molino = 102", -9), 1.02);
}

TEST_F(DescargaParque, FactorNuloEsUnErrorDeConversion) {
    CargarModeloCompleto();
    Ejecutar("UPDATE modelo_teorico_etha_molinos SET etha = NULL WHERE nid_molino = 103");
    auto central = FilaCentral();
    EXPECT_THROW(TParque_ModeloTeorico::Create_DesdeBD(con_, *central), EConvertError);
}

TEST_F(DescargaParque, CantidadDeMolinosIlegibleDaUnErrorClaro) {
    CargarModeloCompleto();
    // Without the raise flag a failed count answers its default, -1.
    con_.LanzarExcepciones = false;
    Ejecutar("DROP TABLE molinos");
    auto central = FilaCentral();
    EXPECT_EQ(Mensaje([&] { TParque_ModeloTeorico::Create_DesdeBD(con_, *central); }),
              "No se pudo leer la cantidad de molinos de la central 31 (Parque Sur)");
}

TEST_F(DescargaParque, CentralInexistenteNoCreaUnModelo) {
    auto central = FilaCentral(99);
    EXPECT_THROW(TParque_ModeloTeorico::Create_DesdeBD(con_, *central), EErrorQuendal);
    EXPECT_EQ(con_.sqlquery_int("SELECT count(*) FROM modelo_teorico", -1), 0);
}

TEST_F(DescargaParque, CurvaQueFaltaSeNombra) {
    CargarModeloCompleto();
    Ejecutar("DELETE FROM curvas_aerogen WHERE nid = 12");
    auto central = FilaCentral();
    EXPECT_EQ(Mensaje([&] { TParque_ModeloTeorico::Create_DesdeBD(con_, *central); }),
              "No está la curva de potencia 12 en curvas_aerogen");
}

// The model's tables must hold a row for each of its n_sectores_dir sectors.
TEST_F(DescargaParque, TablasConMenosFilasQueSectoresSeRechazan) {
    CargarModeloCompleto();
    Ejecutar("UPDATE modelo_teorico SET n_sectores_dir = 3");
    auto central = FilaCentral();
    EXPECT_EQ(Mensaje([&] { TParque_ModeloTeorico::Create_DesdeBD(con_, *central); }),
              "Las tablas meteo_etha y mat_vientos tienen 2 filas, menos que los 3 sectores de n_sectores_dir "
              "(modelo teórico 40 de la central 31)");
    EXPECT_EQ(con_.sqlquery_int("SELECT count(*) FROM modelo_teorico", -1), 1);
    EXPECT_EQ(con_.sqlquery_int("SELECT n_sectores_dir FROM modelo_teorico WHERE nid = 40", -1), 3);
}

TEST_F(DescargaParque, TablasDeFormasDistintasSeRechazan) {
    CargarModeloCompleto();
    Ejecutar("UPDATE modelo_teorico SET mat_vientos = NULL");  // ones 72 x 10 against a 2 x 3 table
    auto central = FilaCentral();
    const std::string mensaje = Mensaje([&] { TParque_ModeloTeorico::Create_DesdeBD(con_, *central); });
    EXPECT_NE(mensaje.find("modelo teórico 40"), std::string::npos) << mensaje;
}

// ---- The plant's metering factor ----

// Every row the download could write, and the model sequence, as text.
std::string FilasEscribibles(TPgSqlCon& con) {
    std::string texto;
    for (const char* consulta :
         {"SELECT * FROM modelo_teorico ORDER BY nid", "SELECT * FROM molinos ORDER BY nid",
          "SELECT * FROM modelo_teorico_etha_molinos ORDER BY nid_modelo, nid_molino",
          "SELECT last_value, is_called FROM modelo_teorico_nid_seq"}) {
        const auto filas = con.sqlexec(consulta);
        for (int i = 0; i < filas->ntuples(); ++i) {
            for (int j = 0; j < filas->nfields(); ++j) texto += filas->getvalue(i, j) + "|";
            texto += "\n";
        }
        texto += "--\n";
    }
    return texto;
}

struct TCentralSinFactor {
    const char* caso;
    std::vector<std::string> preparacion;
    std::string mensaje;
};
void PrintTo(const TCentralSinFactor& c, std::ostream* os) { *os << c.caso; }

const char* const kSinFactor = "La fila de la central 31 (Parque Sur) en la tabla centrales no tiene factor_kolm_scada: "
                               "no se puede armar su modelo teórico";

// A download refused before anything is written: no new model nor its
// number, no repair, no factor row.
class DescargaRechazada : public DescargaParque, public ::testing::WithParamInterface<TCentralSinFactor> {
protected:
    void ComprobarQueSeRechazaSinEscribirNada() {
        for (const std::string& sentencia : GetParam().preparacion) Ejecutar(sentencia);
        const std::string antes = FilasEscribibles(con_);
        auto central = FilaCentral();
        con_.OlvidarSentencias();

        EXPECT_EQ(Mensaje([&] { TParque_ModeloTeorico::Create_DesdeBD(con_, *central); }), GetParam().mensaje);

        EXPECT_TRUE(SentenciasQueEmpiezanCon("INSERT").empty());
        EXPECT_TRUE(SentenciasQueEmpiezanCon("UPDATE").empty());
        EXPECT_TRUE(SentenciasQueEmpiezanCon("SELECT nextval").empty());
        EXPECT_EQ(FilasEscribibles(con_), antes);
    }
};

class CentralSinFactor : public DescargaRechazada {};

// A plant row without its factor.
TEST_P(CentralSinFactor, SeRechazaNombrandoLaCentralSinEscribirNada) { ComprobarQueSeRechazaSinEscribirNada(); }

INSTANTIATE_TEST_SUITE_P(
    Casos, CentralSinFactor,
    ::testing::Values(
        TCentralSinFactor{"ModeloNuevo", {"UPDATE centrales SET factor_kolm_scada = NULL"}, kSinFactor},
        // A model with a mast to place and a turbine without its factor row:
        // both repairs would be written.
        TCentralSinFactor{"ModeloConReparaciones",
                          {"UPDATE centrales SET factor_kolm_scada = NULL",
                           "INSERT INTO modelo_teorico VALUES (40, 31, '2020-01-01 10:00', '2020-01-01 10:00', 2, "
                           "0.45, 0.35, 1.7, 0.03, 20, 19, 9, 1, 800, NULL, 21, 573000, 6137700, 45.5, "
                           "'[2|3][1][0.9][1.1][1][1.05][0.95]', '[2|3][4][8][12][4][8][12]')",
                           "INSERT INTO modelo_teorico_etha_molinos VALUES (40, 101, 0.97), (40, 103, 0.99)"},
                          kSinFactor},
        // A database whose column holds text.
        TCentralSinFactor{"TextoQueNoEsNumero",
                          {"ALTER TABLE centrales ALTER COLUMN factor_kolm_scada TYPE text",
                           "UPDATE centrales SET factor_kolm_scada = 'sin dato'"},
                          "El factor_kolm_scada de la central 31 (Parque Sur) en la tabla centrales no es un número: "
                          "Error: no se puede evaluar \"sin dato\" a un número real: no se puede armar su modelo "
                          "teórico"}),
    [](const ::testing::TestParamInfo<TCentralSinFactor>& info) { return std::string(info.param.caso); });

// A plant whose park file could not hold what the database gives: a name
// that breaks its line, a turbine's UTM band that is a separator of its
// position line, a curve model that breaks its line. Refused naming the
// plant by its number, and the turbine, before anything is written.
class ParqueQueSuArchivoNoGuarda : public DescargaRechazada {};

TEST_P(ParqueQueSuArchivoNoGuarda, SeRechazaNombrandoLaCentralSinEscribirNada) {
    ComprobarQueSeRechazaSinEscribirNada();
}

const char* const kNombreConLf =
    "La central 31: el nombre \"Parque\\nSur\" tiene un salto de línea, y el archivo guarda el nombre en una "
    "sola línea: no se puede armar su modelo teórico";

std::string RechazoDeZona(const char* zonaVisible) {
    return std::string("La central 31: la zona UTM del molino 102 es \"") + zonaVisible +
           "\", que no se puede leer de vuelta: la línea de su posición se separa en blancos, tabuladores, saltos "
           "de línea, comas y puntos y coma: no se puede armar su modelo teórico";
}

INSTANTIATE_TEST_SUITE_P(
    Casos, ParqueQueSuArchivoNoGuarda,
    ::testing::Values(
        TCentralSinFactor{"NombreConLf", {"UPDATE centrales SET centralgeneradora = E'Parque\\nSur'"}, kNombreConLf},
        TCentralSinFactor{"NombreConCr",
                          {"UPDATE centrales SET centralgeneradora = E'Parque\\rSur'"},
                          "La central 31: el nombre \"Parque\\rSur\" tiene un salto de línea, y el archivo guarda el "
                          "nombre en una sola línea: no se puede armar su modelo teórico"},
        // An existing model whose mast must be placed: the repair is not written either.
        TCentralSinFactor{"NombreConLfEnUnModeloConReparaciones",
                          {"UPDATE centrales SET centralgeneradora = E'Parque\\nSur'",
                           "INSERT INTO modelo_teorico VALUES (40, 31, '2020-01-01 10:00', '2020-01-01 10:00', 2, "
                           "0.45, 0.35, 1.7, 0.03, 20, 19, 9, 1, 800, NULL, 21, 573000, 6137700, 45.5, "
                           "'[2|3][1][0.9][1.1][1][1.05][0.95]', '[2|3][4][8][12][4][8][12]')",
                           "INSERT INTO modelo_teorico_etha_molinos VALUES (40, 101, 0.97), (40, 103, 0.99)"},
                          kNombreConLf},
        TCentralSinFactor{"ZonaBlanca", {"UPDATE molinos SET zona_utm = ' H' WHERE nid = 102"}, RechazoDeZona(" ")},
        TCentralSinFactor{"ZonaSaltoDeLinea",
                          {"UPDATE molinos SET zona_utm = E'\\nH' WHERE nid = 102"},
                          RechazoDeZona("\\n")},
        TCentralSinFactor{"ZonaRetornoDeCarro",
                          {"UPDATE molinos SET zona_utm = E'\\r' WHERE nid = 102"},
                          RechazoDeZona("\\r")},
        TCentralSinFactor{"ModeloDeCurvaConLf",
                          {"UPDATE curvas_aerogen SET modelo = E'Aero\\nX' WHERE nid = 11"},
                          "La central 31: el modelo \"Aero\\nX\" de la curva de potencia del molino 101 tiene un "
                          "salto de línea, y el archivo lo guarda en una sola línea: no se puede armar su modelo "
                          "teórico"}),
    [](const ::testing::TestParamInfo<TCentralSinFactor>& info) { return std::string(info.param.caso); });

// A tab is no line break: such a name is downloaded, and its file reads back.
TEST_F(DescargaParque, UnNombreConTabuladorSeBajaYSuArchivoSeLeeDeVuelta) {
    Ejecutar("UPDATE centrales SET centralgeneradora = E'Parque\\tSur'");
    auto central = FilaCentral();
    const auto p = TParque_ModeloTeorico::Create_DesdeBD(con_, *central);
    ASSERT_EQ(p->nombre, "Parque\tSur");
    TEscritorTexto escrito = TEscritorTexto::EnMemoria();
    p->GuardarEnTexto(escrito);
    TLectorTexto lector = TLectorTexto::DesdeTexto(escrito.Contenido(), "bajado.pmt");
    EXPECT_EQ(TParque_ModeloTeorico::Create_LeerDeTexto(lector)->nombre, "Parque\tSur");
}

// A factor that is there is taken as it stands, 0 included.
TEST_F(DescargaParque, UnFactorPresenteSeTomaComoEsta) {
    for (const char* factor : {"0", "0.97"}) {
        Ejecutar("DELETE FROM modelo_teorico_etha_molinos");
        Ejecutar("DELETE FROM modelo_teorico");
        Ejecutar(std::string("UPDATE centrales SET factor_kolm_scada = ") + factor);
        auto central = FilaCentral();
        const auto p = TParque_ModeloTeorico::Create_DesdeBD(con_, *central);
        EXPECT_EQ(p->factor_kolm_scada, std::stod(factor)) << factor;
        EXPECT_EQ(con_.sqlquery_int("SELECT count(*) FROM modelo_teorico", -1), 1) << factor;
        EXPECT_EQ(con_.sqlquery_int("SELECT count(*) FROM modelo_teorico_etha_molinos", -1), 3) << factor;
    }
}

}  // namespace
