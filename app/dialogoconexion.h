#pragma once
// The small dialog that opens the window's database connection: host, port,
// database, user and password, turned into a libpq connection string.
#include <optional>
#include <string>

class QWidget;

struct TDatosConexion {
    std::string servidor = "localhost";
    std::string puerto = "5432";
    std::string baseDeDatos;
    std::string usuario;
    std::string clave;
};

// The libpq connection string of the data: each value single-quoted, with
// its backslashes and quotes escaped, so no typed text can add a keyword.
std::string CadenaDeConexion(const TDatosConexion& datos);

// Shows the dialog over `padre`; nothing when the user cancels it.
std::optional<TDatosConexion> PedirDatosDeConexion(QWidget* padre);
