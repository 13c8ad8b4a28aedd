#include "numerics/archivotexto.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "numerics/errores.h"

namespace {

namespace fs = std::filesystem;

std::string LeerBytes(const fs::path& ruta) {
    std::ifstream archivo(ruta, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(archivo), std::istreambuf_iterator<char>());
}

void EscribirBytes(const fs::path& ruta, const std::string& bytes) {
    std::ofstream archivo(ruta, std::ios::binary);
    archivo << bytes;
}

// A fresh folder per test, removed afterwards.
class CarpetaTemporal : public ::testing::Test {
protected:
    void SetUp() override {
        std::string plantilla = (fs::temp_directory_path() / "archivotexto_XXXXXX").string();
        ASSERT_NE(::mkdtemp(plantilla.data()), nullptr);
        carpeta_ = plantilla;
    }
    void TearDown() override { fs::remove_all(carpeta_); }

    std::string Ruta(const std::string& nombre) const { return (carpeta_ / nombre).string(); }
    std::vector<std::string> NombresEnCarpeta() const {
        std::vector<std::string> nombres;
        for (const auto& entrada : fs::directory_iterator(carpeta_)) nombres.push_back(entrada.path().filename());
        std::sort(nombres.begin(), nombres.end());
        return nombres;
    }

    fs::path carpeta_;
};

// ---- Line ends, byte-order mark, line counting ----

struct CasoLineas {
    const char* descripcion;
    std::string contenido;
    std::vector<std::string> lineas;
    int lineaFinal;
};

class LineasDelLector : public ::testing::TestWithParam<CasoLineas> {};

TEST_P(LineasDelLector, CuentaYSeparaLineas) {
    const auto& caso = GetParam();
    auto lector = TLectorTexto::DesdeTexto(caso.contenido, "prueba.txt");
    std::vector<std::string> leidas;
    while (!lector.Eof()) leidas.push_back(lector.LeerLinea());
    EXPECT_EQ(leidas, caso.lineas);
    EXPECT_EQ(lector.Linea(), caso.lineaFinal);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, LineasDelLector,
    ::testing::Values(CasoLineas{"LF", "a\nb\n", {"a", "b"}, 3}, CasoLineas{"CRLF", "a\r\nb\r\n", {"a", "b"}, 3},
                      CasoLineas{"CR", "a\rb\r", {"a", "b"}, 3},
                      CasoLineas{"SinFinalDeLinea", "a\nb", {"a", "b"}, 2},
                      CasoLineas{"LineasVacias", "a\r\n\r\n\nb\n", {"a", "", "", "b"}, 5},
                      CasoLineas{"CRSeguidoDeCRLF", "a\r\r\nb", {"a", "", "b"}, 3},
                      CasoLineas{"Bom", "\xEF\xBB\xBF" "a\nb\n", {"a", "b"}, 3},
                      CasoLineas{"BomSoloAlInicio", "a\n\xEF\xBB\xBF", {"a", "\xEF\xBB\xBF"}, 2},
                      CasoLineas{"BytesIntactos", "a\xC3\xB1o\t\x01\n", {"a\xC3\xB1o\t\x01"}, 2},
                      CasoLineas{"Vacio", "", {}, 1}),
    [](const auto& info) { return std::string(info.param.descripcion); });

TEST(LectorTexto, CaracteresYFinesDeLinea) {
    auto lector = TLectorTexto::DesdeTexto("a\r\nb\rc\n\xFF", "c.txt");
    std::vector<int> esperados{'a', '\n', 'b', '\n', 'c', '\n', 0xFF, -1};
    std::vector<int> lineas{1, 2, 2, 3, 3, 4, 4, 4};
    for (std::size_t i = 0; i < esperados.size(); ++i) {
        EXPECT_EQ(lector.LeerCaracter(), esperados[i]) << i;
        EXPECT_EQ(lector.Linea(), lineas[i]) << i;
    }
}

TEST(LectorTexto, LeerRealLineaSaltaElRestoDeLaLinea) {
    auto lector = TLectorTexto::DesdeTexto("1.5 comentario 9\n  -2\t7 x\r\n 3.25E+000\n", "v.txt");
    EXPECT_EQ(lector.LeerRealLinea(), 1.5);
    EXPECT_EQ(lector.Linea(), 2);
    EXPECT_EQ(lector.LeerRealLinea(), -2.0);
    EXPECT_EQ(lector.Linea(), 3);
    EXPECT_EQ(lector.LeerRealLinea(), 3.25);
    EXPECT_TRUE(lector.Eof());
    EXPECT_EQ(lector.Linea(), 4);
}

TEST(LectorTexto, LeerRealSaltaBlancosYLineasPeroNoElResto) {
    auto lector = TLectorTexto::DesdeTexto("\n\n  7\t8 \n9", "v.txt");
    EXPECT_EQ(lector.LeerEntero(), 7);
    EXPECT_EQ(lector.Linea(), 3);
    EXPECT_EQ(lector.LeerReal(), 8.0);
    EXPECT_FALSE(lector.Eoln());
    EXPECT_EQ(lector.LeerLinea(), " ");
    EXPECT_EQ(lector.LeerEnteroLinea(), 9);
    EXPECT_TRUE(lector.Eof());
    EXPECT_TRUE(lector.Eoln());
}

TEST(LectorTexto, LeeLoQueEscribeElEscritor) {
    const std::vector<double> valores{0.1, -0.0, 1e-310, -1.7976931348623157e308,
                                      std::numeric_limits<double>::infinity()};
    auto escritor = TEscritorTexto::EnMemoria();
    escritor.EscribirEnteroLinea(static_cast<long long>(valores.size()));
    for (double x : valores) escritor.EscribirRealLinea(x);
    escritor.EscribirRealLinea(std::nan(""));

    auto lector = TLectorTexto::DesdeTexto(escritor.Contenido(), "memoria");
    ASSERT_EQ(lector.LeerEnteroLinea(), static_cast<int>(valores.size()));
    for (double x : valores) EXPECT_EQ(lector.LeerRealLinea(), x);
    EXPECT_TRUE(std::isnan(lector.LeerRealLinea()));
    EXPECT_TRUE(lector.Eof());
}

TEST(LectorTexto, LecturaToleranteMasAllaDelFin) {
    auto lector = TLectorTexto::DesdeTexto("a\n", "t.txt");
    EXPECT_EQ(lector.LeerLineaTolerante(), "a");
    EXPECT_EQ(lector.Linea(), 2);
    EXPECT_EQ(lector.LeerLineaTolerante(), "");
    EXPECT_EQ(lector.Linea(), 3);
    EXPECT_EQ(lector.LeerLineaTolerante(), "");
    EXPECT_EQ(lector.Linea(), 4);
    lector.SaltarLinea();  // nothing to skip at end of file
    EXPECT_EQ(lector.Linea(), 4);
}

// ---- Read errors name the file and the line ----

struct CasoError {
    const char* descripcion;
    std::string contenido;
    std::function<void(TLectorTexto&)> leer;
    int linea;
    std::string mensaje;
};

class ErroresDelLector : public ::testing::TestWithParam<CasoError> {};

TEST_P(ErroresDelLector, NombranArchivoYLinea) {
    const auto& caso = GetParam();
    auto lector = TLectorTexto::DesdeTexto(caso.contenido, "modelo.pmt");
    try {
        caso.leer(lector);
        FAIL() << "no lanzó";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Archivo(), "modelo.pmt");
        EXPECT_EQ(e.Linea(), caso.linea);
        EXPECT_EQ(std::string(e.what()),
                  caso.mensaje + " (modelo.pmt, línea " + std::to_string(caso.linea) + ")");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Casos, ErroresDelLector,
    ::testing::Values(
        CasoError{"FaltaUnNumero", "1\n\n  \n",
                  [](TLectorTexto& l) {
                      l.LeerRealLinea();
                      l.LeerReal();
                  },
                  4, "Lectura más allá del fin del archivo"},
        CasoError{"RealMalFormado", "1\n2,5 x\n",
                  [](TLectorTexto& l) {
                      l.LeerRealLinea();
                      l.LeerRealLinea();
                  },
                  2, "Valor real no válido: \"2,5\""},
        CasoError{"EnteroMalFormado", "\r\n\r\n1.0\r\n", [](TLectorTexto& l) { l.LeerEnteroLinea(); }, 3,
                  "Valor entero no válido: \"1.0\""},
        CasoError{"EnteroFueraDeRango", "4294967296", [](TLectorTexto& l) { l.LeerEntero(); }, 1,
                  "Valor entero no válido: \"4294967296\""},
        CasoError{"LineaMasAllaDelFin", "a\n",
                  [](TLectorTexto& l) {
                      l.LeerLinea();
                      l.LeerLinea();
                  },
                  2, "Lectura más allá del fin del archivo"},
        CasoError{"Fallar", "a\rb", [](TLectorTexto& l) {
                      l.SaltarLinea();
                      l.Fallar("Error leyendo línea: 1");
                  },
                  2, "Error leyendo línea: 1"}),
    [](const auto& info) { return std::string(info.param.descripcion); });

// ---- Files on disk ----

using ArchivosDeTexto = CarpetaTemporal;

TEST_F(ArchivosDeTexto, AbrirUnArchivoQueFalta) {
    const std::string ruta = Ruta("no_existe.txt");
    try {
        TLectorTexto::Abrir(ruta);
        FAIL() << "no lanzó";
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()), "No se puede abrir el archivo: " + ruta);
    }
}

TEST_F(ArchivosDeTexto, AbrirLeeTodoElArchivo) {
    EscribirBytes(Ruta("serie.txt"), "\xEF\xBB\xBF" "2\r\n 1.0000000000000000E+000\r\n-2.5\r\n");
    auto lector = TLectorTexto::Abrir(Ruta("serie.txt"));
    EXPECT_EQ(lector.Nombre(), Ruta("serie.txt"));
    EXPECT_EQ(lector.LeerEnteroLinea(), 2);
    EXPECT_EQ(lector.LeerRealLinea(), 1.0);
    EXPECT_EQ(lector.LeerRealLinea(), -2.5);
    EXPECT_TRUE(lector.Eof());
    EXPECT_EQ(lector.Linea(), 4);
}

TEST_F(ArchivosDeTexto, CrearYAgregar) {
    {
        auto escritor = TEscritorTexto::Crear(Ruta("a.txt"));
        escritor.EscribirLinea("uno");
        escritor.EscribirReal(-2.5);
        escritor.EscribirLinea();
        escritor.Cerrar();
        escritor.Cerrar();  // a second close does nothing
    }
    {
        auto escritor = TEscritorTexto::Agregar(Ruta("a.txt"));
        escritor.EscribirEnteroLinea(-12345678901LL);
        // Closed by its destructor.
    }
    EXPECT_EQ(LeerBytes(Ruta("a.txt")), "uno\n-2.5000000000000000E+000\n-12345678901\n");

    auto escritor = TEscritorTexto::Crear(Ruta("a.txt"));
    escritor.Escribir("x");
    escritor.Cerrar();
    EXPECT_EQ(LeerBytes(Ruta("a.txt")), "x");
    EXPECT_THROW(escritor.Escribir("y"), EInOutError);
}

TEST_F(ArchivosDeTexto, AgregarCreaElArchivo) {
    auto escritor = TEscritorTexto::Agregar(Ruta("nuevo.txt"));
    escritor.EscribirLinea("hola");
    escritor.Cerrar();
    EXPECT_EQ(LeerBytes(Ruta("nuevo.txt")), "hola\n");
}

TEST_F(ArchivosDeTexto, CrearEnUnaCarpetaQueFalta) {
    const std::string ruta = Ruta("falta/a.txt");
    try {
        TEscritorTexto::Crear(ruta);
        FAIL() << "no lanzó";
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()), "No se puede crear el archivo: " + ruta);
    }
}

// /dev/full accepts the open and fails every flush, as a full disk does.
TEST(EscritorTexto, CerrarCompruebaLaEscritura) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "sin /dev/full";
    auto escritor = TEscritorTexto::Crear("/dev/full");
    escritor.EscribirLinea("datos");
    try {
        escritor.Cerrar();
        FAIL() << "no lanzó";
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()), "Error escribiendo el archivo: /dev/full");
    }
}

TEST(EscritorTexto, EnMemoria) {
    auto escritor = TEscritorTexto::EnMemoria();
    escritor.Escribir("a\t");
    escritor.EscribirRealLinea(1e-300);
    escritor.EscribirEnteroLinea(0);
    escritor.Cerrar();
    EXPECT_EQ(escritor.Contenido(), "a\t 1.0000000000000000E-300\n0\n");
}

TEST(EscritorTexto, SeMueve) {
    auto escritor = TEscritorTexto::EnMemoria();
    escritor.Escribir("a");
    TEscritorTexto otro = std::move(escritor);
    otro.Escribir("b");
    EXPECT_EQ(otro.Contenido(), "ab");
}

// ---- Atomic save ----

using GuardadoAtomico = CarpetaTemporal;

TEST_F(GuardadoAtomico, CreaElArchivo) {
    GuardarArchivoAtomico(Ruta("c5.pmc"), [](TEscritorTexto& f) {
        f.EscribirLinea("VERSION=4");
        f.EscribirRealLinea(0.5);
    });
    EXPECT_EQ(LeerBytes(Ruta("c5.pmc")), "VERSION=4\n 5.0000000000000000E-001\n");
    EXPECT_EQ(NombresEnCarpeta(), std::vector<std::string>{"c5.pmc"});
    // A new file gets the usual permissions, not the temporary's private ones.
    const mode_t mascara = ::umask(0);
    ::umask(mascara);
    EXPECT_EQ(fs::status(Ruta("c5.pmc")).permissions(), static_cast<fs::perms>(0666 & ~mascara));
}

TEST_F(GuardadoAtomico, ReemplazaElArchivoYConservaSusPermisos) {
    EscribirBytes(Ruta("c5.pmc"), "viejo\n");
    fs::permissions(Ruta("c5.pmc"), static_cast<fs::perms>(0640));
    ::testing::internal::CaptureStdout();
    GuardarArchivoAtomico(Ruta("c5.pmc"), [](TEscritorTexto& f) { f.EscribirLinea("nuevo"); });
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "El archivo anterior se conserva en: " + Ruta("c5.pmc.anterior") + "\n");
    EXPECT_EQ(LeerBytes(Ruta("c5.pmc")), "nuevo\n");
    EXPECT_EQ(fs::status(Ruta("c5.pmc")).permissions(), static_cast<fs::perms>(0640));
    // The replaced file stays beside it, as it was.
    EXPECT_EQ(NombresEnCarpeta(), (std::vector<std::string>{"c5.pmc", "c5.pmc.anterior"}));
    EXPECT_EQ(LeerBytes(Ruta("c5.pmc.anterior")), "viejo\n");
    EXPECT_EQ(fs::status(Ruta("c5.pmc.anterior")).permissions(), static_cast<fs::perms>(0640));
}

// Only the version just replaced is kept: each save that changes the file
// replaces the copy of the one before.
TEST_F(GuardadoAtomico, CadaReemplazoConservaSoloLaVersionQueReemplaza) {
    for (const char* version : {"uno", "dos", "tres"}) {
        ::testing::internal::CaptureStdout();
        GuardarArchivoAtomico(Ruta("c5.clp"), [version](TEscritorTexto& f) { f.EscribirLinea(version); });
        ::testing::internal::GetCapturedStdout();
    }
    EXPECT_EQ(LeerBytes(Ruta("c5.clp")), "tres\n");
    EXPECT_EQ(LeerBytes(Ruta("c5.clp.anterior")), "dos\n");
    EXPECT_EQ(NombresEnCarpeta(), (std::vector<std::string>{"c5.clp", "c5.clp.anterior"}));
}

// Writing the bytes the file already holds keeps no copy, says nothing and
// leaves an older copy as it was.
TEST_F(GuardadoAtomico, UnaReescrituraIgualNoConservaCopia) {
    const std::string modelo = "VERSION=5\r\n 1.0000000000000000E+000\r\n";
    EscribirBytes(Ruta("c5.pmt"), modelo);
    ::testing::internal::CaptureStdout();
    GuardarArchivoAtomico(Ruta("c5.pmt"), [&modelo](TEscritorTexto& f) { f.Escribir(modelo); });
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(NombresEnCarpeta(), std::vector<std::string>{"c5.pmt"});

    EscribirBytes(Ruta("c5.pmt.anterior"), "mas viejo\n");
    ::testing::internal::CaptureStdout();
    GuardarArchivoAtomico(Ruta("c5.pmt"), [&modelo](TEscritorTexto& f) { f.Escribir(modelo); });
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(LeerBytes(Ruta("c5.pmt")), modelo);
    EXPECT_EQ(LeerBytes(Ruta("c5.pmt.anterior")), "mas viejo\n");
}

// When the old version cannot be kept, the file is not replaced.
TEST_F(GuardadoAtomico, SinPoderConservarLaVersionAnteriorNoLaReemplaza) {
    EscribirBytes(Ruta("c5.pmc"), "viejo\n");
    fs::create_directory(Ruta("c5.pmc.anterior"));
    EscribirBytes(Ruta("c5.pmc.anterior/dentro"), "x");
    try {
        GuardarArchivoAtomico(Ruta("c5.pmc"), [](TEscritorTexto& f) { f.EscribirLinea("nuevo"); });
        FAIL() << "no lanzó";
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()), "No se puede conservar la versión anterior en: " + Ruta("c5.pmc.anterior"));
    }
    EXPECT_EQ(LeerBytes(Ruta("c5.pmc")), "viejo\n");
    EXPECT_EQ(NombresEnCarpeta(), (std::vector<std::string>{"c5.pmc", "c5.pmc.anterior"}));
}

TEST_F(GuardadoAtomico, UnFalloDejaElArchivoAnteriorIntacto) {
    const std::string anterior = "VERSION=3\r\n 1.0000000000000000E+000\r\n\xC3\xB1";
    EscribirBytes(Ruta("c5.pmc"), anterior);
    auto escribirYFallar = [](TEscritorTexto& f) {
        f.EscribirLinea("VERSION=4");
        for (int k = 0; k < 100000; ++k) f.EscribirRealLinea(k);  // past the stream's buffer
        throw std::runtime_error("fallo al escribir");
    };
    EXPECT_THROW(GuardarArchivoAtomico(Ruta("c5.pmc"), escribirYFallar), std::runtime_error);
    EXPECT_EQ(LeerBytes(Ruta("c5.pmc")), anterior);
    EXPECT_EQ(NombresEnCarpeta(), std::vector<std::string>{"c5.pmc"});
}

TEST_F(GuardadoAtomico, EnUnaCarpetaQueFalta) {
    const std::string ruta = Ruta("falta/c5.pmc");
    bool llamado = false;
    try {
        GuardarArchivoAtomico(ruta, [&](TEscritorTexto&) { llamado = true; });
        FAIL() << "no lanzó";
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()), "No se puede crear el archivo: " + ruta);
    }
    EXPECT_FALSE(llamado);
    EXPECT_TRUE(NombresEnCarpeta().empty());
}

TEST_F(GuardadoAtomico, LosErroresDelEscritorNombranElArchivoGuardado) {
    try {
        GuardarArchivoAtomico(Ruta("c5.pmc"), [](TEscritorTexto& f) {
            f.Cerrar();
            f.Escribir("tarde");
        });
        FAIL() << "no lanzó";
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()), "Error escribiendo el archivo: " + Ruta("c5.pmc"));
    }
    EXPECT_TRUE(NombresEnCarpeta().empty());
}

}  // namespace
