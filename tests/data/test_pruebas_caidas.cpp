// A test binary that crashes or is killed fails fast and leaves nothing
// running: a capture of standard output that a throw skips past costs only
// its own test, and a throw-away PostgreSQL server stops when the process
// that started it dies, without holding that process's output pipe open.
//
// The suites named Hija* run only as child runs of this binary
// (tests/soporte/prueba_hija.h); the tests around them start those children
// and watch them.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "prueba_hija.h"
#include "servidor_https.h"
#include "servidor_pg.h"
#include "tests/soporte/captura_salida.h"

namespace fs = std::filesystem;

namespace {

constexpr int EsperaCortaMs = 30000;    // a child's run, a server's stop
constexpr int EsperaArranqueMs = 90000;  // a server's start in a busy run

// ---- Children ----

// The first throws while it captures standard output; the second captures
// after it. Without the release of the first capture, the second aborts the
// whole binary.
TEST(HijaCaptura, DISABLED_LanzaMientrasCaptura) {
    if (!TPruebaHija::SoyHija()) GTEST_SKIP() << "only as a child run";
    ::testing::internal::CaptureStdout();
    std::printf("escrito durante la captura\n");
    throw std::runtime_error("lanzada durante la captura");
}

TEST(HijaCaptura, DISABLED_CapturaDespues) {
    if (!TPruebaHija::SoyHija()) GTEST_SKIP() << "only as a child run";
    ::testing::internal::CaptureStdout();
    std::printf("segunda");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "segunda");
}

// Starts both test servers while standard output is captured (the capture
// keeps a descriptor of the real output, the parent's pipe), tells their
// ports and folders on standard error and waits to be killed; it ends by
// itself after a while so that it never outlives a broken parent for long.
TEST(HijaServidor, DISABLED_ArrancaYEspera) {
    if (!TPruebaHija::SoyHija()) GTEST_SKIP() << "only as a child run";
    ::testing::internal::CaptureStdout();
    TServidorPgPrueba servidor;
    std::string error;
    const auto https = TServidorHTTPSPrueba::Iniciar(error);
    ASSERT_TRUE(https) << error;
    const std::string aviso = "SERVIDOR " + std::to_string(servidor.Puerto()) + " " + servidor.Carpeta() + " " +
                              std::to_string(https->Puerto()) + " " + https->Carpeta() + " " +
                              std::to_string(https->Pid()) + " FIN\n";
    if (write(STDERR_FILENO, aviso.data(), aviso.size()) < 0) FAIL();
    std::this_thread::sleep_for(std::chrono::seconds(120));
    ::testing::internal::GetCapturedStdout();
}

// ---- Tests ----

TEST(CapturaDeSalida, LaGuardaSeSueltaAlLanzar) {
    try {
        TCapturaSalida consola;
        std::printf("perdido");
        throw std::runtime_error("x");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(CapturaAbierta(STDOUT_FILENO));
    TCapturaSalida consola;
    EXPECT_TRUE(CapturaAbierta(STDOUT_FILENO));
    std::printf("visto");
    EXPECT_EQ(consola.Texto(), "visto");
    EXPECT_EQ(consola.Texto(), "");
    EXPECT_FALSE(CapturaAbierta(STDOUT_FILENO));
}

TEST(CapturaDeSalida, LiberarCierraLasCapturasAbiertas) {
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    std::printf("pendiente en la salida\n");
    EXPECT_EQ(LiberarCapturasAbiertas(), 2);
    EXPECT_FALSE(CapturaAbierta(STDOUT_FILENO));
    EXPECT_FALSE(CapturaAbierta(STDERR_FILENO));
    EXPECT_EQ(LiberarCapturasAbiertas(), 0);
    // A guard whose capture something else ended has nothing more to end.
    TCapturaSalida consola;
    LiberarCapturasAbiertas();
    EXPECT_EQ(consola.Texto(), "");
}

TEST(CapturaDeSalida, UnaPruebaQueLanzaMientrasCapturaNoDetieneElBinario) {
    TPruebaHija hija("HijaCaptura.*");
    ASSERT_TRUE(hija.LeerHastaElFin(EsperaCortaMs)) << hija.Salida();
    const std::optional<int> estado = hija.Esperar(EsperaCortaMs);
    ASSERT_TRUE(estado.has_value());
    EXPECT_TRUE(WIFEXITED(*estado)) << "the child ended by a signal: " << hija.Salida();
    EXPECT_EQ(WEXITSTATUS(*estado), 1) << hija.Salida();
    const std::string& salida = hija.Salida();
    EXPECT_NE(salida.find("[  FAILED  ] HijaCaptura.DISABLED_LanzaMientrasCaptura"), std::string::npos) << salida;
    EXPECT_NE(salida.find("[       OK ] HijaCaptura.DISABLED_CapturaDespues"), std::string::npos) << salida;
    // What the failed test wrote and the reason of its failure are shown.
    EXPECT_NE(salida.find("escrito durante la captura"), std::string::npos) << salida;
    EXPECT_NE(salida.find("lanzada durante la captura"), std::string::npos) << salida;
}

bool Responde(int puerto) {
    const std::string conexion = "host=127.0.0.1 port=" + std::to_string(puerto) + " user=postgres dbname=postgres";
    return PQping(conexion.c_str()) != PQPING_NO_RESPONSE;
}

// Whether something accepts connections on the loopback port.
bool Escucha(int puerto) {
    const int enchufe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (enchufe < 0) return false;
    sockaddr_in direccion{};
    direccion.sin_family = AF_INET;
    direccion.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    direccion.sin_port = htons(static_cast<uint16_t>(puerto));
    const bool conecta = connect(enchufe, reinterpret_cast<sockaddr*>(&direccion), sizeof(direccion)) == 0;
    close(enchufe);
    return conecta;
}

// Waits at most `esperaMs` for the condition to hold.
template <typename Condicion>
bool EsperarQue(Condicion condicion, int esperaMs) {
    const auto limite = std::chrono::steady_clock::now() + std::chrono::milliseconds(esperaMs);
    while (!condicion()) {
        if (std::chrono::steady_clock::now() >= limite) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// Servers left behind by a failed check are killed and their folders
// removed, so that this test leaves nothing running either.
void LimpiarServidoresHuerfanos(const std::string& carpetaPg, const std::string& carpetaHttps, pid_t https) {
    std::ifstream pid(carpetaPg + "/cluster/postmaster.pid");
    long postmaster = 0;
    if (pid >> postmaster && postmaster > 1) kill(static_cast<pid_t>(postmaster), SIGKILL);
    if (https > 1) kill(https, SIGKILL);
    std::error_code error;
    fs::remove_all(carpetaPg, error);
    fs::remove_all(carpetaHttps, error);
}

TEST(ServidoresHuerfanos, SeDetienenCuandoSuProcesoMuereYNoRetienenLaSalida) {
    TPruebaHija hija("HijaServidor.DISABLED_ArrancaYEspera");
    ASSERT_TRUE(hija.LeerHasta(" FIN\n", EsperaArranqueMs)) << hija.Salida();
    std::istringstream aviso(hija.Salida().substr(hija.Salida().find("SERVIDOR ")));
    std::string palabra, carpetaPg, carpetaHttps;
    int puertoPg = 0, puertoHttps = 0;
    pid_t pidHttps = -1;
    aviso >> palabra >> puertoPg >> carpetaPg >> puertoHttps >> carpetaHttps >> pidHttps;
    ASSERT_GT(puertoPg, 0) << hija.Salida();
    ASSERT_GT(puertoHttps, 0) << hija.Salida();
    EXPECT_TRUE(Responde(puertoPg));
    EXPECT_TRUE(Escucha(puertoHttps));

    hija.Matar();
    const bool finDeLaSalida = hija.LeerHastaElFin(EsperaCortaMs);
    auto pgDetenido = [&] { return !Responde(puertoPg); };
    auto httpsDetenido = [&] { return !Escucha(puertoHttps); };
    auto carpetasBorradas = [&] { return !fs::exists(carpetaPg) && !fs::exists(carpetaHttps); };
    EsperarQue([&] { return pgDetenido() && httpsDetenido() && carpetasBorradas(); }, EsperaCortaMs);
    const bool pg = pgDetenido(), https = httpsDetenido(), carpetas = carpetasBorradas();
    if (!(pg && https && carpetas)) LimpiarServidoresHuerfanos(carpetaPg, carpetaHttps, pidHttps);
    EXPECT_TRUE(finDeLaSalida) << "a process still holds the killed test's output pipe";
    EXPECT_TRUE(pg) << "the PostgreSQL server of the killed test still answered on port " << puertoPg;
    EXPECT_TRUE(https) << "the HTTPS server of the killed test still listened on port " << puertoHttps;
    EXPECT_TRUE(carpetas) << "folders of the killed test's servers still there: " << carpetaPg << " "
                          << carpetaHttps;
}

}  // namespace
