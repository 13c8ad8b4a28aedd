#pragma once
// What the calibrator and combined-model tests share: a drive C: of their own
// (with the optimiser's log inside it), file helpers, a hand-made calibrator
// file (the synthetic park with an empirical block of known bins and no
// S-curves, quick to read) and the synthetic plant's calibrator, built from a
// short series.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "data/ucarpetasmodelos.h"
#include "models/uauxdensidad.h"
#include "models/ucalibrador.h"
#include "models/uparques_modeloteorico.h"
#include "models/uplantasintetica.h"
#include "numerics/uproblema.h"
#include "numerics/archivotexto.h"
#include "unidad_temporal.h"

namespace apoyo_calibrador {

inline std::string LeerArchivo(const std::string& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

inline void EscribirArchivo(const std::string& ruta, const std::string& texto) {
    std::ofstream f(ruta, std::ios::binary);
    f << texto;
}

// Replaces line `numero` (from 1) of a text file by `texto`.
inline void CambiarLineaDelArchivo(const std::string& ruta, int numero, const std::string& texto) {
    std::istringstream entrada(LeerArchivo(ruta));
    std::string resultado;
    int n = 0;
    for (std::string linea; std::getline(entrada, linea);) resultado += (++n == numero ? texto : linea) + "\n";
    EscribirArchivo(ruta, resultado);
}

// Series files a wind farm's model refuses, made from a good one by changing
// its header: the count of series (line 2) or of samples (line 5).
struct TCabeceraRechazada {
    int linea;
    const char* texto;
    const char* mensaje;  // what the refusal says after the file's name
};
inline constexpr TCabeceraRechazada CabecerasRechazadas[] = {
    {2, "5", "tiene 5 series y un parque eólico necesita 9"},
    {2, "2", "tiene 2 series y un parque eólico necesita 9"},
    {2, "8", "tiene 8 series y un parque eólico necesita 9"},
    {5, "0", "no tiene muestras"},
};

constexpr int32_t SectoresDeMano = 72;
constexpr int32_t TramosDeMano = 10;

// Bin edges of the hand-made block: the wind power densities of 0, 2, ... 20 m/s.
inline double BordeDeMano(int32_t k) { return PotenciaDelViento(2.0 * (k - 1), DensidadBase); }
inline double MedioDeMano(int32_t j) { return (BordeDeMano(j) + BordeDeMano(j + 1)) / 2; }

// An empirical block (version 2) of 72 sectors and 10 bins with no samples
// in any bin and no S-curve.
inline void EscribirBloqueEmpiricoDeMano(TEscritorTexto& f) {
    f.EscribirLinea("VERSION=2");
    TVectR bordes(TramosDeMano + 1);
    for (int32_t k = 1; k <= bordes.n; ++k) bordes.pv[k] = BordeDeMano(k);
    bordes.GuardarEnTexto(f);
    TMatR cuentas(SectoresDeMano, TramosDeMano);
    for (int32_t i = 1; i <= SectoresDeMano; ++i) cuentas.Fila(i).Llenar(-1);
    cuentas.GuardarEnTexto(f);
    const TMatR ceros(SectoresDeMano, TramosDeMano);
    ceros.GuardarEnTexto(f);  // intercepts
    ceros.GuardarEnTexto(f);  // slopes
    TVectR medios(TramosDeMano);
    for (int32_t j = 1; j <= medios.n; ++j) medios.pv[j] = MedioDeMano(j);
    medios.GuardarEnTexto(f);
    ceros.GuardarEnTexto(f);  // bin powers
    const TVectR sinCurva = TVectR::Create_ConValor(SectoresDeMano, -1);
    for (int p = 0; p < 5; ++p) sinCurva.GuardarEnTexto(f);
}

// The calibrator file of the synthetic park and the hand-made block.
inline std::string EscribirCalibradorDeMano(int32_t nid) {
    auto parque = CrearParqueSintetico(nid);
    const std::string ruta = RutaCalibrador(nid);
    TEscritorTexto f = TEscritorTexto::Crear(ruta);
    parque->GuardarEnTexto(f);
    EscribirBloqueEmpiricoDeMano(f);
    f.Cerrar();
    return ruta;
}

// A drive C: with the model root and the optimiser's log inside it.
class ConUnidadDePrueba : public UnidadCTemporal {
protected:
    void SetUp() override {
        UnidadCTemporal::SetUp();
        InicializarCarpetaModelos();
        FijarCarpetaLogEstimarMultiplicadores(unidad_);
    }
    void TearDown() override {
        FijarCarpetaLogEstimarMultiplicadores("");
        UnidadCTemporal::TearDown();
    }
};

// The synthetic plant's calibrator from a short series (no charts), whose
// first sample is at `inicio`.
inline std::unique_ptr<TCalibradorParque> CalibradorSintetico(int32_t nid, int32_t dias,
                                                              TDateTime inicio = TOpcionesPlantaSintetica{}.inicio) {
    TOpcionesPlantaSintetica opciones;
    opciones.nid = nid;
    opciones.dias = dias;
    opciones.inicio = inicio;
    const TPlantaSintetica planta = GenerarPlantaSintetica(opciones);
    auto parque = TParque_ModeloTeorico::Create_LeerDeArchivo(planta.archivoParque);
    return TCalibradorParque::Create(parque, planta.archivoSeries, 1, 100, false);
}

}  // namespace apoyo_calibrador
