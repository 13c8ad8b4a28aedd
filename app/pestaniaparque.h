#pragma once
// The park tab (TabSheet2): the current park's picture, its parameters and
// results (twins of the input tab's boxes), its calibrator file and the
// tools that change single turbines. Its operations also serve the input
// tab's "Simular Modelo Teórico" and the other tabs that show or update the
// current park.
#include <memory>
#include <optional>
#include <string>

#include "app/pestania.h"
#include "numerics/matreal.h"

class QGroupBox;
class QCheckBox;
class QLineEdit;
class QPushButton;
class TCajaPintura;
class TPestaniaEntradas;

// What the park boxes hold, read and checked against the current park: the
// values ActualizarParqueDesdeFormulario writes into it.
struct TParqueDelFormulario {
    double alfa_terreno = 0, gamma_atmosfera = 0, fpv3pe = 0, factor_perdidas = 0, potencia_autorizada_mw = 0;
    // None where the box still shows the park's own table.
    std::optional<TMatR> meteo_etha, mat_vientos;
};

// How the park shown stands to the current calibrator. A download shows a
// park of its own, which may be of the calibrator's plant or of another.
enum class TParqueMostrado {
    SinCalibrador,     // no current calibrator, or no park shown
    DelCalibrador,     // the calibrator's own park
    DeLaMismaCentral,  // a park of the calibrator's plant, downloaded again
    DeOtraCentral,     // a park of another plant, downloaded
};

class TPestaniaParque : public TPestania {
public:
    // The input tab is built first: the twins here are made like its boxes.
    TPestaniaParque(TEntornoPestanias& entorno, TPestaniaEntradas& entradas);

    // `calibrador` is the current calibrator: its park becomes the current
    // park, fitted to the park picture, and the boxes show its parameters.
    void MostrarCalibrador(TCalibradorParque& calibrador);
    // Reads a calibrator file; it becomes the current calibrator and is shown.
    void CargarCalibrador(const std::string& archivo);
    // Reads a combined-model file; it becomes both the current combined
    // model and the current calibrator, and is shown.
    void CargarModeloCombinado(const std::string& archivo);
    // Reads every park box, the five parameters and the two met-mast tables,
    // and checks them against the current park, which it leaves alone. A box
    // is refused by its name: a real that is no number, a power limit not
    // above 0 MW, a table that does not parse or that does not fit the park
    // (the other table's shape, a row for each of its sectors, a column).
    TParqueDelFormulario LeerParqueDelFormulario() const;
    // Writes what was read into the current park.
    void AplicarAlParque(TParqueDelFormulario leido);
    // Both in turn: a refused box leaves the park as it was.
    void ActualizarParqueDesdeFormulario();

    // A downloaded park becomes the park shown; the title names it beside
    // the calibrator's.
    void MostrarParqueBajado(std::unique_ptr<TParque_ModeloTeorico> parque);
    TParqueMostrado ParqueMostrado() const;
    // Refuses `operacion`, which works on the calibrator, while the park
    // shown is of another plant, or, with `tambienDeLaMismaCentral`, of the
    // calibrator's plant downloaded again: the message names both parks,
    // says what would go wrong (`consecuencia`) and what to do instead.
    void ExigirParqueDelCalibrador(const std::string& operacion, const std::string& consecuencia,
                                   bool tambienDeLaMismaCentral = true) const;

    const TPeticionDialogo odCalibrador{QStringLiteral("odCalibrador"), TTipoDialogo::AbrirArchivo,
                                        QStringLiteral("*.clp"), {}, {}};
    const TPeticionDialogo sdCalibrador{QStringLiteral("sdCalibrador"), TTipoDialogo::GuardarArchivo,
                                        QStringLiteral("*.clp"), {}, QStringLiteral(".clp")};

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

private:
    TPestaniaEntradas& entradas_;

    void CrearGrupoParametros();
    void CrearPanelMolinos();
    void ConectarBotones();
    void ConectarImagenes();

    // "Simular Modelo Teórico" (here and on the input tab).
    void btCalcularClick();
    void MostrarPotenciaEmpirica(double direccion, double densidadMastil);
    // The wind-speed map of the current park, and the mouse over either
    // picture.
    void VelocidadesMT_To_PB(TCajaPintura* caja);
    void pb_Parque_originalMouseMove(int x, int y);
    void pb_Parque_originalMouseDown(const TCajaPintura* caja, int x, int y);
    void btCargarCalibradorClick();
    void btGuardarCalibradorClick();
    void CalibrarSimpleEthaMeteoClick();
    void btCambiar_roClick();
    void CalcularvientoClick();
    void btUpdateMTinDBClick();
};
