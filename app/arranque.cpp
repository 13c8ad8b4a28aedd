#include "app/arranque.h"

#include <QLocale>
#include <QString>

#include "data/inicio.h"
#include "data/utsdbTypes.h"
#include "numerics/inicio.h"
#include "numerics/uauxiliares.h"

namespace {

char SeparadorAscii(const QString& texto, char sustituto) {
    if (texto.size() == 1 && texto[0].unicode() > 32 && texto[0].unicode() < 127)
        return static_cast<char>(texto[0].unicode());
    return sustituto;
}

// One run of a repeated letter of a Qt format in the dialect, or nothing.
std::string RachaEnDialecto(char16_t letra, qsizetype largo) {
    const auto racha = [largo](char c) { return std::string(static_cast<std::size_t>(largo), c); };
    switch (letra) {
        case 'M': return largo >= 3 ? std::string("mm") : racha('m');  // a month by name: its number
        case 'd': return largo >= 3 ? std::string() : racha('d');      // a weekday name: dropped
        case 'm': return racha('n');
        case 'H':
        case 'h': return racha('h');
        case 'y':
        case 's': return racha(static_cast<char>(letra));
        default: break;
    }
    const bool esLetra = (letra >= 'a' && letra <= 'z') || (letra >= 'A' && letra <= 'Z');
    if (letra < 127 && !esLetra && letra != '\'') return racha(static_cast<char>(letra));
    return {};
}

}  // namespace

// Qt's date-format letters to the program's dialect: 'M' is the month,
// 'm' minutes ('n' here), 'H' the hour; quoted text and other letters
// (am/pm, time zones) are dropped, separators kept. The dialect writes months
// and days only as numbers, so a month by name ("MMM", as in the C locale's
// "d MMM yyyy") becomes the two-digit month and a weekday name is dropped.
std::string FormatoDelDialecto(const QString& formatoQt) {
    std::string formato;
    for (qsizetype i = 0; i < formatoQt.size();) {
        qsizetype fin = i;
        while (fin < formatoQt.size() && formatoQt[fin] == formatoQt[i]) ++fin;
        formato += RachaEnDialecto(formatoQt[i].unicode(), fin - i);
        i = fin;
    }
    while (!formato.empty() && formato.back() == ' ') formato.pop_back();
    while (!formato.empty() && (formato.front() == ' ' || formato.front() == ',')) formato.erase(0, 1);
    return formato;
}

namespace {

char PrimerSeparador(const std::string& formato, char sustituto) {
    for (char c : formato)
        if (!((c >= 'a' && c <= 'z') || c == ' ')) return c;
    return sustituto;
}

}  // namespace

FormatSettings AjustesDelSistema() {
    const QLocale local = QLocale::system();
    FormatSettings ajustes;
    ajustes.DecimalSeparator = SeparadorAscii(local.decimalPoint(), '.');
    ajustes.ThousandSeparator = SeparadorAscii(local.groupSeparator(), '.');
    const std::string fechaCorta = FormatoDelDialecto(local.dateFormat(QLocale::ShortFormat));
    const std::string hora = FormatoDelDialecto(local.timeFormat(QLocale::LongFormat));
    ajustes.DateSeparator = PrimerSeparador(fechaCorta, '/');
    ajustes.TimeSeparator = PrimerSeparador(hora, ':');
    // The formats hold the placeholders '/' and ':' for the separators.
    auto conMarcadores = [](std::string f, char sep, char marcador) {
        for (char& c : f)
            if (c == sep) c = marcador;
        return f;
    };
    ajustes.ShortDateFormat = conMarcadores(fechaCorta, ajustes.DateSeparator, '/');
    ajustes.LongTimeFormat = conMarcadores(hora, ajustes.TimeSeparator, ':');
    ajustes.LongDateFormat = ajustes.ShortDateFormat + " " + ajustes.LongTimeFormat;
    return ajustes;
}

void Arrancar(const FormatSettings& ajustesUsuario) {
    AjustesFormato() = ajustesUsuario;
    InicializarNumericos();
    InicializarDatos();
    InicializarUTSDBTypes();
}

void Finalizar() {
    FinalizarUTSDBTypes();
    FinalizarUAuxiliares();
}
