// The park's hot path allocates nothing per sample once it is warm: every
// heap allocation of the process is counted (a replaced global operator new,
// or the allocator's hooks in the sanitizer build) while samples of varied
// directions, winds and set-points are evaluated.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>

#include "models/uauxdensidad.h"
#include "models/uparques_modelocombinado.h"
#include "models/uparques_modeloteorico.h"
#include "test_calibrador_apoyo.h"

namespace {
std::atomic<long> asignacionesHechas{0};
}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's allocator serves operator new too; its hooks see every call.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, std::size_t),
                                                          void (*)(const volatile void*));
namespace {
void ContarAsignacion(const volatile void*, std::size_t) { asignacionesHechas.fetch_add(1, std::memory_order_relaxed); }
void IgnorarLiberacion(const volatile void*) {}
const bool ganchosInstalados = __sanitizer_install_malloc_and_free_hooks(ContarAsignacion, IgnorarLiberacion) != 0;
}  // namespace
#else
// Array, nothrow and sized forms of the library reach these two.
void* operator new(std::size_t bytes) {
    asignacionesHechas.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(bytes == 0 ? 1 : bytes)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
namespace {
const bool ganchosInstalados = true;
}  // namespace
#endif

using namespace apoyo_calibrador;

namespace {

long AsignacionesHastaAhora() { return asignacionesHechas.load(std::memory_order_relaxed); }

// One sample as a run evaluates it: its direction, then the power from the
// mast reading, under a set-point or not.
struct TMuestra {
    double dir = 0, v = 0, densidad = DensidadBase, tope = 0;
};

std::vector<TMuestra> MuestrasVariadas(int cuantas, double autorizada, unsigned semilla) {
    std::mt19937 azar(semilla);
    std::uniform_real_distribution<double> u(0, 1);
    std::vector<TMuestra> muestras;
    for (int k = 0; k < cuantas; ++k) {
        TMuestra m;
        m.dir = 360 * u(azar);
        m.v = k % 7 == 0 ? 2 * u(azar) : 3 + 15 * u(azar);  // some calm
        m.densidad = 1.1 + 0.2 * u(azar);
        m.tope = k % 3 == 0 ? autorizada * (0.2 + 0.7 * u(azar)) : autorizada;
        muestras.push_back(m);
    }
    return muestras;
}

class AsignacionesPorMuestra : public ConUnidadDePrueba {};

TEST_F(AsignacionesPorMuestra, ElParqueNoAsignaNadaTrasCalentarse) {
    ASSERT_TRUE(ganchosInstalados);
    auto parque = CrearParqueSintetico(41);
    TParque_ModeloTeorico& p = *parque;
    const double autorizada = p.potencia_autorizada_mw;
    const auto calentamiento = MuestrasVariadas(3, autorizada, 7);
    const auto muestras = MuestrasVariadas(200, autorizada, 8);
    auto evaluar = [&](const TMuestra& m) {
        p.FijarDireccion(m.dir);
        double libre = 0;
        const double pd = PotenciaDelViento(m.v, m.densidad);
        double potencia = p.PotenciaDesdeEstacion(m.densidad, pd, m.tope, libre);
        if (m.tope < autorizada) potencia += p.PotenciaConVientoLibre(m.densidad, libre, autorizada);
        return potencia;
    };
    double suma = 0;
    for (const TMuestra& m : calentamiento) suma += evaluar(m);
    const long antes = AsignacionesHastaAhora();
    for (const TMuestra& m : muestras) suma += evaluar(m);
    EXPECT_EQ(AsignacionesHastaAhora() - antes, 0) << "en " << muestras.size() << " muestras";
    EXPECT_GT(suma, 0);
}

TEST_F(AsignacionesPorMuestra, ElModeloCombinadoNoAsignaNadaTrasCalentarse) {
    ASSERT_TRUE(ganchosInstalados);
    auto modelo = TParque_ModeloCombinado::Create_LeerDeArchivo(EscribirCalibradorDeMano(42));
    modelo->MatrizFactores = TMatR(SectoresDeMano, TramosDeMano);
    for (int32_t i = 1; i <= SectoresDeMano; ++i) modelo->MatrizFactores.Fila(i).Llenar(1 + 0.01 * i);
    const double autorizada = modelo->Parque->potencia_autorizada_mw;
    const auto calentamiento = MuestrasVariadas(3, autorizada, 9);
    const auto muestras = MuestrasVariadas(200, autorizada, 10);
    double suma = 0;
    auto evaluar = [&](const TMuestra& m, bool velLibre) {
        double conCGM = 0, sinCGM = 0, teorica = 0;
        modelo->CalcularPotencia(false, conCGM, sinCGM, teorica, m.v, m.dir, m.densidad, m.tope, false, velLibre);
        suma += conCGM + sinCGM + teorica;
    };
    for (const TMuestra& m : calentamiento) evaluar(m, false);
    const long antes = AsignacionesHastaAhora();
    for (const TMuestra& m : muestras) evaluar(m, false);
    for (const TMuestra& m : muestras) evaluar(m, true);
    EXPECT_EQ(AsignacionesHastaAhora() - antes, 0) << "en " << 2 * muestras.size() << " muestras";
    EXPECT_GT(suma, 0);
}

}  // namespace
