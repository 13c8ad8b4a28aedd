// Speed of the theoretical park's wake grid on a synthetic 30-turbine park of
// about 3 km by 2 km on the default grid (9 m across, 1 m along, 1000 m
// margin), beside a plain loop streaming over an array of the grid's size.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "models/uauxdensidad.h"
#include "models/uparques_modeloteorico.h"
#include "numerics/formatsettings.h"
#include "numerics/inicio.h"
#include "parque_de_banco.h"

namespace {

TParque_ModeloTeorico& ParqueSintetico() {
    static std::unique_ptr<TParque_ModeloTeorico> parque = [] {
        AjustesFormato() = FormatSettings{};
        InicializarNumericos();
        return ParqueDeBanco();
    }();
    return *parque;
}

void BM_FijarDireccion(benchmark::State& state) {
    TParque_ModeloTeorico& p = ParqueSintetico();
    double dir = 0;
    for (auto _ : state) {
        p.FijarDireccion(dir);
        dir = std::fmod(dir + 7.3, 360);
    }
}
BENCHMARK(BM_FijarDireccion)->Unit(benchmark::kMicrosecond);

// One uncapped pass. The park keeps the first pass of its last evaluation for
// an evaluation of the same free stream, so two free streams a few units in
// the last place apart take turns: every iteration sweeps the grid.
void BM_PasadaSinTope(benchmark::State& state) {
    TParque_ModeloTeorico& p = ParqueSintetico();
    p.FijarDireccion(static_cast<double>(state.range(0)));
    const double libres[2] = {PotenciaDelViento(9, 1.225), PotenciaDelViento(9 + 1e-12, 1.225)};
    int k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(p.PotenciaConVientoLibre(1.225, libres[k], 1e9));
        k = 1 - k;
    }
    state.counters["celdas"] = double(p.Grilla().nf) * p.Grilla().nc;
}
BENCHMARK(BM_PasadaSinTope)->Arg(0)->Arg(45)->Unit(benchmark::kMicrosecond);

void BM_PasadaConTope(benchmark::State& state) {
    TParque_ModeloTeorico& p = ParqueSintetico();
    p.FijarDireccion(static_cast<double>(state.range(0)));
    const double L = PotenciaDelViento(12, 1.225);
    const double tope = 0.5 * p.PotenciaConVientoLibre(1.225, L, 1e9);
    for (auto _ : state) benchmark::DoNotOptimize(p.PotenciaConVientoLibre(1.225, L, tope));
}
BENCHMARK(BM_PasadaConTope)->Arg(0)->Arg(45)->Unit(benchmark::kMicrosecond);

// One simulated sample: the direction, then the power for the mast reading,
// over a sweep of directions and speeds.
void BM_Muestra(benchmark::State& state) {
    TParque_ModeloTeorico& p = ParqueSintetico();
    double dir = 0, v = 4;
    for (auto _ : state) {
        p.FijarDireccion(dir);
        benchmark::DoNotOptimize(p.PotenciaDesdeEstacion(1.2, PotenciaDelViento(v, 1.2), 1e9));
        dir = std::fmod(dir + 7.3, 360);
        v = v >= 16 ? 4 : v + 0.7;
    }
}
BENCHMARK(BM_Muestra)->Unit(benchmark::kMicrosecond);

// The row step alone over a row of the grid's width, with each kernel the
// CPU has: 0 the common one, 1 the AVX-512 one.
void BM_NucleoFila(benchmark::State& state) {
    TParque_ModeloTeorico& p = ParqueSintetico();
    p.FijarDireccion(45);
    const TNucleoFila nucleo = state.range(0) == 0 ? NucleoFilaComun() : NucleoFilaAvx512();
    if (!nucleo) {
        state.SkipWithError("sin AVX-512");
        return;
    }
    const int32_t nc = p.Grilla().nc;
    std::vector<double> a(nc + 1, 0.0004), b(nc + 1, 0.0004);
    for (int32_t j = 1; j <= nc; ++j) a[j] = 0.0004 * (1 - 0.3 * std::sin(0.01 * j));
    for (auto _ : state) {
        nucleo(b.data(), a.data(), 2, nc - 1, p.pesoLateral, p.pesoCentral, p.pesoArrastre, 3.2e-7);
        std::swap(a, b);
        benchmark::ClobberMemory();
    }
    state.counters["celdas"] = nc;
}
BENCHMARK(BM_NucleoFila)->Arg(0)->Arg(1)->Unit(benchmark::kNanosecond);

// The machine's limit for one pass: read and write every cell once.
void BM_BuclePlano(benchmark::State& state) {
    TParque_ModeloTeorico& p = ParqueSintetico();
    p.FijarDireccion(static_cast<double>(state.range(0)));
    std::vector<double> celdas(static_cast<std::size_t>(p.Grilla().nf) * (p.Grilla().nc + 1), 0.0004);
    for (auto _ : state) {
        for (double& c : celdas) c = c * 0.9992003 + 3.2e-7;
        benchmark::ClobberMemory();
    }
    state.counters["celdas"] = double(celdas.size());
}
BENCHMARK(BM_BuclePlano)->Arg(0)->Arg(45)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
