#include "models/ucurvasaeros.h"

#include <cmath>
#include <numbers>

#include "data/upgsql.h"
#include "models/uauxdensidad.h"
#include "numerics/archivotexto.h"
#include "numerics/errores.h"
#include "numerics/uauxiliares.h"

TCurvaAerogen TCurvaAerogen::Create(int32_t nid, std::string modelo, double diametro, TVectR curva_v,
                                    TVectR curva_P) {
    TCurvaAerogen curva;
    curva.nid = nid;
    curva.modelo = std::move(modelo);
    curva.diametro = diametro;
    curva.curva_v = std::move(curva_v);
    curva.curva_P = std::move(curva_P);
    curva.Preparar();
    return curva;
}

TCurvaAerogen TCurvaAerogen::Create_LeerDeTexto(TLectorTexto& f) {
    TFormatosInvariantes invariantes;
    const int32_t nid = f.LeerEnteroLinea();
    std::string modelo = f.LeerLinea();
    const double diametro = f.LeerRealLinea();
    const int lineaDeLaCurva = f.Linea();
    TVectR curva_v = TVectR::Create_LeerDeTexto(f);
    TVectR curva_P = TVectR::Create_LeerDeTexto(f);
    try {
        return Create(nid, std::move(modelo), diametro, std::move(curva_v), std::move(curva_P));
    } catch (const EInOutError&) {
        throw;
    } catch (const EErrorQuendal& e) {
        throw EInOutError(e.what(), f.Nombre(), lineaDeLaCurva);
    }
}

void TCurvaAerogen::GuardarEnTexto(TEscritorTexto& f) const {
    TFormatosInvariantes invariantes;
    f.EscribirEnteroLinea(nid);
    f.EscribirLinea(modelo);
    f.EscribirRealLinea(diametro);
    curva_v.GuardarEnTexto(f);
    curva_P.GuardarEnTexto(f);
}

TCurvaAerogen TCurvaAerogen::Create_Clonar(const TCurvaAerogen& otra) {
    return Create(otra.nid, otra.modelo, otra.diametro, otra.curva_v.Clonar(), otra.curva_P.Clonar());
}

TCurvaAerogen TCurvaAerogen::Create_DesdeRegistro(TPgSqlRes& fila) {
    TFormatosInvariantes invariantes;
    const int32_t nid = fila.fieldByName("nid").AsInteger(0);
    std::string modelo = fila.fieldByName("modelo").AsString();
    const double diametro = fila.fieldByName("diametro").AsFloat(0);
    TVectR curva_v = TVectR::Create_DesdeCadena(fila.fieldByName("curva_v").AsString());
    TVectR curva_P = TVectR::Create_DesdeCadena(fila.fieldByName("curva_P").AsString());
    return Create(nid, std::move(modelo), diametro, std::move(curva_v), std::move(curva_P));
}

TCurvaAerogen TCurvaAerogen::Create_DesdeBD(TPgSqlCon& conexion, int32_t nidCurva) {
    const std::unique_ptr<TPgSqlRes> resultado =
        conexion.sqlexec("SELECT * FROM curvas_aerogen WHERE nid =" + std::to_string(nidCurva));
    // Without a row every column would read empty: say which curve is missing
    // instead of failing on an empty vector string.
    if (resultado->eof())
        throw EErrorQuendal("No está la curva de potencia " + std::to_string(nidCurva) + " en curvas_aerogen");
    return Create_DesdeRegistro(*resultado);
}

void TCurvaAerogen::Preparar() {
    if (curva_v.n <= 0)
        throw EErrorQuendal("La curva de potencia " + std::to_string(nid) + " (" + modelo +
                            ") no tiene puntos");
    if (curva_P.n != curva_v.n)
        throw EErrorQuendal("La curva de potencia " + std::to_string(nid) + " (" + modelo + ") tiene " +
                            std::to_string(curva_v.n) + " velocidades y " + std::to_string(curva_P.n) +
                            " potencias");
    area = (diametro * 0.5) * (diametro * 0.5) * std::numbers::pi;
    n = curva_v.n;
    curva_PV = TVectR(n);
    for (int32_t i = 1; i <= n; ++i) curva_PV.pv[i] = PotenciaDelViento(curva_v.pv[i], DensidadBase);
    pvMin = curva_PV.Minimo();
    pvMax = curva_PV.Maximo();
    CalcularPuntosCaracteristicos();
}

void TCurvaAerogen::CalcularPuntosCaracteristicos() {
    Pmax = curva_P.Maximo();
    iNominal = 1;
    for (int32_t i = 1; i <= n; ++i)
        if (std::fabs(curva_P.pv[i] - Pmax) <= 1e-10) {
            iNominal = i;
            break;
        }
    vNominal = curva_v.pv[iNominal];
    pvNominal = curva_PV.pv[iNominal];
    // A curve without a point at 1 % of its top (all powers negative) is
    // outside the model; its first point stands in.
    iArranque = 1;
    for (int32_t i = 1; i <= n; ++i)
        if (curva_P.pv[i] >= 0.01 * Pmax) {
            iArranque = i;
            break;
        }
    vArranque = curva_v.pv[iArranque];
    pvArranque = curva_PV.pv[iArranque];
    AjustarLogistica();
}

void TCurvaAerogen::AjustarLogistica() {
    const double vDesde = vArranque + 1.1;
    const double vHasta = 0.9 * vNominal;
    TVectR y(n);
    int32_t puntosEnVentana = 0;
    bool ordenadasFinitas = true;
    for (int32_t i = iArranque; i <= iNominal; ++i) {
        const double v = curva_v.pv[i];
        if (vDesde <= v && v < vHasta) {
            y.pv[i] = std::log(Pmax / curva_P.pv[i] - 1);
            ordenadasFinitas = ordenadasFinitas && std::isfinite(y.pv[i]);
        }
    }
    for (int32_t i = 1; i <= n; ++i)
        if (vDesde <= curva_v.pv[i] && curva_v.pv[i] < vHasta) ++puntosEnVentana;

    hayAjuste = false;
    k = 0;
    vCentro = 0;
    residuo = 0;
    nAjuste = puntosEnVentana;
    if (puntosEnVentana < 2 || !ordenadasFinitas) return;
    double a = 0, b = 0;
    try {
        residuo = y.AproximacionLineal(a, b, curva_v, vDesde, vHasta, nAjuste);
    } catch (const EErrorQuendal&) {
        residuo = 0;  // every point of the window at one speed: no line
        return;
    }
    if (a == 0) return;
    k = -a;
    vCentro = b / k;
    hayAjuste = std::isfinite(k) && std::isfinite(vCentro);
    if (!hayAjuste) k = vCentro = 0;
}

double TCurvaAerogen::P_de_PotenciaViento(double potenciaViento) const {
    if (potenciaViento < pvMin || potenciaViento > pvMax) return 0;
    return curva_P.InterpolarEnIndice(curva_PV.IndiceInterpolado(potenciaViento));
}

void TCurvaAerogen::SumarCurvas(const std::vector<const TCurvaAerogen*>& curvas) {
    for (const TCurvaAerogen* otra : curvas)
        for (int32_t j = 1; j <= n; ++j) curva_P.pv[j] += otra->P_de_PotenciaViento(curva_PV.pv[j]);
    CalcularPuntosCaracteristicos();
}
