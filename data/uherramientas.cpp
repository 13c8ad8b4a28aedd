#include "data/uherramientas.h"

#include <curl/curl.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "numerics/consola.h"
#include "numerics/formatsettings.h"

namespace {

// ---- Download ----

constexpr const char* AgenteUsuario = "Mozilla/4.0 (compatible; Synapse)";

std::string EnteroATexto(long long k) {
    char buffer[24];
    auto fin = std::to_chars(buffer, buffer + sizeof buffer, k).ptr;
    return std::string(buffer, fin);
}

// Where the password of the address's user part lies: [inicio, inicio + largo).
struct TTramoClave {
    std::size_t inicio = std::string::npos;
    std::size_t largo = 0;
};

TTramoClave BuscarClave(const std::string& url) {
    const std::size_t esquema = url.find("://");
    const std::size_t autoridad = esquema == std::string::npos ? 0 : esquema + 3;
    const std::size_t finAutoridad = url.find_first_of("/?#", autoridad);
    const std::string_view tramo =
        std::string_view(url).substr(autoridad, finAutoridad == std::string::npos ? std::string::npos
                                                                                  : finAutoridad - autoridad);
    const std::size_t arroba = tramo.rfind('@');
    if (arroba == std::string_view::npos) return {};
    const std::size_t dosPuntos = tramo.substr(0, arroba).find(':');
    if (dosPuntos == std::string_view::npos) return {};
    return {autoridad + dosPuntos + 1, arroba - dosPuntos - 1};
}

// The message with every appearance of the address's password masked.
std::string SinClave(std::string mensaje, const std::string& url) {
    const TTramoClave clave = BuscarClave(url);
    if (clave.inicio == std::string::npos || clave.largo == 0) return mensaje;
    const std::string secreto = url.substr(clave.inicio, clave.largo);
    for (std::size_t p = mensaje.find(secreto); p != std::string::npos; p = mensaje.find(secreto, p + 3))
        mensaje.replace(p, secreto.size(), "***");
    return mensaje;
}

// The body as it arrives; refuses to grow past the download limit.
struct TCuerpoRecibido {
    std::string bytes;
    bool excedido = false;
};

size_t RecibirCuerpo(char* datos, size_t tamano, size_t cantidad, void* usuario) {
    auto* cuerpo = static_cast<TCuerpoRecibido*>(usuario);
    const size_t n = tamano * cantidad;
    if (cuerpo->bytes.size() + n > TamanoMaximoDescarga) {
        cuerpo->excedido = true;
        return 0;  // aborts the transfer
    }
    cuerpo->bytes.append(datos, n);
    return n;
}

struct TLiberarCurl {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
using TPunteroCurl = std::unique_ptr<CURL, TLiberarCurl>;

void Configurar(CURL* curl, const std::string& url, const TOpcionesDescarga& opciones,
                TCuerpoRecibido& cuerpo, char* errorCurl) {
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(curl, CURLOPT_USERAGENT, AgenteUsuario);
    curl_easy_setopt(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!opciones.archivoCA.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, opciones.archivoCA.c_str());
    const long espera = std::max(opciones.tiempoEsperaMs, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, espera);
    // Idle time-out: fewer than one byte a second for that many seconds.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, std::max((espera + 999) / 1000, 1L));
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(TamanoMaximoDescarga));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &RecibirCuerpo);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &cuerpo);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorCurl);
}

bool Fallar(std::string* motivo, const std::string& texto, const std::string& url) {
    if (motivo) *motivo = SinClave(texto + " (" + URLSinClave(url) + ")", url);
    return false;
}

// ---- Extraterrestrial irradiance ----

double ParteFraccionaria(double x) { return x - std::trunc(x); }

}  // namespace

std::string URLSinClave(const std::string& url) {
    const TTramoClave clave = BuscarClave(url);
    if (clave.inicio == std::string::npos) return url;
    std::string resultado = url;
    resultado.replace(clave.inicio, clave.largo, "***");
    return resultado;
}

bool DescargarURL(const std::string& url, std::unique_ptr<std::stringstream>& stream,
                  const TOpcionesDescarga& opciones, std::string* motivo) {
    TPunteroCurl curl(curl_easy_init());
    if (!curl) return Fallar(motivo, "No se pudo iniciar el cliente HTTP", url);
    TCuerpoRecibido cuerpo;
    char errorCurl[CURL_ERROR_SIZE] = {};
    Configurar(curl.get(), url, opciones, cuerpo, errorCurl);

    const CURLcode resultado = curl_easy_perform(curl.get());
    if (cuerpo.excedido || resultado == CURLE_FILESIZE_EXCEEDED)
        return Fallar(motivo, "La respuesta supera el tamaño máximo de " +
                                  EnteroATexto(static_cast<long long>(TamanoMaximoDescarga)) + " bytes",
                      url);
    if (resultado != CURLE_OK)
        return Fallar(motivo,
                      std::string("Sin respuesta completa del servidor: ") +
                          (errorCurl[0] ? errorCurl : curl_easy_strerror(resultado)),
                      url);
    long codigo = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &codigo);
    if (codigo < 100 || codigo > 299)
        return Fallar(motivo, "El servidor respondió con el código " + EnteroATexto(codigo), url);

    const std::string tamano = EnteroATexto(static_cast<long long>(cuerpo.bytes.size())) + "\n";
    EscribirEnConsola(tamano);
    stream = std::make_unique<std::stringstream>(std::move(cuerpo.bytes),
                                                 std::ios::in | std::ios::out | std::ios::binary);
    return true;
}

double IrradianciaExtraterrestre(TDateTime t, double latitud, double longitud, double zonaHoraria) {
    constexpr double DosPiRad = 2 * std::numbers::pi;
    const double g = DosPiRad * ParteFraccionaria(t / 365.2425);
    const double declinacion = 0.006918 - 0.399912 * std::cos(g) + 0.070257 * std::sin(g) -
                               0.006758 * std::cos(2 * g) + 0.000907 * std::sin(2 * g) -
                               0.002697 * std::cos(3 * g) + 0.00148 * std::sin(3 * g);
    const double ecuacionTiempoMin = 229.18 * (0.000075 + 0.001868 * std::cos(g) - 0.032077 * std::sin(g) -
                                               0.014615 * std::cos(2 * g) - 0.04089 * std::sin(2 * g));
    const double angHorario =
        DosPiRad * ParteFraccionaria(t + (ecuacionTiempoMin / 60 + longitud / 15 - zonaHoraria - 12) / 24);
    const double phi = latitud * DosPiRad / 360;
    return 1.367 * (1 + 0.033 * std::cos(g)) *
           (std::sin(phi) * std::sin(declinacion) + std::cos(phi) * std::cos(declinacion) * std::cos(angHorario));
}


