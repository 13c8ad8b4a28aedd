#pragma once
// One-based integer vector (sample counts per sector of the empirical model).
#include <cassert>
#include <cstdint>

#include "numerics/xmatdefs.h"

class TVectE {
public:
    int32_t n = 0;
    TDAofNInt pv;  // length n + 1; pv[0] unused

    TVectE() : pv(1, 0) {}
    explicit TVectE(int32_t numElementos);
    static TVectE Create(int32_t numElementos) { return TVectE(numElementos); }

    int32_t Elemento(int32_t k) const {
        assert(k >= 1 && k <= n);
        return pv[k];
    }
    void Ceros();
    void print() const;
};
