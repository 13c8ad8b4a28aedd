// quendal: models wind farms and solar plants and estimates the energy they
// did not generate under operating restrictions.
#include <QApplication>
#include <cstdio>
#include <exception>

#include "app/arranque.h"

int main(int argc, char** argv) {
    QApplication aplicacion(argc, argv);
    try {
        Arrancar(AjustesDelSistema());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::puts("quendal: módulos iniciados.");
    return 0;
}
