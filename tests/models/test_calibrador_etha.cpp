// The calibrator: its cells, its ownership of the park, its file and the
// met-mast calibration on the synthetic plant, whose series follow the park's
// own model; and the combined model built from that calibrator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "models/ucalibrador.h"
#include "models/uparques_modelocombinado.h"
#include "numerics/errores.h"
#include "numerics/uauxiliares.h"
#include "test_calibrador_apoyo.h"

using namespace apoyo_calibrador;

namespace {

// ---------------------------------------------------------------- cells

struct CasoCelda {
    const char* nombre;
    bool valida;
    double ve, vt;
    double factor, velocidad;
};

class CeldaDeCalibracion : public ::testing::TestWithParam<CasoCelda> {};

TEST_P(CeldaDeCalibracion, FactorYVelocidad) {
    const CasoCelda& c = GetParam();
    const TCeldaCalibracion celda = CeldaCalibracion(c.valida, c.ve, c.vt);
    EXPECT_DOUBLE_EQ(celda.factor, c.factor);
    EXPECT_DOUBLE_EQ(celda.velocidad, c.velocidad);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, CeldaDeCalibracion,
    ::testing::Values(CasoCelda{"misma_velocidad", true, 7.5, 7.5, 1, 7.5},
                      CasoCelda{"doble_velocidad", true, 10, 5, 8, 10},
                      CasoCelda{"mitad", true, 4, 8, 0.125, 4},
                      CasoCelda{"sin_curva", false, 0, 6, 1, 6},
                      CasoCelda{"empirica_cero", true, 0, 6, 1, 6},
                      CasoCelda{"empirica_negativa", true, -2, 6, 1, 6},
                      CasoCelda{"empirica_nan", true, std::nan(""), 6, 1, 6},
                      CasoCelda{"teorica_cero", true, 5, 0, 1, 0}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST(FilaDeCalibracion, UnaVelocidadQueNoSubeTomaLaTeoricaOUnPocoMas) {
    TVectR factores = TVectR::Create_ConValor(5, 1.2);
    TVectR velocidades(5), teoricas(5);
    const double v[] = {0, 5, 9, 8, 8.5, 10};  // the empirical speeds of cells 2 and 3 overtake
    const double t[] = {0, 5, 6, 7.5, 8, 11};
    for (int32_t j = 1; j <= 5; ++j) {
        velocidades.pv[j] = v[j];
        teoricas.pv[j] = t[j];
    }
    OrdenarFilaCalibracion(factores, velocidades, teoricas);
    EXPECT_EQ(velocidades.pv[2], 9);
    EXPECT_EQ(factores.pv[2], 1.2);
    EXPECT_DOUBLE_EQ(velocidades.pv[3], 9.01);  // its theoretical 7.5 is below 9 too
    EXPECT_EQ(factores.pv[3], 1);
    EXPECT_DOUBLE_EQ(velocidades.pv[4], 9.02);
    EXPECT_EQ(velocidades.pv[5], 10);
    EXPECT_EQ(factores.pv[5], 1.2);
}

// ---------------------------------------------------------------- ownership

class CalibradorEnUnidad : public ConUnidadDePrueba {};

TEST_F(CalibradorEnUnidad, SiElModeloEmpiricoFallaElParqueQuedaConQuienLoDio) {
    auto parque = CrearParqueSintetico(41);
    TParque_ModeloTeorico* original = parque.get();
    EXPECT_THROW(TCalibradorParque::Create(parque, unidad_ + "/no_existe.sas", 1, 100, false), EErrorQuendal);
    EXPECT_EQ(parque.get(), original);
    EXPECT_EQ(ProfundidadFormatosInvariantes(), 0);
}

TEST_F(CalibradorEnUnidad, UnArchivoDeCalibradorTruncadoNoSeLee) {
    const std::string texto = LeerArchivo(EscribirCalibradorDeMano(42));
    const std::string ruta = unidad_ + "/truncado.clp";
    EscribirArchivo(ruta, texto.substr(0, texto.size() * 3 / 4));
    EXPECT_THROW(TCalibradorParque::Create_LeerDeArchivo(ruta), EInOutError);
    EXPECT_EQ(ProfundidadFormatosInvariantes(), 0);
}

TEST_F(CalibradorEnUnidad, ElArchivoDeCalibradorSeReescribeByteAByte) {
    const std::string ruta = EscribirCalibradorDeMano(43);
    auto calibrador = TCalibradorParque::Create_LeerDeArchivo(ruta);
    const std::string copia = unidad_ + "/copia.clp";
    calibrador->GuardarEnArchivo(copia);
    EXPECT_EQ(LeerArchivo(copia), LeerArchivo(ruta));
}

// ---------------------------------------------------------------- the synthetic plant

// Lines of a calibration table after its header and empty line.
std::vector<std::string> FilasDeTabla(const std::string& texto) {
    std::vector<std::string> filas;
    std::size_t inicio = 0;
    while (inicio <= texto.size()) {
        const std::size_t fin = texto.find('\n', inicio);
        filas.push_back(texto.substr(inicio, fin == std::string::npos ? std::string::npos : fin - inicio));
        if (fin == std::string::npos) break;
        inicio = fin + 1;
    }
    return filas;
}

class PlantaSinteticaCalibrada : public ConUnidadDePrueba {};

TEST_F(PlantaSinteticaCalibrada, LaCalibracionEscribeSusTablasSinNaNYElModeloCombinadoSeConstruye) {
    constexpr int32_t nid = 44;
    auto calibrador = CalibradorSintetico(nid, 60);
    TParque_ModeloTeorico& parque = *calibrador->Parque;
    const TParque_ModeloEmpirico& empirico = *calibrador->ModeloEmpirico;
    calibrador->CalibrarEthaMeteo();

    const std::string carpeta = CarpetaCentral(nid);
    for (const char* nombre : {"/Metha.txt", "/MdeVel.txt"}) {
        const std::string texto = LeerArchivo(carpeta + nombre);
        std::string minusculas = texto;
        for (char& c : minusculas)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        EXPECT_EQ(minusculas.find("nan"), std::string::npos) << nombre;
        EXPECT_EQ(minusculas.find("inf"), std::string::npos) << nombre;
        const auto filas = FilasDeTabla(texto);
        ASSERT_EQ(filas.size(), 2u + 72u) << nombre;
        EXPECT_EQ(filas[0], "sector\tvelocidad");
        EXPECT_EQ(filas[1], "");
        EXPECT_EQ(filas[2].substr(0, 2), "1\t");
        EXPECT_EQ(filas[73].substr(0, 3), "72\t");
        EXPECT_NE(texto.back(), '\n');
    }

    ASSERT_EQ(parque.meteo_etha.nf, 72);
    ASSERT_EQ(parque.mat_vientos.nc, 10);
    int sectoresConCurva = 0;
    double peorFactor = 0;
    for (int32_t i = 1; i <= 72; ++i) {
        const TVectR& velocidades = parque.mat_vientos.Fila(i);
        for (int32_t j = 2; j <= 10; ++j) EXPECT_GT(velocidades.pv[j], velocidades.pv[j - 1]) << i;
        for (int32_t j = 1; j <= 10; ++j) EXPECT_TRUE(std::isfinite(parque.meteo_etha.Elemento(i, j)));
        // Levels 1 and 10 are 10 % and 91 % of the authorised power.
        bool valida1 = false, valida10 = false;
        const double ve1 = empirico.VientoCurvaSInversa(i, 0.1 * parque.potencia_autorizada_mw, valida1);
        const double ve10 = empirico.VientoCurvaSInversa(i, 0.91 * parque.potencia_autorizada_mw, valida10);
        if (valida1 && valida10 && ve1 > 0 && ve10 > velocidades.pv[9]) {
            ++sectoresConCurva;
            EXPECT_DOUBLE_EQ(velocidades.pv[1], ve1) << i;
            EXPECT_DOUBLE_EQ(velocidades.pv[10], ve10) << i;
            for (int32_t j = 1; j <= 10; ++j)
                peorFactor = std::max(peorFactor, std::fabs(std::log(parque.meteo_etha.Elemento(i, j))));
        }
    }
    EXPECT_GT(sectoresConCurva, 36);
    // The series come from this very park: the two models need nearly the
    // same mast speeds.
    EXPECT_LT(peorFactor, std::log(1.6));
    for (double dir : {0.0, 47.0, 180.0, 359.0}) {
        EXPECT_EQ(parque.EthaMeteo(dir, 14), 1.0);
        EXPECT_EQ(parque.EthaMeteo(dir, 20), 1.0);
    }

    // The calibrator file keeps the new tables and rewrites byte for byte.
    const std::string clp = RutaCalibrador(nid);
    calibrador->GuardarEnArchivo(clp);
    auto releido = TCalibradorParque::Create_LeerDeArchivo(clp);
    EXPECT_EQ(releido->Parque->mat_vientos.Elemento(7, 3), parque.mat_vientos.Elemento(7, 3));
    const std::string copia = unidad_ + "/copia.clp";
    releido->GuardarEnArchivo(copia);
    EXPECT_EQ(LeerArchivo(copia), LeerArchivo(clp));

    // The combined model from it: ratios near 1, every factor positive and
    // finite, and its file rewrites byte for byte.
    auto combinado = TParque_ModeloCombinado::Create(clp);
    const TMatR& F = combinado->MatrizFactores;
    ASSERT_EQ(F.nf, 72);
    ASSERT_EQ(F.nc, combinado->ModeloEmpirico->nTramos());
    TMatR observados(F.nf, F.nc);
    combinado->CalcularRatiosObservados(observados);
    int observadas = 0;
    for (int32_t i = 1; i <= F.nf; ++i)
        for (int32_t j = 1; j <= F.nc; ++j) {
            EXPECT_TRUE(std::isfinite(F.Elemento(i, j)) && F.Elemento(i, j) > 0) << i << "," << j;
            if (observados.Elemento(i, j) > 0) {
                ++observadas;
                EXPECT_EQ(F.Elemento(i, j), observados.Elemento(i, j));
                EXPECT_GT(F.Elemento(i, j), 0.6) << i << "," << j;
                EXPECT_LT(F.Elemento(i, j), 1.6) << i << "," << j;
            }
        }
    EXPECT_GT(observadas, 72);
    const std::string pmc = RutaModeloCombinado(nid);
    combinado->GuardarEnArchivo(pmc);
    auto combinadoReleido = TParque_ModeloCombinado::Create_LeerDeArchivo(pmc);
    const std::string copiaPmc = unidad_ + "/copia.pmc";
    combinadoReleido->GuardarEnArchivo(copiaPmc);
    EXPECT_EQ(LeerArchivo(copiaPmc), LeerArchivo(pmc));
    EXPECT_EQ(LeerArchivo(pmc).substr(0, LeerArchivo(clp).size()), LeerArchivo(clp));
}

// ---------------------------------------------------------------- sector count

// The demo plant's calibrator, its park's mast tables replaced by ones for
// `sectores` sectors: a park that serves that count before the calibration.
std::unique_ptr<TCalibradorParque> CalibradorDemoConSectores(int32_t sectores) {
    const std::string carpetaDemo = std::string(QUENDAL_TEST_DATA) + "/../../examples/c9001";
    testing::internal::CaptureStdout();
    auto calibrador = TCalibradorParque::Create_LeerDeArchivo(carpetaDemo + "/c9001_calibrador.clp");
    testing::internal::GetCapturedStdout();
    TParque_ModeloTeorico& parque = *calibrador->Parque;
    parque.n_sectores_dir = sectores;
    parque.meteo_etha = TMatR(sectores, 10);
    parque.meteo_etha.Unos();
    parque.mat_vientos = TMatR(sectores, 10);
    parque.mat_vientos.Unos();
    return calibrador;
}

// Calibrates and returns what the console said.
std::string Calibrar(TCalibradorParque& calibrador) {
    testing::internal::CaptureStdout();
    calibrador.CalibrarEthaMeteo();
    return testing::internal::GetCapturedStdout();
}

class SectoresDelCalibrador : public ConUnidadDePrueba {};

// The calibration's tables have the empirical model's 72 sectors, whatever
// n_sectores_dir the park had: it becomes 72, so that EthaMeteo reads row i
// as the direction (i − 1)·5° and the calibrator file reads back.
TEST_F(SectoresDelCalibrador, LaCalibracionFijaLosSectoresDeSusTablas) {
    auto referencia = CalibradorDemoConSectores(72);
    EXPECT_EQ(Calibrar(*referencia).find("n_sectores_dir"), std::string::npos) << "72 sectors change nothing";
    const TParque_ModeloTeorico& calibrado = *referencia->Parque;
    ASSERT_EQ(calibrado.n_sectores_dir, 72);
    ASSERT_EQ(calibrado.meteo_etha.nf, 72);
    const std::string clpReferencia = unidad_ + "/referencia.clp";
    referencia->GuardarEnArchivo(clpReferencia);
    const double direcciones[] = {0, 45, 90, 180, 270};
    const double velocidades[] = {5, 8, 11};
    // A test that reads the 45° factor at 90° must see a difference.
    EXPECT_NE(calibrado.EthaMeteo(45, 8), calibrado.EthaMeteo(90, 8));

    for (const int32_t sectores : {36, 144}) {
        SCOPED_TRACE(std::to_string(sectores) + " sectores");
        auto calibrador = CalibradorDemoConSectores(sectores);
        const std::string consola = Calibrar(*calibrador);
        EXPECT_NE(consola.find("n_sectores_dir del parque pasa de " + std::to_string(sectores) + " a 72"),
                  std::string::npos)
            << consola;
        const TParque_ModeloTeorico& parque = *calibrador->Parque;
        EXPECT_EQ(parque.n_sectores_dir, 72);
        for (double d : direcciones)
            for (double v : velocidades) EXPECT_EQ(parque.EthaMeteo(d, v), calibrado.EthaMeteo(d, v)) << d << " " << v;

        // Saved, it reads back, gives the same factors and builds a combined model.
        const std::string clp = RutaCalibrador(parque.nid);
        calibrador->GuardarEnArchivo(clp);
        EXPECT_EQ(LeerArchivo(clp), LeerArchivo(clpReferencia));
        testing::internal::CaptureStdout();
        auto releido = TCalibradorParque::Create_LeerDeArchivo(clp);
        auto combinado = TParque_ModeloCombinado::Create(clp);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(releido->Parque->n_sectores_dir, 72);
        for (double d : direcciones) EXPECT_EQ(releido->Parque->EthaMeteo(d, 8), calibrado.EthaMeteo(d, 8)) << d;
        EXPECT_EQ(combinado->MatrizFactores.nf, 72);
        EXPECT_EQ(combinado->MatrizFactores.nc, 10);
    }
}

}  // namespace
