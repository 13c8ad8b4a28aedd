// The turbine power-curve block on its own. A curve that was read has its
// derived values; written again it reads back to the same points and the
// same derived values, and its second writing is the first byte for byte.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "modelos.h"
#include "models/ucurvasaeros.h"

QUENDAL_FUZZ_INICIO

namespace {

std::string Escribir(const TCurvaAerogen& curva) {
    TEscritorTexto f = TEscritorTexto::EnMemoria();
    curva.GuardarEnTexto(f);
    return f.Contenido();
}

std::optional<TCurvaAerogen> Leer(std::string_view texto) {
    std::optional<TCurvaAerogen> curva;
    fuzz::LeerModeloConLinea("TCurvaAerogen.Create_LeerDeTexto", texto,
                             [&](TLectorTexto& f) { curva = TCurvaAerogen::Create_LeerDeTexto(f); });
    return curva;
}

void ExigirMismoReal(double a, double b, const char* campo) {
    FUZZ_EXIGIR(fuzz::MismoValor(a, b), std::string(campo) + " vuelve como " + fuzz::Exacto(b) + " en lugar de " +
                                            fuzz::Exacto(a));
}

void ExigirMismoVector(const TVectR& a, const TVectR& b, const char* campo) {
    FUZZ_EXIGIR(a.n == b.n, std::string(campo) + " cambia de largo");
    for (int32_t i = 1; i <= a.n; ++i) ExigirMismoReal(a.pv[i], b.pv[i], campo);
}

void CompararCurvas(const TCurvaAerogen& a, const TCurvaAerogen& b) {
    FUZZ_EXIGIR(a.nid == b.nid && a.modelo == b.modelo && a.n == b.n, "la curva escrita cambia nid, modelo o n");
    ExigirMismoReal(a.diametro, b.diametro, "diametro");
    ExigirMismoVector(a.curva_v, b.curva_v, "curva_v");
    ExigirMismoVector(a.curva_P, b.curva_P, "curva_P");
    ExigirMismoVector(a.curva_PV, b.curva_PV, "curva_PV");
    ExigirMismoReal(a.pvMin, b.pvMin, "pvMin");
    ExigirMismoReal(a.pvMax, b.pvMax, "pvMax");
    ExigirMismoReal(a.Pmax, b.Pmax, "Pmax");
    FUZZ_EXIGIR(a.iNominal == b.iNominal && a.iArranque == b.iArranque && a.nAjuste == b.nAjuste &&
                    a.hayAjuste == b.hayAjuste,
                "la curva escrita cambia sus puntos característicos");
    ExigirMismoReal(a.area, b.area, "area");
    ExigirMismoReal(a.k, b.k, "k");
    ExigirMismoReal(a.vCentro, b.vCentro, "vCentro");
    ExigirMismoReal(a.residuo, b.residuo, "residuo");
}

void ComprobarDerivados(const TCurvaAerogen& c) {
    FUZZ_EXIGIR(c.n >= 1 && c.curva_v.n == c.n && c.curva_P.n == c.n && c.curva_PV.n == c.n,
                "curva leída mal formada");
    FUZZ_EXIGIR(c.iNominal >= 1 && c.iNominal <= c.n && c.iArranque >= 1 && c.iArranque <= c.n,
                "punto nominal o de arranque fuera de la curva");
    FUZZ_EXIGIR(!c.hayAjuste || (std::isfinite(c.k) && std::isfinite(c.vCentro)), "ajuste logístico no finito");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, std::size_t tamano) {
    const std::optional<TCurvaAerogen> leida = Leer(fuzz::ComoTexto(datos, tamano));
    if (!leida) return 0;
    ComprobarDerivados(*leida);
    const std::string escrito = Escribir(*leida);
    const std::optional<TCurvaAerogen> vuelta = Leer(escrito);
    FUZZ_EXIGIR(vuelta.has_value(), "no se lee la curva escrita");
    CompararCurvas(*leida, *vuelta);
    FUZZ_EXIGIR(Escribir(*vuelta) == escrito, "la curva escrita no es estable");
    return 0;
}
