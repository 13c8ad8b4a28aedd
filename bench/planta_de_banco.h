// The benchmark plant's year, shared by the simulation and window
// benchmarks: the 30-turbine park of parque_de_banco.h, the synthetic
// generator's year of ten-minute samples with about a tenth restricted, and
// its combined model (calibrator file, model in memory and model file), all
// on a temporary drive C: (QUENDAL_UNIDAD_C) made once per program.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "data/ucarpetasmodelos.h"
#include "models/uauxdensidad.h"
#include "models/uparques_modelocombinado.h"
#include "models/uparques_modeloteorico.h"
#include "models/uplantasintetica.h"
#include "numerics/archivotexto.h"
#include "numerics/formatsettings.h"
#include "numerics/inicio.h"
#include "numerics/uhilos.h"
#include "parque_de_banco.h"

// The plant number of the benchmark plant.
inline constexpr int32_t NidDeBanco = 9030;

// An empirical block of 72 sectors and 10 bins without samples or S-curves:
// the combined model only needs its bins.
inline void EscribirBloqueEmpirico(TEscritorTexto& f) {
    constexpr int32_t sectores = 72, tramos = 10;
    f.EscribirLinea("VERSION=2");
    TVectR bordes(tramos + 1);
    for (int32_t k = 1; k <= bordes.n; ++k) bordes.pv[k] = PotenciaDelViento(2.0 * (k - 1), DensidadBase);
    bordes.GuardarEnTexto(f);
    TMatR cuentas(sectores, tramos);
    for (int32_t i = 1; i <= sectores; ++i) cuentas.Fila(i).Llenar(-1);
    cuentas.GuardarEnTexto(f);
    const TMatR ceros(sectores, tramos);
    ceros.GuardarEnTexto(f);
    ceros.GuardarEnTexto(f);
    TVectR medios(tramos);
    for (int32_t j = 1; j <= tramos; ++j) medios.pv[j] = (bordes.pv[j] + bordes.pv[j + 1]) / 2;
    medios.GuardarEnTexto(f);
    ceros.GuardarEnTexto(f);
    const TVectR sinCurva = TVectR::Create_ConValor(sectores, -1);
    for (int p = 0; p < 5; ++p) sinCurva.GuardarEnTexto(f);
}

// A temporary folder, removed with its contents when its owner goes.
class TCarpetaTemporal {
public:
    explicit TCarpetaTemporal(std::string ruta = {}) : ruta_(std::move(ruta)) {}
    TCarpetaTemporal(TCarpetaTemporal&& otra) noexcept : ruta_(std::exchange(otra.ruta_, {})) {}
    TCarpetaTemporal& operator=(TCarpetaTemporal&& otra) noexcept {
        std::swap(ruta_, otra.ruta_);
        return *this;
    }
    ~TCarpetaTemporal() {
        std::error_code error;
        if (!ruta_.empty()) std::filesystem::remove_all(ruta_, error);
    }

private:
    std::string ruta_;
};

struct TPlantaDeBanco {
    TCarpetaTemporal unidad;  // the temporary drive C:
    std::unique_ptr<TParque_ModeloCombinado> modelo;
    std::string archivoSeries, carpeta;
    TDateTime inicio = 0, fin = 0;
    double fraccionRestringida = 0;
};

// The synthetic generator's year on the benchmark park, with one more
// restriction of ten samples a day so that about a tenth of the samples are
// restricted (the measured power capped under the set-point).
inline TSeriesSinteticas SerieDelAnio(TParque_ModeloTeorico& parque) {
    const TTablaPotenciaSintetica tabla = TTablaPotenciaSintetica::Create(parque);
    TOpcionesPlantaSintetica opciones;
    opciones.nid = NidDeBanco;
    TSeriesSinteticas s = GenerarSeriesSinteticas(parque, tabla, opciones);
    const double Pa = parque.potencia_autorizada_mw;
    for (int32_t dia = 0; dia < opciones.dias; ++dia) {
        const int32_t inicio = dia * 144 + 1 + (dia * 37) % 130;
        const double nivel = std::floor(Pa * (0.3 + 0.05 * (dia % 10)));
        for (int32_t k = inicio; k < inicio + 10; ++k) {
            s.CGM.pv[k] = nivel;
            if (s.PE.pv[k] > nivel) s.PE.pv[k] = nivel - 0.1;
        }
    }
    return s;
}

inline TPlantaDeBanco& Planta() {
    static TPlantaDeBanco planta = [] {
        AjustesFormato() = FormatSettings{};
        InicializarNumericos();
        std::string unidad = (std::filesystem::temp_directory_path() / "quendal_bench_sim_XXXXXX").string();
        if (!::mkdtemp(unidad.data())) std::abort();
        ::setenv("QUENDAL_UNIDAD_C", unidad.c_str(), 1);
        InicializarCarpetaModelos();

        TPlantaDeBanco p;
        p.unidad = TCarpetaTemporal(unidad);
        auto parque = ParqueDeBanco();
        parque->nid = NidDeBanco;
        const TSeriesSinteticas serie = SerieDelAnio(*parque);
        p.carpeta = CarpetaCentral(NidDeBanco);
        p.archivoSeries = p.carpeta + "/c9030_series10min.sas";
        EscribirSeriesSas(p.archivoSeries, serie);
        p.inicio = serie.inicio;
        p.fin = serie.inicio + serie.Vel.n / 144.0;
        int32_t restringidas = 0;
        for (int32_t k = 1; k <= serie.CGM.n; ++k) restringidas += serie.CGM.pv[k] < 0.99 * parque->potencia_autorizada_mw;
        p.fraccionRestringida = double(restringidas) / serie.CGM.n;

        const std::string calibrador = RutaCalibrador(NidDeBanco);
        TEscritorTexto f = TEscritorTexto::Crear(calibrador);
        parque->GuardarEnTexto(f);
        EscribirBloqueEmpirico(f);
        f.Cerrar();
        p.modelo = TParque_ModeloCombinado::Create_LeerDeArchivo(calibrador);
        // A factor matrix around 1, so that every sample interpolates one.
        p.modelo->MatrizFactores = TMatR(72, 10);
        for (int32_t i = 1; i <= 72; ++i)
            for (int32_t j = 1; j <= 10; ++j) p.modelo->MatrizFactores.FijarElemento(i, j, 1 + 0.05 * std::sin(i + 0.3 * j));
        return p;
    }();
    return planta;
}

// QUENDAL_HILOS set to one worker for the object's life, then put back.
class UnHilo {
public:
    UnHilo() {
        if (const char* previo = std::getenv(VariableHilos)) previo_ = previo;
        ::setenv(VariableHilos, "1", 1);
    }
    ~UnHilo() {
        if (previo_)
            ::setenv(VariableHilos, previo_->c_str(), 1);
        else
            ::unsetenv(VariableHilos);
    }

private:
    std::optional<std::string> previo_;
};

// Standard output to /dev/null for its life.
class ConsolaMuda {
public:
    ConsolaMuda() : guardada_(::dup(STDOUT_FILENO)) {
        std::fflush(stdout);
        const int nulo = ::open("/dev/null", O_WRONLY);
        ::dup2(nulo, STDOUT_FILENO);
        ::close(nulo);
    }
    ~ConsolaMuda() {
        std::fflush(stdout);
        ::dup2(guardada_, STDOUT_FILENO);
        ::close(guardada_);
    }

private:
    int guardada_;
};

// The combined model of the benchmark plant as a model file, written once.
inline const std::string& ArchivoModeloDeBanco() {
    static const std::string archivo = [] {
        const std::string ruta = RutaModeloCombinado(NidDeBanco);
        Planta().modelo->GuardarEnArchivo(ruta);
        return ruta;
    }();
    return archivo;
}
