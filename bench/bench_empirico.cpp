// Building the empirical model from one year of ten-minute samples of the
// synthetic plant (52,560 samples, two fitting passes of 72 sectors), with
// and without its 146 chart files. The model's console lines are sent to
// /dev/null while it is built.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <fcntl.h>

#include "data/ucarpetasmodelos.h"
#include "models/uparques_modeloempirico.h"
#include "models/uparques_modeloteorico.h"
#include "models/uplantasintetica.h"
#include "numerics/formatsettings.h"
#include "numerics/inicio.h"
#include "numerics/uproblema.h"

namespace fs = std::filesystem;

namespace {

const TPlantaSintetica& Planta() {
    static const TPlantaSintetica planta = [] {
        TOpcionesPlantaSintetica opciones;
        opciones.nid = 4242;
        opciones.dias = 365;
        return GenerarPlantaSintetica(opciones);
    }();
    return planta;
}

// Standard output goes to /dev/null while it lives.
class SinConsola {
public:
    SinConsola() {
        std::fflush(stdout);
        guardada_ = ::dup(1);
        const int nulo = ::open("/dev/null", O_WRONLY);
        ::dup2(nulo, 1);
        ::close(nulo);
    }
    ~SinConsola() {
        std::fflush(stdout);
        ::dup2(guardada_, 1);
        ::close(guardada_);
    }

private:
    int guardada_;
};

void ConstruirModelo(benchmark::State& estado, bool graficar) {
    const TPlantaSintetica& planta = Planta();
    auto parque = TParque_ModeloTeorico::Create_LeerDeArchivo(planta.archivoParque);
    for (auto _ : estado) {
        SinConsola sinConsola;
        auto modelo = TParque_ModeloEmpirico::Create(*parque, planta.archivoSeries, 1, 100, graficar);
        benchmark::DoNotOptimize(modelo->alfa.pv.data());
    }
    estado.counters["muestras"] = 52560;
}

void BM_ModeloEmpiricoSinGraficos(benchmark::State& estado) { ConstruirModelo(estado, false); }
void BM_ModeloEmpiricoConGraficos(benchmark::State& estado) { ConstruirModelo(estado, true); }

BENCHMARK(BM_ModeloEmpiricoSinGraficos)->Unit(benchmark::kSecond)->Iterations(3);
BENCHMARK(BM_ModeloEmpiricoConGraficos)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    AjustesFormato() = FormatSettings{};
    InicializarNumericos();
    const fs::path raiz = fs::temp_directory_path() / ("bench_empirico_" + std::to_string(::getpid()));
    fs::create_directories(raiz);
    ::setenv("QUENDAL_UNIDAD_C", raiz.c_str(), 1);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication aplicacion(argc, argv);
    {
        SinConsola sinConsola;
        InicializarCarpetaModelos();
    }
    FijarCarpetaLogEstimarMultiplicadores(raiz.string());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(raiz);
    return 0;
}
