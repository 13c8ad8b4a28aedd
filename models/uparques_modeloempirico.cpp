#include "models/uparques_modeloempirico.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "data/ucarpetasmodelos.h"
#include "data/useriestemporales.h"
#include "models/uauxdensidad.h"
#include "models/ucurvasaeros.h"
#include "models/uparques_modeloteorico.h"
#include "models/uproblemacurvas.h"
#include "numerics/archivotexto.h"
#include "numerics/consola.h"
#include "numerics/errores.h"
#include "numerics/formatonumeros.h"
#include "numerics/textoreal.h"
#include "numerics/uauxiliares.h"
#include "numerics/ucompletarmatriz.h"
#include "charts/ugraficador.h"

namespace {

// Speed, direction, power, temperature, pressure, humidity, set-point,
// availability and speed variance.
constexpr int32_t SeriesDelArchivo = 9;
constexpr int32_t SectoresDelModelo = 72;
constexpr int32_t TramosDelModelo = 10;
constexpr double EnsancheDelModelo = 1.0;
// A sector keeps its own S-curve only with more points than this.
constexpr int32_t PuntosParaCurvaPropia = 50;
// A fit needs more points than this.
constexpr int32_t PuntosParaAjustar = 10;
// Bins from this one on are represented by their mean power.
constexpr int32_t PrimerTramoPorMedia = 7;
// A node of the bin estimator needs this many samples.
constexpr double MuestrasParaEstimar = 10;
constexpr double ViolacionAceptable = 1e-20;
constexpr double PotenciaDeReferencia = 0.1;  // MW, where the simple S-curve starts at speed 0

void EscribirConsola(const std::string& linea) {
    EscribirEnConsola(linea + "\n\n");
}

double DensidadDeViento(double velocidad) { return PotenciaDelViento(velocidad, DensidadBase); }
double VelocidadDeDensidad(double pd) { return VientoDePotencia(pd, DensidadBase); }

double Frac(double x) { return x - std::trunc(x); }

// A tab and the field, at the end of a table row.
void AgregarCampo(std::string& linea, const std::string& campo) {
    linea += '\t';
    linea += campo;
}

}  // namespace

// ---------------------------------------------------------------- free helpers

bool DentroDelSector(double a, double b, double h) {
    double d = std::fmod(std::fabs(a - b), 360.0);
    if (d < 0) d += 360.0;
    const double distancia = std::min(d, 360.0 - d);
    return h >= distancia;
}

double HermiteCubica(double y0, double m0, double y1, double m1, double h, double t) {
    const double t2 = t * t;
    const double t3 = t2 * t;
    const double h00 = 2 * t3 - 3 * t2 + 1;
    const double h01 = 1 - h00;
    const double h10 = t * (1 - t) * (1 - t);
    const double h11 = t3 - t2;
    return h00 * y0 + h01 * y1 + h * (h10 * m0 + h11 * m1);
}

double InterpolarEnSector(double t, double h, double& cuenta, int32_t i, const TVectR& cuentas,
                          const TVectR& valores, const TVectR& pendientes) {
    const double q0 = cuentas.Elemento(i);
    const double q1 = cuentas.Elemento(i + 1);
    if ((t < 0.999 && q0 < MuestrasParaEstimar) || (t > 0.001 && q1 < MuestrasParaEstimar)) {
        cuenta = -1;
        return 0;
    }
    cuenta = (1 - t) * q0 + t * q1;
    return HermiteCubica(valores.Elemento(i), pendientes.Elemento(i), valores.Elemento(i + 1),
                         pendientes.Elemento(i + 1), h, t);
}

// ---------------------------------------------------------------- construction

TParque_ModeloEmpirico::~TParque_ModeloEmpirico() = default;

std::unique_ptr<TParque_ModeloEmpirico> TParque_ModeloEmpirico::Create(TParque_ModeloTeorico& parque,
                                                                       const std::string& archivoSeries,
                                                                       int32_t porcentajeInf, int32_t porcentajeSup,
                                                                       bool graficar) {
    std::unique_ptr<TParque_ModeloEmpirico> modelo(new TParque_ModeloEmpirico());
    modelo->parque = &parque;
    modelo->graficar = graficar;
    modelo->LeerSeries(archivoSeries);
    EscribirConsola("Calculando Modelo Empirico ...");
    EscribirConsola("Cantidad total de muestras en la serie historica de datos: " +
                    std::to_string(modelo->nMuestras));
    modelo->SuavizarVelocidad();
    modelo->FiltrarMuestrasDelModelo();
    modelo->CalcularCurvasS(SectoresDelModelo, TramosDelModelo, EnsancheDelModelo, 1, porcentajeInf, porcentajeSup);
    modelo->FiltrarPorDistancia();
    modelo->CalcularCurvasS(SectoresDelModelo, TramosDelModelo, EnsancheDelModelo, 2, porcentajeInf, porcentajeSup);
    modelo->GraficarMuestrasFiltradas();
    modelo->EscribirCurvasS();
    EscribirConsola("Modelo Empirico calculado con exito.");
    return modelo;
}

void TParque_ModeloEmpirico::ExigirSeriesEolicas(const TSeriesDeDatos& series) {
    series.ExigirSeries(SeriesDelArchivo, "un parque eólico");
}

void TParque_ModeloEmpirico::LeerSeries(const std::string& archivoSeries) {
    series = TSeriesDeDatos::Create(archivoSeries);
    ExigirSeriesEolicas(*series);
    series->ExigirMuestras();
    Vel = &series->Serie(0);
    nMuestras = Vel->n;
    dtInicio = series->dtPrimeraMuestra;
    periodo = series->PeriodoDias;
    ultimoAjuste = TParametrosCurvaS{};
    if (std::fabs(periodo * 1440 - 10) * 60 > 1 || !std::isfinite(periodo)) {
        const float unSextoDeHora = 1.0f / 6.0f;
        throw EErrorQuendal("Error en el archivo de series de datos. El periodo entre muestras es: " +
                            FormatoGeneral(series->PeriodoHoras(), 15) + ", y debe ser " +
                            FormatoGeneral(static_cast<double>(unSextoDeHora), 15) + ".");
    }
    periodo = 1.0 / 144.0;
    coefSuavizado = 0;
    Ang = &series->Serie(1);
    PE = &series->Serie(2);
    Temp = &series->Serie(3);
    Pre = &series->Serie(4);
    HumRel = &series->Serie(5);
    CGM = &series->Serie(6);
    fDisp = &series->Serie(7);
    VarVel = &series->Serie(8);
    // Serie may append missing series; the speed vector stays where it is.
    Vel = &series->Serie(0);
    tiempos = TVectR(nMuestras);
    for (int32_t k = 1; k <= nMuestras; ++k) tiempos.pv[k] = FechaDeMuestra(dtInicio, periodo, k);
}

// Exponential smoothing of the speeds above -1. With the coefficient at 0 the
// speeds are left exactly as read (and a speed that is not finite cannot
// spread into the next ones).
void TParque_ModeloEmpirico::SuavizarVelocidad() {
    const double c = coefSuavizado;
    if (c == 0) return;
    bool hayInicio = false;
    double s = 0;
    for (int32_t k = 1; k <= nMuestras; ++k) {
        const double v = Vel->pv[k];
        if (!(v > -1)) continue;
        if (!hayInicio) {
            s = v;
            hayInicio = true;
        }
        s = v * (1 - c) + c * s;
        Vel->pv[k] = s;
    }
}

void TParque_ModeloEmpirico::FiltrarMuestrasDelModelo() {
    FiltrarMuestras(*parque, *PE, *Vel, *HumRel, *Ang, *Temp, *Pre, *CGM, *VarVel, *fDisp, Filt_Coherencia, Filt_CGM,
                    Filt_Huecos, Filtro_Distancia, Filt_Disponibilidad, true, true);
}

bool TParque_ModeloEmpirico::MuestraLimpia(int32_t k) const {
    return !(Filt_Huecos[k] || Filt_Coherencia[k] || Filt_CGM[k] || Filtro_Distancia[k] || Filt_Disponibilidad[k]);
}

void TParque_ModeloEmpirico::ExigirMuestras(const char* operacion) const {
    if (!TieneMuestras())
        throw EErrorQuendal(std::string("TParque_ModeloEmpirico.") + operacion +
                            ": el modelo leído de un archivo no tiene muestras");
}

// ---------------------------------------------------------------- sectors

double TParque_ModeloEmpirico::AnguloSector(int32_t k) const {
    return static_cast<double>(k - 1) / nSectores() * 360.0;
}

void TParque_ModeloEmpirico::SectoresYPesos(int32_t& s1, int32_t& s2, double& w1, double& w2, double d) const {
    ::SectoresYPesos(d, nSectores(), s1, s2, w1, w2);
}

void TParque_ModeloEmpirico::SeleccionarMuestrasSector(double centro, double semiancho) {
    pvSector = TVectR(nMuestras);
    PE_Sector = TVectR(nMuestras);
    VarVelSector = TVectR(nMuestras);
    tSector = TVectR(nMuestras);
    int32_t tomadas = 0;
    for (int32_t k = 1; k <= nMuestras; ++k) {
        if (!MuestraLimpia(k) || !DentroDelSector(Ang->pv[k], centro, semiancho)) continue;
        ++tomadas;
        pvSector.pv[tomadas] = DensidadDeViento(Vel->pv[k]);
        PE_Sector.pv[tomadas] = PE->pv[k];
        VarVelSector.pv[tomadas] = VarVel->pv[k];
        tSector.pv[tomadas] = tiempos.pv[k];
    }
    pvSector.Redimensionar(tomadas);
    PE_Sector.Redimensionar(tomadas);
    VarVelSector.Redimensionar(tomadas);
    tSector.Redimensionar(tomadas);
}

// ---------------------------------------------------------------- fitting pass

void TParque_ModeloEmpirico::CalcularCurvasS(int32_t sectores, int32_t tramos, double ensanche, int32_t pasada,
                                             int32_t porcentajeInf, int32_t porcentajeSup) {
    ExigirMuestras("CalcularCurvasS");
    if (pasada < 2)
        EscribirConsola("Calculando primer juego de curvas S para cada Sector:");
    else
        EscribirConsola("Calculando segundo juego de curvas S para cada Sector:");
    if (!parque->curvaParque)
        throw EErrorQuendal("TParque_ModeloEmpirico.CalcularCurvasS: el parque no tiene curva equivalente");

    const double semiancho = (1 + ensanche) * (360.0 / sectores) / 2;
    double vMax = 0;
    for (int32_t k = 1; k <= nMuestras; ++k)
        if (MuestraLimpia(k) && Vel->pv[k] > vMax) vMax = Vel->pv[k];
    const double dv = vMax / tramos;

    bordesTramos = TVectR(tramos + 1);
    for (int32_t i = 1; i <= tramos + 1; ++i) bordesTramos.pv[i] = DensidadDeViento((i - 1) * dv);
    mediosTramos = TVectR(tramos);
    for (int32_t i = 1; i <= tramos; ++i) mediosTramos.pv[i] = (bordesTramos.pv[i] + bordesTramos.pv[i + 1]) / 2;

    cntTramos = TMatR(sectores, tramos);
    ordenadasTramos = TMatR(sectores, tramos);
    pendientesTramos = TMatR(sectores, tramos);
    PE_Tramos = TMatR(sectores, tramos);
    for (TVectR* v : {&alfa, &vm, &Pmax, &DeltaP, &alfa_varvel}) *v = TVectR(sectores);
    PrepararEstadoDeAjuste(sectores);

    std::vector<TMuestrasSector> muestrasDeGraficos;
    if (graficar) muestrasDeGraficos.resize(static_cast<std::size_t>(sectores) + 1);

    for (int32_t k = 1; k <= sectores; ++k) {
        SeleccionarMuestrasSector((k - 1) * 360.0 / sectores, semiancho);
        TDAofNInt orden(static_cast<std::size_t>(pvSector.n) + 1);
        for (int32_t i = 0; i <= pvSector.n; ++i) orden[i] = i;
        pvSector.OrdenarConIndices(true, orden);
        PE_Sector.AplicarPermutacion(orden);
        VarVelSector.AplicarPermutacion(orden);
        tSector.AplicarPermutacion(orden);
        if (graficar) muestrasDeGraficos[k] = TMuestrasSector{pvSector, PE_Sector, VarVelSector, tSector};
        AjustarCurvaSSector(k, pvSector, PE_Sector, VarVelSector, *parque->curvaParque, porcentajeInf,
                            porcentajeSup);
        AjustarTramosSector(k, pvSector, PE_Sector);
    }

    // Without a single fitted sector the completion would give every sector
    // the zero curve, and the distance filter would rank the samples by it:
    // the pass ends before anything is written.
    ExigirAlgunaCurvaSAjustada(porcentajeInf, porcentajeSup);
    CompletarSectores(fallidos_);

    if (graficar)
        for (int32_t k = 1; k <= sectores; ++k) GraficarClusterSector(k, muestrasDeGraficos[k], pasada);
}

// What a sector's fit writes besides its parameters, for every sector and
// cleared: the fit error, the points used and the failure marks.
void TParque_ModeloEmpirico::PrepararEstadoDeAjuste(int32_t sectores) {
    errc2 = TVectR(sectores);
    cntMuestras = TVectE(sectores);
    fallidos_.assign(static_cast<std::size_t>(sectores) + 1, false);
}

// The bins of sector k over its samples sorted by power density: count, line
// and representative power of each.
void TParque_ModeloEmpirico::AjustarTramosSector(int32_t k, const TVectR& pvs, const TVectR& potencias) {
    const int32_t c = pvs.n;
    for (int32_t j = 1; j <= nTramos(); ++j) {
        double cuenta = -1, a = 0, b = 0, media = 0;
        if (c >= 2) {
            const double ultimo = static_cast<double>(c);
            const auto primera = static_cast<int32_t>(
                std::clamp(std::ceil(pvs.IndiceInterpolado(bordesTramos.pv[j])), 1.0, ultimo));
            const auto ultima = static_cast<int32_t>(
                std::clamp(std::trunc(pvs.IndiceInterpolado(bordesTramos.pv[j + 1])), 1.0, ultimo));
            if (ultima > primera) {
                const int32_t m = ultima - primera + 1;
                double sx = 0, sxx = 0, sy = 0, sxy = 0;
                for (int32_t i = primera; i <= ultima; ++i) {
                    const double x = pvs.pv[i], y = potencias.pv[i];
                    sx += x;
                    sxx += x * x;
                    sy += y;
                    sxy += x * y;
                }
                cuenta = m;
                media = sy / m;
                // Samples sorted: equal ends mean one and the same density.
                bool resuelto = false;
                if (pvs.pv[primera] != pvs.pv[ultima]) {
                    TMatR A(2, 2), B(2, 1);
                    A.FijarElemento(1, 1, m);
                    A.FijarElemento(1, 2, sx);
                    A.FijarElemento(2, 1, sx);
                    A.FijarElemento(2, 2, sxx);
                    B.FijarElemento(1, 1, sy);
                    B.FijarElemento(2, 1, sxy);
                    bool invertible = false;
                    int32_t exponente = 0;
                    A.EliminacionGaussJordan(B, invertible, exponente);
                    a = B.Elemento(1, 1);
                    b = B.Elemento(2, 1);
                    resuelto = invertible && std::isfinite(a) && std::isfinite(b);
                }
                if (!resuelto) {
                    a = media;
                    b = 0;
                }
            }
        }
        cntTramos.FijarElemento(k, j, cuenta);
        ordenadasTramos.FijarElemento(k, j, a);
        pendientesTramos.FijarElemento(k, j, b);
        PE_Tramos.FijarElemento(k, j, j < PrimerTramoPorMedia ? b * mediosTramos.pv[j] + a : media);
    }
}

// Sectors with few points, or whose fit failed, take the S-curve parameters
// relaxed from their neighbours around the circle; the completed table goes
// to the plant folder.
void TParque_ModeloEmpirico::CompletarSectores(const std::vector<bool>& fallidos) {
    const int32_t nS = nSectores();
    std::array<TVectR*, 5> parametros = {&alfa, &vm, &DeltaP, &alfa_varvel, &Pmax};
    std::array<TMatR, 5> completados, conocidos;
    for (int p = 0; p < 5; ++p) {
        completados[p] = TMatR(nS, 1);
        conocidos[p] = TMatR(nS, 1);
        for (int32_t k = 1; k <= nS; ++k) conocidos[p].FijarElemento(k, 1, -1);
    }
    bool hayConocidos = false;
    auto propia = [&](int32_t k) { return cntMuestras.pv[k] > PuntosParaCurvaPropia && !fallidos[k]; };
    for (int32_t k = 1; k <= nS; ++k) {
        if (!propia(k)) continue;
        hayConocidos = true;
        for (int p = 0; p < 5; ++p) conocidos[p].FijarElemento(k, 1, parametros[p]->pv[k]);
    }
    if (!hayConocidos)
        EscribirConsola("¡ATENCION! Ningún sector tiene más de " + std::to_string(PuntosParaCurvaPropia) +
                        " puntos para su curva S: los sectores no se pueden completar.");
    for (int p = 0; p < 5; ++p) {
        double cambio = 0;
        int32_t barridos = 0;
        CompletarPorRelajacion(completados[p], conocidos[p], cambio, barridos);
    }
    for (int32_t k = 1; k <= nS; ++k) {
        if (propia(k)) continue;
        for (int p = 0; p < 5; ++p) parametros[p]->pv[k] = completados[p].Elemento(k, 1);
    }
    // Table order: alfa, vm, Pmax, DeltaP.
    EscribirCurvasCompletadas({std::move(completados[0]), std::move(completados[1]), std::move(completados[4]),
                               std::move(completados[2]), TMatR()});
}

// A sector got an S-curve of its own when its fit had more than 10 points
// and did not fail; the others carry -1 until the completion.
void TParque_ModeloEmpirico::ExigirAlgunaCurvaSAjustada(int32_t porcentajeInf, int32_t porcentajeSup) const {
    for (int32_t k = 1; k <= nSectores(); ++k)
        if (cntMuestras.pv[k] > PuntosParaAjustar && !fallidos_[k]) return;
    throw EErrorQuendal("No se construye el modelo empírico: ningún sector obtuvo su curva S. Ninguno tiene más de " +
                        std::to_string(PuntosParaAjustar) + " muestras con potencias entre el " +
                        std::to_string(porcentajeInf) + " % y el " + std::to_string(porcentajeSup) +
                        " % de la potencia autorizada (" + FormatoGeneral(parque->potencia_autorizada_mw, 15) +
                        " MW) y un ajuste logrado.");
}

void TParque_ModeloEmpirico::EscribirCurvasCompletadas(const std::array<TMatR, 5>& completados) const {
    TEscritorTexto f = TEscritorTexto::Crear(CarpetaPlanta() + "/curvas_s_completadas_.xlt");
    f.EscribirLinea("ang\talfa_completo\tvm_completo\tPmax_completo\tDeltaP_completo");
    for (int32_t k = 1; k <= nSectores(); ++k) {
        std::string linea = RealATextoDefecto(AnguloSector(k));
        for (int p = 0; p < 4; ++p) AgregarCampo(linea, RealATextoDefecto(completados[p].Elemento(k, 1)));
        f.EscribirLinea(linea);
    }
    f.Cerrar();
}

// ---------------------------------------------------------------- sector S-curve

void TParque_ModeloEmpirico::AjustarCurvaSSector(int32_t k, const TVectR& pvs, const TVectR& potencias,
                                                 const TVectR& /*varianzas*/, const TCurvaAerogen& curvaParque,
                                                 int32_t porcentajeInf, int32_t porcentajeSup) {
    if (k < 1 || k > nSectores())
        throw EErrorQuendal("TParque_ModeloEmpirico.AjustarCurvaSSector: el sector " + std::to_string(k) +
                            " no está entre 1 y " + std::to_string(nSectores()));
    const double Pc = curvaParque.Pmax;
    const double Paut = parque->potencia_autorizada_mw;
    const double Plow = porcentajeInf * Paut / 100;
    const double Phigh = porcentajeSup * Paut / 100;
    if (!(Pc > PotenciaDeReferencia))
        throw EMathError("Ajuste de curva S: la potencia máxima de la curva del parque (" + FormatoGeneral(Pc, 15) +
                         " MW) no supera " + FormatoGeneral(PotenciaDeReferencia, 15) + " MW");
    const double c0 = std::log((Pc - PotenciaDeReferencia) / PotenciaDeReferencia);

    auto usada = [&](double P) { return Plow <= P && P < Pc && P <= Phigh; };
    int32_t m = 0;
    for (int32_t i = 1; i <= potencias.n; ++i) m += usada(potencias.pv[i]) ? 1 : 0;
    TVectR v(m), P(m), y(m);
    for (int32_t i = 1, j = 0; i <= potencias.n; ++i) {
        const double potencia = potencias.pv[i];
        if (!usada(potencia)) continue;
        if (!(potencia > 0))
            throw EMathError("Ajuste de curva S: logaritmo de una potencia no positiva (" +
                             FormatoGeneral(potencia, 15) + " MW) en el sector " + std::to_string(k));
        ++j;
        v.pv[j] = VelocidadDeDensidad(pvs.pv[i]);
        P.pv[j] = potencia;
        y.pv[j] = std::log(Pc / potencia - 1) - c0;
    }
    cntMuestras.pv[k] = m;

    auto marcarSinCurva = [&] {
        alfa.pv[k] = vm.pv[k] = Pmax.pv[k] = DeltaP.pv[k] = -1;
    };
    if (m <= PuntosParaAjustar) {
        marcarSinCurva();
        return;
    }
    try {
        TParametrosCurvaS ajuste = ultimoAjuste;
        double f = 0, L = 0, V = 0;
        const bool convergio = AjustarCurvaS(v, P, Paut, ajuste.alfa, ajuste.vm, ajuste.Pmax, ajuste.DeltaP, f, L, V);
        for (double x : {ajuste.alfa, ajuste.vm, ajuste.Pmax, ajuste.DeltaP, f})
            VerificarFinito(x, "ajuste de curva S");
        ajuste.alfa_varvel = 0;
        double error = std::sqrt(f);
        if (!(convergio && V <= ViolacionAceptable)) {
            EscribirConsola("Sector " + std::to_string(k) + ": Convergio = " + (convergio ? "-1" : "0") +
                            ". Frontera = " + FloatToStrF(V, FR_Numero, 6, 4) + ". Se utiliza curva S simple.");
            // Least-squares slope through the origin of y against v.
            const double sumaCuadrados = v.SumaCuadrados();
            if (!(sumaCuadrados != 0)) throw EMathError("Curva S simple: velocidades nulas");
            const double pendiente = y.ProductoEscalar(v) / sumaCuadrados;
            if (!(pendiente != 0)) throw EMathError("Curva S simple: pendiente nula");
            ajuste.vm = VerificarFinito(-c0 / pendiente, "curva S simple");
            ajuste.alfa = VerificarFinito(c0 / ajuste.vm, "curva S simple");
            ajuste.Pmax = Pc;
            ajuste.DeltaP = 0;
            double suma = 0;
            for (int32_t i = 1; i <= m; ++i) {
                const double r = Pc / (1 + std::exp(-ajuste.alfa * (v.pv[i] - ajuste.vm))) - P.pv[i];
                suma += r * r;
            }
            error = VerificarFinito(std::sqrt(suma / m), "curva S simple");
        }
        alfa.pv[k] = ajuste.alfa;
        vm.pv[k] = ajuste.vm;
        Pmax.pv[k] = ajuste.Pmax;
        DeltaP.pv[k] = ajuste.DeltaP;
        alfa_varvel.pv[k] = ajuste.alfa_varvel;
        errc2.pv[k] = error;
        ultimoAjuste = ajuste;
    } catch (const EMathError&) {
        marcarSinCurva();
        fallidos_[k] = true;
    }
}

double TParque_ModeloEmpirico::CurvaSSector(int32_t k, double v, double varianza) const {
    const double ve = RaizCubicaConSigno(v, varianza, alfa_varvel.Elemento(k));
    return Pmax.Elemento(k) / (1 + std::exp(-alfa.Elemento(k) * (ve - vm.Elemento(k)))) - DeltaP.Elemento(k);
}

double TParque_ModeloEmpirico::PE_CurvaS(double direccion, double pd, double varianza) const {
    int32_t s1, s2;
    double w1, w2;
    SectoresYPesos(s1, s2, w1, w2, direccion);
    const double v = VelocidadDeDensidad(pd);
    const double P1 = CurvaSSector(s1, v, varianza);
    const double P2 = CurvaSSector(s2, v, varianza);
    return w1 * P1 + w2 * P2;
}

double TParque_ModeloEmpirico::VientoCurvaSInversa(int32_t k, double P, bool& valida) const {
    valida = false;
    if (k < 1 || k > alfa.n) return 0;
    const double a = alfa.pv[k], medio = vm.pv[k], maximo = Pmax.pv[k], corrimiento = DeltaP.pv[k];
    if (!(a != 0) || !(P > -corrimiento && P < maximo - corrimiento)) return 0;
    const double v = medio - std::log(maximo / (P + corrimiento) - 1) / a;
    if (!std::isfinite(v)) return 0;
    valida = true;
    return v;
}

// ---------------------------------------------------------------- distance filter

// Ranks the valid samples by their squared error against the first pass's
// S-curves and sets aside the worst tenth (a fraction counting as one more).
void TParque_ModeloEmpirico::FiltrarPorDistancia() {
    ExigirMuestras("FiltrarPorDistancia");
    TDAofNInt validas;
    TDAofNReal errores;
    for (int32_t k = 1; k <= nMuestras; ++k) {
        if (Filt_Huecos[k] || Filt_Coherencia[k] || Filt_CGM[k] || Filt_Disponibilidad[k]) continue;
        const double estimacion = PE_CurvaS(Ang->pv[k], DensidadDeViento(Vel->pv[k]), VarVel->pv[k]);
        const double diferencia = estimacion - PE->pv[k];
        double error = diferencia * diferencia;
        if (std::isnan(error)) error = std::numeric_limits<double>::infinity();
        validas.push_back(k);
        errores.push_back(error);
    }
    const auto v = static_cast<int32_t>(validas.size());
    TVectR ordenados = TVectR::Create_DesdeArreglo(errores);
    TDAofNInt orden(static_cast<std::size_t>(v) + 1);
    for (int32_t i = 0; i <= v; ++i) orden[i] = i;
    ordenados.OrdenarConIndices(true, orden);
    const int32_t desde = static_cast<int32_t>(std::trunc(0.9 * v)) + 1;
    int32_t marcadas = 0;
    for (int32_t posicion = desde; posicion <= v; ++posicion) {
        Filtro_Distancia[validas[orden[posicion] - 1]] = 1;
        ++marcadas;
    }
    InformarFiltro("Muestras filtradas por Distancia: ", marcadas, nMuestras);
}

// ---------------------------------------------------------------- bin estimator

double TParque_ModeloEmpirico::PE_PorTramos(double direccion, double pd, double& cuenta) const {
    cuenta = -1;
    if (!std::isfinite(direccion) || !std::isfinite(pd)) return 0;
    int32_t s1, s2;
    double w1, w2;
    SectoresYPesos(s1, s2, w1, w2, direccion);
    const double e = mediosTramos.IndiceInterpolado(pd);
    const double fEntera = std::trunc(e);
    const int32_t nMedios = mediosTramos.n;
    auto estimar = [&](int32_t s, double& q) {
        const TVectR& cuentas = cntTramos.Fila(s);
        const TVectR& valores = PE_Tramos.Fila(s);
        const TVectR& pendientes = pendientesTramos.Fila(s);
        if (fEntera < 1) {
            q = cuentas.pv[1];
            return (pd - mediosTramos.pv[1]) * pendientes.pv[1] + valores.pv[1];
        }
        if (fEntera >= nMedios) {
            q = cuentas.pv[nMedios];
            return (pd - mediosTramos.pv[nMedios]) * pendientes.pv[nMedios] + valores.pv[nMedios];
        }
        const auto i = static_cast<int32_t>(fEntera);
        const double h = mediosTramos.pv[i + 1] - mediosTramos.pv[i];
        return InterpolarEnSector(Frac(e), h, q, i, cuentas, valores, pendientes);
    };
    double q1 = -1, q2 = -1;
    const double P1 = estimar(s1, q1);
    const double P2 = estimar(s2, q2);
    if ((w1 > 0.001 && q1 < MuestrasParaEstimar) || (w2 > 0.001 && q2 < MuestrasParaEstimar)) return 0;
    cuenta = w1 * q1 + w2 * q2;
    return w1 * P1 + w2 * P2;
}

// ---------------------------------------------------------------- model block

void TParque_ModeloEmpirico::GuardarEnTexto(TEscritorTexto& f) const {
    TFormatosInvariantes invariantes;
    f.EscribirLinea("VERSION=2");
    bordesTramos.GuardarEnTexto(f);
    cntTramos.GuardarEnTexto(f);
    ordenadasTramos.GuardarEnTexto(f);
    pendientesTramos.GuardarEnTexto(f);
    mediosTramos.GuardarEnTexto(f);
    PE_Tramos.GuardarEnTexto(f);
    alfa.GuardarEnTexto(f);
    vm.GuardarEnTexto(f);
    Pmax.GuardarEnTexto(f);
    DeltaP.GuardarEnTexto(f);
    alfa_varvel.GuardarEnTexto(f);
}

namespace {

constexpr std::string_view MarcaVersion = "VERSION=";

// The block's first line: "VERSION=" and the version, or (version 1) the
// edge count. Returns the version; cuentaBordes gets the count of version 1.
int32_t LeerCabeceraBloque(TLectorTexto& f, int32_t& cuentaBordes) {
    std::string linea = f.LeerLinea();
    const int lineaLeida = f.Linea() - 1;
    try {
        const std::size_t posicion = linea.find(MarcaVersion);
        if (posicion != std::string::npos) {
            linea.erase(posicion, MarcaVersion.size());
            cuentaBordes = -1;
            return TextoAEntero(linea);
        }
        std::string_view resto = linea;
        cuentaBordes = SiguienteEntero(resto);
        return 1;
    } catch (const EConvertError& error) {
        throw EInOutError(error.what(), f.Nombre(), lineaLeida);
    }
}

void ExigirForma(bool valida, const std::string& que, const TLectorTexto& f) {
    if (!valida) f.Fallar("Bloque del modelo empírico: " + que + " de tamaño inesperado");
}

}  // namespace

std::unique_ptr<TParque_ModeloEmpirico> TParque_ModeloEmpirico::Create_LeerDeTexto(TLectorTexto& f,
                                                                                   TParque_ModeloTeorico& parque) {
    std::unique_ptr<TParque_ModeloEmpirico> modelo(new TParque_ModeloEmpirico());
    modelo->parque = &parque;
    modelo->graficar = false;
    TFormatosInvariantes invariantes;
    int32_t cuentaBordes = -1;
    const int32_t version = LeerCabeceraBloque(f, cuentaBordes);
    modelo->bordesTramos = TVectR::Create_LeerDeTexto(f, cuentaBordes);
    modelo->cntTramos = TMatR::Create_LeerDeTexto(f);
    modelo->ordenadasTramos = TMatR::Create_LeerDeTexto(f);
    modelo->pendientesTramos = TMatR::Create_LeerDeTexto(f);
    modelo->mediosTramos = TVectR::Create_LeerDeTexto(f);
    modelo->PE_Tramos = TMatR::Create_LeerDeTexto(f);
    modelo->alfa = TVectR::Create_LeerDeTexto(f);
    modelo->vm = TVectR::Create_LeerDeTexto(f);
    modelo->Pmax = TVectR::Create_LeerDeTexto(f);
    modelo->DeltaP = TVectR::Create_LeerDeTexto(f);
    if (version >= 2)
        modelo->alfa_varvel = TVectR::Create_LeerDeTexto(f);
    else
        modelo->alfa_varvel = TVectR(modelo->Pmax.n);

    // Every estimate indexes these tables by sector and bin.
    const int32_t nS = modelo->cntTramos.nf;
    const int32_t nT = modelo->bordesTramos.n - 1;
    ExigirForma(nS >= 1 && nT >= 1, "la tabla de cuentas o los bordes", f);
    for (const TMatR* tabla : {&modelo->cntTramos, &modelo->ordenadasTramos, &modelo->pendientesTramos,
                               &modelo->PE_Tramos})
        ExigirForma(tabla->nf == nS && tabla->nc == nT, "una tabla de tramos", f);
    ExigirForma(modelo->mediosTramos.n == nT, "los medios de los tramos", f);
    for (const TVectR* v : {&modelo->alfa, &modelo->vm, &modelo->Pmax, &modelo->DeltaP, &modelo->alfa_varvel})
        ExigirForma(v->n == nS, "un vector de parámetros de curvas S", f);
    // Not stored: a sector fitted later on this model finds them at zero.
    modelo->PrepararEstadoDeAjuste(nS);
    return modelo;
}

// ---------------------------------------------------------------- statistics

bool TParque_ModeloEmpirico::Estadisticas(TEstadisticasModeloEmpirico& resultado) const {
    if (!TieneMuestras()) return false;
    TDAofNReal velocidades, direcciones;
    std::array<TRangoSerie, 7> rangos;
    const std::array<const TVectR*, 7> seriesDeRango = {Pre, PE, Vel, HumRel, fDisp, Temp, CGM};
    bool hayValidas = false;
    for (int32_t k = 1; k <= nMuestras; ++k) {
        if (Filt_Huecos[k] || Filt_Coherencia[k] || Filt_Disponibilidad[k] || Filtro_Distancia[k]) continue;
        if (Vel->pv[k] > 0.001) velocidades.push_back(Vel->pv[k]);
        direcciones.push_back(Ang->pv[k]);
        for (std::size_t s = 0; s < rangos.size(); ++s) {
            const double x = seriesDeRango[s]->pv[k];
            if (!hayValidas || x < rangos[s].minimo) rangos[s].minimo = x;
            if (!hayValidas || x > rangos[s].maximo) rangos[s].maximo = x;
        }
        hayValidas = true;
    }
    if (!hayValidas || velocidades.size() < 2) return false;
    TVectR muestrasVelocidad = TVectR::Create_DesdeArreglo(velocidades);
    muestrasVelocidad.Ordenar(true);
    if (muestrasVelocidad.pv[1] == muestrasVelocidad.pv[muestrasVelocidad.n]) return false;
    resultado.distribucionVelocidad = Tf_ddp_Weibull::Create_vmuetras(muestrasVelocidad, nullptr, 1);
    resultado.distribucionDireccion =
        Tf_ddp_VectDeMuestras::Create(TVectR::Create_DesdeArreglo(direcciones), nullptr, 1);
    resultado.presion = rangos[0];
    resultado.potencia = rangos[1];
    resultado.velocidad = rangos[2];
    resultado.humedad = rangos[3];
    resultado.disponibilidad = rangos[4];
    resultado.temperatura = rangos[5];
    resultado.consigna = rangos[6];
    return true;
}

double TParque_ModeloEmpirico::FrecuenciaDireccion(double direccion) const {
    if (cntTramos.nf < 1) return 0;
    int32_t s1, s2;
    double w1, w2;
    SectoresYPesos(s1, s2, w1, w2, direccion);
    auto muestrasDeSector = [&](int32_t s) {
        double suma = 0;
        for (int32_t j = 1; j <= cntTramos.nc; ++j) {
            const double c = cntTramos.Elemento(s, j);
            if (c > 0) suma += std::trunc(c);
        }
        return suma;
    };
    double total = 0;
    for (int32_t s = 1; s <= cntTramos.nf; ++s) total += muestrasDeSector(s);
    if (!(total > 0)) return 0;
    return (w1 * muestrasDeSector(s1) + w2 * muestrasDeSector(s2)) / total;
}

// ---------------------------------------------------------------- tables

std::string TParque_ModeloEmpirico::CarpetaPlanta() const { return CarpetaCentral(parque->nid); }

void TParque_ModeloEmpirico::EscribirCurvasS() const {
    const TCurvaAerogen* curva = parque->curvaParque.get();
    const double k = curva ? curva->k : 0, vCentro = curva ? curva->vCentro : 0;
    TEscritorTexto f = TEscritorTexto::Crear(CarpetaPlanta() + "/curvas_s_.xlt");
    f.EscribirLinea("ang\talfa\tvm\talfa_varvel\terrc2\tcntMuestras\tMT_alfa\tMT_vm");
    for (int32_t s = 1; s <= nSectores(); ++s) {
        std::string linea = RealATextoDefecto(AnguloSector(s));
        for (const TVectR* v : {&alfa, &vm, &alfa_varvel, &errc2}) AgregarCampo(linea, RealATextoDefecto(v->Elemento(s)));
        AgregarCampo(linea, std::to_string(cntMuestras.Elemento(s)));
        AgregarCampo(linea, RealATextoDefecto(k));
        AgregarCampo(linea, RealATextoDefecto(vCentro));
        f.EscribirLinea(linea);
    }
    f.Cerrar();
}

void TParque_ModeloEmpirico::GraficarMuestrasFiltradas() const {
    ExigirMuestras("GraficarMuestrasFiltradas");
    EscribirSeriesFiltradas();
    if (graficar) GraficarPlanos();
}

void TParque_ModeloEmpirico::EscribirSeriesFiltradas() const {
    TEscritorTexto f = TEscritorTexto::Crear(CarpetaPlanta() + "/series_filtradas.xlt");
    f.EscribirLinea(
        "dt\tVel[m/s]\tAng[°]\tPE[MW]\tTemp[°C]\tPre[hPA]\tHumRel[%]\tCGM[MW]\tfDisp[p.u.]\tVarVel[(m/s)^2]\t"
        "Filt_Huecos\tFilt_Coherencia\tFilt_Disponibilidad\tFilt_CGM\tFiltro_Distancia");
    const std::array<const TVectR*, 9> valores = {Vel, Ang, PE, Temp, Pre, HumRel, CGM, fDisp, VarVel};
    const std::array<const TDAOfBoolean*, 5> filtros = {&Filt_Huecos, &Filt_Coherencia, &Filt_Disponibilidad,
                                                        &Filt_CGM, &Filtro_Distancia};
    std::string linea;
    char real[AnchoRealDefecto];
    for (int32_t k = 1; k <= nMuestras; ++k) {
        linea = DateTimeToStr(tiempos.pv[k]);
        for (const TVectR* serie : valores) {
            RealATextoDefectoEn(serie->pv[k], real);
            linea += '\t';
            linea.append(real, AnchoRealDefecto);
        }
        for (const TDAOfBoolean* filtro : filtros) {
            linea += '\t';
            linea += (*filtro)[k] ? '1' : '0';
        }
        f.EscribirLinea(linea);
    }
    f.Cerrar();
}

// ---------------------------------------------------------------- charts

namespace {

constexpr int AnchoGrafico = 2100, AltoGrafico = 1000, CalidadGrafico = 100;

std::unique_ptr<TGrafico> NuevoGrafico(const std::string& titulo, const char* tituloX, const char* tituloY) {
    auto grafico = TGrafico::Create("gfiltrados_pv", "", TSG_LineaConMarcadores, 0);
    grafico->Titulo = titulo;
    grafico->EjeX->Titulo = tituloX;
    grafico->EjeY->Titulo = tituloY;
    return grafico;
}

TDAofNReal Velocidades(const TDAofNReal& densidades) {
    TDAofNReal v(densidades.size());
    for (std::size_t i = 0; i < densidades.size(); ++i) v[i] = VelocidadDeDensidad(densidades[i]);
    return v;
}

}  // namespace

void TParque_ModeloEmpirico::GraficarPlanos() const {
    const double Paut = parque->potencia_autorizada_mw;
    const std::string sufijo = std::to_string(static_cast<int64_t>(std::trunc(100 * coefSuavizado))) + ".jpg";
    const TDAofNReal todas = SeleccionarMuestras({}, *Vel, false, {});
    auto marcadas = [&](const TDAOfBoolean& filtro, const TVectR& serie) {
        return SeleccionarMuestras({&filtro}, serie, true, Filt_Huecos);
    };
    struct TGrupo {
        const TDAOfBoolean* filtro;
        TAspectoSerie aspecto;
    };
    const std::array<TGrupo, 4> grupos = {TGrupo{&Filt_Coherencia, {clFucsia, 4, 2}},
                                          TGrupo{&Filt_CGM, {clRojo, 4, 2}},
                                          TGrupo{&Filt_Disponibilidad, {clAzul, 4, 2}},
                                          TGrupo{&Filtro_Distancia, {clNegro, 4, 2}}};

    auto pv = NuevoGrafico("Muestras y filtrados (plano PE-Velocidad)", "Velocidad de viento [m/s]",
                           "Potencia eléctrica [MW]");
    pv->EjeX->FijarMinimo(0);
    pv->EjeX->FijarMaximo(25);
    pv->EjeY->FijarMinimo(0);
    pv->EjeY->FijarMaximo((std::trunc(Paut / 10) + 1) * 10);
    AgregarPar(*pv, "vel", todas, "PE", SeleccionarMuestras({}, *PE, false, {}), {clVerde, 2, 1});
    const std::array<std::array<const char*, 2>, 4> nombresPV = {
        {{"vel_filtrados_por_coherencia", "PE_filtrados_por_Coherencia"},
         {"vel_filtrados_por_cgm", "PE_filtrados_por_cgm"},
         {"vel_filtrados_por_disp", "PE_filtrados_por_disp"},
         {"vel_filtrados_por_dist", "PE_filtrados_por_dist"}}};
    for (std::size_t g = 0; g < grupos.size(); ++g)
        AgregarPar(*pv, nombresPV[g][0], marcadas(*grupos[g].filtro, *Vel), nombresPV[g][1],
                   marcadas(*grupos[g].filtro, *PE), grupos[g].aspecto);
    pv->GuardarJPG(CarpetaPlanta() + "/muestras_filtrados_plano_pe_vel_" + sufijo, AnchoGrafico, AltoGrafico,
                   CalidadGrafico);

    auto dv = NuevoGrafico("Muestras y filtrados (plano Dir-Velocidad)", "Velocidad de viento [m/s]",
                           "Dirección [°]");
    dv->EjeX->FijarMinimo(0);
    dv->EjeX->FijarMaximo(25);
    dv->EjeY->FijarMinimo(0);
    dv->EjeY->FijarMaximo(360);
    AgregarPar(*dv, "vel", todas, "Dir", SeleccionarMuestras({}, *Ang, false, {}), {clVerde, 2, 1});
    const std::array<std::array<const char*, 2>, 4> nombresDV = {
        {{"vel_filtrados_por_coherencia_", "Dir_filtrados_por_Coherencia"},
         {"vel_filtrados_por_cgm", "Dir_filtrados_por_cgm"},
         {"vel_filtrados_por_disponibilidad", "Dir_filtrados_por_disponibilidad"},
         {"vel_filtrados_por_distancia", "Dir_filtrados_por_distancia"}}};
    for (std::size_t g = 0; g < grupos.size(); ++g)
        AgregarPar(*dv, nombresDV[g][0], marcadas(*grupos[g].filtro, *Vel), nombresDV[g][1],
                   marcadas(*grupos[g].filtro, *Ang), grupos[g].aspecto);
    dv->GuardarJPG(CarpetaPlanta() + "/muestras_filtrados_plano_dir_vel_" + sufijo, AnchoGrafico, AltoGrafico,
                   CalidadGrafico);
}

void TParque_ModeloEmpirico::GraficarClusterSector(int32_t k, const TMuestrasSector& muestras, int32_t pasada) const {
    const double centro = AnguloSector(k);
    const double yMaximo =
        std::trunc(std::max(parque->potencia_nominal, parque->potencia_autorizada_mw) / 10 + 1) * 10;
    auto grafico = NuevoGrafico("Muestras cluster ang: " +
                                    FormatoFijo(centro, 1, 0, AjustesFormato().DecimalSeparator) + "°",
                                "Velocidad de viento [m/s]", "Potencia eléctrica [MW]");
    grafico->EjeX->FijarMaximo(30);
    grafico->EjeY->FijarMinimo(0);
    grafico->EjeY->FijarMaximo(yMaximo);

    // Daytime (7:00 to 20:00) and night samples.
    TDAofNReal vDia, pDia, vNoche, pNoche;
    for (int32_t i = 1; i <= muestras.pv.n; ++i) {
        const int hora = DecodeDateTime(muestras.tiempo.pv[i]).hora;
        const bool deDia = hora >= 7 && hora < 20;
        (deDia ? vDia : vNoche).push_back(VelocidadDeDensidad(muestras.pv.pv[i]));
        (deDia ? pDia : pNoche).push_back(muestras.potencia.pv[i]);
    }
    AgregarPar(*grafico, "7a19hs", std::move(vDia), "PE_muestras_7a19hs", std::move(pDia), {clAzul, 2, 1});
    AgregarPar(*grafico, "20a6hs", std::move(vNoche), "PE_muestras_20a6hs", std::move(pNoche), {clNegro, 2, 1});

    TDAofNReal medios(mediosTramos.pv.begin() + 1, mediosTramos.pv.end());
    TDAofNReal curvaEnMedios;
    for (double pd : medios) curvaEnMedios.push_back(PE_CurvaS(centro, pd, 0));
    AgregarPar(*grafico, "vMedio", Velocidades(medios), "F0_s", std::move(curvaEnMedios), {clRojo, 6, 2});

    TDAofNReal puntos, curva;
    for (int32_t i = 1; i <= nTramos(); ++i)
        for (int t = 1; t <= 10; ++t) {
            const double pd = bordesTramos.pv[i] + ((t - 1) / 10.0) * (bordesTramos.pv[i + 1] - bordesTramos.pv[i]);
            puntos.push_back(pd);
            curva.push_back(PE_CurvaS(centro, pd, 0));
        }
    AgregarPar(*grafico, "v_Hermit", Velocidades(puntos), "PE_Curva_s", std::move(curva), {clRojo, 0, 1, true});

    const TVectR& cuentas = cntTramos.Fila(k);
    AgregarPar(*grafico, "vMedio", Velocidades(medios), "Peso", TDAofNReal(cuentas.pv.begin() + 1, cuentas.pv.end()),
               {clFucsia, 3, 1, false, true});
    const TVectR& representativas = PE_Tramos.Fila(k);
    AgregarPar(*grafico, "vMedio", Velocidades(medios), "F0",
               TDAofNReal(representativas.pv.begin() + 1, representativas.pv.end()), {clRojo, 3, 2});

    for (int32_t i = 1; i <= bordesTramos.n; ++i) {
        const double v = VelocidadDeDensidad(bordesTramos.pv[i]);
        grafico->AgregarCaja(TCajaGraficoXY::Create(v, 0, v + 0.000005, yMaximo, ""));
    }
    grafico->GuardarJPG(CarpetaPlanta() + "/" + std::to_string(static_cast<int64_t>(std::trunc(100 * centro))) + "_" +
                            std::to_string(pasada) + ".jpg",
                        AnchoGrafico, AltoGrafico, CalidadGrafico);
}
