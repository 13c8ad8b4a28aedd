// The wind restriction run on a combined-model file whose park block is of
// version 3 (no metering factor): the factor comes from the plant's row of
// `centrales` through the connection the run is given, as the model readers
// take it; without a connection the run stops, saying what is missing,
// before any table is written.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "../models/bloque_parque_antiguo.h"
#include "apoyo_simulacion.h"
#include "conexion_registrada.h"
#include "data/ucarpetasmodelos.h"
#include "numerics/errores.h"
#include "restrictions/ucalcrestriccionesoperativas.h"
#include "servidor_pg.h"
#include "tablas_prueba.h"

using namespace apoyo_simulacion;

namespace {

constexpr int32_t U = 6;

class CorridaConBloqueAntiguo : public ConPlantaDeMano {
protected:
    static void SetUpTestSuite() {
        try {
            servidor_ = std::make_unique<TServidorPgPrueba>();
        } catch (const std::exception& e) {
            errorDeArranque_ = e.what();
        }
    }
    static void TearDownTestSuite() { servidor_.reset(); }

    void SetUp() override {
        ConPlantaDeMano::SetUp();
        ASSERT_TRUE(servidor_) << "The test PostgreSQL server could not be started: " << errorDeArranque_;
        servidor_->ReiniciarEsquema();
        con_.Open(servidor_->Conexion());
        con_.sqlexec_ntuples("INSERT INTO centrales (nid, centralgeneradora, factor_kolm_scada) VALUES (12, "
                             "'Planta de mano', 0.955)");
        con_.OlvidarSentencias();
        archivoModelo_ = RutaModeloCombinado(NidDeMano);
        apoyo_calibrador::EscribirArchivo(archivoModelo_,
                                          bloque_antiguo::ModeloCombinadoVersion3(*ParqueDeUnMolino(NidDeMano)));
        DiaDeMano().Escribir(archivoSeries_);
    }

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

    static inline std::unique_ptr<TServidorPgPrueba> servidor_;
    static inline std::string errorDeArranque_;
    TPgSqlConRegistrada con_;
    std::string archivoModelo_;
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
    EXPECT_TRUE(Resultados().empty());
}

}  // namespace
