// The empirical model built end to end from series files: the synthetic
// plant, whose generating park is known, and small hand-made series.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "data/ucarpetasmodelos.h"
#include "models/uauxdensidad.h"
#include "models/uparques_modeloempirico.h"
#include "models/uparques_modeloteorico.h"
#include "models/uplantasintetica.h"
#include "numerics/archivotexto.h"
#include "numerics/errores.h"
#include "numerics/uauxiliares.h"
#include "numerics/uproblema.h"

namespace fs = std::filesystem;

namespace {

// A drive C: of its own for every test, and the optimiser's log inside it.
class ConUnidadC : public ::testing::Test {
protected:
    void SetUp() override {
        raiz_ = fs::temp_directory_path() /
                ("empirico_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(raiz_);
        fs::create_directories(raiz_);
        ::setenv("QUENDAL_UNIDAD_C", raiz_.c_str(), 1);
        InicializarCarpetaModelos();
        FijarCarpetaLogEstimarMultiplicadores(raiz_.string());
    }
    void TearDown() override {
        FijarCarpetaLogEstimarMultiplicadores("");
        fs::remove_all(raiz_);
    }
    fs::path raiz_;
};

std::string LeerArchivo(const std::string& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

std::string PrimeraLinea(const std::string& ruta) {
    const std::string texto = LeerArchivo(ruta);
    return texto.substr(0, texto.find('\n'));
}

int ContarLineas(const std::string& ruta) {
    const std::string texto = LeerArchivo(ruta);
    return static_cast<int>(std::count(texto.begin(), texto.end(), '\n'));
}

class PlantaSintetica : public ConUnidadC {};

TEST_F(PlantaSintetica, LasCurvasAjustadasSiguenAlParqueQueGeneroLasSeries) {
    TOpcionesPlantaSintetica opciones;
    opciones.nid = 77;
    opciones.dias = 120;
    const TPlantaSintetica planta = GenerarPlantaSintetica(opciones);
    auto parque = TParque_ModeloTeorico::Create_LeerDeArchivo(planta.archivoParque);
    auto verdad = TTablaPotenciaSintetica::Create(*parque);
    auto modelo = TParque_ModeloEmpirico::Create(*parque, planta.archivoSeries, 1, 100, false);

    const double Paut = parque->potencia_autorizada_mw;
    int comparados = 0, cerca = 0;
    double peor = 0;
    for (int32_t k = 1; k <= modelo->nSectores(); ++k) {
        if (modelo->cntMuestras.Elemento(k) <= 50) continue;
        for (int32_t j = 1; j <= modelo->nTramos(); ++j) {
            if (modelo->cntTramos.Elemento(k, j) < 10) continue;
            const double v = VientoDePotencia(modelo->mediosTramos.Elemento(j), DensidadBase);
            const double ajustada = modelo->CurvaSSector(k, v, 0);
            const double generada = verdad.Potencia(modelo->AnguloSector(k), v);
            const double error = std::fabs(ajustada - generada) / Paut;
            peor = std::max(peor, error);
            cerca += error < 0.03 ? 1 : 0;
            ++comparados;
        }
    }
    // Within 3 % of the authorised power nearly everywhere; the worst bins lie
    // where the wind runs along the rows and the wakes change fast with
    // direction inside a sector's ±5°.
    EXPECT_GT(comparados, 300);
    EXPECT_GT(cerca, 0.95 * comparados);
    EXPECT_LT(peor, 0.08);
    for (const char* nombre : {"curvas_s_.xlt", "curvas_s_completadas_.xlt", "series_filtradas.xlt"})
        EXPECT_TRUE(fs::exists(CarpetaCentral(77) + "/" + nombre)) << nombre;
}

}  // namespace
