#include "numerics/uevaluador.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

#include "numerics/errores.h"
#include "numerics/formatsettings.h"

namespace {

// Bounds of the checks of powers and functions.
constexpr double kLimiteExponente = 11356;
constexpr double kLimiteTrigonometrico = 9e18;
constexpr double kLimiteEntero = 1e9;

// A number's exponent takes at most this many digits; a further one is a
// token of its own.
constexpr int kCifrasExponente = 4;

bool EsDigitoAscii(unsigned char c) { return c >= '0' && c <= '9'; }
bool EsLetraAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool EsDePalabra(unsigned char c) { return EsLetraAscii(c) || EsDigitoAscii(c) || c == '_'; }

unsigned char MayusculaAscii(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

bool IgualesSinMayusculas(std::string_view palabra, std::string_view nombre) {
    return palabra.size() == nombre.size() &&
           std::equal(palabra.begin(), palabra.end(), nombre.begin(), [](char a, char b) {
               return MayusculaAscii(static_cast<unsigned char>(a)) == static_cast<unsigned char>(b);
           });
}

// End of the digits and separators of a number starting at inicio. A number
// that begins with the separator takes no second one.
std::size_t FinDeMantisa(std::string_view texto, std::size_t inicio, char separador) {
    std::size_t fin = inicio;
    if (texto[fin] == separador) {
        ++fin;
        while (fin < texto.size() && EsDigitoAscii(texto[fin])) ++fin;
        return fin;
    }
    while (fin < texto.size() && (EsDigitoAscii(texto[fin]) || texto[fin] == separador)) ++fin;
    return fin;
}

// End of an optional exponent: "E" or "e", a sign, up to four digits.
std::size_t FinDeExponente(std::string_view texto, std::size_t fin) {
    if (fin >= texto.size() || (texto[fin] != 'E' && texto[fin] != 'e')) return fin;
    ++fin;
    if (fin < texto.size() && (texto[fin] == '+' || texto[fin] == '-')) ++fin;
    for (int cifras = 0; cifras < kCifrasExponente && fin < texto.size() && EsDigitoAscii(texto[fin]);
         ++cifras)
        ++fin;
    return fin;
}

// Decimal exponent of the leading non-zero digit of a number text in '.'
// form ("123.4E5" gives 7, "0.001" gives -3). It tells an overflow from an
// underflow when the conversion reports the value out of range.
long long OrdenDeMagnitud(std::string_view numero) {
    const std::size_t finMantisa = std::min(numero.find_first_of("eE"), numero.size());
    const std::string_view mantisa = numero.substr(0, finMantisa);
    long long exponente = 0;
    if (finMantisa < numero.size()) {
        std::string_view cifras = numero.substr(finMantisa + 1);
        const bool negativo = !cifras.empty() && cifras.front() == '-';
        if (!cifras.empty() && (cifras.front() == '+' || cifras.front() == '-')) cifras.remove_prefix(1);
        std::from_chars(cifras.data(), cifras.data() + cifras.size(), exponente);
        if (negativo) exponente = -exponente;
    }
    const std::size_t punto = std::min(mantisa.find('.'), mantisa.size());
    const std::size_t primera = mantisa.find_first_of("123456789");
    if (primera == std::string_view::npos) return -1;  // zero: never an overflow
    const long long orden = primera < punto ? static_cast<long long>(punto - primera) - 1
                                            : -static_cast<long long>(primera - punto);
    return orden + exponente;
}

enum class TLecturaNumero { Valida, Invalida, Desborda };

// Converts a whole number text in '.' form; an underflow reads as 0.
TLecturaNumero ConvertirFormaPunto(std::string_view numero, double& valor) {
    const char* fin = numero.data() + numero.size();
    const auto [resto, error] = std::from_chars(numero.data(), fin, valor, std::chars_format::general);
    if (error == std::errc::invalid_argument || resto != fin) return TLecturaNumero::Invalida;
    if (error == std::errc::result_out_of_range) {
        if (OrdenDeMagnitud(numero) >= 0) return TLecturaNumero::Desborda;
        valor = 0;
    }
    return TLecturaNumero::Valida;
}

// Converts a scanned number text written with the given decimal separator. A
// text that begins with the separator reads with a "0" in front, so a lone
// separator is "0." and reads 0.
TLecturaNumero ConvertirNumero(std::string_view numero, char separador, double& valor) {
    const bool ceroDelante = numero.front() == separador;
    if (separador == '.' && !ceroDelante) return ConvertirFormaPunto(numero, valor);
    const std::size_t longitud = numero.size() + (ceroDelante ? 1 : 0);
    const auto copiarEnFormaPunto = [&](char* destino) {
        if (ceroDelante) *destino++ = '0';
        std::replace_copy(numero.begin(), numero.end(), destino, separador, '.');
    };
    constexpr std::size_t kTamanoBuffer = 128;
    if (longitud <= kTamanoBuffer) {
        std::array<char, kTamanoBuffer> buffer;
        copiarEnFormaPunto(buffer.data());
        return ConvertirFormaPunto({buffer.data(), longitud}, valor);
    }
    // Longer than any number a person or a file writes: only then a copy on the heap.
    std::string largo(longitud, '0');
    copiarEnFormaPunto(largo.data());
    return ConvertirFormaPunto(largo, valor);
}

bool EsEstadoDeOperando(uint8_t estado) {
    switch (estado) {
    case 0: case 9: case 12: case 13: case 14: case 15: case 16: case 20:
        return true;
    default:
        return false;
    }
}

// Right-hand side lengths of the productions; 11 and 13 are none.
std::size_t LongitudDeProduccion(uint8_t produccion) {
    switch (produccion) {
    case 3: case 6: case 8: case 10: case 12: case 15:
        return 1;
    case 9:
        return 2;
    case 1: case 2: case 4: case 5: case 7: case 14:
        return 3;
    case 16:
        return 4;
    default:
        throw EErrorQuendal("Invalid reduction");
    }
}

// Goto groups by production: expression, term, factor, signed, operand, primary.
int GrupoGoto(uint8_t produccion) {
    if (produccion <= 3) return 1;
    if (produccion <= 6) return 2;
    if (produccion <= 8) return 3;
    if (produccion <= 10) return 4;
    if (produccion <= 12) return 5;
    return 6;
}

}  // namespace

double CadenaAReal(std::string_view texto) {
    TMathParser evaluador;
    evaluador.Evaluar(texto);
    if (evaluador.Fallo())
        throw EConvertError("Error: no se puede evaluar \"" + std::string(texto) + "\" a un número real");
    return evaluador.Valor();
}

void TMathParser::Parse() { Evaluar(texto_); }

void TMathParser::Reiniciar(std::string_view fuente) {
    fuente_ = fuente;
    posicion_ = 0;
    nPila_ = 0;
    codigoError_ = kSinError;
    errorMatematico_ = false;
    // Failed until the parse ends, so an overflow leaves no stale value.
    fallo_ = true;
    valor_ = 0;
}

void TMathParser::Evaluar(std::string_view fuente) {
    Reiniciar(fuente);
    Apilar(0, TCarga{});
    SiguienteToken();
    bool aceptado = false;
    bool detenido = false;
    while (!aceptado && !detenido && codigoError_ == kSinError) {
        const TAccion accion = AccionDe(pila_[nPila_ - 1].estado, token_.tipo);
        switch (accion.tipo) {
        case TTipoAccion::Desplazar: Desplazar(accion.argumento); break;
        case TTipoAccion::Reducir: Reducir(accion.argumento); break;
        case TTipoAccion::Aceptar: aceptado = true; break;
        case TTipoAccion::Error: codigoError_ = accion.argumento; break;
        case TTipoAccion::MarcaError:
            errorMatematico_ = true;
            detenido = true;
            break;
        }
    }
    fallo_ = errorMatematico_ || codigoError_ != kSinError;
    valor_ = fallo_ ? 0 : pila_[nPila_ - 1].carga.valor;
    fuente_ = {};
}

// ---- Scanning -------------------------------------------------------------

void TMathParser::PonerToken(TTipoToken tipo, std::size_t inicio, std::size_t fin) {
    token_ = TToken{tipo, TCarga{}, fin - inicio};
    posicion_ = fin;
}

void TMathParser::SiguienteToken() {
    while (posicion_ < fuente_.size() && fuente_[posicion_] == ' ') ++posicion_;
    const std::size_t inicio = posicion_;
    if (inicio >= fuente_.size()) return PonerToken(TTipoToken::FinTexto, inicio, inicio);

    const unsigned char c = static_cast<unsigned char>(fuente_[inicio]);
    if (c == '!') return PonerToken(TTipoToken::MarcaError, inicio, inicio);
    if (EsDigitoAscii(c) || c == static_cast<unsigned char>(AjustesFormato().DecimalSeparator))
        return EscanearNumero(inicio);
    if (EsLetraAscii(c)) return EscanearPalabra(inicio);

    switch (c) {
    case '+': return PonerToken(TTipoToken::Mas, inicio, inicio + 1);
    case '-': return PonerToken(TTipoToken::Menos, inicio, inicio + 1);
    case '*': return PonerToken(TTipoToken::Por, inicio, inicio + 1);
    case '/': return PonerToken(TTipoToken::Entre, inicio, inicio + 1);
    case '^': return PonerToken(TTipoToken::Potencia, inicio, inicio + 1);
    case '(': return PonerToken(TTipoToken::AbreParentesis, inicio, inicio + 1);
    case ')': return PonerToken(TTipoToken::CierraParentesis, inicio, inicio + 1);
    default: return PonerToken(TTipoToken::TokenMalo, inicio, inicio);
    }
}

void TMathParser::EscanearNumero(std::size_t inicio) {
    const char separador = AjustesFormato().DecimalSeparator;
    const std::size_t finMantisa = FinDeMantisa(fuente_, inicio, separador);
    // A separator with no digit is no number only as the first character of
    // the text; anywhere else it reads as "0." ('1+.' is 1, ' .' is 0).
    if (inicio == 0 && finMantisa - inicio == 1 && fuente_[inicio] == separador)
        return PonerToken(TTipoToken::TokenMalo, inicio, inicio);

    const std::size_t fin = FinDeExponente(fuente_, finMantisa);
    const std::string_view numero = fuente_.substr(inicio, fin - inicio);
    double valor = 0;
    switch (ConvertirNumero(numero, separador, valor)) {
    case TLecturaNumero::Invalida:
        errorMatematico_ = true;
        codigoError_ = kNumeroInvalido;
        return PonerToken(TTipoToken::MarcaError, inicio, inicio);
    case TLecturaNumero::Desborda:
        // The literal is beyond a double: the floating-point error, as a trap would raise.
        valor = VerificarFinito(std::numeric_limits<double>::infinity(),
                                "el número " + std::string(numero));
        break;
    case TLecturaNumero::Valida:
        break;
    }
    PonerToken(TTipoToken::Numero, inicio, fin);
    token_.carga.valor = valor;
}

void TMathParser::EscanearPalabra(std::size_t inicio) {
    std::size_t fin = inicio;
    while (fin < fuente_.size() && EsDePalabra(static_cast<unsigned char>(fuente_[fin]))) ++fin;
    const TFuncion funcion = FuncionDeNombre(fuente_.substr(inicio, fin - inicio));
    // The evaluator knows no variables: any other word is a bad token.
    if (funcion == TFuncion::Ninguna) return PonerToken(TTipoToken::TokenMalo, inicio, inicio);
    PonerToken(TTipoToken::Funcion, inicio, fin);
    token_.carga.funcion = funcion;
}

TMathParser::TFuncion TMathParser::FuncionDeNombre(std::string_view palabra) {
    struct TNombreFuncion {
        std::string_view nombre;
        TFuncion funcion;
    };
    static constexpr TNombreFuncion kFunciones[] = {
        {"ABS", TFuncion::ABS},     {"ATAN", TFuncion::ATAN}, {"COS", TFuncion::COS},
        {"EXP", TFuncion::EXP},     {"LN", TFuncion::LN},     {"ROUND", TFuncion::ROUND},
        {"SIN", TFuncion::SIN},     {"SQRT", TFuncion::SQRT}, {"SQR", TFuncion::SQR},
        {"TRUNC", TFuncion::TRUNC},
    };
    for (const TNombreFuncion& f : kFunciones)
        if (IgualesSinMayusculas(palabra, f.nombre)) return f.funcion;
    return TFuncion::Ninguna;
}

// ---- Parsing --------------------------------------------------------------

TMathParser::TAccion TMathParser::AccionDe(uint8_t estado, TTipoToken tipo) {
    using T = TTipoToken;
    const auto desplazar = [](uint8_t e) { return TAccion{TTipoAccion::Desplazar, e}; };
    const auto reducir = [](uint8_t p) { return TAccion{TTipoAccion::Reducir, p}; };
    const auto error = [](uint8_t codigo) { return TAccion{TTipoAccion::Error, codigo}; };

    if (EsEstadoDeOperando(estado)) {
        switch (tipo) {
        case T::Numero: return desplazar(10);
        case T::Funcion: return desplazar(11);
        case T::Menos: return desplazar(5);
        case T::AbreParentesis: return desplazar(9);
        case T::MarcaError: return TAccion{TTipoAccion::MarcaError};
        default: return error(kOperandoEsperado);
        }
    }
    switch (estado) {
    case 1:
        if (tipo == T::FinTexto) return TAccion{TTipoAccion::Aceptar};
        if (tipo == T::Mas) return desplazar(12);
        if (tipo == T::Menos) return desplazar(13);
        return error(kOperadorEsperado);
    case 2:
    case 21:
    case 22:
        if (tipo == T::Por) return desplazar(14);
        if (tipo == T::Entre) return desplazar(15);
        return reducir(estado == 2 ? 3 : estado == 21 ? 1 : 2);
    case 3: return reducir(6);
    case 4: return tipo == T::Potencia ? desplazar(16) : reducir(8);
    case 5:
        // After a unary minus: no second minus.
        if (tipo == T::Numero) return desplazar(10);
        if (tipo == T::Funcion) return desplazar(11);
        if (tipo == T::AbreParentesis) return desplazar(9);
        return error(kOperandoEsperado);
    case 6: return reducir(10);
    case 8: return reducir(12);
    case 10: return reducir(15);
    case 11: return tipo == T::AbreParentesis ? desplazar(20) : error(kParentesisEsperado);
    case 17: return reducir(9);
    case 19:
    case 28:
        if (tipo == T::Mas) return desplazar(12);
        if (tipo == T::Menos) return desplazar(13);
        if (tipo == T::CierraParentesis) return desplazar(estado == 19 ? 27 : 29);
        return error(kOperadorOCierreEsperado);
    case 23: return reducir(4);
    case 24: return reducir(5);
    case 25: return reducir(7);
    case 27: return reducir(14);
    case 29: return reducir(16);
    default: throw EErrorQuendal("Bad token state");
    }
}

uint8_t TMathParser::EstadoGoto(uint8_t produccion, uint8_t desde) {
    const int grupo = GrupoGoto(produccion);
    switch (grupo) {
    case 1:  // expression
        if (desde == 0) return 1;
        if (desde == 9) return 19;
        if (desde == 20) return 28;
        break;
    case 2:  // term
        if (desde == 0 || desde == 9 || desde == 20) return 2;
        if (desde == 12) return 21;
        if (desde == 13) return 22;
        break;
    case 3:  // factor
        if (desde == 0 || desde == 9 || desde == 12 || desde == 13 || desde == 20) return 3;
        if (desde == 14) return 23;
        if (desde == 15) return 24;
        if (desde == 16) return 25;
        break;
    case 4:  // signed
        if (EsEstadoDeOperando(desde)) return 4;
        break;
    case 5:  // operand
        if (EsEstadoDeOperando(desde)) return 6;
        if (desde == 5) return 17;
        break;
    case 6:  // primary
        if (EsEstadoDeOperando(desde) || desde == 5) return 8;
        break;
    }
    throw EErrorQuendal("uevaluador.GotoState INDEFINIDO " + std::to_string(grupo));
}

bool TMathParser::Apilar(uint8_t estado, TCarga carga) {
    if (nPila_ == kCapacidadPila) {
        codigoError_ = kPilaLlena;
        return false;
    }
    pila_[nPila_++] = TEntradaPila{estado, carga};
    return true;
}

void TMathParser::Desplazar(uint8_t estado) {
    if (Apilar(estado, token_.carga)) SiguienteToken();
}

void TMathParser::Reducir(uint8_t produccion) {
    const std::size_t longitud = LongitudDeProduccion(produccion);
    const double valor = ValorDeProduccion(produccion, &pila_[nPila_ - longitud]);
    nPila_ -= longitud;
    Apilar(EstadoGoto(produccion, pila_[nPila_ - 1].estado), TCarga{valor});
}

double TMathParser::ValorDeProduccion(uint8_t produccion, const TEntradaPila* ladoDerecho) {
    const auto valor = [ladoDerecho](int i) { return ladoDerecho[i].carga.valor; };
    switch (produccion) {
    case 1: return VerificarFinito(valor(0) + valor(2), "la suma");
    case 2: return VerificarFinito(valor(0) - valor(2), "la resta");
    case 4: return VerificarFinito(valor(0) * valor(2), "el producto");
    case 5: return Dividir(valor(0), valor(2));
    case 7: return Elevar(valor(0), valor(2));
    case 9: return -valor(1);
    case 14: return valor(1);
    case 16: return AplicarFuncion(ladoDerecho[0].carga.funcion, valor(2));
    default: return valor(0);  // a single symbol passes its value on
    }
}

// ---- Checked operations ---------------------------------------------------

double TMathParser::ErrorMatematico() {
    errorMatematico_ = true;
    return 0;
}

double TMathParser::Dividir(double dividendo, double divisor) {
    if (divisor == 0) return ErrorMatematico();
    return VerificarFinito(dividendo / divisor, "el cociente");
}

// Always exp(exponente * ln(base)), so integer powers are not exact.
double TMathParser::Elevar(double base, double exponente) {
    if (base <= 0) return ErrorMatematico();
    const double t = VerificarFinito(exponente * std::log(base), "la potencia");
    if (t < -kLimiteExponente || t > kLimiteExponente) return ErrorMatematico();
    return VerificarFinito(std::exp(t), "la potencia");
}

double TMathParser::AplicarFuncion(TFuncion funcion, double x) {
    const auto dentro = [x](double limite) { return -limite <= x && x <= limite; };
    switch (funcion) {
    case TFuncion::ABS: return std::fabs(x);
    case TFuncion::ATAN: return std::atan(x);
    case TFuncion::COS: return dentro(kLimiteTrigonometrico) ? std::cos(x) : ErrorMatematico();
    case TFuncion::EXP:
        return dentro(kLimiteExponente) ? VerificarFinito(std::exp(x), "EXP") : ErrorMatematico();
    case TFuncion::LN: return x > 0 ? std::log(x) : ErrorMatematico();
    // Halves go to the even neighbour under the default rounding mode.
    case TFuncion::ROUND: return dentro(kLimiteEntero) ? std::nearbyint(x) : ErrorMatematico();
    case TFuncion::SIN: return dentro(kLimiteTrigonometrico) ? std::sin(x) : ErrorMatematico();
    case TFuncion::SQRT: return x >= 0 ? std::sqrt(x) : ErrorMatematico();
    case TFuncion::SQR: return VerificarFinito(x * x, "SQR");
    case TFuncion::TRUNC: return dentro(kLimiteEntero) ? std::trunc(x) : ErrorMatematico();
    case TFuncion::Ninguna: break;
    }
    throw EErrorQuendal("Invalid reduction");
}
