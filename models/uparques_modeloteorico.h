#pragma once
// TParque_ModeloTeorico: the theoretical model of one wind farm, with its
// turbines (TMolino) and their positions (TPosicion), its ".pmt" file, the wake
// grid that gives its power and the park map used for display.
//
// Wake grid. For one wind direction the park lays a grid turned so that its
// rows run across the wind and follow each other downwind: row 1 is the upwind
// edge and carries the free stream L (a wind power density, MW/m²). A pass
// builds each further row from the one before by lateral mixing and recovery
// towards L; a turbine standing on a row takes power from the cells its rotor
// covers, by its curve, and multiplies them by a deficit factor that travels
// downwind. The park's power is the sum of its turbines' powers less quadratic
// losses, capped at the smaller of the authorised power and a given cap; a cap
// below the uncapped power scales every turbine down and runs the pass again.
//
// Speed. A pass keeps only two rows in memory (the row it builds and the one
// before) and captures the four cells around the met mast on the way; it ends
// at the last row that holds a turbine or the mast, and when the free stream
// steps onto itself bit for bit it computes only the columns that can differ
// from it and goes straight past rows that are all free stream. The mast iteration stops a trial wind's pass at the mast when the
// cap cannot bind, and an evaluation repeating the last one's first pass takes
// its results. The full grid, which only the display and ValorEnPunto read, is
// rebuilt on demand by running the last pass again with the same inputs, which
// gives the same bits. The row buffers and the grid buffer are reused across
// directions; the row buffers are sized for the widest direction at once and
// the equivalent curve is rebuilt only when a curve changed, so a warm park
// allocates nothing per sample.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "models/uauxdensidad.h"
#include "models/ucurvasaeros.h"
#include "numerics/matreal.h"

class TLectorTexto;
class TEscritorTexto;
class TPgSqlCon;
class TPgSqlRes;

// Where a park block older than version 4, which holds no metering factor,
// gets the database connection from which it reads the factor. It is asked
// only when such a block is met, and gives an open connection or throws why
// none can be had. An empty provider has none: such a block is then refused.
class TProveedorConexion {
public:
    TProveedorConexion() = default;
    TProveedorConexion(std::nullptr_t) {}
    // A connection already open; none when null.
    TProveedorConexion(TPgSqlCon* conexion);
    // A callable that opens (or returns) the connection when first needed.
    template <typename F>
        requires std::is_invocable_r_v<TPgSqlCon&, F&>
    TProveedorConexion(F obtener) : obtener_(std::move(obtener)) {}

    bool Hay() const { return static_cast<bool>(obtener_); }
    TPgSqlCon& Obtener() const { return obtener_(); }

private:
    std::function<TPgSqlCon&()> obtener_;
};

class TPosicion {
public:
    int32_t huso = 0;  // UTM zone number
    char zona = 0;     // UTM latitude band letter
    double xe = 0, yn = 0;  // UTM easting and northing, m
    double x = 0, y = 0;    // relative to the met mast, m
    double xRot = 0, yRot = 0;  // rotated for the current wind direction
    int32_t fila = 0;  // grid row of the turbine
    int32_t colIni = 0, colFin = 0;  // grid columns covered by the rotor

    static TPosicion Create(double x, double y);
    // Relative position at the mast (0, 0) until the park computes it.
    static TPosicion Create_UTM(int32_t huso, char zona, double xe, double yn);
    // Two lines: "x<TAB>y", then "huso<TAB>zona<TAB>xe<TAB>yn".
    static TPosicion Create_LeerDeTexto(TLectorTexto& f);
    void GuardarEnTexto(TEscritorTexto& f) const;
};

// What one turbine took in a pass.
struct TExtraccion {
    double pvMedia = 0;   // mean incoming power density over its rotor's cells
    double potencia = 0;  // its power, MW
};

class TMolino {
public:
    int32_t nid = 0;
    int32_t nro = 0;  // number within the plant (database only)
    int32_t nid_curvaaero = 0;
    int32_t nidcentral = 0;
    TCurvaAerogen curva;
    double etha = 1;  // factor on the incoming wind power density
    TPosicion posicion;
    double pvMedia = 0;   // mean incoming power density at the last pass
    double potencia = 0;  // power at the last pass, MW

    static std::unique_ptr<TMolino> Create_LeerDeTexto(TLectorTexto& f);
    void GuardarEnTexto(TEscritorTexto& f) const;
    // From the current row of a `molinos` result, with its curve read from
    // `curvas_aerogen` (one query per turbine).
    static std::unique_ptr<TMolino> Create_DesdeBD(TPgSqlCon& conexion, TPgSqlRes& fila);

    // The turbine on its grid row `fila` (indexed by grid column): the mean of
    // the cells colIni..colFin, its curve's power at that mean times etha
    // (scaled by the air density and by escala), and those cells multiplied
    // by its deficit factor. Returns what it took; pvMedia and potencia are
    // the pass's to set.
    TExtraccion ExtraerPotencia(double* fila, double etha, double fpv3pe, double escala, double densidad) const;
};

// The row step over columns desde..hasta of a row: nueva[j] from vieja[j-1..j+1]
// with the weights lateral, central and arrastre and the recovered free stream
// L·pesoRecuperacion. The common kernel runs four cells at a time (AVX2 where
// the CPU has it); the AVX-512 one eight. Both do the same operations in the
// same order on every cell, so they give the same bits; the pass uses the one
// chosen once for the process.
using TNucleoFila = void (*)(double* nueva, const double* vieja, int32_t desde, int32_t hasta, double lateral,
                             double central, double arrastre, double recuperado);
TNucleoFila NucleoFilaComun();
// nullptr where the CPU has no AVX-512.
TNucleoFila NucleoFilaAvx512();
// The AVX-512 kernel where the CPU has it, the common one elsewhere.
TNucleoFila NucleoFilaElegido();

// Columns ini..fin of a grid row; none when ini > fin.
struct TTramoColumnas {
    int32_t ini = 1, fin = 0;
    // No column, and the span that Incluir into another leaves unchanged.
    static constexpr TTramoColumnas Ninguna() {
        return {std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min()};
    }
    // The smallest span holding both.
    void Incluir(const TTramoColumnas& otro) {
        ini = std::min(ini, otro.ini);
        fin = std::max(fin, otro.fin);
    }
};

// What a pass holds fixed over its rows.
struct TEntradasPasada {
    double libre = 0;     // free stream L
    double escala = 1;    // scale factor of a capped pass
    double densidad = 0;  // air density, kg/m³
    double fpv3pe = 0;
    const double* ethas = nullptr;  // each turbine's factor, in list order
};

// The wake grid: nf rows along the wind, nc columns across, one-based, in one
// contiguous buffer whose storage is kept when the grid shrinks.
class TGrillaEstela {
public:
    int32_t nf = 0;
    int32_t nc = 0;

    void Dimensionar(int32_t filas, int32_t columnas);
    void Ceros();
    // Row i with its columns at [1..nc].
    double* Fila(int32_t i) { return datos_.data() + static_cast<std::size_t>(i - 1) * Paso(); }
    const double* Fila(int32_t i) const { return datos_.data() + static_cast<std::size_t>(i - 1) * Paso(); }
    double Elemento(int32_t i, int32_t j) const { return Fila(i)[j]; }

private:
    std::size_t Paso() const { return static_cast<std::size_t>(nc) + 1; }
    std::vector<double> datos_;
};

class TParque_ModeloTeorico {
public:
    int32_t nid = 0;
    int32_t nid_central_KOLM = -1;
    int32_t nid_modelo = 0;
    std::string nombre;
    int32_t nMolinos = 0;
    int32_t n_sectores_dir = 72;
    std::vector<std::unique_ptr<TMolino>> molinos;
    std::unique_ptr<TCurvaAerogen> curvaParque;  // sum of all turbine curves; none without turbines
    int32_t rectIzq = 0, rectArriba = 0, rectDer = 0, rectAbajo = 0;
    double anchoMundo = 0, altoMundo = 0;
    int32_t anchoPixel = 0, altoPixel = 0;
    double xMinMundo = 0, xMaxMundo = 0, yMinMundo = 0, yMaxMundo = 0;
    int32_t meteo_utm_huso = 0;
    char meteo_utm_zona = '?';
    double meteo_utm_xe = 0, meteo_utm_yn = 0;
    double meteo_cota = 0;
    double xMinRot = 0, xMaxRot = 0, yMinRot = 0, yMaxRot = 0;
    double dxCelda = 0, dyCelda = 0;
    double cosDir = 1, sinDir = 0;
    double grilla_rotada_dx = 9;
    double grilla_rotada_dy = 1;
    double grilla_rotada_margen_dx = 1000;
    TMatR meteo_etha;  // met-mast factors: one row per direction sector
    TMatR mat_vientos;  // the mast speeds of meteo_etha's columns
    double alfa_terreno = 0.5;
    double gamma_atmosfera = 0.4;
    double fpv3pe = 1.8;
    double factor_perdidas = 0.035;
    double direccion = 0;
    double pvLibre = 0;
    double coefPerdidas = 0;
    double potencia_nominal = 0;
    double factor_kolm_scada = 1;
    double potencia_autorizada_mw = 0;
    double pesoLateral = 0, pesoCentral = 0, pesoRecuperacion = 0, pesoArrastre = 0;

    // A park with no turbines and the values of a new model: 72 × 10 mast
    // tables of ones, alfa 0.5, gamma 0.4, fpv3pe 1.8, losses 0.035, cells
    // 9 m × 1 m, margin 1000 m.
    static std::unique_ptr<TParque_ModeloTeorico> Create_Nuevo();

    // The park block, versions 1 to 5. A block older than version 4 holds no
    // metering factor: it is read from the plant's row of `centrales` through
    // the provider's connection. Without a provider, or when it can give no
    // connection, the read fails (EInOutError at the version line, saying
    // why): a factor that was not read would scale every restriction table
    // and be written into the next file as if it had been. The tables must
    // hold at least n_sectores_dir rows, n_sectores_dir at least 1.
    static std::unique_ptr<TParque_ModeloTeorico> Create_LeerDeTexto(TLectorTexto& f,
                                                                     const TProveedorConexion& proveedor = {});
    static std::unique_ptr<TParque_ModeloTeorico> Create_LeerDeArchivo(const std::string& ruta,
                                                                       const TProveedorConexion& proveedor = {});
    // A park of its own with the same parameters, tables and turbines, ready
    // for a pass: a worker thread's copy, whose evaluations give the bits of
    // the original's. The grid of the current direction and the turbines'
    // last results are not copied; the copy lays its grid at its first
    // FijarDireccion.
    static std::unique_ptr<TParque_ModeloTeorico> Create_Clonar(const TParque_ModeloTeorico& otro);
    // Always version 5.
    void GuardarEnTexto(TEscritorTexto& f) const;
    // Through a temporary file renamed over the old one.
    void GuardarEnArchivo(const std::string& ruta) const;

    // ---- Database (uparques_bd.cpp) ----
    // The park of the plant whose `centrales` row is the current row of
    // `filaCentral`: its newest `modelo_teorico` row (a new one, numbered from
    // modelo_teorico_nid_seq, when it has none), its turbines and curves and
    // their per-model factors. What the download repairs (defaults, the mast's
    // UTM position from the plant's latitude and longitude, missing factor
    // rows) is written back. Everything is read before anything is written,
    // and refused there: a plant without its metering factor, a model whose
    // tables have fewer rows than its n_sectores_dir, a park that its file
    // could not hold (DefectoDelBloqueDelParque: a name or a turbine's UTM
    // band that would break the file's lines). Later failures leave the rows
    // already written.
    static std::unique_ptr<TParque_ModeloTeorico> Create_DesdeBD(TPgSqlCon& conexion, TPgSqlRes& filaCentral);
    // Writes the per-turbine factors and the model's parameters, both mast
    // tables among them, to the rows of `nid_modelo`, all or nothing: every
    // statement is built and checked before any is sent (a value that is not
    // finite, tables that do not fit n_sectores_dir), and they go in one
    // transaction, rolled back when one fails or no `modelo_teorico` row has
    // that number. The error then says that nothing was changed; a commit
    // whose answer was lost raises ETransaccionIncierta.
    void ActualizarBD(TPgSqlCon& conexion) const;

    // Authorised power at least 1e-8, the loss coefficient and the park curve;
    // a pass kept for reuse is dropped.
    void Preparar();

    // ---- Wake grid and park power ----
    // Lays the grid for a direction (degrees, where the wind comes from).
    // EErrorQuendal when the cell sizes or the margin make no grid.
    void FijarDireccion(double dir);
    // Park power (MW) for a free-stream power density; mastil receives the
    // grid value at the met mast after the last pass.
    // A cap Q below the net power reruns the pass with the scale f := f·Q/net,
    // at most 11 passes. When the 11th still exceeds Q, each turbine's power,
    // which already carries that pass's f, is multiplied by that pass's Q/net,
    // so the turbines add up to the result Q; multiplying it by the updated f,
    // as the rule first written reads, would apply the pass's scale twice.
    double PotenciaConVientoLibre(double densidad, double libre, double tope, double& mastil);
    double PotenciaConVientoLibre(double densidad, double libre, double tope);
    // Set on a copy whose turbines nobody looks at (a worker's, which only
    // hands out powers): a mast reading below every turbine's wind range then
    // gives its power without a pass, and the turbines' pvMedia keep the
    // values of the last pass swept. Everything else is as after the pass:
    // the power, the free stream, every turbine's potencia (0) and the grid
    // (replayed on demand).
    //
    // Why the power is exactly 0. Take a mast reading M with M·etha·(1 + 1e-6)
    // below the first point's power density (pvMin) of every turbine's curve,
    // every etha >= 0, every rotor area > 0, the four row weights >= 0, a
    // positive air density and at most 1000 turbines. The first evaluation
    // takes the free stream e = M. A row step is a combination, with
    // non-negative weights summing to 1, of cells of the row before and of e,
    // and a turbine multiplies cells by a factor below 1; so no cell, and no
    // rotor mean, exceeds e by more than the rounding of the rows and columns
    // (under 1e-7 relative for the largest grid the park accepts). Every
    // turbine's wind is then below its pvMin, where a curve gives exactly 0:
    // its power is +0, its share y is 0 and its deficit factor 0.999999. So
    // no cell falls below e·0.999999^1000 ≈ 0.999·e either, the mast's ratio
    // is within 1 % and the iteration stops at that first evaluation, with
    // the free stream M and the net power +0 (+0 less 0 losses, at or below
    // any cap, so a single pass).
    bool omitirPasadaEnCalma = false;
    // Park power for a met-mast power density, solving for the free stream,
    // which `libre` receives (0 for a calm mast).
    double PotenciaDesdeEstacion(double densidad, double mastilMedido, double tope, double& libre);
    double PotenciaDesdeEstacion(double densidad, double mastilMedido, double tope);
    // Mast speed (m/s, at 1.225 kg/m³) at which the park gives `potencia`;
    // `libre` receives the free stream of the last evaluation (0 without one).
    double VientoParaPotencia(double potencia, double& libre);
    double VientoParaPotencia(double potencia);
    // Met-mast factor of the calibrated tables at a direction and mast speed,
    // over the first n_sectores_dir rows; EErrorQuendal when the tables have
    // fewer rows.
    double EthaMeteo(double dir, double velocidad) const;
    // Grid value at a point relative to the mast, 0 outside the grid.
    double ValorEnPunto(double x, double y) const;
    double ValorEnPunto(const TPunto2D& p) const { return ValorEnPunto(p.x, p.y); }
    // The grid of the last pass (zeros before the first pass of a direction).
    const TGrillaEstela& Grilla() const;
    bool HayGrilla() const { return hayDireccion_; }

    // ---- The steps of a pass, on rows indexed by grid column ----
    // The row step over columns desde..hasta of the current direction's
    // grid: nueva[j] = ((vieja[j+1] + vieja[j-1])·pesoLateral +
    // vieja[j]·pesoCentral)·pesoArrastre + libre·pesoRecuperacion. A whole
    // row is desde = 2, hasta = nc − 1; its two edges keep the free stream.
    void PropagarFila(double* nueva, const double* vieja, int32_t desde, int32_t hasta, double libre) const;
    // The extraction at the turbines standing on row kFila, in list order, so
    // that a later one sees the cells an earlier one has reduced. `siguiente`
    // walks the turbines in row order of the current direction: it passes
    // over those of earlier rows and is left at the first of a later row.
    // Each result goes to resultados[i], i the turbine's list index, unless
    // resultados is null. Returns the columns the rotors cover (none when
    // nobody stands on the row).
    TTramoColumnas ProcesarMolinosDeFila(int32_t kFila, double* fila, const TEntradasPasada& entradas,
                                         std::size_t& siguiente, TExtraccion* resultados) const;

    // ---- Park map ----
    void FijarRectanguloDibujo(int32_t izq, int32_t arriba, int32_t der, int32_t abajo);
    void MundoAPixel(int32_t& columna, int32_t& fila, const TPunto2D& p) const;
    void PixelAMundo(TPunto2D& p, int32_t columna, int32_t fila) const;
    // The nearest turbine within three rotor diameters, or nullptr.
    TMolino* MolinoEnPixel(int32_t columna, int32_t fila) const;
    double ValorEnPixel(int32_t columna, int32_t fila) const;

private:
    // Where the met mast falls in the grid of the current direction.
    struct TCeldasMastil {
        bool dentro = false;
        int32_t f1 = 1, f2 = 1, c1 = 1, c2 = 1;
        double wx = 0, wy = 0;
    };
    // What a pass needs to be run again identically.
    struct TUltimaPasada {
        bool hay = false;
        double libre = 0, escala = 0, densidad = 0, fpv3pe = 0;
        std::vector<double> ethas;
    };

    void LeerBloque(TLectorTexto& f, const TProveedorConexion& proveedor);
    // Download steps, in the order the download runs them.
    void LeerModeloExistente(TPgSqlRes& modelo);
    void TomarValoresDeModeloNuevo(TPgSqlRes& filaCentral);
    void UbicarMastilDesdeLatitudLongitud(TPgSqlRes& filaCentral);
    void LeerMolinosDesdeBD(TPgSqlCon& conexion);
    bool LeerEthasDelModelo(TPgSqlCon& conexion, bool modeloNuevo);
    void CalcularDimensionesGrilla();
    void UbicarMolinosEnGrilla();
    void ReservarFilasParaTodaDireccion();
    // The equivalent curve is rebuilt only when something it is built from
    // changed since it was last built: a change of direction then allocates
    // nothing, and the curve has the bits a rebuild would give it.
    struct TCurvaSumada {
        const TCurvaAerogen* curva = nullptr;  // the curve built, as curvaParque held it
        std::string modelo;                    // the first turbine's model name
        std::vector<double> entradas;          // RecorrerEntradasCurvaParque's values
    };
    template <class TVisitante>
    void RecorrerEntradasCurvaParque(TVisitante&& visitar) const;
    bool CurvaParqueAlDia() const;
    void RecordarCurvaParque();
    TCeldasMastil UbicarPunto(double x, double y) const;
    double InterpolarCeldas(const TCeldasMastil& m, double g11, double g12, double g21, double g22) const;
    // A pass in progress: its inputs, the row last built, in which of the two
    // buffers it lies, the columns of that row and of each buffer that may
    // differ from the free stream, the next turbine in row order and the
    // mast's cells.
    struct TBarrido {
        TEntradasPasada entradas;
        bool porColumnasActivas = false;  // the free stream propagates onto itself bit for bit
        int32_t fila = 0;
        int buffer = 1;
        TTramoColumnas activas;      // of the row last built
        TTramoColumnas distintas[2];  // of the row each buffer holds
        std::size_t siguiente = 0;
        double g11 = 0, g12 = 0, g21 = 0, g22 = 0;
    };
    bool LibreSePropagaIgual(double libre) const;
    void IniciarBarrido(double libre, double escala, double densidad, const std::vector<double>& ethas,
                        double fpv3peUsado) const;
    // Builds the rows after the last one built, up to hastaFila.
    void AvanzarBarrido(int32_t hastaFila) const;
    bool SaltarFilasDeCorrienteLibre(int32_t hastaFila) const;
    // Bookkeeping of row r before its row step, into buffer `destino`: the
    // cells the step leaves alone get the free stream where they may hold
    // something else. Returns the columns the step computes.
    TTramoColumnas PrepararFila(int32_t r, double* nueva, int destino) const;
    // The mast's cells, taken as their rows are built.
    void CapturarMastil(int32_t r, const double* fila) const;
    // Bookkeeping after row r: the columns of the row that differ from the
    // free stream, narrowed from `cambiadas` when the pass follows them.
    void CerrarFila(int32_t r, int destino, const double* nueva, TTramoColumnas cambiadas) const;
    // The last row whose cells reach a result: the last turbine's or the mast's.
    int32_t UltimaFilaConResultado() const;
    double MastilDelBarrido() const;
    // The net power of the turbines' results (single precision, >= 0).
    double NetaDeExtracciones() const;
    // One pass over the grid; returns the net power. The turbines' results
    // land in extracciones_, in list order.
    double Pasada(double libre, double escala, double densidad, const std::vector<double>& ethas,
                  double fpv3peUsado, double& mastil) const;
    // The same pass over every row of a grid, for the display; the turbines'
    // state is left alone.
    void PasadaEnGrilla(double libre, double escala, double densidad, const std::vector<double>& ethas,
                        double fpv3peUsado, TGrillaEstela& destino) const;
    void AsegurarGrillaCompleta() const;
    // What every power evaluation does first: the layout when the turbines
    // changed, the free stream and the record of the pass for the display.
    void ComenzarPotencia(double densidad, double libre);
    // The turbines' pvMedia and potencia from the last pass.
    void TomarExtracciones();
    // min(tope, authorised power), at least 0.
    double LimiteDePotencia(double tope) const;
    // True when no pass at scale 1 can exceed the cap: the turbines' curve
    // maxima at this air density, net of losses, stay at or below it. Then an
    // evaluation is its first pass.
    bool TopeInalcanzable(double densidad, double tope) const;
    // True when the calm shortcut holds for this mast reading (see
    // omitirPasadaEnCalma).
    bool CalmaSinPotencia(double densidad, double mastilMedido) const;
    // Ends a trial wind's pass stopped at the mast as PotenciaConVientoLibre
    // would give its evaluation.
    double CompletarTanteo(double densidad, double libre, double tope);
    // The first pass (scale 1) of the last evaluation, with everything it
    // depends on beyond the direction's layout. An evaluation for the same
    // free stream (the restricted sample's uncapped power after its capped
    // one) takes it instead of sweeping again: the same bits.
    struct TPasadaGuardada {
        bool hay = false;
        double libre = 0, densidad = 0, neta = 0, mastil = 0;
        std::array<double, 6> parametros{};  // fpv3pe, coefPerdidas and the row step's weights
        std::vector<double> ethas;
        std::vector<TExtraccion> extracciones;
        bool Corresponde(const TParque_ModeloTeorico& p, double libreUsado, double densidadUsada) const;
    };
    void GuardarPrimeraPasada(double densidad, double libre, double neta, double mastil);
    // The scale-1 pass of an evaluation begun with ComenzarPotencia.
    double PrimeraPasada(double densidad, double libre, double& mastil);

    bool hayDireccion_ = false;
    TCurvaSumada sumada_;
    TCeldasMastil mastil_;
    std::vector<int32_t> molinosPorFila_;  // turbine indices ordered by row, list order within a row
    mutable std::vector<double> filaA_, filaB_;  // the two rows of a pass
    mutable std::vector<TExtraccion> extracciones_;
    mutable TBarrido barrido_;
    TPasadaGuardada primeraGuardada_;
    TUltimaPasada ultimaPasada_;
    mutable TGrillaEstela grilla_;
    mutable bool grillaAlDia_ = false;
};

// The rules that the park block's reader applies to what its writer writes,
// shared by the reader, the writer and the download, which refuse alike.
//
// What keeps the two met-mast tables from being read back as a pair: an
// empty meteo_etha, or a mat_vientos of another shape (both shapes named).
// Empty when they fit.
std::string DefectoDeFormaDeLasTablasDelMastil(const TParque_ModeloTeorico& parque);
bool TablaDelMastilVacia(const TMatR& tabla);
// What of the park its file cannot hold so that the reader takes it back:
// the table and sector rules, a name or a curve model that is not one line,
// a turbine's UTM band that its position line cannot carry, a position that
// does not read back, more turbines than a file may hold. Empty when the
// block reads back. It checks with the invariant formats, which it pushes
// itself, so its answer never depends on the user's settings.
std::string DefectoDelBloqueDelParque(const TParque_ModeloTeorico& parque);
// "el parque <nid> (<nombre>)", with line breaks in the name made visible.
std::string NombreDelParqueEnMensajes(const TParque_ModeloTeorico& parque);

// What keeps the park's mast tables from serving its n_sectores_dir sectors,
// naming both counts: a count below 1, or tables with fewer rows. Empty when
// they serve.
std::string DefectoDeSectoresDelMastil(const TParque_ModeloTeorico& parque);
