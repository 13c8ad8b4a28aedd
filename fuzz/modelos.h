#pragma once
// Shared by the model-file targets: a block read out of a fuzzed file fails
// only with the readers' own errors, an input/output error names that file
// and a line of it, and the invariant-format switch is popped afterwards.
#include <cstddef>
#include <cstdio>
#include <iostream>
#include <streambuf>
#include <string>
#include <string_view>

#include "bloques.h"
#include "comun.h"
#include "numerics/archivotexto.h"
#include "numerics/uauxiliares.h"

namespace fuzz {

// Runs leer(lector) on a reader over texto named kNombreArchivo; true when
// it read. Any error but the conversion, input/output and floating-point
// ones stops the run.
template <typename Lectura>
bool LeerModelo(const char* lector, std::string_view texto, Lectura&& leer) {
    const TErrorLector error = ConErroresPropios(lector, [&] {
        TLectorTexto f = TLectorTexto::DesdeTexto(std::string(texto), kNombreArchivo);
        leer(f);
    });
    FUZZ_EXIGIR(ProfundidadFormatosInvariantes() == 0, std::string(lector) + ": deja puestos los formatos invariantes");
    return error == TErrorLector::Ninguno;
}

// The same read, with the input/output error checked for its file and line.
template <typename Lectura>
bool LeerModeloConLinea(const char* lector, std::string_view texto, Lectura&& leer) {
    return LeerModelo(lector, texto, [&](TLectorTexto& f) {
        try {
            leer(f);
        } catch (const EInOutError& e) {
            FUZZ_EXIGIR(e.Archivo() == kNombreArchivo, std::string(lector) + ": el error no nombra el archivo: " + e.what());
            FUZZ_EXIGIR(e.Linea() >= 1 && e.Linea() <= LineasPosibles(texto),
                        std::string(lector) + ": línea del error fuera del archivo: " + std::to_string(e.Linea()));
            throw;
        }
    });
}

// Console lines of the readers (the calibrator's "CARGADO" line) would
// flood the run; they go nowhere, both the stream and the C output
// (libFuzzer reports on standard error).
inline void SilenciarConsola() {
    if (std::freopen("/dev/null", "w", stdout) == nullptr) Fallar("no se puede silenciar la salida estándar");
    class TBufferNulo : public std::streambuf {
    protected:
        int overflow(int c) override { return traits_type::not_eof(c); }
        std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
    };
    static TBufferNulo nulo;
    std::cout.rdbuf(&nulo);
}

// A model that was read, written again, reads back, and its second writing
// is the first one byte for byte. que names the model in the messages.
template <typename Modelo, typename Lectura, typename Escritura>
void ExigirIdaYVuelta(const Modelo& leido, Lectura&& leer, Escritura&& escribir, const std::string& que) {
    const std::string escrito = escribir(leido);
    const auto vuelta = leer(escrito);
    FUZZ_EXIGIR(vuelta != nullptr, "no se lee " + que + " escrito");
    FUZZ_EXIGIR(escribir(*vuelta) == escrito, que + " escrito no es estable");
}

}  // namespace fuzz

// Model-file targets start the library once and silence its console lines.
#define QUENDAL_FUZZ_INICIO_MODELOS                      \
    extern "C" int LLVMFuzzerInitialize(int*, char***) { \
        fuzz::IniciarNumericos();                        \
        fuzz::SilenciarConsola();                        \
        return 0;                                        \
    }
