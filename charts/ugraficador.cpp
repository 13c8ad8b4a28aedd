#include "charts/ugraficador.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <cmath>
#include <utility>

#include "charts/lienzoqt.h"
#include "charts/uescalaejes.h"
#include "numerics/errores.h"
#include "numerics/fechas.h"
#include "numerics/formatonumeros.h"
#include "numerics/textoreal.h"

const std::array<TColorPaleta, kColoresPaleta> PaletaDeColores = {{
    {"Negro", TColor::RGB(0, 0, 0)},
    {"Marrón", TColor::RGB(128, 0, 0)},
    {"Verde", TColor::RGB(0, 128, 0)},
    {"Oliva", TColor::RGB(128, 128, 0)},
    {"Azul marino", TColor::RGB(0, 0, 128)},
    {"Púrpura", TColor::RGB(128, 0, 128)},
    {"Verde azulado", TColor::RGB(0, 128, 128)},
    {"Gris", TColor::RGB(128, 128, 128)},
    {"Plata", TColor::RGB(192, 192, 192)},
    {"Rojo", TColor::RGB(255, 0, 0)},
    {"Lima", TColor::RGB(0, 255, 0)},
    {"Amarillo", TColor::RGB(255, 255, 0)},
    {"Azul", TColor::RGB(0, 0, 255)},
    {"Fusia", TColor::RGB(255, 0, 255)},
    {"Agua", TColor::RGB(0, 255, 255)},
}};

const char* NombreMarcador(TTipoMarcador tipo) {
    static constexpr const char* kNombres[kTiposMarcador] = {"Circulo", "Cuadro", "Rombo", "Cruz", "X"};
    return tipo < kTiposMarcador ? kNombres[tipo] : "";
}

namespace {

constexpr int kIzquierdo = 0;
constexpr int kDerecho = 1;

// Removes the leading and trailing characters below code 33.
std::string SinBlancosExtremos(std::string_view s) {
    auto blanco = [](char c) { return static_cast<unsigned char>(c) < 33; };
    while (!s.empty() && blanco(s.front())) s.remove_prefix(1);
    while (!s.empty() && blanco(s.back())) s.remove_suffix(1);
    return std::string(s);
}

// Whole part toward zero of a pixel computation, bounded like a pixel.
int Entero(double x) { return AcotarPixel(x); }

// Pixels per unit over a shown range; 0 when the range is empty or not finite.
double EscalaDe(int pixeles, double min, double max) {
    const double rango = max - min;
    if (!(rango > 0) || !std::isfinite(rango)) return 0;
    return pixeles / rango;
}

// m := m + a + b when a > 0.
void Sumar(int& m, int a, int b) {
    if (a > 0) m += a + b;
}

// Widens [min, max] to the finite values of v; returns false when v has none.
bool AmpliarConValores(const TDAofNReal& v, double& min, double& max, bool reemplazar) {
    bool alguno = false;
    for (double x : v) {
        if (!std::isfinite(x)) continue;
        if (reemplazar && !alguno) {
            min = max = x;
        } else {
            min = std::min(min, x);
            max = std::max(max, x);
        }
        alguno = true;
    }
    return alguno;
}

double ValorOCero(const TDAofNReal& v, std::size_t j) {
    return j < v.size() && std::isfinite(v[j]) ? v[j] : 0.0;
}

}  // namespace

int AcotarPixel(double t) {
    if (std::isnan(t) || t < -32767) return -32767;
    if (t > 32767) return 32767;
    return static_cast<int>(t);
}

// ---- Axis ----

namespace {

constexpr int kMaximoDecimales = 18;

bool EsFormatoDeDecimales(int32_t formato) {
    return formato == FR_Fijo || formato == FR_Numero || formato == FR_Moneda;
}

// Whether the step is a whole number of units of its d-th decimal.
bool PasoExactoCon(double paso, int d) {
    const double unidades = paso * std::pow(10.0, d);
    return std::fabs(unidades - std::nearbyint(unidades)) <= 1e-6 * std::max(1.0, unidades);
}

}  // namespace

// Labels with fewer decimals than the step needs read alike ("0.01 0.01
// 0.02" for a step of 0.0025). Such an axis takes the fewest decimals that
// make one step at least one unit of the last one, or up to two more when
// those show the step exactly (0.0025 gives 4); never more than the labels'
// significant digits leave after the integer part.
int TEjeGrafico::DecimalesDeEtiquetas() const {
    const int propios = std::clamp(Digitos, 0, kMaximoDecimales);
    if (!std::isfinite(Paso) || Paso <= 0 || Paso * std::pow(10.0, propios) >= 1 - 1e-9) return propios;
    const double mayor = std::max(std::fabs(Origen), std::fabs(ValorMarca(Divisiones)));
    const int enteros = mayor >= 1 ? static_cast<int>(std::floor(std::log10(mayor))) + 1 : 0;
    const int tope = std::clamp(Precision - enteros, propios, kMaximoDecimales);
    int distinguen = propios;
    while (distinguen < tope && Paso * std::pow(10.0, distinguen) < 1 - 1e-9) ++distinguen;
    for (int d = distinguen; d <= std::min(distinguen + 2, tope); ++d)
        if (PasoExactoCon(Paso, d)) return d;
    return distinguen;
}

std::unique_ptr<TEjeGrafico> TEjeGrafico::Create(std::string_view titulo, uint8_t tipoEtiqueta) {
    std::unique_ptr<TEjeGrafico> eje(new TEjeGrafico());
    eje->Titulo = SinBlancosExtremos(titulo);
    eje->TipoEtiqueta = tipoEtiqueta;
    return eje;
}

void TEjeGrafico::FijarMinimo(double v) {
    MinFijo = v;
    MinAutomatico = false;
}

void TEjeGrafico::FijarMaximo(double v) {
    MaxFijo = v;
    MaxAutomatico = false;
}

void TEjeGrafico::FijarDivisiones(int n) {
    DivisionesFijas = std::max(n, 1);
    DivisionesAutomaticas = false;
}

void TEjeGrafico::Escalar(double& min, double& max) {
    MinDatos = min;
    MaxDatos = max;
    MinTrabajo = MinAutomatico ? min : MinFijo;
    MaxTrabajo = MaxAutomatico ? max : MaxFijo;
    if (!std::isfinite(MinTrabajo) || !std::isfinite(MaxTrabajo)) {
        MinTrabajo = 0;
        MaxTrabajo = 1;
    }
    if (MinTrabajo > MaxTrabajo) std::swap(MinTrabajo, MaxTrabajo);

    const bool esFecha = TipoEtiqueta == TE_FechaHora;
    Divisiones = DivisionesAutomaticas ? divisionesIniciales_ : std::max(DivisionesFijas, 1);
    if (esFecha)
        EscalaTiempo(MinTrabajo, MaxTrabajo, Paso, Divisiones, true);
    else if (DivisionesAutomaticas)
        EscalaAmigableAuto(MinTrabajo, MaxTrabajo, Paso, Divisiones, true);
    else
        EscalaAmigable(MinTrabajo, MaxTrabajo, Paso, MinTrabajo, MaxTrabajo, Divisiones, true);

    if (Divisiones < 1) Divisiones = 1;
    while (!esFecha && Divisiones > 12) {
        if (Divisiones % 2 == 0) Divisiones /= 2;
        else if (Divisiones % 3 == 0) Divisiones /= 3;
        else if (Divisiones % 5 == 0) Divisiones /= 5;
        else Divisiones = 12;
    }

    MinMostrado = MinTrabajo;
    MaxMostrado = MaxTrabajo;
    if (std::fabs(MaxMostrado - MinMostrado) < UmbralCero) {
        MinMostrado -= 10 * UmbralCero;
        MaxMostrado += 10 * UmbralCero;
    }
    Origen = MinMostrado;
    Paso = (MaxMostrado - MinMostrado) / Divisiones;
    min = MinMostrado;
    max = MaxMostrado;
}

std::string TEjeGrafico::Etiqueta(int i) const {
    const double v = ValorMarca(i);
    switch (TipoEtiqueta) {
        case TE_Entero:
            return EnteroRedondeadoATexto(v);
        case TE_FechaHora:
            try {
                return FormatDateTime(FormatoFecha, v);
            } catch (const EConvertError&) {
                return FormatoGeneral(v, 15);  // a tick outside the calendar
            }
        default:
            return FloatToStrF(v, FormatoNumero, Precision,
                               EsFormatoDeDecimales(FormatoNumero) ? DecimalesDeEtiquetas() : Digitos);
    }
}

// ---- Series and boxes ----

std::unique_ptr<TSerieGrafico> TSerieGrafico::Create(std::string_view nombre, TDAofNReal valores,
                                                     TSerieGrafico* serieX, TGrafico* grafico,
                                                     std::string_view formatoVisual, bool esAbscisa) {
    std::unique_ptr<TSerieGrafico> s(new TSerieGrafico());
    s->Nombre = std::string(nombre);
    s->Valores = std::move(valores);
    s->SerieX = serieX;
    s->FormatoVisual = std::string(formatoVisual);
    s->Rol = esAbscisa ? RS_Abscisa : (serieX != nullptr ? RS_ConSerieX : RS_Otra);
    if (grafico != nullptr) {
        const TColor c = grafico->SiguienteColor();
        s->ColorRelleno = s->ColorLinea = s->ColorMarcador = c;
        s->TipoMarcador = grafico->SiguienteMarcador();
        s->TipoSerie = grafico->TipoSeriePorDefecto();
    }
    return s;
}

std::unique_ptr<TCajaGraficoXY> TCajaGraficoXY::Create(double x1, double y1, double x2, double y2,
                                                       std::string_view texto) {
    std::unique_ptr<TCajaGraficoXY> c(new TCajaGraficoXY());
    c->x1 = x1;
    c->y1 = y1;
    c->x2 = x2;
    c->y2 = y2;
    c->Texto = std::string(texto);
    return c;
}

// ---- Chart model ----

std::unique_ptr<TGrafico> TGrafico::Create(std::string_view nombre, std::string_view notaPie,
                                           uint8_t tipoSeriePorDefecto, int32_t logo) {
    std::unique_ptr<TGrafico> g(new TGrafico());
    g->nombre_ = std::string(nombre);
    g->notaPie_ = std::string(notaPie);
    g->tipoSeriePorDefecto_ = tipoSeriePorDefecto;
    g->logo_ = logo;
    g->EjeX = TEjeGrafico::Create("", TE_Real);
    g->EjeY = TEjeGrafico::Create("", TE_Real);
    g->EjeY2 = TEjeGrafico::Create("", TE_Real);
    return g;
}

TGrafico::~TGrafico() = default;

TSerieGrafico* TGrafico::AgregarSerie(std::unique_ptr<TSerieGrafico> serie) {
    TSerieGrafico* s = serie.get();
    if (s->Rol == RS_Abscisa) {
        seriesAbscisa_.push_back(std::move(serie));
        return s;
    }
    if (s->TipoSerie == TSG_LineaConMarcadores && s->SerieX == nullptr && !seriesAbscisa_.empty())
        s->SerieX = seriesAbscisa_.front().get();
    seriesY_.push_back(std::move(serie));
    return s;
}

TCajaGraficoXY* TGrafico::AgregarCaja(std::unique_ptr<TCajaGraficoXY> caja) {
    cajas_.push_back(std::move(caja));
    return cajas_.back().get();
}

TColor TGrafico::SiguienteColor() {
    const TColor c = PaletaDeColores[static_cast<std::size_t>(contadorPaleta_)].color;
    contadorPaleta_ = (contadorPaleta_ + 1) % kColoresPaleta;
    return c;
}

TTipoMarcador TGrafico::SiguienteMarcador() {
    const auto m = static_cast<TTipoMarcador>(contadorMarcador_);
    contadorMarcador_ = (contadorMarcador_ + 1) % kTiposMarcador;
    return m;
}

int TGrafico::PixelX(double x) const { return PlotIzquierda + AcotarPixel((x - MinX) * EscalaX + 0.5); }
int TGrafico::PixelY(double y) const { return PlotAbajo - AcotarPixel((y - MinY) * EscalaY + 0.5); }
int TGrafico::PixelY2(double y) const { return PlotAbajo - AcotarPixel((y - MinY2) * EscalaY2 + 0.5); }

int TGrafico::PixelYDeSerie(const TSerieGrafico& serie, double y) const {
    return serie.EjeDerecho ? PixelY2(y) : PixelY(y);
}

// ---- Markers, logo and boxes ----

void DibujarMarcador(TLienzo& lienzo, int x, int y, TTipoMarcador tipo, int anchoPluma, int e) {
    const int anchoEncontrado = lienzo.Pluma.Ancho;
    lienzo.Pluma.Ancho = anchoPluma;
    switch (tipo) {
        case TM_Circulo:
            lienzo.Elipse(x - e, y - e, x + e, y + e);
            break;
        case TM_Cuadro:
            lienzo.Rectangulo(x - e, y - e, x + e, y + e);
            break;
        case TM_Rombo:
            lienzo.Poligono({{x, y - e}, {x - e, y}, {x, y + e}, {x + e, y}});
            break;
        case TM_Cruz:
            lienzo.Linea(x - e, y, x + e, y);
            lienzo.Linea(x, y - e, x, y + e);
            break;
        case TM_X:
            lienzo.Linea(x - e, y - e, x + e, y + e);
            lienzo.Linea(x - e, y + e, x + e, y - e);
            break;
    }
    lienzo.Pluma.Ancho = anchoEncontrado;
}

void DibujarLogo(TLienzo& lienzo, int x, int y) {
    const TColor plumaEncontrada = lienzo.Pluma.Color;
    const int h = lienzo.AltoTexto("S") / 2;
    const int g = 2;
    const int yb = y + h + h / 2 - 2;
    struct Cuadro {
        int x1, y1, x2, y2;
        TColor color;
    };
    const Cuadro cuadros[] = {
        {x, yb - 2 * h - 2 * g, x + h, yb - h - 2 * g, TColor::RGB(255, 211, 32)},
        {x + h + g, yb - 2 * h - 2 * g, x + 2 * h + g, yb - h - 2 * g, TColor::RGB(131, 202, 254)},
        {x + h + g, yb - h - g, x + 2 * h + g, yb - g, TColor::RGB(153, 101, 0)},
        {x, yb - h - g, x + h, yb - g, TColor::RGB(101, 204, 0)},
    };
    lienzo.Brocha.Estilo = TEstiloBrocha::Solido;
    for (const Cuadro& c : cuadros) {
        lienzo.Brocha.Color = c.color;
        lienzo.Pluma.Color = c.color;
        lienzo.Rectangulo(c.x1, c.y1, c.x2, c.y2);
    }
    lienzo.Brocha.Color = clNinguno;
    lienzo.Texto(x + 2 * h + 2 * g, yb - 2 * h, "Tarnek");
    lienzo.Pluma.Color = plumaEncontrada;
}

void TGrafico::DibujarCaja(const TCajaGraficoXY& caja, TLienzo& lienzo) {
    const int p1 = PixelX(caja.x1), p2 = PixelX(caja.x2);
    const int q1 = caja.EjeDerecho ? PixelY2(caja.y1) : PixelY(caja.y1);
    const int q2 = caja.EjeDerecho ? PixelY2(caja.y2) : PixelY(caja.y2);
    lienzo.Pluma.Estilo = caja.EstiloPluma;
    lienzo.Brocha.Estilo = caja.EstiloBrocha;
    if (!caja.ColorBorde.EsNinguno() || !caja.ColorRelleno.EsNinguno()) {
        lienzo.Pluma.Color = caja.ColorBorde;
        lienzo.Brocha.Color = caja.ColorRelleno;
        lienzo.Rectangulo(p1, q1, p2, q2);
    }
    if (caja.Texto.empty()) return;
    lienzo.Brocha.Color = caja.ColorRelleno;
    lienzo.Fuente.Color = caja.ColorTexto;
    const TExtensionTexto ext = lienzo.ExtensionTexto(caja.Texto);
    lienzo.Texto(Entero(std::nearbyint((p1 + p2) * 0.5 - ext.ancho * 0.5)),
                 Entero(std::nearbyint((q1 + q2) * 0.5 - ext.alto * 0.5)), caja.Texto);
}

// ---- Drawing ----

void TGrafico::Dibujar(TLienzo& lienzo, int ancho, int alto) {
    CalcularRangoX();
    DetectarEjeDeFechas();
    const TListasPorTipo listas = CalcularRangosY();
    // A cumulative bar stacks percentages from 0: its axis runs from 0 (or
    // below) to 100, so that each segment is as high as its value.
    if (listas.Hay(TSG_BarraAcumulada)) {
        MaxY = 100;
        MinY = std::min(MinY, 0.0);
    }
    // Grouped bars stand on the left axis' zero: the axis shows it, so that
    // no bar starts out of sight and the smallest one does not vanish.
    if (listas.Hay(TSG_BarrasAgrupadas)) {
        MinY = std::min(MinY, 0.0);
        MaxY = std::max(MaxY, 0.0);
    }
    EscalarEjes();

    lienzo.Fuente.Orientacion = 0;
    lienzo.Fuente.Tamanio = TamanioFuente;
    lienzo.Fuente.Color = clNegro;  // a box's text colour does not reach the next drawing
    MedirTextos(lienzo, listas);
    Distribuir(lienzo, ancho, alto);

    DibujarFondoYTitulo(lienzo, ancho, alto);
    DibujarLeyenda(lienzo, ancho);
    DibujarSeries(lienzo, ancho, alto, listas);

    lienzo.Recortar(0, 0, ancho, alto);
    lienzo.Pluma = TPluma{clNegro, 1, TEstiloPluma::Solido};
    lienzo.Brocha = TBrocha{clBlanco, TEstiloBrocha::Solido};
    DibujarEtiquetasDeEjes(lienzo);
    DibujarTitulosDeEjes(lienzo, ancho, alto);
    DibujarGrilla(lienzo);
    for (const auto& caja : cajas_) DibujarCaja(*caja, lienzo);
    DibujarLogoYNota(lienzo, ancho, alto);
}

void TGrafico::CalcularRangoX() {
    // Without abscissa series the range is the one handed to the last
    // scaling (the data's, not the widened bounds), so redrawing repeats it.
    MinX = EjeX->MinDatos;
    MaxX = EjeX->MaxDatos;
    bool primero = true;
    for (const auto& s : seriesAbscisa_)
        if (AmpliarConValores(s->Valores, MinX, MaxX, primero)) primero = false;
}

void TGrafico::DetectarEjeDeFechas() {
    if (seriesAbscisa_.empty()) return;
    const std::string& formato = seriesAbscisa_.back()->FormatoVisual;
    const bool esFecha = formato.find_first_of("-/") != std::string::npos || formato == "c";
    if (!esFecha) return;
    EjeX->TipoEtiqueta = TE_FechaHora;
    EjeX->FormatoFecha = SinBlancosExtremos(formato);
}

TGrafico::TListasPorTipo TGrafico::CalcularRangosY() {
    TListasPorTipo listas;
    MinY = EjeY->MinDatos;
    MaxY = EjeY->MaxDatos;
    MinY2 = EjeY2->MinDatos;
    MaxY2 = EjeY2->MaxDatos;
    cuentaIzquierda_ = cuentaDerecha_ = 0;
    marcadorMayor_ = 0;
    for (const auto& s : seriesY_) {
        const uint8_t tipo = s->TipoSerie <= TSG_BarraAcumulada ? s->TipoSerie : static_cast<uint8_t>(TSG_Listada);
        const int eje = s->EjeDerecho ? kDerecho : kIzquierdo;
        listas.listas[tipo][eje].push_back(s.get());
        marcadorMayor_ = std::max(marcadorMayor_, s->TamanioMarcador);
        if (tipo == TSG_AreaApilada) continue;
        double& min = eje == kDerecho ? MinY2 : MinY;
        double& max = eje == kDerecho ? MaxY2 : MaxY;
        int& cuenta = eje == kDerecho ? cuentaDerecha_ : cuentaIzquierda_;
        if (AmpliarConValores(s->Valores, min, max, cuenta == 0)) ++cuenta;
    }
    SumarRangoApilado(listas.De(TSG_AreaApilada, kIzquierdo), MinY, MaxY, cuentaIzquierda_);
    SumarRangoApilado(listas.De(TSG_AreaApilada, kDerecho), MinY2, MaxY2, cuentaDerecha_);
    return listas;
}

void TGrafico::SumarRangoApilado(const TListaSeries& lista, double& min, double& max, int& cuenta) {
    if (lista.empty()) return;
    if (cuenta == 0) min = max = 0;
    ++cuenta;
    TDAofNReal sumas(lista.front()->Valores.size(), 0.0);
    for (const TSerieGrafico* s : lista) {
        for (std::size_t j = 0; j < sumas.size(); ++j) {
            sumas[j] += ValorOCero(s->Valores, j);
            min = std::min(min, sumas[j]);
            max = std::max(max, sumas[j]);
        }
    }
}

void TGrafico::EscalarEjes() {
    EjeX->Escalar(MinX, MaxX);
    EjeY->Escalar(MinY, MaxY);
    if (EjeY2->MinAutomatico) EjeY2->FijarDivisiones(EjeY->Divisiones);
    EjeY2->Escalar(MinY2, MaxY2);
}

void TGrafico::MedirTextos(TLienzo& lienzo, const TListasPorTipo& listas) {
    const int altoM = lienzo.AltoTexto("M");
    unidad_ = altoM / 2;
    altoTitulo_ = SinBlancosExtremos(Titulo).empty() ? 0 : altoM;
    altoTituloX_ = SinBlancosExtremos(EjeX->Titulo).empty() ? 0 : altoM;
    altoTituloDerecho_ = SinBlancosExtremos(EjeY2->Titulo).empty() ? 0 : altoM;
    altoTituloIzquierdo_ = EjeY->Titulo.empty() ? 0 : altoM;

    auto anchoMayorDeEtiquetas = [&lienzo](const TEjeGrafico& eje) {
        int mayor = 0;
        for (int i = 0; i <= eje.Divisiones; ++i) mayor = std::max(mayor, lienzo.AnchoTexto(eje.Etiqueta(i)));
        return mayor;
    };
    altoEtiquetasX_ = anchoMayorDeEtiquetas(*EjeX);
    anchoLeyenda_ = 0;
    for (const auto& s : seriesY_) anchoLeyenda_ = std::max(anchoLeyenda_, lienzo.AnchoTexto(s->Nombre));
    anchoEtiquetasAcumuladas_ = 0;
    for (const TSerieGrafico* s : listas.De(TSG_BarraAcumulada, kIzquierdo))
        for (const auto& e : s->Etiquetas) anchoEtiquetasAcumuladas_ = std::max(anchoEtiquetasAcumuladas_, lienzo.AnchoTexto(e));
    for (const TSerieGrafico* s : listas.De(TSG_BarraAcumulada, kDerecho))
        for (const auto& e : s->Etiquetas) anchoEtiquetasAcumuladas_ = std::max(anchoEtiquetasAcumuladas_, lienzo.AnchoTexto(e));
    if (listas.Hay(TSG_BarraAcumulada)) altoEtiquetasX_ = 0;
    altoFilaLeyenda_ = Entero(std::max(altoM, marcadorMayor_) * 1.1 + 0.5);
    anchoEtiquetasIzquierda_ = cuentaIzquierda_ > 0 ? anchoMayorDeEtiquetas(*EjeY) : 0;
    anchoEtiquetasDerecha_ = cuentaDerecha_ > 0 ? anchoMayorDeEtiquetas(*EjeY2) : 0;
}

void TGrafico::Distribuir(TLienzo& lienzo, int ancho, int alto) {
    const int u = unidad_;
    PlotIzquierda = u;
    Sumar(PlotIzquierda, altoTituloIzquierdo_, u);
    Sumar(PlotIzquierda, anchoEtiquetasIzquierda_, u);

    int derecho = u;
    Sumar(derecho, anchoLeyenda_, u);
    Sumar(derecho, altoTituloDerecho_, u);
    Sumar(derecho, anchoEtiquetasDerecha_, u);
    Sumar(derecho, marcadorMayor_, 2 * u);
    Sumar(derecho, anchoEtiquetasAcumuladas_, lienzo.AnchoTexto("## %"));
    PlotDerecha = ancho - derecho;

    PlotArriba = u;
    Sumar(PlotArriba, altoTitulo_, u);

    int inferior = u;
    Sumar(inferior, altoTituloX_, u);
    Sumar(inferior, altoEtiquetasX_, u);
    PlotAbajo = alto - inferior;

    EscalaX = EscalaDe(PlotDerecha - PlotIzquierda, MinX, MaxX);
    if (cuentaIzquierda_ > 0) EscalaY = EscalaDe(PlotAbajo - PlotArriba, MinY, MaxY);
    if (cuentaDerecha_ > 0) EscalaY2 = EscalaDe(PlotAbajo - PlotArriba, MinY2, MaxY2);
}

void TGrafico::DibujarFondoYTitulo(TLienzo& lienzo, int ancho, int alto) {
    lienzo.Pluma = TPluma{clNegro, 1, TEstiloPluma::Solido};
    lienzo.Brocha = TBrocha{clBlanco, TEstiloBrocha::Solido};
    lienzo.RellenarRectangulo(0, 0, ancho - 1, alto - 1);
    lienzo.Rectangulo(PlotIzquierda, PlotArriba, PlotDerecha, PlotAbajo);
    const int x = Entero((PlotDerecha + PlotIzquierda) * 0.5 - lienzo.AnchoTexto(Titulo) * 0.5);
    lienzo.Texto(x, unidad_, Titulo);
}

void TGrafico::DibujarLeyenda(TLienzo& lienzo, int ancho) {
    const int u = unidad_;
    const int fila = altoFilaLeyenda_;
    const int x0 = ancho - u - anchoLeyenda_;
    const int y0 = PlotArriba + u;
    for (std::size_t i = 0; i < seriesY_.size(); ++i) {
        const TSerieGrafico& s = *seriesY_[i];
        const int desde = y0 + static_cast<int>(i) * fila;
        const int ym = Entero(desde + fila * 0.5 + 0.5);
        const int xm = x0 - s.TamanioMarcador - u;
        const uint8_t tipo = s.TipoSerie;
        if (tipo == TSG_AreaApilada || tipo == TSG_BarrasAgrupadas || tipo == TSG_BarraAcumulada) {
            lienzo.Pluma.Color = clBlanco;
            lienzo.Brocha = TBrocha{s.ColorRelleno, TEstiloBrocha::Solido};
            const int w = 2 * marcadorMayor_;
            const int h = fila - marcadorMayor_;
            lienzo.Pluma.Ancho = 2;
            const int x1 = xm - w / 2, y1 = ym - h / 2, x2 = xm - w / 2 + w, y2 = ym + h;
            lienzo.Rectangulo(x1, y1, x2, y2);
            if (!lienzo.Brocha.Color.EsNinguno()) lienzo.RellenarRectangulo(x1, y1, x2, y2);
            lienzo.Brocha.Estilo = TEstiloBrocha::Transparente;
        } else {
            lienzo.Pluma.Color = s.ColorMarcador;
            lienzo.Brocha = TBrocha{s.ColorRellenoMarcador, TEstiloBrocha::Transparente};
            DibujarMarcador(lienzo, xm, ym, s.TipoMarcador, 2, s.TamanioMarcador);
        }
        lienzo.Pluma.Color = clNegro;
        lienzo.Texto(x0, desde, s.Nombre);
    }
}

void TGrafico::DibujarSeries(TLienzo& lienzo, int ancho, int alto, const TListasPorTipo& listas) {
    lienzo.Recortar(PlotIzquierda, PlotArriba, PlotDerecha, PlotAbajo);

    lienzo.Pluma.Color = clNegro;
    lienzo.Pluma.Ancho = 2;
    DibujarAreasApiladas(lienzo, listas.De(TSG_AreaApilada, kIzquierdo));
    DibujarAreasApiladas(lienzo, listas.De(TSG_AreaApilada, kDerecho));

    for (int eje : {kIzquierdo, kDerecho}) {
        DibujarLineas(lienzo, listas.De(TSG_LineaConMarcadores, eje));
        DibujarMarcadores(lienzo, listas.De(TSG_LineaConMarcadores, eje));
    }

    lienzo.Pluma.Ancho = 1;
    DibujarBarrasAgrupadas(lienzo, listas.De(TSG_BarrasAgrupadas, kIzquierdo));
    DibujarBarrasAgrupadas(lienzo, listas.De(TSG_BarrasAgrupadas, kDerecho));
    if (listas.Hay(TSG_BarrasAgrupadas)) DibujarEtiquetasDeBarras(lienzo, ancho, alto);

    lienzo.Recortar(PlotIzquierda, PlotArriba, PlotDerecha, PlotAbajo);
    lienzo.Pluma.Ancho = 1;
    DibujarBarraAcumulada(lienzo, listas.De(TSG_BarraAcumulada, kIzquierdo));
    DibujarBarraAcumulada(lienzo, listas.De(TSG_BarraAcumulada, kDerecho));
    if (listas.Hay(TSG_BarraAcumulada)) DibujarEtiquetasAcumuladas(lienzo, ancho, alto);
}

void TGrafico::DibujarEtiquetasDeEjes(TLienzo& lienzo) {
    const int u = unidad_;
    if (EjeX->EtiquetasVerticales) {
        lienzo.Fuente.Orientacion = 900;
        const int hh = lienzo.AltoTexto("1") / 2;
        for (int i = 0; i <= EjeX->Divisiones; ++i) {
            const int p = PixelX(EjeX->ValorMarca(i));
            const std::string t = EjeX->Etiqueta(i);
            lienzo.Texto(p - hh, PlotAbajo + u + lienzo.AnchoTexto(t), t);
        }
    }
    lienzo.Fuente.Orientacion = 0;
    const int hh = lienzo.AltoTexto("1") / 2;
    for (int i = 0; i <= EjeY->Divisiones; ++i) {
        const std::string t = EjeY->Etiqueta(i);
        lienzo.Texto(PlotIzquierda - u - lienzo.AnchoTexto(t), PixelY(EjeY->ValorMarca(i)) - hh, t);
    }
    if (cuentaDerecha_ <= 0) return;
    for (int i = 0; i <= EjeY2->Divisiones; ++i)
        lienzo.Texto(PlotDerecha + u, PixelY2(EjeY2->ValorMarca(i)) - hh, EjeY2->Etiqueta(i));
    lienzo.Pluma.Color = clRojo;
    lienzo.Pluma.Estilo = TEstiloPluma::Punteado;
    for (int i = 0; i <= EjeY2->Divisiones; ++i) {
        const int p = PixelY2(EjeY2->ValorMarca(i));
        lienzo.Linea(PlotDerecha - 20, p, PlotDerecha, p);
    }
}

void TGrafico::DibujarTitulosDeEjes(TLienzo& lienzo, int ancho, int alto) {
    const int u = unidad_;
    lienzo.Pluma.Color = clNegro;
    const double centroVertical = (PlotArriba + PlotAbajo) * 0.5;
    if (!EjeX->Titulo.empty()) {
        lienzo.Fuente.Orientacion = 0;
        lienzo.Texto(Entero((ancho - lienzo.AnchoTexto(EjeX->Titulo)) * 0.5), alto - u - altoTituloX_,
                     EjeX->Titulo);
    }
    if (!EjeY->Titulo.empty()) {
        lienzo.Fuente.Orientacion = 900;
        lienzo.Texto(u, Entero(centroVertical + lienzo.AnchoTexto(EjeY->Titulo) * 0.5), EjeY->Titulo);
    }
    if (!EjeY2->Titulo.empty()) {
        lienzo.Fuente.Orientacion = 900;
        lienzo.Texto(2 * u + PlotDerecha + anchoEtiquetasDerecha_,
                     Entero(centroVertical + lienzo.AnchoTexto(EjeY2->Titulo) * 0.5), EjeY2->Titulo);
    }
    lienzo.Fuente.Orientacion = 0;
}

void TGrafico::DibujarGrilla(TLienzo& lienzo) {
    lienzo.Pluma.Color = clGris;
    lienzo.Pluma.Estilo = TEstiloPluma::Punteado;
    if (EjeX->Grilla) {
        for (int i = 0; i <= EjeX->Divisiones; ++i) {
            const int p = PixelX(EjeX->ValorMarca(i));
            lienzo.Linea(p, PlotAbajo, p, PlotArriba);
        }
    }
    if (EjeY->Grilla) {
        for (int i = 1; i < EjeY->Divisiones; ++i) {
            const int p = PixelY(EjeY->ValorMarca(i));
            lienzo.Linea(PlotIzquierda, p, PlotDerecha, p);
        }
    }
}

void TGrafico::DibujarLogoYNota(TLienzo& lienzo, int ancho, int alto) {
    if (logo_ >= 0) {
        lienzo.Fuente.Tamanio = 8;
        const int x = PlotDerecha - lienzo.AnchoTexto("_ZZ_Tarnek__") - 2 * marcadorMayor_ - unidad_;
        DibujarLogo(lienzo, x, PlotArriba - lienzo.AltoTexto("S") / 2);
    }
    if (!notaPie_.empty()) {
        lienzo.Fuente.Tamanio = 8;
        const TExtensionTexto ext = lienzo.ExtensionTexto(notaPie_);
        lienzo.Texto(ancho - ext.ancho, alto - ext.alto, notaPie_);
    }
}

// ---- Lines and markers ----

std::vector<TPunto> TGrafico::PuntosDeSerie(const TSerieGrafico& serie) const {
    std::vector<TPunto> puntos;
    if (serie.SerieX == nullptr) return puntos;
    const TDAofNReal& xs = serie.SerieX->Valores;
    const std::size_t n = std::min(serie.Valores.size(), xs.size());
    puntos.reserve(n);
    for (std::size_t j = 0; j < n; ++j) puntos.push_back({PixelX(xs[j]), PixelYDeSerie(serie, serie.Valores[j])});
    return puntos;
}

void TGrafico::DibujarLineas(TLienzo& lienzo, const TListaSeries& lista) {
    for (const TSerieGrafico* s : lista) {
        if (s->ColorLinea.EsNinguno() || s->AnchoLinea == 0) continue;
        const std::vector<TPunto> puntos = PuntosDeSerie(*s);
        if (puntos.empty()) continue;
        lienzo.Pluma.Color = s->ColorLinea;
        lienzo.Pluma.Ancho = s->AnchoLinea;
        lienzo.Polilinea(puntos);
    }
}

void TGrafico::DibujarMarcadores(TLienzo& lienzo, const TListaSeries& lista) {
    for (const TSerieGrafico* s : lista) {
        lienzo.Pluma.Color = s->ColorMarcador;
        lienzo.Brocha = TBrocha{s->ColorRellenoMarcador, TEstiloBrocha::Transparente};
        for (const TPunto& p : PuntosDeSerie(*s))
            DibujarMarcador(lienzo, p.x, p.y, s->TipoMarcador, s->AnchoMarcador, s->TamanioMarcador);
    }
}

// ---- Areas and bars ----

void TGrafico::DibujarAreasApiladas(TLienzo& lienzo, const TListaSeries& lista) {
    if (lista.empty() || lista.front()->SerieX == nullptr) return;
    const TSerieGrafico& primera = *lista.front();
    const TDAofNReal& xs = primera.SerieX->Valores;
    const std::size_t n = std::min(primera.Valores.size(), xs.size());
    if (n == 0) return;
    TDAofNReal inferior(n, 0.0);
    TDAofNReal superior(n);
    for (std::size_t j = 0; j < n; ++j) superior[j] = ValorOCero(primera.Valores, j);

    for (std::size_t k = 0; k < lista.size(); ++k) {
        lienzo.Brocha = TBrocha{lista[k]->ColorRelleno, TEstiloBrocha::Solido};
        std::vector<TPunto> poligono;
        poligono.reserve(2 * n);
        for (std::size_t j = 0; j < n; ++j) poligono.push_back({PixelX(xs[j]), PixelYDeSerie(primera, superior[j])});
        for (std::size_t j = n; j-- > 0;) poligono.push_back({PixelX(xs[j]), PixelYDeSerie(primera, inferior[j])});
        lienzo.Poligono(poligono);
        inferior = superior;
        if (k + 1 < lista.size())
            for (std::size_t j = 0; j < n; ++j) superior[j] += ValorOCero(lista[k + 1]->Valores, j);
    }
}

void TGrafico::DibujarBarrasAgrupadas(TLienzo& lienzo, const TListaSeries& lista) {
    if (lista.empty() || lista.front()->Valores.empty()) return;
    const int S = static_cast<int>(lista.size());
    const double P = static_cast<double>(lista.front()->Valores.size());
    const int w = Entero((PlotDerecha - PlotIzquierda) / static_cast<double>(S) / P * 0.9);
    const int g = Entero(w * 0.9 / 10);
    const int base = PixelY(0);
    for (int k = 0; k < S; ++k) {
        const TSerieGrafico& s = *lista[static_cast<std::size_t>(k)];
        int inicio = (k + 1 - S) * w + PlotIzquierda + 2 * g;
        lienzo.Brocha = TBrocha{s.ColorRelleno, TEstiloBrocha::Solido};
        EjeX->EtiquetasVerticales = false;
        centrosDeBarras_.assign(s.Valores.size(), 0);
        for (std::size_t j = 0; j < s.Valores.size(); ++j) {
            const int x1 = (S - 1) * w + inicio + g;
            const int x2 = x1 + w;
            lienzo.Rectangulo(x1, PixelY(s.Valores[j]), x2, base);
            centrosDeBarras_[j] = Entero((x1 + x2) * 0.5);
            inicio = x2;
        }
    }
}

void TGrafico::DibujarEtiquetasDeBarras(TLienzo& lienzo, int ancho, int alto) {
    lienzo.Fuente.Orientacion = 3150;
    lienzo.Brocha = TBrocha{clBlanco, TEstiloBrocha::Solido};
    lienzo.Recortar(0, 0, ancho, alto);
    const TDAofString& etiquetas = seriesY_.back()->Etiquetas;
    for (std::size_t j = 0; j < centrosDeBarras_.size() && j < etiquetas.size(); ++j)
        lienzo.Texto(centrosDeBarras_[j], PlotAbajo + 20, etiquetas[j]);
    lienzo.Fuente.Orientacion = 0;
    centrosDeBarras_.clear();
}

void TGrafico::DibujarBarraAcumulada(TLienzo& lienzo, const TListaSeries& lista) {
    if (lista.empty()) return;
    const TSerieGrafico& s = *lista.front();
    lienzo.Pluma.Ancho = 2;
    lienzo.Fuente.Orientacion = 0;
    int anterior = PixelY(0);
    EjeX->EtiquetasVerticales = false;
    filasAcumuladas_.assign(s.Valores.size(), 0);
    lienzo.Brocha = TBrocha{s.ColorRellenoMarcador, TEstiloBrocha::Solido};
    // The segments take the palette from the chart's counter on, and the
    // counter is left as found, so every drawing paints the same colours.
    const int32_t paletaEncontrada = contadorPaleta_;
    for (std::size_t j = 0; j < s.Valores.size(); ++j) {
        const double v = s.Valores[j];
        if (v > 1) {
            const int techo = anterior;
            const int nuevo = PixelY(v) - (PlotAbajo - anterior);
            lienzo.Rectangulo(PlotIzquierda + 1, nuevo, PlotDerecha, techo);
            filasAcumuladas_[j] = Entero((nuevo + techo) * 0.5);
            anterior = nuevo;
        }
        lienzo.Brocha.Color = SiguienteColor();
    }
    contadorPaleta_ = paletaEncontrada;
}

void TGrafico::DibujarEtiquetasAcumuladas(TLienzo& lienzo, int ancho, int alto) {
    lienzo.Fuente.Orientacion = 0;
    lienzo.Brocha = TBrocha{clBlanco, TEstiloBrocha::Solido};
    lienzo.Pluma.Color = clNegro;
    lienzo.Recortar(0, 0, ancho, alto);
    const TSerieGrafico& ultima = *seriesY_.back();
    for (std::size_t j = 0; j + 1 < filasAcumuladas_.size(); ++j) {
        if (j >= ultima.Valores.size() || j >= ultima.Etiquetas.size()) break;
        const double v = ultima.Valores[j];
        if (!(v > 1)) continue;
        lienzo.Texto(PlotDerecha + unidad_, filasAcumuladas_[j],
                     ultima.Etiquetas[j] + " " + EnteroRedondeadoATexto(v) + " %");
    }
    centrosDeBarras_.clear();
}

// ---- Pairs of series ----

void AgregarPar(TGrafico& grafico, std::string_view nombreX, TDAofNReal xs, std::string_view nombreY,
                TDAofNReal ys, const TAspectoSerie& aspecto) {
    TSerieGrafico* abscisa =
        grafico.AgregarSerie(TSerieGrafico::Create(nombreX, std::move(xs), nullptr, nullptr, "##.##", true));
    auto ordenada = TSerieGrafico::Create(nombreY, std::move(ys), abscisa, &grafico, "", false);
    ordenada->ColorMarcador = aspecto.color;
    ordenada->TamanioMarcador = aspecto.tamanio;
    ordenada->AnchoMarcador = aspecto.pluma;
    if (aspecto.lineaConectora) {
        ordenada->ColorLinea = aspecto.color;
        ordenada->AnchoLinea = aspecto.pluma;
    } else {
        ordenada->ColorLinea = clNinguno;
    }
    ordenada->EjeDerecho = aspecto.ejeDerecho;
    grafico.AgregarSerie(std::move(ordenada));
}

// ---- JPEG output ----

void TGrafico::GuardarJPG(const std::string& archivo, int ancho, int alto, int calidad) {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        throw EInOutError("No se puede dibujar el gráfico sin una aplicación gráfica: " + archivo);
    if (ancho < 1 || alto < 1) throw EInOutError("Tamaño de imagen no válido: " + archivo);
    QImage imagen(ancho, alto, QImage::Format_RGB32);
    imagen.fill(Qt::white);
    {
        QPainter pintor(&imagen);
        TLienzoQt lienzo(pintor);
        Dibujar(lienzo, ancho, alto);
    }
    QImageWriter escritor(QString::fromStdString(archivo), "jpeg");
    escritor.setQuality(std::clamp(calidad, 1, 100));
    if (!escritor.write(imagen))
        throw EInOutError(escritor.errorString().toStdString() + ": " + archivo);
}
