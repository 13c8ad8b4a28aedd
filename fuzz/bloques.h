#pragma once
// Shared by the text-block targets: reading a block out of a fuzzed file and
// checking a failure names that file and a line of it.
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "comun.h"
#include "numerics/archivotexto.h"

namespace fuzz {

inline const std::string kNombreArchivo = "entrada.txt";

// Lines of texto as the reader counts them (LF, CRLF and lone CR end a line),
// the line after the last one included: no failure can stand beyond it.
inline int LineasPosibles(std::string_view texto) {
    int lineas = 1;
    for (std::size_t i = 0; i < texto.size(); ++i) {
        if (texto[i] == '\n' || (texto[i] == '\r' && (i + 1 == texto.size() || texto[i + 1] != '\n')))
            ++lineas;
    }
    return lineas;
}

// Runs leer(lector) on a reader over texto. A failure must be the reader's
// input/output error, naming the file and a line within it.
template <typename Lectura>
bool LeerBloque(const char* lector, std::string_view texto, Lectura&& leer) {
    try {
        TLectorTexto f = TLectorTexto::DesdeTexto(std::string(texto), kNombreArchivo);
        leer(f);
        return true;
    } catch (const EInOutError& e) {
        FUZZ_EXIGIR(e.Archivo() == kNombreArchivo, std::string(lector) + ": el error no nombra el archivo");
        FUZZ_EXIGIR(
            e.Linea() >= 1 && e.Linea() <= LineasPosibles(texto),
            std::string(lector) + ": línea del error fuera del archivo: " + std::to_string(e.Linea()));
        // what() stops at a NUL byte that a quoted token may carry.
        const bool mensajeEntero = texto.find('\0') == std::string_view::npos;
        FUZZ_EXIGIR(
            !mensajeEntero || std::string_view(e.what()).find(kNombreArchivo) != std::string_view::npos,
            std::string(lector) + ": el mensaje no nombra el archivo: " + e.what());
        return false;
    } catch (const EErrorQuendal& e) {
        Fallar(std::string(lector) + ": error que no es de entrada/salida: " + e.what());
    } catch (const std::exception& e) {
        Fallar(std::string(lector) + ": excepción ajena: " + e.what());
    } catch (...) {
        Fallar(std::string(lector) + ": excepción desconocida");
    }
}

}  // namespace fuzz
