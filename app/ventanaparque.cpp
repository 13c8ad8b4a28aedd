#include "app/ventanaparque.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <string>

#include "charts/lienzoqt.h"
#include "charts/uescalacolores.h"
#include "models/uauxdensidad.h"
#include "models/uparques_modeloteorico.h"
#include "numerics/textoreal.h"

namespace {

constexpr double kVelocidadMinima = 4;   // m/s at the left end of the bar
constexpr double kVelocidadMaxima = 10;  // m/s at the right end
constexpr int kMarcas = 5;
constexpr int kTamanioTexto = 8;  // points: the labels fit the bar's 30 rows

QRgb Rgb(TColor c) { return qRgb(c.R(), c.G(), c.B()); }

void PintarColumna(QImage& imagen, int x, int fila1, int fila2, QRgb color) {
    for (int y = fila1; y <= fila2; ++y) reinterpret_cast<QRgb*>(imagen.scanLine(y))[x] = color;
}

// Texts on the picture: canvas defaults, black on the white brush.
class TTextosImagen {
public:
    explicit TTextosImagen(QImage& imagen) : pintor_(&imagen), lienzo_(pintor_) {
        lienzo_.Brocha.Color = clBlanco;
        lienzo_.Brocha.Estilo = TEstiloBrocha::Solido;
        lienzo_.Fuente.Tamanio = kTamanioTexto;
    }
    void Texto(int x, int y, const std::string& texto) { lienzo_.Texto(x, y, texto); }

private:
    QPainter pintor_;
    TLienzoQt lienzo_;
};

void DibujarBarra(QImage& imagen, const TEscalaColor& escala) {
    const int ancho = imagen.width();
    const int ultimaFila = std::min(kFilasBarraColores, imagen.height()) - 1;
    for (int x = 0; x < ancho; ++x) {
        const double v = kVelocidadMinima + static_cast<double>(6 * x) / ancho;
        PintarColumna(imagen, x, 0, ultimaFila, Rgb(escala.ColorDeValor(v)));
    }
    for (int k = 1; k <= kMarcas; ++k) PintarColumna(imagen, ColumnaDeMarca(k, ancho), 0, ultimaFila, qRgb(0, 0, 0));
}

void EscribirTextosDeBarra(QImage& imagen) {
    const int ancho = imagen.width();
    TTextosImagen textos(imagen);
    for (int k = 1; k <= kMarcas; ++k) textos.Texto(ColumnaDeMarca(k, ancho) + 2, 0, TextoDeMarca(k, ancho));
    textos.Texto(0, 0, "4");
    textos.Texto(0, 15, "Vel (m/s)");
    textos.Texto(ancho - 13, 0, "10");
}

void DibujarVelocidades(QImage& imagen, const TMapaParque& mapa, const TEscalaColor& escala) {
    for (int y = kFilasBarraColores; y < imagen.height(); ++y) {
        QRgb* fila = reinterpret_cast<QRgb*>(imagen.scanLine(y));
        for (int x = 0; x < imagen.width(); ++x) {
            const double s = VientoDePotencia(mapa.ValorEnPixel(x, y), DensidadBase);
            if (s > 0) fila[x] = Rgb(escala.ColorDeValor(s));
        }
    }
}

void MarcarMastil(QImage& imagen, const TMapaParque& mapa) {
    int columna = 0, fila = 0;
    mapa.MundoAPixel(0, 0, columna, fila);
    TTextosImagen(imagen).Texto(columna, fila, "(A)");
}

// The map of a theoretical park.
class TMapaDeParqueTeorico : public TMapaParque {
public:
    explicit TMapaDeParqueTeorico(TParque_ModeloTeorico& parque) : parque_(parque) {}
    void FijarRectanguloDibujo(int izq, int arriba, int der, int abajo) override {
        parque_.FijarRectanguloDibujo(izq, arriba, der, abajo);
    }
    double ValorEnPixel(int columna, int fila) const override { return parque_.ValorEnPixel(columna, fila); }
    void MundoAPixel(double x, double y, int& columna, int& fila) const override {
        parque_.MundoAPixel(columna, fila, TPunto2D{x, y});
    }

private:
    TParque_ModeloTeorico& parque_;
};

}  // namespace

TCajaPintura::TCajaPintura(int ancho, int alto, QWidget* padre)
    : QWidget(padre), imagen_(ancho, alto, QImage::Format_RGB32) {
    imagen_.fill(Qt::white);
    setFixedSize(ancho, alto);
    setMouseTracking(true);
}

void TCajaPintura::paintEvent(QPaintEvent* evento) {
    QPainter pintor(this);
    pintor.drawImage(evento->rect(), imagen_, evento->rect());
}

void TCajaPintura::mouseMoveEvent(QMouseEvent* evento) {
    const QPoint p = evento->position().toPoint();
    emit RatonMovido(p.x(), p.y());
}

void TCajaPintura::mousePressEvent(QMouseEvent* evento) {
    const QPoint p = evento->position().toPoint();
    emit RatonPresionado(p.x(), p.y());
}

int ColumnaDeMarca(int k, int ancho) { return k * ancho / 6; }

std::string TextoDeMarca(int k, int ancho) {
    const double v = static_cast<double>(6 * k * ancho) / 6 / ancho + kVelocidadMinima;
    return FormatoGeneral(std::nearbyint(v * 10) / 10, 15);
}

void DibujarMapaVelocidades(QImage& imagen, TMapaParque& mapa) {
    const TEscalaColor escala = TEscalaColor::Create(kVelocidadMinima, kVelocidadMaxima);
    mapa.FijarRectanguloDibujo(0, kFilasBarraColores, imagen.width(), imagen.height());
    imagen.fill(Qt::white);
    DibujarBarra(imagen, escala);
    EscribirTextosDeBarra(imagen);
    DibujarVelocidades(imagen, mapa, escala);
    MarcarMastil(imagen, mapa);
}

void DibujarMapaVelocidades(QImage& imagen, TParque_ModeloTeorico& parque) {
    TMapaDeParqueTeorico mapa(parque);
    DibujarMapaVelocidades(imagen, mapa);
}
