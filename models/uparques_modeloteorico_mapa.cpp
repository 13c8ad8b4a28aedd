// The park map: the paint rectangle, the world window around the turbines and
// the conversions between world points and pixels.
#include <algorithm>

#include "models/uparques_modeloteorico.h"
#include "models/uparques_modeloteorico_interno.h"

using parque_teorico::EnteroMasCercano;

void TParque_ModeloTeorico::FijarRectanguloDibujo(int32_t izq, int32_t arriba, int32_t der, int32_t abajo) {
    if (der - izq <= 0 || abajo - arriba <= 0) return;  // nothing to fit: keep the previous window
    rectIzq = izq;
    rectArriba = arriba;
    rectDer = der;
    rectAbajo = abajo;
    anchoPixel = der - izq;
    altoPixel = abajo - arriba;
    xMinMundo = xMaxMundo = yMinMundo = yMaxMundo = 0;
    for (const auto& molino : molinos) {
        const TPosicion& p = molino->posicion;
        xMinMundo = std::min(xMinMundo, p.x);
        xMaxMundo = std::max(xMaxMundo, p.x);
        yMinMundo = std::min(yMinMundo, p.y);
        yMaxMundo = std::max(yMaxMundo, p.y);
    }
    xMinMundo -= 300;
    xMaxMundo += 300;
    anchoMundo = xMaxMundo - xMinMundo;
    yMinMundo -= 300;
    yMaxMundo += 300;
    altoMundo = yMaxMundo - yMinMundo;
    const double sx = anchoPixel / anchoMundo;
    const double sy = altoPixel / altoMundo;
    if (sy < sx) {
        const double d = (anchoPixel * (altoMundo / altoPixel) - anchoMundo) * 0.5;
        xMinMundo -= d;
        xMaxMundo += d;
        anchoMundo = xMaxMundo - xMinMundo;
    } else {
        const double d = (altoPixel * (anchoMundo / anchoPixel) - altoMundo) * 0.5;
        yMinMundo -= d;
        yMaxMundo += d;
        altoMundo = yMaxMundo - yMinMundo;
    }
}

void TParque_ModeloTeorico::MundoAPixel(int32_t& columna, int32_t& fila, const TPunto2D& p) const {
    constexpr int32_t lejos = 1 << 30;  // far outside any picture
    columna = rectIzq + EnteroMasCercano((p.x - xMinMundo) * (anchoPixel / anchoMundo), -lejos, lejos);
    fila = rectAbajo - EnteroMasCercano((p.y - yMinMundo) * (altoPixel / altoMundo), -lejos, lejos);
}

void TParque_ModeloTeorico::PixelAMundo(TPunto2D& p, int32_t columna, int32_t fila) const {
    p.x = (columna - rectIzq) * (anchoMundo / anchoPixel) + xMinMundo;
    p.y = (rectAbajo - fila) * (altoMundo / altoPixel) + yMinMundo;
}

TMolino* TParque_ModeloTeorico::MolinoEnPixel(int32_t columna, int32_t fila) const {
    if (molinos.empty()) return nullptr;
    TPunto2D punto;
    PixelAMundo(punto, columna, fila);
    TMolino* cercano = molinos[0].get();
    double distancia = Norma2D({punto.x - cercano->posicion.x, punto.y - cercano->posicion.y});
    for (std::size_t i = 1; i < molinos.size(); ++i) {
        const TPosicion& p = molinos[i]->posicion;
        const double d = Norma2D({punto.x - p.x, punto.y - p.y});
        if (d < distancia) {
            distancia = d;
            cercano = molinos[i].get();
        }
    }
    return distancia <= 3 * cercano->curva.diametro ? cercano : nullptr;
}

double TParque_ModeloTeorico::ValorEnPixel(int32_t columna, int32_t fila) const {
    TPunto2D punto;
    PixelAMundo(punto, columna, fila);
    return ValorEnPunto(punto);
}
