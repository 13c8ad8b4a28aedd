#pragma once
// Axis bounds at convenient values. EscalaAmigable looks, for a given number
// of divisions, for the step m x 10^e (m one of 1, 2, 5, 25) whose ticks
// cover the data with the smallest total span (outward) or the largest span
// inside it (inward); EscalaAmigableAuto tries two fewer to two more
// divisions; EscalaTiempo picks a calendar step (a minute to a year) for a
// date-time axis. The chart always widens outward.
//
// Tick indices are 64-bit: a narrow range far from zero (5 to 5.0000000002)
// has its first tick at index 5e10 or beyond. A range that is narrow for its
// magnitude (a constant 1e7) is widened by a few units in its last digit, not
// by an absolute 1e-10 that the doubles cannot hold at that size.
#include <cstdint>

// Outward exponent search for multiplier m and n divisions over [a, b]:
// leaves the first tick index k and the exponent e, and returns the span
// n x m x 10^e.
double RangoHaciaAfuera(int64_t& k, int& e, double a, double b, double m, int n);
// Inward search: the ticks lie inside [a, b].
double RangoHaciaAdentro(int64_t& k, int& e, double a, double b, double m, int n);

// Bounds for exactly n divisions over the data a, b; writes min, max and step
// only when a candidate is accepted.
void EscalaAmigable(double& min, double& max, double& paso, double a, double b, int n,
                    bool haciaAfuera);

// On entry min and max are the data bounds and n the preferred count; on
// return the chosen bounds, step and count (ties to the smaller count).
void EscalaAmigableAuto(double& min, double& max, double& paso, int& n, bool haciaAfuera);

// Date-time bounds (days): steps from the calendar table, ticks on multiples
// of the step counted from day 0.
void EscalaTiempo(double& min, double& max, double& paso, int& n, bool haciaAfuera);
