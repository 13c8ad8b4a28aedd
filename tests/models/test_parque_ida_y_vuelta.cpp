// What the program writes, it reads back. One change at a time to the park of
// each of the demo's three model files: either the save refuses it, leaving
// the file as it was, or the file saved reads back and saves again byte for
// byte; and so alike under the C settings and under a decimal comma.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <algorithm>
#include <functional>
#include <limits>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "models/ucalibrador.h"
#include "models/uparques_modelocombinado.h"
#include "models/uparques_modeloteorico.h"
#include "numerics/errores.h"
#include "ajustes_de_usuario.h"
#include "archivos_de_prueba.h"
#include "unidad_temporal.h"

namespace fs = std::filesystem;

namespace {

// A model read from one of the three kinds of file: a park, a calibrator or
// a combined model; each holds the park block first.
struct TModeloLeido {
    std::unique_ptr<TParque_ModeloTeorico> parque;
    std::unique_ptr<TCalibradorParque> calibrador;
    std::unique_ptr<TParque_ModeloCombinado> combinado;

    TParque_ModeloTeorico& Parque() {
        if (parque) return *parque;
        return calibrador ? *calibrador->Parque : *combinado->Parque;
    }
    void Guardar(const std::string& ruta) const {
        if (parque)
            parque->GuardarEnArchivo(ruta);
        else if (calibrador)
            calibrador->GuardarEnArchivo(ruta);
        else
            combinado->GuardarEnArchivo(ruta);
    }
};

struct TClaseDeArchivo {
    const char* nombre;   // for the test's name
    const char* archivo;  // the demo's file
    std::function<TModeloLeido(const std::string&)> leer;
};

const TClaseDeArchivo kParque{"Parque", "c9001_parque_mt.pmt", [](const std::string& ruta) {
                                  return TModeloLeido{TParque_ModeloTeorico::Create_LeerDeArchivo(ruta), {}, {}};
                              }};
const TClaseDeArchivo kCalibrador{"Calibrador", "c9001_calibrador.clp", [](const std::string& ruta) {
                                      return TModeloLeido{{}, TCalibradorParque::Create_LeerDeArchivo(ruta), {}};
                                  }};
const TClaseDeArchivo kCombinado{"ModeloCalibrado", "c9001_modelo_calibrado.clp", [](const std::string& ruta) {
                                     return TModeloLeido{{}, {}, TParque_ModeloCombinado::Create_LeerDeArchivo(ruta)};
                                 }};

TMatR Tabla(int32_t filas, int32_t columnas) {
    TMatR m(filas, columnas);
    m.Unos();
    return m;
}

constexpr double kNoNumero = std::numeric_limits<double>::quiet_NaN();

// The one thing the reader repairs: an authorised power that is not above
// 1e-8 (0 or NaN) becomes 1e-8 when the park is prepared. Line 11 of the
// file holds it.
std::string ConPotenciaAutorizadaReparada(std::string texto) {
    std::size_t inicio = 0;
    for (int linea = 1; linea < 11; ++linea) inicio = texto.find('\n', inicio) + 1;
    const std::size_t fin = texto.find('\n', inicio);
    texto.replace(inicio, fin - inicio, " 1.0000000000000000E-008");
    return texto;
}

// Where two texts first differ, by line; empty when they are equal.
std::string PrimeraDiferencia(const std::string& a, const std::string& b) {
    if (a == b) return {};
    std::istringstream la(a), lb(b);
    std::string x, y;
    for (int linea = 1;; ++linea) {
        const bool hayA = static_cast<bool>(std::getline(la, x));
        const bool hayB = static_cast<bool>(std::getline(lb, y));
        if (!hayA && !hayB) return "they differ in their last line end";
        if (x != y || hayA != hayB) return "line " + std::to_string(linea) + ": \"" + x + "\" against \"" + y + "\"";
    }
}

struct TCambio {
    const char* nombre;
    std::function<void(TParque_ModeloTeorico&)> aplicar;
    // Empty: the save takes it. Otherwise what the refusal says is wrong.
    std::string rechazo;
    // For a change that is saved: what the second save gives from the first.
    std::function<std::string(std::string)> segundaGuardada = [](std::string texto) { return texto; };
};

void PrintTo(const TClaseDeArchivo& clase, std::ostream* os) { *os << clase.nombre; }
void PrintTo(const TCambio& cambio, std::ostream* os) { *os << cambio.nombre; }

std::string NombreDe(const TClaseDeArchivo& clase, const TCambio& cambio) {
    return std::string(cambio.nombre) + "_" + clase.nombre;
}

const std::vector<TCambio>& Cambios() {
    static const std::vector<TCambio> cambios = {
        // ---- refused: today each is saved and then refused by its reader
        {"MeteoEtha36x10", [](TParque_ModeloTeorico& p) { p.meteo_etha = Tabla(36, 10); },
         "La tabla mat_vientos (72 x 10) no tiene la forma de meteo_etha (36 x 10)"},
        {"MatVientos36x10", [](TParque_ModeloTeorico& p) { p.mat_vientos = Tabla(36, 10); },
         "La tabla mat_vientos (36 x 10) no tiene la forma de meteo_etha (72 x 10)"},
        {"MeteoEtha72x3", [](TParque_ModeloTeorico& p) { p.meteo_etha = Tabla(72, 3); },
         "La tabla mat_vientos (72 x 10) no tiene la forma de meteo_etha (72 x 3)"},
        {"AmbasTablas36x10Con72Sectores",
         [](TParque_ModeloTeorico& p) {
             p.meteo_etha = Tabla(36, 10);
             p.mat_vientos = Tabla(36, 10);
         },
         "Las tablas meteo_etha y mat_vientos tienen 36 filas, menos que los 72 sectores de n_sectores_dir"},
        {"CeroSectores", [](TParque_ModeloTeorico& p) { p.n_sectores_dir = 0; },
         "n_sectores_dir es 0: el parque necesita al menos un sector"},
        {"SetentaYTresSectores", [](TParque_ModeloTeorico& p) { p.n_sectores_dir = 73; },
         "Las tablas meteo_etha y mat_vientos tienen 72 filas, menos que los 73 sectores de n_sectores_dir"},
        {"NombreConLf", [](TParque_ModeloTeorico& p) { p.nombre = "Parque\nuno"; },
         "el nombre \"Parque\\nuno\" tiene un salto de línea"},
        {"NombreConCr", [](TParque_ModeloTeorico& p) { p.nombre = "Parque\runo"; },
         "el nombre \"Parque\\runo\" tiene un salto de línea"},
        {"ZonaDeUnMolinoEnBlanco", [](TParque_ModeloTeorico& p) { p.molinos[3]->posicion.zona = ' '; },
         "la zona UTM del molino 4 es \" \", que no se puede leer de vuelta"},
        {"ZonaDeUnMolinoSaltoDeLinea", [](TParque_ModeloTeorico& p) { p.molinos[3]->posicion.zona = '\n'; },
         "la zona UTM del molino 4 es \"\\n\", que no se puede leer de vuelta"},
        {"ZonaDeUnMolinoComa", [](TParque_ModeloTeorico& p) { p.molinos[3]->posicion.zona = ','; },
         "la zona UTM del molino 4 es \",\", que no se puede leer de vuelta"},
        {"PosicionUtmNoNumero", [](TParque_ModeloTeorico& p) { p.molinos[3]->posicion.yn = kNoNumero; },
         "la posición UTM del molino 4 ("},
        {"ModeloDeCurvaConLf", [](TParque_ModeloTeorico& p) { p.molinos[3]->curva.modelo = "Aero\nX"; },
         "el modelo \"Aero\\nX\" de la curva de potencia del molino 4 tiene un salto de línea"},
        // ---- saved, read back and saved again byte for byte
        {"TreintaYSeisSectoresConTablas36x10",
         [](TParque_ModeloTeorico& p) {
             p.n_sectores_dir = 36;
             p.meteo_etha = Tabla(36, 10);
             p.mat_vientos = Tabla(36, 10);
         }, ""},
        {"UnSector", [](TParque_ModeloTeorico& p) { p.n_sectores_dir = 1; }, ""},
        {"TabuladorEnElNombre", [](TParque_ModeloTeorico& p) { p.nombre = "Parque\tuno"; }, ""},
        {"NombreLatin1", [](TParque_ModeloTeorico& p) { p.nombre = "Parque \xF1" "and\xFA"; }, ""},
        {"NombreDe5000Letras", [](TParque_ModeloTeorico& p) { p.nombre = std::string(5000, 'n'); }, ""},
        {"SinMolinos", [](TParque_ModeloTeorico& p) { p.molinos.clear(); }, ""},
        {"FactorNoNumeroEnMeteoEtha", [](TParque_ModeloTeorico& p) { p.meteo_etha.FijarElemento(5, 3, kNoNumero); }, ""},
        {"ZonaDeLaTorreEnBlanco", [](TParque_ModeloTeorico& p) { p.meteo_utm_zona = ' '; }, ""},
        // The demo's turbines carry the band 0, a byte the line holds too.
        {"ZonaDeUnMolinoLetra", [](TParque_ModeloTeorico& p) { p.molinos[3]->posicion.zona = 'H'; }, ""},
        {"PotenciaAutorizadaCero", [](TParque_ModeloTeorico& p) { p.potencia_autorizada_mw = 0; }, "",
         ConPotenciaAutorizadaReparada},
        {"PotenciaAutorizadaNoNumero", [](TParque_ModeloTeorico& p) { p.potencia_autorizada_mw = kNoNumero; }, "",
         ConPotenciaAutorizadaReparada},
    };
    return cambios;
}

// What one run of a row leaves: the refusal's message, with the file's path
// in it as "<archivo>", or the bytes of the first save and of the save of
// what that one read back.
struct TResultadoDeLaFila {
    std::string rechazo, primera, segunda;
};

class IdaYVuelta : public UnidadCTemporal,
                   public ::testing::WithParamInterface<std::tuple<TClaseDeArchivo, TCambio>> {
protected:
    std::vector<std::string> ArchivosDeLaCarpeta(const std::string& carpeta) const {
        std::vector<std::string> nombres;
        for (const auto& entrada : fs::directory_iterator(carpeta)) nombres.push_back(entrada.path().filename());
        std::sort(nombres.begin(), nombres.end());
        return nombres;
    }

    // The row on a copy of the demo's file in a folder of its own, under the
    // settings in force.
    void Correr(const std::string& nombreCarpeta, TResultadoDeLaFila& resultado) {
        const auto& [clase, cambio] = GetParam();
        const std::string carpeta = unidad_ + "/" + nombreCarpeta;
        fs::create_directories(carpeta);
        const std::string ruta = carpeta + "/" + clase.archivo;
        fs::copy_file(CarpetaDemo + "/" + clase.archivo, ruta);

        TModeloLeido modelo = clase.leer(ruta);
        cambio.aplicar(modelo.Parque());
        const std::string antes = LeerArchivo(ruta);

        if (!cambio.rechazo.empty()) {
            try {
                modelo.Guardar(ruta);
                FAIL() << "the save took a park its reader refuses";
            } catch (const EInOutError& e) {
                const std::string mensaje = e.what();
                EXPECT_EQ(mensaje.rfind("No se guarda el parque 9001 (", 0), 0u) << mensaje;
                const std::size_t donde = mensaje.find(") en " + ruta + ": ");
                ASSERT_NE(donde, std::string::npos) << mensaje;
                EXPECT_NE(mensaje.find(cambio.rechazo), std::string::npos) << mensaje;
                resultado.rechazo = std::string(mensaje).replace(donde + 5, ruta.size(), "<archivo>");
            }
            EXPECT_EQ(PrimeraDiferencia(LeerArchivo(ruta), antes), "");
            EXPECT_EQ(ArchivosDeLaCarpeta(carpeta), std::vector<std::string>{clase.archivo});
            return;
        }

        modelo.Guardar(ruta);
        resultado.primera = LeerArchivo(ruta);
        ASSERT_FALSE(resultado.primera == antes) << "the change changed nothing";
        TModeloLeido leido = clase.leer(ruta);
        const std::string otra = carpeta + "/otra_vez";
        leido.Guardar(otra);
        resultado.segunda = LeerArchivo(otra);
        EXPECT_EQ(PrimeraDiferencia(resultado.segunda, cambio.segundaGuardada(resultado.primera)), "");
    }
};

// Every row under the C settings and under a decimal comma: the file format
// and the save's checks do not depend on the user's settings, so both runs
// refuse alike or write the same bytes.
TEST_P(IdaYVuelta, SeRechazaAlGuardarOSeLeeComoSeGuardo) {
    TResultadoDeLaFila enC, conComa;
    {
        const TAjustesDeUsuario ajustes(AjustesDeC());
        SCOPED_TRACE("C");
        Correr("C", enC);
    }
    {
        const TAjustesDeUsuario ajustes(AjustesDeComaDecimal());
        SCOPED_TRACE("decimal comma");
        Correr("coma", conComa);
    }
    EXPECT_EQ(conComa.rechazo, enC.rechazo);
    EXPECT_EQ(PrimeraDiferencia(conComa.primera, enC.primera), "");
    EXPECT_EQ(PrimeraDiferencia(conComa.segunda, enC.segunda), "");
}

INSTANTIATE_TEST_SUITE_P(ArchivosDeLaDemo, IdaYVuelta,
                         ::testing::Combine(::testing::Values(kParque, kCalibrador, kCombinado),
                                            ::testing::ValuesIn(Cambios())),
                         [](const auto& info) {
                             return NombreDe(std::get<0>(info.param), std::get<1>(info.param));
                         });

}  // namespace
