// The console writer: standard output gets the text as it stands, the
// observer gets the same text, and standard output can be made line-buffered.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "numerics/consola.h"

namespace {

class Registro : public TObservadorConsola {
public:
    void TextoEscrito(std::string_view texto) override { textos.emplace_back(texto); }
    std::vector<std::string> textos;
};

// Sets an observer for the test's life and puts the previous one back.
class ConObservador : public ::testing::Test {
protected:
    void SetUp() override { anterior_ = FijarObservadorConsola(&registro); }
    void TearDown() override { EXPECT_EQ(FijarObservadorConsola(anterior_), &registro); }
    Registro registro;

private:
    TObservadorConsola* anterior_ = nullptr;
};

TEST_F(ConObservador, LaSalidaYElObservadorRecibenElMismoTexto) {
    ::testing::internal::CaptureStdout();
    EscribirEnConsola("\rSimulando fecha: 1");
    EscribirEnConsola("\rSimulando fecha: 2");
    EscribirEnConsola("\n\n");
    EscribirLineaEnConsola("SIMULACION TERMINADA CON EXITO");
    EscribirLineaEnConsola(std::string("con\0cero", 8));
    const std::string salida = ::testing::internal::GetCapturedStdout();
    const std::string esperada = "\rSimulando fecha: 1\rSimulando fecha: 2\n\nSIMULACION TERMINADA CON EXITO\n" +
                                 std::string("con\0cero", 8) + "\n";
    EXPECT_EQ(salida, esperada);
    std::string recibido;
    for (const std::string& t : registro.textos) recibido += t;
    EXPECT_EQ(recibido, esperada);
    ASSERT_EQ(registro.textos.size(), 5u);
    EXPECT_EQ(registro.textos[3], "SIMULACION TERMINADA CON EXITO\n");
}

TEST(Consola, SinObservadorSoloEscribeLaSalida) {
    TObservadorConsola* anterior = FijarObservadorConsola(nullptr);
    ::testing::internal::CaptureStdout();
    EscribirLineaEnConsola("N = 24");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "N = 24\n");
    FijarObservadorConsola(anterior);
}

// A child process sends its standard output to a file, writes one line with
// the plain C library and is killed before it can flush anything: the line
// is in the file only when standard output was line-buffered.
std::string LoQueQuedaTrasMatarAlHijo(bool porLineas) {
    const std::string archivo =
        (std::filesystem::temp_directory_path() / ("quendal_consola_" + std::to_string(::getpid()))).string();
    std::fflush(stdout);
    const pid_t hijo = ::fork();
    if (hijo == 0) {
        const int fd = ::open(archivo.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0 || ::dup2(fd, 1) < 0) ::_exit(2);
        // A fresh buffer for the new file, as at a program's start.
        std::setvbuf(stdout, nullptr, _IOFBF, BUFSIZ);
        if (porLineas) SalidaEstandarPorLineas();
        std::fputs("Simulando fecha: 01/01/2018\n", stdout);
        ::kill(::getpid(), SIGKILL);
        ::_exit(3);
    }
    int estado = 0;
    ::waitpid(hijo, &estado, 0);
    std::ifstream f(archivo, std::ios::binary);
    std::string contenido((std::istreambuf_iterator<char>(f)), {});
    std::filesystem::remove(archivo);
    return contenido;
}

TEST(Consola, LaSalidaPorLineasLlegaAlArchivoLineaALinea) {
    EXPECT_EQ(LoQueQuedaTrasMatarAlHijo(true), "Simulando fecha: 01/01/2018\n");
    // Without it the same line is lost: the test sees the difference.
    EXPECT_EQ(LoQueQuedaTrasMatarAlHijo(false), "");
}

}  // namespace
