#include "app/cuadroerror.h"

#include <QMessageBox>
#include <QPushButton>

TRespuestaError CuadroDeErrorEstandar(QWidget* padre, const QString& mensaje) {
    for (;;) {
        QMessageBox cuadro(QMessageBox::Critical, QStringLiteral("Error"), mensaje, QMessageBox::NoButton, padre);
        cuadro.setObjectName(QStringLiteral("cuadroDeError"));
        QPushButton* continuar = cuadro.addButton(QStringLiteral("Continuar"), QMessageBox::AcceptRole);
        QPushButton* terminar = cuadro.addButton(QStringLiteral("Terminar el programa"), QMessageBox::DestructiveRole);
        continuar->setObjectName(QStringLiteral("continuar"));
        terminar->setObjectName(QStringLiteral("terminar"));
        cuadro.setDefaultButton(continuar);
        cuadro.setEscapeButton(continuar);
        cuadro.exec();
        if (cuadro.clickedButton() != terminar) return TRespuestaError::Continuar;
        if (ConfirmarTerminarPrograma(padre)) return TRespuestaError::Terminar;
    }
}

bool ConfirmarTerminarPrograma(QWidget* padre) {
    QMessageBox pregunta(QMessageBox::Warning, QStringLiteral("Terminar el programa"),
                         QStringLiteral("¿Terminar el programa? Los modelos cargados y lo que no se haya guardado "
                                        "se pierden."),
                         QMessageBox::Yes | QMessageBox::No, padre);
    pregunta.setObjectName(QStringLiteral("confirmarTerminar"));
    pregunta.setDefaultButton(QMessageBox::No);
    pregunta.setEscapeButton(QMessageBox::No);
    return pregunta.exec() == QMessageBox::Yes;
}
