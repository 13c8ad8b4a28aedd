#include <gtest/gtest.h>

#include <filesystem>

#include "app/arranque.h"
#include "data/utsdbTypes.h"
#include "numerics/formatsettings.h"
#include "unidad_temporal.h"

namespace {

class Arranque : public UnidadCTemporal {};

// Start-up makes the model root on drive C: and fills the series catalogue;
// finalising empties it again.
TEST_F(Arranque, IniciaLosModulosEnOrdenYLosFinaliza) {
    const FormatSettings guardados = AjustesFormato();
    Arrancar(guardados);
    EXPECT_TRUE(std::filesystem::is_directory(unidad_ + "/tarnek/modelado_ro"));
    EXPECT_EQ(CatalogoSeries.size(), 22u);
    Finalizar();
    EXPECT_TRUE(CatalogoSeries.empty());
    EXPECT_EQ(AjustesFormato(), guardados);
}

}  // namespace
