#include "models/uparques_modelocombinado.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "models/uauxdensidad.h"
#include "numerics/archivotexto.h"
#include "numerics/consola.h"
#include "numerics/errores.h"
#include "numerics/uauxiliares.h"
#include "numerics/ucompletarmatriz.h"

namespace {

// A bin's ratio counts with this many samples behind it.
constexpr double MuestrasParaObservar = 10;
// Theoretical powers up to this (MW) give no ratio.
constexpr double PotenciaMinimaObservable = 1;
// Below this fraction of the authorised power the set-point restricts.
constexpr double FraccionSinRestriccion = 0.99;

void EscribirConsola(const std::string& linea) {
    EscribirEnConsola(linea + "\n\n");
}

// x when tope > x, tope otherwise (so a NaN gives the cap).
double Acotar(double tope, double x) { return tope > x ? x : tope; }

// The direction reduced into [0, 360); EMathError when it is not finite.
double DireccionReducida(double dir) {
    VerificarFinito(dir, "TParque_ModeloCombinado.CalcularPotencia (dirección)");
    double d = std::fmod(dir, 360.0);
    if (d < 0) d += 360;
    if (!(d < 360)) d = 0;
    return d;
}

// Factor of one sector's row at the fractional bin index m (a NaN index,
// which no bin holds, takes the first column).
double FactorEnFila(const TVectR& fila, double m) {
    const int32_t tramos = fila.n;
    if (!(m > 1)) return fila.pv[1];
    if (m >= tramos) return fila.pv[tramos];
    const auto k = static_cast<int32_t>(m);
    const double u = m - k;
    return fila.pv[k] * (1 - u) + fila.pv[k + 1] * u;
}

}  // namespace

TMatR CeldasObservadas(const TMatR& observados) {
    TMatR conocidos(observados.nf, observados.nc);
    for (int32_t i = 1; i <= observados.nf; ++i)
        for (int32_t j = 1; j <= observados.nc; ++j) {
            const double ratio = observados.pm[i]->pv[j];
            conocidos.pm[i]->pv[j] = ratio > 0 ? ratio : -1;
        }
    return conocidos;
}

// ---------------------------------------------------------------- construction and file

std::unique_ptr<TParque_ModeloCombinado> TParque_ModeloCombinado::Create(const std::string& archivoCalibrador,
                                                                         const TProveedorConexion& proveedor) {
    EscribirConsola("CREANDO MODELO COMBINADO ...");
    std::unique_ptr<TParque_ModeloCombinado> modelo(new TParque_ModeloCombinado());
    {
        TFormatosInvariantes invariantes;
        TLectorTexto f = TLectorTexto::Abrir(archivoCalibrador);
        modelo->LeerBloques(f, proveedor);
    }
    modelo->CalcularMatrizFactores();
    EscribirConsola("MODELO COMBINADO CREADO CON EXITO.");
    return modelo;
}

std::unique_ptr<TParque_ModeloCombinado> TParque_ModeloCombinado::Create_LeerDeTexto(
    TLectorTexto& f, const TProveedorConexion& proveedor) {
    TFormatosInvariantes invariantes;
    std::unique_ptr<TParque_ModeloCombinado> modelo(new TParque_ModeloCombinado());
    modelo->LeerBloques(f, proveedor);
    modelo->LeerMatrizFactores(f);
    return modelo;
}

std::unique_ptr<TParque_ModeloCombinado> TParque_ModeloCombinado::Create_LeerDeArchivo(
    const std::string& ruta, const TProveedorConexion& proveedor) {
    TFormatosInvariantes invariantes;
    TLectorTexto f = TLectorTexto::Abrir(ruta);
    return Create_LeerDeTexto(f, proveedor);
}

void TParque_ModeloCombinado::LeerMatrizFactores(TLectorTexto& f) {
    while (!f.Eof() && f.Eoln()) f.SaltarLinea();
    if (f.Eof()) {
        MatrizFactores = TMatR();
        return;
    }
    const int lineaMatriz = f.Linea();
    TMatR matriz = TMatR::Create_LeerDeTexto(f);
    const int32_t sectores = ModeloEmpirico->nSectores();
    const int32_t tramos = ModeloEmpirico->nTramos();
    const bool vacia = matriz.nf == 0 && matriz.nc == 0;
    if (!vacia && (matriz.nf != sectores || matriz.nc != tramos))
        throw EInOutError("La matriz de factores es de " + std::to_string(matriz.nf) + " x " +
                              std::to_string(matriz.nc) + " y el modelo empírico tiene " +
                              std::to_string(sectores) + " sectores y " + std::to_string(tramos) + " tramos",
                          f.Nombre(), lineaMatriz);
    MatrizFactores = std::move(matriz);
}

void TParque_ModeloCombinado::GuardarEnArchivo(const std::string& ruta) const {
    TFormatosInvariantes invariantes;
    GuardarArchivoAtomico(ruta, [this](TEscritorTexto& f) {
        GuardarEnTexto(f);
        MatrizFactores.GuardarEnTexto(f);
    });
}

// ---------------------------------------------------------------- factor matrix

void TParque_ModeloCombinado::CalcularMatrizFactores() {
    EscribirConsola("Calculando Matriz de Factores ...");
    const int32_t sectores = ModeloEmpirico->nSectores();
    const int32_t tramos = ModeloEmpirico->nTramos();
    TMatR observados(sectores, tramos);
    MatrizFactores = TMatR(sectores, tramos);
    MatrizFactores.Unos();
    CalcularRatiosObservados(observados);
    CopiarRatiosObservados(observados);
    double cambio = 0;
    int32_t barridos = 0;
    CompletarPorRelajacion(MatrizFactores, CeldasObservadas(observados), cambio, barridos);
    EscribirConsola("Matriz de Factores calculada con exito.");
}

void TParque_ModeloCombinado::CalcularRatiosObservados(TMatR& observados) {
    const TParque_ModeloEmpirico& empirico = *ModeloEmpirico;
    TParque_ModeloTeorico& parque = *Parque;
    for (int32_t i = 1; i <= empirico.nSectores(); ++i) {
        for (int32_t j = 1; j <= empirico.nTramos(); ++j) {
            if (!(empirico.cntTramos.Elemento(i, j) >= MuestrasParaObservar)) continue;
            const double angulo = empirico.AnguloSector(i);
            const double densidad = empirico.mediosTramos.Elemento(j);
            double cuenta = 0;
            const double empirica = empirico.PE_PorTramos(angulo, densidad, cuenta);
            if (cuenta < 0) continue;
            parque.FijarDireccion(angulo);
            const double etha = parque.EthaMeteo(angulo, VientoDePotencia(densidad, DensidadBase));
            const double teorica =
                parque.PotenciaDesdeEstacion(DensidadBase, densidad / etha, parque.potencia_autorizada_mw);
            if (std::fabs(teorica) > PotenciaMinimaObservable)
                observados.FijarElemento(i, j, empirica / teorica);
        }
    }
}

void TParque_ModeloCombinado::CopiarRatiosObservados(const TMatR& observados) {
    for (int32_t i = 1; i <= observados.nf; ++i)
        for (int32_t j = 1; j <= observados.nc; ++j)
            if (observados.pm[i]->pv[j] > 0) MatrizFactores.pm[i]->pv[j] = observados.pm[i]->pv[j];
}

double TParque_ModeloCombinado::RelajarMatrizFactores(const TMatR& observados) {
    TMatR anterior(MatrizFactores.nf, MatrizFactores.nc);
    return BarridoRelajacion(MatrizFactores, CeldasObservadas(observados), anterior);
}

// ---------------------------------------------------------------- power of one sample

double TParque_ModeloCombinado::FactorInterpolado(double dir, double densidadMastil) const {
    if (MatrizFactores.nf < 1 || MatrizFactores.nc < 1) return 1;
    if (MatrizFactores.nf != ModeloEmpirico->nSectores())
        throw EErrorQuendal("La matriz de factores tiene " + std::to_string(MatrizFactores.nf) +
                            " filas y el modelo empírico " + std::to_string(ModeloEmpirico->nSectores()) +
                            " sectores");
    int32_t s1 = 0, s2 = 0;
    double w1 = 0, w2 = 0;
    ModeloEmpirico->SectoresYPesos(s1, s2, w1, w2, dir);
    const double m = ModeloEmpirico->mediosTramos.IndiceInterpolado(densidadMastil);
    return FactorEnFila(MatrizFactores.Fila(s1), m) * w1 + FactorEnFila(MatrizFactores.Fila(s2), m) * w2;
}

void TParque_ModeloCombinado::CalcularPotencia(bool sinMatrizFactores, double& PotConCGM, double& PotSinCGM,
                                               double& PotTeorica, double v, double dir, double densidad,
                                               double tope, bool soloTeorico, bool velLibre) {
    CalcularPotencia(*Parque, sinMatrizFactores, PotConCGM, PotSinCGM, PotTeorica, v, dir, densidad, tope,
                     soloTeorico, velLibre);
}

void TParque_ModeloCombinado::CalcularPotencia(TParque_ModeloTeorico& parque, bool sinMatrizFactores,
                                               double& PotConCGM, double& PotSinCGM, double& PotTeorica, double v,
                                               double dir, double densidad, double tope, bool soloTeorico,
                                               bool velLibre) const {
    const double autorizada = parque.potencia_autorizada_mw;
    const double direccion = DireccionReducida(dir);
    parque.FijarDireccion(direccion);

    double conTope = 0;  // the park's power under the set-point
    double mastil = 0;   // the mast power density that picks the factor
    const double pd = PotenciaDelViento(v, densidad);
    if (velLibre) {
        conTope = parque.PotenciaConVientoLibre(densidad, pd, tope);
        PotTeorica = parque.PotenciaConVientoLibre(densidad, pd, autorizada, mastil);
    } else if (tope >= FraccionSinRestriccion * autorizada) {
        conTope = parque.PotenciaDesdeEstacion(densidad, pd, tope);
        PotTeorica = conTope;
        mastil = pd;
    } else {
        // The free stream that, capped, gives the mast reading; a calm mast
        // has none and leaves 0, which gives 0.
        double libre = 0;
        conTope = parque.PotenciaDesdeEstacion(densidad, pd, tope, libre);
        PotTeorica = parque.PotenciaConVientoLibre(densidad, libre, autorizada, mastil);
    }
    PotTeorica = Acotar(autorizada, PotTeorica);

    if (soloTeorico || sinMatrizFactores) {
        PotConCGM = Acotar(autorizada, conTope);
        PotSinCGM = Acotar(autorizada, PotTeorica);
        return;
    }
    const double factor = FactorInterpolado(direccion, mastil);
    PotConCGM = Acotar(autorizada, factor * conTope);
    PotSinCGM = Acotar(autorizada, factor * PotTeorica);
}
