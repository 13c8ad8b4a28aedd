// Shared main of the test binaries: the numerical library starts as the
// program does, with '.' as decimal separator in the captured settings.
// Binaries that draw (charts and above) also get a Qt application, offscreen
// unless the environment chooses a platform; the window's binary gets a
// QApplication, which widgets need. No capture of standard output or error
// outlives the test that opened it (tests/soporte/captura_salida.h).
#include <gtest/gtest.h>

#include <memory>

#include "numerics/formatsettings.h"
#include "numerics/inicio.h"
#include "tests/soporte/captura_salida.h"

#if defined(QUENDAL_TEST_CON_WIDGETS)
#include <QApplication>
using TAplicacionDePrueba = QApplication;
#elif defined(QUENDAL_TEST_CON_QT)
#include <QGuiApplication>
using TAplicacionDePrueba = QGuiApplication;
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // GoogleTest owns its listeners.
    ::testing::UnitTest::GetInstance()->listeners().Append(std::make_unique<TLiberadorDeCapturas>().release());
    AjustesFormato() = FormatSettings{};
    InicializarNumericos();
#ifdef QUENDAL_TEST_CON_QT
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TAplicacionDePrueba aplicacion(argc, argv);
#endif
    return RUN_ALL_TESTS();
}
