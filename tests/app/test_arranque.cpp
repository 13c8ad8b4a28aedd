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

// Qt's locale formats in the program's dialect. A month by name (the C
// locale's "d MMM yyyy") gives the numeric "dd/mm/yyyy"; a time zone goes
// with its parentheses.
TEST(FormatoDelDialecto, TraduceLosFormatosDeQt) {
    const struct {
        const char* qt;
        const char* dialecto;
    } casos[] = {
        {"dd/MM/yyyy", "dd/mm/yyyy"},      {"M/d/yy", "m/d/yy"},
        {"d MMM yyyy", "dd/mm/yyyy"},      {"dddd, d MMMM yyyy", "dd/mm/yyyy"},
        {"d 'de' MMMM 'de' yyyy", "dd/mm/yyyy"},
        {"HH:mm:ss", "hh:nn:ss"},          {"h:mm:ss AP", "h:nn:ss"},
        {"H:mm:ss (t)", "h:nn:ss"},        {"HH:mm:ss t", "hh:nn:ss"},
        {"h:mm:ss AP (t)", "h:nn:ss"},     {"(t) HH:mm:ss", "hh:nn:ss"},
        {"HH:mm:ss ('UTC' t)", "hh:nn:ss"}, {"HH:mm:ss ((t))", "hh:nn:ss"},
        {"yyyy-MM-dd", "yyyy-mm-dd"},      {"dd.MM.yy", "dd.mm.yy"},
        {"HH'h'mm", "hhnn"},               {"HH:mm:ss 'Uhr'", "hh:nn:ss"},
        {"yyyy-MM-dd 'MMM'", "yyyy-mm-dd"},
        // A weekday by name is dropped with what parts it from the date.
        {"ddd dd/MM/yyyy", "dd/mm/yyyy"},  {"ddd, d/M/yy", "d/m/yy"},
    };
    for (const auto& caso : casos)
        EXPECT_EQ(FormatoDelDialecto(QString::fromLatin1(caso.qt)), caso.dialecto) << caso.qt;
}

// The settings read from a locale: Qt's own formats in the dialect, and the
// numeric short date under C/POSIX.
TEST(AjustesDelLocale, FormatosYSeparadoresDeCadaLocale) {
    const struct {
        const char* locale;
        const char* fechaCorta;
        const char* hora;
        char separadorDecimal, separadorFecha;
    } casos[] = {
        {"es_ES", "d/m/yy", "h:nn:ss", ',', '/'},
        {"es_UY", "d/m/yy", "hh:nn:ss", ',', '/'},
        {"en_US", "m/d/yy", "h:nn:ss", '.', '/'},
        {"C", "dd/mm/yyyy", "hh:nn:ss", '.', '/'},
        {"POSIX", "dd/mm/yyyy", "hh:nn:ss", '.', '/'},
        {"de_DE", "dd/mm/yy", "hh:nn:ss", ',', '.'},
    };
    for (const auto& c : casos) {
        const FormatSettings a = AjustesDelLocale(QLocale(QString::fromLatin1(c.locale)));
        EXPECT_EQ(a.ShortDateFormat, c.fechaCorta) << c.locale;
        EXPECT_EQ(a.LongTimeFormat, c.hora) << c.locale;
        EXPECT_EQ(a.LongDateFormat, std::string(c.fechaCorta) + " " + c.hora) << c.locale;
        EXPECT_EQ(a.DecimalSeparator, c.separadorDecimal) << c.locale;
        EXPECT_EQ(a.DateSeparator, c.separadorFecha) << c.locale;
        EXPECT_EQ(a.TimeSeparator, ':') << c.locale;
    }
}

}  // namespace
