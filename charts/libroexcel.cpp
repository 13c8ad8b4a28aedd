#include "charts/libroexcel.h"

#include <algorithm>
#include <charconv>

namespace {

std::string TextoEntero(int n) {
    char texto[16];
    return std::string(texto, std::to_chars(texto, texto + sizeof texto, n).ptr);
}

// The palette of a new workbook, as 0xRRGGBB.
constexpr std::array<uint32_t, ColoresPaletaExcel> PaletaRGB = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333,
};

unsigned char MayusculaAscii(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

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

// Calls cada(code point) for every character of the text as it is saved:
// well-formed UTF-8 as it is, any other byte read as Latin-1.
template <class Funcion>
void PorCadaCaracter(std::string_view texto, Funcion cada) {
    for (std::size_t i = 0; i < texto.size();) {
        auto [cp, largo] = LeerUTF8(texto, i);
        if (largo == 0) cp = static_cast<unsigned char>(texto[i]), largo = 1;  // Latin-1
        cada(cp);
        i += largo;
    }
}

// The lower-case letter of an upper-case one of ASCII, Latin-1, Latin
// Extended-A, Greek and Cyrillic; any other character as it is.
char32_t MinusculaDeLetra(char32_t c) {
    const bool enPares = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    const bool enParesImpares = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
    if ((enPares && c % 2 == 0) || (enParesImpares && c % 2 == 1)) return c + 1;
    if (c == 0x178) return 0xFF;
    if ((c >= 0x391 && c <= 0x3A9 && c != 0x3A2) || (c >= 0x410 && c <= 0x42F)) return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return c + 0x25;
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return c + 0x3F;
    return c;
}

bool MismoNombre(std::string_view a, std::string_view b) { return ClaveNombreHoja(a) == ClaveNombreHoja(b); }

// Characters of a UTF-8 text (continuation bytes do not count).
int CaracteresUtf8(std::string_view s) {
    return static_cast<int>(std::count_if(s.begin(), s.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

void VerificarCelda(int fila, int columna) {
    if (fila < 1 || fila > FilasHojaExcel || columna < 1 || columna > ColumnasHojaExcel)
        throw EErrorAutomatizacion("Celda fuera de la hoja: fila " + TextoEntero(fila) + ", columna " +
                                   TextoEntero(columna));
}

// One corner "AB12" of a reference; false when it is not one.
bool LeerCelda(std::string_view ref, int& fila, int& columna) {
    std::size_t i = 0;
    long long col = 0;
    while (i < ref.size()) {
        unsigned char c = MayusculaAscii(static_cast<unsigned char>(ref[i]));
        if (c < 'A' || c > 'Z') break;
        col = col * 26 + (c - 'A' + 1);
        if (col > ColumnasHojaExcel) return false;
        ++i;
    }
    if (i == 0 || i == ref.size()) return false;
    long long f = 0;
    for (; i < ref.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(ref[i]);
        if (c < '0' || c > '9') return false;
        f = f * 10 + (c - '0');
        if (f > FilasHojaExcel) return false;
    }
    if (f < 1) return false;
    fila = static_cast<int>(f);
    columna = static_cast<int>(col);
    return true;
}

class TRangoEnMemoria final : public IRangoExcel {
public:
    TRangoEnMemoria(THojaEnMemoria& hoja, TRectanguloCeldas rect) : hoja_(hoja), rect_(rect) {}

    void SetValue(const TValorCelda& valor) override {
        for (int f = rect_.fila1; f <= rect_.fila2; ++f)
            for (int c = rect_.columna1; c <= rect_.columna2; ++c) hoja_.FijarValor(f, c, valor);
    }

    void SetValues(const TDAOfVariant& valores) override {
        const long long ancho = rect_.columna2 - rect_.columna1 + 1;
        const long long alto = rect_.fila2 - rect_.fila1 + 1;
        if (static_cast<long long>(valores.size()) != ancho * alto)
            throw EErrorAutomatizacion("Range.Value: " + TextoEntero(static_cast<int>(valores.size())) +
                                       " valores para " + TextoEntero(static_cast<int>(ancho * alto)) +
                                       " celdas");
        std::size_t k = 0;
        for (int f = rect_.fila1; f <= rect_.fila2; ++f)
            for (int c = rect_.columna1; c <= rect_.columna2; ++c) hoja_.FijarValor(f, c, valores[k++]);
    }

    void SetNumberFormat(const std::string& formato) override { hoja_.FijarFormato(rect_, formato); }

private:
    THojaEnMemoria& hoja_;
    TRectanguloCeldas rect_;
};

}  // namespace

std::string TextoXmlValido(std::string_view texto, bool conSaltos) {
    std::string salida;
    salida.reserve(texto.size());
    PorCadaCaracter(texto, [&](char32_t cp) {
        if (!SeDescarta(cp, conSaltos)) EscribirUTF8(salida, cp);
    });
    return salida;
}

std::string ClaveNombreHoja(std::string_view nombre) {
    std::string clave;
    PorCadaCaracter(TextoXmlValido(nombre, false), [&](char32_t cp) { EscribirUTF8(clave, MinusculaDeLetra(cp)); });
    return clave;
}

const TPaletaExcel& PaletaExcelPorDefecto() {
    static const TPaletaExcel paleta = [] {
        TPaletaExcel p{};
        for (int i = 0; i < ColoresPaletaExcel; ++i) {
            uint32_t rgb = PaletaRGB[i];
            p[i] = ColorRGB(static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8),
                            static_cast<uint8_t>(rgb));
        }
        return p;
    }();
    return paleta;
}

TRectanguloCeldas LeerReferenciaRango(std::string_view referencia) {
    std::string_view primera = referencia, segunda = referencia;
    if (std::size_t dosPuntos = referencia.find(':'); dosPuntos != std::string_view::npos) {
        primera = referencia.substr(0, dosPuntos);
        segunda = referencia.substr(dosPuntos + 1);
    }
    TRectanguloCeldas r;
    if (!LeerCelda(primera, r.fila1, r.columna1) || !LeerCelda(segunda, r.fila2, r.columna2))
        throw EErrorAutomatizacion("Referencia de rango no válida: \"" + std::string(referencia) + "\"");
    if (r.fila1 > r.fila2) std::swap(r.fila1, r.fila2);
    if (r.columna1 > r.columna2) std::swap(r.columna1, r.columna2);
    return r;
}

// ---- THojaEnMemoria ----

THojaEnMemoria::THojaEnMemoria(TLibroEnMemoria& libro, std::string nombre)
    : libro_(libro), nombre_(std::move(nombre)) {}

void THojaEnMemoria::SetName(const std::string& nombre) {
    libro_.VerificarNombre(nombre, this);
    nombre_ = nombre;
}

void THojaEnMemoria::Select() { libro_.Activar(*this); }

std::unique_ptr<IRangoExcel> THojaEnMemoria::Range(std::string_view referencia) {
    return std::make_unique<TRangoEnMemoria>(*this, LeerReferenciaRango(referencia));
}

std::unique_ptr<IRangoExcel> THojaEnMemoria::cells(int fila, int columna) {
    VerificarCelda(fila, columna);
    return std::make_unique<TRangoEnMemoria>(*this, TRectanguloCeldas{fila, columna, fila, columna});
}

const TValorCelda& THojaEnMemoria::Valor(int fila, int columna) const {
    static const TValorCelda vacio;
    auto it = celdas_.find({fila, columna});
    return it == celdas_.end() ? vacio : it->second;
}

const std::string& THojaEnMemoria::FormatoNumero(int fila, int columna) const {
    static const std::string general = "General";
    for (auto it = formatos_.rbegin(); it != formatos_.rend(); ++it)
        if (it->first.Contiene(fila, columna)) return it->second;
    return general;
}

void THojaEnMemoria::FijarValor(int fila, int columna, const TValorCelda& valor) {
    VerificarCelda(fila, columna);
    if (std::holds_alternative<std::monostate>(valor))
        celdas_.erase({fila, columna});
    else
        celdas_[{fila, columna}] = valor;
}

void THojaEnMemoria::FijarFormato(const TRectanguloCeldas& rango, const std::string& formato) {
    formatos_.emplace_back(rango, formato);
}

// ---- TGraficoEnMemoria ----

TGraficoEnMemoria::TGraficoEnMemoria(TLibroEnMemoria& libro, std::string nombre)
    : libro_(libro), nombre_(std::move(nombre)) {}

void TGraficoEnMemoria::SetName(const std::string& nombre) {
    libro_.VerificarNombre(nombre, this);
    nombre_ = nombre;
}

void TGraficoEnMemoria::Select() { libro_.Activar(*this); }

void TGraficoEnMemoria::SetChartType(int tipo) {
    tipo_ = tipo;
    for (TSerieExcel& s : series_) s.ChartType = tipo;
}

void TGraficoEnMemoria::SetSourceData(IHojaExcel& hoja, std::string_view referencia, int plotBy) {
    if (plotBy != 2) throw EErrorAutomatizacion("SetSourceData: sólo se admiten series en columnas (2)");
    auto* hojaMemoria = dynamic_cast<THojaEnMemoria*>(&hoja);
    if (hojaMemoria == nullptr) throw EErrorAutomatizacion("SetSourceData: la hoja no es de este libro");
    const TRectanguloCeldas r = LeerReferenciaRango(referencia);
    series_.clear();
    for (int c = r.columna1 + 1; c <= r.columna2; ++c) {
        TSerieExcel s;
        const TValorCelda& nombre = hojaMemoria->Valor(r.fila1, c);
        if (const auto* texto = std::get_if<std::string>(&nombre)) s.Name = *texto;
        s.hojaOrigen = hoja.Name();
        s.filaNombre = r.fila1;
        s.primeraFila = std::min(r.fila1 + 1, r.fila2);
        s.ultimaFila = r.fila2;
        s.columnaCategorias = r.columna1;
        s.columnaValores = c;
        s.ChartType = tipo_;
        series_.push_back(std::move(s));
    }
}

TSerieExcel& TGraficoEnMemoria::SeriesCollection(int numero) {
    if (numero < 1 || numero > SeriesCount())
        throw EErrorAutomatizacion("SeriesCollection: el gráfico \"" + nombre_ + "\" no tiene la serie " +
                                   TextoEntero(numero));
    return series_[static_cast<std::size_t>(numero - 1)];
}

TEjeExcel& TGraficoEnMemoria::Axes(int tipo, int grupo) {
    if ((tipo != 1 && tipo != 2) || (grupo != 1 && grupo != 2))
        throw EErrorAutomatizacion("Axes: eje " + TextoEntero(tipo) + ", grupo " + TextoEntero(grupo) +
                                   " desconocido");
    return ejes_[{tipo, grupo}];
}

const TEjeExcel* TGraficoEnMemoria::EjeSiExiste(int tipo, int grupo) const {
    auto it = ejes_.find({tipo, grupo});
    return it == ejes_.end() ? nullptr : &it->second;
}

// ---- TLibroEnMemoria ----

TLibroEnMemoria::TLibroEnMemoria() : paleta_(PaletaExcelPorDefecto()) {
    hojas_.push_back(std::make_unique<THojaEnMemoria>(*this, NombreNuevo("Hoja")));
}

IHojaDelLibro* TLibroEnMemoria::Buscar(std::string_view nombre) const {
    for (const auto& h : hojas_)
        if (MismoNombre(h->Name(), nombre)) return h.get();
    return nullptr;
}

int TLibroEnMemoria::WorksheetsCount() const {
    return static_cast<int>(std::count_if(hojas_.begin(), hojas_.end(), [](const auto& h) {
        return dynamic_cast<const THojaEnMemoria*>(h.get()) != nullptr;
    }));
}

IHojaExcel& TLibroEnMemoria::Worksheets(int posicion) {
    int k = 0;
    for (const auto& h : hojas_)
        if (auto* hoja = dynamic_cast<THojaEnMemoria*>(h.get()); hoja != nullptr && ++k == posicion)
            return *hoja;
    throw EErrorAutomatizacion("WorkSheets: no hay una hoja de cálculo " + TextoEntero(posicion));
}

IHojaExcel& TLibroEnMemoria::Worksheets(std::string_view nombre) { return HojaDeTrabajo(nombre); }

THojaEnMemoria& TLibroEnMemoria::HojaDeTrabajo(std::string_view nombre) {
    if (auto* hoja = dynamic_cast<THojaEnMemoria*>(Buscar(nombre))) return *hoja;
    throw EErrorAutomatizacion("WorkSheets: no hay una hoja de cálculo \"" + std::string(nombre) + "\"");
}

TGraficoEnMemoria& TLibroEnMemoria::Grafico(std::string_view nombre) {
    if (auto* grafico = dynamic_cast<TGraficoEnMemoria*>(Buscar(nombre))) return *grafico;
    throw EErrorAutomatizacion("Charts: no hay un gráfico \"" + std::string(nombre) + "\"");
}

IGraficoExcel& TLibroEnMemoria::Charts(std::string_view nombre) { return Grafico(nombre); }

const IHojaDelLibro& TLibroEnMemoria::Hoja(int posicion) const {
    if (posicion < 1 || posicion > CantidadHojas())
        throw EErrorAutomatizacion("Sheets: no hay una hoja " + TextoEntero(posicion));
    return *hojas_[static_cast<std::size_t>(posicion - 1)];
}

// The application's own names: the prefix and the next number not in use.
std::string TLibroEnMemoria::NombreNuevo(std::string_view prefijo) {
    int& contador = prefijo == "Hoja" ? hojasCreadas_ : graficosCreados_;
    std::string nombre;
    do {
        nombre = std::string(prefijo) + TextoEntero(++contador);
    } while (Buscar(nombre) != nullptr);
    return nombre;
}

void TLibroEnMemoria::InsertarAntesDeLaActiva(std::unique_ptr<IHojaDelLibro> hoja) {
    hojas_.insert(hojas_.begin() + activa_, std::move(hoja));
    // The new sheet stands where the active one stood, and becomes active.
}

IHojaExcel& TLibroEnMemoria::AddWorksheet() {
    auto hoja = std::make_unique<THojaEnMemoria>(*this, NombreNuevo("Hoja"));
    THojaEnMemoria& agregada = *hoja;
    InsertarAntesDeLaActiva(std::move(hoja));
    return agregada;
}

IGraficoExcel& TLibroEnMemoria::AddChart() {
    auto grafico = std::make_unique<TGraficoEnMemoria>(*this, NombreNuevo("Gráfico"));
    TGraficoEnMemoria& agregado = *grafico;
    InsertarAntesDeLaActiva(std::move(grafico));
    return agregado;
}

TColor TLibroEnMemoria::Colors(int indice) const {
    if (indice < 1 || indice > ColoresPaletaExcel)
        throw EErrorAutomatizacion("Colors: índice de color fuera de 1..56: " + TextoEntero(indice));
    return paleta_[static_cast<std::size_t>(indice - 1)];
}

void TLibroEnMemoria::SetColors(int indice, TColor color) {
    Colors(indice);  // checks the index
    paleta_[static_cast<std::size_t>(indice - 1)] = color;
}

void TLibroEnMemoria::VerificarNombre(const std::string& nombre, const IHojaDelLibro* hoja) const {
    const int largo = CaracteresUtf8(nombre);
    if (largo < 1 || largo > LargoMaximoNombreHoja)
        throw EErrorAutomatizacion("Nombre de hoja no válido (de 1 a 31 caracteres): \"" + nombre + "\"");
    if (nombre.find_first_of(":\\/?*[]") != std::string::npos || nombre.front() == '\'' ||
        nombre.back() == '\'')
        throw EErrorAutomatizacion("Nombre de hoja no válido: \"" + nombre + "\"");
    if (const IHojaDelLibro* otra = Buscar(nombre); otra != nullptr && otra != hoja)
        throw EErrorAutomatizacion("Ya hay una hoja llamada \"" + nombre + "\"");
}

void TLibroEnMemoria::Activar(const IHojaDelLibro& hoja) {
    for (std::size_t i = 0; i < hojas_.size(); ++i)
        if (hojas_[i].get() == &hoja) activa_ = static_cast<int>(i);
}

// ---- TAplicacionEnMemoria ----

ILibroExcel& TAplicacionEnMemoria::Workbooks(int indice) {
    if (indice != 1) throw EErrorAutomatizacion("Workbooks: no hay un libro " + TextoEntero(indice));
    return libro_;
}
