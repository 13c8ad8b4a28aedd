#pragma once
// A solar plant's ten-minute series file for the restriction tests, written
// from the samples of tests/models/test_solar_comun.h with its first sample
// on 15 January 2018 at 00:00.
#include <fstream>
#include <string>

#include "numerics/textoreal.h"
#include "tests/models/test_solar_comun.h"

// A series file of format version 1 with the five solar series.
inline void EscribirSerieSolar(const std::string& archivo, const TMuestrasSolares& m) {
    std::ofstream f(archivo, std::ios::binary);
    f << "VERSION_FORMATO_SERIES 1\n5\n2018 1 15 0 0 0\n1/6\n" << m.PE.n << "\n144\n-----\n";
    f << "P_MW Disp Temp Rad CGM\n";
    for (int32_t k = 1; k <= m.PE.n; ++k) {
        f << k;
        for (const TVectR* serie : {&m.PE, &m.fDisp, &m.Temp, &m.Rad, &m.CGM})
            f << '\t' << FormatoGeneral(serie->pv[k], 17, '.');
        f << '\n';
    }
}
