// The wind restriction run end to end on the hand-made plant (one turbine
// downwind of the mast, Pa = 1.5 MW, a six-sample restriction 14:10-15:00 of
// 15 January 2018 at set-point 0.5), with the metered energy served by the
// local HTTPS server or missing, and the run's refusals.
//
// From the window simulation's hand computation (see the window acceptance
// test): the six restricted samples lose 0.7, 0.75, ..., 0.95 MW, so the hour
// of 14:00 (samples 14:10 to 15:00) holds 4.95 / 6 = 0.825 MWh. With
// F = 0.97 its metered-scale energy is A = 0.80025 MWh; a metered 1.0 MWh in
// that hour leaves 1.5 - 1.0 = 0.5 MWh of headroom, so the day-table cell is
// 0.5 and the cut 0.5 - 0.80025 = -0.30025 MWh. Without metered energy the
// cell is A to the nearest thousandth, 0.8.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <exception>
#include <filesystem>
#include <limits>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>

#include "apoyo_simulacion.h"
#include "data/ucarpetasmodelos.h"
#include "numerics/errores.h"
#include "restrictions/ucalcrestriccionesoperativas.h"
#include "servidor_https.h"
#include "tablas_prueba.h"

using namespace apoyo_simulacion;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

namespace {

constexpr int32_t U = 6;
constexpr int32_t NidKOLM = 25;
constexpr double F = 0.97;
constexpr double EnergiaHora14 = 4.95 / 6;

class CorridaEolica : public ConPlantaDeMano {
protected:
    static void SetUpTestSuite() { https_ = TServidorHTTPSPrueba::Iniciar(errorHttps_); }
    static void TearDownTestSuite() { https_.reset(); }

    void SetUp() override {
        ConPlantaDeMano::SetUp();
        ASSERT_TRUE(https_) << "No se pudo iniciar el servidor HTTPS de prueba: " << errorHttps_;
        archivoModelo_ = EscribirModelo(NidKOLM);
        DiaDeMano().Escribir(archivoSeries_);
    }

    // The hand-made plant's combined model file, with its metering number
    // and factor.
    static std::string EscribirModelo(int32_t nidKOLM) {
        auto parque = ParqueDeUnMolino(NidDeMano);
        parque->nid_central_KOLM = nidKOLM;
        parque->factor_kolm_scada = F;
        const std::string ruta = RutaModeloCombinado(NidDeMano);
        TEscritorTexto f = TEscritorTexto::Crear(ruta);
        parque->GuardarEnTexto(f);
        apoyo_calibrador::EscribirBloqueEmpiricoDeMano(f);
        f.Cerrar();
        return ruta;
    }

    std::string BaseConClave() const {
        return https_->UrlBase(TServidorHTTPSPrueba::Usuario, TServidorHTTPSPrueba::Clave);
    }

    // Runs with the service's address given (or unset) and returns the console.
    std::string Correr(const std::string* servicio, TDateTime ini, TDateTime fin, long esperaMs = 20000) const {
        TVariableDeEntornoPrueba variable(VariableServicioMedicion, servicio);
        ::testing::internal::CaptureStdout();
        try {
            ProcesarRestriccionesEolico(archivoModelo_, archivoSeries_, carpeta_, false, false, U, ini, fin,
                                        {https_->ArchivoCA(), esperaMs});
        } catch (...) {
            ::testing::internal::GetCapturedStdout();
            throw;
        }
        return ::testing::internal::GetCapturedStdout();
    }

    std::string EnCarpeta(const std::string& nombre) const { return carpeta_ + "/" + nombre; }

    // The day-table cell of the hour of 14:00 of 15 January.
    double CeldaDeLasCatorce() const {
        const auto diaria = TablaDeArchivo(EnCarpeta("c12_RO_DTE_6m.xlt"));
        EXPECT_EQ(diaria.size(), 2u);
        if (diaria.size() < 2) return -1;
        EXPECT_EQ(diaria[1][0], "15-01-2018");
        return ValorDeCelda(diaria[1][2 + 14]);
    }

    static std::unique_ptr<TServidorHTTPSPrueba> https_;
    static std::string errorHttps_;
    std::string archivoModelo_;
};
std::unique_ptr<TServidorHTTPSPrueba> CorridaEolica::https_;
std::string CorridaEolica::errorHttps_;

TEST_F(CorridaEolica, ElDiaDeManoConLaEnergiaMedidaServida) {
    // 1.0 MWh metered in the hour of 14:00 of 15 January (slot 14·24 + 14).
    https_->ServirVentana(NidKOLM, CuerpoVentanaHoraria(NidKOLM, Dia(), {{14 * 24 + 14, 1.0}}));
    const std::string base = BaseConClave();
    // A start before the series is clamped to its first sample.
    const std::string consola = Correr(&base, Dia() - 1, Dia() + 1);

    EXPECT_EQ(https_->Peticiones().back(),
              "GET /cgi-bin/IntranetApp/ventanaEAS_Horaria?central=25&dtIni=20180115&dtFin=20180116 HTTP/1.0");
    EXPECT_THAT(consola, HasSubstr("\nN = 8760\n"));
    EXPECT_THAT(consola, HasSubstr("SIMULACION TERMINADA CON EXITO"));
    EXPECT_THAT(consola, HasSubstr("Recorte acum = -0.3002"));  // the energies are single-precision sums
    EXPECT_THAT(consola, Not(HasSubstr(TServidorHTTPSPrueba::Clave)));
    EXPECT_TRUE(fs::exists(EnCarpeta("c12_ResultadosMC_201801151010201801151910_6m.xlt")));

    const auto horaria = TablaDeArchivo(EnCarpeta("c12_Restricciones_horarias_6m.xlt"));
    ASSERT_EQ(horaria.size(), 3u);
    EXPECT_EQ(ValorDeCelda(horaria[1][0]), Hora(14, 0));
    EXPECT_NEAR(ValorDeCelda(horaria[1][1]), EnergiaHora14, 1e-7);
    EXPECT_EQ(ValorDeCelda(horaria[1][2]), F);
    EXPECT_EQ(horaria[2][0], "E[MWh] totales");
    EXPECT_NEAR(ValorDeCelda(horaria[2][3]), EnergiaHora14 * F, 1e-7);

    EXPECT_EQ(CeldaDeLasCatorce(), 0.5);

    const auto diez = TablaDeArchivo(EnCarpeta("RO_DTE_25_6.txt"));
    ASSERT_EQ(diez.size(), 1u + 144);
    EXPECT_EQ(diez[0], (TFilaTabla{"Fecha", "ENS_MWh", "vel", "dir", "PotModelo", "PotDato", "CGM"}));
    EXPECT_EQ(diez[1][0], "15-01-2018 00:00");
    for (int32_t i = 1; i <= 144; ++i) {
        const double pRed = i >= 86 && i <= 91 ? 0.7 + 0.05 * (i - 86) : 0;
        EXPECT_NEAR(ValorDeCelda(diez[i][1]), pRed / 6, 1e-7) << i;
    }
    EXPECT_EQ(ValorDeCelda(diez[86][6]), 0.5);
}

TEST_F(CorridaEolica, SinDireccionDelServicioSigueSinRecortar) {
    const std::size_t peticiones = https_->Peticiones().size();
    const std::string consola = Correr(nullptr, Dia(), Dia() + 1);
    EXPECT_THAT(consola, HasSubstr("No está definida la variable QUENDAL_SERVICIO_MEDICION"));
    EXPECT_THAT(consola, Not(HasSubstr("N = ")));
    EXPECT_EQ(https_->Peticiones().size(), peticiones);
    EXPECT_EQ(CeldaDeLasCatorce(), 0.8);
    EXPECT_TRUE(fs::exists(EnCarpeta("RO_DTE_25_6.txt")));
}

// Each way the service can fail the run: it goes on without clipping, says
// why on the console and never prints the password. The base address is
// bent (a wrong password, or a path and "?" that make the fixed path part of
// the query) to reach the server's other answers.
struct CasoServicioFallido {
    const char* nombre;
    const char* usuario;
    const char* clave;
    const char* sufijoBase;
    const char* cuerpoVentana;  // served at the window path; null: the default window
    const char* aviso;
};

class ServicioFallido : public CorridaEolica, public ::testing::WithParamInterface<CasoServicioFallido> {};

TEST_P(ServicioFallido, LaCorridaSigueSinRecortarYLoDice) {
    const CasoServicioFallido& c = GetParam();
    if (c.cuerpoVentana) https_->ServirVentana(NidKOLM, c.cuerpoVentana);
    const std::string base = https_->UrlBase(c.usuario, c.clave) + c.sufijoBase;
    const std::string consola = Correr(&base, Dia(), Dia() + 1, 1500);
    EXPECT_THAT(consola, HasSubstr(c.aviso));
    EXPECT_THAT(consola, HasSubstr("la tabla diaria no se recorta"));
    EXPECT_THAT(consola, Not(HasSubstr(c.clave)));
    EXPECT_THAT(consola, Not(HasSubstr("N = ")));
    EXPECT_EQ(CeldaDeLasCatorce(), 0.8);
    https_->ServirVentana(NidKOLM, CuerpoVentanaHoraria(NidKOLM, Dia(), {}));
}

INSTANTIATE_TEST_SUITE_P(
    Casos, ServicioFallido,
    ::testing::Values(
        CasoServicioFallido{"ClaveEquivocada", TServidorHTTPSPrueba::Usuario, "otraclave", "", nullptr, "401"},
        CasoServicioFallido{"NoEncontrado", TServidorHTTPSPrueba::Usuario, TServidorHTTPSPrueba::Clave, "/otra",
                            nullptr, "404"},
        CasoServicioFallido{"ErrorDelServidor", TServidorHTTPSPrueba::Usuario, TServidorHTTPSPrueba::Clave,
                            "/error?", nullptr, "500"},
        CasoServicioFallido{"MovidoNoSeSigue", TServidorHTTPSPrueba::Usuario, TServidorHTTPSPrueba::Clave,
                            "/movido?", nullptr, "301"},
        CasoServicioFallido{"TemporalNoSeSigue", TServidorHTTPSPrueba::Usuario, TServidorHTTPSPrueba::Clave,
                            "/temporal?", nullptr, "302"},
        CasoServicioFallido{"NoResponde", TServidorHTTPSPrueba::Usuario, TServidorHTTPSPrueba::Clave, "/mudo?",
                            nullptr, "No se pudo descargar"},
        CasoServicioFallido{"Gotea", TServidorHTTPSPrueba::Usuario, TServidorHTTPSPrueba::Clave, "/goteo?",
                            nullptr, "Se agotó la espera de 1500 ms sin la respuesta completa del servidor"},
        CasoServicioFallido{"CuerpoVacio", TServidorHTTPSPrueba::Usuario, TServidorHTTPSPrueba::Clave, "", "",
                            "no es una ventana horaria"},
        CasoServicioFallido{"PaginaHTML", TServidorHTTPSPrueba::Usuario, TServidorHTTPSPrueba::Clave, "",
                            "<!DOCTYPE html><html><body><h1>Mantenimiento</h1></body></html>",
                            "no es una ventana horaria"}),
    [](const auto& info) { return std::string(info.param.nombre); });

// A password with a reserved character that is not percent-encoded: the
// address is refused before anything is sent, the run goes on without
// clipping, and neither its console nor a failure shows the password.
class ClaveConCaracterReservado : public CorridaEolica, public ::testing::WithParamInterface<const char*> {};

TEST_P(ClaveConCaracterReservado, LaDireccionSeRechazaSinMostrarLaClave) {
    const std::string clave = GetParam();
    const std::string hostPuerto = "127.0.0.1:" + std::to_string(https_->Puerto());
    const std::string base = "https://medidor:" + clave + "@" + hostPuerto;
    const std::size_t peticiones = https_->Peticiones().size();
    std::string consola, fallo;
    try {
        consola = Correr(&base, Dia(), Dia() + 1);
    } catch (const std::exception& e) {
        fallo = e.what();
    }
    EXPECT_EQ(fallo, "");
    EXPECT_EQ(https_->Peticiones().size(), peticiones);
    EXPECT_THAT(consola, HasSubstr("La dirección no es válida"));
    EXPECT_THAT(consola, HasSubstr("(https://***@" + hostPuerto + "/cgi-bin/"));
    EXPECT_THAT(consola, HasSubstr("la tabla diaria no se recorta"));
    for (const std::string& texto : {consola, fallo})
        for (const std::string& trozo : {clave, clave.substr(0, 3), clave.substr(2) + "@", std::string("medidor")})
            EXPECT_THAT(texto, Not(HasSubstr(trozo)));
    EXPECT_EQ(CeldaDeLasCatorce(), 0.8);
}

INSTANTIATE_TEST_SUITE_P(Claves, ClaveConCaracterReservado, ::testing::Values("pa/ss", "pa?ss", "pa#ss"),
                         [](const auto& info) { return std::string("clave_") + std::to_string(info.index); });

// A window as the service might send it for plant 25: `registros` hourly
// slots from `inicio`, the slot of 14:00 of 15 January (when the window has
// it) holding `valorCatorce`, then `bytesDeMenos` bytes cut from the
// records (the byte count following) and `cola` appended after them.
struct TVentanaServida {
    int32_t id = NidKOLM;
    TDateTime inicio = EncodeDate(2018, 1, 1);
    int32_t registros = 8760;
    double valorCatorce = 1.0;
    int32_t otraHora = -1;  // another slot that holds `valorOtraHora`
    double valorOtraHora = 0;
    std::size_t bytesDeMenos = 0;
    std::string cola;
};

std::string CuerpoServido(const TVentanaServida& v) {
    auto ventana = TVentanaKOLMHoraria::Create(v.id, Dia());
    ventana->start = v.inicio;
    ventana->data.resize(static_cast<std::size_t>(v.registros) * TRecMedidaKOLM::Tamano);
    int32_t catorce = -1;
    if (ventana->timeToIndex(Hora(14, 0), catorce) && catorce >= 0 && catorce < ventana->count())
        ventana->FijarRegistro(catorce, {v.valorCatorce, 1, Dia()});
    if (v.otraHora >= 0) ventana->FijarRegistro(v.otraHora, {v.valorOtraHora, 1, Dia()});
    ventana->data.resize(ventana->data.size() - v.bytesDeMenos);
    std::ostringstream cuerpo;
    ventana->writeHeader(cuerpo);
    ventana->writeData(cuerpo);
    return cuerpo.str() + v.cola;
}

// The window above with the changes that `cambio` makes.
template <class TCambio>
TVentanaServida Ventana(TCambio cambio) {
    TVentanaServida v;
    cambio(v);
    return v;
}

struct CasoVentanaServida {
    const char* nombre;
    TVentanaServida ventana;
    const char* aviso;  // null: the window is used
};

void PrintTo(const CasoVentanaServida& c, std::ostream* os) { *os << c.nombre; }

// The window's body is checked before its values are used: a window of
// another plant, without a single hour of the period, with a value that is
// not finite, with a byte count that is not a whole number of records or
// with bytes after them is refused, and the run goes on without clipping.
// A window on another grid origin, or shorter than a year, is laid on the
// period by time and clips the hour of 14:00 to 0.5.
class VentanaServida : public CorridaEolica, public ::testing::WithParamInterface<CasoVentanaServida> {};

TEST_P(VentanaServida, SeUsaOSeRechazaDiciendoPorQue) {
    const CasoVentanaServida& c = GetParam();
    https_->ServirVentana(NidKOLM, CuerpoServido(c.ventana));
    const std::string base = BaseConClave();
    const std::string consola = Correr(&base, Dia(), Dia() + 1);
    https_->ServirVentana(NidKOLM, CuerpoVentanaHoraria(NidKOLM, Dia(), {}));
    EXPECT_THAT(consola, HasSubstr("SIMULACION TERMINADA CON EXITO"));
    if (c.aviso) {
        EXPECT_THAT(consola, HasSubstr(std::string("Se rechaza la ventana horaria de medidas recibida: ") + c.aviso +
                                       ": la tabla diaria no se recorta por la energía medida.\n"));
        EXPECT_THAT(consola, Not(HasSubstr("N = ")));
        EXPECT_EQ(CeldaDeLasCatorce(), 0.8);
    } else {
        EXPECT_THAT(consola, Not(HasSubstr("Se rechaza")));
        EXPECT_THAT(consola, HasSubstr("\nN = " + std::to_string(c.ventana.registros) + "\n"));
        EXPECT_EQ(CeldaDeLasCatorce(), 0.5);
    }
}

const double Infinito = std::numeric_limits<double>::infinity();
const double NoNumero = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Casos, VentanaServida,
    ::testing::Values(
        CasoVentanaServida{"DeOtraCentral", Ventana([](TVentanaServida& v) { v.id = 31; }),
                           "es de la central de medición 31 y se pidió la 25"},
        CasoVentanaServida{"DeOtroAnio", Ventana([](TVentanaServida& v) { v.inicio = EncodeDate(2017, 1, 1); }),
                           "empieza el 01-01-2017 00:00 con 8760 horas y no tiene ninguna hora del período del "
                           "15-01-2018 00:00 al 15-01-2018 23:00"},
        CasoVentanaServida{"SinRegistros", Ventana([](TVentanaServida& v) { v.registros = 0; }),
                           "empieza el 01-01-2018 00:00 con 0 horas y no tiene ninguna hora del período del "
                           "15-01-2018 00:00 al 15-01-2018 23:00"},
        CasoVentanaServida{"FueraDeLaRejilla",
                           Ventana([](TVentanaServida& v) { v.inicio = EncodeDateTime(2018, 1, 1, 0, 30, 0, 0); }),
                           "empieza el 01-01-2018 00:30 con 8760 horas y no tiene ninguna hora del período del "
                           "15-01-2018 00:00 al 15-01-2018 23:00"},
        CasoVentanaServida{"InfinitoEnLaHora", Ventana([](TVentanaServida& v) { v.valorCatorce = Infinito; }),
                           "el valor de la hora del 15-01-2018 14:00 no es un número finito"},
        CasoVentanaServida{"NoNumeroEnLaHora", Ventana([](TVentanaServida& v) { v.valorCatorce = NoNumero; }),
                           "el valor de la hora del 15-01-2018 14:00 no es un número finito"},
        CasoVentanaServida{"NoNumeroFueraDelPeriodo", Ventana([](TVentanaServida& v) {
                               v.otraHora = 3;
                               v.valorOtraHora = NoNumero;
                           }),
                           "el valor de la hora del 01-01-2018 03:00 no es un número finito"},
        CasoVentanaServida{"NoNumeroEnElUltimoRegistro", Ventana([](TVentanaServida& v) {
                               v.otraHora = 8759;
                               v.valorOtraHora = NoNumero;
                           }),
                           "el valor de la hora del 31-12-2018 23:00 no es un número finito"},
        CasoVentanaServida{"RegistroIncompleto", Ventana([](TVentanaServida& v) { v.bytesDeMenos = 5; }),
                           "trae 148915 bytes de registros, que no son un número entero de registros de 17 bytes"},
        CasoVentanaServida{"BytesTrasLosRegistros", Ventana([](TVentanaServida& v) { v.cola = "xyz"; }),
                           "la respuesta trae 3 bytes después de los registros de la ventana"},
        CasoVentanaServida{"UnByteTrasLosRegistros", Ventana([](TVentanaServida& v) { v.cola = "x"; }),
                           "la respuesta trae 1 bytes después de los registros de la ventana"},
        CasoVentanaServida{"CortaDesdeElDia", Ventana([](TVentanaServida& v) {
                               v.inicio = EncodeDate(2018, 1, 15);
                               v.registros = 24;
                           }),
                           nullptr},
        CasoVentanaServida{"DesdeOtraFecha", Ventana([](TVentanaServida& v) {
                               v.inicio = EncodeDateTime(2018, 1, 14, 12, 0, 0, 0);
                               v.registros = 48;
                           }),
                           nullptr},
        CasoVentanaServida{"SoloLaHoraDeLasCatorce", Ventana([](TVentanaServida& v) {
                               v.inicio = Hora(14, 0);
                               v.registros = 1;
                           }),
                           nullptr}),
    [](const auto& info) { return std::string(info.param.nombre); });

// The period's last hour counts as one of its hours: a window whose only slot
// is 23:00 of 15 January is used and clips that hour. The hand-made day gets
// its last five samples (23:10-23:50) restricted too, so that hour has energy
// to clip; the slot's Pa leaves it no headroom.
TEST_F(CorridaEolica, UnaVentanaConSoloLaUltimaHoraDelPeriodoLaRecorta) {
    TSerieDePrueba serie = DiaDeMano();
    serie.FijarDesdeHasta(140, 144, 0.5, 0.5);
    serie.Escribir(archivoSeries_);
    const TVentanaServida ventana = Ventana([](TVentanaServida& v) {
        v.inicio = Hora(23, 0);
        v.registros = 1;
        v.otraHora = 0;
        v.valorOtraHora = PaDeMano;
    });
    https_->ServirVentana(NidKOLM, CuerpoServido(ventana));
    const std::string base = BaseConClave();
    const std::string consola = Correr(&base, Dia(), Dia() + 1);
    https_->ServirVentana(NidKOLM, CuerpoVentanaHoraria(NidKOLM, Dia(), {}));

    EXPECT_THAT(consola, Not(HasSubstr("Se rechaza")));
    EXPECT_THAT(consola, HasSubstr("\nN = 1\n"));
    const auto horaria = TablaDeArchivo(EnCarpeta("c12_Restricciones_horarias_6m.xlt"));
    ASSERT_EQ(horaria.size(), 4u);
    EXPECT_EQ(ValorDeCelda(horaria[2][0]), Hora(23, 0));
    EXPECT_GT(ValorDeCelda(horaria[2][1]), 0);
    const auto diaria = TablaDeArchivo(EnCarpeta("c12_RO_DTE_6m.xlt"));
    ASSERT_EQ(diaria.size(), 2u);
    EXPECT_EQ(ValorDeCelda(diaria[1][2 + 23]), 0);
    EXPECT_EQ(CeldaDeLasCatorce(), 0.8);  // the window has no value for 14:00
}

TEST_F(CorridaEolica, UnaCentralSinNumeroDeMedicionNoPideNada) {
    archivoModelo_ = EscribirModelo(-1);
    const std::size_t peticiones = https_->Peticiones().size();
    const std::string base = BaseConClave();
    const std::string consola = Correr(&base, Dia(), Dia() + 1);
    EXPECT_EQ(https_->Peticiones().size(), peticiones);
    EXPECT_THAT(consola, Not(HasSubstr("N = ")));
    EXPECT_TRUE(fs::exists(EnCarpeta("RO_DTE_-1_6.txt")));
    EXPECT_EQ(CeldaDeLasCatorce(), 0.8);
}

TEST_F(CorridaEolica, UnPeriodoSinVentanasEscribeLasTresTablasEnCeros) {
    // February 2018 to 2 March, never restricted, as the window passes
    // 1 February to 1 March (its end date plus one day).
    TSerieDePrueba serie(EncodeDate(2018, 2, 1), 29 * 144 + 1);
    serie.FijarDesdeHasta(1, serie.N(), 1.2, 1.5);
    serie.Escribir(archivoSeries_);
    https_->ServirVentana(NidKOLM, CuerpoVentanaHoraria(NidKOLM, Dia(), {}));
    const std::string base = BaseConClave();
    Correr(&base, EncodeDate(2018, 2, 1), EncodeDate(2018, 3, 2));

    EXPECT_EQ(https_->Peticiones().back(),
              "GET /cgi-bin/IntranetApp/ventanaEAS_Horaria?central=25&dtIni=20180201&dtFin=20180303 HTTP/1.0");
    const auto horaria = TablaDeArchivo(EnCarpeta("c12_Restricciones_horarias_6m.xlt"));
    ASSERT_EQ(horaria.size(), 2u);
    EXPECT_EQ(horaria[1], (TFilaTabla{"E[MWh] totales", R(0), "", R(0)}));
    const auto diaria = TablaDeArchivo(EnCarpeta("c12_RO_DTE_6m.xlt"));
    ASSERT_EQ(diaria.size(), 1u + 30);
    EXPECT_EQ(diaria[1][0], "01-02-2018");
    EXPECT_EQ(diaria[30][0], "02-03-2018");
    for (std::size_t d = 1; d < diaria.size(); ++d)
        for (std::size_t c = 1; c < diaria[d].size(); ++c) EXPECT_EQ(ValorDeCelda(diaria[d][c]), 0);
    const auto diez = TablaDeArchivo(EnCarpeta("RO_DTE_25_6.txt"));
    ASSERT_EQ(diez.size(), 1u + 30 * 144);
    EXPECT_EQ(diez.back()[0], "02-03-2018 23:50");
    for (std::size_t j = 1; j < diez.size(); ++j) EXPECT_EQ(ValorDeCelda(diez[j][1]), 0);
}

TEST_F(CorridaEolica, UnPeriodoImposibleSeRechazaAntesDeEscribirTablas) {
    const struct {
        TDateTime ini, fin;
        const char* mensaje;
    } casos[] = {{Dia() + 1, Dia(), "es posterior a la fecha de fin"},
                 {Dia() + 3, Dia() + 5, "no tiene muestras en el archivo de series"},
                 {Dia() - 5, Dia() - 3, "no tiene muestras en el archivo de series"}};
    for (const auto& c : casos) {
        try {
            Correr(nullptr, c.ini, c.fin);
            ADD_FAILURE() << "se esperaba un error: " << c.mensaje;
        } catch (const EErrorQuendal& e) {
            EXPECT_THAT(e.what(), HasSubstr(c.mensaje));
        }
        EXPECT_EQ(Resultados(), std::vector<std::string>{});
        EXPECT_FALSE(fs::exists(EnCarpeta("RO_DTE_25_6.txt")));
    }
}

}  // namespace
