// Saving the in-memory workbook as an .xlsx file, checked from outside: the
// file is a zip that Python's zipfile tests and unpacks, and its XML parts
// hold the sheets, values, formats and chart that were written.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "charts/libroexcel.h"
#include "charts/libroxlsx.h"
#include "charts/u_ExcelFile.h"
#include "charts/uPrint.h"
#include "numerics/errores.h"
#include "../soporte/captura_salida.h"

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

// ---- Reading a saved workbook back, value by value ----

// What Python's zipfile and xml modules read in a saved workbook, one item a
// line: "celda<TAB>sheet<TAB>ref<TAB>n<TAB>hex of the number" or
// "...<TAB>s<TAB>text" (the file format's _xHHHH_ escapes undone), the
// references of every chart ("formula<TAB>text"), the numbers of their data
// copies ("copia<TAB>formula<TAB>index<TAB>hex"), their axis bounds
// ("min" / "max<TAB>hex") and titles ("titulo<TAB>text"). Tabs and line ends
// of texts come as \t and \n.
constexpr const char* kLectorXlsx = R"PY(
import re, sys, zipfile
import xml.etree.ElementTree as ET
S = '{http://schemas.openxmlformats.org/spreadsheetml/2006/main}'
R = '{http://schemas.openxmlformats.org/officeDocument/2006/relationships}'
C = '{http://schemas.openxmlformats.org/drawingml/2006/chart}'
A = '{http://schemas.openxmlformats.org/drawingml/2006/main}'
def texto(t):
    t = re.sub('_x([0-9A-Fa-f]{4})_', lambda m: chr(int(m.group(1), 16)), t)
    return t.replace('\\', '\\\\').replace('\t', '\\t').replace('\n', '\\n')
z = zipfile.ZipFile(sys.argv[1])
assert z.testzip() is None
salida = []
compartidos = []
if 'xl/sharedStrings.xml' in z.namelist():
    for si in ET.fromstring(z.read('xl/sharedStrings.xml')).iter(S + 'si'):
        compartidos.append(''.join(t.text or '' for t in si.iter(S + 't')))
rels = {r.get('Id'): r.get('Target') for r in ET.fromstring(z.read('xl/_rels/workbook.xml.rels'))}
for hoja in ET.fromstring(z.read('xl/workbook.xml')).iter(S + 'sheet'):
    nombre, destino = hoja.get('name'), 'xl/' + rels[hoja.get(R + 'id')]
    salida.append('hoja\t' + texto(nombre))
    if '/worksheets/' not in destino:
        continue
    for c in ET.fromstring(z.read(destino)).iter(S + 'c'):
        v = c.find(S + 'v')
        if v is None:
            continue
        if c.get('t') == 's':
            salida.append('\t'.join(['celda', texto(nombre), c.get('r'), 's', texto(compartidos[int(v.text)])]))
        else:
            salida.append('\t'.join(['celda', texto(nombre), c.get('r'), 'n', float(v.text).hex()]))
for parte in sorted(n for n in z.namelist() if n.startswith('xl/charts/chart')):
    g = ET.fromstring(z.read(parte))
    for f in g.iter(C + 'f'):
        salida.append('formula\t' + f.text)
    for ref in g.iter(C + 'numRef'):
        for pt in ref.iter(C + 'pt'):
            salida.append('\t'.join(['copia', ref.find(C + 'f').text, pt.get('idx'), float(pt.find(C + 'v').text).hex()]))
    for etiqueta in ('min', 'max'):
        for e in g.iter(C + etiqueta):
            salida.append(etiqueta + '\t' + float(e.get('val')).hex())
    for t in g.iter(C + 'title'):
        salida.append('titulo\t' + texto(''.join(a.text or '' for a in t.iter(A + 't'))))
sys.stdout.buffer.write(('\n'.join(salida) + '\n').encode('utf-8'))
)PY";

std::vector<std::vector<std::string>> LeerLibroConPython(const fs::path& carpeta, const fs::path& xlsx) {
    const fs::path guion = carpeta / "leer_xlsx.py", lectura = carpeta / "lectura.txt";
    std::ofstream(guion) << kLectorXlsx;
    EXPECT_EQ(std::system((Python() + " '" + guion.string() + "' '" + xlsx.string() + "' > '" + lectura.string() + "'")
                              .c_str()),
              0);
    std::vector<std::vector<std::string>> lineas;
    std::istringstream texto(LeerArchivo(lectura));
    for (std::string linea; std::getline(texto, linea);) {
        std::vector<std::string> campos;
        std::size_t desde = 0;
        for (std::size_t tab; (tab = linea.find('\t', desde)) != std::string::npos; desde = tab + 1)
            campos.push_back(linea.substr(desde, tab - desde));
        campos.push_back(linea.substr(desde));
        lineas.push_back(std::move(campos));
    }
    return lineas;
}

// Python's float.hex() ("0x1.3333333333333p-2", "-0x0.0p+0") as a double.
double DeHexadecimal(std::string texto) {
    const bool negativo = !texto.empty() && texto[0] == '-';
    if (negativo) texto.erase(0, 1);
    if (texto.rfind("0x", 0) == 0) texto.erase(0, 2);
    double x = 0;
    const auto [fin, error] = std::from_chars(texto.data(), texto.data() + texto.size(), x, std::chars_format::hex);
    EXPECT_TRUE(error == std::errc() && fin == texto.data() + texto.size()) << texto;
    return negativo ? -x : x;
}

// The process's C locale set for the object's life (numbers with a comma
// under es_ES), as the window's Qt sets it from the environment. When the
// system lacks the locale, it is made with localedef into `carpeta`.
class LocaleCFijo {
public:
    LocaleCFijo(const char* nombre, const fs::path& carpeta) {
        anterior_ = std::setlocale(LC_ALL, nullptr);
        if (std::setlocale(LC_ALL, nombre) == nullptr) {
            const fs::path locales = carpeta / "locales";
            fs::create_directories(locales);
            const std::string orden = "localedef -i es_ES -f UTF-8 '" + (locales / nombre).string() + "'";
            EXPECT_EQ(Ejecutar(orden), 0) << orden;
            setenv("LOCPATH", locales.c_str(), 1);
            EXPECT_NE(std::setlocale(LC_ALL, nombre), nullptr) << "no se pudo fijar el locale " << nombre;
            unsetenv("LOCPATH");
        }
    }
    ~LocaleCFijo() { std::setlocale(LC_ALL, anterior_.c_str()); }

private:
    std::string anterior_;
};

// Under es_ES, a report whose sheet is named by its date, numbers that need
// all 17 digits and the extremes of the doubles, sheet names that cleaning
// empties or that differ in the case of an accented letter only, and a text
// that reads as an escape of the file format: Python reads every value back
// as it was written.
TEST_F(LibroXlsx, BajoEsESCadaValorSeLeeDeVueltaComoSeEscribio) {
    const double valores[] = {0.30000000000000004,     1.7976931348623157e308, -1.7976931348623157e308,
                              4.9406564584124654e-324, 2.2250738585072014e-308, 1.0 / 3.0,
                              -2.0 / 3.0,              0.1,                    43000.5,
                              123456789012345678.0,    1e-300,                 0.9999999999999999};
    constexpr int kValores = static_cast<int>(std::size(valores));
    TExcelFile w = TExcelFile::Create(app_, 8, "etq");
    std::vector<TMatOfNReal> datos(3);
    for (int k = 0; k < kValores; ++k) {
        datos[0].push_back({0});
        datos[1].push_back({valores[k]});
        datos[2].push_back({valores[kValores - 1 - k]});
    }
    EscribirCronicasExcel(w, TTipoValoresAComparar::Promedio, {"X", "P", "Q"}, datos,
                          {.nombreHoja = "201802011030",
                           .titulo = "Informe",
                           .x0 = 43000.123456789012,
                           .dx = 1.0 / 3.0,
                           .conGrafico = true,
                           .tiposGrafico = {TTipoGrafico::dispersion, TTipoGrafico::linea},
                           .ejes = {TTipoEje::Primario, TTipoEje::Primario},
                           .colores = {clDefault, clDefault},
                           .tituloEjeValores = "MW",
                           .minimoAutomatico = false,
                           .minimo = 0.30000000000000004});
    // A worksheet named like a cell, with a chart of its own.
    w.agregarHoja("AB12");
    w.irAHoja("AB12", 1, 1);
    w.escribirTextoLn("nombre");
    w.escribirTexto("x");
    w.escribirCelda(0.1 + 0.2);
    TLibroEnMemoria& libro = app_.Libro();
    IGraficoExcel& grafico = libro.AddChart();
    grafico.SetChartType(xlLine);
    grafico.SetSourceData(libro.Worksheets("AB12"), "A1:B2", 2);
    grafico.SetName("graficoAB12");
    // Control characters only; "Año" and "AÑO" are one name.
    w.agregarHoja("\x01\x02");
    w.agregarHoja("A\xC3\xB1o");
    EXPECT_THROW(w.agregarHoja("A\xC3\x91O"), EErrorAutomatizacion);
    EXPECT_EQ(&libro.Worksheets("A\xC3\x91O"), &libro.Worksheets("A\xC3\xB1o"));
    w.irAHoja("A\xC3\xB1o", 1, 1);
    w.escribirTexto("_x0041_");
    w.escribirTexto("_x00e9_ y _x12G4_");
    w.escribirTextoLn("a_x0041_b");

    const fs::path xlsx = carpeta_ / "es_ES.xlsx";
    {
        const LocaleCFijo esES("es_ES.UTF-8", carpeta_);
        char coma[16];
        std::snprintf(coma, sizeof coma, "%.1f", 0.5);
        ASSERT_STREQ(coma, "0,5") << "el locale es_ES no rige";
        TCapturaSalida errores(TFlujoCapturado::Error);
        GuardarLibroXlsx(libro, xlsx.string());
        EXPECT_EQ(errores.Texto(), "");  // libxlsxwriter found every sheet its charts name
    }

    std::map<std::string, std::map<std::string, std::string>> celdas;  // sheet, ref -> "n hex" / "s text"
    std::vector<std::string> hojas, formulas;
    std::vector<std::vector<std::string>> copias;
    std::vector<double> minimos;
    for (const auto& linea : LeerLibroConPython(carpeta_, xlsx)) {
        if (linea[0] == "hoja") hojas.push_back(linea[1]);
        if (linea[0] == "celda") celdas[linea[1]][linea[2]] = linea[3] + " " + linea[4];
        if (linea[0] == "formula") formulas.push_back(linea[1]);
        if (linea[0] == "copia") copias.push_back(linea);
        if (linea[0] == "min") minimos.push_back(DeHexadecimal(linea[1]));
    }
    const auto numero = [&](const std::string& hoja, const std::string& ref) {
        const std::string& celda = celdas[hoja][ref];
        EXPECT_EQ(celda.substr(0, 2), "n ") << hoja << "!" << ref << ": " << celda;
        return celda.size() > 2 ? DeHexadecimal(celda.substr(2)) : std::nan("");
    };

    // Every number of the report as it was.
    for (int k = 0; k < kValores; ++k) {
        SCOPED_TRACE(testing::Message() << "fila " << k + 3);
        const std::string fila = std::to_string(k + 3);
        EXPECT_EQ(numero("201802011030", "A" + fila), k + 1);
        EXPECT_EQ(numero("201802011030", "B" + fila), 43000.123456789012 + k * (1.0 / 3.0));
        const double p = numero("201802011030", "C" + fila), q = numero("201802011030", "D" + fila);
        EXPECT_EQ(std::bit_cast<uint64_t>(p), std::bit_cast<uint64_t>(valores[k])) << p;
        EXPECT_EQ(std::bit_cast<uint64_t>(q), std::bit_cast<uint64_t>(valores[kValores - 1 - k])) << q;
    }
    EXPECT_EQ(numero("AB12", "B2"), 0.30000000000000004);

    // The charts' references quote the sheets named like a number or a cell,
    // and their copies of the data hold the cells' values.
    const std::string ultima = std::to_string(kValores + 2);
    for (const std::string& esperada :
         std::vector<std::string>{"'201802011030'!$B$3:$B$" + ultima, "'201802011030'!$C$3:$C$" + ultima,
                                  "'201802011030'!$C$2", "'AB12'!$A$2", "'AB12'!$B$2", "'AB12'!$B$1"})
        EXPECT_NE(std::find(formulas.begin(), formulas.end(), esperada), formulas.end()) << esperada;
    for (const std::string& f : formulas) EXPECT_EQ(f.front(), '\'') << f;
    int copiasDeC = 0;
    for (const auto& copia : copias) {
        if (copia[1] != "'201802011030'!$C$3:$C$" + ultima) continue;
        ++copiasDeC;
        const double copiado = DeHexadecimal(copia[3]);
        EXPECT_EQ(std::bit_cast<uint64_t>(copiado), std::bit_cast<uint64_t>(valores[std::stoi(copia[2])])) << copiado;
    }
    EXPECT_EQ(copiasDeC, kValores);
    EXPECT_NE(std::find(minimos.begin(), minimos.end(), 0.30000000000000004), minimos.end());
    EXPECT_NE(std::find(minimos.begin(), minimos.end(), 43000.123456789012), minimos.end());

    // A name of control characters only got one; "Año" kept its own.
    EXPECT_EQ(std::count(hojas.begin(), hojas.end(), ""), 0);
    EXPECT_EQ(std::set<std::string>(hojas.begin(), hojas.end()).size(), hojas.size());
    EXPECT_NE(std::find(hojas.begin(), hojas.end(), "A\xC3\xB1o"), hojas.end());
    // Texts that read as escapes of the file format come back as they were.
    EXPECT_EQ(celdas["A\xC3\xB1o"]["A1"], "s _x0041_");
    EXPECT_EQ(celdas["A\xC3\xB1o"]["B1"], "s _x00e9_ y _x12G4_");
    EXPECT_EQ(celdas["A\xC3\xB1o"]["C1"], "s a_x0041_b");
}

// Sheets of letters and digits that libxlsxwriter leaves unquoted, each with
// a chart of its own: the references quote a name that starts with a digit
// or reads as a cell of up to three letters ("XFD1" is the last column), and
// leave the others as they are.
TEST_F(LibroXlsx, LasReferenciasCitanLasHojasQueSeLeenComoNumeroOCelda) {
    struct Caso {
        const char* hoja;
        const char* referencia;  // how the charts' formulas name the sheet
    };
    const Caso casos[] = {{"1abc", "'1abc'!"}, {"XFD1", "'XFD1'!"}, {"ABC12", "'ABC12'!"}, {"ABCD1", "ABCD1!"}};
    TExcelFile w = TExcelFile::Create(app_, 8, "etq");
    TLibroEnMemoria& libro = app_.Libro();
    for (const Caso& caso : casos) {
        w.agregarHoja(caso.hoja);
        w.irAHoja(caso.hoja, 1, 1);
        w.escribirTextoLn("nombre");
        w.escribirTexto("x");
        w.escribirCelda(1.5);
        IGraficoExcel& grafico = libro.AddChart();
        grafico.SetChartType(xlLine);
        grafico.SetSourceData(libro.Worksheets(caso.hoja), "A1:B2", 2);
        grafico.SetName(std::string("g") + caso.hoja);
    }
    const fs::path xlsx = carpeta_ / "hojas.xlsx";
    {
        TCapturaSalida errores(TFlujoCapturado::Error);
        GuardarLibroXlsx(libro, xlsx.string());
        EXPECT_EQ(errores.Texto(), "");  // libxlsxwriter found every sheet its charts name
    }

    std::set<std::string> formulas;
    for (const auto& linea : LeerLibroConPython(carpeta_, xlsx))
        if (linea[0] == "formula") formulas.insert(linea[1]);
    std::set<std::string> esperadas;
    for (const Caso& caso : casos)
        for (const char* celda : {"$A$2", "$B$2", "$B$1"}) esperadas.insert(std::string(caso.referencia) + celda);
    EXPECT_EQ(formulas, esperadas);
}

// The cleaning of texts: bytes that are not UTF-8 are read as Latin-1 and
// control characters (DEL and C1 among them) are dropped, in the cells as
// in the chart's titles.
TEST_F(LibroXlsx, LosTextosSeLimpianEnLasCeldasYEnElGrafico) {
    TExcelFile w = TExcelFile::Create(app_, 8, "etq");
    const std::vector<TMatOfNReal> datos = {{{0}, {0}}, {{1}, {2}}};
    EscribirCronicasExcel(w, TTipoValoresAComparar::Promedio, {"X", "P"}, datos,
                          {.nombreHoja = "Prom",
                           .titulo = "Informe",
                           .x0 = 43000.0,
                           .conGrafico = true,
                           .tiposGrafico = {TTipoGrafico::linea},
                           .ejes = {TTipoEje::Primario},
                           .colores = {clDefault},
                           .tituloEjeValores = "Potencia \xB7 MW"});
    w.irAHoja("Prom", 10, 1);
    w.escribirTexto("a\x7F" "b");
    w.escribirTexto("c\xED\xA0\x80" "d");  // an encoded surrogate
    const fs::path xlsx = carpeta_ / "textos.xlsx";
    GuardarLibroXlsx(app_.Libro(), xlsx.string());

    std::vector<std::string> titulos;
    std::map<std::string, std::string> celdas;
    for (const auto& linea : LeerLibroConPython(carpeta_, xlsx)) {
        if (linea[0] == "titulo") titulos.push_back(linea[1]);
        if (linea[0] == "celda" && linea[1] == "Prom") celdas[linea[2]] = linea[3] + " " + linea[4];
    }
    EXPECT_EQ(celdas["A10"], "s ab");
    EXPECT_EQ(celdas["B10"], "s c\xC3\xAD\xC2\xA0" "d");  // í, then the no-break space; U+0080 dropped
    EXPECT_EQ(celdas["A1"], "s # Informe Potencia \xC2\xB7 MW etq");
    EXPECT_NE(std::find(titulos.begin(), titulos.end(), "Potencia \xC2\xB7 MW"), titulos.end());
    EXPECT_NE(std::find(titulos.begin(), titulos.end(), "Informe"), titulos.end());
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
