#pragma once
// Blue-to-red colour scale: a value between a minimum and a maximum is put on
// a ramp blue, cyan, green, yellow, red. A sine warp spreads the middle of
// each quarter a little, keeping the five pure colours at 0, 1/4, 1/2, 3/4
// and 1 of the range.
#include "charts/lienzo.h"

class TEscalaColor {
public:
    // A range below 1e-20 in magnitude is taken as 1.
    static TEscalaColor Create(double minimo, double maximo);
    virtual ~TEscalaColor() = default;

    double Normalizar(double v) const;
    // Values below the minimum, and NaN, give blue; above the maximum, red.
    virtual TColor ColorDeValor(double v) const;

    double Minimo() const { return minimo_; }
    double Rango() const { return rango_; }

private:
    TEscalaColor(double minimo, double rango) : minimo_(minimo), rango_(rango) {}
    double minimo_;
    double rango_;
};
