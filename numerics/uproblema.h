#pragma once
// Constrained minimisation of a smooth function of n variables kept inside a
// box [x_inf, x_sup], under inequality or equality constraints.
//
// The solver is a multiplier method: an outer ascent on the constraint
// multipliers, each step followed by a projected steepest descent on the
// Lagrangian L = f + sum of multiplier * violation. The step sizes grow by
// 3.0 after runs of successes and shrink by 4.2 on each failure. At the end
// the multipliers are estimated afresh from the first-order conditions at the
// final point: the objective's gradient is expressed in a Gram-Schmidt basis
// of the active constraints' gradients that oppose it, and the triangular
// system is solved. Each estimate appends a tab-separated trace to
// "log_EstimarMultiplicadores.xlt" in a folder that can be set.
//
// Departures from the method as first written, all on the safe side:
// - the solver returns the last accepted point with its own f, L and V, and
//   the constraints describe that point, never a rejected trial;
// - a negative multiplier's product with its violation counts as 0 with a
//   warning on standard error (the solver itself keeps multipliers >= 0);
// - an infeasible box gives f = L = V = +infinity and converged false;
// - in the estimate, a constraint's direction is its gradient signed by the
//   active side, so constraints active at their lower bound get the right
//   sign; a constraint with a zero gradient is redundant at once;
// - in the estimate, when no candidate opposes the residual, the longest
//   candidate joins the base with the residual's own component along its
//   direction as `valor` (and so as its beta and as what leaves the
//   residual), not with its norm: beta must hold the objective gradient's
//   coordinates along the base directions for the triangular system to
//   balance that gradient, and a constraint gradient's norm is no such
//   coordinate;
// - a log that cannot be written costs one warning, never the solve.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "numerics/matreal.h"
#include "numerics/ufxgx.h"
#include "numerics/uresfxgx.h"

// Names a variable or a constraint by its index.
using TFuncNombre = std::function<std::string(int)>;

class TProblema_m01 {
public:
    // m - 1 constraints (TR_Mayor, bounds 0, function an empty sum) and n - 1
    // variables with both bounds 0; the third argument is not used. Naming
    // functions left empty default to NombreVariable and NombreRestriccion.
    TProblema_m01(int m, int n, int sinUso = 0, TFuncNombre nombreVariable = {},
                  TFuncNombre nombreRestriccion = {});
    static std::unique_ptr<TProblema_m01> Create(int m, int n, int sinUso = 0, TFuncNombre nombreVariable = {},
                                                 TFuncNombre nombreRestriccion = {});
    virtual ~TProblema_m01() = default;
    TProblema_m01(const TProblema_m01&) = delete;
    TProblema_m01& operator=(const TProblema_m01&) = delete;

    int NumeroVariables() const { return x_inf.n; }
    int NumeroRestricciones() const { return static_cast<int>(restricciones.size()); }

    // Variables are numbered from 1.
    void FijarCotaInferior(int i, double v) { x_inf.FijarElemento(i, v); }
    void FijarCotaSuperior(int i, double v) { x_sup.FijarElemento(i, v); }
    void FijarMensaje(const std::string& texto) { mensaje = texto; }

    // False, with the message naming the variable, when some x_inf[i] > x_sup[i].
    bool VerificarCaja();
    void ProyectarEnCaja(TVectR& x) const;

    // Evaluates f, every constraint and L at x; lists the constraints not
    // satisfied (or met exactly) in `activas`. Returns V, the sum of squared
    // violations.
    double EvaluarLagrangiano(std::vector<TResfx*>& activas, double& f, double& L, const TVectR& x);
    // gf := grad f(x); gL := gf plus each active constraint's gradient times
    // its multiplier, negated on the lower side.
    void GradienteLagrangiano(const std::vector<TResfx*>& activas, TVectR& gf, TVectR& gL, const TVectR& x);

    // Projected steepest descent on L from x with initial step s. `chico`
    // tells it ended on a step below sMin or a zero gradient. Returns V.
    double DescensoProyectado(TVectR& x, double s, double sMin, int maxIteraciones, int& iteraciones, double& L,
                              double& f, bool& chico, bool informar);

    // Solves from x with the given multipliers (one per constraint, raised to
    // 0 when negative); both come back as the solution. Returns V.
    double Resolver(TVectR& multiplicadores, TVectR& x, double pasoMultiplicadores, double tolerancia,
                    int maxIteraciones, int& iteraciones, double& f, double& L, double& V, bool& convergio,
                    bool informar);

    // Progress report of the descent, called only when reporting: two
    // console lines. Returning true stops the descent.
    virtual bool Informar(const TVectR& x, const TVectR& xPrueba, double Lx, double LxPrueba, bool aceptado);
    virtual std::string NombreVariable(int i) const;
    virtual std::string NombreRestriccion(int i) const;

    std::string mensaje;
    TFuncNombre nombreVariable;
    TFuncNombre nombreRestriccion;
    // Constraint k (from 0) goes with multiplier k + 1 of Resolver.
    std::vector<TResfx> restricciones;
    std::unique_ptr<Tfx> objetivo;
    TVectR x_inf;
    TVectR x_sup;

private:
    void ExigirDimensiones(const TVectR& multiplicadores, const TVectR& x) const;
    void InstalarMultiplicadores(const TVectR& multiplicadores);
    // v := the constraints' violations of their last evaluation.
    void LeerViolaciones(TVectR& v) const;
    void PasoDescenso(const TVectR& x, double s, TVectR& xPrueba) const;
    // Unit gradient of L at x into gradienteL_ (the active list describes x);
    // false when the gradient is zero.
    bool DireccionDeDescenso(const TVectR& x);

    // Work items kept from solve to solve so that no trial allocates.
    std::vector<TResfx*> activas_;
    TVectR gradienteF_;
    TVectR gradienteL_;
    TVectR xPruebaDescenso_;
    TVectR xPruebaMultiplicadores_;
    TVectR xAceptado_;
    TVectR direccionMultiplicadores_;
    TVectR multiplicadoresPrueba_;
};

// Name of the multiplier-estimate log.
inline constexpr const char* ArchivoLogEstimarMultiplicadores = "log_EstimarMultiplicadores.xlt";
// Folder of the log; empty (the default) is the current directory.
void FijarCarpetaLogEstimarMultiplicadores(const std::string& carpeta);
std::string RutaLogEstimarMultiplicadores();

// Estimates every constraint's multiplier at x (projected on the box first)
// from the first-order conditions. nivelLog <= 0 writes no log, 1 replaces
// the log file, 2 and above append to it.
void EstimarMultiplicadores(TProblema_m01& problema, TVectR& x, int nivelLog);

// Chooses among the active constraints (gradients computed) those whose
// directions oppose the objective gradient gf (not zero), orthogonalising
// them in the order chosen; beta[k] is gf's coefficient along base direction
// k. The rest go to the redundant or the non-opposing list.
void SeleccionarBaseOpositoras(std::vector<TResfx*>& base, std::vector<TResfx*>& redundantes,
                               std::vector<TResfx*>& noOpositoras, TVectR& beta,
                               const std::vector<TResfx*>& activas, const TVectR& gf);
// Takes out the candidate with the most negative projection on the residual
// (porProyeccion true, valor the projection) or, when none is below
// -UmbralCero, the one of largest norm (valor its projection).
TResfx* ExtraerCandidatoOpuesto(std::vector<TResfx*>& candidatas, const TVectR& residuo, double& valor,
                                bool& porProyeccion);
// Takes out the candidate of largest norm; valor is that norm.
TResfx* ExtraerMayorNorma(std::vector<TResfx*>& candidatas, double& valor);
