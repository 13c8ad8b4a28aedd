// Saving the in-memory workbook as an .xlsx file, checked from outside: the
// file is a zip that Python's zipfile tests and unpacks, and its XML parts
// hold the sheets, values, formats and chart that were written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include <unistd.h>

#include "charts/libroexcel.h"
#include "charts/libroxlsx.h"
#include "charts/u_ExcelFile.h"
#include "charts/uPrint.h"
#include "numerics/errores.h"

namespace fs = std::filesystem;

namespace {

std::string LeerArchivo(const fs::path& ruta) {
    std::ifstream archivo(ruta, std::ios::binary);
    std::ostringstream contenido;
    contenido << archivo.rdbuf();
    return contenido.str();
}

// The text of <v> in the cell `ref` of a sheet's XML, or "" when absent.
std::string ValorDeCelda(const std::string& xml, const std::string& ref) {
    const std::size_t celda = xml.find("<c r=\"" + ref + "\"");
    if (celda == std::string::npos) return "";
    const std::size_t fin = xml.find("</c>", celda);
    const std::size_t v = xml.find("<v>", celda);
    if (v == std::string::npos || v > fin) return "";
    return xml.substr(v + 3, xml.find("</v>", v) - v - 3);
}

// Debian's interpreter when it is there: wrappers in front of it on the path
// can take seconds to start.
std::string Python() { return fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3"; }

int Ejecutar(const std::string& orden) { return std::system((orden + " >/dev/null 2>&1").c_str()); }

class LibroXlsx : public ::testing::Test {
protected:
    void SetUp() override {
        carpeta_ = fs::path(::testing::TempDir()) /
                   ("quendal_xlsx_" + std::to_string(::getpid()) + "_" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(carpeta_);
        fs::create_directories(carpeta_);
    }
    void TearDown() override { fs::remove_all(carpeta_); }

    // The report of three ten-minute steps with a scatter chart.
    void EscribirInforme() {
        TExcelFile w = TExcelFile::Create(app_, 8, "etq");
        const std::vector<TMatOfNReal> datos = {
            {{0}, {0}, {0}},
            {{1, 3}, {2, 6}, {3, 9}},
            {{10, 10}, {20, 20}, {30, 30}},
        };
        const TDAofString nombres = {"X", "P_MW_Dato[MW]", "Q"};
        EscribirCronicasExcel(w, TTipoValoresAComparar::Promedio, nombres, datos,
                              {.nombreHoja = "Prom",
                               .titulo = "Informe",
                               .x0 = 43000.0,
                               .conGrafico = true,
                               .tiposGrafico = {TTipoGrafico::dispersion, TTipoGrafico::dispersion},
                               .ejes = {TTipoEje::Primario, TTipoEje::Primario},
                               .colores = {ColorRGB(255, 0, 0), clDefault},
                               .tituloEjeValores = "MW"});
        w.irAHoja("Hoja1", 1, 1);
        w.escribirTextoLn("Crónicas ñandú");
    }

    // Tests and unpacks the file with Python's zipfile.
    fs::path Desempaquetar(const fs::path& xlsx) {
        EXPECT_EQ(Ejecutar(Python() + " -m zipfile -t '" + xlsx.string() + "'"), 0);
        const fs::path destino = carpeta_ / "x";
        EXPECT_EQ(Ejecutar(Python() + " -m zipfile -e '" + xlsx.string() + "' '" + destino.string() + "'"), 0);
        return destino;
    }

    // Every worksheet's XML, one after the other.
    static std::string HojasDeTrabajo(const fs::path& x) {
        std::string todas;
        for (const auto& entrada : fs::directory_iterator(x / "xl" / "worksheets"))
            if (entrada.path().extension() == ".xml") todas += LeerArchivo(entrada.path());
        return todas;
    }

    TAplicacionEnMemoria app_;
    fs::path carpeta_;
};

TEST_F(LibroXlsx, ElInformeSeLeeDesdeElArchivo) {
    EscribirInforme();
    const fs::path xlsx = carpeta_ / "informe.xlsx";
    GuardarLibroXlsx(app_.Libro(), xlsx.string());
    ASSERT_TRUE(fs::exists(xlsx));
    EXPECT_FALSE(fs::exists(xlsx.string() + ".guardando"));
    const fs::path x = Desempaquetar(xlsx);

    // The sheets in the workbook's order: the chart sheet went first.
    const std::string libro = LeerArchivo(x / "xl" / "workbook.xml");
    const std::size_t g = libro.find("name=\"gProm\""), prom = libro.find("name=\"Prom\""),
                      hoja1 = libro.find("name=\"Hoja1\"");
    ASSERT_NE(g, std::string::npos);
    ASSERT_NE(prom, std::string::npos);
    ASSERT_NE(hoja1, std::string::npos);
    EXPECT_LT(g, prom);
    EXPECT_LT(prom, hoja1);

    const std::string textos = LeerArchivo(x / "xl" / "sharedStrings.xml");
    for (const char* texto : {"# Informe MW etq", "paso", "fecha", "P_MW_Dato[MW]_Prom", "Q_Prom", "Crónicas ñandú"})
        EXPECT_NE(textos.find(texto), std::string::npos) << texto;

    const std::string hojas = HojasDeTrabajo(x);
    EXPECT_EQ(ValorDeCelda(hojas, "A5"), "3");
    EXPECT_EQ(ValorDeCelda(hojas, "B3"), "43000");
    EXPECT_EQ(ValorDeCelda(hojas, "C3"), "2");
    EXPECT_EQ(ValorDeCelda(hojas, "C5"), "6");
    EXPECT_EQ(ValorDeCelda(hojas, "D4"), "20");
    EXPECT_EQ(ValorDeCelda(hojas, "D6"), "");
    EXPECT_NE(LeerArchivo(x / "xl" / "styles.xml").find("formatCode=\"dd/mm/yyyy hh\""), std::string::npos);

    const std::string grafico = LeerArchivo(x / "xl" / "charts" / "chart1.xml");
    EXPECT_NE(grafico.find("<c:scatterChart>"), std::string::npos);
    EXPECT_NE(grafico.find("Prom!$B$3:$B$5"), std::string::npos);
    EXPECT_NE(grafico.find("Prom!$D$3:$D$5"), std::string::npos);
    EXPECT_NE(grafico.find("Prom!$C$2"), std::string::npos);  // the series name from the header
    EXPECT_NE(grafico.find("Informe"), std::string::npos);
    EXPECT_NE(grafico.find("FF0000"), std::string::npos);  // the first series' colour
    EXPECT_NE(grafico.find("<c:min val=\"43000\"/>"), std::string::npos);
    EXPECT_TRUE(fs::exists(x / "xl" / "chartsheets" / "sheet1.xml"));
}

// Values and texts that the file format cannot hold as they are: NaN and
// infinities, a name in Latin-1 (as older files hold them) and control
// characters, with a stacked-area chart of fixed value bounds. Every XML part
// of the file must parse, and libxlsxwriter must not complain.
TEST_F(LibroXlsx, ValoresNoFinitosYTextosQueNoSonUTF8DanUnArchivoValido) {
    TExcelFile w = TExcelFile::Create(app_, 8, "etq");
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const std::vector<TMatOfNReal> datos = {
        {{0}, {0}, {0}},
        {{1, 3}, {nan, nan}, {inf, inf}},
        {{-inf, -inf}, {20, 20}, {30, 30}},
    };
    const TDAofString nombres = {"X", "Energ\xED" "a\x01", "P\xE9rdidas\tMW"};
    EscribirCronicasExcel(w, TTipoValoresAComparar::Promedio, nombres, datos,
                          {.nombreHoja = "Prom",
                           .titulo = "Informe de energ\xED" "a\x02",
                           .x0 = 43000.0,
                           .conGrafico = true,
                           .tiposGrafico = {TTipoGrafico::areaApilada, TTipoGrafico::areaApilada},
                           .ejes = {TTipoEje::Primario, TTipoEje::Primario},
                           .colores = {ColorRGB(255, 0, 0), clDefault},
                           .tituloEjeValores = "MW\x7F",
                           .minimoAutomatico = false,
                           .maximoAutomatico = false,
                           .minimo = -5,
                           .maximo = 50});
    w.agregarHoja("Hoja \xD1" "and\xFA\x03");
    w.irAHoja("Hoja \xD1" "and\xFA\x03", 1, 1);
    w.escribirTextoLn("Cr\xF3nicas\x1B[0m \xC3\xB1" "and\xC3\xBA");  // Latin-1, an escape, then UTF-8
    w.escribirCelda(nan);
    w.escribirCelda(-inf);

    const fs::path xlsx = carpeta_ / "raro.xlsx";
    ::testing::internal::CaptureStderr();
    GuardarLibroXlsx(app_.Libro(), xlsx.string());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

    // Every part parses as XML (expat refuses bad UTF-8 and control characters).
    const fs::path guion = carpeta_ / "partes.py";
    std::ofstream(guion) << "import sys, zipfile, xml.dom.minidom\n"
                            "z = zipfile.ZipFile(sys.argv[1])\n"
                            "partes = [n for n in z.namelist() if n.endswith('.xml') or n.endswith('.rels')]\n"
                            "assert len(partes) > 10, partes\n"
                            "for n in partes:\n"
                            "    xml.dom.minidom.parseString(z.read(n))\n";
    EXPECT_EQ(std::system((Python() + " '" + guion.string() + "' '" + xlsx.string() + "'").c_str()), 0);

    const fs::path x = Desempaquetar(xlsx);
    const std::string hojas = HojasDeTrabajo(x);
    for (const char* noFinito : {"NAN", "nan", "INF", "inf"})
        EXPECT_EQ(hojas.find(std::string("<v>") + noFinito), std::string::npos) << noFinito;
    EXPECT_EQ(hojas.find("<v>-"), std::string::npos);
    EXPECT_EQ(ValorDeCelda(hojas, "C3"), "2");
    EXPECT_EQ(ValorDeCelda(hojas, "C4"), "");  // NaN
    EXPECT_EQ(ValorDeCelda(hojas, "C5"), "");  // +Inf
    EXPECT_EQ(ValorDeCelda(hojas, "D3"), "");  // -Inf
    EXPECT_EQ(ValorDeCelda(hojas, "D4"), "20");

    const std::string libro = LeerArchivo(x / "xl" / "workbook.xml");
    EXPECT_NE(libro.find("name=\"Hoja \xC3\x91" "and\xC3\xBA\""), std::string::npos) << libro;
    const std::string textos = LeerArchivo(x / "xl" / "sharedStrings.xml");
    EXPECT_NE(textos.find("Energ\xC3\xAD" "a_Prom"), std::string::npos) << textos;
    EXPECT_NE(textos.find("P\xC3\xA9rdidas\tMW_Prom"), std::string::npos) << textos;
    EXPECT_NE(textos.find("Cr\xC3\xB3nicas[0m \xC3\xB1" "and\xC3\xBA"), std::string::npos) << textos;

    const std::string grafico = LeerArchivo(x / "xl" / "charts" / "chart1.xml");
    EXPECT_NE(grafico.find("<c:areaChart>"), std::string::npos);
    EXPECT_NE(grafico.find("Informe de energ\xC3\xAD" "a"), std::string::npos);
    // The value axis keeps its bounds.
    const std::size_t valores = grafico.find("<c:valAx>");
    ASSERT_NE(valores, std::string::npos) << grafico;
    const std::string ejeValores = grafico.substr(valores, grafico.find("</c:valAx>", valores) - valores);
    EXPECT_NE(ejeValores.find("<c:min val=\"-5\"/>"), std::string::npos) << ejeValores;
    EXPECT_NE(ejeValores.find("<c:max val=\"50\"/>"), std::string::npos) << ejeValores;
}

TEST_F(LibroXlsx, GuardarReemplazaUnArchivoExistente) {
    const fs::path xlsx = carpeta_ / "libro.xlsx";
    std::ofstream(xlsx) << "viejo";
    GuardarLibroXlsx(app_.Libro(), xlsx.string());
    EXPECT_EQ(LeerArchivo(xlsx).substr(0, 2), "PK");
    Desempaquetar(xlsx);
}

TEST_F(LibroXlsx, UnaCarpetaQueNoExisteFallaSinDejarNada) {
    const fs::path xlsx = carpeta_ / "no_existe" / "libro.xlsx";
    EXPECT_THROW(GuardarLibroXlsx(app_.Libro(), xlsx.string()), EInOutError);
    EXPECT_FALSE(fs::exists(carpeta_ / "no_existe"));
}

TEST_F(LibroXlsx, UnFalloNoTocaElArchivoAnterior) {
    const fs::path xlsx = carpeta_ / "libro.xlsx";
    std::ofstream(xlsx) << "anterior";
    // A chart type that the file format's writer does not know.
    app_.Libro().AddChart().SetChartType(-4100);
    EXPECT_THROW(GuardarLibroXlsx(app_.Libro(), xlsx.string()), EInOutError);
    EXPECT_EQ(LeerArchivo(xlsx), "anterior");
    EXPECT_FALSE(fs::exists(xlsx.string() + ".guardando"));
}

}  // namespace
