// Model root, plant folders and file names, the data folders of start-up and
// the file search, on a temporary drive C:.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "data/inicio.h"
#include "data/ubuscararchivos.h"
#include "data/ucarpetasdatos.h"
#include "data/ucarpetasmodelos.h"
#include "data/unidades.h"
#include "numerics/errores.h"
#include "unidad_temporal.h"

namespace {

namespace fs = std::filesystem;

void CrearArchivo(const std::string& ruta) {
    fs::create_directories(fs::path(ruta).parent_path());
    std::ofstream(ruta) << "x";
}

// Runs the data start-up and returns what it printed.
std::string ArrancarDatos() {
    ::testing::internal::CaptureStdout();
    try {
        InicializarDatos();
    } catch (...) {
        ::testing::internal::GetCapturedStdout();
        throw;
    }
    return ::testing::internal::GetCapturedStdout();
}

std::string MensajeDe(const std::function<void()>& accion) {
    try {
        accion();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no exception)";
}

using ArranqueDeDatos = UnidadCTemporal;

TEST_F(ArranqueDeDatos, PrimerArranqueImprimeLaRaizYCreaTodasLasCarpetas) {
    EXPECT_EQ(ArrancarDatos(), "C:\\tarnek\\modelado_ro\n");
    EXPECT_TRUE(fs::is_directory(unidad_ + "/tarnek/modelado_ro"));
    for (std::string_view carpeta : CarpetasDatos) EXPECT_TRUE(fs::is_directory(RutaLocal(carpeta))) << carpeta;
}

TEST_F(ArranqueDeDatos, UnaUnidadQueAunNoExisteSeCrea) {
    fs::remove_all(unidad_);
    EXPECT_EQ(ArrancarDatos(), "C:\\tarnek\\modelado_ro\n");
    EXPECT_TRUE(fs::is_directory(unidad_ + "/tarnek/series10m"));
}

TEST_F(ArranqueDeDatos, SegundoArranqueNoCreaNadaEImprimeLaRaizUnaVez) {
    ArrancarDatos();
    CrearArchivo(unidad_ + "/tarnek/basura/guardado.txt");
    EXPECT_EQ(ArrancarDatos(), "C:\\tarnek\\modelado_ro\n");
    EXPECT_TRUE(fs::exists(unidad_ + "/tarnek/basura/guardado.txt"));
}

TEST_F(ArranqueDeDatos, ElTarnekQueYaExisteQuedaIntacto) {
    CrearArchivo(unidad_ + "/tarnek/previo.txt");
    ArrancarDatos();
    EXPECT_TRUE(fs::exists(unidad_ + "/tarnek/previo.txt"));
    EXPECT_TRUE(fs::is_directory(unidad_ + "/tarnek/pruv_data/datos_scada"));
}

TEST_F(ArranqueDeDatos, UnArchivoDondeVaLaRaizTerminaConElErrorDeEntradaSalida) {
    CrearArchivo(unidad_ + "/tarnek");
    EXPECT_EQ(MensajeDe([] { ArrancarDatos(); }), "No se puede crear la carpeta C:\\tarnek (" + unidad_ +
                                                      "/tarnek): ya hay un archivo con ese nombre");
    EXPECT_THROW(ArrancarDatos(), EInOutError);
}

// Drive C: where no folder can be made: the message names the host folder,
// the variable that put it there, and the reason in Spanish.
struct TCasoUnidadImposible {
    const char* descripcion;
    const char* debajoDelArchivo;  // the drive's path below a plain file
    const char* motivo;
};

class UnidadImposible : public UnidadCTemporal, public ::testing::WithParamInterface<TCasoUnidadImposible> {};

TEST_P(UnidadImposible, ElMensajeNombraLaCarpetaDelEquipoYElMotivo) {
    const TCasoUnidadImposible& caso = GetParam();
    CrearArchivo(unidad_ + "/archivo");
    const std::string carpeta = unidad_ + "/archivo" + caso.debajoDelArchivo;
    setenv("QUENDAL_UNIDAD_C", carpeta.c_str(), 1);
    EXPECT_EQ(MensajeDe([] { ArrancarDatos(); }),
              "No se puede crear la carpeta C: (" + carpeta + ", según QUENDAL_UNIDAD_C): " + caso.motivo)
        << caso.descripcion;
}

INSTANTIATE_TEST_SUITE_P(
    Casos, UnidadImposible,
    ::testing::Values(TCasoUnidadImposible{"la unidad es un archivo", "", "ya hay un archivo con ese nombre"},
                      TCasoUnidadImposible{"la unidad está debajo de un archivo", "/c",
                                           "una parte de la ruta es un archivo, no una carpeta"}));

// A plain file where data folder k belongs: the start-up ends naming that
// folder, after the folders before it were made and before those after it.
class ArchivoEnLugarDeCarpeta : public UnidadCTemporal, public ::testing::WithParamInterface<int> {};

TEST_P(ArchivoEnLugarDeCarpeta, TerminaConElMensajeYLaRuta) {
    const int k = GetParam();
    fs::create_directories(unidad_ + "/tarnek/modelado_ro");
    if (k == 3) fs::create_directories(unidad_ + "/tarnek/pruv_data");
    CrearArchivo(RutaLocal(CarpetasDatos[k]));
    EXPECT_EQ(MensajeDe([] { ArrancarDatos(); }),
              "Error al intentar crear la carpeta: " + std::string(CarpetasDatos[k]));
    for (int i = 1; i < k; ++i) EXPECT_TRUE(fs::is_directory(RutaLocal(CarpetasDatos[i]))) << i;
    // Folders after the failing one are not made (a child of a file cannot be).
    if (k < 5) {
        EXPECT_FALSE(fs::exists(RutaLocal(CarpetasDatos[5])));
    }
}

INSTANTIATE_TEST_SUITE_P(CarpetasDeDatos, ArchivoEnLugarDeCarpeta, ::testing::Values(1, 2, 3, 4, 5));

using NombresDeCentral = UnidadCTemporal;

struct CasoRuta {
    const char* nombre;
    std::function<std::string()> ruta;
    const char* esperada;  // the system's own path
    int32_t nid;
};

TEST_F(NombresDeCentral, CadaNombreCreaLaCarpetaDeLaCentral) {
    ArrancarDatos();
    const CasoRuta casos[] = {
        {"parque", [] { return RutaParqueMT(17); }, "C:\\tarnek\\modelado_ro\\c17\\c17_parque_mt.pmt", 17},
        {"combinado", [] { return RutaModeloCombinado(3); }, "C:\\tarnek\\modelado_ro\\c3\\c3.pmc", 3},
        {"calibrador", [] { return RutaCalibrador(17); }, "C:\\tarnek\\modelado_ro\\c17\\c17_calibrador.clp", 17},
        {"series", [] { return RutaArchivoEnCarpetaCentral(42, "_series10min.sas"); },
         "C:\\tarnek\\modelado_ro\\c42\\c42_series10min.sas", 42},
        {"negativa", [] { return RutaParqueMT(-5); }, "C:\\tarnek\\modelado_ro\\c-5\\c-5_parque_mt.pmt", -5},
    };
    for (const CasoRuta& caso : casos) {
        const std::string carpeta = unidad_ + "/tarnek/modelado_ro/c" + std::to_string(caso.nid);
        fs::remove_all(carpeta);
        EXPECT_EQ(caso.ruta(), RutaLocal(caso.esperada)) << caso.nombre;
        EXPECT_TRUE(fs::is_directory(carpeta)) << caso.nombre;
    }
    EXPECT_EQ(CarpetaCentral(17), unidad_ + "/tarnek/modelado_ro/c17");
}

TEST_F(NombresDeCentral, RutaArchivoCentralNoCreaNada) {
    EXPECT_EQ(RutaArchivoCentral("C:\\x", 5, ".txt"), RutaLocal("C:\\x\\c5.txt"));
    EXPECT_EQ(RutaArchivoCentral(unidad_ + "/y", 5, ".txt"), unidad_ + "/y/c5.txt");
    EXPECT_EQ(RutaArchivoCentral(unidad_ + "/y\\z", 5, ".txt"), unidad_ + "/y\\z/c5.txt");
    EXPECT_FALSE(fs::exists(unidad_ + "/x"));
    EXPECT_FALSE(fs::exists(unidad_ + "/y"));
}

TEST_F(NombresDeCentral, SinLaRaizOConUnArchivoEnSuLugarFallaLaCarpetaDeLaCentral) {
    EXPECT_THROW(RutaParqueMT(17), EInOutError);  // no model root
    ArrancarDatos();
    CrearArchivo(unidad_ + "/tarnek/modelado_ro/c8");
    const std::string mensaje = MensajeDe([] { CarpetaCentral(8); });
    EXPECT_EQ(mensaje, "No se puede crear la carpeta C:\\tarnek\\modelado_ro\\c8 (" + unidad_ +
                           "/tarnek/modelado_ro/c8): ya hay un archivo con ese nombre");
}

TEST_F(NombresDeCentral, AsegurarCarpetaImprimeLaRutaYLaCrea) {
    ::testing::internal::CaptureStdout();
    AsegurarCarpeta("c:\\nueva");
    AsegurarCarpeta("c:\\nueva");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "c:\\nueva\nc:\\nueva\n");
    EXPECT_TRUE(fs::is_directory(unidad_ + "/nueva"));
}

// The search over a tree in drive C::
//   r/a.xlt r/B.XLT r/c.txt r/z.xlt r/.oculto.xlt r/sin_extension r/xlt
//   r/s/b.xlt r/s/t/d.xlt r/.h/e.xlt  and the link r/enlace -> r/s
class BusquedaDeArchivos : public UnidadCTemporal {
protected:
    void SetUp() override {
        UnidadCTemporal::SetUp();
        raiz_ = unidad_ + "/r/";
        for (const char* archivo : {"a.xlt", "B.XLT", "c.txt", "z.xlt", ".oculto.xlt", "sin_extension", "xlt",
                                    "s/b.xlt", "s/t/d.xlt", ".h/e.xlt"})
            CrearArchivo(raiz_ + archivo);
        fs::create_directory_symlink(raiz_ + "s", raiz_ + "enlace");
    }
    std::string raiz_;
};

struct CasoBusqueda {
    const char* nombre;
    const char* carpeta;  // in drive C:
    TDAofString extensiones;
    bool recursivo;
    TDAofString esperados;  // relative to r/
};

void PrintTo(const CasoBusqueda& caso, std::ostream* os) { *os << caso.nombre; }

class TablaDeBusqueda : public BusquedaDeArchivos, public ::testing::WithParamInterface<CasoBusqueda> {};

TEST_P(TablaDeBusqueda, AgregaLosArchivosEnOrden) {
    const CasoBusqueda& caso = GetParam();
    TDAofString lista{"previo"};
    BuscarArchivos(caso.carpeta, caso.extensiones, lista, caso.recursivo);
    TDAofString esperada{"previo"};
    for (const std::string& relativo : caso.esperados) esperada.push_back(raiz_ + relativo);
    EXPECT_EQ(lista, esperada);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, TablaDeBusqueda,
    ::testing::Values(
        CasoBusqueda{"Recursiva", "c:\\r", {"xlt"}, true, {"B.XLT", "a.xlt", "z.xlt", "s/b.xlt", "s/t/d.xlt"}},
        CasoBusqueda{"BarraFinal", "c:\\r\\", {"xlt"}, true, {"B.XLT", "a.xlt", "z.xlt", "s/b.xlt", "s/t/d.xlt"}},
        CasoBusqueda{"SoloLaCarpeta", "c:\\r", {"xlt"}, false, {"B.XLT", "a.xlt", "z.xlt"}},
        CasoBusqueda{"AgrupadaPorExtension", "c:\\r", {"txt", "XLT"}, false, {"c.txt", "B.XLT", "a.xlt", "z.xlt"}},
        CasoBusqueda{"ExtensionRepetida", "c:\\r\\s", {"xlt", "xlt"}, false, {"s/b.xlt", "s/b.xlt"}},
        CasoBusqueda{"SinExtension", "c:\\r", {""}, false, {"sin_extension", "xlt"}},
        CasoBusqueda{"SinCoincidencias", "c:\\r", {"pmt"}, true, {}},
        CasoBusqueda{"CarpetaQueNoExiste", "c:\\no_existe", {"xlt"}, true, {}},
        CasoBusqueda{"CarpetaVacia", "", {"xlt"}, true, {}}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST_F(BusquedaDeArchivos, UnaRutaDelSistemaAnfitrionSeBuscaTalCual) {
    TDAofString lista;
    BuscarArchivos(raiz_ + "s", {"xlt"}, lista, true);
    EXPECT_EQ(lista, (TDAofString{raiz_ + "s/b.xlt", raiz_ + "s/t/d.xlt"}));
}

// A host folder whose name holds a backslash is not the folder that the
// backslash would name on drive C:.
TEST_F(BusquedaDeArchivos, UnaBarraInvertidaDeUnaRutaDelAnfitrionEsParteDelNombre) {
    CrearArchivo(unidad_ + "/a\\b/invertida.xlt");
    CrearArchivo(unidad_ + "/a/b/normal.xlt");
    TDAofString invertida;
    BuscarArchivos(unidad_ + "/a\\b", {"xlt"}, invertida, true);
    EXPECT_EQ(invertida, (TDAofString{unidad_ + "/a\\b/invertida.xlt"}));
    TDAofString normal;
    BuscarArchivos(unidad_ + "/a/b", {"xlt"}, normal, true);
    EXPECT_EQ(normal, (TDAofString{unidad_ + "/a/b/normal.xlt"}));
}

}  // namespace
