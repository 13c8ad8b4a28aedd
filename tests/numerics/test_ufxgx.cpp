#include "numerics/ufxgx.h"

#include <gtest/gtest.h>

#include "fx_prueba.h"
#include "numerics/errores.h"

namespace {

std::unique_ptr<Tfx_sumatoria> SumaDePrueba() {
    auto suma = Tfx_sumatoria::Create(1.5);
    suma->terminos.Agregar(std::make_unique<TfxLineal>(std::vector<double>{2, -1}));
    suma->terminos.Agregar(std::make_unique<TfxCuadratica>(std::vector<double>{1, 0}));
    return suma;
}

TEST(Tfx_sumatoria, ValorEsLaConstanteMasLosTerminos) {
    const TVectR x = Vector({3, 4});
    // 1.5 + (6 - 4) + (4 + 16)
    EXPECT_DOUBLE_EQ(SumaDePrueba()->f(x), 23.5);
    EXPECT_DOUBLE_EQ(Tfx_sumatoria::Create(-2)->f(x), -2);
}

TEST(Tfx_sumatoria, SumaLosGradientesDeLosTerminosAlVector) {
    const TVectR x = Vector({3, 4});
    TVectR g = Vector({10, 10});
    SumaDePrueba()->SumarGradiente(g, x);
    EXPECT_DOUBLE_EQ(g.pv[1], 10 + 2 + 4);
    EXPECT_DOUBLE_EQ(g.pv[2], 10 - 1 + 8);
}

TEST(Tfx_sumatoria, FormaDeTextoSinLaConstante) {
    EXPECT_EQ(SumaDePrueba()->ACadena(), "sumatoria_inicio( \r\nlineal\r\ncuadratica\r\n)fin_sumatoria\r\n");
    EXPECT_EQ(Tfx_sumatoria::Create(7)->ACadena(), "sumatoria_inicio( \r\n)fin_sumatoria\r\n");
}

TEST(Tfx, SinFormaDeTextoPropiaFalla) {
    class TfxSinTexto : public Tfx {
    public:
        double f(const TVectR&) const override { return 0; }
        void SumarGradiente(TVectR&, const TVectR&) const override {}
    };
    auto suma = Tfx_sumatoria::Create(0);
    suma->terminos.Agregar(std::make_unique<TfxSinTexto>());
    EXPECT_THROW(suma->ACadena(), EErrorQuendal);
}

}  // namespace
