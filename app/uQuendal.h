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
// The console pane ("Consola" in the "Ver" menu) shows what the program
// prints, as a terminal would; it shows itself when a run starts, and during
// a run the status line shows the last console line. A run holds the main
// thread: the window drops the user's input meanwhile (see corrida.h) and
// repaints now and then as the run prints. Each tab scrolls when the window
// is smaller than its design size.
#include <QMainWindow>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <QElapsedTimer>

#include "app/corrida.h"
#include "app/cuadroerror.h"
#include "app/dialogoconexion.h"
#include "app/modelosactuales.h"

class QCheckBox;
class QCloseEvent;
class QDateEdit;
class QDockWidget;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableWidget;
class QTabWidget;
class QWidget;
class TCajaPintura;
class TObservadorConsola;
class TPanelConsola;
class TPgSqlCon;
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

class TFormQuendal : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormQuendal(QWidget* padre = nullptr);
    ~TFormQuendal() override;

    // Shows the window at its design size when the screen's free area holds
    // it with a title bar, maximised otherwise.
    void Presentar();
    static bool CabeEnPantalla(const QSize& ventana, const QRect& libre);

    // The error box; tests put their own in its place.
    using TCuadroDeError = std::function<TRespuestaError(const QString& mensaje)>;
    void FijarCuadroDeError(TCuadroDeError cuadro) { cuadroDeError_ = std::move(cuadro); }

    // The file and folder dialogs: the path the user picked, empty when the
    // dialog was cancelled. Tests put their own answers in its place.
    using TDialogoArchivo = std::function<QString(const TPeticionDialogo& peticion)>;
    void FijarDialogoDeArchivo(TDialogoArchivo dialogo) { dialogoDeArchivo_ = std::move(dialogo); }

    TModelosActuales<TTiposModelosQuendal>& Modelos() { return modelos_; }

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

private:
    // Building the window.
    void CrearPestanias();
    QWidget* CrearPestaniaEntradas();
    QWidget* CrearPestaniaParque();
    QWidget* CrearPestaniaModelos();
    QWidget* CrearPestaniaCurvas();
    QWidget* CrearPestaniaSolar();
    QWidget* CrearPestaniaListado();
    void CrearMenuVer();
    void CrearPanelConsola();
    void ConectarCopiasGemelas();
    void ConectarBotones();
    void ConectarImagenesDelParque();

    // Runs a dialog through the hook: the picked path, empty when cancelled.
    QString EjecutarDialogo(const TPeticionDialogo& dialogo);

    // A run with its console: the pane shown, the status line following the
    // console until the run ends.
    TCorrida EmpezarCorrida();
    void MostrarConsola();
    // Console text, as the program prints it; shown at once outside a run and
    // a few times a second during one, when the window also repaints.
    void RecibirConsola(std::string_view texto);
    void ActualizarConsola();

    // Runs a handler; an exception reaches the error box.
    void Manejar(const std::function<void()>& manejador);
    void MostrarError(const QString& mensaje);

    // Events of the window.
    void FormCreate();
    void FormClose();
    void TabSheet4Show();

    // Park picture: the wind-speed map of the current park, and the mouse
    // over either picture.
    void VelocidadesMT_To_PB(TCajaPintura* caja);
    void pb_Parque_originalMouseMove(int x, int y);
    void pb_Parque_originalMouseDown(const TCajaPintura* caja, int x, int y);

    // ---- Input-tab operations ----
    // Showing and loading models, and copying the park boxes back into the
    // current park; the operations of the hidden tabs use them too.
    // `calibrador` is the current calibrator: its park becomes the current
    // park, fitted to the park picture, and the boxes show its parameters.
    void MostrarCalibrador(TCalibradorParque& calibrador);
    // Reads a calibrator file; it becomes the current calibrator and is shown.
    void CargarCalibrador(const std::string& archivo);
    // Reads a combined-model file; it becomes both the current combined
    // model and the current calibrator, and is shown.
    void CargarModeloCombinado(const std::string& archivo);
    // Writes the typed park parameters and the two met-mast tables of the
    // boxes into the current park.
    void ActualizarParqueDesdeFormulario();
    // The buttons of the input tab and their twins on the hidden tabs.
    void ConectarBotonesDeEntradas();
    void btCargarYGuardarMCClick();
    void btCalcularClick();
    void btProcesarRestriccionesClick();
    void btProcesarSeriesConMCClick();

    // Twin copies: each writes its box's text into its twin.
    void eDir1Change();
    void eDirChange();
    void eVAnemoEntrada1Change();
    void eVAnemoEntradaChange();
    void eAlfaTerreno1Change();
    void eAlfaTerrenoChange();
    void eGamma_Atmosfera1Change();
    void eGamma_AtmosferaChange();
    void efpv3pe1Change();
    void eFactorPerdidasParque1Change();
    void eLimiteDePotencia1Change();
    void eEthaMeteo2Change();
    void eEthaMeteoChange();
    void eEthaMeteo1Change();
    void eME_PesoChange();
    void ePE_MW_ModeloTeoricoChange();
    void ePE_MW_RepresentantesChange();
    void eVAnemoResultanteChange();
    void FechaDesde1Change();
    void FechaHasta1Change();

    // ---- Hidden tabs: model building, database, plots, listing, solar ----
    void ConectarBotonesPestaniasOcultas();
    // The window's connection, opened the first time an operation needs it
    // and again after the server dropped it.
    TPgSqlCon& ConexionAbierta();
    // The same connection for the model readers, asked for only when a park
    // block needs its metering factor from the database.
    TProveedorConexion ProveedorDeConexion();
    std::string CadenaDeConexionPedida();
    void Avisar(const QString& mensaje);
    bool Confirmar(const QString& titulo, const QString& pregunta);
    // Park and models tabs.
    void btBajarParqueClick();
    void btLoadFromArchi_ModeloMTySeriesClick();
    void btCalcularMCClick();
    void btCargarCalibradorClick();
    void btGuardarCalibradorClick();
    void CalibrarSimpleEthaMeteoClick();
    void btCambiar_roClick();
    void CalcularvientoClick();
    void btUpdateMTinDBClick();
    void BorrarSupercentralClick();
    void DescartarModelosDeCentral(int32_t nid);
    // Plots, statistics and listing.
    void Graficar_Estadistica_Datos_ME();
    void btPlot_PV_MEMTMCClick();
    void btElegirCarpetaCentralClick();
    // Solar tab.
    void btProcesarRestricciones_solarClick();
    void btProcesarSeries_solarClick();
    void ConstruirModeloSolar(int32_t nid);
    void FijarCoeficientesPolinomio_Solar();

    TCuadroDeMensaje cuadroDeMensaje_;
    TDialogoConexion dialogoDeConexion_;
    TCuadroDeError cuadroDeError_;
    TDialogoArchivo dialogoDeArchivo_;

    // Dialogs.
    TPeticionDialogo odCalibrador;
    TPeticionDialogo sdCalibrador;
    TPeticionDialogo odProcesarSeries;
    TPeticionDialogo sddElegirCarpetaCentral;

    // State kept between user actions.
    std::string ArchivoModeloCombinado;
    // The connection handed to the database operations. Opened when such an
    // operation first needs it, from the libpq conninfo string in the
    // environment variable QUENDAL_BD or else from the connection dialog;
    // none until then. One the server dropped is opened again from
    // cadenaDeConexion_, the string that last opened it.
    std::unique_ptr<TPgSqlCon> ConexionBD;
    std::string cadenaDeConexion_;
    int NidCentral = 0;
    int NidCentralSolar = 0;
    TModelosActuales<TTiposModelosQuendal> modelos_;

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
    bool consolaMostrada_ = false;
    QElapsedTimer relojConsola_;  // since the console last showed during a run

    // Input tab.
    QGroupBox* GroupBox2 = nullptr;
    TCajaPintura* pb_Parque_simple = nullptr;
    QPushButton* btCalcular1 = nullptr;
    QPushButton* btCargarMC1 = nullptr;
    QPushButton* btProcesarRestricciones1 = nullptr;
    QPushButton* btProcesarSeriesConMC1 = nullptr;
    QLineEdit* eDir1 = nullptr;
    QLineEdit* eVAnemoEntrada1 = nullptr;
    QLineEdit* eAlfaTerreno1 = nullptr;
    QLineEdit* eGamma_Atmosfera1 = nullptr;
    QLineEdit* efpv3pe1 = nullptr;
    QLineEdit* eFactorPerdidasParque1 = nullptr;
    QLineEdit* eLimiteDePotencia1 = nullptr;
    QLineEdit* eEthaMeteo2 = nullptr;
    QLineEdit* eVAnemoResultante1 = nullptr;
    QLineEdit* ePE_MW_ModeloTeorico1 = nullptr;
    QLineEdit* ePE_MW_Representantes1 = nullptr;
    QLineEdit* eME_Peso1 = nullptr;
    QDateEdit* FechaDesde1 = nullptr;
    QDateEdit* FechaHasta1 = nullptr;
    QLineEdit* eHoras_Buffer = nullptr;
    QCheckBox* cbSoloTeorico = nullptr;
    QCheckBox* cbSeriesConVelLibre = nullptr;
    QCheckBox* flg_sinMatrizFactores = nullptr;

    // Park tab.
    TCajaPintura* pb_Parque_original = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QWidget* Panel1 = nullptr;
    QPushButton* btCalcular = nullptr;
    QLineEdit* eDir = nullptr;
    QLineEdit* eVAnemoEntrada = nullptr;
    QLineEdit* eAlfaTerreno = nullptr;
    QLineEdit* eGamma_Atmosfera = nullptr;
    QLineEdit* efpv3pe = nullptr;
    QLineEdit* eFactorPerdidasParque = nullptr;
    QLineEdit* eLimiteDePotencia = nullptr;
    QLineEdit* eVAnemoResultante = nullptr;
    QLineEdit* ePE_MW_ModeloTeorico = nullptr;
    QLineEdit* ePE_MW_Representantes = nullptr;
    QLineEdit* eME_Peso = nullptr;
    QLineEdit* VientoLibre = nullptr;
    QPushButton* btCargarCalibrador = nullptr;
    QPushButton* btGuardarCalibrador = nullptr;
    QPushButton* btUpdateMTinDB = nullptr;
    QPushButton* CalibrarSimpleEthaMeteo = nullptr;
    QLineEdit* vientoparapot = nullptr;
    QPushButton* Calcularviento = nullptr;
    QLineEdit* VientoDeLaPotMW = nullptr;
    QLineEdit* eEthaMolino = nullptr;
    QPushButton* btCambiar_ro = nullptr;
    QCheckBox* cbCambiarTodosLosRo = nullptr;
    QLineEdit* eMolino = nullptr;
    QLineEdit* eCoordenadasXY = nullptr;
    QLineEdit* eMdeVientos = nullptr;
    QLineEdit* eEthaMeteo = nullptr;

    // Models tab.
    QLineEdit* eNidCentral = nullptr;
    QPushButton* btBajarParque = nullptr;
    QPushButton* btLoadFromArchi_ModeloMTySeries = nullptr;
    QLineEdit* PorcentajeAjusteCurvaSinf = nullptr;
    QLineEdit* PorcentajeAjusteCurvaSsup = nullptr;
    QPushButton* btCalcularMC = nullptr;
    QPushButton* btCargarYGuardarMC = nullptr;
    QPushButton* btProcesarSeriesConMC = nullptr;
    QPushButton* btProcesarRestricciones = nullptr;
    QDateEdit* FechaDesde = nullptr;
    QDateEdit* FechaHasta = nullptr;
    QPushButton* BorrarSupercentral = nullptr;
    QLineEdit* NIDsupercentralBorrar = nullptr;
    TCajaPintura* PaintBox2 = nullptr;
    TCajaPintura* PaintBox3 = nullptr;
    QTableWidget* StringGrid1 = nullptr;

    // Curves tab.
    TCajaPintura* PaintBox1 = nullptr;
    QPushButton* btPlot_PV_MEMTMC = nullptr;
    QLineEdit* eEthaMeteo1 = nullptr;

    // Solar tab.
    QLineEdit* eNidCentral_Solar = nullptr;
    QPushButton* btProcesarRestricciones_solar = nullptr;
    QPushButton* btProcesarSeries_solar = nullptr;
    QDateEdit* FechaDesde_Solar = nullptr;
    QDateEdit* FechaHasta_Solar = nullptr;
    QLineEdit* eHoras_Buffer_Solar = nullptr;
    QTableWidget* StringGrid2 = nullptr;

    // Listing tab.
    QPushButton* btElegirCarpetaCentral = nullptr;
};
