#include "charts/ugraficosmodelos.h"

#include <string_view>

#include "charts/lienzo.h"
#include "charts/ugraficador.h"
#include "numerics/formatonumeros.h"

namespace {

TDAofNReal ComoArreglo(const TVectR& v) { return TDAofNReal(v.pv.begin() + 1, v.pv.begin() + 1 + v.n); }

TSerieGrafico* AgregarAbscisaV(TGrafico& grafico, const TVectR& x) {
    return grafico.AgregarSerie(TSerieGrafico::Create("v", ComoArreglo(x), nullptr, nullptr, "##.##", true));
}

// A series over the abscissa "v" with line and marker colours (no line with
// clNinguno), marker size 2 and pen width 1.
void AgregarSerieSobreV(TGrafico& grafico, TSerieGrafico* v, std::string_view nombre, const TVectR& valores,
                        TColor linea, TColor marcador) {
    auto serie = TSerieGrafico::Create(nombre, ComoArreglo(valores), v, &grafico, "", false);
    serie->ColorLinea = linea;
    serie->ColorMarcador = marcador;
    serie->TamanioMarcador = 2;
    serie->AnchoMarcador = 1;
    grafico.AgregarSerie(std::move(serie));
}

// How a frequency chart differs from the other.
struct TFormaFrecuencia {
    const char* nombre;
    const char* titulo;
    const char* tituloX;
    double maximoX;
    int divisionesX;
    int tamanioFuente;
    TColor color;
};

// An x axis with a fixed maximum and count of divisions and whole-number
// labels, the y axis "Frecuencia [p.u]" and one unnamed series.
std::unique_ptr<TGrafico> GraficoDeFrecuencia(const TFormaFrecuencia& forma, const TVectR& x, const TVectR& y) {
    auto grafico = TGrafico::Create(forma.nombre, "", TSG_LineaConMarcadores, 0);
    grafico->Titulo = forma.titulo;
    grafico->EjeX->Titulo = forma.tituloX;
    grafico->EjeX->FijarMaximo(forma.maximoX);
    grafico->EjeX->FijarDivisiones(forma.divisionesX);
    grafico->EjeX->Digitos = 0;
    grafico->EjeY->Titulo = "Frecuencia [p.u]";
    grafico->TamanioFuente = forma.tamanioFuente;
    AgregarSerieSobreV(*grafico, AgregarAbscisaV(*grafico, x), "", y, forma.color, forma.color);
    return grafico;
}

}  // namespace

std::unique_ptr<TGrafico> GraficoFrecuenciaVelocidad(const TVectR& velocidades, const TVectR& densidades) {
    return GraficoDeFrecuencia({"Frecuencia_velocidad_WB", "Frecuencia velocidad Weibull",
                                "Velocidad de viento [m/s]", 24, 8, 10, clVerde},
                               velocidades, densidades);
}

std::unique_ptr<TGrafico> GraficoFrecuenciaDireccion(const TVectR& direcciones, const TVectR& frecuencias) {
    return GraficoDeFrecuencia(
        {"Frecuencia_direccion", "Frecuencia Dirección", "Dirección del viento [º]", 360, 36, 6, clRojo},
        direcciones, frecuencias);
}

std::unique_ptr<TGrafico> GraficoCurvasPV(double direccion, const TVectR& v, const TVectR& MW_ME,
                                          const TVectR& MW_MT, const TVectR& MW_MC) {
    auto grafico = TGrafico::Create("PE_Cluster", "", TSG_LineaConMarcadores, 0);
    grafico->Titulo = "Potencias ME y MT para el ángulo: " + FloatToStrF(direccion, FR_Fijo, 15, 1) + "°";
    grafico->EjeX->Titulo = "Velocidad de viento [m/s]";
    grafico->EjeY->Titulo = "Potencia eléctrica [MW]";
    TSerieGrafico* abscisa = AgregarAbscisaV(*grafico, v);
    AgregarSerieSobreV(*grafico, abscisa, "MW_ME", MW_ME, clVerde, clVerde);
    AgregarSerieSobreV(*grafico, abscisa, "MW_MT", MW_MT, clAzul, clAzul);
    AgregarSerieSobreV(*grafico, abscisa, "MW_MC", MW_MC, clNinguno, clRojo);
    return grafico;
}
