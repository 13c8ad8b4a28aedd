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

// ---- The address, parsed by libcurl ----

struct TLiberarURL {
    void operator()(CURLU* u) const { curl_url_cleanup(u); }
};
using TPunteroURL = std::unique_ptr<CURLU, TLiberarURL>;

// One part of a parsed address, or empty when the address has none.
std::string ParteURL(CURLU* url, CURLUPart parte, unsigned int opciones = 0) {
    char* texto = nullptr;
    if (curl_url_get(url, parte, &texto, opciones) != CURLUE_OK || texto == nullptr) return {};
    std::string resultado(texto);
    curl_free(texto);
    return resultado;
}

// An address as libcurl reads it. `error` is empty when the address can be
// used as it stands; otherwise it says, in Spanish, why it cannot.
struct TDireccion {
    TPunteroURL url;
    std::string error;
    bool legible = false;  // libcurl parsed it, and nothing of it is out of place
};

constexpr const char* ComoCodificarLaClave =
    "; los caracteres reservados de la clave ('/', '?', '#', '@', ':', '%') se escriben como %2F, %3F, %23, "
    "%40, %3A y %25";

// An '@' that libcurl left outside the user part (in the path, query or
// fragment) most likely ends a password holding an unencoded '/', '?' or
// '#': such an address cannot be told from one whose user part was cut short.
bool ArrobaFueraDelUsuario(CURLU* url) {
    for (CURLUPart parte : {CURLUPART_PATH, CURLUPART_QUERY, CURLUPART_FRAGMENT})
        if (ParteURL(url, parte).find('@') != std::string::npos) return true;
    return false;
}

TDireccion LeerDireccion(const std::string& texto) {
    TDireccion d;
    d.url.reset(curl_url());
    if (!d.url) {
        d.error = "No se pudo iniciar el lector de direcciones";
        return d;
    }
    const CURLUcode codigo = curl_url_set(d.url.get(), CURLUPART_URL, texto.c_str(), CURLU_NON_SUPPORT_SCHEME);
    if (codigo != CURLUE_OK) {
        d.error = std::string("La dirección no es válida (") + curl_url_strerror(codigo) + ")" + ComoCodificarLaClave;
        return d;
    }
    if (ArrobaFueraDelUsuario(d.url.get())) {
        d.error = std::string("La dirección no es válida: tiene una '@' fuera de la parte de usuario") +
                  ComoCodificarLaClave;
        return d;
    }
    d.legible = true;
    if (ParteURL(d.url.get(), CURLUPART_SCHEME) != "https")
        d.error = "Solo se admiten direcciones https: la clave del servicio viaja en la autenticación básica y "
                  "no debe cruzar la red sin cifrar";
    return d;
}

// The address with everything between "://" and its last '@' replaced by
// "***", for an address whose user part cannot be told.
std::string SinUsuarioNiClave(const std::string& texto) {
    const std::size_t arroba = texto.rfind('@');
    if (arroba == std::string::npos) return texto;
    const std::size_t esquema = texto.find("://");
    const std::size_t inicio = esquema == std::string::npos || esquema > arroba ? 0 : esquema + 3;
    return texto.substr(0, inicio) + "***" + texto.substr(arroba);
}

// The parsed address as libcurl writes it back, with each part of its
// login (user, password, options) that it holds replaced by "***".
std::string ConLoginOculto(const TDireccion& d) {
    TPunteroURL copia(curl_url_dup(d.url.get()));
    if (!copia) return {};
    for (CURLUPart parte : {CURLUPART_USER, CURLUPART_PASSWORD, CURLUPART_OPTIONS})
        if (!ParteURL(copia.get(), parte).empty()) curl_url_set(copia.get(), parte, "***", 0);
    return ParteURL(copia.get(), CURLUPART_URL);
}

// The address as messages show it: never with its user or its password.
std::string TextoParaMensajes(const TDireccion& d, const std::string& texto) {
    return d.legible ? ConLoginOculto(d) : SinUsuarioNiClave(texto);
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

long EsperaMs(const TOpcionesDescarga& opciones) { return std::max(opciones.tiempoEsperaMs, 1L); }

struct TLiberarCurl {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
using TPunteroCurl = std::unique_ptr<CURL, TLiberarCurl>;

// The request goes to the address exactly as it was parsed above.
void Configurar(CURL* curl, const TDireccion& direccion, const TOpcionesDescarga& opciones,
                TCuerpoRecibido& cuerpo, char* errorCurl) {
    curl_easy_setopt(curl, CURLOPT_CURLU, direccion.url.get());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(curl, CURLOPT_USERAGENT, AgenteUsuario);
    curl_easy_setopt(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!opciones.archivoCA.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, opciones.archivoCA.c_str());
    // The whole transfer, connection included, ends within the wait: a
    // server that trickles bytes cannot hold the run.
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, EsperaMs(opciones));
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(TamanoMaximoDescarga));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &RecibirCuerpo);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &cuerpo);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorCurl);
}

bool Fallar(std::string* motivo, const std::string& texto, const TDireccion& direccion, const std::string& url) {
    if (motivo) *motivo = texto + " (" + TextoParaMensajes(direccion, url) + ")";
    return false;
}

// Why a transfer that libcurl ended with `resultado` gave no response.
std::string SinRespuesta(CURLcode resultado, const char* errorCurl, const TOpcionesDescarga& opciones) {
    if (resultado == CURLE_OPERATION_TIMEDOUT)
        return "Se agotó la espera de " + EnteroATexto(EsperaMs(opciones)) +
               " ms sin la respuesta completa del servidor";
    return std::string("Sin respuesta completa del servidor: ") +
           (errorCurl[0] ? errorCurl : curl_easy_strerror(resultado));
}

// ---- Extraterrestrial irradiance ----

double ParteFraccionaria(double x) { return x - std::trunc(x); }

}  // namespace

std::string URLSinClave(const std::string& url) { return TextoParaMensajes(LeerDireccion(url), url); }

bool DescargarURL(const std::string& url, std::unique_ptr<std::stringstream>& stream,
                  const TOpcionesDescarga& opciones, std::string* motivo) {
    const TDireccion direccion = LeerDireccion(url);
    if (!direccion.error.empty()) return Fallar(motivo, direccion.error, direccion, url);
    TPunteroCurl curl(curl_easy_init());
    if (!curl) return Fallar(motivo, "No se pudo iniciar el cliente HTTP", direccion, url);
    TCuerpoRecibido cuerpo;
    char errorCurl[CURL_ERROR_SIZE] = {};
    Configurar(curl.get(), direccion, opciones, cuerpo, errorCurl);

    const CURLcode resultado = curl_easy_perform(curl.get());
    if (cuerpo.excedido || resultado == CURLE_FILESIZE_EXCEEDED)
        return Fallar(motivo,
                      "La respuesta supera el tamaño máximo de " +
                          EnteroATexto(static_cast<long long>(TamanoMaximoDescarga)) + " bytes",
                      direccion, url);
    if (resultado != CURLE_OK) return Fallar(motivo, SinRespuesta(resultado, errorCurl, opciones), direccion, url);
    long codigo = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &codigo);
    if (codigo < 100 || codigo > 299)
        return Fallar(motivo, "El servidor respondió con el código " + EnteroATexto(codigo), direccion, url);

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


