#include "numerics/ucoordenadasutm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <ostream>

#include "numerics/errores.h"

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct ResultadoUTM {
    double easting = 0;
    double northing = 0;
    char banda = ' ';
    int huso = 0;
};

ResultadoUTM Convertir(double latitud, double longitud, int elipsoide = ElipsoideWGS84) {
    ResultadoUTM r;
    LatLonAUTM(r.easting, r.northing, r.banda, r.huso, elipsoide, latitud, longitud);
    return r;
}

// ---- Published points ----

struct CasoPublicado {
    double latitud, longitud;
    int huso;
    char banda;
    double easting, northing;
};

void PrintTo(const CasoPublicado& c, std::ostream* os) { *os << c.latitud << ", " << c.longitud; }

class PuntosPublicados : public ::testing::TestWithParam<CasoPublicado> {};

TEST_P(PuntosPublicados, DanHusoBandaYCoordenadas) {
    const auto& c = GetParam();
    const ResultadoUTM r = Convertir(c.latitud, c.longitud);
    EXPECT_EQ(r.huso, c.huso);
    EXPECT_EQ(r.banda, c.banda);
    EXPECT_NEAR(r.easting, c.easting, 0.01);
    EXPECT_NEAR(r.northing, c.northing, 0.01);
}

INSTANTIATE_TEST_SUITE_P(
    WGS84, PuntosPublicados,
    ::testing::Values(
        // On a central meridian at the equator: the false easting, nothing else.
        CasoPublicado{0, 3, 31, 'N', 500000.0, 0.0},
        // South-west Norway belongs to zone 32, not 31.
        CasoPublicado{60, 5, 32, 'V', 276979.93, 6658157.20},
        // Montevideo, with the southern false northing.
        CasoPublicado{-34.9, -56.2, 21, 'H', 573090.85, 6137754.50}));

// The worked example of the USGS manual: Clarke 1866, 40°30'N 73°30'W, central
// meridian 75°W, k0 = 0.9996 gives x = 127106.5 m, y = 4484124.4 m (to 0.1 m)
// with a = 6378206.4 m. Both coordinates scale with a, and the table holds
// a = 6378206 m.
TEST(LatLonAUTM, EjemploDelManualConClarke1866) {
    const double escala = 6378206.0 / 6378206.4;
    const ResultadoUTM r = Convertir(40.5, -73.5, 5);
    EXPECT_EQ(r.huso, 18);
    EXPECT_EQ(r.banda, 'T');
    EXPECT_NEAR(r.easting - 500000.0, 127106.5 * escala, 0.06);
    EXPECT_NEAR(r.northing, 4484124.4 * escala, 0.06);
}

// ---- Against the exact transverse Mercator ----

// Krüger's series in the third flattening n to n^6 (Karney 2011): exact to a
// few nanometres within a zone, and an independent route from the Snyder
// series under test.
struct XY {
    double x, y;
};

XY TransversaMercatorKruger(double a, double e2, double latitud, double longitud,
                            double meridianoCentral) {
    const double f = 1 - std::sqrt(1 - e2);
    const double n = f / (2 - f);
    const double n2 = n * n, n3 = n2 * n, n4 = n3 * n, n5 = n4 * n, n6 = n5 * n;
    const double radioRectificador = a / (1 + n) * (1 + n2 / 4 + n4 / 64 + n6 / 256);
    const double alfa[7] = {
        0,
        n / 2 - 2 * n2 / 3 + 5 * n3 / 16 + 41 * n4 / 180 - 127 * n5 / 288 + 7891 * n6 / 37800,
        13 * n2 / 48 - 3 * n3 / 5 + 557 * n4 / 1440 + 281 * n5 / 630 - 1983433 * n6 / 1935360,
        61 * n3 / 240 - 103 * n4 / 140 + 15061 * n5 / 26880 + 167603 * n6 / 181440,
        49561 * n4 / 161280 - 179 * n5 / 168 + 6601661 * n6 / 7257600,
        34729 * n5 / 80640 - 3418889 * n6 / 1995840,
        212378941 * n6 / 319334400};
    const double e = std::sqrt(e2);
    const double phi = latitud * std::numbers::pi / 180;
    const double lambda = (longitud - meridianoCentral) * std::numbers::pi / 180;
    // Conformal latitude, then the spherical transverse Mercator.
    const double t = std::sinh(std::atanh(std::sin(phi)) - e * std::atanh(e * std::sin(phi)));
    const double xi = std::atan2(t, std::cos(lambda));
    const double eta = std::atanh(std::sin(lambda) / std::sqrt(1 + t * t));
    double x = eta, y = xi;
    for (int j = 1; j <= 6; ++j) {
        x += alfa[j] * std::cos(2 * j * xi) * std::sinh(2 * j * eta);
        y += alfa[j] * std::sin(2 * j * xi) * std::cosh(2 * j * eta);
    }
    return {0.9996 * radioRectificador * x + 500000.0, 0.9996 * radioRectificador * y};
}

TEST(LatLonAUTM, CoincideConLaTransversaMercatorExactaEnTodaLaZona) {
    const TEllipsoidRec& wgs84 = ElipsoideUTM(ElipsoideWGS84);
    // Zone 32 (central meridian 9°E) across its width, from band C to band X.
    int comparados = 0;
    for (double latitud = -80; latitud <= 84; latitud += 4) {
        for (double desvio : {-2.9, -2.0, -1.0, 0.0, 1.0, 2.0, 2.9}) {
            const double longitud = 9 + desvio;
            const ResultadoUTM r = Convertir(latitud, longitud);
            if (r.huso != 32) continue;  // Svalbard moves part of the strip
            XY exacto = TransversaMercatorKruger(wgs84.EquatorialRadius,
                                                 wgs84.eccentricitySquared, latitud, longitud, 9);
            if (latitud < 0) exacto.y += 10000000.0;
            EXPECT_NEAR(r.easting, exacto.x, 0.005) << latitud << ", " << longitud;
            EXPECT_NEAR(r.northing, exacto.y, 0.005) << latitud << ", " << longitud;
            ++comparados;
        }
    }
    EXPECT_GT(comparados, 250);
}

// ---- Zones ----

struct CasoHuso {
    double latitud, longitud;
    int huso;
};

void PrintTo(const CasoHuso& c, std::ostream* os) { *os << c.latitud << ", " << c.longitud; }

class Husos : public ::testing::TestWithParam<CasoHuso> {};

TEST_P(Husos, SegunFranjaYExcepciones) {
    const auto& c = GetParam();
    EXPECT_EQ(Convertir(c.latitud, c.longitud).huso, c.huso)
        << c.latitud << ", " << c.longitud;
}

INSTANTIATE_TEST_SUITE_P(
    Casos, Husos,
    ::testing::Values(
        // Plain six-degree strips, both ends of the range.
        CasoHuso{0, -180, 1}, CasoHuso{0, -174.0001, 1}, CasoHuso{0, -174, 2},
        CasoHuso{0, 179.9999999, 60}, CasoHuso{40, -3.7, 30},
        // South-west Norway: 56 <= lat < 64 and 3 <= lon < 12.
        CasoHuso{56, 3, 32}, CasoHuso{63.999, 11.999, 32}, CasoHuso{55.999, 5, 31},
        CasoHuso{64, 5, 31}, CasoHuso{60, 2.999, 31}, CasoHuso{60, 12, 33},
        // Svalbard: 72 <= lat < 84.
        CasoHuso{75, 8, 31}, CasoHuso{75, 10, 33}, CasoHuso{75, 0, 31}, CasoHuso{75, 9, 33},
        CasoHuso{75, 20.999, 33}, CasoHuso{75, 21, 35}, CasoHuso{75, 33, 37},
        CasoHuso{75, 41.999, 37}, CasoHuso{75, 42, 38}, CasoHuso{75, -0.001, 30},
        CasoHuso{71.999, 10, 32}, CasoHuso{84, 10, 32},
        // Longitudes outside [-180, 180) wrap round the globe.
        CasoHuso{0, 181, 1}, CasoHuso{0, 180, 1}, CasoHuso{0, -181, 60},
        CasoHuso{0, 540, 1}, CasoHuso{0, -363.7, 30}, CasoHuso{0, 723, 31}));

TEST(LatLonAUTM, LongitudFueraDeRangoEsLaMismaQueDentro) {
    const struct {
        double fuera, dentro;
    } pares[] = {{181, -179}, {-181, 179}, {363, 3}, {-357, 3}, {-537.5, -177.5}};
    for (const auto& p : pares) {
        const ResultadoUTM fuera = Convertir(47.3, p.fuera);
        const ResultadoUTM dentro = Convertir(47.3, p.dentro);
        EXPECT_EQ(fuera.huso, dentro.huso) << p.fuera;
        EXPECT_NEAR(fuera.easting, dentro.easting, 1e-6) << p.fuera;
        EXPECT_NEAR(fuera.northing, dentro.northing, 1e-6) << p.fuera;
    }
}

// ---- Band letters ----

struct CasoBanda {
    double latitud;
    char banda;
};

void PrintTo(const CasoBanda& c, std::ostream* os) { *os << c.latitud; }

class Bandas : public ::testing::TestWithParam<CasoBanda> {};

TEST_P(Bandas, LetraDeLaLatitud) {
    EXPECT_EQ(LetraBandaUTM(GetParam().latitud), GetParam().banda) << GetParam().latitud;
}

INSTANTIATE_TEST_SUITE_P(
    Casos, Bandas,
    ::testing::Values(CasoBanda{-80.5, '?'}, CasoBanda{-80, 'C'}, CasoBanda{-72.001, 'C'},
                      CasoBanda{-72, 'D'}, CasoBanda{-0.001, 'M'}, CasoBanda{0, 'N'},
                      CasoBanda{7.999, 'N'}, CasoBanda{8, 'P'}, CasoBanda{40, 'T'},
                      CasoBanda{71.999, 'W'}, CasoBanda{72, 'X'}, CasoBanda{84, 'X'},
                      CasoBanda{84.0001, '?'}, CasoBanda{84.5, '?'}, CasoBanda{kNan, '?'},
                      CasoBanda{kInf, '?'}, CasoBanda{-kInf, '?'}));

// Outside -80..84 the point still gets a zone and coordinates.
TEST(LatLonAUTM, FueraDeLasBandasConvierteConBandaIndefinida) {
    const ResultadoUTM r = Convertir(85, 10);
    EXPECT_EQ(r.banda, '?');
    EXPECT_EQ(r.huso, 32);
    EXPECT_GT(r.easting, 500000.0);
    EXPECT_GT(r.northing, 9000000.0);
    EXPECT_TRUE(std::isfinite(r.northing));

    const ResultadoUTM sur = Convertir(-80.5, -3);
    EXPECT_EQ(sur.banda, '?');
    EXPECT_EQ(sur.huso, 30);
    EXPECT_NEAR(sur.easting, 500000.0, 1e-6);
}

// ---- Hemispheres ----

// Just south of the equator the northing is the false northing less the arc.
TEST(LatLonAUTM, ElSurSumaElFalsoNorte) {
    const ResultadoUTM norte = Convertir(1e-3, 3);
    const ResultadoUTM sur = Convertir(-1e-3, 3);
    EXPECT_EQ(norte.banda, 'N');
    EXPECT_EQ(sur.banda, 'M');
    EXPECT_NEAR(sur.northing, 10000000.0 - norte.northing, 1e-6);
    EXPECT_NEAR(norte.northing, 0.9996 * 110.574, 0.01);  // 0.001° of meridian at the equator is ~110.574 m
}

// ---- Invalid input ----

TEST(LatLonAUTM, NoFinitoDaBandaIndefinidaYNoConvierte) {
    const struct {
        double latitud, longitud;
    } casos[] = {{kNan, 3}, {40, kNan}, {kInf, 3}, {40, -kInf}};
    for (const auto& c : casos) {
        ResultadoUTM r{123.0, 456.0, 'T', 30};
        LatLonAUTM(r.easting, r.northing, r.banda, r.huso, ElipsoideWGS84, c.latitud,
                   c.longitud);
        EXPECT_EQ(r.banda, '?');
        EXPECT_EQ(r.easting, 123.0);
        EXPECT_EQ(r.northing, 456.0);
        EXPECT_EQ(r.huso, 30);
    }
}

TEST(LatLonAUTM, ElipsoideFueraDeLaTablaEsUnError) {
    double e = 0, n = 0;
    char banda = ' ';
    int huso = 0;
    EXPECT_THROW(LatLonAUTM(e, n, banda, huso, 0, 40, 3), EErrorQuendal);
    EXPECT_THROW(LatLonAUTM(e, n, banda, huso, 24, 40, 3), EErrorQuendal);
    EXPECT_EQ(huso, 0);
}

// ---- Ellipsoid table ----

TEST(TablaElipsoides, IdentificadorIgualAlIndiceYWGS84) {
    for (int i = 1; i <= 23; ++i) EXPECT_EQ(ElipsoideUTM(i).id, i);
    const TEllipsoidRec& wgs84 = ElipsoideUTM(ElipsoideWGS84);
    EXPECT_EQ(wgs84.ellipsoidName, "WGS-84");
    EXPECT_EQ(wgs84.EquatorialRadius, 6378137.0);
    EXPECT_EQ(wgs84.eccentricitySquared, 0.00669438);
    EXPECT_EQ(ElipsoideUTM(1).ellipsoidName, "Airy");
    EXPECT_EQ(ElipsoideUTM(4).ellipsoidName, "Bessel 1841 (Nambia)");
}

}  // namespace
