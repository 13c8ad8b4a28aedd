// Reading a real from a box: whatever the evaluator raises names the box and
// keeps its type.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <ostream>
#include <string>

#include "app/cajas.h"
#include "numerics/errores.h"
#include "numerics/formatsettings.h"

namespace {

struct TCasoDesborde {
    const char* texto;
    const char* mensaje;
};

void PrintTo(const TCasoDesborde& caso, std::ostream* os) { *os << caso.texto; }

// Under a comma separator, so that a note about it would show: it belongs to
// the conversion error only, and a number beyond a double is no slip of the
// separator.
class RealQueDesborda : public ::testing::TestWithParam<TCasoDesborde> {
protected:
    void SetUp() override {
        previos_ = AjustesFormato();
        AjustesFormato().DecimalSeparator = ',';
    }
    void TearDown() override { AjustesFormato() = previos_; }

private:
    FormatSettings previos_;
};

TEST_P(RealQueDesborda, EsElErrorDePuntoFlotanteConElNombreDeLaCaja) {
    QLineEdit caja(QString::fromLatin1(GetParam().texto));
    NombrarEnMensajes(&caja, QStringLiteral("Alfa terreno:"));
    try {
        RealDe(&caja);
        FAIL() << "se esperaba un error";
    } catch (const EMathError& e) {
        EXPECT_EQ(std::string(e.what()), GetParam().mensaje);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Casos, RealQueDesborda,
    ::testing::Values(TCasoDesborde{"1E400", "Alfa terreno: Error de punto flotante en el número 1E400"},
                      TCasoDesborde{"1E300*1E300", "Alfa terreno: Error de punto flotante en el producto"},
                      TCasoDesborde{"EXP(710)", "Alfa terreno: Error de punto flotante en EXP"}));

}  // namespace
