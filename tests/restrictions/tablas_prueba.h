#pragma once
// Reading back the result tables of the restriction runs in tests: lines of
// tab-separated cells, and the default text form of a real for comparisons.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "data/utsdbTypes.h"
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

// An environment variable set (or unset) for the life of the object, put
// back as it was afterwards.
class TVariableDeEntornoPrueba {
public:
    TVariableDeEntornoPrueba(std::string nombre, const std::string* valor) : nombre_(std::move(nombre)) {
        if (const char* previo = std::getenv(nombre_.c_str())) previo_ = previo;
        if (valor)
            setenv(nombre_.c_str(), valor->c_str(), 1);
        else
            unsetenv(nombre_.c_str());
    }
    ~TVariableDeEntornoPrueba() {
        if (previo_)
            setenv(nombre_.c_str(), previo_->c_str(), 1);
        else
            unsetenv(nombre_.c_str());
    }
    TVariableDeEntornoPrueba(const TVariableDeEntornoPrueba&) = delete;
    TVariableDeEntornoPrueba& operator=(const TVariableDeEntornoPrueba&) = delete;

private:
    std::string nombre_;
    std::optional<std::string> previo_;
};

// The stream form of an hourly window of the year of `fecha` for plant
// `central`, every slot empty but those given (slot index, value).
inline std::string CuerpoVentanaHoraria(int32_t central, TDateTime fecha,
                                        std::initializer_list<std::pair<int32_t, double>> valores) {
    auto ventana = TVentanaKOLMHoraria::Create(central, fecha);
    for (const auto& [indice, valor] : valores) ventana->FijarRegistro(indice, {valor, 1, fecha});
    std::ostringstream cuerpo;
    ventana->writeHeader(cuerpo);
    ventana->writeData(cuerpo);
    return cuerpo.str();
}
