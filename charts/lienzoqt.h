#pragma once
// The canvas over a QPainter: a window's paint box or a QImage. It keeps the
// canvas rules of lienzo.h on top of Qt: rectangles exclusive of their right
// and bottom edges, text anchored at its top-left corner and turned
// counter-clockwise about it, opaque text background under a solid brush and
// point sizes at 96 pixels per inch whatever the device's resolution. The
// font is DejaVu Sans, installed with the program, so that charts measure the
// same on every machine.
#include <QFont>
#include <QPainter>

#include "charts/lienzo.h"

class TLienzoQt : public TLienzo {
public:
    // The painter must be active on its device for the canvas' lifetime.
    explicit TLienzoQt(QPainter& pintor);

    TExtensionTexto ExtensionTexto(std::string_view texto) override;
    void Texto(int x, int y, std::string_view texto) override;
    void Linea(int x1, int y1, int x2, int y2) override;
    void Rectangulo(int x1, int y1, int x2, int y2) override;
    void RellenarRectangulo(int x1, int y1, int x2, int y2) override;
    void Elipse(int x1, int y1, int x2, int y2) override;
    void Poligono(const std::vector<TPunto>& puntos) override;
    void Polilinea(const std::vector<TPunto>& puntos) override;
    void Recortar(int x1, int y1, int x2, int y2) override;

private:
    QFont FuenteActual() const;
    // Sets the painter's pen and brush from the canvas state; with rellenar
    // false the shape is only outlined.
    void PrepararTrazo(bool rellenar);
    QPainter& pintor_;
};
