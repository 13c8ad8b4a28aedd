// The worker count of a run and the handing out of blocks to threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "numerics/uhilos.h"
#include "../soporte/captura_salida.h"
#include "../soporte/variable_entorno.h"

namespace {

struct CasoHilos {
    const char* texto;
    int32_t pedidos;
};

class HilosPedidosEn : public ::testing::TestWithParam<CasoHilos> {};

TEST_P(HilosPedidosEn, SoloUnEnteroDesdeUnoCuenta) {
    EXPECT_EQ(HilosPedidos(GetParam().texto), GetParam().pedidos) << GetParam().texto;
}

INSTANTIATE_TEST_SUITE_P(Casos, HilosPedidosEn,
                         ::testing::Values(CasoHilos{"1", 1}, CasoHilos{"8", 8}, CasoHilos{"08", 8},
                                           CasoHilos{"256", 256}, CasoHilos{"257", 0}, CasoHilos{"1000000", 0},
                                           CasoHilos{"99999999999999999999999", 0}, CasoHilos{"", 0},
                                           CasoHilos{"1e3", 0}, CasoHilos{"-1", 0},
                                           CasoHilos{"0", 0}, CasoHilos{"-2", 0}, CasoHilos{"+3", 0},
                                           CasoHilos{" 4", 0}, CasoHilos{"4 ", 0}, CasoHilos{"2.5", 0},
                                           CasoHilos{"4a", 0}, CasoHilos{"todos", 0}));

TEST(HilosPedidos, SinVariableNoHayPedido) { EXPECT_EQ(HilosPedidos(nullptr), 0); }

// QUENDAL_HILOS set for the object's life, then put back as it was.
class VariableHilosFija : public VariableDeEntornoFija {
public:
    explicit VariableHilosFija(const char* valor) : VariableDeEntornoFija(VariableHilos, valor) {}
};

TEST(HilosDeTrabajo, LaVariableFijaLaCantidadYSinElla_oMalEscritaSonTodosLosNucleos) {
    const auto nucleos = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
    {
        const VariableHilosFija fija("3");
        EXPECT_EQ(HilosDeTrabajo(), 3);
    }
    {
        const VariableHilosFija fija("1");
        EXPECT_EQ(HilosDeTrabajo(), 1);
    }
    for (const char* valor : {static_cast<const char*>(nullptr), "", "0", "muchos"}) {
        const VariableHilosFija fija(valor);
        EXPECT_EQ(HilosDeTrabajo(), std::min(nucleos, MaximoHilos)) << (valor ? valor : "(sin variable)");
    }
}

// A value that is not a count of workers is ignored, and the console says so
// once, with the count used instead; a good value says nothing.
TEST(HilosDeTrabajo, UnValorQueNoEsUnaCantidadSeAvisaUnaVez) {
    const auto todos = static_cast<int32_t>(std::clamp(std::thread::hardware_concurrency(), 1u, 256u));
    for (const char* valor : {"0", "-1", "abc", "2.5", "1e3", " 4", "1000000"}) {
        SCOPED_TRACE(valor);
        {
            const VariableHilosFija buena("3");
            TCapturaSalida salida;
            EXPECT_EQ(HilosDeTrabajo(), 3);
            EXPECT_EQ(salida.Texto(), "");
        }
        const VariableHilosFija fija(valor);
        TCapturaSalida salida;
        EXPECT_EQ(HilosDeTrabajo(), todos);
        EXPECT_EQ(HilosDeTrabajo(), todos);  // the next run says nothing more
        EXPECT_EQ(salida.Texto(), AvisoHilosIgnorados(valor, todos) + "\n");
    }
    const std::string aviso = AvisoHilosIgnorados(" 4", 8);
    EXPECT_EQ(aviso, "QUENDAL_HILOS = \" 4\" no es una cantidad de hilos de 1 a 256: se ignora y se usan 8 hilos.");
    EXPECT_EQ(AvisoHilosIgnorados("0", 1),
              "QUENDAL_HILOS = \"0\" no es una cantidad de hilos de 1 a 256: se ignora y se usa 1 hilo.");
    // Unset or empty: every core, without a word.
    for (const char* valor : {static_cast<const char*>(nullptr), ""}) {
        const VariableHilosFija fija(valor);
        TCapturaSalida salida;
        EXPECT_EQ(HilosDeTrabajo(), todos);
        EXPECT_EQ(salida.Texto(), "");
    }
}

TEST(RepartirEnBloques, CadaElementoUnaVezEnBloquesDelLargoPedido) {
    struct Caso {
        std::size_t n, bloque;
        int32_t hilos;
    };
    for (const Caso c : {Caso{0, 64, 8}, Caso{1, 64, 8}, Caso{63, 64, 8}, Caso{64, 64, 8}, Caso{65, 64, 8},
                         Caso{1000, 64, 8}, Caso{1000, 7, 3}, Caso{1000, 1, 1}, Caso{5, 0, 4}, Caso{200, 64, 300}}) {
        SCOPED_TRACE(testing::Message() << "n " << c.n << ", bloque " << c.bloque << ", hilos " << c.hilos);
        const int32_t esperados = HilosParaBloques(c.n, c.hilos, c.bloque);
        EXPECT_GE(esperados, 1);
        EXPECT_LE(esperados, std::max(1, c.hilos));
        std::vector<std::atomic<int>> vistas(c.n);
        std::atomic<int> hiloFuera{0}, bloqueMal{0};
        RepartirEnBloques(c.n, c.hilos, c.bloque, [&](int32_t hilo, std::size_t desde, std::size_t hasta) {
            if (hilo < 0 || hilo >= esperados) ++hiloFuera;
            const std::size_t largo = std::max<std::size_t>(c.bloque, 1);
            if (desde % largo != 0 || hasta - desde > largo || hasta <= desde) ++bloqueMal;
            for (std::size_t k = desde; k < hasta; ++k) ++vistas[k];
        });
        EXPECT_EQ(hiloFuera.load(), 0);
        EXPECT_EQ(bloqueMal.load(), 0);
        for (std::size_t k = 0; k < c.n; ++k) ASSERT_EQ(vistas[k].load(), 1) << k;
    }
}

TEST(RepartirEnBloques, ElHiloCeroEsElQueLlama) {
    const std::thread::id llamador = std::this_thread::get_id();
    std::atomic<int> ceroAjeno{0};
    RepartirEnBloques(640, 4, 64, [&](int32_t hilo, std::size_t, std::size_t) {
        if (hilo == 0 && std::this_thread::get_id() != llamador) ++ceroAjeno;
    });
    EXPECT_EQ(ceroAjeno.load(), 0);
}

TEST(RepartirEnBloques, LaPrimeraFallaSeLevantaAlFinalYDetieneElReparto) {
    // One thread: the blocks after the failing one are never handed out.
    int bloques = 0;
    EXPECT_THROW(RepartirEnBloques(64 * 1000, 1, 64,
                                   [&](int32_t, std::size_t desde, std::size_t) {
                                       ++bloques;
                                       if (desde == 64 * 3) throw std::runtime_error("falla");
                                   }),
                 std::runtime_error);
    EXPECT_EQ(bloques, 4);

    // Four threads on blocks that take a while: the others stop soon after.
    std::atomic<int> vistos{0};
    EXPECT_THROW(RepartirEnBloques(64 * 1000, 4, 64,
                                   [&](int32_t, std::size_t desde, std::size_t) {
                                       ++vistos;
                                       if (desde == 64 * 3) throw std::runtime_error("falla");
                                       std::this_thread::sleep_for(std::chrono::microseconds(200));
                                   }),
                 std::runtime_error);
    EXPECT_LT(vistos.load(), 500);
}

}  // namespace
