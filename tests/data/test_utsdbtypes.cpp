// Metering windows: their stream form, grid arithmetic, editing operations,
// exports and the series catalogue.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <ostream>
#include <sstream>
#include <string>

#include "data/utsdbTypes.h"
#include "numerics/errores.h"
#include "numerics/formatsettings.h"

namespace {

// Little-endian bytes laid out by hand, independently of the window code.
class TBytes {
public:
    TBytes& Entero(int32_t k) { return Agregar(&k, 4); }
    TBytes& Real(double x) { return Agregar(&x, 8); }
    TBytes& Byte(uint8_t b) { return Agregar(&b, 1); }
    TBytes& Texto(const std::string& s) { return Agregar(s.data(), s.size()); }
    TBytes& Registro(double valor, uint8_t calidad, double alta) { return Real(valor).Byte(calidad).Real(alta); }
    const std::string& str() const { return bytes_; }

private:
    TBytes& Agregar(const void* p, std::size_t n) {
        bytes_.append(static_cast<const char*>(p), n);
        return *this;
    }
    std::string bytes_;
};

const TDateTime Inicio2019 = 43466;  // 1 January 2019
const TDateTime UnaHora = 1.0 / 24;

std::string Escribir(const TVentana& v) {
    std::stringstream flujo;
    v.writeHeader(flujo);
    v.writeData(flujo);
    return flujo.str();
}

std::unique_ptr<TVentanaKOLMHoraria> LeerHoraria(const std::string& bytes) {
    std::stringstream flujo(bytes);
    return TVentanaKOLMHoraria::CreateFromStream(flujo);
}

// The body of two hourly records the data service would send: a value and an
// empty record.
std::string CuerpoDeDosRegistros() {
    return TBytes()
        .Entero(1)
        .Entero(7)
        .Real(Inicio2019)
        .Entero(34)
        .Registro(1.5, 1, Inicio2019 + 0.5)
        .Registro(-11000, 0, 0)
        .str();
}

// ---- Creation ----

struct CasoAnio {
    const TClaseVentana* clase;
    int anio;
    int32_t registros;
};

void PrintTo(const CasoAnio& c, std::ostream* os) { *os << c.clase->nombre << " " << c.anio; }


class CreacionDeUnAnio : public ::testing::TestWithParam<CasoAnio> {};

TEST_P(CreacionDeUnAnio, TieneElAnioEnteroDeRegistrosVacios) {
    const CasoAnio c = GetParam();
    const auto v = c.clase->Create(5, EncodeDateTime(c.anio, 7, 14, 13, 20, 0, 0));
    EXPECT_EQ(v->count(), c.registros);
    EXPECT_EQ(v->version, 1);
    EXPECT_EQ(v->id, 5);
    EXPECT_EQ(v->start, EncodeDate(c.anio, 1, 1));
    const auto* regular = dynamic_cast<const TVentanaKOLM_*>(v.get());
    ASSERT_NE(regular, nullptr);
    for (int32_t i = 0; i < v->count(); ++i) ASSERT_TRUE(regular->Registro(i).EsVacioExacto()) << i;
}

INSTANTIATE_TEST_SUITE_P(Clases, CreacionDeUnAnio,
                         ::testing::Values(CasoAnio{&ClaseVentanaKOLMHoraria, 2019, 8760},
                                           CasoAnio{&ClaseVentanaKOLMHoraria, 2020, 8784},
                                           CasoAnio{&ClaseVentanaKOLM15Min, 2019, 35040},
                                           CasoAnio{&ClaseVentanaKOLM15Min, 2020, 35136},
                                           CasoAnio{&ClaseVentanaRO10Min, 2019, 52560},
                                           CasoAnio{&ClaseVentanaRO10Min, 2020, 52704}));

TEST(VentanaLog, SeCreaSinEntradasConElInicioDelAnio) {
    const auto log = TVentanaLogKOLM::Create(3, EncodeDate(2018, 5, 2));
    EXPECT_EQ(log->count(), 0);
    EXPECT_EQ(log->version, 1);
    EXPECT_EQ(log->start, EncodeDate(2018, 1, 1));
}

// ---- Stream form ----

TEST(FlujoDeVentana, ElCuerpoDeDosRegistrosDaSusValoresHorarios) {
    const auto v = LeerHoraria(CuerpoDeDosRegistros());
    EXPECT_EQ(v->version, 1);
    EXPECT_EQ(v->id, 7);
    EXPECT_EQ(v->start, Inicio2019);
    EXPECT_EQ(v->logObserver, nullptr);
    ASSERT_EQ(v->count(), 2);
    const TVectR valores = v->toVectR();
    ASSERT_EQ(valores.n, 2);
    EXPECT_EQ(valores.pv[1], 1.5);
    EXPECT_EQ(valores.pv[2], -11000);
    EXPECT_EQ(v->Registro(0), (TRecMedidaKOLM{1.5, 1, Inicio2019 + 0.5}));
}

TEST(FlujoDeVentana, EscribirLoLeidoDaLosMismosBytes) {
    const std::string cuerpo = CuerpoDeDosRegistros();
    ASSERT_EQ(cuerpo.size(), 54u);
    EXPECT_EQ(Escribir(*LeerHoraria(cuerpo)), cuerpo);
}

TEST(FlujoDeVentana, UnAnioBisiestoEnteroOcupa149348Bytes) {
    const auto v = TVentanaKOLMHoraria::Create(1, EncodeDate(2020, 3, 1));
    v->insert(EncodeDateTime(2020, 2, 29, 23, 0, 0, 0), TRecMedidaKOLM{2.25, 1, 43900});
    const std::string bytes = Escribir(*v);
    EXPECT_EQ(bytes.size(), 149348u);
    const auto leida = LeerHoraria(bytes);
    EXPECT_EQ(leida->data, v->data);
    EXPECT_EQ(leida->start, v->start);
}

TEST(FlujoDeVentana, LosBytesSobrantesDeUnRegistroIncompletoNoCuentan) {
    const std::string cuerpo =
        TBytes().Entero(1).Entero(7).Real(Inicio2019).Entero(20).Registro(3, 1, 0).Texto("abc").str();
    EXPECT_EQ(LeerHoraria(cuerpo)->count(), 1);
}

struct CasoCuerpoInvalido {
    const char* nombre;
    std::string bytes;
};

void PrintTo(const CasoCuerpoInvalido& c, std::ostream* os) { *os << c.nombre; }


class CuerpoQueNoEsVentana : public ::testing::TestWithParam<CasoCuerpoInvalido> {};

TEST_P(CuerpoQueNoEsVentana, SeRechazaConUnErrorClaro) {
    try {
        LeerHoraria(GetParam().bytes);
        FAIL() << "se aceptó como ventana";
    } catch (const EInOutError& e) {
        EXPECT_NE(std::string(e.what()).find("Ventana de medidas"), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cuerpos, CuerpoQueNoEsVentana,
    ::testing::Values(
        CasoCuerpoInvalido{"vacio", ""},
        CasoCuerpoInvalido{"cabecera_cortada", TBytes().Entero(1).Entero(7).str()},
        CasoCuerpoInvalido{"cuenta_cortada", TBytes().Entero(1).Entero(7).Real(Inicio2019).Byte(3).str()},
        CasoCuerpoInvalido{"cuenta_negativa", TBytes().Entero(1).Entero(7).Real(Inicio2019).Entero(-17).str()},
        CasoCuerpoInvalido{"faltan_registros",
                           TBytes().Entero(1).Entero(7).Real(Inicio2019).Entero(34).Registro(1, 1, 0).str()},
        CasoCuerpoInvalido{"pagina_html",
                           "<!DOCTYPE html><html><body><h1>Servicio no disponible</h1></body></html>"}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST(FlujoDeVentana, UnVacioExplicaQueNoTraeBytes) {
    EXPECT_THROW(
        {
            try {
                LeerHoraria("");
            } catch (const EInOutError& e) {
                EXPECT_STREQ(e.what(), "Ventana de medidas vacía: el flujo no trae ningún byte.");
                throw;
            }
        },
        EInOutError);
}

class Completado15Min : public ::testing::TestWithParam<int32_t> {};

TEST_P(Completado15Min, SoloUnAnioAlQueLeFaltaUnRegistroSeCompletaConCeros) {
    const int32_t enviados = GetParam();
    TBytes cuerpo;
    cuerpo.Entero(1).Entero(9).Real(Inicio2019).Entero(enviados * 17);
    for (int32_t i = 0; i < enviados; ++i) cuerpo.Registro(-11000, 0, 0);
    std::stringstream flujo(cuerpo.str());
    const auto v = TVentanaKOLM15Min::CreateFromStream(flujo);
    const int32_t esperados = enviados == 35039 ? 35040 : enviados;
    ASSERT_EQ(v->count(), esperados);
    const TRecMedidaKOLM ultimo = v->Registro(esperados - 1);
    EXPECT_EQ(ultimo.valor, enviados == 35039 ? 0.0 : -11000.0);
}

INSTANTIATE_TEST_SUITE_P(Cuentas, Completado15Min, ::testing::Values(35038, 35039, 35040));

// ---- Grid arithmetic ----

struct CasoIndice {
    double desplazamientoDias;
    bool enLaGrilla;
    int32_t indice;
};

void PrintTo(const CasoIndice& c, std::ostream* os) { *os << c.desplazamientoDias << " días"; }


class TiempoAIndiceHorario : public ::testing::TestWithParam<CasoIndice> {};

TEST_P(TiempoAIndiceHorario, DaElIndiceSoloSobreLaGrilla) {
    const CasoIndice c = GetParam();
    const auto v = TVentanaKOLMHoraria::Create(1, Inicio2019);
    int32_t indice = 12345;
    EXPECT_EQ(v->timeToIndex(v->start + c.desplazamientoDias, indice), c.enLaGrilla);
    if (c.enLaGrilla) {
        EXPECT_EQ(indice, c.indice);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tiempos, TiempoAIndiceHorario,
    ::testing::Values(CasoIndice{1.5 * UnaHora, false, 0}, CasoIndice{2 * UnaHora, true, 2},
                      CasoIndice{-UnaHora, true, -1}, CasoIndice{8760 * UnaHora, true, 8760},
                      CasoIndice{std::numeric_limits<double>::quiet_NaN(), false, 0},
                      CasoIndice{1e12, false, 0}, CasoIndice{-1e12, false, 0}));

TEST(IndiceATiempo, VuelveAlTiempoDelSlot) {
    const auto v = TVentanaRO10Min::Create(1, Inicio2019);
    TDateTime t = 0;
    ASSERT_TRUE(v->indexToTime(9, t));
    EXPECT_DOUBLE_EQ(t, Inicio2019 + 1.5 * UnaHora);
    int32_t i = 0;
    ASSERT_TRUE(v->timeToIndex(t, i));
    EXPECT_EQ(i, 9);
}

// ---- insert, update, delete ----

class EdicionHoraria : public ::testing::Test {
protected:
    std::unique_ptr<TVentanaKOLMHoraria> v = TVentanaKOLMHoraria::Create(4, Inicio2019);
    const TDateTime t = Inicio2019 + 10 * UnaHora;
};

TEST_F(EdicionHoraria, InsertarNoPisaUnSlotOcupado) {
    EXPECT_TRUE(v->insert(t, TRecMedidaKOLM{1.0, 1, 1}));
    EXPECT_FALSE(v->insert(t, TRecMedidaKOLM{2.0, 1, 2}));
    EXPECT_EQ(v->Registro(10), (TRecMedidaKOLM{1.0, 1, 1}));
}

TEST_F(EdicionHoraria, UnValorDeCalidadCeroCuentaComoLibre) {
    EXPECT_TRUE(v->insert(t, TRecMedidaKOLM{1.0, 0, 1}));
    EXPECT_TRUE(v->insert(t, TRecMedidaKOLM{2.0, 1, 2}));
    EXPECT_EQ(v->Registro(10).valor, 2.0);
}

TEST_F(EdicionHoraria, InsertarFueraDeLaGrillaFalla) {
    try {
        v->insert(t + UnaHora / 2, TRecMedidaKOLM{1.0, 1, 1});
        FAIL();
    } catch (const EErrorQuendal& e) {
        EXPECT_STREQ(e.what(), "TVentanaKOLM.insert: ERROR EN LA FECHA");
    }
}

TEST_F(EdicionHoraria, FueraDelAnioNoSeEscribeNada) {
    const std::vector<uint8_t> antes = v->data;
    const TRecMedidaKOLM r{1.0, 1, 1};
    EXPECT_FALSE(v->insert(Inicio2019 - UnaHora, r));
    EXPECT_FALSE(v->insert(Inicio2019 + 8760 * UnaHora, r));
    EXPECT_FALSE(v->update(Inicio2019 + 9000 * UnaHora, r));
    EXPECT_EQ(v->data, antes);
}

TEST_F(EdicionHoraria, ConIdCeroInsertarAgregaAlFinal) {
    v->id = 0;
    EXPECT_TRUE(v->insert(std::numeric_limits<double>::quiet_NaN(), TRecMedidaKOLM{8.0, 1, 0}));
    ASSERT_EQ(v->count(), 8761);
    EXPECT_EQ(v->Registro(8760).valor, 8.0);
}

TEST_F(EdicionHoraria, ActualizarUnSlotVacioExactoDaFalso) {
    EXPECT_FALSE(v->update(t, TRecMedidaKOLM{1.0, 1, 1}));
    EXPECT_TRUE(v->Registro(10).EsVacioExacto());
}

TEST_F(EdicionHoraria, ActualizarFueraDeLaGrillaFalla) {
    try {
        v->update(t + 1e-3, TRecMedidaKOLM{1.0, 1, 1});
        FAIL();
    } catch (const EErrorQuendal& e) {
        EXPECT_STREQ(e.what(), "TVentanaKOLM.update: ERROR EN LA FECHA.");
    }
}

TEST_F(EdicionHoraria, ActualizarGuardaLoAnteriorEnElLog) {
    const auto log = TVentanaLogKOLM::Create(4, Inicio2019);
    v->logObserver = log.get();
    v->insert(t, TRecMedidaKOLM{1.0, 1, 5});
    EXPECT_TRUE(v->update(t, TRecMedidaKOLM{2.0, 2, 6}));
    EXPECT_EQ(v->Registro(10), (TRecMedidaKOLM{2.0, 2, 6}));
    ASSERT_EQ(log->count(), 1);
    EXPECT_EQ(log->Entrada(0), (TRecMedidaLogKOLM{t, 1.0, 1, 5}));
}

TEST_F(EdicionHoraria, BorrarVaciaSoloLosSlotsConDatos) {
    const TDateTime momentoDelBorrado = 43500.25;
    v->reloj = [=] { return momentoDelBorrado; };
    const auto log = TVentanaLogKOLM::Create(4, Inicio2019);
    v->logObserver = log.get();
    for (int h : {10, 12, 14}) v->insert(Inicio2019 + h * UnaHora, TRecMedidaKOLM{1.0 * h, 1, 1});
    EXPECT_EQ(v->delete_(Inicio2019 + 10 * UnaHora, Inicio2019 + 14 * UnaHora), 3);
    for (int h : {10, 12, 14}) EXPECT_EQ(v->Registro(h), (TRecMedidaKOLM{-11000, 0, momentoDelBorrado})) << h;
    for (int h : {11, 13}) EXPECT_TRUE(v->Registro(h).EsVacioExacto()) << h;
    ASSERT_EQ(log->count(), 3);
    EXPECT_EQ(log->Entrada(1), (TRecMedidaLogKOLM{Inicio2019 + 12 * UnaHora, 12.0, 1, 1}));
    // A deleted slot is not the exact empty record: update takes it.
    EXPECT_TRUE(v->update(Inicio2019 + 12 * UnaHora, TRecMedidaKOLM{7.0, 1, 2}));
}

TEST_F(EdicionHoraria, BorrarMasAllaDelAnioSeDetieneEnElUltimoSlot) {
    v->insert(Inicio2019 + 8759 * UnaHora, TRecMedidaKOLM{3.0, 1, 1});
    EXPECT_EQ(v->delete_(Inicio2019 + 8000 * UnaHora, Inicio2019 + 20000 * UnaHora), 1);
    EXPECT_EQ(v->delete_(Inicio2019 + 3 * UnaHora, Inicio2019 + 2 * UnaHora), 0);
    EXPECT_EQ(v->delete_(Inicio2019 + 0.3 * UnaHora, Inicio2019 + 2 * UnaHora), 0);
}

// ---- copyTo ----

TEST_F(EdicionHoraria, CopiarEntreLasHorasConUnSegundoDeTolerancia) {
    const TDateTime dia = Inicio2019 + 20;
    for (int h = 0; h < 24; ++h) v->insert(dia + h * UnaHora, TRecMedidaKOLM{1.0 * h, 1, 1});
    v->insert(dia + 1, TRecMedidaKOLM{99.0, 1, 1});  // next midnight, inside the scan
    const auto destino = TVentanaKOLMHoraria::Create(8, EncodeDate(2019, 6, 1));
    EXPECT_TRUE(v->copyTo(dia + 10.5 * UnaHora, dia + 11.5 * UnaHora, *destino));
    int copiados = 0;
    for (int32_t i = 0; i < destino->count(); ++i) copiados += destino->Registro(i).EsVacioExacto() ? 0 : 1;
    EXPECT_EQ(copiados, 1);
    EXPECT_EQ(destino->Registro(20 * 24 + 11).valor, 11.0);
}

TEST_F(EdicionHoraria, CopiarConElFinAntesDelInicioNoCopiaNada) {
    v->insert(t, TRecMedidaKOLM{1.0, 1, 1});
    const auto destino = TVentanaKOLMHoraria::Create(8, Inicio2019);
    EXPECT_FALSE(v->copyTo(t + UnaHora, t, *destino));
    EXPECT_FALSE(v->copyTo(std::nan(""), t, *destino));
    EXPECT_TRUE(destino->Registro(10).EsVacioExacto());
}

TEST_F(EdicionHoraria, CopiarAUnDestinoDeOtroTipoDeRegistroFalla) {
    const auto log = TVentanaLogKOLM::Create(4, Inicio2019);
    EXPECT_THROW(v->copyTo(t, t, *log), EErrorQuendal);
    EXPECT_THROW(log->copyTo(t, t, *v), EErrorQuendal);
    EXPECT_EQ(log->count(), 0);
}

// ---- Change log ----

TEST(VentanaLog, CopiaLasEntradasDeSuRangoYNoEditaNiBorra) {
    const auto log = TVentanaLogKOLM::Create(4, Inicio2019);
    for (int k = 1; k <= 4; ++k) EXPECT_TRUE(log->insert(0, TRecMedidaLogKOLM{Inicio2019 + k, 1.0 * k, 1, 0}));
    ASSERT_EQ(log->count(), 4);
    const auto destino = TVentanaLogKOLM::Create(4, Inicio2019);
    EXPECT_TRUE(log->copyTo(Inicio2019 + 2, Inicio2019 + 3, *destino));
    ASSERT_EQ(destino->count(), 2);
    EXPECT_EQ(destino->Entrada(0).valor, 2.0);
    EXPECT_EQ(destino->Entrada(1).valor, 3.0);

    try {
        log->update(0, TRecMedidaKOLM{});
        FAIL();
    } catch (const EErrorQuendal& e) {
        EXPECT_STREQ(e.what(), "TVentanaLogKOLM.update: *** NO IMPLEMTADO ***");
    }
    try {
        log->delete_(0, 1);
        FAIL();
    } catch (const EErrorQuendal& e) {
        EXPECT_STREQ(e.what(), "TVentanaLogKOLM.delete: *** NO IMPLEMTADO ***");
    }
    EXPECT_EQ(log->toVectR().n, 0);
}

// ---- Exports ----

TEST(ExportesDeVentana, TextoConSinDatoEnLosSlotsVacios) {
    const auto v = TVentanaKOLMHoraria::Create(4, Inicio2019);
    v->insert(Inicio2019, TRecMedidaKOLM{1.5, 3, Inicio2019 + 0.5});
    std::string texto;
    v->toText(texto, ';');
    std::istringstream lineas(texto);
    std::string linea;
    std::getline(lineas, linea);
    EXPECT_EQ(linea, "Fecha;Valor;Calidad;Alta");
    std::getline(lineas, linea);
    EXPECT_EQ(linea, "01/01/2019 00:00:00;1.5000;3;01/01/2019 12:00:00");
    std::getline(lineas, linea);
    EXPECT_EQ(linea, "01/01/2019 01:00:00;s/d;0;s/d");
    int resto = 1;
    while (std::getline(lineas, linea)) ++resto;
    EXPECT_EQ(resto, 8759);
    EXPECT_EQ(texto.back(), '\n');
}

TEST(ExportesDeVentana, XMLDeUnRegistroEnUnaSolaLinea) {
    std::stringstream flujo(
        TBytes().Entero(1).Entero(7).Real(Inicio2019).Entero(17).Registro(1.5, 3, 0).str());
    const auto v = TVentanaKOLMHoraria::CreateFromStream(flujo);
    std::string xml;
    v->toXML(xml);
    EXPECT_EQ(xml,
              "<Dataset><Rec0><Fecha>01/01/2019 00:00:00</Fecha><Valor>1.5000</Valor>"
              "<Calidad>3</Calidad><Alta>30/12/1899 00:00:00</Alta></Rec0></Dataset>");
}

TEST(ExportesDeVentana, XMLDelRegistroNumeraSusEntradasDesdeCero) {
    const auto log = TVentanaLogKOLM::Create(4, Inicio2019);
    log->insert(0, TRecMedidaLogKOLM{Inicio2019 + 0.25, 2, 1, Inicio2019 + 0.5});
    log->insert(0, TRecMedidaLogKOLM{Inicio2019 + 0.75, -1.25, 0, 0});
    std::string xml;
    log->toXML(xml);
    EXPECT_EQ(xml,
              "<Dataset><Rec0><Fecha>01/01/2019 06:00:00</Fecha><Valor>2.0000</Valor>"
              "<Calidad>1</Calidad><Alta>01/01/2019 12:00:00</Alta></Rec0>"
              "<Rec1><Fecha>01/01/2019 18:00:00</Fecha><Valor>-1.2500</Valor>"
              "<Calidad>0</Calidad><Alta>30/12/1899 00:00:00</Alta></Rec1></Dataset>");
}

TEST(ExportesDeVentana, ElValorSigueAlSeparadorDecimalEnVigor) {
    const FormatSettings previo = AjustesFormato();
    AjustesFormato().DecimalSeparator = ',';
    AjustesFormato().DateSeparator = '-';
    const auto log = TVentanaLogKOLM::Create(4, Inicio2019);
    log->insert(0, TRecMedidaLogKOLM{Inicio2019 + 0.25, -11000, 0, 0});
    std::string texto;
    log->toText(texto, '\t');
    AjustesFormato() = previo;
    EXPECT_EQ(texto, "Fecha\tValor\tCalidad\tAlta\n01-01-2019 06:00:00\t-11000,0000\t0\t30-12-1899 00:00:00\n");
}

// ---- File names and catalogue ----

TEST(NombreDeArchivoDeVentana, EsElIdYElDiaDelPrimeroDeEnero) {
    const auto v = TVentanaRO10Min::Create(1, Inicio2019);
    const auto log = TVentanaLogKOLM::Create(1, Inicio2019);
    std::string nombre, nombreLog;
    v->fileName(nombre, 123, EncodeDate(2018, 8, 9));
    log->fileName(nombreLog, 123, EncodeDate(2018, 12, 31));
    EXPECT_EQ(nombre, "123_43101.dat");
    EXPECT_EQ(nombreLog, "123_43101.dat");
    v->fileName(nombre, -1, EncodeDate(2018, 1, 1));
    EXPECT_EQ(nombre, "4294967295_43101.dat");
}

TEST(CatalogoDeSeries, VeintidosTiposEnParesDeSerieYLog) {
    InicializarUTSDBTypes();
    ASSERT_EQ(CatalogoSeries.size(), 22u);
    EXPECT_EQ(CatalogoSeries[0].nombre, "kolm");
    EXPECT_EQ(CatalogoSeries[0].clase, &ClaseVentanaKOLM15Min);
    EXPECT_EQ(CatalogoSeries[20].nombre, "potmodelo_144");
    EXPECT_EQ(CatalogoSeries[20].nombreLog, "log_potmodelo_144");
    for (std::size_t i = 0; i < 22; i += 2) {
        const TTipoSerie& serie = CatalogoSeries[i];
        const TTipoSerie& log = CatalogoSeries[i + 1];
        EXPECT_EQ(serie.clase, i == 0 ? &ClaseVentanaKOLM15Min : &ClaseVentanaRO10Min) << serie.nombre;
        EXPECT_EQ(log.nombre, "log_" + serie.nombre);
        EXPECT_EQ(serie.nombreLog, log.nombre);
        EXPECT_EQ(log.clase, &ClaseVentanaLogKOLM);
        EXPECT_EQ(log.nombreLog, std::string(1, '\0'));
    }
    // A class reference makes its windows.
    EXPECT_EQ(CatalogoSeries[2].clase->Create(1, Inicio2019)->count(), 52560);
    FinalizarUTSDBTypes();
    EXPECT_TRUE(CatalogoSeries.empty());
}

}  // namespace
