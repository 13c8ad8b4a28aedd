// quendal: models wind farms and solar plants and estimates the energy they
// did not generate under operating restrictions.
#include <QApplication>
#include <cstdio>

#include "app/arranque.h"
#include "app/traducciones.h"
#include "app/uQuendal.h"
#include "numerics/consola.h"

int main(int argc, char** argv) {
    SalidaEstandarPorLineas();
    QApplication aplicacion(argc, argv);
    const auto traducciones = InstalarTraduccionesQt();
    if (!traducciones)
        std::fprintf(stderr, "No se encontraron las traducciones de Qt (qtbase_es) en %s: los diálogos del sistema "
                             "quedan en inglés.\n",
                     CarpetaTraduccionesQt().toLocal8Bit().constData());
    if (!ArrancarOAvisar(AjustesDelSistema(), CuadroDeArranqueFallido)) return 1;
    int resultado = 0;
    {
        TFormQuendal ventana;
        ventana.Presentar();
        resultado = aplicacion.exec();
    }
    Finalizar();
    return resultado;
}
