#pragma once
// A solar plant's ten-minute series file for the restriction tests, written
// from the samples of tests/models/test_solar_comun.h with its first sample
// on 15 January 2018 at 00:00.
#include <string>

#include "tests/models/test_solar_comun.h"

// A series file of format version 1 with the five solar series.
inline void EscribirSerieSolar(const std::string& archivo, const TMuestrasSolares& m) {
    EscribirSeriesSolares(archivo, m, "2018 1 15 0 0 0");
}
