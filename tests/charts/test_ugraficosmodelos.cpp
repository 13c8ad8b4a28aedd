// The charts of the models' hidden tabs: names, titles, axes and series as
// the window draws them.
#include "charts/ugraficosmodelos.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <utility>

#include "charts/lienzograbador.h"
#include "charts/ugraficador.h"

namespace {

constexpr TColor kVerde = TColor::RGB(0, 128, 0);
constexpr TColor kAzul = TColor::RGB(0, 0, 255);
constexpr TColor kRojo = TColor::RGB(255, 0, 0);

TVectR Vector(std::initializer_list<double> valores) {
    return TVectR::Create_DesdeArreglo(TDAofNReal(valores));
}

TVectR Rampa(int n) {
    TVectR v(n);
    for (int i = 1; i <= n; ++i) v.pv[i] = i - 1;
    return v;
}

void EsperarSerie(const TSerieGrafico& serie, const char* nombre, const TVectR& valores, TColor linea,
                  TColor marcador) {
    SCOPED_TRACE(nombre);
    EXPECT_EQ(serie.Nombre, nombre);
    EXPECT_EQ(serie.Valores, TDAofNReal(valores.pv.begin() + 1, valores.pv.end()));
    EXPECT_EQ(serie.ColorLinea, linea);
    EXPECT_EQ(serie.ColorMarcador, marcador);
    EXPECT_EQ(serie.TamanioMarcador, 2);
    EXPECT_EQ(serie.AnchoMarcador, 1);
    EXPECT_EQ(serie.TipoSerie, TSG_LineaConMarcadores);
}

void EsperarAbscisaV(const TGrafico& grafico, const TVectR& x) {
    ASSERT_EQ(grafico.SeriesAbscisa().size(), 1u);
    const TSerieGrafico& v = *grafico.SeriesAbscisa()[0];
    EXPECT_EQ(v.Nombre, "v");
    EXPECT_EQ(v.FormatoVisual, "##.##");
    EXPECT_EQ(v.Valores, TDAofNReal(x.pv.begin() + 1, x.pv.end()));
    for (const auto& serie : grafico.SeriesY()) EXPECT_EQ(serie->SerieX, &v);
}

// ---- Frequency charts ----

// The x axis a frequency chart must have.
struct TEjeXEsperado {
    const char* titulo;
    double maximo;
    int divisiones;
};

struct TCasoFrecuencia {
    std::unique_ptr<TGrafico> (*construir)(const TVectR&, const TVectR&);
    int puntos;
    const char* nombre;
    const char* titulo;
    int tamanioFuente;
    TColor color;
    TEjeXEsperado ejeX;
};

class GraficoDeFrecuencia : public ::testing::TestWithParam<TCasoFrecuencia> {};

TEST_P(GraficoDeFrecuencia, EjeXFijoYUnaSerieSinNombre) {
    const TCasoFrecuencia& caso = GetParam();
    const TVectR x = Rampa(caso.puntos);
    TVectR y(caso.puntos);
    for (int i = 1; i <= y.n; ++i) y.pv[i] = 0.5 / i;
    auto grafico = caso.construir(x, y);
    EXPECT_EQ(grafico->Nombre(), caso.nombre);
    EXPECT_EQ(grafico->NotaPie(), "");
    EXPECT_EQ(grafico->Logo(), 0);
    EXPECT_EQ(grafico->Titulo, caso.titulo);
    EXPECT_EQ(grafico->TamanioFuente, caso.tamanioFuente);
    EXPECT_EQ(grafico->EjeX->Titulo, caso.ejeX.titulo);
    EXPECT_FALSE(grafico->EjeX->MaxAutomatico);
    EXPECT_EQ(grafico->EjeX->MaxFijo, caso.ejeX.maximo);
    EXPECT_TRUE(grafico->EjeX->MinAutomatico);
    EXPECT_FALSE(grafico->EjeX->DivisionesAutomaticas);
    EXPECT_EQ(grafico->EjeX->DivisionesFijas, caso.ejeX.divisiones);
    EXPECT_EQ(grafico->EjeX->Digitos, 0);
    EXPECT_EQ(grafico->EjeY->Titulo, "Frecuencia [p.u]");
    EsperarAbscisaV(*grafico, x);
    ASSERT_EQ(grafico->SeriesY().size(), 1u);
    EsperarSerie(*grafico->SeriesY()[0], "", y, caso.color, caso.color);
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, GraficoDeFrecuencia,
    ::testing::Values(TCasoFrecuencia{GraficoFrecuenciaVelocidad, 26, "Frecuencia_velocidad_WB",
                                      "Frecuencia velocidad Weibull", 10, kVerde,
                                      {"Velocidad de viento [m/s]", 24, 8}},
                      TCasoFrecuencia{GraficoFrecuenciaDireccion, 360, "Frecuencia_direccion",
                                      "Frecuencia Dirección", 6, kRojo, {"Dirección del viento [º]", 360, 36}}));

// The direction frequencies of a plant lie between about 0.0075 and 0.02 per
// degree: the y labels, in the window's box as in the JPEG, read apart.
TEST(GraficoFrecuenciaDireccion, LasEtiquetasDelEjeYSeDistinguen) {
    const TVectR x = Rampa(360);
    TVectR y(360);
    for (int i = 1; i <= y.n; ++i) y.pv[i] = 0.0075 + 0.0125 * (0.5 + 0.5 * std::sin(i * 3.14159265358979 / 180));
    auto grafico = GraficoFrecuenciaDireccion(x, y);
    for (const auto [ancho, alto] : {std::pair{541, 325}, std::pair{2100, 1000}}) {
        SCOPED_TRACE(std::to_string(ancho) + "x" + std::to_string(alto));
        TLienzoGrabador lienzo;
        grafico->Dibujar(lienzo, ancho, alto);
        std::set<std::string> dibujados;
        for (const TOperacionGrabada& o : lienzo.De(TOperacionLienzo::Texto)) dibujados.insert(o.texto);
        std::set<std::string> etiquetas;
        for (int i = 0; i <= grafico->EjeY->Divisiones; ++i) {
            const std::string etiqueta = grafico->EjeY->Etiqueta(i);
            EXPECT_TRUE(etiquetas.insert(etiqueta).second) << etiqueta;
            EXPECT_EQ(dibujados.count(etiqueta), 1u) << etiqueta;
        }
        EXPECT_GE(etiquetas.size(), 3u);
    }
}

// ---- P(V) curves ----

TEST(GraficoCurvasPV, TresCurvasSobreLaVelocidadYElAnguloEnElTitulo) {
    const TVectR v = Vector({3, 6.5, 12});
    const TVectR me = Vector({0.5, 4, 20}), mt = Vector({0.6, 4.5, 21}), mc = Vector({0.55, 4.2, 20.5});
    auto grafico = GraficoCurvasPV(22.46, v, me, mt, mc);
    EXPECT_EQ(grafico->Nombre(), "PE_Cluster");
    EXPECT_EQ(grafico->Logo(), 0);
    EXPECT_EQ(grafico->Titulo, "Potencias ME y MT para el ángulo: 22.5°");
    EXPECT_EQ(grafico->EjeX->Titulo, "Velocidad de viento [m/s]");
    EXPECT_EQ(grafico->EjeY->Titulo, "Potencia eléctrica [MW]");
    EXPECT_TRUE(grafico->EjeX->MaxAutomatico);
    EXPECT_TRUE(grafico->EjeX->DivisionesAutomaticas);
    EsperarAbscisaV(*grafico, v);
    ASSERT_EQ(grafico->SeriesY().size(), 3u);
    EsperarSerie(*grafico->SeriesY()[0], "MW_ME", me, kVerde, kVerde);
    EsperarSerie(*grafico->SeriesY()[1], "MW_MT", mt, kAzul, kAzul);
    EsperarSerie(*grafico->SeriesY()[2], "MW_MC", mc, clNinguno, kRojo);
}

TEST(GraficoCurvasPV, ElTituloLlevaLaDireccionConUnDecimal) {
    const TVectR vacio(0);
    EXPECT_EQ(GraficoCurvasPV(270, vacio, vacio, vacio, vacio)->Titulo, "Potencias ME y MT para el ángulo: 270.0°");
    EXPECT_EQ(GraficoCurvasPV(0.04, vacio, vacio, vacio, vacio)->Titulo, "Potencias ME y MT para el ángulo: 0.0°");
}

}  // namespace
