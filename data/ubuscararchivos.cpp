#include "data/ubuscararchivos.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

#include "data/unidades.h"

namespace {

namespace fs = std::filesystem;

struct TContenidoCarpeta {
    TDAofString archivos;
    TDAofString subcarpetas;
};

bool EsOculto(const std::string& nombre) { return !nombre.empty() && nombre.front() == '.'; }

unsigned char MinusculaAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool IgualesSinMayusculas(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return MinusculaAscii(static_cast<unsigned char>(x)) == MinusculaAscii(static_cast<unsigned char>(y));
           });
}

std::string_view ExtensionDe(std::string_view nombre) {
    const std::size_t punto = nombre.rfind('.');
    return punto == std::string_view::npos ? std::string_view() : nombre.substr(punto + 1);
}

// The visible files and real subfolders of a folder, each sorted by name;
// nothing when the folder cannot be listed.
TContenidoCarpeta ListarCarpeta(const std::string& carpeta) {
    TContenidoCarpeta contenido;
    std::error_code error;
    fs::directory_iterator entrada(carpeta, error);
    for (; !error && entrada != fs::directory_iterator(); entrada.increment(error)) {
        std::string nombre = entrada->path().filename().string();
        if (EsOculto(nombre)) continue;
        std::error_code errorDeTipo;
        if (entrada->is_symlink(errorDeTipo)) {
            // A link counts as a file when it leads to one; links to folders are not followed.
            if (entrada->is_regular_file(errorDeTipo)) contenido.archivos.push_back(std::move(nombre));
        } else if (entrada->is_directory(errorDeTipo)) {
            contenido.subcarpetas.push_back(std::move(nombre));
        } else if (entrada->is_regular_file(errorDeTipo)) {
            contenido.archivos.push_back(std::move(nombre));
        }
    }
    std::sort(contenido.archivos.begin(), contenido.archivos.end());
    std::sort(contenido.subcarpetas.begin(), contenido.subcarpetas.end());
    return contenido;
}

// `carpeta` ends in '/'.
void BuscarEnCarpeta(const std::string& carpeta, const TDAofString& extensiones, TDAofString& lista,
                     bool recursivo) {
    const TContenidoCarpeta contenido = ListarCarpeta(carpeta);
    for (const std::string& extension : extensiones)
        for (const std::string& archivo : contenido.archivos)
            if (IgualesSinMayusculas(ExtensionDe(archivo), extension)) lista.push_back(carpeta + archivo);
    if (!recursivo) return;
    for (const std::string& subcarpeta : contenido.subcarpetas)
        BuscarEnCarpeta(carpeta + subcarpeta + "/", extensiones, lista, true);
}

}  // namespace

void BuscarArchivos(std::string_view carpeta, const TDAofString& extensiones, TDAofString& lista,
                    bool recursivo) {
    if (carpeta.empty()) return;
    std::string local = RutaLocal(carpeta);
    if (local.back() != '/') local += '/';
    BuscarEnCarpeta(local, extensiones, lista, recursivo);
}
