// Charts drawn through Qt: the canvas over a QPainter and the JPEG file. Text
// on a QImage needs a QGuiApplication; this file's global environment makes
// one for the whole binary, on the offscreen platform when none is set.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <filesystem>
#include <memory>
#include <unistd.h>

#include "charts/lienzoqt.h"
#include "charts/ugraficador.h"
#include "numerics/errores.h"

namespace {

class CarpetaTemporal : public ::testing::Test {
protected:
    void SetUp() override {
        carpeta_ = std::filesystem::temp_directory_path() /
                   ("quendal_graficos_" + std::to_string(::getpid()) + "_" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(carpeta_);
    }
    void TearDown() override { std::filesystem::remove_all(carpeta_); }
    std::filesystem::path carpeta_;
};

// A chart as the empirical model saves its power curves.
std::unique_ptr<TGrafico> GraficoDeCurvas() {
    auto g = TGrafico::Create("PE_Cluster", "", TSG_LineaConMarcadores, 0);
    g->Titulo = "Potencias ME y MT para el ángulo: 270.0°";
    g->EjeX->Titulo = "Velocidad de viento [m/s]";
    g->EjeY->Titulo = "Potencia eléctrica [MW]";
    TDAofNReal v, me, mt;
    for (int i = 0; i <= 25; ++i) {
        const double x = i;
        v.push_back(x);
        const double s = 1 / (1 + std::exp(-(x - 9) / 1.6));
        mt.push_back(i < 3 ? 0 : 50 * s);
        me.push_back(i < 3 ? 0 : 47 * s + (i % 3 - 1) * 0.8);
    }
    TSerieGrafico* x = g->AgregarSerie(TSerieGrafico::Create("v", v, nullptr, nullptr, "##.##", true));
    TSerieGrafico* a = g->AgregarSerie(TSerieGrafico::Create("MW_ME", me, x, g.get(), "", false));
    a->ColorLinea = a->ColorMarcador = TColor::RGB(0, 128, 0);
    TSerieGrafico* b = g->AgregarSerie(TSerieGrafico::Create("MW_MT", mt, x, g.get(), "", false));
    b->ColorLinea = b->ColorMarcador = TColor::RGB(0, 0, 255);
    TDAofNReal peso;
    for (int i = 0; i <= 25; ++i) peso.push_back(i * 0.04);
    TSerieGrafico* w = g->AgregarSerie(TSerieGrafico::Create("peso", peso, x, g.get(), "", false));
    w->EjeDerecho = true;
    w->ColorLinea = clNinguno;
    g->EjeY2->Titulo = "Peso [p.u.]";
    return g;
}

TEST(FuenteDelSistema, DejaVuSansEstaInstalada) {
    EXPECT_TRUE(QFontDatabase::families().contains(QStringLiteral("DejaVu Sans")));
}

TEST_F(CarpetaTemporal, GuardaUnJpegDe2100Por1000) {
    const std::string archivo = (carpeta_ / "curvas_MW_PE_MT_27000.jpg").string();
    GraficoDeCurvas()->GuardarJPG(archivo, 2100, 1000, 100);
    QFile f(QString::fromStdString(archivo));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(3).startsWith(QByteArray("\xFF\xD8\xFF", 3)));  // JPEG start of image
    QImageReader lector(QString::fromStdString(archivo));
    EXPECT_EQ(lector.format(), "jpeg");
    EXPECT_EQ(lector.size(), QSize(2100, 1000));
}

TEST_F(CarpetaTemporal, GuardarEnUnaCarpetaQueNoExisteFalla) {
    const std::string archivo = (carpeta_ / "no_existe" / "g.jpg").string();
    EXPECT_THROW(GraficoDeCurvas()->GuardarJPG(archivo, 2100, 1000, 100), EInOutError);
    EXPECT_FALSE(std::filesystem::exists(archivo));
}

// Draws on a QImage the way a paint box is drawn.
QImage DibujarEnImagen(TGrafico& g, int ancho, int alto) {
    QImage imagen(ancho, alto, QImage::Format_RGB32);
    imagen.fill(Qt::black);
    QPainter pintor(&imagen);
    TLienzoQt lienzo(pintor);
    g.Dibujar(lienzo, ancho, alto);
    return imagen;
}

int PixelesDeColor(const QImage& imagen, QRgb color) {
    int n = 0;
    for (int y = 0; y < imagen.height(); ++y)
        for (int x = 0; x < imagen.width(); ++x)
            if ((imagen.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF)) ++n;
    return n;
}

TEST(LienzoQt, PintaFondoLogoYSeries) {
    auto g = GraficoDeCurvas();
    const QImage imagen = DibujarEnImagen(*g, 1050, 500);
    // Background white all over, the corner included.
    EXPECT_EQ(imagen.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
    // The logo's yellow square, drawn without smoothing.
    EXPECT_GT(PixelesDeColor(imagen, qRgb(255, 211, 32)), 4);
    // The blue modelled curve.
    EXPECT_GT(PixelesDeColor(imagen, qRgb(0, 0, 255)), 100);
    // The plot frame's top-left corner is black.
    EXPECT_EQ(imagen.pixel(g->PlotIzquierda, g->PlotArriba) & 0xFFFFFF, 0u);
}

TEST(LienzoQt, MideElTextoEnPixelesA96Ppp) {
    QImage imagen(100, 100, QImage::Format_RGB32);
    QPainter pintor(&imagen);
    TLienzoQt lienzo(pintor);
    lienzo.Fuente.Tamanio = 12;  // 16 pixels
    const TExtensionTexto m = lienzo.ExtensionTexto("M");
    EXPECT_GE(m.alto, 16);
    EXPECT_LE(m.alto, 22);
    EXPECT_GT(lienzo.AnchoTexto("MMMM"), 3 * m.ancho);
}

TEST(LienzoQt, ElTextoConBrochaSolidaTieneFondo) {
    QImage imagen(200, 60, QImage::Format_RGB32);
    imagen.fill(Qt::white);
    {
        QPainter pintor(&imagen);
        TLienzoQt lienzo(pintor);
        lienzo.Brocha = TBrocha{TColor::RGB(255, 0, 0), TEstiloBrocha::Solido};
        lienzo.Texto(10, 10, "Texto");
        lienzo.Brocha.Estilo = TEstiloBrocha::Transparente;
        lienzo.Texto(110, 10, "Texto");
    }
    EXPECT_EQ(imagen.pixel(11, 11) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(imagen.pixel(111, 11) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(LienzoQt, LaOrientacionGiraElTextoSobreSuEsquina) {
    // Turned 90 degrees counter-clockwise the text runs upward from its anchor.
    QImage imagen(60, 200, QImage::Format_RGB32);
    imagen.fill(Qt::white);
    {
        QPainter pintor(&imagen);
        TLienzoQt lienzo(pintor);
        lienzo.Brocha = TBrocha{TColor::RGB(255, 0, 0), TEstiloBrocha::Solido};
        lienzo.Fuente.Orientacion = 900;
        lienzo.Texto(10, 150, "MMMM");
    }
    EXPECT_EQ(imagen.pixel(12, 148) & 0xFFFFFF, 0xFF0000u);  // above the anchor
    EXPECT_EQ(imagen.pixel(12, 152) & 0xFFFFFF, 0xFFFFFFu);  // below it
}

}  // namespace
