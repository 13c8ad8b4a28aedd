#include <gtest/gtest.h>

#include <cmath>

#include "models/uauxdensidad.h"
#include "models/ucurvasaeros.h"
#include "numerics/archivotexto.h"
#include "numerics/errores.h"
#include "numerics/uauxiliares.h"

namespace {

TVectR Vector(std::initializer_list<double> valores) {
    TVectR v(static_cast<int32_t>(valores.size()));
    int32_t k = 1;
    for (double x : valores) v.pv[k++] = x;
    return v;
}

TCurvaAerogen Curva(std::initializer_list<double> v, std::initializer_list<double> p, double diametro = 80) {
    return TCurvaAerogen::Create(7, "Modelo de prueba", diametro, Vector(v), Vector(p));
}

double Logistica(double v, double pmax, double k, double centro) { return pmax / (1 + std::exp(-k * (v - centro))); }

}  // namespace

TEST(TCurvaAerogen, MesetaSuperiorYArranque) {
    const TCurvaAerogen c = Curva({3, 6, 9, 12, 15}, {0, 0.5, 2, 2, 2});
    EXPECT_EQ(c.n, 5);
    EXPECT_EQ(c.Pmax, 2);
    EXPECT_EQ(c.iNominal, 3);
    EXPECT_EQ(c.vNominal, 9);
    EXPECT_EQ(c.pvNominal, PotenciaDelViento(9, 1.225));
    EXPECT_EQ(c.iArranque, 2);
    EXPECT_EQ(c.vArranque, 6);
    EXPECT_DOUBLE_EQ(c.area, 40.0 * 40.0 * M_PI);
    EXPECT_EQ(c.pvMin, PotenciaDelViento(3, 1.225));
    EXPECT_EQ(c.pvMax, PotenciaDelViento(15, 1.225));
}

TEST(TCurvaAerogen, ElArranqueEsElPrimerPuntoConUnoPorCientoDelMaximo) {
    const TCurvaAerogen c = Curva({2, 3, 4, 10}, {0, 0.019999, 0.02, 2});
    EXPECT_EQ(c.iArranque, 3);
    EXPECT_EQ(c.vArranque, 4);
}

TEST(TCurvaAerogen, PotenciaPorDensidadDePotencia) {
    const TCurvaAerogen c = Curva({3, 6, 9, 12, 15}, {0, 0.5, 2, 2, 2});
    EXPECT_EQ(c.P_de_PotenciaViento(c.pvMin), 0);
    EXPECT_EQ(c.P_de_PotenciaViento(c.curva_PV.pv[2]), 0.5);
    EXPECT_DOUBLE_EQ(c.P_de_PotenciaViento((c.curva_PV.pv[2] + c.curva_PV.pv[3]) / 2), 1.25);
    EXPECT_EQ(c.P_de_PotenciaViento(c.pvMax), 2);
    EXPECT_EQ(c.P_de_PotenciaViento(std::nextafter(c.pvMax, 1.0)), 0);
    EXPECT_EQ(c.P_de_PotenciaViento(std::nextafter(c.pvMin, 0.0)), 0);
}

TEST(TCurvaAerogen, ElAjusteLogisticoRecuperaUnaCurvaS) {
    TVectR v(25), p(25);
    for (int i = 1; i <= 25; ++i) {
        v.pv[i] = i;
        p.pv[i] = i <= 15 ? Logistica(i, 2, 0.8, 8) : 2;
    }
    const TCurvaAerogen c = TCurvaAerogen::Create(1, "S", 90, v, p);
    EXPECT_EQ(c.vArranque, 3);
    EXPECT_EQ(c.vNominal, 16);
    EXPECT_TRUE(c.hayAjuste);
    EXPECT_EQ(c.nAjuste, 10);  // speeds 5..14 in [4.1, 14.4)
    EXPECT_NEAR(c.k, 0.8, 1e-9);
    EXPECT_NEAR(c.vCentro, 8, 1e-9);
    EXPECT_NEAR(c.residuo, 0, 1e-12);
}

TEST(TCurvaAerogen, LaVentanaDelAjusteIncluyeSuBordeInferiorYExcluyeElSuperior) {
    const double vArranque = 3;
    const double vNominal = 10;
    const double abajo = vArranque + 1.1;
    const double arriba = 0.9 * vNominal;
    const TCurvaAerogen c = Curva({vArranque, abajo, 6, arriba, vNominal, 25}, {0.05, 0.3, 1.0, 1.8, 2, 2});
    EXPECT_EQ(c.nAjuste, 2);
    ASSERT_TRUE(c.hayAjuste);
    // The line through the two points used.
    const double y1 = std::log(2 / 0.3 - 1), y2 = std::log(2 / 1.0 - 1);
    const double a = (y2 - y1) / (6 - abajo), b = y1 - a * abajo;
    EXPECT_NEAR(c.k, -a, 1e-12);
    EXPECT_NEAR(c.vCentro, b / -a, 1e-12);
}

class CurvaSinVentana : public ::testing::TestWithParam<std::vector<double>> {};

TEST_P(CurvaSinVentana, CargaSinAjuste) {
    const std::vector<double>& v = GetParam();
    TVectR vv(static_cast<int32_t>(v.size())), pp(static_cast<int32_t>(v.size()));
    for (std::size_t i = 0; i < v.size(); ++i) {
        vv.pv[i + 1] = v[i];
        pp.pv[i + 1] = i + 1 == v.size() ? 2.0 : 0.5 + 0.1 * i;
    }
    TCurvaAerogen c;
    ASSERT_NO_THROW(c = TCurvaAerogen::Create(1, "gruesa", 80, vv, pp));
    EXPECT_FALSE(c.hayAjuste);
    EXPECT_EQ(c.k, 0);
    EXPECT_EQ(c.vCentro, 0);
    EXPECT_GT(c.P_de_PotenciaViento(c.pvMax), 0);
}

INSTANTIATE_TEST_SUITE_P(Gruesas, CurvaSinVentana,
                         ::testing::Values(std::vector<double>{4, 12},          // no point in the window
                                           std::vector<double>{4, 6, 12},       // one point
                                           std::vector<double>{5}));            // a single point

TEST(TCurvaAerogen, UnaCurvaVaciaEsUnError) {
    EXPECT_THROW(TCurvaAerogen::Create(3, "vacía", 80, TVectR(), TVectR()), EErrorQuendal);
    EXPECT_THROW(Curva({3, 4}, {1}), EErrorQuendal);
}

TEST(TCurvaAerogen, SumarCurvas) {
    TCurvaAerogen base = Curva({3, 6, 9, 12, 15}, {0, 0.5, 2, 2, 2});
    const TCurvaAerogen copia = TCurvaAerogen::Create_Clonar(base);
    base.SumarCurvas({});
    EXPECT_EQ(base.curva_P.pv, copia.curva_P.pv);
    EXPECT_EQ(base.iNominal, copia.iNominal);
    EXPECT_EQ(base.k, copia.k);

    // The other curve covers only 6..9 m/s: it adds nothing at 3, 12 and 15.
    const TCurvaAerogen otra = Curva({6, 9}, {1, 3});
    base.SumarCurvas({&otra, &otra});
    EXPECT_EQ(base.curva_P.pv, (std::vector<double>{0, 0, 2.5, 8, 2, 2}));
    EXPECT_EQ(base.Pmax, 8);
    EXPECT_EQ(base.iNominal, 3);
    EXPECT_EQ(base.curva_PV.pv, copia.curva_PV.pv);
}

TEST(TCurvaAerogen, BloqueDeTextoIdaYVuelta) {
    const TCurvaAerogen c = Curva({3, 6.5, 9, 12, 25}, {0.01, 0.7, 1.9, 2, 2}, 82.5);
    TEscritorTexto w = TEscritorTexto::EnMemoria();
    c.GuardarEnTexto(w);
    TLectorTexto r = TLectorTexto::DesdeTexto(w.Contenido(), "curva");
    const TCurvaAerogen leida = TCurvaAerogen::Create_LeerDeTexto(r);
    EXPECT_EQ(leida.nid, c.nid);
    EXPECT_EQ(leida.modelo, c.modelo);
    EXPECT_EQ(leida.diametro, c.diametro);
    EXPECT_EQ(leida.curva_v.pv, c.curva_v.pv);
    EXPECT_EQ(leida.curva_P.pv, c.curva_P.pv);
    EXPECT_EQ(leida.curva_PV.pv, c.curva_PV.pv);
    EXPECT_EQ(leida.k, c.k);
    EXPECT_EQ(leida.iArranque, c.iArranque);
    EXPECT_TRUE(r.Eof());
    EXPECT_EQ(w.Contenido().substr(0, 22), "7\nModelo de prueba\n 8.");
}

TEST(TCurvaAerogen, UnNumeroMalFormadoFallaYDesapilaLosFormatos) {
    TLectorTexto r = TLectorTexto::DesdeTexto("7\nX\n80\n2\n3\nnueve\n2\n0\n1\n", "curva");
    EXPECT_THROW(TCurvaAerogen::Create_LeerDeTexto(r), EInOutError);
    EXPECT_EQ(ProfundidadFormatosInvariantes(), 0);
}
