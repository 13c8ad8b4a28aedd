// The empirical model built end to end from series files: the synthetic
// plant, whose generating park is known, and small hand-made series.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "data/ucarpetasmodelos.h"
#include "models/uauxdensidad.h"
#include "models/uparques_modeloempirico.h"
#include "models/uparques_modeloteorico.h"
#include "models/uplantasintetica.h"
#include "models/uproblemacurvas.h"
#include "numerics/archivotexto.h"
#include "numerics/errores.h"
#include "numerics/uauxiliares.h"
#include "numerics/uproblema.h"
#include "tests/models/test_calibrador_apoyo.h"
#include "unidad_temporal.h"

namespace fs = std::filesystem;

namespace {

// A drive C: of its own for every test, and the optimiser's log inside it.
class ConUnidadC : public UnidadCTemporal {
protected:
    void SetUp() override {
        UnidadCTemporal::SetUp();
        testing::internal::CaptureStdout();
        InicializarCarpetaModelos();
        testing::internal::GetCapturedStdout();
        FijarCarpetaLogEstimarMultiplicadores(unidad_);
    }
    void TearDown() override {
        FijarCarpetaLogEstimarMultiplicadores("");
        UnidadCTemporal::TearDown();
    }
};

std::string LeerArchivo(const std::string& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

std::string PrimeraLinea(const std::string& ruta) {
    const std::string texto = LeerArchivo(ruta);
    return texto.substr(0, texto.find('\n'));
}

int ContarLineas(const std::string& ruta) {
    const std::string texto = LeerArchivo(ruta);
    return static_cast<int>(std::count(texto.begin(), texto.end(), '\n'));
}

class PlantaSintetica : public ConUnidadC {};

TEST_F(PlantaSintetica, LasCurvasAjustadasSiguenAlParqueQueGeneroLasSeries) {
    TOpcionesPlantaSintetica opciones;
    opciones.nid = 77;
    opciones.dias = 120;
    const TPlantaSintetica planta = GenerarPlantaSintetica(opciones);
    auto parque = TParque_ModeloTeorico::Create_LeerDeArchivo(planta.archivoParque);
    auto verdad = TTablaPotenciaSintetica::Create(*parque);
    auto modelo = TParque_ModeloEmpirico::Create(*parque, planta.archivoSeries, 1, 100, false);

    const double Paut = parque->potencia_autorizada_mw;
    int comparados = 0, cerca = 0;
    double peor = 0;
    for (int32_t k = 1; k <= modelo->nSectores(); ++k) {
        if (modelo->cntMuestras.Elemento(k) <= 50) continue;
        for (int32_t j = 1; j <= modelo->nTramos(); ++j) {
            if (modelo->cntTramos.Elemento(k, j) < 10) continue;
            const double v = VientoDePotencia(modelo->mediosTramos.Elemento(j), DensidadBase);
            const double ajustada = modelo->CurvaSSector(k, v, 0);
            const double generada = verdad.Potencia(modelo->AnguloSector(k), v);
            const double error = std::fabs(ajustada - generada) / Paut;
            peor = std::max(peor, error);
            cerca += error < 0.03 ? 1 : 0;
            ++comparados;
        }
    }
    // Within 3 % of the authorised power nearly everywhere; the worst bins lie
    // where the wind runs along the rows and the wakes change fast with
    // direction inside a sector's ±5°.
    EXPECT_GT(comparados, 300);
    EXPECT_GT(cerca, 0.95 * comparados);
    EXPECT_LT(peor, 0.08);
    for (const char* nombre : {"curvas_s_.xlt", "curvas_s_completadas_.xlt", "series_filtradas.xlt"})
        EXPECT_TRUE(fs::exists(CarpetaCentral(77) + "/" + nombre)) << nombre;
}

// ---------------------------------------------------------------- hand-made series

// Samples of a plant that follows one S-curve, placed by direction.
class SerieHecha {
public:
    // n samples within half a degree of a direction (never twice the same, so
    // no run of repeated direction forms), with speeds spread over [vDesde,
    // vHasta] and the power of the S-curve (alfa 0.8, vm 9, 24 MW) plus a
    // small ripple.
    void AgregarGrupo(double direccion, int n, double vDesde, double vHasta) {
        for (int i = 0; i < n; ++i) {
            const double v = vDesde + (vHasta - vDesde) * (i + 0.5) / n;
            Agregar(direccion + Vaiven(), v, Curva(v) + 0.5 * std::sin(1.7 * static_cast<double>(muestras_.size())));
        }
    }
    double Vaiven() const { return 0.5 * std::sin(0.9 * static_cast<double>(muestras_.size())); }
    void Agregar(double direccion, double v, double potencia) { muestras_.push_back({direccion, v, potencia}); }
    static double Curva(double v) { return CurvaS(v, 24, 0, 0.8, 9, 24); }

    // The file, at 1.225 kg/m³ (15 °C, 1013.25 hPa, dry air would be close;
    // the density is computed, so the series gives its own), full
    // availability and no restriction.
    std::string Escribir(int32_t nid, double periodoHoras = 1.0 / 6.0) const {
        TSeriesSinteticas s;
        s.inicio = 45658;
        s.periodoHoras = periodoHoras;
        const auto n = static_cast<int32_t>(muestras_.size());
        for (TVectR* v : {&s.Vel, &s.Ang, &s.PE, &s.Temp, &s.Pre, &s.HumRel, &s.CGM, &s.fDisp, &s.VarVel})
            *v = TVectR(n);
        for (int32_t k = 1; k <= n; ++k) {
            const Muestra& m = muestras_[static_cast<std::size_t>(k - 1)];
            s.Vel.pv[k] = m.v;
            s.Ang.pv[k] = m.direccion;
            s.PE.pv[k] = m.potencia;
            s.Temp.pv[k] = 15;
            s.Pre.pv[k] = 1013;
            s.HumRel.pv[k] = 0;
            s.CGM.pv[k] = 24;
            s.fDisp.pv[k] = 1;
            s.VarVel.pv[k] = 0.25;
        }
        const std::string ruta = RutaArchivoEnCarpetaCentral(nid, "_series10min.sas");
        EscribirSeriesSas(ruta, s);
        return ruta;
    }

private:
    struct Muestra {
        double direccion, v, potencia;
    };
    std::vector<Muestra> muestras_;
};

class SerieConSectores : public ConUnidadC {
protected:
    // Rich groups at 170° and 190°, 30 samples at 180° (sector 37 alone
    // holds only them), and at 270° a rich group whose bin 3 (4 to 6 m/s once
    // the largest speed is 20 m/s) holds collinear samples and whose bin 7
    // (12 to 14 m/s) holds one sample.
    void SetUp() override {
        ConUnidadC::SetUp();
        serie_.AgregarGrupo(170, 400, 1, 20);
        serie_.AgregarGrupo(190, 400, 1, 20);
        serie_.AgregarGrupo(180, 30, 3, 15);
        for (int i = 0; i < 400; ++i) {
            const double v = 1 + 19 * (i + 0.5) / 400;
            if (v >= 11.9 && v <= 14.1) continue;
            const double potencia = v >= 3.9 && v <= 6.1 ? LineaDeTramo(v * v * v * 0.6125e-6)
                                                         : SerieHecha::Curva(v) + 0.5 * std::sin(1.3 * i);
            serie_.Agregar(270 + serie_.Vaiven(), v, potencia);
        }
        serie_.Agregar(270, 13, SerieHecha::Curva(13));
        parque_ = CrearParqueSintetico(5);
    }
    static double LineaDeTramo(double pd) { return -0.233 + 16430 * pd; }

    SerieHecha serie_;
    std::unique_ptr<TParque_ModeloTeorico> parque_;
};

TEST_F(SerieConSectores, UnTramoColinealRecuperaSuRectaYUnaSolaMuestraDaMenosUno) {
    const std::string archivo = serie_.Escribir(5);
    testing::internal::CaptureStdout();
    auto modelo = TParque_ModeloEmpirico::Create(*parque_, archivo, 1, 100, false);
    testing::internal::GetCapturedStdout();
    const int32_t sector = 55;  // 270°
    // The collinear bin (the distance filter may take some of its samples).
    // Brought to 1.225 kg/m³ the line stays a line: with r = 1.225 / rho,
    // power r·P and density pd / r give intercept r·a and slope r²·b.
    const double r = DensidadBase / DensidadAire(15, 1013, 0);
    EXPECT_GE(modelo->cntTramos.Elemento(sector, 3), 10);
    EXPECT_NEAR(modelo->ordenadasTramos.Elemento(sector, 3), -0.233 * r, 1e-6);
    EXPECT_NEAR(modelo->pendientesTramos.Elemento(sector, 3), 16430 * r * r, 0.05);
    EXPECT_NEAR(modelo->PE_Tramos.Elemento(sector, 3),
                16430 * r * r * modelo->mediosTramos.Elemento(3) - 0.233 * r, 1e-6);
    // The bin of one sample, and the bins without any.
    EXPECT_EQ(modelo->cntTramos.Elemento(sector, 7), -1);
    EXPECT_EQ(modelo->PE_Tramos.Elemento(sector, 7), 0);
    EXPECT_EQ(modelo->cntTramos.Elemento(19, 3), -1);
}

TEST_F(SerieConSectores, UnSectorPobreEntreDosRicosSeRelajaEntreEllos) {
    const std::string archivo = serie_.Escribir(5);
    testing::internal::CaptureStdout();
    auto modelo = TParque_ModeloEmpirico::Create(*parque_, archivo, 1, 100, false);
    const std::string consola = testing::internal::GetCapturedStdout();
    EXPECT_EQ(consola.find("Ningún sector"), std::string::npos);
    ASSERT_GT(modelo->cntMuestras.Elemento(36), 50);
    ASSERT_GT(modelo->cntMuestras.Elemento(38), 50);
    // Its own count of fit points stays (the distance filter may take some).
    EXPECT_LE(modelo->cntMuestras.Elemento(37), 30);
    EXPECT_GT(modelo->cntMuestras.Elemento(37), 10);
    for (const TVectR* p : {&modelo->alfa, &modelo->vm, &modelo->Pmax, &modelo->DeltaP})
        EXPECT_NEAR(p->Elemento(37), (p->Elemento(36) + p->Elemento(38)) / 2, 1e-3);
    // The rich sectors keep their own fits, close to the curve of the data.
    for (int32_t k : {35, 36, 38, 39})
        for (double v : {5.0, 9.0, 13.0})
            EXPECT_NEAR(modelo->CurvaSSector(k, v, 0), SerieHecha::Curva(v), 0.5) << k << " " << v;
    // The completed table shows the rich sectors' own parameters.
    const std::string tabla = LeerArchivo(CarpetaCentral(5) + "/curvas_s_completadas_.xlt");
    EXPECT_EQ(tabla.substr(0, tabla.find('\n')), "ang\talfa_completo\tvm_completo\tPmax_completo\tDeltaP_completo");
    EXPECT_EQ(ContarLineas(CarpetaCentral(5) + "/curvas_s_completadas_.xlt"), 73);
}

TEST_F(SerieConSectores, ElFiltroDeDistanciaApartaElPeorDecimoDeLasValidas) {
    const std::string archivo = serie_.Escribir(5);
    testing::internal::CaptureStdout();
    auto modelo = TParque_ModeloEmpirico::Create(*parque_, archivo, 1, 100, false);
    const std::string consola = testing::internal::GetCapturedStdout();
    const int32_t n = modelo->nMuestras;
    ASSERT_EQ(n, 1184);
    int32_t validas = 0, apartadas = 0;
    for (int32_t k = 1; k <= n; ++k) {
        const bool otra = modelo->Filt_Huecos[k] || modelo->Filt_Coherencia[k] || modelo->Filt_CGM[k] ||
                          modelo->Filt_Disponibilidad[k];
        validas += otra ? 0 : 1;
        apartadas += modelo->Filtro_Distancia[k] ? 1 : 0;
        EXPECT_FALSE(otra && modelo->Filtro_Distancia[k]);
    }
    EXPECT_EQ(apartadas, validas - static_cast<int32_t>(0.9 * validas));
    EXPECT_NE(consola.find("Muestras filtradas por Distancia: " + std::to_string(apartadas) + " ("),
              std::string::npos);
    EXPECT_NE(consola.find("Calculando Modelo Empirico ...\n\nCantidad total de muestras en la serie historica de "
                           "datos: 1184\n\n"),
              std::string::npos);
    EXPECT_NE(consola.find("Modelo Empirico calculado con exito.\n\n"), std::string::npos);
}

TEST_F(SerieConSectores, EstadisticasDeLasMuestrasValidas) {
    testing::internal::CaptureStdout();
    auto modelo = TParque_ModeloEmpirico::Create(*parque_, serie_.Escribir(5), 1, 100, false);
    testing::internal::GetCapturedStdout();
    TEstadisticasModeloEmpirico e;
    ASSERT_TRUE(modelo->Estadisticas(e));
    ASSERT_TRUE(e.distribucionVelocidad && e.distribucionDireccion);
    EXPECT_GT(e.distribucionVelocidad->k, 1);
    EXPECT_EQ(e.consigna.minimo, 24);
    EXPECT_EQ(e.consigna.maximo, 24);
    EXPECT_EQ(e.disponibilidad.maximo, 1);
    EXPECT_GE(e.velocidad.minimo, 0);
    EXPECT_LE(e.velocidad.maximo, 20.5);
    double suma = 0;
    for (int32_t k = 1; k <= modelo->nSectores(); ++k) suma += modelo->FrecuenciaDireccion(modelo->AnguloSector(k));
    EXPECT_NEAR(suma, 1, 1e-12);
}

// Calm samples give no S-curve in any sector (every fit fails on speeds of
// 0), so no model is built from them.
TEST_F(ConUnidadC, SinVelocidadesDistintasNoHayModelo) {
    SerieHecha serie;
    for (int i = 0; i < 30; ++i) serie.Agregar(10.0 + i, 0, 0.5 + 0.01 * i);  // calm, no run: power changes
    auto parque = CrearParqueSintetico(6);
    testing::internal::CaptureStdout();
    try {
        TParque_ModeloEmpirico::Create(*parque, serie.Escribir(6), 1, 100, false);
        ADD_FAILURE() << "a model was built from calm samples";
    } catch (const EErrorQuendal& error) {
        EXPECT_NE(std::string(error.what()).find("ningún sector obtuvo su curva S"), std::string::npos)
            << error.what();
    }
    testing::internal::GetCapturedStdout();
}

// The files in the plant folder, by name.
std::vector<std::string> ArchivosDeLaCarpeta(int32_t nid) {
    std::vector<std::string> nombres;
    for (const auto& entrada : fs::directory_iterator(CarpetaCentral(nid)))
        nombres.push_back(entrada.path().filename().string());
    std::sort(nombres.begin(), nombres.end());
    return nombres;
}

// A file of fewer than nine series (a solar plant's five, or a header that
// says 2 or 8) or without samples is refused as the wind runs refuse it,
// before anything is computed or written.
TEST_F(ConUnidadC, UnArchivoDeMenosDeNueveSeriesOSinMuestrasSeRechazaSinEscribirNada) {
    SerieHecha serie;
    serie.AgregarGrupo(10, 40, 3, 15);
    auto parque = CrearParqueSintetico(9);
    for (const auto& caso : apoyo_calibrador::CabecerasRechazadas) {
        const std::string archivo = serie.Escribir(9);
        apoyo_calibrador::CambiarLineaDelArchivo(archivo, caso.linea, caso.texto);
        testing::internal::CaptureStdout();
        try {
            TParque_ModeloEmpirico::Create(*parque, archivo, 1, 100, true);
            ADD_FAILURE() << "built from " << caso.texto;
        } catch (const EErrorQuendal& error) {
            EXPECT_EQ(std::string(error.what()), "El archivo de series \"" + archivo + "\" " + caso.mensaje);
        }
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << caso.mensaje;
        EXPECT_EQ(ArchivosDeLaCarpeta(9), std::vector<std::string>{"c9_series10min.sas"}) << caso.mensaje;
    }
}

// Fit ranges that hold no power leave every sector without an S-curve: the
// first pass ends the build before the distance filter, the charts or the
// tables.
TEST_F(SerieConSectores, UnRangoDeAjusteSinPotenciasNoConstruyeElModelo) {
    const std::string archivo = serie_.Escribir(5);
    const std::pair<int32_t, int32_t> rangos[] = {{1000, 2000}, {2147483646, 2147483647}};
    for (const auto& [inferior, superior] : rangos) {
        testing::internal::CaptureStdout();
        try {
            TParque_ModeloEmpirico::Create(*parque_, archivo, inferior, superior, true);
            ADD_FAILURE() << "built with " << inferior << " and " << superior;
        } catch (const EErrorQuendal& error) {
            EXPECT_EQ(std::string(error.what()),
                      "No se construye el modelo empírico: ningún sector obtuvo su curva S. Ninguno tiene más de "
                      "10 muestras con potencias entre el " + std::to_string(inferior) + " % y el " +
                          std::to_string(superior) + " % de la potencia autorizada (24 MW) y un ajuste logrado.");
        }
        const std::string consola = testing::internal::GetCapturedStdout();
        EXPECT_EQ(consola.find("Muestras filtradas por Distancia"), std::string::npos);
        EXPECT_EQ(ArchivosDeLaCarpeta(5), std::vector<std::string>{"c5_series10min.sas"});
    }
}

TEST_F(ConUnidadC, ElPeriodoDebeSerDeDiezMinutos) {
    SerieHecha serie;
    serie.AgregarGrupo(10, 20, 3, 15);
    auto parque = CrearParqueSintetico(8);
    // 9.996 minutes, 0.24 s off: accepted as exactly ten minutes.
    testing::internal::CaptureStdout();
    auto modelo = TParque_ModeloEmpirico::Create(*parque, serie.Escribir(8, 0.1666), 1, 100, false);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(modelo->periodo, 1.0 / 144.0);
    try {
        TParque_ModeloEmpirico::Create(*parque, serie.Escribir(8, 0.25), 1, 100, false);
        ADD_FAILURE() << "a fifteen-minute series was accepted";
    } catch (const EErrorQuendal& error) {
        EXPECT_STREQ(error.what(),
                     "Error en el archivo de series de datos. El periodo entre muestras es: 0.25, y debe ser "
                     "0.16666667163372.");
    }
}

TEST_F(ConUnidadC, LasTablasDeSalidaLlevanSusCabecerasYUnaFilaPorMuestra) {
    SerieHecha serie;
    serie.AgregarGrupo(10, 40, 3, 15);
    auto parque = CrearParqueSintetico(9);
    testing::internal::CaptureStdout();
    auto modelo = TParque_ModeloEmpirico::Create(*parque, serie.Escribir(9), 1, 100, false);
    testing::internal::GetCapturedStdout();
    const std::string carpeta = CarpetaCentral(9);
    EXPECT_EQ(PrimeraLinea(carpeta + "/curvas_s_.xlt"),
              "ang\talfa\tvm\talfa_varvel\terrc2\tcntMuestras\tMT_alfa\tMT_vm");
    EXPECT_EQ(ContarLineas(carpeta + "/curvas_s_.xlt"), 73);
    EXPECT_EQ(PrimeraLinea(carpeta + "/series_filtradas.xlt"),
              "dt\tVel[m/s]\tAng[°]\tPE[MW]\tTemp[°C]\tPre[hPA]\tHumRel[%]\tCGM[MW]\tfDisp[p.u.]\t"
              "VarVel[(m/s)^2]\tFilt_Huecos\tFilt_Coherencia\tFilt_Disponibilidad\tFilt_CGM\tFiltro_Distancia");
    EXPECT_EQ(ContarLineas(carpeta + "/series_filtradas.xlt"), 41);
    const std::string series = LeerArchivo(carpeta + "/series_filtradas.xlt");
    const std::size_t segunda = series.find('\n') + 1;
    // The first sample at midnight: the date alone, then nine values and five flags.
    EXPECT_EQ(series.substr(segunda, 11), "01/01/2025\t");
    EXPECT_EQ(std::count(series.begin() + segunda, series.begin() + series.find('\n', segunda), '\t'), 14);
}

TEST_F(ConUnidadC, ConGraficosGuardaLosPlanosYUnGraficoPorSectorYPasada) {
    SerieHecha serie;
    serie.AgregarGrupo(10, 60, 3, 15);
    auto parque = CrearParqueSintetico(10);
    testing::internal::CaptureStdout();
    auto modelo = TParque_ModeloEmpirico::Create(*parque, serie.Escribir(10), 1, 100, true);
    testing::internal::GetCapturedStdout();
    const std::string carpeta = CarpetaCentral(10);
    EXPECT_TRUE(fs::exists(carpeta + "/muestras_filtrados_plano_pe_vel_0.jpg"));
    EXPECT_TRUE(fs::exists(carpeta + "/muestras_filtrados_plano_dir_vel_0.jpg"));
    int jpg = 0;
    for (const auto& entrada : fs::directory_iterator(carpeta)) jpg += entrada.path().extension() == ".jpg" ? 1 : 0;
    EXPECT_EQ(jpg, 2 + 2 * 72);
    EXPECT_TRUE(fs::exists(carpeta + "/500_1.jpg"));
    EXPECT_TRUE(fs::exists(carpeta + "/35500_2.jpg"));
}

}  // namespace
