#pragma once
// An environment variable set (or unset, for a null value) for the object's
// life, then put back as it was.
#include <stdlib.h>

#include <cstdlib>
#include <optional>
#include <string>

class VariableDeEntornoFija {
public:
    VariableDeEntornoFija(const char* nombre, const char* valor) : nombre_(nombre) {
        if (const char* previo = std::getenv(nombre)) previo_ = previo;
        Poner(valor);
    }
    ~VariableDeEntornoFija() { Poner(previo_ ? previo_->c_str() : nullptr); }
    VariableDeEntornoFija(const VariableDeEntornoFija&) = delete;
    VariableDeEntornoFija& operator=(const VariableDeEntornoFija&) = delete;

private:
    void Poner(const char* valor) const {
        if (valor)
            setenv(nombre_.c_str(), valor, 1);
        else
            unsetenv(nombre_.c_str());
    }

    std::string nombre_;
    std::optional<std::string> previo_;
};
