#pragma once
// Small utilities of the data layer: the download of a data-service response
// over HTTPS, the extraterrestrial irradiance on a horizontal surface, and two
// text helpers of the spreadsheet report.
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

#include "numerics/fechas.h"
#include "numerics/formatonumeros.h"

// Settings of one download. The defaults are the system's: a 90-second
// time-out and the host's certificate store.
struct TOpcionesDescarga {
    // PEM file of the certificate authorities to trust; empty: the host's store.
    std::string archivoCA;
    // Longest wait for the whole transfer, connection included, in
    // milliseconds (at least 1).
    long tiempoEsperaMs = 90000;
};

// Largest response body accepted; a longer one fails the download.
inline constexpr std::size_t TamanoMaximoDescarga = 64u << 20;

// One HTTP/1.0 GET of the absolute address `url` (user agent
// "Mozilla/4.0 (compatible; Synapse)"; a user:password in the address goes as
// basic authentication; redirections are not followed; the server's
// certificate is verified; the whole transfer ends within the wait). The
// address is read by libcurl's URL parser and must be https, since its
// password crosses the network; the user and password are percent-decoded,
// so their reserved characters go percent-encoded ("pa%2Fss" for "pa/ss",
// "100%25" for "100%"). An address
// that does not parse, or that holds an '@' outside its user part, or
// another scheme, is refused before anything is sent. When the server
// answers with a code from 100 to 299 and the whole body arrives, `stream`
// becomes a new stream holding the body at position 0, the body's size in
// bytes is printed as a line of its own, and the result is true. Otherwise
// the result is false, `stream` is left as it was and nothing is printed;
// when `motivo` is given it receives why, in Spanish, with the address as
// URLSinClave shows it.
bool DescargarURL(const std::string& url, std::unique_ptr<std::stringstream>& stream,
                  const TOpcionesDescarga& opciones = {}, std::string* motivo = nullptr);

// The address for messages: rebuilt by libcurl from its parsed parts, with
// the user and the password (each one it holds) replaced by "***"; the rest
// is shown as written. An address that libcurl cannot parse, or whose user
// part it cannot tell (an '@' outside it), shows "***" for everything
// between "://" and its last '@'.
std::string URLSinClave(const std::string& url);

// Irradiance at the top of the atmosphere on a horizontal surface, kW/m², at
// the local clock time t of a zone `zonaHoraria` hours from universal time,
// at a latitude (north positive) and longitude (east positive) in degrees.
// Spencer's series for the declination and the equation of time; the result
// is negative while the sun is below the horizon.
double IrradianciaExtraterrestre(TDateTime t, double latitud, double longitud, double zonaHoraria);

// NombreHojaValido and FormatoDecimales are shared with the charts: see
// numerics/formatonumeros.h.
