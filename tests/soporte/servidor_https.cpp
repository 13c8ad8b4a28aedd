#include "servidor_https.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// Generous: a loaded machine starts many servers at once.
constexpr int EsperaArranqueMs = 60000;

// Debian's interpreter when it is there (a version manager's shim on the
// PATH can take seconds to start); else whatever python3 the PATH gives.
std::string Python() { return access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3"; }

std::string LeerArchivo(const std::string& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    std::ostringstream texto;
    texto << f.rdbuf();
    return texto.str();
}

// Runs a program to its end with standard output and error sent to a file;
// true when it exits with status 0, else the reason in `error`.
bool Ejecutar(const std::vector<std::string>& argumentos, const std::string& salida, std::string& error) {
    posix_spawn_file_actions_t acciones;
    posix_spawn_file_actions_init(&acciones);
    posix_spawn_file_actions_addopen(&acciones, STDOUT_FILENO, salida.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&acciones, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addclosefrom_np(&acciones, STDERR_FILENO + 1);
    std::vector<char*> argv;
    for (const auto& a : argumentos) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int r = posix_spawnp(&pid, argv[0], &acciones, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&acciones);
    if (r != 0) {
        error = "no se pudo ejecutar " + argumentos[0] + ": " + std::strerror(r);
        return false;
    }
    int estado = 0;
    while (waitpid(pid, &estado, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(estado) && WEXITSTATUS(estado) == 0) return true;
    error = argumentos[0] + " terminó con error: " + LeerArchivo(salida);
    return false;
}

// Reads one line from the descriptor, waiting at most `esperaMs` in all.
bool LeerLinea(int fd, int esperaMs, std::string& linea) {
    linea.clear();
    while (true) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, esperaMs) <= 0) return false;
        char c = 0;
        if (read(fd, &c, 1) != 1) return false;
        if (c == '\n') return true;
        linea += c;
    }
}

}  // namespace

std::unique_ptr<TServidorHTTPSPrueba> TServidorHTTPSPrueba::Iniciar(std::string& error) {
    std::unique_ptr<TServidorHTTPSPrueba> servidor(new TServidorHTTPSPrueba);
    std::string plantilla = (fs::temp_directory_path() / "quendal_https_XXXXXX").string();
    if (!mkdtemp(plantilla.data())) {
        error = "no se pudo crear la carpeta temporal del servidor";
        return nullptr;
    }
    servidor->carpeta_ = plantilla;
    if (!servidor->CrearCertificado(error) || !servidor->Arrancar(error)) return nullptr;
    return servidor;
}

bool TServidorHTTPSPrueba::CrearCertificado(std::string& error) const {
    const std::string salida = carpeta_ + "/openssl.txt";
    return Ejecutar({"openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                     "-nodes", "-keyout", carpeta_ + "/key.pem", "-out", ArchivoCA(), "-days", "2", "-subj",
                     "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"},
                    salida, error);
}

bool TServidorHTTPSPrueba::Arrancar(std::string& error) {
    int tubo[2];
    if (pipe2(tubo, O_CLOEXEC) != 0) {
        error = "no se pudo crear la tubería hacia el servidor";
        return false;
    }
    const std::string registro = carpeta_ + "/servidor.txt";
    posix_spawn_file_actions_t acciones;
    posix_spawn_file_actions_init(&acciones);
    posix_spawn_file_actions_adddup2(&acciones, tubo[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&acciones, tubo[0]);
    posix_spawn_file_actions_addopen(&acciones, STDERR_FILENO, registro.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    // The server inherits no other descriptor of the test (its output pipe
    // above all), and it ends by itself when the test process dies.
    posix_spawn_file_actions_addopen(&acciones, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&acciones, STDERR_FILENO + 1);
    const std::vector<std::string> argumentos = {
        Python(), std::string(QUENDAL_SOPORTE_PRUEBAS) + "/servidor_https.py", "--cert", ArchivoCA(), "--key",
        carpeta_ + "/key.pem", "--carpeta", carpeta_, "--usuario", Usuario, "--clave", Clave};
    std::vector<char*> argv;
    for (const auto& a : argumentos) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const int r = posix_spawnp(&pid_, argv[0], &acciones, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&acciones);
    close(tubo[1]);
    if (r != 0) {
        close(tubo[0]);
        pid_ = -1;
        error = "no se pudo ejecutar " + argumentos[0] + ": " + std::strerror(r);
        return false;
    }
    std::string linea;
    const bool leida = LeerLinea(tubo[0], EsperaArranqueMs, linea);
    close(tubo[0]);
    if (!leida || linea.rfind("PUERTO ", 0) != 0) {
        error = "el servidor HTTPS no anunció su puerto: " + LeerArchivo(registro);
        return false;
    }
    puerto_ = std::atoi(linea.c_str() + 7);
    return puerto_ > 0;
}

TServidorHTTPSPrueba::~TServidorHTTPSPrueba() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int estado = 0;
        while (waitpid(pid_, &estado, 0) < 0 && errno == EINTR) {
        }
    }
    std::error_code ignorado;
    if (!carpeta_.empty()) fs::remove_all(carpeta_, ignorado);
}

std::string TServidorHTTPSPrueba::UrlBase() const { return "https://127.0.0.1:" + std::to_string(puerto_); }

std::string TServidorHTTPSPrueba::UrlBase(const std::string& usuario, const std::string& clave) const {
    return "https://" + usuario + ":" + clave + "@127.0.0.1:" + std::to_string(puerto_);
}

std::vector<std::string> TServidorHTTPSPrueba::Peticiones() const {
    std::vector<std::string> lineas;
    std::ifstream f(carpeta_ + "/peticiones.log");
    for (std::string linea; std::getline(f, linea);) lineas.push_back(linea);
    return lineas;
}

void TServidorHTTPSPrueba::ServirVentana(int central, const std::string& cuerpo) const {
    std::ofstream f(carpeta_ + "/ventana_" + std::to_string(central) + ".bin", std::ios::binary);
    f.write(cuerpo.data(), static_cast<std::streamsize>(cuerpo.size()));
}
