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
// A date picker with a calendar, showing the short date format in force;
// `textoInicial` is read in that format's order.
QDateEdit* NuevoSelectorFecha(const char* nombre, const char* textoInicial);

// ---- Laying them out ----

// A control with its label above it.
QWidget* ConEtiqueta(const QString& etiqueta, QWidget* control);
void IgualarColumnas(QGridLayout* rejilla);
// Lines joined by line feeds, for labels of several lines.
QString Lineas(std::initializer_list<const char*> lineas);

// The cell of the k-th control (from 0) of a two-column grid filled row by
// row from `fila`.
void PonerEnCelda(QGridLayout* rejilla, int fila, int k, QWidget* control);

// ---- Reading and writing them ----

std::string Txt(const QLineEdit* caja);
// Plant numbers and other integers: plain conversion.
int32_t EnteroDe(const QLineEdit* caja);
// Reals: typed, evaluated as an expression.
double RealDe(const QLineEdit* caja);
// A date picker's day at 00:00.
TDateTime FechaDe(const QDateEdit* selector);
// The ring length of the restriction runs: a whole number of at least 1,
// read before any dialog opens.
int32_t LongitudDeAnillo(const QLineEdit* caja);
void PonerCelda(QTableWidget* rejilla, int columna, int fila, const QString& texto);

// Copies between twin controls. An equal value is left alone: no change
// event, so two-way pairs stop.
void CopiarTexto(const QLineEdit* desde, QLineEdit* hacia);
void CopiarFecha(const QDateEdit* desde, QDateEdit* hacia);
