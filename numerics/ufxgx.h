#pragma once
// Scalar functions of a vector with their gradients, the pieces from which
// the constrained optimiser's objective and constraints are assembled.
#include <memory>
#include <string>
#include <vector>

#include "numerics/matreal.h"

// A scalar function f(x) of a one-based vector, with its gradient.
class Tfx {
public:
    virtual ~Tfx() = default;

    virtual double f(const TVectR& x) const = 0;
    // Adds the gradient at x into g; callers clear g first.
    virtual void SumarGradiente(TVectR& g, const TVectR& x) const = 0;
    // Text form of the function. A function that has none raises EErrorQuendal.
    virtual std::string ACadena() const;
};

// An owning list of functions.
class Tfxlst {
public:
    static Tfxlst Create() { return Tfxlst(); }

    void Agregar(std::unique_ptr<Tfx> fx);
    int Cantidad() const { return static_cast<int>(items_.size()); }
    // Item k, counted from 0.
    Tfx& Item(int k) const { return *items_.at(static_cast<std::size_t>(k)); }

private:
    std::vector<std::unique_ptr<Tfx>> items_;
};

// A constant plus a sum of terms.
class Tfx_sumatoria : public Tfx {
public:
    explicit Tfx_sumatoria(double constante) : constante(constante) {}
    static std::unique_ptr<Tfx_sumatoria> Create(double constante);

    double f(const TVectR& x) const override;
    void SumarGradiente(TVectR& g, const TVectR& x) const override;
    // "sumatoria_inicio( ", each term's text and ")fin_sumatoria", each
    // followed by CR LF; the constant is not shown.
    std::string ACadena() const override;

    double constante;
    Tfxlst terminos;
};
