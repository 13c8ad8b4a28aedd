#include "charts/u_ExcelFile.h"

#include <charconv>

#include "numerics/consola.h"
#include "numerics/textoreal.h"

namespace {

constexpr int xlMarkerStyleAutomatic = -4105;
constexpr int xlColumns = 2;

std::string TextoEntero(int n) {
    char texto[16];
    return std::string(texto, std::to_chars(texto, texto + sizeof texto, n).ptr);
}

// The first `largo` bytes of a text, stepping back so as not to split a
// UTF-8 character.
std::string_view RecortarUtf8(std::string_view texto, std::size_t largo) {
    if (texto.size() <= largo) return texto;
    while (largo > 0 && (static_cast<unsigned char>(texto[largo]) & 0xC0) == 0x80) --largo;
    return texto.substr(0, largo);
}

}  // namespace

std::string letrasColumna(int columna) {
    std::string letras;
    for (int n = columna; n > 0; n = (n - 1) / 26) letras.insert(letras.begin(), char('A' + (n - 1) % 26));
    return letras;
}

std::string refCelda(int fila, int columna) { return letrasColumna(columna) + TextoEntero(fila); }

std::string refRango(int fila1, int columna1, int fila2, int columna2) {
    return refCelda(fila1, columna1) + ":" + refCelda(fila2, columna2);
}

int32_t indiceColor(TColor color, const TPaletaExcel& paleta) {
    for (std::size_t i = 0; i < paleta.size(); ++i)
        if (paleta[i] == color) return static_cast<int32_t>(i + 1);
    return -1;
}

TExcelFile TExcelFile::Create(IAplicacionExcel& excel, int capacidadBuffer, std::string etiqueta) {
    if (capacidadBuffer < 1)
        throw EErrorQuendal("TExcelFile: la capacidad del buffer de fila debe ser al menos 1, no " +
                            TextoEntero(capacidadBuffer));
    TExcelFile w;
    w.bufferFila.resize(static_cast<std::size_t>(capacidadBuffer));
    w.excel = &excel;
    w.hoja = &w.libro().Worksheets(1);
    w.etiqueta = std::move(etiqueta);
    return w;
}

void TExcelFile::irACelda(int f, int c) {
    fila = f;
    columna = c;
}

void TExcelFile::nuevaFila() {
    ++fila;
    columna = 1;
}

int32_t TExcelFile::columnaActual() const { return columna + nValores; }

ILibroExcel& TExcelFile::libro() const {
    if (excel == nullptr) throw EErrorAutomatizacion("TExcelFile: el escritor no tiene aplicación");
    return excel->Workbooks(1);
}

IHojaExcel& TExcelFile::getHoja(std::string_view nombre) const { return libro().Worksheets(nombre); }

void TExcelFile::seleccionarHoja(std::string_view nombre) {
    hoja = &getHoja(nombre);
    hoja->Select();
    irACelda(1, 1);
}

void TExcelFile::irAHoja(std::string_view nombre, int f, int c) {
    seleccionarHoja(nombre);
    irACelda(f, c);
}

// The new sheet is named through the sheet that was added, wherever the
// application put it (before the active sheet, not necessarily first).
void TExcelFile::agregarHoja(const std::string& nombre) { libro().AddWorksheet().SetName(nombre); }

void TExcelFile::seleccionarRango(int fila1, int columna1, int fila2, int columna2) {
    if (hoja == nullptr) throw EErrorAutomatizacion("TExcelFile: no hay hoja seleccionada");
    rango = hoja->Range(refRango(fila1, columna1, fila2, columna2));
}

void TExcelFile::cambiarFormato(const std::string& formato) {
    EscribirLineaEnConsola("EXCEL v:" + RealATextoDefecto(versionExcel()) + " cambiarForamto: " + formato);
    if (!rango) throw EErrorAutomatizacion("TExcelFile: no hay rango seleccionado");
    rango->SetNumberFormat(formato);
}

double TExcelFile::versionExcel() const {
    if (excel == nullptr) throw EErrorAutomatizacion("TExcelFile: el escritor no tiene aplicación");
    const std::string texto = excel->Version();
    double version = 0;
    if (!TextoDefectoAReal(texto, version))
        throw EConvertError("\"" + texto + "\" no es una versión de Excel válida");
    return version;
}

TPaletaExcel TExcelFile::leerPaleta() const {
    ILibroExcel& l = libro();
    TPaletaExcel paleta{};
    for (int i = 1; i <= ColoresPaletaExcel; ++i) paleta[static_cast<std::size_t>(i - 1)] = l.Colors(i);
    return paleta;
}

void TExcelFile::escribirCelda(const TValorCelda& valor) {
    if (hoja == nullptr) throw EErrorAutomatizacion("TExcelFile: no hay hoja seleccionada");
    hoja->cells(fila, columna)->SetValue(valor);
    ++columna;
}

void TExcelFile::escribirTexto(std::string_view texto) {
    escribirCelda(std::string(RecortarUtf8(texto, LargoMaximoTextoCorto)));
}

void TExcelFile::escribirTextoLn(std::string_view texto) {
    escribirTexto(texto);
    nuevaFila();
}

void TExcelFile::escribirValores(const TDAOfVariant& valores) {
    if (valores.empty()) return;
    if (hoja == nullptr) throw EErrorAutomatizacion("TExcelFile: no hay hoja seleccionada");
    const int cuenta = static_cast<int>(valores.size());
    hoja->Range(refRango(fila, columna, fila, columna + cuenta - 1))->SetValues(valores);
    columna += cuenta;
}

void TExcelFile::escribirValoresLn(const TDAOfVariant& valores) {
    if (valores.empty()) return;
    escribirValores(valores);
    nuevaFila();
}

void TExcelFile::agregarValor(const TValorCelda& valor) {
    if (bufferFila.empty())
        throw EErrorQuendal("TExcelFile: la capacidad del buffer de fila debe ser al menos 1, no 0");
    if (nValores >= static_cast<int32_t>(bufferFila.size())) {
        escribirValores(bufferFila);
        nValores = 0;
    }
    bufferFila[static_cast<std::size_t>(nValores)] = valor;
    ++nValores;
}

void TExcelFile::volcarFila() {
    if (nValores <= 0) return;
    escribirValoresLn(TDAOfVariant(bufferFila.begin(), bufferFila.begin() + nValores));
    nValores = 0;
}

std::string TExcelFile::crearGrafico(std::string_view nombreHoja, int columna1, int columna2, int fila1,
                                     int fila2, int tipoGrafico) {
    IHojaExcel& origen = getHoja(nombreHoja);
    IGraficoExcel& grafico = libro().AddChart();
    grafico.Activate();
    grafico.SetChartType(tipoGrafico);
    const std::string nombre = "g" + std::string(nombreHoja);
    grafico.SetName(nombre);
    grafico.SetSourceData(origen, refRango(fila1, columna1, fila2, columna2), xlColumns);
    grafico.ChartArea().Font.Size = 14;
    grafico.Axes(2).TickLabels.NumberFormat = "0.0";
    grafico.SelectPart(TParteGraficoExcel::AreaGrafico);
    return nombre;
}

void TExcelFile::configurarGrafico(std::string_view nombreGrafico, int tipoGrafico, const std::string& titulo,
                                   const std::string& tituloEjeValores, bool minimoAutomatico,
                                   bool maximoAutomatico, double minimo, double maximo, double minimoCategorias,
                                   double maximoCategorias, const std::string& /*tituloEjeCategorias*/) {
    IGraficoExcel& grafico = libro().Charts(nombreGrafico);
    grafico.SetChartType(tipoGrafico);
    if (!titulo.empty()) {
        grafico.ChartTitle().HasTitle = true;
        grafico.ChartTitle().Text = titulo;
    }
    grafico.Axes(1, 1).HasTitle = false;  // the category axis carries no title
    if (tipoGrafico != xlAreaStacked) {
        grafico.Axes(1).MinimumScale = minimoCategorias;
        grafico.Axes(1).MaximumScale = maximoCategorias;
    }
    if (!tituloEjeValores.empty()) {
        grafico.Axes(2, 1).HasTitle = true;
        grafico.Axes(2, 1).AxisTitle = tituloEjeValores;
    }
    grafico.PlotArea().Interior.ColorIndex = 2;
    TEjeExcel& valores = grafico.Axes(2);
    if (minimoAutomatico)
        valores.MinimumScale.reset();
    else
        valores.MinimumScale = minimo;
    if (maximoAutomatico)
        valores.MaximumScale.reset();
    else
        valores.MaximumScale = maximo;
    for (int i = 1; i <= grafico.SeriesCount(); ++i) grafico.SeriesCollection(i).MarkerSize = 2;
}

void TExcelFile::formatearSerie(std::string_view nombreGrafico, int numeroSerie, int /*tipoGraficoPrincipal*/,
                                int tipoGraficoSerie, int grupoEje, TColor color, TColor colorFondoMarcador) {
    TSerieExcel& serie = libro().Charts(nombreGrafico).SeriesCollection(numeroSerie);
    serie.ChartType = tipoGraficoSerie;
    serie.AxisGroup = grupoEje;
    if (color == clDefault) return;

    const TPaletaExcel paleta = leerPaleta();
    const int fondoMarcador =
        colorFondoMarcador == clDefault ? static_cast<int>(clDefault.Valor()) : indiceColor(colorFondoMarcador, paleta);
    auto marcadores = [&] {
        serie.MarkerStyle = xlMarkerStyleAutomatic;
        serie.MarkerSize = 2;
        serie.MarkerBackgroundColorIndex = fondoMarcador;
    };
    if (versionExcel() >= 12) {
        if (tipoGraficoSerie == xlAreaStacked) serie.Interior.Color = color;
        serie.Border.Color = color;
        if (tipoGraficoSerie == xlXYScatterLines) {
            marcadores();
            serie.MarkerForegroundColor = color;
        }
    } else {
        const int ci = indiceColor(color, paleta);
        if (tipoGraficoSerie == xlAreaStacked) serie.Interior.ColorIndex = ci;
        serie.Border.ColorIndex = ci;
        if (tipoGraficoSerie == xlXYScatterLines) {
            marcadores();
            serie.MarkerForegroundColorIndex = ci;
        }
    }
}
