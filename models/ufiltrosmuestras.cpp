#include "models/ufiltrosmuestras.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <string>

#include "models/uauxdensidad.h"
#include "models/uparques_modeloteorico.h"
#include "numerics/consola.h"
#include "numerics/textoreal.h"

namespace {

// Fixed thresholds of the rules.
constexpr double VelocidadMaxima = 80;      // m/s
constexpr double PotenciaMinima = -5;       // MW
constexpr double FactorPotenciaMaxima = 1.2;
constexpr double DisponibilidadMinima = 0.8;
constexpr double DisponibilidadMaxima = 1.02;
constexpr double FactorSobreAutorizada = 1.05;
constexpr double CercaniaConsigna = 4;      // MW
constexpr double FactorRestriccion = 0.99;
constexpr double DensidadDeRespaldo = 1.18;  // kg/m³

bool EsHueco(double vel, double ang, double pe, double cgm, double potenciaAutorizada) {
    if (std::isnan(vel) || std::isnan(ang) || std::isnan(pe) || std::isnan(cgm)) return true;
    return vel < 0 || vel > VelocidadMaxima || ang < 0 || pe < PotenciaMinima ||
           pe > FactorPotenciaMaxima * potenciaAutorizada || cgm < 0;
}

double DensidadDeMuestra(double temperatura, double presion, double humedad) {
    const double densidad = DensidadAire(temperatura, presion, humedad);
    return std::isnan(densidad) ? DensidadDeRespaldo : densidad;
}

bool DisponibilidadFueraDeRango(double disponibilidad) {
    return !(disponibilidad >= DisponibilidadMinima && disponibilidad <= DisponibilidadMaxima);
}

void EscribirConsola(const std::string& linea) {
    EscribirEnConsola(linea + "\n\n");
}

}  // namespace

void ReiniciarMarcas(TDAOfBoolean& marcas, int32_t n) { marcas.assign(static_cast<std::size_t>(n) + 1, 0); }

int32_t ContarMarcas(const TDAOfBoolean& marcas) {
    int32_t cantidad = 0;
    for (std::size_t k = 1; k < marcas.size(); ++k) cantidad += marcas[k] ? 1 : 0;
    return cantidad;
}

std::string LineaDeFiltro(const std::string& etiqueta, int32_t cantidad, int32_t total) {
    const double porcentaje = total > 0 ? 100.0 * cantidad / total : 0.0;
    return etiqueta + std::to_string(cantidad) + " (" + FormatoGeneral(porcentaje, 3) +
           "% del total de muestras).";
}

void InformarFiltro(const std::string& etiqueta, int32_t cantidad, int32_t total) {
    EscribirConsola(LineaDeFiltro(etiqueta, cantidad, total));
}

int32_t FiltrarRepetidos(TDAOfBoolean& filtros, const TVectR& serie, int32_t m, const TDAOfBoolean& mascara) {
    const int32_t n = serie.n;
    int32_t i = 1;
    while (i <= n && mascara[i]) ++i;
    if (i > n) return 0;
    double referencia = serie.pv[i];
    int32_t inicio = i;
    int32_t repeticiones = 0;
    int32_t total = 0;
    for (int32_t j = i + 1; j <= n; ++j) {
        if (mascara[j] || serie.pv[j] != referencia) {
            if (repeticiones >= m) total += repeticiones;
            referencia = serie.pv[j];
            inicio = j;
            repeticiones = 0;
        } else {
            ++repeticiones;
            if (repeticiones >= m) {
                for (int32_t k = inicio; k <= j - 1; ++k) filtros[k] = 1;
                inicio = j;
            }
        }
    }
    if (repeticiones >= m) total += repeticiones;
    return total;
}

void FiltrarLecturasRepetidas(TDAOfBoolean& Filt_Coherencia, std::initializer_list<TLecturaVigilada> lecturas,
                              const TVectR& potenciaLeida, const TVectR& potencia, const TVectR& CGM,
                              double cercaniaConsigna, const TDAOfBoolean& Filt_Huecos) {
    const int32_t n = static_cast<int32_t>(Filt_Huecos.size()) - 1;  // one flag per sample
    const auto escanear = [&](const std::string& nombre, const TVectR& serie, const TDAOfBoolean& mascara) {
        InformarFiltro("Muestras filtradas por " + nombre + " repetida: ",
                       FiltrarRepetidos(Filt_Coherencia, serie, MinimoRepeticiones, mascara), n);
    };
    for (const TLecturaVigilada& lectura : lecturas) escanear(lectura.nombre, lectura.serie, Filt_Huecos);
    TDAOfBoolean cercaDeConsigna;
    ReiniciarMarcas(cercaDeConsigna, n);
    for (int32_t k = 1; k <= n; ++k)
        cercaDeConsigna[k] =
            (Filt_Huecos[k] || std::fabs(potencia.pv[k] - CGM.pv[k]) < cercaniaConsigna) ? 1 : 0;
    escanear("Potencia", potenciaLeida, cercaDeConsigna);
}

void FiltrarPorConsigna(TDAOfBoolean& Filt_CGM, const TVectR& CGM, double potenciaAutorizada,
                        const TDAOfBoolean& Filt_Huecos) {
    const int32_t n = static_cast<int32_t>(Filt_Huecos.size()) - 1;
    int32_t restringidas = 0;
    for (int32_t k = 1; k <= n; ++k) {
        if (Filt_Huecos[k] || !(CGM.pv[k] < FactorRestriccion * potenciaAutorizada)) continue;
        Filt_CGM[k] = 1;
        ++restringidas;
    }
    InformarFiltro("Muestras filtradas por CGM < 0.99 P_ Autorizada: ", restringidas, n);
}

void NormalizarDisponibilidad(TVectR& fDisp, const TParque_ModeloTeorico& parque, const TDAOfBoolean& mascara) {
    bool hayMaximo = false;
    double maximo = 0;
    for (int32_t k = 1; k <= fDisp.n; ++k) {
        if (!mascara.empty() && mascara[k]) continue;
        const double x = fDisp.pv[k];
        if (std::isnan(x)) continue;
        if (!hayMaximo || x > maximo) maximo = x;
        hayMaximo = true;
    }
    if (!hayMaximo) return;
    const double maquinas = static_cast<double>(parque.molinos.size());
    if (!(std::fabs(maximo - 1) > std::fabs(maximo - maquinas))) return;
    double divisor;
    const char* texto;
    if (maximo > maquinas) {
        divisor = 100;
        texto = ". Asumo que la disponibilidad esta como porcentaje.";
    } else {
        divisor = maquinas;
        texto = ". Asumo que la disponibilidad esta en cantidad de maquinas.";
    }
    EscribirConsola("¡ATENCION! Disponibilidad maxima informada = " + FormatoGeneral(divisor, 15) + texto);
    const double factor = 1.0 / divisor;
    for (int32_t k = 1; k <= fDisp.n; ++k) fDisp.pv[k] *= factor;
}

TDAofNReal SeleccionarMuestras(const std::vector<const TDAOfBoolean*>& filtros, const TVectR& serie,
                               bool seleccionados, const TDAOfBoolean& mascara) {
    TDAofNReal valores;
    for (int32_t k = 1; k <= serie.n; ++k) {
        if (!mascara.empty() && mascara[k]) continue;
        bool marcada = false;
        for (const TDAOfBoolean* filtro : filtros)
            if ((*filtro)[k]) {
                marcada = true;
                break;
            }
        if (marcada == seleccionados) valores.push_back(serie.pv[k]);
    }
    return valores;
}

void FiltrarMuestras(const TParque_ModeloTeorico& parque, TVectR& PE, TVectR& Vel, const TVectR& HumRel,
                     const TVectR& Ang, const TVectR& Temp, const TVectR& Pre, const TVectR& CGM,
                     const TVectR& /*VarVel*/, TVectR& fDisp, TDAOfBoolean& Filt_Coherencia, TDAOfBoolean& Filt_CGM,
                     TDAOfBoolean& Filt_Huecos, TDAOfBoolean& Filtro_Distancia,
                     TDAOfBoolean& Filt_Disponibilidad, bool corregirPotencia, bool corregirVelocidad) {
    const int32_t n = Vel.n;
    for (const TVectR* serie : std::initializer_list<const TVectR*>{&PE, &HumRel, &Ang, &Temp, &Pre, &CGM, &fDisp})
        serie->ExigirElementos(n, "FiltrarMuestras");
    // The run scans of speed and power look at the values as read.
    const TVectR velocidadLeida = Vel.Clonar();
    const TVectR potenciaLeida = PE.Clonar();
    const double Paut = parque.potencia_autorizada_mw;

    for (TDAOfBoolean* filtros : {&Filt_Huecos, &Filt_Disponibilidad, &Filt_Coherencia, &Filt_CGM, &Filtro_Distancia})
        ReiniciarMarcas(*filtros, n);

    // Pass 1: gaps.
    for (int32_t k = 1; k <= n; ++k)
        Filt_Huecos[k] = EsHueco(Vel.pv[k], Ang.pv[k], PE.pv[k], CGM.pv[k], Paut) ? 1 : 0;
    InformarFiltro("Muestras filtradas por Huecos: ", ContarMarcas(Filt_Huecos), n);

    NormalizarDisponibilidad(fDisp, parque, Filt_Huecos);

    // Pass 2: availability and authorised power, with the corrections.
    const bool corregir = corregirPotencia && corregirVelocidad;
    for (int32_t k = 1; k <= n; ++k) {
        if (Filt_Huecos[k]) continue;
        const double densidad = DensidadDeMuestra(Temp.pv[k], Pre.pv[k], HumRel.pv[k]);
        const double relacion = densidad / DensidadBase;
        const double disponibilidad = fDisp.pv[k];
        const double factor = relacion * disponibilidad;
        if (DisponibilidadFueraDeRango(disponibilidad) || PE.pv[k] > FactorSobreAutorizada * Paut ||
            PE.pv[k] / factor > FactorSobreAutorizada * Paut) {
            Filt_Disponibilidad[k] = 1;
        } else if (corregir) {
            PE.pv[k] = PE.pv[k] / factor;
            Vel.pv[k] = Vel.pv[k] * std::pow(relacion, 1.0 / 3.0);
        }
    }
    InformarFiltro("Muestras filtradas por Disponibilidad o por umbral de Potencia Autorizada: ",
                   ContarMarcas(Filt_Disponibilidad), n);

    // Passes 3 to 5: runs of repeated speed, direction and power as read;
    // the corrected power is the one compared with the set-point.
    FiltrarLecturasRepetidas(Filt_Coherencia, {{"Velocidad", velocidadLeida}, {"Direccion", Ang}}, potenciaLeida, PE,
                             CGM, CercaniaConsigna, Filt_Huecos);

    // Pass 6: set-point restriction.
    FiltrarPorConsigna(Filt_CGM, CGM, Paut, Filt_Huecos);
}
