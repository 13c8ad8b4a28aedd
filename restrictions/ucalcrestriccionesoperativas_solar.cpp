// The solar window simulation: the plant's series read and filtered once,
// its sample tests and the simulation of one restriction window with the
// plant's model and a daylight test at its site.
#include "restrictions/ucalcrestriccionesoperativas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "data/unidades.h"
#include "models/uGranjaSolar.h"
#include "numerics/archivotexto.h"
#include "numerics/consola.h"
#include "restrictions/ucalcrestriccionesoperativas_interno.h"

using namespace restricciones_interno;

namespace {

// The fixed site of the daylight test.
constexpr double LatitudSitio = -31.8, LongitudSitio = -57.6, ZonaHorariaSitio = -3;
constexpr double UmbralDia = 0.01;  // kW/m2 of extraterrestrial irradiance

// Sample tests of the solar window simulation.
class TPruebasSolares {
public:
    TPruebasSolares(const TGeneradorSolar& modelo, const TSerieSolarFiltrada& serie)
        : modelo_(modelo), s_(serie), Pa_(modelo.potencia_autorizada_mw) {}

    bool Excluida(int32_t i) const { return MuestraExcluida(s_.Filt_Huecos, s_.Filt_Coherencia, i); }
    bool ConsignaSinEfecto(int32_t i) const {
        return restricciones_interno::ConsignaSinEfecto(s_.Filt_CGM[i] != 0, s_.PE.pv[i], s_.CGM.pv[i]);
    }
    bool Utilizable(int32_t i) const {
        return !Excluida(i) && ConsignaSinEfecto(i) && s_.PE.pv[i] > 0.1 * Pa_ && !modelo_.MarcaDeDistancia(i);
    }
    bool SeEmpuja(int32_t i) const {
        return ConsignaSinEfecto(i) && s_.PE.pv[i] > 0.2 * Pa_ && !modelo_.MarcaDeDistancia(i);
    }
    double PotenciaModelo(int32_t i) const { return modelo_.Potencia(s_.Rad.pv[i], s_.Temp.pv[i]); }

    // The ratio of measured to modelled power over the first u usable
    // samples from `desde` walking in direction `paso` (+1 after the window,
    // -1 before it); 1 when there is none. Only the series' samples count.
    double FactorVecino(int32_t desde, int32_t paso, int32_t u) const {
        const auto utilizable = [this](int32_t i) { return Utilizable(i); };
        return FactorJuntoAVentana(
            MuestrasJuntoAVentana(desde, paso, u, s_.n, utilizable), [this](int32_t i) { return s_.PE.pv[i]; },
            [this](int32_t i) { return PotenciaModelo(i); });
    }

    // Where the main pass starts: far enough before iS to fill the rings
    // with u usable samples, or sample 1.
    int32_t InicioPrecalentamiento(int32_t iS, int32_t u) const {
        return InicioCalentamiento(iS, s_.n, u, [this](int32_t i) { return Utilizable(i); });
    }

private:
    const TGeneradorSolar& modelo_;
    const TSerieSolarFiltrada& s_;
    double Pa_;
};

bool EsDeDiaEnElSitio(TDateTime t) {
    return IrradianciaExtraterrestre(t, LatitudSitio, LongitudSitio, ZonaHorariaSitio) > UmbralDia;
}

}  // namespace

TSerieSolarFiltrada TSerieSolarFiltrada::Leer(const TGeneradorSolar& modelo, const std::string& archivoSeries) {
    const std::unique_ptr<TSeriesDeDatos> series = TSeriesDeDatos::Create(archivoSeries);
    TGeneradorSolar::ExigirSeriesSolares(*series);
    TSerieSolarFiltrada s;
    s.PE = series->Serie(0).Clonar();
    s.fDisp = series->Serie(1).Clonar();
    s.Temp = series->Serie(2).Clonar();
    s.Rad = series->Serie(3).Clonar();
    s.CGM = series->Serie(4).Clonar();
    s.t1 = series->dtPrimeraMuestra;
    s.dt = series->PeriodoDias;
    s.n = s.PE.n;
    TVectR PE_corregida = s.PE.Clonar();
    TDAOfBoolean disponibilidad, distancia, total;
    int32_t validas = 0;
    modelo.FiltrarMuestras(s.PE, s.Rad, s.Temp, s.CGM, s.fDisp, PE_corregida, s.Filt_CGM, s.Filt_Coherencia,
                           disponibilidad, s.Filt_Huecos, distancia, total, validas);
    return s;
}

void SimularVentanaSolar(const TGeneradorSolar& modelo, const std::string& archivoSeries,
                         const std::string& carpeta, TDateTime fechaIni, TDateTime fechaFin,
                         TDateTime inicioVentana, TDateTime finVentana, double factorKOLM,
                         TDAofRecsEnergiaPorFecha& registros, int32_t u, TExcelFile* informe) {
    ExigirLargoAnillo(u);
    const TSerieSolarFiltrada serie = TSerieSolarFiltrada::Leer(modelo, archivoSeries);
    SimularVentanaSolar(modelo, serie, carpeta, fechaIni, fechaFin, inicioVentana, finVentana, factorKOLM, registros,
                        u, informe);
}

void SimularVentanaSolar(const TGeneradorSolar& modelo, const TSerieSolarFiltrada& s, const std::string& carpeta,
                         TDateTime fechaIni, TDateTime fechaFin, TDateTime inicioVentana, TDateTime finVentana,
                         double factorKOLM, TDAofRecsEnergiaPorFecha& registros, int32_t u, TExcelFile* informe) {
    ExigirLargoAnillo(u);
    if (s.n < 1) return;
    const double Pa = modelo.potencia_autorizada_mw;
    const TPruebasSolares pruebas(modelo, s);

    const TDateTime inicio = std::max(fechaIni, s.t1);
    const TDateTime fin = std::min(fechaFin, FechaDeMuestra(s.t1, s.dt, s.n));
    const int32_t iS = MuestraDeFecha(s.t1, s.dt, inicio);
    const int32_t iE = std::min(MuestraDeFecha(s.t1, s.dt, fin), s.n);
    TAjusteVentana ajuste;
    ajuste.iA = MuestraDeFecha(s.t1, s.dt, inicioVentana);
    ajuste.iB = MuestraDeFecha(s.t1, s.dt, finVentana);
    ajuste.fpost = pruebas.FactorVecino(ajuste.iB + 1, +1, u);
    ajuste.fpre = pruebas.FactorVecino(std::min(ajuste.iA - 1, s.n), -1, u);
    const int32_t i0 = pruebas.InicioPrecalentamiento(iS, u);

    TEscritorTexto f = TEscritorTexto::Crear(RutaLocal(RutaResultadosMC(carpeta, modelo.nid, inicio, fin, u)));
    // Every row starts with its line end, so the header stands alone.
    f.Escribir("dt\tRad[W/m2]\tTemp[ºC]\tP_MW_Dato[MW]\tCGM_Dato[MW]\tf_disp[p.u.]\tP_MW_sinAjCP\tP_MW_conAjCP\t"
               "pRed_conAjCP[MW]");
    TAnilloRazon anillos(u);
    TColumnasInforme filasInforme({"dt", "Rad[W/m2]", "Temp[grC]", "P_MW_Dato[MW]", "CGM_Dato[MW]", "f_Disp[%]",
                                   "P_MS_SinAj[MW]", "P_MS_ConAj[MW]", "pRed_conAjCP[MW]"});
    double totalVentana = 0;
    for (int32_t i = std::max(i0, 1); i <= iE; ++i) {
        const TDateTime t = FechaDeMuestra(s.t1, s.dt, i);
        const double P = s.PE.pv[i], CGM = s.CGM.pv[i], R = s.Rad.pv[i], T = s.Temp.pv[i];
        double Pm = SinValor;
        double razon = 1;
        if (!pruebas.Excluida(i)) {
            Pm = pruebas.PotenciaModelo(i);
            razon = anillos.Razon();
            if (pruebas.SeEmpuja(i)) anillos.Empujar(P, Pm);
        }
        if (i < iS) continue;  // warm-up: it only feeds the rings

        EscribirEnConsola("\rSimulando fecha: " + DateTimeToStr(t));
        const double factor = ajuste.Contiene(i) ? ajuste.Factor(i) : razon;
        const double Padj = Pm == SinValor ? SinValor : std::min(Pa, Pm * factor);
        const bool esDeDia = EsDeDiaEnElSitio(t);
        EscribirEnConsola(esDeDia ? "->TRUE\n" : "->FALSE\n");

        double pRed = 0;
        if (inicioVentana <= t && t <= finVentana && ConsignaRestringeEstimacion(CGM, Pa) && esDeDia) {
            if (Pm == SinValor)
                pRed = SinValor;
            else if (std::fabs(P - CGM) < 0.08 * Pa)
                pRed = PositivoEnSimple(Padj - P);
            if (pRed == SinValor) {
                AgregarEnergiaPorFecha(t, SinValor, R, T, P, Padj, CGM, registros);
            } else {
                AgregarEnergiaPorFecha(t, pRed / 6, R, T, P, Padj, CGM, registros);
                totalVentana += pRed / 6;
            }
        }
        f.Escribir("\n" + DateTimeToStr(t) + Tab(R) + Tab(T) + Tab(P) + Tab(CGM) + Tab(s.fDisp.pv[i]) + Tab(Pm) +
                   Tab(Padj) + Tab(pRed));
        if (informe) filasInforme.Agregar({R, T, P, CGM, s.fDisp.pv[i], Pm, Padj, pRed});
    }
    EscribirEnConsola("\n\n");
    f.EscribirLinea();
    EscribirResumenDeVentana(f, inicioVentana, finVentana, totalVentana, factorKOLM);
    f.Cerrar();
    if (informe) EscribirInforme(*informe, filasInforme, inicio, fin, s.dt, Pa);
    EscribirEnConsola("SIMULACION TERMINADA CON EXITO\n\n");
}
