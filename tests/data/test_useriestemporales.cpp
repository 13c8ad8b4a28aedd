// The multi-series file: every format version, line ends, errors with their
// line numbers, and series appended on demand.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "data/useriestemporales.h"
#include "numerics/formatsettings.h"
#include "numerics/uauxiliares.h"
#include "numerics/uevaluador.h"

namespace {

namespace fs = std::filesystem;

std::string Fixture(const char* nombre) { return std::string(QUENDAL_TEST_DATA) + "/series/" + nombre; }

// The Part's ten-line example with the given line end.
std::string EjemploV0(const std::string& fin) {
    std::string texto;
    for (const char* linea : {"2", "2017 1 1 0 0 0", "1/6", "3", "144", "v p", "1 5.5 0.3", "2 6 0.4", "3 7,0.5"})
        texto += std::string(linea) + fin;
    return texto;
}

class ArchivoDeSeries : public ::testing::Test {
protected:
    void SetUp() override {
        std::string plantilla = (fs::temp_directory_path() / "quendal_sas_XXXXXX").string();
        ASSERT_NE(mkdtemp(plantilla.data()), nullptr);
        carpeta_ = plantilla;
    }
    void TearDown() override { fs::remove_all(carpeta_); }

    std::string Escribir(const std::string& contenido, const std::string& nombre = "s.sas") {
        const std::string ruta = carpeta_ + "/" + nombre;
        std::ofstream(ruta, std::ios::binary) << contenido;
        return ruta;
    }

    std::string carpeta_;
};

void EsperarEjemplo(const TSeriesDeDatos& s) {
    EXPECT_EQ(s.NSeries, 2);
    EXPECT_EQ(s.NPuntos, 3);
    EXPECT_EQ(s.NCronicas, 1);
    EXPECT_DOUBLE_EQ(s.PeriodoDias, 1.0 / 144);
    EXPECT_EQ(s.dtPrimeraMuestra, EncodeDate(2017, 1, 1));
    EXPECT_EQ(s.Nombres(), (TDAofString{"v", "p"}));
    EXPECT_DOUBLE_EQ(s.DuracionCiclo(), 1.0);
    EXPECT_EQ(s.OrigenTiempo(), EncodeDate(2017, 1, 1));
    EXPECT_EQ(s.Fase(), 0);
}

void EsperarValores(TSeriesDeDatos& s, int32_t k, std::initializer_list<double> valores) {
    const TVectR& v = s.Serie(k);
    ASSERT_EQ(v.n, static_cast<int32_t>(valores.size()));
    int32_t i = 1;
    for (double x : valores) EXPECT_EQ(v.pv[i++], x) << "serie " << k << ", muestra " << i - 1;
}

class FinesDeLinea : public ArchivoDeSeries, public ::testing::WithParamInterface<const char*> {};

TEST_P(FinesDeLinea, ElEjemploDeDiezLineasSeLeeIgual) {
    auto s = TSeriesDeDatos::Create(Escribir(EjemploV0(GetParam())));
    EsperarEjemplo(*s);
    EsperarValores(*s, 0, {5.5, 6, 7});
    EsperarValores(*s, 1, {0.3, 0.4, 0.5});
    EXPECT_EQ(s->Tipos(), (TDAOfTipoSerie{SALIDA, SALIDA}));
    EXPECT_EQ(s->VersionFormato(), 0);
    EXPECT_EQ(s->NSalidas(), 2);
    EXPECT_EQ(s->NEntradas(), 0);
}

INSTANTIATE_TEST_SUITE_P(Finales, FinesDeLinea, ::testing::Values("\n", "\r\n", "\r"),
                         [](const auto& info) {
                             const std::string fin = info.param;
                             return fin == "\n" ? std::string("LF") : fin == "\r\n" ? std::string("CRLF") : std::string("CR");
                         });

TEST_F(ArchivoDeSeries, VersionUnoMarcaLasEntradasPorColumna) {
    auto s = TSeriesDeDatos::Create(Fixture("ejemplo_v1.sas"));
    EsperarEjemplo(*s);
    EXPECT_EQ(s->VersionFormato(), 1);
    EXPECT_EQ(s->Tipos(), (TDAOfTipoSerie{ENTRADA, SALIDA}));
    EXPECT_EQ(s->NombresEntradas(), TDAofString{"v"});
    EXPECT_EQ(s->NombresSalidas(), TDAofString{"p"});
    ASSERT_EQ(s->SeriesEntrada().size(), 1u);
    EXPECT_EQ(s->SeriesEntrada()[0], &s->Serie(0));
    EXPECT_EQ(s->SeriesSalida()[0], &s->Serie(1));
}

TEST_F(ArchivoDeSeries, VersionDosConMarcaDeOrdenYCRLFYBanderaCorta) {
    auto s = TSeriesDeDatos::Create(Fixture("ejemplo_v2_bom.sas"));
    EsperarEjemplo(*s);
    EXPECT_EQ(s->VersionFormato(), 2);
    EXPECT_EQ(s->Tipos(), (TDAOfTipoSerie{ENTRADA, SALIDA}));  // flag line "x" alone
    EsperarValores(*s, 1, {0.3, 0.4, 0.5});
}

TEST_F(ArchivoDeSeries, BytesNoImprimiblesAntesDeLaMarcaDeVersion) {
    const std::string v1 = "VERSION_FORMATO_SERIES 2\n2\n2017 1 1 0 0 0\n1/6\n3\n144\nx-\nv p\n1 5.5 0.3\n2 6 0.4\n3 7,0.5\n";
    auto s = TSeriesDeDatos::Create(Escribir("\x01\x7f\t\xff" + v1));
    EXPECT_EQ(s->VersionFormato(), 2);
    EsperarEjemplo(*s);
}

TEST_F(ArchivoDeSeries, VersionCeroOMenorEnLaLineaDeVersionTomaLasSeriesDeLaMismaLinea) {
    auto s = TSeriesDeDatos::Create(
        Escribir("VERSION_FORMATO_SERIES 0 2\n2017 1 1 0 0 0\n1/6\n3\n144\nv p\n1 5.5 0.3\n2 6 0.4\n3 7,0.5\n"));
    EXPECT_EQ(s->VersionFormato(), 0);
    EsperarEjemplo(*s);
    EsperarValores(*s, 0, {5.5, 6, 7});
}

TEST_F(ArchivoDeSeries, VersionTresLeeCadaCronicaConLosNombresDeLaPrimera) {
    auto s = TSeriesDeDatos::Create(Fixture("ejemplo_v3.sas"));
    EXPECT_EQ(s->VersionFormato(), 3);
    EXPECT_EQ(s->NCronicas, 2);
    EXPECT_EQ(s->Nombres(), (TDAofString{"v", "p"}));
    EXPECT_EQ(s->Tipos(), (TDAOfTipoSerie{SALIDA, ENTRADA}));
    EXPECT_EQ(s->CronicaActual(), 1);
    EsperarValores(*s, 0, {5.5, 6, 7});
    s->SeleccionarCronica(2);
    EsperarValores(*s, 0, {15.5, 16, 17});
    EsperarValores(*s, 1, {1.3, 1.4, 1.5});
    EXPECT_EQ(s->SeriesEntrada()[0], &s->Serie(1));
    EXPECT_THROW(s->SeleccionarCronica(3), EErrorQuendal);
    EXPECT_THROW(s->SeleccionarCronica(0), EErrorQuendal);
}

// Plain numbers take a fast path; each value must be bit for bit the
// evaluator's.
TEST_F(ArchivoDeSeries, LosNumerosDanElValorDelEvaluador) {
    const std::vector<std::string> tokens{"0.1", "-0", "-0.0", "5.", "0005", "-7.25e-3", "1.5E+003",
                                          "123456789012345678901234567890", "1e308", "2.2250738585072014E-308",
                                          "4.9E-324", "1E-400", "1e-0400", "1/3", "SQRT(2)", ".5", "-2*3"};
    std::string texto = "1\n2020 2 29 23 50 0\n1/6\n" + std::to_string(tokens.size()) + "\n144\nx\n";
    for (std::size_t k = 0; k < tokens.size(); ++k) texto += std::to_string(k) + "\t" + tokens[k] + "\n";
    auto s = TSeriesDeDatos::Create(Escribir(texto));
    const TVectR& v = s->Serie(0);
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        ApilarFormatosInvariantes();
        const double esperado = CadenaAReal(tokens[k]);
        DesapilarFormatosInvariantes();
        EXPECT_EQ(std::bit_cast<uint64_t>(v.pv[k + 1]), std::bit_cast<uint64_t>(esperado)) << tokens[k];
    }
    EXPECT_EQ(s->dtPrimeraMuestra, EncodeDateTime(2020, 2, 29, 23, 50, 0, 0));
}

struct CasoDeError {
    const char* nombre;
    std::string contenido;
    int linea;
};

void PrintTo(const CasoDeError& caso, std::ostream* os) { *os << caso.nombre; }

std::string ConLinea(int numero, const std::string& reemplazo) {
    std::string texto;
    int i = 1;
    for (const char* linea : {"2", "2017 1 1 0 0 0", "1/6", "3", "144", "v p", "1 5.5 0.3", "2 6 0.4", "3 7,0.5"})
        texto += (i++ == numero ? reemplazo : std::string(linea)) + "\n";
    return texto;
}

class ErroresDeLectura : public ArchivoDeSeries, public ::testing::WithParamInterface<CasoDeError> {};

TEST_P(ErroresDeLectura, DicenCuantasLineasSeLeyeronYDevuelvenElFormato) {
    const CasoDeError& caso = GetParam();
    // A user separator of ',' that the read's own switch must give back.
    AjustesFormato().DecimalSeparator = ',';
    InicializarUAuxiliares();
    try {
        TSeriesDeDatos::Create(Escribir(caso.contenido));
        ADD_FAILURE() << "no error";
    } catch (const ELecturaSeries& e) {
        EXPECT_STREQ(e.what(), ("Error leyendo línea: " + std::to_string(caso.linea)).c_str()) << e.Causa();
        EXPECT_EQ(e.LineasLeidas(), caso.linea);
    }
    EXPECT_EQ(AjustesFormato().DecimalSeparator, ',');
    EXPECT_EQ(ProfundidadFormatosInvariantes(), 0);
    AjustesFormato() = FormatSettings{};
    InicializarUAuxiliares();
}

INSTANTIATE_TEST_SUITE_P(
    Casos, ErroresDeLectura,
    ::testing::Values(CasoDeError{"LineaDeMuestraCorta", ConLinea(8, "2 6"), 8},
                      CasoDeError{"ArchivoTruncado", ConLinea(9, "").substr(0, ConLinea(9, "").size() - 1), 9},
                      CasoDeError{"MesTrece", ConLinea(2, "2017 13 1 0 0 0"), 9},
                      CasoDeError{"HoraInexistente", ConLinea(2, "2017 1 1 24 0 0"), 9},
                      CasoDeError{"SeriesNoEntero", ConLinea(1, "dos"), 1},
                      CasoDeError{"SeriesNegativo", ConLinea(1, "-2"), 1},
                      CasoDeError{"FechaIncompleta", ConLinea(2, "2017 1 1 0 0"), 2},
                      CasoDeError{"PeriodoCero", ConLinea(3, "0"), 3},
                      CasoDeError{"PeriodoNegativo", ConLinea(3, "-1/6"), 3},
                      CasoDeError{"MuestrasNegativo", ConLinea(4, "-3"), 4},
                      CasoDeError{"ValorQueNoSeEvalua", ConLinea(7, "1 5.5x 0.3"), 7},
                      CasoDeError{"ValorQueDesborda", ConLinea(9, "3 1E400 1"), 9},
                      // Two thousand million declared samples: nothing of that size is
                      // allocated; the read fails where the file ends.
                      CasoDeError{"MuestrasQueElArchivoNoContiene", ConLinea(4, "2000000000"), 10},
                      CasoDeError{"SeriesQueElArchivoNoContiene", ConLinea(1, "2000000000"), 1},
                      CasoDeError{"CronicasQueElArchivoNoContiene",
                                  "VERSION_FORMATO_SERIES 3\n2\n2017 1 1 0 0 0\n1/6\n0\n144\n2000000000\n-x\n", 7},
                      CasoDeError{"CronicasCero",
                                  "VERSION_FORMATO_SERIES 3\n2\n2017 1 1 0 0 0\n1/6\n3\n144\n0\n-x\n", 7},
                      CasoDeError{"Vacio", "", 1}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST_F(ArchivoDeSeries, ArchivoQueNoExisteFallaConCeroLineas) {
    AjustesFormato().DecimalSeparator = ',';
    InicializarUAuxiliares();
    try {
        TSeriesDeDatos::Create(carpeta_ + "/no_existe.sas");
        ADD_FAILURE() << "no error";
    } catch (const ELecturaSeries& e) {
        EXPECT_STREQ(e.what(), "Error leyendo línea: 0");
    }
    EXPECT_EQ(AjustesFormato().DecimalSeparator, ',');
    AjustesFormato() = FormatSettings{};
    InicializarUAuxiliares();
}

TEST_F(ArchivoDeSeries, SerieQueFaltaSeAgregaEnCerosYLasAnterioresSiguenValidas) {
    std::string texto = "9\n2017 1 1 0 0 0\n1/6\n2\n144\nvel dir pot t p h cgm disp var\n";
    texto += "1 1 2 3 4 5 6 7 8 9\n2 11 12 13 14 15 16 17 18 19\n";
    auto s = TSeriesDeDatos::Create(Escribir(texto));
    TVectR& velocidad = s->Serie(0);
    TVectR& varianza = s->Serie(8);
    s->Serie(3);
    EXPECT_EQ(s->NSeries, 9);
    TVectR& nueva = s->Serie(10);
    EXPECT_EQ(s->NSeries, 11);
    EXPECT_EQ(s->Nombres()[9], "sa_9");
    EXPECT_EQ(s->Nombres()[10], "sa_10");
    EXPECT_EQ(s->Tipos()[10], SALIDA);
    EXPECT_EQ(nueva.n, 2);
    EXPECT_EQ(nueva.pv[1], 0);
    EXPECT_EQ(nueva.pv[2], 0);
    // References taken before the additions still hold the file's values.
    EXPECT_EQ(&velocidad, &s->Serie(0));
    EXPECT_EQ(velocidad.pv[2], 11);
    EXPECT_EQ(varianza.pv[1], 9);
    EXPECT_EQ(s->NSalidas(), 11);
    EXPECT_THROW(s->Serie(-1), EErrorQuendal);
}

TEST_F(ArchivoDeSeries, AgregarSerieTomaLosVectoresDadosOLosRechaza) {
    auto s = TSeriesDeDatos::Create(Fixture("ejemplo_v3.sas"));
    std::vector<TVectR> vectores;
    vectores.push_back(TVectR::Create_ConValor(3, 1.0));
    vectores.push_back(TVectR::Create_ConValor(3, 2.0));
    s->AgregarSerie("nueva", std::move(vectores), ENTRADA);
    EXPECT_EQ(s->NSeries, 3);
    EXPECT_EQ(s->NEntradas(), 2);
    EXPECT_EQ(s->NombresEntradas(), (TDAofString{"p", "nueva"}));
    EsperarValores(*s, 2, {1, 1, 1});
    s->SeleccionarCronica(2);
    EsperarValores(*s, 2, {2, 2, 2});

    std::vector<TVectR> uno;
    uno.push_back(TVectR::Create(3));
    EXPECT_THROW(s->AgregarSerie("corta", std::move(uno), SALIDA), EErrorQuendal);
    std::vector<TVectR> cortos;
    cortos.push_back(TVectR::Create(2));
    cortos.push_back(TVectR::Create(3));
    EXPECT_THROW(s->AgregarSerie("corta", std::move(cortos), SALIDA), EErrorQuendal);
    EXPECT_EQ(s->NSeries, 3);
}

TEST_F(ArchivoDeSeries, FechasDeLasMuestrasYDelCiclo) {
    auto s = TSeriesDeDatos::Create(Fixture("ejemplo_v0.sas"));
    EXPECT_EQ(s->FechaMuestra(1), s->dtPrimeraMuestra);
    EXPECT_EQ(DecodeDateTime(s->FechaMuestra(145)), (TFechaHora{2017, 1, 2, 0, 0, 0, 0}));

    // A yearly cycle counts from 1 January; a cycle under 0.9 days has no phase.
    const std::string anual = "1\n2017 3 2 12 0 0\n1\n2\n8760\nx\n1 1\n2 2\n";
    auto a = TSeriesDeDatos::Create(Escribir(anual, "anual.sas"));
    EXPECT_EQ(a->OrigenTiempo(), EncodeDate(2017, 1, 1));
    EXPECT_DOUBLE_EQ(a->Fase(), (EncodeDateTime(2017, 3, 2, 12, 0, 0, 0) - EncodeDate(2017, 1, 1)) / 365.0);
    const std::string corto = "1\n2017 3 2 12 0 0\n1\n2\n6\nx\n1 1\n2 2\n";
    auto c = TSeriesDeDatos::Create(Escribir(corto, "corto.sas"));
    EXPECT_EQ(c->OrigenTiempo(), c->dtPrimeraMuestra);
    EXPECT_EQ(c->Fase(), 0);
    // A daily cycle counts from the first day.
    EXPECT_EQ(s->PrimerDia(), EncodeDate(2017, 1, 1));
}

}  // namespace
