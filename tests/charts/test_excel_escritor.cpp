// The spreadsheet writer driving the in-memory workbook: cell references,
// cursor and row buffer, sheets, number formats, the version, the palette
// and the chart operations.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "charts/libroexcel.h"
#include "charts/u_ExcelFile.h"
#include "numerics/errores.h"
#include "numerics/formatsettings.h"

namespace {

class EscritorExcel : public ::testing::Test {
protected:
    explicit EscritorExcel(std::string version = "16.0") : app_(std::move(version)) {}

    TExcelFile Abrir(int capacidad = 3) { return TExcelFile::Create(app_, capacidad, "etiqueta"); }
    TLibroEnMemoria& Libro() { return app_.Libro(); }
    THojaEnMemoria& Hoja(const std::string& nombre) { return Libro().HojaDeTrabajo(nombre); }

    TAplicacionEnMemoria app_;
};

class EscritorExcelAntiguo : public EscritorExcel {
protected:
    EscritorExcelAntiguo() : EscritorExcel("11.0") {}
};

TValorCelda Num(double x) { return x; }
TValorCelda Txt(const char* s) { return std::string(s); }

// ---- References ----

class LetrasDeColumna : public ::testing::TestWithParam<std::tuple<int, const char*>> {};

TEST_P(LetrasDeColumna, BaseVeintiseisBiyectiva) {
    const auto [columna, letras] = GetParam();
    EXPECT_EQ(letrasColumna(columna), letras);
}

INSTANTIATE_TEST_SUITE_P(Columnas, LetrasDeColumna,
                         ::testing::Values(std::tuple{1, "A"}, std::tuple{26, "Z"}, std::tuple{27, "AA"},
                                           std::tuple{28, "AB"}, std::tuple{52, "AZ"}, std::tuple{53, "BA"},
                                           std::tuple{702, "ZZ"}, std::tuple{703, "AAA"},
                                           std::tuple{16384, "XFD"}));

TEST(ReferenciasExcel, CeldaYRango) {
    EXPECT_EQ(refCelda(1, 1), "A1");
    EXPECT_EQ(refCelda(12, 28), "AB12");
    EXPECT_EQ(refRango(3, 2, 5, 4), "B3:D5");
}

TEST(ReferenciasExcel, LecturaDeRangos) {
    const TRectanguloCeldas r = LeerReferenciaRango("d5:B3");
    EXPECT_EQ(std::tie(r.fila1, r.columna1, r.fila2, r.columna2), std::make_tuple(3, 2, 5, 4));
    const TRectanguloCeldas ultima = LeerReferenciaRango("XFD1048576");
    EXPECT_EQ(ultima.columna1, ColumnasHojaExcel);
    EXPECT_EQ(ultima.fila1, FilasHojaExcel);
    for (const char* mala : {"", "A", "12", "A0", "XFE1", "A1048577", "A1:", "A-1", "1A"})
        EXPECT_THROW(LeerReferenciaRango(mala), EErrorAutomatizacion) << mala;
}

// ---- Cursor, texts and the row buffer ----

TEST_F(EscritorExcel, BufferLlenoSigueLaFilaYVolcarLaTermina) {
    TExcelFile w = Abrir(3);
    for (double x : {1.0, 2.0, 3.0, 4.0}) w.agregarValor(x);
    // The fourth value flushed the first three; it waits alone.
    EXPECT_EQ(w.nValores, 1);
    EXPECT_EQ(w.columnaActual(), 5);
    w.volcarFila();
    const THojaEnMemoria& hoja = Hoja("Hoja1");
    for (int c = 1; c <= 4; ++c) EXPECT_EQ(hoja.Valor(1, c), Num(c)) << c;
    EXPECT_EQ(hoja.Celdas().size(), 4u);
    EXPECT_EQ(std::tie(w.fila, w.columna), std::make_tuple(2, 1));
    EXPECT_EQ(w.nValores, 0);
}

TEST_F(EscritorExcel, VolcarUnBufferVacioNoMueveElCursor) {
    TExcelFile w = Abrir();
    w.irACelda(4, 7);
    w.volcarFila();
    EXPECT_EQ(std::tie(w.fila, w.columna), std::make_tuple(4, 7));
    EXPECT_TRUE(Hoja("Hoja1").Celdas().empty());
}

TEST_F(EscritorExcel, TextoLnEscribeEnElCursorYPasaALaFilaSiguiente) {
    TExcelFile w = Abrir();
    w.irACelda(2, 3);
    w.escribirTextoLn("hola");
    EXPECT_EQ(Hoja("Hoja1").Valor(2, 3), Txt("hola"));
    EXPECT_EQ(std::tie(w.fila, w.columna), std::make_tuple(3, 1));
}

TEST_F(EscritorExcel, ValoresEnUnaAsignacionYArregloVacio) {
    TExcelFile w = Abrir();
    w.irACelda(5, 2);
    w.escribirValores({Num(1), Txt("x")});
    EXPECT_EQ(w.columna, 4);
    w.escribirValoresLn({});
    EXPECT_EQ(std::tie(w.fila, w.columna), std::make_tuple(5, 4));
    w.escribirValoresLn({Num(3)});
    EXPECT_EQ(std::tie(w.fila, w.columna), std::make_tuple(6, 1));
    const THojaEnMemoria& hoja = Hoja("Hoja1");
    EXPECT_EQ(hoja.Valor(5, 2), Num(1));
    EXPECT_EQ(hoja.Valor(5, 3), Txt("x"));
    EXPECT_EQ(hoja.Valor(5, 4), Num(3));
}

TEST_F(EscritorExcel, TextoCortoDeHasta255BytesSinPartirCaracteres) {
    TExcelFile w = Abrir();
    w.escribirTexto(std::string(300, 'a'));
    EXPECT_EQ(std::get<std::string>(Hoja("Hoja1").Valor(1, 1)).size(), 255u);
    // "é" takes bytes 255 and 256: it goes whole.
    w.escribirTexto(std::string(254, 'a') + "éz");
    EXPECT_EQ(std::get<std::string>(Hoja("Hoja1").Valor(1, 2)), std::string(254, 'a'));
}

TEST_F(EscritorExcel, CapacidadDeBufferMenorQueUnoRechazada) {
    EXPECT_THROW(Abrir(0), EErrorQuendal);
    EXPECT_THROW(Abrir(-3), EErrorQuendal);
    TExcelFile w;  // a record built by hand, without a buffer
    w.excel = &app_;
    w.hoja = &Hoja("Hoja1");
    EXPECT_THROW(w.agregarValor(1.0), EErrorQuendal);
    EXPECT_TRUE(Hoja("Hoja1").Celdas().empty());
}

// ---- Sheets ----

TEST_F(EscritorExcel, HojaNuevaSeNombraPorLaHojaAgregada) {
    TExcelFile w = Abrir();
    w.agregarHoja("A");  // before Hoja1, the active sheet
    w.seleccionarHoja("Hoja1");
    w.agregarHoja("B");  // before Hoja1 again: second, not first
    ASSERT_EQ(Libro().CantidadHojas(), 3);
    EXPECT_EQ(Libro().Hoja(1).Name(), "A");
    EXPECT_EQ(Libro().Hoja(2).Name(), "B");
    EXPECT_EQ(Libro().Hoja(3).Name(), "Hoja1");
}

TEST_F(EscritorExcel, IrAHojaSeleccionaYColocaElCursor) {
    TExcelFile w = Abrir();
    w.agregarHoja("Datos");
    w.seleccionarHoja("Hoja1");
    w.irAHoja("datos", 4, 2);  // names without regard to case
    EXPECT_EQ(w.hoja, &Hoja("Datos"));
    EXPECT_EQ(Libro().PosicionActiva(), 1);
    EXPECT_EQ(std::tie(w.fila, w.columna), std::make_tuple(4, 2));
    w.escribirCelda(Num(7));
    EXPECT_EQ(Hoja("Datos").Valor(4, 2), Num(7));
}

TEST_F(EscritorExcel, LaAplicacionRechazaNombresYHojasQueNoHay) {
    TExcelFile w = Abrir();
    w.agregarHoja("Prom");
    EXPECT_THROW(w.agregarHoja("PROM"), EErrorAutomatizacion);
    EXPECT_THROW(w.agregarHoja(""), EErrorAutomatizacion);
    EXPECT_THROW(w.agregarHoja(std::string(32, 'x')), EErrorAutomatizacion);
    EXPECT_THROW(w.agregarHoja("a/b"), EErrorAutomatizacion);
    EXPECT_THROW(w.seleccionarHoja("Otra"), EErrorAutomatizacion);
    EXPECT_THROW(Libro().Charts("Prom"), EErrorAutomatizacion);
}

// ---- Formats and version ----

TEST_F(EscritorExcel, CambiarFormatoEscribeLaLineaDeConsolaYElFormato) {
    TExcelFile w = Abrir();
    w.seleccionarRango(3, 2, 4, 3);
    ::testing::internal::CaptureStdout();
    w.cambiarFormato("0.00");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "EXCEL v: 1.6000000000000000E+001 cambiarForamto: 0.00\n");
    const THojaEnMemoria& hoja = Hoja("Hoja1");
    EXPECT_EQ(hoja.FormatoNumero(3, 2), "0.00");
    EXPECT_EQ(hoja.FormatoNumero(4, 3), "0.00");
    EXPECT_EQ(hoja.FormatoNumero(5, 3), "General");
    EXPECT_EQ(hoja.FormatoNumero(3, 1), "General");
}

TEST_F(EscritorExcel, LaVersionSeLeeConPuntoSeanCualesSeanLosAjustes) {
    const FormatSettings anteriores = AjustesFormato();
    AjustesFormato().DecimalSeparator = ',';
    const TExcelFile w = Abrir();
    const double version = w.versionExcel();
    AjustesFormato() = anteriores;
    EXPECT_EQ(version, 16.0);
    TAplicacionEnMemoria rara("dieciséis");
    EXPECT_THROW(TExcelFile::Create(rara, 1).versionExcel(), EConvertError);
}

// ---- Palette ----

TEST_F(EscritorExcel, IndiceDeColorEsLaPrimeraPosicion) {
    const TExcelFile w = Abrir();
    const TPaletaExcel paleta = w.leerPaleta();
    EXPECT_EQ(paleta[0], ColorRGB(0, 0, 0));
    EXPECT_EQ(paleta[14], ColorRGB(0xC0, 0xC0, 0xC0));
    // Blue stands at 5 and again at 32.
    EXPECT_EQ(indiceColor(ColorRGB(0, 0, 255), paleta), 5);
    EXPECT_EQ(indiceColor(ColorRGB(1, 2, 3), paleta), -1);
    EXPECT_EQ(indiceColor(clNone, paleta), -1);
    Libro().SetColors(56, ColorRGB(1, 2, 3));
    EXPECT_EQ(indiceColor(ColorRGB(1, 2, 3), w.leerPaleta()), 56);
}

// ---- Charts ----

// Header "x", "a", "b" in row 2 of sheet "Prom", three rows of numbers.
void LlenarHojaProm(TExcelFile& w) {
    w.agregarHoja("Prom");
    w.irAHoja("Prom", 2, 1);
    w.escribirValoresLn({Txt("x"), Txt("a"), Txt("b")});
    for (int f = 0; f < 3; ++f) w.escribirValoresLn({Num(f), Num(10 + f), Num(20 + f)});
}

TEST_F(EscritorExcel, CrearGraficoNombraLaHojaGYTomaLasSeriesDeLasColumnas) {
    TExcelFile w = Abrir();
    LlenarHojaProm(w);
    IHojaExcel* antes = w.hoja;
    EXPECT_EQ(w.crearGrafico("Prom", 1, 3, 2, 5, 74), "gProm");
    EXPECT_EQ(w.hoja, antes);
    TGraficoEnMemoria& g = Libro().Grafico("gProm");
    EXPECT_EQ(Libro().Hoja(1).Name(), "gProm");  // before the active sheet, and active
    EXPECT_EQ(Libro().PosicionActiva(), 1);
    EXPECT_EQ(g.ChartType(), 74);
    ASSERT_EQ(g.SeriesCount(), 2);
    const TSerieExcel& b = g.SeriesCollection(2);
    EXPECT_EQ(b.Name, "b");
    EXPECT_EQ(b.hojaOrigen, "Prom");
    EXPECT_EQ(std::tie(b.primeraFila, b.ultimaFila, b.columnaCategorias, b.columnaValores),
              std::make_tuple(3, 5, 1, 3));
    EXPECT_EQ(g.AreaGrafico().Font.Size, 14.0);
    EXPECT_EQ(g.Axes(2).TickLabels.NumberFormat, "0.0");
    EXPECT_EQ(g.Seleccion(), TParteGraficoExcel::AreaGrafico);
}

TEST_F(EscritorExcel, ConfigurarGrafico) {
    TExcelFile w = Abrir();
    LlenarHojaProm(w);
    const std::string nombre = w.crearGrafico("Prom", 1, 3, 2, 5, 74);
    w.configurarGrafico(nombre, 65, "Título", "MW", true, false, -1, 9, 100, 200, "no se muestra");
    TGraficoEnMemoria& g = Libro().Grafico(nombre);
    EXPECT_EQ(g.ChartType(), 65);
    EXPECT_EQ(g.SeriesCollection(1).ChartType, 65);
    EXPECT_TRUE(g.Titulo().HasTitle);
    EXPECT_EQ(g.Titulo().Text, "Título");
    EXPECT_FALSE(g.Axes(1).HasTitle);
    EXPECT_EQ(g.Axes(1).MinimumScale, 100.0);
    EXPECT_EQ(g.Axes(1).MaximumScale, 200.0);
    EXPECT_TRUE(g.Axes(2).HasTitle);
    EXPECT_EQ(g.Axes(2).AxisTitle, "MW");
    EXPECT_FALSE(g.Axes(2).MinimumScale.has_value());
    EXPECT_EQ(g.Axes(2).MaximumScale, 9.0);
    EXPECT_EQ(g.AreaTrazado().Interior.ColorIndex, 2);
    EXPECT_EQ(g.SeriesCollection(2).MarkerSize, 2);

    // A stacked area keeps its category bounds automatic; no title, no title.
    w.configurarGrafico(nombre, 76, "", "", false, true, 0, 0, 5, 6, "");
    EXPECT_EQ(g.Axes(1).MinimumScale, 100.0);
    EXPECT_EQ(g.Titulo().Text, "Título");
    EXPECT_EQ(g.Axes(2).MinimumScale, 0.0);
    EXPECT_FALSE(g.Axes(2).MaximumScale.has_value());
}

TEST_F(EscritorExcel, FormatearSerieConColoresDesdeLaVersion12) {
    TExcelFile w = Abrir();
    LlenarHojaProm(w);
    const std::string nombre = w.crearGrafico("Prom", 1, 3, 2, 5, 74);
    const TColor rojo = ColorRGB(255, 0, 0);
    w.formatearSerie(nombre, 1, 74, 76, 1, rojo, clNone);
    w.formatearSerie(nombre, 2, 74, 74, 2, rojo, ColorRGB(0, 0, 255));
    TGraficoEnMemoria& g = Libro().Grafico(nombre);
    const TSerieExcel& area = g.SeriesCollection(1);
    EXPECT_EQ(area.ChartType, 76);
    EXPECT_EQ(area.Interior.Color, rojo);
    EXPECT_EQ(area.Border.Color, rojo);
    EXPECT_FALSE(area.MarkerStyle.has_value());
    const TSerieExcel& dispersion = g.SeriesCollection(2);
    EXPECT_EQ(dispersion.AxisGroup, 2);
    EXPECT_FALSE(dispersion.Interior.Color.has_value());
    EXPECT_EQ(dispersion.MarkerStyle, -4105);
    EXPECT_EQ(dispersion.MarkerBackgroundColorIndex, 5);
    EXPECT_EQ(dispersion.MarkerForegroundColor, rojo);
    EXPECT_THROW(w.formatearSerie(nombre, 3, 74, 74, 1, rojo, clNone), EErrorAutomatizacion);
}

TEST_F(EscritorExcel, FormatearSerieConColorPorDefectoSoloFijaTipoYEje) {
    TExcelFile w = Abrir();
    LlenarHojaProm(w);
    const std::string nombre = w.crearGrafico("Prom", 1, 3, 2, 5, 74);
    w.formatearSerie(nombre, 1, 74, 4, 2, clDefault, clNone);
    const TSerieExcel& s = Libro().Grafico(nombre).SeriesCollection(1);
    EXPECT_EQ(s.ChartType, 4);
    EXPECT_EQ(s.AxisGroup, 2);
    EXPECT_FALSE(s.Border.Color.has_value());
    EXPECT_FALSE(s.Border.ColorIndex.has_value());
}

TEST_F(EscritorExcelAntiguo, FormatearSerieConIndicesDePaletaAntesDeLaVersion12) {
    TExcelFile w = Abrir();
    LlenarHojaProm(w);
    const std::string nombre = w.crearGrafico("Prom", 1, 3, 2, 5, 74);
    w.formatearSerie(nombre, 1, 74, 76, 1, ColorRGB(0, 0, 255), clDefault);
    w.formatearSerie(nombre, 2, 74, 74, 1, ColorRGB(1, 2, 3), clNone);
    TGraficoEnMemoria& g = Libro().Grafico(nombre);
    const TSerieExcel& area = g.SeriesCollection(1);
    EXPECT_EQ(area.Interior.ColorIndex, 5);
    EXPECT_EQ(area.Border.ColorIndex, 5);
    EXPECT_FALSE(area.Border.Color.has_value());
    const TSerieExcel& dispersion = g.SeriesCollection(2);
    EXPECT_EQ(dispersion.Border.ColorIndex, -1);  // not in the palette: passed on
    EXPECT_EQ(dispersion.MarkerForegroundColorIndex, -1);
    EXPECT_EQ(dispersion.MarkerBackgroundColorIndex, -1);
    EXPECT_EQ(dispersion.MarkerSize, 2);
}

}  // namespace
