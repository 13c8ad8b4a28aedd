#pragma once
// TParque_ModeloCombinado: the model with which the system estimates what a
// wind farm would have generated. It is a calibrator with a factor matrix:
// for every direction sector and speed bin of the empirical model, the ratio
// of the empirical power to the theoretical power observed there, spread by
// Jacobi relaxation (numerics/ucompletarmatriz) into the bins without an
// observation. The power of one ten-minute sample is the theoretical park
// power for its wind, direction, air density and set-point, times the factor
// interpolated at its direction and mast power density, capped at the
// authorised power.
//
// File ".pmc": the calibrator's two blocks followed by the factor matrix as a
// matrix text block.
//
// Sound behaviour where the plain method would fail:
// - a file that ends after the calibrator's blocks (a ".clp" read as a
//   combined model) gives an empty factor matrix, which means factor 1
//   everywhere and is written back as a 0 × 0 matrix that reads again;
// - a factor matrix whose shape is not sectors × bins fails the read;
// - a calm restricted sample has a free stream of 0, so its powers are 0;
// - directions are reduced into [0, 360) before the park and the sectors see
//   them; a direction that is not finite raises EMathError.
#include <cstdint>
#include <memory>
#include <string>

#include "models/registrosrestriccion.h"
#include "models/ucalibrador.h"
#include "numerics/matreal.h"

class TParque_ModeloCombinado : public TCalibradorParque {
public:
    // Reads the calibrator file and computes the factor matrix. In every
    // reader a park block older than version 4 takes its metering factor
    // through the provider's connection, and is refused without one.
    static std::unique_ptr<TParque_ModeloCombinado> Create(const std::string& archivoCalibrador,
                                                           const TProveedorConexion& proveedor = {});
    // Reads a combined-model file (or a calibrator file: empty matrix).
    static std::unique_ptr<TParque_ModeloCombinado> Create_LeerDeArchivo(const std::string& ruta,
                                                                         const TProveedorConexion& proveedor = {});
    // The same three blocks from an open reader, at its current line.
    static std::unique_ptr<TParque_ModeloCombinado> Create_LeerDeTexto(TLectorTexto& f,
                                                                       const TProveedorConexion& proveedor = {});
    // Through a temporary file renamed over the old one.
    void GuardarEnArchivo(const std::string& ruta) const;

    // ---- Factor matrix ----
    void CalcularMatrizFactores();
    // Ratio of empirical to theoretical power per sector and bin, 0 where
    // the bin has fewer than 10 samples or the theoretical power is 1 MW or
    // less; `observados` must have the empirical model's sectors and bins.
    void CalcularRatiosObservados(TMatR& observados);
    // Every cell with a positive observation takes it.
    void CopiarRatiosObservados(const TMatR& observados);
    // One Jacobi sweep over the cells without a positive observation; the
    // result is the sweep's change (the largest signed increase, made
    // positive).
    double RelajarMatrizFactores(const TMatR& observados);

    // ---- Power of one sample ----
    // v is the met-mast speed (m/s), or the free-stream speed with velLibre;
    // dir in degrees; densidad in kg/m³; tope the set-point cap (MW). With
    // soloTeorico or sinMatrizFactores the powers are the capped theoretical
    // ones. None of the three results exceeds the authorised power.
    void CalcularPotencia(bool sinMatrizFactores, double& PotConCGM, double& PotSinCGM, double& PotTeorica,
                          double v, double dir, double densidad, double tope, bool soloTeorico, bool velLibre);
    // The same evaluated on `parque`, a copy of this model's park (see
    // TParque_ModeloTeorico::Create_Clonar), whose state alone it changes:
    // the factor matrix and the empirical model are only read, so worker
    // threads, each with a park of its own, may call it at once.
    void CalcularPotencia(TParque_ModeloTeorico& parque, bool sinMatrizFactores, double& PotConCGM,
                          double& PotSinCGM, double& PotTeorica, double v, double dir, double densidad, double tope,
                          bool soloTeorico, bool velLibre) const;
    // Factor of the matrix at a direction and mast power density; 1 for an
    // empty matrix, EErrorQuendal when its rows are not the sectors.
    double FactorInterpolado(double dir, double densidadMastil) const;

    // Sectors × bins, computed from a matrix of ones; empty (0 × 0) when the
    // file had none.
    TMatR MatrizFactores;

private:
    TParque_ModeloCombinado() = default;
    void LeerMatrizFactores(TLectorTexto& f);
};

// The cells known to the relaxation: each positive observation keeps its
// value, every other cell is open (−1).
TMatR CeldasObservadas(const TMatR& observados);
