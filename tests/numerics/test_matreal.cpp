#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>

#include "numerics/MatEnt.h"
#include "numerics/archivotexto.h"
#include "numerics/errores.h"
#include "numerics/formatsettings.h"
#include "numerics/matreal.h"

namespace {

TVectR Vector(std::initializer_list<double> valores) {
    return TVectR::Create_DesdeArreglo(TDAofNReal(valores));
}

std::vector<double> Elementos(const TVectR& v) { return {v.pv.begin() + 1, v.pv.end()}; }

TMatR Matriz(std::initializer_list<std::initializer_list<double>> filas) {
    TMatR m(static_cast<int32_t>(filas.size()), static_cast<int32_t>(filas.begin()->size()));
    int i = 1;
    for (auto fila : filas) {
        int j = 1;
        for (double x : fila) m.FijarElemento(i, j++, x);
        ++i;
    }
    return m;
}

}  // namespace

TEST(TVectR, CreacionYRedimension) {
    TVectR vacio = TVectR::Create(0);
    EXPECT_EQ(vacio.n, 0);
    EXPECT_EQ(vacio.pv.size(), 1u);
    TVectR v = Vector({5, 6, 7, 8, 9});
    v.Redimensionar(3);
    EXPECT_EQ(Elementos(v), (std::vector<double>{5, 6, 7}));
    v.Redimensionar(5);
    EXPECT_EQ(Elementos(v), (std::vector<double>{5, 6, 7, 0, 0}));
    EXPECT_THROW(TVectR::Create(-1), EErrorQuendal);
}

TEST(TVectR, Reducciones) {
    const TVectR v = Vector({-1, 2, 3});
    EXPECT_EQ(v.SumaRango(4, 3), 0);
    EXPECT_EQ(v.SumaPositivosRango(1, 3), 5);
    EXPECT_EQ(v.ProductoEscalar(Vector({1, 1, 1})), 4);
    EXPECT_EQ(v.SumaCuadrados(), 14);
    EXPECT_EQ(v.Promedio(), 4.0 / 3.0);
    int32_t iMin, iMax;
    double vMin, vMax;
    Vector({2, 1, 1, 5, 5}).MinMax(iMin, iMax, vMin, vMax);
    EXPECT_EQ(iMin, 2);
    EXPECT_EQ(vMin, 1);
    EXPECT_EQ(iMax, 4);
    EXPECT_EQ(vMax, 5);
}

TEST(TVectR, VacioLanzaEnLasReduccionesQueNecesitanElementos) {
    const TVectR v;
    int32_t i, j;
    double a, b;
    EXPECT_THROW(v.Minimo(), EErrorQuendal);
    EXPECT_THROW(v.Maximo(), EErrorQuendal);
    EXPECT_THROW(v.Promedio(), EErrorQuendal);
    EXPECT_THROW(v.MinMax(i, j, a, b), EErrorQuendal);
    TVectR w;
    EXPECT_EQ(w.Normalizar(), 0);
    EXPECT_EQ(w.n, 0);
}

TEST(TVectR, Normalizar) {
    TVectR ceros = Vector({0, 0, 0});
    EXPECT_EQ(ceros.Normalizar(), 0);
    EXPECT_EQ(Elementos(ceros), (std::vector<double>{1, 0, 0}));
    TVectR v = Vector({3, 4});
    EXPECT_EQ(v.Normalizar(), 5);
    EXPECT_DOUBLE_EQ(v.pv[1], 0.6);
    EXPECT_DOUBLE_EQ(v.pv[2], 0.8);
}

TEST(TVectR, OperacionesEnBloqueNoSobrepasanUnOperandoCorto) {
    TVectR largo = Vector({1, 2, 3});
    const TVectR corto = Vector({1, 2});
    EXPECT_THROW(largo.Copiar(corto), EErrorQuendal);
    EXPECT_THROW(largo.Sumar(largo, corto), EErrorQuendal);
    EXPECT_THROW(largo.ProductoEscalar(corto), EErrorQuendal);
    EXPECT_THROW(largo.SumarMultiploRango(corto, 1, 3, 1.0), EErrorQuendal);
    // A longer operand stays legal.
    TVectR c = corto;
    c.Copiar(largo);
    EXPECT_EQ(Elementos(c), (std::vector<double>{1, 2}));
    EXPECT_EQ(corto.ProductoEscalar(largo), 5);
}

TEST(TVectR, ProductoElementosYArreglo) {
    const TVectR a = Vector({1, 2, 3});
    const TVectR b = Vector({4, 5, 6});
    const TVectR p = a.ProductoElementos(b);
    EXPECT_EQ(Elementos(p), (std::vector<double>{4, 10, 18}));
    EXPECT_EQ(Elementos(a), (std::vector<double>{1, 2, 3}));
    TDAofNReal arreglo;
    a.CopiarRangoAArreglo(arreglo, 1, -1);
    EXPECT_EQ(arreglo, (TDAofNReal{1, 2, 3}));
    a.CopiarRangoAArreglo(arreglo, 2, 3);
    EXPECT_EQ(arreglo, (TDAofNReal{2, 3}));
    EXPECT_THROW(a.CopiarRangoAArreglo(arreglo, 2, -1), EErrorQuendal);
}

TEST(TMatR, FilasConIdentidad) {
    TMatR vacia(0, 5);
    EXPECT_EQ(vacia.nf, 0);
    EXPECT_EQ(vacia.pm.size(), 1u);
    EXPECT_EQ(vacia.SumaElementos(), 0);
    TMatR m = Matriz({{1, 2}, {3, 4}});
    TVectR* fila1 = &m.Fila(1);
    fila1->FijarElemento(2, 9);
    EXPECT_EQ(m.Elemento(1, 2), 9);
    m.IntercambiarFilas(1, 2);
    EXPECT_EQ(&m.Fila(2), fila1);
    const TMatR copia = m;
    EXPECT_NE(&copia.Fila(1), &m.Fila(1));
    EXPECT_EQ(copia.Elemento(2, 2), 9);
}

TEST(TMatR, ProductoConAlias) {
    TMatR a = Matriz({{1, 2}, {3, 4}});
    a.Producto(a, a);
    EXPECT_EQ(a.Elemento(1, 1), 7);
    EXPECT_EQ(a.Elemento(1, 2), 10);
    EXPECT_EQ(a.Elemento(2, 1), 15);
    EXPECT_EQ(a.Elemento(2, 2), 22);
    TMatR b = Matriz({{1, 0}, {1, 1}});
    TMatR c = Matriz({{2, 3}, {4, 5}});
    b.Producto(c, b);  // b as the right operand and the result
    EXPECT_EQ(b.Elemento(1, 1), 5);
    EXPECT_EQ(b.Elemento(1, 2), 3);
    EXPECT_EQ(b.Elemento(2, 1), 9);
    EXPECT_EQ(b.Elemento(2, 2), 5);
    TMatR malo(3, 3);
    EXPECT_THROW(malo.Producto(c, c), EErrorQuendal);
}

TEST(TMatR, TranspuestaAplanarMaximo) {
    const TMatR m = Matriz({{1, 2, 3}, {4, 5, 6}});
    const TMatR t = m.Transpuesta();
    EXPECT_EQ(t.nf, 3);
    EXPECT_EQ(t.nc, 2);
    EXPECT_EQ(t.Elemento(3, 2), 6);
    EXPECT_EQ(Elementos(Matriz({{1, 2}, {3, 4}}).AplanarPorColumnas()), (std::vector<double>{1, 3, 2, 4}));
    EXPECT_EQ(Matriz({{1, 5}, {5, 2}}).Maximo(), 5);
    EXPECT_EQ(Matriz({{1, 2}, {7, 3}}).Maximo(), 7);
    EXPECT_THROW(TMatR(0, 0).Maximo(), EErrorQuendal);
    TMatR p = Matriz({{1, 2}, {3, 4}});
    TVectR* fila = &p.Fila(1);
    p.ProductoElementos(Matriz({{2, 2}, {2, 2}}));
    EXPECT_EQ(&p.Fila(1), fila);
    EXPECT_EQ(p.SumaElementos(), 20);
}

TEST(TextoVectores, BloqueDeVectorIdaYVuelta) {
    auto f = TEscritorTexto::EnMemoria();
    TVectR().GuardarEnTexto(f);
    Vector({1.0 / 3.0, -2.5e-300}).GuardarEnTexto(f);
    EXPECT_EQ(f.Contenido(), "0\n2\n 3.3333333333333331E-001\n-2.5000000000000000E-300\n");
    auto lector = TLectorTexto::DesdeTexto(f.Contenido(), "v.txt");
    EXPECT_EQ(TVectR::Create_LeerDeTexto(lector).n, 0);
    const TVectR leido = TVectR::Create_LeerDeTexto(lector);
    EXPECT_EQ(Elementos(leido), (std::vector<double>{1.0 / 3.0, -2.5e-300}));
}

TEST(TextoVectores, BloqueDeMatrizIdaYVuelta) {
    std::mt19937_64 azar(7);
    std::uniform_real_distribution<double> valor(-1e6, 1e6);
    TMatR m(3, 4);
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 4; ++j) m.FijarElemento(i, j, valor(azar));
    auto f = TEscritorTexto::EnMemoria();
    m.GuardarEnTexto(f);
    auto lector = TLectorTexto::DesdeTexto(f.Contenido(), "m.txt");
    const TMatR leida = TMatR::Create_LeerDeTexto(lector);
    ASSERT_EQ(leida.nf, 3);
    ASSERT_EQ(leida.nc, 4);
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 4; ++j) EXPECT_EQ(leida.Elemento(i, j), m.Elemento(i, j));
}

struct BloqueMalo {
    const char* texto;
    int lineaDelError;
};

class TextoMatrizMala : public ::testing::TestWithParam<BloqueMalo> {};

TEST_P(TextoMatrizMala, LanzaConArchivoYLinea) {
    auto lector = TLectorTexto::DesdeTexto(GetParam().texto, "malo.pmt");
    try {
        TMatR::Create_LeerDeTexto(lector);
        FAIL() << "se esperaba un error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Archivo(), "malo.pmt");
        EXPECT_EQ(e.Linea(), GetParam().lineaDelError);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Casos, TextoMatrizMala,
    ::testing::Values(BloqueMalo{"-1\n2\n", 1},                      // negative row count
                      BloqueMalo{"1\n2\n2\n 1.0\n", 5},               // value missing at the end
                      BloqueMalo{"1\n2\n2\n 1.0\nabc\n", 5},          // malformed value
                      BloqueMalo{"2\n2\n2\n1\n2\n3\n1\n2\n3\n", 6},   // row count differs from nc
                      BloqueMalo{"1\n2000000000\n2000000000\n1\n", 5}));       // absurd count: no huge allocation

TEST(CadenasMatriz, TresCifrasSignificativas) {
    TMatR m(1, 3);
    m.FijarElemento(1, 1, 0.000012345);
    m.FijarElemento(1, 2, 999.5);
    m.FijarElemento(1, 3, 0);
    EXPECT_EQ(m.ACadena(), "[1|3][0.0000123][1E3][0]");
    const TMatR vuelta = TMatR::Create_DesdeCadena(Matriz({{2.345678, 1}, {3, 4.5}}).ACadena());
    EXPECT_EQ(vuelta.Elemento(1, 1), 2.35);
    EXPECT_EQ(vuelta.Elemento(2, 2), 4.5);
    const TMatR conBlancos = TMatR::Create_DesdeCadena("  [2|2] [1][2][3][4] \r\n");
    EXPECT_EQ(conBlancos.Elemento(1, 2), 2);
    EXPECT_EQ(conBlancos.Elemento(2, 1), 3);
}

TEST(CadenasMatriz, LasMitadesExactasSeAlejanDeCero) {
    TMatR m(1, 3);
    m.FijarElemento(1, 1, 12.25);
    m.FijarElemento(1, 2, 100.5);
    m.FijarElemento(1, 3, 1.125);
    EXPECT_EQ(m.ACadena(), "[1|3][12.3][101][1.13]");
}

TEST(CadenasMatriz, SeparadorDelUsuario) {
    const FormatSettings antes = AjustesFormato();
    AjustesFormato().DecimalSeparator = ',';
    const std::string texto = Matriz({{4.5}}).ACadena();
    EXPECT_EQ(texto, "[1|1][4,5]");
    EXPECT_EQ(TMatR::Create_DesdeCadena(texto).Elemento(1, 1), 4.5);
    AjustesFormato() = antes;
    EXPECT_THROW(TMatR::Create_DesdeCadena(texto), EConvertError);
}

TEST(CadenasMatriz, Errores) {
    EXPECT_THROW(TMatR::Create_DesdeCadena("[x|2][1][2]"), EConvertError);
    EXPECT_THROW(TMatR::Create_DesdeCadena("[1|2][1]"), EConvertError);
    EXPECT_THROW(TMatR::Create_DesdeCadena("[100000|100000][1]"), EConvertError);
    EXPECT_THROW(TMatR::Create_DesdeCadena("[-1|2]"), EConvertError);
}

namespace {

struct TCasoCola {
    std::string texto;
    std::string sobrante;  // as the message quotes it
    friend void PrintTo(const TCasoCola& caso, std::ostream* os) { *os << caso.texto; }
};

std::string Repetido(const std::string& texto, int veces) {
    std::string repetido;
    for (int k = 0; k < veces; ++k) repetido += texto;
    return repetido;
}

class ColaDeCadenaMatriz : public ::testing::TestWithParam<TCasoCola> {};

}  // namespace

// Text after the last element is a table that would go unread: refused,
// quoting what is left over.
TEST_P(ColaDeCadenaMatriz, SeRechazaCitandoLoQueSobra) {
    const std::string& texto = GetParam().texto;
    try {
        TMatR::Create_DesdeCadena(texto);
        FAIL() << "se esperaba un error: " << texto;
    } catch (const EConvertError& e) {
        const std::string forma = texto.substr(0, texto.find(']') + 1);
        EXPECT_EQ(std::string(e.what()), "Sobra texto después del último elemento de la matriz " + forma + ": \"" +
                                             GetParam().sobrante + "\"");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Casos, ColaDeCadenaMatriz,
    ::testing::Values(TCasoCola{"[2|2][1][2][3][4][7][basura", "[7][basura"},
                      TCasoCola{"[1|1][5]]", "]"},
                      TCasoCola{"[1|1][5] 6 \n", "6"},
                      TCasoCola{"[1|2][5][6][1|2][5][6]", "[1|2][5][6]"},  // two matrices pasted together
                      TCasoCola{"[3|0]x", "x"},                             // no element: after the counts
                      // A long rest is cut at 40 bytes, between characters.
                      TCasoCola{"[1|1][5]a" + Repetido("é", 30), "a" + Repetido("é", 19) + "…"}));

TEST(CadenasMatriz, FilasSinColumnasNoAsignanSinLimite) {
    const TMatR sinColumnas = TMatR::Create_DesdeCadena("[3|0]");
    EXPECT_EQ(sinColumnas.nf, 3);
    EXPECT_EQ(sinColumnas.nc, 0);
    EXPECT_EQ(TMatR::Create_DesdeCadena("[2|0] \t").nf, 2);
    EXPECT_EQ(TMatR::Create_DesdeCadena(TMatR(1000, 0).ACadena()).nf, 1000);
    // Two thousand million empty rows would take gigabytes; fifty thousand
    // already take a noticeable time.
    EXPECT_THROW(TMatR::Create_DesdeCadena("[2000000000|0]"), EConvertError);
    EXPECT_THROW(TMatR::Create_DesdeCadena("[49595|0]"), EConvertError);
}

TEST(CadenasVector, ExpresionesYCasosBorde) {
    EXPECT_EQ(Elementos(TVectR::Create_DesdeCadena("[3|1;2*2;SQRT(9)]")), (std::vector<double>{1, 4, 3}));
    EXPECT_EQ(Elementos(TVectR::Create_DesdeCadena("[1|")), (std::vector<double>{1}));
    EXPECT_EQ(TVectR::Create_DesdeCadena("[0|]").n, 0);
    EXPECT_THROW(TVectR::Create_DesdeCadena("[3|1;2]"), EConvertError);
    EXPECT_THROW(TVectR::Create_DesdeCadena("[99999|1]"), EConvertError);
}

TEST(TablaLegible, CuatroLineas) {
    auto f = TEscritorTexto::EnMemoria();
    Matriz({{1, 2}, {3, 4}}).EscribirTabla(f);
    EXPECT_EQ(f.Contenido(),
              "NFilas: \t2\tNColumnas: \t2\n"
              " \t1\t2\n"
              "1\t 1.0000000000000000E+000\t 2.0000000000000000E+000\n"
              "2\t 3.0000000000000000E+000\t 4.0000000000000000E+000\n");
}

TEST(Volcados, PrintDejaLosElementosEnElTexto) {
    std::string texto;
    testing::internal::CaptureStdout();
    Vector({1.5, -2}).print(texto);
    const std::string salida = testing::internal::GetCapturedStdout();
    EXPECT_EQ(texto, "\t1.5\t-2");
    EXPECT_EQ(salida,
              " TVectR.print.inicio\n"
              " N:      1 :       1.5000\n"
              " N:      2 :      -2.0000\n"
              " TVectR.print.fin\n");
    testing::internal::CaptureStdout();
    TVectE e(2);
    e.pv[2] = 7;
    e.print();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              " TVectE.print.inicio\n N:      1 :            0\n N:      2 :            7\n TVectE.print.fin\n");
}
