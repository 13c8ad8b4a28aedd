#include "data/useriestemporales.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "data/unidades.h"
#include "numerics/archivotexto.h"
#include "numerics/textoreal.h"
#include "numerics/uauxiliares.h"
#include "numerics/uevaluador.h"

namespace {

constexpr std::string_view kMarcaVersion = "VERSION_FORMATO_SERIES";
// The evaluator reads at most this many exponent digits.
constexpr std::size_t kCifrasExponente = 4;

bool EsDigito(char c) { return c >= '0' && c <= '9'; }

// Whether the token is a plain number the evaluator would read as one
// literal: an optional '-', digits with an optional '.' and fraction, and an
// optional exponent of one to four digits.
bool EsNumeroPlano(std::string_view token) {
    std::size_t i = 0;
    if (i < token.size() && token[i] == '-') ++i;
    if (i >= token.size() || !EsDigito(token[i])) return false;
    while (i < token.size() && EsDigito(token[i])) ++i;
    if (i < token.size() && token[i] == '.') {
        ++i;
        while (i < token.size() && EsDigito(token[i])) ++i;
    }
    if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
        ++i;
        if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
        const std::size_t primeraCifra = i;
        while (i < token.size() && EsDigito(token[i])) ++i;
        if (i == primeraCifra || i - primeraCifra > kCifrasExponente) return false;
    }
    return i == token.size();
}

// A real of the file: a plain number directly (the evaluator gives the
// correctly rounded value of the literal too, and negates it for a leading
// '-'), anything else, including a number out of range, by the evaluator.
double RealDeSerie(std::string_view token) {
    if (EsNumeroPlano(token)) {
        double x = 0;
        const char* fin = token.data() + token.size();
        const auto [resto, error] = std::from_chars(token.data(), fin, x);
        if (error == std::errc() && resto == fin) return x;
    }
    return CadenaAReal(token);
}

uintmax_t TamanoDeArchivo(const std::string& ruta) {
    std::error_code error;
    const uintmax_t tamano = std::filesystem::file_size(ruta, error);
    return error ? 0 : tamano;
}

}  // namespace

ELecturaSeries::ELecturaSeries(int lineasLeidas, std::string archivo, std::string causa)
    : EInOutError("Error leyendo línea: " + std::to_string(lineasLeidas)),
      lineasLeidas_(lineasLeidas),
      archivo_(std::move(archivo)),
      causa_(std::move(causa)) {}

// One read of a file into a series object, counting the lines it reads.
class TSeriesDeDatos::TLectura {
public:
    TLectura(TSeriesDeDatos& s, TLectorTexto& lector, uintmax_t tamanoArchivo)
        : s_(s), lector_(lector), tamanoArchivo_(tamanoArchivo) {}

    int LineasLeidas() const { return lineasLeidas_; }

    void LeerArchivo() {
        LeerCabecera();
        reservarMuestras_ = CabenLosValores();
        s_.datos_.clear();
        for (int32_t r = 0; r < s_.NCronicas; ++r) LeerCronica(r);
    }

private:
    // The next line; past the end of the file an empty one, counted too.
    std::string_view SiguienteLinea() {
        linea_ = lector_.LeerLineaTolerante();
        ++lineasLeidas_;
        return linea_;
    }

    void LeerCabecera() {
        std::string primera(SiguienteLinea());
        QuitarNoImprimiblesIniciales(primera);
        linea_ = std::move(primera);
        std::string_view resto = linea_;
        if (linea_.find(kMarcaVersion) != std::string::npos) {
            SiguientePalabra(resto);
            s_.versionFormato_ = SiguienteEntero(resto);
        }
        if (s_.versionFormato_ > 0) resto = SiguienteLinea();
        s_.NSeries = SiguienteEntero(resto);
        if (s_.NSeries < 0) throw EConvertError("Número de series negativo: " + std::to_string(s_.NSeries));
        ExigirQueQuepa(s_.NSeries, "series");

        std::string_view fecha = SiguienteLinea();
        TFechaHora& inicio = s_.inicio_;
        for (int* campo : {&inicio.anio, &inicio.mes, &inicio.dia, &inicio.hora, &inicio.minuto, &inicio.segundo})
            *campo = SiguienteEntero(fecha);

        std::string_view periodo = SiguienteLinea();
        s_.periodoHoras_ = SiguienteReal(periodo);
        if (!(s_.periodoHoras_ > 0)) throw EConvertError("El período de muestreo debe ser positivo");

        std::string_view puntos = SiguienteLinea();
        s_.NPuntos = SiguienteEntero(puntos);
        if (s_.NPuntos < 0) throw EConvertError("Número de muestras negativo: " + std::to_string(s_.NPuntos));

        std::string_view ciclo = SiguienteLinea();
        s_.puntosPorCiclo_ = SiguienteReal(ciclo);

        s_.NCronicas = 1;
        if (s_.versionFormato_ >= 3) {
            std::string_view cronicas = SiguienteLinea();
            s_.NCronicas = SiguienteEntero(cronicas);
            if (s_.NCronicas < 1) throw EConvertError("Número de crónicas menor que 1: " + std::to_string(s_.NCronicas));
            ExigirQueQuepa(s_.NCronicas, "crónicas");
            ExigirQueQuepa(static_cast<double>(s_.NCronicas) * s_.NSeries, "series en todas las crónicas");
        }
        LeerTipos();
    }

    // Version 1 on: the series at position i is an input when character i of
    // the flag line is 'x'.
    void LeerTipos() {
        s_.tipos_.assign(s_.NSeries, SALIDA);
        if (s_.versionFormato_ < 1) return;
        const std::string_view banderas = SiguienteLinea();
        for (int32_t i = 0; i < s_.NSeries && static_cast<std::size_t>(i) < banderas.size(); ++i)
            if (banderas[i] == 'x') s_.tipos_[i] = ENTRADA;
    }

    // A count of series or realisations above the file's size in bytes is
    // no file's: refused before anything of that size is made.
    void ExigirQueQuepa(double cuenta, const char* que) const {
        if (cuenta > static_cast<double>(tamanoArchivo_))
            throw EConvertError("Un archivo de " + std::to_string(tamanoArchivo_) + " bytes no puede contener " +
                                FormatoGeneral(cuenta, 15, '.') + " " + que);
    }

    // Whether the file is large enough for the values it declares: each of
    // the NCronicas x NPuntos sample lines takes NSeries + 1 tokens, every
    // token at least one character and one separator.
    bool CabenLosValores() const {
        const double tokens = static_cast<double>(s_.NCronicas) * s_.NPuntos * (static_cast<double>(s_.NSeries) + 1);
        return 2 * tokens - 1 <= static_cast<double>(tamanoArchivo_);
    }

    // The vectors of a realisation, empty; they grow with the values read.
    // Room for all its samples is taken at once only when the file can hold
    // the declared values, so that a count no file could fill allocates
    // nothing ahead and the read fails where the file runs out, at that line.
    std::vector<std::unique_ptr<TVectR>>& NuevaCronica() {
        auto& cronica = s_.datos_.emplace_back();
        cronica.reserve(s_.NSeries);
        for (int32_t j = 0; j < s_.NSeries; ++j) {
            auto& vector = cronica.emplace_back(std::make_unique<TVectR>());
            if (reservarMuestras_) vector->pv.reserve(static_cast<std::size_t>(s_.NPuntos) + 1);
        }
        return cronica;
    }

    void LeerCronica(int32_t r) {
        if (s_.versionFormato_ >= 3) {
            SiguienteLinea();
            SiguienteLinea();
        }
        std::string_view nombres = SiguienteLinea();
        if (r == 0) {
            s_.nombres_.clear();
            for (int32_t j = 0; j < s_.NSeries; ++j) s_.nombres_.emplace_back(SiguientePalabra(nombres));
        }
        auto& cronica = NuevaCronica();
        for (int32_t k = 1; k <= s_.NPuntos; ++k) LeerMuestra(cronica);
        for (auto& vector : cronica) vector->n = s_.NPuntos;
    }

    // Appends the next sample of every series of the realisation.
    void LeerMuestra(std::vector<std::unique_ptr<TVectR>>& cronica) {
        std::string_view resto = SiguienteLinea();
        RealDeSerie(SiguientePalabra(resto));  // the time mark: checked, not used
        for (auto& vector : cronica) vector->pv.push_back(RealDeSerie(SiguientePalabra(resto)));
    }

    TSeriesDeDatos& s_;
    TLectorTexto& lector_;
    uintmax_t tamanoArchivo_;
    std::string linea_;
    int lineasLeidas_ = 0;
    bool reservarMuestras_ = false;
};

std::unique_ptr<TSeriesDeDatos> TSeriesDeDatos::Create(const std::string& archivo) {
    auto series = std::make_unique<TSeriesDeDatos>(Clave{});
    series->archivo_ = archivo;
    int lineasLeidas = 0;
    try {
        const std::string ruta = RutaLocal(archivo);
        TLectorTexto lector = TLectorTexto::Abrir(ruta);
        TLectura lectura(*series, lector, TamanoDeArchivo(ruta));
        const TFormatosInvariantes invariantes;
        try {
            lectura.LeerArchivo();
        } catch (...) {
            lineasLeidas = lectura.LineasLeidas();
            throw;
        }
        lineasLeidas = lectura.LineasLeidas();
        series->CalcularFechas();
    } catch (const std::exception& e) {
        throw ELecturaSeries(lineasLeidas, archivo, e.what());
    }
    series->SepararEntradasSalidas();
    return series;
}

void TSeriesDeDatos::CalcularFechas() {
    primeroDeEnero_ = EncodeDate(inicio_.anio, 1, 1);
    primerDia_ = EncodeDate(inicio_.anio, inicio_.mes, inicio_.dia);
    dtPrimeraMuestra = primerDia_ + EncodeTime(inicio_.hora, inicio_.minuto, inicio_.segundo, 0);
    PeriodoDias = periodoHoras_ / 24;
    duracionCiclo_ = PeriodoDias * puntosPorCiclo_;
    if (duracionCiclo_ < 0.9) {
        origenTiempo_ = dtPrimeraMuestra;
        fase_ = 0;
        return;
    }
    origenTiempo_ = std::fabs(duracionCiclo_ - 1) < 0.1 ? primerDia_ : primeroDeEnero_;
    fase_ = (dtPrimeraMuestra - origenTiempo_) / duracionCiclo_;
}

void TSeriesDeDatos::SepararEntradasSalidas() { SeleccionarCronica(1); }

void TSeriesDeDatos::SeleccionarCronica(int32_t k) {
    if (k < 1 || k > NCronicas)
        throw EErrorQuendal("Número de crónica fuera de rango: " + std::to_string(k) + " (el archivo tiene " +
                            std::to_string(NCronicas) + ")");
    cronicaActual_ = k;
    seriesActuales_.clear();
    seriesSalida_.clear();
    seriesEntrada_.clear();
    nombresSalidas_.clear();
    nombresEntradas_.clear();
    for (int32_t j = 0; j < NSeries; ++j) {
        TVectR* vector = datos_[k - 1][j].get();
        seriesActuales_.push_back(vector);
        const bool esEntrada = tipos_[j] == ENTRADA;
        (esEntrada ? seriesEntrada_ : seriesSalida_).push_back(vector);
        (esEntrada ? nombresEntradas_ : nombresSalidas_).push_back(nombres_[j]);
    }
}

void TSeriesDeDatos::AgregarSerie(const std::string& nombre, std::vector<TVectR> vectores, TIPO_SERIE tipo) {
    if (!vectores.empty()) {
        if (static_cast<int32_t>(vectores.size()) != NCronicas)
            throw EErrorQuendal("AgregarSerie: se esperaban " + std::to_string(NCronicas) + " vectores y llegaron " +
                                std::to_string(vectores.size()));
        for (const TVectR& v : vectores)
            if (v.n != NPuntos)
                throw EErrorQuendal("AgregarSerie: un vector de " + std::to_string(v.n) + " elementos en una serie de " +
                                    std::to_string(NPuntos) + " muestras");
    }
    for (int32_t r = 0; r < NCronicas; ++r)
        datos_[r].push_back(vectores.empty() ? std::make_unique<TVectR>(NPuntos)
                                             : std::make_unique<TVectR>(std::move(vectores[r])));
    ++NSeries;
    nombres_.push_back(nombre);
    tipos_.push_back(tipo);
    SepararEntradasSalidas();
}

TVectR& TSeriesDeDatos::Serie(int32_t k) {
    if (k < 0) throw EErrorQuendal("Número de serie fuera de rango: " + std::to_string(k));
    while (NSeries <= k) AgregarSerie("sa_" + std::to_string(NSeries), {}, SALIDA);
    return *seriesActuales_[k];
}

void TSeriesDeDatos::ExigirSeries(int32_t necesarias, const std::string& planta) const {
    if (NSeries < necesarias)
        throw EErrorQuendal("El archivo de series \"" + archivo_ + "\" tiene " + std::to_string(NSeries) +
                            " series y " + planta + " necesita " + std::to_string(necesarias));
}

void TSeriesDeDatos::ExigirSeriesExactas(int32_t cantidad, const std::string& planta) const {
    if (NSeries != cantidad)
        throw EErrorQuendal("El archivo de series \"" + archivo_ + "\" tiene " + std::to_string(NSeries) +
                            " series y " + planta + " tiene " + std::to_string(cantidad));
}

void TSeriesDeDatos::ExigirMuestras() const {
    if (NPuntos < 1) throw EErrorQuendal("El archivo de series \"" + archivo_ + "\" no tiene muestras");
}

TDateTime TSeriesDeDatos::FechaMuestra(int32_t k) const { return FechaDeMuestra(dtPrimeraMuestra, PeriodoDias, k); }
