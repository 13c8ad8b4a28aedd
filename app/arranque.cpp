#include "app/arranque.h"

#include <QLocale>
#include <QMessageBox>
#include <QString>
#include <QStringView>
#include <cstdio>
#include <exception>

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
        case 'M': return racha('m');
        case 'd': return largo >= 3 ? std::string() : racha('d');  // a weekday name: dropped
        case 'm': return racha('n');
        case 'H':
        case 'h': return racha('h');
        case 'y':
        case 's': return racha(static_cast<char>(letra));
        default: break;
    }
    const bool esLetra = (letra >= 'a' && letra <= 'z') || (letra >= 'A' && letra <= 'Z');
    if (letra < 127 && !esLetra && letra != '\'' && letra != '(' && letra != ')')
        return racha(static_cast<char>(letra));
    return {};
}

// Where the quoted text that opens at `i` ends (past its closing quote); a
// doubled quote inside stands for a quote.
qsizetype FinDeCita(QStringView formato, qsizetype i) {
    for (++i; i < formato.size(); ++i) {
        if (formato[i] != QLatin1Char('\'')) continue;
        if (i + 1 < formato.size() && formato[i + 1] == QLatin1Char('\'')) {
            ++i;
            continue;
        }
        return i + 1;
    }
    return formato.size();
}

// Where the parenthesis that opens at `i` closes (past it), quotes and
// nested parentheses taken into account.
qsizetype FinDeParentesis(QStringView formato, qsizetype i) {
    int abiertos = 0;
    while (i < formato.size()) {
        if (formato[i] == QLatin1Char('\'')) {
            i = FinDeCita(formato, i);
            continue;
        }
        if (formato[i] == QLatin1Char('(')) ++abiertos;
        if (formato[i] == QLatin1Char(')') && --abiertos == 0) return i + 1;
        ++i;
    }
    return formato.size();
}

bool TieneCampo(const std::string& formato) { return formato.find_first_of("dmyhns") != std::string::npos; }

// The format translated run by run. Quoted text is dropped; so is a
// parenthesised part that keeps no field (the time zone of "H:mm:ss (t)"),
// parentheses and all.
std::string TraducirFormato(QStringView formatoQt) {
    std::string formato;
    for (qsizetype i = 0; i < formatoQt.size();) {
        const QChar c = formatoQt[i];
        if (c == QLatin1Char('\'')) {
            i = FinDeCita(formatoQt, i);
        } else if (c == QLatin1Char('(')) {
            const qsizetype fin = FinDeParentesis(formatoQt, i);
            const bool cerrado = fin - 1 > i && formatoQt[fin - 1] == QLatin1Char(')');
            const std::string interior = TraducirFormato(formatoQt.mid(i + 1, fin - i - 1 - (cerrado ? 1 : 0)));
            if (TieneCampo(interior)) formato += "(" + interior + ")";
            i = fin;
        } else {
            qsizetype fin = i;
            while (fin < formatoQt.size() && formatoQt[fin] == c) ++fin;
            formato += RachaEnDialecto(c.unicode(), fin - i);
            i = fin;
        }
    }
    return formato;
}

// A month by name: a run of three or more 'M' outside quoted text.
bool MesConNombre(QStringView formatoQt) {
    for (qsizetype i = 0; i < formatoQt.size();) {
        if (formatoQt[i] == QLatin1Char('\'')) {
            i = FinDeCita(formatoQt, i);
            continue;
        }
        qsizetype fin = i;
        while (fin < formatoQt.size() && formatoQt[fin] == formatoQt[i]) ++fin;
        if (formatoQt[i] == QLatin1Char('M') && fin - i >= 3) return true;
        i = fin;
    }
    return false;
}

constexpr const char* FechaNumerica = "dd/mm/yyyy";

}  // namespace

// Qt's date-format letters to the program's dialect: 'M' is the month,
// 'm' minutes ('n' here), 'H' the hour; quoted text, other letters (am/pm,
// time zones) and parentheses left empty by them are dropped, separators
// kept. The dialect writes months and days only as numbers: a weekday name is
// dropped, and a format that spells the month as a name ("d MMM yyyy")
// becomes "dd/mm/yyyy", since its separators were made for the name.
std::string FormatoDelDialecto(const QString& formatoQt) {
    if (MesConNombre(formatoQt)) return FechaNumerica;
    std::string formato = TraducirFormato(formatoQt);
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

FormatSettings AjustesDelSistema() { return AjustesDelLocale(QLocale::system()); }

FormatSettings AjustesDelLocale(const QLocale& local) {
    FormatSettings ajustes;
    ajustes.DecimalSeparator = SeparadorAscii(local.decimalPoint(), '.');
    ajustes.ThousandSeparator = SeparadorAscii(local.groupSeparator(), '.');
    // The C/POSIX locale's dates are a fallback, not a user's choice: numbers.
    const std::string fechaCorta = local.language() == QLocale::C
                                       ? std::string(FechaNumerica)
                                       : FormatoDelDialecto(local.dateFormat(QLocale::ShortFormat));
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

bool ArrancarOAvisar(const FormatSettings& ajustesUsuario,
                     const std::function<void(const QString& mensaje)>& mostrarError) {
    try {
        Arrancar(ajustesUsuario);
        return true;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        mostrarError(QString::fromUtf8(e.what()));
        return false;
    }
}

void CuadroDeArranqueFallido(const QString& mensaje) {
    QMessageBox::critical(nullptr, QStringLiteral("quendal"),
                          QStringLiteral("El programa no puede iniciarse:\n\n") + mensaje);
}

void Finalizar() {
    FinalizarUTSDBTypes();
    FinalizarUAuxiliares();
}
