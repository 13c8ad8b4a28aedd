#pragma once
// The spreadsheet application as the report writer sees it, and a workbook
// held in memory that plays its part.
//
// The interface covers only the members of the application's object model
// that the writer and the report use, under the model's own member names:
// the application's Version, Workbooks(1) with its worksheets (by name and by
// position), its chart sheets and its 56-colour palette; cells and ranges
// with their values and number formats; charts with their type, title, source
// data, axes and series. What needs the application's rules (naming a sheet,
// adding one before the active sheet, taking the series from a range) is a
// virtual operation; the plain formatting properties of an axis, a series or
// an area are records that the caller sets field by field, as it would set
// the properties one by one.
//
// Where the application would answer with an automation error (a missing or
// duplicate sheet name, a reference outside the sheet, a series that does not
// exist), the in-memory workbook raises EErrorAutomatizacion.
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "charts/lienzo.h"
#include "numerics/errores.h"

// Colours are the charts' own TColor (0x00BBGGRR, with "none" and "default"),
// under the names the spreadsheet code uses for them.
inline constexpr TColor clNone = TColor::Ninguno();
inline constexpr TColor clDefault = TColor::PorDefecto();
constexpr TColor ColorRGB(uint8_t rojo, uint8_t verde, uint8_t azul) { return TColor::RGB(rojo, verde, azul); }

inline constexpr int ColoresPaletaExcel = 56;
using TPaletaExcel = std::array<TColor, ColoresPaletaExcel>;  // entry i - 1 is Colors(i)
// The palette of a new workbook.
const TPaletaExcel& PaletaExcelPorDefecto();

inline constexpr int FilasHojaExcel = 1048576;
inline constexpr int ColumnasHojaExcel = 16384;
inline constexpr int LargoMaximoNombreHoja = 31;

// A text as the file format holds it: UTF-8, with well-formed UTF-8 kept as
// it is and any other byte read as Latin-1 (the names of older files), and
// control characters (C0, DEL, C1) and the non-characters U+FFFE and U+FFFF
// dropped. With `conSaltos` tabs and line ends stay (cell texts and titles);
// without it they go too (sheet names and number formats).
std::string TextoXmlValido(std::string_view texto, bool conSaltos);

// What tells two sheet names apart for the application: the name as saved,
// without regard to case, accented and other non-ASCII letters included
// (Latin-1, Latin Extended-A, Greek and Cyrillic): "Año" and "AÑO" are one name.
std::string ClaveNombreHoja(std::string_view nombre);

// A failure that the spreadsheet application reports through automation.
class EErrorAutomatizacion : public EErrorQuendal {
public:
    using EErrorQuendal::EErrorQuendal;
};

// A cell's value: empty, a number (date-times are numbers too) or a text.
using TValorCelda = std::variant<std::monostate, double, std::string>;
using TDAOfVariant = std::vector<TValorCelda>;

// ---- Formatting records -------------------------------------------------

struct TBordeExcel {
    std::optional<TColor> Color;
    std::optional<int> ColorIndex;  // palette position 1..56
    std::optional<int> LineStyle;   // 1 continuous, -4115 dash, -4118 dot, 4 dash-dot
    std::optional<int> Weight;      // 1 hairline, 2 thin, -4138 medium, 4 thick
};

struct TInteriorExcel {
    std::optional<TColor> Color;
    std::optional<int> ColorIndex;
};

struct TTickLabelsExcel {
    std::string NumberFormat = "General";
    std::optional<int> Orientation;  // degrees
};

// Axes(type, group): type 1 categories (x), 2 values (y); group 1 primary.
// MinimumScale and MaximumScale hold no value while the bound is automatic:
// MinimumScaleIsAuto := true is MinimumScale.reset().
struct TEjeExcel {
    bool HasTitle = false;
    std::string AxisTitle;  // AxisTitle.Characters.Text
    std::optional<double> MinimumScale;
    std::optional<double> MaximumScale;
    TTickLabelsExcel TickLabels;
    std::optional<int> MajorTickMark;      // 3 outside, 2 inside, 4 cross, -4142 none
    std::optional<int> MinorTickMark;
    std::optional<int> TickLabelPosition;  // -4134 low, -4127 high, 4 next to axis
    bool HasMajorGridlines = false;
    bool HasMinorGridlines = false;
    TBordeExcel MajorGridlinesBorder;  // MajorGridlines.Border
    TBordeExcel MinorGridlinesBorder;  // MinorGridlines.Border
    std::optional<int> TickLabelSpacing;
    std::optional<int> TickMarkSpacing;
    std::optional<double> MajorUnit;
    std::optional<double> MinorUnit;
    std::optional<int> MajorUnitScale;
    std::optional<int> MinorUnitScale;
};

// The chart types (ChartType) the reports use, by the spreadsheet's own codes.
enum TTipoGraficoExcel {
    xlArea = 1,
    xlLine = 4,
    xlLineMarkers = 65,
    xlXYScatterLines = 74,
    xlXYScatterLinesNoMarkers = 75,
    xlAreaStacked = 76,
    xlXYScatter = -4169,
};

// SeriesCollection(i). Its data are columns of a worksheet, taken by
// SetSourceData: the name from the header row, the values below it.
struct TSerieExcel {
    std::string Name;
    std::string hojaOrigen;     // worksheet of the data
    int filaNombre = 0;         // header row
    int primeraFila = 0;        // first and last data row
    int ultimaFila = 0;
    int columnaCategorias = 0;  // the x values / categories
    int columnaValores = 0;
    int ChartType = 0;
    int AxisGroup = 1;
    TInteriorExcel Interior;
    TBordeExcel Border;
    std::optional<int> MarkerStyle;  // -4105 automatic
    std::optional<int> MarkerSize;
    std::optional<int> MarkerBackgroundColorIndex;
    std::optional<int> MarkerForegroundColorIndex;
    std::optional<TColor> MarkerForegroundColor;
};

struct TFuenteExcel {
    std::optional<double> Size;
};

struct TAreaGraficoExcel {  // ChartArea
    TFuenteExcel Font;
    TBordeExcel Border;
};

struct TAreaTrazadoExcel {  // PlotArea
    TInteriorExcel Interior;
    TBordeExcel Border;
};

struct TTituloGraficoExcel {  // HasTitle and ChartTitle.Characters.Text
    bool HasTitle = false;
    std::string Text;
};

// The parts of a chart that Select can pick.
enum class TParteGraficoExcel { Grafico, AreaGrafico, AreaTrazado, EjeCategorias, EjeValores };

// ---- The typed interface -----------------------------------------------

// A range of cells of a worksheet.
class IRangoExcel {
public:
    virtual ~IRangoExcel() = default;
    // Value := one value: every cell of the range takes it.
    virtual void SetValue(const TValorCelda& valor) = 0;
    // Value := an array: the cells, row by row, take the values in order;
    // the array must have one value per cell.
    virtual void SetValues(const TDAOfVariant& valores) = 0;
    virtual void SetNumberFormat(const std::string& formato) = 0;
};

// What worksheets and chart sheets share.
class IHojaDelLibro {
public:
    virtual ~IHojaDelLibro() = default;
    virtual const std::string& Name() const = 0;
    virtual void SetName(const std::string& nombre) = 0;
    virtual void Select() = 0;  // makes it the active sheet
};

class IHojaExcel : public IHojaDelLibro {
public:
    // Range("A1") or Range("A1:C3").
    virtual std::unique_ptr<IRangoExcel> Range(std::string_view referencia) = 0;
    virtual std::unique_ptr<IRangoExcel> cells(int fila, int columna) = 0;
};

class IGraficoExcel : public IHojaDelLibro {
public:
    virtual void Activate() = 0;
    virtual int ChartType() const = 0;
    // Sets the chart's type and the type of every series it holds.
    virtual void SetChartType(int tipo) = 0;
    // The series from a range: with plotBy 2 (columns), the first column
    // holds the categories, the first row the series names, and each further
    // column is one series. Other orientations are refused.
    virtual void SetSourceData(IHojaExcel& hoja, std::string_view referencia, int plotBy) = 0;
    virtual int SeriesCount() const = 0;                    // SeriesCollection.Count
    virtual TSerieExcel& SeriesCollection(int numero) = 0;  // 1-based
    virtual TEjeExcel& Axes(int tipo, int grupo = 1) = 0;
    virtual TTituloGraficoExcel& ChartTitle() = 0;
    virtual TAreaGraficoExcel& ChartArea() = 0;
    virtual TAreaTrazadoExcel& PlotArea() = 0;
    virtual void SelectPart(TParteGraficoExcel parte) = 0;
};

// Workbooks(i).
class ILibroExcel {
public:
    virtual ~ILibroExcel() = default;
    virtual int WorksheetsCount() const = 0;
    virtual IHojaExcel& Worksheets(int posicion) = 0;  // 1-based, among the worksheets
    virtual IHojaExcel& Worksheets(std::string_view nombre) = 0;
    // WorkSheets.Add with count 1 and type -4167 and no position: a worksheet
    // with a name of the application's, before the active sheet, made
    // active. Returns the added sheet.
    virtual IHojaExcel& AddWorksheet() = 0;
    // Charts.Add: a chart sheet before the active sheet, made active.
    virtual IGraficoExcel& AddChart() = 0;
    virtual IGraficoExcel& Charts(std::string_view nombre) = 0;
    virtual TColor Colors(int indice) const = 0;  // 1..56
    virtual void SetColors(int indice, TColor color) = 0;
};

class IAplicacionExcel {
public:
    virtual ~IAplicacionExcel() = default;
    // The application's version as it gives it, for instance "14.0".
    virtual std::string Version() const = 0;
    virtual ILibroExcel& Workbooks(int indice) = 0;
};

// ---- The workbook in memory --------------------------------------------

// A rectangle of cells, 1-based and inclusive.
struct TRectanguloCeldas {
    int fila1 = 1, columna1 = 1, fila2 = 1, columna2 = 1;

    bool Contiene(int fila, int columna) const {
        return fila >= fila1 && fila <= fila2 && columna >= columna1 && columna <= columna2;
    }
};

// Reads "B3" or "B3:D10" (letters in either case, each corner inside the
// sheet); the corners may come in any order. EErrorAutomatizacion otherwise.
TRectanguloCeldas LeerReferenciaRango(std::string_view referencia);

class TLibroEnMemoria;

class THojaEnMemoria final : public IHojaExcel {
public:
    THojaEnMemoria(TLibroEnMemoria& libro, std::string nombre);

    const std::string& Name() const override { return nombre_; }
    void SetName(const std::string& nombre) override;
    void Select() override;
    std::unique_ptr<IRangoExcel> Range(std::string_view referencia) override;
    std::unique_ptr<IRangoExcel> cells(int fila, int columna) override;

    // Reading back what was written.
    const TValorCelda& Valor(int fila, int columna) const;
    // The number format of a cell: the last one given to a range holding it.
    const std::string& FormatoNumero(int fila, int columna) const;
    using TCeldas = std::map<std::pair<int, int>, TValorCelda>;  // (row, column)
    const TCeldas& Celdas() const { return celdas_; }

    // For the ranges of this sheet.
    void FijarValor(int fila, int columna, const TValorCelda& valor);
    void FijarFormato(const TRectanguloCeldas& rango, const std::string& formato);

private:
    TLibroEnMemoria& libro_;
    std::string nombre_;
    TCeldas celdas_;  // empty values are not kept
    std::vector<std::pair<TRectanguloCeldas, std::string>> formatos_;  // in the order given
};

class TGraficoEnMemoria final : public IGraficoExcel {
public:
    TGraficoEnMemoria(TLibroEnMemoria& libro, std::string nombre);

    const std::string& Name() const override { return nombre_; }
    void SetName(const std::string& nombre) override;
    void Select() override;
    void Activate() override { Select(); }
    int ChartType() const override { return tipo_; }
    void SetChartType(int tipo) override;
    void SetSourceData(IHojaExcel& hoja, std::string_view referencia, int plotBy) override;
    int SeriesCount() const override { return static_cast<int>(series_.size()); }
    TSerieExcel& SeriesCollection(int numero) override;
    TEjeExcel& Axes(int tipo, int grupo = 1) override;
    TTituloGraficoExcel& ChartTitle() override { return titulo_; }
    TAreaGraficoExcel& ChartArea() override { return areaGrafico_; }
    TAreaTrazadoExcel& PlotArea() override { return areaTrazado_; }
    void SelectPart(TParteGraficoExcel parte) override { seleccion_ = parte; }

    // Reading back.
    const std::vector<TSerieExcel>& Series() const { return series_; }
    // The axis when it was ever reached, else nothing.
    const TEjeExcel* EjeSiExiste(int tipo, int grupo = 1) const;
    const TTituloGraficoExcel& Titulo() const { return titulo_; }
    const TAreaGraficoExcel& AreaGrafico() const { return areaGrafico_; }
    const TAreaTrazadoExcel& AreaTrazado() const { return areaTrazado_; }
    TParteGraficoExcel Seleccion() const { return seleccion_; }

private:
    TLibroEnMemoria& libro_;
    std::string nombre_;
    int tipo_ = 0;
    std::vector<TSerieExcel> series_;
    std::map<std::pair<int, int>, TEjeExcel> ejes_;  // (type, group)
    TTituloGraficoExcel titulo_;
    TAreaGraficoExcel areaGrafico_;
    TAreaTrazadoExcel areaTrazado_;
    TParteGraficoExcel seleccion_ = TParteGraficoExcel::Grafico;
};

// A new workbook has one worksheet, "Hoja1", active, and the default palette.
class TLibroEnMemoria final : public ILibroExcel {
public:
    TLibroEnMemoria();
    TLibroEnMemoria(const TLibroEnMemoria&) = delete;
    TLibroEnMemoria& operator=(const TLibroEnMemoria&) = delete;

    int WorksheetsCount() const override;
    IHojaExcel& Worksheets(int posicion) override;
    IHojaExcel& Worksheets(std::string_view nombre) override;
    IHojaExcel& AddWorksheet() override;
    IGraficoExcel& AddChart() override;
    IGraficoExcel& Charts(std::string_view nombre) override;
    TColor Colors(int indice) const override;
    void SetColors(int indice, TColor color) override;

    // Every sheet, worksheets and chart sheets, in the workbook's order.
    int CantidadHojas() const { return static_cast<int>(hojas_.size()); }
    const IHojaDelLibro& Hoja(int posicion) const;  // 1-based
    int PosicionActiva() const { return activa_ + 1; }
    const TPaletaExcel& Paleta() const { return paleta_; }
    THojaEnMemoria& HojaDeTrabajo(std::string_view nombre);
    TGraficoEnMemoria& Grafico(std::string_view nombre);

    // For the sheets: raises unless `nombre` is a valid name free for `hoja`.
    void VerificarNombre(const std::string& nombre, const IHojaDelLibro* hoja) const;
    void Activar(const IHojaDelLibro& hoja);

private:
    IHojaDelLibro* Buscar(std::string_view nombre) const;
    std::string NombreNuevo(std::string_view prefijo);
    void InsertarAntesDeLaActiva(std::unique_ptr<IHojaDelLibro> hoja);

    std::vector<std::unique_ptr<IHojaDelLibro>> hojas_;
    int activa_ = 0;  // 0-based position of the active sheet
    int hojasCreadas_ = 0;
    int graficosCreados_ = 0;
    TPaletaExcel paleta_;
};

// The application with its one workbook.
class TAplicacionEnMemoria final : public IAplicacionExcel {
public:
    explicit TAplicacionEnMemoria(std::string version = "16.0") : version_(std::move(version)) {}

    std::string Version() const override { return version_; }
    ILibroExcel& Workbooks(int indice) override;
    TLibroEnMemoria& Libro() { return libro_; }
    const TLibroEnMemoria& Libro() const { return libro_; }

private:
    std::string version_;
    TLibroEnMemoria libro_;
};
