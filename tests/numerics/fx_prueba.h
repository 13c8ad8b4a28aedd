#pragma once
// Small functions for the optimiser's tests: a linear form and a separable
// quadratic, with their exact gradients.
#include <memory>
#include <string>
#include <vector>

#include "numerics/matreal.h"
#include "numerics/ufxgx.h"

// c + sum of a_i * x_i.
class TfxLineal : public Tfx {
public:
    TfxLineal(std::vector<double> coeficientes, double constante = 0)
        : a_(std::move(coeficientes)), c_(constante) {}
    double f(const TVectR& x) const override {
        double suma = c_;
        for (std::size_t i = 0; i < a_.size(); ++i) suma += a_[i] * x.pv[i + 1];
        return suma;
    }
    void SumarGradiente(TVectR& g, const TVectR&) const override {
        for (std::size_t i = 0; i < a_.size(); ++i) g.pv[i + 1] += a_[i];
    }
    std::string ACadena() const override { return "lineal"; }

private:
    std::vector<double> a_;
    double c_;
};

// sum of (x_i - centro_i)^2.
class TfxCuadratica : public Tfx {
public:
    explicit TfxCuadratica(std::vector<double> centro) : centro_(std::move(centro)) {}
    double f(const TVectR& x) const override {
        double suma = 0;
        for (std::size_t i = 0; i < centro_.size(); ++i) {
            const double d = x.pv[i + 1] - centro_[i];
            suma += d * d;
        }
        return suma;
    }
    void SumarGradiente(TVectR& g, const TVectR& x) const override {
        for (std::size_t i = 0; i < centro_.size(); ++i) g.pv[i + 1] += 2 * (x.pv[i + 1] - centro_[i]);
    }
    std::string ACadena() const override { return "cuadratica"; }

private:
    std::vector<double> centro_;
};

inline TVectR Vector(std::vector<double> valores) { return TVectR::Create_DesdeArreglo(valores); }
