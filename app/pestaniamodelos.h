#pragma once
// The models tab (TabSheet3): a wind farm's models built in three steps
// that pass through the plant folder (park file, calibrator file, combined-
// model file), the statistics of the calibrator's data, the removal of a
// super-plant from the database, and the combined model's runs over series,
// which the input tab's buttons start too. Each build is made, saved and
// only then made current, so a failure leaves the current objects and the
// boxes as they were.
#include <cstdint>
#include <string>

#include "app/pestania.h"

class QDateEdit;
class QLineEdit;
class QPushButton;
class QTableWidget;
class TCajaPintura;
class TPestaniaEntradas;
class TPestaniaParque;
struct TPeriodo;

class TPestaniaModelos : public TPestania {
public:
    // The input tab, whose switches the runs read, and the park tab, which
    // shows what is loaded, are built first.
    TPestaniaModelos(TEntornoPestanias& entorno, TPestaniaEntradas& entradas, TPestaniaParque& parque);

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

private:
    TPestaniaEntradas& entradas_;
    TPestaniaParque& parque_;
    // The file "Cargar Modelo Calibrado" loaded, which "Calcular solo las
    // R.O." reads again.
    std::string ArchivoModeloCombinado;
    TPeticionDialogo odProcesarSeries{QStringLiteral("odProcesarSeries"), TTipoDialogo::AbrirArchivo,
                                      QStringLiteral("*.sas"), {}, {}};

    void ConectarBotones();

    // Model building and the database.
    void btBajarParqueClick();
    void btLoadFromArchi_ModeloMTySeriesClick();
    // Refuses a lower fit percentage not below the upper one, naming both boxes.
    void ExigirRangoDeAjuste(int32_t porcentajeInf, int32_t porcentajeSup) const;
    void btCalcularMCClick();
    void BorrarSupercentralClick();
    void DescartarModelosDeCentral(int32_t nid);
    void Graficar_Estadistica_Datos_ME();
    // The combined model and its runs (here and on the input tab).
    void btCargarYGuardarMCClick();
    void btProcesarSeriesConMCClick();
    void btProcesarRestriccionesClick();
    TPeriodo PeriodoDeLaCorrida();
};
