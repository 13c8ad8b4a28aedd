#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "models/uparques_modeloteorico.h"
#include "numerics/archivotexto.h"
#include "numerics/errores.h"
#include "numerics/uauxiliares.h"

namespace {

std::string Fixture(const std::string& nombre) { return std::string(QUENDAL_TEST_DATA) + "/parques/" + nombre; }

std::string LeerTodo(const std::string& ruta) {
    std::ifstream in(ruta, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Texto(const TParque_ModeloTeorico& p) {
    TEscritorTexto w = TEscritorTexto::EnMemoria();
    p.GuardarEnTexto(w);
    return w.Contenido();
}

std::unique_ptr<TParque_ModeloTeorico> DesdeTexto(const std::string& texto) {
    TLectorTexto r = TLectorTexto::DesdeTexto(texto, "prueba.pmt");
    return TParque_ModeloTeorico::Create_LeerDeTexto(r);
}

std::unique_ptr<TParque_ModeloTeorico> ParqueDeEjemplo() {
    auto p = TParque_ModeloTeorico::Create_Nuevo();
    p->nid = 77;
    p->nid_modelo = 1234;
    p->nombre = "Central Ñandú";
    p->nid_central_KOLM = 55;
    p->potencia_autorizada_mw = 12.5;
    p->potencia_nominal = 13.2;
    p->factor_kolm_scada = 0.987654321;
    p->meteo_utm_zona = 'H';
    p->meteo_utm_huso = 21;
    p->meteo_utm_xe = 612345.678;
    p->meteo_utm_yn = 6123456.789;
    p->meteo_etha.FijarElemento(3, 4, 0.8765432109876543);
    p->mat_vientos.FijarElemento(72, 10, 13.25);
    for (int i = 0; i < 3; ++i) {
        auto m = std::make_unique<TMolino>();
        m->nid = 900 + i;
        m->nid_curvaaero = 40 + i;
        m->nidcentral = 77;
        m->etha = 1 - 0.01 * i;
        m->posicion = TPosicion::Create_UTM(21, 'H', 612000.5 + 300 * i, 6123000.25 - 1.0 / 3 * i);
        m->posicion.x = -345.5 + 300 * i;
        m->posicion.y = -456.75 + 1.0 / 7 * i;
        TVectR v(4), pp(4);
        for (int k = 1; k <= 4; ++k) {
            v.pv[k] = 3 + 4 * k + 0.1 * i;
            pp.pv[k] = k == 4 ? 2 : 0.5 * k;
        }
        m->curva = TCurvaAerogen::Create(40 + i, "V90 " + std::to_string(i), 90 + i, v, pp);
        p->molinos.push_back(std::move(m));
    }
    p->Preparar();
    return p;
}

}  // namespace

TEST(ArchivoParque, Version5IdaYVueltaByteAByte) {
    const auto p = ParqueDeEjemplo();
    const std::string a = Texto(*p);
    const auto leido = DesdeTexto(a);
    EXPECT_EQ(Texto(*leido), a);
    EXPECT_EQ(a.substr(0, 10), "VERSION=5\n");

    EXPECT_EQ(leido->nid, 77);
    EXPECT_EQ(leido->nid_modelo, 1234);
    EXPECT_EQ(leido->nombre, "Central Ñandú");
    EXPECT_EQ(leido->nid_central_KOLM, 55);
    EXPECT_EQ(leido->factor_kolm_scada, 0.987654321);
    EXPECT_EQ(leido->potencia_nominal, 13.2);
    EXPECT_EQ(leido->meteo_utm_zona, 'H');
    EXPECT_EQ(leido->meteo_utm_yn, 6123456.789);
    EXPECT_EQ(leido->meteo_etha.Elemento(3, 4), 0.8765432109876543);
    EXPECT_EQ(leido->mat_vientos.Elemento(72, 10), 13.25);
    ASSERT_EQ(leido->nMolinos, 3);
    for (int i = 0; i < 3; ++i) {
        const TMolino& m = *leido->molinos[i];
        const TMolino& o = *p->molinos[i];
        EXPECT_EQ(m.nid, o.nid);
        EXPECT_EQ(m.nro, 0);
        EXPECT_EQ(m.etha, o.etha);
        EXPECT_EQ(m.posicion.x, o.posicion.x);
        EXPECT_EQ(m.posicion.y, o.posicion.y);
        EXPECT_EQ(m.posicion.yn, o.posicion.yn);
        EXPECT_EQ(m.curva.curva_v.pv, o.curva.curva_v.pv);
        EXPECT_EQ(m.curva.modelo, o.curva.modelo);
    }
    ASSERT_TRUE(leido->curvaParque);
    EXPECT_EQ(leido->curvaParque->curva_P.pv, p->curvaParque->curva_P.pv);
}

TEST(ArchivoParque, Version4SinNumeroKolm) {
    const auto p = TParque_ModeloTeorico::Create_LeerDeArchivo(Fixture("parque_v4.pmt"));
    EXPECT_EQ(p->nid, 31);
    EXPECT_EQ(p->nid_modelo, 502);
    EXPECT_EQ(p->nombre, "Parque Prueba Cuatro");
    EXPECT_EQ(p->potencia_autorizada_mw, 20);
    EXPECT_EQ(p->potencia_nominal, 18);
    EXPECT_EQ(p->factor_kolm_scada, 0.98);
    EXPECT_EQ(p->nid_central_KOLM, -1);
    EXPECT_EQ(p->meteo_etha.nf, 2);
    EXPECT_EQ(p->meteo_etha.Elemento(2, 1), 1.1);
    EXPECT_EQ(p->meteo_utm_zona, 'H');
    EXPECT_EQ(p->meteo_utm_huso, 19);
    EXPECT_EQ(p->meteo_utm_xe, 350250);
    ASSERT_EQ(p->nMolinos, 2);
    const TMolino& m = *p->molinos[0];
    EXPECT_EQ(m.nid, 101);
    EXPECT_EQ(m.nid_curvaaero, 11);
    EXPECT_EQ(m.nidcentral, 31);
    EXPECT_EQ(m.nro, 0);
    // The file's x and y stand, even where the UTM coordinates disagree.
    EXPECT_EQ(m.posicion.x, -250.5);
    EXPECT_EQ(m.posicion.y, 120.25);
    EXPECT_EQ(m.posicion.huso, 19);
    EXPECT_EQ(m.posicion.zona, 'H');
    EXPECT_EQ(m.posicion.xe, 350000.5);
    EXPECT_EQ(m.curva.modelo, "Aero X");
    EXPECT_EQ(m.curva.diametro, 90);
    EXPECT_EQ(m.etha, 0.97);
    EXPECT_EQ(p->molinos[1]->curva.n, 3);
    // The park curve is the sum of both curves on the first one's points.
    EXPECT_EQ(p->curvaParque->curva_P.pv[3], 2 + 1.5);  // 13 m/s: both curves at their top
    EXPECT_EQ(p->curvaParque->curva_P.pv[4], 2);        // 25 m/s is past the second curve's cut-out
    EXPECT_DOUBLE_EQ(p->coefPerdidas, 0.035 / 18);
}

// Files older than version 4 hold no metering factor. Read with a database
// connection they take it from `centrales` (test_parque_bd_curvas.cpp, where
// their other items are checked too); without one nothing stands in for it.
class VersionSinFactor : public ::testing::TestWithParam<std::pair<const char*, int>> {};

TEST_P(VersionSinFactor, SinConexionSeRechaza) {
    const std::string ruta = Fixture(GetParam().first);
    testing::internal::CaptureStdout();
    try {
        TParque_ModeloTeorico::Create_LeerDeArchivo(ruta);
        ADD_FAILURE() << "read without its metering factor";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Linea(), 1);
        EXPECT_EQ(e.Archivo(), ruta);
        const std::string mensaje = e.what();
        EXPECT_NE(mensaje.find("versión " + std::to_string(GetParam().second) + ", que no guarda factor_kolm_scada"),
                  std::string::npos)
            << mensaje;
        EXPECT_NE(mensaje.find("no hay conexión con la base de datos"), std::string::npos) << mensaje;
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(ProfundidadFormatosInvariantes(), 0);
}

INSTANTIATE_TEST_SUITE_P(Versiones, VersionSinFactor,
                         ::testing::Values(std::make_pair("parque_v2.pmt", 2), std::make_pair("parque_v1_crlf.pmt", 1)));

// The mast tables serve n_sectores_dir sectors: a count below 1, or tables
// with fewer rows, is refused at the count's line, naming both counts.
// The reader refuses tables with fewer rows than the sectors (a file
// written by other hands: this program's writer refuses such a park first).
TEST(ArchivoParque, TablasConMenosFilasQueSectoresSeRechazan) {
    auto p = ParqueDeEjemplo();
    p->meteo_etha = TMatR(2, 3);
    p->meteo_etha.Unos();
    p->mat_vientos = TMatR(2, 3);
    p->mat_vientos.Unos();
    p->n_sectores_dir = 2;
    const std::string texto = Texto(*p);
    EXPECT_EQ(DesdeTexto(texto)->n_sectores_dir, 2);
    auto conSectores = [&](const char* sectores) {
        std::string editado = texto;
        std::size_t inicio = 0;
        for (int linea = 1; linea < 6; ++linea) inicio = editado.find('\n', inicio) + 1;
        editado.replace(inicio, editado.find('\n', inicio) - inicio, sectores);
        return editado;
    };
    try {
        DesdeTexto(conSectores("72"));
        ADD_FAILURE() << "read";
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Las tablas meteo_etha y mat_vientos tienen 2 filas, menos que los 72 sectores de n_sectores_dir "
                  "(prueba.pmt, línea 6)");
    }
    EXPECT_EQ(ProfundidadFormatosInvariantes(), 0);
    EXPECT_THROW(DesdeTexto(conSectores("0")), EInOutError);
    EXPECT_EQ(ProfundidadFormatosInvariantes(), 0);
}

class LineaDeVersion : public ::testing::TestWithParam<std::pair<const char*, int32_t>> {};

// Only what follows the eighth character counts; above 5 reads as 5.
TEST_P(LineaDeVersion, SeLeeComoVersion) {
    std::string texto = Texto(*ParqueDeEjemplo());
    texto.replace(0, texto.find('\n'), GetParam().first);
    const auto p = DesdeTexto(texto);
    EXPECT_EQ(p->nid_central_KOLM, GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Versiones, LineaDeVersion,
                         ::testing::Values(std::make_pair("version=5", 55), std::make_pair("XXXXXXXX5", 55),
                                           std::make_pair("VERSION=9", 55)));

TEST(ArchivoParque, UnaVersionQueNoEsEnteraEsUnErrorDeConversion) {
    std::string texto = Texto(*ParqueDeEjemplo());
    texto.replace(0, 9, "VERSION=x");
    EXPECT_THROW(DesdeTexto(texto), EConvertError);
    EXPECT_EQ(ProfundidadFormatosInvariantes(), 0);
}

TEST(ArchivoParque, ParqueSinMolinos) {
    auto p = TParque_ModeloTeorico::Create_Nuevo();
    p->potencia_autorizada_mw = 0;
    p->potencia_nominal = 0;
    const auto leido = DesdeTexto(Texto(*p));
    EXPECT_EQ(leido->nMolinos, 0);
    EXPECT_FALSE(leido->curvaParque);
    EXPECT_EQ(leido->potencia_autorizada_mw, 1e-8);
    EXPECT_EQ(leido->potencia_nominal, 0);
    EXPECT_DOUBLE_EQ(leido->coefPerdidas, 0.035 * 1e8);
}

// Damaged files fail with the reader's error and leave the format switch as it was.
class ArchivoDanado : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(ArchivoDanado, FallaConClaridad) {
    std::string texto = Texto(*ParqueDeEjemplo());
    const std::string buscado = GetParam().first;
    const std::size_t donde = texto.find(buscado);
    ASSERT_NE(donde, std::string::npos);
    texto.replace(donde, buscado.size(), GetParam().second);
    EXPECT_THROW(DesdeTexto(texto), EInOutError);
    EXPECT_EQ(ProfundidadFormatosInvariantes(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Danos, ArchivoDanado,
    ::testing::Values(std::make_pair("\n3\n72\n", "\n-3\n72\n"),      // negative turbine count
                      std::make_pair("\n3\n72\n", "\n4\n72\n"),       // more turbines than blocks
                      std::make_pair("\n72\n10\n10\n", "\n72\n10\n9\n"),  // a row shorter than its matrix
                      std::make_pair("H\n21\n", "H\n2x1\n")));            // a number that does not read

TEST(ArchivoParque, TablasDeFormaDistintaSonUnError) {
    auto p = ParqueDeEjemplo();
    p->mat_vientos = TMatR(72, 9);
    EXPECT_THROW(DesdeTexto(Texto(*p)), EInOutError);
    EXPECT_EQ(ProfundidadFormatosInvariantes(), 0);
}

TEST(ArchivoParque, GuardarEnArchivoReemplazaElAnterior) {
    const auto dir = std::filesystem::temp_directory_path() / ("parque_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string ruta = (dir / "p.pmt").string();
    const auto p = ParqueDeEjemplo();
    TParque_ModeloTeorico::Create_Nuevo()->GuardarEnArchivo(ruta);
    p->GuardarEnArchivo(ruta);
    EXPECT_EQ(LeerTodo(ruta), Texto(*p));
    EXPECT_EQ(TParque_ModeloTeorico::Create_LeerDeArchivo(ruta)->nombre, "Central Ñandú");
    EXPECT_THROW(p->GuardarEnArchivo((dir / "falta" / "p.pmt").string()), EInOutError);
    EXPECT_THROW(TParque_ModeloTeorico::Create_LeerDeArchivo((dir / "no.pmt").string()), EInOutError);
    std::filesystem::remove_all(dir);
}
