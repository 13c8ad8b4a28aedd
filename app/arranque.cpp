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

// Qt's date-format letters to the program's dialect: 'M' is the month,
// 'm' minutes ('n' here), 'H' the hour; quoted text and other letters
// (weekday names, am/pm, time zones) are dropped, separators kept.
std::string FormatoDelDialecto(const QString& formatoQt) {
    std::string formato;
    for (QChar c : formatoQt) {
        const char16_t u = c.unicode();
        if (u == 'M') formato += 'm';
        else if (u == 'm') formato += 'n';
        else if (u == 'H' || u == 'h') formato += 'h';
        else if (u == 'd' || u == 'y' || u == 's') formato += static_cast<char>(u);
        else if (u < 127 && !((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z')) && u != '\'')
            formato += static_cast<char>(u);
    }
    while (!formato.empty() && formato.back() == ' ') formato.pop_back();
    return formato;
}

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
