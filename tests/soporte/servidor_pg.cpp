#include "servidor_pg.h"

#include <arpa/inet.h>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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

// Runs a shell command in `carpeta`, as postgres when this process is root.
int EjecutarComoPostgres(const std::string& carpeta, const std::string& orden) {
    const std::string prefijo = SoyRoot() ? "runuser -u postgres -- " : "";
    const std::string linea = "cd " + Citado(carpeta) + " && " + prefijo + orden;
    const int estado = std::system(linea.c_str());
    return WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
}

}  // namespace

TServidorPgPrueba::TServidorPgPrueba(std::string archivoEsquema) : archivoEsquema_(std::move(archivoEsquema)) {
    binarios_ = BinariosDePostgres();
    CrearCarpeta();
    try {
        CrearCluster();
        Arrancar();
        CargarEsquema(false);
    } catch (...) {
        Detener();
        std::error_code error;
        fs::remove_all(carpeta_, error);
        throw;
    }
}

TServidorPgPrueba::~TServidorPgPrueba() {
    Detener();
    std::error_code error;
    fs::remove_all(carpeta_, error);
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
                                                          " -o " + Citado(opciones) + " > /dev/null 2>&1");
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
                                       Citado(carpeta_ + "/cluster") + " > /dev/null 2>&1");
    enMarcha_ = false;
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
