#pragma once
// Shared pieces of the solar-model tests: a temporary drive C: for the plant
// folders and charts, and synthetic plants whose power is an exact
// polynomial in irradiance and temperature.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "models/uGranjaSolar.h"
#include "numerics/textoreal.h"

// Drive C: in a new temporary folder with the model root in it while it
// lives, the variable put back as it was afterwards.
class TUnidadCSolar {
public:
    TUnidadCSolar() {
        std::string plantilla = (std::filesystem::temp_directory_path() / "quendal_solar_XXXXXX").string();
        if (mkdtemp(plantilla.data()) == nullptr) throw std::runtime_error("no se pudo crear la carpeta temporal");
        carpeta_ = plantilla;
        if (const char* previa = std::getenv("QUENDAL_UNIDAD_C")) previa_ = previa;
        setenv("QUENDAL_UNIDAD_C", carpeta_.c_str(), 1);
        // The model root, as start-up leaves it.
        std::filesystem::create_directories(std::filesystem::path(carpeta_) / "tarnek" / "modelado_ro");
    }
    ~TUnidadCSolar() {
        if (previa_)
            setenv("QUENDAL_UNIDAD_C", previa_->c_str(), 1);
        else
            unsetenv("QUENDAL_UNIDAD_C");
        std::error_code error;
        std::filesystem::remove_all(carpeta_, error);
    }
    TUnidadCSolar(const TUnidadCSolar&) = delete;
    TUnidadCSolar& operator=(const TUnidadCSolar&) = delete;

    // Host folder of plant nid under the model root.
    std::filesystem::path CarpetaCentral(int nid) const {
        return std::filesystem::path(carpeta_) / "tarnek" / "modelado_ro" / ("c" + std::to_string(nid));
    }

private:
    std::string carpeta_;
    std::optional<std::string> previa_;
};

// Coefficients c1..c6 of the synthetic plant (power in MW for R in W/m2 and T
// in °C); with R in 50..1000 and T in 5..40 the power stays between 3 and 45
// MW, inside the fit's band for Pa = 50 MW.
inline constexpr double PotenciaAutorizadaSintetica = 50;
inline constexpr std::array<double, 6> CoeficientesSinteticos = {0.04, 0.1, 5e-6, -1e-4, -2e-3, 1.0};

inline double PolinomioSintetico(double R, double T) {
    const auto& c = CoeficientesSinteticos;
    return c[0] * R + c[1] * T + c[2] * R * R + c[3] * R * T + c[4] * T * T + c[5];
}

// n samples spread over the irradiance and temperature ranges by two
// irrational strides (no value repeats), full availability, set-point at Pa.
inline TMuestrasSolares MuestrasSinteticas(int32_t n) {
    TMuestrasSolares m{TVectR(n), TVectR(n), TVectR(n), TVectR(n), TVectR(n), 43101.0, 1.0 / 144};
    for (int32_t k = 1; k <= n; ++k) {
        const double R = 50 + 950 * std::fmod(k * 0.6180339887498949, 1.0);
        const double T = 5 + 35 * std::fmod(k * 0.4142135623730951, 1.0);
        m.Rad.pv[k] = R;
        m.Temp.pv[k] = T;
        m.PE.pv[k] = PolinomioSintetico(R, T);
        m.fDisp.pv[k] = 100;
        m.CGM.pv[k] = PotenciaAutorizadaSintetica;
    }
    return m;
}

inline TDatosCentralSolar CentralSintetica(int32_t nid, double Pa = PotenciaAutorizadaSintetica) {
    return TDatosCentralSolar{"Planta de prueba", Pa, nid, 77};
}

// Writes the samples as a series file of format version 1 (ten-minute
// period, first sample at `inicio`, "year month day hour minute second": by
// default 1 January 2018 at 00:00) with the first `nSeries` of the five
// series, all of them by default.
inline void EscribirSeriesSolares(const std::string& archivo, const TMuestrasSolares& m,
                                  const char* inicio = "2018 1 1 0 0 0", int nSeries = 5) {
    const std::array<const TVectR*, 5> series = {&m.PE, &m.fDisp, &m.Temp, &m.Rad, &m.CGM};
    const std::array<const char*, 5> nombres = {"P_MW", "Disp", "Temp", "Rad", "CGM"};
    std::ofstream f(archivo, std::ios::binary);
    f << "VERSION_FORMATO_SERIES 1\n" << nSeries << "\n" << inicio << "\n1/6\n" << m.PE.n << "\n144\n-----\n";
    for (int j = 0; j < nSeries; ++j) f << (j ? " " : "") << nombres[j];
    f << "\n";
    for (int32_t k = 1; k <= m.PE.n; ++k) {
        f << k;
        for (int j = 0; j < nSeries; ++j) f << '\t' << FormatoGeneral(series[j]->pv[k], 17, '.');
        f << '\n';
    }
}
