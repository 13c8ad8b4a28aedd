// The parts of a zip package, read and written, checked against Python's
// zipfile.
#include "charts/paquetezip.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "numerics/errores.h"

namespace fs = std::filesystem;

namespace {

std::string Python() { return fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3"; }

std::string LeerArchivo(const fs::path& ruta) {
    std::ifstream archivo(ruta, std::ios::binary);
    std::ostringstream contenido;
    contenido << archivo.rdbuf();
    return contenido.str();
}

class PaqueteZip : public ::testing::Test {
protected:
    void SetUp() override {
        carpeta_ = fs::path(::testing::TempDir()) / ("quendal_zip_" + std::to_string(::getpid()));
        fs::create_directories(carpeta_);
    }
    void TearDown() override { fs::remove_all(carpeta_); }

    int Python(const std::string& guion) {
        const fs::path archivo = carpeta_ / "guion.py";
        std::ofstream(archivo) << guion;
        return std::system((::Python() + " '" + archivo.string() + "' '" + carpeta_.string() + "'").c_str());
    }

    fs::path carpeta_;
};

// A part stored, a deflated one, an empty one and a large one, as Python
// writes them, read back byte for byte; written again, Python reads the same.
TEST_F(PaqueteZip, LeeLoQuePythonEscribeYPythonLeeLoQueEscribe) {
    ASSERT_EQ(Python("import sys, zipfile\n"
                     "z = zipfile.ZipFile(sys.argv[1] + '/a.zip', 'w')\n"
                     "z.writestr('guardada.txt', b'sin comprimir', zipfile.ZIP_STORED)\n"
                     "z.writestr('xl/comprimida.xml', b'<a>' + b'x' * 5000 + b'</a>', zipfile.ZIP_DEFLATED)\n"
                     "z.writestr('vacia', b'', zipfile.ZIP_DEFLATED)\n"
                     "z.writestr('grande.bin', bytes(range(256)) * 4000, zipfile.ZIP_DEFLATED)\n"
                     "z.close()\n"),
              0);
    std::vector<TPartePaquete> partes = LeerPaqueteZip((carpeta_ / "a.zip").string());
    ASSERT_EQ(partes.size(), 4u);
    EXPECT_EQ(partes[0].nombre, "guardada.txt");
    EXPECT_EQ(partes[0].datos, "sin comprimir");
    EXPECT_EQ(partes[1].nombre, "xl/comprimida.xml");
    EXPECT_EQ(partes[1].datos, "<a>" + std::string(5000, 'x') + "</a>");
    EXPECT_EQ(partes[2].datos, "");
    ASSERT_EQ(partes[3].datos.size(), 256u * 4000);
    EXPECT_EQ(static_cast<unsigned char>(partes[3].datos[257]), 1);

    partes[1].datos = "<a>otra</a>";
    EscribirPaqueteZip((carpeta_ / "b.zip").string(), partes);
    EXPECT_EQ(Python("import sys, zipfile\n"
                     "z = zipfile.ZipFile(sys.argv[1] + '/b.zip')\n"
                     "assert z.testzip() is None\n"
                     "assert z.namelist() == ['guardada.txt', 'xl/comprimida.xml', 'vacia', 'grande.bin'], z.namelist()\n"
                     "assert z.read('xl/comprimida.xml') == b'<a>otra</a>'\n"
                     "assert z.read('grande.bin') == bytes(range(256)) * 4000\n"
                     "assert z.read('vacia') == b''\n"
                     "assert z.getinfo('guardada.txt').date_time == zipfile.ZipFile(sys.argv[1] + '/a.zip')"
                     ".getinfo('guardada.txt').date_time\n"),
              0);
}

// What is not a zip, or a part whose bytes do not match its CRC, is refused
// naming the file.
TEST_F(PaqueteZip, LoQueNoEsUnZipOEstaDaniadoSeRechazaNombrandoElArchivo) {
    const fs::path texto = carpeta_ / "texto.zip";
    std::ofstream(texto) << "no soy un zip";
    try {
        LeerPaqueteZip(texto.string());
        FAIL() << "leyó un texto";
    } catch (const EInOutError& e) {
        EXPECT_NE(std::string(e.what()).find(texto.string()), std::string::npos) << e.what();
    }
    EXPECT_THROW(LeerPaqueteZip((carpeta_ / "no_existe.zip").string()), EInOutError);

    ASSERT_EQ(Python("import sys, zipfile\n"
                     "z = zipfile.ZipFile(sys.argv[1] + '/c.zip', 'w')\n"
                     "z.writestr('parte.txt', b'contenido original', zipfile.ZIP_STORED)\n"
                     "z.close()\n"),
              0);
    std::string bytes = LeerArchivo(carpeta_ / "c.zip");
    const std::size_t contenido = bytes.find("contenido");
    ASSERT_NE(contenido, std::string::npos);
    bytes[contenido] = 'C';
    std::ofstream(carpeta_ / "c.zip", std::ios::binary | std::ios::trunc) << bytes;
    EXPECT_THROW(LeerPaqueteZip((carpeta_ / "c.zip").string()), EInOutError);
}

}  // namespace
