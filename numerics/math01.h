#pragma once
// Root finding by bisection on a bracketing interval and Romberg integration.
// Both take the function as a callback; a caller that needs an object's state
// captures it in the callback. Neither raises: failure to converge is
// reported by a flag.
#include <cstdint>
#include <functional>
#include <memory>

using TFuncionReal = std::function<double(double)>;

// A root-finding problem: f is the function whose zero is sought.
class T_ProblemaFx_Cero {
public:
    virtual ~T_ProblemaFx_Cero() = default;
    virtual double f(double x) = 0;

    // Halves [a, b] (swapped first when b < a) keeping a sign change, until
    // its length is at most `tolerancia` (converged) or `maxIteraciones`
    // halvings were made. raiz is the midpoint of the final interval and fRaiz
    // f there. Without a sign change at the ends nothing is halved and the
    // result is false; an end where f is exactly 0 counts as a sign change.
    bool Biseccion(double a, double b, double tolerancia, int32_t maxIteraciones, double& raiz, double& fRaiz,
                   int32_t& iteraciones);
};

// A root-finding problem over a given function.
class T_ProblemaFx_Cero_externa : public T_ProblemaFx_Cero {
public:
    explicit T_ProblemaFx_Cero_externa(TFuncionReal funcion) : funcion_(std::move(funcion)) {}
    static std::unique_ptr<T_ProblemaFx_Cero_externa> Create(TFuncionReal funcion) {
        return std::make_unique<T_ProblemaFx_Cero_externa>(std::move(funcion));
    }
    double f(double x) override { return funcion_(x); }

private:
    TFuncionReal funcion_;
};

void BuscarCeroBiseccion(const TFuncionReal& funcion, double a, double b, double tolerancia,
                         int32_t maxIteraciones, double& raiz, double& fRaiz, int32_t& iteraciones,
                         bool& convergio);

// Romberg integration of f over [a, b], at most 10 levels (1025 evaluations).
// Converged when the top estimate of a level differs from the previous
// level's by at most `tolerancia`; only then is `valor` written.
void IntegrarRomberg(const TFuncionReal& funcion, double a, double b, double tolerancia, double& valor,
                     bool& convergio);

// The same integration returning the top estimate of the last level made,
// converged or not.
double RombergUltimaEstimacion(const TFuncionReal& funcion, double a, double b, double tolerancia,
                               bool& convergio);
