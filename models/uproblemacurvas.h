#pragma once
// The S-curve of the empirical wind model and its least-squares fit.
//
// The curve is a logistic of the wind speed, shifted down and capped at the
// plant's authorised power:
//   S(v) = min(cap, x1 / (1 + exp(-x3·(v - x4))) - x2)
// x1 is its height, x2 its downward shift, x3 its steepness and x4 its
// midpoint. The fit minimises the mean squared error over the sector's points
// with the constrained optimiser, inside the box x1 in [cap, 3·cap],
// x2 in [0, cap/2], x3 in [0, 2], x4 in [0, 18] and under x1 - x2 >= cap (the
// upper asymptote reaches the cap).
//
// Speed: the optimiser asks for f at a point and then, when it accepts the
// point, for the gradient at the same point; the objective keeps the
// exponentials of its last evaluation and reuses them for that gradient, in
// buffers sized once per problem.
#include <functional>
#include <memory>
#include <vector>

#include "numerics/matreal.h"
#include "numerics/ufxgx.h"
#include "numerics/uproblema.h"

// S(v); a logistic value not below the cap, or not a number, gives the cap.
double CurvaS(double v, double x1, double x2, double x3, double x4, double cap);

// The real cube root, with its sign, of a³ - c·b^1.5 (b >= 0).
double RaizCubicaConSigno(double a, double b, double c);

// Mean squared error of the capped curve over the points (v_i, P_i). Its
// gradient is that of the uncapped logistic, over the points with P_i <= cap
// only, still divided by the number of all points.
class T_fobjetivo : public Tfx {
public:
    // The vectors are the caller's and must outlive the function.
    T_fobjetivo(const TVectR& abscisas, const TVectR& ordenadas, double cap);

    double f(const TVectR& x) const override;
    void SumarGradiente(TVectR& g, const TVectR& x) const override;

    const TVectR& abscisas;
    const TVectR& ordenadas;
    double cap;

private:
    // Fills exponenciales_ for x unless they are already those of x.
    void CalcularExponenciales(const TVectR& x) const;

    mutable std::vector<double> exponenciales_;  // exp(-x3·(v_i - x4)), one per point
    mutable double xCache_[4] = {0, 0, 0, 0};
    mutable bool hayCache_ = false;
};

// x1 - x2 - cap, gradient (1, -1, 0, 0).
class T_h : public Tfx {
public:
    explicit T_h(double cap) : cap(cap) {}
    double f(const TVectR& x) const override;
    void SumarGradiente(TVectR& g, const TVectR& x) const override;

    double cap;
};

class TProblema_CurvaS : public TProblema_m01 {
public:
    // Called after each report of the descent with the trial's parameters
    // (x1, x2, x3, x4); it stands where the window's progress picture was.
    using TVisorAjuste = std::function<void(const TProblema_CurvaS& problema, const TVectR& x)>;

    // One constraint and four variables; the points are the caller's and
    // must outlive the problem.
    TProblema_CurvaS(TVisorAjuste visor, const TVectR& abscisas, const TVectR& ordenadas, double cap);
    static std::unique_ptr<TProblema_CurvaS> Create(TVisorAjuste visor, const TVectR& abscisas,
                                                    const TVectR& ordenadas, double cap);

    // Solves from the given parameters (note the order: steepness, midpoint,
    // height, shift) and writes them back; f is the mean squared error, L the
    // Lagrangian and V the squared constraint violation at the result.
    bool Resolver(double& x3, double& x4, double& x1, double& x2, double& f, double& L, double& V);

    bool Informar(const TVectR& x, const TVectR& xPrueba, double Lx, double LxPrueba, bool aceptado) override;

    TVisorAjuste visor;
    const TVectR& abscisas;
    const TVectR& ordenadas;
    double cap;
    // Plot range of a progress picture.
    double yMin = -10;
    double yMax = 0;
    double xMax = 0;
};

// Builds the problem without a viewer and solves it; returns converged.
bool AjustarCurvaS(const TVectR& abscisas, const TVectR& ordenadas, double cap, double& x3, double& x4, double& x1,
                   double& x2, double& f, double& L, double& V);
