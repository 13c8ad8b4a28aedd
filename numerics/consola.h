#pragma once
// The program's console. Every progress line, report and listing meant for
// the user goes through EscribirEnConsola: the text goes to standard output
// as it stands (a carriage return rewrites the line in place on a terminal)
// and is flushed at once, so a log file or a pipe receives it as it happens;
// then the console's observer, when one is set, receives the same text, so
// that a window can show it too. Called on the main thread only: worker
// threads never print.
#include <string_view>

class TObservadorConsola {
public:
    virtual ~TObservadorConsola() = default;
    // The text just written, exactly as written: carriage returns and line
    // ends included, a line possibly split over several calls.
    virtual void TextoEscrito(std::string_view texto) = 0;
};

// Writes the text as it stands.
void EscribirEnConsola(std::string_view texto);
// Writes the text and a line end.
void EscribirLineaEnConsola(std::string_view linea);

// Makes standard output line-buffered, so that a log written to a file or a
// pipe gets each line as it is written even from code that bypasses the
// console; called first thing in main, before anything is printed.
void SalidaEstandarPorLineas();

// Sets the observer (nullptr: none) and returns the one set before.
TObservadorConsola* FijarObservadorConsola(TObservadorConsola* observador);
TObservadorConsola* ObservadorConsola();
