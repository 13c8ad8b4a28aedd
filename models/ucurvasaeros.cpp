#include "models/ucurvasaeros.h"

#include <cmath>
#include <numbers>

#include "models/uauxdensidad.h"
#include "numerics/archivotexto.h"
#include "numerics/errores.h"
#include "numerics/uauxiliares.h"
#include "numerics/xmatdefs.h"

namespace {

// Interim copies of the vector interpolation and straight-line fit, until the
// numerical library's own versions are available.

double InterpolarEnIndiceLocal(const TVectR& v, double x) {
    const double k = std::trunc(x);
    if (!(k >= 1)) return v.pv[1];
    if (k >= v.n) return v.pv[v.n];
    const int32_t i = static_cast<int32_t>(k);
    return v.pv[i] + (x - k) * (v.pv[i + 1] - v.pv[i]);
}

double IndiceInterpoladoLocal(const TVectR& v, double x) {
    const int32_t n = v.n;
    const double* e = v.pv.data();
    if (n == 0) return -1;
    if (n == 1) {
        if (x < e[1]) return -1;
        if (x > e[1]) return 2;
        return 1;
    }
    int32_t k = n;
    for (int32_t i = 1; i <= n - 1; ++i)
        if (e[i] >= x) {
            k = i;
            break;
        }
    if (k == 1) {
        const double d = e[2] - e[1];
        if (std::fabs(d) > UmbralCero) return 1 + (x - e[1]) / d;
        return x == e[1] ? 1 : -1;
    }
    const double d = e[k] - e[k - 1];
    if (std::fabs(d) > UmbralCero) return (k - 1) + (x - e[k - 1]) / d;
    return x == e[n] ? n : n + 1;
}

// Least-squares line y ≈ a·x + b over the points with lo <= x < hi; returns
// the mean squared residual, -1 without points. A single distinct abscissa
// makes the 2×2 system singular and raises.
double AproximacionLinealLocal(const TVectR& y, double& a, double& b, const TVectR& x, double lo,
                               double hi, int32_t& cuenta) {
    cuenta = 0;
    double sy = 0, sxy = 0, sx = 0, sxx = 0, syy = 0;
    for (int32_t i = 1; i <= y.n; ++i) {
        const double xi = x.pv[i];
        if (lo <= xi && xi < hi) {
            ++cuenta;
            const double yi = y.pv[i];
            sy += yi;
            sxy += xi * yi;
            sx += xi;
            sxx += xi * xi;
            syy += yi * yi;
        }
    }
    if (cuenta == 0) {
        a = 0;
        b = 0;
        return -1;
    }
    const double nn = cuenta;
    // [[Sxx/N, Sx/N], [Sx/N, 1]]·(a, b) = (Sxy/N, Sy/N) by elimination with
    // partial pivoting on the first column.
    double m11 = sxx / nn, m12 = sx / nn, m21 = sx / nn, m22 = 1;
    double r1 = sxy / nn, r2 = sy / nn;
    if (std::fabs(m21) > std::fabs(m11)) {
        std::swap(m11, m21);
        std::swap(m12, m22);
        std::swap(r1, r2);
    }
    if (std::fabs(m11) <= UmbralCero) throw EErrorQuendal("TVectR.AproximacionLineal res= 0");
    const double factor = -m21 / m11;
    m22 = m22 + factor * m12;
    r2 = r2 + factor * r1;
    if (m22 == 0) throw EErrorQuendal("TVectR.AproximacionLineal res= 0");
    b = r2 * (1 / m22);
    a = (r1 * (1 / m11)) + (-(m12 * (1 / m11))) * b;
    return syy / nn - (b * b + 2 * a * b * sx / nn + a * a * sxx / nn);
}

}  // namespace

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
        residuo = AproximacionLinealLocal(y, a, b, curva_v, vDesde, vHasta, nAjuste);
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
    return InterpolarEnIndiceLocal(curva_P, IndiceInterpoladoLocal(curva_PV, potenciaViento));
}

void TCurvaAerogen::SumarCurvas(const std::vector<const TCurvaAerogen*>& curvas) {
    for (const TCurvaAerogen* otra : curvas)
        for (int32_t j = 1; j <= n; ++j) curva_P.pv[j] += otra->P_de_PotenciaViento(curva_PV.pv[j]);
    CalcularPuntosCaracteristicos();
}
