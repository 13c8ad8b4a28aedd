#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "app/modelosactuales.h"

namespace {

// Models that count their destructions by name, so a sequence can check that
// each object is freed once, and when.
std::map<std::string, int>& Liberados() {
    static std::map<std::string, int> liberados;
    return liberados;
}

struct TContado {
    std::string nombre;
    explicit TContado(std::string n) : nombre(std::move(n)) {}
    TContado(const TContado&) = delete;
    TContado& operator=(const TContado&) = delete;
    virtual ~TContado() { ++Liberados()[nombre]; }
};

struct TMolinoP {
    int etha = 1;
};

struct TParqueP : TContado {
    using TContado::TContado;
    TMolinoP molino;
};

struct TCalibradorP : TContado {
    explicit TCalibradorP(const std::string& n) : TContado(n), parque(std::make_unique<TParqueP>(n + ".parque")) {}
    explicit TCalibradorP(const std::string& n, std::shared_ptr<TParqueP> p) : TContado(n), parque(std::move(p)) {}
    std::shared_ptr<TParqueP> parque;  // owned by the calibrator
};

struct TCombinadoP : TCalibradorP {
    using TCalibradorP::TCalibradorP;
};

struct TSolarP : TContado {
    using TContado::TContado;
};

struct TTiposPrueba {
    using Calibrador = TCalibradorP;
    using Combinado = TCombinadoP;
    using Parque = TParqueP;
    using Molino = TMolinoP;
    using Solar = TSolarP;
    static Parque* ParqueDe(Calibrador& c) { return c.parque.get(); }
};

using TModelos = TModelosActuales<TTiposPrueba>;

class ModelosActuales : public ::testing::Test {
protected:
    void SetUp() override { Liberados().clear(); }
    static int Veces(const std::string& nombre) {
        auto it = Liberados().find(nombre);
        return it == Liberados().end() ? 0 : it->second;
    }
    TModelos modelos;
};

TEST_F(ModelosActuales, SinObjetosNoLiberaNada) {
    modelos.LiberarTodo();
    EXPECT_TRUE(Liberados().empty());
    EXPECT_EQ(modelos.ParqueActual(), nullptr);
    EXPECT_EQ(modelos.MolinoSeleccionado(), nullptr);
}

TEST_F(ModelosActuales, ModeloCombinadoCargadoEsUnSoloObjetoLiberadoUnaVez) {
    modelos.PonerModeloCombinadoYCalibrador(std::make_unique<TCombinadoP>("mc"));
    modelos.MostrarParqueDelCalibrador();
    EXPECT_EQ(modelos.CalibradorActual(), modelos.ModeloCombinadoActual());
    EXPECT_EQ(modelos.ParqueActual()->nombre, "mc.parque");
    modelos.LiberarTodo();
    EXPECT_EQ(Veces("mc"), 1);
    EXPECT_EQ(Veces("mc.parque"), 1);
}

TEST_F(ModelosActuales, CalibradorDesplazadoSeLiberaConSuParqueYSuMolino) {
    modelos.PonerCalibrador(std::make_unique<TCalibradorP>("a"));
    modelos.MostrarParqueDelCalibrador();
    modelos.SeleccionarMolino(&modelos.ParqueActual()->molino);
    modelos.PonerCalibrador(std::make_unique<TCalibradorP>("b"));
    EXPECT_EQ(Veces("a"), 1);
    EXPECT_EQ(Veces("a.parque"), 1);
    EXPECT_EQ(modelos.ParqueActual(), nullptr);
    EXPECT_EQ(modelos.MolinoSeleccionado(), nullptr);
    modelos.MostrarParqueDelCalibrador();
    EXPECT_EQ(modelos.ParqueActual()->nombre, "b.parque");
}

TEST_F(ModelosActuales, CalibradorQueSigueComoModeloCombinadoNoSeLibera) {
    modelos.PonerModeloCombinadoYCalibrador(std::make_unique<TCombinadoP>("mc"));
    modelos.MostrarParqueDelCalibrador();
    modelos.PonerCalibrador(std::make_unique<TCalibradorP>("c"));
    EXPECT_EQ(Veces("mc"), 0);
    // Its park is still alive, held through the combined model.
    ASSERT_NE(modelos.ParqueActual(), nullptr);
    EXPECT_EQ(modelos.ParqueActual()->nombre, "mc.parque");
    modelos.PonerModeloCombinado(std::make_unique<TCombinadoP>("mc2"));
    EXPECT_EQ(Veces("mc"), 1);
    EXPECT_EQ(modelos.ParqueActual(), nullptr);
    modelos.LiberarTodo();
    EXPECT_EQ(Veces("c"), 1);
    EXPECT_EQ(Veces("mc2"), 1);
    EXPECT_EQ(Veces("mc.parque"), 1);
}

TEST_F(ModelosActuales, ParquePropioDesplazaSinLiberarElDelCalibrador) {
    modelos.PonerCalibrador(std::make_unique<TCalibradorP>("a"));
    modelos.MostrarParqueDelCalibrador();
    modelos.SeleccionarMolino(&modelos.ParqueActual()->molino);
    modelos.PonerParque(std::make_unique<TParqueP>("bajado"));
    EXPECT_EQ(modelos.ParqueActual()->nombre, "bajado");
    EXPECT_EQ(Veces("a.parque"), 0);
    // The pick stays with the calibrator's park, which is still held.
    EXPECT_NE(modelos.MolinoSeleccionado(), nullptr);
    modelos.PonerParque(std::make_unique<TParqueP>("bajado2"));
    EXPECT_EQ(Veces("bajado"), 1);
    modelos.MostrarParqueDelCalibrador();
    EXPECT_EQ(Veces("bajado2"), 1);
    EXPECT_EQ(modelos.ParqueActual()->nombre, "a.parque");
}

TEST_F(ModelosActuales, MolinoDeUnParquePropioLiberadoSeBorra) {
    modelos.PonerParque(std::make_unique<TParqueP>("p"));
    modelos.SeleccionarMolino(&modelos.ParqueActual()->molino);
    EXPECT_NE(modelos.MolinoSeleccionado(), nullptr);
    modelos.PonerParque(std::make_unique<TParqueP>("q"));
    EXPECT_EQ(modelos.MolinoSeleccionado(), nullptr);
}

TEST_F(ModelosActuales, ParqueCedidoAUnCalibradorNuevo) {
    modelos.PonerParque(std::make_unique<TParqueP>("leido"));
    std::shared_ptr<TParqueP> cedido = modelos.CederParque();
    EXPECT_EQ(modelos.ParqueActual(), nullptr);
    modelos.PonerCalibrador(std::make_unique<TCalibradorP>("nuevo", std::move(cedido)));
    modelos.MostrarParqueDelCalibrador();
    EXPECT_EQ(modelos.ParqueActual()->nombre, "leido");
    EXPECT_EQ(Veces("leido"), 0);
    modelos.LiberarTodo();
    EXPECT_EQ(Veces("leido"), 1);
    EXPECT_EQ(Veces("nuevo"), 1);
}

TEST_F(ModelosActuales, DescartarQuitaCalibradorParqueYModeloCombinadoQueEraElCalibrador) {
    modelos.PonerModeloCombinadoYCalibrador(std::make_unique<TCombinadoP>("mc"));
    modelos.MostrarParqueDelCalibrador();
    modelos.DescartarParqueYCalibrador();
    EXPECT_EQ(modelos.CalibradorActual(), nullptr);
    EXPECT_EQ(modelos.ModeloCombinadoActual(), nullptr);
    EXPECT_EQ(modelos.ParqueActual(), nullptr);
    EXPECT_EQ(Veces("mc"), 1);
    EXPECT_EQ(Veces("mc.parque"), 1);
}

TEST_F(ModelosActuales, DescartarConservaUnModeloCombinadoDistinto) {
    modelos.PonerCalibrador(std::make_unique<TCalibradorP>("cal"));
    modelos.PonerModeloCombinado(std::make_unique<TCombinadoP>("mc"));
    modelos.DescartarParqueYCalibrador();
    EXPECT_EQ(Veces("cal"), 1);
    EXPECT_EQ(Veces("mc"), 0);
    EXPECT_NE(modelos.ModeloCombinadoActual(), nullptr);
}

TEST_F(ModelosActuales, GeneradorSolarReemplazadoSeLiberaUnaVez) {
    modelos.PonerGeneradorSolar(std::make_unique<TSolarP>("s1"));
    modelos.PonerGeneradorSolar(std::make_unique<TSolarP>("s2"));
    EXPECT_EQ(Veces("s1"), 1);
    modelos.DescartarGeneradorSolar();
    modelos.LiberarTodo();
    EXPECT_EQ(Veces("s2"), 1);
}

}  // namespace
