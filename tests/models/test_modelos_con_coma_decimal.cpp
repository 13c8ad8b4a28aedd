// Model files and their checks under a desktop that writes a decimal comma:
// the pieces of the park block that read typed reals, the check that the
// block reads back, and the demo plant built by tools/generar_planta_demo,
// each alike under the C settings and under es_ES's.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "data/ucarpetasmodelos.h"
#include "models/ucalibrador.h"
#include "models/uparques_modelocombinado.h"
#include "models/uparques_modeloteorico.h"
#include "models/uplantasintetica.h"
#include "numerics/archivotexto.h"
#include "numerics/fechas.h"
#include "numerics/uauxiliares.h"
#include "numerics/uproblema.h"
#include "ajustes_de_usuario.h"
#include "archivos_de_prueba.h"
#include "unidad_temporal.h"

namespace fs = std::filesystem;

namespace {

TEST(ModelosConComaDecimal, UnaPosicionSeLeeConPuntoFueraDelConmutador) {
    const TAjustesDeUsuario coma(AjustesDeComaDecimal());
    ASSERT_EQ(ProfundidadFormatosInvariantes(), 0);
    TLectorTexto f = TLectorTexto::DesdeTexto(" 1.5\t-2.25\n21\tH\t573000.5\t6137700.25\n", "posicion.txt");
    const TPosicion p = TPosicion::Create_LeerDeTexto(f);
    EXPECT_EQ(p.x, 1.5);
    EXPECT_EQ(p.y, -2.25);
    EXPECT_EQ(p.huso, 21);
    EXPECT_EQ(p.zona, 'H');
    EXPECT_EQ(p.xe, 573000.5);
    EXPECT_EQ(p.yn, 6137700.25);
    EXPECT_EQ(AjustesFormato().DecimalSeparator, ',') << "the user's settings are back";
}

// The check that the save runs, called on its own outside the switch, as the
// download and any other caller may: the demo's park reads back.
TEST(ModelosConComaDecimal, ElParqueDeLaDemoSeLeeDeVueltaFueraDelConmutador) {
    const auto parque = TParque_ModeloTeorico::Create_LeerDeArchivo(CarpetaDemo + "/c9001_parque_mt.pmt");
    const TAjustesDeUsuario coma(AjustesDeComaDecimal());
    ASSERT_EQ(ProfundidadFormatosInvariantes(), 0);
    EXPECT_EQ(DefectoDelBloqueDelParque(*parque), "");
    EXPECT_EQ(AjustesFormato().DecimalSeparator, ',') << "the user's settings are back";
}

// The steps of tools/generar_planta_demo on a shorter series: the synthetic
// plant's park and series, the calibrator with its met-mast tables
// calibrated, and the combined model. Their bytes, by file name.
std::map<std::string, std::string> ArchivosDeLaPlantaDemo(const std::string& unidad) {
    setenv("QUENDAL_UNIDAD_C", unidad.c_str(), 1);
    InicializarCarpetaModelos();
    FijarCarpetaLogEstimarMultiplicadores(unidad);
    constexpr int32_t nid = 9001;
    TOpcionesPlantaSintetica opciones;
    opciones.nid = nid;
    opciones.dias = 40;
    opciones.inicio = EncodeDate(2018, 1, 1);
    const TPlantaSintetica planta = GenerarPlantaSintetica(opciones);
    ::testing::internal::CaptureStdout();
    {
        auto parque = TParque_ModeloTeorico::Create_LeerDeArchivo(planta.archivoParque);
        auto calibrador = TCalibradorParque::Create(parque, planta.archivoSeries, 1, 100, false);
        calibrador->CalibrarEthaMeteo();
        calibrador->GuardarEnArchivo(RutaCalibrador(nid));
    }
    TParque_ModeloCombinado::Create(RutaCalibrador(nid))->GuardarEnArchivo(RutaModeloCombinado(nid));
    ::testing::internal::GetCapturedStdout();
    FijarCarpetaLogEstimarMultiplicadores("");
    std::map<std::string, std::string> archivos;
    for (const std::string& ruta : {planta.archivoParque, planta.archivoSeries, RutaCalibrador(nid),
                                    RutaModeloCombinado(nid)})
        archivos[fs::path(ruta).filename()] = LeerArchivo(ruta);
    return archivos;
}

class PlantaDemoConComaDecimal : public UnidadCTemporal {};

TEST_F(PlantaDemoConComaDecimal, EscribeLosMismosBytesQueConLosAjustesC) {
    std::map<std::string, std::string> enC, conComa;
    {
        const TAjustesDeUsuario ajustes(AjustesDeC());
        enC = ArchivosDeLaPlantaDemo(unidad_ + "/C");
    }
    {
        const TAjustesDeUsuario ajustes(AjustesDeComaDecimal());
        conComa = ArchivosDeLaPlantaDemo(unidad_ + "/coma");
    }
    ASSERT_EQ(enC.size(), 4u);
    for (const auto& [nombre, bytes] : enC) {
        EXPECT_FALSE(bytes.empty()) << nombre;
        EXPECT_TRUE(conComa[nombre] == bytes) << nombre << " differs under a decimal comma";
    }
}

}  // namespace
