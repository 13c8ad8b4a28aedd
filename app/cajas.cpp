#include "app/cajas.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "app/traducciones.h"
#include "app/ventanaparque.h"
#include "numerics/errores.h"
#include "numerics/formatonumeros.h"
#include "numerics/formatsettings.h"
#include "numerics/matreal.h"
#include "numerics/textoreal.h"
#include "numerics/uevaluador.h"

namespace {

QString NombreDe(const char* nombre) { return QString::fromLatin1(nombre); }

// Reads a date text in the order of the short date format in force (day,
// month and year in the order their letters first appear); any non-digit
// separates the numbers. A text that gives no valid date that way is read
// as day, month, year.
QDate FechaDeTextoCorto(const QString& texto, const FormatSettings& ajustes) {
    std::vector<int> numeros;
    int actual = -1;
    for (QChar c : texto + QLatin1Char(' ')) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            actual = (actual < 0 ? 0 : actual * 10) + (c.unicode() - '0');
        } else if (actual >= 0) {
            numeros.push_back(actual);
            actual = -1;
        }
    }
    if (numeros.size() != 3) return QDate();
    std::string orden;
    for (char c : ajustes.ShortDateFormat) {
        const char letra = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if ((letra == 'd' || letra == 'm' || letra == 'y') && orden.find(letra) == std::string::npos) orden += letra;
    }
    if (orden.size() == 3) {
        const QDate fecha(numeros[orden.find('y')], numeros[orden.find('m')], numeros[orden.find('d')]);
        if (fecha.isValid()) return fecha;
    }
    return QDate(numeros[2], numeros[1], numeros[0]);
}

// The short date format in force as a Qt display format, its year widened
// to four digits: a year typed or shown with two digits is a slip waiting
// to happen.
QString FormatoQtDeFecha(const FormatSettings& ajustes) {
    QString formato;
    for (char c : ajustes.ShortDateFormat) {
        if (c == 'y' || c == 'Y') {
            if (!formato.endsWith(QLatin1Char('y'))) formato += QStringLiteral("yyyy");
        } else if (c == 'm' || c == 'M') {
            formato += QLatin1Char('M');
        } else if (c == 'D') {
            formato += QLatin1Char('d');
        } else if (c == '/') {
            formato += QLatin1Char(ajustes.DateSeparator);
        } else {
            formato += QLatin1Char(c);
        }
    }
    return formato;
}

// The order of day, month and year in a Qt date format: "dmy" for
// "d/M/yyyy".
std::string OrdenDeFormato(const QString& formatoQt) {
    std::string orden;
    for (QChar c : formatoQt) {
        const char letra = c == QLatin1Char('d') ? 'd' : c == QLatin1Char('M') ? 'm' : c == QLatin1Char('y') ? 'y' : 0;
        if (letra && orden.find(letra) == std::string::npos) orden += letra;
    }
    return orden.size() == 3 ? orden : "dmy";
}

// A Qt date format in the program's dialect, for messages: "d/m/yyyy".
std::string FormatoParaMensajes(const QString& formatoQt) { return formatoQt.toLower().toStdString(); }

enum class TLecturaFecha {
    Fecha,       // a date that exists
    Incompleta,  // not yet a date (or none that exists: 31/02/2018), but typed that way
    Invalida,    // no typing would make it a date
};

bool EsSeparadorDeFecha(QChar c) {
    return c == QLatin1Char('/') || c == QLatin1Char('-') || c == QLatin1Char('.') ||
           c == QLatin1Char(AjustesFormato().DateSeparator);
}

// A typed date: three numbers in the order given, parted by one separator
// each, the day and the month of one or two digits, the year of four.
TLecturaFecha LeerFechaTecleada(const QString& tecleado, const std::string& orden, QDate& fecha) {
    const QString texto = tecleado.trimmed();
    int numeros[3] = {0, 0, 0}, cifras[3] = {0, 0, 0};
    std::size_t k = 0;
    for (QChar c : texto) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            const int maximo = orden[k] == 'y' ? 4 : 2;
            if (++cifras[k] > maximo) return TLecturaFecha::Invalida;
            numeros[k] = numeros[k] * 10 + (c.unicode() - '0');
        } else if (EsSeparadorDeFecha(c) && cifras[k] > 0 && k < 2) {
            ++k;
        } else {
            return TLecturaFecha::Invalida;
        }
    }
    if (k < 2 || cifras[2] == 0) return TLecturaFecha::Incompleta;
    int dia = 0, mes = 0, anio = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        if (orden[i] == 'y' && cifras[i] != 4) return TLecturaFecha::Incompleta;
        (orden[i] == 'd' ? dia : orden[i] == 'm' ? mes : anio) = numeros[i];
    }
    fecha = QDate(anio, mes, dia);
    return fecha.isValid() ? TLecturaFecha::Fecha : TLecturaFecha::Incompleta;
}

// A date picker into which a date is typed as text: digits and separators
// go to its line as typed, where Qt's date edit would hop between the day,
// month and year fields and drop keystrokes. The arrows, the wheel and the
// calendar work as in Qt's. A text that is no date is kept as typed when the
// picker loses focus, so the run that reads the picker refuses it by name
// instead of running with the previous date.
class TSelectorFecha : public QDateEdit {
public:
    explicit TSelectorFecha(QDate fecha) : QDateEdit(fecha) {
        // Qt's date edit moves the cursor to the nearest field whenever it
        // moves; here the cursor stays where the user puts it.
        disconnect(lineEdit(), SIGNAL(cursorPositionChanged(int, int)), this, nullptr);
    }

protected:
    QValidator::State validate(QString& texto, int&) const override {
        QDate fecha;
        switch (LeerFechaTecleada(texto, OrdenDeFormato(displayFormat()), fecha)) {
        case TLecturaFecha::Fecha: return QValidator::Acceptable;
        case TLecturaFecha::Incompleta: return QValidator::Intermediate;
        case TLecturaFecha::Invalida: break;
        }
        return QValidator::Invalid;
    }
    void fixup(QString&) const override {}
    QDateTime dateTimeFromText(const QString& texto) const override {
        QDate fecha;
        if (LeerFechaTecleada(texto, OrdenDeFormato(displayFormat()), fecha) != TLecturaFecha::Fecha) fecha = date();
        return QDateTime(fecha, QTime(0, 0));
    }

    void keyPressEvent(QKeyEvent* evento) override {
        const int tecla = evento->key();
        if (tecla == Qt::Key_Return || tecla == Qt::Key_Enter) {
            const QString tecleado = text();
            QDateEdit::keyPressEvent(evento);
            ConservarSiNoEsFecha(tecleado);
        } else if (EsEscritura(*evento)) {
            QAbstractSpinBox::keyPressEvent(evento);  // past the date edit's field hopping
        } else {
            QDateEdit::keyPressEvent(evento);
        }
    }
    void focusOutEvent(QFocusEvent* evento) override {
        const QString tecleado = text();
        QDateEdit::focusOutEvent(evento);
        ConservarSiNoEsFecha(tecleado);
    }
    // Tab leaves the picker, as in any box, instead of hopping to its next
    // field.
    bool focusNextPrevChild(bool siguiente) override { return QAbstractSpinBox::focusNextPrevChild(siguiente); }

private:
    static bool EsEscritura(const QKeyEvent& evento) {
        if (evento.key() == Qt::Key_Backspace || evento.key() == Qt::Key_Delete) return true;
        if (evento.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) return false;
        const QString texto = evento.text();
        return !texto.isEmpty() && texto.at(0).isPrint();
    }
    // Qt puts the previous date back when the text is none.
    void ConservarSiNoEsFecha(const QString& tecleado) {
        QDate fecha;
        if (LeerFechaTecleada(tecleado, OrdenDeFormato(displayFormat()), fecha) != TLecturaFecha::Fecha &&
            text() != tecleado)
            lineEdit()->setText(tecleado);
    }
};

const char* const kPropiedadNombreEnMensajes = "nombreEnMensajes";
// A box's text copied from another box: the name of the box it was typed
// into and the text itself. It names the box while the box still holds that
// text, so that a message about a copy names where the user typed it.
const char* const kPropiedadOrigenDelTexto = "origenDelTexto";

}  // namespace

QString Qs(const std::string& texto) { return QString::fromStdString(texto); }

QString TextoDeNumero(double x) { return Qs(FormatoGeneral(x, 15)); }

std::string N(int32_t k) { return std::to_string(k); }

// ---- Making controls ----

QLineEdit* NuevaCaja(const char* nombre, const QString& texto) {
    auto* caja = new QLineEdit(texto);
    caja->setObjectName(NombreDe(nombre));
    // What the user types is the box's own text, whatever it last copied.
    QObject::connect(caja, &QLineEdit::textEdited, caja,
                     [caja] { caja->setProperty(kPropiedadOrigenDelTexto, QVariant()); });
    return caja;
}

QLineEdit* NuevaCajaDeSalida(const char* nombre, const QString& texto) {
    QLineEdit* caja = NuevaCaja(nombre, texto);
    caja->setReadOnly(true);
    return caja;
}

QPushButton* NuevoBoton(const char* nombre, const QString& titulo) {
    auto* boton = new QPushButton(titulo);
    boton->setObjectName(NombreDe(nombre));
    return boton;
}

QCheckBox* NuevaCasilla(const char* nombre, const QString& titulo) {
    auto* casilla = new QCheckBox(titulo);
    casilla->setObjectName(NombreDe(nombre));
    return casilla;
}

QTableWidget* NuevaRejilla(const char* nombre, int columnas, int filas) {
    auto* rejilla = new QTableWidget(filas, columnas);
    rejilla->setObjectName(NombreDe(nombre));
    rejilla->horizontalHeader()->hide();
    rejilla->verticalHeader()->hide();
    return rejilla;
}

TCajaPintura* NuevaCajaPintura(const char* nombre, int ancho, int alto) {
    auto* caja = new TCajaPintura(ancho, alto);
    caja->setObjectName(NombreDe(nombre));
    return caja;
}

QDateEdit* NuevoSelectorFecha(const char* nombre, const char* textoInicial) {
    const FormatSettings& ajustes = AjustesFormato();
    auto* selector = new TSelectorFecha(FechaDeTextoCorto(QString::fromLatin1(textoInicial), ajustes));
    selector->setObjectName(NombreDe(nombre));
    selector->setCalendarPopup(true);
    selector->setDisplayFormat(FormatoQtDeFecha(ajustes));
    // Spanish month and day names; the date itself keeps the format in force.
    selector->calendarWidget()->setLocale(LocalDelCalendario());
    return selector;
}

// ---- Laying them out ----

QWidget* ConEtiqueta(const QString& etiqueta, QWidget* control) {
    auto* marco = new QWidget;
    auto* columna = new QVBoxLayout(marco);
    columna->setContentsMargins(0, 0, 0, 0);
    columna->setSpacing(1);
    auto* texto = new QLabel(etiqueta);
    texto->setBuddy(control);
    if (!control->property(kPropiedadNombreEnMensajes).isValid()) NombrarEnMensajes(control, etiqueta);
    columna->addWidget(texto);
    columna->addWidget(control);
    return marco;
}

void NombrarEnMensajes(QWidget* control, const QString& nombre) {
    QString limpio = nombre.section(QLatin1Char('\n'), 0, 0).trimmed();
    while (limpio.endsWith(QLatin1Char(':'))) limpio = limpio.chopped(1).trimmed();
    control->setProperty(kPropiedadNombreEnMensajes, limpio);
}

std::string NombreEnMensajes(const QWidget* control) {
    if (const auto* caja = qobject_cast<const QLineEdit*>(control)) {
        const QStringList origen = caja->property(kPropiedadOrigenDelTexto).toStringList();
        if (origen.size() == 2 && origen[1] == caja->text()) return origen[0].toStdString();
    }
    const QVariant nombre = control->property(kPropiedadNombreEnMensajes);
    return (nombre.isValid() ? nombre.toString() : control->objectName()).toStdString();
}

void IgualarColumnas(QGridLayout* rejilla) {
    for (int c = 0; c < rejilla->columnCount(); ++c) rejilla->setColumnStretch(c, 1);
}

QString Lineas(std::initializer_list<const char*> lineas) {
    QStringList partes;
    for (const char* l : lineas) partes << QString::fromUtf8(l);
    return partes.join(QLatin1Char('\n'));
}

void PonerEnCelda(QGridLayout* rejilla, int fila, int k, QWidget* control) {
    rejilla->addWidget(control, fila + k / 2, k % 2);
}

// ---- Reading and writing them ----

std::string Txt(const QLineEdit* caja) { return caja->text().toStdString(); }

int32_t EnteroDe(const QLineEdit* caja) {
    try {
        return TextoAEntero(Txt(caja));
    } catch (const EConvertError& e) {
        throw EConvertError(NombreEnMensajes(caja) + ": " + e.what());
    }
}

namespace {

// Called inside a catch block: the error being handled is raised again with
// its own type (conversion, floating-point or other), its message preceded
// by the control's name. A conversion error also says which decimal
// separator is in force when it is not '.', since the text is read with it.
[[noreturn]] void RelanzarNombrandoLaCaja(const QWidget* caja) {
    const std::string nombre = NombreEnMensajes(caja) + ": ";
    try {
        throw;
    } catch (const EConvertError& e) {
        std::string mensaje = nombre + e.what();
        const char separador = AjustesFormato().DecimalSeparator;
        if (separador != '.') mensaje += std::string(" (el separador decimal es '") + separador + "')";
        throw EConvertError(mensaje);
    } catch (const EMathError& e) {
        throw EMathError(nombre + e.what());
    } catch (const EErrorQuendal& e) {
        throw EErrorQuendal(nombre + e.what());
    }
}

}  // namespace

double RealDe(const QLineEdit* caja) {
    try {
        return CadenaAReal(Txt(caja));
    } catch (const EErrorQuendal&) {
        RelanzarNombrandoLaCaja(caja);
    }
}

namespace {

// The typed text in a message, cut where a long table would fill the box.
std::string TextoCitado(const std::string& texto) {
    constexpr std::size_t kLargoCitado = 40;
    std::size_t corte = std::min(texto.size(), kLargoCitado);
    while (corte < texto.size() && (static_cast<unsigned char>(texto[corte]) & 0xC0) == 0x80) --corte;
    return "\"" + texto.substr(0, corte) + (corte < texto.size() ? "…" : "") + "\"";
}

// The table's counts, "[filas|columnas]", cut as the matrix reader cuts
// them: a text without them is refused quoting what was typed, since the
// reader's own message would quote only the piece where a count should be
// (empty for "abc").
void ExigirDimensionesDeTabla(const QLineEdit* caja) {
    const std::string texto = Txt(caja);
    std::string_view resto = texto, pieza;
    CortarHasta(pieza, resto, '[');
    CortarHasta(pieza, resto, '|');
    int filas = 0, columnas = 0;
    const bool hayFilas = TextoDecimalAEntero(pieza, filas);
    CortarHasta(pieza, resto, ']');
    if (hayFilas && TextoDecimalAEntero(pieza, columnas)) return;
    throw EConvertError(NombreEnMensajes(caja) + ": " + TextoCitado(texto) +
                        " no es una tabla: se esperaban sus dimensiones, \"[filas|columnas]\", y luego sus "
                        "elementos, \"[v11][v12]...\"");
}

}  // namespace

TMatR TablaDe(const QLineEdit* caja) {
    ExigirDimensionesDeTabla(caja);
    try {
        return TMatR::Create_DesdeCadena(Txt(caja));
    } catch (const EErrorQuendal&) {
        RelanzarNombrandoLaCaja(caja);
    }
}

TDateTime FechaDe(QDateEdit* selector) {
    QDate fecha;
    const QString texto = selector->text();
    if (LeerFechaTecleada(texto, OrdenDeFormato(selector->displayFormat()), fecha) != TLecturaFecha::Fecha)
        throw EConvertError(NombreEnMensajes(selector) + ": \"" + texto.toStdString() + "\" no es una fecha válida (" +
                            FormatoParaMensajes(selector->displayFormat()) + ")");
    if (fecha != selector->date()) selector->setDate(fecha);
    const QDate d = selector->date();
    return EncodeDate(d.year(), d.month(), d.day());
}

TPeriodo PeriodoDe(QDateEdit* desde, QDateEdit* hasta) {
    const TPeriodo periodo{FechaDe(desde), FechaDe(hasta)};
    if (periodo.desde > periodo.hasta) {
        const auto comoSeMuestra = [](const QDateEdit* s) { return s->date().toString(s->displayFormat()).toStdString(); };
        throw EConvertError("La fecha Desde (" + comoSeMuestra(desde) + ") es posterior a la fecha Hasta (" +
                            comoSeMuestra(hasta) + ").");
    }
    return periodo;
}

int32_t LongitudDeAnillo(const QLineEdit* caja) {
    const std::string texto = Txt(caja);
    int32_t muestras = 0;
    if (!TextoDecimalAEntero(texto, muestras) || muestras < 1 || muestras > kMaximoMuestrasBuffer)
        throw EConvertError(NombreEnMensajes(caja) + " debe ser un número entero entre 1 y " +
                            N(kMaximoMuestrasBuffer) + ", no \"" + texto + "\"");
    return muestras;
}

void PonerCelda(QTableWidget* rejilla, int columna, int fila, const QString& texto) {
    rejilla->setItem(fila, columna, new QTableWidgetItem(texto));
}

// The copy is named after the box the text was typed into (its own origin
// when it is a copy too), before its change event copies it further.
void CopiarTexto(const QLineEdit* desde, QLineEdit* hacia) {
    if (hacia->text() == desde->text()) return;
    hacia->setProperty(kPropiedadOrigenDelTexto, QStringList{Qs(NombreEnMensajes(desde)), desde->text()});
    hacia->setText(desde->text());
}

void CopiarFecha(const QDateEdit* desde, QDateEdit* hacia) {
    if (hacia->date() != desde->date()) hacia->setDate(desde->date());
}
