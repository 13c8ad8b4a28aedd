#pragma once
// Latitude/longitude to UTM (zone number, latitude band letter, easting,
// northing) by the forward transverse Mercator series of the USGS
// map-projection manual (Snyder), with the UTM scale factor 0.9996, false
// easting 500000 m and southern false northing 10000000 m, and the zone
// exceptions of south-west Norway and Svalbard.
//
// Two departures from a literal reading of the formulas: longitudes are
// wrapped into [-180, 180) with a floor-based modulo, so that -181 is 179
// (zone 60) and not an out-of-range -181; and a latitude or longitude that is
// not a finite number gives band '?' and converts nothing.
#include <array>
#include <string_view>

struct TEllipsoidRec {
    int id;                      // equals its index in the table
    std::string_view ellipsoidName;
    double EquatorialRadius;     // m
    double eccentricitySquared;
};

// One-based: entries 1..23, entry 0 unused. The values are the table's own
// (whole-metre radii, eccentricities to the digits given): results depend on
// them, not on more precise ones.
using TEllipsoid = std::array<TEllipsoidRec, 24>;
extern const TEllipsoid TablaElipsoides;

constexpr int ElipsoideWGS84 = 23;

// The record of an ellipsoid index; an index outside 1..23 raises
// EErrorQuendal instead of reading past the table.
const TEllipsoidRec& ElipsoideUTM(int indice);

// Band letter C..X of a latitude in degrees; '?' above 84, below -80 or for a
// NaN. The X band covers 72 to 84, 84 included.
char LetraBandaUTM(double latitud);

// Latitude and longitude in decimal degrees (north and east positive) to UTM
// on the given ellipsoid (1..23; the database load uses ElipsoideWGS84).
// Latitudes outside -80..84 still get a zone and coordinates, with band '?'.
// When latitude or longitude is not finite, band becomes '?' and easting,
// northing and zone are left as they were.
void LatLonAUTM(double& easting, double& northing, char& banda, int& huso, int elipsoide,
                double latitud, double longitud);
