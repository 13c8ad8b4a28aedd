#pragma once
// The multi-series text file of measured series (".sas"). A file holds a few
// header lines, then for each realisation a line of series names and one
// line per sample: a time mark and one value per series. By format version:
//
//   line                                   v0      v1, v2   v3 and above
//   "VERSION_FORMATO_SERIES" and version   -       yes      yes
//   NSeries                                line 1  yes      yes
//   year month day hour minute second      yes     yes      yes
//   period in hours                        yes     yes      yes
//   NPuntos                                yes     yes      yes
//   points per cycle                       yes     yes      yes
//   NCronicas                              - (1)   - (1)    yes
//   flag line ('x' at column i: input)     -       yes      yes
//   per realisation: two ignored lines     -       -        yes
//   per realisation: names, NPuntos lines  once    once     NCronicas times
//
// Tokens are separated by runs of TAB, CR, LF, blank, ',' and ';'. Reals are
// typed reals (expressions) read with '.' under the invariant-format switch;
// plain numbers take a fast path that gives the evaluator's own value.
//
// Every failure of the read is reported as "Error leyendo línea: " and the
// number of lines read so far (0 when the file cannot be opened).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "numerics/errores.h"
#include "numerics/fechas.h"
#include "numerics/matreal.h"
#include "numerics/xmatdefs.h"

enum TIPO_SERIE : int32_t { SALIDA = 0, ENTRADA = 1 };
using TDAOfTipoSerie = std::vector<TIPO_SERIE>;

// A failed read of a series file. The message is the system's; the file
// and the cause that made the line fail are kept apart.
class ELecturaSeries : public EInOutError {
public:
    ELecturaSeries(int lineasLeidas, std::string archivo, std::string causa);
    int LineasLeidas() const { return lineasLeidas_; }
    const std::string& Archivo() const { return archivo_; }
    const std::string& Causa() const { return causa_; }

private:
    int lineasLeidas_;
    std::string archivo_;
    std::string causa_;
};

class TSeriesDeDatos {
    struct Clave {};  // only Create builds one

public:
    explicit TSeriesDeDatos(Clave) {}

    // Reads the whole file; ELecturaSeries when anything fails, with the
    // number format in force restored.
    static std::unique_ptr<TSeriesDeDatos> Create(const std::string& archivo);

    // Series k (0-based) of the current realisation. For k >= NSeries, zero
    // series "sa_<index>" are appended until series k exists, which makes
    // realisation 1 current again. The vector stays owned by this object and
    // valid until it ends, also when later calls append series.
    TVectR& Serie(int32_t k);
    // Refuses a file of fewer than `necesarias` series, which Serie would
    // read as zero series: EErrorQuendal "El archivo de series \"<archivo>\"
    // tiene <n> series y <planta> necesita <necesarias>".
    void ExigirSeries(int32_t necesarias, const std::string& planta) const;
    // Refuses a file of any other count than `cantidad` series, whose series
    // would be read in the wrong roles: EErrorQuendal "El archivo de series
    // \"<archivo>\" tiene <n> series y <planta> tiene <cantidad>".
    void ExigirSeriesExactas(int32_t cantidad, const std::string& planta) const;
    // Refuses a file without samples: EErrorQuendal "El archivo de series
    // \"<archivo>\" no tiene muestras".
    void ExigirMuestras() const;
    // Date-time of sample k (1-based).
    TDateTime FechaMuestra(int32_t k) const;
    // Appends a series: one vector per realisation (each of NPuntos
    // elements), or zero vectors when none are given.
    void AgregarSerie(const std::string& nombre, std::vector<TVectR> vectores, TIPO_SERIE tipo);
    // Makes realisation k (1 to NCronicas) current.
    void SeleccionarCronica(int32_t k);
    // Recounts the output and input series and makes realisation 1 current.
    void SepararEntradasSalidas();
    // The derived dates from the first sample's date, period and cycle.
    void CalcularFechas();

    // Read directly by the models and the restriction runs.
    int32_t NSeries = 0;
    int32_t NPuntos = 0;
    int32_t NCronicas = 1;
    TDateTime dtPrimeraMuestra = 0;
    double PeriodoDias = 0;

    int32_t VersionFormato() const { return versionFormato_; }
    const std::string& Archivo() const { return archivo_; }
    const TFechaHora& FechaHoraInicial() const { return inicio_; }
    double PeriodoHoras() const { return periodoHoras_; }
    double PuntosPorCiclo() const { return puntosPorCiclo_; }
    const TDAofString& Nombres() const { return nombres_; }
    const TDAOfTipoSerie& Tipos() const { return tipos_; }
    int32_t NSalidas() const { return static_cast<int32_t>(seriesSalida_.size()); }
    int32_t NEntradas() const { return static_cast<int32_t>(seriesEntrada_.size()); }
    const TDAofString& NombresSalidas() const { return nombresSalidas_; }
    const TDAofString& NombresEntradas() const { return nombresEntradas_; }
    const std::vector<TVectR*>& SeriesSalida() const { return seriesSalida_; }
    const std::vector<TVectR*>& SeriesEntrada() const { return seriesEntrada_; }
    int32_t CronicaActual() const { return cronicaActual_; }
    TDateTime PrimeroDeEnero() const { return primeroDeEnero_; }
    TDateTime PrimerDia() const { return primerDia_; }
    TDateTime OrigenTiempo() const { return origenTiempo_; }
    double DuracionCiclo() const { return duracionCiclo_; }
    double Fase() const { return fase_; }

private:
    class TLectura;
    friend class TLectura;

    int32_t versionFormato_ = 0;
    std::string archivo_;
    TFechaHora inicio_{1899, 12, 30, 0, 0, 0, 0};  // first sample, as read (milliseconds unused)
    double periodoHoras_ = 0;
    double puntosPorCiclo_ = 0;
    TDAofString nombres_;
    // datos_[r][j]: series j of realisation r (both 0-based). Held by pointer
    // so that vectors handed out stay where they are when series are added.
    std::vector<std::vector<std::unique_ptr<TVectR>>> datos_;
    TDAofString nombresSalidas_;
    TDAofString nombresEntradas_;
    TDAOfTipoSerie tipos_;
    TDateTime primeroDeEnero_ = 0;
    TDateTime primerDia_ = 0;
    TDateTime origenTiempo_ = 0;
    double duracionCiclo_ = 0;
    double fase_ = 0;
    int32_t cronicaActual_ = 1;
    // The vectors of the current realisation: all of them by series index,
    // and its output and input series in file order. Not owned.
    std::vector<TVectR*> seriesActuales_;
    std::vector<TVectR*> seriesSalida_;
    std::vector<TVectR*> seriesEntrada_;
};
