// The solar restriction run end to end: the plant's row from a real
// PostgreSQL server loaded with the project's schema, its model fitted to the
// plant's series file, the metered energy from the local HTTPS server, and
// the tables and window results read back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "data/ucarpetasmodelos.h"
#include "data/upgsql.h"
#include "models/uGranjaSolar.h"
#include "numerics/errores.h"
#include "numerics/fechas.h"
#include "restrictions/ucalcrestriccionesoperativas.h"
#include "serie_solar_prueba.h"
#include "servidor_https.h"
#include "servidor_pg.h"
#include "tablas_prueba.h"

namespace fs = std::filesystem;
using ::testing::HasSubstr;

namespace {

constexpr int32_t Nid = 321;
constexpr int32_t NidKOLM = 31;
constexpr double Pa = PotenciaAutorizadaSintetica;  // 50 MW
constexpr int32_t Dias = 3;
constexpr double Consigna = 30;

TDateTime Enero(int dia, int hora = 0, int minuto = 0) { return EncodeDateTime(2018, 1, dia, hora, minuto, 0, 0); }
// Sample number of a time of the series, which starts on 15 January 00:00.
int32_t Muestra(int dia, int hora, int minuto = 0) { return (dia - 15) * 144 + hora * 6 + minuto / 10 + 1; }

// Three days of samples from 15 January 2018 whose power is the synthetic
// polynomial, with two restrictions at a set-point of 30 MW, the plant held
// at it: 14:00 to 14:50 of the 15th (in daylight; at 14:10 the plant stood
// 10 MW below the set-point) and 02:00 to 02:20 of the 16th (at night).
TMuestrasSolares MuestrasConRestricciones() {
    TMuestrasSolares m = MuestrasSinteticas(Dias * 144);
    auto restringir = [&m](int32_t primera, int32_t cantidad) {
        for (int32_t k = 0; k < cantidad; ++k) {
            const int32_t i = primera + k;
            m.Rad.pv[i] = 900 + 3 * k;
            m.Temp.pv[i] = 25 + 0.1 * k;
            m.CGM.pv[i] = Consigna;
            m.PE.pv[i] = Consigna;
        }
    };
    restringir(Muestra(15, 14), 6);
    m.PE.pv[Muestra(15, 14, 10)] = Consigna - 10;
    restringir(Muestra(16, 2), 3);
    return m;
}

// What the model should estimate for a restricted daylight sample held at
// the set-point: the polynomial's power less the measured one, per 10 min.
double EnergiaEsperada(const TMuestrasSolares& m, int32_t i) {
    return (PolinomioSintetico(m.Rad.pv[i], m.Temp.pv[i]) - m.PE.pv[i]) / 6;
}

class CorridaSolar : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        try {
            pg_ = std::make_unique<TServidorPgPrueba>();
        } catch (const std::exception& e) {
            errorPg_ = e.what();
        }
        https_ = TServidorHTTPSPrueba::Iniciar(errorHttps_);
    }
    static void TearDownTestSuite() {
        pg_.reset();
        https_.reset();
    }

    void SetUp() override {
        ASSERT_TRUE(pg_) << "No se pudo iniciar el servidor PostgreSQL de prueba: " << errorPg_;
        ASSERT_TRUE(https_) << "No se pudo iniciar el servidor HTTPS de prueba: " << errorHttps_;
        pg_->ReiniciarEsquema();
        con_.Open(pg_->Conexion());
        carpeta_ = CarpetaCentral(Nid);
        archivoSeries_ = RutaArchivoEnCarpetaCentral(Nid, "_series10min.sas");
        EscribirSerieSolar(archivoSeries_, muestras_);
    }

    // The plant's row, then its model fitted to the series file as the solar
    // tab builds it.
    std::unique_ptr<TGeneradorSolar> Modelo(const std::string& factor, const std::string& nidKOLM) {
        con_.sqlexec_ntuples(
            "INSERT INTO centrales (nid, centralgeneradora, potencia_autorizada_mw, factor_kolm_scada, "
            "nid_central_kolm) VALUES (" + std::to_string(Nid) + ", 'Solar del Este', 50, " + factor + ", " +
            nidKOLM + ")");
        auto fila = con_.sqlexec("SELECT * FROM centrales WHERE nid=" + std::to_string(Nid));
        ::testing::internal::CaptureStdout();
        auto modelo = TGeneradorSolar::Create(archivoSeries_, Nid, &con_, *fila);
        ::testing::internal::GetCapturedStdout();
        return modelo;
    }

    // Runs over the given period with the service at the local server.
    std::string Correr(const TGeneradorSolar& modelo, TDateTime ini, TDateTime fin) {
        const std::string base = https_->UrlBase(TServidorHTTPSPrueba::Usuario, TServidorHTTPSPrueba::Clave);
        TVariableDeEntornoPrueba servicio(VariableServicioMedicion, &base);
        ::testing::internal::CaptureStdout();
        try {
            ProcesarRestriccionesSolar(con_, modelo, archivoSeries_, carpeta_, 3, ini, fin,
                                       {https_->ArchivoCA(), 20000});
        } catch (...) {
            ::testing::internal::GetCapturedStdout();
            throw;
        }
        return ::testing::internal::GetCapturedStdout();
    }

    std::string EnCarpeta(const std::string& nombre) const { return carpeta_ + "/" + nombre; }

    static std::unique_ptr<TServidorPgPrueba> pg_;
    static std::string errorPg_;
    static std::unique_ptr<TServidorHTTPSPrueba> https_;
    static std::string errorHttps_;

    TUnidadCSolar unidad_;
    TPgSqlCon con_;
    TMuestrasSolares muestras_ = MuestrasConRestricciones();
    std::string carpeta_;
    std::string archivoSeries_;
};
std::unique_ptr<TServidorPgPrueba> CorridaSolar::pg_;
std::string CorridaSolar::errorPg_;
std::unique_ptr<TServidorHTTPSPrueba> CorridaSolar::https_;
std::string CorridaSolar::errorHttps_;

TEST_F(CorridaSolar, EstimaLasMuestrasRestringidasDeDiaYRecortaPorLaMedida) {
    const auto modelo = Modelo("0.95", std::to_string(NidKOLM));
    // Metered energy of the hour of 14:00 on the 15th: 45 MWh, which leaves
    // 5 MWh of headroom; the hour of 13:00 has no metered value.
    https_->ServirVentana(NidKOLM, CuerpoVentanaHoraria(NidKOLM, Enero(1), {{14 * 24 + 14, 45}}));
    const std::string consola = Correr(*modelo, Enero(15), Enero(17));

    // The request ends at the period end's own stamp.
    EXPECT_EQ(https_->Peticiones().back(),
              "GET /cgi-bin/IntranetApp/ventanaEAS_Horaria?central=31&dtIni=20180115&dtFin=20180117 HTTP/1.0");
    EXPECT_THAT(consola, Not(HasSubstr("N = ")));
    EXPECT_THAT(consola, HasSubstr("Simulando fecha: 16/01/2018 02:10:00->FALSE\n"));
    EXPECT_THAT(consola, HasSubstr("Simulando fecha: 15/01/2018 14:10:00->TRUE\n"));

    // Ten-minute table: the day window's six samples, the one 10 MW off its
    // set-point with energy 0; nothing of the night window.
    const auto diez = TablaDeArchivo(EnCarpeta("RO_DTE_31_3.txt"));
    ASSERT_EQ(diez.size(), 1u + 3 * 144);  // 15, 16 and 17 January
    EXPECT_EQ(diez[0], (TFilaTabla{"Fecha", "ENS_MWh", "rad", "temp", "PotModelo", "PotDato", "CGM"}));
    double energiaHora14 = 0;
    for (int32_t i = Muestra(15, 14); i < Muestra(15, 15); ++i) {
        const TFilaTabla& fila = diez[i];
        EXPECT_EQ(fila[0], FormatDateTime("dd-mm-yyyy hh:mm", FechaDeMuestra(Enero(15), 1.0 / 144, i)));
        const double esperada = i == Muestra(15, 14, 10) ? 0 : EnergiaEsperada(muestras_, i);
        EXPECT_NEAR(ValorDeCelda(fila[1]), esperada, 1e-5) << fila[0];
        EXPECT_EQ(ValorDeCelda(fila[2]), muestras_.Rad.pv[i]);
        EXPECT_EQ(ValorDeCelda(fila[3]), muestras_.Temp.pv[i]);
        EXPECT_EQ(ValorDeCelda(fila[5]), muestras_.PE.pv[i]);
        EXPECT_EQ(ValorDeCelda(fila[6]), Consigna);
        if (i > Muestra(15, 14)) energiaHora14 += ValorDeCelda(fila[1]);
    }
    for (int32_t i = Muestra(16, 2); i < Muestra(16, 2, 30); ++i) EXPECT_EQ(ValorDeCelda(diez[i][1]), 0);

    // Hourly table: 14:00 folds into the hour of 13:00, 14:10 to 14:50 into
    // the hour of 14:00.
    const double energiaHora13 = EnergiaEsperada(muestras_, Muestra(15, 14));
    const auto horaria = TablaDeArchivo(EnCarpeta("c321_Restricciones_horarias_3m.xlt"));
    ASSERT_EQ(horaria.size(), 4u);
    EXPECT_EQ(ValorDeCelda(horaria[1][0]), Enero(15, 13));
    EXPECT_NEAR(ValorDeCelda(horaria[1][1]), energiaHora13, 1e-5);
    EXPECT_EQ(ValorDeCelda(horaria[1][2]), 0.95);
    EXPECT_NEAR(ValorDeCelda(horaria[2][1]), energiaHora14, 1e-9);
    EXPECT_EQ(horaria[3][0], "E[MWh] totales");

    // Day table: 13:00 unclipped, 14:00 clipped to the 5 MWh of headroom.
    const auto diaria = TablaDeArchivo(EnCarpeta("c321_RO_DTE_3m.xlt"));
    ASSERT_EQ(diaria.size(), 4u);
    EXPECT_EQ(diaria[1][0], "15-01-2018");
    EXPECT_NEAR(ValorDeCelda(diaria[1][2 + 13]), std::nearbyint(energiaHora13 * 0.95 * 1000) / 1000, 1e-12);
    ASSERT_GT(energiaHora14 * 0.95, 5);
    EXPECT_EQ(ValorDeCelda(diaria[1][2 + 14]), 5);
    EXPECT_EQ(diaria[3][0], "17-01-2018");

    // One result file per window, named by its clamped simulation period.
    const auto dia = LineasDeArchivo(EnCarpeta("c321_ResultadosMC_201801151000201801151900_3m.xlt"));
    ASSERT_GE(dia.size(), 4u);
    EXPECT_EQ(dia[0],
              "dt\tRad[W/m2]\tTemp[ºC]\tP_MW_Dato[MW]\tCGM_Dato[MW]\tf_disp[p.u.]\tP_MW_sinAjCP\tP_MW_conAjCP\t"
              "pRed_conAjCP[MW]");
    EXPECT_EQ(dia.size(), 1u + 9 * 6 + 1 + 2);  // header, 10:00 to 19:00, summary
    const TFilaTabla resumen = CeldasDe(dia.back());
    EXPECT_EQ(resumen[0], "15-01-2018 14:00");
    EXPECT_EQ(resumen[1], "15-01-2018 14:50");
    EXPECT_NEAR(ValorDeCelda(resumen[2]), energiaHora13 + energiaHora14, 1e-5);
    EXPECT_TRUE(fs::exists(EnCarpeta("c321_ResultadosMC_201801152200201801160630_3m.xlt")));
}

TEST_F(CorridaSolar, SinFactorEnLaBaseLasEnergiasMedidasSonCeroYSeAvisa) {
    const auto modelo = Modelo("NULL", "NULL");
    const std::size_t peticiones = https_->Peticiones().size();
    const std::string consola = Correr(*modelo, Enero(15), Enero(17));

    EXPECT_THAT(consola, HasSubstr("Aviso: no se pudo leer factor_kolm_scada de la central 321"));
    EXPECT_EQ(https_->Peticiones().size(), peticiones);  // no metering number: nothing asked
    const auto horaria = TablaDeArchivo(EnCarpeta("c321_Restricciones_horarias_3m.xlt"));
    ASSERT_EQ(horaria.size(), 4u);
    EXPECT_GT(ValorDeCelda(horaria[1][1]), 0);
    EXPECT_EQ(ValorDeCelda(horaria[1][3]), 0);
    EXPECT_EQ(ValorDeCelda(horaria.back()[3]), 0);
    const auto diaria = TablaDeArchivo(EnCarpeta("c321_RO_DTE_3m.xlt"));
    for (std::size_t d = 1; d < diaria.size(); ++d)
        for (std::size_t c = 1; c < diaria[d].size(); ++c) EXPECT_EQ(ValorDeCelda(diaria[d][c]), 0);
    EXPECT_TRUE(fs::exists(EnCarpeta("RO_DTE_0_3.txt")));
}

// The table and text files in the plant folder, in name order.
std::vector<std::string> ArchivosDeResultados(const std::string& carpeta) {
    std::vector<std::string> archivos;
    for (const auto& entrada : fs::directory_iterator(carpeta)) {
        const std::string extension = entrada.path().extension().string();
        if (extension == ".xlt" || extension == ".txt") archivos.push_back(entrada.path().filename().string());
    }
    std::sort(archivos.begin(), archivos.end());
    return archivos;
}

// The factor's table gone from the database: the run stops with the
// server's error before it writes anything, whatever the connection's
// raise flag, and asks the metering service nothing.
TEST_F(CorridaSolar, UnaConsultaDelFactorQueFallaDetieneLaCorridaSinEscribirTablas) {
    const auto modelo = Modelo("0.95", std::to_string(NidKOLM));
    con_.sqlexec_ntuples("ALTER TABLE centrales RENAME TO centrales_renombrada");
    https_->ServirVentana(NidKOLM, CuerpoVentanaHoraria(NidKOLM, Enero(1), {{14 * 24 + 14, 45}}));
    const std::size_t peticiones = https_->Peticiones().size();
    const std::vector<std::string> antes = ArchivosDeResultados(carpeta_);
    for (bool bandera : {true, false}) {
        con_.LanzarExcepciones = bandera;
        std::string mensaje = "(no exception)";
        try {
            Correr(*modelo, Enero(15), Enero(17));
        } catch (const EErrorQuendal& e) {
            mensaje = e.what();
        }
        EXPECT_EQ(mensaje.rfind("FATAL_ERROR sqlexec: ", 0), 0u) << mensaje;
        EXPECT_THAT(mensaje, HasSubstr("relation \"centrales\" does not exist"));
        EXPECT_EQ(con_.LanzarExcepciones, bandera);
        EXPECT_EQ(ArchivosDeResultados(carpeta_), antes);
        EXPECT_EQ(https_->Peticiones().size(), peticiones);
    }
}

TEST_F(CorridaSolar, UnPeriodoImposibleSeRechazaSinEscribirTablas) {
    const auto modelo = Modelo("1", "NULL");
    const struct {
        TDateTime ini, fin;
        int32_t u;
        const char* mensaje;
    } casos[] = {{Enero(16), Enero(15), 3, "es posterior a la fecha de fin"},
                 {Enero(20), Enero(22), 3, "no tiene muestras en el archivo de series"},
                 {Enero(15), Enero(17), 0, "debe ser al menos 1"}};
    for (const auto& c : casos) {
        ::testing::internal::CaptureStdout();
        try {
            ProcesarRestriccionesSolar(con_, *modelo, archivoSeries_, carpeta_, c.u, c.ini, c.fin);
            ADD_FAILURE() << "se esperaba un error: " << c.mensaje;
        } catch (const EErrorQuendal& e) {
            EXPECT_THAT(e.what(), HasSubstr(c.mensaje));
        }
        ::testing::internal::GetCapturedStdout();
        EXPECT_FALSE(fs::exists(EnCarpeta("c321_Restricciones_horarias_3m.xlt")));
        EXPECT_FALSE(fs::exists(EnCarpeta("c321_RO_DTE_3m.xlt")));
    }
}

}  // namespace
