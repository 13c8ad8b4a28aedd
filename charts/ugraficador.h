#pragma once
// The system's own charts: x-y plots with a title, axis titles, a legend,
// tick labels, a grid, text boxes, a small logo and a footnote.
//
// A chart (TGrafico) owns its three axes (x, left y, right y), its series and
// its boxes. Each drawing derives the ranges from the series, scales the axes
// to round steps (uescalaejes), lays the plot rectangle out from the sizes of
// the texts around it and draws everything in a fixed order on any TLienzo;
// GuardarJPG draws on a bitmap and saves it as JPEG.
//
// Sound behaviour where the plain layout would fail:
// - values that are not finite are left out of the ranges (they still map to
//   the pixel -32767 and fall outside the clipped plot);
// - an axis whose shown range is empty or not finite gets a scale of 0
//   instead of a division by zero;
// - drawing a chart twice (file, then screen) gives the same picture: every
//   automatic division search starts from the axis' initial count, not from
//   the count the last drawing chose; an axis without data keeps the data
//   range of the last drawing, not its widened bounds; the font colour
//   starts black; cumulative bars leave the palette counter as they found it;
// - the axis of a cumulative bar runs from 0 to 100, so each segment is as
//   high as its percentage; the left axis of grouped bars shows their base 0;
// - a line series longer than its x series draws only the points both have;
// - stacked areas and bars read a missing value of a shorter series as 0, an
//   empty first series draws nothing, and category and cumulative labels are
//   drawn only where the series has them.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "charts/lienzo.h"
#include "numerics/xmatdefs.h"

// ---- Palette and markers ----

using TkColorPaleta = int32_t;  // 0 to 14

struct TColorPaleta {
    const char* nombre;
    TColor color;
};

inline constexpr int kColoresPaleta = 15;
extern const std::array<TColorPaleta, kColoresPaleta> PaletaDeColores;

enum TTipoMarcador : uint8_t {
    TM_Circulo = 0,
    TM_Cuadro = 1,
    TM_Rombo = 2,
    TM_Cruz = 3,
    TM_X = 4,
};
inline constexpr int kTiposMarcador = 5;
const char* NombreMarcador(TTipoMarcador tipo);

// How a series is drawn.
enum TTipoSerieGrafico : uint8_t {
    TSG_Listada = 0,            // counted in ranges and legend, never drawn
    TSG_AreaApilada = 1,
    TSG_LineaConMarcadores = 2,
    TSG_BarrasAgrupadas = 3,
    TSG_BarraAcumulada = 4,
};

// Label kinds of an axis.
enum TTipoEtiqueta : uint8_t {
    TE_Real = 0,
    TE_Entero = 1,
    TE_FechaHora = 2,
};

// Roles of a series.
enum TRolSerie : uint8_t {
    RS_Otra = 0,
    RS_Abscisa = 1,
    RS_ConSerieX = 2,
};

class TGrafico;

// ---- Axis ----

class TEjeGrafico {
public:
    // The title without its leading and trailing characters below code 33.
    static std::unique_ptr<TEjeGrafico> Create(std::string_view titulo, uint8_t tipoEtiqueta);

    void FijarMinimo(double v);
    void FijarMaximo(double v);
    // A count below 1 becomes 1.
    void FijarDivisiones(int n);
    // On entry the data bounds, on return the shown bounds; sets the bounds,
    // divisions, origin and step of the axis. Bounds that are not finite fall
    // back to 0 and 1; fixed bounds in the wrong order are swapped.
    void Escalar(double& min, double& max);
    // Text of tick i: origin + i x step in the axis' label kind. Real labels
    // in a format of decimals take more than Digitos decimals when the step
    // is finer than those (DecimalesDeEtiquetas).
    std::string Etiqueta(int i) const;
    int DecimalesDeEtiquetas() const;
    double ValorMarca(int i) const { return Origen + i * Paso; }

    std::string Titulo;
    double MinDatos = 0, MaxDatos = 0;
    double MinFijo = 0, MaxFijo = 0;
    double MinTrabajo = 0, MaxTrabajo = 0;
    double MinMostrado = 0, MaxMostrado = 0;
    bool MinAutomatico = true, MaxAutomatico = true;
    double Origen = 0;
    double Paso = 1;
    int32_t Divisiones = 10;          // intervals between ticks, set by scaling
    int32_t DivisionesFijas = 0;
    bool DivisionesAutomaticas = true;
    bool Grilla = true;
    bool EtiquetasVerticales = true;  // x tick labels drawn; bars clear it
    uint8_t TipoEtiqueta = TE_Real;
    int32_t FormatoNumero = 2;        // TFormatoReal of formatonumeros.h
    int32_t Precision = 12;
    int32_t Digitos = 2;
    std::string FormatoFecha = "yyyy/mm/dd hh:mm";

private:
    TEjeGrafico() = default;
    // The count every automatic search starts from.
    int32_t divisionesIniciales_ = 10;
};

// ---- Series ----

class TSerieGrafico {
public:
    // With a chart: the three colours take the chart's next palette colour,
    // the marker its next marker kind and the kind its default kind. Without:
    // black, TM_Cruz and kind 0. The series is not added to the chart.
    static std::unique_ptr<TSerieGrafico> Create(std::string_view nombre, TDAofNReal valores,
                                                 TSerieGrafico* serieX, TGrafico* grafico,
                                                 std::string_view formatoVisual, bool esAbscisa);

    std::string Nombre;
    TColor ColorRelleno = clNegro;
    TColor ColorLinea = clNegro;
    TColor ColorRellenoMarcador = clNinguno;
    TColor ColorMarcador = clNegro;
    TTipoMarcador TipoMarcador = TM_Cruz;
    uint8_t TipoSerie = TSG_Listada;
    uint8_t Rol = RS_Otra;
    TDAofNReal Valores;  // y values, or the x values of an abscissa series
    int32_t TamanioMarcador = 3;
    int32_t AnchoMarcador = 1;
    int32_t AnchoLinea = 1;
    TDAofString Etiquetas;
    TSerieGrafico* SerieX = nullptr;  // not owned: another series of the chart
    bool EjeDerecho = false;
    std::string FormatoVisual;

private:
    TSerieGrafico() = default;
};

// ---- Text box ----

class TCajaGraficoXY {
public:
    static std::unique_ptr<TCajaGraficoXY> Create(double x1, double y1, double x2, double y2,
                                                  std::string_view texto);

    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // chart units
    std::string Texto;
    TColor ColorRelleno = clNinguno;
    TColor ColorBorde = clNegro;
    TColor ColorTexto = clNegro;
    bool EjeDerecho = false;
    TEstiloPluma EstiloPluma = TEstiloPluma::Solido;
    TEstiloBrocha EstiloBrocha = TEstiloBrocha::Solido;

private:
    TCajaGraficoXY() = default;
};

// ---- Chart ----

// Pixel of a mapped value: -32767 below that or for NaN, 32767 above,
// otherwise truncated toward zero.
int AcotarPixel(double t);

// Draws a marker with the pen and brush in force, at pen width `anchoPluma`
// (the width found is restored) and half size e.
void DibujarMarcador(TLienzo& lienzo, int x, int y, TTipoMarcador tipo, int anchoPluma, int e);
// The four coloured squares and "Tarnek" in the font size in force.
void DibujarLogo(TLienzo& lienzo, int x, int y);

class TGrafico {
public:
    static std::unique_ptr<TGrafico> Create(std::string_view nombre, std::string_view notaPie,
                                            uint8_t tipoSeriePorDefecto, int32_t logo);
    virtual ~TGrafico();

    // Takes ownership and returns the series. An abscissa series joins the
    // abscissa list; any other the y list, and a line series without an x
    // series first gets the chart's first abscissa series.
    TSerieGrafico* AgregarSerie(std::unique_ptr<TSerieGrafico> serie);
    TCajaGraficoXY* AgregarCaja(std::unique_ptr<TCajaGraficoXY> caja);

    TColor SiguienteColor();
    TTipoMarcador SiguienteMarcador();

    // Draws the whole chart on a canvas of ancho x alto pixels; leaves the
    // canvas' pen, brush, font and clipping changed.
    virtual void Dibujar(TLienzo& lienzo, int ancho, int alto);
    // Draws on a bitmap and saves it as JPEG of the given quality (1 to 100).
    // Needs a QGuiApplication for the fonts; raises EInOutError when there is
    // none or when the file cannot be written.
    void GuardarJPG(const std::string& archivo, int ancho, int alto, int calidad);

    int PixelX(double x) const;
    int PixelY(double y) const;
    int PixelY2(double y) const;

    const std::string& Nombre() const { return nombre_; }
    const std::string& NotaPie() const { return notaPie_; }
    uint8_t TipoSeriePorDefecto() const { return tipoSeriePorDefecto_; }
    int32_t Logo() const { return logo_; }
    const std::vector<std::unique_ptr<TSerieGrafico>>& SeriesY() const { return seriesY_; }
    const std::vector<std::unique_ptr<TSerieGrafico>>& SeriesAbscisa() const { return seriesAbscisa_; }
    const std::vector<std::unique_ptr<TCajaGraficoXY>>& Cajas() const { return cajas_; }

    std::string Titulo;
    std::unique_ptr<TEjeGrafico> EjeX, EjeY, EjeY2;
    int32_t TamanioFuente = 12;

    // Layout of the last drawing.
    int32_t PlotIzquierda = 0, PlotArriba = 0, PlotDerecha = 0, PlotAbajo = 0;
    double EscalaX = 0, EscalaY = 0, EscalaY2 = 0;
    double MinX = 0, MaxX = 0, MinY = 0, MaxY = 0, MinY2 = 0, MaxY2 = 0;

private:
    TGrafico() = default;

    // One drawing's series sorted by kind and by axis (0 left, 1 right).
    using TListaSeries = std::vector<const TSerieGrafico*>;
    struct TListasPorTipo {
        std::array<std::array<TListaSeries, 2>, 5> listas;
        const TListaSeries& De(uint8_t tipo, int eje) const { return listas[tipo][eje]; }
        bool Hay(uint8_t tipo) const { return !listas[tipo][0].empty() || !listas[tipo][1].empty(); }
    };

    // Steps of the drawing.
    void CalcularRangoX();
    void DetectarEjeDeFechas();
    TListasPorTipo CalcularRangosY();
    void SumarRangoApilado(const TListaSeries& lista, double& min, double& max, int& cuenta);
    void EscalarEjes();
    void MedirTextos(TLienzo& lienzo, const TListasPorTipo& listas);
    void Distribuir(TLienzo& lienzo, int ancho, int alto);
    void DibujarFondoYTitulo(TLienzo& lienzo, int ancho, int alto);
    void DibujarLeyenda(TLienzo& lienzo, int ancho);
    void DibujarSeries(TLienzo& lienzo, int ancho, int alto, const TListasPorTipo& listas);
    void DibujarEtiquetasDeEjes(TLienzo& lienzo);
    void DibujarTitulosDeEjes(TLienzo& lienzo, int ancho, int alto);
    void DibujarGrilla(TLienzo& lienzo);
    void DibujarCaja(const TCajaGraficoXY& caja, TLienzo& lienzo);
    void DibujarLogoYNota(TLienzo& lienzo, int ancho, int alto);

    // Lines and markers.
    void DibujarLineas(TLienzo& lienzo, const TListaSeries& lista);
    void DibujarMarcadores(TLienzo& lienzo, const TListaSeries& lista);
    std::vector<TPunto> PuntosDeSerie(const TSerieGrafico& serie) const;
    int PixelYDeSerie(const TSerieGrafico& serie, double y) const;

    // Areas and bars.
    void DibujarAreasApiladas(TLienzo& lienzo, const TListaSeries& lista);
    void DibujarBarrasAgrupadas(TLienzo& lienzo, const TListaSeries& lista);
    void DibujarEtiquetasDeBarras(TLienzo& lienzo, int ancho, int alto);
    void DibujarBarraAcumulada(TLienzo& lienzo, const TListaSeries& lista);
    void DibujarEtiquetasAcumuladas(TLienzo& lienzo, int ancho, int alto);

    std::string nombre_;
    std::string notaPie_;
    std::vector<std::unique_ptr<TSerieGrafico>> seriesY_;
    std::vector<std::unique_ptr<TSerieGrafico>> seriesAbscisa_;
    std::vector<std::unique_ptr<TCajaGraficoXY>> cajas_;
    uint8_t tipoSeriePorDefecto_ = TSG_LineaConMarcadores;
    int32_t logo_ = 0;
    TDAofNInt centrosDeBarras_;
    TDAofNInt filasAcumuladas_;
    int32_t contadorPaleta_ = 0;
    int32_t contadorMarcador_ = 0;

    // Counts of series behind the left and the right range of this drawing.
    int cuentaIzquierda_ = 0, cuentaDerecha_ = 0;
    int marcadorMayor_ = 0;

    // Text metrics of the last drawing.
    int unidad_ = 0;             // half the height of "M"
    int altoTitulo_ = 0;
    int altoTituloX_ = 0;
    int altoTituloDerecho_ = 0;
    int altoTituloIzquierdo_ = 0;
    int anchoLeyenda_ = 0;
    int anchoEtiquetasAcumuladas_ = 0;
    int altoFilaLeyenda_ = 0;
    int anchoEtiquetasIzquierda_ = 0;
    int anchoEtiquetasDerecha_ = 0;
    int altoEtiquetasX_ = 0;
};

// ---- Pairs of series ----

// How the ordinate series of a pair looks: its marker's colour, size and pen
// width; with lineaConectora its points are joined by a line of that colour
// and width, otherwise by none; with ejeDerecho it goes on the right axis.
struct TAspectoSerie {
    TColor color;
    int32_t tamanio;
    int32_t pluma;
    bool lineaConectora = false;
    bool ejeDerecho = false;
};

// Adds an abscissa series with display format "##.##" and an ordinate series
// over it, which takes the chart's next palette colour and marker kind and
// then the look given.
void AgregarPar(TGrafico& grafico, std::string_view nombreX, TDAofNReal xs, std::string_view nombreY,
                TDAofNReal ys, const TAspectoSerie& aspecto);
