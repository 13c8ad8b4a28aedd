#pragma once
// TCalibradorParque: the theoretical model of a wind farm joined with the
// empirical model fitted to the same plant's ten-minute series. It owns both,
// keeps them together in one calibrator file (".clp": the park block followed
// by the empirical block, with nothing between or after them) and calibrates
// the park's met-mast tables against the empirical S-curves.
//
// Calibration. For every direction sector and ten power levels (0.10, 0.19,
// ... 0.91 of the authorised power) it compares the mast speed at which the
// sector's S-curve gives that power (ve) with the mast speed at which the
// theoretical park gives it (vt): the factor is (ve / vt)³ at speed ve.
// Where no empirical speed can be had (a sector without a curve, a level
// outside the curve's range, a speed at or below 0) the cell takes factor 1
// at the theoretical speed, and every speed row is kept strictly ascending,
// so the tables, the two calibration files and the park file never hold a
// NaN and the park's interpolation always finds its column.
#include <cstdint>
#include <memory>
#include <string>

#include "models/uparques_modeloempirico.h"
#include "models/uparques_modeloteorico.h"

class TLectorTexto;
class TEscritorTexto;

class TCalibradorParque {
public:
    // Builds the empirical model of `parque` from the series file; the two
    // percentages of the authorised power bound the S-curve fits. The park
    // passes to the calibrator only once the empirical model is built: when
    // the construction fails, `parque` stays with the caller. Without charts
    // (graficar false) the empirical tables are still written.
    static std::unique_ptr<TCalibradorParque> Create(std::unique_ptr<TParque_ModeloTeorico>& parque,
                                                     const std::string& archivoSeries, int32_t porcentajeInf,
                                                     int32_t porcentajeSup, bool graficar = true);
    // The park block, then the empirical block bound to that park. A park
    // block older than version 4 takes its metering factor through the
    // provider's connection, and is refused without one.
    static std::unique_ptr<TCalibradorParque> Create_LeerDeTexto(TLectorTexto& f,
                                                                 const TProveedorConexion& proveedor = {});
    static std::unique_ptr<TCalibradorParque> Create_LeerDeArchivo(const std::string& ruta,
                                                                   const TProveedorConexion& proveedor = {});

    virtual ~TCalibradorParque();
    TCalibradorParque(const TCalibradorParque&) = delete;
    TCalibradorParque& operator=(const TCalibradorParque&) = delete;

    void GuardarEnTexto(TEscritorTexto& f) const;
    // Through a temporary file renamed over the old one.
    void GuardarEnArchivo(const std::string& ruta) const;

    // Replaces the park's meteo_etha and mat_vientos by the calibrated tables
    // (once every cell is computed) and writes "Metha.txt" and "MdeVel.txt"
    // into the plant folder. The tables have a row per sector of the
    // empirical model, and the park's n_sectores_dir becomes that count (the
    // console says so when it changes).
    void CalibrarEthaMeteo();

    // Owned; the empirical model refers to the park and is released first.
    std::unique_ptr<TParque_ModeloEmpirico> ModeloEmpirico;
    std::unique_ptr<TParque_ModeloTeorico> Parque;

protected:
    TCalibradorParque() = default;
    // Reads both blocks into this calibrator, under the invariant-format
    // switch; prints "CALIBRADOR CARGADO CON EXITO.".
    void LeerBloques(TLectorTexto& f, const TProveedorConexion& proveedor);
};

// One cell of the met-mast calibration: the factor and the mast speed it
// belongs to.
struct TCeldaCalibracion {
    double factor = 1;
    double velocidad = 0;
};

// The cell for one sector and power level, from the empirical speed (valid
// or not) and the theoretical one: (ve / vt)³ at ve when both speeds are
// positive and the factor finite, otherwise factor 1 at vt (0 when vt is not
// positive either).
TCeldaCalibracion CeldaCalibracion(bool empiricaValida, double ve, double vt);

// Keeps the speeds of one row strictly ascending: a cell whose speed does not
// exceed the one before takes factor 1 at its theoretical speed, or just above
// the previous speed (by 0.01 m/s) when the theoretical one does not exceed it
// either. `teoricas` holds the theoretical speeds of the row's cells.
void OrdenarFilaCalibracion(TVectR& factores, TVectR& velocidades, const TVectR& teoricas);
