#include "data/upgsql.h"

#include <libpq-fe.h>

#include <climits>

#include "numerics/errores.h"
#include "numerics/textoreal.h"

namespace {

// SQLSTATE of a relation (here a sequence) that does not exist.
constexpr const char* RelacionInexistente = "42P01";

// A message of the client library without its closing line ends.
std::string SinFinDeLinea(std::string texto) {
    while (!texto.empty() && (texto.back() == '\n' || texto.back() == '\r')) texto.pop_back();
    return texto;
}

std::string NombreDeSecuencia(const std::string& tabla, const std::string& columna) {
    return tabla + "_" + columna + "_seq";
}

// A plain real with '.' as decimal separator, as the server writes it.
double RealPlano(const std::string& texto) {
    double x = 0;
    if (!TextoDefectoAReal(texto, x))
        throw EConvertError("\"" + texto + "\" no es un valor real válido");
    return x;
}

}  // namespace

// ---- TPgSqlRes ------------------------------------------------------------

TPgSqlRes::TPgSqlRes(pg_result* resultado)
    : resultado_(resultado), filaActual_(PQntuples(resultado) > 0 ? 0 : -1) {}

std::unique_ptr<TPgSqlRes> TPgSqlRes::Create(pg_result* resultado) {
    return std::make_unique<TPgSqlRes>(resultado);
}

TPgSqlRes::~TPgSqlRes() { PQclear(resultado_); }

int32_t TPgSqlRes::next() {
    camposDeLaFila_.clear();
    if (filaActual_ < 0) return filaActual_;
    ++filaActual_;
    if (filaActual_ >= ntuples()) filaActual_ = -1;
    return filaActual_;
}

const TField& TPgSqlRes::fieldByName(std::string_view columna) {
    camposDeLaFila_.push_back(std::make_unique<TField>(getvalueByName(filaActual_, columna)));
    return *camposDeLaFila_.back();
}

int TPgSqlRes::status() const {
    return resultado_ ? static_cast<int>(PQresultStatus(resultado_)) : static_cast<int>(PGRES_FATAL_ERROR);
}

std::string TPgSqlRes::MensajeDeError() const {
    if (!resultado_) return {};
    if (const char* primario = PQresultErrorField(resultado_, PG_DIAG_MESSAGE_PRIMARY)) return primario;
    return SinFinDeLinea(PQresultErrorMessage(resultado_));
}

std::string TPgSqlRes::EstadoSQL() const {
    const char* estado = resultado_ ? PQresultErrorField(resultado_, PG_DIAG_SQLSTATE) : nullptr;
    return estado ? estado : "";
}

int TPgSqlRes::nfields() const { return resultado_ ? PQnfields(resultado_) : 0; }

int TPgSqlRes::ntuples() const { return resultado_ ? PQntuples(resultado_) : 0; }

int TPgSqlRes::cmdTuples() const {
    if (!resultado_) return 0;
    const char* texto = PQcmdTuples(resultado_);
    long long filas = 0;
    for (const char* c = texto; c && *c >= '0' && *c <= '9' && filas <= INT_MAX; ++c) filas = filas * 10 + (*c - '0');
    return filas > INT_MAX ? INT_MAX : static_cast<int>(filas);
}

std::string TPgSqlRes::getvalue(int fila, int columna) const {
    if (fila < 0 || fila >= ntuples() || columna < 0 || columna >= nfields()) return {};
    const char* valor = PQgetvalue(resultado_, fila, columna);
    return valor ? std::string(valor) : std::string();
}

int TPgSqlRes::fnumber(std::string_view columna) const {
    if (!resultado_) return -1;
    return PQfnumber(resultado_, std::string(columna).c_str());
}

std::string TPgSqlRes::getvalueByName(int fila, std::string_view columna) const {
    return getvalue(fila, fnumber(columna));
}

// ---- TPgSqlCon ------------------------------------------------------------

TPgSqlCon::~TPgSqlCon() { Close(); }

void TPgSqlCon::Open(const std::string& conninfo) {
    Close();
    PGconn* conexion = PQconnectdb(conninfo.c_str());
    if (!conexion) throw EErrorQuendal("No se puede conectar con la base de datos: sin memoria");
    if (PQstatus(conexion) != CONNECTION_OK || PQsetClientEncoding(conexion, "UTF8") != 0) {
        const std::string motivo = PQerrorMessage(conexion);
        PQfinish(conexion);
        throw EErrorQuendal("No se puede conectar con la base de datos: " + motivo);
    }
    conexion_ = conexion;
}

void TPgSqlCon::Close() {
    if (conexion_) PQfinish(conexion_);
    conexion_ = nullptr;
}

bool TPgSqlCon::Abierta() const { return conexion_ != nullptr && PQstatus(conexion_) == CONNECTION_OK; }

void TPgSqlCon::ExigirAbierta() const {
    if (!conexion_) throw EErrorQuendal("La conexión con la base de datos no está abierta");
}

std::string TPgSqlCon::errmsg() const {
    ExigirAbierta();
    return PQerrorMessage(conexion_);
}

std::unique_ptr<TPgSqlRes> TPgSqlCon::VerificarResultado(std::unique_ptr<TPgSqlRes> resultado) const {
    const char* prefijo = nullptr;
    switch (resultado->status()) {
    case PGRES_BAD_RESPONSE: prefijo = "BAD_RESPONSE sqlexec: "; break;
    case PGRES_NONFATAL_ERROR: prefijo = "NONFATAL_ERROR sqlexec: "; break;
    case PGRES_FATAL_ERROR: prefijo = "FATAL_ERROR sqlexec: "; break;
    default: return resultado;
    }
    // A lost connection is no answer a caller could read as "no rows".
    const bool perdida = PQstatus(conexion_) == CONNECTION_BAD;
    if (!LanzarExcepciones && !perdida) return resultado;
    std::string mensaje = prefijo + errmsg();
    if (perdida) mensaje = SinFinDeLinea(std::move(mensaje)) + "\nSe perdió la conexión con la base de datos.";
    resultado.reset();  // the result is cleared before the failure goes on
    throw EErrorQuendal(mensaje);
}

std::unique_ptr<TPgSqlRes> TPgSqlCon::sqlexec(const std::string& sql) {
    ExigirAbierta();
    // The statement goes out as a C string: a NUL inside would cut it short.
    if (sql.find('\0') != std::string::npos)
        throw EErrorQuendal("Una sentencia SQL no puede contener el carácter NUL");
    return VerificarResultado(TPgSqlRes::Create(PQexec(conexion_, sql.c_str())));
}

int TPgSqlCon::sqlexec_ntuples(const std::string& sql) { return sqlexec(sql)->ntuples(); }

int TPgSqlCon::sqlexec_afectadas(const std::string& sql) { return sqlexec(sql)->cmdTuples(); }

std::string TPgSqlCon::sqlquery_str(const std::string& sql, const std::string& porDefecto) {
    const std::unique_ptr<TPgSqlRes> resultado = sqlexec(sql);
    if (resultado->ntuples() != 1 || resultado->nfields() != 1) return porDefecto;
    return resultado->getvalue(0, 0);
}

int32_t TPgSqlCon::sqlquery_int(const std::string& sql, int32_t porDefecto) {
    return TextoAEntero(sqlquery_str(sql, std::to_string(porDefecto)));
}

double TPgSqlCon::sqlquery_float(const std::string& sql, double porDefecto) {
    return RealPlano(sqlquery_str(sql, FormatoGeneral(porDefecto, 15, '.')));
}

int32_t TPgSqlCon::nextval(const std::string& tabla, const std::string& columna, bool crear) {
    const std::string secuencia = NombreDeSecuencia(tabla, columna);
    const std::string fallo = "Falló nextva en secuencia: " + secuencia;
    const std::string consulta = "SELECT nextval( '" + secuencia + "' );";
    // A missing sequence is an error result: probe without raising, so that
    // it can still be created, and keep the server's reason for the failure.
    std::string motivo;
    bool falta = false;
    auto sondear = [&]() -> std::string {
        const TBanderaDeExcepciones sinExcepciones(*this, false);
        std::unique_ptr<TPgSqlRes> resultado;
        try {
            resultado = sqlexec(consulta);
        } catch (const EErrorQuendal& e) {  // the connection was lost
            throw EErrorQuendal(fallo + " (" + e.what() + ")");
        }
        motivo = resultado->MensajeDeError();
        falta = resultado->EstadoSQL() == RelacionInexistente;
        if (resultado->ntuples() != 1 || resultado->nfields() != 1) return "";
        return resultado->getvalue(0, 0);
    };
    std::string valor = sondear();
    if (valor.empty() && crear && falta) {
        sqlexec_ntuples("CREATE SEQUENCE " + secuencia + " START 1;");
        valor = sondear();
    }
    if (valor.empty()) throw EErrorQuendal(motivo.empty() ? fallo : fallo + " (" + motivo + ")");
    return TextoAEntero(valor);
}

// ---- Transactions -----------------------------------------------------------

namespace {

// Ends a failed transaction. The failure that got here is the one to
// report, so a rollback that fails in turn is left unsaid.
void Deshacer(TPgSqlCon& conexion) {
    if (!conexion.Abierta()) return;
    try {
        const TBanderaDeExcepciones sinExcepciones(conexion, false);
        conexion.sqlexec_ntuples("ROLLBACK");
    } catch (const EErrorQuendal&) {
    }
}

}  // namespace

void EjecutarEnTransaccion(TPgSqlCon& conexion, const std::function<void()>& enviar) {
    const TBanderaDeExcepciones conExcepciones(conexion, true);
    conexion.sqlexec_ntuples("BEGIN");
    try {
        enviar();
    } catch (...) {
        Deshacer(conexion);
        throw;
    }
    try {
        conexion.sqlexec_ntuples("COMMIT");
    } catch (const EErrorQuendal& e) {
        if (!conexion.Abierta())
            throw ETransaccionIncierta(std::string(e.what()) +
                                       " No se sabe si la base de datos llegó a guardar los cambios.");
        Deshacer(conexion);
        throw;
    }
}

// ---- SQL literals -----------------------------------------------------------

std::string TextoSQL(std::string_view texto) {
    if (texto.find('\0') != std::string_view::npos)
        throw EErrorQuendal("Un texto con el carácter NUL no puede ir en una sentencia SQL");
    const bool conBarras = texto.find('\\') != std::string_view::npos;
    std::string literal = conBarras ? "E'" : "'";
    for (char c : texto) {
        if (c == '\'' || (conBarras && c == '\\')) literal += c;
        literal += c;
    }
    literal += '\'';
    return literal;
}
