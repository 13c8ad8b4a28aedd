// The chart model and its drawing, read back from the recording canvas:
// palette and markers, series roles, tick labels, pixel mapping, legend,
// axes, grid, logo, boxes, stacked areas and bars, and the repeatability of a
// drawing.
#include "charts/ugraficador.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "charts/lienzograbador.h"
#include "numerics/fechas.h"
#include "numerics/formatsettings.h"

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr int kAncho = 2100;
constexpr int kAlto = 1000;

// A chart built as the models build theirs: lines with markers, the logo,
// one abscissa series "v" with display format "##.##".
struct GraficoDeModelo {
    std::unique_ptr<TGrafico> grafico = TGrafico::Create("g", "", TSG_LineaConMarcadores, 0);
    TSerieGrafico* x = nullptr;

    explicit GraficoDeModelo(TDAofNReal xs) {
        x = grafico->AgregarSerie(TSerieGrafico::Create("v", std::move(xs), nullptr, nullptr, "##.##", true));
    }
    TSerieGrafico* Agregar(const std::string& nombre, TDAofNReal ys) {
        return grafico->AgregarSerie(TSerieGrafico::Create(nombre, std::move(ys), x, grafico.get(), "", false));
    }
    TLienzoGrabador Dibujar() {
        TLienzoGrabador lienzo;
        grafico->Dibujar(lienzo, kAncho, kAlto);
        return lienzo;
    }
};

std::vector<std::string> TextosDibujados(const TLienzoGrabador& l) {
    std::vector<std::string> t;
    for (const auto& o : l.De(TOperacionLienzo::Texto)) t.push_back(o.texto);
    return t;
}

bool Contiene(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

// ---- Model ----

TEST(Paleta, SeRepiteCadaQuinceColoresYCincoMarcadores) {
    auto g = TGrafico::Create("g", "", TSG_LineaConMarcadores, 0);
    std::vector<std::unique_ptr<TSerieGrafico>> series;
    for (int i = 0; i < 16; ++i) series.push_back(TSerieGrafico::Create("s", {}, nullptr, g.get(), "", false));
    EXPECT_EQ(series[0]->ColorLinea, TColor::RGB(0, 0, 0));
    EXPECT_EQ(series[1]->ColorLinea, TColor::RGB(128, 0, 0));
    EXPECT_EQ(series[14]->ColorMarcador, TColor::RGB(0, 255, 255));
    EXPECT_EQ(series[15]->ColorRelleno, PaletaDeColores[0].color);
    EXPECT_STREQ(PaletaDeColores[0].nombre, "Negro");
    EXPECT_EQ(series[4]->TipoMarcador, TM_X);
    EXPECT_EQ(series[5]->TipoMarcador, TM_Circulo);
    EXPECT_EQ(series[5]->TipoSerie, TSG_LineaConMarcadores);
    EXPECT_STREQ(NombreMarcador(TM_Rombo), "Rombo");
}

TEST(Serie, SinGraficoEsNegraConCruzYNoAvanzaLosContadores) {
    auto g = TGrafico::Create("g", "", TSG_LineaConMarcadores, 0);
    auto suelta = TSerieGrafico::Create("s", {1, 2}, nullptr, nullptr, "", false);
    EXPECT_EQ(suelta->ColorLinea, clNegro);
    EXPECT_EQ(suelta->ColorRellenoMarcador, clNinguno);
    EXPECT_EQ(suelta->TipoMarcador, TM_Cruz);
    EXPECT_EQ(suelta->TipoSerie, TSG_Listada);
    EXPECT_EQ(suelta->Rol, RS_Otra);
    EXPECT_EQ(g->SiguienteColor(), PaletaDeColores[0].color);
    EXPECT_EQ(g->SiguienteMarcador(), TM_Circulo);
}

TEST(Serie, LaLineaSinSerieXTomaLaPrimeraAbscisa) {
    auto g = TGrafico::Create("g", "", TSG_LineaConMarcadores, 0);
    TSerieGrafico* a1 = g->AgregarSerie(TSerieGrafico::Create("a1", {0, 1}, nullptr, nullptr, "", true));
    TSerieGrafico* a2 = g->AgregarSerie(TSerieGrafico::Create("a2", {0, 1}, nullptr, nullptr, "", true));
    TSerieGrafico* sin = g->AgregarSerie(TSerieGrafico::Create("y", {0, 1}, nullptr, g.get(), "", false));
    TSerieGrafico* con = g->AgregarSerie(TSerieGrafico::Create("z", {0, 1}, a2, g.get(), "", false));
    EXPECT_EQ(a1->Rol, RS_Abscisa);
    EXPECT_EQ(sin->SerieX, a1);
    EXPECT_EQ(con->Rol, RS_ConSerieX);
    EXPECT_EQ(con->SerieX, a2);
    EXPECT_EQ(g->SeriesAbscisa().size(), 2u);
    EXPECT_EQ(g->SeriesY().size(), 2u);
}

TEST(Par, LaOrdenadaVaSobreSuAbscisaConElAspectoDado) {
    auto g = TGrafico::Create("g", "", TSG_LineaConMarcadores, 0);
    AgregarPar(*g, "vel", {1, 2}, "PE", {3, 4}, {clAzul, 4, 2});
    ASSERT_EQ(g->SeriesAbscisa().size(), 1u);
    ASSERT_EQ(g->SeriesY().size(), 1u);
    const TSerieGrafico& x = *g->SeriesAbscisa()[0];
    const TSerieGrafico& y = *g->SeriesY()[0];
    EXPECT_EQ(x.Nombre, "vel");
    EXPECT_EQ(x.FormatoVisual, "##.##");
    EXPECT_EQ(x.Rol, RS_Abscisa);
    EXPECT_EQ(y.Nombre, "PE");
    EXPECT_EQ(y.SerieX, &x);
    EXPECT_EQ(y.Valores, (TDAofNReal{3, 4}));
    EXPECT_EQ(y.TipoSerie, TSG_LineaConMarcadores);
    EXPECT_EQ(y.TipoMarcador, TM_Circulo);  // the chart's first marker kind
    EXPECT_EQ(y.ColorMarcador, clAzul);
    EXPECT_EQ(y.TamanioMarcador, 4);
    EXPECT_EQ(y.AnchoMarcador, 2);
    EXPECT_EQ(y.ColorLinea, clNinguno);
    EXPECT_EQ(y.AnchoLinea, 1);
    EXPECT_FALSE(y.EjeDerecho);
}

TEST(Par, ConLineaConectoraLaLineaTomaElColorYElAnchoDelMarcador) {
    auto g = TGrafico::Create("g", "", TSG_LineaConMarcadores, 0);
    AgregarPar(*g, "v", {1, 2}, "curva", {3, 4}, {clRojo, 0, 3, true, true});
    const TSerieGrafico& y = *g->SeriesY()[0];
    EXPECT_EQ(y.ColorLinea, clRojo);
    EXPECT_EQ(y.AnchoLinea, 3);
    EXPECT_EQ(y.TamanioMarcador, 0);
    EXPECT_TRUE(y.EjeDerecho);
}

TEST(Eje, ElTituloPierdeLosBlancosDeLosExtremos) {
    EXPECT_EQ(TEjeGrafico::Create(" \t Potencia [MW]  \n", TE_Real)->Titulo, "Potencia [MW]");
}

struct CasoEtiqueta {
    uint8_t tipo;
    double valor;
    char separador;
    const char* texto;
};

class Etiqueta : public ::testing::TestWithParam<CasoEtiqueta> {};

TEST_P(Etiqueta, EscribeLaMarca) {
    const CasoEtiqueta& c = GetParam();
    const FormatSettings antes = AjustesFormato();
    AjustesFormato().DecimalSeparator = c.separador;
    auto eje = TEjeGrafico::Create("", c.tipo);
    eje->Origen = c.valor;
    EXPECT_EQ(eje->Etiqueta(0), c.texto);
    AjustesFormato() = antes;
}

INSTANTIATE_TEST_SUITE_P(Tipos, Etiqueta,
                         ::testing::Values(CasoEtiqueta{TE_Entero, 2.5, '.', "2"},
                                           CasoEtiqueta{TE_Entero, 3.5, '.', "4"},
                                           CasoEtiqueta{TE_Real, 12.5, '.', "12.50"},
                                           CasoEtiqueta{TE_Real, 12.5, ',', "12,50"},
                                           CasoEtiqueta{TE_FechaHora, 45356.75, '.', "2024/03/05 18:00"}));

TEST(Eje, LaMarcaIesOrigenMasIPasos) {
    auto eje = TEjeGrafico::Create("", TE_Real);
    eje->Origen = -5;
    eje->Paso = 5;
    eje->Digitos = 0;
    EXPECT_EQ(eje->Etiqueta(3), "10");
}

// An axis whose step is finer than its labels' decimals labels its ticks
// with the decimals that tell them apart; a coarser step keeps the axis'
// own decimals.
struct CasoDecimales {
    double origen;
    double paso;
    int digitos;
    std::vector<std::string> etiquetas;  // ticks 0, 1, 2, ...
};

class DecimalesDeEtiquetas : public ::testing::TestWithParam<CasoDecimales> {};

TEST_P(DecimalesDeEtiquetas, CadaMarcaSeDistingueDeLaSiguiente) {
    const CasoDecimales& c = GetParam();
    auto eje = TEjeGrafico::Create("", TE_Real);
    eje->Origen = c.origen;
    eje->Paso = c.paso;
    eje->Digitos = c.digitos;
    eje->Divisiones = static_cast<int>(c.etiquetas.size()) - 1;
    std::vector<std::string> etiquetas;
    for (int i = 0; i <= eje->Divisiones; ++i) etiquetas.push_back(eje->Etiqueta(i));
    EXPECT_EQ(etiquetas, c.etiquetas);
}

INSTANTIATE_TEST_SUITE_P(
    Pasos, DecimalesDeEtiquetas,
    ::testing::Values(CasoDecimales{0.0075, 0.0025, 2, {"0.0075", "0.0100", "0.0125", "0.0150", "0.0175", "0.0200"}},
                      CasoDecimales{0, 0.005, 2, {"0.000", "0.005", "0.010", "0.015"}},
                      CasoDecimales{0, 0.002, 2, {"0.000", "0.002", "0.004"}},
                      CasoDecimales{0, 0.02, 2, {"0.00", "0.02", "0.04"}},
                      CasoDecimales{0, 0.01, 2, {"0.00", "0.01", "0.02"}},
                      CasoDecimales{0, 0.25, 0, {"0.00", "0.25", "0.50"}},
                      CasoDecimales{0, 10, 0, {"0", "10", "20"}},
                      CasoDecimales{0, 0.01 / 3, 2, {"0.000", "0.003", "0.007", "0.010"}},
                      CasoDecimales{1000, 0.0025, 2, {"1000.0000", "1000.0025", "1000.0050"}}));

TEST(Eje, LasMarcasMasFinasQueSusDecimalesSiguenElSeparadorEnVigor) {
    const FormatSettings antes = AjustesFormato();
    AjustesFormato().DecimalSeparator = ',';
    auto eje = TEjeGrafico::Create("", TE_Real);
    eje->Paso = 0.0025;
    EXPECT_EQ(eje->Etiqueta(3), "0,0075");
    AjustesFormato() = antes;
}

// ---- Pixels ----

struct CasoPixel {
    double t;
    int pixel;
};

class Acotar : public ::testing::TestWithParam<CasoPixel> {};

TEST_P(Acotar, TruncaYAcota) { EXPECT_EQ(AcotarPixel(GetParam().t), GetParam().pixel); }

INSTANTIATE_TEST_SUITE_P(Valores, Acotar,
                         ::testing::Values(CasoPixel{kNan, -32767}, CasoPixel{-1e9, -32767}, CasoPixel{1e9, 32767},
                                           CasoPixel{3.7, 3}, CasoPixel{-3.7, -3}, CasoPixel{32767, 32767}));

TEST(Dibujo, UnValorNoNumericoQuedaFueraDelRangoYDelRecorte) {
    GraficoDeModelo m({0, 1, 2, 3});
    m.Agregar("p", {1, kNan, 3, 2});
    m.Dibujar();
    EXPECT_EQ(m.grafico->EjeY->MinDatos, 1);
    EXPECT_EQ(m.grafico->EjeY->MaxDatos, 3);
    EXPECT_EQ(m.grafico->PixelY(kNan), m.grafico->PlotAbajo + 32767);
}

// ---- Lines, markers and legend ----

TEST(Dibujo, SinColorDeLineaNoHayPolilinea) {
    GraficoDeModelo m({0, 1, 2});
    m.Agregar("con", {1, 2, 3});
    m.Agregar("sin", {3, 2, 1})->ColorLinea = clNinguno;
    m.Agregar("ancho0", {2, 2, 2})->AnchoLinea = 0;
    const TLienzoGrabador l = m.Dibujar();
    ASSERT_EQ(l.De(TOperacionLienzo::Polilinea).size(), 1u);
    EXPECT_EQ(l.De(TOperacionLienzo::Polilinea)[0].pluma.Color, PaletaDeColores[0].color);
    // Markers of the three series: circles, squares, diamonds (and the legend's).
    EXPECT_EQ(l.De(TOperacionLienzo::Elipse).size(), 3u + 1u);
    EXPECT_EQ(l.De(TOperacionLienzo::Poligono).size(), 3u + 1u);
}

TEST(Dibujo, LaLeyendaListaLasSeriesYNuncaLasAbscisas) {
    GraficoDeModelo m({0, 1, 2});
    m.Agregar("MW_ME", {1, 2, 3});
    auto listada = TSerieGrafico::Create("listada", {5, 6}, nullptr, nullptr, "", false);
    m.grafico->AgregarSerie(std::move(listada));
    const TLienzoGrabador l = m.Dibujar();
    const auto textos = TextosDibujados(l);
    EXPECT_TRUE(Contiene(textos, "MW_ME"));
    EXPECT_TRUE(Contiene(textos, "listada"));
    EXPECT_FALSE(Contiene(textos, "v"));
    // The listed series widens the range without being drawn.
    EXPECT_EQ(m.grafico->EjeY->MaxDatos, 6);
}

TEST(Dibujo, UnaAbscisaMasCortaDibujaSoloLosPuntosComunes) {
    GraficoDeModelo m({0, 1, 2});
    m.Agregar("p", {1, 2, 3, 4, 5});
    const TLienzoGrabador l = m.Dibujar();
    ASSERT_EQ(l.De(TOperacionLienzo::Polilinea).size(), 1u);
    EXPECT_EQ(l.De(TOperacionLienzo::Polilinea)[0].puntos.size(), 3u);
}

TEST(Dibujo, ElRangoXCubreTodasLasAbscisas) {
    auto g = TGrafico::Create("g", "", TSG_LineaConMarcadores, 0);
    TSerieGrafico* a = g->AgregarSerie(TSerieGrafico::Create("a", {0, 10}, nullptr, nullptr, "##.##", true));
    TSerieGrafico* b = g->AgregarSerie(TSerieGrafico::Create("b", {5, 20}, nullptr, nullptr, "##.##", true));
    g->AgregarSerie(TSerieGrafico::Create("y", {1, 2}, a, g.get(), "", false));
    g->AgregarSerie(TSerieGrafico::Create("z", {1, 2}, b, g.get(), "", false));
    TLienzoGrabador l;
    g->Dibujar(l, kAncho, kAlto);
    EXPECT_EQ(g->EjeX->MinDatos, 0);
    EXPECT_EQ(g->EjeX->MaxDatos, 20);
    EXPECT_EQ(g->EjeX->TipoEtiqueta, TE_Real);
}

TEST(Dibujo, UnFormatoConBarraHaceDeFechasElEjeX) {
    const double d = EncodeDate(2024, 3, 1);
    auto g = TGrafico::Create("g", "", TSG_LineaConMarcadores, 0);
    g->AgregarSerie(TSerieGrafico::Create("t", {d, d + 30}, nullptr, nullptr, " dd/mm/yyyy ", true));
    g->AgregarSerie(TSerieGrafico::Create("y", {1, 2}, nullptr, g.get(), "", false));
    TLienzoGrabador l;
    g->Dibujar(l, kAncho, kAlto);
    EXPECT_EQ(g->EjeX->TipoEtiqueta, TE_FechaHora);
    EXPECT_EQ(g->EjeX->FormatoFecha, "dd/mm/yyyy");
    EXPECT_DOUBLE_EQ(g->EjeX->Paso, 7);
    EXPECT_TRUE(Contiene(TextosDibujados(l), "02/03/2024"));  // a Saturday
}

TEST(Dibujo, ElEjeDerechoCopiaLasDivisionesDelIzquierdo) {
    GraficoDeModelo m({0, 1, 2, 3});
    m.Agregar("izq", {-3.2, 47.9, 10, 20});
    m.Agregar("der", {0.1, 0.37, 0.2, 0.3})->EjeDerecho = true;
    const TLienzoGrabador l = m.Dibujar();
    EXPECT_EQ(m.grafico->EjeY->Divisiones, 11);
    EXPECT_EQ(m.grafico->EjeY2->Divisiones, 11);
    EXPECT_FALSE(m.grafico->EjeY2->DivisionesAutomaticas);
    // The right ticks carry a short red dotted mark each.
    int marcas = 0;
    for (const auto& o : l.De(TOperacionLienzo::Linea))
        if (o.pluma.Color == clRojo && o.pluma.Estilo == TEstiloPluma::Punteado) ++marcas;
    EXPECT_EQ(marcas, 12);
}

TEST(Dibujo, DibujarDosVecesGrabaLoMismo) {
    GraficoDeModelo m({0, 1, 2, 3});
    m.Agregar("a", {-3.2, 47.9, 10, 20});
    m.Agregar("b", {0.1, 0.37, 0.2, 0.3})->EjeDerecho = true;
    auto caja = TCajaGraficoXY::Create(0.5, 10, 1.5, 20, "caja");
    caja->ColorTexto = clRojo;
    m.grafico->AgregarCaja(std::move(caja));
    TLienzoGrabador lienzo;
    m.grafico->Dibujar(lienzo, kAncho, kAlto);
    const std::string primera = lienzo.Guion();
    lienzo.Borrar();
    m.grafico->Dibujar(lienzo, kAncho, kAlto);
    EXPECT_EQ(lienzo.Guion(), primera);
}

TEST(Dibujo, TituloDeBlancosNoReservaEspacioPeroSeDibuja) {
    GraficoDeModelo m({0, 1});
    m.Agregar("p", {0, 1});
    m.grafico->Titulo = "   ";
    const TLienzoGrabador l = m.Dibujar();
    const int u = 2 * m.grafico->TamanioFuente / 2;  // half the recorded height of "M"
    EXPECT_EQ(m.grafico->PlotArriba, u);
    EXPECT_TRUE(Contiene(TextosDibujados(l), "   "));
}

TEST(Dibujo, ElLogoSoloConBanderaNoNegativa) {
    for (int bandera : {-1, 0}) {
        auto g = TGrafico::Create("g", "nota", TSG_LineaConMarcadores, bandera);
        TLienzoGrabador l;
        g->Dibujar(l, kAncho, kAlto);
        EXPECT_EQ(Contiene(TextosDibujados(l), "Tarnek"), bandera == 0) << bandera;
        EXPECT_TRUE(Contiene(TextosDibujados(l), "nota"));
    }
}

TEST(Dibujo, LaGrillaHorizontalOmiteLosExtremosYLaVerticalNo) {
    GraficoDeModelo m({0, 97});
    m.Agregar("p", {0, 97});
    const TLienzoGrabador l = m.Dibujar();
    int verticales = 0, horizontales = 0;
    for (const auto& o : l.De(TOperacionLienzo::Linea)) {
        if (o.pluma.Color != clGris) continue;
        (o.puntos[0].x == o.puntos[1].x ? verticales : horizontales)++;
    }
    EXPECT_EQ(verticales, m.grafico->EjeX->Divisiones + 1);
    EXPECT_EQ(horizontales, m.grafico->EjeY->Divisiones - 1);
}

TEST(Dibujo, UnRangoNuloNoDivideEntreCero) {
    GraficoDeModelo m({1e7, 1e7});
    m.Agregar("p", {1e7, 1e7});
    m.Dibujar();
    EXPECT_TRUE(std::isfinite(m.grafico->EscalaX));
    EXPECT_TRUE(std::isfinite(m.grafico->EscalaY));
    EXPECT_GT(m.grafico->EscalaY, 0);
}

TEST(Dibujo, LaCajaCentraSuTexto) {
    GraficoDeModelo m({0, 10});
    m.Agregar("p", {0, 10});
    auto caja = TCajaGraficoXY::Create(2, 2, 4, 4, "ab");
    m.grafico->AgregarCaja(std::move(caja));
    const TLienzoGrabador l = m.Dibujar();
    const TGrafico& g = *m.grafico;
    for (const auto& o : l.De(TOperacionLienzo::Texto)) {
        if (o.texto != "ab") continue;
        const int ancho = 2 * 12 * 6 / 10, alto = 24;
        EXPECT_EQ(o.puntos[0].x, std::nearbyint((g.PixelX(2) + g.PixelX(4)) * 0.5 - ancho * 0.5));
        EXPECT_EQ(o.puntos[0].y, std::nearbyint((g.PixelY(2) + g.PixelY(4)) * 0.5 - alto * 0.5));
        return;
    }
    FAIL() << "no se dibujó el texto de la caja";
}

// ---- Areas and bars ----

std::unique_ptr<TGrafico> GraficoDeTipo(uint8_t tipo) { return TGrafico::Create("g", "", tipo, -1); }

TEST(Areas, SeApilanSobreLasSumas) {
    auto g = GraficoDeTipo(TSG_AreaApilada);
    TSerieGrafico* x = g->AgregarSerie(TSerieGrafico::Create("x", {0, 1}, nullptr, nullptr, "", true));
    g->AgregarSerie(TSerieGrafico::Create("a", {1, 2}, x, g.get(), "", false));
    g->AgregarSerie(TSerieGrafico::Create("b", {3, 4}, x, g.get(), "", false));
    TLienzoGrabador l;
    g->Dibujar(l, kAncho, kAlto);
    EXPECT_EQ(g->EjeY->MinDatos, 0);
    EXPECT_EQ(g->EjeY->MaxDatos, 6);
    std::vector<TOperacionGrabada> areas;
    for (const auto& o : l.De(TOperacionLienzo::Poligono))
        if (o.puntos.size() == 4) areas.push_back(o);
    ASSERT_EQ(areas.size(), 2u);
    const auto& segunda = areas[1].puntos;
    EXPECT_EQ(segunda[0].y, g->PixelY(4));
    EXPECT_EQ(segunda[1].y, g->PixelY(6));
    EXPECT_EQ(segunda[2].y, g->PixelY(2));
    EXPECT_EQ(segunda[3].y, g->PixelY(1));
    EXPECT_EQ(areas[1].brocha.Color, PaletaDeColores[1].color);
    EXPECT_EQ(areas[1].pluma.Ancho, 2);
}

TEST(Areas, UnaSerieMasCortaCuentaCero) {
    auto g = GraficoDeTipo(TSG_AreaApilada);
    TSerieGrafico* x = g->AgregarSerie(TSerieGrafico::Create("x", {0, 1, 2}, nullptr, nullptr, "", true));
    g->AgregarSerie(TSerieGrafico::Create("a", {1, 2, 3}, x, g.get(), "", false));
    g->AgregarSerie(TSerieGrafico::Create("b", {5}, x, g.get(), "", false));
    TLienzoGrabador l;
    g->Dibujar(l, kAncho, kAlto);
    EXPECT_EQ(g->EjeY->MaxDatos, 6);
}

TEST(Areas, UnaPrimeraSerieVaciaNoDibujaNada) {
    auto g = GraficoDeTipo(TSG_AreaApilada);
    TSerieGrafico* x = g->AgregarSerie(TSerieGrafico::Create("x", {}, nullptr, nullptr, "", true));
    g->AgregarSerie(TSerieGrafico::Create("a", {}, x, g.get(), "", false));
    g->AgregarSerie(TSerieGrafico::Create("b", {1, 2}, x, g.get(), "", false));
    TLienzoGrabador l;
    g->Dibujar(l, kAncho, kAlto);
    EXPECT_TRUE(l.De(TOperacionLienzo::Poligono).empty());
}

TEST(Barras, AgrupadasPorCategoria) {
    auto g = GraficoDeTipo(TSG_BarrasAgrupadas);
    for (const char* nombre : {"a", "b", "c"}) {
        auto s = TSerieGrafico::Create(nombre, {1, 2, 3, 4}, nullptr, g.get(), "", false);
        s->Etiquetas = {"e1", "e2", "e3", "e4"};
        g->AgregarSerie(std::move(s));
    }
    TLienzoGrabador l;
    g->Dibujar(l, kAncho, kAlto);
    EXPECT_FALSE(g->EjeX->EtiquetasVerticales);
    std::vector<TOperacionGrabada> barras;
    for (const auto& o : l.De(TOperacionLienzo::Rectangulo))
        if (o.brocha.Color != clBlanco && o.pluma.Ancho == 1 && o.puntos[1].y == g->PixelY(0))
            barras.push_back(o);
    ASSERT_EQ(barras.size(), 12u);
    const int w = static_cast<int>((g->PlotDerecha - g->PlotIzquierda) / 12.0 * 0.9);
    for (const auto& b : barras) EXPECT_EQ(b.puntos[1].x - b.puntos[0].x, w);
    // Series a's bars of categories 1 and 2 are one category apart.
    const int g10 = static_cast<int>(w * 0.9 / 10);
    EXPECT_EQ(barras[1].puntos[0].x - barras[0].puntos[0].x, 3 * w + g10);
    // Within a category the series are adjacent: b's first bar starts where a's ends.
    EXPECT_EQ(barras[4].puntos[0].x, barras[0].puntos[1].x);
    int rotadas = 0;
    for (const auto& o : l.De(TOperacionLienzo::Texto))
        if (o.fuente.Orientacion == 3150) ++rotadas;
    EXPECT_EQ(rotadas, 4);
}

TEST(Barras, ElEjeMuestraLaBaseCero) {
    auto g = GraficoDeTipo(TSG_BarrasAgrupadas);
    g->AgregarSerie(TSerieGrafico::Create("a", {1, 4}, nullptr, g.get(), "", false));
    TLienzoGrabador l;
    g->Dibujar(l, kAncho, kAlto);
    EXPECT_DOUBLE_EQ(g->EjeY->MinMostrado, 0);
    EXPECT_EQ(g->PixelY(0), g->PlotAbajo);
}

TEST(Barras, SinEtiquetasNoSeDibujanEtiquetas) {
    auto g = GraficoDeTipo(TSG_BarrasAgrupadas);
    g->AgregarSerie(TSerieGrafico::Create("a", {1, 2}, nullptr, g.get(), "", false));
    g->AgregarSerie(TSerieGrafico::Create("b", {}, nullptr, g.get(), "", false));
    TLienzoGrabador l;
    g->Dibujar(l, kAncho, kAlto);
    for (const auto& o : l.De(TOperacionLienzo::Texto)) EXPECT_NE(o.fuente.Orientacion, 3150);
}

TEST(Barras, AcumuladaHasta100ConEtiquetasMenosLaUltima) {
    auto g = GraficoDeTipo(TSG_BarraAcumulada);
    auto s = TSerieGrafico::Create("acum", {50, 30, 20}, nullptr, g.get(), "", false);
    s->Etiquetas = {"uno", "dos", "tres"};
    g->AgregarSerie(std::move(s));
    TLienzoGrabador l;
    g->Dibujar(l, kAncho, kAlto);
    EXPECT_DOUBLE_EQ(g->EjeY->MaxMostrado, 100);
    std::vector<TOperacionGrabada> segmentos;
    for (const auto& o : l.De(TOperacionLienzo::Rectangulo))
        if (o.pluma.Ancho == 2 && o.puntos[0].x == g->PlotIzquierda + 1) segmentos.push_back(o);
    ASSERT_EQ(segmentos.size(), 3u);
    EXPECT_EQ(segmentos[0].brocha.Color, clNinguno);
    EXPECT_EQ(segmentos[1].brocha.Color, PaletaDeColores[1].color);
    EXPECT_EQ(segmentos[2].brocha.Color, PaletaDeColores[2].color);
    EXPECT_EQ(segmentos[2].puntos[0].y, g->PixelY(100));
    const auto textos = TextosDibujados(l);
    EXPECT_TRUE(Contiene(textos, "uno 50 %"));
    EXPECT_TRUE(Contiene(textos, "dos 30 %"));
    EXPECT_FALSE(Contiene(textos, "tres 20 %"));
    // The palette is left as found: the next drawing paints the same.
    const std::string primera = l.Guion();
    l.Borrar();
    g->Dibujar(l, kAncho, kAlto);
    EXPECT_EQ(l.Guion(), primera);
}

TEST(Barras, AcumuladaDeUnoOMenosNoDibujaSegmento) {
    auto g = GraficoDeTipo(TSG_BarraAcumulada);
    g->AgregarSerie(TSerieGrafico::Create("acum", {1, 60, 39}, nullptr, g.get(), "", false));
    TLienzoGrabador l;
    g->Dibujar(l, kAncho, kAlto);
    std::vector<TOperacionGrabada> segmentos;
    for (const auto& o : l.De(TOperacionLienzo::Rectangulo))
        if (o.pluma.Ancho == 2 && o.puntos[0].x == g->PlotIzquierda + 1) segmentos.push_back(o);
    ASSERT_EQ(segmentos.size(), 2u);
    // The skipped value still moved the palette on.
    EXPECT_EQ(segmentos[0].brocha.Color, PaletaDeColores[1].color);
}

}  // namespace
