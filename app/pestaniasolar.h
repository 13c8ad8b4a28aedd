#pragma once
// The solar tab ("Solar", TabSheet6): a solar plant's model built from its
// series and the database, its coefficients, and its restriction run.
#include <cstdint>

#include "app/pestania.h"

class QDateEdit;
class QLineEdit;
class QPushButton;
class QTableWidget;

class TPestaniaSolar : public TPestania {
public:
    explicit TPestaniaSolar(TEntornoPestanias& entorno);

    QLineEdit* eNidCentral_Solar = nullptr;
    QPushButton* btProcesarRestricciones_solar = nullptr;
    QPushButton* btProcesarSeries_solar = nullptr;
    QDateEdit* FechaDesde_Solar = nullptr;
    QDateEdit* FechaHasta_Solar = nullptr;
    QLineEdit* eHoras_Buffer_Solar = nullptr;
    QTableWidget* StringGrid2 = nullptr;

private:
    int NidCentralSolar = 0;

    void btProcesarRestricciones_solarClick();
    void btProcesarSeries_solarClick();
    void ConstruirModeloSolar(int32_t nid);
    void FijarCoeficientesPolinomio_Solar();
};
