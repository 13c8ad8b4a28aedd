#pragma once
// Charts over a wind-speed abscissa "v", drawn into a picture box of the
// window; the models tab and the curves tab draw theirs with these.
#include "charts/lienzo.h"
#include "numerics/matreal.h"

class TCajaPintura;
class TGrafico;
class TSerieGrafico;

inline constexpr TColor kVerde = TColor::RGB(0, 128, 0);
inline constexpr TColor kAzul = TColor::RGB(0, 0, 255);
inline constexpr TColor kRojo = TColor::RGB(255, 0, 0);

// A series over the abscissa "v", with line and marker colours (no line
// with clNinguno), marker size 2 and pen width 1.
void AgregarSerieSobreV(TGrafico& grafico, TSerieGrafico* v, const char* nombre, const TVectR& valores,
                        TColor linea, TColor marcador);
TSerieGrafico* AgregarAbscisaV(TGrafico& grafico, const TVectR& x);
void DibujarEnCaja(TGrafico& grafico, TCajaPintura* caja);
