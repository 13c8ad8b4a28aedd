#include "numerics/formatsettings.h"

FormatSettings& AjustesFormato() {
    static FormatSettings enVigor;
    return enVigor;
}
