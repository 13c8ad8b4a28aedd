#pragma once
// The invariant-format switch and the token reader.
//
// Model files, series files and a park's database rows are read and written
// with '.' as decimal separator and four-digit years, whatever the user's
// settings; boxes and result tables follow the user's settings. The switch is
// a nestable push and pop of the process-wide AjustesFormato(): every push
// puts the invariant values in force, and only the pop that closes the
// outermost push restores the user's settings saved at start-up. The lock
// guards the counter and the settings' writes only, not the work between.
//
// The token reader cuts lines of series and position files into numbers.
// Because ',' separates tokens, reals read this way must use '.': callers hold
// the switch pushed.
#include <string>
#include <string_view>

#include "numerics/xmatdefs.h"

// Saves the user's settings now in AjustesFormato(), with the short date's
// year widened to four digits and the date separator taken from that format
// ('/' or '-') when it holds one; the counter starts at 0. The widened values
// reach AjustesFormato() only at the first outermost pop. Tests may call it
// again: it saves anew and resets the counter.
void InicializarUAuxiliares();
void FinalizarUAuxiliares();

// Push: counter + 1 and the invariant settings in force (decimal '.',
// thousands ' ', date separator '-', short date "yyyy-MM-dd", long date
// "yyyy-MM-dd HH:mm:ss"; the other fields are left alone).
void ApilarFormatosInvariantes();
// Pop: counter - 1, and the saved user settings back when it reaches 0. A pop
// at depth 0 has no push to close and changes nothing, so a stray pop cannot
// leave the counter below 0 and the user's settings lost for good.
void DesapilarFormatosInvariantes();
int ProfundidadFormatosInvariantes();

// Holds the switch pushed for its scope; a failure inside pops it before the
// exception goes on to the caller.
class TFormatosInvariantes {
public:
    TFormatosInvariantes() { ApilarFormatosInvariantes(); }
    ~TFormatosInvariantes() { DesapilarFormatosInvariantes(); }
    TFormatosInvariantes(const TFormatosInvariantes&) = delete;
    TFormatosInvariantes& operator=(const TFormatosInvariantes&) = delete;
};

// The token separators: TAB, LF, CR, blank, ',' and ';'.
bool EsSeparadorDePalabra(char c);
// Takes the next token off the front of s. Separators are TAB, LF, CR, blank,
// ',' and ';'; the one that ends the token is consumed too. The token is a view
// into s's text; it is empty, and s is left empty, when s holds no token.
std::string_view SiguientePalabra(std::string_view& s);
// The next token as a plain decimal integer; EConvertError otherwise (also
// for an empty token).
int SiguienteEntero(std::string_view& s);
// The next token evaluated as a real expression with the decimal separator in
// force; EConvertError otherwise.
double SiguienteReal(std::string_view& s);

// Removes the leading bytes below 32 or above 126 (a byte-order mark, control
// characters); a text made only of them becomes empty.
void QuitarNoImprimiblesIniciales(std::string& s);

// Sorts the whole zero-based array in descending order, by the library's
// quicksort scheme.
void OrdenarDescendente(TDAofNReal& a);
