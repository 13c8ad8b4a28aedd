#include "app/pestania.h"

#include <QPushButton>

#include "app/cajas.h"
#include "data/upgsql.h"
#include "models/ucalibrador.h"
#include "numerics/errores.h"

TParque_ModeloTeorico* TTiposModelosQuendal::ParqueDe(TCalibradorParque& calibrador) {
    return calibrador.Parque.get();
}

TPestania::TPestania(TEntornoPestanias& entorno) : entorno_(entorno), modelos_(entorno.Modelos()) {}

void TPestania::AlPulsar(QPushButton* boton, std::function<void()> manejador, TGuardia guardia) {
    connect(boton, &QPushButton::clicked, this, [this, m = std::move(manejador), guardia] {
        entorno_.Manejar([&] {
            if (guardia == TGuardia::Error) return m();
            const TCorrida corrida = entorno_.EmpezarCorrida();
            m();
        });
    });
}

std::unique_ptr<TPgSqlRes> FilaDeCentral(TPgSqlCon& conexion, int32_t nid) {
    auto fila = conexion.sqlexec("SELECT * FROM centrales WHERE nid = " + N(nid));
    if (fila->eof()) throw EErrorQuendal("La central " + N(nid) + " no existe en la tabla centrales.");
    return fila;
}
