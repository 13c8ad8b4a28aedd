#include "app/graficos.h"

#include <QPainter>

#include "app/ventanaparque.h"
#include "charts/lienzoqt.h"
#include "charts/ugraficador.h"

void DibujarEnCaja(TGrafico& grafico, TCajaPintura* caja) {
    {
        QPainter pintor(&caja->Imagen());
        TLienzoQt lienzo(pintor);
        grafico.Dibujar(lienzo, caja->Ancho(), caja->Alto());
    }
    caja->Actualizar();
}
