#pragma once
// Qt's own texts in Spanish, whatever the system language: the stock file
// dialogs ("Abrir", "Cancelar"), the standard buttons ("Sí", "No"), the
// boxes' context menus. Only the texts change; number and date formats stay
// those of the user's settings, which the program reads from the system
// locale at start-up.
#include <QLocale>
#include <QString>
#include <QTranslator>
#include <memory>

// The folder where Qt keeps its translations on this system.
QString CarpetaTraduccionesQt();

// Loads Qt's Spanish catalogue ("qtbase_es") and installs it in the
// application; the translator stays installed while the object returned
// lives. Nothing when the catalogue is missing (the texts stay in English).
std::unique_ptr<QTranslator> InstalarTraduccionesQt();

// The locale of the date pickers' calendars: Spanish month and day names.
QLocale LocalDelCalendario();
