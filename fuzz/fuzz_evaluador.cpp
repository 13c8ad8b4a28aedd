// The expression evaluator under each decimal separator. Beyond surviving:
// a failure is the conversion error quoting the text (or the floating-point
// error of an overflow), the parser object agrees with CadenaAReal, and every
// value it yields is finite and reads back from its own text forms.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "comun.h"
#include "numerics/textoreal.h"
#include "numerics/uevaluador.h"

QUENDAL_FUZZ_INICIO

namespace {

std::string MensajeDeConversion(std::string_view texto) {
    return "Error: no se puede evaluar \"" + std::string(texto) + "\" a un número real";
}

// CadenaAReal of texto: its value, or which error it raised.
struct TEvaluacion {
    fuzz::TErrorLector error = fuzz::TErrorLector::Ninguno;
    double valor = 0;
};

TEvaluacion Evaluar(std::string_view texto) {
    TEvaluacion r;
    r.error = fuzz::ConErroresPropios("CadenaAReal", [&] {
        try {
            r.valor = CadenaAReal(texto);
        } catch (const EConvertError& e) {
            FUZZ_EXIGIR(fuzz::MismoMensaje(e.what(), MensajeDeConversion(texto)),
                        "CadenaAReal: mensaje inesperado: " + std::string(e.what()));
            throw;
        }
    });
    FUZZ_EXIGIR(r.error == fuzz::TErrorLector::Ninguno || r.error == fuzz::TErrorLector::Conversion ||
                    r.error == fuzz::TErrorLector::Matematico,
                "CadenaAReal: error de entrada/salida");
    return r;
}

// The parser object run on the same text must agree with CadenaAReal.
void CompararConElParser(std::string_view texto, const TEvaluacion& evaluacion) {
    TMathParser parser = TMathParser::Create();
    parser.SetTexto(texto);
    const fuzz::TErrorLector error = fuzz::ConErroresPropios("TMathParser.Parse", [&] { parser.Parse(); });
    FUZZ_EXIGIR(parser.Texto() == texto, "TMathParser: el texto cambió");
    switch (evaluacion.error) {
        case fuzz::TErrorLector::Ninguno:
            FUZZ_EXIGIR(error == fuzz::TErrorLector::Ninguno && !parser.Fallo() &&
                            fuzz::MismoValor(parser.Valor(), evaluacion.valor),
                        "TMathParser discrepa de CadenaAReal en un valor");
            break;
        case fuzz::TErrorLector::Conversion:
            FUZZ_EXIGIR(error == fuzz::TErrorLector::Ninguno && parser.Fallo() && parser.Valor() == 0,
                        "TMathParser no falla donde CadenaAReal falla");
            break;
        default:
            FUZZ_EXIGIR(error == evaluacion.error && parser.Fallo(),
                        "TMathParser no desborda donde CadenaAReal desborda");
            break;
    }
}

// A value read back from the texts the program writes for it.
void ComprobarIdaYVuelta(double x, char separador) {
    FUZZ_EXIGIR(std::isfinite(x), "CadenaAReal devolvió un no finito: " + fuzz::Exacto(x));
    // Seventeen significant digits in the general form survive exactly.
    const std::string general = FormatoGeneral(x, 17, separador);
    const TEvaluacion deGeneral = Evaluar(general);
    FUZZ_EXIGIR(deGeneral.error == fuzz::TErrorLector::Ninguno && fuzz::MismoValor(deGeneral.valor, x),
                "la forma general \"" + general + "\" no devuelve " + fuzz::Exacto(x));
    // The default form always writes '.', which only that separator reads.
    if (separador == '.') {
        const std::string defecto = RealATextoDefecto(x);
        const TEvaluacion deDefecto = Evaluar(defecto);
        FUZZ_EXIGIR(deDefecto.error == fuzz::TErrorLector::Ninguno && fuzz::MismoValor(deDefecto.valor, x),
                    "la forma por defecto \"" + defecto + "\" no devuelve " + fuzz::Exacto(x));
    }
}

void ProbarConSeparador(std::string_view texto, char separador) {
    const fuzz::TSeparadorDecimal enVigor(separador);
    const TEvaluacion evaluacion = Evaluar(texto);
    CompararConElParser(texto, evaluacion);
    if (evaluacion.error == fuzz::TErrorLector::Ninguno) ComprobarIdaYVuelta(evaluacion.valor, separador);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, std::size_t tamano) {
    const std::string_view texto = fuzz::ComoTexto(datos, tamano);
    ProbarConSeparador(texto, '.');
    ProbarConSeparador(texto, ',');
    return 0;
}
