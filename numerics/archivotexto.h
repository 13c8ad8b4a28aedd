#pragma once
// The one text reader and the one text writer of every file of the program,
// and the atomic save of model files.
//
// The reader holds the whole file in memory and walks it; it accepts LF,
// CRLF and lone CR line ends (a CRLF is one line end), drops a UTF-8
// byte-order mark at the start and keeps every other byte as it is. It knows
// its file name and the line it stands in, and every failure names both.
// Writers write bytes as given and end lines with LF; reals go out in the
// default real form.
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class TLectorTexto {
public:
    // EInOutError "No se puede abrir el archivo: " + ruta.
    static TLectorTexto Abrir(const std::string& ruta);
    static TLectorTexto DesdeTexto(std::string contenido, std::string nombre);

    TLectorTexto(TLectorTexto&&) noexcept = default;
    TLectorTexto& operator=(TLectorTexto&&) noexcept = default;
    TLectorTexto(const TLectorTexto&) = delete;
    TLectorTexto& operator=(const TLectorTexto&) = delete;

    const std::string& Nombre() const { return nombre_; }
    // 1-based number of the line the next read starts in.
    int Linea() const { return linea_; }
    // Nothing left to read.
    bool Eof() const { return posicion_ >= contenido_.size(); }
    // At a line end or at the end of the file.
    bool Eoln() const;

    // Skips blanks, tabs and line ends, then reads one token (up to the next
    // blank, tab or line end) as a real in the default form, or as a decimal
    // integer. A missing or malformed number raises EInOutError. The rest of
    // the line stays unread.
    double LeerReal();
    int LeerEntero();
    // The same, then the rest of the line and its end are skipped.
    double LeerRealLinea();
    int LeerEnteroLinea();
    // Skips the rest of the current line and its end (nothing at end of file).
    void SaltarLinea();
    // The rest of the current line without its end; at end of file raises
    // EInOutError "Lectura más allá del fin del archivo".
    std::string LeerLinea();
    // Like LeerLinea, but a read past the end yields "" and counts as a line.
    std::string LeerLineaTolerante();
    // The next byte (0..255), '\n' once for any line end, -1 at end of file.
    int LeerCaracter();

    // EInOutError(mensaje, Nombre(), Linea()).
    [[noreturn]] void Fallar(const std::string& mensaje) const;

private:
    TLectorTexto(std::string contenido, std::string nombre);

    // Length of the line end at the current position: 0, 1 or 2 (CRLF).
    std::size_t LargoFinDeLinea() const;
    void SaltarFinDeLinea();
    void SaltarBlancosYFinesDeLinea();
    // The token at the current position; fails at end of file.
    std::string_view LeerToken();
    std::string_view RestoDeLinea();

    std::string nombre_;
    std::string contenido_;
    std::size_t posicion_ = 0;
    int linea_ = 1;
};

class TEscritorTexto {
public:
    // Create or truncate; EInOutError "No se puede crear el archivo: " + ruta.
    static TEscritorTexto Crear(const std::string& ruta);
    // Append, creating the file when it is missing; same error.
    static TEscritorTexto Agregar(const std::string& ruta);
    // Writes into a string, read back with Contenido().
    static TEscritorTexto EnMemoria();

    TEscritorTexto(TEscritorTexto&&) noexcept = default;
    TEscritorTexto& operator=(TEscritorTexto&&) noexcept = default;
    TEscritorTexto(const TEscritorTexto&) = delete;
    TEscritorTexto& operator=(const TEscritorTexto&) = delete;
    // Closes without raising when Cerrar was not called.
    ~TEscritorTexto() = default;

    const std::string& Nombre() const { return ruta_; }
    // Every write raises EInOutError "Error escribiendo el archivo: " + ruta
    // when the bytes cannot be written (or the writer is closed).
    void Escribir(std::string_view texto);
    void EscribirLinea(std::string_view texto = {});
    void EscribirReal(double x);
    void EscribirRealLinea(double x);
    void EscribirEnteroLinea(long long k);
    // The memory writer's text (empty for a file writer).
    const std::string& Contenido() const { return contenido_; }
    // Flushes and closes, checked: EInOutError "Error escribiendo el archivo: "
    // + ruta. Closing again does nothing.
    void Cerrar();

private:
    struct CierreSilencioso {
        void operator()(std::FILE* archivo) const { std::fclose(archivo); }
    };
    using ArchivoAbierto = std::unique_ptr<std::FILE, CierreSilencioso>;

    TEscritorTexto(std::string ruta, ArchivoAbierto archivo, bool enMemoria);
    static TEscritorTexto AbrirConModo(const std::string& ruta, const char* modo);
    [[noreturn]] void FallarEscritura() const;
    // Flushes and forces the bytes to disk, checked.
    void SincronizarConDisco();

    friend void GuardarArchivoAtomico(const std::string& ruta,
                                      const std::function<void(TEscritorTexto&)>& escribir);

    std::string ruta_;
    ArchivoAbierto archivo_;
    bool enMemoria_ = false;
    bool cerrado_ = false;
    std::string contenido_;
};

// Writes through a temporary file in the same folder, closes it checked and
// renames it over `ruta`; on any failure the temporary is removed and the old
// file is left untouched, then the failure goes on. The writer handed to
// `escribir` is named `ruta`, so its errors name the file being saved. A
// replaced file keeps its permissions; a new one gets the usual ones.
// A replaced file whose bytes differ from the new ones is kept beside it as
// `ruta` + ".anterior" (one generation: an older copy is replaced), and the
// console says so; an identical rewrite keeps no copy.
void GuardarArchivoAtomico(const std::string& ruta, const std::function<void(TEscritorTexto&)>& escribir);
