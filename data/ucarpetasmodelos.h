#pragma once
// The model root, the folder of each plant under it and the names of a
// plant's model and series files. Every path goes through the drive mapping
// (RutaLocal), so the functions that yield a folder or a file name return
// host paths. A path exists here only as a folder: one taken by an ordinary
// file counts as missing, and creating the folder there fails.
#include <cstdint>
#include <string>
#include <string_view>

// The model root, as the system names it.
inline constexpr std::string_view CarpetaModelos = "C:\\tarnek\\modelado_ro";

// Start-up step: prints the model root on one line and creates it, and its
// parent before it, when they are missing. EInOutError with the platform's
// reason when a folder cannot be made.
void InicializarCarpetaModelos();

// The host folder of plant nid ("c" and the number, under the model root),
// created (one level) when missing; EInOutError when it cannot be.
std::string CarpetaCentral(int32_t nid);
// Files of a plant in its folder; each creates the plant folder when missing.
std::string RutaParqueMT(int32_t nid);         // c<nid>_parque_mt.pmt
std::string RutaModeloCombinado(int32_t nid);  // c<nid>.pmc
std::string RutaCalibrador(int32_t nid);       // c<nid>_calibrador.clp
std::string RutaArchivoEnCarpetaCentral(int32_t nid, std::string_view sufijo);
// "c" + nid + sufijo inside carpeta (RutaEnCarpeta), as a host path;
// creates nothing.
std::string RutaArchivoCentral(std::string_view carpeta, int32_t nid, std::string_view sufijo);

// Prints the path on one line, then creates the folder when it is missing.
void AsegurarCarpeta(std::string_view ruta);

// Creates the folder (one level) when it does not exist as a folder.
// EInOutError "No se puede crear la carpeta <ruta>: <reason>" when it fails,
// also when an ordinary file takes the path.
void CrearCarpetaSiFalta(std::string_view ruta);
