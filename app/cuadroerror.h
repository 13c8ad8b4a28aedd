#pragma once
// The window's error box: the failure's message, "Continuar" and
// "Terminar el programa". Going on is the default and what Escape or closing
// the box does; ending asks first, and a No brings the error box back.
#include <QString>

class QWidget;

// What the user answers in the error box.
enum class TRespuestaError { Continuar, Terminar };

TRespuestaError CuadroDeErrorEstandar(QWidget* padre, const QString& mensaje);

// The question asked before the program ends: true is Yes.
bool ConfirmarTerminarPrograma(QWidget* padre);
