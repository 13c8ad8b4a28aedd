#include "numerics/ufxgx.h"

#include "numerics/errores.h"

std::string Tfx::ACadena() const { throw EErrorQuendal("Tfx.ACadena: la función no tiene forma de texto"); }

void Tfxlst::Agregar(std::unique_ptr<Tfx> fx) { items_.push_back(std::move(fx)); }

std::unique_ptr<Tfx_sumatoria> Tfx_sumatoria::Create(double constante) {
    return std::make_unique<Tfx_sumatoria>(constante);
}

double Tfx_sumatoria::f(const TVectR& x) const {
    double suma = constante;
    for (int k = 0; k < terminos.Cantidad(); ++k) suma += terminos.Item(k).f(x);
    return suma;
}

void Tfx_sumatoria::SumarGradiente(TVectR& g, const TVectR& x) const {
    for (int k = 0; k < terminos.Cantidad(); ++k) terminos.Item(k).SumarGradiente(g, x);
}

std::string Tfx_sumatoria::ACadena() const {
    std::string texto = "sumatoria_inicio( \r\n";
    for (int k = 0; k < terminos.Cantidad(); ++k) texto += terminos.Item(k).ACadena() + "\r\n";
    texto += ")fin_sumatoria\r\n";
    return texto;
}
