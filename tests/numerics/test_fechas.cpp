// Dates: encoding and decoding against known day numbers (the day numbers of
// 1900-03-01 on agree with spreadsheet serial dates), the calendar walked day
// by day, formatting in the program's dialect and the sample index of a year
// of ten-minute times.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "numerics/errores.h"
#include "numerics/fechas.h"
#include "numerics/formatsettings.h"

namespace {

constexpr double kMsPorDia = 86400000.0;

struct CasoFecha {
    TFechaHora fecha;
    double diaEsperado;         // whole day number
    double fraccionEsperada;    // signed as the date-time stores it
    int diaDeLaSemana;          // 1 = Sunday
};

class FechaConocida : public ::testing::TestWithParam<CasoFecha> {};

TEST_P(FechaConocida, CodificaYDecodificaIdaYVuelta) {
    const CasoFecha& c = GetParam();
    const TFechaHora& f = c.fecha;
    const TDateTime t = EncodeDateTime(f.anio, f.mes, f.dia, f.hora, f.minuto, f.segundo, f.milisegundo);
    EXPECT_EQ(EncodeDate(f.anio, f.mes, f.dia), c.diaEsperado);
    EXPECT_NEAR(t, c.diaEsperado + c.fraccionEsperada, 1e-9);
    EXPECT_EQ(DecodeDateTime(t), f);
    EXPECT_EQ(DiaDeLaSemana(t), c.diaDeLaSemana);
}

INSTANTIATE_TEST_SUITE_P(
    Fechas, FechaConocida,
    ::testing::Values(
        CasoFecha{{1899, 12, 30, 0, 0, 0, 0}, 0, 0, 7},
        CasoFecha{{1899, 12, 31, 0, 0, 0, 0}, 1, 0, 1},
        CasoFecha{{1900, 2, 28, 0, 0, 0, 0}, 60, 0, 4},
        CasoFecha{{1900, 3, 1, 0, 0, 0, 0}, 61, 0, 5},  // 1900 is not a leap year
        CasoFecha{{2000, 2, 29, 12, 0, 0, 0}, 36585, 0.5, 3},
        CasoFecha{{2024, 2, 29, 0, 0, 0, 0}, 45351, 0, 5},
        CasoFecha{{2024, 3, 5, 7, 9, 4, 35}, 45356, 25744035.0 / kMsPorDia, 3},
        CasoFecha{{2023, 1, 1, 23, 59, 59, 999}, 44927, 86399999.0 / kMsPorDia, 1},
        // Before 1899-12-30 the time is the magnitude of a negative fraction.
        CasoFecha{{1899, 12, 29, 6, 0, 0, 0}, -1, -0.25, 6},
        CasoFecha{{1800, 3, 1, 18, 0, 0, 0}, -36463, -0.75, 7},
        CasoFecha{{1600, 2, 29, 0, 0, 0, 0}, -109512, 0, 3},
        CasoFecha{{1, 1, 1, 0, 0, 0, 0}, -693593, 0, 2},
        CasoFecha{{9999, 12, 31, 0, 0, 0, 0}, 2958465, 0, 6}));

// Every day from year 1 to 9999 decodes to the calendar day after the
// previous one, and encodes back to its own number.
TEST(Calendario, CadaDiaSigueAlAnterior) {
    TFechaHora anterior = DecodeDateTime(-693593);
    ASSERT_EQ(anterior, (TFechaHora{1, 1, 1, 0, 0, 0, 0}));
    for (int dia = -693592; dia <= 2958465; ++dia) {
        const TFechaHora f = DecodeDateTime(dia);
        TFechaHora esperado = anterior;
        if (++esperado.dia > DiasDelMes(esperado.anio, esperado.mes)) {
            esperado.dia = 1;
            if (++esperado.mes > 12) {
                esperado.mes = 1;
                ++esperado.anio;
            }
        }
        ASSERT_EQ(f, esperado) << "día " << dia;
        ASSERT_EQ(EncodeDate(f.anio, f.mes, f.dia), dia);
        anterior = f;
    }
    EXPECT_EQ(anterior, (TFechaHora{9999, 12, 31, 0, 0, 0, 0}));
}

TEST(Calendario, BisiestosYDiasDelMes) {
    EXPECT_TRUE(EsBisiesto(2024));
    EXPECT_TRUE(EsBisiesto(2000));
    EXPECT_FALSE(EsBisiesto(1900));
    EXPECT_FALSE(EsBisiesto(2023));
    EXPECT_EQ(DiasDelMes(2024, 2), 29);
    EXPECT_EQ(DiasDelMes(1900, 2), 28);
    EXPECT_EQ(DiasDelMes(2023, 4), 30);
    EXPECT_EQ(DiasDelMes(2023, 12), 31);
    EXPECT_THROW(DiasDelMes(2023, 13), EConvertError);
}

TEST(Decodificar, RedondeaAlMilisegundoAntesDeSepararElDia) {
    const TDateTime dia = EncodeDate(2024, 2, 28);
    EXPECT_EQ(DecodeDateTime(dia + 86399999.6 / kMsPorDia), (TFechaHora{2024, 2, 29, 0, 0, 0, 0}));
    EXPECT_EQ(DecodeDateTime(dia + 86399999.4 / kMsPorDia), (TFechaHora{2024, 2, 28, 23, 59, 59, 999}));
    // The same on the negative side: the magnitude rounds up to the next day.
    EXPECT_EQ(DecodeDateTime(-1.0 - 86399999.6 / kMsPorDia), (TFechaHora{1899, 12, 28, 0, 0, 0, 0}));
    EXPECT_EQ(DiaDeLaSemana(dia + 86399999.6 / kMsPorDia), 5);  // Thursday the 29th
}

TEST(Decodificar, DosFormasDelDiaCero) {
    // -0.5 and 0.5 are both noon of 1899-12-30.
    EXPECT_EQ(DecodeDateTime(-0.5), (TFechaHora{1899, 12, 30, 12, 0, 0, 0}));
    EXPECT_EQ(DecodeDateTime(0.5), (TFechaHora{1899, 12, 30, 12, 0, 0, 0}));
}

TEST(Decodificar, FueraDeRangoONoFinitoEsError) {
    EXPECT_THROW(DecodeDateTime(std::numeric_limits<double>::quiet_NaN()), EConvertError);
    EXPECT_THROW(DecodeDateTime(std::numeric_limits<double>::infinity()), EConvertError);
    EXPECT_THROW(DecodeDateTime(2958466.0), EConvertError);
    EXPECT_THROW(DecodeDateTime(-693594.0), EConvertError);
    EXPECT_THROW(DecodeDateTime(1e300), EConvertError);
}

struct FechaInvalida {
    int anio, mes, dia;
};

class CodificarFechaInvalida : public ::testing::TestWithParam<FechaInvalida> {};

TEST_P(CodificarFechaInvalida, EsErrorDeConversion) {
    const FechaInvalida& f = GetParam();
    EXPECT_THROW(EncodeDate(f.anio, f.mes, f.dia), EConvertError);
}

INSTANTIATE_TEST_SUITE_P(Fechas, CodificarFechaInvalida,
                         ::testing::Values(FechaInvalida{2023, 2, 29}, FechaInvalida{1900, 2, 29},
                                           FechaInvalida{2024, 4, 31}, FechaInvalida{2024, 13, 1},
                                           FechaInvalida{2024, 0, 1}, FechaInvalida{2024, 1, 0},
                                           FechaInvalida{0, 1, 1}, FechaInvalida{10000, 1, 1}));

TEST(Codificar, HoraInvalidaEsErrorDeConversion) {
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 0, 60, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
    EXPECT_THROW(EncodeTime(-1, 0, 0, 0), EConvertError);
    EXPECT_THROW(EncodeDateTime(2023, 2, 29, 0, 0, 0, 0), EConvertError);
    EXPECT_EQ(EncodeTime(18, 0, 0, 0), 0.75);
}

// ---- Formatting ----

FormatSettings AjustesPorDefecto() { return FormatSettings{}; }

FormatSettings AjustesConPuntos() {
    FormatSettings f;
    f.DateSeparator = '.';
    f.TimeSeparator = '.';
    return f;
}

struct CasoFormato {
    const char* formato;
    FormatSettings (*ajustes)();
    TFechaHora fecha;
    const char* esperado;
};

class Formatear : public ::testing::TestWithParam<CasoFormato> {};

TEST_P(Formatear, DaElTextoEsperado) {
    const CasoFormato& c = GetParam();
    const TFechaHora& f = c.fecha;
    const TDateTime t = EncodeDateTime(f.anio, f.mes, f.dia, f.hora, f.minuto, f.segundo, f.milisegundo);
    EXPECT_EQ(FormatDateTime(c.formato, t, c.ajustes()), c.esperado);
}

constexpr TFechaHora kMarzo{2024, 3, 5, 7, 9, 4, 35};
constexpr TFechaHora kMedianoche{2024, 3, 5, 0, 0, 0, 0};

INSTANTIATE_TEST_SUITE_P(
    Dialecto, Formatear,
    ::testing::Values(
        CasoFormato{"dd-mm-yyyy hh:mm", AjustesPorDefecto, kMarzo, "05-03-2024 07:09"},
        CasoFormato{"yyyy-MM-dd", AjustesPorDefecto, kMarzo, "2024-03-05"},
        CasoFormato{"yyyy-MM-dd HH:mm:ss", AjustesPorDefecto, kMarzo, "2024-03-05 07:09:04"},
        CasoFormato{"dd/mm/yyyy", AjustesConPuntos, kMarzo, "05.03.2024"},
        CasoFormato{"dd/mm/yyyy hh:nn:ss", AjustesConPuntos, kMarzo, "05.03.2024 07.09.04"},
        CasoFormato{"yyyy/mm/dd hh:mm", AjustesPorDefecto, kMarzo, "2024/03/05 07:09"},
        CasoFormato{"d/m/yy h:n:s.zzz", AjustesPorDefecto, kMarzo, "5/3/24 7:9:4.035"},
        CasoFormato{"YYYY", AjustesPorDefecto, kMarzo, "2024"},
        // "m" is minutes only right after an hour token, literals aside.
        CasoFormato{"hh 'h' mm", AjustesPorDefecto, kMarzo, "07 h 09"},
        CasoFormato{"hh dd mm", AjustesPorDefecto, kMarzo, "07 05 03"},
        CasoFormato{"mm/dd hh", AjustesPorDefecto, kMarzo, "03/05 07"},
        // Quoted text is literal; other characters are copied.
        CasoFormato{"dd \"de\" mm 'hh:mm'", AjustesPorDefecto, kMarzo, "05 de 03 hh:mm"},
        CasoFormato{"[dd]_", AjustesPorDefecto, kMarzo, "[05]_"},
        // "c": short date, and the long time unless midnight.
        CasoFormato{"c", AjustesPorDefecto, kMarzo, "05/03/2024 07:09:04"},
        CasoFormato{"c", AjustesPorDefecto, kMedianoche, "05/03/2024"},
        CasoFormato{"dd/mm/yyyy hh:nn", AjustesPorDefecto, (TFechaHora{1899, 12, 29, 6, 0, 0, 0}),
                    "29/12/1899 06:00"},
        CasoFormato{"yyyy", AjustesPorDefecto, (TFechaHora{1, 1, 1, 0, 0, 0, 0}), "0001"}));

TEST(Formatear, MilisegundoRedondeadoPasaAlDiaSiguiente) {
    const TDateTime t = EncodeDate(2023, 12, 31) + 86399999.6 / kMsPorDia;
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", t, FormatSettings{}), "2024-01-01 00:00:00.000");
}

class TextosDeFecha : public ::testing::Test {
protected:
    void SetUp() override {
        anteriores_ = AjustesFormato();
        AjustesFormato().ShortDateFormat = "dd/mm/yyyy";
        AjustesFormato().LongTimeFormat = "hh:nn:ss";
        AjustesFormato().DateSeparator = '-';
        AjustesFormato().TimeSeparator = '.';
    }
    void TearDown() override { AjustesFormato() = anteriores_; }

private:
    FormatSettings anteriores_;
};

TEST_F(TextosDeFecha, UsanLosAjustesEnVigor) {
    const TDateTime t = EncodeDateTime(2024, 3, 5, 7, 9, 4, 0);
    EXPECT_EQ(DateToStr(t), "05-03-2024");
    EXPECT_EQ(TimeToStr(t), "07.09.04");
    EXPECT_EQ(DateTimeToStr(t), "05-03-2024 07.09.04");
    EXPECT_EQ(FormatDateTime("dd/mm", t), "05-03");
}

TEST_F(TextosDeFecha, FechaHoraSinHoraCuandoEsMedianoche) {
    EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 3, 5)), "05-03-2024");
    // One millisecond past midnight is a time of day.
    EXPECT_EQ(DateTimeToStr(EncodeDateTime(2024, 3, 5, 0, 0, 0, 1)), "05-03-2024 00.00.00");
}

// ---- Samples ----

// Every ten-minute time of 2023, encoded from its calendar fields as a series
// file's dates are, falls in its own sample.
TEST(Muestras, CadaDiezMinutosDeUnAnioCaenEnSuMuestra) {
    const TDateTime t1 = EncodeDate(2023, 1, 1);
    const double dt = 1.0 / 144.0;
    int k = 0;
    for (int mes = 1; mes <= 12; ++mes)
        for (int dia = 1; dia <= DiasDelMes(2023, mes); ++dia)
            for (int minutoDelDia = 0; minutoDelDia < 1440; minutoDelDia += 10) {
                ++k;
                const TDateTime t = EncodeDateTime(2023, mes, dia, minutoDelDia / 60, minutoDelDia % 60, 0, 0);
                ASSERT_EQ(MuestraDeFecha(t1, dt, t), k) << DecodeDateTime(t).dia << "/" << mes;
                ASSERT_EQ(MuestraDeFecha(t1, dt, FechaDeMuestra(t1, dt, k)), k);
                ASSERT_NEAR(FechaDeMuestra(t1, dt, k), t, 1e-9);
            }
    EXPECT_EQ(k, 52560);
}

TEST(Muestras, UnInstanteDentroDeLaMuestraEsDeEsaMuestra) {
    const TDateTime t1 = EncodeDateTime(2023, 6, 1, 0, 0, 0, 0);
    const double dt = 1.0 / 144.0;
    EXPECT_EQ(MuestraDeFecha(t1, dt, t1), 1);
    EXPECT_EQ(MuestraDeFecha(t1, dt, t1 + 5.0 / 1440.0), 1);
    EXPECT_EQ(MuestraDeFecha(t1, dt, t1 + 599.0 / 86400.0), 1);
    EXPECT_EQ(MuestraDeFecha(t1, dt, t1 + 600.0 / 86400.0), 2);
    EXPECT_EQ(FechaDeMuestra(t1, 0.25, 5), t1 + 1.0);
}

TEST(Muestras, CocienteNoFinitoOFueraDeRangoEsErrorDePuntoFlotante) {
    EXPECT_THROW(MuestraDeFecha(45000.0, 0.0, 45001.0), EMathError);
    EXPECT_THROW(MuestraDeFecha(45000.0, 1.0 / 144.0, std::numeric_limits<double>::quiet_NaN()), EMathError);
    EXPECT_THROW(MuestraDeFecha(0.0, 1e-9, 45000.0), EMathError);
}

}  // namespace
