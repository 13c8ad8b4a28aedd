#pragma once
// What the tabs of the main window share: the window's services that their
// operations use (TEntornoPestanias, which the window implements) and the
// base of every tab (TPestania), which holds them and runs its buttons'
// operations inside the window's guards.
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "app/corrida.h"
#include "app/modelosactuales.h"

class QPushButton;
class TPgSqlCon;
class TPgSqlRes;
class TProveedorConexion;

class TCalibradorParque;
class TParque_ModeloCombinado;
class TParque_ModeloTeorico;
class TMolino;
class TGeneradorSolar;

struct TTiposModelosQuendal {
    using Calibrador = TCalibradorParque;
    using Combinado = TParque_ModeloCombinado;
    using Parque = TParque_ModeloTeorico;
    using Molino = TMolino;
    using Solar = TGeneradorSolar;
    static Parque* ParqueDe(Calibrador& calibrador);
};
using TModelosQuendal = TModelosActuales<TTiposModelosQuendal>;

// A file or folder dialog of the window: which one it is (its name, such as
// "odCalibrador"), what it asks for, its filter and where it opens.
enum class TTipoDialogo { AbrirArchivo, GuardarArchivo, ElegirCarpeta };
struct TPeticionDialogo {
    QString nombre;
    TTipoDialogo tipo = TTipoDialogo::AbrirArchivo;
    QString filtro;               // "*.clp"; empty for a folder
    QString carpetaInicial;       // empty: the toolkit's choice
    QString extensionPorDefecto;  // save dialogs: ".clp"
};

class TEntornoPestanias {
public:
    virtual TModelosQuendal& Modelos() = 0;
    // Runs a dialog through the window's hook: the picked path, empty when
    // cancelled.
    virtual QString EjecutarDialogo(const TPeticionDialogo& dialogo) = 0;
    // A run with its console: the pane shown, the status line following the
    // console until the run ends.
    virtual TCorrida EmpezarCorrida() = 0;
    virtual void MostrarConsola() = 0;
    // The window's connection, opened the first time an operation needs it
    // and again after the server dropped it.
    virtual TPgSqlCon& ConexionAbierta() = 0;
    // The same connection for the model readers, asked for only when a park
    // block needs its metering factor from the database.
    virtual TProveedorConexion ProveedorDeConexion() = 0;
    virtual void Avisar(const QString& mensaje) = 0;
    virtual bool Confirmar(const QString& titulo, const QString& pregunta) = 0;
    // Runs a handler; an exception reaches the error box.
    virtual void Manejar(const std::function<void()>& manejador) = 0;
    // The plant last named on the models tab; the park tab names it when
    // there is no calibrator to calibrate.
    virtual int& NidCentral() = 0;

protected:
    ~TEntornoPestanias() = default;
};

// A tab's page: its controls are children of it, public for the window and
// the other tabs that read them.
class TPestania : public QWidget {
public:
    explicit TPestania(TEntornoPestanias& entorno);

protected:
    enum class TGuardia { Error, Corrida };
    // Each click of `boton` runs `manejador` inside the error guard, and
    // with TGuardia::Corrida inside a run as well (for operations that
    // print while they hold the window).
    void AlPulsar(QPushButton* boton, std::function<void()> manejador, TGuardia guardia = TGuardia::Error);

    TEntornoPestanias& entorno_;
    TModelosQuendal& modelos_;
};

// The query of a plant's row; a number that names no plant stops here, so
// that no model is made for an empty row.
std::unique_ptr<TPgSqlRes> FilaDeCentral(TPgSqlCon& conexion, int32_t nid);
