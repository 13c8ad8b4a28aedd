// Turbine power curves read from `curvas_aerogen`, and the metering factor
// that park files older than version 4 take from the plant's row.
#include <gtest/gtest.h>

#include "models/ucurvasaeros.h"
#include "models/uparques_modeloteorico.h"
#include "numerics/errores.h"
#include "numerics/formatsettings.h"
#include "test_parque_bd_base.h"

namespace {

class CurvasYFactorDesdeBD : public ParqueEnBaseDeDatos {};

std::string Fixture(const std::string& nombre) { return std::string(QUENDAL_TEST_DATA) + "/parques/" + nombre; }

// A flat top: the rated point is the first at the top power; the cut-in the
// first with at least 1 % of it. The strings may hold expressions.
TEST_F(CurvasYFactorDesdeBD, CurvaDesdeSusCadenasDeVector) {
    Ejecutar("INSERT INTO curvas_aerogen VALUES (4, 'Plana', 100, '[5|3;6;9;12;15]', '[5|0;0.5;1+1;SQRT(4);2]')");
    con_.OlvidarSentencias();
    // The server writes '.', whatever the user's separator.
    const char separadorPrevio = AjustesFormato().DecimalSeparator;
    AjustesFormato().DecimalSeparator = ',';
    const TCurvaAerogen c = TCurvaAerogen::Create_DesdeBD(con_, 4);
    AjustesFormato().DecimalSeparator = separadorPrevio;

    EXPECT_EQ(con_.SentenciasEnviadas(), std::vector<std::string>{"SELECT * FROM curvas_aerogen WHERE nid =4"});
    EXPECT_EQ(c.nid, 4);
    EXPECT_EQ(c.modelo, "Plana");
    EXPECT_EQ(c.diametro, 100);
    ASSERT_EQ(c.n, 5);
    EXPECT_EQ(c.curva_P.pv[3], 2);
    EXPECT_EQ(c.iNominal, 3);
    EXPECT_EQ(c.vNominal, 9);
    EXPECT_EQ(c.iArranque, 2);
    EXPECT_DOUBLE_EQ(c.area, 2500 * 3.141592653589793);
}

TEST_F(CurvasYFactorDesdeBD, CurvaQueNoEstaOMalEscrita) {
    EXPECT_EQ(Mensaje([&] { TCurvaAerogen::Create_DesdeBD(con_, 77); }),
              "No está la curva de potencia 77 en curvas_aerogen");
    Ejecutar("INSERT INTO curvas_aerogen VALUES (5, 'Rota', 90, '[2|3;x]', '[2|0;1]')");
    EXPECT_THROW(TCurvaAerogen::Create_DesdeBD(con_, 5), EConvertError);
}

TEST_F(CurvasYFactorDesdeBD, ArchivoAntiguoTomaElFactorDeLaCentral) {
    Ejecutar("UPDATE centrales SET factor_kolm_scada = 0.955");
    con_.OlvidarSentencias();
    testing::internal::CaptureStdout();
    const auto p = TParque_ModeloTeorico::Create_LeerDeArchivo(Fixture("parque_v2.pmt"), &con_);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(p->nid, 31);
    EXPECT_EQ(p->factor_kolm_scada, 0.955);
    EXPECT_EQ(con_.SentenciasEnviadas(),
              std::vector<std::string>{"SELECT factor_kolm_scada from centrales where nid=31"});
    // Version 2 holds no met-mast table either.
    EXPECT_EQ(p->potencia_nominal, 18);
    EXPECT_EQ(p->meteo_etha.nf, 72);
    EXPECT_EQ(p->meteo_etha.nc, 10);
    EXPECT_EQ(p->meteo_etha.SumaElementos(), 720);
    EXPECT_EQ(p->nid_central_KOLM, -1);
    EXPECT_EQ(p->grilla_rotada_margen_dx, 1000);
}

TEST_F(CurvasYFactorDesdeBD, ArchivoDeVersion1ConFinesCRLFTomaElFactorDeLaCentral) {
    Ejecutar("UPDATE centrales SET factor_kolm_scada = 0.955");
    const auto p = TParque_ModeloTeorico::Create_LeerDeArchivo(Fixture("parque_v1_crlf.pmt"), &con_);
    EXPECT_EQ(p->factor_kolm_scada, 0.955);
    // Version 1, with CR LF line ends, holds no nominal power either.
    EXPECT_EQ(p->nombre, "Parque Prueba Uno");
    EXPECT_EQ(p->molinos[1]->curva.modelo, "Aero Y");
    EXPECT_EQ(p->potencia_nominal, p->potencia_autorizada_mw);
    EXPECT_EQ(p->meteo_etha.nf, 72);
}

// A plant whose row holds no factor gives none: the file is refused rather
// than read with a factor of 0.
TEST_F(CurvasYFactorDesdeBD, ArchivoAntiguoDeCentralSinFactorSeRechaza) {
    Ejecutar("UPDATE centrales SET factor_kolm_scada = NULL");
    const std::string motivo =
        Mensaje([&] { TParque_ModeloTeorico::Create_LeerDeArchivo(Fixture("parque_v1_crlf.pmt"), &con_); });
    EXPECT_NE(motivo.find("la fila de la central 31 (Parque Prueba Uno) en la tabla centrales no tiene "
                          "factor_kolm_scada"),
              std::string::npos)
        << motivo;
}

TEST_F(CurvasYFactorDesdeBD, ArchivoConFactorNoConsultaLaBase) {
    const auto p = TParque_ModeloTeorico::Create_LeerDeArchivo(Fixture("parque_v4.pmt"), &con_);
    EXPECT_EQ(p->factor_kolm_scada, 0.98);
    EXPECT_TRUE(con_.SentenciasEnviadas().empty());
}

}  // namespace
