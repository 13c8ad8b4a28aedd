// Energy records and their folding into hours.
#include <gtest/gtest.h>

#include <cmath>

#include "numerics/errores.h"
#include "numerics/fechas.h"
#include "restrictions/ucalcrestriccionesoperativas.h"

namespace {

constexpr double Periodo = 1.0 / 144;
constexpr double Falta = ValorFaltanteEnergia;

TDateTime Dia() { return EncodeDate(2018, 1, 15); }
// Ten-minute sample stamped hh:mm of the day, computed as a series computes it.
TDateTime Muestra(int hora, int minuto) { return FechaDeMuestra(Dia(), Periodo, (hora * 60 + minuto) / 10 + 1); }

TDAofRecsEnergiaPorFecha Registros(std::initializer_list<std::pair<TDateTime, double>> energias) {
    TDAofRecsEnergiaPorFecha lista;
    for (const auto& [fecha, energia] : energias) AgregarEnergiaPorFecha(fecha, energia, 8, 270, 1, 2, 0.5, lista);
    return lista;
}

TEST(AgregarEnergiaPorFecha, CadaArgumentoVaASuCampo) {
    TDAofRecsEnergiaPorFecha lista;
    AgregarEnergiaPorFecha(100.5, 0.25, 9.5, 180, 1.2, 1.4, 0.8, lista);
    AgregarEnergiaPorFecha(101.5, Falta, 7, 90, 0.3, 0.4, 0.5, lista);
    ASSERT_EQ(lista.size(), 2u);
    EXPECT_EQ(lista[0], (TRecEnergiaPorFecha{100.5, 0.25, 1.2, 1.4, 0.8, 9.5, 180}));
    EXPECT_EQ(lista[1].fecha, 101.5);
}

TEST(SumarEnergiaAlUltimo, SumaSoloAlUltimoYRechazaUnaListaVacia) {
    TDAofRecsEnergiaPorFecha lista = Registros({{1, 0.5}, {2, 0.25}});
    SumarEnergiaAlUltimo(0.125, lista);
    EXPECT_EQ(lista[0].ENS, 0.5);
    EXPECT_EQ(lista[1].ENS, 0.375);
    TDAofRecsEnergiaPorFecha vacia;
    EXPECT_THROW(SumarEnergiaAlUltimo(1, vacia), EErrorQuendal);
}

TEST(AgruparPorHora, DeDiezYDiezALasOnceEsLaHoraDeLasDiez) {
    const TDAofRecsEnergiaPorFecha horas = AgruparPorHora(Registros({{Muestra(10, 10), 0.25},
                                                                      {Muestra(10, 20), 0.25},
                                                                      {Muestra(10, 30), 0.25},
                                                                      {Muestra(10, 40), 0.25},
                                                                      {Muestra(10, 50), 0.25},
                                                                      {Muestra(11, 0), 0.25},
                                                                      {Muestra(11, 10), 0.125}}));
    ASSERT_EQ(horas.size(), 2u);
    EXPECT_EQ(DecodeDateTime(horas[0].fecha), (TFechaHora{2018, 1, 15, 10, 0, 0, 0}));
    EXPECT_DOUBLE_EQ(horas[0].ENS, 1.5);
    EXPECT_EQ(horas[0], RegistroSoloEnergia(horas[0].fecha, horas[0].ENS));
    EXPECT_EQ(DecodeDateTime(horas[1].fecha), (TFechaHora{2018, 1, 15, 11, 0, 0, 0}));
    EXPECT_EQ(horas[1].ENS, 0.125);
}

TEST(AgruparPorHora, UnValorFaltanteHaceFaltarSuHora) {
    const TDAofRecsEnergiaPorFecha horas =
        AgruparPorHora(Registros({{Muestra(10, 10), 0.5}, {Muestra(10, 20), Falta}, {Muestra(11, 10), 0.5}}));
    ASSERT_EQ(horas.size(), 2u);
    EXPECT_EQ(horas[0].ENS, Falta);
    EXPECT_EQ(horas[1].ENS, 0.5);
}

TEST(AgruparPorHora, DosVentanasEnUnaHoraSeJuntan) {
    const TDAofRecsEnergiaPorFecha horas = AgruparPorHora(Registros(
        {{Muestra(10, 10), 0.5}, {Muestra(10, 20), 0.5}, {Muestra(10, 40), 0.25}, {Muestra(10, 50), 0.25}}));
    ASSERT_EQ(horas.size(), 1u);
    EXPECT_EQ(horas[0].ENS, 1.5);
}

TEST(AgruparPorHora, UnaListaVaciaDaUnaListaVacia) { EXPECT_TRUE(AgruparPorHora({}).empty()); }

TEST(EtiquetaHoraria, CadaMuestraDeUnAnioCaeEnLaHoraQueTerminaEnElla) {
    // Sample k of a year stamped at minute m belongs to the hour holding m - 10.
    const TDateTime t1 = EncodeDate(2018, 1, 1);
    for (int32_t k = 2; k <= 52560; ++k) {
        const int minuto = (k - 1) * 10;
        const int horaEsperada = (minuto - 10) / 60;
        const TDateTime etiqueta = EtiquetaHoraria(FechaDeMuestra(t1, Periodo, k));
        ASSERT_EQ(MuestraDeFecha(t1, 1.0 / 24, etiqueta), horaEsperada + 1) << "muestra " << k;
        const TFechaHora partes = DecodeDateTime(etiqueta);
        ASSERT_EQ(partes.minuto, 0) << "muestra " << k;
        ASSERT_EQ(partes.segundo, 0) << "muestra " << k;
        ASSERT_EQ(partes.hora, horaEsperada % 24) << "muestra " << k;
    }
}

}  // namespace
