// Acceptance of the window simulation on a plant computed by hand: one day of
// ten-minute samples, one six-sample restriction, a model that always gives
// the authorised power. Every figure below is worked out from the rules of
// the simulation, not from the code.
//
// The day, 15 January 2018 (samples 1 = 00:00 to 144 = 23:50):
//   00:00-14:00 (1-85)    P 1.2, set-point 1.5
//   14:10-15:00 (86-91)   P 0.5, set-point 0.5 (restricted: 0.5 < 1.5 - 0.5)
//   15:10-23:50 (92-144)  P 1.5, set-point 1.5
// Model power Pm = 1.5 everywhere (cap). Ring length u = 6.
//
// Window: 14:10 (sample 86) to 15:10 (sample 92, the first free one), so the
// run simulates 10:10 (62) to 19:10 (116).
// fpre: samples 84, 83, ... are usable, steady and above 0.2 Pa = 0.3 (85 is
//   not steady: its neighbour 86 fell to 0.5); 6 x 1.2 / 6 x 1.5 = 0.8.
// fpost: samples 93, 94, ... (neighbour 92 at 1.5) give 1.5 / 1.5 = 1.
// Inside the window (nW = 7): factor 0.8 + 0.2 (i - 86) / 6, so
//   Padj = 1.2, 1.25, 1.3, 1.35, 1.4, 1.45 for 86-91 and 1.5 for 92;
//   pRed = Padj - 0.5 = 0.7 ... 0.95 for 86-91; sample 92's set-point ends
//   the window, so pRed 0 and no record.
//   Total = (0.7 + 0.75 + 0.8 + 0.85 + 0.9 + 0.95) / 6 = 4.95 / 6 = 0.825 MWh.
// Outside the window: the running ratio. The warm-up (56-61) fills the ring
//   with 1.2 / 1.5, so 62-85 get 0.8 (Padj 1.2). Restricted samples are not
//   pushed; from 92 on each sample pushes 1.5, so sample 92 + k (k <= 6) sees
//   k slots of 1.5 and 6 - k of 1.2: Padj = (1.2 (6 - k) + 1.5 k) / 6.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "apoyo_simulacion.h"
#include "restrictions/ucalcrestriccionesoperativas.h"

using namespace apoyo_simulacion;

namespace {

constexpr int32_t U = 6;
constexpr double FactorKolm = 0.97;

double PadjEsperada(int32_t i) {
    if (i <= 85) return 1.2;
    if (i <= 92) return 1.5 * (0.8 + 0.2 * (i - 86) / 6.0);
    const int32_t k = std::min(i - 92, U);
    return (1.2 * (U - k) + 1.5 * k) / U;
}

std::string HoraTexto(int32_t i) {
    const int32_t minutos = (i - 1) * 10;
    char texto[32];
    std::snprintf(texto, sizeof texto, "15-01-2018 %02d:%02d:00", minutos / 60, minutos % 60);
    return texto;
}

class AceptacionVentana : public ConPlantaDeMano {};

TEST_F(AceptacionVentana, ElDiaDeManoDaLaTablaElResumenLosRegistrosYLaConsolaCalculados) {
    const TSerieDePrueba serie = DiaDeMano();
    serie.Escribir(archivoSeries_);

    // The window as the wind run finds it.
    TDateTime ini = Dia(), fin = Dia() + 1;
    const TDAofRecsFechas ventanas = BuscarVentanasDeRestriccion(archivoSeries_, PaDeMano, ini, fin, 7);
    ASSERT_EQ(ventanas.size(), 1u);
    const TRecFechasRestriccion ventana = ventanas[0];
    EXPECT_EQ(ventana.fechaIni, serie.Fecha(86));
    EXPECT_EQ(ventana.fechaFin, serie.Fecha(92));

    TDAofRecsEnergiaPorFecha registros;
    testing::internal::CaptureStdout();
    SimularVentanaEolica(false, *modelo_, archivoSeries_, carpeta_, false, ventana.fechaIni - 1.0 / 6,
                         ventana.fechaFin + 1.0 / 6, ventana.fechaIni, ventana.fechaFin, FactorKolm, registros, U,
                         false, false, true);
    const std::string consola = testing::internal::GetCapturedStdout();

    // The table.
    EXPECT_EQ(Resultados(), std::vector<std::string>{"c12_ResultadosMC_201801151010201801151910_6m.xlt"});
    const TTablaResultado tabla =
        TTablaResultado::Leer(RutaResultados("c12_ResultadosMC_201801151010201801151910_6m.xlt"));
    EXPECT_EQ(tabla.encabezado, EncabezadoMC);
    ASSERT_EQ(tabla.filas.size(), 55u);  // 62 to 116
    for (int32_t i = 62; i <= 116; ++i) {
        const TFilaResultado& fila = tabla.filas[static_cast<std::size_t>(i - 62)];
        SCOPED_TRACE(i);
        EXPECT_EQ(fila.fecha, HoraTexto(i));
        EXPECT_EQ(fila.vel, 8 + (i - 1) % 5);
        EXPECT_EQ(fila.dir, (i - 1) % 7);
        EXPECT_EQ(fila.P, serie.pot[static_cast<std::size_t>(i - 1)]);
        EXPECT_EQ(fila.CGM, serie.cgm[static_cast<std::size_t>(i - 1)]);
        EXPECT_NEAR(fila.Padj, PadjEsperada(i), 1e-12);
        const double pRed = i >= 86 && i <= 91 ? PadjEsperada(i) - 0.5 : 0;
        EXPECT_NEAR(fila.pRed, pRed, 1e-6);  // single precision
        EXPECT_EQ(fila.pRed, static_cast<double>(static_cast<float>(fila.pRed)));
    }

    // The summary.
    EXPECT_EQ(tabla.encabezadoResumen, EncabezadoResumen);
    ASSERT_EQ(tabla.resumen.size(), 5u);
    EXPECT_EQ(tabla.resumen[0], "15-01-2018 14:10");
    EXPECT_EQ(tabla.resumen[1], "15-01-2018 15:00");
    EXPECT_NEAR(Real(tabla.resumen[2]), 0.825, 1e-6);
    EXPECT_EQ(Real(tabla.resumen[3]), FactorKolm);
    EXPECT_NEAR(Real(tabla.resumen[4]), 0.825 * FactorKolm, 1e-6);

    // One record per restricted sample, in order.
    ASSERT_EQ(registros.size(), 6u);
    double suma = 0;
    for (int32_t i = 86; i <= 91; ++i) {
        const TRecEnergiaPorFecha& r = registros[static_cast<std::size_t>(i - 86)];
        EXPECT_EQ(r.fecha, serie.Fecha(i));
        EXPECT_NEAR(r.ENS, (PadjEsperada(i) - 0.5) / 6, 1e-7);
        EXPECT_NEAR(r.PotModelo, PadjEsperada(i), 1e-12);
        EXPECT_EQ(r.PotDato, 0.5);
        EXPECT_EQ(r.CGM, 0.5);
        EXPECT_EQ(r.Meteo1, 8 + (i - 1) % 5);
        EXPECT_EQ(r.Meteo2, (i - 1) % 7);
        suma += r.ENS;
    }
    EXPECT_EQ(Real(tabla.resumen[2]), suma);

    // The console: the filters' report, then one rewritten progress line per
    // simulated sample, two line ends and the closing line.
    std::string progreso;
    for (int32_t i = 62; i <= 116; ++i) progreso += "\rSimulando fecha: " + HoraTexto(i);
    const std::string cola = progreso + "\n\nSIMULACION TERMINADA CON EXITO\n\n";
    ASSERT_GE(consola.size(), cola.size());
    EXPECT_EQ(consola.substr(consola.size() - cola.size()), cola);
    EXPECT_NE(consola.find("Muestras filtradas por CGM < 0.99 P_ Autorizada: 6 "), std::string::npos);
    EXPECT_NE(consola.find("Muestras filtradas por Huecos: 0 "), std::string::npos);
}

}  // namespace
