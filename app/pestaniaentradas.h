#pragma once
// The input tab (TabSheet5), the only tab shown at start: the park
// parameters and a met-mast reading typed by the user, the results of the
// last simulation, and the dates and switches of the restriction runs.
// Its boxes copy their text into twins on the hidden tabs, whose operations
// read them (the window wires the copies); its buttons run operations of the
// park and models tabs, which connect them.
#include <QWidget>

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLineEdit;
class QPushButton;
class TCajaPintura;

class TPestaniaEntradas : public QWidget {
public:
    TPestaniaEntradas();

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
};
