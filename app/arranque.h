#pragma once
// Start-up of the program's modules, in their fixed order, before any window.
#include "numerics/formatsettings.h"

// The user's number and date settings read from the system locale, in the
// program's own date dialect, with single ASCII separators.
FormatSettings AjustesDelSistema();

// Runs the start-up sequence with the given user settings.
void Arrancar(const FormatSettings& ajustesUsuario);

// Finalises the modules in the reverse order, once the window is gone.
void Finalizar();
