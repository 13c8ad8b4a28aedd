#include "charts/libroxlsx.h"

#include <xlsxwriter.h>

#include <filesystem>
#include <map>
#include <optional>
#include <system_error>

namespace {

// Chart types of the application.
constexpr int xlArea = 1;
constexpr int xlLine = 4;
constexpr int xlLineMarkers = 65;
constexpr int xlXYScatterLines = 74;
constexpr int xlXYScatterLinesNoMarkers = 75;
constexpr int xlAreaStacked = 76;
constexpr int xlXYScatter = -4169;

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
            lxw_worksheet* ws = workbook_add_worksheet(libroXlsx_, hoja.Name().c_str());
            if (ws == nullptr) Fallar(ruta_, "nombre de hoja no admitido \"" + hoja.Name() + "\"");
            EscribirCeldas(*hojaDeTrabajo, ws);
            if (activa) worksheet_activate(ws);
        } else if (const auto* grafico = dynamic_cast<const TGraficoEnMemoria*>(&hoja)) {
            lxw_chartsheet* cs = workbook_add_chartsheet(libroXlsx_, hoja.Name().c_str());
            if (cs == nullptr) Fallar(ruta_, "nombre de hoja no admitido \"" + hoja.Name() + "\"");
            lxw_chart* chart = workbook_add_chart(libroXlsx_, TipoLibreria(grafico->ChartType(), ruta_));
            if (chart == nullptr) Fallar(ruta_, "no se pudo crear el gráfico \"" + hoja.Name() + "\"");
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
            format_set_num_format(it->second, formatoNumero.c_str());
        }
        return it->second;
    }

    void EscribirCeldas(const THojaEnMemoria& hoja, lxw_worksheet* ws) {
        for (const auto& [celda, valor] : hoja.Celdas()) {
            const auto fila = static_cast<lxw_row_t>(celda.first - 1);
            const auto columna = static_cast<lxw_col_t>(celda.second - 1);
            lxw_format* formato = Formato(hoja.FormatoNumero(celda.first, celda.second));
            if (const double* numero = std::get_if<double>(&valor))
                Verificar(worksheet_write_number(ws, fila, columna, *numero, formato), ruta_);
            else if (const std::string* texto = std::get_if<std::string>(&valor))
                Verificar(worksheet_write_string(ws, fila, columna, texto->c_str(), formato), ruta_);
        }
    }

    void EscribirGrafico(const TGraficoEnMemoria& grafico, lxw_chart* chart) {
        const TPaletaExcel& paleta = libro_.Paleta();
        lxw_chart_font fuente{};
        const std::optional<double> tamanio = grafico.AreaGrafico().Font.Size;
        if (tamanio) fuente.size = *tamanio;

        for (const TSerieExcel& serie : grafico.Series()) EscribirSerie(serie, grafico.ChartType(), chart, paleta);
        if (grafico.Titulo().HasTitle) {
            chart_title_set_name(chart, grafico.Titulo().Text.c_str());
            if (tamanio) chart_title_set_name_font(chart, &fuente);
        } else {
            chart_title_off(chart);
        }
        if (tamanio) chart_legend_set_font(chart, &fuente);

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
        const char* hoja = serie.hojaOrigen.c_str();
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
            chart_axis_set_name(axis, eje.AxisTitle.c_str());
            if (fuente.size > 0) chart_axis_set_name_font(axis, &fuente);
        }
        if (eje.TickLabels.NumberFormat != "General") chart_axis_set_num_format(axis, eje.TickLabels.NumberFormat.c_str());
        if (eje.TickLabels.Orientation) fuente.rotation = *eje.TickLabels.Orientation;
        if (fuente.size > 0 || eje.TickLabels.Orientation) chart_axis_set_num_font(axis, &fuente);
        if (esDeValores) {
            if (eje.MinimumScale) chart_axis_set_min(axis, *eje.MinimumScale);
            if (eje.MaximumScale) chart_axis_set_max(axis, *eje.MaximumScale);
            if (eje.MajorUnit && *eje.MajorUnit > 0) chart_axis_set_major_unit(axis, *eje.MajorUnit);
            if (eje.MinorUnit && *eje.MinorUnit > 0) chart_axis_set_minor_unit(axis, *eje.MinorUnit);
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
