#include "app/cajas.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTableWidget>
#include <QVBoxLayout>
#include <vector>

#include "app/traducciones.h"
#include "app/ventanaparque.h"
#include "numerics/errores.h"
#include "numerics/formatonumeros.h"
#include "numerics/formatsettings.h"
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

// The short date format in force as a Qt display format.
QString FormatoQtDeFecha(const FormatSettings& ajustes) {
    QString formato;
    for (char c : ajustes.ShortDateFormat) {
        if (c == 'm' || c == 'M') formato += QLatin1Char('M');
        else if (c == 'D') formato += QLatin1Char('d');
        else if (c == 'Y') formato += QLatin1Char('y');
        else if (c == '/') formato += QLatin1Char(ajustes.DateSeparator);
        else formato += QLatin1Char(c);
    }
    return formato;
}

}  // namespace

QString Qs(const std::string& texto) { return QString::fromStdString(texto); }

QString TextoDeNumero(double x) { return Qs(FormatoGeneral(x, 15)); }

std::string N(int32_t k) { return std::to_string(k); }

// ---- Making controls ----

QLineEdit* NuevaCaja(const char* nombre, const QString& texto) {
    auto* caja = new QLineEdit(texto);
    caja->setObjectName(NombreDe(nombre));
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
    auto* selector = new QDateEdit(FechaDeTextoCorto(QString::fromLatin1(textoInicial), ajustes));
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
    columna->addWidget(texto);
    columna->addWidget(control);
    return marco;
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

int32_t EnteroDe(const QLineEdit* caja) { return TextoAEntero(Txt(caja)); }

double RealDe(const QLineEdit* caja) { return CadenaAReal(Txt(caja)); }

TDateTime FechaDe(const QDateEdit* selector) {
    const QDate d = selector->date();
    return EncodeDate(d.year(), d.month(), d.day());
}

int32_t LongitudDeAnillo(const QLineEdit* caja) {
    const std::string texto = Txt(caja);
    const int32_t muestras = TextoAEntero(texto);
    if (muestras < 1)
        throw EConvertError("Muestras Buffer debe ser un número entero mayor o igual que 1, no \"" + texto + "\"");
    return muestras;
}

void PonerCelda(QTableWidget* rejilla, int columna, int fila, const QString& texto) {
    rejilla->setItem(fila, columna, new QTableWidgetItem(texto));
}

void CopiarTexto(const QLineEdit* desde, QLineEdit* hacia) {
    if (hacia->text() != desde->text()) hacia->setText(desde->text());
}

void CopiarFecha(const QDateEdit* desde, QDateEdit* hacia) {
    if (hacia->date() != desde->date()) hacia->setDate(desde->date());
}
