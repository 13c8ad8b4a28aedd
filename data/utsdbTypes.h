#pragma once
// Metering windows: one calendar year of one measured series of one plant as
// fixed-size packed records, one per slot of a regular time grid (hourly,
// 15-minute or 10-minute), or, for the change log, an append-only list of
// former slot contents. The metering service sends windows in a
// little-endian byte-stream form (header, byte count, records) that this
// unit reads and writes.
//
// Records live packed back to back in `data` and are encoded and decoded at
// fixed byte offsets with memcpy, so a slot is found by arithmetic alone.
//
// Sound behaviour where the original had none: a stream that ends inside the
// header, or whose byte count is negative or larger than the bytes that
// follow, raises EInOutError (a data-service error page answered with code
// 200 never becomes a window); insert and update at a time on the grid but
// outside the window's year return false; timeToIndex of NaN or of a time
// whose minute count leaves 32 bits returns false; copyTo refuses a target
// whose records are of the other size.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "numerics/fechas.h"
#include "numerics/matreal.h"

// Value of an empty slot.
inline constexpr double ValorVacioKOLM = -11000.0;

// One slot of a regular window, 17 bytes on the wire: valor (double) at 0,
// calidad (byte) at 8, alta (date-time) at 9.
struct TRecMedidaKOLM {
    static constexpr std::size_t Tamano = 17;

    double valor = ValorVacioKOLM;
    uint8_t calidad = 0;
    TDateTime alta = 0;

    static TRecMedidaKOLM Vacio() { return {}; }
    static TRecMedidaKOLM Decodificar(const uint8_t* origen);
    void Codificar(uint8_t* destino) const;
    bool EsVacioExacto() const { return valor == ValorVacioKOLM && calidad == 0 && alta == 0; }

    bool operator==(const TRecMedidaKOLM&) const = default;
};

// One change-log entry, 25 bytes on the wire: fecha at 0, valor at 8,
// calidad at 16, alta at 17.
struct TRecMedidaLogKOLM {
    static constexpr std::size_t Tamano = 25;

    TDateTime fecha = 0;
    double valor = ValorVacioKOLM;
    uint8_t calidad = 0;
    TDateTime alta = 0;

    static TRecMedidaLogKOLM Decodificar(const uint8_t* origen);
    void Codificar(uint8_t* destino) const;

    bool operator==(const TRecMedidaLogKOLM&) const = default;
};

using TDAOfRecMedidaKOLM = std::vector<TRecMedidaKOLM>;
using TDAOfRecMedidaLogKOLM = std::vector<TRecMedidaLogKOLM>;

// The local clock, as a date-time; delete stamps emptied slots with it.
TDateTime AhoraLocal();

class TVentana {
public:
    std::vector<uint8_t> data;  // the records, packed back to back
    int32_t version = 0;
    int32_t id = 0;           // 0: records are appended in arrival order
    TDateTime start = 0;      // time of slot 0
    TVentana* logObserver = nullptr;  // change log for overwritten slots; not owned
    // Clock that delete stamps emptied slots with; tests replace it.
    std::function<TDateTime()> reloj = AhoraLocal;

    virtual ~TVentana() = default;

    // Stream form: version, id, start, then N and N record bytes, all
    // little-endian. A stream that ends inside the header or N, or whose N is
    // negative or larger than what follows, raises EInOutError.
    virtual void readHeader(std::istream& flujo);
    virtual void readData(std::istream& flujo);
    virtual void writeHeader(std::ostream& flujo) const;
    virtual void writeData(std::ostream& flujo) const;

    // Size in bytes of one record of this kind of window.
    virtual std::size_t TamanoRegistro() const = 0;

    // The record is given as its packed bytes, which must be of this window's
    // record size (EErrorQuendal otherwise); the typed overloads encode it.
    virtual bool copyTo(TDateTime t1, TDateTime t2, TVentana& destino) const = 0;
    virtual bool insert(TDateTime tiempo, std::span<const uint8_t> registro) = 0;
    virtual bool update(TDateTime tiempo, std::span<const uint8_t> registro) = 0;
    // delete is a C++ keyword.
    virtual int32_t delete_(TDateTime t1, TDateTime t2) = 0;
    virtual int32_t count() const = 0;
    virtual void toXML(std::string& texto) const;
    virtual void toText(std::string& texto, char separador) const;
    // The base has no values: an empty vector.
    virtual TVectR toVectR() const;
    virtual void fileName(std::string& nombre, int32_t idSerie, TDateTime fecha) const = 0;

    bool insert(TDateTime tiempo, const TRecMedidaKOLM& registro);
    bool insert(TDateTime tiempo, const TRecMedidaLogKOLM& registro);
    bool update(TDateTime tiempo, const TRecMedidaKOLM& registro);

protected:
    TVentana() = default;
    // What every Create does first: version 1, the id, and start as given.
    void IniciarCampos(int32_t idSerie, TDateTime inicio);
    void ExigirTamanoRegistro(std::span<const uint8_t> registro, const char* operacion) const;
};

// A window on a regular grid of 17-byte records.
class TVentanaKOLM_ : public TVentana {
public:
    using TVentana::insert;
    using TVentana::update;

    std::size_t TamanoRegistro() const override { return TRecMedidaKOLM::Tamano; }
    bool copyTo(TDateTime t1, TDateTime t2, TVentana& destino) const override;
    bool insert(TDateTime tiempo, std::span<const uint8_t> registro) override;
    bool update(TDateTime tiempo, std::span<const uint8_t> registro) override;
    int32_t delete_(TDateTime t1, TDateTime t2) override;
    int32_t count() const override;
    void toXML(std::string& texto) const override;
    void toText(std::string& texto, char separador) const override;
    TVectR toVectR() const override;
    void fileName(std::string& nombre, int32_t idSerie, TDateTime fecha) const override;

    // The slot of a time: false off the grid (or for NaN, or a minute count
    // beyond 32 bits); the index may fall outside the window.
    virtual bool timeToIndex(TDateTime tiempo, int32_t& indice) const;
    virtual bool indexToTime(int32_t indice, TDateTime& tiempo) const;

    TRecMedidaKOLM Registro(int32_t indice) const;
    void FijarRegistro(int32_t indice, const TRecMedidaKOLM& registro);
    int PasoMinutos() const { return pasoMinutos_; }

protected:
    explicit TVentanaKOLM_(int pasoMinutos) : pasoMinutos_(pasoMinutos) {}
    // Create of a step class: the whole year of `fecha` in empty records.
    void CrearAnio(int32_t idSerie, TDateTime fecha);
    template <class TClase>
    static std::unique_ptr<TClase> CrearAnioVacio(int32_t idSerie, TDateTime fecha) {
        auto ventana = std::make_unique<TClase>();
        ventana->CrearAnio(idSerie, fecha);
        return ventana;
    }

private:
    bool IndiceDentro(int32_t indice) const { return indice >= 0 && indice < count(); }

    int pasoMinutos_;  // grid step; 0 in a window with no grid
};

class TVentanaKOLMHoraria : public TVentanaKOLM_ {
public:
    TVentanaKOLMHoraria() : TVentanaKOLM_(60) {}
    static std::unique_ptr<TVentanaKOLMHoraria> Create(int32_t idSerie, TDateTime fecha);
    static std::unique_ptr<TVentanaKOLMHoraria> CreateFromStream(std::istream& flujo);
};

class TVentanaKOLM15Min : public TVentanaKOLM_ {
public:
    TVentanaKOLM15Min() : TVentanaKOLM_(15) {}
    static std::unique_ptr<TVentanaKOLM15Min> Create(int32_t idSerie, TDateTime fecha);
    static std::unique_ptr<TVentanaKOLM15Min> CreateFromStream(std::istream& flujo);
    // A window of 35039 records gets a 35040th of zero bytes.
    void readData(std::istream& flujo) override;
};

class TVentanaRO10Min : public TVentanaKOLM_ {
public:
    TVentanaRO10Min() : TVentanaKOLM_(10) {}
    static std::unique_ptr<TVentanaRO10Min> Create(int32_t idSerie, TDateTime fecha);
    static std::unique_ptr<TVentanaRO10Min> CreateFromStream(std::istream& flujo);
};

// The change log: 25-byte entries appended in arrival order.
class TVentanaLogKOLM : public TVentana {
public:
    using TVentana::insert;
    using TVentana::update;

    static std::unique_ptr<TVentanaLogKOLM> Create(int32_t idSerie, TDateTime fecha);
    static std::unique_ptr<TVentanaLogKOLM> CreateFromStream(std::istream& flujo);

    std::size_t TamanoRegistro() const override { return TRecMedidaLogKOLM::Tamano; }
    bool copyTo(TDateTime t1, TDateTime t2, TVentana& destino) const override;
    bool insert(TDateTime tiempo, std::span<const uint8_t> registro) override;
    bool update(TDateTime tiempo, std::span<const uint8_t> registro) override;  // raises
    int32_t delete_(TDateTime t1, TDateTime t2) override;                      // raises
    int32_t count() const override;
    void toXML(std::string& texto) const override;
    void toText(std::string& texto, char separador) const override;
    void fileName(std::string& nombre, int32_t idSerie, TDateTime fecha) const override;

    TRecMedidaLogKOLM Entrada(int32_t indice) const;
};

// A window class as a value: its Create and CreateFromStream.
struct TClaseVentana {
    const char* nombre;
    std::unique_ptr<TVentana> (*Create)(int32_t idSerie, TDateTime fecha);
    std::unique_ptr<TVentana> (*CreateFromStream)(std::istream& flujo);
};
extern const TClaseVentana ClaseVentanaKOLMHoraria;
extern const TClaseVentana ClaseVentanaKOLM15Min;
extern const TClaseVentana ClaseVentanaRO10Min;
extern const TClaseVentana ClaseVentanaLogKOLM;

// One series kind: its name, its window class and the name of its change
// log (the one-character NUL string for a change log itself).
struct TTipoSerie {
    std::string nombre;
    const TClaseVentana* clase;
    std::string nombreLog;
};
using TTiposSeries = std::vector<TTipoSerie>;

// The 22 series kinds, in pairs of a series and its change log; filled by
// InicializarUTSDBTypes at start-up and emptied by FinalizarUTSDBTypes.
extern TTiposSeries CatalogoSeries;
void InicializarUTSDBTypes();
void FinalizarUTSDBTypes();
