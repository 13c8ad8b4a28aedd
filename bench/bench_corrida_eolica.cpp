// A wind restriction run over one year of ten-minute samples of the 30-turbine
// park: its series generated from the park's own model with the faults of
// real data, about a tenth of the samples restricted, its calibrator and
// combined model built from that series, and no metering service
// (QUENDAL_SERVICIO_MEDICION unset). The run's console lines go to /dev/null
// while it is timed. Everything is written into a temporary drive C:.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "data/ucarpetasmodelos.h"
#include "models/ucalibrador.h"
#include "models/uparques_modelocombinado.h"
#include "models/uplantasintetica.h"
#include "numerics/formatsettings.h"
#include "numerics/inicio.h"
#include "numerics/uauxiliares.h"
#include "numerics/uproblema.h"
#include "parque_treinta.h"
#include "restrictions/ucalcrestriccionesoperativas.h"

namespace {

constexpr int32_t Nid = 9130;
constexpr int32_t Dias = 365;
constexpr int32_t LargoVentanaExtra = 16;  // samples, one window every second day

// Standard output sent to /dev/null while it lives.
class ConsolaSilenciada {
public:
    ConsolaSilenciada() {
        std::fflush(stdout);
        guardada_ = dup(STDOUT_FILENO);
        const int nulo = open("/dev/null", O_WRONLY);
        dup2(nulo, STDOUT_FILENO);
        close(nulo);
    }
    ~ConsolaSilenciada() {
        std::fflush(stdout);
        dup2(guardada_, STDOUT_FILENO);
        close(guardada_);
    }

private:
    int guardada_ = -1;
};

struct TPlantaDelAnio {
    std::string carpeta, archivoSeries, archivoModelo;
    TDateTime inicio = 0;
    double fraccionRestringida = 0;
};

// Tops the generator's restrictions up to about a tenth of the samples: a
// window of set-point 0.4 Pa every second day at a drifting hour, the power
// held just below it.
void AgregarRestricciones(TSeriesSinteticas& s, double Pa) {
    for (int32_t dia = 0; dia < Dias; dia += 2) {
        const int32_t inicio = dia * 144 + 1 + (dia * 37) % (144 - LargoVentanaExtra);
        for (int32_t k = inicio; k < inicio + LargoVentanaExtra; ++k) {
            s.CGM.pv[k] = 0.4 * Pa;
            if (s.PE.pv[k] > s.CGM.pv[k]) s.PE.pv[k] = s.CGM.pv[k] - 0.1;
        }
    }
}

double FraccionRestringida(const TVectR& consignas, double Pa) {
    int32_t restringidas = 0;
    for (int32_t k = 1; k <= consignas.n; ++k) restringidas += consignas.pv[k] > -1 && consignas.pv[k] < Pa - 0.5;
    return double(restringidas) / consignas.n;
}

const TPlantaDelAnio& PlantaDelAnio() {
    static const TPlantaDelAnio planta = [] {
        AjustesFormato() = FormatSettings{};
        InicializarNumericos();
        InicializarUAuxiliares();
        std::string plantilla = (std::filesystem::temp_directory_path() / "quendal_bench_XXXXXX").string();
        if (!mkdtemp(plantilla.data())) std::abort();
        setenv("QUENDAL_UNIDAD_C", plantilla.c_str(), 1);
        unsetenv(VariableServicioMedicion);
        FijarCarpetaLogEstimarMultiplicadores(plantilla);

        TPlantaDelAnio p;
        const ConsolaSilenciada silencio;
        InicializarCarpetaModelos();
        auto parque = CrearParqueDeTreinta();
        parque->nid = Nid;
        const double Pa = parque->potencia_autorizada_mw;
        TOpcionesPlantaSintetica opciones;
        opciones.nid = Nid;
        opciones.dias = Dias;
        TSeriesSinteticas series =
            GenerarSeriesSinteticas(*parque, TTablaPotenciaSintetica::Create(*parque), opciones);
        AgregarRestricciones(series, Pa);
        p.fraccionRestringida = FraccionRestringida(series.CGM, Pa);
        p.inicio = series.inicio;
        p.carpeta = CarpetaCentral(Nid);
        p.archivoSeries = RutaArchivoEnCarpetaCentral(Nid, "_series10min.sas");
        EscribirSeriesSas(p.archivoSeries, series);

        TCalibradorParque::Create(parque, p.archivoSeries, 1, 100, false)->GuardarEnArchivo(RutaCalibrador(Nid));
        p.archivoModelo = RutaModeloCombinado(Nid);
        TParque_ModeloCombinado::Create(RutaCalibrador(Nid))->GuardarEnArchivo(p.archivoModelo);
        return p;
    }();
    return planta;
}

void BM_CorridaEolicaDeUnAnio(benchmark::State& state) {
    const TPlantaDelAnio& p = PlantaDelAnio();
    for (auto _ : state) {
        const ConsolaSilenciada silencio;
        ProcesarRestriccionesEolico(p.archivoModelo, p.archivoSeries, p.carpeta, false, false, 3, p.inicio,
                                    p.inicio + Dias);
    }
    state.counters["fraccion_restringida"] = p.fraccionRestringida;
    state.counters["muestras"] = Dias * 144.0;
}
BENCHMARK(BM_CorridaEolicaDeUnAnio)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
