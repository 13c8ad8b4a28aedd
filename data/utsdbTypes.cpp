#include "data/utsdbTypes.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>
#include <istream>
#include <limits>
#include <ostream>

#include "numerics/errores.h"
#include "numerics/formatsettings.h"
#include "numerics/textoreal.h"

// The wire form is little-endian and the records are copied byte for byte.
static_assert(std::endian::native == std::endian::little,
              "metering windows are read and written on little-endian hosts");

namespace {

constexpr int MinutosPorDia = 1440;
constexpr TDateTime UnSegundo = 1.0 / 86400.0;
constexpr const char* FormatoFechaExport = "dd/mm/yyyy hh:nn:ss";
// Records are read from a stream in pieces of this size, so a byte count
// that lies (an error page read as a window) allocates at most one piece
// beyond what actually arrives.
constexpr std::size_t TamanoBloqueLectura = 1 << 16;

template <class T>
T LeerCampo(const uint8_t* origen) {
    T valor;
    std::memcpy(&valor, origen, sizeof valor);
    return valor;
}

template <class T>
void EscribirCampo(uint8_t* destino, T valor) {
    std::memcpy(destino, &valor, sizeof valor);
}

std::string EnteroATexto(long long k) {
    char buffer[24];
    auto fin = std::to_chars(buffer, buffer + sizeof buffer, k).ptr;
    return std::string(buffer, fin);
}

std::string FechaExport(TDateTime t) { return FormatDateTime(FormatoFechaExport, t); }

std::string ValorExport(double valor) {
    return FormatoFijo(valor, 4, 0, AjustesFormato().DecimalSeparator);
}

// Record i (from 0) of a window's XML export.
std::string RegistroXML(int32_t i, TDateTime fecha, double valor, uint8_t calidad, TDateTime alta) {
    const std::string k = EnteroATexto(i);
    return "<Rec" + k + "><Fecha>" + FechaExport(fecha) + "</Fecha><Valor>" + ValorExport(valor) +
           "</Valor><Calidad>" + EnteroATexto(calidad) + "</Calidad><Alta>" + FechaExport(alta) + "</Alta></Rec" +
           k + ">";
}

// The first line of a window's text export, its fields split by `c`.
std::string EncabezadoTexto(const std::string& c) { return "Fecha" + c + "Valor" + c + "Calidad" + c + "Alta\n"; }

// Reads up to n bytes; returns how many arrived.
std::size_t LeerBytes(std::istream& flujo, uint8_t* destino, std::size_t n) {
    flujo.read(reinterpret_cast<char*>(destino), static_cast<std::streamsize>(n));
    return static_cast<std::size_t>(flujo.gcount());
}

void EscribirBytes(std::ostream& flujo, const uint8_t* origen, std::size_t n) {
    flujo.write(reinterpret_cast<const char*>(origen), static_cast<std::streamsize>(n));
    if (!flujo) throw EInOutError("Error al escribir la ventana de medidas en el flujo.");
}

[[noreturn]] void FallarCabecera(bool flujoVacio) {
    if (flujoVacio) throw EInOutError("Ventana de medidas vacía: el flujo no trae ningún byte.");
    throw EInOutError("Ventana de medidas incompleta: el flujo termina dentro de la cabecera.");
}

// Whole-year slot count of a grid step, for the year of `inicio`.
int32_t RegistrosDelAnio(TDateTime inicio, int pasoMinutos) {
    const int dias = EsBisiesto(DecodeDateTime(inicio).anio) ? 366 : 365;
    return dias * MinutosPorDia / pasoMinutos;
}

TDateTime PrimeroDeEnero(TDateTime fecha) { return EncodeDate(DecodeDateTime(fecha).anio, 1, 1); }

std::string NombreArchivoVentana(int32_t idSerie, TDateTime fecha) {
    const auto dia = static_cast<long long>(PrimeroDeEnero(fecha));
    return EnteroATexto(static_cast<uint32_t>(idSerie)) + "_" + EnteroATexto(dia) + ".dat";
}

void ExigirDestino(const TVentana& destino, std::size_t tamano, const char* operacion) {
    if (destino.TamanoRegistro() != tamano)
        throw EErrorQuendal(std::string(operacion) + ": el destino guarda registros de " +
                            EnteroATexto(static_cast<long long>(destino.TamanoRegistro())) +
                            " bytes y esta ventana de " + EnteroATexto(static_cast<long long>(tamano)) +
                            ".");
}

template <class TRegistro>
std::vector<uint8_t> Empaquetar(const TRegistro& registro) {
    std::vector<uint8_t> bytes(TRegistro::Tamano);
    registro.Codificar(bytes.data());
    return bytes;
}

}  // namespace

// ---- Records ----

TRecMedidaKOLM TRecMedidaKOLM::Decodificar(const uint8_t* origen) {
    TRecMedidaKOLM r;
    r.valor = LeerCampo<double>(origen);
    r.calidad = origen[8];
    r.alta = LeerCampo<double>(origen + 9);
    return r;
}

void TRecMedidaKOLM::Codificar(uint8_t* destino) const {
    EscribirCampo(destino, valor);
    destino[8] = calidad;
    EscribirCampo(destino + 9, alta);
}

TRecMedidaLogKOLM TRecMedidaLogKOLM::Decodificar(const uint8_t* origen) {
    TRecMedidaLogKOLM r;
    r.fecha = LeerCampo<double>(origen);
    r.valor = LeerCampo<double>(origen + 8);
    r.calidad = origen[16];
    r.alta = LeerCampo<double>(origen + 17);
    return r;
}

void TRecMedidaLogKOLM::Codificar(uint8_t* destino) const {
    EscribirCampo(destino, fecha);
    EscribirCampo(destino + 8, valor);
    destino[16] = calidad;
    EscribirCampo(destino + 17, alta);
}

TDateTime AhoraLocal() {
    const std::time_t ahora = std::time(nullptr);
    std::tm local{};
    localtime_r(&ahora, &local);
    return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                          local.tm_min, std::min(local.tm_sec, 59), 0);
}

// ---- TVentana ----

void TVentana::IniciarCampos(int32_t idSerie, TDateTime inicio) {
    version = 1;
    id = idSerie;
    start = inicio;
}

void TVentana::readHeader(std::istream& flujo) {
    uint8_t cabecera[16];
    const std::size_t leidos = LeerBytes(flujo, cabecera, sizeof cabecera);
    if (leidos < sizeof cabecera) FallarCabecera(leidos == 0);
    version = LeerCampo<int32_t>(cabecera);
    id = LeerCampo<int32_t>(cabecera + 4);
    start = LeerCampo<double>(cabecera + 8);
}

void TVentana::readData(std::istream& flujo) {
    uint8_t cuenta[4];
    if (LeerBytes(flujo, cuenta, sizeof cuenta) < sizeof cuenta) FallarCabecera(false);
    const int32_t n = LeerCampo<int32_t>(cuenta);
    if (n < 0)
        throw EInOutError("Ventana de medidas inválida: anuncia " + EnteroATexto(n) +
                          " bytes de registros.");
    data.clear();
    const auto esperados = static_cast<std::size_t>(n);
    while (data.size() < esperados) {
        const std::size_t antes = data.size();
        const std::size_t pedidos = std::min(TamanoBloqueLectura, esperados - antes);
        data.resize(antes + pedidos);
        const std::size_t llegados = LeerBytes(flujo, data.data() + antes, pedidos);
        if (llegados < pedidos)
            throw EInOutError("Ventana de medidas incompleta: anuncia " + EnteroATexto(n) +
                              " bytes de registros y el flujo trae " +
                              EnteroATexto(static_cast<long long>(antes + llegados)) + ".");
    }
}

void TVentana::writeHeader(std::ostream& flujo) const {
    uint8_t cabecera[16];
    EscribirCampo(cabecera, version);
    EscribirCampo(cabecera + 4, id);
    EscribirCampo(cabecera + 8, start);
    EscribirBytes(flujo, cabecera, sizeof cabecera);
}

void TVentana::writeData(std::ostream& flujo) const {
    if (data.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max()))
        throw EInOutError("Ventana de medidas demasiado grande para su forma de flujo.");
    uint8_t cuenta[4];
    EscribirCampo(cuenta, static_cast<int32_t>(data.size()));
    EscribirBytes(flujo, cuenta, sizeof cuenta);
    if (!data.empty()) EscribirBytes(flujo, data.data(), data.size());
}

void TVentana::toXML(std::string&) const {}
void TVentana::toText(std::string&, char) const {}
TVectR TVentana::toVectR() const { return TVectR(); }

bool TVentana::insert(TDateTime tiempo, const TRecMedidaKOLM& registro) {
    return insert(tiempo, std::span<const uint8_t>(Empaquetar(registro)));
}

bool TVentana::insert(TDateTime tiempo, const TRecMedidaLogKOLM& registro) {
    return insert(tiempo, std::span<const uint8_t>(Empaquetar(registro)));
}

bool TVentana::update(TDateTime tiempo, const TRecMedidaKOLM& registro) {
    return update(tiempo, std::span<const uint8_t>(Empaquetar(registro)));
}

void TVentana::ExigirTamanoRegistro(std::span<const uint8_t> registro, const char* operacion) const {
    if (registro.size() != TamanoRegistro())
        throw EErrorQuendal(std::string(operacion) + ": registro de " +
                            EnteroATexto(static_cast<long long>(registro.size())) +
                            " bytes en una ventana de registros de " +
                            EnteroATexto(static_cast<long long>(TamanoRegistro())) + ".");
}

// ---- TVentanaKOLM_ ----

void TVentanaKOLM_::CrearAnio(int32_t idSerie, TDateTime fecha) {
    IniciarCampos(idSerie, PrimeroDeEnero(fecha));
    const int32_t registros = RegistrosDelAnio(start, pasoMinutos_);
    data.resize(static_cast<std::size_t>(registros) * TRecMedidaKOLM::Tamano);
    for (int32_t i = 0; i < registros; ++i) FijarRegistro(i, TRecMedidaKOLM::Vacio());
}

TRecMedidaKOLM TVentanaKOLM_::Registro(int32_t indice) const {
    return TRecMedidaKOLM::Decodificar(data.data() + static_cast<std::size_t>(indice) * TRecMedidaKOLM::Tamano);
}

void TVentanaKOLM_::FijarRegistro(int32_t indice, const TRecMedidaKOLM& registro) {
    registro.Codificar(data.data() + static_cast<std::size_t>(indice) * TRecMedidaKOLM::Tamano);
}

int32_t TVentanaKOLM_::count() const {
    return static_cast<int32_t>(data.size() / TRecMedidaKOLM::Tamano);
}

bool TVentanaKOLM_::timeToIndex(TDateTime tiempo, int32_t& indice) const {
    if (pasoMinutos_ <= 0) return false;
    const double minutos = std::nearbyint((tiempo - start) * 24 * 60);
    // NaN fails both comparisons.
    if (!(minutos >= std::numeric_limits<int32_t>::min() && minutos <= std::numeric_limits<int32_t>::max()))
        return false;
    const auto m = static_cast<int32_t>(minutos);
    if (m % pasoMinutos_ != 0) return false;
    indice = m / pasoMinutos_;
    return true;
}

bool TVentanaKOLM_::indexToTime(int32_t indice, TDateTime& tiempo) const {
    if (pasoMinutos_ <= 0) return false;
    tiempo = start + static_cast<double>(indice) * pasoMinutos_ / MinutosPorDia;
    return true;
}

bool TVentanaKOLM_::insert(TDateTime tiempo, std::span<const uint8_t> registro) {
    ExigirTamanoRegistro(registro, "TVentanaKOLM.insert");
    if (id == 0) {
        data.insert(data.end(), registro.begin(), registro.end());
        return true;
    }
    int32_t i = 0;
    if (!timeToIndex(tiempo, i)) throw EErrorQuendal("TVentanaKOLM.insert: ERROR EN LA FECHA");
    if (!IndiceDentro(i)) return false;
    const TRecMedidaKOLM actual = Registro(i);
    const bool ocupado = actual.valor != ValorVacioKOLM && actual.calidad != 0;
    if (ocupado) return false;
    FijarRegistro(i, TRecMedidaKOLM::Decodificar(registro.data()));
    return true;
}

bool TVentanaKOLM_::update(TDateTime tiempo, std::span<const uint8_t> registro) {
    ExigirTamanoRegistro(registro, "TVentanaKOLM.update");
    int32_t i = 0;
    if (!timeToIndex(tiempo, i)) throw EErrorQuendal("TVentanaKOLM.update: ERROR EN LA FECHA.");
    if (!IndiceDentro(i)) return false;
    const TRecMedidaKOLM actual = Registro(i);
    if (actual.EsVacioExacto()) return false;
    if (logObserver) logObserver->insert(tiempo, TRecMedidaLogKOLM{tiempo, actual.valor, actual.calidad, actual.alta});
    FijarRegistro(i, TRecMedidaKOLM::Decodificar(registro.data()));
    return true;
}

int32_t TVentanaKOLM_::delete_(TDateTime t1, TDateTime t2) {
    int32_t i1 = 0, i2 = 0;
    if (!timeToIndex(t1, i1) || !timeToIndex(t2, i2) || i1 > i2) return 0;
    i1 = std::max(i1, 0);
    i2 = std::min(i2, count() - 1);
    int32_t vaciados = 0;
    for (int32_t i = i1; i <= i2; ++i) {
        const TRecMedidaKOLM actual = Registro(i);
        if (actual.valor == ValorVacioKOLM && actual.calidad == 0) continue;
        if (logObserver) {
            TDateTime tiempo = 0;
            indexToTime(i, tiempo);
            logObserver->insert(tiempo, TRecMedidaLogKOLM{tiempo, actual.valor, actual.calidad, actual.alta});
        }
        FijarRegistro(i, TRecMedidaKOLM{ValorVacioKOLM, 0, reloj()});
        ++vaciados;
    }
    return vaciados;
}

bool TVentanaKOLM_::copyTo(TDateTime t1, TDateTime t2, TVentana& destino) const {
    ExigirDestino(destino, TRecMedidaKOLM::Tamano, "TVentanaKOLM.copyTo");
    if (!(t2 >= t1)) return false;  // also when either is NaN
    int32_t i1 = 0, i2 = 0;
    if (!timeToIndex(std::trunc(t1), i1) || !timeToIndex(std::trunc(t2) + 1, i2)) return false;
    i1 = std::max(i1, 0);
    i2 = std::min(i2, count() - 1);
    for (int32_t i = i1; i <= i2; ++i) {
        TDateTime tiempo = 0;
        indexToTime(i, tiempo);
        if (t1 - UnSegundo <= tiempo && tiempo <= t2 + UnSegundo) destino.insert(tiempo, Registro(i));
    }
    return true;
}

void TVentanaKOLM_::toXML(std::string& texto) const {
    texto = "<Dataset>";
    for (int32_t i = 0; i < count(); ++i) {
        const TRecMedidaKOLM r = Registro(i);
        TDateTime tiempo = 0;
        indexToTime(i, tiempo);
        texto += RegistroXML(i, tiempo, r.valor, r.calidad, r.alta);
    }
    texto += "</Dataset>";
}

void TVentanaKOLM_::toText(std::string& texto, char separador) const {
    const std::string c(1, separador);
    texto = EncabezadoTexto(c);
    for (int32_t i = 0; i < count(); ++i) {
        const TRecMedidaKOLM r = Registro(i);
        TDateTime tiempo = 0;
        indexToTime(i, tiempo);
        texto += FechaExport(tiempo) + c + (r.valor == ValorVacioKOLM ? "s/d" : ValorExport(r.valor)) + c +
                 EnteroATexto(r.calidad) + c + (r.alta == 0 ? "s/d" : FechaExport(r.alta)) + "\n";
    }
}

TVectR TVentanaKOLM_::toVectR() const {
    TVectR v(count());
    for (int32_t k = 1; k <= v.n; ++k) v.pv[k] = Registro(k - 1).valor;
    return v;
}

void TVentanaKOLM_::fileName(std::string& nombre, int32_t idSerie, TDateTime fecha) const {
    nombre = NombreArchivoVentana(idSerie, fecha);
}

// ---- Step classes ----

namespace {

template <class TClase>
std::unique_ptr<TClase> LeerDeFlujo(std::istream& flujo) {
    auto ventana = std::make_unique<TClase>();
    ventana->readHeader(flujo);
    ventana->readData(flujo);
    return ventana;
}

}  // namespace

std::unique_ptr<TVentanaKOLMHoraria> TVentanaKOLMHoraria::Create(int32_t idSerie, TDateTime fecha) {
    return CrearAnioVacio<TVentanaKOLMHoraria>(idSerie, fecha);
}

std::unique_ptr<TVentanaKOLMHoraria> TVentanaKOLMHoraria::CreateFromStream(std::istream& flujo) {
    return LeerDeFlujo<TVentanaKOLMHoraria>(flujo);
}

std::unique_ptr<TVentanaKOLM15Min> TVentanaKOLM15Min::Create(int32_t idSerie, TDateTime fecha) {
    return CrearAnioVacio<TVentanaKOLM15Min>(idSerie, fecha);
}

std::unique_ptr<TVentanaKOLM15Min> TVentanaKOLM15Min::CreateFromStream(std::istream& flujo) {
    return LeerDeFlujo<TVentanaKOLM15Min>(flujo);
}

void TVentanaKOLM15Min::readData(std::istream& flujo) {
    TVentanaKOLM_::readData(flujo);
    // A sender's ordinary year one record short: completed with zero bytes.
    if (count() == 35039) data.resize(data.size() + TRecMedidaKOLM::Tamano, 0);
}

std::unique_ptr<TVentanaRO10Min> TVentanaRO10Min::Create(int32_t idSerie, TDateTime fecha) {
    return CrearAnioVacio<TVentanaRO10Min>(idSerie, fecha);
}

std::unique_ptr<TVentanaRO10Min> TVentanaRO10Min::CreateFromStream(std::istream& flujo) {
    return LeerDeFlujo<TVentanaRO10Min>(flujo);
}

// ---- TVentanaLogKOLM ----

std::unique_ptr<TVentanaLogKOLM> TVentanaLogKOLM::Create(int32_t idSerie, TDateTime fecha) {
    auto ventana = std::make_unique<TVentanaLogKOLM>();
    ventana->IniciarCampos(idSerie, PrimeroDeEnero(fecha));
    return ventana;
}

std::unique_ptr<TVentanaLogKOLM> TVentanaLogKOLM::CreateFromStream(std::istream& flujo) {
    return LeerDeFlujo<TVentanaLogKOLM>(flujo);
}

TRecMedidaLogKOLM TVentanaLogKOLM::Entrada(int32_t indice) const {
    return TRecMedidaLogKOLM::Decodificar(data.data() + static_cast<std::size_t>(indice) * TRecMedidaLogKOLM::Tamano);
}

int32_t TVentanaLogKOLM::count() const {
    return static_cast<int32_t>(data.size() / TRecMedidaLogKOLM::Tamano);
}

bool TVentanaLogKOLM::insert(TDateTime, std::span<const uint8_t> registro) {
    ExigirTamanoRegistro(registro, "TVentanaLogKOLM.insert");
    data.insert(data.end(), registro.begin(), registro.end());
    return true;
}

bool TVentanaLogKOLM::update(TDateTime, std::span<const uint8_t>) {
    throw EErrorQuendal("TVentanaLogKOLM.update: *** NO IMPLEMTADO ***");
}

int32_t TVentanaLogKOLM::delete_(TDateTime, TDateTime) {
    throw EErrorQuendal("TVentanaLogKOLM.delete: *** NO IMPLEMTADO ***");
}

bool TVentanaLogKOLM::copyTo(TDateTime t1, TDateTime t2, TVentana& destino) const {
    ExigirDestino(destino, TRecMedidaLogKOLM::Tamano, "TVentanaLogKOLM.copyTo");
    // Counted first: the target may be this log itself.
    const int32_t entradas = count();
    for (int32_t i = 0; i < entradas; ++i) {
        const TRecMedidaLogKOLM e = Entrada(i);
        if (t1 <= e.fecha && e.fecha <= t2) destino.insert(e.fecha, e);
    }
    return true;
}

void TVentanaLogKOLM::toXML(std::string& texto) const {
    texto = "<Dataset>";
    for (int32_t i = 0; i < count(); ++i) {
        const TRecMedidaLogKOLM e = Entrada(i);
        texto += RegistroXML(i, e.fecha, e.valor, e.calidad, e.alta);
    }
    texto += "</Dataset>";
}

void TVentanaLogKOLM::toText(std::string& texto, char separador) const {
    const std::string c(1, separador);
    texto = EncabezadoTexto(c);
    for (int32_t i = 0; i < count(); ++i) {
        const TRecMedidaLogKOLM e = Entrada(i);
        texto += FechaExport(e.fecha) + c + ValorExport(e.valor) + c + EnteroATexto(e.calidad) + c +
                 FechaExport(e.alta) + "\n";
    }
}

void TVentanaLogKOLM::fileName(std::string& nombre, int32_t idSerie, TDateTime fecha) const {
    nombre = NombreArchivoVentana(idSerie, fecha);
}

// ---- Window classes and the series catalogue ----

namespace {

template <class TClase>
std::unique_ptr<TVentana> CrearComoVentana(int32_t idSerie, TDateTime fecha) {
    return TClase::Create(idSerie, fecha);
}

template <class TClase>
std::unique_ptr<TVentana> LeerComoVentana(std::istream& flujo) {
    return TClase::CreateFromStream(flujo);
}

template <class TClase>
constexpr TClaseVentana ClaseDe(const char* nombre) {
    return {nombre, &CrearComoVentana<TClase>, &LeerComoVentana<TClase>};
}

}  // namespace

const TClaseVentana ClaseVentanaKOLMHoraria = ClaseDe<TVentanaKOLMHoraria>("TVentanaKOLMHoraria");
const TClaseVentana ClaseVentanaKOLM15Min = ClaseDe<TVentanaKOLM15Min>("TVentanaKOLM15Min");
const TClaseVentana ClaseVentanaRO10Min = ClaseDe<TVentanaRO10Min>("TVentanaRO10Min");
const TClaseVentana ClaseVentanaLogKOLM = ClaseDe<TVentanaLogKOLM>("TVentanaLogKOLM");

TTiposSeries CatalogoSeries;

void InicializarUTSDBTypes() {
    const std::string sinLog(1, '\0');
    CatalogoSeries.clear();
    CatalogoSeries.push_back({"kolm", &ClaseVentanaKOLM15Min, "log_kolm"});
    CatalogoSeries.push_back({"log_kolm", &ClaseVentanaLogKOLM, sinLog});
    for (const char* nombre : {"dir", "vel", "rad", "temp", "potdato", "cgm", "ens_mwh_3", "ens_mwh_144",
                               "potmodelo_3", "potmodelo_144"}) {
        const std::string log = std::string("log_") + nombre;
        CatalogoSeries.push_back({nombre, &ClaseVentanaRO10Min, log});
        CatalogoSeries.push_back({log, &ClaseVentanaLogKOLM, sinLog});
    }
}

void FinalizarUTSDBTypes() { CatalogoSeries.clear(); }
