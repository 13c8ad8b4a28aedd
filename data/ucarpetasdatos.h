#pragma once
// The data folders that start-up makes sure exist. Nothing reads or writes
// files in them; they are only made to exist.
#include <array>
#include <string>
#include <string_view>

// In the order of creation: each parent comes before its children.
inline constexpr std::array<std::string_view, 6> CarpetasDatos = {
    "c:\\tarnek",
    "c:\\tarnek\\basura",
    "c:\\tarnek\\pruv_data",
    "c:\\tarnek\\pruv_data\\log",
    "c:\\tarnek\\pruv_data\\datos_scada",
    "c:\\tarnek\\series10m",
};

// Creates the folder (one level) when it does not exist as a folder and
// returns the path. EInOutError "Error al intentar crear la carpeta: " and the
// path when it cannot.
std::string crearCarpeta(std::string_view ruta);

// Start-up step: crearCarpeta on every data folder, in order.
void InicializarCarpetasDatos();
