#pragma once
// The curves tab (TabSheet4): the power curves P(V) of the current
// calibrator's empirical model, its park and the combined model, for the
// direction on the park tab.
#include "app/pestania.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class TCajaPintura;
class TPestaniaEntradas;
class TPestaniaParque;

class TPestaniaCurvas : public TPestania {
public:
    // The park tab and the input tab, whose boxes the plot reads, are built
    // first.
    TPestaniaCurvas(TEntornoPestanias& entorno, TPestaniaParque& parque, const TPestaniaEntradas& entradas);

    TCajaPintura* PaintBox1 = nullptr;
    QPushButton* btPlot_PV_MEMTMC = nullptr;
    QLineEdit* eEthaMeteo1 = nullptr;

private:
    TPestaniaParque& parque_;
    // Read from the other tabs: the direction and the factor-matrix switch.
    QLineEdit* const eDir;
    QCheckBox* const flg_sinMatrizFactores;

    void btPlot_PV_MEMTMCClick();
};
