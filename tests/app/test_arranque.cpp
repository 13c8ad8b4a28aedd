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

// Qt's locale formats in the program's dialect. The C locale (no LANG) has
// its month by name, which the dialect writes as a number.
TEST(FormatoDelDialecto, TraduceLosFormatosDeQt) {
    const struct {
        const char* qt;
        const char* dialecto;
    } casos[] = {
        {"dd/MM/yyyy", "dd/mm/yyyy"},  {"M/d/yy", "m/d/yy"},           {"d MMM yyyy", "d mm yyyy"},
        {"dddd, d MMMM yyyy", "d mm yyyy"}, {"HH:mm:ss", "hh:nn:ss"}, {"h:mm:ss AP", "h:nn:ss"},
        {"yyyy-MM-dd", "yyyy-mm-dd"},  {"dd.MM.yy", "dd.mm.yy"},
    };
    for (const auto& caso : casos)
        EXPECT_EQ(FormatoDelDialecto(QString::fromLatin1(caso.qt)), caso.dialecto) << caso.qt;
}

}  // namespace
