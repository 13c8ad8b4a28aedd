#pragma once
// Reading back the result tables of the restriction runs in tests: lines of
// tab-separated cells, and the default text form of a real for comparisons.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "numerics/textoreal.h"

using TFilaTabla = std::vector<std::string>;

inline std::vector<std::string> LineasDeArchivo(const std::string& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    EXPECT_TRUE(f.good()) << "no se pudo abrir " << ruta;
    std::vector<std::string> lineas;
    for (std::string linea; std::getline(f, linea);) lineas.push_back(linea);
    return lineas;
}

inline TFilaTabla CeldasDe(const std::string& linea) {
    TFilaTabla celdas;
    std::string celda;
    std::istringstream texto(linea);
    while (std::getline(texto, celda, '\t')) celdas.push_back(celda);
    if (!linea.empty() && linea.back() == '\t') celdas.emplace_back();
    return celdas;
}

inline std::vector<TFilaTabla> TablaDeArchivo(const std::string& ruta) {
    std::vector<TFilaTabla> filas;
    for (const std::string& linea : LineasDeArchivo(ruta)) filas.push_back(CeldasDe(linea));
    return filas;
}

// The value of a cell written in the default real form.
inline double ValorDeCelda(const std::string& celda) {
    double x = 0;
    EXPECT_TRUE(TextoDefectoAReal(celda, x)) << "celda no numérica: \"" << celda << "\"";
    return x;
}

inline std::string R(double x) { return RealATextoDefecto(x); }
