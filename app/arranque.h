#pragma once
// Start-up of the program's modules, in their fixed order, before any window.
#include <QLocale>
#include <QString>
#include <functional>
#include <string>

#include "numerics/formatsettings.h"

// A date or time format of Qt's locale in the program's own dialect
// ("dd/MM/yyyy" gives "dd/mm/yyyy", "HH:mm:ss (t)" gives "hh:nn:ss"; a
// month by name, "d MMM yyyy", gives "dd/mm/yyyy").
std::string FormatoDelDialecto(const QString& formatoQt);

// The user's number and date settings read from the system locale, in the
// program's own date dialect, with single ASCII separators.
FormatSettings AjustesDelSistema();
// The same read from a given locale; under the C/POSIX locale the short date
// is "dd/mm/yyyy".
FormatSettings AjustesDelLocale(const QLocale& local);

// Runs the start-up sequence with the given user settings.
void Arrancar(const FormatSettings& ajustesUsuario);

// Arrancar for the program: a failure (drive C: that cannot be made, for
// instance) is written to standard error and shown by `mostrarError`, and
// the answer is false, so that the program ends; before any window exists,
// that box is the only place a user who started it from a menu sees it.
bool ArrancarOAvisar(const FormatSettings& ajustesUsuario,
                     const std::function<void(const QString& mensaje)>& mostrarError);
// The program's box for that failure.
void CuadroDeArranqueFallido(const QString& mensaje);

// Finalises the modules in the reverse order, once the window is gone.
void Finalizar();
