#pragma once
// The canvas the charts draw on, whatever is behind it: a window's paint box,
// an off-screen bitmap saved as JPEG, or the recording canvas of the tests.
//
// Its rules are those of the desktop canvas the charts were laid out for:
// - pen, brush and font are state that the drawing operations read;
// - rectangles, ellipses and polygons are outlined with the pen and filled
//   with the brush unless the brush is clear; a rectangle from (x1, y1) to
//   (x2, y2) covers x1..x2-1 and y1..y2-1;
// - a colour "none" paints nothing; "default" is the canvas' own colour
//   (black for pen and text, white for the brush);
// - text is anchored at its top-left corner and turned about that point by
//   the font's orientation, in tenths of a degree counter-clockwise; with a
//   solid brush its background is filled with the brush colour;
// - font sizes are points at 96 pixels per inch.
#include <cstdint>
#include <string_view>
#include <vector>

// A 24-bit RGB colour, or one of the two special values.
class TColor {
public:
    constexpr TColor() = default;
    static constexpr TColor RGB(uint8_t r, uint8_t g, uint8_t b) {
        return TColor(static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 |
                      static_cast<uint32_t>(b) << 16);
    }
    static constexpr TColor Ninguno() { return TColor(kNinguno); }
    static constexpr TColor PorDefecto() { return TColor(kPorDefecto); }

    constexpr bool EsNinguno() const { return valor_ == kNinguno; }
    constexpr bool EsPorDefecto() const { return valor_ == kPorDefecto; }
    constexpr bool EsRGB() const { return valor_ <= 0xFFFFFF; }
    constexpr uint8_t R() const { return static_cast<uint8_t>(valor_ & 0xFF); }
    constexpr uint8_t G() const { return static_cast<uint8_t>(valor_ >> 8 & 0xFF); }
    constexpr uint8_t B() const { return static_cast<uint8_t>(valor_ >> 16 & 0xFF); }
    constexpr uint32_t Valor() const { return valor_; }

    constexpr bool operator==(const TColor&) const = default;

private:
    static constexpr uint32_t kNinguno = 0x1FFFFFFF;
    static constexpr uint32_t kPorDefecto = 0x20000000;
    constexpr explicit TColor(uint32_t v) : valor_(v) {}
    uint32_t valor_ = 0;  // black
};

inline constexpr TColor clNegro = TColor::RGB(0, 0, 0);
inline constexpr TColor clBlanco = TColor::RGB(255, 255, 255);
inline constexpr TColor clRojo = TColor::RGB(255, 0, 0);
inline constexpr TColor clGris = TColor::RGB(128, 128, 128);
inline constexpr TColor clVerde = TColor::RGB(0, 128, 0);
inline constexpr TColor clAzul = TColor::RGB(0, 0, 255);
inline constexpr TColor clFucsia = TColor::RGB(255, 0, 255);
inline constexpr TColor clAgua = TColor::RGB(0, 255, 255);
inline constexpr TColor clNinguno = TColor::Ninguno();
inline constexpr TColor clPorDefecto = TColor::PorDefecto();

enum class TEstiloPluma : uint8_t { Solido, Rayado, Punteado, RayaPunto, RayaPuntoPunto, Invisible };
enum class TEstiloBrocha : uint8_t { Solido, Transparente };

struct TPluma {
    TColor Color = clNegro;
    int Ancho = 1;
    TEstiloPluma Estilo = TEstiloPluma::Solido;
};

struct TBrocha {
    TColor Color = clBlanco;
    TEstiloBrocha Estilo = TEstiloBrocha::Solido;
};

struct TFuente {
    int Tamanio = 10;       // points at 96 pixels per inch
    int Orientacion = 0;    // tenths of a degree, counter-clockwise
    TColor Color = clNegro;
};

struct TPunto {
    int x = 0, y = 0;
    bool operator==(const TPunto&) const = default;
};

struct TExtensionTexto {
    int ancho = 0, alto = 0;
};

class TLienzo {
public:
    virtual ~TLienzo() = default;

    TPluma Pluma;
    TBrocha Brocha;
    TFuente Fuente;

    // Measures of a text in the current font, unturned.
    virtual TExtensionTexto ExtensionTexto(std::string_view texto) = 0;
    int AnchoTexto(std::string_view texto) { return ExtensionTexto(texto).ancho; }
    int AltoTexto(std::string_view texto) { return ExtensionTexto(texto).alto; }

    virtual void Texto(int x, int y, std::string_view texto) = 0;
    virtual void Linea(int x1, int y1, int x2, int y2) = 0;
    void MoverA(int x, int y) { posicion_ = {x, y}; }
    void LineaA(int x, int y) {
        Linea(posicion_.x, posicion_.y, x, y);
        posicion_ = {x, y};
    }
    virtual void Rectangulo(int x1, int y1, int x2, int y2) = 0;
    // Fills with the brush and draws no outline.
    virtual void RellenarRectangulo(int x1, int y1, int x2, int y2) = 0;
    virtual void Elipse(int x1, int y1, int x2, int y2) = 0;
    virtual void Poligono(const std::vector<TPunto>& puntos) = 0;
    virtual void Polilinea(const std::vector<TPunto>& puntos) = 0;
    // Later drawing is limited to the rectangle (x1..x2-1, y1..y2-1).
    virtual void Recortar(int x1, int y1, int x2, int y2) = 0;

private:
    TPunto posicion_;
};
