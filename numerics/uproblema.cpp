#include "numerics/uproblema.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>
#include <utility>

#include "numerics/archivotexto.h"
#include "numerics/consola.h"
#include "numerics/errores.h"
#include "numerics/textoreal.h"
#include "numerics/xmatdefs.h"

namespace {

// Step factors of both the descent and the multiplier ascent.
constexpr double FactorCrecimiento = 3.0;
constexpr double FactorReduccion = 4.2;
// An outer step may raise V by this factor, unless V is already negligible.
constexpr double ToleranciaAumentoViolacion = 1.2;
constexpr double ViolacionDespreciable = 1e-20;
// The multiplier step stops growing here.
constexpr double PasoMultiplicadoresMaximo = 1e100;
constexpr double Infinito = std::numeric_limits<double>::infinity();

void ImprimirLinea(const std::string& linea) { EscribirLineaEnConsola(linea); }

void Advertir(const std::string& texto) {
    std::fputs(("Advertencia: " + texto + "\n").c_str(), stderr);
}

// A multiplier left negative by a caller: its product with the violation
// counts as 0, so L never falls because of it.
double ContribucionAlLagrangiano(const TResfx& restriccion, int indice) {
    const double producto = restriccion.multiplicador * restriccion.violacion;
    if (!(producto < 0)) return producto;
    Advertir("multiplicador negativo (" + FormatoGeneral(restriccion.multiplicador, 15) +
             ") en la restricción " + std::to_string(indice) + "; su producto con la violación se toma como 0.");
    return 0.0;
}

// The step rule of both loops: a failure divides the step by 4.2 and asks one
// more success in a row before the next growth; enough successes multiply it
// by 3.0 and ask one fewer (never below one).
struct TPasoAdaptativo {
    double s;
    double maximoParaCrecer = Infinito;
    int exitos = 0;
    int umbral = 1;

    void Exito() { ++exitos; }
    void CrecerSiToca() {
        if (exitos < umbral) return;
        if (s < maximoParaCrecer) s *= FactorCrecimiento;
        umbral = std::max(umbral - 1, 1);
    }
    void Fracaso() {
        ++umbral;
        exitos = 0;
        s /= FactorReduccion;
    }
};

// v := v / |v| and true, or false when |v| is not above the zero threshold.
bool NormalizarSiNoEsNulo(TVectR& v) {
    const double norma = v.Norma2();
    if (!(norma > UmbralCero)) return false;
    v.EscalarDesde(1.0 / norma, 1);
    return true;
}

std::string LineaDeValores(const TVectR& x, const char* etiqueta, double L) {
    std::string linea = FormatoFijo(L, 6, 8) + etiqueta;
    for (int32_t i = 1; i <= x.n; ++i) linea += ", " + FormatoFijo(x.pv[i], 6, 6);
    return linea;
}

}  // namespace

// ---------------------------------------------------------------- TProblema_m01

TProblema_m01::TProblema_m01(int m, int n, int /*sinUso*/, TFuncNombre nombreVariable,
                             TFuncNombre nombreRestriccion)
    : nombreVariable(std::move(nombreVariable)),
      nombreRestriccion(std::move(nombreRestriccion)),
      objetivo(Tfx_sumatoria::Create(0)),
      x_inf(n - 1),
      x_sup(n - 1),
      gradienteF_(n - 1),
      gradienteL_(n - 1),
      xPruebaDescenso_(n - 1),
      xPruebaMultiplicadores_(n - 1),
      xAceptado_(n - 1),
      direccionMultiplicadores_(std::max(m - 1, 0)),
      multiplicadoresPrueba_(std::max(m - 1, 0)) {
    if (m < 1) throw EErrorQuendal("TProblema_m01.Create: cantidad de restricciones negativa");
    const int32_t numVariables = n - 1;
    restricciones.reserve(static_cast<std::size_t>(m - 1));
    for (int k = 0; k < m - 1; ++k)
        restricciones.push_back(
            TResfx::Create(TTipoRestriccion::TR_Mayor, 0, 0, Tfx_sumatoria::Create(0), numVariables));
    activas_.reserve(restricciones.size());
    if (!this->nombreVariable) this->nombreVariable = [this](int i) { return NombreVariable(i); };
    if (!this->nombreRestriccion) this->nombreRestriccion = [this](int i) { return NombreRestriccion(i); };
}

std::unique_ptr<TProblema_m01> TProblema_m01::Create(int m, int n, int sinUso, TFuncNombre nombreVariable,
                                                     TFuncNombre nombreRestriccion) {
    return std::make_unique<TProblema_m01>(m, n, sinUso, std::move(nombreVariable), std::move(nombreRestriccion));
}

std::string TProblema_m01::NombreVariable(int i) const { return "Var_" + std::to_string(i); }
std::string TProblema_m01::NombreRestriccion(int i) const { return "Res_" + std::to_string(i); }

bool TProblema_m01::VerificarCaja() {
    for (int32_t i = 1; i <= x_inf.n; ++i) {
        if (x_inf.pv[i] > x_sup.pv[i]) {
            mensaje = "La restricción de caja de la variable Nº: " + std::to_string(i) +
                      " vuelve el prolema infactible. " + " x_inf: " + FormatoGeneral(x_inf.pv[i], 15) +
                      " , x_sup: " + FormatoGeneral(x_sup.pv[i], 15);
            return false;
        }
    }
    return true;
}

void TProblema_m01::ProyectarEnCaja(TVectR& x) const {
    x.ExigirElementos(x_inf.n, "TProblema_m01.ProyectarEnCaja");
    for (int32_t i = 1; i <= x_inf.n; ++i) {
        if (x.pv[i] <= x_inf.pv[i])
            x.pv[i] = x_inf.pv[i];
        else if (x.pv[i] >= x_sup.pv[i])
            x.pv[i] = x_sup.pv[i];
    }
}

double TProblema_m01::EvaluarLagrangiano(std::vector<TResfx*>& activas, double& f, double& L, const TVectR& x) {
    f = VerificarFinito(objetivo->f(x), "TProblema_m01: función objetivo");
    L = f;
    double V = 0.0;
    activas.clear();
    for (std::size_t k = 0; k < restricciones.size(); ++k) {
        TResfx& restriccion = restricciones[k];
        VerificarFinito(restriccion.Evaluar(x), "TProblema_m01: restricción");
        if (restriccion.estado == TRestriccionActiva::NINGUNA) continue;
        activas.push_back(&restriccion);
        L += ContribucionAlLagrangiano(restriccion, static_cast<int>(k) + 1);
        V += restriccion.violacion * restriccion.violacion;
    }
    return V;
}

void TProblema_m01::GradienteLagrangiano(const std::vector<TResfx*>& activas, TVectR& gf, TVectR& gL,
                                         const TVectR& x) {
    gf.Ceros();
    objetivo->SumarGradiente(gf, x);
    gL.Copiar(gf);
    for (TResfx* restriccion : activas) {
        restriccion->CalcularGradiente(x);
        const double multiplicador = restriccion->estado == TRestriccionActiva::INFERIOR
                                         ? -restriccion->multiplicador
                                         : restriccion->multiplicador;
        gL.SumarMultiplo(multiplicador, restriccion->gradiente);
    }
}

void TProblema_m01::PasoDescenso(const TVectR& x, double s, TVectR& xPrueba) const {
    const TVectR& direccion = gradienteL_;
    for (int32_t i = 1; i <= xPrueba.n; ++i) xPrueba.pv[i] = x.pv[i] - s * direccion.pv[i];
    ProyectarEnCaja(xPrueba);
}

bool TProblema_m01::DireccionDeDescenso(const TVectR& x) {
    GradienteLagrangiano(activas_, gradienteF_, gradienteL_, x);
    const double norma = VerificarFinito(gradienteL_.Norma2(), "TProblema_m01: gradiente del lagrangiano");
    // A gradient below the zero threshold is a local minimum.
    if (norma < UmbralCero) return false;
    gradienteL_.EscalarDesde(1.0 / norma, 1);
    return true;
}

double TProblema_m01::DescensoProyectado(TVectR& x, double s, double sMin, int maxIteraciones, int& iteraciones,
                                         double& L, double& f, bool& chico, bool informar) {
    iteraciones = 0;
    chico = false;
    if (!VerificarCaja()) {
        L = f = Infinito;
        return Infinito;
    }
    ProyectarEnCaja(x);
    double V = EvaluarLagrangiano(activas_, f, L, x);
    if (!DireccionDeDescenso(x)) {
        chico = true;
        return V;
    }

    TPasoAdaptativo paso{s};
    bool detener = false;
    // True while the constraints describe a rejected trial instead of x.
    bool restriccionesEnPrueba = false;
    do {
        PasoDescenso(x, paso.s, xPruebaDescenso_);
        double fPrueba, LPrueba;
        const double VPrueba = EvaluarLagrangiano(activas_, fPrueba, LPrueba, xPruebaDescenso_);
        ++iteraciones;
        const bool aceptado = LPrueba < L;
        if (informar) detener = Informar(x, xPruebaDescenso_, L, LPrueba, aceptado);
        if (aceptado) {
            paso.Exito();
            x.CopiarDe(xPruebaDescenso_);
            L = LPrueba;
            f = fPrueba;
            V = VPrueba;
            restriccionesEnPrueba = false;
            if (DireccionDeDescenso(x))
                paso.CrecerSiToca();
            else
                chico = true;
        } else {
            restriccionesEnPrueba = true;
            paso.Fracaso();
            if (paso.s < sMin) chico = true;
        }
    } while (!chico && iteraciones < maxIteraciones && !detener);

    if (restriccionesEnPrueba) V = EvaluarLagrangiano(activas_, f, L, x);
    return V;
}

void TProblema_m01::ExigirDimensiones(const TVectR& multiplicadores, const TVectR& x) const {
    x.ExigirElementos(NumeroVariables(), "TProblema_m01.Resolver");
    multiplicadores.ExigirElementos(NumeroRestricciones(), "TProblema_m01.Resolver");
}

void TProblema_m01::InstalarMultiplicadores(const TVectR& multiplicadores) {
    for (std::size_t k = 0; k < restricciones.size(); ++k)
        restricciones[k].multiplicador = multiplicadores.pv[k + 1];
}

void TProblema_m01::LeerViolaciones(TVectR& v) const {
    for (std::size_t k = 0; k < restricciones.size(); ++k) v.pv[k + 1] = restricciones[k].violacion;
}

double TProblema_m01::Resolver(TVectR& multiplicadores, TVectR& x, double pasoMultiplicadores, double tolerancia,
                               int maxIteraciones, int& iteraciones, double& f, double& L, double& V,
                               bool& convergio, bool informar) {
    convergio = false;
    iteraciones = 0;
    ExigirDimensiones(multiplicadores, x);
    if (!VerificarCaja()) {
        f = L = V = Infinito;
        return V;
    }
    ProyectarEnCaja(x);
    for (int32_t k = 1; k <= NumeroRestricciones(); ++k)
        if (multiplicadores.pv[k] < 0) multiplicadores.pv[k] = 0;
    InstalarMultiplicadores(multiplicadores);

    int iteracionesDescenso;
    bool chico;
    V = DescensoProyectado(x, 1.0, tolerancia / 100, maxIteraciones, iteracionesDescenso, L, f, chico, informar);
    xAceptado_.Copiar(x);

    // d: the direction of the multiplier ascent, the unit vector of the
    // violations at the last accepted point.
    TVectR& d = direccionMultiplicadores_;
    TVectR& multiplicadoresPrueba = multiplicadoresPrueba_;
    TVectR& xPrueba = xPruebaMultiplicadores_;
    LeerViolaciones(d);
    if (!NormalizarSiNoEsNulo(d)) {
        convergio = true;
    } else {
        TPasoAdaptativo paso{pasoMultiplicadores, PasoMultiplicadoresMaximo};
        bool detener = false;
        // Ends as converged when V is negligible, as stopped otherwise.
        const auto Terminar = [&] {
            if (V < ViolacionDespreciable)
                convergio = true;
            else
                detener = true;
        };
        do {
            for (int32_t k = 1; k <= multiplicadoresPrueba.n; ++k)
                multiplicadoresPrueba.pv[k] = std::max(multiplicadores.pv[k] + paso.s * d.pv[k], 0.0);
            InstalarMultiplicadores(multiplicadoresPrueba);
            xPrueba.Copiar(x);
            double fPrueba, LPrueba;
            bool chicoPrueba;
            const double VPrueba = DescensoProyectado(xPrueba, 1.0, tolerancia / 10, maxIteraciones,
                                                      iteracionesDescenso, LPrueba, fPrueba, chicoPrueba, informar);
            ++iteraciones;
            const bool aceptado = chicoPrueba && LPrueba > L &&
                                  (VPrueba < ViolacionDespreciable || VPrueba <= ToleranciaAumentoViolacion * V);
            // The next trial starts where this one ended, accepted or not.
            x.CopiarDe(xPrueba);
            ProyectarEnCaja(x);
            if (aceptado) {
                paso.Exito();
                multiplicadores.CopiarDe(multiplicadoresPrueba);
                L = LPrueba;
                f = fPrueba;
                V = VPrueba;
                xAceptado_.Copiar(x);
                LeerViolaciones(d);
                if (!NormalizarSiNoEsNulo(d)) Terminar();
                paso.CrecerSiToca();
            } else {
                paso.Fracaso();
                if (paso.s < tolerancia) Terminar();
            }
        } while (!convergio && iteraciones < maxIteraciones && !detener);
    }

    // The answer is the last accepted state: its point and its multipliers.
    x.CopiarDe(xAceptado_);
    InstalarMultiplicadores(multiplicadores);
    EstimarMultiplicadores(*this, x, 2);
    for (std::size_t k = 0; k < restricciones.size(); ++k) multiplicadores.pv[k + 1] = restricciones[k].multiplicador;
    return V;
}

bool TProblema_m01::Informar(const TVectR& x, const TVectR& xPrueba, double Lx, double LxPrueba, bool /*aceptado*/) {
    ImprimirLinea(LineaDeValores(x, ", X:", Lx));
    ImprimirLinea(LineaDeValores(xPrueba, ", Xs:", LxPrueba));
    return false;
}

// ---------------------------------------------------------------- multiplier estimate

namespace {

std::string& CarpetaLog() {
    static std::string carpeta;
    return carpeta;
}

// The trace of one estimate. A log that cannot be opened or written costs one
// warning on standard error; the estimate goes on without it.
class TRegistroMultiplicadores {
public:
    explicit TRegistroMultiplicadores(int nivel) {
        if (nivel <= 0) return;
        const std::string ruta = RutaLogEstimarMultiplicadores();
        try {
            escritor_.emplace(nivel == 1 ? TEscritorTexto::Crear(ruta) : TEscritorTexto::Agregar(ruta));
        } catch (const EInOutError& error) {
            Abandonar(error);
        }
    }

    void Linea(const std::string& texto) {
        if (!escritor_) return;
        try {
            escritor_->Escribir(texto);
            escritor_->Escribir("\r\n");
        } catch (const EInOutError& error) {
            Abandonar(error);
        }
    }

    void Cerrar() {
        if (!escritor_) return;
        try {
            escritor_->Cerrar();
            escritor_.reset();
        } catch (const EInOutError& error) {
            Abandonar(error);
        }
    }

private:
    void Abandonar(const EInOutError& error) {
        escritor_.reset();
        Advertir(std::string(error.what()) + "; la estimación de multiplicadores sigue sin registro.");
    }

    std::optional<TEscritorTexto> escritor_;
};

// TAB and the default real form of each of the first `cuenta` elements.
std::string ConTabuladores(const TVectR& v, int32_t cuenta) {
    std::string texto;
    for (int32_t k = 1; k <= cuenta; ++k) texto += "\t" + RealATextoDefecto(v.pv[k]);
    return texto;
}

std::string ConTabuladores(const TVectR& v) { return ConTabuladores(v, v.n); }

void RegistrarVectores(TRegistroMultiplicadores& registro, const std::string& prefijo,
                       const std::vector<TResfx*>& lista, TVectR TResfx::*vector) {
    for (std::size_t k = 0; k < lista.size(); ++k)
        registro.Linea(prefijo + std::to_string(k) + ConTabuladores(lista[k]->*vector));
}

// u := w / |w|; norma := |w|.
void OrientarSegunGradienteConSigno(TResfx& restriccion) {
    restriccion.versor.Copiar(restriccion.gradienteConSigno);
    restriccion.norma = restriccion.versor.Normalizar();
}

// Removes from the candidates the component of each along the new base
// direction u_c (position K); those left without length, or without room in
// a full base, become redundant.
void OrtogonalizarCandidatas(std::vector<TResfx*>& candidatas, std::vector<TResfx*>& redundantes,
                             const TResfx& elegida, int32_t K, int32_t numVariables) {
    std::vector<TResfx*> quedan;
    for (TResfx* h : candidatas) {
        const double t = h->gradienteConSigno.ProductoEscalar(elegida.versor);
        h->gradienteConSigno.SumarMultiplo(-t, elegida.versor);
        h->alfa.pv[K] = t;
        OrientarSegunGradienteConSigno(*h);
        if (h->norma <= UmbralCero || K == numVariables)
            redundantes.push_back(h);
        else
            quedan.push_back(h);
    }
    candidatas = std::move(quedan);
}

TResfx* Extraer(std::vector<TResfx*>& candidatas, std::size_t posicion) {
    TResfx* elegida = candidatas[posicion];
    candidatas.erase(candidatas.begin() + static_cast<std::ptrdiff_t>(posicion));
    return elegida;
}

std::size_t PosicionDeMayorNorma(const std::vector<TResfx*>& candidatas) {
    std::size_t mejor = 0;
    for (std::size_t k = 1; k < candidatas.size(); ++k)
        if (candidatas[k]->norma > candidatas[mejor]->norma) mejor = k;
    return mejor;
}

}  // namespace

void FijarCarpetaLogEstimarMultiplicadores(const std::string& carpeta) { CarpetaLog() = carpeta; }

std::string RutaLogEstimarMultiplicadores() {
    if (CarpetaLog().empty()) return ArchivoLogEstimarMultiplicadores;
    return (std::filesystem::path(CarpetaLog()) / ArchivoLogEstimarMultiplicadores).string();
}

TResfx* ExtraerCandidatoOpuesto(std::vector<TResfx*>& candidatas, const TVectR& residuo, double& valor,
                                bool& porProyeccion) {
    if (candidatas.empty()) throw EErrorQuendal("ExtraerCandidatoOpuesto: no hay candidatas");
    std::size_t masOpuesta = 0;
    double menorProducto = candidatas[0]->versor.ProductoEscalar(residuo);
    for (std::size_t k = 1; k < candidatas.size(); ++k) {
        const double producto = candidatas[k]->versor.ProductoEscalar(residuo);
        if (producto < menorProducto) {
            menorProducto = producto;
            masOpuesta = k;
        }
    }
    porProyeccion = menorProducto < -UmbralCero;
    if (porProyeccion) {
        valor = menorProducto;
        return Extraer(candidatas, masOpuesta);
    }
    // No candidate opposes the residual: the longest one is taken, with the
    // residual's own component along it.
    TResfx* elegida = Extraer(candidatas, PosicionDeMayorNorma(candidatas));
    valor = elegida->versor.ProductoEscalar(residuo);
    return elegida;
}

TResfx* ExtraerMayorNorma(std::vector<TResfx*>& candidatas, double& valor) {
    if (candidatas.empty()) throw EErrorQuendal("ExtraerMayorNorma: no hay candidatas");
    TResfx* elegida = Extraer(candidatas, PosicionDeMayorNorma(candidatas));
    valor = elegida->norma;
    return elegida;
}

void SeleccionarBaseOpositoras(std::vector<TResfx*>& base, std::vector<TResfx*>& redundantes,
                               std::vector<TResfx*>& noOpositoras, TVectR& beta,
                               const std::vector<TResfx*>& activas, const TVectR& gf) {
    const int32_t numVariables = gf.n;
    beta.ExigirElementos(numVariables, "SeleccionarBaseOpositoras");
    TVectR residuo = gf;
    TVectR direccionObjetivo = gf;
    direccionObjetivo.Normalizar();
    beta.Ceros();
    base.clear();
    redundantes.clear();
    noOpositoras.clear();

    // The signed gradient w points where the constraint's side of the
    // Lagrangian grows: -grad r on the lower side, grad r otherwise.
    std::vector<TResfx*> candidatas;
    for (TResfx* c : activas) {
        c->gradienteConSigno.Copiar(c->gradiente);
        if (c->estado == TRestriccionActiva::INFERIOR) c->gradienteConSigno.EscalarDesde(-1.0, 1);
        OrientarSegunGradienteConSigno(*c);
        c->alfa.Ceros();
        if (c->norma <= UmbralCero)
            redundantes.push_back(c);
        else if (c->versor.ProductoEscalar(direccionObjetivo) <= 0)
            candidatas.push_back(c);
        else
            noOpositoras.push_back(c);
    }

    bool porProyeccion = true;
    while (!candidatas.empty()) {
        TResfx* elegida;
        double valor;
        if (porProyeccion) {
            elegida = ExtraerCandidatoOpuesto(candidatas, residuo, valor, porProyeccion);
            base.push_back(elegida);
            residuo.SumarMultiplo(-valor, elegida->versor);
            beta.pv[static_cast<int32_t>(base.size())] = valor;
        } else {
            elegida = ExtraerMayorNorma(candidatas, valor);
            base.push_back(elegida);
        }
        const int32_t K = static_cast<int32_t>(base.size());
        elegida->alfa.pv[K] = elegida->norma;
        elegida->norma = 0;
        OrtogonalizarCandidatas(candidatas, redundantes, *elegida, K, numVariables);
    }
}

void EstimarMultiplicadores(TProblema_m01& problema, TVectR& x, int nivelLog) {
    TRegistroMultiplicadores registro(nivelLog);
    const int32_t numVariables = problema.NumeroVariables();

    problema.ProyectarEnCaja(x);
    std::vector<TResfx*> activas;
    double f, L;
    problema.EvaluarLagrangiano(activas, f, L, x);
    for (TResfx& restriccion : problema.restricciones) restriccion.multiplicador = 0;

    registro.Linea("calcular_fs ............. ");
    registro.Linea("x: " + ConTabuladores(x, numVariables));
    registro.Linea("f(x): \t" + RealATextoDefecto(f) + "\tL(x): \t" + RealATextoDefecto(L));
    std::string valores = "r(x): ";
    for (const TResfx* restriccion : activas) valores += "\t" + RealATextoDefecto(restriccion->valor);
    registro.Linea(valores);

    TVectR gf(numVariables);
    problema.objetivo->SumarGradiente(gf, x);
    if (gf.SumaCuadrados() <= UmbralCero) {
        registro.Cerrar();
        return;
    }

    registro.Linea("gradientes .... ");
    registro.Linea("gf" + ConTabuladores(gf));
    for (TResfx* restriccion : activas) restriccion->CalcularGradiente(x);
    RegistrarVectores(registro, "gr_", activas, &TResfx::gradiente);

    std::vector<TResfx*> base, redundantes, noOpositoras;
    TVectR beta(numVariables);
    SeleccionarBaseOpositoras(base, redundantes, noOpositoras, beta, activas, gf);
    registro.Linea("opositoras_base_versores --------");
    RegistrarVectores(registro, "ubase_", base, &TResfx::versor);
    registro.Linea("opositoras_base_alfa --------");
    RegistrarVectores(registro, "alfa_base_", base, &TResfx::alfa);
    registro.Linea("opositoras_redundantes_alfa --------");
    RegistrarVectores(registro, "alfa_red_", redundantes, &TResfx::alfa);

    // gf + sum of lambda_k * w_k = 0 along each base direction: an upper
    // triangular system in the alpha coefficients, solved from the last row.
    const int32_t K = static_cast<int32_t>(base.size());
    TVectR lambda(K);
    for (int32_t k = K; k >= 1; --k) {
        double suma = beta.pv[k];
        for (int32_t i = k + 1; i <= K; ++i) suma += base[i - 1]->alfa.pv[k] * lambda.pv[i];
        lambda.pv[k] = VerificarFinito(-suma / base[k - 1]->alfa.pv[k], "EstimarMultiplicadores");
        base[k - 1]->multiplicador = lambda.pv[k];
    }
    registro.Linea("opositoras_base_lambda --------");
    registro.Linea("lambdas: " + ConTabuladores(lambda));
    registro.Cerrar();
}
