// Finding a window's widget by its object name, as the window tests do.
#pragma once

#include <gtest/gtest.h>

#include <QObject>
#include <QString>

// The child of ventana named nombre, of type T; a missing one fails the test
// that asked for it (and gives nullptr).
template <class T>
T* ControlDe(const QObject& ventana, const char* nombre) {
    T* control = ventana.findChild<T*>(QString::fromLatin1(nombre));
    EXPECT_NE(control, nullptr) << nombre;
    return control;
}
