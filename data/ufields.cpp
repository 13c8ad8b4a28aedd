#include "data/ufields.h"

#include "numerics/formatsettings.h"
#include "numerics/textoreal.h"
#include "numerics/uevaluador.h"

namespace {

// Puts '.' in force as decimal separator for its scope and restores the
// separator that was in force before, whatever the invariant-format switch
// has saved.
class SeparadorDecimalPunto {
public:
    SeparadorDecimalPunto() : previo_(AjustesFormato().DecimalSeparator) {
        AjustesFormato().DecimalSeparator = '.';
    }
    ~SeparadorDecimalPunto() { AjustesFormato().DecimalSeparator = previo_; }
    SeparadorDecimalPunto(const SeparadorDecimalPunto&) = delete;
    SeparadorDecimalPunto& operator=(const SeparadorDecimalPunto&) = delete;

private:
    char previo_;
};

}  // namespace

double RealDeLaBaseDeDatos(const std::string& texto) {
    const SeparadorDecimalPunto punto;
    return CadenaAReal(texto);
}

int32_t TField::AsInteger(int32_t porDefecto) const {
    if (texto_.empty()) return porDefecto;
    return TextoAEntero(texto_);
}

double TField::AsFloat(double porDefecto) const {
    if (texto_.empty()) return porDefecto;
    return RealDeLaBaseDeDatos(texto_);
}
