#pragma once
// TFormQuendal: the program's single main window. Six tabs, of which only the
// input tab is shown at start; the others are brought forward from the "Ver"
// menu (one checkable entry per tab). The input tab's boxes copy their text
// into twins on the hidden tabs, which the operations read, and the results
// written into hidden boxes come back the same way. The window holds the
// current models (see modelosactuales.h) and frees them when it closes.
//
// Every handler runs inside one guard: an exception ends the handler and its
// message is shown in an error box, where the user goes on or ends the
// program; nothing crosses the event loop.
//
// The console pane ("Consola" in the "Ver" menu), beside the tabs, shows
// what the program prints, as a terminal would; it shows itself when a run
// starts, and during a run the status line shows the last console line. A
// run holds the main thread: the window drops the user's input meanwhile
// (see corrida.h) and repaints now and then as the run prints; closing the
// window during a run is kept, said on the status line, and done when the
// run ends. Each tab scrolls when the window is smaller than its design size.
//
// Each tab is a unit of its own (pestania*.h) that builds its controls and
// runs their operations; the window builds the tabs, wires the twin copies
// between them and lends them its services (pestania.h).
#include <QElapsedTimer>
#include <QMainWindow>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/corrida.h"
#include "app/cuadroerror.h"
#include "app/dialogoconexion.h"
#include "app/modelosactuales.h"
#include "app/pestania.h"

class QCloseEvent;
class QDockWidget;
class QEvent;
class QLabel;
class QMenu;
class QTabWidget;
class QWidget;
class TObservadorConsola;
class TPanelConsola;
class TPestaniaCurvas;
class TPestaniaEntradas;
class TPestaniaListado;
class TPestaniaModelos;
class TPestaniaParque;
class TPestaniaSolar;

class TFormQuendal : public QMainWindow, private TEntornoPestanias {
    Q_OBJECT
public:
    explicit TFormQuendal(QWidget* padre = nullptr);
    ~TFormQuendal() override;

    // Shows the window at its design size when the screen's free area holds
    // it with a title bar, maximised otherwise; restored, it then takes the
    // free area less its frame.
    void Presentar();
    static bool CabeEnPantalla(const QSize& ventana, const QRect& libre);
    static QRect GeometriaRestaurada(const QRect& libre);

    // The error box; tests put their own in its place.
    using TCuadroDeError = std::function<TRespuestaError(const QString& mensaje)>;
    void FijarCuadroDeError(TCuadroDeError cuadro) { cuadroDeError_ = std::move(cuadro); }

    // The file and folder dialogs: the path the user picked, empty when the
    // dialog was cancelled. Tests put their own answers in its place.
    using TDialogoArchivo = std::function<QString(const TPeticionDialogo& peticion)>;
    void FijarDialogoDeArchivo(TDialogoArchivo dialogo) { dialogoDeArchivo_ = std::move(dialogo); }

    TModelosActuales<TTiposModelosQuendal>& Modelos() override { return modelos_; }

    // The message and confirmation boxes of the hidden tabs' operations; tests
    // put their own in their place. The answer counts for a confirmation
    // only: true is Yes.
    using TCuadroDeMensaje =
        std::function<bool(const QString& titulo, const QString& mensaje, bool esConfirmacion)>;
    void FijarCuadroDeMensaje(TCuadroDeMensaje cuadro) { cuadroDeMensaje_ = std::move(cuadro); }

    // The dialog that asks for the database connection's data when a database
    // operation first needs it (and QUENDAL_BD gives none); nothing when the
    // user cancels. Tests put their own answers in its place.
    using TDialogoConexion = std::function<std::optional<TDatosConexion>()>;
    void FijarDialogoDeConexion(TDialogoConexion dialogo) { dialogoDeConexion_ = std::move(dialogo); }

protected:
    void closeEvent(QCloseEvent* evento) override;
    bool event(QEvent* evento) override;

private:
    // Building the window.
    void CrearPestanias();
    void CrearMenuVer();
    void CrearPanelConsola();
    void ConectarCopiasGemelas();

    // What the tabs use of the window.
    QString EjecutarDialogo(const TPeticionDialogo& dialogo) override;
    TCorrida EmpezarCorrida() override;
    void MostrarConsola() override;
    TPgSqlCon& ConexionAbierta() override;
    TProveedorConexion ProveedorDeConexion() override;
    void Avisar(const QString& mensaje) override;
    bool Confirmar(const QString& titulo, const QString& pregunta) override;
    void Manejar(const std::function<void()>& manejador) override;
    int& NidCentral() override { return nidCentral_; }

    std::string CadenaDeConexionPedida();
    // Console text, as the program prints it; shown at once outside a run and
    // a few times a second during one, when the window also repaints.
    void RecibirConsola(std::string_view texto);
    void ActualizarConsola();
    void MostrarError(const QString& mensaje);

    // Events of the window.
    void FormCreate();
    void FormClose();
    void TabSheet4Show();

    TCuadroDeMensaje cuadroDeMensaje_;
    TDialogoConexion dialogoDeConexion_;
    TCuadroDeError cuadroDeError_;
    TDialogoArchivo dialogoDeArchivo_;

    // The connection handed to the database operations. Opened when such an
    // operation first needs it, from the libpq conninfo string in the
    // environment variable QUENDAL_BD or else from the connection dialog;
    // none until then. One the server dropped is opened again from
    // cadenaDeConexion_, the string that last opened it.
    std::unique_ptr<TPgSqlCon> ConexionBD;
    std::string cadenaDeConexion_;
    int nidCentral_ = 0;
    TModelosActuales<TTiposModelosQuendal> modelos_;

    // The tabs, in their order on the window.
    TPestaniaParque* parque_ = nullptr;
    TPestaniaModelos* pestaniaModelos_ = nullptr;
    TPestaniaCurvas* curvas_ = nullptr;
    TPestaniaEntradas* entradas_ = nullptr;
    TPestaniaSolar* solar_ = nullptr;
    TPestaniaListado* listado_ = nullptr;

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QWidget* TabSheet4 = nullptr;
    QWidget* TabSheet5 = nullptr;
    QWidget* TabSheet6 = nullptr;
    QMenu* menuVer = nullptr;
    QDockWidget* panelConsola = nullptr;
    TPanelConsola* consola = nullptr;
    std::unique_ptr<TObservadorConsola> receptorConsola_;
    TObservadorConsola* observadorConsolaAnterior_ = nullptr;
    QElapsedTimer relojConsola_;  // since the console last showed during a run
    QLabel* avisoCierre_ = nullptr;  // on the status line: the window closes when the run ends
};
