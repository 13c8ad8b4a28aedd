// Park blocks older than version 4 inside calibrator and combined-model
// files: their metering factor comes from the plant's row of `centrales`
// through the connection the reader is given, and only then; without one, or
// without the plant's row or its factor, the file is refused, saying why.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "bloque_parque_antiguo.h"
#include "models/ucalibrador.h"
#include "models/uparques_modelocombinado.h"
#include "models/uparques_modeloteorico.h"
#include "models/uplantasintetica.h"
#include "numerics/archivotexto.h"
#include "numerics/errores.h"
#include "numerics/uauxiliares.h"
#include "test_parque_bd_base.h"

using namespace bloque_antiguo;

namespace {

constexpr int32_t kPlanta = 31;  // the plant of the test database
const char* const kArchivo = "c31.pmc";

TLectorTexto Lector(const std::string& texto) { return TLectorTexto::DesdeTexto(texto, kArchivo); }

std::unique_ptr<TParque_ModeloCombinado> LeerModelo(const std::string& texto, const TProveedorConexion& proveedor) {
    testing::internal::CaptureStdout();
    TLectorTexto f = Lector(texto);
    try {
        auto modelo = TParque_ModeloCombinado::Create_LeerDeTexto(f, proveedor);
        testing::internal::GetCapturedStdout();
        return modelo;
    } catch (...) {
        testing::internal::GetCapturedStdout();
        throw;
    }
}

// The error of a read that must fail, with the format switch left as it was.
EInOutError RechazoDe(const std::string& texto, const TProveedorConexion& proveedor) {
    try {
        LeerModelo(texto, proveedor);
    } catch (const EInOutError& e) {
        EXPECT_EQ(ProfundidadFormatosInvariantes(), 0);
        return e;
    }
    ADD_FAILURE() << "the file was read";
    return EInOutError("");
}

class BloqueAntiguoConBaseDeDatos : public ParqueEnBaseDeDatos {
protected:
    void SetUp() override {
        ParqueEnBaseDeDatos::SetUp();
        if (HasFatalFailure()) return;
        // A factor no writer or default would give.
        Ejecutar("UPDATE centrales SET factor_kolm_scada = 0.955 WHERE nid = 31");
    }
    // The test's connection, counting how often it is asked for.
    TProveedorConexion Contando() {
        return [this]() -> TPgSqlCon& {
            ++pedidos_;
            return con_;
        };
    }
    int pedidos_ = 0;
};

TEST_F(BloqueAntiguoConBaseDeDatos, ModeloCombinadoTomaElFactorDeLaCentral) {
    const auto parque = CrearParqueSintetico(kPlanta);
    const auto modelo = LeerModelo(ModeloCombinadoVersion3(*parque), Contando());
    EXPECT_EQ(pedidos_, 1);
    EXPECT_EQ(modelo->Parque->factor_kolm_scada, 0.955);
    EXPECT_EQ(modelo->Parque->nid_central_KOLM, -1);
    EXPECT_EQ(modelo->Parque->meteo_etha.nf, 72);
    // The blocks after the park are read as well.
    EXPECT_EQ(modelo->ModeloEmpirico->nSectores(), 72);
    EXPECT_EQ(modelo->MatrizFactores.nf, 72);
    EXPECT_EQ(modelo->MatrizFactores.SumaElementos(), 720);
}

TEST_F(BloqueAntiguoConBaseDeDatos, CalibradorTomaElFactorDeLaCentral) {
    const auto parque = CrearParqueSintetico(kPlanta);
    testing::internal::CaptureStdout();
    TLectorTexto f = Lector(CalibradorVersion3(*parque));
    const auto calibrador = TCalibradorParque::Create_LeerDeTexto(f, &con_);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(calibrador->Parque->factor_kolm_scada, 0.955);
}

// A block that holds its factor never asks for the connection.
TEST_F(BloqueAntiguoConBaseDeDatos, UnBloqueConFactorNoPideLaConexion) {
    auto parque = CrearParqueSintetico(kPlanta);
    parque->factor_kolm_scada = 0.97;
    TEscritorTexto f = TEscritorTexto::EnMemoria();
    parque->GuardarEnTexto(f);
    const std::string resto = ModeloCombinadoVersion3(*parque).substr(BloqueParqueVersion3(*parque).size());
    const auto modelo = LeerModelo(f.Contenido() + resto, Contando());
    EXPECT_EQ(pedidos_, 0);
    EXPECT_EQ(modelo->Parque->factor_kolm_scada, 0.97);
}

// A factor the plant's row does not hold is not taken as 0: the file is
// refused at its version line, naming the plant and what is missing.
struct TFilaSinFactor {
    const char* caso;
    const char* sentencia;
    const char* falta;
};
void PrintTo(const TFilaSinFactor& fila, std::ostream* os) { *os << fila.caso; }

class BloqueAntiguoSinFactorEnLaBase : public BloqueAntiguoConBaseDeDatos,
                                       public testing::WithParamInterface<TFilaSinFactor> {};

TEST_P(BloqueAntiguoSinFactorEnLaBase, SeRechazaNombrandoLaCentralYLoQueFalta) {
    Ejecutar(GetParam().sentencia);
    const auto parque = CrearParqueSintetico(kPlanta);
    const EInOutError rechazo = RechazoDe(ModeloCombinadoVersion3(*parque), Contando());
    EXPECT_EQ(pedidos_, 1);
    EXPECT_EQ(rechazo.Archivo(), kArchivo);
    EXPECT_EQ(rechazo.Linea(), 1) << "the version line";
    EXPECT_EQ(std::string(rechazo.what()), "El parque está guardado en la versión 3, que no guarda factor_kolm_scada, y " +
                                               std::string(GetParam().falta) + " (c31.pmc, línea 1)");
}

INSTANTIATE_TEST_SUITE_P(
    Casos, BloqueAntiguoSinFactorEnLaBase,
    testing::Values(TFilaSinFactor{"SinFila", "DELETE FROM centrales WHERE nid = 31",
                                   "la central 31 (Parque sintetico 31) no tiene su fila en la tabla centrales"},
                    TFilaSinFactor{"CeldaVacia", "UPDATE centrales SET factor_kolm_scada = NULL WHERE nid = 31",
                                   "la fila de la central 31 (Parque sintetico 31) en la tabla centrales no tiene "
                                   "factor_kolm_scada"}),
    [](const testing::TestParamInfo<TFilaSinFactor>& info) { return std::string(info.param.caso); });

// A factor that is there is taken as it stands.
TEST_F(BloqueAntiguoConBaseDeDatos, UnFactorDeLaFilaSeTomaComoEsta) {
    Ejecutar("UPDATE centrales SET factor_kolm_scada = 0.97 WHERE nid = 31");
    const auto parque = CrearParqueSintetico(kPlanta);
    EXPECT_EQ(LeerModelo(ModeloCombinadoVersion3(*parque), Contando())->Parque->factor_kolm_scada, 0.97);
}

// Without a provider, or with one that cannot connect, nothing is guessed.
TEST(BloqueAntiguoSinBaseDeDatos, SinConexionSeRechazaDiciendoPorQue) {
    const auto parque = CrearParqueSintetico(kPlanta);
    const std::string texto = ModeloCombinadoVersion3(*parque);

    const EInOutError sinProveedor = RechazoDe(texto, {});
    EXPECT_EQ(sinProveedor.Archivo(), kArchivo);
    EXPECT_EQ(sinProveedor.Linea(), 1) << "the version line";
    EXPECT_EQ(std::string(sinProveedor.what()),
              "El parque está guardado en la versión 3, que no guarda factor_kolm_scada, y no hay conexión con la "
              "base de datos para leerlo de la tabla centrales (c31.pmc, línea 1)");

    const TProveedorConexion sinServidor = []() -> TPgSqlCon& {
        throw EErrorQuendal("No se puede conectar con la base de datos: servidor apagado");
    };
    const std::string motivo = RechazoDe(texto, sinServidor).what();
    EXPECT_NE(motivo.find("versión 3, que no guarda factor_kolm_scada"), std::string::npos) << motivo;
    EXPECT_NE(motivo.find("servidor apagado"), std::string::npos) << motivo;
}

// A provider made from a null connection has none: the read is refused as
// without a provider, not sent through the null pointer.
TEST(BloqueAntiguoSinBaseDeDatos, UnaConexionNulaNoEsUnaConexion) {
    const TProveedorConexion nula(static_cast<TPgSqlCon*>(nullptr));
    EXPECT_FALSE(nula.Hay());
    const auto parque = CrearParqueSintetico(kPlanta);
    const EInOutError rechazo = RechazoDe(ModeloCombinadoVersion3(*parque), nula);
    EXPECT_EQ(rechazo.Archivo(), kArchivo);
    EXPECT_EQ(rechazo.Linea(), 1);
    EXPECT_NE(std::string(rechazo.what()).find("no hay conexión con la base de datos"), std::string::npos)
        << rechazo.what();
}

}  // namespace
