#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <random>

#include "numerics/errores.h"
#include "numerics/matreal.h"
#include "numerics/uauxiliares.h"

namespace {

TVectR Vector(const std::vector<double>& valores) { return TVectR::Create_DesdeArreglo(valores); }

std::vector<double> Elementos(const TVectR& v) { return {v.pv.begin() + 1, v.pv.end()}; }

using Filas = std::vector<std::vector<double>>;

TMatR Matriz(const Filas& filas) {
    TMatR m(static_cast<int32_t>(filas.size()), static_cast<int32_t>(filas.front().size()));
    int i = 1;
    for (const auto& fila : filas) {
        int j = 1;
        for (double x : fila) m.FijarElemento(i, j++, x);
        ++i;
    }
    return m;
}

TMatR Identidad(int32_t n) {
    TMatR m(n, n);
    for (int32_t i = 1; i <= n; ++i) m.FijarElemento(i, i, 1.0);
    return m;
}

void EsperarMatrizCerca(const TMatR& m, const Filas& esperada, double tolerancia) {
    int i = 1;
    for (const auto& fila : esperada) {
        int j = 1;
        for (double x : fila) EXPECT_NEAR(m.Elemento(i, j++), x, tolerancia) << "(" << i << ", " << j - 1 << ")";
        ++i;
    }
}

}  // namespace

// ---------------------------------------------------------------- Gauss-Jordan

TEST(EliminacionGaussJordan, InversaDeUnaMatrizDosPorDos) {
    TMatR a = Matriz({{2, 1}, {1, 3}});
    TMatR b = Identidad(2);
    bool invertible = false;
    int32_t exponente = -1;
    const double mantisa = a.EliminacionGaussJordan(b, invertible, exponente);
    EXPECT_TRUE(invertible);
    EXPECT_DOUBLE_EQ(mantisa, 5.0);
    EXPECT_EQ(exponente, 0);
    EsperarMatrizCerca(b, {{0.6, -0.2}, {-0.2, 0.4}}, 1e-15);
}

TEST(EliminacionGaussJordan, IntercambioDeFilasCambiaElSignoYResuelve) {
    // det ((1, 2), (3, 4)) = -2; the pivot search takes row 2 first.
    TMatR a = Matriz({{1, 2}, {3, 4}});
    TMatR b = Matriz({{5}, {11}});  // solution (1, 2)
    bool invertible;
    int32_t exponente;
    const double mantisa = a.EliminacionGaussJordan(b, invertible, exponente);
    EXPECT_TRUE(invertible);
    EXPECT_NEAR(mantisa, -2.0, 1e-14);
    EXPECT_EQ(exponente, 0);
    EsperarMatrizCerca(b, {{1}, {2}}, 1e-14);
}

TEST(EliminacionGaussJordan, ElPivoteSeEligePorSuMagnitud) {
    // Column 1 holds 0 over -2: the pivot is the row of larger magnitude,
    // even though its value is the smaller one.
    TMatR a = Matriz({{0, 1}, {-2, 0}});
    TMatR b = Identidad(2);
    bool invertible = false;
    int32_t exponente = -1;
    const double mantisa = a.EliminacionGaussJordan(b, invertible, exponente);
    EXPECT_TRUE(invertible);
    EXPECT_EQ(mantisa * std::pow(10.0, exponente), 2.0);
    EsperarMatrizCerca(b, {{0, -0.5}, {1, 0}}, 0);
}

TEST(EliminacionGaussJordan, DiagonalGrandeNoDesborda) {
    TMatR a(30, 30);
    for (int32_t i = 1; i <= 30; ++i) a.FijarElemento(i, i, 100.0);
    TMatR b = Identidad(30);
    bool invertible;
    int32_t exponente;
    EXPECT_EQ(a.EliminacionGaussJordan(b, invertible, exponente), 100.0);
    EXPECT_EQ(exponente, 58);
    EXPECT_TRUE(invertible);
    EXPECT_DOUBLE_EQ(b.Elemento(17, 17), 0.01);
}

TEST(EliminacionGaussJordan, MantisaPequenaSeNormaliza) {
    TMatR a = Matriz({{1e-4, 0}, {0, 1e-4}});
    TMatR b = Identidad(2);
    bool invertible;
    int32_t exponente;
    const double mantisa = a.EliminacionGaussJordan(b, invertible, exponente);
    EXPECT_TRUE(invertible);
    EXPECT_NEAR(mantisa * std::pow(10.0, exponente), 1e-8, 1e-22);
    EXPECT_GT(std::fabs(mantisa), 0.001);
    EXPECT_LE(std::fabs(mantisa), 1000.0);
}

struct CasoSingular {
    const char* nombre;
    Filas a;
};

class GaussJordanSingular : public ::testing::TestWithParam<CasoSingular> {};

TEST_P(GaussJordanSingular, InformaNoInvertibleConMantisaCero) {
    TMatR a = Matriz(GetParam().a);
    TMatR b = Identidad(a.nf);
    bool invertible = true;
    int32_t exponente;
    EXPECT_EQ(a.EliminacionGaussJordan(b, invertible, exponente), 0.0);
    EXPECT_FALSE(invertible);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, GaussJordanSingular,
    ::testing::Values(CasoSingular{"ultimo_pivote_cero", {{1, 2}, {2, 4}}},
                      CasoSingular{"primer_pivote_cero", {{0, 0}, {0, 1}}},
                      // The last pivot is held to the zero threshold like the others.
                      CasoSingular{"ultimo_pivote_bajo_el_umbral", {{1, 0}, {0, 1e-17}}},
                      CasoSingular{"tres_por_tres_filas_proporcionales", {{1, 2, 3}, {2, 4, 6}, {1, 1, 1}}}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST(EliminacionGaussJordan, MantisaInfinitaLanzaErrorDePuntoFlotante) {
    TMatR a = Matriz({{std::numeric_limits<double>::infinity(), 0}, {0, 1}});
    TMatR b = Identidad(2);
    bool invertible;
    int32_t exponente;
    EXPECT_THROW(a.EliminacionGaussJordan(b, invertible, exponente), EMathError);
}

TEST(EliminacionGaussJordan, DimensionesIncompatiblesLanzan) {
    TMatR a(2, 3);
    TMatR b(2, 2);
    bool invertible;
    int32_t exponente;
    EXPECT_THROW(a.EliminacionGaussJordan(b, invertible, exponente), EErrorQuendal);
    TMatR cuadrada(2, 2);
    TMatR b3(3, 1);
    EXPECT_THROW(cuadrada.EliminacionGaussJordan(b3, invertible, exponente), EErrorQuendal);
}

TEST(Invertir, ProductoPorLaInversaEsLaIdentidadYElDeterminanteEsElDeCofactores) {
    std::mt19937 azar(12345);
    std::uniform_real_distribution<double> valor(-5.0, 5.0);
    for (int prueba = 0; prueba < 20; ++prueba) {
        TMatR a(3, 3);
        for (int i = 1; i <= 3; ++i)
            for (int j = 1; j <= 3; ++j) a.FijarElemento(i, j, valor(azar));
        auto e = [&](int i, int j) { return a.Elemento(i, j); };
        const double cofactores = e(1, 1) * (e(2, 2) * e(3, 3) - e(2, 3) * e(3, 2)) -
                                  e(1, 2) * (e(2, 1) * e(3, 3) - e(2, 3) * e(3, 1)) +
                                  e(1, 3) * (e(2, 1) * e(3, 2) - e(2, 2) * e(3, 1));
        TMatR inversa(a);
        double det;
        ASSERT_TRUE(inversa.InvertirConDeterminante(det));
        EXPECT_NEAR(det, cofactores, 1e-10 * std::max(1.0, std::fabs(cofactores)));
        TMatR producto(3, 3);
        producto.Producto(a, inversa);
        for (int i = 1; i <= 3; ++i)
            for (int j = 1; j <= 3; ++j) EXPECT_NEAR(producto.Elemento(i, j), i == j ? 1.0 : 0.0, 1e-9);
    }
}

TEST(Invertir, SingularDejaLoQueQuedoDeLaEliminacion) {
    // The swap puts (2, 4) first; the identity's rows follow it and row 2 gets
    // -0.5 times row 1 before the zero last pivot stops the elimination.
    TMatR a = Matriz({{1, 2}, {2, 4}});
    EXPECT_FALSE(a.Invertir());
    EsperarMatrizCerca(a, {{0, 1}, {1, -0.5}}, 0.0);

    TMatR b = Matriz({{2, 1}, {1, 3}});
    double det = 0;
    EXPECT_TRUE(b.InvertirConDeterminante(det));
    EXPECT_DOUBLE_EQ(det, 5.0);
}

// ---------------------------------------------------------------- least squares

TEST(AproximacionLineal, RectaExacta) {
    const TVectR y = Vector({3, 5, 7});
    const TVectR x = Vector({1, 2, 3});
    double a = 0, b = 0;
    int32_t cuenta = 0;
    const double residuo = y.AproximacionLineal(a, b, x, 0, 10, cuenta);
    EXPECT_NEAR(a, 2.0, 1e-12);
    EXPECT_NEAR(b, 1.0, 1e-12);
    EXPECT_EQ(cuenta, 3);
    EXPECT_NEAR(residuo, 0.0, 1e-12);
}

TEST(AproximacionLineal, CoincideConLaFormaCerradaSobreUnaVentana) {
    std::mt19937 azar(7);
    std::normal_distribution<double> ruido(0.0, 0.3);
    TVectR x(200), y(200);
    for (int i = 1; i <= 200; ++i) {
        x.pv[i] = 0.05 * i;
        y.pv[i] = -1.5 * x.pv[i] + 4.0 + ruido(azar);
    }
    // Closed form over [2, 7).
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    int m = 0;
    for (int i = 1; i <= 200; ++i)
        if (x.pv[i] >= 2 && x.pv[i] < 7) {
            ++m;
            sx += x.pv[i];
            sy += y.pv[i];
            sxx += x.pv[i] * x.pv[i];
            sxy += x.pv[i] * y.pv[i];
        }
    const double pendiente = (m * sxy - sx * sy) / (m * sxx - sx * sx);
    const double ordenada = (sy - pendiente * sx) / m;
    double residuoEsperado = 0;
    for (int i = 1; i <= 200; ++i)
        if (x.pv[i] >= 2 && x.pv[i] < 7) residuoEsperado += std::pow(y.pv[i] - pendiente * x.pv[i] - ordenada, 2);
    residuoEsperado /= m;

    double a, b;
    int32_t cuenta;
    const double residuo = y.AproximacionLineal(a, b, x, 2, 7, cuenta);
    EXPECT_EQ(cuenta, m);
    EXPECT_NEAR(a, pendiente, 1e-10);
    EXPECT_NEAR(b, ordenada, 1e-10);
    EXPECT_NEAR(residuo, residuoEsperado, 1e-10);
}

TEST(AproximacionLineal, SinPuntosDevuelveMenosUno) {
    double a = 9, b = 9;
    int32_t cuenta = 9;
    EXPECT_EQ(Vector({3, 5, 7}).AproximacionLineal(a, b, Vector({1, 2, 3}), 5, 6, cuenta), -1.0);
    EXPECT_EQ(a, 0.0);
    EXPECT_EQ(b, 0.0);
    EXPECT_EQ(cuenta, 0);
}

struct CasoAbscisaUnica {
    const char* nombre;
    std::vector<double> x;
    double lo, hi;
};

class AproximacionLinealAbscisaUnica : public ::testing::TestWithParam<CasoAbscisaUnica> {};

TEST_P(AproximacionLinealAbscisaUnica, Lanza) {
    const auto& caso = GetParam();
    const TVectR x = Vector(caso.x);
    const TVectR y = TVectR::Create_ConValor(x.n, 2.0);
    double a, b;
    int32_t cuenta;
    try {
        y.AproximacionLineal(a, b, x, caso.lo, caso.hi, cuenta);
        FAIL() << "no lanzó";
    } catch (const EErrorQuendal& e) {
        EXPECT_STREQ(e.what(), "TVectR.AproximacionLineal res= 0");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Casos, AproximacionLinealAbscisaUnica,
    ::testing::Values(CasoAbscisaUnica{"un_punto", {1, 2, 3}, 2, 3},
                      // Rounding leaves this system barely regular.
                      CasoAbscisaUnica{"decima_dos_veces", {0.1, 0.1}, 0, 1},
                      CasoAbscisaUnica{"tres_iguales", {0.3, 0.3, 0.3, 5}, 0, 1}),
    [](const auto& info) { return std::string(info.param.nombre); });

// ---------------------------------------------------------------- interpolation

struct CasoIndice {
    std::vector<double> v;
    double entrada;
    double esperado;
};

void PrintTo(const CasoIndice& c, std::ostream* os) {
    *os << "n=" << c.v.size() << " entrada=" << c.entrada << " esperado=" << c.esperado;
}

class InterpolarEnIndiceCasos : public ::testing::TestWithParam<CasoIndice> {};
TEST_P(InterpolarEnIndiceCasos, Valor) {
    EXPECT_DOUBLE_EQ(Vector(GetParam().v).InterpolarEnIndice(GetParam().entrada), GetParam().esperado);
}
INSTANTIATE_TEST_SUITE_P(Casos, InterpolarEnIndiceCasos,
                         ::testing::Values(CasoIndice{{10, 20, 30}, 2.5, 25}, CasoIndice{{10, 20, 30}, 0.3, 10},
                                           CasoIndice{{10, 20, 30}, 7, 30}, CasoIndice{{10, 20, 30}, 3, 30},
                                           CasoIndice{{10, 20, 30}, -1e300, 10},
                                           CasoIndice{{10, 20, 30}, 1e300, 30}, CasoIndice{{4}, 1.5, 4}));

class IndiceInterpoladoCasos : public ::testing::TestWithParam<CasoIndice> {};
TEST_P(IndiceInterpoladoCasos, Indice) {
    EXPECT_DOUBLE_EQ(Vector(GetParam().v).IndiceInterpolado(GetParam().entrada), GetParam().esperado);
}
INSTANTIATE_TEST_SUITE_P(
    Casos, IndiceInterpoladoCasos,
    ::testing::Values(CasoIndice{{10, 20, 30}, 25, 2.5}, CasoIndice{{10, 20, 30}, 5, 0.5},
                      CasoIndice{{10, 20, 30}, 35, 3.5}, CasoIndice{{10, 10, 30}, 10, 1},
                      CasoIndice{{10, 10, 30}, 9, -1}, CasoIndice{{10, 20, 20}, 25, 4},
                      CasoIndice{{7}, 6, -1}, CasoIndice{{7}, 8, 2}, CasoIndice{{7}, 7, 1},
                      CasoIndice{{}, 7, -1}));

TEST(InterpolarEnIndice, IndiceNoNumericoOVectorVacioLanzan) {
    EXPECT_THROW(Vector({1, 2}).InterpolarEnIndice(std::nan("")), EMathError);
    EXPECT_THROW(TVectR().InterpolarEnIndice(1), EErrorQuendal);
}

struct CasoSector {
    double dir;
    int32_t k1, k2;
    double w1, w2;
};

void PrintTo(const CasoSector& c, std::ostream* os) { *os << "dir=" << c.dir; }

class SectoresYPesosCasos : public ::testing::TestWithParam<CasoSector> {};
TEST_P(SectoresYPesosCasos, SectoresYPesos) {
    const auto& caso = GetParam();
    int32_t k1, k2;
    double w1, w2;
    SectoresYPesos(caso.dir, 72, k1, k2, w1, w2);
    EXPECT_EQ(k1, caso.k1);
    EXPECT_EQ(k2, caso.k2);
    EXPECT_NEAR(w1, caso.w1, 1e-9);
    EXPECT_NEAR(w2, caso.w2, 1e-9);
    EXPECT_GE(w2, 0.0);
    EXPECT_LT(w2, 1.0);
}
INSTANTIATE_TEST_SUITE_P(Casos, SectoresYPesosCasos,
                         ::testing::Values(CasoSector{359, 72, 1, 0.2, 0.8}, CasoSector{0, 1, 2, 1, 0},
                                           CasoSector{360, 1, 2, 1, 0}, CasoSector{359.9, 72, 1, 0.02, 0.98},
                                           CasoSector{7.5, 2, 3, 0.5, 0.5},
                                           // Reduced into [0, 360) first.
                                           CasoSector{-1, 72, 1, 0.2, 0.8}, CasoSector{-360, 1, 2, 1, 0},
                                           CasoSector{727.5, 2, 3, 0.5, 0.5},
                                           CasoSector{-1e-20, 1, 2, 1, 0}));

TEST(SectoresYPesos, DireccionNoFinitaOSinSectoresLanzan) {
    int32_t k1, k2;
    double w1, w2;
    EXPECT_THROW(SectoresYPesos(std::nan(""), 72, k1, k2, w1, w2), EMathError);
    EXPECT_THROW(SectoresYPesos(std::numeric_limits<double>::infinity(), 72, k1, k2, w1, w2), EMathError);
    EXPECT_THROW(SectoresYPesos(10, 0, k1, k2, w1, w2), EErrorQuendal);
}

TEST(InterpolarPorDireccion, PesaLosDosSectoresVecinos) {
    // Four sectors of 90 degrees; row k of the abscissas is (0, 10, 20).
    TMatR abscisas(4, 3);
    TMatR valores(4, 3);
    for (int k = 1; k <= 4; ++k)
        for (int j = 1; j <= 3; ++j) {
            abscisas.FijarElemento(k, j, 10.0 * (j - 1));
            valores.FijarElemento(k, j, 100.0 * k + j);
        }
    // 22.5 degrees: a quarter of the way from sector 1 to sector 2; x = 15 is
    // index 2.5 in both rows.
    EXPECT_DOUBLE_EQ(valores.InterpolarPorDireccion(4, abscisas, 22.5, 15), 0.75 * 102.5 + 0.25 * 202.5);
    // Below the first abscissa the index is clamped to 1; above, to nc.
    EXPECT_DOUBLE_EQ(valores.InterpolarPorDireccion(4, abscisas, 0, -50), 101.0);
    EXPECT_DOUBLE_EQ(valores.InterpolarPorDireccion(4, abscisas, 270, 99), 403.0);
    // The sector after the last is the first.
    EXPECT_DOUBLE_EQ(valores.InterpolarPorDireccion(4, abscisas, 315, 0), 0.5 * 401 + 0.5 * 101);
    EXPECT_THROW(valores.InterpolarPorDireccion(5, abscisas, 0, 0), EErrorQuendal);
}

struct CasoBusqueda {
    double x;
    int32_t esperado;
};

void PrintTo(const CasoBusqueda& c, std::ostream* os) { *os << "x=" << c.x; }
class BusquedaBinariaCasos : public ::testing::TestWithParam<CasoBusqueda> {};
TEST_P(BusquedaBinariaCasos, PrimerIndiceMayor) {
    const TDAofNReal valores{0, 1, 2, 2, 3};  // indices 1..4
    EXPECT_EQ(BusquedaBinaria(valores, 1, 4, GetParam().x), GetParam().esperado);
}
INSTANTIATE_TEST_SUITE_P(Casos, BusquedaBinariaCasos,
                         ::testing::Values(CasoBusqueda{2, 4}, CasoBusqueda{0, 1}, CasoBusqueda{5, 5},
                                           CasoBusqueda{1.5, 2}, CasoBusqueda{3, 5}, CasoBusqueda{1, 2}));

TEST(BusquedaBinaria, RangoVacioNoSondeaYRangoFueraDelArregloLanza) {
    const TDAofNReal valores{0, 1, 2};
    EXPECT_EQ(BusquedaBinaria(valores, 1, 0, 5), 1);
    EXPECT_EQ(BusquedaBinaria(TDAofNReal{}, 0, -1, 5), 0);
    EXPECT_THROW(BusquedaBinaria(valores, 1, 3, 5), EErrorQuendal);
    EXPECT_THROW(BusquedaBinaria(valores, -1, 2, 5), EErrorQuendal);
}

// ---------------------------------------------------------------- sorting

namespace {

// The plain recursive scheme, written out independently of the library.
void OrdenarReferencia(std::vector<double>& v, std::vector<int32_t>& idx, int l, int r, bool ascendente) {
    const double p = v[(l + r) / 2];
    int i = l, j = r;
    do {
        if (ascendente) {
            while (v[i] < p) ++i;
            while (p < v[j]) --j;
        } else {
            while (v[i] > p) ++i;
            while (p > v[j]) --j;
        }
        if (i <= j) {
            std::swap(v[i], v[j]);
            std::swap(idx[i], idx[j]);
            ++i;
            --j;
        }
    } while (i <= j);
    if (l < j) OrdenarReferencia(v, idx, l, j, ascendente);
    if (i < r) OrdenarReferencia(v, idx, i, r, ascendente);
}

TDAofNInt Identica(int32_t n) {
    TDAofNInt idx(static_cast<size_t>(n) + 1);
    for (int32_t k = 0; k <= n; ++k) idx[k] = k;
    return idx;
}

}  // namespace

TEST(OrdenarConIndices, EjemploPequeno) {
    TVectR v = Vector({3, 1, 2});
    TDAofNInt idx = Identica(3);
    v.OrdenarConIndices(true, idx);
    EXPECT_EQ(Elementos(v), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(idx, (TDAofNInt{0, 2, 3, 1}));
    TVectR otro = Vector({30, 10, 20});
    otro.AplicarPermutacion(idx);
    EXPECT_EQ(Elementos(otro), (std::vector<double>{10, 20, 30}));
    otro.DeshacerPermutacion(idx);
    EXPECT_EQ(Elementos(otro), (std::vector<double>{30, 10, 20}));
}

TEST(OrdenarConIndices, MismaPermutacionQueElEsquemaDeReferenciaConEmpates) {
    std::mt19937 azar(2024);
    for (int prueba = 0; prueba < 200; ++prueba) {
        const int n = 1 + static_cast<int>(azar() % 300);
        const int distintos = 1 + static_cast<int>(azar() % 6);  // few values: many ties
        TVectR v(n);
        for (int k = 1; k <= n; ++k) v.pv[k] = static_cast<double>(azar() % distintos);
        const bool ascendente = prueba % 2 == 0;

        std::vector<double> referencia = v.pv;
        TDAofNInt idxReferencia = Identica(n);
        OrdenarReferencia(referencia, idxReferencia, 1, n, ascendente);

        TDAofNInt idx = Identica(n);
        TVectR ordenado(v);
        ordenado.OrdenarConIndices(ascendente, idx);
        ASSERT_EQ(idx, idxReferencia) << "prueba " << prueba;
        ASSERT_EQ(ordenado.pv, referencia);

        TVectR soloValores(v);
        soloValores.Ordenar(ascendente);
        ASSERT_EQ(soloValores.pv, referencia);

        TVectR restaurado(ordenado);
        restaurado.DeshacerPermutacion(idx);
        ASSERT_EQ(restaurado.pv, v.pv);
    }
}

TEST(OrdenarConIndices, IndicesCortosOFueraDeRangoLanzan) {
    TVectR v = Vector({3, 1, 2});
    TDAofNInt corto{0, 1, 2};
    EXPECT_THROW(v.OrdenarConIndices(true, corto), EErrorQuendal);
    EXPECT_THROW(v.AplicarPermutacion(corto), EErrorQuendal);
    const TDAofNInt fuera{0, 1, 2, 4};
    EXPECT_THROW(v.AplicarPermutacion(fuera), EErrorQuendal);
    EXPECT_THROW(v.DeshacerPermutacion(fuera), EErrorQuendal);
    EXPECT_EQ(Elementos(v), (std::vector<double>{3, 1, 2}));
}

TEST(OrdenarDescendente, ArregloCompletoIgualQueLaReferencia) {
    std::mt19937 azar(99);
    for (int prueba = 0; prueba < 50; ++prueba) {
        const int n = static_cast<int>(azar() % 100);
        TDAofNReal a(n);
        for (double& x : a) x = static_cast<double>(azar() % 5);
        std::vector<double> referencia = a;
        std::vector<int32_t> idx(a.size());
        if (n > 1) OrdenarReferencia(referencia, idx, 0, n - 1, false);
        OrdenarDescendente(a);
        ASSERT_EQ(a, referencia);
        ASSERT_TRUE(std::is_sorted(a.rbegin(), a.rend()));
    }
}

TEST(Ordenar, ArregloGrandeDeValoresRepetidos) {
    TVectR v(200000);
    for (int k = 1; k <= v.n; ++k) v.pv[k] = (k * 7919) % 3;
    v.Ordenar(false);
    EXPECT_EQ(v.pv[1], 2.0);
    EXPECT_EQ(v.pv[v.n], 0.0);
    EXPECT_TRUE(std::is_sorted(v.pv.rbegin(), v.pv.rend() - 1));
}
