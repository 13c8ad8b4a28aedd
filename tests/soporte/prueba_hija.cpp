#include "prueba_hija.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

using Reloj = std::chrono::steady_clock;

int MilisegundosHasta(Reloj::time_point limite) {
    const auto resto = std::chrono::duration_cast<std::chrono::milliseconds>(limite - Reloj::now()).count();
    return resto > 0 ? static_cast<int>(resto) : 0;
}

// The binary of this process.
std::string EsteBinario() {
    std::vector<char> ruta(4096);
    const ssize_t largo = readlink("/proc/self/exe", ruta.data(), ruta.size() - 1);
    if (largo <= 0) throw std::runtime_error("Cannot read /proc/self/exe");
    return std::string(ruta.data(), static_cast<std::size_t>(largo));
}

}  // namespace

bool TPruebaHija::SoyHija() {
    const char* valor = std::getenv(Variable);
    return valor != nullptr && std::strcmp(valor, "1") == 0;
}

TPruebaHija::TPruebaHija(const std::string& filtro) {
    int tubo[2];
    if (pipe2(tubo, O_CLOEXEC) != 0) throw std::runtime_error("Cannot create the pipe to a child test run");
    const std::string binario = EsteBinario();
    const std::string argFiltro = "--gtest_filter=" + filtro;
    const char* argumentos[] = {binario.c_str(), argFiltro.c_str(), "--gtest_also_run_disabled_tests", nullptr};
    std::vector<std::string> entorno;
    for (char** e = environ; *e != nullptr; ++e)
        if (std::strncmp(*e, "QUENDAL_PRUEBA_HIJA=", 20) != 0) entorno.emplace_back(*e);
    entorno.push_back(std::string(Variable) + "=1");
    std::vector<char*> punteros;
    for (std::string& e : entorno) punteros.push_back(e.data());
    punteros.push_back(nullptr);

    posix_spawn_file_actions_t acciones;
    posix_spawn_file_actions_init(&acciones);
    posix_spawn_file_actions_addopen(&acciones, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&acciones, tubo[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&acciones, tubo[1], STDERR_FILENO);
    posix_spawn_file_actions_addclosefrom_np(&acciones, STDERR_FILENO + 1);
    const int r = posix_spawn(&pid_, binario.c_str(), &acciones, nullptr, const_cast<char* const*>(argumentos),
                              punteros.data());
    posix_spawn_file_actions_destroy(&acciones);
    close(tubo[1]);
    if (r != 0) {
        close(tubo[0]);
        pid_ = -1;
        throw std::runtime_error("Cannot start a child test run: " + std::string(std::strerror(r)));
    }
    lectura_ = tubo[0];
}

TPruebaHija::~TPruebaHija() {
    Matar();
    if (lectura_ >= 0) close(lectura_);
}

bool TPruebaHija::LeerAlgo(int esperaMs) {
    if (fin_) return false;
    pollfd p{lectura_, POLLIN, 0};
    int listos;
    while ((listos = poll(&p, 1, esperaMs)) < 0 && errno == EINTR) {
    }
    if (listos <= 0) return false;
    char bloque[4096];
    ssize_t leidos;
    while ((leidos = read(lectura_, bloque, sizeof(bloque))) < 0 && errno == EINTR) {
    }
    if (leidos <= 0) {
        fin_ = true;
        return false;
    }
    salida_.append(bloque, static_cast<std::size_t>(leidos));
    return true;
}

bool TPruebaHija::LeerHasta(const std::string& buscado, int esperaMs) {
    const auto limite = Reloj::now() + std::chrono::milliseconds(esperaMs);
    while (salida_.find(buscado) == std::string::npos)
        if (!LeerAlgo(MilisegundosHasta(limite))) return salida_.find(buscado) != std::string::npos;
    return true;
}

bool TPruebaHija::LeerHastaElFin(int esperaMs) {
    const auto limite = Reloj::now() + std::chrono::milliseconds(esperaMs);
    while (!fin_)
        if (!LeerAlgo(MilisegundosHasta(limite)) && !fin_) return false;
    return true;
}

void TPruebaHija::Matar() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    int estado = 0;
    while (waitpid(pid_, &estado, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
}

std::optional<int> TPruebaHija::Esperar(int esperaMs) {
    if (pid_ <= 0) return std::nullopt;
    const auto limite = Reloj::now() + std::chrono::milliseconds(esperaMs);
    while (true) {
        int estado = 0;
        const pid_t r = waitpid(pid_, &estado, WNOHANG);
        if (r == pid_) {
            pid_ = -1;
            return estado;
        }
        if (r < 0 && errno != EINTR) return std::nullopt;
        if (Reloj::now() >= limite) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}
