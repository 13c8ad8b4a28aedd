#pragma once
// TCurvaAerogen: the power curve of one wind-turbine model, electric power
// against wind speed given by points. The wake model looks powers up by wind
// power density, so the curve keeps beside its speeds the power density of
// each speed at the base air density 1.225 kg/m³. It also derives its rated
// point, its cut-in point, its rotor area and a logistic fit of its rising
// part, P ≈ Pmax / (1 + e^(−k·(v − vCentro))), shown beside the empirical
// model's S-curves.
//
// A curve whose fit window holds fewer than two distinct speeds has no fit:
// `hayAjuste` is false and k = vCentro = 0, so a coarse but valid curve still
// loads (the wake model never uses the fit).
#include <cstdint>
#include <string>
#include <vector>

#include "numerics/matreal.h"

class TLectorTexto;
class TEscritorTexto;
class TPgSqlCon;
class TPgSqlRes;

class TCurvaAerogen {
public:
    int32_t nid = 0;
    std::string modelo;
    double diametro = 0;  // rotor diameter, m
    int32_t n = 0;        // number of points
    TVectR curva_v;       // speeds, m/s, ascending
    TVectR curva_P;       // power at each speed, MW
    TVectR curva_PV;      // power density of each speed at 1.225 kg/m³ (derived)
    double pvMin = 0, pvMax = 0;
    double Pmax = 0;
    int32_t iNominal = 0;
    double vNominal = 0, pvNominal = 0;
    int32_t iArranque = 0;
    double vArranque = 0, pvArranque = 0;
    double area = 0;  // rotor area, m²
    double k = 0, vCentro = 0;
    double residuo = 0;  // residual mean square of the fit
    int32_t nAjuste = 0;  // points the fit used
    bool hayAjuste = false;

    // From points; the derived fields are computed here.
    static TCurvaAerogen Create(int32_t nid, std::string modelo, double diametro, TVectR curva_v,
                                TVectR curva_P);
    // The curve block: nid, the model name line, the diameter, then the speed
    // and power vector blocks; read and written inside the invariant-format
    // switch.
    static TCurvaAerogen Create_LeerDeTexto(TLectorTexto& f);
    void GuardarEnTexto(TEscritorTexto& f) const;
    static TCurvaAerogen Create_Clonar(const TCurvaAerogen& otra);
    // From the current row of a `curvas_aerogen` result: nid, modelo,
    // diametro, and the points as one-line vector strings "[n|v1;v2;...]" in
    // curva_v and curva_P. The strings come from the server with '.', so they
    // are read inside the invariant-format switch.
    static TCurvaAerogen Create_DesdeRegistro(TPgSqlRes& fila);
    // The curve of that number in `curvas_aerogen`. EErrorQuendal naming the
    // number when the table has no such curve.
    static TCurvaAerogen Create_DesdeBD(TPgSqlCon& conexion, int32_t nidCurva);

    // Power (MW) at a wind power density at 1.225 kg/m³; 0 outside
    // [pvMin, pvMax] (below the first point and past the cut-out).
    double P_de_PotenciaViento(double potenciaViento) const;
    // Adds the powers of the given curves (each 0 outside its own range) on
    // this curve's power-density points, then recomputes the derived values.
    void SumarCurvas(const std::vector<const TCurvaAerogen*>& curvas);

    // Area, point count, power densities, characteristic points and fit.
    // EErrorQuendal when the curve has no points or its vectors differ in
    // length.
    void Preparar();

private:
    void CalcularPuntosCaracteristicos();
    void AjustarLogistica();
};
