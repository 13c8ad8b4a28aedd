// Dates in the user's formats, for a table of locales: the program starts
// with the settings read from the locale, and the window's date pickers and
// the date-time column of a whole-series result table are read back. The
// pickers show the user's own short format; the table is written after
// that, so its dates carry the widened year. The pickers always show four
// digits of year, and a date typed into one in the user's short format is the
// date the run receives.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDateEdit>
#include <QFocusEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QCalendarWidget>
#include <QTest>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>

#include "app/arranque.h"
#include "app/uQuendal.h"
#include "controles.h"
#include "data/ucarpetasmodelos.h"
#include "numerics/formatsettings.h"
#include "numerics/inicio.h"
#include "unidad_temporal.h"

namespace fs = std::filesystem;

namespace {

const fs::path kPlantaDemo = fs::path(QUENDAL_TEST_DATA) / ".." / ".." / "examples" / "c9001";
constexpr int kNidDemo = 9001;

struct CasoLocale {
    const char* locale;
    const char* desde;  // the "Desde (>=)" picker, initial text "01/02/2018"
    const char* hasta;  // the "Hasta (<=)" picker, initial text "01/03/2018"
    const char* fila;   // the table's date-time of 2 January 2018 10:10
};

void PrintTo(const CasoLocale& c, std::ostream* os) { *os << c.locale; }

class FormatosRegionales : public UnidadCTemporal, public ::testing::WithParamInterface<CasoLocale> {
protected:
    void SetUp() override {
        UnidadCTemporal::SetUp();
        previos_ = AjustesFormato();
        Arrancar(AjustesDelLocale(QLocale(QString::fromLatin1(GetParam().locale))));
        InicializarCarpetaModelos();
        carpeta_ = CarpetaCentral(kNidDemo);
        for (const auto& e : fs::directory_iterator(kPlantaDemo))
            fs::copy_file(e.path(), fs::path(carpeta_) / e.path().filename());
        ventana_ = std::make_unique<TFormQuendal>();
        ventana_->FijarCuadroDeError([this](const QString& mensaje) {
            errores_ << mensaje;
            return TRespuestaError::Continuar;
        });
        ventana_->FijarDialogoDeArchivo([this](const TPeticionDialogo&) {
            if (respuestas_.empty()) return QString();
            const QString respuesta = respuestas_.front();
            respuestas_.pop_front();
            return respuesta;
        });
    }
    void TearDown() override {
        ventana_.reset();
        Finalizar();
        AjustesFormato() = previos_;
        InicializarNumericos();  // the captured settings of the other tests again
        UnidadCTemporal::TearDown();
    }

    QDateEdit* Selector(const char* nombre) { return ControlDe<QDateEdit>(*ventana_, nombre); }
    void Clic(const char* boton) { QTest::mouseClick(ControlDe<QPushButton>(*ventana_, boton), Qt::LeftButton); }
    void Elegir(const std::string& nombre) {
        respuestas_.push_back(QString::fromStdString((fs::path(carpeta_) / nombre).string()));
    }

    // The first cell of line `muestra` of a table (line 0 is its header).
    std::string FechaDeLaFila(const std::string& tabla, int muestra) {
        std::ifstream f(fs::path(carpeta_) / tabla);
        std::string linea;
        for (int i = 0; i <= muestra && std::getline(f, linea); ++i) {
        }
        return linea.substr(0, linea.find('\t'));
    }

    std::string carpeta_;
    std::unique_ptr<TFormQuendal> ventana_;
    QStringList errores_;
    std::deque<QString> respuestas_;

private:
    FormatSettings previos_;
};

TEST_P(FormatosRegionales, LasFechasDeLaVentanaYDeLaTabla) {
    const CasoLocale& c = GetParam();
    EXPECT_EQ(Selector("FechaDesde1")->text().toStdString(), c.desde);
    EXPECT_EQ(Selector("FechaHasta1")->text().toStdString(), c.hasta);

    Elegir("c9001.pmc");
    Clic("btCargarMC1");
    Selector("FechaDesde1")->setDate(QDate(2018, 1, 2));
    Selector("FechaHasta1")->setDate(QDate(2018, 1, 3));
    Elegir("c9001_series10min.sas");
    Clic("btProcesarSeriesConMC1");
    ASSERT_TRUE(errores_.isEmpty()) << errores_.join(QLatin1Char('\n')).toStdString();
    // Row 1 is 2 January 00:00; 10:10 is 61 samples later.
    EXPECT_EQ(FechaDeLaFila("c9001_ResultadosMC_2018010220180103_3m.xlt", 1 + 61), c.fila);
}

// The pickers read "01/02/2018" in the order of the user's short format, as
// the window does: month first under en_US.
INSTANTIATE_TEST_SUITE_P(
    Locales, FormatosRegionales,
    ::testing::Values(CasoLocale{"es_ES", "1/2/2018", "1/3/2018", "2/1/2018 10:10:00"},
                      CasoLocale{"es_UY", "1/2/2018", "1/3/2018", "2/1/2018 10:10:00"},
                      CasoLocale{"en_US", "1/2/2018", "1/3/2018", "1/2/2018 10:10:00"},
                      CasoLocale{"C", "01/02/2018", "01/03/2018", "02/01/2018 10:10:00"}),
    [](const auto& info) { return std::string(info.param.locale); });

// Dates typed into the input tab's pickers, day first, with and without
// leading zeros, as a user does: everything selected, then the keys.
class FechasTecleadas : public FormatosRegionales {
protected:
    void Teclear(const char* selector, const char* texto) {
        QDateEdit* s = Selector(selector);
        s->selectAll();
        QTest::keyClicks(s, QString::fromLatin1(texto));
    }
    // "Calcular con todos los datos" on the demo series: the table's name
    // carries the period the run received.
    void Correr() {
        Elegir("c9001_series10min.sas");
        Clic("btProcesarSeriesConMC1");
    }
    bool Existe(const std::string& tabla) { return fs::exists(fs::path(carpeta_) / tabla); }
};

TEST_P(FechasTecleadas, LaCorridaRecibeLaFechaComoSeTecleo) {
    ventana_->show();
    Elegir("c9001.pmc");
    Clic("btCargarMC1");
    Selector("FechaDesde1")->setDate(QDate(2018, 12, 30));
    Teclear("FechaHasta1", "31/12/2018");
    Correr();
    ASSERT_TRUE(errores_.isEmpty()) << errores_.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(Existe("c9001_ResultadosMC_2018123020181231_3m.xlt"));

    // Taken when the picker loses focus, and shown in the user's format.
    Teclear("FechaDesde1", "1/2/2018");
    QFocusEvent salida(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(Selector("FechaDesde1"), &salida);
    EXPECT_EQ(Selector("FechaDesde1")->date(), QDate(2018, 2, 1));
    EXPECT_EQ(Selector("FechaDesde")->date(), QDate(2018, 2, 1));
    EXPECT_EQ(Selector("FechaDesde1")->text().toStdString(), GetParam().desde);
    Selector("FechaHasta1")->setDate(QDate(2018, 2, 2));
    Correr();
    ASSERT_TRUE(errores_.isEmpty()) << errores_.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(Existe("c9001_ResultadosMC_2018020120180202_3m.xlt"));

    // A date that does not exist stays as typed, and the run refuses it by
    // the picker's name before any dialog.
    Teclear("FechaHasta1", "31/02/2018");
    QApplication::sendEvent(Selector("FechaHasta1"), &salida);
    EXPECT_EQ(Selector("FechaHasta1")->text(), QStringLiteral("31/02/2018"));
    Correr();
    ASSERT_EQ(errores_.size(), 1);
    EXPECT_TRUE(errores_[0].startsWith(QStringLiteral("Hasta (<=): \"31/02/2018\" no es una fecha válida")))
        << errores_[0].toStdString();
    EXPECT_EQ(respuestas_.size(), 1u) << "no dialog opened";
}

// A year of two digits is no year of the pickers: it stays as typed, and the
// run refuses it by the picker's name, giving the format, before any dialog.
TEST_P(FechasTecleadas, UnAnioDeDosCifrasSeRechazaAntesDeAbrirElDialogo) {
    ventana_->show();
    Elegir("c9001.pmc");
    Clic("btCargarMC1");
    Teclear("FechaDesde1", "1/2/18");
    QFocusEvent salida(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(Selector("FechaDesde1"), &salida);
    EXPECT_EQ(Selector("FechaDesde1")->text().toStdString(), "1/2/18");
    respuestas_.push_back(QString());  // a dialog, were one opened, is cancelled
    Clic("btProcesarRestricciones1");
    ASSERT_EQ(errores_.size(), 1) << errores_.join(QLatin1Char('\n')).toStdString();
    const bool diaSinCero = std::string(GetParam().locale) == "es_ES";
    EXPECT_EQ(errores_[0].toStdString(), std::string("Desde (>=): \"1/2/18\" no es una fecha válida (") +
                                             (diaSinCero ? "d/m/yyyy" : "dd/mm/yyyy") + ")");
    EXPECT_EQ(respuestas_.size(), 1u) << "no dialog opened";
}

// The calendar still sets the date, and the arrows step it.
TEST_P(FechasTecleadas, ElCalendarioYLasFlechasSiguenFuncionando) {
    ventana_->show();
    QDateEdit* s = Selector("FechaHasta1");
    ASSERT_TRUE(s->calendarPopup());
    ASSERT_NE(s->calendarWidget(), nullptr);
    s->calendarWidget()->setSelectedDate(QDate(2018, 5, 17));
    emit s->calendarWidget()->clicked(QDate(2018, 5, 17));
    EXPECT_EQ(s->date(), QDate(2018, 5, 17));
    EXPECT_EQ(Selector("FechaHasta")->date(), QDate(2018, 5, 17));
    s->setFocus();
    s->setCurrentSection(QDateTimeEdit::DaySection);
    QTest::keyClick(s, Qt::Key_Up);
    EXPECT_EQ(s->date(), QDate(2018, 5, 18));
}

// Under a comma locale a real typed with a point is refused, saying which
// separator is in force.
TEST_P(FechasTecleadas, UnRealRechazadoDiceElSeparadorDecimal) {
    Elegir("c9001.pmc");
    Clic("btCargarMC1");
    ControlDe<QLineEdit>(*ventana_, "eVAnemoEntrada1")->setText(QStringLiteral("9.9x"));
    Clic("btCalcular1");
    ASSERT_EQ(errores_.size(), 1);
    const std::string mensaje = errores_[0].toStdString();
    EXPECT_EQ(mensaje.rfind("Velocidad E.M. [m/s]: ", 0), 0u) << mensaje;
    const bool conComa = std::string(GetParam().locale) == "es_ES";
    EXPECT_EQ(mensaje.find("el separador decimal es ','") != std::string::npos, conComa) << mensaje;
}

INSTANTIATE_TEST_SUITE_P(Locales, FechasTecleadas,
                         ::testing::Values(CasoLocale{"es_ES", "1/2/2018", "", ""},
                                           CasoLocale{"C", "01/02/2018", "", ""}),
                         [](const auto& info) { return std::string(info.param.locale); });

}  // namespace
