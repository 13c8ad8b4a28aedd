#include "numerics/MatEnt.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "numerics/consola.h"
#include "numerics/errores.h"

TVectE::TVectE(int32_t numElementos) {
    if (numElementos < 0)
        throw EErrorQuendal("TVectE.Create: cantidad negativa " + std::to_string(numElementos));
    n = numElementos;
    pv.assign(static_cast<size_t>(n) + 1, 0);
}

void TVectE::Ceros() { std::fill(pv.begin() + 1, pv.end(), 0); }

void TVectE::print() const {
    auto alineado = [](std::string texto, size_t ancho) {
        if (texto.size() < ancho) texto.insert(0, ancho - texto.size(), ' ');
        return texto;
    };
    EscribirEnConsola(" TVectE.print.inicio\n");
    for (int32_t k = 1; k <= n; ++k) {
        const std::string linea =
            " N: " + alineado(std::to_string(k), 6) + " : " + alineado(std::to_string(pv[k]), 12) + "\n";
        EscribirEnConsola(linea);
    }
    EscribirEnConsola(" TVectE.print.fin\n");
}
