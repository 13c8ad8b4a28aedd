#pragma once
// A user's number and date settings in force for the life of the object,
// saved as start-up saves them; the settings that were in force before are
// put back and saved again afterwards. For the tests of the libraries, which
// start without Qt's locales; the window's tests start from a QLocale.
#include "numerics/formatsettings.h"
#include "numerics/uauxiliares.h"

class TAjustesDeUsuario {
public:
    explicit TAjustesDeUsuario(const FormatSettings& usuario) : previos_(AjustesFormato()) {
        AjustesFormato() = usuario;
        InicializarUAuxiliares();
    }
    ~TAjustesDeUsuario() {
        AjustesFormato() = previos_;
        InicializarUAuxiliares();
    }
    TAjustesDeUsuario(const TAjustesDeUsuario&) = delete;
    TAjustesDeUsuario& operator=(const TAjustesDeUsuario&) = delete;

private:
    FormatSettings previos_;
};

// The settings of a Spanish desktop (es_ES): decimal comma, '.' between
// thousands, day first and a two-digit year.
inline FormatSettings AjustesDeComaDecimal() {
    FormatSettings a;
    a.DecimalSeparator = ',';
    a.ThousandSeparator = '.';
    a.DateSeparator = '/';
    a.TimeSeparator = ':';
    a.ShortDateFormat = "d/m/yy";
    a.LongDateFormat = "d/m/yy h:nn:ss";
    a.LongTimeFormat = "h:nn:ss";
    return a;
}

// The settings of the C locale, as the test binaries start.
inline FormatSettings AjustesDeC() { return FormatSettings{}; }
