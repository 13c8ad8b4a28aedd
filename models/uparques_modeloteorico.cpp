#include "models/uparques_modeloteorico.h"

#include <algorithm>
#include <cmath>

#include "data/upgsql.h"
#include "models/uparques_bd.h"
#include "models/uparques_modeloteorico_interno.h"
#include "numerics/archivotexto.h"
#include "numerics/errores.h"
#include "numerics/textoreal.h"
#include "numerics/uauxiliares.h"
#include "numerics/uevaluador.h"

using parque_teorico::MismosBits;

namespace {

constexpr int32_t VersionArchivoParque = 5;
// More turbines than this in a file is a damaged count, not a park.
constexpr int32_t MaximoMolinos = 100000;

TMatR MatrizDeUnos(int32_t filas, int32_t columnas) {
    TMatR m(filas, columnas);
    m.Unos();
    return m;
}

// The metering factor of a block that does not hold it, from the plant's row
// of `centrales` through the provider's connection. A factor that cannot be
// read is not guessed: without a connection, without the plant's row or
// without a value in it the block is refused, at its version line, saying
// which is missing.
double FactorKolmScadaDeBloqueAntiguo(const TLectorTexto& f, int lineaVersion, int32_t version,
                                      const TParque_ModeloTeorico& parque, const TProveedorConexion& proveedor) {
    const auto rechazo = [&](const std::string& porQue) {
        return EInOutError("El parque está guardado en la versión " + std::to_string(version) +
                               ", que no guarda factor_kolm_scada, y " + porQue,
                           f.Nombre(), lineaVersion);
    };
    if (!proveedor.Hay()) throw rechazo("no hay conexión con la base de datos para leerlo de la tabla centrales");
    TPgSqlCon* conexion = nullptr;
    try {
        conexion = &proveedor.Obtener();
    } catch (const std::exception& e) {
        throw rechazo(std::string("no se pudo conectar con la base de datos para leerlo de la tabla centrales: ") +
                      e.what());
    }
    const std::string central = "la central " + std::to_string(parque.nid) + " (" + parque.nombre + ")";
    const std::unique_ptr<TPgSqlRes> fila =
        conexion->sqlexec("SELECT factor_kolm_scada from centrales where nid=" + std::to_string(parque.nid));
    // With the raise flag clear a failed query comes back without rows.
    if (const std::string error = fila->MensajeDeError(); !error.empty())
        throw rechazo("no se pudo leer de la tabla centrales el de " + central + ": " + error);
    if (fila->eof()) throw rechazo(central + " no tiene su fila en la tabla centrales");
    try {
        return FactorKolmScadaDeLaCentral(*fila, parque.nid, parque.nombre);
    } catch (const EErrorQuendal& e) {
        throw rechazo(e.what());
    }
}

}  // namespace

// ---------------------------------------------------------------- plant row

// The one rule that reads a plant's metering factor, for the download and
// for old park blocks. It lives beside the file reader, whose fuzz targets
// link this source without the download's.
double FactorKolmScadaDeLaCentral(TPgSqlRes& filaCentral, int32_t nid, const std::string& nombre) {
    const std::string central = "la central " + std::to_string(nid) + " (" + nombre + ")";
    const TField& celda = filaCentral.fieldByName("factor_kolm_scada");
    if (celda.AsString().empty())
        throw EErrorQuendal("la fila de " + central + " en la tabla centrales no tiene factor_kolm_scada");
    try {
        return celda.AsFloat(0);
    } catch (const EConvertError& e) {
        throw EErrorQuendal("el factor_kolm_scada de " + central + " en la tabla centrales no es un número: " +
                            e.what());
    }
}

// ---------------------------------------------------------------- connection provider

TProveedorConexion::TProveedorConexion(TPgSqlCon* conexion) {
    if (conexion) obtener_ = [conexion]() -> TPgSqlCon& { return *conexion; };
}

// ---------------------------------------------------------------- what the block can hold

namespace {

// A text as a message shows it: its line breaks and tabs made visible.
std::string Visible(std::string_view texto) {
    std::string visible;
    visible.reserve(texto.size());
    for (const char c : texto) {
        if (c == '\n')
            visible += "\\n";
        else if (c == '\r')
            visible += "\\r";
        else if (c == '\t')
            visible += "\\t";
        else
            visible += c;
    }
    return visible;
}

bool TieneSaltoDeLinea(std::string_view texto) { return texto.find_first_of("\r\n") != std::string_view::npos; }

// Whether a real written in the default form reads back on a position line,
// where it is converted as a typed real.
bool SeLeeEnLineaUtm(double x) {
    try {
        CadenaAReal(RealATextoDefecto(x));
        return true;
    } catch (const EErrorQuendal&) {
        return false;
    }
}

std::string DefectoDelMolino(const TMolino& molino) {
    const std::string delMolino = "del molino " + std::to_string(molino.nid);
    const TPosicion& p = molino.posicion;
    // The reader takes the position line apart at the token separators, so a
    // band that is one of them is not read back as the band.
    if (EsSeparadorDePalabra(p.zona))
        return "la zona UTM " + delMolino + " es \"" + Visible(std::string(1, p.zona)) +
               "\", que no se puede leer de vuelta: la línea de su posición se separa en blancos, tabuladores, "
               "saltos de línea, comas y puntos y coma";
    if (!SeLeeEnLineaUtm(p.xe) || !SeLeeEnLineaUtm(p.yn))
        return "la posición UTM " + delMolino + " (" + RealATextoDefecto(p.xe) + ", " + RealATextoDefecto(p.yn) +
               ") no se puede leer de vuelta";
    if (TieneSaltoDeLinea(molino.curva.modelo))
        return "el modelo \"" + Visible(molino.curva.modelo) + "\" de la curva de potencia " + delMolino +
               " tiene un salto de línea, y el archivo lo guarda en una sola línea";
    return {};
}

}  // namespace

std::string NombreDelParqueEnMensajes(const TParque_ModeloTeorico& parque) {
    return "el parque " + std::to_string(parque.nid) + " (" + Visible(parque.nombre) + ")";
}

std::string DefectoDeFormaDeLasTablasDelMastil(const TParque_ModeloTeorico& parque) {
    const TMatR& etha = parque.meteo_etha;
    const TMatR& vientos = parque.mat_vientos;
    if (TablaDelMastilVacia(etha)) return "La tabla meteo_etha está vacía";
    if (vientos.nf != etha.nf || vientos.nc != etha.nc)
        return "La tabla mat_vientos (" + std::to_string(vientos.nf) + " x " + std::to_string(vientos.nc) +
               ") no tiene la forma de meteo_etha (" + std::to_string(etha.nf) + " x " + std::to_string(etha.nc) +
               ")";
    return {};
}

bool TablaDelMastilVacia(const TMatR& tabla) { return tabla.nf < 1 || tabla.nc < 1; }

std::string DefectoDelBloqueDelParque(const TParque_ModeloTeorico& parque) {
    // The block is written and read with the invariant formats, so the check
    // that it reads back runs with them too, whoever calls it and whatever
    // the user's settings: a position is read back with '.' as the reader
    // reads it, not with the user's decimal comma.
    TFormatosInvariantes invariantes;
    if (TieneSaltoDeLinea(parque.nombre))
        return "el nombre \"" + Visible(parque.nombre) +
               "\" tiene un salto de línea, y el archivo guarda el nombre en una sola línea";
    if (parque.molinos.size() > static_cast<std::size_t>(MaximoMolinos))
        return "tiene " + std::to_string(parque.molinos.size()) + " molinos, más de los " +
               std::to_string(MaximoMolinos) + " que su archivo admite";
    for (const auto& molino : parque.molinos)
        if (std::string defecto = DefectoDelMolino(*molino); !defecto.empty()) return defecto;
    if (std::string defecto = DefectoDeFormaDeLasTablasDelMastil(parque); !defecto.empty()) return defecto;
    return DefectoDeSectoresDelMastil(parque);
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
    // The UTM line's reals are typed reals, read with the separator in force:
    // '.' here, as the writer wrote them, whatever the user's settings.
    TFormatosInvariantes invariantes;
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
    } catch (const EConvertError&) {
        // The line as read (its number alone is empty when the line is
        // short), cut where a file that is no text would make it endless.
        constexpr std::size_t kLargoMostrado = 80;
        const std::string leido = lineaDeVersion.size() > kLargoMostrado
                                      ? lineaDeVersion.substr(0, kLargoMostrado) + "..."
                                      : lineaDeVersion;
        throw EConvertError("Se esperaba \"VERSION=\" y un número entero, se leyó \"" + leido + "\" (" +
                            f.Nombre() + ", línea " + std::to_string(lineaVersion) + ")");
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
    if (const std::string defecto = DefectoDeFormaDeLasTablasDelMastil(*this); !defecto.empty())
        throw EInOutError(defecto, f.Nombre(), TablaDelMastilVacia(meteo_etha) ? lineaEtha : lineaVientos);
    if (const std::string defecto = DefectoDeSectoresDelMastil(*this); !defecto.empty())
        throw EInOutError(defecto, f.Nombre(), lineaSectores);
    if (version >= 4)
        factor_kolm_scada = f.LeerRealLinea();
    else
        factor_kolm_scada = FactorKolmScadaDeBloqueAntiguo(f, lineaVersion, version, *this, proveedor);
    nid_central_KOLM = version >= 5 ? f.LeerEnteroLinea() : -1;
}

// A park that its own reader would refuse is not written: the refusal comes
// before the first byte, so the file being saved keeps what it held.
void TParque_ModeloTeorico::GuardarEnTexto(TEscritorTexto& f) const {
    if (const std::string defecto = DefectoDelBloqueDelParque(*this); !defecto.empty()) {
        const std::string donde = f.Nombre().empty() ? std::string() : " en " + f.Nombre();
        throw EInOutError("No se guarda " + NombreDelParqueEnMensajes(*this) + donde + ": " + defecto +
                          ". Su archivo no se podría volver a leer.");
    }
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

