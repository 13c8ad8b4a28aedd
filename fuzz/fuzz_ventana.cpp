// The stream form of the metering windows, read by each window kind. A
// stream fails only with the input/output error; a window that was read
// holds exactly the header and the record bytes it announced (a 15-minute
// year one record short gets its 35040th record of zeros), written again it
// gives those bytes, and its vector form holds the records' values as sent.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "comun.h"
#include "data/utsdbTypes.h"

QUENDAL_FUZZ_INICIO

namespace {

constexpr std::size_t kCabecera = 16;
constexpr std::size_t kCuenta = 4;
constexpr int32_t kRegistrosAnio15MinCorto = 35039;

std::unique_ptr<TVentana> Leer(const TClaseVentana& clase, std::string_view bytes) {
    std::unique_ptr<TVentana> ventana;
    std::istringstream flujo{std::string(bytes)};
    const fuzz::TErrorLector error = fuzz::ConErroresPropios(clase.nombre, [&] { ventana = clase.CreateFromStream(flujo); });
    FUZZ_EXIGIR(error == fuzz::TErrorLector::Ninguno || error == fuzz::TErrorLector::EntradaSalida,
                std::string(clase.nombre) + ": error que no es de entrada/salida");
    return ventana;
}

std::string Escribir(const TVentana& ventana) {
    std::ostringstream flujo;
    ventana.writeHeader(flujo);
    ventana.writeData(flujo);
    return flujo.str();
}

// The byte count the stream announces, or -1 when it ends before it.
int64_t BytesAnunciados(std::string_view bytes) {
    if (bytes.size() < kCabecera + kCuenta) return -1;
    int32_t n = 0;
    std::memcpy(&n, bytes.data() + kCabecera, sizeof n);
    return n;
}

// What the window must hold: the header and the announced records, plus
// the completion of a short 15-minute year.
std::string Esperado(const TClaseVentana& clase, std::string_view bytes, int64_t n) {
    std::string esperado(bytes.substr(0, kCabecera + kCuenta + static_cast<std::size_t>(n)));
    if (&clase == &ClaseVentanaKOLM15Min && n / static_cast<int64_t>(TRecMedidaKOLM::Tamano) == kRegistrosAnio15MinCorto) {
        const int32_t completado = static_cast<int32_t>(n + TRecMedidaKOLM::Tamano);
        std::memcpy(esperado.data() + kCabecera, &completado, sizeof completado);
        esperado.append(TRecMedidaKOLM::Tamano, '\0');
    }
    return esperado;
}

void ComprobarVector(const TClaseVentana& clase, const TVentana& ventana) {
    if (&clase == &ClaseVentanaLogKOLM) return;  // a change log has no vector form
    const TVectR v = ventana.toVectR();
    FUZZ_EXIGIR(v.n == ventana.count(), std::string(clase.nombre) + ": toVectR no tiene un valor por registro");
    for (int32_t k = 1; k <= v.n; ++k) {
        double valor = 0;
        std::memcpy(&valor, ventana.data.data() + static_cast<std::size_t>(k - 1) * TRecMedidaKOLM::Tamano, sizeof valor);
        FUZZ_EXIGIR(std::memcmp(&valor, &v.pv[k], sizeof valor) == 0,
                    std::string(clase.nombre) + ": toVectR cambia el valor " + std::to_string(k));
    }
}

void Comprobar(const TClaseVentana& clase, std::string_view bytes) {
    const std::unique_ptr<TVentana> ventana = Leer(clase, bytes);
    const int64_t n = BytesAnunciados(bytes);
    const bool completa = n >= 0 && static_cast<std::size_t>(n) <= bytes.size() - kCabecera - kCuenta;
    FUZZ_EXIGIR((ventana != nullptr) == completa,
                std::string(clase.nombre) + (completa ? ": falla con un flujo completo" : ": lee un flujo incompleto"));
    if (!ventana) return;
    FUZZ_EXIGIR(ventana->logObserver == nullptr, std::string(clase.nombre) + ": ventana leída con registro de cambios");
    FUZZ_EXIGIR(ventana->count() == static_cast<int32_t>(ventana->data.size() / ventana->TamanoRegistro()),
                std::string(clase.nombre) + ": count no cuenta los registros");
    const std::string escrito = Escribir(*ventana);
    FUZZ_EXIGIR(escrito == Esperado(clase, bytes, n),
                std::string(clase.nombre) + ": la ventana escrita no es la que llegó");
    ComprobarVector(clase, *ventana);
    const std::unique_ptr<TVentana> vuelta = Leer(clase, escrito);
    FUZZ_EXIGIR(vuelta != nullptr && Escribir(*vuelta) == escrito,
                std::string(clase.nombre) + ": la ventana escrita no es estable");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, std::size_t tamano) {
    const std::string_view bytes(reinterpret_cast<const char*>(datos), tamano);
    for (const TClaseVentana* clase :
         {&ClaseVentanaKOLMHoraria, &ClaseVentanaKOLM15Min, &ClaseVentanaRO10Min, &ClaseVentanaLogKOLM})
        Comprobar(*clase, bytes);
    return 0;
}
