// The restriction runs of a wind farm and of a solar plant, and their
// tables: the hourly energy, the day by hour table clipped by the metered
// energy that the metering service gives, and the ten-minute table.
#include "restrictions/ucalcrestriccionesoperativas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <istream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "data/ucarpetasmodelos.h"
#include "data/unidades.h"
#include "data/upgsql.h"
#include "data/utsdbTypes.h"
#include "models/uGranjaSolar.h"
#include "models/uauxdensidad.h"
#include "models/uparques_modelocombinado.h"
#include "numerics/archivotexto.h"
#include "numerics/consola.h"
#include "numerics/errores.h"
#include "numerics/textoreal.h"
#include "numerics/uhilos.h"
#include "restrictions/ucalcrestriccionesoperativas_interno.h"

using namespace restricciones_interno;

// ------------------------------------------------------------ result tables

namespace {

constexpr double UnSegundo = 1.0 / 86400;
constexpr int32_t HorasPorDia = 24;
constexpr int32_t MuestrasPorDia = 144;

// The nearest multiple of 0.001, halves going to the even multiple.
double AMilesimos(double x) { return std::nearbyint(x * 1000) / 1000; }

// Row and column (1-based) of an hourly label in the day table whose first
// hour is `origen`, or false when it falls outside the table's D days.
bool CeldaDeHora(TDateTime etiqueta, TDateTime origen, int32_t dias, int32_t& dia, int32_t& hora) {
    const double horas = std::nearbyint((etiqueta - origen) * HorasPorDia);
    if (!(horas >= 0 && horas < static_cast<double>(dias) * HorasPorDia)) return false;
    const int32_t h = static_cast<int32_t>(horas);
    dia = h / HorasPorDia + 1;
    hora = h % HorasPorDia + 1;
    return true;
}

}  // namespace

TDateTime InicioDeHora(TDateTime t) {
    const TDateTime dia = std::trunc(t);
    return FechaDeMuestra(dia, UnaHora, MuestraDeFecha(dia, UnaHora, t));
}

int32_t DiasDeLaTabla(TDateTime fechaIni, TDateTime fechaFin) {
    return std::max(0, MuestraDeFecha(InicioDeHora(fechaIni), 1.0, fechaFin));
}

void EscribirENSHoraria(const std::string& archivo, const TDAofRecsEnergiaPorFecha& horas, double factorKOLM) {
    TEscritorTexto f = TEscritorTexto::Crear(RutaLocal(archivo));
    f.EscribirLinea(
        "Fecha\t Energía no suministrada SCADA [MWh]\t Factor KOLM/SCADA [p.u] \t Energía no suministrada KOLM "
        "[MWh]");
    double total = 0;
    for (const TRecEnergiaPorFecha& hora : horas) {
        f.EscribirLinea(RealATextoDefecto(hora.fecha) + Tab(hora.ENS) + Tab(factorKOLM) +
                        Tab(hora.ENS * factorKOLM));
        if (hora.ENS >= 0) total += hora.ENS;  // a missing hour counts in no total
    }
    f.EscribirLinea("E[MWh] totales" + Tab(total) + "\t" + Tab(total * factorKOLM));
    f.Cerrar();
}

double EscribirMatrizRO_DTE(const std::string& archivo, const TDAofRecsEnergiaPorFecha& horas, double factorKOLM,
                            TDateTime fechaIni, TDateTime fechaFin, double potenciaAutorizada,
                            const TVectR* medidasHorarias) {
    const TDateTime origen = InicioDeHora(fechaIni);
    const int32_t dias = DiasDeLaTabla(fechaIni, fechaFin);
    const double Pa = potenciaAutorizada;
    TMatR celdas(dias, HorasPorDia);
    double recorte = 0;
    for (const TRecEnergiaPorFecha& registro : horas) {
        int32_t d = 0, hr = 0;
        if (!CeldaDeHora(registro.fecha, origen, dias, d, hr)) continue;
        const double E = registro.ENS;
        double celda = 0;
        if (E > 0) {
            const double A = std::min(E * factorKOLM, Pa);  // at most what Pa gives in an hour
            const int32_t indice = (d - 1) * HorasPorDia + hr;
            const double k = medidasHorarias && indice <= medidasHorarias->n ? medidasHorarias->pv[indice] : 0;
            celda = AMilesimos(PositivoEnSimple(std::min(A, Pa - k)));  // the headroom k left
            recorte += celda - A;
        } else if (E != 0) {
            celda = ValorFaltanteEnergia;
        }
        celdas.FijarElemento(d, hr, celda);
    }

    TEscritorTexto f = TEscritorTexto::Crear(RutaLocal(archivo));
    std::string encabezado = "Fecha\tTotal";
    for (int32_t hr = 1; hr <= HorasPorDia; ++hr) encabezado += "\t" + std::to_string(hr);
    f.EscribirLinea(encabezado);
    double sumaDias = 0;
    for (int32_t d = 1; d <= dias; ++d) {
        const TVectR& fila = celdas.Fila(d);
        double totalDia = 0;
        std::string celdasTexto;
        for (int32_t hr = 1; hr <= HorasPorDia; ++hr) {
            if (fila.pv[hr] > 0) totalDia += fila.pv[hr];
            celdasTexto += Tab(fila.pv[hr]);
            EscribirLineaEnConsola(std::to_string(d) + " - " + std::to_string(hr) + " = " +
                                   FormatoGeneral(fila.pv[hr], 15));
        }
        sumaDias += totalDia;
        f.EscribirLinea(FormatDateTime("dd-mm-yyyy", origen + (d - 1)) + Tab(totalDia) + celdasTexto);
    }
    f.Cerrar();
    const double porcentaje = sumaDias > 0 ? recorte * 100 / sumaDias : 0;
    EscribirLineaEnConsola("Recorte acum = " + FormatoGeneral(recorte, 15) + " MWh (" +
                           FormatoGeneral(porcentaje, 15) + " %)");
    return recorte;
}

void EscribirTablaRO_DTE(const TDAofRecsEnergiaPorFecha& registros, TDateTime fechaIni, TDateTime fechaFin,
                         const std::string& archivo, const std::string& tituloMeteo1,
                         const std::string& tituloMeteo2) {
    const int32_t filas = std::max(0, MuestraDeFecha(fechaIni, 1.0, fechaFin)) * MuestrasPorDia;
    TMatR tabla(filas, 6);
    for (const TRecEnergiaPorFecha& r : registros) {
        const double posicion = (r.fecha - fechaIni + UnSegundo) * MuestrasPorDia;
        if (!(posicion >= 0 && posicion < filas)) continue;
        const int32_t fila = static_cast<int32_t>(posicion) + 1;
        const double valores[] = {r.ENS, r.Meteo1, r.Meteo2, r.PotModelo, r.PotDato, r.CGM};
        for (int32_t c = 1; c <= 6; ++c) tabla.FijarElemento(fila, c, valores[c - 1]);
    }

    TEscritorTexto f = TEscritorTexto::Crear(RutaLocal(archivo));
    f.EscribirLinea("Fecha\tENS_MWh\t" + tituloMeteo1 + "\t" + tituloMeteo2 + "\tPotModelo\tPotDato\tCGM");
    for (int32_t j = 1; j <= filas; ++j) {
        std::string linea = FormatDateTime("dd-mm-yyyy hh:mm", FechaDeMuestra(fechaIni, DiezMinutos, j));
        for (int32_t c = 1; c <= 6; ++c) linea += Tab(tabla.Elemento(j, c));
        f.EscribirLinea(linea);
    }
    f.Cerrar();
}

// ------------------------------------------------------------ metered energy

std::string ConsultaVentanaHoraria(int32_t nidKOLM, TDateTime fechaIni, TDateTime fechaFinConsulta) {
    return "/cgi-bin/IntranetApp/ventanaEAS_Horaria?central=" + std::to_string(nidKOLM) +
           "&dtIni=" + FechaCompacta(fechaIni) + "&dtFin=" + FechaCompacta(fechaFinConsulta);
}

namespace {

// The window's slot of hour j (from 1) of the period whose first hour is
// `origen`, or false when the window has no slot for it.
bool SlotDeHora(const TVentanaKOLM_& ventana, TDateTime origen, int32_t j, int32_t& indice) {
    return ventana.timeToIndex(FechaDeMuestra(origen, UnaHora, j), indice) && indice >= 0 &&
           indice < ventana.count();
}

}  // namespace

TVectR MedidasHorariasDelPeriodo(const TVentanaKOLM_& ventana, TDateTime fechaIni, int32_t nHoras) {
    const TDateTime origen = InicioDeHora(fechaIni);
    TVectR medidas(std::max(0, nHoras));
    for (int32_t j = 1; j <= medidas.n; ++j) {
        int32_t indice = -1;
        medidas.pv[j] = SlotDeHora(ventana, origen, j, indice) ? ventana.Registro(indice).valor : ValorVacioKOLM;
    }
    return medidas;
}

namespace {

const char* const SinRecorte = ": la tabla diaria no se recorta por la energía medida.";

// The service's base address without a trailing '/', or empty when unset.
std::string DireccionServicioMedicion() {
    const char* valor = std::getenv(VariableServicioMedicion);
    std::string base = valor ? valor : "";
    while (!base.empty() && base.back() == '/') base.pop_back();
    return base;
}

// A date-time of the window for a message; the sender's start may be no
// date at all.
std::string FechaDeVentana(TDateTime t) {
    try {
        return FechaHoraMinuto(t);
    } catch (const EConvertError&) {
        return FormatoGeneral(t, 15);
    }
}

bool TieneHoraDelPeriodo(const TVentanaKOLM_& ventana, TDateTime origen, int32_t nHoras) {
    for (int32_t j = 1; j <= nHoras; ++j) {
        int32_t indice = -1;
        if (SlotDeHora(ventana, origen, j, indice)) return true;
    }
    return false;
}

std::size_t BytesSinLeer(std::istream& flujo) {
    const std::streampos leidos = flujo.tellg();
    flujo.seekg(0, std::ios::end);
    return static_cast<std::size_t>(flujo.tellg() - leidos);
}

// What makes the window received unfit to clip the day table of `nHoras`
// hours from fechaIni, or empty when nothing does: its values become the
// metered energy of each hour, so none of them is taken on trust.
std::string DefectoDeVentana(const TVentanaKOLMHoraria& ventana, std::size_t bytesTrasLosRegistros,
                             int32_t nidKOLM, TDateTime fechaIni, int32_t nHoras) {
    const std::size_t bytes = ventana.data.size();
    if (bytes % TRecMedidaKOLM::Tamano != 0)
        return "trae " + std::to_string(bytes) + " bytes de registros, que no son un número entero de registros de " +
               std::to_string(TRecMedidaKOLM::Tamano) + " bytes";
    if (bytesTrasLosRegistros > 0)
        return "la respuesta trae " + std::to_string(bytesTrasLosRegistros) +
               " bytes después de los registros de la ventana";
    if (ventana.id != nidKOLM)
        return "es de la central de medición " + std::to_string(ventana.id) + " y se pidió la " +
               std::to_string(nidKOLM);
    for (int32_t k = 0; k < ventana.count(); ++k) {
        if (std::isfinite(ventana.Registro(k).valor)) continue;
        TDateTime hora = 0;
        ventana.indexToTime(k, hora);
        return "el valor de la hora del " + FechaDeVentana(hora) + " no es un número finito";
    }
    const TDateTime origen = InicioDeHora(fechaIni);
    if (nHoras > 0 && !TieneHoraDelPeriodo(ventana, origen, nHoras))
        return "empieza el " + FechaDeVentana(ventana.start) + " con " + std::to_string(ventana.count()) +
               " horas y no tiene ninguna hora del período del " + FechaHoraMinuto(origen) + " al " +
               FechaHoraMinuto(FechaDeMuestra(origen, UnaHora, nHoras));
    return {};
}

}  // namespace

std::optional<TVectR> DescargarMedidasHorarias(int32_t nidKOLM, TDateTime fechaIni, TDateTime fechaFin,
                                               TDateTime fechaFinConsulta, const TOpcionesDescarga& opciones,
                                               bool mostrarCantidad) {
    const std::string base = DireccionServicioMedicion();
    if (base.empty()) {
        EscribirLineaEnConsola(std::string("No está definida la variable ") + VariableServicioMedicion +
                               " con la dirección del servicio de medición" + SinRecorte);
        return std::nullopt;
    }
    std::unique_ptr<std::stringstream> cuerpo;
    std::string motivo;
    if (!DescargarURL(base + ConsultaVentanaHoraria(nidKOLM, fechaIni, fechaFinConsulta), cuerpo, opciones,
                      &motivo)) {
        EscribirLineaEnConsola("No se pudo descargar la ventana horaria de medidas. " + motivo + SinRecorte);
        return std::nullopt;
    }
    std::unique_ptr<TVentanaKOLMHoraria> ventana;
    try {
        ventana = TVentanaKOLMHoraria::CreateFromStream(*cuerpo);
    } catch (const EErrorQuendal& e) {
        EscribirLineaEnConsola(std::string("La respuesta del servicio de medición no es una ventana horaria (") +
                               e.what() + ")" + SinRecorte);
        return std::nullopt;
    }
    const int32_t nHoras = HorasPorDia * DiasDeLaTabla(fechaIni, fechaFin);
    const std::string defecto = DefectoDeVentana(*ventana, BytesSinLeer(*cuerpo), nidKOLM, fechaIni, nHoras);
    if (!defecto.empty()) {
        EscribirLineaEnConsola("Se rechaza la ventana horaria de medidas recibida: " + defecto + SinRecorte);
        return std::nullopt;
    }
    if (mostrarCantidad) EscribirLineaEnConsola("N = " + std::to_string(ventana->count()));
    return MedidasHorariasDelPeriodo(*ventana, fechaIni, nHoras);
}

// ------------------------------------------------------------ restriction runs

namespace {

constexpr double CuatroHoras = 1.0 / 6;

void ExigirInicioAntesDelFin(TDateTime fechaIni, TDateTime fechaFin) {
    if (!(fechaIni <= fechaFin))
        throw EErrorQuendal("La fecha de inicio (" + FechaHoraMinuto(fechaIni) + ") es posterior a la fecha de fin (" +
                            FechaHoraMinuto(fechaFin) + ")");
}

// After the window search has clamped the period to the series: a period
// that held no sample ends the run before any table is written.
void ExigirPeriodoEnLaSerie(TDateTime pedidoIni, TDateTime pedidoFin, TDateTime fechaIni, TDateTime fechaFin,
                            const std::string& archivoSeries) {
    if (!(fechaIni <= fechaFin))
        throw EErrorQuendal("El período del " + FechaHoraMinuto(pedidoIni) + " al " + FechaHoraMinuto(pedidoFin) +
                            " no tiene muestras en el archivo de series \"" + archivoSeries + "\"");
}

// What the tables of a run need of its plant.
struct TPlantaDeCorrida {
    int32_t nid = 0;
    int32_t nidKOLM = -1;  // metering number; 0 or below: none
    double Pa = 0;
    double F = 0;  // metered-to-SCADA factor
    const char* tituloMeteo1 = "";
    const char* tituloMeteo2 = "";
};

// The end of both runs: the hourly fold and its table, the metered energy
// when the plant has a metering number, the day table and the ten-minute
// table, all in the plant folder.
void EscribirTablasDeCorrida(const TPlantaDeCorrida& planta, const TDAofRecsEnergiaPorFecha& registros,
                             const std::string& carpeta, int32_t u, TDateTime fechaIni, TDateTime fechaFin,
                             TDateTime fechaFinConsulta, bool mostrarCantidad, const TOpcionesDescarga& opciones) {
    const std::string anillo = std::to_string(u);
    const TDAofRecsEnergiaPorFecha horas = AgruparPorHora(registros);
    EscribirENSHoraria(RutaArchivoCentral(carpeta, planta.nid, "_Restricciones_horarias_" + anillo + "m.xlt"), horas,
                       planta.F);
    std::optional<TVectR> medidas;
    if (planta.nidKOLM > 0)
        medidas = DescargarMedidasHorarias(planta.nidKOLM, fechaIni, fechaFin, fechaFinConsulta, opciones,
                                           mostrarCantidad);
    EscribirMatrizRO_DTE(RutaArchivoCentral(carpeta, planta.nid, "_RO_DTE_" + anillo + "m.xlt"), horas, planta.F,
                         fechaIni, fechaFin, planta.Pa, medidas ? &*medidas : nullptr);
    EscribirTablaRO_DTE(registros, fechaIni, fechaFin,
                        RutaLocal(RutaEnCarpeta(carpeta, "RO_DTE_" + std::to_string(planta.nidKOLM) + "_" + anillo + ".txt")),
                        planta.tituloMeteo1, planta.tituloMeteo2);
}

// The metered-to-SCADA factor of a solar plant, from its row of `centrales`.
// A query that fails ends the run with the database's error, whatever the
// connection's raise flag, before any table is written. A plant without a
// value gives 0, with a warning: the metered energies of the tables are then
// all 0.
double FactorKOLMDeLaCentral(TPgSqlCon& conexion, int32_t nid) {
    const TBanderaDeExcepciones conExcepciones(conexion, true);
    const std::unique_ptr<TPgSqlRes> resultado =
        conexion.sqlexec("SELECT factor_kolm_scada from centrales where nid=" + std::to_string(nid));
    if (!resultado->eof()) {
        const TField& celda = resultado->fieldByName("factor_kolm_scada");
        if (!celda.AsString().empty()) return celda.AsFloat(0);
    }
    EscribirLineaEnConsola("Aviso: no se pudo leer factor_kolm_scada de la central " + std::to_string(nid) +
                           " (sin valor en la base de datos); se usa 0.");
    return 0;
}

}  // namespace

void ProcesarRestriccionesSolar(TPgSqlCon& conexion, const TGeneradorSolar& modelo,
                                const std::string& archivoSeries, const std::string& carpeta, int32_t u,
                                TDateTime fechaIni, TDateTime fechaFin, const TOpcionesDescarga& opcionesDescarga) {
    ExigirLargoAnillo(u);
    ExigirInicioAntesDelFin(fechaIni, fechaFin);
    const double Pa = modelo.potencia_autorizada_mw;
    const double F = FactorKOLMDeLaCentral(conexion, modelo.nid);

    const TSerieSolarFiltrada serie = TSerieSolarFiltrada::Leer(modelo, archivoSeries);
    const TDateTime pedidoIni = fechaIni, pedidoFin = fechaFin;
    const TDAofRecsFechas ventanas = BuscarVentanasDeRestriccion(serie.CGM, serie.t1, serie.dt, Pa, fechaIni, fechaFin);
    ExigirPeriodoEnLaSerie(pedidoIni, pedidoFin, fechaIni, fechaFin, archivoSeries);

    TDAofRecsEnergiaPorFecha registros;
    for (const TRecFechasRestriccion& v : ventanas)
        SimularVentanaSolar(modelo, serie, carpeta, v.fechaIni - CuatroHoras, v.fechaFin + CuatroHoras, v.fechaIni,
                            v.fechaFin, F, registros, u);

    // The request ends at the period end's own stamp.
    const TPlantaDeCorrida planta{modelo.nid, modelo.nid_central_KOLM, Pa, F, "rad", "temp"};
    EscribirTablasDeCorrida(planta, registros, carpeta, u, fechaIni, fechaFin, fechaFin, false, opcionesDescarga);
}

void ProcesarRestriccionesEolico(const std::string& archivoModelo, const std::string& archivoSeries,
                                 const std::string& carpeta, bool sinFactores, bool velLibre, int32_t u,
                                 TDateTime fechaIni, TDateTime fechaFin, const TOpcionesDescarga& opcionesDescarga,
                                 const TProveedorConexion& proveedor) {
    ExigirLargoAnillo(u);
    ExigirInicioAntesDelFin(fechaIni, fechaFin);
    const std::unique_ptr<TParque_ModeloCombinado> modelo =
        TParque_ModeloCombinado::Create_LeerDeArchivo(archivoModelo, proveedor);
    const TParque_ModeloTeorico& parque = *modelo->Parque;
    const double Pa = parque.potencia_autorizada_mw;
    const double F = parque.factor_kolm_scada;

    // The series is read and filtered once for all the windows.
    const TSeriesEolicasFiltradas series = LeerYFiltrarSeriesEolicas(parque, archivoSeries);
    const TDateTime pedidoIni = fechaIni, pedidoFin = fechaFin;
    const TDAofRecsFechas ventanas =
        BuscarVentanasDeRestriccion(*series.datos, Pa, fechaIni, fechaFin, ColConsigna + 1);
    ExigirPeriodoEnLaSerie(pedidoIni, pedidoFin, fechaIni, fechaFin, archivoSeries);

    // Every window planned first, so that the model power of each sample
    // the windows use is evaluated once for the whole run, on every worker.
    constexpr bool sinErrores = false, soloTeorico = false, conservarRestringidas = true;
    const TMuestrasEolicas m(series, *modelo, sinFactores, velLibre, soloTeorico);
    std::vector<TPlanVentana> planes;
    std::vector<int32_t> muestras;
    for (const TRecFechasRestriccion& v : ventanas) {
        planes.push_back(PlanearVentana(m, v.fechaIni - CuatroHoras, v.fechaFin + CuatroHoras, v.fechaIni,
                                        v.fechaFin, u));
        const std::vector<int32_t> deVentana = MuestrasDeVentana(m, planes.back(), u, conservarRestringidas);
        muestras.insert(muestras.end(), deVentana.begin(), deVentana.end());
    }
    TPotenciasDeCorrida potencias(m, *modelo, HilosDeTrabajo());
    potencias.Anticipar(std::move(muestras));
    const TOpcionesSimulacion op =
        Opciones(sinFactores, velLibre, soloTeorico, conservarRestringidas, sinErrores, u, carpeta, F, nullptr);
    TDAofRecsEnergiaPorFecha registros;
    for (const TPlanVentana& plan : planes) SimularVentanaPlaneada(*modelo, m, plan, op, potencias, registros);
    // The run's model goes with it, so its park is not brought back to the
    // last sample.

    // The request asks up to the whole day after the period end.
    const TPlantaDeCorrida planta{parque.nid, parque.nid_central_KOLM, Pa, F, "vel", "dir"};
    EscribirTablasDeCorrida(planta, registros, carpeta, u, fechaIni, fechaFin, std::trunc(fechaFin + 1), true,
                            opcionesDescarga);
}
