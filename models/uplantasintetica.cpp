#include "models/uplantasintetica.h"

#include <algorithm>
#include <array>
#include <numbers>
#include <cmath>
#include <random>

#include "data/ucarpetasmodelos.h"
#include "models/uauxdensidad.h"
#include "models/ucurvasaeros.h"
#include "models/uparques_modeloteorico.h"
#include "numerics/archivotexto.h"
#include "numerics/textoreal.h"

namespace {

constexpr int32_t MuestrasPorDia = 144;
constexpr double PotenciaMolino = 2.0;  // MW
constexpr int32_t CantidadMolinos = 12;

// Deterministic uniform and normal numbers from the seed (no library
// distribution, whose output may change between library versions).
class TAzar {
public:
    explicit TAzar(uint32_t semilla) : motor_(semilla) {}
    // In (0, 1).
    double Uniforme() { return (static_cast<double>(motor_()) + 0.5) / 4294967296.0; }
    double Normal() {
        if (hayGuardado_) {
            hayGuardado_ = false;
            return guardado_;
        }
        const double r = std::sqrt(-2 * std::log(Uniforme()));
        const double a = 2 * std::numbers::pi * Uniforme();
        guardado_ = r * std::sin(a);
        hayGuardado_ = true;
        return r * std::cos(a);
    }
    int32_t Entero(int32_t desde, int32_t hasta) {
        return desde + static_cast<int32_t>(Uniforme() * (hasta - desde + 1));
    }

private:
    std::mt19937 motor_;
    bool hayGuardado_ = false;
    double guardado_ = 0;
};

// A 2 MW turbine with a logistic rise (steepness 0.8 s/m, midpoint 8.5 m/s)
// from its cut-in at 3 m/s to its cut-out at 25 m/s.
TCurvaAerogen CurvaMolino() {
    const int32_t n = 26;
    TVectR vv(n), pp(n);
    vv.pv[1] = 0;
    vv.pv[2] = 2.9;
    for (int32_t i = 3; i <= 25; ++i) {
        const double v = i;
        vv.pv[i] = v;
        pp.pv[i] = PotenciaMolino / (1 + std::exp(-0.8 * (v - 8.5)));
    }
    vv.pv[n] = 25.1;
    return TCurvaAerogen::Create(1, "sintetico_2MW", 90, vv, pp);
}

// Weibull speed (k = 2, scale 8.5 m/s) of a standard normal value.
double VelocidadDeNormal(double z) {
    const double u = std::clamp(0.5 * std::erfc(-z / std::sqrt(2.0)), 1e-12, 1 - 1e-12);
    return 8.5 * std::sqrt(-std::log(1 - u));
}

// Sets `cuenta` stretches of `largo` samples to the value of each stretch's
// first sample (a stuck reading).
void Trabar(TVectR& serie, TAzar& azar, int32_t cuenta, int32_t largoMin, int32_t largoMax) {
    for (int32_t c = 0; c < cuenta; ++c) {
        const int32_t largo = azar.Entero(largoMin, largoMax);
        const int32_t inicio = azar.Entero(1, std::max(1, serie.n - largo));
        for (int32_t k = inicio + 1; k <= std::min(serie.n, inicio + largo - 1); ++k) serie.pv[k] = serie.pv[inicio];
    }
}

}  // namespace

std::unique_ptr<TParque_ModeloTeorico> CrearParqueSintetico(int32_t nid) {
    auto parque = TParque_ModeloTeorico::Create_Nuevo();
    parque->nid = nid;
    parque->nombre = "Parque sintetico " + std::to_string(nid);
    parque->potencia_nominal = CantidadMolinos * PotenciaMolino;
    parque->potencia_autorizada_mw = CantidadMolinos * PotenciaMolino;
    for (int32_t i = 0; i < CantidadMolinos; ++i) {
        auto molino = std::make_unique<TMolino>();
        molino->nid = i + 1;
        molino->nro = i + 1;
        molino->nid_curvaaero = 1;
        molino->nidcentral = nid;
        molino->curva = CurvaMolino();
        // Two rows 600 m apart running east-west, turbines 350 m apart, 2 km
        // north of the met mast.
        const double x = (i % 6 - 2.5) * 350.0;
        const double y = i < 6 ? 2300 : 1700;
        molino->posicion = TPosicion::Create(x, y);
        parque->molinos.push_back(std::move(molino));
    }
    // Cells of 9 m by 5 m and a margin of 300 m keep the wake grid small.
    parque->grilla_rotada_dy = 5;
    parque->grilla_rotada_margen_dx = 300;
    parque->factor_perdidas = 0.01;
    parque->Preparar();
    return parque;
}

TTablaPotenciaSintetica TTablaPotenciaSintetica::Create(TParque_ModeloTeorico& parque) {
    TTablaPotenciaSintetica t;
    t.tabla_ = TMatR(Direcciones, Velocidades);
    for (int32_t d = 1; d <= Direcciones; ++d) {
        parque.FijarDireccion((d - 1) * 360.0 / Direcciones);
        for (int32_t j = 1; j <= Velocidades; ++j) {
            const double v = (j - 1) * PasoVelocidad;
            t.tabla_.FijarElemento(d, j, parque.PotenciaDesdeEstacion(DensidadBase, PotenciaDelViento(v, DensidadBase),
                                                                      parque.potencia_autorizada_mw));
        }
    }
    return t;
}

double TTablaPotenciaSintetica::Potencia(double direccion, double velocidad) const {
    double d = std::fmod(direccion, 360.0);
    if (d < 0) d += 360;
    const double x = d / (360.0 / Direcciones);
    const auto i = std::min(static_cast<int32_t>(x), Direcciones - 1);
    const double wd = x - i;
    const int32_t fila1 = i + 1, fila2 = i + 1 == Direcciones ? 1 : i + 2;
    const double y = std::clamp(velocidad / PasoVelocidad, 0.0, Velocidades - 1.0);
    const auto j = std::min(static_cast<int32_t>(y), Velocidades - 2);
    const double wv = y - j;
    auto enFila = [&](int32_t fila) {
        return (1 - wv) * tabla_.Elemento(fila, j + 1) + wv * tabla_.Elemento(fila, j + 2);
    };
    return (1 - wd) * enFila(fila1) + wd * enFila(fila2);
}

TSeriesSinteticas GenerarSeriesSinteticas(const TParque_ModeloTeorico& parque, const TTablaPotenciaSintetica& tabla,
                                          const TOpcionesPlantaSintetica& opciones) {
    const int32_t n = opciones.dias * MuestrasPorDia;
    TAzar azar(opciones.semilla);
    TSeriesSinteticas s;
    s.inicio = opciones.inicio;
    for (TVectR* v : {&s.Vel, &s.Ang, &s.PE, &s.Temp, &s.Pre, &s.HumRel, &s.CGM, &s.fDisp, &s.VarVel})
        *v = TVectR(n);
    const double Paut = parque.potencia_autorizada_mw;
    const double maquinas = static_cast<double>(parque.molinos.size());

    // Restriction windows and outages, drawn first so the weather does not
    // depend on them.
    TVectR consigna = TVectR::Create_ConValor(n, Paut);
    TVectR disponibles = TVectR::Create_ConValor(n, maquinas);
    if (opciones.conFallas) {
        for (int32_t w = 0; w < opciones.dias / 4; ++w) {
            const int32_t largo = azar.Entero(6, 48);
            const int32_t inicio = azar.Entero(1, std::max(1, n - largo));
            const double nivel = std::floor(Paut * (0.3 + 0.5 * azar.Uniforme()));
            for (int32_t k = inicio; k <= std::min(n, inicio + largo - 1); ++k) consigna.pv[k] = nivel;
        }
        for (int32_t w = 0; w < opciones.dias / 3; ++w) {
            const int32_t largo = azar.Entero(12, 144);
            const int32_t inicio = azar.Entero(1, std::max(1, n - largo));
            const double fuera = azar.Entero(1, 2);
            for (int32_t k = inicio; k <= std::min(n, inicio + largo - 1); ++k) disponibles.pv[k] = maquinas - fuera;
        }
    }

    double z = 0, direccion = 360 * azar.Uniforme();
    for (int32_t k = 1; k <= n; ++k) {
        const double t = opciones.inicio + (k - 1) / 144.0;
        const double horaDelDia = t - std::floor(t);
        // Speed: AR(1) with a correlation time of about eight hours.
        z = 0.98 * z + std::sqrt(1 - 0.98 * 0.98) * azar.Normal();
        const double v = VelocidadDeNormal(z) * (1 + 0.08 * std::sin(2 * std::numbers::pi * (horaDelDia - 0.3)));
        direccion = std::fmod(direccion + 6 * azar.Normal() + 360, 360.0);
        const double temperatura = 12 + 8 * std::sin(2 * std::numbers::pi * ((t - opciones.inicio) / 365.25 - 0.3)) +
                                   4 * std::sin(2 * std::numbers::pi * (horaDelDia - 0.375)) + 0.5 * azar.Normal();
        const double presion = 1000 + 6 * std::sin(2 * std::numbers::pi * (t - opciones.inicio) / 5.3) + 0.5 * azar.Normal();
        const double humedad = std::clamp(65 + 15 * std::sin(2 * std::numbers::pi * (horaDelDia + 0.1)) + 5 * azar.Normal(), 5.0,
                                          100.0);
        const double densidad = DensidadAire(temperatura, presion, humedad);

        const double relacion = densidad / DensidadBase;
        const double tope = consigna.pv[k];
        double potencia = tabla.Potencia(direccion, v * std::cbrt(relacion)) * relacion * (disponibles.pv[k] / maquinas);
        potencia += opciones.ruidoPotencia * Paut * azar.Normal();
        potencia = std::clamp(potencia, -0.2, Paut);
        if (potencia > tope) potencia = tope - 0.2 * azar.Uniforme();

        s.Vel.pv[k] = v;
        s.Ang.pv[k] = direccion;
        s.PE.pv[k] = potencia;
        s.Temp.pv[k] = temperatura;
        s.Pre.pv[k] = presion;
        s.HumRel.pv[k] = humedad;
        s.CGM.pv[k] = tope;
        s.fDisp.pv[k] = disponibles.pv[k];
        s.VarVel.pv[k] = std::pow(0.1 * v * (1 + 0.3 * azar.Uniforme()), 2);
    }

    if (opciones.conFallas) {
        // Stuck readings: short stretches of one repeated value.
        Trabar(s.Vel, azar, opciones.dias / 10 + 1, 10, 30);
        Trabar(s.Ang, azar, opciones.dias / 10 + 1, 10, 30);
        Trabar(s.PE, azar, opciones.dias / 10 + 1, 10, 30);
        // Gaps: the mast sends -1.
        for (int32_t g = 0; g < opciones.dias / 2 + 1; ++g) {
            const int32_t largo = azar.Entero(1, 36);
            const int32_t inicio = azar.Entero(1, std::max(1, n - largo));
            for (int32_t k = inicio; k <= std::min(n, inicio + largo - 1); ++k) s.Vel.pv[k] = s.Ang.pv[k] = -1;
        }
    }
    return s;
}

void EscribirSeriesSas(const std::string& ruta, const TSeriesSinteticas& s) {
    const TFechaHora inicio = DecodeDateTime(s.inicio);
    TEscritorTexto f = TEscritorTexto::Crear(ruta);
    f.EscribirLinea("VERSION_FORMATO_SERIES 1");
    f.EscribirLinea("9");
    f.EscribirLinea(std::to_string(inicio.anio) + " " + std::to_string(inicio.mes) + " " + std::to_string(inicio.dia) +
                    " " + std::to_string(inicio.hora) + " " + std::to_string(inicio.minuto) + " " +
                    std::to_string(inicio.segundo));
    f.EscribirLinea(FormatoGeneral(s.periodoHoras, 15, '.'));
    f.EscribirLinea(std::to_string(s.Vel.n));
    f.EscribirLinea("144");
    f.EscribirLinea("---------");
    f.EscribirLinea("Vel\tAng\tPE\tTemp\tPre\tHumRel\tCGM\tfDisp\tVarVel");
    const std::array<const TVectR*, 9> columnas = {&s.Vel, &s.Ang, &s.PE,  &s.Temp,  &s.Pre,
                                                   &s.HumRel, &s.CGM, &s.fDisp, &s.VarVel};
    std::string linea;
    for (int32_t k = 1; k <= s.Vel.n; ++k) {
        linea = std::to_string(k);
        for (const TVectR* c : columnas) {
            linea += '\t';
            linea += FormatoGeneral(c->pv[k], 8, '.');
        }
        f.EscribirLinea(linea);
    }
    f.Cerrar();
}

TPlantaSintetica GenerarPlantaSintetica(const TOpcionesPlantaSintetica& opciones) {
    auto parque = CrearParqueSintetico(opciones.nid);
    TPlantaSintetica planta;
    planta.archivoParque = RutaParqueMT(opciones.nid);
    planta.archivoSeries = RutaArchivoEnCarpetaCentral(opciones.nid, "_series10min.sas");
    parque->GuardarEnArchivo(planta.archivoParque);
    const TTablaPotenciaSintetica tabla = TTablaPotenciaSintetica::Create(*parque);
    EscribirSeriesSas(planta.archivoSeries, GenerarSeriesSinteticas(*parque, tabla, opciones));
    return planta;
}
