#pragma once
// PostgreSQL access over libpq: a connection that sends SQL text built by its
// callers, a forward-only cursor over each result with cells read by column
// name, a few single-value queries with defaults and the next value of a
// sequence.
//
// With the raise flag set (the default) an error result raises
// "BAD_RESPONSE sqlexec: ", "NONFATAL_ERROR sqlexec: " or
// "FATAL_ERROR sqlexec: " followed by the server's message; with it clear an
// error result comes back as a result without rows. A statement that gets no
// result at all from the client library is a fatal error.
//
// A statement that finds the connection lost (the server closed it, or it
// was terminated) raises whatever the flag, since nothing more can be sent
// on it; from then on Abierta is false and the holder opens it again.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/ufields.h"
#include "numerics/errores.h"

struct pg_conn;
struct pg_result;

class TPgSqlRes {
public:
    // Takes ownership of the result handle; a null handle is a result without
    // rows whose status is a fatal error.
    static std::unique_ptr<TPgSqlRes> Create(pg_result* resultado);
    explicit TPgSqlRes(pg_result* resultado);
    ~TPgSqlRes();
    TPgSqlRes(const TPgSqlRes&) = delete;
    TPgSqlRes& operator=(const TPgSqlRes&) = delete;

    // The cursor stands past the last row (or the result has none).
    bool eof() const { return filaActual_ < 0; }
    // Steps to the next row and frees the fields handed out for the previous
    // one; the new row, or -1 past the last. Past the end it stays there.
    int32_t next();
    // The cell of that column in the current row; it lives until the next
    // call of next or the end of the result.
    const TField& fieldByName(std::string_view columna);

    int status() const;
    // The server's reason of an error result (its primary message), or the
    // client library's message for it; empty for a result without error.
    std::string MensajeDeError() const;
    // The five-character SQLSTATE code of an error result; empty otherwise.
    std::string EstadoSQL() const;
    int nfields() const;
    int ntuples() const;
    // Rows that the command inserted, updated or deleted (PQcmdTuples); 0
    // for other commands.
    int cmdTuples() const;
    // The text of a cell: empty for NULL and for a row or column that the
    // result lacks.
    std::string getvalue(int fila, int columna) const;
    // Column number by name as libpq reads it (unquoted names fold to lower
    // case); -1 when absent.
    int fnumber(std::string_view columna) const;
    std::string getvalueByName(int fila, std::string_view columna) const;

private:
    pg_result* resultado_;
    int32_t filaActual_;  // 0-based; -1 past the last row or without rows
    std::vector<std::unique_ptr<TField>> camposDeLaFila_;
};

class TPgSqlCon {
public:
    TPgSqlCon() = default;
    virtual ~TPgSqlCon();
    TPgSqlCon(const TPgSqlCon&) = delete;
    TPgSqlCon& operator=(const TPgSqlCon&) = delete;

    // Connects with a libpq connection string ("host=... port=... dbname=...")
    // and sets the client encoding to UTF8. A connection already open is
    // closed first. EErrorQuendal "No se puede conectar con la base de datos: "
    // and the client library's reason when it fails.
    void Open(const std::string& conninfo);
    void Close();
    // Open and still connected as far as the client library knows: a
    // connection the server dropped reads as closed once a statement has met
    // the drop.
    bool Abierta() const;

    // Whether error results raise (true after construction).
    bool LanzarExcepciones = true;

    // Every statement goes out through here (the single-value queries and
    // nextval too), so a connection put in its place sees them all.
    virtual std::unique_ptr<TPgSqlRes> sqlexec(const std::string& sql);
    std::string errmsg() const;
    // Row count of the result (0 for commands that return no rows).
    int sqlexec_ntuples(const std::string& sql);
    // Rows that an INSERT, UPDATE or DELETE touched.
    int sqlexec_afectadas(const std::string& sql);
    // The one cell of a result of exactly one row and one column (NULL gives
    // the empty text), otherwise the default.
    std::string sqlquery_str(const std::string& sql, const std::string& porDefecto);
    // The same cell as a plain decimal integer (EConvertError otherwise, also
    // for NULL), or the default.
    int32_t sqlquery_int(const std::string& sql, int32_t porDefecto);
    // The same cell as a plain real written with '.' (no expression; NULL
    // raises EConvertError), or the default.
    double sqlquery_float(const std::string& sql, double porDefecto);
    // Next value of the sequence <tabla>_<columna>_seq; with `crear` a
    // sequence that does not exist is created starting at 1. EErrorQuendal
    // "Falló nextva en secuencia: ", the name and the server's reason when
    // there is no value.
    int32_t nextval(const std::string& tabla, const std::string& columna, bool crear);

private:
    void ExigirAbierta() const;
    // The result, or the exception for an error result: the raise flag's, or
    // always when the statement found the connection lost.
    std::unique_ptr<TPgSqlRes> VerificarResultado(std::unique_ptr<TPgSqlRes> resultado) const;

    pg_conn* conexion_ = nullptr;
};

// Sets a connection's raise flag for a scope and puts back what it was.
class TBanderaDeExcepciones {
public:
    TBanderaDeExcepciones(TPgSqlCon& conexion, bool lanzar)
        : bandera_(conexion.LanzarExcepciones), previa_(conexion.LanzarExcepciones) {
        bandera_ = lanzar;
    }
    ~TBanderaDeExcepciones() { bandera_ = previa_; }
    TBanderaDeExcepciones(const TBanderaDeExcepciones&) = delete;
    TBanderaDeExcepciones& operator=(const TBanderaDeExcepciones&) = delete;

private:
    bool& bandera_;
    bool previa_;
};

// A transaction whose commit got no answer because the connection was lost:
// the server may or may not have kept its changes.
class ETransaccionIncierta : public EErrorQuendal {
public:
    using EErrorQuendal::EErrorQuendal;
};

// Sends what `enviar` sends through `conexion` between BEGIN and COMMIT, so
// that all of it takes effect or none; error results raise inside, whatever
// the connection's raise flag. A failure rolls the transaction back and goes
// on as it came; on a lost connection nothing more is sent, since the server
// rolled back when it lost it. A commit whose answer was lost raises
// ETransaccionIncierta.
void EjecutarEnTransaccion(TPgSqlCon& conexion, const std::function<void()>& enviar);

// A text value as an SQL string literal: quotes doubled, and in the escape
// form E'...' with backslashes doubled when the text holds one, so that the
// literal means the same whatever the server's standard_conforming_strings.
// EErrorQuendal when the text holds a NUL byte, which no statement can carry.
std::string TextoSQL(std::string_view texto);
