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

namespace {

TCurvaAerogen CurvaDe2MW() {
    const std::vector<double> v = {3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 25};
    const std::vector<double> p = {0.02, 0.1, 0.25, 0.45, 0.7, 1.0, 1.35, 1.65, 1.85, 1.95, 2.0, 2.0};
    TVectR vv(12), pp(12);
    for (int i = 0; i < 12; ++i) {
        vv.pv[i + 1] = v[i];
        pp.pv[i + 1] = p[i];
    }
    return TCurvaAerogen::Create(1, "2 MW 90 m", 90, vv, pp);
}

// Six columns 600 m apart by five rows 500 m apart, slightly staggered, the
// met mast near the middle.
TParque_ModeloTeorico& ParqueSintetico() {
    static std::unique_ptr<TParque_ModeloTeorico> parque = [] {
        AjustesFormato() = FormatSettings{};
        InicializarNumericos();
        auto p = TParque_ModeloTeorico::Create_Nuevo();
        p->potencia_autorizada_mw = p->potencia_nominal = 60;
        for (int fila = 0; fila < 5; ++fila)
            for (int col = 0; col < 6; ++col) {
                auto m = std::make_unique<TMolino>();
                m->nid = fila * 6 + col + 1;
                m->posicion = TPosicion::Create(-1530 + 600 * col + 37 * std::sin(fila + col),
                                                -980 + 500 * fila + 150 * (col % 2));
                m->curva = CurvaDe2MW();
                p->molinos.push_back(std::move(m));
            }
        p->Preparar();
        return p;
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

void BM_PasadaSinTope(benchmark::State& state) {
    TParque_ModeloTeorico& p = ParqueSintetico();
    p.FijarDireccion(static_cast<double>(state.range(0)));
    const double L = PotenciaDelViento(9, 1.225);
    for (auto _ : state) benchmark::DoNotOptimize(p.PotenciaConVientoLibre(1.225, L, 1e9));
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
