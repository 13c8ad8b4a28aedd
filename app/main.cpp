// quendal: models wind farms and solar plants and estimates the energy they
// did not generate under operating restrictions.
#include <QApplication>
#include <cstdio>
#include <exception>

#include "app/arranque.h"
#include "app/uQuendal.h"

int main(int argc, char** argv) {
    QApplication aplicacion(argc, argv);
    try {
        Arrancar(AjustesDelSistema());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    int resultado = 0;
    {
        TFormQuendal ventana;
        ventana.show();
        resultado = aplicacion.exec();
    }
    Finalizar();
    return resultado;
}
