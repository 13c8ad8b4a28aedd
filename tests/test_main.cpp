// Shared main of the test binaries: the numerical library starts as the
// program does, with '.' as decimal separator in the captured settings.
#include <gtest/gtest.h>

#include "numerics/formatsettings.h"
#include "numerics/inicio.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    AjustesFormato() = FormatSettings{};
    InicializarNumericos();
    return RUN_ALL_TESTS();
}
