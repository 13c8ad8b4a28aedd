#include <gtest/gtest.h>

#include <cmath>

#include "numerics/errores.h"
#include "numerics/ucompletarmatriz.h"

namespace {

constexpr double kAbierta = -1.0;

TMatR Matriz(const std::vector<std::vector<double>>& filas) {
    TMatR m(static_cast<int32_t>(filas.size()), static_cast<int32_t>(filas.front().size()));
    for (size_t i = 0; i < filas.size(); ++i)
        for (size_t j = 0; j < filas[i].size(); ++j)
            m.FijarElemento(static_cast<int32_t>(i + 1), static_cast<int32_t>(j + 1), filas[i][j]);
    return m;
}

}  // namespace

TEST(CompletarPorRelajacion, SinCeldasAbiertasUnBarrido) {
    const TMatR conocidos = Matriz({{1, 2}, {3, 4}});
    TMatR grilla(2, 2);
    double cambio = -1;
    int32_t barridos = -1;
    CompletarPorRelajacion(grilla, conocidos, cambio, barridos);
    EXPECT_EQ(barridos, 1);
    EXPECT_EQ(cambio, 0.0);
    for (int i = 1; i <= 2; ++i)
        for (int j = 1; j <= 2; ++j) EXPECT_EQ(grilla.Elemento(i, j), conocidos.Elemento(i, j));
}

TEST(CompletarPorRelajacion, CentroEsLaMediaDeSusVecinos) {
    // Left 1, right 2, upper 3, lower 4.
    const TMatR conocidos = Matriz({{0, 3, 0}, {1, kAbierta, 2}, {0, 4, 0}});
    TMatR grilla(3, 3);
    double cambio;
    int32_t barridos;
    CompletarPorRelajacion(grilla, conocidos, cambio, barridos);
    EXPECT_EQ(grilla.Elemento(2, 2), 2.5);
    EXPECT_EQ(barridos, 2);
    EXPECT_EQ(cambio, 0.0);
}

TEST(CompletarPorRelajacion, FilasEnAnilloYColumnasAcotadas) {
    // Only (1, 1) is open: its upper neighbour is row 3, its left one itself.
    const TMatR conocidos = Matriz({{kAbierta, 8, 0}, {4, 0, 0}, {16, 0, 0}});
    TMatR grilla = Matriz({{2, 8, 0}, {4, 0, 0}, {16, 0, 0}});
    TMatR anterior(3, 3);
    const double cambio = BarridoRelajacion(grilla, conocidos, anterior);
    EXPECT_EQ(grilla.Elemento(1, 1), (((2.0 + 8.0) + 16.0) + 4.0) * 0.25);
    EXPECT_EQ(cambio, 7.5 - 2.0);
}

TEST(CompletarPorRelajacion, AnilloDeUnaColumnaTiendeALaInterpolacionLineal) {
    // Ten rows, known 0 at row 1 and 10 at row 6: along the ring the limit is
    // linear between them, both ways round.
    std::vector<std::vector<double>> filas(10, {kAbierta});
    filas[0] = {0};
    filas[5] = {10};
    const TMatR conocidos = Matriz(filas);
    TMatR grilla(10, 1);
    double cambio;
    int32_t barridos;
    CompletarPorRelajacion(grilla, conocidos, cambio, barridos);
    const double esperado[10] = {0, 2, 4, 6, 8, 10, 8, 6, 4, 2};
    for (int i = 1; i <= 10; ++i) EXPECT_NEAR(grilla.Elemento(i, 1), esperado[i - 1], 5e-3) << "fila " << i;
    EXPECT_LT(cambio, 0.0001);
    EXPECT_GT(barridos, 10);
}

TEST(CompletarPorRelajacion, ComienzoPorEncimaSeDetieneTrasElPrimerBarrido) {
    // Every open cell falls, so the largest increase is 0.
    const TMatR conocidos = Matriz({{1, kAbierta, kAbierta, 1}});
    TMatR grilla = Matriz({{0, 50, 60, 0}});
    double cambio;
    int32_t barridos;
    CompletarPorRelajacion(grilla, conocidos, cambio, barridos);
    EXPECT_EQ(barridos, 1);
    EXPECT_EQ(cambio, 0.0);
    EXPECT_LT(grilla.Elemento(1, 2), 50.0);
}

TEST(CompletarPorRelajacion, UnaSolaCeldaAbiertaConservaSuValor) {
    const TMatR conocidos = Matriz({{kAbierta}});
    TMatR grilla = Matriz({{7}});
    double cambio;
    int32_t barridos;
    CompletarPorRelajacion(grilla, conocidos, cambio, barridos);
    EXPECT_EQ(grilla.Elemento(1, 1), 7.0);
    EXPECT_EQ(barridos, 1);
}

TEST(CompletarPorRelajacion, NaNConocidoNoSeCopiaNiSeRecalcula) {
    const TMatR conocidos = Matriz({{std::nan(""), 1}});
    TMatR grilla = Matriz({{5, 0}});
    double cambio;
    int32_t barridos;
    CompletarPorRelajacion(grilla, conocidos, cambio, barridos);
    EXPECT_EQ(grilla.Elemento(1, 1), 5.0);
    EXPECT_EQ(grilla.Elemento(1, 2), 1.0);
}

TEST(CompletarPorRelajacion, GrillaVaciaOTamanosDistintosLanzan) {
    double cambio;
    int32_t barridos;
    TMatR vacia(0, 0);
    EXPECT_THROW(CompletarPorRelajacion(vacia, TMatR(0, 0), cambio, barridos), EErrorQuendal);
    TMatR sinColumnas(3, 0);
    EXPECT_THROW(CompletarPorRelajacion(sinColumnas, TMatR(3, 0), cambio, barridos), EErrorQuendal);
    TMatR grilla(2, 2);
    EXPECT_THROW(CompletarPorRelajacion(grilla, TMatR(2, 3), cambio, barridos), EErrorQuendal);
    EXPECT_THROW(CompletarPorRelajacion(grilla, TMatR(3, 2), cambio, barridos), EErrorQuendal);
}
