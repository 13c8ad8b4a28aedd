#include "numerics/uevaluador.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

#include "numerics/errores.h"
#include "numerics/formatsettings.h"

// The replaced operators below build new on malloc and delete on free, which
// GCC's inliner misreads as a mismatched pair.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

// Counts the heap allocations of this binary while armed, so a test can show
// that a conversion allocates nothing. Every non-aligned form is replaced, all
// on malloc and free, so that allocations and releases always pair.
namespace {
bool contandoAsignaciones = false;
std::size_t asignacionesContadas = 0;

void* AsignarContando(std::size_t bytes) {
    if (contandoAsignaciones) ++asignacionesContadas;
    return std::malloc(bytes == 0 ? 1 : bytes);
}
}  // namespace

void* operator new(std::size_t bytes) {
    if (void* p = AsignarContando(bytes)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t bytes) { return operator new(bytes); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept { return AsignarContando(bytes); }
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept { return AsignarContando(bytes); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

enum class TResultado { Valor, Falla, Desborda };

struct TCaso {
    std::string texto;
    char separador;
    TResultado resultado;
    double valor = 0;       // expected value
    double tolerancia = 0;  // 0: the value must be exact
    int codigo = -1;        // expected error code of a failure; -1: not checked
};

TCaso Valor(std::string texto, char separador, double valor, double tolerancia = 0) {
    return {std::move(texto), separador, TResultado::Valor, valor, tolerancia};
}
TCaso Falla(std::string texto, char separador, int codigo) {
    return {std::move(texto), separador, TResultado::Falla, 0, 0, codigo};
}
TCaso Desborda(std::string texto, char separador) {
    return {std::move(texto), separador, TResultado::Desborda};
}

// Names each case by its text (shortened, a tab shown as \t) and separator.
void PrintTo(const TCaso& caso, std::ostream* os) {
    const std::string& t = caso.texto;
    *os << '\'';
    for (char c : std::string_view(t).substr(0, 40)) {
        if (c == '\t')
            *os << "\\t";
        else
            *os << c;
    }
    if (t.size() > 40) *os << "... (" << t.size() << " chars)";
    *os << "' with separator '" << caso.separador << '\'';
}

std::string Repetir(std::string_view pieza, int veces) {
    std::string s;
    for (int i = 0; i < veces; ++i) s += pieza;
    return s;
}

std::string EntreParentesis(int pares, std::string_view interior) {
    return std::string(pares, '(') + std::string(interior) + std::string(pares, ')');
}

std::string MensajeDeConversion(std::string_view texto) {
    return "Error: no se puede evaluar \"" + std::string(texto) + "\" a un número real";
}

constexpr int kOperando = TMathParser::kOperandoEsperado;
constexpr int kOperador = TMathParser::kOperadorEsperado;
constexpr int kParentesis = TMathParser::kParentesisEsperado;
constexpr int kCierre = TMathParser::kOperadorOCierreEsperado;
constexpr int kNumero = TMathParser::kNumeroInvalido;
constexpr int kPila = TMathParser::kPilaLlena;
constexpr int kMatematico = TMathParser::kSinError;  // a failed check leaves no syntax error

const std::vector<TCaso> kCasos = {
    // Blanks, signs and the default text form of a real.
    Falla("", '.', kOperando),
    Falla("   ", '.', kOperando),
    Falla("+5", '.', kOperando),
    Valor(" 1.0000000000000000E+000", '.', 1),
    Valor("-1.2345678901234567E-005", '.', -1.2345678901234567E-005),
    Falla("1\t+2", '.', kOperador),
    // Numbers under each separator.
    Valor("1.5E3", '.', 1500),
    Valor("1.5e+3", '.', 1500),
    Valor("2E-0003", '.', 0.002),
    Valor(".5", '.', 0.5),
    Valor(".5+1", '.', 1.5),
    Valor("(.5)", '.', 0.5),
    Valor("5.", '.', 5),
    Falla("1,5", '.', kOperador),
    Falla("1.2.3", '.', kNumero),
    Falla("1E", '.', kNumero),
    Falla("1E+", '.', kNumero),
    Falla("1E00001", '.', kOperador),
    // A lone separator is refused only as the first character of the text.
    Falla(".", '.', kOperando),
    Falla(".+1", '.', kOperando),
    Falla(".E2", '.', kOperando),
    Valor(" .", '.', 0),
    Valor("1+.", '.', 1),
    Valor("(.)", '.', 0),
    Valor("2*.", '.', 0),
    Valor("1+.E2", '.', 1),
    Falla("1+..", '.', kOperador),
    Falla(",", ',', kOperando),
    Valor("1+,", ',', 1),
    Valor(" ,", ',', 0),
    Valor("1,5", ',', 1.5),
    Valor(",5", ',', 0.5),
    Valor("2*0,35", ',', 0.7, 1e-15),
    Valor("1,5E3", ',', 1500),
    Falla("1.5", ',', kOperador),
    Falla("1,2,3", ',', kNumero),
    Valor("0." + std::string(200, '0') + "1", '.', 1e-201),
    Valor("0," + std::string(200, '0') + "1", ',', 1e-201),
    // Precedence and grouping.
    Valor("8-2-2", '.', 4),
    Valor("8/2/2", '.', 2),
    Valor("2+3*4", '.', 14),
    Valor("(2+3)*4", '.', 20),
    Valor("-3*2", '.', -6),
    Valor("-(-5)", '.', 5),
    Valor("2--3", '.', 5),
    Valor("2*-3", '.', -6),
    Valor("2^-1", '.', 0.5, 1e-15),
    Valor("2^3^2", '.', 512, 1e-12),
    Valor("-SQRT(4)", '.', -2),
    Falla("--5", '.', kOperando),
    Falla("-2^2", '.', kMatematico),
    Falla("(-2)^2", '.', kMatematico),
    Falla("0^2", '.', kMatematico),
    Falla("2^1E5", '.', kMatematico),
    Falla("(1", '.', kCierre),
    Falla("1)", '.', kOperador),
    Falla("2*", '.', kOperando),
    // Functions and their checks.
    Valor("sqrt(4)", '.', 2),
    Valor("Sqrt(4)", '.', 2),
    Valor("SQRT(0)", '.', 0),
    Valor("SQR(-3)", '.', 9),
    Valor("SQRT(2)/2", '.', std::sqrt(0.5), 1e-16),
    Valor("COS (0)", '.', 1),
    Valor("SIN(0)", '.', 0),
    Valor("4*ATAN(1)", '.', std::numbers::pi, 1e-15),
    Valor("EXP(1)", '.', std::numbers::e, 1e-15),
    Valor("LN(EXP(2))", '.', 2, 1e-15),
    Valor("ABS(-2.5)", '.', 2.5),
    Valor("ROUND(2.5)", '.', 2),
    Valor("ROUND(3.5)", '.', 4),
    Valor("ROUND(-2.5)", '.', -2),
    Valor("ROUND(2.6)", '.', 3),
    Valor("TRUNC(-2.7)", '.', -2),
    Falla("1/0", '.', kMatematico),
    Falla("LN(0)", '.', kMatematico),
    Falla("SQRT(-1)", '.', kMatematico),
    Falla("ROUND(1E10)", '.', kMatematico),
    Falla("TRUNC(-1E10)", '.', kMatematico),
    Falla("COS(1E19)", '.', kMatematico),
    Falla("EXP(11357)", '.', kMatematico),
    Falla("ABS 2", '.', kParentesis),
    Falla("ABS", '.', kParentesis),
    Falla("SQRTX(4)", '.', kOperando),
    Falla("PI", '.', kOperando),
    Falla("2 x", '.', kOperador),
    Falla("2!", '.', kOperador),
    Falla("!", '.', kMatematico),
    Falla("5%", '.', kOperador),
    // The stack holds 15 entries, the initial one included.
    Valor(EntreParentesis(12, "7"), '.', 7),
    Falla(EntreParentesis(13, "7"), '.', kPila),
    Valor("1+(2+(3+(4+5)))", '.', 15),
    Falla("1+(2+(3+(4+(5+6))))", '.', kPila),
    // Positions go past 65,535.
    Valor("1" + Repetir("+1", 35000), '.', 35001),
    Valor(std::string(70000, ' ') + "5", '.', 5),
    Falla("1" + Repetir("+1", 35000) + "+", '.', kOperando),
    // Overflow is the floating-point error; underflow is 0.
    Desborda("1E300*1E300", '.'),
    Desborda("1E400", '.'),
    Desborda("1" + std::string(400, '0'), '.'),
    Desborda("1,5E400", ','),
    Desborda("EXP(800)", '.'),
    Desborda("10^400", '.'),
    Desborda("1/1E-310", '.'),
    Desborda("SQR(1E200)", '.'),
    Valor("1E-400", '.', 0),
    Valor("0." + std::string(400, '0') + "1", '.', 0),
    Valor("1E-310", '.', 1e-310),
    Valor("EXP(-800)", '.', 0),
};

// Sets the decimal separator of each case and restores the settings after it.
class ConAjustesRestaurados : public ::testing::Test {
protected:
    void SetUp() override { guardados_ = AjustesFormato(); }
    void TearDown() override { AjustesFormato() = guardados_; }

private:
    FormatSettings guardados_;
};

class EvaluadorTest : public ConAjustesRestaurados, public ::testing::WithParamInterface<TCaso> {};

void ComprobarValor(const TCaso& caso, TMathParser& evaluador) {
    evaluador.Parse();
    ASSERT_FALSE(evaluador.Fallo()) << "error code " << int(evaluador.CodigoError());
    if (caso.tolerancia == 0) {
        EXPECT_EQ(evaluador.Valor(), caso.valor);
    } else {
        EXPECT_NEAR(evaluador.Valor(), caso.valor, caso.tolerancia);
    }
    EXPECT_EQ(CadenaAReal(caso.texto), evaluador.Valor());
}

void ComprobarFallo(const TCaso& caso, TMathParser& evaluador) {
    evaluador.Parse();
    EXPECT_TRUE(evaluador.Fallo());
    EXPECT_EQ(evaluador.Valor(), 0);
    if (caso.codigo >= 0) {
        EXPECT_EQ(evaluador.CodigoError(), caso.codigo);
    }
    try {
        CadenaAReal(caso.texto);
        ADD_FAILURE() << "CadenaAReal did not fail";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.what(), MensajeDeConversion(caso.texto));
    }
}

void ComprobarDesbordamiento(const TCaso& caso, TMathParser& evaluador) {
    EXPECT_THROW(evaluador.Parse(), EMathError);
    EXPECT_TRUE(evaluador.Fallo());
    EXPECT_THROW(CadenaAReal(caso.texto), EMathError);
}

TEST_P(EvaluadorTest, EvaluaElTexto) {
    const TCaso& caso = GetParam();
    AjustesFormato().DecimalSeparator = caso.separador;
    TMathParser evaluador = TMathParser::Create();
    evaluador.SetTexto(caso.texto);
    switch (caso.resultado) {
    case TResultado::Valor: ComprobarValor(caso, evaluador); break;
    case TResultado::Falla: ComprobarFallo(caso, evaluador); break;
    case TResultado::Desborda: ComprobarDesbordamiento(caso, evaluador); break;
    }
}

INSTANTIATE_TEST_SUITE_P(Casos, EvaluadorTest, ::testing::ValuesIn(kCasos));

class EvaluadorDetalleTest : public ConAjustesRestaurados {};

TEST_F(EvaluadorDetalleTest, ElMensajeCitaElTextoTalComoVino) {
    AjustesFormato().DecimalSeparator = '.';
    try {
        CadenaAReal("abc");
        FAIL() << "CadenaAReal did not fail";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Error: no se puede evaluar \"abc\" a un número real");
    }
}

TEST_F(EvaluadorDetalleTest, LasPotenciasPasanPorExpYLn) {
    AjustesFormato().DecimalSeparator = '.';
    const double ocho = CadenaAReal("2^3");
    EXPECT_NEAR(ocho, 8, 1e-14);
    EXPECT_EQ(ocho, std::exp(3 * std::log(2.0)));
}

TEST_F(EvaluadorDetalleTest, ElSeparadorSeLeeEnCadaConversion) {
    TMathParser evaluador = TMathParser::Create();
    evaluador.SetTexto("1,5");
    AjustesFormato().DecimalSeparator = ',';
    evaluador.Parse();
    EXPECT_EQ(evaluador.Valor(), 1.5);
    AjustesFormato().DecimalSeparator = '.';
    evaluador.Parse();
    EXPECT_TRUE(evaluador.Fallo());
}

TEST_F(EvaluadorDetalleTest, UnEvaluadorSeReutiliza) {
    AjustesFormato().DecimalSeparator = '.';
    TMathParser evaluador = TMathParser::Create();
    evaluador.SetTexto("1/0");
    evaluador.Parse();
    EXPECT_TRUE(evaluador.Fallo());
    evaluador.SetTexto("6/4");
    evaluador.Parse();
    EXPECT_FALSE(evaluador.Fallo());
    EXPECT_EQ(evaluador.Valor(), 1.5);
}

TEST_F(EvaluadorDetalleTest, UnaConversionLogradaNoAsignaMemoria) {
    struct TTexto {
        std::string texto;
        char separador;
    };
    const std::vector<TTexto> textos = {
        {" 1.0000000000000000E+000", '.'},
        {"2*0,35", ','},
        {"SQRT(2)/2 + ROUND(2.5) - (1E-400 + 3^0.5)", '.'},
    };
    for (const TTexto& t : textos) {
        AjustesFormato().DecimalSeparator = t.separador;
        asignacionesContadas = 0;
        contandoAsignaciones = true;
        const double valor = CadenaAReal(t.texto);
        contandoAsignaciones = false;
        EXPECT_TRUE(std::isfinite(valor));
        EXPECT_EQ(asignacionesContadas, 0u) << t.texto;
    }
}

}  // namespace
