#pragma once
// Charts drawn into a picture box of the window; the models tab and the
// curves tab show theirs with this.
class TCajaPintura;
class TGrafico;

void DibujarEnCaja(TGrafico& grafico, TCajaPintura* caja);
