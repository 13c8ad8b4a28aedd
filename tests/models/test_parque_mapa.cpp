#include <gtest/gtest.h>

#include <cmath>

#include "models/uparques_modeloteorico.h"

namespace {

TCurvaAerogen Curva(double diametro) {
    TVectR v(3), p(3);
    v.pv = {0, 3, 12, 25};
    p.pv = {0, 0.05, 2, 2};
    return TCurvaAerogen::Create(1, "m", diametro, v, p);
}

std::unique_ptr<TParque_ModeloTeorico> ParqueConMolinos(std::initializer_list<TPunto2D> posiciones) {
    auto p = TParque_ModeloTeorico::Create_Nuevo();
    p->potencia_autorizada_mw = 10;
    for (const TPunto2D& x : posiciones) {
        auto m = std::make_unique<TMolino>();
        m->posicion = TPosicion::Create(x.x, x.y);
        m->curva = Curva(80);
        p->molinos.push_back(std::move(m));
    }
    return p;
}

}  // namespace

TEST(MapaParque, UnMolinoEnElMastilEn600x300) {
    auto p = ParqueConMolinos({{0, 0}});
    p->FijarRectanguloDibujo(0, 0, 600, 300);
    EXPECT_EQ(p->xMinMundo, -600);
    EXPECT_EQ(p->xMaxMundo, 600);
    EXPECT_EQ(p->yMinMundo, -300);
    EXPECT_EQ(p->yMaxMundo, 300);
    EXPECT_EQ(p->anchoMundo, 1200);
    EXPECT_EQ(p->altoMundo, 600);
    int32_t col = 0, fila = 0;
    p->MundoAPixel(col, fila, {0, 0});
    EXPECT_EQ(col, 300);
    EXPECT_EQ(fila, 150);
}

TEST(MapaParque, EscalaIgualEnAmbosEjes) {
    auto p = ParqueConMolinos({{-1200, 300}, {900, -650}});
    p->FijarRectanguloDibujo(10, 20, 510, 820);
    EXPECT_DOUBLE_EQ(p->anchoMundo / p->anchoPixel, p->altoMundo / p->altoPixel);
    EXPECT_DOUBLE_EQ((p->xMinMundo + p->xMaxMundo) / 2, (-1500.0 + 1200.0) / 2);
}

TEST(MapaParque, IdaYVueltaEntrePixelYMundoDentroDeMedioPixel) {
    auto p = ParqueConMolinos({{-1200, 300}, {900, -650}, {100, 1400}});
    p->FijarRectanguloDibujo(5, 7, 805, 507);
    const double metrosPorPixel = p->anchoMundo / p->anchoPixel;
    for (double x = -1400; x <= 1100; x += 137.3)
        for (double y = -900; y <= 1600; y += 211.9) {
            int32_t c = 0, f = 0;
            p->MundoAPixel(c, f, {x, y});
            TPunto2D w;
            p->PixelAMundo(w, c, f);
            EXPECT_LE(std::fabs(w.x - x), 0.5 * metrosPorPixel + 1e-9);
            EXPECT_LE(std::fabs(w.y - y), 0.5 * metrosPorPixel + 1e-9);
        }
}

TEST(MapaParque, MolinoEnPixel) {
    auto p = ParqueConMolinos({{-100, 0}, {100, 0}, {0, 600}});
    p->FijarRectanguloDibujo(0, 0, 800, 1200);  // one metre per pixel
    const double m = p->anchoMundo / p->anchoPixel;  // metres per pixel
    int32_t c = 0, f = 0;
    EXPECT_EQ(p->anchoMundo, 800);
    p->MundoAPixel(c, f, {100, 0});
    EXPECT_EQ(p->MolinoEnPixel(c, f), p->molinos[1].get());
    // Equal distance from the first two: the earlier one.
    p->MundoAPixel(c, f, {0, 0});
    EXPECT_EQ(p->MolinoEnPixel(c, f), p->molinos[0].get());
    // Three rotor diameters (240 m) and a little more from every turbine.
    p->MundoAPixel(c, f, {0, 600 + 240 + 3 * m});
    EXPECT_EQ(p->MolinoEnPixel(c, f), nullptr);
    p->MundoAPixel(c, f, {0, 600 + 240 - 3 * m});
    EXPECT_EQ(p->MolinoEnPixel(c, f), p->molinos[2].get());
    EXPECT_EQ(ParqueConMolinos({})->MolinoEnPixel(0, 0), nullptr);
}

TEST(MapaParque, ParqueSinMolinosVentanaDe600m) {
    auto p = ParqueConMolinos({});
    p->FijarRectanguloDibujo(0, 0, 400, 400);
    EXPECT_EQ(p->anchoMundo, 600);
    EXPECT_EQ(p->altoMundo, 600);
}

TEST(MapaParque, UnRectanguloSinTamanoConservaElAjusteAnterior) {
    auto p = ParqueConMolinos({{0, 0}});
    p->FijarRectanguloDibujo(0, 0, 600, 300);
    p->FijarRectanguloDibujo(0, 0, 0, 0);
    EXPECT_EQ(p->anchoPixel, 600);
    EXPECT_EQ(p->anchoMundo, 1200);
}

TEST(MapaParque, ValorEnPixel) {
    auto p = ParqueConMolinos({{0, 0}});
    p->grilla_rotada_margen_dx = 400;
    p->FijarRectanguloDibujo(0, 0, 600, 600);
    EXPECT_EQ(p->ValorEnPixel(300, 300), 0);  // no direction yet
    p->FijarDireccion(0);
    const double L = PotenciaDelViento(9, 1.225);
    p->PotenciaConVientoLibre(1.225, L, 100);
    // Upwind of the turbine the grid holds the free stream; beyond the grid, 0.
    int32_t c = 0, f = 0;
    p->MundoAPixel(c, f, {0, 150});
    EXPECT_NEAR(p->ValorEnPixel(c, f), L, L * 1e-12);
    p->MundoAPixel(c, f, {0, -150});
    EXPECT_LT(p->ValorEnPixel(c, f), 0.9 * L);
    p->MundoAPixel(c, f, {0, 250});  // the grid reaches 200 m upwind
    EXPECT_EQ(p->ValorEnPixel(c, f), 0);
    p->MundoAPixel(c, f, {450, 0});
    EXPECT_EQ(p->ValorEnPixel(c, f), 0);
}
