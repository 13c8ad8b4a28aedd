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

std::optional<TDatosConexion> PedirDatosDeConexion(QWidget* padre, const TDatosConexion& iniciales) {
    QDialog dialogo(padre);
    dialogo.setObjectName(QStringLiteral("dialogoConexion"));
    dialogo.setWindowTitle(QStringLiteral("Conexión con la base de datos"));
    const auto caja = [&dialogo](const char* nombre, const std::string& texto) {
        auto* linea = new QLineEdit(QString::fromStdString(texto), &dialogo);
        linea->setObjectName(QString::fromLatin1(nombre));
        return linea;
    };
    auto* servidor = caja("eServidor", iniciales.servidor);
    servidor->setPlaceholderText(QStringLiteral("vacío: esta máquina (socket local)"));
    // Wide enough for the hint, and so for the title.
    servidor->setMinimumWidth(servidor->fontMetrics().horizontalAdvance(servidor->placeholderText()) +
                              servidor->fontMetrics().averageCharWidth() * 4);
    auto* puerto = caja("ePuerto", iniciales.puerto);
    auto* base = caja("eBaseDeDatos", iniciales.baseDeDatos);
    auto* usuario = caja("eUsuario", iniciales.usuario);
    auto* clave = caja("eClave", iniciales.clave);
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
