// The invariant-format switch, seen through the process-wide settings and the
// texts formatted with them, and the token reader.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "numerics/errores.h"
#include "numerics/fechas.h"
#include "numerics/formatsettings.h"
#include "numerics/textoreal.h"
#include "numerics/uauxiliares.h"

namespace {

// Installs a user's settings and saves them as start-up does; restores the
// test main's settings afterwards.
class ConmutadorFormatos : public ::testing::Test {
protected:
    void SetUp() override { anteriores_ = AjustesFormato(); }
    void TearDown() override {
        while (ProfundidadFormatosInvariantes() > 0) DesapilarFormatosInvariantes();
        AjustesFormato() = anteriores_;
        InicializarUAuxiliares();
    }

    // A user with decimal comma and two-digit years, who types dates with '.'.
    static void IniciarConUsuarioDeComa() {
        FormatSettings& f = AjustesFormato();
        f.DecimalSeparator = ',';
        f.ThousandSeparator = '.';
        f.DateSeparator = '.';
        f.TimeSeparator = ':';
        f.ShortDateFormat = "dd/MM/yy";
        f.LongDateFormat = "dd/MM/yy hh:nn";
        f.LongTimeFormat = "hh:nn:ss";
        InicializarUAuxiliares();
    }

    static void ExpectInvariantes() {
        const FormatSettings& f = AjustesFormato();
        EXPECT_EQ(f.DecimalSeparator, '.');
        EXPECT_EQ(f.ThousandSeparator, ' ');
        EXPECT_EQ(f.DateSeparator, '-');
        EXPECT_EQ(f.ShortDateFormat, "yyyy-MM-dd");
        EXPECT_EQ(f.LongDateFormat, "yyyy-MM-dd HH:mm:ss");
    }

    static constexpr double kMarzo = 45356.0 + 0.25;  // 2024-03-05 06:00

private:
    FormatSettings anteriores_;
};

TEST_F(ConmutadorFormatos, AntesDentroYDespuesDelApilado) {
    IniciarConUsuarioDeComa();
    // Before the first pop the user's settings are in force, unchanged.
    EXPECT_EQ(FormatoGeneral(2.5, 15), "2,5");
    EXPECT_EQ(DateToStr(kMarzo), "05.03.24");

    ApilarFormatosInvariantes();
    EXPECT_EQ(ProfundidadFormatosInvariantes(), 1);
    ExpectInvariantes();
    EXPECT_EQ(FormatoGeneral(2.5, 15), "2.5");
    EXPECT_EQ(DateToStr(kMarzo), "2024-03-05");
    EXPECT_EQ(FormatDateTime(AjustesFormato().LongDateFormat, kMarzo), "2024-03-05 06:00:00");
    // Fields outside the switch are left alone.
    EXPECT_EQ(AjustesFormato().LongTimeFormat, "hh:nn:ss");
    EXPECT_EQ(AjustesFormato().TimeSeparator, ':');

    DesapilarFormatosInvariantes();
    EXPECT_EQ(ProfundidadFormatosInvariantes(), 0);
    // Back to the user's, with four-digit years and the format's own '/'.
    EXPECT_EQ(FormatoGeneral(2.5, 15), "2,5");
    EXPECT_EQ(AjustesFormato().ThousandSeparator, '.');
    EXPECT_EQ(AjustesFormato().ShortDateFormat, "dd/MM/yyyy");
    EXPECT_EQ(AjustesFormato().DateSeparator, '/');
    EXPECT_EQ(AjustesFormato().LongDateFormat, "dd/MM/yy hh:nn");
    EXPECT_EQ(DateToStr(kMarzo), "05/03/2024");
}

TEST_F(ConmutadorFormatos, SoloElDesapiladoExteriorRestaura) {
    IniciarConUsuarioDeComa();
    ApilarFormatosInvariantes();
    ApilarFormatosInvariantes();
    EXPECT_EQ(ProfundidadFormatosInvariantes(), 2);
    DesapilarFormatosInvariantes();
    EXPECT_EQ(ProfundidadFormatosInvariantes(), 1);
    ExpectInvariantes();
    DesapilarFormatosInvariantes();
    EXPECT_EQ(AjustesFormato().DecimalSeparator, ',');
    EXPECT_EQ(AjustesFormato().ShortDateFormat, "dd/MM/yyyy");
}

TEST_F(ConmutadorFormatos, UnFalloDentroDeLaGuardaDesapilaAntesDeSeguir) {
    IniciarConUsuarioDeComa();
    try {
        const TFormatosInvariantes invariantes;
        {
            const TFormatosInvariantes anidada;
            EXPECT_EQ(ProfundidadFormatosInvariantes(), 2);
            throw EConvertError("lectura fallida");
        }
    } catch (const EConvertError&) {
        EXPECT_EQ(ProfundidadFormatosInvariantes(), 0);
        EXPECT_EQ(AjustesFormato().DecimalSeparator, ',');
    }
    EXPECT_EQ(ProfundidadFormatosInvariantes(), 0);
}

// A pop with no push to close leaves the counter at 0 and the settings as
// they are, so the next push and pop still restore the user's settings.
TEST_F(ConmutadorFormatos, DesapilarSinApilarNoCambiaNada) {
    IniciarConUsuarioDeComa();
    DesapilarFormatosInvariantes();
    EXPECT_EQ(ProfundidadFormatosInvariantes(), 0);
    EXPECT_EQ(AjustesFormato().ShortDateFormat, "dd/MM/yy");
    {
        const TFormatosInvariantes invariantes;
        ExpectInvariantes();
    }
    EXPECT_EQ(AjustesFormato().DecimalSeparator, ',');
    EXPECT_EQ(ProfundidadFormatosInvariantes(), 0);
}

struct CasoAjusteUsuario {
    const char* fechaCorta;
    char separadorUsuario;
    const char* fechaCortaRestaurada;
    char separadorRestaurado;
};

class AmpliacionFechaCorta : public ConmutadorFormatos,
                             public ::testing::WithParamInterface<CasoAjusteUsuario> {};

TEST_P(AmpliacionFechaCorta, SeRestauraConAnioDeCuatroCifras) {
    const CasoAjusteUsuario& c = GetParam();
    AjustesFormato().ShortDateFormat = c.fechaCorta;
    AjustesFormato().DateSeparator = c.separadorUsuario;
    InicializarUAuxiliares();
    { const TFormatosInvariantes invariantes; }
    EXPECT_EQ(AjustesFormato().ShortDateFormat, c.fechaCortaRestaurada);
    EXPECT_EQ(AjustesFormato().DateSeparator, c.separadorRestaurado);
}

INSTANTIATE_TEST_SUITE_P(
    Usuarios, AmpliacionFechaCorta,
    ::testing::Values(CasoAjusteUsuario{"d/M/yy", '.', "d/M/yyyy", '/'},
                      CasoAjusteUsuario{"dd-MM-y", '/', "dd-MM-yyyy", '-'},
                      CasoAjusteUsuario{"dd.MM.yy", '.', "dd.MM.yyyy", '.'},
                      CasoAjusteUsuario{"yyyy/MM/dd", '-', "yyyy/MM/dd", '/'},
                      CasoAjusteUsuario{"dd.MM", ',', "dd.MM", ','}));

// ---- Token reader ----

TEST(SiguientePalabra, SaltaSeparadoresYConsumeElQueCierra) {
    const std::string linea = ",,12;3.5 x";
    std::string_view s = linea;
    const std::string_view primera = SiguientePalabra(s);
    EXPECT_EQ(primera, "12");
    EXPECT_EQ(s, "3.5 x");
    // The token is a view into the caller's own text.
    EXPECT_EQ(primera.data(), linea.data() + 2);
    EXPECT_EQ(SiguientePalabra(s), "3.5");
    EXPECT_EQ(s, "x");
    EXPECT_EQ(SiguientePalabra(s), "x");
    EXPECT_TRUE(s.empty());
    EXPECT_EQ(SiguientePalabra(s), "");
    EXPECT_TRUE(s.empty());
}

TEST(SiguientePalabra, UnaSolaPalabraOSoloSeparadores) {
    std::string_view s = "abc";
    EXPECT_EQ(SiguientePalabra(s), "abc");
    EXPECT_TRUE(s.empty());
    s = " ;\t";
    EXPECT_EQ(SiguientePalabra(s), "");
    EXPECT_TRUE(s.empty());
    s = "a\r\nb";
    EXPECT_EQ(SiguientePalabra(s), "a");
    EXPECT_EQ(s, "\nb");
    EXPECT_EQ(SiguientePalabra(s), "b");
}

TEST(SiguienteEntero, LeeEnterosYRechazaLoDemas) {
    std::string_view s = "12\t-7 x";
    EXPECT_EQ(SiguienteEntero(s), 12);
    EXPECT_EQ(SiguienteEntero(s), -7);
    EXPECT_THROW(SiguienteEntero(s), EConvertError);
    EXPECT_THROW(SiguienteEntero(s), EConvertError);  // empty token
    s = "3.5";
    EXPECT_THROW(SiguienteEntero(s), EConvertError);
}

TEST(SiguienteReal, EvaluaElTokenConPunto) {
    std::string_view s = "3.5;2*0.25 x";
    EXPECT_EQ(SiguienteReal(s), 3.5);
    EXPECT_EQ(SiguienteReal(s), 0.5);
    try {
        SiguienteReal(s);
        FAIL() << "x no es un real";
    } catch (const EConvertError& e) {
        EXPECT_EQ(std::string(e.what()), "Error: no se puede evaluar \"x\" a un número real");
    }
}

struct CasoNoImprimibles {
    const char* texto;
    const char* esperado;
};

class QuitarNoImprimibles : public ::testing::TestWithParam<CasoNoImprimibles> {};

TEST_P(QuitarNoImprimibles, DejaDesdeElPrimerImprimible) {
    std::string s = GetParam().texto;
    QuitarNoImprimiblesIniciales(s);
    EXPECT_EQ(s, GetParam().esperado);
}

INSTANTIATE_TEST_SUITE_P(Textos, QuitarNoImprimibles,
                         ::testing::Values(CasoNoImprimibles{"\xEF\xBB\xBFVERSION=4", "VERSION=4"},
                                           CasoNoImprimibles{"\t\r\n x\ty", " x\ty"},
                                           CasoNoImprimibles{"\x01\x1F\x7F", ""},
                                           CasoNoImprimibles{"abc\x01", "abc\x01"},
                                           CasoNoImprimibles{"", ""}));

}  // namespace
