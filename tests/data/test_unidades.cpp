// Drive paths mapped onto a temporary folder named by the drive's variable.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "data/unidades.h"
#include "numerics/errores.h"

namespace {

namespace fs = std::filesystem;

// Sets an environment variable for the test's life and puts back what was.
class VariableTemporal {
public:
    VariableTemporal(const char* nombre, const std::optional<std::string>& valor) : nombre_(nombre) {
        if (const char* previo = std::getenv(nombre)) previo_ = previo;
        Poner(valor);
    }
    ~VariableTemporal() { Poner(previo_); }
    VariableTemporal(const VariableTemporal&) = delete;
    VariableTemporal& operator=(const VariableTemporal&) = delete;

private:
    void Poner(const std::optional<std::string>& valor) {
        if (valor)
            setenv(nombre_, valor->c_str(), 1);
        else
            unsetenv(nombre_);
    }
    const char* nombre_;
    std::optional<std::string> previo_;
};

class RutaDeUnidad : public ::testing::Test {
protected:
    void SetUp() override {
        std::string plantilla = (fs::temp_directory_path() / "quendal_unidad_XXXXXX").string();
        ASSERT_NE(mkdtemp(plantilla.data()), nullptr);
        carpeta_ = plantilla;
        unidadC_.emplace("QUENDAL_UNIDAD_C", carpeta_);
    }
    void TearDown() override {
        unidadC_.reset();
        fs::remove_all(carpeta_);
    }

    std::string carpeta_;
    std::optional<VariableTemporal> unidadC_;
};

TEST_F(RutaDeUnidad, AmbasMayusculasDeLaLetraSonUnaCarpeta) {
    EXPECT_EQ(RutaLocal("C:\\tarnek\\modelado_ro"), carpeta_ + "/tarnek/modelado_ro");
    EXPECT_EQ(RutaLocal("c:\\tarnek\\modelado_ro"), carpeta_ + "/tarnek/modelado_ro");
    // A folder made through one spelling is found through the other.
    fs::create_directories(RutaLocal("c:\\tarnek\\modelado_ro"));
    EXPECT_TRUE(fs::is_directory(RutaLocal("C:\\tarnek\\modelado_ro")));
    EXPECT_TRUE(fs::is_directory(carpeta_ + "/tarnek/modelado_ro"));
}

TEST_F(RutaDeUnidad, BarrasInvertidasYNormalesDanLaMismaRuta) {
    EXPECT_EQ(RutaLocal("c:/tarnek/series10m"), carpeta_ + "/tarnek/series10m");
    EXPECT_EQ(RutaLocal("c:\\tarnek/pruv_data\\log"), carpeta_ + "/tarnek/pruv_data/log");
    EXPECT_EQ(RutaLocal("c:\\"), carpeta_ + "/");
    EXPECT_EQ(RutaLocal("c:"), carpeta_);
}

TEST_F(RutaDeUnidad, BarraFinalDeLaVariableNoSeDuplica) {
    const VariableTemporal conBarra("QUENDAL_UNIDAD_C", carpeta_ + "/");
    EXPECT_EQ(RutaLocal("c:\\basura"), carpeta_ + "/basura");
}

// On this host a backslash is a character of a name: a host path, such as a
// folder picked in a dialog, is used as it is.
TEST_F(RutaDeUnidad, RutaSinUnidadSeUsaComoEsta) {
    const std::string carpetaPlanta = carpeta_ + "/tarnek/modelado_ro/c12";
    EXPECT_EQ(RutaLocal(carpetaPlanta + "/c12_parque_mt.pmt"), carpetaPlanta + "/c12_parque_mt.pmt");
    EXPECT_EQ(RutaLocal(carpeta_ + "/a\\b"), carpeta_ + "/a\\b");
    EXPECT_EQ(RutaLocal("relativa\\archivo.txt"), "relativa\\archivo.txt");
    EXPECT_EQ(RutaLocal(""), "");
}

struct CasoUnion {
    const char* carpeta;
    const char* nombre;
    const char* unida;
};

class UnionDeRutas : public ::testing::TestWithParam<CasoUnion> {};

// A drive path is joined with the system's backslash, a host path with '/'.
TEST_P(UnionDeRutas, UneConElSeparadorDeLaCarpeta) {
    EXPECT_EQ(RutaEnCarpeta(GetParam().carpeta, GetParam().nombre), GetParam().unida);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, UnionDeRutas,
    ::testing::Values(CasoUnion{"C:\\tarnek\\modelado_ro", "c12", "C:\\tarnek\\modelado_ro\\c12"},
                      CasoUnion{"c:\\x\\", "c5.txt", "c:\\x\\c5.txt"},
                      CasoUnion{"/datos/c12", "c12.pmc", "/datos/c12/c12.pmc"},
                      CasoUnion{"/datos/c12/", "c12.pmc", "/datos/c12/c12.pmc"},
                      CasoUnion{"/datos/a\\b", "c1.xlt", "/datos/a\\b/c1.xlt"},
                      CasoUnion{"", "c1.xlt", "/c1.xlt"}));

TEST_F(RutaDeUnidad, OtraLetraUsaSuPropiaVariable) {
    const VariableTemporal unidadD("QUENDAL_UNIDAD_D", carpeta_ + "/d");
    EXPECT_EQ(RutaLocal("d:\\datos"), carpeta_ + "/d/datos");
    EXPECT_EQ(RutaLocal("D:\\datos"), carpeta_ + "/d/datos");
}

TEST_F(RutaDeUnidad, SinVariableDeUnidadUsaLaCarpetaDeDatosDelUsuario) {
    const VariableTemporal sinUnidad("QUENDAL_UNIDAD_C", std::nullopt);
    const VariableTemporal sinUnidadD("QUENDAL_UNIDAD_D", std::nullopt);
    {
        const VariableTemporal xdg("XDG_DATA_HOME", carpeta_ + "/xdg");
        EXPECT_EQ(RutaLocal("C:\\tarnek"), carpeta_ + "/xdg/quendal/c/tarnek");
        EXPECT_EQ(RutaLocal("D:\\x"), carpeta_ + "/xdg/quendal/d/x");
    }
    {
        // A relative XDG_DATA_HOME is not a place to keep data: it is ignored.
        const VariableTemporal xdgRelativo("XDG_DATA_HOME", "relativo");
        const VariableTemporal home("HOME", carpeta_ + "/casa");
        EXPECT_EQ(RutaLocal("c:\\"), carpeta_ + "/casa/.local/share/quendal/c/");
    }
    const VariableTemporal sinXdg("XDG_DATA_HOME", std::nullopt);
    const VariableTemporal home("HOME", carpeta_ + "/casa");
    EXPECT_EQ(RutaLocal("C:\\tarnek"), carpeta_ + "/casa/.local/share/quendal/c/tarnek");
    const VariableTemporal sinHome("HOME", std::nullopt);
    EXPECT_THROW(RutaLocal("C:\\tarnek"), EInOutError);
}

// A message names the drive's host folder, and the variable when one put it there.
TEST_F(RutaDeUnidad, LaDescripcionDeLaUnidadNombraSuCarpetaYSuVariable) {
    EXPECT_EQ(DescripcionDeUnidad('c'), carpeta_ + ", según QUENDAL_UNIDAD_C");
    const VariableTemporal sinUnidad("QUENDAL_UNIDAD_C", std::nullopt);
    const VariableTemporal xdg("XDG_DATA_HOME", carpeta_ + "/xdg");
    EXPECT_EQ(DescripcionDeUnidad('C'), carpeta_ + "/xdg/quendal/c");
}

}  // namespace
