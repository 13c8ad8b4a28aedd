// The spreadsheet report of realisations, written into the in-memory
// workbook: statistics, labels, the worksheet's layout, the chart sheet and
// the refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "charts/libroexcel.h"
#include "charts/u_ExcelFile.h"
#include "charts/uPrint.h"
#include "numerics/errores.h"
#include "numerics/formatsettings.h"

namespace {

using TDatos = std::vector<TMatOfNReal>;
using TV = TTipoValoresAComparar;

// One step of one series with these realisations.
TDatos UnPaso(const TDAofNReal& cronicas) { return {{{0.0}}, {cronicas}}; }

double EstadisticoUnico(void (*calcular)(TDAofNReal&, TDatosCronicas, int), const TDAofNReal& cronicas) {
    const TDatos datos = UnPaso(cronicas);
    TDAofNReal res;
    calcular(res, datos, 0);
    return res.at(1);
}

// Everything the report takes, with defaults for a small run.
struct TInforme {
    TV tipo = TV::Promedio;
    double p = 0.5;
    bool ordenar = false;
    double p2 = 0.5;
    TDAofString nombres = {"X", "P_MW_Dato[MW]", "Q"};
    TDatos datos;
    std::string hoja = "Prom";
    std::string titulo = "Informe";
    TDateTime x0 = 43000.0;
    double dx = 1.0 / 144;
    bool grafico = false;
    TDAOfTTipoGrafico tipos;
    TDAOfTTipoEje ejes;
    TDAOfTColor colores;
    std::string tituloValores = "MW";
    int32_t decimales = 2;
    std::string tituloEje2;
    TTipoAbscisa abscisa = TTipoAbscisa::Fechas;
};

class InformeCronicas : public ::testing::Test {
protected:
    explicit InformeCronicas(std::string version = "16.0") : app_(std::move(version)) {}
    void SetUp() override { anteriores_ = AjustesFormato(); }
    void TearDown() override { AjustesFormato() = anteriores_; }

    void Escribir(const TInforme& i) {
        EscribirCronicasExcel(w_, i.tipo, i.nombres, i.datos,
                              {.p = i.p,
                               .ordenar = i.ordenar,
                               .p2 = i.p2,
                               .nombreHoja = i.hoja,
                               .titulo = i.titulo,
                               .x0 = i.x0,
                               .dx = i.dx,
                               .conGrafico = i.grafico,
                               .tiposGrafico = i.tipos,
                               .ejes = i.ejes,
                               .colores = i.colores,
                               .tituloEjeValores = i.tituloValores,
                               .decimales = i.decimales,
                               .tituloEje2 = i.tituloEje2,
                               .tipoAbscisa = i.abscisa});
    }
    THojaEnMemoria& Hoja(const std::string& nombre) { return app_.Libro().HojaDeTrabajo(nombre); }
    TGraficoEnMemoria& Grafico(const std::string& nombre) { return app_.Libro().Grafico(nombre); }

    // Three steps of two reported series, two realisations each.
    static TDatos TresPasos() {
        return {
            {{100, 101}, {110, 111}, {120, 121}},  // abscissa series
            {{1, 3}, {2, 6}, {3, 9}},
            {{10, 10}, {20, 20}, {30, 30}},
        };
    }

    TAplicacionEnMemoria app_;
    TExcelFile w_ = TExcelFile::Create(app_, 4, "etq");
    FormatSettings anteriores_;
};

class InformeCronicasExcel2010 : public InformeCronicas {
protected:
    InformeCronicasExcel2010() : InformeCronicas("14.0") {}
};

class InformeCronicasExcel2003 : public InformeCronicas {
protected:
    InformeCronicasExcel2003() : InformeCronicas("11.0") {}
};

TValorCelda Num(double x) { return x; }
TValorCelda Txt(const std::string& s) { return s; }

// ---- Labels and the application's numbers ----

class EtiquetaEstadistico : public ::testing::TestWithParam<std::tuple<TV, double, const char*>> {};

TEST_P(EtiquetaEstadistico, ConElPuntoDecimal) {
    const auto [tipo, p, etiqueta] = GetParam();
    EXPECT_EQ(TTipoValoresACompararToShortStringSingular(tipo, p), etiqueta);
}

INSTANTIATE_TEST_SUITE_P(Tipos, EtiquetaEstadistico,
                         ::testing::Values(std::tuple{TV::Promedio, 0.5, "Prom"},
                                           std::tuple{TV::DesvioEstandar, 0.5, "DesvE"},
                                           std::tuple{TV::ProbabilidadDeExcedencia, 0.95, "PE_ 95.00%"},
                                           std::tuple{TV::ValorEnRiesgo, 0.05, "VaR_ 5.00%"},
                                           std::tuple{TV::TodasLasCronicas, 0.5, "Todas las crónicas"}));

TEST(EtiquetaEstadisticoComa, SigueElSeparadorEnVigor) {
    const FormatSettings anteriores = AjustesFormato();
    AjustesFormato().DecimalSeparator = ',';
    const std::string etiqueta = TTipoValoresACompararToShortStringSingular(TV::ProbabilidadDeExcedencia, 0.95);
    AjustesFormato() = anteriores;
    EXPECT_EQ(etiqueta, "PE_ 95,00%");
}

TEST(EtiquetaEstadisticoDesconocido, Falla) {
    try {
        TTipoValoresACompararToShortStringSingular(static_cast<TV>(5), 0.5);
        FAIL();
    } catch (const EErrorQuendal& e) {
        EXPECT_STREQ(e.what(),
                     "uPrintCronVars.TTipoValoresACompararToShortStringSingular: tipo de grafico desconocido 5");
    }
}

TEST(ConstantesExcel, TiposDeGraficoYEjes) {
    EXPECT_EQ(TTipoGraficoToXLConst(TTipoGrafico::areaApilada, 0), 76);
    EXPECT_EQ(TTipoGraficoToXLConst(TTipoGrafico::dispersion, 1), 74);
    EXPECT_EQ(TTipoGraficoToXLConst(TTipoGrafico::dispersion, 0), 65);
    EXPECT_EQ(TTipoGraficoToXLConst(TTipoGrafico::dispersion, 2), 65);
    EXPECT_EQ(TTipoGraficoToXLConst(TTipoGrafico::linea, 1), 4);
    EXPECT_EQ(TTipoEjeToXLConst(TTipoEje::Primario), 1);
    EXPECT_EQ(TTipoEjeToXLConst(TTipoEje::Secundario), 2);
    try {
        TTipoGraficoToXLConst(static_cast<TTipoGrafico>(3), 1);
        FAIL();
    } catch (const EErrorQuendal& e) {
        EXPECT_STREQ(e.what(), "uPrint.TTipoGraficoToXLConst: TTipoGrafico desconocido 3");
    }
    try {
        TTipoEjeToXLConst(static_cast<TTipoEje>(2));
        FAIL();
    } catch (const EErrorQuendal& e) {
        EXPECT_STREQ(e.what(), "uPrint.TTipoEjeToXLConst: tipo de eje desconocido 2");
    }
}

// ---- Statistics ----

class Excedencia : public ::testing::TestWithParam<std::tuple<double, double>> {};

TEST_P(Excedencia, DeTresCronicasDescendentes) {
    const auto [p, esperado] = GetParam();
    const TDatos datos = UnPaso({3, 2, 1});
    TDAofNReal res;
    ProbExcedenciaPorPaso(res, datos, 0, p, false);
    EXPECT_EQ(res[1], esperado);
}

// Probabilities outside [0, 1] are taken at the nearer end.
INSTANTIATE_TEST_SUITE_P(Probabilidades, Excedencia,
                         ::testing::Values(std::tuple{0.5, 2.0}, std::tuple{0.1, 3.0}, std::tuple{1.0, 1.0},
                                           std::tuple{0.0, 3.0}, std::tuple{1.5, 1.0}, std::tuple{-0.2, 3.0}));

TEST(EstadisticosPorPaso, ExcedenciaOrdenaUnaCopiaCuandoSeLePide) {
    const TDatos datos = UnPaso({1, 3, 2});
    TDAofNReal res;
    ProbExcedenciaPorPaso(res, datos, 0, 0.1, true);
    EXPECT_EQ(res[1], 3.0);
    ProbExcedenciaPorPaso(res, datos, 0, 0.1, false);
    EXPECT_EQ(res[1], 1.0);
    EXPECT_EQ(datos[1][0], (TDAofNReal{1, 3, 2}));
}

TEST(EstadisticosPorPaso, ValorEnRiesgo) {
    const TDatos datos = UnPaso({5, 4, 3, 2, 1});
    TDAofNReal res;
    VaRPorPaso(res, datos, 0, 0, 0.5, false);
    EXPECT_EQ(res[1], 4.0);  // (5 + 4 + 3) / 3
    VaRPorPaso(res, datos, 0, 0.5, 0, false);  // the bounds in either order
    EXPECT_EQ(res[1], 4.0);
    VaRPorPaso(res, datos, 0, 0, 2, false);  // p2 taken as 1: all five
    EXPECT_EQ(res[1], 3.0);
    VaRPorPaso(res, datos, 0, 1, 1, false);
    EXPECT_EQ(res[1], 1.0);
}

TEST(EstadisticosPorPaso, PromedioYDesvioEstandar) {
    EXPECT_EQ(EstadisticoUnico(PromedioPorPaso, {1, 3, 5}), 3.0);
    // The square root of the sample variance 4.
    EXPECT_EQ(EstadisticoUnico(DesvioPorPaso, {1, 3, 5}), 2.0);
    EXPECT_DOUBLE_EQ(EstadisticoUnico(DesvioPorPaso, {2, 4, 4, 4, 5, 5, 7, 9}), std::sqrt(32.0 / 7));
    EXPECT_EQ(EstadisticoUnico(DesvioPorPaso, {7}), 0.0);
}

TEST(EstadisticosPorPaso, ProbabilidadQueNoEsUnNumeroRechazada) {
    const TDatos datos = UnPaso({1, 2});
    TDAofNReal res;
    EXPECT_THROW(ProbExcedenciaPorPaso(res, datos, 0, std::nan(""), false), EMathError);
    EXPECT_THROW(VaRPorPaso(res, datos, 0, 0, std::nan(""), false), EMathError);
}

TEST(EstadisticosPorPaso, SerieConMenosPasosSeLeeEnSuUltimoPaso) {
    const TDatos datos = {{{0}}, {{1}, {2}, {3}}, {{7, 9}}};
    TDAofNReal res;
    PromedioPorPaso(res, datos, 2);
    EXPECT_EQ(res, (TDAofNReal{0, 3, 8}));
}

// ---- The worksheet ----

TEST_F(InformeCronicas, PromediosConFechasCadaDiezMinutos) {
    TInforme i;
    i.datos = TresPasos();
    i.tituloEje2 = "%";
    Escribir(i);
    const THojaEnMemoria& h = Hoja("Prom");
    EXPECT_EQ(h.Valor(1, 1), Txt("# Informe MW etq Eje2:%"));
    EXPECT_EQ(h.Valor(2, 1), Txt("paso"));
    EXPECT_EQ(h.Valor(2, 2), Txt("fecha"));
    EXPECT_EQ(h.Valor(2, 3), Txt("P_MW_Dato[MW]_Prom"));
    EXPECT_EQ(h.Valor(2, 4), Txt("Q_Prom"));
    for (int s = 0; s < 3; ++s) {
        EXPECT_EQ(h.Valor(3 + s, 1), Num(s + 1));
        EXPECT_EQ(h.Valor(3 + s, 2), Num(43000.0 + s * (1.0 / 144)));
        EXPECT_EQ(h.Valor(3 + s, 3), Num(2.0 * (s + 1)));
        EXPECT_EQ(h.Valor(3 + s, 4), Num(10.0 * (s + 1)));
        EXPECT_EQ(h.FormatoNumero(3 + s, 2), "dd/mm/yyyy hh");
        EXPECT_EQ(h.FormatoNumero(3 + s, 3), "General");
    }
    EXPECT_EQ(h.Celdas().size(), 1u + 4u + 12u);
    EXPECT_EQ(h.Valor(6, 1), TValorCelda{});
}

TEST_F(InformeCronicas, PasosDeUnDiaSinHoraYSinGraficoNoHayHojaG) {
    TInforme i;
    i.datos = TresPasos();
    i.dx = 1;
    Escribir(i);
    EXPECT_EQ(Hoja("Prom").FormatoNumero(3, 2), "dd/mm/yyyy");
    EXPECT_EQ(app_.Libro().CantidadHojas(), 2);
}

TEST_F(InformeCronicasExcel2010, ValoresConLosDecimalesPedidos) {
    TInforme i;
    i.datos = TresPasos();
    i.decimales = 3;
    Escribir(i);
    EXPECT_EQ(Hoja("Prom").FormatoNumero(5, 4), "0.000");
    EXPECT_EQ(Hoja("Prom").FormatoNumero(5, 5), "General");
    i.hoja = "Otra";
    i.decimales = 0;
    Escribir(i);
    EXPECT_EQ(Hoja("Otra").FormatoNumero(3, 3), "0");
}

TEST_F(InformeCronicas, SerieConMenosPasosRepiteSuUltimoPaso) {
    TInforme i;
    i.datos = TresPasos();
    i.datos[2] = {{4, 6}};
    Escribir(i);
    for (int fila = 3; fila <= 5; ++fila) EXPECT_EQ(Hoja("Prom").Valor(fila, 4), Num(5)) << fila;
}

TEST_F(InformeCronicas, ElNombreDeLaHojaSeLimpia) {
    TInforme i;
    i.datos = TresPasos();
    i.hoja = "  Prom. 95%: 2018-01";
    Escribir(i);
    EXPECT_EQ(Hoja("Prom_95_2018_01").Valor(2, 1), Txt("paso"));
    i.hoja = "Todas las crónicas";
    Escribir(i);
    EXPECT_EQ(Hoja("Todas_las_crnicas").Valor(2, 1), Txt("paso"));
    i.hoja = std::string(30, 'h');
    Escribir(i);
    EXPECT_EQ(Hoja(std::string(25, 'h')).Valor(2, 1), Txt("paso"));
}

TEST_F(InformeCronicas, ExcedenciaYAbscisaDeProbabilidad) {
    TInforme i;
    i.datos = TresPasos();
    i.tipo = TV::ProbabilidadDeExcedencia;
    i.p = 0.95;
    i.abscisa = TTipoAbscisa::ProbabilidadDeExcedencia;
    Escribir(i);
    const THojaEnMemoria& h = Hoja("Prom");
    EXPECT_EQ(h.Valor(2, 2), Txt("PE"));
    EXPECT_EQ(h.Valor(2, 3), Txt("P_MW_Dato[MW]_PE_ 95.00%"));
    EXPECT_EQ(h.Valor(4, 2), Num(1.0 / 3));
    EXPECT_EQ(h.Valor(4, 3), Num(6));  // n = 2: the second of (2, 6), unsorted
    EXPECT_EQ(h.FormatoNumero(4, 2), "General");
}

TEST_F(InformeCronicas, TodasLasCronicasConLaSerieAbscisa) {
    TInforme i;
    i.datos = TresPasos();
    i.tipo = TV::TodasLasCronicas;
    i.abscisa = TTipoAbscisa::SerieAbscisa;
    Escribir(i);
    const THojaEnMemoria& h = Hoja("Prom");
    const std::vector<std::string> encabezado = {"paso", "X_EjeX", "X_Ejex_2", "P_MW_Dato[MW]_1", "P_MW_Dato[MW]_2",
                                                 "Q_1",  "Q_2"};
    for (std::size_t c = 0; c < encabezado.size(); ++c) EXPECT_EQ(h.Valor(2, int(c) + 1), Txt(encabezado[c]));
    const std::vector<double> fila4 = {2, 110, 111, 2, 6, 20, 20};
    for (std::size_t c = 0; c < fila4.size(); ++c) EXPECT_EQ(h.Valor(4, int(c) + 1), Num(fila4[c])) << c;
    EXPECT_EQ(h.Valor(4, 8), TValorCelda{});
}

TEST_F(InformeCronicas, TodasLasCronicasConFechasDejaFueraLaSerieCero) {
    TInforme i;
    i.datos = TresPasos();
    i.tipo = TV::TodasLasCronicas;
    Escribir(i);
    const THojaEnMemoria& h = Hoja("Prom");
    EXPECT_EQ(h.Valor(2, 3), Txt("P_MW_Dato[MW]_1"));
    EXPECT_EQ(h.Valor(2, 6), Txt("Q_2"));
    const std::vector<double> fila3 = {1, 43000, 1, 3, 10, 10};
    for (std::size_t c = 0; c < fila3.size(); ++c) EXPECT_EQ(h.Valor(3, int(c) + 1), Num(fila3[c])) << c;
    EXPECT_EQ(h.Valor(3, 7), TValorCelda{});
}

// A series with fewer realisations at a later step than at step 0 is read at
// that step's last realisation, never past it.
TEST_F(InformeCronicas, TodasLasCronicasConMenosCronicasEnUnPasoPosterior) {
    TInforme i;
    i.datos = {{{0}, {0}}, {{1, 2, 3}, {4, 5, 6}}, {{7, 8, 9}, {10}}};
    i.tipo = TV::TodasLasCronicas;
    i.abscisa = TTipoAbscisa::ProbabilidadDeExcedencia;
    Escribir(i);
    const THojaEnMemoria& h = Hoja("Prom");
    const std::vector<double> fila4 = {2, 0.5, 4, 5, 6, 10, 10, 10};
    for (std::size_t c = 0; c < fila4.size(); ++c) EXPECT_EQ(h.Valor(4, int(c) + 1), Num(fila4[c])) << c;
}

TEST_F(InformeCronicas, TipoDesconocidoFallaConSoloLaPrimeraLinea) {
    TInforme i;
    i.datos = TresPasos();
    i.tipo = static_cast<TV>(5);
    try {
        Escribir(i);
        FAIL();
    } catch (const EErrorQuendal& e) {
        const std::string mensaje = e.what();
        EXPECT_TRUE(mensaje.ends_with("tipo de grafico desconocido 5")) << mensaje;
    }
    const THojaEnMemoria& h = Hoja("Prom");
    ASSERT_EQ(h.Celdas().size(), 1u);
    EXPECT_EQ(h.Celdas().begin()->first, std::make_pair(1, 1));
}

// ---- Refusals before anything is written ----

struct TCasoRechazado {
    const char* nombre;
    TDatos datos;
    TDAofString nombres;
    TTipoAbscisa abscisa;
};

class InformeRechazado : public InformeCronicas, public ::testing::WithParamInterface<TCasoRechazado> {};

TEST_P(InformeRechazado, NadaSeEscribe) {
    TInforme i;
    i.datos = GetParam().datos;
    i.nombres = GetParam().nombres;
    i.abscisa = GetParam().abscisa;
    EXPECT_THROW(Escribir(i), EErrorQuendal);
    ASSERT_EQ(app_.Libro().CantidadHojas(), 1);
    EXPECT_TRUE(Hoja("Hoja1").Celdas().empty());
}

const TDAofString TresNombres = {"X", "A", "B"};

INSTANTIATE_TEST_SUITE_P(
    Casos, InformeRechazado,
    ::testing::Values(TCasoRechazado{"SinSeries", {}, TresNombres, TTipoAbscisa::Fechas},
                      TCasoRechazado{"SoloLaAbscisa", {{{1}}}, TresNombres, TTipoAbscisa::Fechas},
                      TCasoRechazado{"SinPasos", {{{1}}, {}}, TresNombres, TTipoAbscisa::Fechas},
                      TCasoRechazado{"AbscisaSinPasos", {{}, {{1}}}, TresNombres, TTipoAbscisa::Fechas},
                      TCasoRechazado{"SinCronicas", {{{1}}, {{1}, {}}}, TresNombres, TTipoAbscisa::Fechas},
                      TCasoRechazado{"FaltanNombres", {{{1}}, {{1}}}, {"X"}, TTipoAbscisa::Fechas},
                      TCasoRechazado{"AbscisaDesconocida", {{{1}}, {{1}}}, TresNombres,
                                     static_cast<TTipoAbscisa>(3)}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST_F(InformeCronicas, GraficoConMenosColoresQueTiposRechazado) {
    TInforme i;
    i.datos = TresPasos();
    i.grafico = true;
    i.tipos = {TTipoGrafico::linea, TTipoGrafico::linea};
    i.ejes = {TTipoEje::Primario, TTipoEje::Primario};
    i.colores = {clDefault};
    EXPECT_THROW(Escribir(i), EErrorQuendal);
    EXPECT_EQ(app_.Libro().CantidadHojas(), 1);
}

TEST_F(InformeCronicas, GraficoConUnTipoQueNoEsTipoRechazado) {
    TInforme i;
    i.datos = TresPasos();
    i.grafico = true;
    i.tipos = {TTipoGrafico::linea, static_cast<TTipoGrafico>(3)};
    i.ejes = {TTipoEje::Primario, TTipoEje::Primario};
    i.colores = {clDefault, clDefault};
    EXPECT_THROW(Escribir(i), EErrorQuendal);
    EXPECT_EQ(app_.Libro().CantidadHojas(), 1);
}

// ---- The chart ----

TEST_F(InformeCronicas, GraficoDeDispersionConUnaLinea) {
    TInforme i;
    i.datos = TresPasos();
    i.nombres.push_back("R");
    i.datos.push_back(TresPasos()[1]);
    i.grafico = true;
    i.tipos = {TTipoGrafico::dispersion, TTipoGrafico::dispersion, TTipoGrafico::linea};
    i.ejes = {TTipoEje::Primario, TTipoEje::Primario, TTipoEje::Secundario};
    i.colores = {ColorRGB(255, 0, 0), clDefault, ColorRGB(0, 0, 255)};
    Escribir(i);
    TGraficoEnMemoria& g = Grafico("gProm");
    EXPECT_EQ(g.ChartType(), 74);
    ASSERT_EQ(g.SeriesCount(), 3);
    EXPECT_EQ(g.SeriesCollection(1).ChartType, 74);
    EXPECT_EQ(g.SeriesCollection(2).ChartType, 74);
    EXPECT_EQ(g.SeriesCollection(3).ChartType, 4);
    EXPECT_EQ(g.SeriesCollection(3).AxisGroup, 2);
    EXPECT_EQ(g.SeriesCollection(1).Name, "P_MW_Dato[MW]_Prom");
    EXPECT_EQ(g.SeriesCollection(1).MarkerForegroundColor, ColorRGB(255, 0, 0));
    EXPECT_EQ(g.SeriesCollection(1).MarkerBackgroundColorIndex, -1);  // clNone is not in the palette
    EXPECT_EQ(g.SeriesCollection(3).ultimaFila, 5);
    EXPECT_EQ(g.Titulo().Text, "Informe");

    const TEjeExcel& x = g.Axes(1);
    EXPECT_EQ(x.MinimumScale, 43000.0);
    EXPECT_EQ(x.MaximumScale, 43000.0 + 2 * (1.0 / 144));
    EXPECT_EQ(x.TickLabels.NumberFormat, "dd/mm/yyyy hh");
    EXPECT_EQ(x.TickLabels.Orientation, -89);
    EXPECT_EQ(x.MajorTickMark, 3);
    EXPECT_EQ(x.MinorTickMark, 2);
    EXPECT_EQ(x.TickLabelPosition, -4134);
    EXPECT_TRUE(x.HasMajorGridlines);
    EXPECT_TRUE(x.HasMinorGridlines);
    EXPECT_EQ(x.MajorGridlinesBorder.ColorIndex, 15);
    EXPECT_EQ(x.MajorGridlinesBorder.LineStyle, 4);
    EXPECT_EQ(x.MinorGridlinesBorder.Weight, 1);
    EXPECT_EQ(x.MinorGridlinesBorder.LineStyle, -4118);
    EXPECT_FALSE(x.MajorUnit.has_value());  // ten-minute steps set no units
    EXPECT_EQ(g.AreaGrafico().Border.LineStyle, -4115);
    EXPECT_EQ(g.AreaTrazado().Border.LineStyle, -4118);
    EXPECT_EQ(g.Seleccion(), TParteGraficoExcel::AreaTrazado);
    EXPECT_EQ(Hoja("Prom").FormatoNumero(3, 2), "dd/mm/yyyy hh");
}

TEST_F(InformeCronicas, GraficoDeAreaGanaElEmpateYFormateaLaAbscisa) {
    TInforme i;
    i.datos = TresPasos();
    i.grafico = true;
    i.tipos = {TTipoGrafico::linea, TTipoGrafico::areaApilada};
    i.ejes = {TTipoEje::Primario, TTipoEje::Primario};
    i.colores = {clDefault, clDefault};
    Escribir(i);
    TGraficoEnMemoria& g = Grafico("gProm");
    EXPECT_EQ(g.ChartType(), 76);
    EXPECT_EQ(g.SeriesCollection(1).ChartType, 4);
    EXPECT_EQ(g.SeriesCollection(2).ChartType, 76);
    EXPECT_FALSE(g.Axes(1).MinimumScale.has_value());  // a stacked area keeps its categories
    EXPECT_EQ(Hoja("Prom").FormatoNumero(4, 2), "0.00000000");
}

TEST_F(InformeCronicas, GraficoConAbscisaDeLaSerieCero) {
    TInforme i;
    i.datos = TresPasos();
    i.grafico = true;
    i.abscisa = TTipoAbscisa::SerieAbscisa;
    i.tipos = {TTipoGrafico::dispersion, TTipoGrafico::dispersion};
    i.ejes = {TTipoEje::Primario, TTipoEje::Primario};
    i.colores = {clDefault, clDefault};
    Escribir(i);
    const TEjeExcel& x = Grafico("gProm").Axes(1);
    EXPECT_EQ(x.MinimumScale, 43000.0);
    EXPECT_EQ(x.MaximumScale, 120.5);  // the last row's abscissa: the average of 120 and 121
}

struct TCasoUnidades {
    const char* nombre;
    double dx;
    TTipoGrafico tipo;
    std::optional<double> unidadPrincipal, unidadSecundaria;
    std::optional<int> espaciadoEtiquetas, espaciadoMarcas;
    bool lineasSecundarias;
};

class UnidadesDelEje : public InformeCronicas, public ::testing::WithParamInterface<TCasoUnidades> {};

TEST_P(UnidadesDelEje, SegunElPaso) {
    const TCasoUnidades& caso = GetParam();
    TInforme i;
    i.datos = TresPasos();
    i.dx = caso.dx;
    i.grafico = true;
    i.tipos = {caso.tipo};
    i.ejes = {TTipoEje::Primario};
    i.colores = {clDefault};
    Escribir(i);
    const TEjeExcel& x = Grafico("gProm").Axes(1);
    EXPECT_EQ(x.MajorUnit, caso.unidadPrincipal);
    EXPECT_EQ(x.MinorUnit, caso.unidadSecundaria);
    EXPECT_EQ(x.TickLabelSpacing, caso.espaciadoEtiquetas);
    EXPECT_EQ(x.TickMarkSpacing, caso.espaciadoMarcas);
    EXPECT_EQ(x.HasMinorGridlines, caso.lineasSecundarias);
}

constexpr auto kLinea = TTipoGrafico::linea;
constexpr auto kArea = TTipoGrafico::areaApilada;
INSTANTIATE_TEST_SUITE_P(
    Pasos, UnidadesDelEje,
    ::testing::Values(TCasoUnidades{"Horario", 1.0 / 24 + 0.000005, kLinea, 1.0, 0.25, {}, {}, true},
                      TCasoUnidades{"HorarioArea", 1.0 / 24, kArea, {}, {}, 24, 12, true},
                      TCasoUnidades{"Diario", 1, kLinea, 7.0, 1.0, {}, {}, false},
                      TCasoUnidades{"DiarioArea", 1, kArea, 3.0, 1.0, 7, 1, false},
                      TCasoUnidades{"Semanal", 7, kLinea, 365.2425, 121.7475, {}, {}, true},
                      TCasoUnidades{"SemanalArea", 30, kArea, {}, {}, 4, 1, true},
                      TCasoUnidades{"Otro", 0.5, kLinea, {}, {}, {}, {}, true}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST_F(InformeCronicasExcel2003, OrientacionDeEtiquetasDeLasVersionesAnteriores) {
    TInforme i;
    i.datos = TresPasos();
    i.grafico = true;
    Escribir(i);  // no chart kinds: a scatter chart with no series formatted
    TGraficoEnMemoria& g = Grafico("gProm");
    EXPECT_EQ(g.ChartType(), 74);
    EXPECT_EQ(g.Axes(1).TickLabels.Orientation, 73);
}

TEST_F(InformeCronicas, GrupoDeEjeDesconocidoFallaAlFormatearLasSeries) {
    TInforme i;
    i.datos = TresPasos();
    i.grafico = true;
    i.tipos = {kLinea};
    i.ejes = {static_cast<TTipoEje>(4)};
    i.colores = {clDefault};
    EXPECT_THROW(Escribir(i), EErrorQuendal);
    EXPECT_EQ(Grafico("gProm").SeriesCount(), 2);
}

}  // namespace
