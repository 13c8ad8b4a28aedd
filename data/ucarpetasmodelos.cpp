#include "data/ucarpetasmodelos.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "data/unidades.h"
#include "numerics/consola.h"
#include "numerics/errores.h"

namespace {

namespace fs = std::filesystem;

void EscribirLineaConsola(std::string_view linea) { EscribirLineaEnConsola(linea); }

bool EsCarpeta(const std::string& rutaLocal) {
    std::error_code error;
    return fs::is_directory(rutaLocal, error);
}

// The folder of a path given as folder + "\" + name, or as a host path.
std::string CarpetaMadre(std::string_view ruta) {
    const std::size_t barra = ruta.find_last_of("\\/");
    return barra == std::string_view::npos ? std::string() : std::string(ruta.substr(0, barra));
}

// The platform's reason for a failed creation, in the program's language.
std::string MotivoEnCastellano(const std::error_code& motivo) {
    if (motivo.category() == std::generic_category() || motivo.category() == std::system_category()) {
        switch (motivo.value()) {
            case EACCES:
            case EPERM: return "permiso denegado";
            case EROFS: return "el sistema de archivos es de solo lectura";
            case ENOTDIR: return "una parte de la ruta es un archivo, no una carpeta";
            case EEXIST: return "ya hay un archivo con ese nombre";
            case ENOENT: return "no existe la carpeta que debe contenerla";
            case ENOSPC: return "no queda espacio en el disco";
            case EDQUOT: return "se agotó la cuota de disco";
            case ENAMETOOLONG: return "el nombre es demasiado largo";
            case ELOOP: return "la ruta tiene demasiados enlaces simbólicos";
            case EIO: return "error de entrada/salida del disco";
            default: break;
        }
    }
    return "error del sistema " + std::to_string(motivo.value()) + " (" + motivo.message() + ")";
}

// The message names the folder as the system does and as this host holds it.
[[noreturn]] void FallarCreacion(std::string_view ruta, const std::string& enEsteEquipo, const std::error_code& motivo) {
    throw EInOutError("No se puede crear la carpeta " + std::string(ruta) + " (" + enEsteEquipo +
                      "): " + MotivoEnCastellano(motivo));
}

std::string NombreDeCentral(int32_t nid) {
    std::string nombre = "c";
    nombre += std::to_string(nid);
    return nombre;
}

}  // namespace

void CrearCarpetaSiFalta(std::string_view ruta) {
    const std::string local = RutaLocal(ruta);
    if (EsCarpeta(local)) return;
    std::error_code error;
    fs::create_directory(local, error);
    if (error) FallarCreacion(ruta, local, error);
    // create_directory reports nothing when something other than a folder
    // already holds the path.
    if (!EsCarpeta(local)) FallarCreacion(ruta, local, std::make_error_code(std::errc::file_exists));
}

void InicializarCarpetaModelos() {
    EscribirLineaConsola(CarpetaModelos);
    if (EsCarpeta(RutaLocal(CarpetaModelos))) return;
    const std::string madre = CarpetaMadre(CarpetaModelos);
    // Drive C: always exists; on this host it is a folder that may not yet.
    std::error_code error;
    const std::string unidad = RutaLocal(CarpetaModelos.substr(0, 2));
    if (fs::exists(fs::symlink_status(unidad, error)) && !EsCarpeta(unidad))
        error = std::make_error_code(std::errc::file_exists);
    else if (!EsCarpeta(unidad))
        fs::create_directories(unidad, error);
    if (error) FallarCreacion(CarpetaModelos.substr(0, 2), DescripcionDeUnidad(CarpetaModelos[0]), error);
    CrearCarpetaSiFalta(madre);
    CrearCarpetaSiFalta(CarpetaModelos);
}

std::string CarpetaCentral(int32_t nid) {
    const std::string carpeta = RutaEnCarpeta(CarpetaModelos, NombreDeCentral(nid));
    CrearCarpetaSiFalta(carpeta);
    return RutaLocal(carpeta);
}

std::string RutaArchivoCentral(std::string_view carpeta, int32_t nid, std::string_view sufijo) {
    return RutaLocal(RutaEnCarpeta(carpeta, NombreDeCentral(nid) + std::string(sufijo)));
}

std::string RutaArchivoEnCarpetaCentral(int32_t nid, std::string_view sufijo) {
    return RutaArchivoCentral(CarpetaCentral(nid), nid, sufijo);
}

std::string RutaParqueMT(int32_t nid) { return RutaArchivoEnCarpetaCentral(nid, "_parque_mt.pmt"); }

std::string RutaModeloCombinado(int32_t nid) { return RutaArchivoEnCarpetaCentral(nid, ".pmc"); }

std::string RutaCalibrador(int32_t nid) { return RutaArchivoEnCarpetaCentral(nid, "_calibrador.clp"); }

void AsegurarCarpeta(std::string_view ruta) {
    EscribirLineaConsola(ruta);
    CrearCarpetaSiFalta(ruta);
}
