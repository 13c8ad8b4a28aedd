// The wind window simulation on the hand-made plant (model power 1.5 MW
// everywhere): the result file's name and header, the factors next to the
// window, the running ratio, gaps, the ring length and the read-once form.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "apoyo_simulacion.h"
#include "charts/libroexcel.h"
#include "charts/u_ExcelFile.h"
#include "numerics/errores.h"
#include "restrictions/ucalcrestriccionesoperativas.h"

using namespace apoyo_simulacion;

namespace {

constexpr double CuatroHoras = 1.0 / 6;

class SimulacionVentana : public ConPlantaDeMano {
protected:
    // Simulates the window [muestra ini, muestra fin] of the written series
    // with four hours on each side, as the wind run does, the console muted.
    void Simular(const TSerieDePrueba& serie, int32_t ini, int32_t fin, int32_t u, bool soloTeorico = false,
                 bool conservar = true, bool errores = false) {
        serie.Escribir(archivoSeries_);
        testing::internal::CaptureStdout();
        SimularVentanaEolica(false, *modelo_, archivoSeries_, carpeta_, false, serie.Fecha(ini) - CuatroHoras,
                             serie.Fecha(fin) + CuatroHoras, serie.Fecha(ini), serie.Fecha(fin), 1, registros_, u,
                             errores, soloTeorico, conservar);
        testing::internal::GetCapturedStdout();
    }
    // The table of the only result file.
    TTablaResultado Tabla() const {
        const std::vector<std::string> archivos = Resultados();
        EXPECT_EQ(archivos.size(), 1u);
        return archivos.empty() ? TTablaResultado{} : TTablaResultado::Leer(RutaResultados(archivos[0]));
    }
    // The row of sample k when the table starts at sample `primera`.
    static const TFilaResultado& Fila(const TTablaResultado& t, int32_t primera, int32_t k) {
        return t.filas.at(static_cast<std::size_t>(k - primera));
    }

    TDAofRecsEnergiaPorFecha registros_;
};

TEST_F(SimulacionVentana, ElArchivoSeNombraPorElPeriodoSimuladoYElEncabezadoPorElModo) {
    // Window 14:20 (sample 87) to 16:00 (97): simulated 10:20 to 20:00.
    TSerieDePrueba serie(Dia(), 144);
    serie.FijarDesdeHasta(87, 96, 0.5, 0.5);
    for (bool soloTeorico : {false, true}) {
        SCOPED_TRACE(soloTeorico);
        BorrarResultados();
        Simular(serie, 87, 97, 3, soloTeorico);
        EXPECT_EQ(Resultados(), std::vector<std::string>{"c12_ResultadosMC_201801151020201801152000_3m.xlt"});
        const TTablaResultado t = Tabla();
        EXPECT_EQ(t.encabezado, std::string("dt\tVel[m/s]\tDir[gr]\tP_MW_Dato[MW]\tCGM_Dato[MW]\t") +
                                    (soloTeorico ? "P_MW_MT_conAjCP" : "P_MW_MC_conAjCP") + "\tpRed_conAjCP[MW]");
        EXPECT_EQ(t.filas.size(), 121u - 63 + 1);  // 10:20 is sample 63, 20:00 is 121
        EXPECT_EQ(t.filas.front().fecha, "15-01-2018 10:20:00");
        EXPECT_EQ(t.filas.back().fecha, "15-01-2018 20:00:00");
        EXPECT_EQ(t.resumen.at(0), "15-01-2018 14:20");
        EXPECT_EQ(t.resumen.at(1), "15-01-2018 15:50");  // the last restricted sample
    }
}

// Next to the window, samples that are unsteady or at 0.2 Pa or less give no
// ratio: both factors are 1 and the window's adjusted power is the model's.
TEST_F(SimulacionVentana, SinMuestrasEstablesSobreElUmbralLosFactoresSonUno) {
    struct Caso {
        const char* nombre;
        double par, impar;  // measured power of even and odd samples outside the window
    };
    for (const Caso& caso : {Caso{"alternando 0.4 y 1.2", 0.4, 1.2}, Caso{"estable en 0.3 = 0.2 Pa", 0.3, 0.3}}) {
        SCOPED_TRACE(caso.nombre);
        TSerieDePrueba serie(Dia(), 144);
        for (int32_t k = 1; k <= 144; ++k) serie.Fijar(k, k % 2 ? caso.impar : caso.par, 1.5);
        serie.FijarDesdeHasta(86, 91, 0.5, 0.5);
        registros_.clear();
        Simular(serie, 86, 92, 4);
        const TTablaResultado t = Tabla();
        for (int32_t k = 86; k <= 91; ++k) {
            EXPECT_EQ(Fila(t, 62, k).Padj, 1.5);
            EXPECT_EQ(Fila(t, 62, k).pRed, 1.0);
        }
        ASSERT_EQ(registros_.size(), 6u);
        EXPECT_NEAR(Real(t.resumen.at(2)), 1.0, 1e-12);  // 6 x 1.0 / 6
    }
}

// A window at the start of the series: no sample before it (fpre = 1), the
// samples after it at 1.2 (fpost = 0.8); four samples (1 to the end sample 4)
// go from 1 to 0.8 in thirds.
TEST_F(SimulacionVentana, UnaVentanaAlComienzoDeLaSerieTieneFactorPrevioUno) {
    TSerieDePrueba serie(Dia(), 60);
    serie.FijarDesdeHasta(1, 3, 0.5, 0.5);
    Simular(serie, 1, 4, 3);
    const TTablaResultado t = Tabla();
    ASSERT_EQ(t.filas.size(), 28u);  // 1 to 4 + 24
    const double esperadas[] = {1.5, 1.4, 1.3, 1.2};
    for (int32_t k = 1; k <= 4; ++k) EXPECT_NEAR(Fila(t, 1, k).Padj, esperadas[k - 1], 1e-12) << k;
    EXPECT_NEAR(Real(t.resumen.at(2)), (1.0 + 0.9 + 0.8) / 6, 1e-7);
}

// The post-window factor is taken from the sample after the end sample on:
// the end sample (0.55 MW, steady next to the restricted 0.5) is left out,
// the first sample after it (1.2 next to 0.55) is not steady, so fpost is
// 1.2 / 1.5 = 0.8 from samples 6 to 8. Taking the end sample in would give
// (0.55 + 1.2 + 1.2) / 4.5 and Padj 1.5, 1.3278, 1.1556, 0.98333.
TEST_F(SimulacionVentana, LasMuestrasDespuesDeLaVentanaSeBuscanDesdeLaQueSigueAlFin) {
    TSerieDePrueba serie(Dia(), 60);
    serie.FijarDesdeHasta(1, 3, 0.5, 0.5);
    serie.Fijar(4, 0.55, 1.5);
    Simular(serie, 1, 4, 3);
    const TTablaResultado t = Tabla();
    const double esperadas[] = {1.5, 1.4, 1.3, 1.2};
    for (int32_t k = 1; k <= 4; ++k) EXPECT_NEAR(Fila(t, 1, k).Padj, esperadas[k - 1], 1e-12) << k;
    EXPECT_NEAR(Real(t.resumen.at(2)), 0.44999999801, 5e-12);
}

// Outside the window the factor is the running ratio of the last u pushed
// samples, 1 before the first push: the series starts inside the simulated
// period, its samples at 0.9 (ratio 0.6 once pushed).
TEST_F(SimulacionVentana, FueraDeLaVentanaLaRazonEsUnoAntesDelPrimerEmpuje) {
    TSerieDePrueba serie(Dia(), 60);
    for (int32_t k = 1; k <= 60; ++k) serie.Fijar(k, 0.9, 1.5);
    serie.FijarDesdeHasta(20, 22, 0.5, 0.5);
    Simular(serie, 20, 23, 3);
    const TTablaResultado t = Tabla();
    EXPECT_EQ(Fila(t, 1, 1).Padj, 1.5);
    for (int32_t k = 2; k <= 19; ++k) EXPECT_NEAR(Fila(t, 1, k).Padj, 0.9, 1e-12) << k;
}

TEST_F(SimulacionVentana, UnaVentanaDeUnaMuestraUsaLaMediaDeLosFactores) {
    TSerieDePrueba serie(Dia(), 144);
    serie.Fijar(86, 0.5, 0.5);
    serie.FijarDesdeHasta(87, 144, 1.5, 1.5);
    Simular(serie, 86, 86, 6);  // window start = window end: nW = 1
    const TTablaResultado t = Tabla();
    EXPECT_NEAR(Fila(t, 62, 86).Padj, 1.5 * (0.8 + 1.0) / 2, 1e-12);
    ASSERT_EQ(registros_.size(), 1u);
    EXPECT_NEAR(registros_[0].ENS, 0.85 / 6, 1e-7);
}

TEST_F(SimulacionVentana, UnHuecoEnLaVentanaDaElValorFaltanteYQuedaFueraDelTotal) {
    TSerieDePrueba serie = DiaDeMano();
    serie.vel[88 - 1] = -1;
    Simular(serie, 86, 92, 6);
    const TTablaResultado t = Tabla();
    EXPECT_EQ(Fila(t, 62, 88).Padj, -111111);
    EXPECT_EQ(Fila(t, 62, 88).pRed, -111111);
    ASSERT_EQ(registros_.size(), 6u);
    EXPECT_EQ(registros_[2].ENS, -111111);
    EXPECT_EQ(registros_[2].PotModelo, -111111);
    EXPECT_NEAR(Real(t.resumen.at(2)), (0.7 + 0.75 + 0.85 + 0.9 + 0.95) / 6, 1e-6);
}

// Without the keep-restricted flag the restricted samples have no model value.
TEST_F(SimulacionVentana, SinConservarRestringidasLasMuestrasRestringidasNoTienenValor) {
    Simular(DiaDeMano(), 86, 92, 6, false, false);
    const TTablaResultado t = Tabla();
    for (int32_t k = 86; k <= 91; ++k) EXPECT_EQ(Fila(t, 62, k).pRed, -111111) << k;
    EXPECT_NEAR(Fila(t, 62, 92).Padj, 1.5, 1e-12);
    ASSERT_EQ(registros_.size(), 6u);
    for (const TRecEnergiaPorFecha& r : registros_) EXPECT_EQ(r.ENS, -111111);
    EXPECT_EQ(Real(t.resumen.at(2)), 0);
}

TEST_F(SimulacionVentana, ConEstadisticasDeErroresEscribeSusMatrices) {
    Simular(DiaDeMano(), 86, 92, 6, false, true, true);
    const std::string matrices = LeerTexto(RutaResultados("c12_Matrices_Errores.xlt"));
    EXPECT_EQ(matrices.rfind("EMC = ", 0), 0u);
}

// A window that lies outside the series simulates nothing: a table with its
// summary and no rows, no record.
TEST_F(SimulacionVentana, UnaVentanaFueraDeLaSerieNoSimulaNada) {
    TSerieDePrueba serie(Dia(), 60);
    serie.Escribir(archivoSeries_);
    for (int32_t ini : {200, -100}) {
        SCOPED_TRACE(ini);
        BorrarResultados();
        testing::internal::CaptureStdout();
        SimularVentanaEolica(false, *modelo_, archivoSeries_, carpeta_, false, serie.Fecha(ini) - CuatroHoras,
                             serie.Fecha(ini + 10) + CuatroHoras, serie.Fecha(ini), serie.Fecha(ini + 10), 1,
                             registros_, 3, false, false, true);
        testing::internal::GetCapturedStdout();
        const TTablaResultado t = Tabla();
        EXPECT_TRUE(t.filas.empty());
        EXPECT_EQ(Real(t.resumen.at(2)), 0);
        EXPECT_TRUE(registros_.empty());
    }
}

// A ring shorter than one sample is refused before the series is read or any
// file or console line is written.
TEST_F(SimulacionVentana, UnAnilloDeMenosDeUnaMuestraSeRechazaSinEscribirNada) {
    for (int32_t u : {0, -1}) {
        SCOPED_TRACE(u);
        testing::internal::CaptureStdout();
        const std::string inexistente = carpeta_ + "/no_existe.sas";
        EXPECT_THROW(SimularVentanaEolica(false, *modelo_, inexistente, carpeta_, false, Dia(), Dia() + 1,
                                          Hora(10, 0), Hora(11, 0), 1, registros_, u, false, false, true),
                     EErrorQuendal);
        EXPECT_THROW(SimularSerieConModeloCombinado(false, *modelo_, inexistente, carpeta_, false, Dia(), Dia() + 1,
                                                    Dia(), Dia() + 1, 1, registros_, u, false, false, true),
                     EErrorQuendal);
        DiaDeMano().Escribir(archivoSeries_);
        const TSeriesEolicasFiltradas series = LeerYFiltrarSeriesEolicas(*modelo_->Parque, archivoSeries_);
        testing::internal::GetCapturedStdout();
        testing::internal::CaptureStdout();
        EXPECT_THROW(SimularVentanaEolica(false, *modelo_, series, carpeta_, false, Dia(), Dia() + 1, Hora(14, 10),
                                          Hora(15, 10), 1, registros_, u, false, false, true),
                     EErrorQuendal);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_TRUE(Resultados().empty());
        EXPECT_TRUE(registros_.empty());
    }
}

TEST_F(SimulacionVentana, UnArchivoDeMenosDeNueveSeriesSeRechaza) {
    std::ofstream(archivoSeries_, std::ios::binary) << "1\n2018 1 15 0 0 0\n1/6\n2\n144\nVel\n1 8\n2 9\n";
    try {
        LeerYFiltrarSeriesEolicas(*modelo_->Parque, archivoSeries_);
        FAIL() << "se esperaba un error";
    } catch (const EErrorQuendal& e) {
        EXPECT_EQ(std::string(e.what()),
                  "El archivo de series \"" + archivoSeries_ + "\" tiene 1 series y un parque eólico necesita 9");
    }
}

// The wind run reads and filters the series once and hands it to every
// window: the files and records are those of reading it for each window.
TEST_F(SimulacionVentana, LaSerieLeidaUnaVezDaLoMismoQueLeerlaEnCadaVentana) {
    TSerieDePrueba serie(Dia(), 288);
    for (int32_t k = 1; k <= 288; ++k) serie.Fijar(k, 0.6 + 0.8 * ((k * 37) % 11) / 10.0, 1.5);
    serie.FijarDesdeHasta(40, 45, 0.4, 0.45);
    serie.FijarDesdeHasta(150, 151, 0.2, 0.3);
    serie.vel[160] = -1;
    serie.Escribir(archivoSeries_);
    TDateTime ini = Dia(), fin = Dia() + 2;
    const TDAofRecsFechas ventanas = BuscarVentanasDeRestriccion(archivoSeries_, PaDeMano, ini, fin, 7);
    ASSERT_EQ(ventanas.size(), 2u);

    const std::string otraCarpeta = carpeta_ + "/por_ventana";
    std::filesystem::create_directory(otraCarpeta);
    TDAofRecsEnergiaPorFecha porVentana, unaVez;
    testing::internal::CaptureStdout();
    const TSeriesEolicasFiltradas series = LeerYFiltrarSeriesEolicas(*modelo_->Parque, archivoSeries_);
    for (const TRecFechasRestriccion& v : ventanas) {
        SimularVentanaEolica(false, *modelo_, archivoSeries_, otraCarpeta, false, v.fechaIni - CuatroHoras,
                             v.fechaFin + CuatroHoras, v.fechaIni, v.fechaFin, 0.9, porVentana, 5, false, false, true);
        SimularVentanaEolica(false, *modelo_, series, carpeta_, false, v.fechaIni - CuatroHoras,
                             v.fechaFin + CuatroHoras, v.fechaIni, v.fechaFin, 0.9, unaVez, 5, false, false, true);
    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(unaVez, porVentana);
    EXPECT_EQ(unaVez.size(), 6u + 2u);
    const std::vector<std::string> archivos = Resultados();
    ASSERT_EQ(archivos.size(), 2u);
    for (const std::string& nombre : archivos)
        EXPECT_EQ(LeerTexto(RutaResultados(nombre)), LeerTexto(otraCarpeta + "/" + nombre)) << nombre;
}

// No caller gives a spreadsheet report target, but when one is given the
// simulated rows also go to a worksheet named by the clamped start.
TEST_F(SimulacionVentana, ConUnInformeLasFilasSimuladasVanASuHoja) {
    TAplicacionEnMemoria excel;
    TExcelFile informe = TExcelFile::Create(excel, 16);
    const TSerieDePrueba serie = DiaDeMano();
    serie.Escribir(archivoSeries_);
    testing::internal::CaptureStdout();
    SimularVentanaEolica(false, *modelo_, archivoSeries_, carpeta_, false, Hora(10, 10), Hora(19, 10), Hora(14, 10),
                         Hora(15, 10), 1, registros_, 6, false, false, true, &informe);
    testing::internal::GetCapturedStdout();
    const THojaEnMemoria& hoja = excel.Libro().HojaDeTrabajo("201801151010");
    // The header names the six columns; below it one row per simulated
    // sample (10:10 to 19:10) carries the table's pRed in the last column.
    int filaEncabezado = 0, columnaPRed = 0;
    for (const auto& [celda, valor] : hoja.Celdas())
        if (valor == TValorCelda(std::string("pRed_conAjCP[MW]_Prom"))) std::tie(filaEncabezado, columnaPRed) = celda;
    ASSERT_GT(filaEncabezado, 0);
    EXPECT_EQ(hoja.Valor(filaEncabezado, columnaPRed - 5), TValorCelda(std::string("Vel[m/s]_Prom")));
    const TTablaResultado t = Tabla();
    ASSERT_EQ(t.filas.size(), 55u);
    for (int32_t k = 0; k < 55; ++k)
        EXPECT_EQ(hoja.Valor(filaEncabezado + 1 + k, columnaPRed), TValorCelda(t.filas[static_cast<std::size_t>(k)].pRed))
            << k;
    EXPECT_EQ(hoja.Valor(filaEncabezado + 56, columnaPRed), TValorCelda());
}

}  // namespace
