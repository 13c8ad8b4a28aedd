// The park's power: the capped passes for a free stream, the mast iteration
// that solves for the free stream, the speed for a power and the mast factor.
#include <algorithm>
#include <cmath>

#include "models/uauxdensidad.h"
#include "models/uparques_modeloteorico.h"
#include "models/uparques_modeloteorico_interno.h"
#include "numerics/errores.h"

using parque_teorico::ASimplePrecision;
using parque_teorico::MismosBits;

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

