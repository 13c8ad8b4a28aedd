#pragma once
// The listing tab (TabSheet1): the result tables of a folder and its
// subfolders, listed on the console.
#include "app/pestania.h"

class QPushButton;

class TPestaniaListado : public TPestania {
public:
    explicit TPestaniaListado(TEntornoPestanias& entorno);

    QPushButton* btElegirCarpetaCentral = nullptr;

private:
    const TPeticionDialogo sddElegirCarpetaCentral{QStringLiteral("sddElegirCarpetaCentral"),
                                                   TTipoDialogo::ElegirCarpeta, {}, {}, {}};

    void btElegirCarpetaCentralClick();
};
