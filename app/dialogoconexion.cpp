#include "app/dialogoconexion.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

namespace {

std::string ValorCitado(const std::string& valor) {
    std::string citado = "'";
    for (char c : valor) {
        if (c == '\\' || c == '\'') citado += '\\';
        citado += c;
    }
    return citado + "'";
}

}  // namespace

std::string CadenaDeConexion(const TDatosConexion& datos) {
    const std::pair<const char*, const std::string*> claves[] = {
        {"host", &datos.servidor},       {"port", &datos.puerto}, {"dbname", &datos.baseDeDatos},
        {"user", &datos.usuario},        {"password", &datos.clave},
    };
    std::string cadena;
    for (const auto& [clave, valor] : claves) {
        if (valor->empty()) continue;
        if (!cadena.empty()) cadena += ' ';
        cadena += std::string(clave) + "=" + ValorCitado(*valor);
    }
    return cadena;
}

std::optional<TDatosConexion> PedirDatosDeConexion(QWidget* padre) {
    QDialog dialogo(padre);
    dialogo.setWindowTitle(QStringLiteral("Conexión con la base de datos"));
    const TDatosConexion porDefecto;
    auto* servidor = new QLineEdit(QString::fromStdString(porDefecto.servidor), &dialogo);
    auto* puerto = new QLineEdit(QString::fromStdString(porDefecto.puerto), &dialogo);
    auto* base = new QLineEdit(&dialogo);
    auto* usuario = new QLineEdit(&dialogo);
    auto* clave = new QLineEdit(&dialogo);
    clave->setEchoMode(QLineEdit::Password);
    auto* botones = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialogo);
    QObject::connect(botones, &QDialogButtonBox::accepted, &dialogo, &QDialog::accept);
    QObject::connect(botones, &QDialogButtonBox::rejected, &dialogo, &QDialog::reject);
    auto* forma = new QFormLayout(&dialogo);
    forma->addRow(QStringLiteral("Servidor"), servidor);
    forma->addRow(QStringLiteral("Puerto"), puerto);
    forma->addRow(QStringLiteral("Base de datos"), base);
    forma->addRow(QStringLiteral("Usuario"), usuario);
    forma->addRow(QStringLiteral("Contraseña"), clave);
    forma->addRow(botones);
    if (dialogo.exec() != QDialog::Accepted) return std::nullopt;
    return TDatosConexion{servidor->text().toStdString(), puerto->text().toStdString(), base->text().toStdString(),
                          usuario->text().toStdString(), clave->text().toStdString()};
}
