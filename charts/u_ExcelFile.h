#pragma once
// The spreadsheet writer: a cursor over the worksheets of workbook 1 of a
// spreadsheet application, with texts, a row buffer that writes values a row
// at a time, number formats and chart sheets. It drives the application
// through the typed interface of charts/libroexcel.h and checks nothing of
// what it asks: what the application refuses comes back as its error.
//
// Cell references are in A1 notation: the column letters are bijective base
// 26 (1 is A, 26 is Z, 27 is AA, 703 is AAA) followed by the row number.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "charts/libroexcel.h"

std::string letrasColumna(int columna);
std::string refCelda(int fila, int columna);
std::string refRango(int fila1, int columna1, int fila2, int columna2);
// 1-based position of the first palette entry equal to the colour; -1 when
// there is none.
int32_t indiceColor(TColor color, const TPaletaExcel& paleta);

// Texts of at most this many bytes reach a cell; longer ones are cut at a
// character boundary.
inline constexpr std::size_t LargoMaximoTextoCorto = 255;

struct TExcelFile {
    int32_t nValores = 0;                // values waiting in the row buffer
    TDAOfVariant bufferFila;             // the row buffer; its length is its capacity
    IAplicacionExcel* excel = nullptr;   // the application, not owned
    IHojaExcel* hoja = nullptr;          // the current worksheet
    std::unique_ptr<IRangoExcel> rango;  // the current range
    int32_t fila = 1;                    // cursor, 1-based
    int32_t columna = 1;
    std::string etiqueta;                // copied by the report into its first line

    // A writer on `excel`, with a row buffer of `capacidadBuffer` values, the
    // first worksheet of workbook 1 as current sheet and the cursor at (1, 1).
    // A capacity below 1 is refused: a full buffer must keep the new value.
    static TExcelFile Create(IAplicacionExcel& excel, int capacidadBuffer, std::string etiqueta = {});

    // Cursor.
    void irACelda(int fila, int columna);
    void nuevaFila();
    // The column where the next buffered value will land.
    int32_t columnaActual() const;

    // Sheets and ranges.
    ILibroExcel& libro() const;  // Workbooks(1)
    IHojaExcel& getHoja(std::string_view nombre) const;
    void seleccionarHoja(std::string_view nombre);
    void irAHoja(std::string_view nombre, int fila, int columna);
    // Adds a worksheet before the active sheet and names it.
    void agregarHoja(const std::string& nombre);
    void seleccionarRango(int fila1, int columna1, int fila2, int columna2);
    // Writes the console line "EXCEL v:<version> cambiarForamto: <formato>"
    // and gives the current range that number format.
    void cambiarFormato(const std::string& formato);
    // The application's version as a number (14 for the 2010 release), read
    // with '.' as decimal point whatever the settings in force.
    double versionExcel() const;
    TPaletaExcel leerPaleta() const;

    // Cells at the cursor.
    void escribirCelda(const TValorCelda& valor);
    void escribirTexto(std::string_view texto);
    void escribirTextoLn(std::string_view texto);
    void escribirValores(const TDAOfVariant& valores);
    void escribirValoresLn(const TDAOfVariant& valores);
    // Row buffer: values reach the sheet when the buffer is full (the row
    // goes on) and at volcarFila (the row ends).
    void agregarValor(const TValorCelda& valor);
    void volcarFila();

    // Charts. crearGrafico returns the chart sheet's name, "g" and the sheet
    // name.
    std::string crearGrafico(std::string_view nombreHoja, int columna1, int columna2, int fila1, int fila2,
                             int tipoGrafico);
    void configurarGrafico(std::string_view nombreGrafico, int tipoGrafico, const std::string& titulo,
                           const std::string& tituloEjeValores, bool minimoAutomatico, bool maximoAutomatico,
                           double minimo, double maximo, double minimoCategorias, double maximoCategorias,
                           const std::string& tituloEjeCategorias);
    void formatearSerie(std::string_view nombreGrafico, int numeroSerie, int tipoGraficoPrincipal,
                        int tipoGraficoSerie, int grupoEje, TColor color, TColor colorFondoMarcador);
};
