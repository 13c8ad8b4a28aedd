// The whole-series simulation with the combined model on the hand-made plant
// (model power 1.5 MW everywhere). It differs from the window simulation in
// four points, each shown here: no pre/post-window factors, no power
// thresholds in the warm-up and the ring, the running ratio as the only
// adjustment, and a restriction period given by the caller.
#include <gtest/gtest.h>

#include <string>

#include "apoyo_simulacion.h"
#include "numerics/errores.h"
#include "restrictions/ucalcrestriccionesoperativas.h"

using namespace apoyo_simulacion;

namespace {

class SimulacionSerie : public ConPlantaDeMano {
protected:
    std::string Simular(TDateTime ini, TDateTime fin, TDateTime iniR, TDateTime finR, int32_t u) {
        testing::internal::CaptureStdout();
        try {
            SimularSerieConModeloCombinado(false, *modelo_, archivoSeries_, carpeta_, false, ini, fin, iniR, finR,
                                           0.9, registros_, u, false, false, true);
        } catch (...) {
            testing::internal::GetCapturedStdout();
            throw;
        }
        return testing::internal::GetCapturedStdout();
    }
    TDAofRecsEnergiaPorFecha registros_;
};

// With u = 6 the series starts at the period start: sample 1 sees no push
// (1.5), then the ring fills with 1.2 / 1.5 (0.8, so 1.2). The restricted
// samples are not pushed and keep 0.8: Padj 1.2, pRed 0.7 each, 6 x 0.7 / 6
// = 0.7 MWh. From 92 on, sample 92 + k sees k pushes of 1.5.
TEST_F(SimulacionSerie, ElDiaDeManoSeAjustaSoloConLaRazonMovil) {
    DiaDeMano().Escribir(archivoSeries_);
    const std::string consola = Simular(Dia(), Dia() + 1, Dia(), Dia() + 1, 6);

    EXPECT_EQ(Resultados(), std::vector<std::string>{"c12_ResultadosMC_20180115201801152350_6m.xlt"});
    const TTablaResultado t =
        TTablaResultado::Leer(RutaResultados("c12_ResultadosMC_20180115201801152350_6m.xlt"));
    EXPECT_EQ(t.encabezado, EncabezadoMC);
    ASSERT_EQ(t.filas.size(), 144u);
    EXPECT_EQ(t.filas[0].fecha, "15-01-2018");  // midnight: the date alone
    EXPECT_EQ(t.filas[1].fecha, "15-01-2018 00:10:00");
    for (int32_t i = 1; i <= 144; ++i) {
        SCOPED_TRACE(i);
        const TFilaResultado& fila = t.filas[static_cast<std::size_t>(i - 1)];
        double padj = 1.2;
        if (i == 1) padj = 1.5;
        if (i >= 93) {
            const int32_t k = std::min(i - 92, 6);
            padj = (1.2 * (6 - k) + 1.5 * k) / 6;
        }
        EXPECT_NEAR(fila.Padj, padj, 1e-12);
        EXPECT_NEAR(fila.pRed, i >= 86 && i <= 91 ? 0.7 : 0.0, 1e-6);
    }
    ASSERT_EQ(registros_.size(), 6u);
    for (std::size_t r = 0; r < 6; ++r) EXPECT_NEAR(registros_[r].ENS, 0.7 / 6, 1e-7);
    EXPECT_EQ(t.resumen.at(0), "15-01-2018 00:00");
    EXPECT_EQ(t.resumen.at(1), "15-01-2018 23:50");  // the restriction end less 10 minutes
    EXPECT_NEAR(Real(t.resumen.at(2)), 0.7, 1e-6);
    EXPECT_EQ(Real(t.resumen.at(3)), 0.9);
    EXPECT_NEAR(Real(t.resumen.at(4)), 0.63, 1e-6);
    const std::string cola = "\rSimulando fecha: 15-01-2018 23:50:00\n\nSIMULACION TERMINADA CON EXITO\n\n";
    EXPECT_EQ(consola.substr(consola.size() - cola.size()), cola);
    EXPECT_NE(consola.find("\rSimulando fecha: 15-01-2018\rSimulando fecha: 15-01-2018 00:10:00"),
              std::string::npos);
}

// Samples at 0 MW before the period: the whole-series simulation counts and
// pushes them (ratio 0), the window simulation neither counts them in its
// warm-up nor pushes them (ratio 1 until the first push).
TEST_F(SimulacionSerie, ElCalentamientoYElAnilloNoTienenUmbralDePotencia) {
    TSerieDePrueba serie = DiaDeMano();
    serie.FijarDesdeHasta(1, 70, 0, 1.5);
    serie.Escribir(archivoSeries_);

    Simular(Hora(10, 10), Dia() + 1, Hora(14, 10), Hora(15, 10), 6);
    const TTablaResultado serieEntera =
        TTablaResultado::Leer(RutaResultados("c12_ResultadosMC_201801151010201801152350_6m.xlt"));
    EXPECT_EQ(serieEntera.filas.front().fecha, "15-01-2018 10:10:00");
    EXPECT_EQ(serieEntera.filas.front().Padj, 0);  // sample 62: six pushes of 0 / 1.5

    BorrarResultados();
    TDAofRecsEnergiaPorFecha registros;
    testing::internal::CaptureStdout();
    SimularVentanaEolica(false, *modelo_, archivoSeries_, carpeta_, false, Hora(10, 10), Hora(19, 10), Hora(14, 10),
                         Hora(15, 10), 0.9, registros, 6, false, false, true);
    testing::internal::GetCapturedStdout();
    const TTablaResultado ventana =
        TTablaResultado::Leer(RutaResultados("c12_ResultadosMC_201801151010201801151910_6m.xlt"));
    EXPECT_EQ(ventana.filas.front().Padj, 1.5);  // nothing pushed yet
}

// With the restriction period equal to the whole period, every sample whose
// set-point lies in [0, Pa - 0.5) has a record, also one 4 MW or more from
// its set-point (energy 0); a set-point at Pa - 0.5 or above has none.
TEST_F(SimulacionSerie, CadaMuestraConConsignaRestrictivaTieneRegistro) {
    modelo_->Parque->potencia_autorizada_mw = 10;
    TSerieDePrueba serie(Dia(), 30);
    for (int32_t k = 1; k <= 30; ++k) serie.Fijar(k, 2 + 0.01 * k, 10);
    serie.Fijar(10, 6, 1);    // 5 MW above its set-point: did not bind
    serie.Fijar(11, 1, 1);    // held at its set-point
    serie.Fijar(12, 5, 9.5);  // at Pa - 0.5: not restrictive
    serie.Fijar(13, 5, 9.6);
    serie.Escribir(archivoSeries_);
    Simular(Dia(), Dia() + 1, Dia(), Dia() + 1, 3);
    ASSERT_EQ(registros_.size(), 2u);
    EXPECT_EQ(registros_[0].fecha, serie.Fecha(10));
    EXPECT_EQ(registros_[0].ENS, 0);
    EXPECT_EQ(registros_[1].fecha, serie.Fecha(11));
    EXPECT_GT(registros_[1].ENS, 0);
}

// The restriction period need not fall on sample times: it holds the samples
// from the first at or after its start to the last at or before its end.
TEST_F(SimulacionSerie, ElPeriodoDeRestriccionTomaLasMuestrasQueCaenDentro) {
    DiaDeMano().Escribir(archivoSeries_);
    Simular(Dia(), Dia() + 1, Hora(14, 15), Hora(14, 45), 6);
    ASSERT_EQ(registros_.size(), 3u);  // 14:20, 14:30, 14:40
    EXPECT_EQ(registros_.front().fecha, Hora(14, 20));
    EXPECT_EQ(registros_.back().fecha, Hora(14, 40));
}

TEST_F(SimulacionSerie, UnPeriodoFueraDeLaSerieSeRechazaSinEscribirNada) {
    DiaDeMano().Escribir(archivoSeries_);
    struct Caso {
        TDateTime ini, fin;
    };
    for (const Caso& c : {Caso{Dia() - 3, Dia() - 1}, Caso{Dia() + 2, Dia() + 3}, Caso{Hora(12, 0), Hora(11, 0)}}) {
        testing::internal::CaptureStdout();
        try {
            SimularSerieConModeloCombinado(false, *modelo_, archivoSeries_, carpeta_, false, c.ini, c.fin, c.ini,
                                           c.fin, 1, registros_, 6, false, false, true);
            ADD_FAILURE() << "no se rechazó el período";
        } catch (const EErrorQuendal& e) {
            EXPECT_NE(std::string(e.what()).find("no tiene muestras en el archivo de series"), std::string::npos)
                << e.what();
        }
        const std::string consola = testing::internal::GetCapturedStdout();
        EXPECT_EQ(consola.find("Simulando fecha"), std::string::npos);
        EXPECT_TRUE(Resultados().empty());
        EXPECT_TRUE(registros_.empty());
    }
}

}  // namespace
