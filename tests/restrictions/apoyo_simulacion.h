#pragma once
// What the wind simulation tests share: a drive C: of their own, a combined
// model whose power is known by hand and series files written from vectors.
//
// The hand-made plant: one turbine 500 m south of the met mast (downwind in a
// north wind), whose curve gives 3 MW from 3 m/s on, and an authorised power
// of 1.5 MW, so that every modelled power is the cap, 1.5 MW. Its combined
// model has no factor matrix (factor 1 everywhere).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "../models/test_calibrador_apoyo.h"
#include "data/ucarpetasmodelos.h"
#include "models/uparques_modelocombinado.h"
#include "models/uparques_modeloteorico.h"
#include "numerics/archivotexto.h"
#include "numerics/fechas.h"
#include "numerics/formatsettings.h"
#include "numerics/textoreal.h"
#include "numerics/uauxiliares.h"
#include "unidad_temporal.h"

namespace apoyo_simulacion {

constexpr int32_t NidDeMano = 12;
constexpr double PaDeMano = 1.5;
constexpr double Periodo = 1.0 / 144;

inline std::unique_ptr<TParque_ModeloTeorico> ParqueDeUnMolino(int32_t nid) {
    auto parque = TParque_ModeloTeorico::Create_Nuevo();
    parque->nid = nid;
    parque->potencia_autorizada_mw = PaDeMano;
    parque->potencia_nominal = 3;
    TVectR v(4), p(4);
    const double vs[] = {0, 2.9, 3, 40}, ps[] = {0, 0, 3, 3};
    for (int k = 0; k < 4; ++k) {
        v.pv[k + 1] = vs[k];
        p.pv[k + 1] = ps[k];
    }
    auto molino = std::make_unique<TMolino>();
    molino->nid = 1;
    molino->posicion = TPosicion::Create(0, -500);
    molino->curva = TCurvaAerogen::Create(1, "3 MW", 90, v, p);
    parque->molinos.push_back(std::move(molino));
    parque->Preparar();
    return parque;
}

// The calibrator file of the one-turbine park, read as a combined model.
inline std::unique_ptr<TParque_ModeloCombinado> ModeloDeUnMolino(int32_t nid) {
    const std::string ruta = RutaCalibrador(nid);
    TEscritorTexto f = TEscritorTexto::Crear(ruta);
    ParqueDeUnMolino(nid)->GuardarEnTexto(f);
    apoyo_calibrador::EscribirBloqueEmpiricoDeMano(f);
    f.Cerrar();
    return TParque_ModeloCombinado::Create_LeerDeArchivo(ruta);
}

// Nine ten-minute series from `inicio`, in the file's order. The defaults
// keep every filter quiet: speeds and directions cycle, availability 1,
// mild weather; power and set-point are the test's.
struct TSerieDePrueba {
    TDateTime inicio = 0;
    std::vector<double> vel, dir, pot, temp, pre, hum, cgm, disp, varVel;

    TSerieDePrueba(TDateTime t0, int32_t n) : inicio(t0) {
        for (int32_t k = 0; k < n; ++k) {
            vel.push_back(8 + k % 5);
            dir.push_back(k % 7);
            pot.push_back(1.2);
            temp.push_back(15);
            pre.push_back(1013);
            hum.push_back(50);
            cgm.push_back(PaDeMano);
            disp.push_back(1);
            varVel.push_back(0.5);
        }
    }
    int32_t N() const { return static_cast<int32_t>(vel.size()); }
    // Sample k (1-based) gets power P and set-point c.
    void Fijar(int32_t k, double P, double c) {
        pot[k - 1] = P;
        cgm[k - 1] = c;
    }
    void FijarDesdeHasta(int32_t k1, int32_t k2, double P, double c) {
        for (int32_t k = k1; k <= k2; ++k) Fijar(k, P, c);
    }
    TDateTime Fecha(int32_t k) const { return FechaDeMuestra(inicio, Periodo, k); }

    // A version-0 series file.
    void Escribir(const std::string& ruta) const {
        const TFechaHora f = DecodeDateTime(inicio);
        std::string texto = "9\n" + std::to_string(f.anio) + " " + std::to_string(f.mes) + " " +
                            std::to_string(f.dia) + " " + std::to_string(f.hora) + " " + std::to_string(f.minuto) +
                            " 0\n1/6\n" + std::to_string(N()) + "\n144\nVel\tDir\tP\tT\tPre\tHR\tCGM\tDisp\tVarVel\n";
        for (int32_t k = 0; k < N(); ++k) {
            texto += std::to_string(k + 1);
            for (const std::vector<double>* s : {&vel, &dir, &pot, &temp, &pre, &hum, &cgm, &disp, &varVel})
                texto += "\t" + FormatoGeneral((*s)[static_cast<std::size_t>(k)], 17, '.');
            texto += "\n";
        }
        std::ofstream(ruta, std::ios::binary) << texto;
    }
};

inline std::string LeerTexto(const std::string& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

inline std::vector<std::string> Partir(const std::string& texto, char separador) {
    std::vector<std::string> partes;
    std::string parte;
    std::istringstream s(texto);
    while (std::getline(s, parte, separador)) partes.push_back(parte);
    if (!texto.empty() && texto.back() == separador) partes.push_back("");
    return partes;
}

inline double Real(const std::string& texto) {
    double x = 0;
    EXPECT_TRUE(TextoDefectoAReal(texto, x)) << texto;
    return x;
}

// One row of a result table.
struct TFilaResultado {
    std::string fecha;
    double vel = 0, dir = 0, P = 0, CGM = 0, Padj = 0, pRed = 0;
};

// A result table: header, rows, then an empty line, the summary header and
// the summary row.
struct TTablaResultado {
    std::string encabezado;
    std::vector<TFilaResultado> filas;
    std::string encabezadoResumen;
    std::vector<std::string> resumen;

    static TTablaResultado Leer(const std::string& ruta) {
        TTablaResultado t;
        const std::vector<std::string> lineas = Partir(LeerTexto(ruta), '\n');
        EXPECT_GE(lineas.size(), 5u);
        if (lineas.size() < 5) return t;
        t.encabezado = lineas.front();
        EXPECT_EQ(lineas.back(), "");  // the last line is ended
        const std::size_t n = lineas.size();
        EXPECT_EQ(lineas[n - 4], "");
        t.encabezadoResumen = lineas[n - 3];
        t.resumen = Partir(lineas[n - 2], '\t');
        for (std::size_t k = 1; k + 4 < n; ++k) {
            const std::vector<std::string> c = Partir(lineas[k], '\t');
            EXPECT_EQ(c.size(), 7u) << lineas[k];
            if (c.size() != 7) continue;
            t.filas.push_back({c[0], Real(c[1]), Real(c[2]), Real(c[3]), Real(c[4]), Real(c[5]), Real(c[6])});
        }
        return t;
    }
};

inline const char* EncabezadoMC =
    "dt\tVel[m/s]\tDir[gr]\tP_MW_Dato[MW]\tCGM_Dato[MW]\tP_MW_MC_conAjCP\tpRed_conAjCP[MW]";
inline const char* EncabezadoResumen =
    "Fecha inicio\tFecha fin\t Energía no suministrada SCADA [MWh]\t Factor KOLM/SCADA [p.u] \t Energía no "
    "suministrada KOLM [MWh]";

// A drive C: with the model root; date texts as a user with "dd-mm-yyyy"
// dates would see them, the settings put back afterwards.
class ConFechasDeUsuario : public UnidadCTemporal {
protected:
    void SetUp() override {
        UnidadCTemporal::SetUp();
        InicializarCarpetaModelos();
        // The user's settings as start-up saves them: the series reads
        // push and pop the invariant switch, whose pop restores them.
        ajustesPrevios_ = AjustesFormato();
        AjustesFormato().ShortDateFormat = "dd-mm-yyyy";
        InicializarUAuxiliares();
    }
    void TearDown() override {
        AjustesFormato() = ajustesPrevios_;
        InicializarUAuxiliares();
        UnidadCTemporal::TearDown();
    }

private:
    FormatSettings ajustesPrevios_;
};

// The hand-made model of plant 12 and its folder.
class ConPlantaDeMano : public ConFechasDeUsuario {
protected:
    void SetUp() override {
        ConFechasDeUsuario::SetUp();
        modelo_ = ModeloDeUnMolino(NidDeMano);
        carpeta_ = CarpetaCentral(NidDeMano);
        archivoSeries_ = carpeta_ + "/c12_series10min.sas";
    }

    std::string RutaResultados(const std::string& nombre) const { return carpeta_ + "/" + nombre; }
    // The ".xlt" files in the plant folder.
    std::vector<std::string> Resultados() const {
        std::vector<std::string> nombres;
        for (const auto& e : std::filesystem::directory_iterator(carpeta_))
            if (e.path().extension() == ".xlt") nombres.push_back(e.path().filename().string());
        return nombres;
    }

    void BorrarResultados() const {
        for (const std::string& nombre : Resultados()) std::filesystem::remove(RutaResultados(nombre));
    }

    std::unique_ptr<TParque_ModeloCombinado> modelo_;
    std::string carpeta_, archivoSeries_;
};

inline TDateTime Dia() { return EncodeDate(2018, 1, 15); }
inline TDateTime Hora(int h, int m) { return Dia() + EncodeTime(h, m, 0, 0); }

// The hand-made day: 1.2 MW at set-point 1.5 to sample 85 (14:00), the
// restriction (0.5 / 0.5) from 86 to 91 (14:10-15:00), 1.5 MW at 1.5 from 92 on.
inline TSerieDePrueba DiaDeMano() {
    TSerieDePrueba serie(Dia(), 144);
    serie.FijarDesdeHasta(1, 85, 1.2, PaDeMano);
    serie.FijarDesdeHasta(86, 91, 0.5, 0.5);
    serie.FijarDesdeHasta(92, 144, 1.5, 1.5);
    return serie;
}

}  // namespace apoyo_simulacion
