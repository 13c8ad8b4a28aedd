#pragma once
// A throw-away PostgreSQL server for tests: a new cluster made by initdb in a
// temporary folder, started by pg_ctl on a free loopback port with the
// project's schema loaded, and stopped and removed at the end. Run as root
// (as CI does), the server runs as the `postgres` user and the folder is
// given to it. Nothing of a system server is used.
//
// The server outlives no test process: the programs it starts inherit no
// descriptor of the test (their output goes to logs in the folder), and a
// watchdog process waits for the test process to end; when it ends without
// stopping the server (a crash, a SIGKILL, a timeout), the watchdog stops the
// server at once and removes the folder.
#include <sys/types.h>

#include <string>

class TServidorPgPrueba {
public:
    // Starts the server and loads the schema file (by default the project's
    // sql/esquema.sql). Throws std::runtime_error with the reason and the end
    // of the server's log when anything fails.
    explicit TServidorPgPrueba(std::string archivoEsquema = EsquemaDelProyecto());
    ~TServidorPgPrueba();
    TServidorPgPrueba(const TServidorPgPrueba&) = delete;
    TServidorPgPrueba& operator=(const TServidorPgPrueba&) = delete;

    // Connection string of the server's database for TPgSqlCon::Open.
    const std::string& Conexion() const { return conexion_; }
    int Puerto() const { return puerto_; }
    // Temporary folder of the server: the cluster in "cluster", the logs.
    const std::string& Carpeta() const { return carpeta_; }
    // Empties the database and loads the schema again.
    void ReiniciarEsquema();

    static std::string EsquemaDelProyecto();

private:
    void CrearCarpeta();
    void CrearCluster();
    void Arrancar();
    void Detener();
    void CargarEsquema(bool vaciarAntes);
    void IniciarVigilante();
    void SoltarVigilante();
    void Desmontar();

    std::string archivoEsquema_;
    std::string binarios_;   // folder of initdb and pg_ctl
    std::string carpeta_;    // temporary folder: cluster, socket and logs
    std::string conexion_;
    int puerto_ = 0;
    bool enMarcha_ = false;
    pid_t vigilante_ = -1;    // the watchdog process
    int avisoVigilante_ = -1; // write end of its pipe: only this process holds it
};
