// Reading a plant's five-year ten-minute series file: 262,800 samples of the
// nine wind-farm series, written as a data logger writes them (a time mark,
// then values with a few decimals, tab-separated). The target is at least two
// million values per second on one core.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "data/useriestemporales.h"
#include "numerics/archivotexto.h"
#include "numerics/formatsettings.h"
#include "numerics/inicio.h"
#include "numerics/textoreal.h"

namespace {

constexpr int kSeries = 9;
constexpr int kMuestras = 5 * 365 * 144;

// A plausible ten-minute sample k of series j.
double Valor(int j, int k) {
    const double t = k / 144.0;
    switch (j) {
    case 0: return 8 + 4 * std::sin(t * 6.283185307179586) + (k % 7) * 0.13;   // speed
    case 1: return std::fmod(180 + 90 * std::sin(t * 0.7) + k % 13, 360);      // direction
    case 2: return std::fmax(0, 30 * std::sin(t * 6.2831853) + 20);             // power
    case 3: return 15 + 10 * std::sin(t * 0.0172);                              // temperature
    case 4: return 1010 + 8 * std::cos(t * 0.3);                                // pressure
    case 5: return 60 + 30 * std::sin(t * 1.3);                                 // humidity
    case 6: return k % 500 < 20 ? 25.0 : -1.0;                                  // set-point
    case 7: return 100.0;                                                       // availability
    default: return 0.5 + (k % 11) * 0.07;                                      // speed variance
    }
}

std::string CrearArchivoDeCincoAnios() {
    const std::string ruta = (std::filesystem::temp_directory_path() / "quendal_bench_series10min.sas").string();
    TEscritorTexto f = TEscritorTexto::Crear(ruta);
    f.EscribirLinea("VERSION_FORMATO_SERIES 1");
    f.EscribirLinea(std::to_string(kSeries));
    f.EscribirLinea("2015 1 1 0 0 0");
    f.EscribirLinea("1/6");
    f.EscribirLinea(std::to_string(kMuestras));
    f.EscribirLinea("144");
    f.EscribirLinea("xx-------");
    f.EscribirLinea("vel\tdir\tpot\ttemp\tpres\thum\tcgm\tdisp\tvar");
    std::string linea;
    for (int k = 1; k <= kMuestras; ++k) {
        linea = std::to_string(k);
        for (int j = 0; j < kSeries; ++j) {
            linea += '\t';
            linea += FormatoFijo(Valor(j, k), j == 4 ? 1 : 3);
        }
        f.EscribirLinea(linea);
    }
    f.Cerrar();
    return ruta;
}

void BM_LeerSeriesDeCincoAnios(benchmark::State& estado) {
    static const std::string ruta = CrearArchivoDeCincoAnios();
    for (auto _ : estado) {
        auto series = TSeriesDeDatos::Create(ruta);
        benchmark::DoNotOptimize(series->Serie(0).pv.data());
    }
    estado.counters["valores_por_segundo"] = benchmark::Counter(
        static_cast<double>(kSeries) * kMuestras * estado.iterations(), benchmark::Counter::kIsRate);
    estado.counters["MB_por_segundo"] =
        benchmark::Counter(static_cast<double>(std::filesystem::file_size(ruta)) * estado.iterations() / 1e6,
                           benchmark::Counter::kIsRate);
}

BENCHMARK(BM_LeerSeriesDeCincoAnios)->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace

int main(int argc, char** argv) {
    AjustesFormato() = FormatSettings{};
    InicializarNumericos();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove(std::filesystem::temp_directory_path() / "quendal_bench_series10min.sas");
    return 0;
}
