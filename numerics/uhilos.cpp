#include "numerics/uhilos.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "numerics/consola.h"

int32_t HilosPedidos(const char* texto) {
    if (!texto) return 0;
    const char* fin = texto + std::strlen(texto);
    if (texto == fin || *texto < '0' || *texto > '9') return 0;
    int64_t cantidad = 0;
    const auto [resto, error] = std::from_chars(texto, fin, cantidad);
    if (error != std::errc() || resto != fin || cantidad < 1 || cantidad > MaximoHilos) return 0;
    return static_cast<int32_t>(cantidad);
}

std::string AvisoHilosIgnorados(const char* texto, int32_t usados) {
    const std::string hilos = usados == 1 ? "se usa 1 hilo" : "se usan " + std::to_string(usados) + " hilos";
    return std::string(VariableHilos) + " = \"" + texto + "\" no es una cantidad de hilos de 1 a " +
           std::to_string(MaximoHilos) + ": se ignora y " + hilos + ".";
}

namespace {

// Says once that the variable's value was ignored: a run after run with the
// same value does not repeat it.
void AvisarHilosIgnorados(const char* texto, int32_t usados) {
    static std::mutex cerrojo;
    static std::optional<std::string> avisado;
    const std::lock_guard<std::mutex> bloqueo(cerrojo);
    if (texto == nullptr || *texto == '\0') {  // unset or empty: every core, nothing to say
        avisado.reset();
        return;
    }
    if (avisado == texto) return;
    avisado = texto;
    EscribirLineaEnConsola(AvisoHilosIgnorados(texto, usados));
}

}  // namespace

int32_t HilosDeTrabajo() {
    const char* texto = std::getenv(VariableHilos);
    const int32_t pedidos = HilosPedidos(texto);
    if (pedidos > 0) {
        AvisarHilosIgnorados(nullptr, pedidos);  // a good value: a later bad one is said again
        return pedidos;
    }
    const unsigned nucleos = std::thread::hardware_concurrency();
    const auto todos = static_cast<int32_t>(std::clamp<unsigned>(nucleos, 1, MaximoHilos));
    AvisarHilosIgnorados(texto, todos);
    return todos;
}

int32_t HilosParaBloques(std::size_t n, int32_t hilos, std::size_t bloque) {
    bloque = std::max<std::size_t>(bloque, 1);
    const std::size_t bloques = (n + bloque - 1) / bloque;
    return static_cast<int32_t>(std::clamp<int64_t>(hilos, 1, std::max<int64_t>(1, int64_t(bloques))));
}

void RepartirEnBloques(std::size_t n, int32_t hilos, std::size_t bloque,
                       const std::function<void(int32_t hilo, std::size_t desde, std::size_t hasta)>& trabajo) {
    if (n == 0) return;
    bloque = std::max<std::size_t>(bloque, 1);
    const std::size_t bloques = (n + bloque - 1) / bloque;
    const auto cantidadHilos = static_cast<std::size_t>(HilosParaBloques(n, hilos, bloque));

    std::atomic<std::size_t> siguiente{0};
    std::atomic<bool> detenido{false};
    std::exception_ptr primerFallo;
    std::mutex fallo;
    auto atender = [&](int32_t hilo) {
        while (!detenido.load(std::memory_order_relaxed)) {
            const std::size_t b = siguiente.fetch_add(1, std::memory_order_relaxed);
            if (b >= bloques) return;
            try {
                trabajo(hilo, b * bloque, std::min(n, (b + 1) * bloque));
            } catch (...) {
                const std::lock_guard<std::mutex> cerrojo(fallo);
                if (!primerFallo) primerFallo = std::current_exception();
                detenido = true;
            }
        }
    };

    std::vector<std::thread> trabajadores;
    trabajadores.reserve(cantidadHilos - 1);
    for (std::size_t h = 1; h < cantidadHilos; ++h) {
        try {
            trabajadores.emplace_back(atender, static_cast<int32_t>(h));
        } catch (const std::system_error&) {
            break;  // the threads already running and this one share the rest
        }
    }
    atender(0);
    for (std::thread& t : trabajadores) t.join();
    if (primerFallo) std::rethrow_exception(primerFallo);
}
