// The wind restriction run on a combined-model file whose park block is of
// version 3 (no metering factor): the factor comes from the plant's row of
// `centrales` through the connection the run is given, as the model readers
// take it; without a connection the run stops, saying what is missing,
// before any table is written.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "../models/bloque_parque_antiguo.h"
#include "../models/test_solar_comun.h"
#include "apoyo_simulacion.h"
#include "data/ucarpetasmodelos.h"
#include "numerics/errores.h"
#include "prueba_base_de_datos.h"
#include "restrictions/ucalcrestriccionesoperativas.h"
#include "tablas_prueba.h"

using namespace apoyo_simulacion;

namespace {

constexpr int32_t U = 6;

class CorridaConBloqueAntiguo : public PruebaConBaseDeDatos {
protected:
    void SetUp() override {
        PruebaConBaseDeDatos::SetUp();
        if (HasFatalFailure()) return;
        unidad_.emplace();
        carpeta_ = CarpetaCentral(NidDeMano);
        archivoSeries_ = carpeta_ + "/c12_series10min.sas";
        Ejecutar("INSERT INTO centrales (nid, centralgeneradora, factor_kolm_scada) VALUES (12, 'Planta de mano', "
                 "0.955)");
        con_.OlvidarSentencias();
        archivoModelo_ = RutaModeloCombinado(NidDeMano);
        apoyo_calibrador::EscribirArchivo(archivoModelo_,
                                          bloque_antiguo::ModeloCombinadoVersion3(*ParqueDeUnMolino(NidDeMano)));
        DiaDeMano().Escribir(archivoSeries_);
    }
    void TearDown() override { unidad_.reset(); }

    void Correr(const TProveedorConexion& proveedor) {
        ::testing::internal::CaptureStdout();
        try {
            ProcesarRestriccionesEolico(archivoModelo_, archivoSeries_, carpeta_, false, false, U, Dia(), Dia() + 1,
                                        {}, proveedor);
        } catch (...) {
            ::testing::internal::GetCapturedStdout();
            throw;
        }
        ::testing::internal::GetCapturedStdout();
    }

    // The files of the plant folder.
    std::set<std::string> Archivos() const {
        std::set<std::string> nombres;
        for (const auto& e : std::filesystem::directory_iterator(carpeta_)) nombres.insert(e.path().filename().string());
        return nombres;
    }

    std::optional<TUnidadCSolar> unidad_;
    std::string carpeta_, archivoSeries_, archivoModelo_;
};

TEST_F(CorridaConBloqueAntiguo, TomaElFactorDeLaCentralPorLaConexionDada) {
    Correr(&con_);
    EXPECT_EQ(con_.SentenciasEnviadas(),
              std::vector<std::string>{"SELECT factor_kolm_scada from centrales where nid=12"});
    // The hour of 14:00 carries the factor read, and its energy times it.
    const auto horaria = TablaDeArchivo(carpeta_ + "/c12_Restricciones_horarias_6m.xlt");
    ASSERT_EQ(horaria.size(), 3u);
    EXPECT_EQ(ValorDeCelda(horaria[1][2]), 0.955);
    EXPECT_EQ(ValorDeCelda(horaria[1][3]), ValorDeCelda(horaria[1][1]) * 0.955);
}

TEST_F(CorridaConBloqueAntiguo, SinConexionSeDetieneDiciendoQueFaltaSinEscribirTablas) {
    try {
        Correr({});
        FAIL() << "the run went on";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Archivo(), archivoModelo_);
        EXPECT_NE(std::string(e.what()).find("no hay conexión con la base de datos para leerlo de la tabla centrales"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_EQ(Archivos(), (std::set<std::string>{"c12.pmc", "c12_series10min.sas"}));
}

}  // namespace
