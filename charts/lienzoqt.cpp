#include "charts/lienzoqt.h"

#include <QFontMetrics>
#include <QPen>
#include <QPolygon>
#include <QString>
#include <cmath>

namespace {

constexpr double kPixelesPorPunto = 96.0 / 72.0;

QColor ColorQt(TColor c, TColor porDefecto) {
    if (c.EsPorDefecto()) c = porDefecto;
    return QColor(c.R(), c.G(), c.B());
}

Qt::PenStyle EstiloQt(TEstiloPluma e) {
    switch (e) {
        case TEstiloPluma::Solido: return Qt::SolidLine;
        case TEstiloPluma::Rayado: return Qt::DashLine;
        case TEstiloPluma::Punteado: return Qt::DotLine;
        case TEstiloPluma::RayaPunto: return Qt::DashDotLine;
        case TEstiloPluma::RayaPuntoPunto: return Qt::DashDotDotLine;
        case TEstiloPluma::Invisible: return Qt::NoPen;
    }
    return Qt::SolidLine;
}

QString TextoQt(std::string_view texto) {
    return QString::fromUtf8(texto.data(), static_cast<qsizetype>(texto.size()));
}

// The rectangle x1..x2-1, y1..y2-1 whatever the order of the corners.
QRect RectanguloExclusivo(int x1, int y1, int x2, int y2) {
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    return QRect(x1, y1, x2 - x1, y2 - y1);
}

QPolygon PoligonoQt(const std::vector<TPunto>& puntos) {
    QPolygon p;
    p.reserve(static_cast<qsizetype>(puntos.size()));
    for (const TPunto& q : puntos) p << QPoint(q.x, q.y);
    return p;
}

}  // namespace

TLienzoQt::TLienzoQt(QPainter& pintor) : pintor_(pintor) {
    pintor_.setRenderHint(QPainter::Antialiasing, false);
    pintor_.setRenderHint(QPainter::TextAntialiasing, true);
}

QFont TLienzoQt::FuenteActual() const {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(Fuente.Tamanio * kPixelesPorPunto))));
    return f;
}

void TLienzoQt::PrepararTrazo(bool rellenar) {
    if (Pluma.Color.EsNinguno() || Pluma.Estilo == TEstiloPluma::Invisible) {
        pintor_.setPen(Qt::NoPen);
    } else {
        QPen pluma(ColorQt(Pluma.Color, clNegro), std::max(Pluma.Ancho, 1), EstiloQt(Pluma.Estilo));
        pluma.setCapStyle(Qt::RoundCap);
        pluma.setJoinStyle(Qt::RoundJoin);
        pintor_.setPen(pluma);
    }
    const bool conBrocha = rellenar && Brocha.Estilo == TEstiloBrocha::Solido && !Brocha.Color.EsNinguno();
    pintor_.setBrush(conBrocha ? QBrush(ColorQt(Brocha.Color, clBlanco)) : QBrush(Qt::NoBrush));
}

TExtensionTexto TLienzoQt::ExtensionTexto(std::string_view texto) {
    const QFontMetrics medidas(FuenteActual(), pintor_.device());
    return {medidas.horizontalAdvance(TextoQt(texto)), medidas.height()};
}

void TLienzoQt::Texto(int x, int y, std::string_view texto) {
    const QFont fuente = FuenteActual();
    const QFontMetrics medidas(fuente, pintor_.device());
    const QString t = TextoQt(texto);
    pintor_.save();
    pintor_.translate(x, y);
    pintor_.rotate(-Fuente.Orientacion / 10.0);
    if (Brocha.Estilo == TEstiloBrocha::Solido && !Brocha.Color.EsNinguno())
        pintor_.fillRect(QRect(0, 0, medidas.horizontalAdvance(t), medidas.height()),
                         ColorQt(Brocha.Color, clBlanco));
    if (!Fuente.Color.EsNinguno()) {
        pintor_.setFont(fuente);
        pintor_.setPen(ColorQt(Fuente.Color, clNegro));
        pintor_.drawText(0, medidas.ascent(), t);
    }
    pintor_.restore();
}

void TLienzoQt::Linea(int x1, int y1, int x2, int y2) {
    PrepararTrazo(false);
    pintor_.drawLine(x1, y1, x2, y2);
}

void TLienzoQt::Rectangulo(int x1, int y1, int x2, int y2) {
    const QRect r = RectanguloExclusivo(x1, y1, x2, y2);
    PrepararTrazo(true);
    if (pintor_.brush().style() != Qt::NoBrush) pintor_.fillRect(r, pintor_.brush());
    pintor_.setBrush(Qt::NoBrush);
    if (pintor_.pen().style() != Qt::NoPen && r.width() > 0 && r.height() > 0)
        pintor_.drawRect(r.adjusted(0, 0, -1, -1));
}

void TLienzoQt::RellenarRectangulo(int x1, int y1, int x2, int y2) {
    if (Brocha.Estilo != TEstiloBrocha::Solido || Brocha.Color.EsNinguno()) return;
    pintor_.fillRect(RectanguloExclusivo(x1, y1, x2, y2), ColorQt(Brocha.Color, clBlanco));
}

void TLienzoQt::Elipse(int x1, int y1, int x2, int y2) {
    PrepararTrazo(true);
    pintor_.drawEllipse(RectanguloExclusivo(x1, y1, x2, y2).adjusted(0, 0, -1, -1));
}

void TLienzoQt::Poligono(const std::vector<TPunto>& puntos) {
    PrepararTrazo(true);
    pintor_.drawPolygon(PoligonoQt(puntos));
}

void TLienzoQt::Polilinea(const std::vector<TPunto>& puntos) {
    PrepararTrazo(false);
    pintor_.drawPolyline(PoligonoQt(puntos));
}

void TLienzoQt::Recortar(int x1, int y1, int x2, int y2) {
    pintor_.setClipRect(RectanguloExclusivo(x1, y1, x2, y2));
}
