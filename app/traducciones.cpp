#include "app/traducciones.h"

#include <QCoreApplication>
#include <QLibraryInfo>

QString CarpetaTraduccionesQt() { return QLibraryInfo::path(QLibraryInfo::TranslationsPath); }

std::unique_ptr<QTranslator> InstalarTraduccionesQt() {
    auto traductor = std::make_unique<QTranslator>();
    if (!traductor->load(QStringLiteral("qtbase_es"), CarpetaTraduccionesQt())) return nullptr;
    QCoreApplication::installTranslator(traductor.get());
    return traductor;
}

QLocale LocalDelCalendario() { return QLocale(QLocale::Spanish, QLocale::Uruguay); }
