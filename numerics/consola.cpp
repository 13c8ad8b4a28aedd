#include "numerics/consola.h"

#include <cstdio>
#include <string>

namespace {

TObservadorConsola* observadorActual = nullptr;

}  // namespace

void EscribirEnConsola(std::string_view texto) {
    std::fwrite(texto.data(), 1, texto.size(), stdout);
    std::fflush(stdout);
    if (observadorActual) observadorActual->TextoEscrito(texto);
}

void EscribirLineaEnConsola(std::string_view linea) {
    std::string conFin(linea);
    conFin += '\n';
    EscribirEnConsola(conFin);
}

void SalidaEstandarPorLineas() { std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ); }

TObservadorConsola* FijarObservadorConsola(TObservadorConsola* observador) {
    TObservadorConsola* anterior = observadorActual;
    observadorActual = observador;
    return anterior;
}

TObservadorConsola* ObservadorConsola() { return observadorActual; }
