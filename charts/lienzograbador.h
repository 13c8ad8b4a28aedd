#pragma once
// A canvas that draws nothing and keeps every operation with the pen, brush
// and font in force, so tests can read what a drawing did. Texts measure
// 6/10 of the font size per character in width and twice the size in height.
#include <string>
#include <vector>

#include "charts/lienzo.h"

enum class TOperacionLienzo : uint8_t {
    Texto,
    Linea,
    Rectangulo,
    RellenarRectangulo,
    Elipse,
    Poligono,
    Polilinea,
    Recortar,
};

struct TOperacionGrabada {
    TOperacionLienzo operacion;
    std::vector<TPunto> puntos;  // the two corners, or the points
    std::string texto;
    TPluma pluma;
    TBrocha brocha;
    TFuente fuente;

    // One line that names the operation, its points, its text and the state.
    std::string Descripcion() const;
};

class TLienzoGrabador : public TLienzo {
public:
    TExtensionTexto ExtensionTexto(std::string_view texto) override;
    void Texto(int x, int y, std::string_view texto) override;
    void Linea(int x1, int y1, int x2, int y2) override;
    void Rectangulo(int x1, int y1, int x2, int y2) override;
    void RellenarRectangulo(int x1, int y1, int x2, int y2) override;
    void Elipse(int x1, int y1, int x2, int y2) override;
    void Poligono(const std::vector<TPunto>& puntos) override;
    void Polilinea(const std::vector<TPunto>& puntos) override;
    void Recortar(int x1, int y1, int x2, int y2) override;

    const std::vector<TOperacionGrabada>& Operaciones() const { return operaciones_; }
    std::vector<TOperacionGrabada> De(TOperacionLienzo operacion) const;
    // Every description, one per line.
    std::string Guion() const;
    void Borrar() { operaciones_.clear(); }

private:
    void Grabar(TOperacionLienzo operacion, std::vector<TPunto> puntos, std::string texto = {});
    std::vector<TOperacionGrabada> operaciones_;
};
