// Restriction windows read from a series file.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "data/useriestemporales.h"
#include "numerics/errores.h"
#include "numerics/fechas.h"
#include "numerics/textoreal.h"
#include "restrictions/ucalcrestriccionesoperativas.h"

namespace fs = std::filesystem;

namespace {

constexpr double Periodo = 1.0 / 144;

class ArchivoDeSeries : public ::testing::Test {
protected:
    void SetUp() override {
        std::string plantilla = (fs::temp_directory_path() / "ventanasarchivo_XXXXXX").string();
        ASSERT_NE(::mkdtemp(plantilla.data()), nullptr);
        carpeta_ = plantilla;
    }
    void TearDown() override { fs::remove_all(carpeta_); }

    // A version-0 file of ten-minute samples from 15 January 2018 00:00 with
    // nSeries series; series `columna` holds the set-points, the others 1.
    std::string Escribir(int nSeries, int columna, const std::vector<double>& consignas) const {
        const std::string ruta = (carpeta_ / "p12_series10min.sas").string();
        std::string texto = std::to_string(nSeries) + "\n2018 1 15 0 0 0\n1/6\n" +
                            std::to_string(consignas.size()) + "\n144\n";
        for (int s = 1; s <= nSeries; ++s) texto += "s" + std::to_string(s) + "\t";
        texto += "\n";
        for (std::size_t k = 0; k < consignas.size(); ++k) {
            texto += std::to_string(k + 1);
            for (int s = 1; s <= nSeries; ++s) texto += "\t" + FormatoGeneral(s == columna ? consignas[k] : 1.0, 15, '.');
            texto += "\n";
        }
        std::ofstream(ruta, std::ios::binary) << texto;
        return ruta;
    }

    fs::path carpeta_;
};

TDateTime Inicio() { return EncodeDateTime(2018, 1, 15, 0, 0, 0, 0); }

TEST_F(ArchivoDeSeries, LaColumnaDeConsignasDeUnParqueEolico) {
    const std::string ruta = Escribir(9, 7, {40, 10, 10, 40, 10, 40});
    TDateTime ini = Inicio() - 1, fin = Inicio() + 1;
    const TDAofRecsFechas ventanas = BuscarVentanasDeRestriccion(ruta, 20, ini, fin, 7);
    EXPECT_EQ(ini, Inicio());
    EXPECT_EQ(fin, FechaDeMuestra(Inicio(), Periodo, 6));
    EXPECT_EQ(ventanas, (TDAofRecsFechas{{FechaDeMuestra(Inicio(), Periodo, 2), FechaDeMuestra(Inicio(), Periodo, 4)},
                                         {FechaDeMuestra(Inicio(), Periodo, 5), FechaDeMuestra(Inicio(), Periodo, 6)}}));
}

TEST_F(ArchivoDeSeries, UnaSerieYaLeidaSirveParaVariasBusquedas) {
    const std::unique_ptr<TSeriesDeDatos> series = TSeriesDeDatos::Create(Escribir(5, 5, {10, 40, 40}));
    TDateTime ini = Inicio(), fin = Inicio() + 1;
    EXPECT_EQ(BuscarVentanasDeRestriccion(*series, 20, ini, fin, 5).size(), 1u);
    EXPECT_EQ(BuscarVentanasDeRestriccion(*series, 5, ini, fin, 5).size(), 0u);
    EXPECT_EQ(series->NSeries, 5);
}

TEST_F(ArchivoDeSeries, UnArchivoSinLaColumnaDeConsignasSeRechaza) {
    const std::string ruta = Escribir(5, 5, {10, 10, 10});
    TDateTime ini = Inicio() - 1, fin = Inicio() + 1;
    try {
        BuscarVentanasDeRestriccion(ruta, 20, ini, fin, 7);
        FAIL() << "se esperaba un error";
    } catch (const EErrorQuendal& e) {
        EXPECT_NE(std::string(e.what()).find("tiene 5 series y no tiene la columna de consignas 7"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_EQ(ini, Inicio() - 1);
    EXPECT_EQ(fin, Inicio() + 1);
}

TEST_F(ArchivoDeSeries, UnArchivoQueNoSePuedeLeerNoRecortaElPeriodo) {
    TDateTime ini = Inicio() - 1, fin = Inicio() + 1;
    try {
        BuscarVentanasDeRestriccion((carpeta_ / "no_existe.sas").string(), 20, ini, fin, 7);
        FAIL() << "se esperaba un error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Error leyendo línea: 0", 0), 0u) << e.what();
    }
    EXPECT_EQ(ini, Inicio() - 1);
    EXPECT_EQ(fin, Inicio() + 1);
}

}  // namespace
