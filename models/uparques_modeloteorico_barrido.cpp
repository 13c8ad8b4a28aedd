// The wake grid of a direction and the pass over it: the row step, the
// turbines' extraction and the mast's cells, on two row buffers, and the full
// grid replayed for the display.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "models/uparques_modeloteorico.h"
#include "models/uparques_modeloteorico_interno.h"
#include "numerics/errores.h"
#include "numerics/textoreal.h"

using parque_teorico::ASimplePrecision;
using parque_teorico::EnteroMasCercano;
using parque_teorico::MismosBits;

namespace {

// A grid above this many cells is a mistake in the cell sizes or the margin.
constexpr double MaximoCeldasGrilla = 50e6;

// ---- Row step and turbine extraction ----

// new[j] = ((old[j+1] + old[j-1])·lateral + old[j]·central)·arrastre + L·recuperación
// for j = desde..hasta, a block of cells at a time. Every cell is computed with
// the same operations in the same order as the plain loop, and the build
// contracts no multiply-add, so the bits are the same on every instruction set
// and for every block width.
using TCuatroReales = double __attribute__((vector_size(32)));
using TOchoReales = double __attribute__((vector_size(64)));

template <class TBloque>
[[gnu::always_inline]] inline int32_t PropagarBloques(double* __restrict nueva, const double* __restrict vieja,
                                                      int32_t j, int32_t hasta, double lateral, double central,
                                                      double arrastre, double recuperado) {
    constexpr int32_t ancho = sizeof(TBloque) / sizeof(double);
    TBloque vLateral, vCentral, vArrastre, vRecuperado;
    for (int32_t k = 0; k < ancho; ++k) {
        vLateral[k] = lateral;
        vCentral[k] = central;
        vArrastre[k] = arrastre;
        vRecuperado[k] = recuperado;
    }
    for (; j + ancho - 1 <= hasta; j += ancho) {
        TBloque izquierda, centro, derecha;
        std::memcpy(&izquierda, vieja + j - 1, sizeof izquierda);
        std::memcpy(&centro, vieja + j, sizeof centro);
        std::memcpy(&derecha, vieja + j + 1, sizeof derecha);
        const TBloque r = ((derecha + izquierda) * vLateral + centro * vCentral) * vArrastre + vRecuperado;
        std::memcpy(nueva + j, &r, sizeof r);
    }
    return j;
}

[[gnu::always_inline]] inline void PropagarResto(double* __restrict nueva, const double* __restrict vieja, int32_t j,
                                                 int32_t hasta, double lateral, double central, double arrastre,
                                                 double recuperado) {
    for (; j <= hasta; ++j)
        nueva[j] = ((vieja[j + 1] + vieja[j - 1]) * lateral + vieja[j] * central) * arrastre + recuperado;
}

__attribute__((target_clones("avx2", "default"))) void PropagarCeldasDeA4(
    double* __restrict nueva, const double* __restrict vieja, int32_t desde, int32_t hasta, double lateral,
    double central, double arrastre, double recuperado) {
    const int32_t j =
        PropagarBloques<TCuatroReales>(nueva, vieja, desde, hasta, lateral, central, arrastre, recuperado);
    PropagarResto(nueva, vieja, j, hasta, lateral, central, arrastre, recuperado);
}

__attribute__((target("avx512f"))) void PropagarCeldasDeA8(double* __restrict nueva, const double* __restrict vieja,
                                                           int32_t desde, int32_t hasta, double lateral,
                                                           double central, double arrastre, double recuperado) {
    int32_t j = PropagarBloques<TOchoReales>(nueva, vieja, desde, hasta, lateral, central, arrastre, recuperado);
    j = PropagarBloques<TCuatroReales>(nueva, vieja, j, hasta, lateral, central, arrastre, recuperado);
    PropagarResto(nueva, vieja, j, hasta, lateral, central, arrastre, recuperado);
}

// (1 − y^(2/3))^1.5 with y in [0, 1], kept within [1e-5, 0.999999].
double FactorDeDeficit(double y) {
    y = std::clamp(y, 0.0, 1.0);
    double d = std::pow(1 - std::pow(y, 2.0 / 3.0), 1.5);
    if (d > 0.999999) d = 0.999999;
    if (d < 1e-5) d = 1e-5;
    return d;
}

[[noreturn]] void FallarGrilla(const std::string& detalle) {
    throw EErrorQuendal("No se puede armar la grilla rotada del parque: " + detalle);
}

}  // namespace

// ---------------------------------------------------------------- row kernels

TNucleoFila NucleoFilaComun() { return PropagarCeldasDeA4; }

TNucleoFila NucleoFilaAvx512() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") ? PropagarCeldasDeA8 : nullptr;
}

TNucleoFila NucleoFilaElegido() {
    static const TNucleoFila elegido = [] {
        const TNucleoFila ancho = NucleoFilaAvx512();
        return ancho ? ancho : NucleoFilaComun();
    }();
    return elegido;
}

// ---------------------------------------------------------------- TMolino

// A share y that cannot be computed (no incoming wind, no rotor area) takes
// 0.01.
TExtraccion TMolino::ExtraerPotencia(double* fila, double etha, double fpv3pe, double escala, double densidad) const {
    const int32_t colIni = posicion.colIni, colFin = posicion.colFin;
    double suma = 0;
    for (int32_t j = colIni; j <= colFin; ++j) suma += fila[j];
    const double media = suma / (colFin - colIni + 1);
    const double tomada = curva.P_de_PotenciaViento(media * etha) * RelacionDensidad(densidad) * escala;
    const double y = (media >= 1e-15 && curva.area > 0) ? tomada / curva.area * fpv3pe / media : 0.01;
    const double d = FactorDeDeficit(y);
    for (int32_t j = colIni; j <= colFin; ++j) fila[j] *= d;
    return {media, tomada};
}

// ---------------------------------------------------------------- TGrillaEstela

void TGrillaEstela::Dimensionar(int32_t filas, int32_t columnas) {
    nf = filas;
    nc = columnas;
    datos_.resize(static_cast<std::size_t>(filas) * Paso());
}

void TGrillaEstela::Ceros() { std::fill(datos_.begin(), datos_.end(), 0.0); }

// ---------------------------------------------------------------- park: wake grid

void TParque_ModeloTeorico::FijarDireccion(double dir) {
    Preparar();
    direccion = dir;
    const double theta = (dir + 180) * 6.283185307179586 / 360;
    cosDir = std::cos(theta);
    sinDir = std::sin(theta);
    xMinRot = xMaxRot = yMinRot = yMaxRot = 0;
    for (auto& molino : molinos) {
        TPosicion& p = molino->posicion;
        p.xRot = p.x * cosDir - p.y * sinDir;
        p.yRot = p.x * sinDir + p.y * cosDir;
        xMinRot = std::min(xMinRot, p.xRot);
        xMaxRot = std::max(xMaxRot, p.xRot);
        yMinRot = std::min(yMinRot, p.yRot);
        yMaxRot = std::max(yMaxRot, p.yRot);
    }
    CalcularDimensionesGrilla();
    const double t = (1 - std::exp(-alfa_terreno * dyCelda / dxCelda)) * 0.5;
    pesoLateral = t;
    pesoCentral = 1 - 2 * t;
    pesoRecuperacion = 1 - std::exp(-gamma_atmosfera * dyCelda / 500);
    pesoArrastre = 1 - pesoRecuperacion;
    UbicarMolinosEnGrilla();
    mastil_ = UbicarPunto(0, 0);
    hayDireccion_ = true;
    ultimaPasada_.hay = false;
    primeraGuardada_.hay = false;
    grillaAlDia_ = false;
}

// Box with its margins, then cell counts that fill it exactly. A box of no
// extent along an axis (no turbine and no margin) gets one cell of the wanted
// size, so the grid always has at least one cell each way.
void TParque_ModeloTeorico::CalcularDimensionesGrilla() {
    const double m = grilla_rotada_margen_dx;
    if (!(grilla_rotada_dx > 0) || !std::isfinite(grilla_rotada_dx))
        FallarGrilla("el ancho de celda debe ser positivo (" + FormatoGeneral(grilla_rotada_dx, 15) + ")");
    if (!(grilla_rotada_dy > 0) || !std::isfinite(grilla_rotada_dy))
        FallarGrilla("el largo de celda debe ser positivo (" + FormatoGeneral(grilla_rotada_dy, 15) + ")");
    if (!(m >= 0) || !std::isfinite(m))
        FallarGrilla("el margen no puede ser negativo (" + FormatoGeneral(m, 15) + ")");
    xMinRot -= m;
    xMaxRot += m;
    yMinRot -= m / 2;
    yMaxRot += m / 2;
    if (xMaxRot == xMinRot) xMaxRot = xMinRot + grilla_rotada_dx;
    if (yMaxRot == yMinRot) yMaxRot = yMinRot + grilla_rotada_dy;
    const double nx = std::max(1.0, std::trunc((xMaxRot - xMinRot) / grilla_rotada_dx + 0.999));
    const double ny = std::max(1.0, std::trunc((yMaxRot - yMinRot) / grilla_rotada_dy + 0.999));
    if (!((nx + 1) * (ny + 1) <= MaximoCeldasGrilla))
        FallarGrilla(FormatoGeneral(ny + 1, 15) + " filas por " + FormatoGeneral(nx + 1, 15) +
                     " columnas es demasiado grande");
    dxCelda = (xMaxRot - xMinRot) / nx;
    dyCelda = (yMaxRot - yMinRot) / ny;
    grilla_.nf = static_cast<int32_t>(ny) + 1;
    grilla_.nc = static_cast<int32_t>(nx) + 1;
}

// Row and rotor columns of every turbine (clamped to the grid), and the
// turbines ordered by row, keeping list order within a row.
void TParque_ModeloTeorico::UbicarMolinosEnGrilla() {
    const int32_t nf = grilla_.nf;
    const int32_t nc = grilla_.nc;
    for (auto& molino : molinos) {
        TPosicion& p = molino->posicion;
        const double medioRotor = molino->curva.diametro / 2;
        p.fila = EnteroMasCercano((p.yRot - yMinRot) / dyCelda, 0, nf - 1) + 1;
        p.colIni = EnteroMasCercano((p.xRot - medioRotor - xMinRot) / dxCelda, 0, nc - 1) + 1;
        p.colFin = EnteroMasCercano((p.xRot + medioRotor - xMinRot) / dxCelda, 0, nc - 1) + 1;
        if (p.colFin < p.colIni) std::swap(p.colIni, p.colFin);
    }
    molinosPorFila_.resize(molinos.size());
    for (std::size_t i = 0; i < molinos.size(); ++i) molinosPorFila_[i] = static_cast<int32_t>(i);
    // By row, then by list position: the order of a stable sort, without the
    // buffer std::stable_sort takes at every direction.
    std::sort(molinosPorFila_.begin(), molinosPorFila_.end(), [this](int32_t a, int32_t b) {
        const int32_t filaA = molinos[a]->posicion.fila, filaB = molinos[b]->posicion.fila;
        return filaA != filaB ? filaA < filaB : a < b;
    });
    extracciones_.resize(molinos.size());
    ReservarFilasParaTodaDireccion();
}

// The grid is widest across the wind when the wind runs along the line of the
// turbine farthest from the mast: no direction needs more columns than
// 2·(that distance + margin) / cell width, plus a few for rounding. The two
// row buffers take that room at once, so that no later direction grows them.
void TParque_ModeloTeorico::ReservarFilasParaTodaDireccion() {
    double radio = 0;
    for (const auto& molino : molinos)
        radio = std::max(radio, std::hypot(molino->posicion.x, molino->posicion.y));
    const double columnas = (2 * (radio + grilla_rotada_margen_dx)) / grilla_rotada_dx + 4;
    const double celdas = std::max(columnas, static_cast<double>(grilla_.nc)) + 1;
    if (!(celdas <= MaximoCeldasGrilla)) return;  // the grid's own check has the last word
    filaA_.reserve(static_cast<std::size_t>(celdas));
    filaB_.reserve(static_cast<std::size_t>(celdas));
}

TParque_ModeloTeorico::TCeldasMastil TParque_ModeloTeorico::UbicarPunto(double x, double y) const {
    TCeldasMastil celdas;
    const double xr = x * cosDir - y * sinDir;
    const double yr = x * sinDir + y * cosDir;
    if (!(xr >= xMinRot && xr <= xMaxRot && yr >= yMinRot && yr <= yMaxRot)) return celdas;
    const double fy = (yr - yMinRot) / dyCelda;
    const double fx = (xr - xMinRot) / dxCelda;
    const double ty = std::trunc(fy);
    const double tx = std::trunc(fx);
    celdas.dentro = true;
    celdas.f1 = std::min(static_cast<int32_t>(ty) + 1, grilla_.nf);
    celdas.f2 = std::min(celdas.f1 + 1, grilla_.nf);
    celdas.c1 = std::min(static_cast<int32_t>(tx) + 1, grilla_.nc);
    celdas.c2 = std::min(celdas.c1 + 1, grilla_.nc);
    celdas.wy = fy - ty;
    celdas.wx = fx - tx;
    return celdas;
}

double TParque_ModeloTeorico::InterpolarCeldas(const TCeldasMastil& m, double g11, double g12, double g21,
                                               double g22) const {
    if (!m.dentro) return 0;
    return (g11 * (1 - m.wx) + g12 * m.wx) * (1 - m.wy) + (g21 * (1 - m.wx) + g22 * m.wx) * m.wy;
}

// ---- The steps of a pass ----

void TParque_ModeloTeorico::PropagarFila(double* nueva, const double* vieja, int32_t desde, int32_t hasta,
                                         double libre) const {
    NucleoFilaElegido()(nueva, vieja, desde, hasta, pesoLateral, pesoCentral, pesoArrastre,
                        libre * pesoRecuperacion);
}

TTramoColumnas TParque_ModeloTeorico::ProcesarMolinosDeFila(int32_t kFila, double* fila,
                                                            const TEntradasPasada& entradas, std::size_t& siguiente,
                                                            TExtraccion* resultados) const {
    auto filaDe = [this](std::size_t k) { return molinos[molinosPorFila_[k]]->posicion.fila; };
    while (siguiente < molinosPorFila_.size() && filaDe(siguiente) < kFila) ++siguiente;
    TTramoColumnas cubiertas = TTramoColumnas::Ninguna();
    for (; siguiente < molinosPorFila_.size() && filaDe(siguiente) == kFila; ++siguiente) {
        const int32_t i = molinosPorFila_[siguiente];
        const TMolino& molino = *molinos[i];
        const TExtraccion e =
            molino.ExtraerPotencia(fila, entradas.ethas[i], entradas.fpv3pe, entradas.escala, entradas.densidad);
        if (resultados) resultados[i] = e;
        cubiertas.Incluir({molino.posicion.colIni, molino.posicion.colFin});
    }
    return cubiertas;
}

// ---- Passes ----
//
// A pass without a grid runs on two row buffers and ends at the last row that
// holds a turbine or the mast: the rows after it change no result. When the
// free stream propagates onto itself bit for bit (the usual case), a cell
// whose three cells above equal the free stream equals it too, so each row is
// computed only over the columns next to those of the row before that differ
// from the free stream, and the rest of the buffer holds the free stream. Every
// cell computed is computed as the full row would compute it, so the results
// are the same bits.

namespace {

// A full row r: the free stream everywhere on row 1, at the two edges of a
// later row. Returns the columns the row step computes.
TTramoColumnas LibreFueraDelPaso(int32_t r, double* nueva, int32_t nc, double libre) {
    if (r == 1) {
        std::fill(nueva + 1, nueva + nc + 1, libre);
        return {2, 1};
    }
    nueva[1] = libre;
    nueva[nc] = libre;
    return {2, nc - 1};
}

}  // namespace

bool TParque_ModeloTeorico::LibreSePropagaIgual(double libre) const {
    const double tres[3] = {libre, libre, libre};
    double fila[3] = {0, 0, 0};
    PropagarFila(fila, tres, 1, 1, libre);
    return MismosBits(fila[1], libre);
}

void TParque_ModeloTeorico::IniciarBarrido(double libre, double escala, double densidad,
                                           const std::vector<double>& ethas, double fpv3peUsado) const {
    const std::size_t celdas = static_cast<std::size_t>(grilla_.nc) + 1;
    filaA_.resize(celdas);
    filaB_.resize(celdas);
    TBarrido& b = barrido_;
    b.entradas = {libre, escala, densidad, fpv3peUsado, ethas.data()};
    b.porColumnasActivas = LibreSePropagaIgual(libre);
    b.fila = 0;
    b.buffer = 1;
    b.activas = {};
    b.distintas[0] = b.distintas[1] = {};
    b.siguiente = 0;
    b.g11 = b.g12 = b.g21 = b.g22 = 0;
    if (b.porColumnasActivas) {
        std::fill(filaA_.begin(), filaA_.end(), libre);
        std::fill(filaB_.begin(), filaB_.end(), libre);
    }
}

// Flattened: the steps are called for every row of every pass, and inlined
// they cost no more than one loop written out.
__attribute__((flatten)) void TParque_ModeloTeorico::AvanzarBarrido(int32_t hastaFila) const {
    TBarrido& b = barrido_;
    double* const buffers[2] = {filaA_.data(), filaB_.data()};
    for (int32_t r = b.fila + 1; r <= hastaFila; r = b.fila + 1) {
        if (SaltarFilasDeCorrienteLibre(hastaFila)) continue;
        const int destino = 1 - b.buffer;
        double* nueva = buffers[destino];
        const TTramoColumnas paso = PrepararFila(r, nueva, destino);
        PropagarFila(nueva, buffers[b.buffer], paso.ini, paso.fin, b.entradas.libre);
        TTramoColumnas cambiadas = b.porColumnasActivas ? paso : TTramoColumnas{1, grilla_.nc};
        cambiadas.Incluir(ProcesarMolinosDeFila(r, nueva, b.entradas, b.siguiente, extracciones_.data()));
        CapturarMastil(r, nueva);
        CerrarFila(r, destino, nueva, cambiadas);
    }
}

// Following the columns that differ from the free stream, the step computes
// those next to the row before's; the buffer still holds a row from two rows
// back, whose cells that differ from the free stream outside them go back to
// it.
TTramoColumnas TParque_ModeloTeorico::PrepararFila(int32_t r, double* nueva, int destino) const {
    const TBarrido& b = barrido_;
    const int32_t nc = grilla_.nc;
    const double libre = b.entradas.libre;
    if (!b.porColumnasActivas) return LibreFueraDelPaso(r, nueva, nc, libre);
    TTramoColumnas paso{2, 1};
    if (r > 1 && b.activas.ini <= b.activas.fin)
        paso = {std::max(2, b.activas.ini - 1), std::min(nc - 1, b.activas.fin + 1)};
    const TTramoColumnas vieja = b.distintas[destino];
    for (int32_t j = vieja.ini; j <= std::min(vieja.fin, paso.ini - 1); ++j) nueva[j] = libre;
    for (int32_t j = std::max(vieja.ini, paso.fin + 1); j <= vieja.fin; ++j) nueva[j] = libre;
    return paso;
}

void TParque_ModeloTeorico::CapturarMastil(int32_t r, const double* fila) const {
    TBarrido& b = barrido_;
    if (r == mastil_.f1) {
        b.g11 = fila[mastil_.c1];
        b.g12 = fila[mastil_.c2];
    }
    if (r == mastil_.f2) {
        b.g21 = fila[mastil_.c1];
        b.g22 = fila[mastil_.c2];
    }
}

void TParque_ModeloTeorico::CerrarFila(int32_t r, int destino, const double* nueva, TTramoColumnas cambiadas) const {
    TBarrido& b = barrido_;
    if (b.porColumnasActivas) {
        const double libre = b.entradas.libre;
        while (cambiadas.ini <= cambiadas.fin && MismosBits(nueva[cambiadas.ini], libre)) ++cambiadas.ini;
        while (cambiadas.ini <= cambiadas.fin && MismosBits(nueva[cambiadas.fin], libre)) --cambiadas.fin;
    }
    b.distintas[destino] = b.activas = cambiadas;
    b.buffer = destino;
    b.fila = r;
}

// While both buffers hold the free stream in every cell and the free stream
// steps onto itself, every row up to the next turbine's is the free stream:
// the pass goes straight to the row before it, taking the mast's cells on the
// way.
bool TParque_ModeloTeorico::SaltarFilasDeCorrienteLibre(int32_t hastaFila) const {
    TBarrido& b = barrido_;
    if (!b.porColumnasActivas || b.activas.ini <= b.activas.fin || b.distintas[0].ini <= b.distintas[0].fin ||
        b.distintas[1].ini <= b.distintas[1].fin)
        return false;
    int32_t hasta = hastaFila;
    if (b.siguiente < molinosPorFila_.size())
        hasta = std::min(hasta, molinos[molinosPorFila_[b.siguiente]]->posicion.fila - 1);
    if (hasta <= b.fila + 1) return false;
    if (mastil_.f1 > b.fila && mastil_.f1 <= hasta) b.g11 = b.g12 = b.entradas.libre;
    if (mastil_.f2 > b.fila && mastil_.f2 <= hasta) b.g21 = b.g22 = b.entradas.libre;
    b.fila = hasta;
    return true;
}

int32_t TParque_ModeloTeorico::UltimaFilaConResultado() const {
    int32_t ultima = mastil_.dentro ? mastil_.f2 : 0;
    if (!molinosPorFila_.empty()) ultima = std::max(ultima, molinos[molinosPorFila_.back()]->posicion.fila);
    return ultima;
}

double TParque_ModeloTeorico::MastilDelBarrido() const {
    const TBarrido& b = barrido_;
    return InterpolarCeldas(mastil_, b.g11, b.g12, b.g21, b.g22);
}

double TParque_ModeloTeorico::NetaDeExtracciones() const {
    double suma = 0;
    for (const TExtraccion& e : extracciones_) suma += e.potencia;
    const double neta = ASimplePrecision(suma - suma * suma * coefPerdidas);
    return neta < 0 ? 0 : neta;
}

double TParque_ModeloTeorico::Pasada(double libre, double escala, double densidad, const std::vector<double>& ethas,
                                     double fpv3peUsado, double& mastil) const {
    IniciarBarrido(libre, escala, densidad, ethas, fpv3peUsado);
    AvanzarBarrido(UltimaFilaConResultado());
    mastil = MastilDelBarrido();
    return NetaDeExtracciones();
}

// Every row, every column, kept in the grid: the display's replay of a pass.
void TParque_ModeloTeorico::PasadaEnGrilla(double libre, double escala, double densidad,
                                           const std::vector<double>& ethas, double fpv3peUsado,
                                           TGrillaEstela& destino) const {
    const TEntradasPasada entradas{libre, escala, densidad, fpv3peUsado, ethas.data()};
    std::size_t siguiente = 0;
    for (int32_t r = 1; r <= grilla_.nf; ++r) {
        double* nueva = destino.Fila(r);
        const TTramoColumnas paso = LibreFueraDelPaso(r, nueva, grilla_.nc, libre);
        if (r > 1) PropagarFila(nueva, destino.Fila(r - 1), paso.ini, paso.fin, libre);
        ProcesarMolinosDeFila(r, nueva, entradas, siguiente, nullptr);
    }
}

void TParque_ModeloTeorico::AsegurarGrillaCompleta() const {
    if (grillaAlDia_) return;
    grilla_.Dimensionar(grilla_.nf, grilla_.nc);
    if (ultimaPasada_.hay) {
        PasadaEnGrilla(ultimaPasada_.libre, ultimaPasada_.escala, ultimaPasada_.densidad, ultimaPasada_.ethas,
                       ultimaPasada_.fpv3pe, grilla_);
    } else {
        grilla_.Ceros();
    }
    grillaAlDia_ = true;
}

const TGrillaEstela& TParque_ModeloTeorico::Grilla() const {
    if (hayDireccion_) AsegurarGrillaCompleta();
    return grilla_;
}

double TParque_ModeloTeorico::ValorEnPunto(double x, double y) const {
    if (!hayDireccion_) return 0;
    const TCeldasMastil c = UbicarPunto(x, y);
    if (!c.dentro) return 0;
    AsegurarGrillaCompleta();
    return InterpolarCeldas(c, grilla_.Elemento(c.f1, c.c1), grilla_.Elemento(c.f1, c.c2),
                            grilla_.Elemento(c.f2, c.c1), grilla_.Elemento(c.f2, c.c2));
}
