#pragma once
// Completion of a table by Jacobi relaxation. The rows are points on a circle
// (wind-direction sectors: the row after the last is the first) and the
// columns points on a line (speed bins: an edge column counts itself as its
// outer neighbour). Every open cell becomes the mean of its four neighbours
// of the previous sweep until no cell rises by 0.0001 or more.
#include <cstdint>

#include "numerics/matreal.h"

// Fills the open cells of `grilla`: a cell of `conocidos` (same size) that
// holds a value >= 0 is known and is copied in, a negative one marks an open
// cell, whose value in `grilla` on entry is the starting guess. On return
// `cambio` is the change of the last sweep and `barridos` the sweeps made (at
// most 10001). An empty grid or tables of different sizes raise EErrorQuendal.
void CompletarPorRelajacion(TMatR& grilla, const TMatR& conocidos, double& cambio, int32_t& barridos);

// One sweep: `anterior` (a buffer of the grid's size, reused between sweeps)
// takes a copy of the grid, every open cell is recomputed from it, and the
// result is the sweep's change: the largest signed increase of a cell, made
// positive.
double BarridoRelajacion(TMatR& grilla, const TMatR& conocidos, TMatR& anterior);
