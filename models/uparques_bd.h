#pragma once
// The theoretical park in the database: the plant's metering factor as its
// row of `centrales` holds it, and the statements that write a park back to
// its model's rows. The download and the write-back themselves are
// TParque_ModeloTeorico::Create_DesdeBD, ActualizarBD and
// TMolino::Create_DesdeBD, defined in uparques_bd.cpp; the write-back sends
// these statements in one transaction.
//
// Reals go into the statements in the general form with 15 significant digits
// and '.', integers in decimal, texts as quoted SQL literals; the factor table
// goes as the one-line matrix string, which keeps three significant digits.
#include <cstdint>
#include <string>

class TParque_ModeloTeorico;
class TMolino;
class TPgSqlRes;

// The plant's metering factor from the cell factor_kolm_scada of the current
// row of `centrales`. A cell that holds none (empty, or a text that is not a
// number) is not taken as 0: it raises EErrorQuendal whose message is the
// clause that says so and names the plant, such as "la fila de la central 31
// (Parque Sur) en la tabla centrales no tiene factor_kolm_scada", for the
// caller to put into its own refusal.
double FactorKolmScadaDeLaCentral(TPgSqlRes& filaCentral, int32_t nid, const std::string& nombre);

// "UPDATE modelo_teorico_etha_molinos SET etha = ... WHERE nid_modelo = ...
// AND nid_molino = ...": the turbine's factor in the park's model.
std::string SentenciaActualizarEthaMolino(const TParque_ModeloTeorico& parque, const TMolino& molino);

// "UPDATE modelo_teorico SET ... WHERE nid = ... AND central = ...": the
// park's parameters, its met-mast tables and its mast position, in its
// model's row only when that row is of the park's plant. It leaves out
// dt_actualizacion, the metering factor and the plant's metering number.
std::string SentenciaActualizarModeloTeorico(const TParque_ModeloTeorico& parque);
