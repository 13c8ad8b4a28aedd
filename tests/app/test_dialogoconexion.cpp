// The connection dialog as a user meets it: the server left empty (this
// machine, through its local socket) with a hint that says so, and after a
// connection that failed, the dialog again with what was typed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/dialogoconexion.h"
#include "app/uQuendal.h"
#include "controles.h"
#include "unidad_temporal.h"
#include "variable_entorno.h"

namespace {

// What a test does with the dialog once it shows; it must close it.
using TAccionDialogo = std::function<void(QDialog& dialogo)>;

// Runs `accion` on the next modal dialog that shows; the timer returned
// waits for it while it lives.
std::unique_ptr<QTimer> AlAbrirseElDialogo(TAccionDialogo accion) {
    auto espera = std::make_unique<QTimer>();
    espera->setInterval(5);
    QObject::connect(espera.get(), &QTimer::timeout, [temporizador = espera.get(), accion = std::move(accion)] {
        auto* dialogo = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialogo) return;
        temporizador->stop();
        accion(*dialogo);
    });
    espera->start();
    return espera;
}

QLineEdit* Caja(QDialog& dialogo, const char* nombre) { return ControlDe<QLineEdit>(dialogo, nombre); }

struct TCajasVistas {
    QString servidor, servidorPista, puerto, base, usuario, clave;
};

TCajasVistas LeerCajas(QDialog& dialogo) {
    return {Caja(dialogo, "eServidor")->text(), Caja(dialogo, "eServidor")->placeholderText(),
            Caja(dialogo, "ePuerto")->text(),   Caja(dialogo, "eBaseDeDatos")->text(),
            Caja(dialogo, "eUsuario")->text(),  Caja(dialogo, "eClave")->text()};
}

TEST(DialogoDeConexion, ElServidorVacioEsEstaMaquinaYLoDice) {
    TCajasVistas vistas;
    const auto alAbrirse = AlAbrirseElDialogo([&](QDialog& dialogo) {
        vistas = LeerCajas(dialogo);
        dialogo.reject();
    });
    EXPECT_FALSE(PedirDatosDeConexion(nullptr).has_value());
    EXPECT_EQ(vistas.servidor, QString());
    EXPECT_TRUE(vistas.servidorPista.contains(QStringLiteral("esta máquina"))) << vistas.servidorPista.toStdString();
    EXPECT_EQ(vistas.puerto, QStringLiteral("5432"));
    // Left as it opens, the connection goes through the local socket.
    EXPECT_EQ(CadenaDeConexion(TDatosConexion{}), "port='5432'");
}

TEST(DialogoDeConexion, AbreConLosDatosDadosYDevuelveLoTecleado) {
    TCajasVistas vistas;
    const auto alAbrirse = AlAbrirseElDialogo([&](QDialog& dialogo) {
        vistas = LeerCajas(dialogo);
        Caja(dialogo, "eBaseDeDatos")->setText(QStringLiteral("quendal"));
        dialogo.accept();
    });
    const auto datos = PedirDatosDeConexion(nullptr, {"db.local", "5433", "ro", "ana", "secreta"});
    EXPECT_EQ(vistas.servidor, QStringLiteral("db.local"));
    EXPECT_EQ(vistas.puerto, QStringLiteral("5433"));
    EXPECT_EQ(vistas.base, QStringLiteral("ro"));
    EXPECT_EQ(vistas.usuario, QStringLiteral("ana"));
    EXPECT_EQ(vistas.clave, QStringLiteral("secreta"));
    ASSERT_TRUE(datos.has_value());
    EXPECT_EQ(datos->baseDeDatos, "quendal");
    EXPECT_EQ(datos->servidor, "db.local");
}

// The window's own dialog, with no QUENDAL_BD: a connection that cannot be
// opened ends the download before it says it downloads, and the dialog
// then opens again with what the user typed.
class ConexionFallida : public UnidadCTemporal {
protected:
    void SetUp() override {
        UnidadCTemporal::SetUp();
        ventana = std::make_unique<TFormQuendal>();
        ventana->FijarCuadroDeError([this](const QString& mensaje) {
            errores << mensaje;
            return TRespuestaError::Continuar;
        });
        ControlDe<QLineEdit>(*ventana, "eNidCentral")->setText(QStringLiteral("31"));
    }
    std::string BajarParque() {
        ::testing::internal::CaptureStdout();
        QTest::mouseClick(ControlDe<QPushButton>(*ventana, "btBajarParque"), Qt::LeftButton);
        return ::testing::internal::GetCapturedStdout();
    }

    VariableDeEntornoFija sinCadena_{"QUENDAL_BD", nullptr};
    std::unique_ptr<TFormQuendal> ventana;
    QStringList errores;
};

TEST_F(ConexionFallida, NoDiceQueBajaYElDialogoVuelveConLoTecleado) {
    // Nothing listens on port 1 of this machine.
    const auto alAbrirse = AlAbrirseElDialogo([](QDialog& dialogo) {
        Caja(dialogo, "eServidor")->setText(QStringLiteral("127.0.0.1"));
        Caja(dialogo, "ePuerto")->setText(QStringLiteral("1"));
        Caja(dialogo, "eBaseDeDatos")->setText(QStringLiteral("quendal"));
        Caja(dialogo, "eUsuario")->setText(QStringLiteral("ana"));
        dialogo.accept();
    });
    const std::string consola = BajarParque();
    ASSERT_EQ(errores.size(), 1);
    EXPECT_EQ(consola.find("BAJANDO EL MODELO TEORICO"), std::string::npos) << consola;

    TCajasVistas vistas;
    const auto alAbrirseOtraVez = AlAbrirseElDialogo([&](QDialog& dialogo) {
        vistas = LeerCajas(dialogo);
        dialogo.reject();
    });
    const std::string otraVez = BajarParque();
    EXPECT_EQ(vistas.servidor, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(vistas.puerto, QStringLiteral("1"));
    EXPECT_EQ(vistas.base, QStringLiteral("quendal"));
    EXPECT_EQ(vistas.usuario, QStringLiteral("ana"));
    // Cancelled, the operation says there is no connection, and nothing else.
    ASSERT_EQ(errores.size(), 2);
    EXPECT_EQ(errores[1], QStringLiteral("No hay conexión con la base de datos: la operación no se realizó."));
    EXPECT_EQ(otraVez.find("BAJANDO EL MODELO TEORICO"), std::string::npos) << otraVez;
}

}  // namespace
