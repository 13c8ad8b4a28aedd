#pragma once
// Start-up of the program's modules, in their fixed order, before any window.
#include <QLocale>
#include <QString>
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

// Finalises the modules in the reverse order, once the window is gone.
void Finalizar();
