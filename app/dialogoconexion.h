#pragma once
// The small dialog that opens the window's database connection: host, port,
// database, user and password, turned into a libpq connection string. An
// empty server is this machine, reached through its local socket (Debian's
// default server lets the local user in that way, without a password).
#include <optional>
#include <string>

class QWidget;

struct TDatosConexion {
    std::string servidor;
    std::string puerto = "5432";
    std::string baseDeDatos;
    std::string usuario;
    std::string clave;
};

// The libpq connection string of the data: each value single-quoted, with
// its backslashes and quotes escaped, so no typed text can add a keyword.
std::string CadenaDeConexion(const TDatosConexion& datos);

// Shows the dialog over `padre`, its boxes filled with `iniciales` (what the
// user typed last time, so that a failed connection is mended, not typed
// again); nothing when the user cancels it.
std::optional<TDatosConexion> PedirDatosDeConexion(QWidget* padre, const TDatosConexion& iniciales = {});
