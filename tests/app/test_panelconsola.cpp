// The console pane shows the console as a terminal would.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QScrollBar>
#include <QTextBlock>
#include <ostream>
#include <string>
#include <vector>

#include "app/panelconsola.h"

namespace {

struct TCasoTerminal {
    const char* nombre;
    std::vector<std::string> textos;  // as written, one call each
    const char* pantalla;             // finished lines, each with its '\n', then the current line
};

void PrintTo(const TCasoTerminal& c, std::ostream* os) { *os << c.nombre; }

class Terminal : public ::testing::TestWithParam<TCasoTerminal> {};

TEST_P(Terminal, MuestraLoQueVeriaUnaTerminal) {
    TTerminal terminal;
    for (const std::string& t : GetParam().textos) terminal.Escribir(t);
    QString pantalla;
    for (const QString& l : terminal.TomarLineasTerminadas()) pantalla += l + QLatin1Char('\n');
    pantalla += terminal.LineaActual();
    EXPECT_EQ(pantalla, QString::fromUtf8(GetParam().pantalla));
}

INSTANTIATE_TEST_SUITE_P(
    Casos, Terminal,
    ::testing::Values(
        TCasoTerminal{"LineasSimples", {"CREANDO CALIBRADOR ...\n\n", "CALIBRADOR CREADO CON EXITO.\n\n"},
                      "CREANDO CALIBRADOR ...\n\nCALIBRADOR CREADO CON EXITO.\n\n"},
        TCasoTerminal{"ElRetornoReescribeLaLinea",
                      {"\rSimulando fecha: 01/01/2018 00:00", "\rSimulando fecha: 01/01/2018 00:10", "\n\n",
                       "SIMULACION TERMINADA CON EXITO\n\n"},
                      "Simulando fecha: 01/01/2018 00:10\n\nSIMULACION TERMINADA CON EXITO\n\n"},
        TCasoTerminal{"UnTextoMasCortoReemplazaAlLargo", {"\rCalculando Sector: 10.", "\rCalculando Sector: 9."},
                      "Calculando Sector: 9."},
        TCasoTerminal{"LaFechaDeMedianocheNoGuardaLaHoraAnterior",
                      {"\rSimulando fecha: 28/02/2018 23:50:00", "\rSimulando fecha: 01/03/2018", "\n\n"},
                      "Simulando fecha: 01/03/2018\n\n"},
        TCasoTerminal{"LaLineaSeCompletaTrasElRetorno",
                      {"\rSimulando fecha: 01/12/2017 06:00", "->TRUE\n", "\rSimulando fecha: 01/12/2017 06:10",
                       "->FALSE\n"},
                      "Simulando fecha: 01/12/2017 06:00->TRUE\nSimulando fecha: 01/12/2017 06:10->FALSE\n"},
        TCasoTerminal{"UnaLineaPartidaEnVariasLlamadas", {"Recorte acum = ", "-0.5", " MWh\n"},
                      "Recorte acum = -0.5 MWh\n"},
        TCasoTerminal{"UnRetornoSinTextoDejaLaLinea", {"Calibración en proceso\r"}, "Calibración en proceso"},
        TCasoTerminal{"RetornoYFinDeLineaTerminanLaLinea", {"a\r\nb"}, "a\nb"},
        TCasoTerminal{"ElTextoTrasElRetornoPuedeLlegarEnPartes", {"\rSimulando", " fecha: 2", "\r", "Sim"}, "Sim"}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST(Terminal, LaUltimaLineaEsLaUltimaConTexto) {
    TTerminal terminal;
    EXPECT_EQ(terminal.UltimaLinea(), QString());
    terminal.Escribir("\rSimulando fecha: 2");
    EXPECT_EQ(terminal.UltimaLinea(), QStringLiteral("Simulando fecha: 2"));
    terminal.Escribir("\n\nSIMULACION TERMINADA CON EXITO\n\n");
    EXPECT_EQ(terminal.UltimaLinea(), QStringLiteral("SIMULACION TERMINADA CON EXITO"));
}

TEST(PanelConsola, MuestraLoRecibidoSoloAlPedirloYReemplazaLaLineaEnCurso) {
    TPanelConsola panel;
    panel.Recibir("Cantidad total de muestras: 100\n\n");
    panel.Recibir("\rSimulando fecha: 1");
    EXPECT_EQ(panel.toPlainText(), QString());
    panel.Mostrar();
    EXPECT_EQ(panel.toPlainText(), QStringLiteral("Cantidad total de muestras: 100\n\nSimulando fecha: 1"));
    panel.Recibir("\rSimulando fecha: 2");
    panel.Recibir("\rSimulando fecha: 3");
    panel.Mostrar();
    EXPECT_EQ(panel.toPlainText(), QStringLiteral("Cantidad total de muestras: 100\n\nSimulando fecha: 3"));
    panel.Recibir("\n\nSIMULACION TERMINADA CON EXITO\n\n");
    panel.Mostrar();
    EXPECT_EQ(panel.toPlainText(),
              QStringLiteral("Cantidad total de muestras: 100\n\nSimulando fecha: 3\n\nSIMULACION TERMINADA CON EXITO\n\n"));
    EXPECT_EQ(panel.document()->blockCount(), 7);
    EXPECT_TRUE(panel.isReadOnly());
}

// ---- Following the newest line ----

// The pane, with where its text is drawn.
class TPanelVisto : public TPanelConsola {
public:
    // Whether the last line lies whole inside the box.
    bool UltimaLineaVisible() const {
        const QRectF donde = blockBoundingGeometry(document()->lastBlock()).translated(contentOffset());
        return donde.top() >= 0 && donde.bottom() <= viewport()->height() + 0.5;
    }
};

// A shown pane that has printed more lines than it holds.
class PanelQueSigue : public ::testing::Test {
protected:
    void SetUp() override {
        panel.resize(400, 300);
        panel.show();
        Imprimir(0, 100);
    }
    void Imprimir(int desde, int hasta) {
        for (int i = desde; i < hasta; ++i) panel.Recibir("linea " + std::to_string(i) + "\n");
        panel.Recibir("\rSimulando fecha: " + std::to_string(hasta));
        panel.Mostrar();
        QCoreApplication::processEvents();
    }
    QScrollBar* Barra() { return panel.verticalScrollBar(); }
    bool UltimaLineaVisible() const { return panel.UltimaLineaVisible(); }
    TPanelVisto panel;
};

TEST_F(PanelQueSigue, TrasAchicarseSigueMostrandoLaUltimaLinea) {
    ASSERT_EQ(Barra()->value(), Barra()->maximum());
    for (const int alto : {60, 300, 90}) {
        panel.resize(400, alto);
        QCoreApplication::processEvents();
        EXPECT_EQ(Barra()->value(), Barra()->maximum()) << alto;
        EXPECT_TRUE(UltimaLineaVisible()) << alto;
    }
    Imprimir(100, 103);
    EXPECT_EQ(Barra()->value(), Barra()->maximum());
    EXPECT_TRUE(UltimaLineaVisible());
    EXPECT_EQ(panel.document()->lastBlock().text(), QStringLiteral("Simulando fecha: 103"));
}

TEST_F(PanelQueSigue, QuienSubioALeerSeQuedaDondeEstabaHastaVolverAlFinal) {
    Barra()->triggerAction(QAbstractSlider::SliderPageStepSub);
    const int leyendo = Barra()->value();
    ASSERT_LT(leyendo, Barra()->maximum());
    panel.resize(400, 120);
    QCoreApplication::processEvents();
    Imprimir(100, 110);
    EXPECT_EQ(Barra()->value(), leyendo);
    Barra()->triggerAction(QAbstractSlider::SliderToMaximum);
    Imprimir(110, 120);
    EXPECT_EQ(Barra()->value(), Barra()->maximum());
    EXPECT_TRUE(UltimaLineaVisible());
}

}  // namespace
