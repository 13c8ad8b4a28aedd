#pragma once
// Start-up of the numerical library, in module order: the zero threshold,
// then the capture of the user's number and date settings (already placed in
// AjustesFormato() by the caller). Called once from main and from test mains.
void InicializarNumericos();
