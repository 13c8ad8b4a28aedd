#pragma once
// One constraint r(x) of the constrained optimiser: its function, its kind
// and bounds, the state of its last evaluation, its multiplier, and the work
// items of the multiplier estimate.
#include <cstdint>
#include <memory>

#include "numerics/matreal.h"
#include "numerics/ufxgx.h"

enum class TTipoRestriccion : uint8_t {
    TR_Libre,     // no constraint
    TR_Igualdad,  // r(x) = low
    TR_Mayor,     // r(x) >= low
    TR_Menor,     // r(x) <= high
    TR_Entre,     // low <= r(x) <= high
};

enum class TRestriccionActiva : uint8_t {
    INDEFINIDA,  // not evaluated yet
    NINGUNA,     // satisfied
    INFERIOR,    // lower side violated or met exactly
    SUPERIOR,    // upper side violated or met exactly
};

class TResfx {
public:
    // n is the number of variables: the length of the four work vectors.
    TResfx(TTipoRestriccion tipo, double cotaInf, double cotaSup, std::unique_ptr<Tfx> f, int32_t n);
    static TResfx Create(TTipoRestriccion tipo, double cotaInf, double cotaSup, std::unique_ptr<Tfx> f,
                         int32_t n);

    // Evaluates r at x and sets valor, estado and violacion; returns valor.
    double Evaluar(const TVectR& x);
    // gradiente := grad r(x).
    void CalcularGradiente(const TVectR& x);

    std::unique_ptr<Tfx> f;
    TTipoRestriccion tipo;
    double cotaInf;
    double cotaSup;
    // Of the last Evaluar; a constraint met exactly is active with violation 0.
    TRestriccionActiva estado;
    double valor = 0.0;
    TVectR gradiente;
    double violacion = 0.0;  // >= 0
    double multiplicador = 0.0;

    // Work items of the multiplier estimate: unit direction u, gradient w
    // signed by the active side and orthogonalised against the base, the
    // length of w, and the coefficients of w along the base directions.
    TVectR versor;
    TVectR gradienteConSigno;
    double norma = 0.0;
    TVectR alfa;
};
