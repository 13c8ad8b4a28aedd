#pragma once
// Expression evaluator. Every real that enters the program as text (typed
// into a box, read from a series file, a matrix string or a database cell) is
// evaluated as an arithmetic expression, so '2*0.35' or 'SQRT(2)/2' stand
// wherever a number is asked for. TMathParser is a table-driven shift-reduce
// parser over
//   expression -> expression "+" term | expression "-" term | term
//   term       -> term "*" factor | term "/" factor | factor
//   factor     -> signed "^" factor | signed          ("^" groups to the right)
//   signed     -> "-" operand | operand               (no unary plus)
//   operand    -> primary
//   primary    -> "(" expression ")" | number | function "(" expression ")"
// Unary minus binds tighter than "^" ('-2^2' is (-2)^2, a negative base, and
// fails). Powers are exp(exponent * ln(base)), so '2^3' is close to 8 but not
// exactly 8. Only the space character is skipped; numbers use the decimal
// separator in force, read at every number token. A number that begins with
// the separator reads with a "0" in front; a lone separator is a bad token
// only as the very first character of the text, and reads 0 anywhere else.
//
// Bad input makes the parse fail (Fallo()); it raises nothing. A result that
// overflows a double (a product, a power, EXP, a literal such as '1E400')
// raises EMathError instead, as the floating-point trap would have; a literal
// that underflows reads as 0.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Evaluates texto; raises EConvertError
// "Error: no se puede evaluar "<texto>" a un número real" when it fails.
// Allocates nothing when it succeeds.
double CadenaAReal(std::string_view texto);

class TMathParser {
public:
    // Error codes left by Parse.
    static constexpr uint8_t kSinError = 0;
    static constexpr uint8_t kPilaLlena = 1;
    static constexpr uint8_t kOperandoEsperado = 3;
    static constexpr uint8_t kOperadorEsperado = 4;
    static constexpr uint8_t kParentesisEsperado = 5;       // "(" after a function name
    static constexpr uint8_t kOperadorOCierreEsperado = 6;  // operator or ")"
    static constexpr uint8_t kNumeroInvalido = 7;

    // At most this many entries on the parse stack, the initial one included.
    static constexpr std::size_t kCapacidadPila = 15;

    static TMathParser Create() { return TMathParser(); }

    void SetTexto(std::string_view texto) { texto_ = texto; }
    const std::string& Texto() const { return texto_; }

    // Evaluates the current text and sets Fallo() and Valor().
    void Parse();

    bool Fallo() const { return fallo_; }
    double Valor() const { return valor_; }  // 0 when the parse failed
    uint8_t CodigoError() const { return codigoError_; }

private:
    enum class TTipoToken : uint8_t {
        Mas, Menos, Por, Entre, Potencia, AbreParentesis, CierraParentesis,
        Numero, Funcion, FinTexto, TokenMalo, MarcaError
    };
    enum class TFuncion : uint8_t { Ninguna, ABS, ATAN, COS, EXP, LN, ROUND, SIN, SQRT, SQR, TRUNC };

    // What a token or a stack entry carries: a number or a function name.
    struct TCarga {
        double valor = 0;
        TFuncion funcion = TFuncion::Ninguna;
    };
    struct TToken {
        TTipoToken tipo = TTipoToken::FinTexto;
        TCarga carga;
        std::size_t longitud = 0;
    };
    struct TEntradaPila {
        uint8_t estado = 0;
        TCarga carga;
    };

    enum class TTipoAccion : uint8_t { Desplazar, Reducir, Aceptar, Error, MarcaError };
    struct TAccion {
        TTipoAccion tipo;
        uint8_t argumento = 0;  // the state to shift to, the production or the error code
    };

    friend double CadenaAReal(std::string_view texto);

    // Runs the parse over fuente, which must outlive the call: the own text,
    // or the caller's text in CadenaAReal, which so copies nothing.
    void Evaluar(std::string_view fuente);
    void Reiniciar(std::string_view fuente);

    // Scanning: sets token_ from the current position.
    void SiguienteToken();
    void EscanearNumero(std::size_t inicio);
    void EscanearPalabra(std::size_t inicio);
    void PonerToken(TTipoToken tipo, std::size_t inicio, std::size_t fin);
    static TFuncion FuncionDeNombre(std::string_view palabra);

    // Parsing.
    static TAccion AccionDe(uint8_t estado, TTipoToken tipo);
    static uint8_t EstadoGoto(uint8_t produccion, uint8_t desde);
    void Desplazar(uint8_t estado);
    void Reducir(uint8_t produccion);
    double ValorDeProduccion(uint8_t produccion, const TEntradaPila* ladoDerecho);
    bool Apilar(uint8_t estado, TCarga carga);

    // Checked operations: a failed check sets the math error and yields 0.
    double ErrorMatematico();
    double Dividir(double dividendo, double divisor);
    double Elevar(double base, double exponente);
    double AplicarFuncion(TFuncion funcion, double x);

    std::string texto_;
    std::string_view fuente_;    // the text being scanned during a parse
    std::size_t posicion_ = 0;   // 0-based index of the next character to scan
    TToken token_;               // the current token
    std::array<TEntradaPila, kCapacidadPila> pila_{};
    std::size_t nPila_ = 0;
    uint8_t codigoError_ = kSinError;
    bool errorMatematico_ = false;  // a failed check, the error mark or a bad number
    bool fallo_ = false;
    double valor_ = 0;
};
