#include "charts/lienzograbador.h"

#include <string_view>

namespace {

std::string_view NombreOperacion(TOperacionLienzo o) {
    switch (o) {
        case TOperacionLienzo::Texto: return "Texto";
        case TOperacionLienzo::Linea: return "Linea";
        case TOperacionLienzo::Rectangulo: return "Rectangulo";
        case TOperacionLienzo::RellenarRectangulo: return "RellenarRectangulo";
        case TOperacionLienzo::Elipse: return "Elipse";
        case TOperacionLienzo::Poligono: return "Poligono";
        case TOperacionLienzo::Polilinea: return "Polilinea";
        case TOperacionLienzo::Recortar: return "Recortar";
    }
    return "?";
}

// Code points of a UTF-8 text: the bytes that do not continue a sequence.
int CaracteresUtf8(std::string_view texto) {
    int n = 0;
    for (unsigned char c : texto)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

std::string ColorATexto(TColor c) { return std::to_string(c.Valor()); }

}  // namespace

std::string TOperacionGrabada::Descripcion() const {
    std::string d(NombreOperacion(operacion));
    for (const TPunto& p : puntos) d += " (" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
    if (!texto.empty()) d += " \"" + texto + "\"";
    d += " pluma " + ColorATexto(pluma.Color) + "/" + std::to_string(pluma.Ancho) + "/" +
         std::to_string(static_cast<int>(pluma.Estilo));
    d += " brocha " + ColorATexto(brocha.Color) + "/" + std::to_string(static_cast<int>(brocha.Estilo));
    d += " fuente " + std::to_string(fuente.Tamanio) + "/" + std::to_string(fuente.Orientacion) + "/" +
         ColorATexto(fuente.Color);
    return d;
}

TExtensionTexto TLienzoGrabador::ExtensionTexto(std::string_view texto) {
    return {CaracteresUtf8(texto) * Fuente.Tamanio * 6 / 10, 2 * Fuente.Tamanio};
}

void TLienzoGrabador::Grabar(TOperacionLienzo operacion, std::vector<TPunto> puntos, std::string texto) {
    operaciones_.push_back({operacion, std::move(puntos), std::move(texto), Pluma, Brocha, Fuente});
}

void TLienzoGrabador::Texto(int x, int y, std::string_view texto) {
    Grabar(TOperacionLienzo::Texto, {{x, y}}, std::string(texto));
}
void TLienzoGrabador::Linea(int x1, int y1, int x2, int y2) {
    Grabar(TOperacionLienzo::Linea, {{x1, y1}, {x2, y2}});
}
void TLienzoGrabador::Rectangulo(int x1, int y1, int x2, int y2) {
    Grabar(TOperacionLienzo::Rectangulo, {{x1, y1}, {x2, y2}});
}
void TLienzoGrabador::RellenarRectangulo(int x1, int y1, int x2, int y2) {
    Grabar(TOperacionLienzo::RellenarRectangulo, {{x1, y1}, {x2, y2}});
}
void TLienzoGrabador::Elipse(int x1, int y1, int x2, int y2) {
    Grabar(TOperacionLienzo::Elipse, {{x1, y1}, {x2, y2}});
}
void TLienzoGrabador::Poligono(const std::vector<TPunto>& puntos) { Grabar(TOperacionLienzo::Poligono, puntos); }
void TLienzoGrabador::Polilinea(const std::vector<TPunto>& puntos) { Grabar(TOperacionLienzo::Polilinea, puntos); }
void TLienzoGrabador::Recortar(int x1, int y1, int x2, int y2) {
    Grabar(TOperacionLienzo::Recortar, {{x1, y1}, {x2, y2}});
}

std::vector<TOperacionGrabada> TLienzoGrabador::De(TOperacionLienzo operacion) const {
    std::vector<TOperacionGrabada> r;
    for (const auto& o : operaciones_)
        if (o.operacion == operacion) r.push_back(o);
    return r;
}

std::string TLienzoGrabador::Guion() const {
    std::string g;
    for (const auto& o : operaciones_) g += o.Descripcion() + "\n";
    return g;
}
