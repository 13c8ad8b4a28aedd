#include "numerics/uresfxgx.h"

#include <gtest/gtest.h>

#include "fx_prueba.h"

namespace {

using TA = TRestriccionActiva;
using TT = TTipoRestriccion;

struct CasoEvaluacion {
    TT tipo;
    double cotaInf, cotaSup, valor;
    TA estado;
    double violacion;
};

class EvaluacionDeRestriccion : public ::testing::TestWithParam<CasoEvaluacion> {};

// r(x) = x1, so the value is the point itself.
TEST_P(EvaluacionDeRestriccion, EstadoYViolacion) {
    const CasoEvaluacion& caso = GetParam();
    TResfx r = TResfx::Create(caso.tipo, caso.cotaInf, caso.cotaSup,
                              std::make_unique<TfxLineal>(std::vector<double>{1}), 1);
    EXPECT_DOUBLE_EQ(r.Evaluar(Vector({caso.valor})), caso.valor);
    EXPECT_DOUBLE_EQ(r.valor, caso.valor);
    EXPECT_EQ(r.estado, caso.estado);
    EXPECT_DOUBLE_EQ(r.violacion, caso.violacion);
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, EvaluacionDeRestriccion,
    ::testing::Values(CasoEvaluacion{TT::TR_Libre, 0, 0, -5, TA::NINGUNA, 0},
                      CasoEvaluacion{TT::TR_Igualdad, 2, 0, 1.5, TA::INFERIOR, 0.5},
                      CasoEvaluacion{TT::TR_Igualdad, 2, 0, 2, TA::SUPERIOR, 0},  // met exactly: active
                      CasoEvaluacion{TT::TR_Igualdad, 2, 0, 3, TA::SUPERIOR, 1},
                      CasoEvaluacion{TT::TR_Mayor, 2, 0, 1, TA::INFERIOR, 1},
                      CasoEvaluacion{TT::TR_Mayor, 2, 0, 2, TA::INFERIOR, 0},  // met exactly: active
                      CasoEvaluacion{TT::TR_Mayor, 2, 0, 2.5, TA::NINGUNA, 0},
                      CasoEvaluacion{TT::TR_Menor, 0, 2, 1, TA::NINGUNA, 0},
                      CasoEvaluacion{TT::TR_Menor, 0, 2, 2, TA::SUPERIOR, 0},
                      CasoEvaluacion{TT::TR_Menor, 0, 2, 4, TA::SUPERIOR, 2},
                      CasoEvaluacion{TT::TR_Entre, -1, 1, -3, TA::INFERIOR, 2},
                      CasoEvaluacion{TT::TR_Entre, -1, 1, 0, TA::NINGUNA, 0},
                      CasoEvaluacion{TT::TR_Entre, -1, 1, 1.25, TA::SUPERIOR, 0.25},
                      // Both sides met: the upper side is tested second and wins.
                      CasoEvaluacion{TT::TR_Entre, 1, 1, 1, TA::SUPERIOR, 0}));

TEST(TResfx, CreacionYGradiente) {
    TResfx libre = TResfx::Create(TT::TR_Libre, 0, 0, std::make_unique<TfxLineal>(std::vector<double>{1, 2}), 2);
    EXPECT_EQ(libre.estado, TA::NINGUNA);
    TResfx r = TResfx::Create(TT::TR_Menor, 0, 1, std::make_unique<TfxCuadratica>(std::vector<double>{1, -1}), 2);
    EXPECT_EQ(r.estado, TA::INDEFINIDA);
    EXPECT_EQ(r.gradiente.n, 2);
    EXPECT_EQ(r.versor.n, 2);
    EXPECT_EQ(r.gradienteConSigno.n, 2);
    EXPECT_EQ(r.alfa.n, 2);
    r.gradiente.Llenar(99);  // the previous gradient is cleared first
    r.CalcularGradiente(Vector({3, 2}));
    EXPECT_DOUBLE_EQ(r.gradiente.pv[1], 4);
    EXPECT_DOUBLE_EQ(r.gradiente.pv[2], 6);
}

}  // namespace
