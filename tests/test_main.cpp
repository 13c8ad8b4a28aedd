// Shared main of the test binaries: the numerical library starts as the
// program does, with '.' as decimal separator in the captured settings.
// Binaries that draw (charts and above) also get a Qt application, offscreen
// unless the environment chooses a platform; the window's binary gets a
// QApplication, which widgets need.
#include <gtest/gtest.h>

#include "numerics/formatsettings.h"
#include "numerics/inicio.h"

#if defined(QUENDAL_TEST_CON_WIDGETS)
#include <QApplication>
using TAplicacionDePrueba = QApplication;
#elif defined(QUENDAL_TEST_CON_QT)
#include <QGuiApplication>
using TAplicacionDePrueba = QGuiApplication;
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    AjustesFormato() = FormatSettings{};
    InicializarNumericos();
#ifdef QUENDAL_TEST_CON_QT
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TAplicacionDePrueba aplicacion(argc, argv);
#endif
    return RUN_ALL_TESTS();
}
