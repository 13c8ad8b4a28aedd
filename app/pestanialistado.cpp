#include "app/pestanialistado.h"

#include <QPushButton>
#include <QVBoxLayout>
#include <string>

#include "app/cajas.h"
#include "data/ubuscararchivos.h"
#include "numerics/consola.h"

TPestaniaListado::TPestaniaListado(TEntornoPestanias& entorno) : TPestania(entorno) {
    auto* columna = new QVBoxLayout(this);
    btElegirCarpetaCentral = NuevoBoton("btElegirCarpetaCentral", QStringLiteral("Elegir carpeta central"));
    columna->addWidget(btElegirCarpetaCentral, 0, Qt::AlignLeft);
    columna->addStretch();
    AlPulsar(btElegirCarpetaCentral, [this] { btElegirCarpetaCentralClick(); });
}

// Lists the result tables of a folder and its subfolders on the console, in
// name order within each folder.
void TPestaniaListado::btElegirCarpetaCentralClick() {
    const QString carpeta = entorno_.EjecutarDialogo(sddElegirCarpetaCentral);
    if (carpeta.isEmpty()) return;
    entorno_.MostrarConsola();
    TDAofString tablas;
    BuscarArchivos(carpeta.toStdString(), {"xlt"}, tablas, true);
    for (const std::string& ruta : tablas) EscribirLineaEnConsola(ruta);
}
