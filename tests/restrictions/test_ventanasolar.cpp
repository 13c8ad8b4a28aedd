// The solar window simulation on a plant whose model is the synthetic
// polynomial while the simulated series delivers 0.8 of it: the factors
// before and after the window are then 0.8, so inside the window the
// adjusted model power is 0.8 of the model's and the energy not generated of
// a sample held at its set-point is (0.8·P(R, T) - CGM) / 6.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>

#include "charts/libroexcel.h"
#include "charts/u_ExcelFile.h"
#include "data/ucarpetasmodelos.h"
#include "models/uGranjaSolar.h"
#include "models/uauxdensidad.h"
#include "numerics/errores.h"
#include "numerics/fechas.h"
#include "restrictions/ucalcrestriccionesoperativas.h"
#include "serie_solar_prueba.h"
#include "tests/soporte/captura_salida.h"

namespace {

constexpr int32_t Nid = 322;
constexpr double Entrega = 0.8;  // share of the model's power that the series delivers
constexpr double Consigna = 30;

TDateTime Enero(int dia, int hora = 0, int minuto = 0) { return EncodeDateTime(2018, 1, dia, hora, minuto, 0, 0); }
int32_t Muestra(int hora, int minuto = 0) { return hora * 6 + minuto / 10 + 1; }  // of 15 January

class VentanaSolar : public ::testing::Test {
protected:
    void SetUp() override {
        ::testing::internal::CaptureStdout();
        modelo_ = TGeneradorSolar::Create_DesdeMuestras(CentralSintetica(Nid), MuestrasSinteticas(2 * 144));
        ::testing::internal::GetCapturedStdout();

        serie_ = MuestrasSinteticas(2 * 144);
        for (int32_t i = 1; i <= serie_.PE.n; ++i) serie_.PE.pv[i] *= Entrega;
        // Restricted from 14:00 to 14:50, the plant held at the set-point.
        for (int32_t i = Muestra(14); i < Muestra(15); ++i) {
            serie_.Rad.pv[i] = 900 + 3 * (i - Muestra(14));
            serie_.Temp.pv[i] = 25;
            serie_.CGM.pv[i] = Consigna;
            serie_.PE.pv[i] = Consigna;
        }
        carpeta_ = CarpetaCentral(Nid);
        archivo_ = carpeta_ + "/c322_series10min.sas";
        EscribirSerieSolar(archivo_, serie_);
    }

    TUnidadCSolar unidad_;
    std::unique_ptr<TGeneradorSolar> modelo_;
    TMuestrasSolares serie_;
    std::string carpeta_, archivo_;
};

TEST_F(VentanaSolar, LosFactoresJuntoALaVentanaAjustanElModelo) {
    TAplicacionEnMemoria excel;
    TExcelFile informe = TExcelFile::Create(excel, 16);
    TDAofRecsEnergiaPorFecha registros;
    ::testing::internal::CaptureStdout();
    SimularVentanaSolar(*modelo_, archivo_, carpeta_, Enero(15, 10), Enero(15, 19), Enero(15, 14), Enero(15, 15), 0.9,
                        registros, 3, &informe);
    const std::string consola = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(consola.find("SIMULACION TERMINADA CON EXITO\n\n"), std::string::npos);

    // One record per restricted sample, distance-marked or not; the end
    // sample's set-point keeps it out.
    ASSERT_EQ(registros.size(), 6u);
    for (int32_t i = Muestra(14); i < Muestra(15); ++i) {
        const TRecEnergiaPorFecha& r = registros[static_cast<std::size_t>(i - Muestra(14))];
        SCOPED_TRACE(i);
        const double modelo = PolinomioSintetico(serie_.Rad.pv[i], serie_.Temp.pv[i]);
        EXPECT_EQ(r.fecha, FechaDeMuestra(Enero(15), 1.0 / 144, i));
        EXPECT_NEAR(r.PotModelo, Entrega * modelo, 1e-4);
        EXPECT_NEAR(r.ENS, (Entrega * modelo - Consigna) / 6, 1e-4);
        // The power not generated is taken in single precision.
        EXPECT_EQ(r.ENS, static_cast<double>(static_cast<float>(r.PotModelo - r.PotDato)) / 6);
        EXPECT_EQ(r.PotDato, Consigna);
        EXPECT_EQ(r.CGM, Consigna);
        EXPECT_EQ(r.Meteo1, serie_.Rad.pv[i]);
        EXPECT_EQ(r.Meteo2, 25);
    }

    // The spreadsheet report: after the step and the date, the eight columns
    // of the rows from 10:00 to 19:00 (the report names them with the
    // statistic, the mean of the one realisation).
    const THojaEnMemoria& hoja = excel.Libro().HojaDeTrabajo("201801151000");
    const char* titulos[] = {"Rad[W/m2]", "Temp[grC]", "P_MW_Dato[MW]", "CGM_Dato[MW]", "f_Disp[%]",
                             "P_MS_SinAj[MW]", "P_MS_ConAj[MW]", "pRed_conAjCP[MW]"};
    for (int c = 0; c < 8; ++c) EXPECT_EQ(hoja.Valor(2, 3 + c), TValorCelda(std::string(titulos[c]) + "_Prom"));
    const int filas = 9 * 6 + 1;
    EXPECT_EQ(hoja.Valor(3, 2), TValorCelda(Enero(15, 10)));
    for (int fila = 3; fila < 3 + filas; ++fila) EXPECT_TRUE(std::holds_alternative<double>(hoja.Valor(fila, 10)));
    EXPECT_EQ(hoja.Valor(3 + filas, 10), TValorCelda{});
    const int filaDeLas1420 = 3 + (Muestra(14, 20) - Muestra(10));
    EXPECT_NEAR(std::get<double>(hoja.Valor(filaDeLas1420, 10)), 6 * registros[2].ENS, 1e-9);
}

TEST_F(VentanaSolar, UnaMuestraRestringidaDeNocheNoTieneRegistro) {
    // The same restriction at 02:00 to 02:50: the model has a value, but the
    // sun is below the horizon at the plant's site.
    for (int32_t i = Muestra(2); i < Muestra(3); ++i) {
        serie_.Rad.pv[i] = 900 + 3 * (i - Muestra(2));
        serie_.CGM.pv[i] = Consigna;
        serie_.PE.pv[i] = Consigna;
    }
    EscribirSerieSolar(archivo_, serie_);
    TDAofRecsEnergiaPorFecha registros;
    ::testing::internal::CaptureStdout();
    SimularVentanaSolar(*modelo_, archivo_, carpeta_, Enero(14, 22), Enero(15, 7), Enero(15, 2), Enero(15, 3), 0.9,
                        registros, 3);
    const std::string consola = ::testing::internal::GetCapturedStdout();
    EXPECT_TRUE(registros.empty());
    EXPECT_NE(consola.find("Simulando fecha: 15/01/2018 02:20:00->FALSE\n"), std::string::npos);
    // The start before the series is clamped to its first sample.
    EXPECT_TRUE(std::filesystem::exists(carpeta_ + "/c322_ResultadosMC_20180115201801150700_3m.xlt"));
}

// A set-point counts as restricting only below Pa - 0.5 MW: 49.55 MW and
// exactly 49.5 MW on a 50 MW plant give no record, 49.45 MW gives one for
// every sample of the window.
TEST_F(VentanaSolar, SoloUnaConsignaMedioMWBajoLaAutorizadaDaRegistros) {
    ASSERT_EQ(modelo_->potencia_autorizada_mw, 50);
    for (const auto& [consigna, registrosEsperados] : {std::pair{49.55, 0u}, {49.5, 0u}, {49.45, 6u}}) {
        SCOPED_TRACE(consigna);
        for (int32_t i = Muestra(14); i < Muestra(15); ++i) {
            serie_.CGM.pv[i] = consigna;
            serie_.PE.pv[i] = consigna;
        }
        EscribirSerieSolar(archivo_, serie_);
        TDAofRecsEnergiaPorFecha registros;
        {
            TCapturaSalida consola;
            SimularVentanaSolar(*modelo_, archivo_, carpeta_, Enero(15, 10), Enero(15, 19), Enero(15, 14),
                                Enero(15, 15), 0.9, registros, 3);
        }
        ASSERT_EQ(registros.size(), registrosEsperados);
        for (std::size_t k = 0; k < registros.size(); ++k) {
            EXPECT_EQ(registros[k].fecha, FechaDeMuestra(Enero(15), 1.0 / 144, Muestra(14) + static_cast<int32_t>(k)));
            EXPECT_EQ(registros[k].CGM, consigna);
        }
    }
}

TEST_F(VentanaSolar, UnaVentanaFueraDeLaSerieNoSimulaNada) {
    TDAofRecsEnergiaPorFecha registros;
    ::testing::internal::CaptureStdout();
    SimularVentanaSolar(*modelo_, archivo_, carpeta_, Enero(20, 10), Enero(20, 19), Enero(20, 14), Enero(20, 15), 0.9,
                        registros, 3);
    const std::string consola = ::testing::internal::GetCapturedStdout();
    EXPECT_TRUE(registros.empty());
    EXPECT_EQ(consola.find("Simulando fecha"), std::string::npos);
}

TEST_F(VentanaSolar, UnAnilloVacioSeRechaza) {
    TDAofRecsEnergiaPorFecha registros;
    EXPECT_THROW(SimularVentanaSolar(*modelo_, archivo_, carpeta_, Enero(15, 10), Enero(15, 19), Enero(15, 14),
                                     Enero(15, 15), 0.9, registros, 0),
                 EErrorQuendal);
}

// Fewer series would be read as zero series, more (a wind plant's nine) in
// the wrong roles: both are refused.
TEST_F(VentanaSolar, UnArchivoQueNoTieneCincoSeriesSeRechaza) {
    const std::pair<int, const char*> casos[] = {
        {1, "1\n2018 1 15 0 0 0\n1/6\n2\n144\nP\n1 8\n2 9\n"},
        {9, "9\n2018 1 15 0 0 0\n1/6\n2\n144\nVel Ang PE Temp Pre HumRel CGM fDisp VarVel\n"
            "1 8 270 12 15 1013 50 24 12 0.5\n2 9 270 13 15 1013 50 24 12 0.5\n"}};
    for (const auto& [cantidad, texto] : casos) {
        std::ofstream(archivo_, std::ios::binary) << texto;
        try {
            TSerieSolarFiltrada::Leer(*modelo_, archivo_);
            ADD_FAILURE() << "se esperaba un error con " << cantidad << " series";
        } catch (const EErrorQuendal& e) {
            EXPECT_EQ(std::string(e.what()), "El archivo de series \"" + archivo_ + "\" tiene " +
                                                 std::to_string(cantidad) + " series y una central solar tiene 5");
        }
    }
}

}  // namespace
