#include "models/uparques_modeloteorico.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "data/upgsql.h"
#include "numerics/archivotexto.h"
#include "numerics/consola.h"
#include "numerics/errores.h"
#include "numerics/textoreal.h"
#include "numerics/uauxiliares.h"

namespace {

constexpr int32_t VersionArchivoParque = 5;
// More turbines than this in a file is a damaged count, not a park.
constexpr int32_t MaximoMolinos = 100000;
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

struct TResultadoExtraccion {
    double pvMedia;
    double potencia;
};

// A turbine takes power from cells colIni..colFin of a row and leaves its
// deficit on them. A share y that cannot be computed (no incoming wind, no
// rotor area) takes 0.01.
TResultadoExtraccion ExtraerDeCeldas(const TCurvaAerogen& curva, double etha, int32_t colIni, int32_t colFin,
                                     double* celdas, double fpv3pe, double escala, double densidad) {
    double suma = 0;
    for (int32_t j = colIni; j <= colFin; ++j) suma += celdas[j];
    const double pvMedia = suma / (colFin - colIni + 1);
    const double potencia = curva.P_de_PotenciaViento(pvMedia * etha) * RelacionDensidad(densidad) * escala;
    const double y = (pvMedia >= 1e-15 && curva.area > 0) ? potencia / curva.area * fpv3pe / pvMedia : 0.01;
    const double d = FactorDeDeficit(y);
    for (int32_t j = colIni; j <= colFin; ++j) celdas[j] *= d;
    return {pvMedia, potencia};
}

// The net power goes through a 32-bit float, as the park's result always has.
double ASimplePrecision(double x) {
    if (x > FLT_MAX) return HUGE_VALF;
    if (x < -FLT_MAX) return -HUGE_VALF;
    return static_cast<float>(x);
}

bool MismosBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

int32_t EnteroMasCercano(double x, int32_t minimo, int32_t maximo) {
    const double r = std::nearbyint(x);
    if (!(r >= minimo)) return minimo;
    if (r > maximo) return maximo;
    return static_cast<int32_t>(r);
}

TMatR MatrizDeUnos(int32_t filas, int32_t columnas) {
    TMatR m(filas, columnas);
    m.Unos();
    return m;
}

// The metering factor of the plant's `centrales` row, 0 when the cell is
// empty or the plant has no row.
double FactorKolmScadaDeLaCentral(TPgSqlCon& conexion, int32_t nidCentral) {
    const std::unique_ptr<TPgSqlRes> fila =
        conexion.sqlexec("SELECT factor_kolm_scada from centrales where nid=" + std::to_string(nidCentral));
    return fila->fieldByName("factor_kolm_scada").AsFloat(0);
}

// The metering factor of a block that does not hold it, through the
// provider's connection. Without a connection the block is refused, at its
// version line, with the reason.
double FactorKolmScadaDeBloqueAntiguo(const TLectorTexto& f, int lineaVersion, int32_t version,
                                      int32_t nidCentral, const TProveedorConexion& proveedor) {
    const std::string sinFactor = "El parque está guardado en la versión " + std::to_string(version) +
                                  ", que no guarda factor_kolm_scada";
    if (!proveedor.Hay())
        throw EInOutError(sinFactor + ", y no hay conexión con la base de datos para leerlo de la tabla centrales",
                          f.Nombre(), lineaVersion);
    TPgSqlCon* conexion = nullptr;
    try {
        conexion = &proveedor.Obtener();
    } catch (const std::exception& e) {
        throw EInOutError(sinFactor + ", y no se pudo conectar con la base de datos para leerlo de la tabla "
                                      "centrales: " + e.what(),
                          f.Nombre(), lineaVersion);
    }
    return FactorKolmScadaDeLaCentral(*conexion, nidCentral);
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

// ---------------------------------------------------------------- connection provider

TProveedorConexion::TProveedorConexion(TPgSqlCon* conexion) {
    if (conexion) obtener_ = [conexion]() -> TPgSqlCon& { return *conexion; };
}

std::string DefectoDeSectoresDelMastil(const TParque_ModeloTeorico& parque) {
    const int32_t sectores = parque.n_sectores_dir;
    if (sectores < 1)
        return "n_sectores_dir es " + std::to_string(sectores) + ": el parque necesita al menos un sector";
    const int32_t filas = std::min(parque.meteo_etha.nf, parque.mat_vientos.nf);
    if (filas < sectores)
        return "Las tablas meteo_etha y mat_vientos tienen " + std::to_string(filas) + " filas, menos que los " +
               std::to_string(sectores) + " sectores de n_sectores_dir";
    return {};
}

// ---------------------------------------------------------------- TPosicion

TPosicion TPosicion::Create(double x, double y) {
    TPosicion p;
    p.x = x;
    p.y = y;
    return p;
}

TPosicion TPosicion::Create_UTM(int32_t huso, char zona, double xe, double yn) {
    TPosicion p;
    p.huso = huso;
    p.zona = zona;
    p.xe = xe;
    p.yn = yn;
    return p;
}

TPosicion TPosicion::Create_LeerDeTexto(TLectorTexto& f) {
    TPosicion p;
    p.x = f.LeerReal();
    p.y = f.LeerRealLinea();
    const int lineaUtm = f.Linea();
    const std::string linea = f.LeerLinea();
    std::string_view resto = linea;
    try {
        p.huso = SiguienteEntero(resto);
        const std::string_view zona = SiguientePalabra(resto);
        p.zona = zona.empty() ? '?' : zona.front();
        p.xe = SiguienteReal(resto);
        p.yn = SiguienteReal(resto);
    } catch (const EConvertError& e) {
        throw EInOutError(e.what(), f.Nombre(), lineaUtm);
    }
    return p;
}

void TPosicion::GuardarEnTexto(TEscritorTexto& f) const {
    f.EscribirReal(x);
    f.Escribir("\t");
    f.EscribirRealLinea(y);
    f.Escribir(std::to_string(huso));
    f.Escribir("\t");
    f.Escribir(std::string(1, zona));
    f.Escribir("\t");
    f.EscribirReal(xe);
    f.Escribir("\t");
    f.EscribirRealLinea(yn);
}

// ---------------------------------------------------------------- TMolino

std::unique_ptr<TMolino> TMolino::Create_LeerDeTexto(TLectorTexto& f) {
    auto molino = std::make_unique<TMolino>();
    molino->nid = f.LeerEnteroLinea();
    molino->nid_curvaaero = f.LeerEnteroLinea();
    molino->nidcentral = f.LeerEnteroLinea();
    molino->posicion = TPosicion::Create_LeerDeTexto(f);
    molino->curva = TCurvaAerogen::Create_LeerDeTexto(f);
    molino->etha = f.LeerRealLinea();
    return molino;
}

void TMolino::GuardarEnTexto(TEscritorTexto& f) const {
    f.EscribirEnteroLinea(nid);
    f.EscribirEnteroLinea(nid_curvaaero);
    f.EscribirEnteroLinea(nidcentral);
    posicion.GuardarEnTexto(f);
    curva.GuardarEnTexto(f);
    f.EscribirRealLinea(etha);
}

void TMolino::ExtraerPotencia(int32_t kFila, TVectR& fila, double fpv3pe, double escala, double densidad) {
    if (posicion.fila != kFila) return;
    fila.ExigirElementos(posicion.colFin, "TMolino.ExtraerPotencia");
    const TResultadoExtraccion r = ExtraerDeCeldas(curva, etha, posicion.colIni, posicion.colFin, fila.pv.data(),
                                                   fpv3pe, escala, densidad);
    pvMedia = r.pvMedia;
    potencia = r.potencia;
}

// ---------------------------------------------------------------- TGrillaEstela

void TGrillaEstela::Dimensionar(int32_t filas, int32_t columnas) {
    nf = filas;
    nc = columnas;
    datos_.resize(static_cast<std::size_t>(filas) * Paso());
}

void TGrillaEstela::Ceros() { std::fill(datos_.begin(), datos_.end(), 0.0); }

// ---------------------------------------------------------------- park: file

std::unique_ptr<TParque_ModeloTeorico> TParque_ModeloTeorico::Create_Nuevo() {
    auto parque = std::make_unique<TParque_ModeloTeorico>();
    parque->meteo_etha = MatrizDeUnos(72, 10);
    parque->mat_vientos = MatrizDeUnos(72, 10);
    parque->Preparar();
    return parque;
}

std::unique_ptr<TParque_ModeloTeorico> TParque_ModeloTeorico::Create_LeerDeTexto(TLectorTexto& f,
                                                                         const TProveedorConexion& proveedor) {
    auto parque = std::make_unique<TParque_ModeloTeorico>();
    {
        TFormatosInvariantes invariantes;
        parque->LeerBloque(f, proveedor);
    }
    parque->Preparar();
    return parque;
}

std::unique_ptr<TParque_ModeloTeorico> TParque_ModeloTeorico::Create_LeerDeArchivo(const std::string& ruta,
                                                                           const TProveedorConexion& proveedor) {
    TLectorTexto f = TLectorTexto::Abrir(ruta);
    return Create_LeerDeTexto(f, proveedor);
}

std::unique_ptr<TParque_ModeloTeorico> TParque_ModeloTeorico::Create_Clonar(const TParque_ModeloTeorico& o) {
    auto p = std::make_unique<TParque_ModeloTeorico>();
    p->nid = o.nid;
    p->nid_central_KOLM = o.nid_central_KOLM;
    p->nid_modelo = o.nid_modelo;
    p->nombre = o.nombre;
    p->n_sectores_dir = o.n_sectores_dir;
    p->molinos.reserve(o.molinos.size());
    for (const auto& molino : o.molinos) p->molinos.push_back(std::make_unique<TMolino>(*molino));
    p->rectIzq = o.rectIzq;
    p->rectArriba = o.rectArriba;
    p->rectDer = o.rectDer;
    p->rectAbajo = o.rectAbajo;
    p->anchoMundo = o.anchoMundo;
    p->altoMundo = o.altoMundo;
    p->anchoPixel = o.anchoPixel;
    p->altoPixel = o.altoPixel;
    p->xMinMundo = o.xMinMundo;
    p->xMaxMundo = o.xMaxMundo;
    p->yMinMundo = o.yMinMundo;
    p->yMaxMundo = o.yMaxMundo;
    p->meteo_utm_huso = o.meteo_utm_huso;
    p->meteo_utm_zona = o.meteo_utm_zona;
    p->meteo_utm_xe = o.meteo_utm_xe;
    p->meteo_utm_yn = o.meteo_utm_yn;
    p->meteo_cota = o.meteo_cota;
    p->grilla_rotada_dx = o.grilla_rotada_dx;
    p->grilla_rotada_dy = o.grilla_rotada_dy;
    p->grilla_rotada_margen_dx = o.grilla_rotada_margen_dx;
    p->meteo_etha = o.meteo_etha;
    p->mat_vientos = o.mat_vientos;
    p->alfa_terreno = o.alfa_terreno;
    p->gamma_atmosfera = o.gamma_atmosfera;
    p->fpv3pe = o.fpv3pe;
    p->factor_perdidas = o.factor_perdidas;
    p->potencia_nominal = o.potencia_nominal;
    p->factor_kolm_scada = o.factor_kolm_scada;
    p->potencia_autorizada_mw = o.potencia_autorizada_mw;
    p->Preparar();
    return p;
}

void TParque_ModeloTeorico::LeerBloque(TLectorTexto& f, const TProveedorConexion& proveedor) {
    const int lineaVersion = f.Linea();
    const std::string lineaDeVersion = f.LeerLinea();
    const std::string_view numero =
        lineaDeVersion.size() > 8 ? std::string_view(lineaDeVersion).substr(8) : std::string_view();
    int32_t version = 0;
    try {
        version = TextoAEntero(numero);
    } catch (const EConvertError& e) {
        throw EConvertError(std::string(e.what()) + " (" + f.Nombre() + ", línea " + std::to_string(lineaVersion) +
                            ")");
    }
    if (version < 1) f.Fallar("Versión de archivo de parque inválida: " + std::string(numero));
    version = std::min(version, VersionArchivoParque);

    nid = f.LeerEnteroLinea();
    nid_modelo = f.LeerEnteroLinea();
    nombre = f.LeerLinea();
    const int lineaMolinos = f.Linea();
    const int32_t cantidadMolinos = f.LeerEnteroLinea();
    if (cantidadMolinos < 0 || cantidadMolinos > MaximoMolinos)
        throw EInOutError("Cantidad de molinos inválida: " + std::to_string(cantidadMolinos), f.Nombre(),
                          lineaMolinos);
    const int lineaSectores = f.Linea();
    n_sectores_dir = f.LeerEnteroLinea();
    alfa_terreno = f.LeerRealLinea();
    gamma_atmosfera = f.LeerRealLinea();
    fpv3pe = f.LeerRealLinea();
    factor_perdidas = f.LeerRealLinea();
    potencia_autorizada_mw = f.LeerRealLinea();
    potencia_nominal = version >= 2 ? f.LeerRealLinea() : potencia_autorizada_mw;
    const int lineaEtha = f.Linea();
    if (version >= 3) {
        meteo_etha = TMatR::Create_LeerDeTexto(f);
    } else {
        f.LeerRealLinea();  // a value older files keep here, unused
        meteo_etha = MatrizDeUnos(72, 10);
    }
    grilla_rotada_dx = f.LeerRealLinea();
    grilla_rotada_dy = f.LeerRealLinea();
    grilla_rotada_margen_dx = f.LeerRealLinea();
    molinos.clear();
    molinos.reserve(cantidadMolinos);
    for (int32_t i = 0; i < cantidadMolinos; ++i) molinos.push_back(TMolino::Create_LeerDeTexto(f));
    nMolinos = cantidadMolinos;
    if (f.Eoln()) {
        meteo_utm_zona = '?';
    } else {
        meteo_utm_zona = static_cast<char>(f.LeerCaracter());
    }
    f.SaltarLinea();
    meteo_utm_huso = f.LeerEnteroLinea();
    meteo_utm_xe = f.LeerRealLinea();
    meteo_utm_yn = f.LeerRealLinea();
    const int lineaVientos = f.Linea();
    mat_vientos = TMatR::Create_LeerDeTexto(f);
    if (meteo_etha.nf < 1 || meteo_etha.nc < 1)
        throw EInOutError("La tabla meteo_etha está vacía", f.Nombre(), lineaEtha);
    if (mat_vientos.nf != meteo_etha.nf || mat_vientos.nc != meteo_etha.nc)
        throw EInOutError("La tabla mat_vientos (" + std::to_string(mat_vientos.nf) + " x " +
                              std::to_string(mat_vientos.nc) + ") no tiene la forma de meteo_etha (" +
                              std::to_string(meteo_etha.nf) + " x " + std::to_string(meteo_etha.nc) + ")",
                          f.Nombre(), lineaVientos);
    if (const std::string defecto = DefectoDeSectoresDelMastil(*this); !defecto.empty())
        throw EInOutError(defecto, f.Nombre(), lineaSectores);
    if (version >= 4)
        factor_kolm_scada = f.LeerRealLinea();
    else
        factor_kolm_scada = FactorKolmScadaDeBloqueAntiguo(f, lineaVersion, version, nid, proveedor);
    nid_central_KOLM = version >= 5 ? f.LeerEnteroLinea() : -1;
}

void TParque_ModeloTeorico::GuardarEnTexto(TEscritorTexto& f) const {
    TFormatosInvariantes invariantes;
    f.EscribirLinea("VERSION=" + std::to_string(VersionArchivoParque));
    f.EscribirEnteroLinea(nid);
    f.EscribirEnteroLinea(nid_modelo);
    f.EscribirLinea(nombre);
    f.EscribirEnteroLinea(static_cast<long long>(molinos.size()));
    f.EscribirEnteroLinea(n_sectores_dir);
    f.EscribirRealLinea(alfa_terreno);
    f.EscribirRealLinea(gamma_atmosfera);
    f.EscribirRealLinea(fpv3pe);
    f.EscribirRealLinea(factor_perdidas);
    f.EscribirRealLinea(potencia_autorizada_mw);
    f.EscribirRealLinea(potencia_nominal);
    meteo_etha.GuardarEnTexto(f);
    f.EscribirRealLinea(grilla_rotada_dx);
    f.EscribirRealLinea(grilla_rotada_dy);
    f.EscribirRealLinea(grilla_rotada_margen_dx);
    for (const auto& molino : molinos) molino->GuardarEnTexto(f);
    f.EscribirLinea(std::string(1, meteo_utm_zona));
    f.EscribirEnteroLinea(meteo_utm_huso);
    f.EscribirRealLinea(meteo_utm_xe);
    f.EscribirRealLinea(meteo_utm_yn);
    mat_vientos.GuardarEnTexto(f);
    f.EscribirRealLinea(factor_kolm_scada);
    f.EscribirEnteroLinea(nid_central_KOLM);
}

void TParque_ModeloTeorico::GuardarEnArchivo(const std::string& ruta) const {
    GuardarArchivoAtomico(ruta, [this](TEscritorTexto& f) { GuardarEnTexto(f); });
}

void TParque_ModeloTeorico::Preparar() {
    primeraGuardada_.hay = false;
    if (!(potencia_autorizada_mw > 1e-8)) potencia_autorizada_mw = 1e-8;
    coefPerdidas = factor_perdidas / (potencia_nominal > 1e-8 ? potencia_nominal : 1e-8);
    nMolinos = static_cast<int32_t>(molinos.size());
    if (molinos.empty()) {
        curvaParque.reset();
        sumada_.curva = nullptr;
        return;
    }
    if (CurvaParqueAlDia()) return;
    auto suma = std::make_unique<TCurvaAerogen>(TCurvaAerogen::Create_Clonar(molinos[0]->curva));
    std::vector<const TCurvaAerogen*> otras;
    otras.reserve(molinos.size() - 1);
    for (std::size_t i = 1; i < molinos.size(); ++i) otras.push_back(&molinos[i]->curva);
    if (!otras.empty()) suma->SumarCurvas(otras);
    curvaParque = std::move(suma);
    RecordarCurvaParque();
}

// Every value the equivalent curve is built from, in one fixed order: the
// first turbine's curve as the clone copies it, then what the sum reads of
// each other curve, then the points of the curve built (so that a curve
// changed from outside is rebuilt too). Counts and numbers go as doubles,
// which hold them exactly.
template <class TVisitante>
void TParque_ModeloTeorico::RecorrerEntradasCurvaParque(TVisitante&& visitar) const {
    auto vector = [&](const TVectR& v) {
        visitar(static_cast<double>(v.n));
        for (int32_t k = 1; k <= v.n; ++k) visitar(v.pv[k]);
    };
    const TCurvaAerogen& primera = molinos[0]->curva;
    visitar(static_cast<double>(molinos.size()));
    visitar(static_cast<double>(primera.nid));
    visitar(primera.diametro);
    vector(primera.curva_v);
    vector(primera.curva_P);
    for (std::size_t i = 1; i < molinos.size(); ++i) {
        const TCurvaAerogen& c = molinos[i]->curva;
        visitar(c.pvMin);
        visitar(c.pvMax);
        vector(c.curva_PV);
        vector(c.curva_P);
    }
    vector(curvaParque->curva_v);
    vector(curvaParque->curva_P);
}

bool TParque_ModeloTeorico::CurvaParqueAlDia() const {
    if (!curvaParque || curvaParque.get() != sumada_.curva || curvaParque->modelo != molinos[0]->curva.modelo ||
        sumada_.modelo != molinos[0]->curva.modelo)
        return false;
    std::size_t k = 0;
    bool iguales = true;
    RecorrerEntradasCurvaParque([&](double x) {
        iguales = iguales && k < sumada_.entradas.size() && MismosBits(sumada_.entradas[k], x);
        ++k;
    });
    return iguales && k == sumada_.entradas.size();
}

void TParque_ModeloTeorico::RecordarCurvaParque() {
    sumada_.entradas.clear();
    RecorrerEntradasCurvaParque([this](double x) { sumada_.entradas.push_back(x); });
    sumada_.modelo = molinos[0]->curva.modelo;
    sumada_.curva = curvaParque.get();
}

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

bool TParque_ModeloTeorico::LibreSePropagaIgual(double libre) const {
    const double tres[3] = {libre, libre, libre};
    double fila[3] = {0, 0, 0};
    NucleoFilaElegido()(fila, tres, 1, 1, pesoLateral, pesoCentral, pesoArrastre, libre * pesoRecuperacion);
    return MismosBits(fila[1], libre);
}

void TParque_ModeloTeorico::IniciarBarrido(double libre, double escala, double densidad,
                                           const std::vector<double>& ethas, double fpv3peUsado) const {
    const std::size_t celdas = static_cast<std::size_t>(grilla_.nc) + 1;
    filaA_.resize(celdas);
    filaB_.resize(celdas);
    TBarrido& b = barrido_;
    b.libre = libre;
    b.escala = escala;
    b.densidad = densidad;
    b.fpv3pe = fpv3peUsado;
    b.ethas = &ethas;
    b.recuperado = libre * pesoRecuperacion;
    b.propagar = NucleoFilaElegido();
    b.porColumnasActivas = LibreSePropagaIgual(libre);
    b.fila = 0;
    b.buffer = 1;
    b.activaIni = 1;
    b.activaFin = 0;
    for (int k = 0; k < 2; ++k) {
        b.distintaIni[k] = 1;
        b.distintaFin[k] = 0;
    }
    b.siguiente = 0;
    b.g11 = b.g12 = b.g21 = b.g22 = 0;
    if (b.porColumnasActivas) {
        std::fill(filaA_.begin(), filaA_.end(), libre);
        std::fill(filaB_.begin(), filaB_.end(), libre);
    }
}

void TParque_ModeloTeorico::AvanzarBarrido(int32_t hastaFila) const {
    TBarrido& b = barrido_;
    const int32_t nc = grilla_.nc;
    double* const buffers[2] = {filaA_.data(), filaB_.data()};
    for (int32_t r = b.fila + 1; r <= hastaFila; r = b.fila + 1) {
        if (SaltarFilasDeCorrienteLibre(hastaFila)) continue;
        const int destino = 1 - b.buffer;
        double* nueva = buffers[destino];
        const double* vieja = buffers[b.buffer];
        int32_t ini = 1, fin = nc;  // columns of the new row that may differ from the free stream
        if (!b.porColumnasActivas) {
            if (r == 1) {
                std::fill(nueva + 1, nueva + nc + 1, b.libre);
            } else {
                nueva[1] = b.libre;
                nueva[nc] = b.libre;
                b.propagar(nueva, vieja, 2, nc - 1, pesoLateral, pesoCentral, pesoArrastre, b.recuperado);
            }
        } else {
            ini = 2;
            fin = 1;
            if (r > 1 && b.activaIni <= b.activaFin) {
                ini = std::max(2, b.activaIni - 1);
                fin = std::min(nc - 1, b.activaFin + 1);
            }
            // The buffer still holds a row from two rows back: its cells that
            // differ from the free stream and fall outside ini..fin go back to it.
            const int32_t viejaIni = b.distintaIni[destino], viejaFin = b.distintaFin[destino];
            if (ini <= fin) {
                for (int32_t j = viejaIni; j <= std::min(viejaFin, ini - 1); ++j) nueva[j] = b.libre;
                for (int32_t j = std::max(viejaIni, fin + 1); j <= viejaFin; ++j) nueva[j] = b.libre;
                b.propagar(nueva, vieja, ini, fin, pesoLateral, pesoCentral, pesoArrastre, b.recuperado);
            } else {
                for (int32_t j = viejaIni; j <= viejaFin; ++j) nueva[j] = b.libre;
            }
        }
        while (b.siguiente < molinosPorFila_.size() && molinos[molinosPorFila_[b.siguiente]]->posicion.fila == r) {
            const int32_t i = molinosPorFila_[b.siguiente++];
            const TMolino& molino = *molinos[i];
            const TPosicion& pos = molino.posicion;
            const TResultadoExtraccion e = ExtraerDeCeldas(molino.curva, (*b.ethas)[i], pos.colIni, pos.colFin, nueva,
                                                           b.fpv3pe, b.escala, b.densidad);
            extracciones_[i] = {e.pvMedia, e.potencia};
            ini = std::min(ini, pos.colIni);
            fin = std::max(fin, pos.colFin);
        }
        if (r == mastil_.f1) {
            b.g11 = nueva[mastil_.c1];
            b.g12 = nueva[mastil_.c2];
        }
        if (r == mastil_.f2) {
            b.g21 = nueva[mastil_.c1];
            b.g22 = nueva[mastil_.c2];
        }
        if (b.porColumnasActivas) {
            while (ini <= fin && MismosBits(nueva[ini], b.libre)) ++ini;
            while (ini <= fin && MismosBits(nueva[fin], b.libre)) --fin;
        }
        b.distintaIni[destino] = b.activaIni = ini;
        b.distintaFin[destino] = b.activaFin = fin;
        b.buffer = destino;
        b.fila = r;
    }
}

// While both buffers hold the free stream in every cell and the free stream
// steps onto itself, every row up to the next turbine's is the free stream:
// the pass goes straight to the row before it, taking the mast's cells on the
// way.
bool TParque_ModeloTeorico::SaltarFilasDeCorrienteLibre(int32_t hastaFila) const {
    TBarrido& b = barrido_;
    if (!b.porColumnasActivas || b.activaIni <= b.activaFin || b.distintaIni[0] <= b.distintaFin[0] ||
        b.distintaIni[1] <= b.distintaFin[1])
        return false;
    int32_t hasta = hastaFila;
    if (b.siguiente < molinosPorFila_.size())
        hasta = std::min(hasta, molinos[molinosPorFila_[b.siguiente]]->posicion.fila - 1);
    if (hasta <= b.fila + 1) return false;
    if (mastil_.f1 > b.fila && mastil_.f1 <= hasta) b.g11 = b.g12 = b.libre;
    if (mastil_.f2 > b.fila && mastil_.f2 <= hasta) b.g21 = b.g22 = b.libre;
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
    const int32_t nf = grilla_.nf;
    const int32_t nc = grilla_.nc;
    const double recuperado = libre * pesoRecuperacion;
    const TNucleoFila propagar = NucleoFilaElegido();
    std::size_t siguiente = 0;
    for (int32_t r = 1; r <= nf; ++r) {
        double* nueva = destino.Fila(r);
        if (r == 1) {
            std::fill(nueva + 1, nueva + nc + 1, libre);
        } else {
            nueva[1] = libre;
            nueva[nc] = libre;
            propagar(nueva, destino.Fila(r - 1), 2, nc - 1, pesoLateral, pesoCentral, pesoArrastre, recuperado);
        }
        while (siguiente < molinosPorFila_.size() && molinos[molinosPorFila_[siguiente]]->posicion.fila == r) {
            const int32_t i = molinosPorFila_[siguiente++];
            const TMolino& molino = *molinos[i];
            ExtraerDeCeldas(molino.curva, ethas[i], molino.posicion.colIni, molino.posicion.colFin, nueva, fpv3peUsado,
                            escala, densidad);
        }
    }
}

void TParque_ModeloTeorico::ComenzarPotencia(double densidad, double libre) {
    // Turbines added or removed since the direction was set need a new layout.
    if (!hayDireccion_ || molinosPorFila_.size() != molinos.size()) FijarDireccion(direccion);
    pvLibre = libre;
    ultimaPasada_.ethas.resize(molinos.size());
    for (std::size_t i = 0; i < molinos.size(); ++i) ultimaPasada_.ethas[i] = molinos[i]->etha;
    ultimaPasada_.fpv3pe = fpv3pe;
    ultimaPasada_.libre = libre;
    ultimaPasada_.densidad = densidad;
    ultimaPasada_.escala = 1;
    ultimaPasada_.hay = true;
    grillaAlDia_ = false;
}

void TParque_ModeloTeorico::TomarExtracciones() {
    for (std::size_t i = 0; i < molinos.size(); ++i) {
        molinos[i]->pvMedia = extracciones_[i].pvMedia;
        molinos[i]->potencia = extracciones_[i].potencia;
    }
}

double TParque_ModeloTeorico::LimiteDePotencia(double tope) const {
    // A negative cap would divide by a zero net power below; it caps at 0.
    return std::max(0.0, tope < potencia_autorizada_mw ? tope : potencia_autorizada_mw);
}

bool TParque_ModeloTeorico::TPasadaGuardada::Corresponde(const TParque_ModeloTeorico& p, double libreUsado,
                                                          double densidadUsada) const {
    if (!hay || !MismosBits(libre, libreUsado) || !MismosBits(densidad, densidadUsada)) return false;
    const double actuales[] = {p.fpv3pe, p.coefPerdidas, p.pesoLateral, p.pesoCentral, p.pesoArrastre,
                               p.pesoRecuperacion};
    for (std::size_t k = 0; k < parametros.size(); ++k)
        if (!MismosBits(parametros[k], actuales[k])) return false;
    if (ethas.size() != p.ultimaPasada_.ethas.size()) return false;
    for (std::size_t i = 0; i < ethas.size(); ++i)
        if (!MismosBits(ethas[i], p.ultimaPasada_.ethas[i])) return false;
    return true;
}

void TParque_ModeloTeorico::GuardarPrimeraPasada(double densidad, double libre, double neta, double mastil) {
    TPasadaGuardada& g = primeraGuardada_;
    g.hay = true;
    g.libre = libre;
    g.densidad = densidad;
    g.parametros = {fpv3pe, coefPerdidas, pesoLateral, pesoCentral, pesoArrastre, pesoRecuperacion};
    g.ethas = ultimaPasada_.ethas;
    g.extracciones = extracciones_;
    g.neta = neta;
    g.mastil = mastil;
}

double TParque_ModeloTeorico::PrimeraPasada(double densidad, double libre, double& mastil) {
    if (primeraGuardada_.Corresponde(*this, libre, densidad)) {
        extracciones_ = primeraGuardada_.extracciones;
        mastil = primeraGuardada_.mastil;
        return primeraGuardada_.neta;
    }
    const double neta = Pasada(libre, 1, densidad, ultimaPasada_.ethas, fpv3pe, mastil);
    GuardarPrimeraPasada(densidad, libre, neta, mastil);
    return neta;
}

double TParque_ModeloTeorico::PotenciaConVientoLibre(double densidad, double libre, double tope, double& mastil) {
    ComenzarPotencia(densidad, libre);
    const double limite = LimiteDePotencia(tope);
    double escala = 1;
    double resultado = 0;
    for (int pasada = 1;; ++pasada) {
        ultimaPasada_.escala = escala;
        const double neta = pasada == 1 ? PrimeraPasada(densidad, libre, mastil)
                                        : Pasada(libre, escala, densidad, ultimaPasada_.ethas, fpv3pe, mastil);
        TomarExtracciones();
        if (neta <= limite) {
            resultado = neta;
            break;
        }
        const double razon = limite / neta;
        escala = escala * limite / neta;
        if (pasada == 11) {
            for (auto& molino : molinos) molino->potencia *= razon;
            resultado = limite;
            break;
        }
    }
    return resultado;
}

double TParque_ModeloTeorico::PotenciaConVientoLibre(double densidad, double libre, double tope) {
    double mastil = 0;
    return PotenciaConVientoLibre(densidad, libre, tope, mastil);
}

bool TParque_ModeloTeorico::TopeInalcanzable(double densidad, double tope) const {
    const double relacion = RelacionDensidad(densidad);
    if (!(std::isfinite(relacion) && relacion >= 0 && coefPerdidas >= 0)) return false;
    double suma = 0;
    for (const auto& molino : molinos) {
        // A factor that is not finite could make a turbine's wind undefined.
        if (molino->curva.curva_P.n < 1 || !std::isfinite(molino->etha)) return false;
        // Outside its wind range a curve gives 0, which may exceed its maximum.
        suma += std::max(0.0, molino->curva.curva_P.Maximo()) * relacion;
    }
    // The margin covers the rounding of the curves' interpolation, the
    // turbines' powers and their sum; the net power grows with the sum below
    // 1 / (2 coefPerdidas).
    const double cota = suma * (1 + 1e-9);
    if (!(std::isfinite(cota) && 2 * cota * coefPerdidas < 1)) return false;
    return ASimplePrecision(cota - cota * cota * coefPerdidas) <= LimiteDePotencia(tope);
}

double TParque_ModeloTeorico::PotenciaDesdeEstacion(double densidad, double mastilMedido, double tope,
                                                    double& libre) {
    libre = 0;
    if (mastilMedido < 1e-10) return 0;
    if (!hayDireccion_ || molinosPorFila_.size() != molinos.size()) FijarDireccion(direccion);
    if (omitirPasadaEnCalma && CalmaSinPotencia(densidad, mastilMedido)) {
        ComenzarPotencia(densidad, mastilMedido);
        for (auto& molino : molinos) molino->potencia = 0;
        libre = mastilMedido;
        return 0;
    }
    // When the cap cannot bind, an evaluation is one pass at scale 1 whose mast
    // reading needs only the rows up to the mast: a trial wind's pass stops
    // there, and the wind found resumes its pass to the end. The results are
    // those of full evaluations. A wind far beyond any real one (whose cells
    // could overflow) takes full evaluations.
    const bool conTanteos = TopeInalcanzable(densidad, tope);
    double estimado = mastilMedido;
    double potencia = 0;
    for (int fallidas = 0;;) {
        double mastilModelado = 0;
        const bool tanteo = conTanteos && std::isfinite(estimado) && std::fabs(estimado) < 1e100;
        if (tanteo) {
            ComenzarPotencia(densidad, estimado);
            IniciarBarrido(estimado, 1, densidad, ultimaPasada_.ethas, fpv3pe);
            AvanzarBarrido(mastil_.dentro ? mastil_.f2 : 0);
            mastilModelado = MastilDelBarrido();
        } else {
            potencia = PotenciaConVientoLibre(densidad, estimado, tope, mastilModelado);
        }
        const double razon = mastilMedido / mastilModelado;
        // A mast the model sees without wind gives no ratio to follow.
        const bool hallado = !std::isfinite(razon) || std::fabs(razon - 1) < 0.01 || ++fallidas > 100;
        if (hallado) {
            if (tanteo) potencia = CompletarTanteo(densidad, estimado, tope);
            break;
        }
        estimado = razon * estimado;
    }
    libre = estimado;
    return potencia;
}

// The conditions of the calm shortcut; the header gives the argument.
bool TParque_ModeloTeorico::CalmaSinPotencia(double densidad, double mastilMedido) const {
    constexpr std::size_t maximoMolinos = 1000;
    constexpr double holgura = 1 + 1e-6;  // far above the rounding of any grid's rows and columns
    const double relacion = RelacionDensidad(densidad);
    const double pesos[] = {pesoLateral, pesoCentral, pesoRecuperacion, pesoArrastre};
    if (molinos.size() > maximoMolinos || !(std::isfinite(relacion) && relacion > 0) ||
        !std::isfinite(coefPerdidas) || !std::isfinite(fpv3pe) || !std::isfinite(mastilMedido))
        return false;
    for (const double peso : pesos)
        if (!(std::isfinite(peso) && peso >= 0)) return false;
    for (const auto& molino : molinos) {
        const TCurvaAerogen& curva = molino->curva;
        const double etha = molino->etha;
        if (!(std::isfinite(etha) && etha >= 0 && std::isfinite(curva.area) && curva.area > 0 && curva.pvMin > 0))
            return false;
        if (!(mastilMedido * etha * holgura < curva.pvMin)) return false;
    }
    return true;
}

double TParque_ModeloTeorico::CompletarTanteo(double densidad, double libre, double tope) {
    AvanzarBarrido(UltimaFilaConResultado());
    const double neta = NetaDeExtracciones();
    GuardarPrimeraPasada(densidad, libre, neta, MastilDelBarrido());
    if (!(neta <= LimiteDePotencia(tope))) {
        // Not reached while the bound holds; the full evaluation then decides.
        double mastil = 0;
        return PotenciaConVientoLibre(densidad, libre, tope, mastil);
    }
    TomarExtracciones();
    return neta;
}

double TParque_ModeloTeorico::PotenciaDesdeEstacion(double densidad, double mastilMedido, double tope) {
    double libre = 0;
    return PotenciaDesdeEstacion(densidad, mastilMedido, tope, libre);
}

double TParque_ModeloTeorico::VientoParaPotencia(double potencia, double& libre) {
    libre = 0;
    const double autorizada = potencia_autorizada_mw;
    if (potencia <= 0 || autorizada <= 0.5) return 0;
    if (potencia > autorizada) return 20;
    double vBajo = 0, pBajo = 0, vAlto = 20, pAlto = autorizada;
    double error = autorizada;
    double v = 0;
    for (int evaluaciones = 0; error > 0.5;) {
        v = (potencia - pBajo) * ((vAlto - vBajo) / (pAlto - pBajo)) + vBajo;
        const double pModelo = PotenciaDesdeEstacion(DensidadBase, PotenciaDelViento(v, DensidadBase), autorizada, libre);
        error = std::fabs(potencia - pModelo);
        ++evaluaciones;
        if (potencia < pModelo) {
            vAlto = v;
            pAlto = pModelo;
        } else {
            vBajo = v;
            pBajo = pModelo;
        }
        if (pModelo > autorizada) {
            v = 20;
            break;
        }
        if (evaluaciones > 300 || vAlto == vBajo) break;
    }
    return v;
}

double TParque_ModeloTeorico::VientoParaPotencia(double potencia) {
    double libre = 0;
    return VientoParaPotencia(potencia, libre);
}

double TParque_ModeloTeorico::EthaMeteo(double dir, double velocidad) const {
    if (velocidad >= 14) return 1;
    if (meteo_etha.nf < 1 || meteo_etha.nc < 1) return 1;
    if (mat_vientos.nf != meteo_etha.nf || mat_vientos.nc != meteo_etha.nc)
        throw EErrorQuendal("Las tablas meteo_etha y mat_vientos del parque no tienen la misma forma");
    if (const std::string defecto = DefectoDeSectoresDelMastil(*this); !defecto.empty())
        throw EErrorQuendal(defecto);
    const int32_t sectores = n_sectores_dir;
    double d = std::fmod(dir, 360.0);
    if (d < 0) d += 360;
    if (!(d < 360)) d = 0;
    const double factor = meteo_etha.InterpolarPorDireccion(sectores, mat_vientos, d, velocidad);
    return factor < 0.1 ? 0.1 : factor;
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

void TParque_ModeloTeorico::PropagarFila(TVectR& nueva, const TVectR& vieja) const {
    const int32_t nc = std::min(nueva.n, vieja.n);
    NucleoFilaElegido()(nueva.pv.data(), vieja.pv.data(), 2, nc - 1, pesoLateral, pesoCentral, pesoArrastre,
                   pvLibre * pesoRecuperacion);
}

void TParque_ModeloTeorico::ProcesarMolinosDeFila(int32_t kFila, TVectR& fila, double escala, double densidad) {
    for (auto& molino : molinos) molino->ExtraerPotencia(kFila, fila, fpv3pe, escala, densidad);
}

// ---------------------------------------------------------------- park map

void TParque_ModeloTeorico::FijarRectanguloDibujo(int32_t izq, int32_t arriba, int32_t der, int32_t abajo) {
    if (der - izq <= 0 || abajo - arriba <= 0) return;  // nothing to fit: keep the previous window
    rectIzq = izq;
    rectArriba = arriba;
    rectDer = der;
    rectAbajo = abajo;
    anchoPixel = der - izq;
    altoPixel = abajo - arriba;
    xMinMundo = xMaxMundo = yMinMundo = yMaxMundo = 0;
    for (const auto& molino : molinos) {
        const TPosicion& p = molino->posicion;
        xMinMundo = std::min(xMinMundo, p.x);
        xMaxMundo = std::max(xMaxMundo, p.x);
        yMinMundo = std::min(yMinMundo, p.y);
        yMaxMundo = std::max(yMaxMundo, p.y);
    }
    xMinMundo -= 300;
    xMaxMundo += 300;
    anchoMundo = xMaxMundo - xMinMundo;
    yMinMundo -= 300;
    yMaxMundo += 300;
    altoMundo = yMaxMundo - yMinMundo;
    const double sx = anchoPixel / anchoMundo;
    const double sy = altoPixel / altoMundo;
    if (sy < sx) {
        const double d = (anchoPixel * (altoMundo / altoPixel) - anchoMundo) * 0.5;
        xMinMundo -= d;
        xMaxMundo += d;
        anchoMundo = xMaxMundo - xMinMundo;
    } else {
        const double d = (altoPixel * (anchoMundo / anchoPixel) - altoMundo) * 0.5;
        yMinMundo -= d;
        yMaxMundo += d;
        altoMundo = yMaxMundo - yMinMundo;
    }
}

void TParque_ModeloTeorico::MundoAPixel(int32_t& columna, int32_t& fila, const TPunto2D& p) const {
    constexpr int32_t lejos = 1 << 30;  // far outside any picture
    columna = rectIzq + EnteroMasCercano((p.x - xMinMundo) * (anchoPixel / anchoMundo), -lejos, lejos);
    fila = rectAbajo - EnteroMasCercano((p.y - yMinMundo) * (altoPixel / altoMundo), -lejos, lejos);
}

void TParque_ModeloTeorico::PixelAMundo(TPunto2D& p, int32_t columna, int32_t fila) const {
    p.x = (columna - rectIzq) * (anchoMundo / anchoPixel) + xMinMundo;
    p.y = (rectAbajo - fila) * (altoMundo / altoPixel) + yMinMundo;
}

TMolino* TParque_ModeloTeorico::MolinoEnPixel(int32_t columna, int32_t fila) const {
    if (molinos.empty()) return nullptr;
    TPunto2D punto;
    PixelAMundo(punto, columna, fila);
    TMolino* cercano = molinos[0].get();
    double distancia = Norma2D({punto.x - cercano->posicion.x, punto.y - cercano->posicion.y});
    for (std::size_t i = 1; i < molinos.size(); ++i) {
        const TPosicion& p = molinos[i]->posicion;
        const double d = Norma2D({punto.x - p.x, punto.y - p.y});
        if (d < distancia) {
            distancia = d;
            cercano = molinos[i].get();
        }
    }
    return distancia <= 3 * cercano->curva.diametro ? cercano : nullptr;
}

double TParque_ModeloTeorico::ValorEnPixel(int32_t columna, int32_t fila) const {
    TPunto2D punto;
    PixelAMundo(punto, columna, fila);
    return ValorEnPunto(punto);
}
