#include "models/uparques_bd.h"

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "data/upgsql.h"
#include "models/uparques_modeloteorico.h"
#include "numerics/errores.h"
#include "numerics/textoreal.h"
#include "numerics/uauxiliares.h"
#include "numerics/ucoordenadasutm.h"

namespace {

// Shape of the met-mast tables of a new model: 72 direction sectors by 10
// speed levels, every factor 1.
constexpr int32_t SectoresPorDefecto = 72;
constexpr int32_t NivelesPorDefecto = 10;

std::string N(int32_t k) { return std::to_string(k); }

// A real as the statements carry it. A value that is not finite has no SQL
// form: it is refused here rather than sent as a text the server misreads.
std::string R(double x, const std::string& campo) {
    if (!std::isfinite(x)) throw EMathError("No se puede escribir en la base de datos el valor no finito de " + campo);
    return FormatoGeneral(x, 15, '.');
}

TMatR TablaDeUnos() {
    TMatR m(SectoresPorDefecto, NivelesPorDefecto);
    m.Unos();
    return m;
}

// A met-mast table from its column: the matrix string when the text holds
// one, else the table of ones.
TMatR TablaDesdeTexto(const std::string& texto) {
    if (texto.find('|') == std::string::npos) return TablaDeUnos();
    return TMatR::Create_DesdeCadena(texto);
}

// First character of a band column; '?' marks a missing band.
char BandaDesdeTexto(const std::string& texto) { return texto.empty() ? '?' : texto.front(); }

std::string ConsultaEthaMolino(int32_t nidModelo, int32_t nidMolino) {
    return "SELECT etha FROM modelo_teorico_etha_molinos WHERE nid_modelo = " + N(nidModelo) +
           " AND nid_molino = " + N(nidMolino);
}

std::string InsercionEthaMolino(int32_t nidModelo, int32_t nidMolino) {
    return "INSERT INTO modelo_teorico_etha_molinos ( nid_modelo, nid_molino, etha ) VALUES ( " + N(nidModelo) +
           ", " + N(nidMolino) + ", 1 )";
}

// The factor of a factor row, read plainly as the server writes it; a NULL
// factor is no factor and cannot stand in for a calibrated one.
double FactorDeLaFila(const std::string& celda, int32_t nidModelo, int32_t nidMolino) {
    double etha = 0;
    if (celda.empty() || !TextoDefectoAReal(celda, etha))
        throw EConvertError("El factor etha del molino " + N(nidMolino) + " en el modelo teórico " + N(nidModelo) +
                            " no es un valor real válido: \"" + celda + "\"");
    return etha;
}

// Every statement of a park's write-back, built and checked before any is
// sent: the turbines' factors in list order, the model's parameters last.
std::vector<std::string> SentenciasDeActualizacion(const TParque_ModeloTeorico& parque) {
    std::vector<std::string> sentencias;
    sentencias.reserve(parque.molinos.size() + 1);
    for (const auto& molino : parque.molinos) sentencias.push_back(SentenciaActualizarEthaMolino(parque, *molino));
    sentencias.push_back(SentenciaActualizarModeloTeorico(parque));
    return sentencias;
}

// What is wrong with the park's model row in `modelo_teorico`, as the clause
// of a refusal; empty when the number names one row and it is the park's
// plant's. A model number taken from another database, or kept from before
// the model tables were rebuilt, may name another plant's model.
std::string DefectoDeLaFilaDelModelo(TPgSqlCon& conexion, const TParque_ModeloTeorico& parque) {
    const std::unique_ptr<TPgSqlRes> filas =
        conexion.sqlexec("SELECT central FROM modelo_teorico WHERE nid = " + N(parque.nid_modelo));
    if (filas->ntuples() == 0) return "no está en la tabla modelo_teorico de la base de datos";
    if (filas->ntuples() > 1)
        return "está " + N(filas->ntuples()) + " veces en la tabla modelo_teorico de la base de datos";
    const std::string central = filas->getvalue(0, 0);
    if (central.empty()) return "en la tabla modelo_teorico de la base de datos ese modelo no tiene central";
    if (central != N(parque.nid))
        return "en la tabla modelo_teorico de la base de datos ese número es de un modelo de la central " + central +
               ", no de la central " + N(parque.nid);
    return {};
}

// The clause for a turbine whose factor statement did not touch exactly its
// one row.
std::string DefectoDeLaFilaDelMolino(const TParque_ModeloTeorico& parque, const TMolino& molino, int filas) {
    const std::string tabla = " en la tabla modelo_teorico_etha_molinos de la base de datos";
    if (filas == 0) return "el molino " + N(molino.nid) + " no tiene fila del modelo " + N(parque.nid_modelo) + tabla;
    return "el molino " + N(molino.nid) + " tiene " + N(filas) + " filas del modelo " + N(parque.nid_modelo) + tabla +
           ", y debe tener una sola";
}

// Refuses the write-back, inside its transaction so that everything sent is
// rolled back. A model row that is not the park's is named first, since it
// is what makes the turbines' rows go missing too.
[[noreturn]] void RechazarActualizacion(TPgSqlCon& conexion, const TParque_ModeloTeorico& parque,
                                        const std::string& defecto) {
    std::string motivo = DefectoDeLaFilaDelModelo(conexion, parque);
    if (motivo.empty()) motivo = defecto;
    throw EErrorQuendal("No se actualizó el modelo teórico " + N(parque.nid_modelo) + " de la central " +
                        N(parque.nid) + " (" + parque.nombre + "): " + motivo + ".");
}

// Writes the park back in one transaction: every row changes, or none. Each
// statement must touch exactly the one row it names; an update of no row
// would otherwise pass for a stored park (one read from a file may belong to
// a model the database lacks), and one of another plant's row would
// overwrite that plant's model.
void EnviarActualizacion(TPgSqlCon& conexion, const TParque_ModeloTeorico& parque) {
    const std::vector<std::string> sentencias = SentenciasDeActualizacion(parque);
    EjecutarEnTransaccion(conexion, [&] {
        for (std::size_t i = 0; i < parque.molinos.size(); ++i)
            if (const int filas = conexion.sqlexec_afectadas(sentencias[i]); filas != 1)
                RechazarActualizacion(conexion, parque, DefectoDeLaFilaDelMolino(parque, *parque.molinos[i], filas));
        if (const int filas = conexion.sqlexec_afectadas(sentencias.back()); filas != 1)
            RechazarActualizacion(conexion, parque,
                                  "la actualización tocó " + N(filas) + " filas de la tabla modelo_teorico");
    });
}

// The message of a failed write-back, which changed nothing.
std::string SinCambios(std::string mensaje) {
    while (!mensaje.empty() && (mensaje.back() == '\n' || mensaje.back() == ' ')) mensaje.pop_back();
    if (!mensaje.empty() && mensaje.back() != '.') mensaje += '.';
    return mensaje + " No se cambió nada en la base de datos.";
}

// The clause of a refusal, as the first words of a sentence.
std::string ComoOracion(std::string clausula) {
    if (!clausula.empty() && clausula.front() >= 'a' && clausula.front() <= 'z') clausula.front() -= 'a' - 'A';
    return clausula;
}

}  // namespace

// ---------------------------------------------------------------- statements

std::string SentenciaActualizarEthaMolino(const TParque_ModeloTeorico& parque, const TMolino& molino) {
    return "UPDATE modelo_teorico_etha_molinos SET etha = " + R(molino.etha, "etha del molino " + N(molino.nid)) +
           " WHERE nid_modelo = " + N(parque.nid_modelo) + " AND nid_molino = " + N(molino.nid);
}

std::string SentenciaActualizarModeloTeorico(const TParque_ModeloTeorico& p) {
    // Tables that the next download would refuse are not written.
    for (const std::string& defecto : {DefectoDeFormaDeLasTablasDelMastil(p), DefectoDeSectoresDelMastil(p)})
        if (!defecto.empty()) throw EErrorQuendal(defecto + ": no se escriben en la base de datos");
    // The matrix strings take the decimal separator in force: '.' here.
    TFormatosInvariantes invariantes;
    return "UPDATE modelo_teorico SET n_sectores_dir= " + N(p.n_sectores_dir) +
           ", alfa_terreno = " + R(p.alfa_terreno, "alfa_terreno") +
           ", gamma_atmosfera = " + R(p.gamma_atmosfera, "gamma_atmosfera") +
           ", fpv3pe = " + R(p.fpv3pe, "fpv3pe") +
           ", factor_perdidas = " + R(p.factor_perdidas, "factor_perdidas") +
           ", potencia_autorizada_mw =" + R(p.potencia_autorizada_mw, "potencia_autorizada_mw") +
           ", potencia_nominal = " + R(p.potencia_nominal, "potencia_nominal") +
           ", meteo_etha = " + TextoSQL(p.meteo_etha.ACadena()) +
           ", mat_vientos = " + TextoSQL(p.mat_vientos.ACadena()) +
           ", meteo_cota = " + R(p.meteo_cota, "meteo_cota") +
           ", grilla_rotada_dx = " + R(p.grilla_rotada_dx, "grilla_rotada_dx") +
           ", grilla_rotada_dy = " + R(p.grilla_rotada_dy, "grilla_rotada_dy") +
           ", grilla_rotada_margen_dx = " + R(p.grilla_rotada_margen_dx, "grilla_rotada_margen_dx") +
           ", meteo_utm_zona = " + TextoSQL(std::string(1, p.meteo_utm_zona)) +
           ", meteo_utm_huso = " + N(p.meteo_utm_huso) +
           ", meteo_utm_xe = " + R(p.meteo_utm_xe, "meteo_utm_xe") +
           ", meteo_utm_yn = " + R(p.meteo_utm_yn, "meteo_utm_yn") +
           " WHERE nid = " + N(p.nid_modelo) + " AND central = " + N(p.nid);
}

// ---------------------------------------------------------------- turbine

std::unique_ptr<TMolino> TMolino::Create_DesdeBD(TPgSqlCon& conexion, TPgSqlRes& fila) {
    auto molino = std::make_unique<TMolino>();
    molino->nid = fila.fieldByName("nid").AsInteger(0);
    molino->nid_curvaaero = fila.fieldByName("nid_curvaaero").AsInteger(0);
    molino->nidcentral = fila.fieldByName("nidcentral").AsInteger(0);
    molino->nro = fila.fieldByName("nro").AsInteger(0);
    molino->curva = TCurvaAerogen::Create_DesdeBD(conexion, molino->nid_curvaaero);
    molino->etha = fila.fieldByName("etha").AsFloat(0);
    const int32_t huso = fila.fieldByName("huso_utm").AsInteger(0);
    const char zona = BandaDesdeTexto(fila.fieldByName("zona_utm").AsString());
    const double xe = fila.fieldByName("xe").AsFloat(0);
    const double yn = fila.fieldByName("yn").AsFloat(0);
    molino->posicion = TPosicion::Create_UTM(huso, zona, xe, yn);
    return molino;
}

// ---------------------------------------------------------------- park

std::unique_ptr<TParque_ModeloTeorico> TParque_ModeloTeorico::Create_DesdeBD(TPgSqlCon& conexion,
                                                                             TPgSqlRes& filaCentral) {
    TFormatosInvariantes invariantes;
    // Without the plant's row every cell reads empty, and a model for plant 0
    // would be created and written.
    if (filaCentral.eof())
        throw EErrorQuendal("No se encontró la central en la tabla centrales: no se puede armar su modelo teórico");
    auto parque = std::make_unique<TParque_ModeloTeorico>();
    parque->curvaParque.reset();
    bool modeloNuevo = false;
    bool reparado = false;
    parque->nid = filaCentral.fieldByName("nid").AsInteger(0);
    parque->nombre = filaCentral.fieldByName("centralgeneradora").AsString();
    // Read before anything is written: a plant without its factor gets no
    // new model, and no park file with a factor of 0.
    try {
        parque->factor_kolm_scada = FactorKolmScadaDeLaCentral(filaCentral, parque->nid, parque->nombre);
    } catch (const EErrorQuendal& e) {
        throw EErrorQuendal(ComoOracion(e.what()) + ": no se puede armar su modelo teórico");
    }

    {
        const std::unique_ptr<TPgSqlRes> modelo = conexion.sqlexec(
            "SELECT * FROM modelo_teorico WHERE central = " + N(parque->nid) + " ORDER BY dt_creacion DESC LIMIT 1");
        modeloNuevo = modelo->eof();
        if (modeloNuevo)
            parque->TomarValoresDeModeloNuevo(filaCentral);
        else
            parque->LeerModeloExistente(*modelo);
    }
    if (!modeloNuevo && parque->potencia_autorizada_mw == 0) {
        parque->TomarValoresDeModeloNuevo(filaCentral);
        reparado = true;
    }
    if (const std::string defecto = DefectoDeSectoresDelMastil(*parque); !defecto.empty())
        throw EErrorQuendal(defecto + " (modelo teórico " + N(parque->nid_modelo) + " de la central " +
                            N(parque->nid) + ")");
    // The mast is placed before anything is written, so that a plant whose
    // mast cannot be placed leaves no new model behind.
    if (parque->meteo_utm_zona == '?' || parque->meteo_utm_huso == 0) {
        parque->UbicarMastilDesdeLatitudLongitud(filaCentral);
        reparado = true;
    }
    // The turbines and their curves are read before anything is written too,
    // and a park that its file could not hold (a name or a band that breaks
    // its lines) is refused here rather than stored and written.
    parque->LeerMolinosDesdeBD(conexion);
    if (const std::string defecto = DefectoDelBloqueDelParque(*parque); !defecto.empty())
        throw EErrorQuendal("La central " + N(parque->nid) + ": " + defecto + ": no se puede armar su modelo teórico");
    if (modeloNuevo) {
        parque->nid_modelo = conexion.nextval("modelo_teorico", "nid", false);
        conexion.sqlexec_ntuples("INSERT INTO modelo_teorico (nid, central, dt_creacion, dt_actualizacion )  VALUES ( " +
                                 N(parque->nid_modelo) + ", " + N(parque->nid) + ", now(), now() )");
    }

    if (parque->LeerEthasDelModelo(conexion, modeloNuevo)) reparado = true;
    parque->nid_central_KOLM = filaCentral.fieldByName("nid_central_KOLM").AsInteger(0);
    for (auto& molino : parque->molinos) {
        TPosicion& p = molino->posicion;
        p.x = p.xe - parque->meteo_utm_xe;
        p.y = p.yn - parque->meteo_utm_yn;
    }

    if (modeloNuevo || reparado) EnviarActualizacion(conexion, *parque);
    parque->Preparar();
    return parque;
}

// The defaults of a new model, with the authorised power and the mast taken
// from the plant's row.
void TParque_ModeloTeorico::TomarValoresDeModeloNuevo(TPgSqlRes& filaCentral) {
    n_sectores_dir = SectoresPorDefecto;
    alfa_terreno = 0.5;
    gamma_atmosfera = 0.4;
    fpv3pe = 1.8;
    factor_perdidas = 0.035;
    potencia_autorizada_mw = filaCentral.fieldByName("potencia_autorizada_mw").AsFloat(0);
    potencia_nominal = potencia_autorizada_mw;
    grilla_rotada_dx = 9;
    grilla_rotada_dy = 1;
    grilla_rotada_margen_dx = 1000;
    meteo_utm_zona = BandaDesdeTexto(filaCentral.fieldByName("meteo_utm_zona").AsString());
    meteo_utm_huso = filaCentral.fieldByName("meteo_utm_huso").AsInteger(0);
    meteo_utm_xe = filaCentral.fieldByName("Meteo_UTM_xe").AsFloat(0);
    meteo_utm_yn = filaCentral.fieldByName("meteo_utm_yn").AsFloat(0);
    meteo_cota = filaCentral.fieldByName("meteo_cota").AsFloat(0);
    meteo_etha = TablaDeUnos();
    mat_vientos = TablaDeUnos();
}

void TParque_ModeloTeorico::LeerModeloExistente(TPgSqlRes& modelo) {
    nid_modelo = modelo.fieldByName("nid").AsInteger(0);
    // A model without a sector count has the standard 72 sectors.
    n_sectores_dir = modelo.fieldByName("n_sectores_dir").AsInteger(SectoresPorDefecto);
    alfa_terreno = modelo.fieldByName("alfa_terreno").AsFloat(0);
    gamma_atmosfera = modelo.fieldByName("gamma_atmosfera").AsFloat(0);
    fpv3pe = modelo.fieldByName("fpv3pe").AsFloat(0);
    factor_perdidas = modelo.fieldByName("factor_perdidas").AsFloat(0);
    potencia_autorizada_mw = modelo.fieldByName("potencia_autorizada_mw").AsFloat(0);
    potencia_nominal = modelo.fieldByName("potencia_nominal").AsFloat(0);
    grilla_rotada_dx = modelo.fieldByName("grilla_rotada_dx").AsFloat(0);
    grilla_rotada_dy = modelo.fieldByName("grilla_rotada_dy").AsFloat(0);
    if (grilla_rotada_dx < 0.1 || grilla_rotada_dy < 0.1) {
        grilla_rotada_dx = 9;
        grilla_rotada_dy = 1;
    }
    grilla_rotada_margen_dx = modelo.fieldByName("grilla_rotada_margen_dx").AsFloat(0);
    meteo_utm_zona = BandaDesdeTexto(modelo.fieldByName("meteo_utm_zona").AsString());
    meteo_utm_huso = modelo.fieldByName("meteo_utm_huso").AsInteger(0);
    meteo_utm_xe = modelo.fieldByName("meteo_utm_xe").AsFloat(0);
    meteo_utm_yn = modelo.fieldByName("meteo_utm_yn").AsFloat(0);
    meteo_cota = modelo.fieldByName("meteo_cota").AsFloat(0);
    meteo_etha = TablaDesdeTexto(modelo.fieldByName("meteo_etha").AsString());
    mat_vientos = TablaDesdeTexto(modelo.fieldByName("mat_vientos").AsString());
    if (const std::string defecto = DefectoDeFormaDeLasTablasDelMastil(*this); !defecto.empty())
        throw EErrorQuendal(defecto + " (modelo teórico " + N(nid_modelo) + " de la central " + N(nid) + ")");
}

// The mast's UTM position from the plant's latitude and longitude on WGS-84.
// Empty cells are no position: converting them as (0, 0) would put the mast
// in the Gulf of Guinea and every turbine thousands of kilometres from it.
void TParque_ModeloTeorico::UbicarMastilDesdeLatitudLongitud(TPgSqlRes& filaCentral) {
    const TField& celdaLatitud = filaCentral.fieldByName("latitud");
    const TField& celdaLongitud = filaCentral.fieldByName("longitud");
    if (celdaLatitud.AsString().empty() || celdaLongitud.AsString().empty())
        throw EErrorQuendal("La central " + N(nid) + " (" + nombre +
                            ") no tiene la posición UTM de su torre meteorológica ni su latitud y longitud");
    const double latitud = celdaLatitud.AsFloat(0);
    const double longitud = celdaLongitud.AsFloat(0);
    int huso = meteo_utm_huso;
    LatLonAUTM(meteo_utm_xe, meteo_utm_yn, meteo_utm_zona, huso, ElipsoideWGS84, latitud, longitud);
    meteo_utm_huso = huso;
}

void TParque_ModeloTeorico::LeerMolinosDesdeBD(TPgSqlCon& conexion) {
    const int32_t cantidad = conexion.sqlquery_int("SELECT count(*) FROM molinos WHERE nidcentral=" + N(nid), -1);
    if (cantidad < 0)
        throw EErrorQuendal("No se pudo leer la cantidad de molinos de la central " + N(nid) + " (" + nombre + ")");
    const std::unique_ptr<TPgSqlRes> filas = conexion.sqlexec("SELECT * FROM molinos WHERE nidcentral=" + N(nid));
    molinos.clear();
    for (int32_t i = 0; i < cantidad; ++i) {
        if (filas->eof())
            throw EErrorQuendal("La central " + N(nid) + " tiene " + N(cantidad) + " molinos, pero solo se leyeron " +
                                N(i));
        molinos.push_back(TMolino::Create_DesdeBD(conexion, *filas));
        filas->next();
    }
    nMolinos = cantidad;
}

// Each turbine's factor in this model replaces the one read from `molinos`.
// A turbine without a factor row gets one with factor 1. When a turbine has
// several rows the first one counts and nothing is inserted, so that its
// calibrated factor is kept; a write-back then refuses that turbine rather
// than give every row the first one's factor. Returns whether a stored factor had to be
// repaired (one of -1 or less, which marks no factor).
bool TParque_ModeloTeorico::LeerEthasDelModelo(TPgSqlCon& conexion, bool modeloNuevo) {
    if (modeloNuevo)
        for (const auto& molino : molinos) conexion.sqlexec_ntuples(InsercionEthaMolino(nid_modelo, molino->nid));
    bool reparado = false;
    for (auto& molino : molinos) {
        const std::unique_ptr<TPgSqlRes> filas = conexion.sqlexec(ConsultaEthaMolino(nid_modelo, molino->nid));
        if (filas->eof()) {
            conexion.sqlexec_ntuples(InsercionEthaMolino(nid_modelo, molino->nid));
            molino->etha = 1;
            continue;
        }
        molino->etha = FactorDeLaFila(filas->getvalue(0, 0), nid_modelo, molino->nid);
        if (molino->etha <= -1) {
            molino->etha = 1;
            reparado = true;
        }
    }
    return reparado;
}

// All or nothing: a failure leaves every row as it was, and says so. A
// commit whose answer was lost says instead that the outcome is unknown.
void TParque_ModeloTeorico::ActualizarBD(TPgSqlCon& conexion) const {
    try {
        EnviarActualizacion(conexion, *this);
    } catch (const ETransaccionIncierta&) {
        throw;
    } catch (const EMathError& e) {
        throw EMathError(SinCambios(e.what()));
    } catch (const EErrorQuendal& e) {
        throw EErrorQuendal(SinCambios(e.what()));
    }
}
