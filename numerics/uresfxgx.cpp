#include "numerics/uresfxgx.h"

#include <utility>

TResfx::TResfx(TTipoRestriccion tipo, double cotaInf, double cotaSup, std::unique_ptr<Tfx> f, int32_t n)
    : f(std::move(f)),
      tipo(tipo),
      cotaInf(cotaInf),
      cotaSup(cotaSup),
      estado(tipo == TTipoRestriccion::TR_Libre ? TRestriccionActiva::NINGUNA : TRestriccionActiva::INDEFINIDA),
      gradiente(n),
      versor(n),
      gradienteConSigno(n),
      alfa(n) {}

TResfx TResfx::Create(TTipoRestriccion tipo, double cotaInf, double cotaSup, std::unique_ptr<Tfx> f,
                      int32_t n) {
    return TResfx(tipo, cotaInf, cotaSup, std::move(f), n);
}

double TResfx::Evaluar(const TVectR& x) {
    valor = f->f(x);
    estado = TRestriccionActiva::NINGUNA;
    violacion = 0.0;
    const bool violaInferior = valor <= cotaInf;
    const bool violaSuperior = valor >= cotaSup;
    switch (tipo) {
        case TTipoRestriccion::TR_Libre:
            break;
        case TTipoRestriccion::TR_Igualdad:
            if (valor < cotaInf) {
                estado = TRestriccionActiva::INFERIOR;
                violacion = cotaInf - valor;
            } else {
                estado = TRestriccionActiva::SUPERIOR;
                violacion = valor - cotaInf;
            }
            break;
        case TTipoRestriccion::TR_Mayor:
            if (violaInferior) {
                estado = TRestriccionActiva::INFERIOR;
                violacion = cotaInf - valor;
            }
            break;
        case TTipoRestriccion::TR_Menor:
            if (violaSuperior) {
                estado = TRestriccionActiva::SUPERIOR;
                violacion = valor - cotaSup;
            }
            break;
        case TTipoRestriccion::TR_Entre:
            if (violaInferior) {
                estado = TRestriccionActiva::INFERIOR;
                violacion = cotaInf - valor;
            }
            if (violaSuperior) {
                estado = TRestriccionActiva::SUPERIOR;
                violacion = valor - cotaSup;
            }
            break;
    }
    return valor;
}

void TResfx::CalcularGradiente(const TVectR& x) {
    gradiente.Ceros();
    f->SumarGradiente(gradiente, x);
}
