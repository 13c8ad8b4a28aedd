#pragma once
// The controls of the main window's tabs: making them with their object
// names, laying them out under their labels, and reading what they hold.
// Every tab builds and reads its controls through these.
#include <QString>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "numerics/fechas.h"

class QCheckBox;
class QDateEdit;
class QGridLayout;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QWidget;
class TCajaPintura;
class TMatR;

// The design size of the park picture, on the park tab and the input tab.
inline constexpr int kAnchoParque = 978, kAltoParque = 616;

QString Qs(const std::string& texto);
// A number written into a box: the general form with 15 significant digits.
QString TextoDeNumero(double x);
std::string N(int32_t k);

// ---- Making controls ----

QLineEdit* NuevaCaja(const char* nombre, const QString& texto);
QLineEdit* NuevaCajaDeSalida(const char* nombre, const QString& texto);
QPushButton* NuevoBoton(const char* nombre, const QString& titulo);
QCheckBox* NuevaCasilla(const char* nombre, const QString& titulo);
QTableWidget* NuevaRejilla(const char* nombre, int columnas, int filas);
TCajaPintura* NuevaCajaPintura(const char* nombre, int ancho, int alto);
// A date picker with a calendar, showing the short date format in force with
// a four-digit year; `textoInicial` is read in that format's order. A date
// is typed into it as text in that order, with or without leading zeros;
// the text is taken when the picker loses focus or Enter is pressed, and a
// text that is no date stays as typed, for the run to refuse.
QDateEdit* NuevoSelectorFecha(const char* nombre, const char* textoInicial);

// ---- Laying them out ----

// A control with its label above it. The label also names the control in
// the messages about what it holds, unless it was named already.
QWidget* ConEtiqueta(const QString& etiqueta, QWidget* control);
// The name of a control in messages: a twin is named after the box the user
// types into, a box under a shared label after its part of it.
void NombrarEnMensajes(QWidget* control, const QString& nombre);
// That name: the label's first line without its closing colon or blanks;
// the object name when it has none. A box holding a text copied from
// another box (CopiarTexto) is named after the box the text was typed into.
std::string NombreEnMensajes(const QWidget* control);
void IgualarColumnas(QGridLayout* rejilla);
// Lines joined by line feeds, for labels of several lines.
QString Lineas(std::initializer_list<const char*> lineas);

// The cell of the k-th control (from 0) of a two-column grid filled row by
// row from `fila`.
void PonerEnCelda(QGridLayout* rejilla, int fila, int k, QWidget* control);

// ---- Reading and writing them ----

std::string Txt(const QLineEdit* caja);
// Plant numbers and other integers: plain conversion. A failure names the
// box: "nid Central Solar: ...".
int32_t EnteroDe(const QLineEdit* caja);
// Reals: typed, evaluated as an expression. Any failure of the evaluator
// names the box and keeps its type: a text that is no number (which, when
// the decimal separator in force is not '.', also says which it is), a
// number or result beyond a double.
double RealDe(const QLineEdit* caja);
// Tables: the one-line matrix string "[nf|nc][v11]...[vnm]", each element
// read as a typed real. A failure names the box as RealDe does; a text
// without the two counts is quoted as typed (cut when long).
TMatR TablaDe(const QLineEdit* caja);
// A date picker's day at 00:00, its typed text taken first (so a twin
// follows it); a text that is no date is refused, naming the picker.
TDateTime FechaDe(QDateEdit* selector);
// The period of two pickers, both read by FechaDe; "Desde" after "Hasta" is
// refused, with both dates as the pickers show them.
struct TPeriodo {
    TDateTime desde = 0, hasta = 0;
};
TPeriodo PeriodoDe(QDateEdit* desde, QDateEdit* hasta);
// The longest ring of the restriction runs: a leap year of ten-minute
// samples. A longer one only eats memory.
inline constexpr int32_t kMaximoMuestrasBuffer = 366 * 144;
// The ring length of the restriction runs: a whole number from 1 to
// kMaximoMuestrasBuffer, read before anything is read or run.
int32_t LongitudDeAnillo(const QLineEdit* caja);
void PonerCelda(QTableWidget* rejilla, int columna, int fila, const QString& texto);

// Copies between twin controls. An equal value is left alone: no change
// event, so two-way pairs stop. A copied text keeps, for the messages about
// it, the name of the box it was typed into (NombreEnMensajes), until the
// box holds another text.
void CopiarTexto(const QLineEdit* desde, QLineEdit* hacia);
void CopiarFecha(const QDateEdit* desde, QDateEdit* hacia);
