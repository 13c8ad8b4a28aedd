// One worker or eight: the whole-series simulation, the window simulation and
// the wind restriction run write the same bytes, append the same records,
// print the same console and leave the shared model's park in the same state,
// bit for bit. On a varied park built here (turbines of three curves, ethas
// and parameters off their defaults, a factor matrix that varies everywhere,
// a series with gaps, stuck readings, outages and many restrictions) and on
// the demo plant's year under examples/.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "../models/test_calibrador_apoyo.h"
#include "apoyo_simulacion.h"
#include "data/ucarpetasmodelos.h"
#include "models/uparques_modelocombinado.h"
#include "models/uparques_modeloteorico.h"
#include "models/uplantasintetica.h"
#include "numerics/archivotexto.h"
#include "numerics/uhilos.h"
#include "restrictions/ucalcrestriccionesoperativas.h"
#include "variable_entorno.h"

using namespace apoyo_simulacion;
namespace fs = std::filesystem;

namespace {

constexpr int32_t NidVariado = 77;
constexpr int32_t U = 6;
const std::string CarpetaDemo = std::string(QUENDAL_TEST_DATA) + "/../../examples/c9001";

// QUENDAL_HILOS set for the object's life, then put back as it was.
class HilosFijos : public VariableDeEntornoFija {
public:
    explicit HilosFijos(int32_t hilos) : VariableDeEntornoFija(VariableHilos, std::to_string(hilos).c_str()) {}
};

bool MismosBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TCurvaAerogen Curva(int32_t nid, double diametro, double escala, double corrimiento) {
    const double vs[] = {2.5, 4, 5, 6, 7, 8, 9, 10, 11, 12.5, 14, 25};
    const double ps[] = {0, 0.08, 0.2, 0.38, 0.6, 0.88, 1.2, 1.5, 1.75, 1.92, 2, 2};
    TVectR v(12), p(12);
    for (int k = 0; k < 12; ++k) {
        v.pv[k + 1] = vs[k] + corrimiento;
        p.pv[k + 1] = ps[k] * escala;
    }
    return TCurvaAerogen::Create(nid, "curva " + std::to_string(nid), diametro, v, p);
}

// Seven turbines of three curves over about 2 km by 1.5 km, the mast among
// them so that some directions put it in a wake, parameters off their
// defaults and a grid coarse enough for a test.
std::unique_ptr<TParque_ModeloTeorico> ParqueVariado(int32_t nid) {
    auto parque = TParque_ModeloTeorico::Create_Nuevo();
    parque->nid = nid;
    parque->nombre = "Parque variado";
    parque->alfa_terreno = 0.65;
    parque->gamma_atmosfera = 0.3;
    parque->fpv3pe = 1.6;
    parque->factor_perdidas = 0.02;
    parque->potencia_nominal = 16.5;
    parque->potencia_autorizada_mw = 14;
    parque->grilla_rotada_dx = 15;
    parque->grilla_rotada_dy = 4;
    parque->grilla_rotada_margen_dx = 400;
    const TCurvaAerogen curvas[] = {Curva(1, 90, 1, 0), Curva(2, 110, 1.5, 0.4), Curva(3, 80, 0.9, -0.3)};
    const double xs[] = {-900, -350, 120, 610, 980, -620, 300};
    const double ys[] = {-400, -610, -150, -700, 200, 520, 690};
    for (int k = 0; k < 7; ++k) {
        auto molino = std::make_unique<TMolino>();
        molino->nid = k + 1;
        molino->curva = curvas[k % 3];
        molino->etha = 0.93 + 0.02 * k;
        molino->posicion = TPosicion::Create(xs[k], ys[k]);
        parque->molinos.push_back(std::move(molino));
    }
    for (int32_t i = 1; i <= parque->meteo_etha.nf; ++i)
        for (int32_t j = 1; j <= parque->meteo_etha.nc; ++j) {
            parque->meteo_etha.FijarElemento(i, j, 0.9 + 0.2 * std::sin(0.3 * i + j));
            parque->mat_vientos.FijarElemento(i, j, 2.0 * j + 0.01 * i);
        }
    parque->Preparar();
    return parque;
}

// The varied park's combined model: its calibrator file with the hand-made
// empirical block, read back, with a factor matrix between 0.85 and 1.15.
std::unique_ptr<TParque_ModeloCombinado> ModeloVariado(const TParque_ModeloTeorico& parque) {
    const std::string ruta = RutaCalibrador(parque.nid);
    TEscritorTexto f = TEscritorTexto::Crear(ruta);
    parque.GuardarEnTexto(f);
    apoyo_calibrador::EscribirBloqueEmpiricoDeMano(f);
    f.Cerrar();
    auto modelo = TParque_ModeloCombinado::Create_LeerDeArchivo(ruta);
    modelo->MatrizFactores = TMatR(72, 10);
    for (int32_t i = 1; i <= 72; ++i)
        for (int32_t j = 1; j <= 10; ++j)
            modelo->MatrizFactores.FijarElemento(i, j, 1 + 0.15 * std::sin(1.7 * i + 0.9 * j));
    return modelo;
}

// Ten days from the synthetic generator with its faults, and two more
// restrictions a day: one the plant follows, one it stands far below.
// Gives back the series' first sample and its end.
std::pair<TDateTime, TDateTime> EscribirSerieVariada(TParque_ModeloTeorico& parque, const std::string& ruta) {
    const TTablaPotenciaSintetica tabla = TTablaPotenciaSintetica::Create(parque);
    TOpcionesPlantaSintetica opciones;
    opciones.nid = parque.nid;
    opciones.dias = 10;
    opciones.inicio = EncodeDate(2018, 3, 1);
    TSeriesSinteticas s = GenerarSeriesSinteticas(parque, tabla, opciones);
    const double Pa = parque.potencia_autorizada_mw;
    for (int32_t dia = 0; dia < opciones.dias; ++dia) {
        const int32_t seguida = dia * 144 + 10 + (dia * 29) % 60;
        for (int32_t k = seguida; k < seguida + 12; ++k) {
            s.CGM.pv[k] = std::floor(Pa * (0.3 + 0.06 * (dia % 8)));
            if (s.PE.pv[k] > s.CGM.pv[k]) s.PE.pv[k] = s.CGM.pv[k] - 0.05;
        }
        const int32_t lejana = dia * 144 + 90 + (dia * 13) % 40;
        for (int32_t k = lejana; k < lejana + 5; ++k) {
            s.CGM.pv[k] = 8;
            s.PE.pv[k] = 1;
        }
    }
    EscribirSeriesSas(ruta, s);
    return {s.inicio, s.inicio + s.Vel.n / 144.0};
}

// Every file of a folder by name, with its bytes.
std::map<std::string, std::string> Archivos(const std::string& carpeta) {
    std::map<std::string, std::string> archivos;
    for (const auto& e : fs::directory_iterator(carpeta))
        if (e.is_regular_file()) archivos[e.path().filename().string()] = LeerTexto(e.path().string());
    return archivos;
}

void EsperarMismosArchivos(const std::string& carpetaUno, const std::string& carpetaVarios) {
    const std::map<std::string, std::string> uno = Archivos(carpetaUno), varios = Archivos(carpetaVarios);
    ASSERT_FALSE(uno.empty());
    ASSERT_EQ(uno.size(), varios.size());
    for (const auto& [nombre, bytes] : uno) {
        ASSERT_TRUE(varios.count(nombre)) << nombre;
        EXPECT_TRUE(varios.at(nombre) == bytes) << nombre << " difiere";
    }
}

void EsperarMismosRegistros(const TDAofRecsEnergiaPorFecha& uno, const TDAofRecsEnergiaPorFecha& varios) {
    ASSERT_EQ(uno.size(), varios.size());
    for (std::size_t k = 0; k < uno.size(); ++k) {
        const TRecEnergiaPorFecha &a = uno[k], &b = varios[k];
        EXPECT_TRUE(MismosBits(a.fecha, b.fecha) && MismosBits(a.ENS, b.ENS) && MismosBits(a.PotDato, b.PotDato) &&
                    MismosBits(a.PotModelo, b.PotModelo) && MismosBits(a.CGM, b.CGM) &&
                    MismosBits(a.Meteo1, b.Meteo1) && MismosBits(a.Meteo2, b.Meteo2))
            << "registro " << k;
    }
}

// What the park picture and ValorEnPunto read after a simulation: the
// direction, the free stream, the turbines' last results and the grid.
struct TEstadoParque {
    double direccion = 0, pvLibre = 0, mastil = 0;
    std::vector<double> valores;  // turbines' pvMedia and potencia, then every grid cell

    static TEstadoParque De(const TParque_ModeloTeorico& p) {
        TEstadoParque e;
        e.direccion = p.direccion;
        e.pvLibre = p.pvLibre;
        e.mastil = p.ValorEnPunto(0, 0);
        for (const auto& molino : p.molinos) {
            e.valores.push_back(molino->pvMedia);
            e.valores.push_back(molino->potencia);
        }
        const TGrillaEstela& g = p.Grilla();
        e.valores.push_back(g.nf);
        e.valores.push_back(g.nc);
        for (int32_t i = 1; i <= g.nf; ++i)
            for (int32_t j = 1; j <= g.nc; ++j) e.valores.push_back(g.Elemento(i, j));
        return e;
    }
};

void EsperarMismoEstado(const TEstadoParque& uno, const TEstadoParque& varios) {
    EXPECT_TRUE(MismosBits(uno.direccion, varios.direccion));
    EXPECT_TRUE(MismosBits(uno.pvLibre, varios.pvLibre));
    EXPECT_TRUE(MismosBits(uno.mastil, varios.mastil));
    ASSERT_EQ(uno.valores.size(), varios.valores.size());
    std::size_t distintos = 0;
    for (std::size_t k = 0; k < uno.valores.size(); ++k) distintos += !MismosBits(uno.valores[k], varios.valores[k]);
    EXPECT_EQ(distintos, 0u);
}

// What one simulation left behind.
struct TResultado {
    std::string consola;
    TDAofRecsEnergiaPorFecha registros;
    TEstadoParque estado;
};

class SimulacionConHilos : public ConFechasDeUsuario {
protected:
    // A plant folder of its own for each run, so that the two runs' files
    // can be set side by side.
    std::string Carpeta(const std::string& nombre) const {
        const std::string carpeta = unidad_ + "/" + nombre;
        fs::create_directories(carpeta);
        return carpeta;
    }

    // The varied plant: its model and model file and its series file.
    void PrepararPlantaVariada() {
        auto parque = ParqueVariado(NidVariado);
        archivoSeries_ = CarpetaCentral(NidVariado) + "/c77_series10min.sas";
        std::tie(inicio_, fin_) = EscribirSerieVariada(*parque, archivoSeries_);
        modelo_ = ModeloVariado(*parque);
        archivoModelo_ = RutaModeloCombinado(NidVariado);
        modelo_->GuardarEnArchivo(archivoModelo_);
    }

    void PrepararPlantaDemo() {
        modelo_ = TParque_ModeloCombinado::Create_LeerDeArchivo(CarpetaDemo + "/c9001.pmc");
        archivoModelo_ = CarpetaDemo + "/c9001.pmc";
        archivoSeries_ = CarpetaDemo + "/c9001_series10min.sas";
        inicio_ = EncodeDate(2018, 1, 1);
        fin_ = EncodeDate(2019, 1, 1);
    }

    TResultado SimularSerie(int32_t hilos, const std::string& carpeta, bool velLibre, bool soloTeorico,
                            bool conservarRestringidas, bool errores) {
        const HilosFijos fijos(hilos);
        TResultado r;
        testing::internal::CaptureStdout();
        SimularSerieConModeloCombinado(false, *modelo_, archivoSeries_, carpeta, velLibre, inicio_, fin_,
                                       inicio_ + 1.5, fin_ - 0.5, 0.97, r.registros, U, errores, soloTeorico,
                                       conservarRestringidas);
        r.consola = testing::internal::GetCapturedStdout();
        r.estado = TEstadoParque::De(*modelo_->Parque);
        return r;
    }

    // The run's windows one by one through the window simulation, as the
    // wind run did before it planned them all at once.
    TResultado SimularVentanas(int32_t hilos, const std::string& carpeta) {
        const HilosFijos fijos(hilos);
        TResultado r;
        testing::internal::CaptureStdout();
        const TSeriesEolicasFiltradas series = LeerYFiltrarSeriesEolicas(*modelo_->Parque, archivoSeries_);
        TDateTime ini = inicio_, fin = fin_;
        const TDAofRecsFechas ventanas =
            BuscarVentanasDeRestriccion(*series.datos, modelo_->Parque->potencia_autorizada_mw, ini, fin, 7);
        EXPECT_GT(ventanas.size(), 10u);
        const double factorKolm = modelo_->Parque->factor_kolm_scada;  // the run's
        for (const TRecFechasRestriccion& v : ventanas)
            SimularVentanaEolica(false, *modelo_, series, carpeta, false, v.fechaIni - 1.0 / 6, v.fechaFin + 1.0 / 6,
                                 v.fechaIni, v.fechaFin, factorKolm, r.registros, U, false, false, true);
        r.consola = testing::internal::GetCapturedStdout();
        r.estado = TEstadoParque::De(*modelo_->Parque);
        return r;
    }

    std::string Correr(int32_t hilos, const std::string& carpeta) {
        const HilosFijos fijos(hilos);
        unsetenv(VariableServicioMedicion);
        testing::internal::CaptureStdout();
        ProcesarRestriccionesEolico(archivoModelo_, archivoSeries_, carpeta, false, false, U, inicio_, fin_);
        return testing::internal::GetCapturedStdout();
    }

    void EsperarSerieIgual(bool velLibre, bool soloTeorico, bool conservarRestringidas, bool errores) {
        const std::string uno = Carpeta("uno"), ocho = Carpeta("ocho");
        const TResultado r1 = SimularSerie(1, uno, velLibre, soloTeorico, conservarRestringidas, errores);
        const TResultado r8 = SimularSerie(8, ocho, velLibre, soloTeorico, conservarRestringidas, errores);
        EsperarMismosArchivos(uno, ocho);
        EXPECT_TRUE(r1.consola == r8.consola);
        EXPECT_FALSE(r1.registros.empty());
        EsperarMismosRegistros(r1.registros, r8.registros);
        EsperarMismoEstado(r1.estado, r8.estado);
    }

    void EsperarCorridaIgual() {
        const std::string uno = Carpeta("corrida_uno"), ocho = Carpeta("corrida_ocho");
        const std::string consola1 = Correr(1, uno);
        const std::string consola8 = Correr(8, ocho);
        EsperarMismosArchivos(uno, ocho);
        EXPECT_GT(Archivos(uno).size(), 10u);  // the windows' tables and the run's three
        EXPECT_TRUE(consola1 == consola8);
    }

    std::unique_ptr<TParque_ModeloCombinado> modelo_;
    std::string archivoModelo_, archivoSeries_;
    TDateTime inicio_ = 0, fin_ = 0;
};

TEST_F(SimulacionConHilos, LaSerieDelParqueVariadoEsLaMismaConUnoYConOchoHilos) {
    PrepararPlantaVariada();
    struct Caso {
        bool velLibre, soloTeorico, conservarRestringidas, errores;
    };
    for (const Caso c : {Caso{false, false, true, true}, Caso{true, false, false, true}, Caso{false, true, true, false}}) {
        SCOPED_TRACE(testing::Message() << "velLibre " << c.velLibre << ", soloTeorico " << c.soloTeorico
                                        << ", conservarRestringidas " << c.conservarRestringidas);
        EsperarSerieIgual(c.velLibre, c.soloTeorico, c.conservarRestringidas, c.errores);
    }
}

TEST_F(SimulacionConHilos, LasVentanasDelParqueVariadoSonLasMismasConUnoYConOchoHilos) {
    PrepararPlantaVariada();
    const std::string uno = Carpeta("uno"), ocho = Carpeta("ocho");
    const TResultado r1 = SimularVentanas(1, uno);
    const TResultado r8 = SimularVentanas(8, ocho);
    EsperarMismosArchivos(uno, ocho);
    EXPECT_TRUE(r1.consola == r8.consola);
    EsperarMismosRegistros(r1.registros, r8.registros);
    EsperarMismoEstado(r1.estado, r8.estado);
}

TEST_F(SimulacionConHilos, LaCorridaDelParqueVariadoEsLaMismaConUnoYConOchoHilos) {
    PrepararPlantaVariada();
    EsperarCorridaIgual();
}

// The run planned at once gives the tables of the windows simulated one by
// one with one worker, which is what the run did before.
TEST_F(SimulacionConHilos, LaCorridaPlaneadaDaLasTablasDeLasVentanasUnaPorUna) {
    PrepararPlantaVariada();
    const std::string corrida = Carpeta("corrida"), ventanas = Carpeta("ventanas");
    Correr(8, corrida);
    SimularVentanas(1, ventanas);
    const std::map<std::string, std::string> deCorrida = Archivos(corrida), deVentanas = Archivos(ventanas);
    std::size_t tablas = 0;
    for (const auto& [nombre, bytes] : deVentanas) {
        ASSERT_TRUE(deCorrida.count(nombre)) << nombre;
        EXPECT_TRUE(deCorrida.at(nombre) == bytes) << nombre;
        ++tablas;
    }
    EXPECT_GT(tablas, 10u);
}

TEST_F(SimulacionConHilos, ElAnioDeLaPlantaDemoEsElMismoConUnoYConOchoHilos) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "Con ThreadSanitizer las corridas de referencia de un hilo sobre el año tardan minutos; "
                    "el parque variado recorre el mismo camino con ocho hilos";
#endif
    PrepararPlantaDemo();
    EsperarSerieIgual(false, false, true, false);
    EsperarCorridaIgual();
}

}  // namespace
