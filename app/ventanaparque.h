#pragma once
// The park pictures of the main window: a paint box that keeps its picture in
// an image (so it survives hidden tabs and repaints) and the wind-speed map of
// a park drawn on it pixel by pixel.
//
// The map: rows 0 to 29 hold a colour bar from 4 to 10 m/s with ticks at each
// whole speed between; below, every pixel takes the colour of the speed that
// the park's wake grid gives there at the base air density 1.225 kg/m³, white
// where the grid gives none; "(A)" marks the met mast, written last.
#include <QImage>
#include <QWidget>
#include <string>

class QMouseEvent;
class TParque_ModeloTeorico;
class QPaintEvent;

// A fixed-size picture with the mouse events of its pixels.
class TCajaPintura : public QWidget {
    Q_OBJECT
public:
    TCajaPintura(int ancho, int alto, QWidget* padre = nullptr);

    int Ancho() const { return imagen_.width(); }
    int Alto() const { return imagen_.height(); }
    // Drawing goes to the image; Actualizar shows it.
    QImage& Imagen() { return imagen_; }
    const QImage& Imagen() const { return imagen_; }
    void Actualizar() { update(); }

signals:
    void RatonMovido(int x, int y);
    void RatonPresionado(int x, int y);

protected:
    void paintEvent(QPaintEvent* evento) override;
    void mouseMoveEvent(QMouseEvent* evento) override;
    void mousePressEvent(QMouseEvent* evento) override;

private:
    QImage imagen_;
};

// What the map needs of a park: its drawing rectangle, its grid value (wind
// power density, MW/m²) at a pixel, 0 outside the grid, and the pixel of a
// world point (metres from the met mast, x east, y north).
class TMapaParque {
public:
    virtual ~TMapaParque() = default;
    virtual void FijarRectanguloDibujo(int izq, int arriba, int der, int abajo) = 0;
    virtual double ValorEnPixel(int columna, int fila) const = 0;
    virtual void MundoAPixel(double x, double y, int& columna, int& fila) const = 0;
};

// Rows above the map, where the colour bar goes.
inline constexpr int kFilasBarraColores = 30;

// The column of tick k (1 to 5) of the colour bar in a picture `ancho` wide.
int ColumnaDeMarca(int k, int ancho);
// Its label: the speed at the tick to the nearest tenth ("5" to "9").
std::string TextoDeMarca(int k, int ancho);

// Sets the park's rectangle to (0, 30) - (width, height) of the image and
// draws the bar, the map and the mast mark on it.
void DibujarMapaVelocidades(QImage& imagen, TMapaParque& mapa);
// The same for a theoretical park: its grid of the last direction and wind
// set, white everywhere below the bar while it has none.
void DibujarMapaVelocidades(QImage& imagen, TParque_ModeloTeorico& parque);
