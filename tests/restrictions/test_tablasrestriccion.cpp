// The result tables of the restriction runs (hourly, day by 24 hours, ten
// minutes), the request of the metered energy and its alignment to the
// period.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "data/utsdbTypes.h"
#include "numerics/fechas.h"
#include "restrictions/ucalcrestriccionesoperativas.h"
#include "tablas_prueba.h"

namespace fs = std::filesystem;

namespace {

constexpr double Falta = ValorFaltanteEnergia;
constexpr double Hora = 1.0 / 24;

TDateTime Febrero(int dia, int hora = 0, int minuto = 0) { return EncodeDateTime(2018, 2, dia, hora, minuto, 0, 0); }

class TablasDeRestriccion : public ::testing::Test {
protected:
    void SetUp() override {
        std::string plantilla = (fs::temp_directory_path() / "tablasro_XXXXXX").string();
        ASSERT_NE(::mkdtemp(plantilla.data()), nullptr);
        carpeta_ = plantilla;
    }
    void TearDown() override { fs::remove_all(carpeta_); }
    std::string Archivo(const std::string& nombre) const { return (carpeta_ / nombre).string(); }

    // Writes the day table quietly and returns its rows and the cut.
    std::vector<TFilaTabla> TablaDiaria(const TDAofRecsEnergiaPorFecha& horas, double F, TDateTime ini,
                                        TDateTime fin, double Pa, const TVectR* K, double* recorte = nullptr,
                                        std::string* consola = nullptr) const {
        ::testing::internal::CaptureStdout();
        const double r = EscribirMatrizRO_DTE(Archivo("dte.xlt"), horas, F, ini, fin, Pa, K);
        const std::string salida = ::testing::internal::GetCapturedStdout();
        if (recorte) *recorte = r;
        if (consola) *consola = salida;
        return TablaDeArchivo(Archivo("dte.xlt"));
    }

    fs::path carpeta_;
};

TEST_F(TablasDeRestriccion, LaTablaHorariaDejaLasHorasFaltantesFueraDelTotal) {
    const TDAofRecsEnergiaPorFecha horas = {RegistroSoloEnergia(Febrero(1, 10), 0.5),
                                            RegistroSoloEnergia(Febrero(1, 11), Falta),
                                            RegistroSoloEnergia(Febrero(1, 12), 1.25)};
    EscribirENSHoraria(Archivo("horaria.xlt"), horas, 0.9);
    EXPECT_EQ(LineasDeArchivo(Archivo("horaria.xlt")),
              (std::vector<std::string>{
                  "Fecha\t Energía no suministrada SCADA [MWh]\t Factor KOLM/SCADA [p.u] \t Energía no suministrada "
                  "KOLM [MWh]",
                  R(Febrero(1, 10)) + "\t" + R(0.5) + "\t" + R(0.9) + "\t" + R(0.5 * 0.9),
                  R(Febrero(1, 11)) + "\t" + R(Falta) + "\t" + R(0.9) + "\t" + R(Falta * 0.9),
                  R(Febrero(1, 12)) + "\t" + R(1.25) + "\t" + R(0.9) + "\t" + R(1.25 * 0.9),
                  "E[MWh] totales\t" + R(1.75) + "\t\t" + R(1.75 * 0.9)}));
}

// One hour at 05:00 of the first day, E·F = 3.2 MWh, Pa = 10 MW.
struct CasoCelda {
    const char* nombre;
    double energia;
    double medida;      // metered energy of that hour; NaN: no metered values at all
    double celda;
    double recorte;
};

class CeldaDeLaTablaDiaria : public TablasDeRestriccion, public ::testing::WithParamInterface<CasoCelda> {};

TEST_P(CeldaDeLaTablaDiaria, SeRecortaPorLaHolguraQueDejoLaMedida) {
    const CasoCelda& c = GetParam();
    TVectR K = TVectR::Create_ConValor(24, 0);
    K.pv[6] = c.medida;
    double recorte = 0;
    const auto filas = TablaDiaria({RegistroSoloEnergia(Febrero(1, 5), c.energia)}, 1, Febrero(1), Febrero(1, 23),
                                   10, std::isnan(c.medida) ? nullptr : &K, &recorte);
    ASSERT_EQ(filas.size(), 2u);
    ASSERT_EQ(filas[1].size(), 26u);
    EXPECT_EQ(filas[1][0], "01-02-2018");
    EXPECT_NEAR(ValorDeCelda(filas[1][2 + 5]), c.celda, 1e-12);
    EXPECT_NEAR(ValorDeCelda(filas[1][1]), c.celda > 0 ? c.celda : 0, 1e-12);
    EXPECT_NEAR(recorte, c.recorte, 1e-12);
    for (int hr = 1; hr <= 24; ++hr) {
        if (hr == 6) continue;
        EXPECT_EQ(ValorDeCelda(filas[1][1 + hr]), 0) << hr;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Casos, CeldaDeLaTablaDiaria,
    ::testing::Values(CasoCelda{"HolguraParcial", 3.2, 8.5, 1.5, -1.7}, CasoCelda{"SinHolgura", 3.2, 11, 0, -3.2},
                      CasoCelda{"HoraSinMedida", 3.2, -11000, 3.2, 0},
                      CasoCelda{"SinMedidas", 3.2, std::nan(""), 3.2, 0},
                      CasoCelda{"TopeDeLaPotenciaAutorizada", 12.5, 0, 10, 0},
                      CasoCelda{"EnergiaCero", 0, 8.5, 0, 0}, CasoCelda{"HoraFaltante", Falta, 0, Falta, 0},
                      CasoCelda{"MilesimaHaciaArriba", 3.2, 8.5004, 1.5, -1.7},
                      CasoCelda{"MilesimaHaciaAbajo", 3.2, 8.4996, 1.5, -1.7}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST_F(TablasDeRestriccion, LaTablaDiariaSumaPorDiaYMuestraElRecorte) {
    TVectR K = TVectR::Create_ConValor(48, -11000);
    K.pv[24 + 3] = 8.5;  // day 2, hour 02:00
    std::string consola;
    double recorte = 0;
    const auto filas = TablaDiaria({RegistroSoloEnergia(Febrero(1, 0), 1), RegistroSoloEnergia(Febrero(1, 23), Falta),
                                    RegistroSoloEnergia(Febrero(2, 2), 3.2), RegistroSoloEnergia(Febrero(2, 3), 2)},
                                   1, Febrero(1), Febrero(3), 10, &K, &recorte, &consola);
    ASSERT_EQ(filas.size(), 4u);  // header and three days: 1 to 3 February
    TFilaTabla encabezado = {"Fecha", "Total"};
    for (int hr = 1; hr <= 24; ++hr) encabezado.push_back(std::to_string(hr));
    EXPECT_EQ(filas[0], encabezado);
    EXPECT_EQ(filas[1][0], "01-02-2018");
    EXPECT_EQ(ValorDeCelda(filas[1][1]), 1);  // the missing 23:00 counts in no total
    EXPECT_EQ(ValorDeCelda(filas[1][2 + 23]), Falta);
    EXPECT_EQ(filas[2][0], "02-02-2018");
    EXPECT_NEAR(ValorDeCelda(filas[2][1]), 3.5, 1e-12);
    EXPECT_NEAR(ValorDeCelda(filas[2][2 + 2]), 1.5, 1e-12);
    EXPECT_EQ(ValorDeCelda(filas[2][2 + 3]), 2);
    EXPECT_EQ(filas[3][0], "03-02-2018");
    EXPECT_NEAR(recorte, -1.7, 1e-12);
    // One console line per cell, then the cut and its share of the day totals.
    EXPECT_NE(consola.find("2 - 3 = 1.5\n"), std::string::npos);
    EXPECT_NE(consola.find("1 - 24 = -111111\n"), std::string::npos);
    EXPECT_NE(consola.find("3 - 24 = 0\n"), std::string::npos);
    const std::string cierre = "Recorte acum = " + FormatoGeneral(recorte, 15) + " MWh (" +
                               FormatoGeneral(recorte * 100 / 4.5, 15) + " %)\n";
    EXPECT_EQ(consola.substr(consola.size() - cierre.size()), cierre);
}

TEST_F(TablasDeRestriccion, UnInicioFueraDeLaHoraEnteraNoPierdeLasMedianoches) {
    // A series that begins at 00:10: hours count from 00:00, so the hour of
    // 00:00 of the second day is its column 1, and K's element 25 is its
    // metered value.
    TVectR K = TVectR::Create_ConValor(48, 0);
    K.pv[25] = 9;
    const auto filas = TablaDiaria({RegistroSoloEnergia(Febrero(1, 0), 0.5), RegistroSoloEnergia(Febrero(1, 23), 0.25),
                                    RegistroSoloEnergia(Febrero(2, 0), 2)},
                                   1, Febrero(1, 0, 10), Febrero(2, 12), 10, &K);
    ASSERT_EQ(filas.size(), 3u);
    EXPECT_EQ(ValorDeCelda(filas[1][2 + 0]), 0.5);
    EXPECT_EQ(ValorDeCelda(filas[1][2 + 23]), 0.25);
    EXPECT_EQ(ValorDeCelda(filas[2][2 + 0]), 1);
}

TEST_F(TablasDeRestriccion, LasHorasFueraDelPeriodoQuedanFuera) {
    double recorte = 0;
    const auto filas = TablaDiaria({RegistroSoloEnergia(Febrero(1) - Hora, 5), RegistroSoloEnergia(Febrero(2), 5)}, 1,
                                   Febrero(1), Febrero(1, 23), 10, nullptr, &recorte);
    ASSERT_EQ(filas.size(), 2u);
    EXPECT_EQ(ValorDeCelda(filas[1][1]), 0);
    EXPECT_EQ(recorte, 0);
}

TEST_F(TablasDeRestriccion, LaTablaDeDiezMinutosVaDesdeElInicioConCerosDondeNoHayRegistro) {
    TDAofRecsEnergiaPorFecha registros;
    const double t1 = FechaDeMuestra(Febrero(1, 14), 1.0 / 144, 2);  // 14:10
    AgregarEnergiaPorFecha(t1, 0.125, 7.5, 270, 1.4, 1.5, 0.5, registros);
    AgregarEnergiaPorFecha(t1, 0.25, 8, 271, 1.3, 1.45, 0.5, registros);  // replaces the earlier one
    AgregarEnergiaPorFecha(Febrero(2, 14), 9, 9, 9, 9, 9, 9, registros);  // after the last row
    AgregarEnergiaPorFecha(Febrero(1, 13, 50), 9, 9, 9, 9, 9, 9, registros);  // before the first row
    EscribirTablaRO_DTE(registros, Febrero(1, 14), Febrero(1, 18), Archivo("ro.txt"), "vel", "dir");
    const auto filas = TablaDeArchivo(Archivo("ro.txt"));
    ASSERT_EQ(filas.size(), 1u + 144);
    EXPECT_EQ(filas[0], (TFilaTabla{"Fecha", "ENS_MWh", "vel", "dir", "PotModelo", "PotDato", "CGM"}));
    EXPECT_EQ(filas[1], (TFilaTabla{"01-02-2018 14:00", R(0), R(0), R(0), R(0), R(0), R(0)}));
    EXPECT_EQ(filas[2], (TFilaTabla{"01-02-2018 14:10", R(0.25), R(8), R(271), R(1.45), R(1.3), R(0.5)}));
    EXPECT_EQ(filas[144][0], "02-02-2018 13:50");
    for (std::size_t j = 3; j <= 144; ++j) EXPECT_EQ(ValorDeCelda(filas[j][1]), 0) << j;
}

TEST(ConsultaVentanaHoraria, FebreroDe2018PideHastaElDiaSiguienteAlFin) {
    const TDateTime fin = EncodeDate(2018, 3, 2);
    EXPECT_EQ(ConsultaVentanaHoraria(25, EncodeDate(2018, 2, 1), std::trunc(fin + 1)),
              "/cgi-bin/IntranetApp/ventanaEAS_Horaria?central=25&dtIni=20180201&dtFin=20180303");
    // A start off midnight carries its hour and minute.
    EXPECT_EQ(ConsultaVentanaHoraria(7, EncodeDateTime(2018, 2, 1, 0, 10, 0, 0), fin),
              "/cgi-bin/IntranetApp/ventanaEAS_Horaria?central=7&dtIni=201802010010&dtFin=20180302");
}

TEST(MedidasHorariasDelPeriodo, SeAlineanPorElDiaYLaHoraDelInicio) {
    // A year window of 2018 whose slot k holds k: element 1 of the period
    // from 1 February 05:20 is the slot of 1 February 05:00.
    auto ventana = TVentanaKOLMHoraria::Create(25, EncodeDate(2018, 6, 1));
    for (int32_t k = 0; k < ventana->count(); ++k) ventana->FijarRegistro(k, {static_cast<double>(k), 1, 0});
    const TVectR K = MedidasHorariasDelPeriodo(*ventana, Febrero(1, 5, 20), 48);
    ASSERT_EQ(K.n, 48);
    EXPECT_EQ(K.pv[1], 31 * 24 + 5);
    EXPECT_EQ(K.pv[48], 31 * 24 + 5 + 47);
    // Hours past the window's year have no metered value.
    const TVectR finDeAnio = MedidasHorariasDelPeriodo(*ventana, EncodeDateTime(2018, 12, 31, 23, 0, 0, 0), 3);
    EXPECT_EQ(finDeAnio.pv[1], 8759);
    EXPECT_EQ(finDeAnio.pv[2], -11000);
    EXPECT_EQ(finDeAnio.pv[3], -11000);
}

}  // namespace
