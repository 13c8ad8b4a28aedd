#include "numerics/archivotexto.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

#include "numerics/consola.h"
#include "numerics/errores.h"
#include "numerics/textoreal.h"

namespace {

const char* const kMensajeFinDeArchivo = "Lectura más allá del fin del archivo";

bool EsBlanco(char c) { return c == ' ' || c == '\t'; }

bool EsFinDeLinea(char c) { return c == '\n' || c == '\r'; }

struct CerrarLectura {
    void operator()(std::FILE* archivo) const { std::fclose(archivo); }
};

std::string LeerArchivoEntero(const std::string& ruta) {
    std::unique_ptr<std::FILE, CerrarLectura> archivo(std::fopen(ruta.c_str(), "rb"));
    if (!archivo) throw EInOutError("No se puede abrir el archivo: " + ruta);
    std::string contenido;
    std::error_code sinError;
    const auto tamano = std::filesystem::file_size(ruta, sinError);
    if (!sinError) contenido.reserve(tamano);
    char bloque[1 << 16];
    std::size_t leidos;
    while ((leidos = std::fread(bloque, 1, sizeof bloque, archivo.get())) > 0) contenido.append(bloque, leidos);
    // A folder opens but cannot be read.
    if (std::ferror(archivo.get())) throw EInOutError("No se puede abrir el archivo: " + ruta);
    return contenido;
}

// Permissions for a saved file: those of the file it replaces, or the
// process's usual ones for a new file (a temporary file is created private).
mode_t PermisosParaGuardar(const std::string& ruta) {
    struct stat estado;
    if (::stat(ruta.c_str(), &estado) == 0) return estado.st_mode & 07777;
    const mode_t mascara = ::umask(0);
    ::umask(mascara);
    return 0666 & ~mascara;
}

bool EsArchivoComun(const std::string& ruta) {
    struct stat estado;
    return ::stat(ruta.c_str(), &estado) == 0 && S_ISREG(estado.st_mode);
}

// Before `nuevo` replaces `ruta`: when `ruta` holds a file whose bytes differ,
// that file is kept as `ruta` + ".anterior", replacing an older copy. Returns
// the copy's name, empty when nothing had to be kept.
std::string ConservarVersionAnterior(const std::string& ruta, const std::string& nuevo) {
    if (!EsArchivoComun(ruta) || LeerArchivoEntero(ruta) == LeerArchivoEntero(nuevo)) return {};
    const std::string copia = ruta + ".anterior";
    const auto fallar = [&copia] { throw EInOutError("No se puede conservar la versión anterior en: " + copia); };
    if (::unlink(copia.c_str()) != 0 && errno != ENOENT) fallar();
    // A second name for the old file keeps its bytes and permissions as they
    // are on disk; a copy where the file system has no such names.
    if (::link(ruta.c_str(), copia.c_str()) != 0) {
        std::error_code error;
        std::filesystem::copy_file(ruta, copia, error);
        if (error) fallar();
    }
    return copia;
}

}  // namespace

// ---- TLectorTexto ----

TLectorTexto::TLectorTexto(std::string contenido, std::string nombre)
    : nombre_(std::move(nombre)), contenido_(std::move(contenido)) {
    if (contenido_.starts_with("\xEF\xBB\xBF")) posicion_ = 3;
}

TLectorTexto TLectorTexto::Abrir(const std::string& ruta) { return TLectorTexto(LeerArchivoEntero(ruta), ruta); }

TLectorTexto TLectorTexto::DesdeTexto(std::string contenido, std::string nombre) {
    return TLectorTexto(std::move(contenido), std::move(nombre));
}

bool TLectorTexto::Eoln() const { return Eof() || EsFinDeLinea(contenido_[posicion_]); }

std::size_t TLectorTexto::LargoFinDeLinea() const {
    if (Eof()) return 0;
    const char c = contenido_[posicion_];
    if (c == '\n') return 1;
    if (c != '\r') return 0;
    const bool siguenLf = posicion_ + 1 < contenido_.size() && contenido_[posicion_ + 1] == '\n';
    return siguenLf ? 2 : 1;
}

void TLectorTexto::SaltarFinDeLinea() {
    const std::size_t largo = LargoFinDeLinea();
    if (largo == 0) return;
    posicion_ += largo;
    ++linea_;
}

void TLectorTexto::SaltarBlancosYFinesDeLinea() {
    while (!Eof()) {
        const char c = contenido_[posicion_];
        if (EsBlanco(c))
            ++posicion_;
        else if (EsFinDeLinea(c))
            SaltarFinDeLinea();
        else
            break;
    }
}

std::string_view TLectorTexto::LeerToken() {
    SaltarBlancosYFinesDeLinea();
    if (Eof()) Fallar(kMensajeFinDeArchivo);
    const std::size_t inicio = posicion_;
    while (!Eof() && !EsBlanco(contenido_[posicion_]) && !EsFinDeLinea(contenido_[posicion_])) ++posicion_;
    return std::string_view(contenido_).substr(inicio, posicion_ - inicio);
}

std::string_view TLectorTexto::RestoDeLinea() {
    const std::size_t inicio = posicion_;
    posicion_ = std::min(contenido_.find_first_of("\r\n", inicio), contenido_.size());
    return std::string_view(contenido_).substr(inicio, posicion_ - inicio);
}

double TLectorTexto::LeerReal() {
    const std::string_view token = LeerToken();
    double x = 0;
    if (!TextoDefectoAReal(token, x)) Fallar("Valor real no válido: \"" + std::string(token) + "\"");
    return x;
}

int TLectorTexto::LeerEntero() {
    const std::string_view token = LeerToken();
    int k = 0;
    if (!TextoDecimalAEntero(token, k)) Fallar("Valor entero no válido: \"" + std::string(token) + "\"");
    return k;
}

double TLectorTexto::LeerRealLinea() {
    const double x = LeerReal();
    SaltarLinea();
    return x;
}

int TLectorTexto::LeerEnteroLinea() {
    const int k = LeerEntero();
    SaltarLinea();
    return k;
}

void TLectorTexto::SaltarLinea() {
    RestoDeLinea();
    SaltarFinDeLinea();
}

std::string TLectorTexto::LeerLinea() {
    if (Eof()) Fallar(kMensajeFinDeArchivo);
    std::string linea(RestoDeLinea());
    SaltarFinDeLinea();
    return linea;
}

std::string TLectorTexto::LeerLineaTolerante() {
    if (!Eof()) return LeerLinea();
    ++linea_;
    return {};
}

int TLectorTexto::LeerCaracter() {
    if (Eof()) return -1;
    if (LargoFinDeLinea() > 0) {
        SaltarFinDeLinea();
        return '\n';
    }
    return static_cast<unsigned char>(contenido_[posicion_++]);
}

void TLectorTexto::Fallar(const std::string& mensaje) const { throw EInOutError(mensaje, nombre_, linea_); }

// ---- TEscritorTexto ----

TEscritorTexto::TEscritorTexto(std::string ruta, ArchivoAbierto archivo, bool enMemoria)
    : ruta_(std::move(ruta)), archivo_(std::move(archivo)), enMemoria_(enMemoria) {}

TEscritorTexto TEscritorTexto::AbrirConModo(const std::string& ruta, const char* modo) {
    ArchivoAbierto archivo(std::fopen(ruta.c_str(), modo));
    if (!archivo) throw EInOutError("No se puede crear el archivo: " + ruta);
    return TEscritorTexto(ruta, std::move(archivo), false);
}

TEscritorTexto TEscritorTexto::Crear(const std::string& ruta) { return AbrirConModo(ruta, "wb"); }

TEscritorTexto TEscritorTexto::Agregar(const std::string& ruta) { return AbrirConModo(ruta, "ab"); }

TEscritorTexto TEscritorTexto::EnMemoria() { return TEscritorTexto({}, nullptr, true); }

void TEscritorTexto::FallarEscritura() const { throw EInOutError("Error escribiendo el archivo: " + ruta_); }

void TEscritorTexto::Escribir(std::string_view texto) {
    if (enMemoria_) {
        contenido_.append(texto);
        return;
    }
    if (!archivo_) FallarEscritura();
    if (texto.empty()) return;
    if (std::fwrite(texto.data(), 1, texto.size(), archivo_.get()) != texto.size()) FallarEscritura();
}

void TEscritorTexto::EscribirLinea(std::string_view texto) {
    Escribir(texto);
    Escribir("\n");
}

void TEscritorTexto::EscribirReal(double x) {
    char texto[AnchoRealDefecto];
    RealATextoDefectoEn(x, texto);
    Escribir(std::string_view(texto, AnchoRealDefecto));
}

void TEscritorTexto::EscribirRealLinea(double x) {
    EscribirReal(x);
    Escribir("\n");
}

void TEscritorTexto::EscribirEnteroLinea(long long k) {
    char cifras[24];
    char* fin = std::to_chars(cifras, cifras + sizeof cifras, k).ptr;
    EscribirLinea(std::string_view(cifras, static_cast<std::size_t>(fin - cifras)));
}

void TEscritorTexto::Cerrar() {
    if (!archivo_) return;
    std::FILE* archivo = archivo_.release();
    bool escrito = std::fflush(archivo) == 0 && !std::ferror(archivo);
    escrito = std::fclose(archivo) == 0 && escrito;
    if (!escrito) FallarEscritura();
}

void TEscritorTexto::SincronizarConDisco() {
    if (!archivo_) return;
    if (std::fflush(archivo_.get()) != 0 || ::fsync(::fileno(archivo_.get())) != 0) FallarEscritura();
}

// ---- Atomic save ----

void GuardarArchivoAtomico(const std::string& ruta, const std::function<void(TEscritorTexto&)>& escribir) {
    const mode_t permisos = PermisosParaGuardar(ruta);
    std::string temporal = ruta + ".tmpXXXXXX";
    const int descriptor = ::mkstemp(temporal.data());
    if (descriptor < 0) throw EInOutError("No se puede crear el archivo: " + ruta);
    try {
        TEscritorTexto::ArchivoAbierto archivo(::fdopen(descriptor, "wb"));
        if (!archivo) {
            ::close(descriptor);
            throw EInOutError("No se puede crear el archivo: " + ruta);
        }
        ::fchmod(descriptor, permisos);
        TEscritorTexto escritor(ruta, std::move(archivo), false);
        escribir(escritor);
        // On disk before the rename, so that a crash leaves the old file or the new one.
        escritor.SincronizarConDisco();
        escritor.Cerrar();
        const std::string copiaAnterior = ConservarVersionAnterior(ruta, temporal);
        if (std::rename(temporal.c_str(), ruta.c_str()) != 0)
            throw EInOutError("No se puede reemplazar el archivo: " + ruta);
        if (!copiaAnterior.empty()) EscribirLineaEnConsola("El archivo anterior se conserva en: " + copiaAnterior);
    } catch (...) {
        std::remove(temporal.c_str());
        throw;
    }
}
