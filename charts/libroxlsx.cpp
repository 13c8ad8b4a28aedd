#include "charts/libroxlsx.h"

#include <xlsxwriter.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <optional>
#include <system_error>

namespace {

// ---- Texts as XML text in UTF-8 ----

// The code point of the well-formed UTF-8 sequence at `i` and its length, or
// a length of 0 when the bytes there are not one (overlong forms, surrogates
// and values past U+10FFFF included).
std::pair<char32_t, std::size_t> LeerUTF8(std::string_view texto, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(texto[k]); };
    const unsigned char b0 = byte(i);
    if (b0 < 0x80) return {b0, 1};
    std::size_t largo = 0;
    char32_t cp = 0, minimo = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) largo = 2, cp = b0 & 0x1F, minimo = 0x80;
    else if (b0 >= 0xE0 && b0 <= 0xEF) largo = 3, cp = b0 & 0x0F, minimo = 0x800;
    else if (b0 >= 0xF0 && b0 <= 0xF4) largo = 4, cp = b0 & 0x07, minimo = 0x10000;
    else return {0, 0};
    if (i + largo > texto.size()) return {0, 0};
    for (std::size_t k = 1; k < largo; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return {0, 0};
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < minimo || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {0, 0};
    return {cp, largo};
}

void EscribirUTF8(std::string& salida, char32_t cp) {
    if (cp < 0x80) {
        salida += static_cast<char>(cp);
    } else if (cp < 0x800) {
        salida += static_cast<char>(0xC0 | (cp >> 6));
        salida += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        salida += static_cast<char>(0xE0 | (cp >> 12));
        salida += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        salida += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        salida += static_cast<char>(0xF0 | (cp >> 18));
        salida += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        salida += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        salida += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Control characters (C0, DEL, C1) and the two non-characters that XML
// refuses; tab and line ends are kept where `conSaltos` asks for them.
bool SeDescarta(char32_t cp, bool conSaltos) {
    if (conSaltos && (cp == '\t' || cp == '\n' || cp == '\r')) return false;
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == 0xFFFE || cp == 0xFFFF;
}

// The text as XML text in UTF-8: well-formed UTF-8 stays as it is, any other
// byte is read as Latin-1 (the names of older files), and control
// characters are dropped. Cell texts and titles keep their tabs and line
// ends; sheet names and number formats keep none.
std::string TextoXml(std::string_view texto, bool conSaltos) {
    std::string salida;
    salida.reserve(texto.size());
    for (std::size_t i = 0; i < texto.size();) {
        auto [cp, largo] = LeerUTF8(texto, i);
        if (largo == 0) cp = static_cast<unsigned char>(texto[i]), largo = 1;  // Latin-1
        if (!SeDescarta(cp, conSaltos)) EscribirUTF8(salida, cp);
        i += largo;
    }
    return salida;
}

std::string TextoLibre(std::string_view texto) { return TextoXml(texto, true); }
std::string TextoDeNombre(std::string_view texto) { return TextoXml(texto, false); }

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
        libroXlsx_ = workbook_new(rutaTemporal.c_str());
        if (libroXlsx_ == nullptr) Fallar(ruta_, "no se pudo crear el libro");
        try {
            for (int i = 1; i <= libro_.CantidadHojas(); ++i) EscribirHoja(libro_.Hoja(i), i == libro_.PosicionActiva());
        } catch (...) {
            lxw_workbook_free(libroXlsx_);
            throw;
        }
        lxw_error error = workbook_close(libroXlsx_);  // frees the workbook too
        libroXlsx_ = nullptr;
        Verificar(error, ruta_);
    }

private:
    void EscribirHoja(const IHojaDelLibro& hoja, bool activa) {
        if (const auto* hojaDeTrabajo = dynamic_cast<const THojaEnMemoria*>(&hoja)) {
            const std::string nombre = TextoDeNombre(hoja.Name());
            lxw_worksheet* ws = workbook_add_worksheet(libroXlsx_, nombre.c_str());
            if (ws == nullptr) Fallar(ruta_, "nombre de hoja no admitido \"" + nombre + "\"");
            EscribirCeldas(*hojaDeTrabajo, ws);
            if (activa) worksheet_activate(ws);
        } else if (const auto* grafico = dynamic_cast<const TGraficoEnMemoria*>(&hoja)) {
            const std::string nombre = TextoDeNombre(hoja.Name());
            lxw_chartsheet* cs = workbook_add_chartsheet(libroXlsx_, nombre.c_str());
            if (cs == nullptr) Fallar(ruta_, "nombre de hoja no admitido \"" + nombre + "\"");
            lxw_chart* chart = workbook_add_chart(libroXlsx_, TipoLibreria(grafico->ChartType(), ruta_));
            if (chart == nullptr) Fallar(ruta_, "no se pudo crear el gráfico \"" + nombre + "\"");
            MarcarEjeDeValores(chart);
            EscribirGrafico(*grafico, chart);
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
                Verificar(worksheet_write_string(ws, fila, columna, TextoLibre(*texto).c_str(), formato), ruta_);
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
        lxw_chart_series* s = chart_add_series(chart, nullptr, nullptr);
        if (s == nullptr) Fallar(ruta_, "no se pudo agregar una serie");
        const std::string nombreHoja = TextoDeNombre(serie.hojaOrigen);
        const char* hoja = nombreHoja.c_str();
        const auto fila1 = static_cast<lxw_row_t>(serie.primeraFila - 1);
        const auto fila2 = static_cast<lxw_row_t>(serie.ultimaFila - 1);
        chart_series_set_categories(s, hoja, fila1, static_cast<lxw_col_t>(serie.columnaCategorias - 1), fila2,
                                    static_cast<lxw_col_t>(serie.columnaCategorias - 1));
        chart_series_set_values(s, hoja, fila1, static_cast<lxw_col_t>(serie.columnaValores - 1), fila2,
                                static_cast<lxw_col_t>(serie.columnaValores - 1));
        chart_series_set_name_range(s, hoja, static_cast<lxw_row_t>(serie.filaNombre - 1),
                                    static_cast<lxw_col_t>(serie.columnaValores - 1));

        if (auto linea = LineaDeBorde(serie.Border, paleta)) chart_series_set_line(s, &*linea);
        if (auto color = ColorPedido(serie.Interior.Color, serie.Interior.ColorIndex, paleta)) {
            lxw_chart_fill relleno{};
            relleno.color = *color;
            chart_series_set_fill(s, &relleno);
        }
        EscribirMarcadores(serie, tipoGrafico, s, paleta);
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

    const TLibroEnMemoria& libro_;
    std::string ruta_;
    lxw_workbook* libroXlsx_ = nullptr;
    std::map<std::string, lxw_format*> formatos_;
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
