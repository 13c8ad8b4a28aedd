#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <cmath>
#include <ostream>

#include "app/ventanaparque.h"
#include "charts/uescalacolores.h"
#include "models/uauxdensidad.h"
#include "models/uparques_modeloteorico.h"

namespace {

// Wind power density (MW/m²) of a speed at 1.225 kg/m³: 0.5·ρ·v³/1e6.
double DensidadDePotencia(double v) { return 0.5 * 1.225 * v * v * v / 1e6; }

// A park map with a closed form: a square grid around the mast whose left
// half blows at 7 m/s and right half at 9 m/s, with a calm column and a
// column of negative values; nothing outside the square.
class TMapaDePrueba : public TMapaParque {
public:
    int izq = -1, arriba = -1, der = -1, abajo = -1;
    int mastilX = 300, mastilY = 300;

    void FijarRectanguloDibujo(int i, int a, int d, int b) override {
        izq = i, arriba = a, der = d, abajo = b;
    }
    double ValorEnPixel(int x, int y) const override {
        if (x < 100 || x >= 500 || y < 100 || y >= 500) return 0;
        if (x == 150) return 0;
        if (x == 160) return -DensidadDePotencia(8);
        return DensidadDePotencia(x < 300 ? 7 : 9);
    }
    void MundoAPixel(double x, double y, int& columna, int& fila) const override {
        columna = mastilX + static_cast<int>(x);
        fila = mastilY - static_cast<int>(y);
    }
};

QColor Pixel(const QImage& imagen, int x, int y) { return QColor(imagen.pixel(x, y)); }

QColor ColorDeEscala(double v) {
    const TColor c = TEscalaColor::Create(4, 10).ColorDeValor(v);
    return QColor(c.R(), c.G(), c.B());
}

class MapaVelocidades : public ::testing::Test {
protected:
    void SetUp() override { DibujarMapaVelocidades(imagen, mapa); }
    QImage imagen{978, 616, QImage::Format_RGB32};
    TMapaDePrueba mapa;
};

TEST_F(MapaVelocidades, FijaElRectanguloBajoLaBarra) {
    EXPECT_EQ(mapa.izq, 0);
    EXPECT_EQ(mapa.arriba, 30);
    EXPECT_EQ(mapa.der, 978);
    EXPECT_EQ(mapa.abajo, 616);
}

TEST_F(MapaVelocidades, MarcasNegrasEnLasColumnasDeCadaVelocidad) {
    for (int k = 1; k <= 5; ++k) {
        const int x = 163 * k;
        EXPECT_EQ(ColumnaDeMarca(k, 978), x);
        EXPECT_EQ(Pixel(imagen, x, 29), QColor(0, 0, 0)) << "marca " << k;
        EXPECT_EQ(TextoDeMarca(k, 978), std::to_string(4 + k));
    }
}

TEST_F(MapaVelocidades, BarraConElColorDeSuVelocidad) {
    for (int x : {500, 700, 977}) EXPECT_EQ(Pixel(imagen, x, 29), ColorDeEscala(4 + 6.0 * x / 978)) << x;
}

TEST_F(MapaVelocidades, PixelesDeLaGrillaConElColorDeSuVelocidad) {
    EXPECT_EQ(Pixel(imagen, 200, 450), ColorDeEscala(7));
    EXPECT_EQ(Pixel(imagen, 400, 450), ColorDeEscala(9));
}

TEST_F(MapaVelocidades, FueraDeLaGrillaYSinVientoQuedaBlanco) {
    const QColor blanco(255, 255, 255);
    EXPECT_EQ(Pixel(imagen, 50, 450), blanco);   // outside the grid
    EXPECT_EQ(Pixel(imagen, 700, 30), blanco);   // first row of the map, outside
    EXPECT_EQ(Pixel(imagen, 150, 450), blanco);  // exactly calm
    EXPECT_EQ(Pixel(imagen, 160, 450), blanco);  // negative density
}

// "(A)" is written last with the canvas' white brush behind it, so the map
// under the mast mark is covered by white and black text pixels.
TEST_F(MapaVelocidades, MarcaDelMastilEscritaSobreElMapa) {
    int blancos = 0, oscuros = 0;
    for (int y = mapa.mastilY; y < mapa.mastilY + 10; ++y)
        for (int x = mapa.mastilX; x < mapa.mastilX + 16; ++x) {
            const QColor c = Pixel(imagen, x, y);
            if (c == QColor(255, 255, 255)) ++blancos;
            else if (c.red() < 100 && c.green() < 100 && c.blue() < 100) ++oscuros;
        }
    EXPECT_GT(blancos, 20);
    EXPECT_GT(oscuros, 5);
    EXPECT_EQ(Pixel(imagen, mapa.mastilX - 2, mapa.mastilY + 5), ColorDeEscala(7));
}

struct TCasoMarcas {
    int ancho;
    int columnas[5];
};

void PrintTo(const TCasoMarcas& c, std::ostream* os) { *os << c.ancho; }

class MarcasDeBarra : public ::testing::TestWithParam<TCasoMarcas> {};

TEST_P(MarcasDeBarra, ColumnaTruncadaYTextoDeVelocidad) {
    const TCasoMarcas caso = GetParam();
    for (int k = 1; k <= 5; ++k) {
        EXPECT_EQ(ColumnaDeMarca(k, caso.ancho), caso.columnas[k - 1]);
        EXPECT_EQ(TextoDeMarca(k, caso.ancho), std::to_string(4 + k));
    }
}

INSTANTIATE_TEST_SUITE_P(Anchos, MarcasDeBarra,
                         ::testing::Values(TCasoMarcas{978, {163, 326, 489, 652, 815}},
                                           TCasoMarcas{1000, {166, 333, 500, 666, 833}},
                                           TCasoMarcas{541, {90, 180, 270, 360, 450}}),
                         [](const auto& info) { return "ancho" + std::to_string(info.param.ancho); });

TEST(CajaPintura, GuardaSuImagenBlancaDelTamanioPedido) {
    TCajaPintura caja(978, 616);
    EXPECT_EQ(caja.Ancho(), 978);
    EXPECT_EQ(caja.Alto(), 616);
    EXPECT_EQ(caja.size(), QSize(978, 616));
    EXPECT_EQ(QColor(caja.Imagen().pixel(500, 300)), QColor(255, 255, 255));
}

}  // namespace

// ---- The map of a real park ----

namespace {

TCurvaAerogen CurvaDePrueba(double diametro) {
    TVectR v(3), p(3);
    v.pv = {0, 3, 12, 25};
    p.pv = {0, 0.05, 2, 2};
    return TCurvaAerogen::Create(1, "m", diametro, v, p);
}

std::unique_ptr<TParque_ModeloTeorico> ParqueDePrueba() {
    auto parque = TParque_ModeloTeorico::Create_Nuevo();
    parque->potencia_autorizada_mw = 10;
    for (TPunto2D x : {TPunto2D{-600, 200}, TPunto2D{0, -300}, TPunto2D{500, 250}}) {
        auto m = std::make_unique<TMolino>();
        m->posicion = TPosicion::Create(x.x, x.y);
        m->curva = CurvaDePrueba(80);
        parque->molinos.push_back(std::move(m));
    }
    parque->Preparar();
    return parque;
}

TEST(MapaDeParqueTeorico, SinGrillaQuedaBlancoBajoLaBarra) {
    auto parque = ParqueDePrueba();
    QImage imagen(978, 616, QImage::Format_RGB32);
    DibujarMapaVelocidades(imagen, *parque);
    EXPECT_EQ(parque->rectArriba, 30);
    EXPECT_EQ(parque->rectDer, 978);
    for (int y = 40; y < 616; y += 37)
        for (int x = 0; x < 978; x += 41) ASSERT_EQ(QColor(imagen.pixel(x, y)), QColor(255, 255, 255)) << x << "," << y;
}

TEST(MapaDeParqueTeorico, ConVientoPintaLaVelocidadDeLaGrilla) {
    auto parque = ParqueDePrueba();
    QImage imagen(978, 616, QImage::Format_RGB32);
    parque->FijarRectanguloDibujo(0, 30, 978, 616);
    parque->FijarDireccion(270);
    parque->PotenciaConVientoLibre(DensidadBase, PotenciaDelViento(8, DensidadBase), 1e6);
    DibujarMapaVelocidades(imagen, *parque);
    // Upwind of the park (west) the free stream of 8 m/s.
    int x = 0, y = 0;
    parque->MundoAPixel(x, y, TPunto2D{-900, 0});
    const double s = VientoDePotencia(parque->ValorEnPixel(x, y), DensidadBase);
    EXPECT_NEAR(s, 8, 0.05);
    EXPECT_EQ(QColor(imagen.pixel(x, y)), ColorDeEscala(s));
}

}  // namespace
