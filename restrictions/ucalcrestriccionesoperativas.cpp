// The restriction windows of a series, and the energy records that the
// window simulations append and their folding into hours. The simulations,
// the error matrices, the solar window and the runs with their tables are in
// the unit's other sources (ucalcrestriccionesoperativas_*.cpp).
#include "restrictions/ucalcrestriccionesoperativas.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "numerics/errores.h"
#include "restrictions/ucalcrestriccionesoperativas_interno.h"

using namespace restricciones_interno;

namespace {

// A set-point restricts the plant when it lies below the threshold less
// 0.5 MW; -1 or below is no value and is neither restricted nor free.
bool ConsignaRestringe(double consigna, double umbral) {
    return consigna > -1 && consigna < umbral - 0.5;
}

bool ConsignaLibera(double consigna, double umbral) {
    return consigna > -1 && consigna > umbral - 0.5;
}

constexpr double CincoMinutos = 1.0 / 288;
constexpr double SesentaYCincoMinutos = 13.0 / 288;

}  // namespace

// ------------------------------------------------------------ windows

bool BuscarInicioRestriccion(const TVectR& consignas, double umbral, int32_t& k, int32_t hasta) {
    while (k <= hasta && !ConsignaRestringe(consignas.pv[k], umbral)) ++k;
    return k <= hasta;
}

bool BuscarFinRestriccion(const TVectR& consignas, double umbral, int32_t& k) {
    while (k <= consignas.n && !ConsignaLibera(consignas.pv[k], umbral)) ++k;
    return k <= consignas.n;
}

TDAofRecsFechas BuscarVentanasDeRestriccion(const TVectR& consignas, TDateTime t1, double dt,
                                            double umbral, TDateTime& fechaIni, TDateTime& fechaFin) {
    if (!(std::isfinite(dt) && dt > 0))
        throw EErrorQuendal("El período de muestreo de la serie debe ser un número positivo");
    const int32_t n = consignas.n;
    fechaIni = std::max(fechaIni, t1);
    fechaFin = std::min(fechaFin, FechaDeMuestra(t1, dt, n));

    TDAofRecsFechas ventanas;
    // A period wholly before or after the series holds no sample to scan.
    if (n < 1 || fechaFin < fechaIni) return ventanas;
    const int32_t i0 = MuestraDeFecha(t1, dt, fechaIni);
    const int32_t i1 = std::min(MuestraDeFecha(t1, dt, fechaFin), n);

    int32_t k = i0;
    while (BuscarInicioRestriccion(consignas, umbral, k, i1)) {
        const int32_t inicio = k;
        int32_t fin = inicio + 1;
        BuscarFinRestriccion(consignas, umbral, fin);
        ventanas.push_back({FechaDeMuestra(t1, dt, inicio), FechaDeMuestra(t1, dt, fin)});
        if (fin >= i1) break;
        k = fin + 1;  // the end sample is free, so the next window starts after it
    }
    return ventanas;
}

namespace {

// The set-point series of a file, refused when the file lacks that column:
// asking the series object for it would hand back a zero series.
const TVectR& ColumnaDeConsignas(TSeriesDeDatos& series, int32_t columna) {
    if (columna < 1 || columna > series.NSeries)
        throw EErrorQuendal("El archivo de series \"" + series.Archivo() + "\" tiene " +
                            std::to_string(series.NSeries) + " series y no tiene la columna de consignas " +
                            std::to_string(columna));
    return series.Serie(columna - 1);
}

}  // namespace

TDAofRecsFechas BuscarVentanasDeRestriccion(TSeriesDeDatos& series, double umbral, TDateTime& fechaIni,
                                            TDateTime& fechaFin, int32_t columna) {
    return BuscarVentanasDeRestriccion(ColumnaDeConsignas(series, columna), series.dtPrimeraMuestra,
                                       series.PeriodoDias, umbral, fechaIni, fechaFin);
}

TDAofRecsFechas BuscarVentanasDeRestriccion(const std::string& archivoSeries, double umbral,
                                            TDateTime& fechaIni, TDateTime& fechaFin, int32_t columna) {
    const std::unique_ptr<TSeriesDeDatos> series = TSeriesDeDatos::Create(archivoSeries);
    return BuscarVentanasDeRestriccion(*series, umbral, fechaIni, fechaFin, columna);
}

// ------------------------------------------------------------ energy records

void AgregarEnergiaPorFecha(TDateTime fecha, double energia, double meteo1, double meteo2,
                            double potDato, double potModelo, double consigna,
                            TDAofRecsEnergiaPorFecha& registros) {
    registros.push_back({fecha, energia, potDato, potModelo, consigna, meteo1, meteo2});
}

void SumarEnergiaAlUltimo(double energia, TDAofRecsEnergiaPorFecha& registros) {
    if (registros.empty()) throw EErrorQuendal("SumarEnergiaAlUltimo: la lista de registros está vacía");
    registros.back().ENS += energia;
}

TDateTime EtiquetaHoraria(TDateTime t) {
    // The hours of a day are samples of period one hour from its midnight.
    const TDateTime u = t - DiezMinutos;
    const TDateTime dia = std::trunc(u);
    return FechaDeMuestra(dia, UnaHora, MuestraDeFecha(dia, UnaHora, u));
}

TDAofRecsEnergiaPorFecha AgruparPorHora(const TDAofRecsEnergiaPorFecha& registros) {
    TDAofRecsEnergiaPorFecha horas;
    if (registros.empty()) return horas;
    horas.push_back(RegistroSoloEnergia(EtiquetaHoraria(registros.front().fecha), registros.front().ENS));
    for (std::size_t r = 1; r < registros.size(); ++r) {
        const TRecEnergiaPorFecha& registro = registros[r];
        const TDateTime etiqueta = horas.back().fecha;
        if (etiqueta + CincoMinutos < registro.fecha && registro.fecha < etiqueta + SesentaYCincoMinutos)
            SumarEnergiaAlUltimo(registro.ENS, horas);
        else
            horas.push_back(RegistroSoloEnergia(EtiquetaHoraria(registro.fecha), registro.ENS));
    }
    // A missing ten-minute energy made its hour's sum negative.
    for (TRecEnergiaPorFecha& hora : horas)
        if (hora.ENS < 0) hora.ENS = ValorFaltanteEnergia;
    return horas;
}
