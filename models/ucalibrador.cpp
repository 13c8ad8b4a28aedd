#include "models/ucalibrador.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "data/ucarpetasmodelos.h"
#include "numerics/archivotexto.h"
#include "numerics/consola.h"
#include "numerics/errores.h"
#include "numerics/textoreal.h"
#include "numerics/uauxiliares.h"

namespace {

constexpr int32_t NivelesDePotencia = 10;
// How far above the previous speed a cell is put when its own speeds would
// break the row's ascent (m/s).
constexpr double PasoMinimoVelocidad = 0.01;

void EscribirConsola(const std::string& linea) {
    EscribirEnConsola(linea + "\n\n");
}

// Level j of the calibration: ((j − 1)·0.9 + 1) / 10 of the authorised power.
double PotenciaDelNivel(int32_t j, double potenciaAutorizada) {
    return ((j - 1) * 0.9 + 1) / 10 * potenciaAutorizada;
}

// A calibration table with its header line.
TEscritorTexto AbrirTablaCalibracion(const std::string& ruta) {
    TEscritorTexto f = TEscritorTexto::Crear(ruta);
    f.Escribir("sector\tvelocidad\n");
    return f;
}

void EscribirFilaCalibracion(TEscritorTexto& f, int32_t sector, const TVectR& valores) {
    std::string linea = "\n" + std::to_string(sector);
    for (int32_t j = 1; j <= valores.n; ++j) {
        linea += '\t';
        linea += FormatoGeneral(valores.pv[j], 15);
    }
    f.Escribir(linea);
}

// n_sectores_dir is the number of sectors of the mast tables: the
// calibrated ones have a row per sector of the empirical model, whatever the
// park had before, and EthaMeteo must read them that way.
void TomarSectoresDeLasTablas(TParque_ModeloTeorico& parque, int32_t sectores) {
    if (parque.n_sectores_dir == sectores) return;
    EscribirConsola("n_sectores_dir del parque pasa de " + std::to_string(parque.n_sectores_dir) + " a " +
                    std::to_string(sectores) + ", los sectores de las tablas calibradas.");
    parque.n_sectores_dir = sectores;
}

}  // namespace

TCeldaCalibracion CeldaCalibracion(bool empiricaValida, double ve, double vt) {
    if (empiricaValida && std::isfinite(ve) && ve > 0 && std::isfinite(vt) && vt > 0) {
        const double razon = ve / vt;
        const double factor = razon * razon * razon;
        if (std::isfinite(factor)) return {factor, ve};
    }
    return {1, std::isfinite(vt) && vt > 0 ? vt : 0};
}

void OrdenarFilaCalibracion(TVectR& factores, TVectR& velocidades, const TVectR& teoricas) {
    for (int32_t j = 2; j <= velocidades.n; ++j) {
        const double anterior = velocidades.pv[j - 1];
        if (velocidades.pv[j] > anterior) continue;
        factores.pv[j] = 1;
        velocidades.pv[j] = teoricas.pv[j] > anterior ? teoricas.pv[j] : anterior + PasoMinimoVelocidad;
    }
}

// ---------------------------------------------------------------- construction

std::unique_ptr<TCalibradorParque> TCalibradorParque::Create(std::unique_ptr<TParque_ModeloTeorico>& parque,
                                                             const std::string& archivoSeries,
                                                             int32_t porcentajeInf, int32_t porcentajeSup,
                                                             bool graficar) {
    if (!parque) throw EErrorQuendal("TCalibradorParque.Create: no hay parque");
    EscribirConsola("CREANDO CALIBRADOR ...");
    std::unique_ptr<TCalibradorParque> calibrador(new TCalibradorParque());
    calibrador->ModeloEmpirico =
        TParque_ModeloEmpirico::Create(*parque, archivoSeries, porcentajeInf, porcentajeSup, graficar);
    calibrador->Parque = std::move(parque);
    EscribirConsola("CALIBRADOR CREADO CON EXITO.");
    return calibrador;
}

TCalibradorParque::~TCalibradorParque() {
    ModeloEmpirico.reset();
    Parque.reset();
}

void TCalibradorParque::LeerBloques(TLectorTexto& f, const TProveedorConexion& proveedor) {
    TFormatosInvariantes invariantes;
    auto parque = TParque_ModeloTeorico::Create_LeerDeTexto(f, proveedor);
    auto empirico = TParque_ModeloEmpirico::Create_LeerDeTexto(f, *parque);
    ModeloEmpirico.reset();
    Parque = std::move(parque);
    ModeloEmpirico = std::move(empirico);
    EscribirConsola("CALIBRADOR CARGADO CON EXITO.");
}

std::unique_ptr<TCalibradorParque> TCalibradorParque::Create_LeerDeTexto(TLectorTexto& f,
                                                                         const TProveedorConexion& proveedor) {
    std::unique_ptr<TCalibradorParque> calibrador(new TCalibradorParque());
    calibrador->LeerBloques(f, proveedor);
    return calibrador;
}

std::unique_ptr<TCalibradorParque> TCalibradorParque::Create_LeerDeArchivo(const std::string& ruta,
                                                                           const TProveedorConexion& proveedor) {
    TFormatosInvariantes invariantes;
    TLectorTexto f = TLectorTexto::Abrir(ruta);
    return Create_LeerDeTexto(f, proveedor);
}

// ---------------------------------------------------------------- file

void TCalibradorParque::GuardarEnTexto(TEscritorTexto& f) const {
    TFormatosInvariantes invariantes;
    Parque->GuardarEnTexto(f);
    ModeloEmpirico->GuardarEnTexto(f);
}

void TCalibradorParque::GuardarEnArchivo(const std::string& ruta) const {
    TFormatosInvariantes invariantes;
    GuardarArchivoAtomico(ruta, [this](TEscritorTexto& f) { GuardarEnTexto(f); });
}

// ---------------------------------------------------------------- calibration

void TCalibradorParque::CalibrarEthaMeteo() {
    TParque_ModeloTeorico& parque = *Parque;
    const TParque_ModeloEmpirico& empirico = *ModeloEmpirico;
    const int32_t sectores = empirico.nSectores();
    TMatR factores(sectores, NivelesDePotencia);
    TMatR velocidades(sectores, NivelesDePotencia);

    const std::string carpeta = CarpetaCentral(parque.nid);
    TEscritorTexto tablaFactores = AbrirTablaCalibracion(carpeta + "/Metha.txt");
    TEscritorTexto tablaVelocidades = AbrirTablaCalibracion(carpeta + "/MdeVel.txt");

    const double anchoSector = 360.0 / sectores;
    TVectR teoricas(NivelesDePotencia);
    for (int32_t i = 1; i <= sectores; ++i) {
        EscribirEnConsola("\rCalculando Sector: " + std::to_string(i) + ".");
        TVectR& filaFactores = factores.Fila(i);
        TVectR& filaVelocidades = velocidades.Fila(i);
        for (int32_t j = 1; j <= NivelesDePotencia; ++j) {
            const double potencia = PotenciaDelNivel(j, parque.potencia_autorizada_mw);
            bool valida = false;
            const double ve = empirico.VientoCurvaSInversa(i, potencia, valida);
            parque.FijarDireccion((i - 1) * anchoSector);
            const double vt = parque.VientoParaPotencia(potencia);
            const TCeldaCalibracion celda = CeldaCalibracion(valida, ve, vt);
            filaFactores.pv[j] = celda.factor;
            filaVelocidades.pv[j] = celda.velocidad;
            teoricas.pv[j] = vt;
        }
        OrdenarFilaCalibracion(filaFactores, filaVelocidades, teoricas);
        EscribirFilaCalibracion(tablaFactores, i, filaFactores);
        EscribirFilaCalibracion(tablaVelocidades, i, filaVelocidades);
    }
    EscribirEnConsola("\n\n");

    parque.meteo_etha = std::move(factores);
    parque.mat_vientos = std::move(velocidades);
    TomarSectoresDeLasTablas(parque, sectores);
    tablaFactores.Cerrar();
    tablaVelocidades.Cerrar();
}
