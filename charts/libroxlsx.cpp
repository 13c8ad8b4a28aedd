#include "charts/libroxlsx.h"

#include <locale.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <system_error>
#include <vector>

#include "charts/paquetezip.h"

namespace {

std::string TextoLibre(std::string_view texto) { return TextoXmlValido(texto, true); }
std::string TextoDeNombre(std::string_view texto) { return TextoXmlValido(texto, false); }

bool EsHexadecimal(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// A cell text as the file holds it. The file format reads "_xHHHH_" as the
// character of code HHHH, so such a run that the text holds itself gets its
// "_" written as "_x005F_" and reads back as it was.
std::string TextoDeCelda(std::string_view texto) {
    const std::string limpio = TextoLibre(texto);
    std::string salida;
    salida.reserve(limpio.size());
    for (std::size_t i = 0; i < limpio.size(); ++i) {
        const bool secuencia = limpio.compare(i, 2, "_x") == 0 && i + 6 < limpio.size() &&
                               EsHexadecimal(limpio[i + 2]) && EsHexadecimal(limpio[i + 3]) &&
                               EsHexadecimal(limpio[i + 4]) && EsHexadecimal(limpio[i + 5]) && limpio[i + 6] == '_';
        salida += secuencia ? std::string("_x005F_") : std::string(1, limpio[i]);
    }
    return salida;
}

// The first `maximo` characters of a UTF-8 text.
std::string PrimerosCaracteres(const std::string& texto, std::size_t maximo) {
    std::size_t caracteres = 0;
    for (std::size_t i = 0; i < texto.size(); ++i)
        if ((static_cast<unsigned char>(texto[i]) & 0xC0) != 0x80 && caracteres++ == maximo) return texto.substr(0, i);
    return texto;
}

// A sheet name as the file can hold it: without the characters the
// application refuses, nor an apostrophe at either end, at most 31
// characters; empty when nothing is left.
std::string NombreDeHojaAdmitido(std::string_view nombre) {
    std::string limpio;
    for (const char c : TextoDeNombre(nombre))
        if (std::string_view(":\\/?*[]").find(c) == std::string_view::npos) limpio += c;
    const std::size_t primero = limpio.find_first_not_of('\'');
    if (primero == std::string::npos) return "";
    limpio = limpio.substr(primero, limpio.find_last_not_of('\'') - primero + 1);
    return PrimerosCaracteres(limpio, LargoMaximoNombreHoja);
}

bool EsLetraAscii(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool EsCifraAscii(char c) { return c >= '0' && c <= '9'; }

// Whether a name of letters and digits alone could be read, unquoted in a
// formula, as something other than a sheet: a number, an A1 reference
// ("AB12") or an R1C1 one ("R1C1", "R", "C12").
bool SeLeeComoOtraCosa(std::string_view nombre) {
    if (nombre.empty() || EsCifraAscii(nombre[0])) return true;
    std::size_t letras = 0;
    while (letras < nombre.size() && EsLetraAscii(nombre[letras])) ++letras;
    const bool soloCifrasDespues =
        letras < nombre.size() && nombre.find_first_not_of("0123456789", letras) == std::string_view::npos;
    if (letras <= 3 && soloCifrasDespues) return true;
    const auto cifras = [&](std::size_t& i) { while (i < nombre.size() && EsCifraAscii(nombre[i])) ++i; };
    std::size_t i = 0;
    if (nombre[i] == 'R' || nombre[i] == 'r') {
        ++i;
        cifras(i);
    }
    if (i < nombre.size() && (nombre[i] == 'C' || nombre[i] == 'c')) {
        ++i;
        cifras(i);
    }
    return i > 0 && i == nombre.size();
}

// Whether libxlsxwriter quotes the sheet name in the formulas it builds.
bool LaLibreriaLoCita(const std::string& nombre) {
    char* citado = lxw_quote_sheetname(nombre.c_str());
    const bool cita = citado != nullptr && citado[0] == '\'';
    std::free(citado);
    return cita;
}

// The numbers libxlsxwriter writes (with printf, 16 significant digits):
// kept when they read back as the value, else the shortest digits that do.
bool LeeComo(std::string_view texto, double valor) {
    double leido = 0;
    const auto [fin, error] = std::from_chars(texto.data(), texto.data() + texto.size(), leido);
    return error == std::errc() && fin == texto.data() + texto.size() && leido == valor;
}

std::string TextoExacto(double valor) {
    char texto[32];
    char* fin = std::to_chars(texto, texto + sizeof texto, valor).ptr;
    return std::string(texto, fin);
}

// The numbers of one XML part that do not read back as their values, and
// the part rewritten with the shortest digits that do, in one pass.
class TCorreccionesDeNumeros {
public:
    explicit TCorreccionesDeNumeros(const std::string& xml) : xml_(xml) {}

    // xml[desde, hasta) holds the text written for `valor`.
    void Corregir(std::size_t desde, std::size_t hasta, double valor) {
        if (hasta == std::string::npos || hasta < desde || !std::isfinite(valor)) return;
        if (!LeeComo(std::string_view(xml_).substr(desde, hasta - desde), valor))
            cambios_.push_back({desde, hasta, TextoExacto(valor)});
    }

    // The part with the corrections made; false when there were none.
    bool Aplicar(std::string& salida) {
        if (cambios_.empty()) return false;
        std::sort(cambios_.begin(), cambios_.end(),
                  [](const TCambio& a, const TCambio& b) { return a.desde < b.desde; });
        salida.clear();
        salida.reserve(xml_.size() + 8 * cambios_.size());
        std::size_t copiado = 0;
        for (const TCambio& c : cambios_) {
            if (c.desde < copiado) continue;  // one text found twice
            salida.append(xml_, copiado, c.desde - copiado);
            salida += c.texto;
            copiado = c.hasta;
        }
        salida.append(xml_, copiado);
        return true;
    }

private:
    struct TCambio {
        std::size_t desde, hasta;
        std::string texto;
    };
    const std::string& xml_;
    std::vector<TCambio> cambios_;
};

// libxlsxwriter writes its numbers with the C library's printf, which follows
// LC_NUMERIC (the window's Qt sets it from the environment: "0,3" under
// es_ES). The saving thread takes the C locale's numbers while it saves.
class TNumerosConPunto {
public:
    TNumerosConPunto() {
        locale_t base = duplocale(LC_GLOBAL_LOCALE);
        if (base != nullptr) c_ = newlocale(LC_NUMERIC_MASK, "C", base);
        if (c_ == nullptr) {
            if (base != nullptr) freelocale(base);
            throw EInOutError("No se pudo fijar el formato de los números del libro");
        }
        anterior_ = uselocale(c_);
    }
    ~TNumerosConPunto() {
        uselocale(anterior_);
        freelocale(c_);
    }
    TNumerosConPunto(const TNumerosConPunto&) = delete;
    TNumerosConPunto& operator=(const TNumerosConPunto&) = delete;

private:
    locale_t c_ = nullptr;
    locale_t anterior_ = nullptr;
};

void Fallar(const std::string& ruta, const std::string& causa) {
    throw EInOutError("No se pudo guardar el libro \"" + ruta + "\": " + causa);
}

void Verificar(lxw_error error, const std::string& ruta) {
    if (error != LXW_NO_ERROR) Fallar(ruta, lxw_strerror(error));
}

bool EsDispersion(int tipo) {
    return tipo == xlXYScatterLines || tipo == xlXYScatterLinesNoMarkers || tipo == xlXYScatter;
}

uint8_t TipoLibreria(int tipo, const std::string& ruta) {
    switch (tipo) {
        case xlArea: return LXW_CHART_AREA;
        case xlAreaStacked: return LXW_CHART_AREA_STACKED;
        case xlLine:
        case xlLineMarkers: return LXW_CHART_LINE;
        case xlXYScatterLines: return LXW_CHART_SCATTER_STRAIGHT_WITH_MARKERS;
        case xlXYScatterLinesNoMarkers: return LXW_CHART_SCATTER_STRAIGHT;
        case xlXYScatter: return LXW_CHART_SCATTER;
        default: Fallar(ruta, "tipo de gráfico no admitido " + std::to_string(tipo));
    }
    return LXW_CHART_NONE;
}

// A colour of ours (0x00BBGGRR) as the library's 0xRRGGBB; black has a value
// of its own there, since 0 means "not set".
lxw_color_t ColorLibreria(TColor color) {
    const uint32_t bgr = color.Valor() & 0xFFFFFF;
    const uint32_t rgb = ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | (bgr >> 16);
    return rgb == 0 ? static_cast<lxw_color_t>(LXW_COLOR_BLACK) : rgb;
}

// The colour that a border or interior asks for: its own, or its palette
// entry; none when it asks for neither or for a position outside the palette.
std::optional<lxw_color_t> ColorPedido(const std::optional<TColor>& color, const std::optional<int>& indice,
                                       const TPaletaExcel& paleta) {
    if (color && *color != clNone && *color != clDefault) return ColorLibreria(*color);
    if (indice && *indice >= 1 && *indice <= ColoresPaletaExcel)
        return ColorLibreria(paleta[static_cast<std::size_t>(*indice - 1)]);
    return std::nullopt;
}

uint8_t TrazoLibreria(int estiloLinea) {
    switch (estiloLinea) {
        case -4115: return LXW_CHART_LINE_DASH_DASH;
        case -4118: return LXW_CHART_LINE_DASH_ROUND_DOT;
        case 4: return LXW_CHART_LINE_DASH_DASH_DOT;
        case 5: return LXW_CHART_LINE_DASH_LONG_DASH_DOT_DOT;
        default: return LXW_CHART_LINE_DASH_SOLID;
    }
}

float GrosorLibreria(int peso) {
    switch (peso) {
        case 1: return 0.25f;
        case 2: return 0.75f;
        case -4138: return 1.5f;
        case 4: return 2.25f;
        default: return 0.75f;
    }
}

// A border as a line, or nothing when the border sets nothing.
std::optional<lxw_chart_line> LineaDeBorde(const TBordeExcel& borde, const TPaletaExcel& paleta) {
    const std::optional<lxw_color_t> color = ColorPedido(borde.Color, borde.ColorIndex, paleta);
    if (!color && !borde.LineStyle && !borde.Weight) return std::nullopt;
    lxw_chart_line linea{};
    if (color) linea.color = *color;
    if (borde.LineStyle) linea.dash_type = TrazoLibreria(*borde.LineStyle);
    if (borde.Weight) linea.width = GrosorLibreria(*borde.Weight);
    return linea;
}

uint8_t MarcaLibreria(int marca) {
    switch (marca) {
        case 3: return LXW_CHART_AXIS_TICK_MARK_OUTSIDE;
        case 2: return LXW_CHART_AXIS_TICK_MARK_INSIDE;
        case 4: return LXW_CHART_AXIS_TICK_MARK_CROSSING;
        case -4142: return LXW_CHART_AXIS_TICK_MARK_NONE;
        default: return LXW_CHART_AXIS_TICK_MARK_DEFAULT;
    }
}

uint8_t PosicionEtiquetasLibreria(int posicion) {
    switch (posicion) {
        case -4134: return LXW_CHART_AXIS_LABEL_POSITION_LOW;
        case -4127: return LXW_CHART_AXIS_LABEL_POSITION_HIGH;
        case -4142: return LXW_CHART_AXIS_LABEL_POSITION_NONE;
        default: return LXW_CHART_AXIS_LABEL_POSITION_NEXT_TO;
    }
}

// libxlsxwriter (1.1.4) leaves the y axis of its area charts marked as
// neither a category nor a value axis, and then refuses its bounds and
// units with a warning on stderr. That axis is the value axis of the chart.
void MarcarEjeDeValores(lxw_chart* chart) {
    if (!chart->y_axis->is_category && !chart->y_axis->is_value) chart->y_axis->is_value = 1;
}

class TGuardadoXlsx {
public:
    TGuardadoXlsx(const TLibroEnMemoria& libro, std::string ruta) : libro_(libro), ruta_(std::move(ruta)) {}

    void Escribir(const std::string& rutaTemporal) {
        NombrarHojas();
        {
            const TNumerosConPunto numerosConPunto;
            libroXlsx_ = workbook_new(rutaTemporal.c_str());
            if (libroXlsx_ == nullptr) Fallar(ruta_, "no se pudo crear el libro");
            try {
                for (int i = 1; i <= libro_.CantidadHojas(); ++i)
                    EscribirHoja(libro_.Hoja(i), i == libro_.PosicionActiva());
            } catch (...) {
                lxw_workbook_free(libroXlsx_);
                throw;
            }
            lxw_error error = workbook_close(libroXlsx_);  // frees the workbook too
            libroXlsx_ = nullptr;
            Verificar(error, ruta_);
        }
        CorregirNumeros(rutaTemporal);
    }

private:
    // The name of every sheet in the file, one per sheet and without regard
    // to case: a name that cleaning leaves empty (control characters only)
    // becomes "Hoja" and the sheet's position; one already taken gets " (2)",
    // " (3)", ... .
    void NombrarHojas() {
        std::map<std::string, bool> tomados;
        for (int i = 1; i <= libro_.CantidadHojas(); ++i) {
            const IHojaDelLibro& hoja = libro_.Hoja(i);
            std::string base = NombreDeHojaAdmitido(hoja.Name());
            if (base.empty()) base = "Hoja" + std::to_string(i);
            std::string nombre = base;
            for (int k = 2; tomados.count(ClaveNombreHoja(nombre)) != 0; ++k) {
                const std::string sufijo = " (" + std::to_string(k) + ")";
                nombre = PrimerosCaracteres(base, LargoMaximoNombreHoja - sufijo.size()) + sufijo;
            }
            tomados[ClaveNombreHoja(nombre)] = true;
            nombres_[&hoja] = nombre;
            nombresPorClave_.try_emplace(ClaveNombreHoja(hoja.Name()), nombre);
        }
    }

    // The name in the file of the sheet that the model calls `nombre`.
    std::string NombreEnArchivo(const std::string& nombre) const {
        auto it = nombresPorClave_.find(ClaveNombreHoja(nombre));
        return it != nombresPorClave_.end() ? it->second : NombreDeHojaAdmitido(nombre);
    }

    void EscribirHoja(const IHojaDelLibro& hoja, bool activa) {
        const std::string& nombre = nombres_.at(&hoja);
        if (const auto* hojaDeTrabajo = dynamic_cast<const THojaEnMemoria*>(&hoja)) {
            lxw_worksheet* ws = workbook_add_worksheet(libroXlsx_, nombre.c_str());
            if (ws == nullptr) Fallar(ruta_, "nombre de hoja no admitido \"" + nombre + "\"");
            EscribirCeldas(*hojaDeTrabajo, ws);
            hojasDeTrabajo_.push_back(hojaDeTrabajo);
            if (activa) worksheet_activate(ws);
        } else if (const auto* grafico = dynamic_cast<const TGraficoEnMemoria*>(&hoja)) {
            lxw_chartsheet* cs = workbook_add_chartsheet(libroXlsx_, nombre.c_str());
            if (cs == nullptr) Fallar(ruta_, "nombre de hoja no admitido \"" + nombre + "\"");
            lxw_chart* chart = workbook_add_chart(libroXlsx_, TipoLibreria(grafico->ChartType(), ruta_));
            if (chart == nullptr) Fallar(ruta_, "no se pudo crear el gráfico \"" + nombre + "\"");
            MarcarEjeDeValores(chart);
            EscribirGrafico(*grafico, chart);
            graficos_.push_back(grafico);
            Verificar(chartsheet_set_chart(cs, chart), ruta_);
            if (activa) chartsheet_activate(cs);
        }
    }

    lxw_format* Formato(const std::string& formatoNumero) {
        if (formatoNumero == "General") return nullptr;
        auto [it, nuevo] = formatos_.try_emplace(formatoNumero, nullptr);
        if (nuevo) {
            it->second = workbook_add_format(libroXlsx_);
            format_set_num_format(it->second, TextoDeNombre(formatoNumero).c_str());
        }
        return it->second;
    }

    void EscribirCeldas(const THojaEnMemoria& hoja, lxw_worksheet* ws) {
        for (const auto& [celda, valor] : hoja.Celdas()) {
            const auto fila = static_cast<lxw_row_t>(celda.first - 1);
            const auto columna = static_cast<lxw_col_t>(celda.second - 1);
            lxw_format* formato = Formato(hoja.FormatoNumero(celda.first, celda.second));
            if (const double* numero = std::get_if<double>(&valor))
                EscribirNumero(ws, fila, columna, *numero, formato);
            else if (const std::string* texto = std::get_if<std::string>(&valor))
                Verificar(worksheet_write_string(ws, fila, columna, TextoDeCelda(*texto).c_str(), formato), ruta_);
        }
    }

    // A NaN or an infinity has no place in the file format: its cell is left
    // empty, keeping its number format.
    void EscribirNumero(lxw_worksheet* ws, lxw_row_t fila, lxw_col_t columna, double numero, lxw_format* formato) {
        if (std::isfinite(numero))
            Verificar(worksheet_write_number(ws, fila, columna, numero, formato), ruta_);
        else if (formato != nullptr)
            Verificar(worksheet_write_blank(ws, fila, columna, formato), ruta_);
    }

    void EscribirGrafico(const TGraficoEnMemoria& grafico, lxw_chart* chart) {
        const TPaletaExcel& paleta = libro_.Paleta();
        lxw_chart_font fuente{};
        const std::optional<double> tamanio = grafico.AreaGrafico().Font.Size;
        const bool conTamanio = tamanio && std::isfinite(*tamanio) && *tamanio > 0;
        if (conTamanio) fuente.size = *tamanio;

        for (const TSerieExcel& serie : grafico.Series()) EscribirSerie(serie, grafico.ChartType(), chart, paleta);
        if (grafico.Titulo().HasTitle) {
            chart_title_set_name(chart, TextoLibre(grafico.Titulo().Text).c_str());
            if (conTamanio) chart_title_set_name_font(chart, &fuente);
        } else {
            chart_title_off(chart);
        }
        if (conTamanio) chart_legend_set_font(chart, &fuente);

        const bool dispersion = EsDispersion(grafico.ChartType());
        if (const TEjeExcel* eje = grafico.EjeSiExiste(1)) EscribirEje(*eje, chart->x_axis, dispersion, false, fuente, paleta);
        if (const TEjeExcel* eje = grafico.EjeSiExiste(2)) EscribirEje(*eje, chart->y_axis, true, true, fuente, paleta);

        if (auto linea = LineaDeBorde(grafico.AreaGrafico().Border, paleta)) chart_chartarea_set_line(chart, &*linea);
        if (auto linea = LineaDeBorde(grafico.AreaTrazado().Border, paleta)) chart_plotarea_set_line(chart, &*linea);
        const TInteriorExcel& interior = grafico.AreaTrazado().Interior;
        if (auto color = ColorPedido(interior.Color, interior.ColorIndex, paleta)) {
            lxw_chart_fill relleno{};
            relleno.color = *color;
            chart_plotarea_set_fill(chart, &relleno);
        }
    }

    void EscribirSerie(const TSerieExcel& serie, int tipoGrafico, lxw_chart* chart, const TPaletaExcel& paleta) {
        lxw_chart_series* s = AgregarSerie(serie, chart);
        if (s == nullptr) Fallar(ruta_, "no se pudo agregar una serie");

        if (auto linea = LineaDeBorde(serie.Border, paleta)) chart_series_set_line(s, &*linea);
        if (auto color = ColorPedido(serie.Interior.Color, serie.Interior.ColorIndex, paleta)) {
            lxw_chart_fill relleno{};
            relleno.color = *color;
            chart_series_set_fill(s, &relleno);
        }
        EscribirMarcadores(serie, tipoGrafico, s, paleta);
    }

    // A series with its categories, values and name taken from its sheet.
    // libxlsxwriter quotes the sheet's name in the references only when it
    // holds other characters than letters, digits and "_"; a name that reads
    // as a number or a cell ("201802011030", "AB12") is quoted here.
    lxw_chart_series* AgregarSerie(const TSerieExcel& serie, lxw_chart* chart) const {
        const std::string nombreHoja = NombreEnArchivo(serie.hojaOrigen);
        const auto fila1 = static_cast<lxw_row_t>(serie.primeraFila - 1);
        const auto fila2 = static_cast<lxw_row_t>(serie.ultimaFila - 1);
        const auto categorias = static_cast<lxw_col_t>(serie.columnaCategorias - 1);
        const auto valores = static_cast<lxw_col_t>(serie.columnaValores - 1);
        const auto filaNombre = static_cast<lxw_row_t>(serie.filaNombre - 1);
        if (LaLibreriaLoCita(nombreHoja) || !SeLeeComoOtraCosa(nombreHoja)) {
            lxw_chart_series* s = chart_add_series(chart, nullptr, nullptr);
            if (s == nullptr) return nullptr;
            const char* hoja = nombreHoja.c_str();
            chart_series_set_categories(s, hoja, fila1, categorias, fila2, categorias);
            chart_series_set_values(s, hoja, fila1, valores, fila2, valores);
            chart_series_set_name_range(s, hoja, filaNombre, valores);
            return s;
        }
        const std::string hoja = "='" + nombreHoja + "'!";  // letters and digits only: no quote to double
        char rango[LXW_MAX_CELL_RANGE_LENGTH];
        lxw_rowcol_to_range_abs(rango, fila1, categorias, fila2, categorias);
        const std::string formulaCategorias = hoja + rango;
        lxw_rowcol_to_range_abs(rango, fila1, valores, fila2, valores);
        const std::string formulaValores = hoja + rango;
        lxw_chart_series* s = chart_add_series(chart, formulaCategorias.c_str(), formulaValores.c_str());
        if (s == nullptr) return nullptr;
        lxw_rowcol_to_cell_abs(rango, filaNombre, valores, 1, 1);
        chart_series_set_name(s, (hoja + rango).c_str());
        return s;
    }

    static void EscribirMarcadores(const TSerieExcel& serie, int tipoGrafico, lxw_chart_series* s,
                                   const TPaletaExcel& paleta) {
        if (tipoGrafico == xlLine || tipoGrafico == xlXYScatterLinesNoMarkers) {
            chart_series_set_marker_type(s, LXW_CHART_MARKER_NONE);
            return;
        }
        if (tipoGrafico != xlLineMarkers && !EsDispersion(tipoGrafico)) return;
        chart_series_set_marker_type(s, LXW_CHART_MARKER_AUTOMATIC);
        if (serie.MarkerSize && *serie.MarkerSize >= 2 && *serie.MarkerSize <= 72)
            chart_series_set_marker_size(s, static_cast<uint8_t>(*serie.MarkerSize));
        if (auto color = ColorPedido(serie.MarkerForegroundColor, serie.MarkerForegroundColorIndex, paleta)) {
            lxw_chart_line borde{};
            borde.color = *color;
            chart_series_set_marker_line(s, &borde);
        }
        if (auto color = ColorPedido(std::nullopt, serie.MarkerBackgroundColorIndex, paleta)) {
            lxw_chart_fill relleno{};
            relleno.color = *color;
            chart_series_set_marker_fill(s, &relleno);
        }
    }

    // Bounds and units apply to value axes; label and tick spacing to
    // category axes.
    static void EscribirEje(const TEjeExcel& eje, lxw_chart_axis* axis, bool esDeValores, bool esEjeY,
                            lxw_chart_font fuente, const TPaletaExcel& paleta) {
        if (eje.HasTitle && !eje.AxisTitle.empty()) {
            chart_axis_set_name(axis, TextoLibre(eje.AxisTitle).c_str());
            if (fuente.size > 0) chart_axis_set_name_font(axis, &fuente);
        }
        if (eje.TickLabels.NumberFormat != "General")
            chart_axis_set_num_format(axis, TextoDeNombre(eje.TickLabels.NumberFormat).c_str());
        if (eje.TickLabels.Orientation) fuente.rotation = *eje.TickLabels.Orientation;
        if (fuente.size > 0 || eje.TickLabels.Orientation) chart_axis_set_num_font(axis, &fuente);
        if (esDeValores) {
            if (eje.MinimumScale && std::isfinite(*eje.MinimumScale)) chart_axis_set_min(axis, *eje.MinimumScale);
            if (eje.MaximumScale && std::isfinite(*eje.MaximumScale)) chart_axis_set_max(axis, *eje.MaximumScale);
            if (eje.MajorUnit && *eje.MajorUnit > 0 && std::isfinite(*eje.MajorUnit))
                chart_axis_set_major_unit(axis, *eje.MajorUnit);
            if (eje.MinorUnit && *eje.MinorUnit > 0 && std::isfinite(*eje.MinorUnit))
                chart_axis_set_minor_unit(axis, *eje.MinorUnit);
        } else {
            if (eje.TickLabelSpacing && *eje.TickLabelSpacing > 0)
                chart_axis_set_interval_unit(axis, static_cast<uint16_t>(*eje.TickLabelSpacing));
            if (eje.TickMarkSpacing && *eje.TickMarkSpacing > 0)
                chart_axis_set_interval_tick(axis, static_cast<uint16_t>(*eje.TickMarkSpacing));
        }
        if (eje.MajorTickMark) chart_axis_set_major_tick_mark(axis, MarcaLibreria(*eje.MajorTickMark));
        if (eje.MinorTickMark) chart_axis_set_minor_tick_mark(axis, MarcaLibreria(*eje.MinorTickMark));
        if (eje.TickLabelPosition) chart_axis_set_label_position(axis, PosicionEtiquetasLibreria(*eje.TickLabelPosition));
        // An axis whose gridlines the model never turned on keeps the
        // library's defaults: major gridlines on the value axis only.
        if (eje.HasMajorGridlines || eje.HasMinorGridlines || !esEjeY) {
            chart_axis_major_gridlines_set_visible(axis, eje.HasMajorGridlines);
            chart_axis_minor_gridlines_set_visible(axis, eje.HasMinorGridlines);
        }
        if (auto linea = LineaDeBorde(eje.MajorGridlinesBorder, paleta))
            chart_axis_major_gridlines_set_line(axis, &*linea);
        if (auto linea = LineaDeBorde(eje.MinorGridlinesBorder, paleta))
            chart_axis_minor_gridlines_set_line(axis, &*linea);
    }

    // ---- Numbers with every digit they need ----

    // libxlsxwriter writes numbers with 16 significant digits, which do not
    // always read back as the value (0.30000000000000004 reads as 0.3, the
    // largest doubles overflow): the saved package gets, where needed, the
    // shortest digits that do, in the cells and in the charts.
    void CorregirNumeros(const std::string& rutaTemporal) const {
        std::vector<TPartePaquete> partes = LeerPaqueteZip(rutaTemporal);
        bool corregido = false;
        for (TPartePaquete& parte : partes) {
            const std::string xml = parte.datos;
            TCorreccionesDeNumeros correcciones(xml);
            if (const THojaEnMemoria* hoja = ParteDe(parte.nombre, "xl/worksheets/sheet", hojasDeTrabajo_))
                CorregirCeldas(*hoja, xml, correcciones);
            else if (const TGraficoEnMemoria* grafico = ParteDe(parte.nombre, "xl/charts/chart", graficos_))
                CorregirGrafico(*grafico, xml, correcciones);
            corregido |= correcciones.Aplicar(parte.datos);
        }
        if (corregido) EscribirPaqueteZip(rutaTemporal, partes);
    }

    // libxlsxwriter numbers the worksheets' parts, and the charts' parts, in
    // the order the sheets were added: sheet1.xml, sheet2.xml, ...
    template <class T>
    static const T* ParteDe(const std::string& nombre, std::string_view prefijo, const std::vector<const T*>& hojas) {
        if (nombre.compare(0, prefijo.size(), prefijo) != 0 || nombre.size() < prefijo.size() + 5 ||
            nombre.compare(nombre.size() - 4, 4, ".xml") != 0)
            return nullptr;
        int numero = 0;
        const char* inicio = nombre.data() + prefijo.size();
        const char* fin = nombre.data() + nombre.size() - 4;
        const auto [usado, error] = std::from_chars(inicio, fin, numero);
        if (error != std::errc() || usado != fin || numero < 1 || static_cast<std::size_t>(numero) > hojas.size())
            return nullptr;
        return hojas[static_cast<std::size_t>(numero - 1)];
    }

    // Number cells: <c r="B3" s="1"><v>43000</v></c>, with no type attribute.
    static void CorregirCeldas(const THojaEnMemoria& hoja, const std::string& xml, TCorreccionesDeNumeros& c) {
        for (std::size_t celda = xml.find("<c r=\""); celda != std::string::npos; celda = xml.find("<c r=\"", celda + 1)) {
            const std::size_t finEtiqueta = xml.find('>', celda);
            if (finEtiqueta == std::string::npos) return;
            const std::string_view etiqueta = std::string_view(xml).substr(celda, finEtiqueta - celda);
            if (etiqueta.back() == '/' || etiqueta.find(" t=\"") != std::string_view::npos) continue;
            if (xml.compare(finEtiqueta + 1, 3, "<v>") != 0) continue;
            const std::size_t inicioRef = celda + 6;
            const std::size_t finRef = xml.find('"', inicioRef);
            TRectanguloCeldas ref;
            if (finRef > finEtiqueta || !LeerCeldas(xml.substr(inicioRef, finRef - inicioRef), ref)) continue;
            if (const double* numero = std::get_if<double>(&hoja.Valor(ref.fila1, ref.columna1)))
                c.Corregir(finEtiqueta + 4, xml.find("</v>", finEtiqueta), *numero);
        }
    }

    static bool LeerCeldas(const std::string& referencia, TRectanguloCeldas& rango) {
        try {
            rango = LeerReferenciaRango(referencia);
        } catch (const EErrorAutomatizacion&) {
            return false;
        }
        return true;
    }

    void CorregirGrafico(const TGraficoEnMemoria& grafico, const std::string& xml, TCorreccionesDeNumeros& c) const {
        CorregirCopiasDeDatos(xml, c);
        // The axes come in the order of the model's Axes(1) and Axes(2).
        std::size_t eje = 0;
        for (int tipo = 1; tipo <= 2; ++tipo) {
            eje = SiguienteEje(xml, eje);
            if (eje == std::string::npos) return;
            // "<c:valAx>" closes with "</c:valAx>".
            const std::string cierre = "</" + xml.substr(eje + 1, xml.find('>', eje) - eje);
            const std::size_t finEje = xml.find(cierre, eje);
            if (finEje == std::string::npos) return;
            if (const TEjeExcel* modelo = grafico.EjeSiExiste(tipo)) {
                CorregirAtributo(xml, eje, finEje, "<c:min val=\"", modelo->MinimumScale, c);
                CorregirAtributo(xml, eje, finEje, "<c:max val=\"", modelo->MaximumScale, c);
                CorregirAtributo(xml, eje, finEje, "<c:majorUnit val=\"", modelo->MajorUnit, c);
                CorregirAtributo(xml, eje, finEje, "<c:minorUnit val=\"", modelo->MinorUnit, c);
            }
            eje = finEje;
        }
    }

    static std::size_t SiguienteEje(const std::string& xml, std::size_t desde) {
        std::size_t primero = std::string::npos;
        for (const char* etiqueta : {"<c:catAx>", "<c:valAx>", "<c:dateAx>"})
            primero = std::min(primero, xml.find(etiqueta, desde));
        return primero;
    }

    static void CorregirAtributo(const std::string& xml, std::size_t eje, std::size_t finEje, std::string_view clave,
                                 const std::optional<double>& valor, TCorreccionesDeNumeros& c) {
        const std::size_t atributo = xml.find(clave, eje);
        if (!valor || atributo == std::string::npos || atributo > finEje) return;
        const std::size_t desde = atributo + clave.size();
        c.Corregir(desde, xml.find('"', desde), *valor);
    }

    // The copies of a series' numbers that a chart keeps beside its
    // reference: <c:numRef><c:f>Prom!$B$3:$B$5</c:f><c:numCache>...
    // <c:pt idx="0"><c:v>1</c:v></c:pt>...
    void CorregirCopiasDeDatos(const std::string& xml, TCorreccionesDeNumeros& c) const {
        for (std::size_t r = xml.find("<c:numRef><c:f>"); r != std::string::npos; r = xml.find("<c:numRef><c:f>", r + 1)) {
            const std::size_t inicioFormula = r + 15;
            const std::size_t finFormula = xml.find("</c:f>", inicioFormula);
            const std::size_t finCopia = xml.find("</c:numCache>", inicioFormula);
            if (finFormula == std::string::npos || finCopia == std::string::npos) return;
            const THojaEnMemoria* hoja = nullptr;
            TRectanguloCeldas rango;
            if (!LeerFormula(xml.substr(inicioFormula, finFormula - inicioFormula), hoja, rango)) continue;
            const bool enColumna = rango.columna1 == rango.columna2;
            for (std::size_t p = xml.find("<c:pt idx=\"", finFormula); p < finCopia; p = xml.find("<c:pt idx=\"", p + 1)) {
                int indice = 0;
                std::from_chars(xml.data() + p + 11, xml.data() + xml.size(), indice);
                const std::size_t valor = xml.find("<c:v>", p);
                if (valor >= finCopia) break;
                const int fila = rango.fila1 + (enColumna ? indice : 0);
                const int columna = rango.columna1 + (enColumna ? 0 : indice);
                if (const double* numero = std::get_if<double>(&hoja->Valor(fila, columna)))
                    c.Corregir(valor + 5, xml.find("</c:v>", valor), *numero);
            }
        }
    }

    // "Prom!$B$3:$B$5" or "'2018 01'!$B$3:$B$5": its sheet and its cells.
    bool LeerFormula(const std::string& formula, const THojaEnMemoria*& hoja, TRectanguloCeldas& rango) const {
        const std::size_t admiracion = formula.rfind('!');
        if (admiracion == std::string::npos) return false;
        std::string nombre = formula.substr(0, admiracion);
        if (nombre.size() >= 2 && nombre.front() == '\'' && nombre.back() == '\'') {
            nombre = nombre.substr(1, nombre.size() - 2);
            for (std::size_t q = nombre.find("''"); q != std::string::npos; q = nombre.find("''", q + 1))
                nombre.erase(q, 1);
        }
        std::string celdas;
        for (const char c : formula.substr(admiracion + 1))
            if (c != '$') celdas += c;
        for (const THojaEnMemoria* candidata : hojasDeTrabajo_)
            if (nombres_.at(candidata) == nombre) hoja = candidata;
        return hoja != nullptr && LeerCeldas(celdas, rango);
    }

    const TLibroEnMemoria& libro_;
    std::string ruta_;
    lxw_workbook* libroXlsx_ = nullptr;
    std::map<std::string, lxw_format*> formatos_;
    std::map<const IHojaDelLibro*, std::string> nombres_;  // each sheet's name in the file
    std::map<std::string, std::string> nombresPorClave_;   // ClaveNombreHoja of the model's name -> the file's
    std::vector<const THojaEnMemoria*> hojasDeTrabajo_;     // in the order they were added
    std::vector<const TGraficoEnMemoria*> graficos_;
};

}  // namespace

void GuardarLibroXlsx(const TLibroEnMemoria& libro, const std::string& ruta) {
    const std::string temporal = ruta + ".guardando";
    std::error_code ec;
    try {
        TGuardadoXlsx(libro, ruta).Escribir(temporal);
    } catch (...) {
        std::filesystem::remove(temporal, ec);
        throw;
    }
    std::filesystem::rename(temporal, ruta, ec);
    if (ec) {
        std::filesystem::remove(temporal, ec);
        Fallar(ruta, "no se pudo reemplazar el archivo");
    }
}
