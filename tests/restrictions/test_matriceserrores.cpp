// Model-error matrices by direction sector and speed bin.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "numerics/errores.h"
#include "numerics/fechas.h"
#include "numerics/textoreal.h"
#include "restrictions/ucalcrestriccionesoperativas.h"

namespace fs = std::filesystem;

namespace {

constexpr double Pa = 10;

// The grid of the simulations: 72 sectors of 5 degrees, 10 bins of 2.5 m/s.
TMatricesConErroresModelos Matrices() { return TMatricesConErroresModelos::Create(25, 360, 72, 10, 7, 20, Pa); }

TDateTime Hora(int hora, int minuto) { return EncodeDateTime(2018, 1, 15, hora, minuto, 0, 0); }

class CarpetaTemporal : public ::testing::Test {
protected:
    void SetUp() override {
        std::string plantilla = (fs::temp_directory_path() / "matriceserrores_XXXXXX").string();
        ASSERT_NE(::mkdtemp(plantilla.data()), nullptr);
        carpeta_ = plantilla;
    }
    void TearDown() override { fs::remove_all(carpeta_); }

    std::string Ruta(const std::string& nombre) const { return (carpeta_ / nombre).string(); }
    static std::string Leer(const std::string& ruta) {
        std::ifstream f(ruta, std::ios::binary);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }
    static std::vector<std::string> Lineas(const std::string& texto) {
        std::vector<std::string> lineas;
        std::string linea;
        std::istringstream s(texto);
        while (std::getline(s, linea)) lineas.push_back(linea);
        return lineas;
    }

    fs::path carpeta_;
};

TEST(MatricesConErrores, DosMuestrasEnUnaCeldaDanMediaYDesviacion) {
    TMatricesConErroresModelos m = Matrices();
    m.Agregar(5, 6, 8, 12, Hora(12, 0));  // error 1
    m.Agregar(4, 7, 8, 13, Hora(12, 10)); // error 3
    const TEstadisticasErrores e = m.Estadisticas();
    // Sector 3 (10 to 15 degrees), bin 4 (7.5 to 10 m/s).
    EXPECT_DOUBLE_EQ(e.total.errorMedio.Elemento(3, 4), 0.2);
    EXPECT_NEAR(e.total.desviacion.Elemento(3, 4), 0.1, 1e-12);
    EXPECT_DOUBLE_EQ(e.total.errorAcumulado.Elemento(3, 4), 4.0 / 6);
    EXPECT_EQ(e.total.cantidad.Elemento(3, 4), 2);
    EXPECT_EQ(e.dia.cantidad.Elemento(3, 4), 2);
    EXPECT_EQ(e.noche.cantidad.Elemento(3, 4), 0);
}

TEST(MatricesConErrores, UnaCeldaSinMuestrasQuedaVacia) {
    TMatricesConErroresModelos m = Matrices();
    m.Agregar(5, 6, 8, 12, Hora(12, 0));
    const TEstadisticasErrores e = m.Estadisticas();
    EXPECT_EQ(e.total.errorMedio.Elemento(1, 1), ValorVacioErrores);
    EXPECT_EQ(e.total.desviacion.Elemento(1, 1), ValorVacioErrores);
    EXPECT_EQ(e.total.errorAcumulado.Elemento(1, 1), 0);
    EXPECT_EQ(e.total.cantidad.Elemento(1, 1), 0);
}

TEST(MatricesConErrores, UnModeloPorEncimaDelDatoDaErrorNegativo) {
    TMatricesConErroresModelos m = Matrices();
    m.Agregar(8, 6, 8, 12, Hora(12, 0));
    EXPECT_DOUBLE_EQ(m.Estadisticas().total.errorMedio.Elemento(3, 4), -0.2);
}

struct CasoCelda {
    const char* nombre;
    double velocidad, direccion;
    bool dentro;
    int32_t fila, columna;
};

void PrintTo(const CasoCelda& c, std::ostream* os) { *os << c.nombre; }

class CeldaDeMuestra : public ::testing::TestWithParam<CasoCelda> {};

TEST_P(CeldaDeMuestra, FilaYColumna) {
    const CasoCelda& c = GetParam();
    int32_t fila = 0, columna = 0;
    ASSERT_EQ(Matrices().CeldaDe(c.velocidad, c.direccion, fila, columna), c.dentro);
    if (c.dentro) {
        EXPECT_EQ(fila, c.fila);
        EXPECT_EQ(columna, c.columna);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Casos, CeldaDeMuestra,
    ::testing::Values(CasoCelda{"Origen", 0, 0, true, 1, 1},
                      CasoCelda{"TresSesentaVuelveAlPrimerSector", 3, 360, true, 1, 2},
                      CasoCelda{"TresSesentaYCincoEsElSegundo", 3, 365, true, 2, 2},
                      CasoCelda{"UltimoSector", 3, 359.9, true, 72, 2},
                      CasoCelda{"TreintaMetrosVanAlUltimoTramo", 30, 90, true, 19, 10},
                      CasoCelda{"CasiElLimiteVaAlUltimoTramo", 24.999, 90, true, 19, 10},
                      CasoCelda{"VelocidadNegativaFuera", -0.5, 90, false, 0, 0},
                      CasoCelda{"DireccionNegativaFuera", 5, -2, false, 0, 0},
                      CasoCelda{"VelocidadNoNumeroFuera", std::nan(""), 90, false, 0, 0},
                      CasoCelda{"DireccionInfinitaFuera", 5, INFINITY, false, 0, 0}),
    [](const ::testing::TestParamInfo<CasoCelda>& info) { return std::string(info.param.nombre); });

struct CasoDia {
    const char* nombre;
    TDateTime fecha;
    bool deDia;
};

void PrintTo(const CasoDia& c, std::ostream* os) { *os << c.nombre; }

class DiaYNoche : public ::testing::TestWithParam<CasoDia> {};

TEST_P(DiaYNoche, PorElMinutoDelDia) { EXPECT_EQ(Matrices().EsDeDia(GetParam().fecha), GetParam().deDia); }

// Sample k of a ten-minute series starting at midnight, as the series computes it.
TDateTime MuestraDelDia(int k) { return FechaDeMuestra(EncodeDate(2018, 1, 15), 1.0 / 144, k); }

INSTANTIATE_TEST_SUITE_P(
    Casos, DiaYNoche,
    ::testing::Values(CasoDia{"SieteEsDia", Hora(7, 0), true},
                      CasoDia{"VeinteEsNoche", Hora(20, 0), false},
                      CasoDia{"SeisCincuentaEsNoche", Hora(6, 50), false},
                      CasoDia{"DiecinueveCincuentaEsDia", Hora(19, 50), true},
                      CasoDia{"MedianocheEsNoche", Hora(0, 0), false},
                      CasoDia{"SieteComoMuestraEsDia", MuestraDelDia(43), true},
                      CasoDia{"VeinteComoMuestraEsNoche", MuestraDelDia(121), false},
                      CasoDia{"CasiMedianocheRedondeaAlDiaSiguiente", EncodeDate(2018, 1, 16) - 1e-9, false}),
    [](const ::testing::TestParamInfo<CasoDia>& info) { return std::string(info.param.nombre); });

TEST(MatricesConErrores, LasCifrasGlobalesCoincidenConElCalculoDirecto) {
    struct Muestra {
        double modelo, dato, velocidad, direccion;
        TDateTime fecha;
    };
    const std::vector<Muestra> muestras = {{5, 6, 8, 12, Hora(12, 0)},  {4, 7, 8, 13, Hora(22, 0)},
                                           {2, 1.5, 3, 200, Hora(3, 0)}, {9, 9.5, 14, 300, Hora(9, 30)},
                                           {7, 6, 30, 45, Hora(19, 0)}};
    TMatricesConErroresModelos m = Matrices();
    double sumaDato = 0, sumaError = 0, sumaCuadrado = 0, sumaAbsoluto = 0;
    for (const Muestra& s : muestras) {
        m.Agregar(s.modelo, s.dato, s.velocidad, s.direccion, s.fecha);
        const double e = s.dato - s.modelo;
        sumaDato += s.dato;
        sumaError += e;
        sumaCuadrado += e * e;
        sumaAbsoluto += std::fabs(e);
    }
    const double n = static_cast<double>(muestras.size());
    const double media = sumaDato / n;
    const TEstadisticasErrores e = m.Estadisticas();
    EXPECT_DOUBLE_EQ(e.potenciaMediaDato, media);
    EXPECT_DOUBLE_EQ(e.EMC, std::sqrt(sumaCuadrado / n) / media);
    EXPECT_DOUBLE_EQ(e.error, sumaError / n / media);
    EXPECT_DOUBLE_EQ(e.errorAbsoluto, sumaAbsoluto / n / media);
    EXPECT_DOUBLE_EQ(e.total.sumaErrores, sumaError / 6);
    EXPECT_DOUBLE_EQ(e.total.errorMedioGlobal, sumaError / n / Pa);
    const double mediaPu = sumaError / n / Pa;
    EXPECT_DOUBLE_EQ(e.total.desviacionGlobal, std::sqrt(sumaCuadrado / n / (Pa * Pa) - mediaPu * mediaPu));
    EXPECT_EQ(e.total.sumaCantidades, 5);
    EXPECT_EQ(e.dia.sumaCantidades, 3);
    EXPECT_EQ(e.noche.sumaCantidades, 2);
}

TEST(MatricesConErrores, UnaMuestraFueraDeLaRejillaNoPesaEnLaMedia) {
    TMatricesConErroresModelos m = Matrices();
    m.Agregar(5, 6, 8, 12, Hora(12, 0));
    m.Agregar(0, 1000, -1, 12, Hora(12, 10));  // speed with no value
    const TEstadisticasErrores e = m.Estadisticas();
    EXPECT_EQ(e.total.sumaCantidades, 1);
    EXPECT_DOUBLE_EQ(e.potenciaMediaDato, 6);
    EXPECT_DOUBLE_EQ(e.errorAbsoluto, 1.0 / 6);
}

TEST(MatricesConErrores, SinMuestrasLasCifrasQuedanVacias) {
    const TEstadisticasErrores e = Matrices().Estadisticas();
    for (double x : {e.EMC, e.error, e.errorAbsoluto, e.potenciaMediaDato, e.total.errorMedioGlobal,
                     e.total.desviacionGlobal, e.noche.errorMedioGlobal, e.dia.desviacionGlobal})
        EXPECT_EQ(x, ValorVacioErrores);
    EXPECT_EQ(e.total.sumaErrores, 0);
    EXPECT_EQ(e.total.sumaCantidades, 0);
}

TEST(MatricesConErrores, UnaMediaMedidaNulaDejaVaciasLasCifrasRelativas) {
    TMatricesConErroresModelos m = Matrices();
    m.Agregar(1, 0, 8, 12, Hora(12, 0));
    const TEstadisticasErrores e = m.Estadisticas();
    EXPECT_EQ(e.potenciaMediaDato, 0);
    EXPECT_EQ(e.EMC, ValorVacioErrores);
    EXPECT_EQ(e.error, ValorVacioErrores);
    EXPECT_EQ(e.errorAbsoluto, ValorVacioErrores);
    EXPECT_DOUBLE_EQ(e.total.errorMedioGlobal, -0.1);
}

TEST(MatricesConErrores, ParametrosSinSentidoSeRechazan) {
    EXPECT_THROW(TMatricesConErroresModelos::Create(25, 360, 0, 10, 7, 20, Pa), EErrorQuendal);
    EXPECT_THROW(TMatricesConErroresModelos::Create(25, 360, 72, 0, 7, 20, Pa), EErrorQuendal);
    EXPECT_THROW(TMatricesConErroresModelos::Create(0, 360, 72, 10, 7, 20, Pa), EErrorQuendal);
    EXPECT_THROW(TMatricesConErroresModelos::Create(25, 360, 72, 10, 7, 20, 0), EErrorQuendal);
}

using InformeDeErrores = CarpetaTemporal;

TEST_F(InformeDeErrores, ElInformeTieneSusCifrasYDoceBloques) {
    TMatricesConErroresModelos m = TMatricesConErroresModelos::Create(25, 360, 2, 3, 7, 20, Pa);
    m.Agregar(5, 6, 8, 12, Hora(12, 0));
    m.Agregar(4, 7, 8, 13, Hora(12, 10));
    const std::string ruta = Ruta("c12_Matrices_Errores.xlt");
    m.Escribir(ruta);
    const std::vector<std::string> lineas = Lineas(Leer(ruta));
    const TEstadisticasErrores e = m.Estadisticas();

    ASSERT_GE(lineas.size(), 7u);
    EXPECT_EQ(lineas[0], "EMC = raiz(VE[(Preal-Pmodelo)^2])/VE[Preal]\t" + RealATextoDefecto(e.EMC));
    EXPECT_EQ(lineas[1], "");
    EXPECT_EQ(lineas[2], "Error = VE[(Preal-Pmodelo)]/VE[Preal]\t" + RealATextoDefecto(e.error));
    EXPECT_EQ(lineas[4], "Error Absoluto = VE[|(Preal-Pmodelo)|/|VE[Preal]]\t" + RealATextoDefecto(e.errorAbsoluto));
    EXPECT_EQ(lineas[6], "----");

    // Each block: title line, table header, column numbers, 2 rows, empty line.
    const std::vector<std::string> titulos = {
        "Errores Acumulados - Total [MWh]",
        "Errores Acumulados - Día [MWh]",
        "Errores Acumulados - Noche [MWh]",
        "Errores Medios Respecto a PAutorizada - Total [p.u]",
        "Errores Medios Respecto a PAutorizada - Día [p.u]",
        "Errores Medios Respecto a PAutorizada - Noche [p.u]",
        "Desviación estándar del error respecto a la PAutorizada - Total [p.u]",
        "Desviación estándar del error respecto a la PAutorizada - Día [p.u]",
        "Desviación estándar del error respecto a la PAutorizada - Noche [p.u]",
        "Cantidad de datos por sector y tramo - Total [cant]",
        "Cantidad de datos por sector y tramo - Día [cant]",
        "Cantidad de datos por sector y tramo - Noche [cant]"};
    ASSERT_EQ(lineas.size(), 7 + 6 * titulos.size());
    for (std::size_t b = 0; b < titulos.size(); ++b) {
        const std::size_t primera = 7 + 6 * b;
        EXPECT_EQ(lineas[primera].substr(0, lineas[primera].find('\t')), titulos[b]);
        EXPECT_EQ(lineas[primera + 1], "NFilas: \t2\tNColumnas: \t3");
        EXPECT_EQ(lineas[primera + 5], "");
    }
    EXPECT_EQ(lineas[7], "Errores Acumulados - Total [MWh]\t" + RealATextoDefecto(4.0 / 6));
    // Row 1 of the mean errors, all samples: both samples lie in the first
    // sector (0 to 180 degrees) and the first bin (0 to 8.33 m/s).
    EXPECT_EQ(lineas[7 + 6 * 3 + 3],
              "1\t" + RealATextoDefecto(0.2) + "\t" + RealATextoDefecto(ValorVacioErrores) + "\t" +
                  RealATextoDefecto(ValorVacioErrores));
    EXPECT_EQ(lineas[7 + 6 * 9], "Cantidad de datos por sector y tramo - Total [cant]\t" + RealATextoDefecto(2));
}

TEST_F(InformeDeErrores, EscribirNoCambiaElObjetoNiEscribeNoNumeros) {
    TMatricesConErroresModelos vacia = Matrices();
    vacia.Escribir(Ruta("vacia.xlt"));
    const std::string texto = Leer(Ruta("vacia.xlt"));
    EXPECT_EQ(texto.find("Nan"), std::string::npos);
    EXPECT_EQ(texto.find("Inf"), std::string::npos);

    TMatricesConErroresModelos m = Matrices();
    m.Agregar(5, 6, 8, 12, Hora(12, 0));
    m.Escribir(Ruta("a.xlt"));
    m.Escribir(Ruta("b.xlt"));
    EXPECT_EQ(Leer(Ruta("a.xlt")), Leer(Ruta("b.xlt")));
}

}  // namespace
