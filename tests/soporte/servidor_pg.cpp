#include "servidor_pg.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr const char* kRaizPostgres = "/usr/lib/postgresql";
constexpr int kIntentosDeArranque = 3;

// The bin folder of the newest PostgreSQL installed under /usr/lib/postgresql.
std::string BinariosDePostgres() {
    std::vector<int> versiones;
    std::error_code error;
    for (const auto& entrada : fs::directory_iterator(kRaizPostgres, error)) {
        const std::string nombre = entrada.path().filename().string();
        int version = 0;
        const auto [fin, ec] = std::from_chars(nombre.data(), nombre.data() + nombre.size(), version);
        if (ec == std::errc() && fin == nombre.data() + nombre.size() && fs::exists(entrada.path() / "bin" / "initdb"))
            versiones.push_back(version);
    }
    if (versiones.empty())
        throw std::runtime_error(std::string("No PostgreSQL server found under ") + kRaizPostgres +
                                 "/<version>/bin (is the postgresql package installed?)");
    return std::string(kRaizPostgres) + "/" + std::to_string(*std::max_element(versiones.begin(), versiones.end())) +
           "/bin";
}

// A loopback port that nothing listens on right now.
int PuertoLibre() {
    const int enchufe = socket(AF_INET, SOCK_STREAM, 0);
    if (enchufe < 0) throw std::runtime_error("socket() failed while looking for a free port");
    sockaddr_in direccion{};
    direccion.sin_family = AF_INET;
    direccion.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    direccion.sin_port = 0;
    socklen_t largo = sizeof(direccion);
    const bool ok = bind(enchufe, reinterpret_cast<sockaddr*>(&direccion), sizeof(direccion)) == 0 &&
                    getsockname(enchufe, reinterpret_cast<sockaddr*>(&direccion), &largo) == 0;
    close(enchufe);
    if (!ok) throw std::runtime_error("Cannot find a free loopback port");
    return ntohs(direccion.sin_port);
}

std::string Citado(const std::string& s) {
    std::string r = "'";
    for (char c : s) r += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return r + "'";
}

std::string LeerArchivo(const std::string& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    std::ostringstream contenido;
    contenido << f.rdbuf();
    return contenido.str();
}

std::string FinDe(const std::string& texto, std::size_t caracteres = 2000) {
    return texto.size() <= caracteres ? texto : texto.substr(texto.size() - caracteres);
}

bool SoyRoot() { return geteuid() == 0; }

std::string ComoPostgres(const std::string& orden) { return (SoyRoot() ? "runuser -u postgres -- " : "") + orden; }

// Runs a shell command in `carpeta`, as postgres when this process is root,
// and waits for its end. The command inherits nothing of the test process
// but its environment: its standard input is /dev/null, its standard output
// and error are appended to carpeta/ordenes.log, and every other descriptor
// is closed. So a program that it leaves running, the server above all,
// never holds the test's output pipe open, nor the descriptor that a capture
// of standard output keeps of it.
int EjecutarComoPostgres(const std::string& carpeta, const std::string& orden) {
    const std::string linea = "cd " + Citado(carpeta) + " && " + ComoPostgres(orden);
    const std::string registro = carpeta + "/ordenes.log";
    posix_spawn_file_actions_t acciones;
    posix_spawn_file_actions_init(&acciones);
    posix_spawn_file_actions_addopen(&acciones, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&acciones, STDOUT_FILENO, registro.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&acciones, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addclosefrom_np(&acciones, STDERR_FILENO + 1);
    const char* argumentos[] = {"/bin/sh", "-c", linea.c_str(), nullptr};
    pid_t pid = -1;
    const int r = posix_spawn(&pid, "/bin/sh", &acciones, nullptr, const_cast<char* const*>(argumentos), environ);
    posix_spawn_file_actions_destroy(&acciones);
    if (r != 0) return -1;
    int estado = 0;
    while (waitpid(pid, &estado, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
}

}  // namespace

TServidorPgPrueba::TServidorPgPrueba(std::string archivoEsquema) : archivoEsquema_(std::move(archivoEsquema)) {
    binarios_ = BinariosDePostgres();
    CrearCarpeta();
    try {
        IniciarVigilante();
        CrearCluster();
        Arrancar();
        CargarEsquema(false);
    } catch (...) {
        Desmontar();
        throw;
    }
}

TServidorPgPrueba::~TServidorPgPrueba() { Desmontar(); }

void TServidorPgPrueba::Desmontar() {
    Detener();
    std::error_code error;
    fs::remove_all(carpeta_, error);
    SoltarVigilante();
}

std::string TServidorPgPrueba::EsquemaDelProyecto() {
    return fs::path(QUENDAL_ESQUEMA_SQL).lexically_normal().string();
}

void TServidorPgPrueba::CrearCarpeta() {
    std::string plantilla = (fs::temp_directory_path() / "quendal_pg_XXXXXX").string();
    if (!mkdtemp(plantilla.data())) throw std::runtime_error("Cannot create a temporary folder for PostgreSQL");
    carpeta_ = plantilla;
    if (SoyRoot()) {
        const passwd* postgres = getpwnam("postgres");
        if (!postgres || chown(carpeta_.c_str(), postgres->pw_uid, postgres->pw_gid) != 0) {
            fs::remove_all(carpeta_);
            throw std::runtime_error("Running as root, but the temporary folder cannot be given to the "
                                     "postgres user (does the user exist?)");
        }
    }
}

// initdb costs about a second; the cluster it makes is kept once per server
// version and user as a template in the temporary folder, and every server
// copies it. A template is made under a name of its own and renamed into
// place, so a half-made one is never used and parallel tests may race.
void TServidorPgPrueba::CrearCluster() {
    const std::string version = fs::path(binarios_).parent_path().filename().string();
    const std::string plantilla =
        (fs::temp_directory_path() / ("quendal_pg_plantilla_" + version + "_" + std::to_string(geteuid()))).string();
    if (!fs::exists(plantilla + "/PG_VERSION")) {
        const std::string nueva = plantilla + "." + std::to_string(getpid());
        const std::string registro = carpeta_ + "/initdb.log";
        const int rc = EjecutarComoPostgres(carpeta_, Citado(binarios_ + "/initdb") + " -D " + Citado(nueva) +
                                                          " -A trust -U postgres -N -E UTF8 --locale=C.UTF-8 > " +
                                                          Citado(registro) + " 2>&1");
        if (rc != 0)
            throw std::runtime_error("initdb failed (exit " + std::to_string(rc) + "):\n" +
                                     FinDe(LeerArchivo(registro)));
        std::error_code error;
        fs::rename(nueva, plantilla, error);
        if (error) fs::remove_all(nueva, error);  // another test put its template there first
    }
    const int rc = EjecutarComoPostgres(carpeta_, "cp -a " + Citado(plantilla) + " " + Citado(carpeta_ + "/cluster"));
    if (rc != 0) throw std::runtime_error("Cannot copy the cluster template " + plantilla);
}

void TServidorPgPrueba::Arrancar() {
    const std::string registro = carpeta_ + "/servidor.log";
    std::string motivo;
    // The port is free when chosen; another process may take it before the
    // server binds it, so a failed start tries another port.
    for (int intento = 0; intento < kIntentosDeArranque; ++intento) {
        puerto_ = PuertoLibre();
        const std::string opciones = "-p " + std::to_string(puerto_) + " -h 127.0.0.1 -k " + carpeta_ + " -F";
        const int rc = EjecutarComoPostgres(carpeta_, Citado(binarios_ + "/pg_ctl") + " start -w -t 60 -D " +
                                                          Citado(carpeta_ + "/cluster") + " -l " + Citado(registro) +
                                                          " -o " + Citado(opciones));
        if (rc == 0) {
            enMarcha_ = true;
            conexion_ = "host=127.0.0.1 port=" + std::to_string(puerto_) + " user=postgres dbname=postgres";
            return;
        }
        motivo = "pg_ctl start failed (exit " + std::to_string(rc) + "):\n" + FinDe(LeerArchivo(registro));
    }
    throw std::runtime_error(motivo);
}

void TServidorPgPrueba::Detener() {
    if (!enMarcha_) return;
    EjecutarComoPostgres(carpeta_, Citado(binarios_ + "/pg_ctl") + " stop -w -m immediate -D " +
                                       Citado(carpeta_ + "/cluster"));
    enMarcha_ = false;
}

// The watchdog is a child in a session of its own (a signal to the test's
// process group leaves it alone) that holds only the read end of a pipe whose
// write end only this process holds, closed on exec. A byte on the pipe means
// the owner stops the server itself, and the watchdog just ends. The end of
// the pipe without a byte means the test process is gone: the watchdog then
// stops the server in immediate mode and removes the folder.
void TServidorPgPrueba::IniciarVigilante() {
    const std::string orden = "cd / && " + ComoPostgres(Citado(binarios_ + "/pg_ctl") + " stop -w -m immediate -D " +
                                                       Citado(carpeta_ + "/cluster")) +
                              " ; rm -rf " + Citado(carpeta_);
    const char* argumentos[] = {"/bin/sh", "-c", orden.c_str(), nullptr};
    int tubo[2];
    if (pipe2(tubo, O_CLOEXEC) != 0) throw std::runtime_error("Cannot create the watchdog's pipe");
    const int nulo = open("/dev/null", O_RDWR | O_CLOEXEC);
    const pid_t pid = nulo < 0 ? -1 : fork();
    if (pid == 0) {
        // Only async-signal-safe calls in the child of a fork.
        setsid();
        dup2(nulo, STDIN_FILENO);
        dup2(nulo, STDOUT_FILENO);
        dup2(nulo, STDERR_FILENO);
        constexpr int lectura = STDERR_FILENO + 1;
        if (tubo[0] == lectura)
            fcntl(lectura, F_SETFD, 0);
        else
            dup2(tubo[0], lectura);
        close_range(lectura + 1, ~0U, 0);
        char aviso = 0;
        ssize_t leidos;
        do leidos = read(lectura, &aviso, 1);
        while (leidos < 0 && errno == EINTR);
        if (leidos == 1) _exit(0);
        close(lectura);
        execve("/bin/sh", const_cast<char* const*>(argumentos), environ);
        _exit(127);
    }
    close(tubo[0]);
    if (nulo >= 0) close(nulo);
    if (pid < 0) {
        close(tubo[1]);
        throw std::runtime_error("Cannot start the test server's watchdog process");
    }
    vigilante_ = pid;
    avisoVigilante_ = tubo[1];
}

void TServidorPgPrueba::SoltarVigilante() {
    if (avisoVigilante_ >= 0) {
        const char aviso = 'q';
        while (write(avisoVigilante_, &aviso, 1) < 0 && errno == EINTR) {
        }
        close(avisoVigilante_);
        avisoVigilante_ = -1;
    }
    if (vigilante_ > 0) {
        int estado = 0;
        while (waitpid(vigilante_, &estado, 0) < 0 && errno == EINTR) {
        }
        vigilante_ = -1;
    }
}

void TServidorPgPrueba::ReiniciarEsquema() { CargarEsquema(true); }

void TServidorPgPrueba::CargarEsquema(bool vaciarAntes) {
    if (!fs::exists(archivoEsquema_)) throw std::runtime_error("Schema file not found: " + archivoEsquema_);
    std::string sql = LeerArchivo(archivoEsquema_);
    if (vaciarAntes) sql = "DROP SCHEMA public CASCADE; CREATE SCHEMA public;\n" + sql;
    PGconn* conexion = PQconnectdb(conexion_.c_str());
    std::string error;
    if (PQstatus(conexion) != CONNECTION_OK) {
        error = std::string("Cannot connect to the test server: ") + PQerrorMessage(conexion);
    } else {
        PGresult* resultado = PQexec(conexion, sql.c_str());
        if (PQresultStatus(resultado) != PGRES_COMMAND_OK)
            error = "Loading " + archivoEsquema_ + " failed: " + PQerrorMessage(conexion);
        PQclear(resultado);
    }
    PQfinish(conexion);
    if (!error.empty()) throw std::runtime_error(error);
}
