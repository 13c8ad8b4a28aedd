#pragma once
// What every fuzz target shares: the library's start-up, the rule that a
// reader fails only with its own errors, and the report of a broken property.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <string_view>

#include "numerics/errores.h"
#include "numerics/formatsettings.h"
#include "numerics/inicio.h"
#include "numerics/textoreal.h"

namespace fuzz {

// Reports a broken property and stops, so libFuzzer keeps the input.
[[noreturn]] inline void Fallar(const std::string& motivo) {
    std::fprintf(stderr, "\n*** PROPIEDAD ROTA: %s\n", motivo.c_str());
    std::fflush(stderr);
    std::abort();
}

}  // namespace fuzz

// Stops with the reason when the property fails; the reason is only built then.
#define FUZZ_EXIGIR(condicion, motivo)            \
    do {                                          \
        if (!(condicion)) ::fuzz::Fallar(motivo); \
    } while (0)

namespace fuzz {

// The settings the program starts with in the tests: '.' as decimal separator.
inline void IniciarNumericos() {
    AjustesFormato() = FormatSettings{};
    InicializarNumericos();
}

// The input as text, with its bytes as they came (NULs included).
inline std::string_view ComoTexto(const uint8_t* datos, std::size_t tamano) {
    return {reinterpret_cast<const char*>(datos), tamano};
}

// An exception's what() stops at the first NUL byte of its message: only
// that much of the expected message can be compared.
inline bool MismoMensaje(const char* recibido, std::string_view esperado) {
    const std::size_t largo = std::strlen(recibido);
    const std::size_t nul = std::min(esperado.find('\0'), esperado.size());
    return largo == nul && esperado.substr(0, largo) == recibido;
}

// The errors a reader may raise on bad input.
enum class TErrorLector { Ninguno, Conversion, EntradaSalida, Matematico };

// Runs leer() and tells which of the reader's own errors it raised. Any other
// exception (the base class alone, std::bad_alloc, std::length_error,
// std::out_of_range...) breaks the contract and stops the run. An error must
// carry a message.
template <typename Lectura>
TErrorLector ConErroresPropios(const char* lector, Lectura&& leer) {
    try {
        leer();
        return TErrorLector::Ninguno;
    } catch (const EConvertError& e) {
        FUZZ_EXIGIR(std::strlen(e.what()) > 0, std::string(lector) + ": EConvertError sin mensaje");
        return TErrorLector::Conversion;
    } catch (const EInOutError& e) {
        FUZZ_EXIGIR(std::strlen(e.what()) > 0, std::string(lector) + ": EInOutError sin mensaje");
        return TErrorLector::EntradaSalida;
    } catch (const EMathError& e) {
        FUZZ_EXIGIR(std::strlen(e.what()) > 0, std::string(lector) + ": EMathError sin mensaje");
        return TErrorLector::Matematico;
    } catch (const EErrorQuendal& e) {
        Fallar(std::string(lector) + ": error de clase base: " + e.what());
    } catch (const std::exception& e) {
        Fallar(std::string(lector) + ": excepción ajena: " + e.what());
    } catch (...) {
        Fallar(std::string(lector) + ": excepción desconocida");
    }
}

// Two reals are the same value when their bits match; every NaN is one value,
// and a zero is a zero whatever its sign (the text forms write -0 as 0).
inline bool MismoValor(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
    if (a == 0 && b == 0) return true;
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A real for messages, with all its digits.
inline std::string Exacto(double x) { return RealATextoDefecto(x); }

// Holds a decimal separator in force for its scope.
class TSeparadorDecimal {
public:
    explicit TSeparadorDecimal(char separador) : anterior_(AjustesFormato().DecimalSeparator) {
        AjustesFormato().DecimalSeparator = separador;
    }
    ~TSeparadorDecimal() { AjustesFormato().DecimalSeparator = anterior_; }
    TSeparadorDecimal(const TSeparadorDecimal&) = delete;
    TSeparadorDecimal& operator=(const TSeparadorDecimal&) = delete;

private:
    char anterior_;
};

}  // namespace fuzz

// Every target starts the library once, as the program does.
#define QUENDAL_FUZZ_INICIO                              \
    extern "C" int LLVMFuzzerInitialize(int*, char***) { \
        fuzz::IniciarNumericos();                        \
        return 0;                                        \
    }
