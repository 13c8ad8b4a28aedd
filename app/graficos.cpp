#include "app/graficos.h"

#include <QPainter>

#include "app/ventanaparque.h"
#include "charts/lienzoqt.h"
#include "charts/ugraficador.h"

namespace {

TDAofNReal ComoArreglo(const TVectR& v) { return TDAofNReal(v.pv.begin() + 1, v.pv.begin() + 1 + v.n); }

}  // namespace

void AgregarSerieSobreV(TGrafico& grafico, TSerieGrafico* v, const char* nombre, const TVectR& valores,
                        TColor linea, TColor marcador) {
    auto serie = TSerieGrafico::Create(nombre, ComoArreglo(valores), v, &grafico, "", false);
    serie->ColorLinea = linea;
    serie->ColorMarcador = marcador;
    serie->TamanioMarcador = 2;
    serie->AnchoMarcador = 1;
    grafico.AgregarSerie(std::move(serie));
}

TSerieGrafico* AgregarAbscisaV(TGrafico& grafico, const TVectR& x) {
    return grafico.AgregarSerie(TSerieGrafico::Create("v", ComoArreglo(x), nullptr, nullptr, "##.##", true));
}

void DibujarEnCaja(TGrafico& grafico, TCajaPintura* caja) {
    {
        QPainter pintor(&caja->Imagen());
        TLienzoQt lienzo(pintor);
        grafico.Dibujar(lienzo, caja->Ancho(), caja->Alto());
    }
    caja->Actualizar();
}
