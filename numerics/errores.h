#pragma once
// Error types of the program. Every failure is an exception carrying the
// system's own message (UTF-8); the window shows it in an error box.
#include <stdexcept>
#include <string>
#include <string_view>

// Base of every error the program raises on purpose.
class EErrorQuendal : public std::runtime_error {
public:
    explicit EErrorQuendal(const std::string& mensaje) : std::runtime_error(mensaje) {}
};

// A text that cannot be converted to a number.
class EConvertError : public EErrorQuendal {
public:
    using EErrorQuendal::EErrorQuendal;
};

// A failed read or write of a file or stream. When the file and line are
// known, the message reads "<mensaje> (<archivo>, línea <n>)".
class EInOutError : public EErrorQuendal {
public:
    explicit EInOutError(const std::string& mensaje) : EErrorQuendal(mensaje) {}
    EInOutError(const std::string& mensaje, const std::string& archivo, int linea);

    const std::string& Archivo() const { return archivo_; }
    int Linea() const { return linea_; }  // 0 when unknown

private:
    std::string archivo_;
    int linea_ = 0;
};

// An arithmetic operation that overflowed, was invalid or divided by zero:
// what a floating-point trap would have raised.
class EMathError : public EErrorQuendal {
public:
    using EErrorQuendal::EErrorQuendal;
};

// Returns x when it is finite; otherwise throws EMathError naming the operation.
double VerificarFinito(double x, std::string_view operacion);
