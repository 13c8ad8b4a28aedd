#pragma once
// Start-up of the data subsystem, called after the numerical library's: the
// model root is printed and made to exist, then the data folders. Either
// failure ends start-up with its error.
void InicializarDatos();
