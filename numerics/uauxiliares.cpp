#include "numerics/uauxiliares.h"

#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "numerics/formatsettings.h"
#include "numerics/matreal.h"
#include "numerics/textoreal.h"
#include "numerics/uevaluador.h"

namespace {

// The five settings that the switch changes.
struct AjustesConmutados {
    char DecimalSeparator;
    char ThousandSeparator;
    char DateSeparator;
    std::string ShortDateFormat;
    std::string LongDateFormat;
};

const AjustesConmutados kAjustesInvariantes{'.', ' ', '-', "yyyy-MM-dd", "yyyy-MM-dd HH:mm:ss"};

std::mutex cerrojoFormatos;
int profundidad = 0;
// The user's settings as the outermost pop restores them; empty before
// start-up and after shut-down.
std::optional<AjustesConmutados> ajustesUsuario;

// Inserts a 'y' after the first lower-case 'y' until the format holds
// "yyyy": "d/M/yy" becomes "d/M/yyyy"; a format without 'y' stays as it is.
std::string AnioDeCuatroCifras(std::string formato) {
    while (formato.find("yyyy") == std::string::npos) {
        const size_t primeraY = formato.find('y');
        if (primeraY == std::string::npos) break;
        formato.insert(primeraY + 1, 1, 'y');
    }
    return formato;
}

// '/' when the format holds one, else '-' when it holds one, else the user's.
char SeparadorDeFecha(const std::string& formato, char separadorUsuario) {
    if (formato.find('/') != std::string::npos) return '/';
    if (formato.find('-') != std::string::npos) return '-';
    return separadorUsuario;
}

AjustesConmutados CapturarAjustesUsuario() {
    const FormatSettings& f = AjustesFormato();
    std::string cortaAmpliada = AnioDeCuatroCifras(f.ShortDateFormat);
    const char separador = SeparadorDeFecha(cortaAmpliada, f.DateSeparator);
    return {f.DecimalSeparator, f.ThousandSeparator, separador, std::move(cortaAmpliada),
            f.LongDateFormat};
}

void PonerEnVigor(const AjustesConmutados& a) {
    FormatSettings& f = AjustesFormato();
    f.DecimalSeparator = a.DecimalSeparator;
    f.ThousandSeparator = a.ThousandSeparator;
    f.DateSeparator = a.DateSeparator;
    f.ShortDateFormat = a.ShortDateFormat;
    f.LongDateFormat = a.LongDateFormat;
}

bool EsImprimible(char c) {
    const auto codigo = static_cast<unsigned char>(c);
    return codigo >= 32 && codigo <= 126;
}

}  // namespace

bool EsSeparadorDePalabra(char c) {
    return c == '\t' || c == '\n' || c == '\r' || c == ' ' || c == ',' || c == ';';
}

void InicializarUAuxiliares() {
    const std::lock_guard<std::mutex> bloqueo(cerrojoFormatos);
    ajustesUsuario = CapturarAjustesUsuario();
    profundidad = 0;
}

void FinalizarUAuxiliares() {
    const std::lock_guard<std::mutex> bloqueo(cerrojoFormatos);
    ajustesUsuario.reset();
    profundidad = 0;
}

void ApilarFormatosInvariantes() {
    const std::lock_guard<std::mutex> bloqueo(cerrojoFormatos);
    // A push before start-up saves the settings it is about to replace.
    if (!ajustesUsuario) ajustesUsuario = CapturarAjustesUsuario();
    ++profundidad;
    PonerEnVigor(kAjustesInvariantes);
}

void DesapilarFormatosInvariantes() {
    const std::lock_guard<std::mutex> bloqueo(cerrojoFormatos);
    if (profundidad == 0) return;
    --profundidad;
    if (profundidad == 0 && ajustesUsuario) PonerEnVigor(*ajustesUsuario);
}

int ProfundidadFormatosInvariantes() {
    const std::lock_guard<std::mutex> bloqueo(cerrojoFormatos);
    return profundidad;
}

std::string_view SiguientePalabra(std::string_view& s) {
    size_t inicio = 0;
    while (inicio < s.size() && EsSeparadorDePalabra(s[inicio])) ++inicio;
    size_t fin = inicio;
    while (fin < s.size() && !EsSeparadorDePalabra(s[fin])) ++fin;
    const std::string_view palabra = s.substr(inicio, fin - inicio);
    // Only the separator that ends the token is consumed; the next call skips
    // any that follow it.
    s.remove_prefix(fin < s.size() ? fin + 1 : s.size());
    return palabra;
}

int SiguienteEntero(std::string_view& s) {
    return TextoAEntero(SiguientePalabra(s));
}

double SiguienteReal(std::string_view& s) {
    return CadenaAReal(SiguientePalabra(s));
}

void QuitarNoImprimiblesIniciales(std::string& s) {
    size_t primerImprimible = 0;
    while (primerImprimible < s.size() && !EsImprimible(s[primerImprimible])) ++primerImprimible;
    s.erase(0, primerImprimible);
}

void OrdenarDescendente(TDAofNReal& a) {
    if (a.size() < 2) return;
    OrdenarRangoRapido(a, {}, 0, static_cast<int32_t>(a.size() - 1), false);
}
