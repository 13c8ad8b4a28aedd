#include "numerics/ucoordenadasutm.h"

#include <cmath>
#include <string>

#include "numerics/errores.h"

const TEllipsoid TablaElipsoides = {{
    {0, "", 0, 0},
    {1, "Airy", 6377563, 0.00667054},
    {2, "Australian National", 6378160, 0.006694542},
    {3, "Bessel 1841", 6377397, 0.006674372},
    {4, "Bessel 1841 (Nambia)", 6377484, 0.006674372},
    {5, "Clarke 1866", 6378206, 0.006768658},
    {6, "Clarke 1880", 6378249, 0.006803511},
    {7, "Everest", 6377276, 0.006637847},
    {8, "Fischer 1960 (Mercury)", 6378166, 0.006693422},
    {9, "Fischer 1968", 6378150, 0.006693422},
    {10, "GRS 1967", 6378160, 0.006694605},
    {11, "GRS 1980", 6378137, 0.00669438},
    {12, "Helmert 1906", 6378200, 0.006693422},
    {13, "Hough", 6378270, 0.00672267},
    {14, "International", 6378388, 0.00672267},
    {15, "Krassovsky", 6378245, 0.006693422},
    {16, "Modified Airy", 6377340, 0.00667054},
    {17, "Modified Everest", 6377304, 0.006637847},
    {18, "Modified Fischer 1960", 6378155, 0.006693422},
    {19, "South American 1969", 6378160, 0.006694542},
    {20, "WGS 60", 6378165, 0.006693422},
    {21, "WGS 66", 6378145, 0.006694542},
    {22, "WGS-72", 6378135, 0.006694318},
    {23, "WGS-84", 6378137, 0.00669438},
}};

namespace {

constexpr double kGradosARadianes = 0.017453292519943295;  // pi/180
constexpr double kFactorEscala = 0.9996;
constexpr double kFalsoEste = 500000.0;
constexpr double kFalsoNorteSur = 10000000.0;

// Longitude wrapped into [-180, 180). fmod is exact, so inside [-180, 180)
// this is the plain (longitude + 180) - 180 of the formula.
double LongitudEnRango(double longitud) {
    double desde180 = std::fmod(longitud + 180.0, 360.0);
    if (desde180 < 0) desde180 += 360.0;
    if (desde180 >= 360.0) desde180 = 0.0;  // a tiny negative rounded up to 360
    return desde180 - 180.0;
}

// Zone of the six-degree strip, then the exceptions of south-west Norway and
// Svalbard.
int HusoUTM(double latitud, double lambda) {
    int huso = static_cast<int>(std::trunc((lambda + 180.0) / 6.0)) + 1;
    if (latitud >= 56.0 && latitud < 64.0 && lambda >= 3.0 && lambda < 12.0) huso = 32;
    if (latitud >= 72.0 && latitud < 84.0) {
        if (lambda >= 0.0 && lambda < 9.0)
            huso = 31;
        else if (lambda >= 9.0 && lambda < 21.0)
            huso = 33;
        else if (lambda >= 21.0 && lambda < 33.0)
            huso = 35;
        else if (lambda >= 33.0 && lambda < 42.0)
            huso = 37;
    }
    return huso;
}

// Meridian arc from the equator to phi (radians), m.
double ArcoMeridiano(double a, double e2, double phi) {
    const double e4 = e2 * e2;
    const double e6 = e4 * e2;
    return a * ((1 - e2 / 4 - 3 * e4 / 64 - 5 * e6 / 256) * phi -
                (3 * e2 / 8 + 3 * e4 / 32 + 45 * e6 / 1024) * std::sin(2 * phi) +
                (15 * e4 / 256 + 45 * e6 / 1024) * std::sin(4 * phi) -
                (35 * e6 / 3072) * std::sin(6 * phi));
}

}  // namespace

const TEllipsoidRec& ElipsoideUTM(int indice) {
    if (indice < 1 || indice >= static_cast<int>(TablaElipsoides.size()))
        throw EErrorQuendal("Elipsoide inexistente: " + std::to_string(indice));
    return TablaElipsoides[static_cast<size_t>(indice)];
}

char LetraBandaUTM(double latitud) {
    if (std::isnan(latitud) || latitud > 84.0 || latitud < -80.0) return '?';
    static constexpr std::string_view kLetras = "CDEFGHJKLMNPQRSTUVWX";
    const int k = static_cast<int>(std::trunc((latitud + 80.0) * 0.125)) + 1;
    return k < 20 ? kLetras[static_cast<size_t>(k - 1)] : 'X';
}

void LatLonAUTM(double& easting, double& northing, char& banda, int& huso, int elipsoide,
                double latitud, double longitud) {
    const TEllipsoidRec& datos = ElipsoideUTM(elipsoide);
    if (!std::isfinite(latitud) || !std::isfinite(longitud)) {
        banda = '?';
        return;
    }
    const double a = datos.EquatorialRadius;
    const double e2 = datos.eccentricitySquared;

    const double lambda = LongitudEnRango(longitud);
    huso = HusoUTM(latitud, lambda);
    banda = LetraBandaUTM(latitud);

    const double phi = latitud * kGradosARadianes;
    const double lambda0 = (6 * huso - 183) * kGradosARadianes;  // central meridian

    const double ep2 = e2 / (1 - e2);
    const double sinPhi = std::sin(phi);
    const double cosPhi = std::cos(phi);
    const double tanPhi = std::tan(phi);
    const double N = a / std::sqrt(1 - e2 * sinPhi * sinPhi);
    const double T = tanPhi * tanPhi;
    const double C = ep2 * cosPhi * cosPhi;
    const double A = cosPhi * (lambda * kGradosARadianes - lambda0);
    const double M = ArcoMeridiano(a, e2, phi);

    easting = kFactorEscala * N *
                  (A + (1 - T + C) * A * A * A / 6 +
                   (5 - 18 * T + T * T + 72 * C - 58 * ep2) * A * A * A * A * A / 120) +
              kFalsoEste;
    northing = kFactorEscala *
               (M + N * tanPhi *
                        (A * A / 2 + (5 - T + 9 * C + 4 * C * C) * A * A * A * A / 24 +
                         (61 - 58 * T + T * T + 600 * C - 330 * ep2) * A * A * A * A * A * A / 720));
    if (latitud < 0) northing += kFalsoNorteSur;
}
