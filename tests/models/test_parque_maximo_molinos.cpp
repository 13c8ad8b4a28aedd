// The largest park a park file holds: the writer takes exactly as many
// turbines as the reader admits (100 000) and refuses one more before the
// first byte, so that it never writes a file its reader refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "models/uparques_modeloteorico.h"
#include "numerics/errores.h"
#include "archivos_de_prueba.h"
#include "unidad_temporal.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaximoMolinos = 100000;

// A turbine with a two-point curve, the smallest block a turbine has.
TMolino MolinoPequenio() {
    TVectR v(2), p(2);
    v.pv[1] = 3;
    v.pv[2] = 12;
    p.pv[1] = 0;
    p.pv[2] = 2;
    TMolino molino;
    molino.nid_curvaaero = 11;
    molino.nidcentral = 31;
    molino.curva = TCurvaAerogen::Create(11, "Aero X", 90, std::move(v), std::move(p));
    molino.etha = 1;
    molino.posicion = TPosicion::Create_UTM(21, 'H', 573000, 6137700);
    return molino;
}

std::unique_ptr<TParque_ModeloTeorico> ParqueDeMolinos(std::size_t cantidad) {
    auto parque = TParque_ModeloTeorico::Create_Nuevo();
    parque->nid = 31;
    parque->nombre = "Parque Sur";
    parque->potencia_autorizada_mw = 20;
    const TMolino molino = MolinoPequenio();
    parque->molinos.reserve(cantidad);
    for (std::size_t i = 0; i < cantidad; ++i) {
        parque->molinos.push_back(std::make_unique<TMolino>(molino));
        parque->molinos.back()->nid = static_cast<int32_t>(i + 1);
    }
    return parque;
}

class MaximoDeMolinos : public UnidadCTemporal {
protected:
    std::vector<std::string> ArchivosDe(const std::string& carpeta) const {
        std::vector<std::string> nombres;
        for (const auto& entrada : fs::directory_iterator(carpeta)) nombres.push_back(entrada.path().filename());
        std::sort(nombres.begin(), nombres.end());
        return nombres;
    }
};

TEST_F(MaximoDeMolinos, ElMaximoSeGuardaYSeLeeDeVuelta) {
    const std::string ruta = unidad_ + "/maximo.pmt";
    ParqueDeMolinos(kMaximoMolinos)->GuardarEnArchivo(ruta);
    const auto leido = TParque_ModeloTeorico::Create_LeerDeArchivo(ruta);
    ASSERT_EQ(leido->molinos.size(), kMaximoMolinos);
    EXPECT_EQ(leido->nMolinos, static_cast<int32_t>(kMaximoMolinos));
    EXPECT_EQ(leido->molinos.back()->nid, static_cast<int32_t>(kMaximoMolinos));
}

TEST_F(MaximoDeMolinos, UnoMasSeRechazaYElArchivoQuedaComoEstaba) {
    const std::string carpeta = unidad_ + "/parque";
    fs::create_directories(carpeta);
    const std::string ruta = carpeta + "/c31_parque_mt.pmt";
    ParqueDeMolinos(3)->GuardarEnArchivo(ruta);
    const std::string antes = LeerArchivo(ruta);

    try {
        ParqueDeMolinos(kMaximoMolinos + 1)->GuardarEnArchivo(ruta);
        FAIL() << "the save took more turbines than its reader admits";
    } catch (const EInOutError& e) {
        const std::string mensaje = e.what();
        EXPECT_NE(mensaje.find("No se guarda el parque 31 (Parque Sur) en " + ruta + ": tiene 100001 molinos, más "
                               "de los 100000 que su archivo admite"),
                  std::string::npos)
            << mensaje;
    }
    EXPECT_TRUE(LeerArchivo(ruta) == antes) << "the file was changed";
    EXPECT_EQ(ArchivosDe(carpeta), std::vector<std::string>{"c31_parque_mt.pmt"})
        << "a copy of the old file or a temporary file was left";
}

}  // namespace
