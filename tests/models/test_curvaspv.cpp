// The P(V) curves of the demo plant's three models, point by point against
// the models themselves, and the name and folder of their picture.
#include "models/ucurvaspv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "charts/ugraficosmodelos.h"
#include "charts/ugraficador.h"
#include "models/uauxdensidad.h"
#include "models/ucalibrador.h"
#include "models/uparques_modelocombinado.h"
#include "models/uparques_modeloteorico.h"
#include "numerics/errores.h"
#include "unidad_temporal.h"

namespace fs = std::filesystem;

namespace {

const std::string CarpetaDemo = std::string(QUENDAL_TEST_DATA) + "/../../examples/c9001";
constexpr double kConsignaSinTope = 1e6;

std::unique_ptr<TCalibradorParque> CalibradorDemo() {
    testing::internal::CaptureStdout();
    auto calibrador = TCalibradorParque::Create_LeerDeArchivo(CarpetaDemo + "/c9001_calibrador.clp");
    testing::internal::GetCapturedStdout();
    return calibrador;
}

std::unique_ptr<TParque_ModeloCombinado> CombinadoDemo() {
    testing::internal::CaptureStdout();
    auto combinado = TParque_ModeloCombinado::Create_LeerDeArchivo(CarpetaDemo + "/c9001.pmc");
    testing::internal::GetCapturedStdout();
    return combinado;
}

struct TCasoCurvas {
    double direccion;
    bool sinMatrizFactores;
    // The window after "Cargar Modelo Calibrado": the combined model is the
    // calibrator, and its park the current park.
    bool combinadoEsCalibrador;
};

class CurvasPV : public ::testing::TestWithParam<TCasoCurvas> {
protected:
    // The curves as the window computes them, on models of their own.
    TCurvasPV Calcular() {
        const TCasoCurvas& caso = GetParam();
        if (caso.combinadoEsCalibrador) {
            auto combinado = CombinadoDemo();
            return CalcularCurvasPV(*combinado->Parque, *combinado, *combinado, caso.direccion,
                                    caso.sinMatrizFactores);
        }
        auto calibrador = CalibradorDemo();
        auto combinado = CombinadoDemo();
        return CalcularCurvasPV(*calibrador->Parque, *calibrador, *combinado, caso.direccion,
                                caso.sinMatrizFactores);
    }

    // Fresh models, asked one speed at a time.
    std::unique_ptr<TCalibradorParque> calibrador_ = CalibradorDemo();
    std::unique_ptr<TParque_ModeloCombinado> combinado_ = CombinadoDemo();
};

TEST_P(CurvasPV, CadaPuntoEsLaPotenciaDeSuModeloAEsaVelocidad) {
    const TCasoCurvas& caso = GetParam();
    const double d = caso.direccion;
    const TCurvasPV curvas = Calcular();
    const TVectR& medios = calibrador_->ModeloEmpirico->mediosTramos;
    ASSERT_EQ(medios.n, 10);
    for (const TVectR* curva : {&curvas.v, &curvas.MW_ME, &curvas.MW_MT, &curvas.MW_MC})
        ASSERT_EQ(curva->n, medios.n);
    TParque_ModeloTeorico& parque = *calibrador_->Parque;
    const double Paut = parque.potencia_autorizada_mw;
    for (int32_t j = 1; j <= medios.n; ++j) {
        SCOPED_TRACE("bin " + std::to_string(j));
        const double v = curvas.v.pv[j];
        // The speed whose power density at 1.225 kg/m³, ½ρv³, is the bin's mid point.
        EXPECT_NEAR(v, std::cbrt(medios.pv[j] * 1e6 / (0.5 * 1.225)), 1e-12 * v);
        const double p = PotenciaDelViento(v, DensidadBase);

        double cuenta = 0;
        EXPECT_EQ(curvas.MW_ME.pv[j], calibrador_->ModeloEmpirico->PE_PorTramos(d, p, cuenta));

        parque.FijarDireccion(d);
        EXPECT_EQ(curvas.MW_MT.pv[j], parque.PotenciaDesdeEstacion(DensidadBase, p, Paut));
        EXPECT_LE(curvas.MW_MT.pv[j], Paut);

        double conConsigna = 0, sinConsigna = 0, teorica = 0;
        combinado_->CalcularPotencia(caso.sinMatrizFactores, conConsigna, sinConsigna, teorica, v, d, DensidadBase,
                                     kConsignaSinTope, false, false);
        EXPECT_EQ(curvas.MW_MC.pv[j], sinConsigna);
        // Without the factor matrix the combined model is the capped theoretical park.
        if (caso.sinMatrizFactores) {
            EXPECT_EQ(curvas.MW_MC.pv[j], curvas.MW_MT.pv[j]);
        }
    }
    // The curves rise with the wind over the bins.
    EXPECT_LT(curvas.MW_MT.pv[1], curvas.MW_MT.pv[6]);
    EXPECT_LT(curvas.MW_MC.pv[1], curvas.MW_MC.pv[6]);
}

INSTANTIATE_TEST_SUITE_P(Tabla, CurvasPV,
                         ::testing::Values(TCasoCurvas{22.5, false, false}, TCasoCurvas{200, false, false},
                                           TCasoCurvas{359.9, false, false}, TCasoCurvas{200, true, false},
                                           TCasoCurvas{270, false, true}, TCasoCurvas{270, true, true}));

// The theoretical curve is capped at the current park's own authorised
// power, not at the calibrator park's: here the current park, a copy of the
// demo park, has 15 MW and the calibrator's 24 MW.
TEST(CurvasPVTope, ElTopeEsLaPotenciaAutorizadaDelParqueActual) {
    auto calibrador = CalibradorDemo();
    auto combinado = CombinadoDemo();
    auto parqueActual = TParque_ModeloTeorico::Create_Clonar(*calibrador->Parque);
    ASSERT_EQ(calibrador->Parque->potencia_autorizada_mw, 24);
    parqueActual->potencia_autorizada_mw = 15;
    parqueActual->Preparar();
    const TCurvasPV curvas = CalcularCurvasPV(*parqueActual, *calibrador, *combinado, 270, false);
    ASSERT_EQ(curvas.MW_MT.n, 10);
    const double bajoElTope[] = {0, 0.4302, 1.9058, 6.3661, 13.9305};
    for (int32_t j = 1; j <= 5; ++j) EXPECT_NEAR(curvas.MW_MT.pv[j], bajoElTope[j - 1], 5e-5) << "bin " << j;
    for (int32_t j = 6; j <= 10; ++j) EXPECT_EQ(curvas.MW_MT.pv[j], 15) << "bin " << j;
}

// ---- The picture ----

TEST(ArchivoGraficoCurvasPV, LaDireccionVaEnCentesimasTruncadas) {
    EXPECT_EQ(ArchivoGraficoCurvasPV(22.5), "c:\\basura\\curvas_MW_PE_MT_2250.jpg");
    EXPECT_EQ(ArchivoGraficoCurvasPV(270), "c:\\basura\\curvas_MW_PE_MT_27000.jpg");
    EXPECT_EQ(ArchivoGraficoCurvasPV(270.009), "c:\\basura\\curvas_MW_PE_MT_27000.jpg");
    EXPECT_EQ(ArchivoGraficoCurvasPV(-0.5), "c:\\basura\\curvas_MW_PE_MT_-50.jpg");
    EXPECT_THROW(ArchivoGraficoCurvasPV(3e7), EMathError);
    EXPECT_THROW(ArchivoGraficoCurvasPV(NAN), EMathError);
}

class GuardarCurvasPV : public UnidadCTemporal {};

TEST_F(GuardarCurvasPV, SoloEnUnaCarpetaBasuraQueYaExiste) {
    const TVectR v = TVectR::Create_DesdeArreglo({3, 9, 15});
    auto grafico = GraficoCurvasPV(22.5, v, v, v, v);
    const fs::path basura = fs::path(unidad_) / "basura";
    try {
        GuardarGraficoCurvasPV(*grafico, 22.5);
        ADD_FAILURE() << "saved without the folder";
    } catch (const EInOutError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("No existe la carpeta c:\\basura (", 0), 0u) << error.what();
    }
    EXPECT_FALSE(fs::exists(basura));
    fs::create_directories(basura);
    GuardarGraficoCurvasPV(*grafico, 22.5);
    EXPECT_GT(fs::file_size(basura / "curvas_MW_PE_MT_2250.jpg"), 0u);
}

}  // namespace
