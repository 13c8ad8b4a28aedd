// Speed of the simulations with the combined model over one year of
// ten-minute samples (52,560) on a 30-turbine park of about 3 km by 2 km on
// the default grid, with a series from the synthetic-plant generator in
// which about a tenth of the samples are restricted:
//   - the whole-series simulation of the year (one model power per sample);
//   - every restriction window of the year simulated with four hours on each
//     side, the series read and filtered once and handed to each window;
//   - the wind restriction run of the year as the window starts it (the
//     combined model read from its file, the windows, the three tables),
//     without a metering service (QUENDAL_SERVICIO_MEDICION unset).
// The model powers go to every core (QUENDAL_HILOS when set); each "UnHilo"
// variant runs the same with one worker, the main thread alone.
// Console lines go to /dev/null while a simulation runs.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstddef>
#include <string>

#include "numerics/uhilos.h"
#include "restrictions/ucalcrestriccionesoperativas.h"
#include "planta_de_banco.h"

namespace {

void BM_SimularSerieDelAnio(benchmark::State& state) {
    TPlantaDeBanco& p = Planta();
    std::size_t registros = 0;
    for (auto _ : state) {
        TDAofRecsEnergiaPorFecha lista;
        {
            ConsolaMuda muda;
            SimularSerieConModeloCombinado(false, *p.modelo, p.archivoSeries, p.carpeta, false, p.inicio, p.fin,
                                           p.inicio, p.fin, 1, lista, 6, false, false, true);
        }
        registros = lista.size();
    }
    state.counters["muestras"] = 365 * 144;
    state.counters["registros"] = double(registros);
    state.counters["restringidas"] = p.fraccionRestringida;
    state.counters["hilos"] = HilosDeTrabajo();
}
BENCHMARK(BM_SimularSerieDelAnio)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_SimularSerieDelAnioUnHilo(benchmark::State& state) {
    const UnHilo uno;
    BM_SimularSerieDelAnio(state);
}
BENCHMARK(BM_SimularSerieDelAnioUnHilo)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// What the wind restriction run does with its series: read and filter it
// once, find the windows and simulate each with four hours on each side.
void BM_VentanasDelAnioLeidasUnaVez(benchmark::State& state) {
    TPlantaDeBanco& p = Planta();
    std::size_t ventanas = 0, registros = 0;
    for (auto _ : state) {
        ConsolaMuda muda;
        const TSeriesEolicasFiltradas series = LeerYFiltrarSeriesEolicas(*p.modelo->Parque, p.archivoSeries);
        TDateTime ini = p.inicio, fin = p.fin;
        const TDAofRecsFechas lista =
            BuscarVentanasDeRestriccion(*series.datos, p.modelo->Parque->potencia_autorizada_mw, ini, fin, 7);
        TDAofRecsEnergiaPorFecha energia;
        for (const TRecFechasRestriccion& v : lista)
            SimularVentanaEolica(false, *p.modelo, series, p.carpeta, false, v.fechaIni - 1.0 / 6,
                                 v.fechaFin + 1.0 / 6, v.fechaIni, v.fechaFin, 1, energia, 6, false, false, true);
        ventanas = lista.size();
        registros = energia.size();
    }
    state.counters["ventanas"] = double(ventanas);
    state.counters["registros"] = double(registros);
    state.counters["hilos"] = HilosDeTrabajo();
}
BENCHMARK(BM_VentanasDelAnioLeidasUnaVez)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_CorridaEolicaDelAnio(benchmark::State& state) {
    TPlantaDeBanco& p = Planta();
    const std::string& archivoModelo = ArchivoModeloDeBanco();
    ::unsetenv(VariableServicioMedicion);
    for (auto _ : state) {
        ConsolaMuda muda;
        ProcesarRestriccionesEolico(archivoModelo, p.archivoSeries, p.carpeta, false, false, 6, p.inicio, p.fin);
    }
    state.counters["restringidas"] = p.fraccionRestringida;
    state.counters["hilos"] = HilosDeTrabajo();
}
BENCHMARK(BM_CorridaEolicaDelAnio)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_CorridaEolicaDelAnioUnHilo(benchmark::State& state) {
    const UnHilo uno;
    BM_CorridaEolicaDelAnio(state);
}
BENCHMARK(BM_CorridaEolicaDelAnioUnHilo)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
