// A start-up that cannot make drive C: tells the user in a box, not only on
// standard error, before the program ends.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/arranque.h"
#include "numerics/formatsettings.h"
#include "unidad_temporal.h"

namespace {

using ArranqueFallido = UnidadCTemporal;

TEST_F(ArranqueFallido, UnaUnidadCQueNoSePuedeCrearSeMuestraEnUnCuadro) {
    std::ofstream(unidad_ + "/archivo") << "x";
    const std::string carpeta = unidad_ + "/archivo/c";
    setenv("QUENDAL_UNIDAD_C", carpeta.c_str(), 1);
    QStringList cuadros;
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const bool arrancado = ArrancarOAvisar(AjustesFormato(), [&](const QString& mensaje) { cuadros << mensaje; });
    const std::string error = ::testing::internal::GetCapturedStderr();
    ::testing::internal::GetCapturedStdout();
    EXPECT_FALSE(arrancado);
    const std::string esperado = "No se puede crear la carpeta C: (" + carpeta +
                                 ", según QUENDAL_UNIDAD_C): una parte de la ruta es un archivo, no una carpeta";
    ASSERT_EQ(cuadros.size(), 1);
    EXPECT_EQ(cuadros[0].toStdString(), esperado);
    EXPECT_EQ(error, esperado + "\n");
}

TEST_F(ArranqueFallido, UnArranqueSinFallosNoMuestraNada) {
    const FormatSettings guardados = AjustesFormato();
    QStringList cuadros;
    ::testing::internal::CaptureStdout();
    const bool arrancado = ArrancarOAvisar(guardados, [&](const QString& mensaje) { cuadros << mensaje; });
    ::testing::internal::GetCapturedStdout();
    EXPECT_TRUE(arrancado);
    EXPECT_TRUE(cuadros.isEmpty());
    EXPECT_TRUE(std::filesystem::is_directory(unidad_ + "/tarnek/modelado_ro"));
    Finalizar();
}

}  // namespace
