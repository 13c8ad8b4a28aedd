// The model-error matrices: the error of a wind-farm model against the
// measured power by direction sector and speed bin, and their report file.
#include "restrictions/ucalcrestriccionesoperativas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "data/unidades.h"
#include "numerics/archivotexto.h"
#include "numerics/errores.h"
#include "numerics/textoreal.h"

namespace {

constexpr int MinutosPorDia = 1440;

void EscribirFigura(TEscritorTexto& f, const std::string& titulo, double valor) {
    f.EscribirLinea(titulo + "\t" + RealATextoDefecto(valor));
    f.EscribirLinea();
}

void EscribirBloque(TEscritorTexto& f, const std::string& titulo, double valor, const TMatR& matriz) {
    f.EscribirLinea(titulo + "\t" + RealATextoDefecto(valor));
    matriz.EscribirTabla(f);
    f.EscribirLinea();
}

// Standard deviation from a variance computed by differences, which may come
// out slightly negative; the sign is judged in single precision.
double RaizDeVarianza(double varianza) {
    return static_cast<float>(varianza) > 0.0f ? std::sqrt(varianza) : 0.0;
}

}  // namespace

TMatricesConErroresModelos TMatricesConErroresModelos::Create(double velocidadLimite, double anguloTotal,
                                                              int32_t nSectores, int32_t nTramos,
                                                              int32_t horaInicioDia, int32_t horaFinDia,
                                                              double potenciaAutorizada) {
    if (nSectores < 1 || nTramos < 1)
        throw EErrorQuendal("TMatricesConErroresModelos: se necesita al menos un sector y un tramo");
    if (!(velocidadLimite > 0 && anguloTotal > 0) || !std::isfinite(velocidadLimite) ||
        !std::isfinite(anguloTotal))
        throw EErrorQuendal("TMatricesConErroresModelos: la velocidad límite y el ángulo deben ser positivos");
    if (!(potenciaAutorizada > 0) || !std::isfinite(potenciaAutorizada))
        throw EErrorQuendal("TMatricesConErroresModelos: la potencia autorizada debe ser positiva");

    TMatricesConErroresModelos m;
    for (TSumasGrupo* grupo : {&m.total_, &m.dia_, &m.noche_}) {
        grupo->errorAcumulado = TMatR(nSectores, nTramos);
        grupo->errorCuadrado = TMatR(nSectores, nTramos);
        grupo->cantidad = TMatR(nSectores, nTramos);
    }
    m.nSectores_ = nSectores;
    m.nTramos_ = nTramos;
    m.velocidadLimite_ = velocidadLimite;
    m.anguloTotal_ = anguloTotal;
    m.anchoTramo_ = velocidadLimite / nTramos;
    m.anchoSector_ = anguloTotal / nSectores;
    m.horaInicioDia_ = horaInicioDia;
    m.horaFinDia_ = horaFinDia;
    m.potenciaAutorizada_ = potenciaAutorizada;
    return m;
}

bool TMatricesConErroresModelos::CeldaDe(double velocidad, double direccion, int32_t& fila,
                                          int32_t& columna) const {
    if (!(std::isfinite(velocidad) && std::isfinite(direccion)) || velocidad < 0 || direccion < 0)
        return false;
    // Directions wrap around the span; speeds at or above the limit less
    // 0.001 m/s fall into the last bin.
    const double sector = std::fmod(std::trunc(direccion / anchoSector_), nSectores_);
    const double tramo = std::trunc(std::min(velocidad, velocidadLimite_ - 0.001) / anchoTramo_);
    if (!(sector >= 0 && sector < nSectores_ && tramo >= 0 && tramo < nTramos_)) return false;
    fila = static_cast<int32_t>(sector) + 1;
    columna = static_cast<int32_t>(tramo) + 1;
    return true;
}

bool TMatricesConErroresModelos::EsDeDia(TDateTime fecha) const {
    // The minute of the day, rounded, so that 07:00 computed as 06:59:59.999
    // is still 07:00; a time that rounds to 24:00 is the next day's 00:00.
    const double fraccion = std::fabs(fecha - std::trunc(fecha));
    double minuto = std::nearbyint(fraccion * MinutosPorDia);
    if (minuto >= MinutosPorDia) minuto -= MinutosPorDia;
    return horaInicioDia_ * 60.0 <= minuto && minuto < horaFinDia_ * 60.0;
}

void TMatricesConErroresModelos::SumarEnGrupo(TSumasGrupo& grupo, int32_t fila, int32_t columna,
                                              double error) {
    grupo.cantidad.SumarAElemento(fila, columna, 1);
    grupo.errorAcumulado.SumarAElemento(fila, columna, error);
    grupo.errorCuadrado.SumarAElemento(fila, columna, error * error);
}

void TMatricesConErroresModelos::Agregar(double potModelo, double potDato, double velocidad,
                                         double direccion, TDateTime fecha) {
    if (!(std::isfinite(potModelo) && std::isfinite(potDato) && std::isfinite(fecha))) return;
    int32_t fila = 0, columna = 0;
    if (!CeldaDe(velocidad, direccion, fila, columna)) return;
    // The sums of measured power and absolute error cover the same samples
    // as the counts they are divided by.
    const double error = potDato - potModelo;
    sumaPotenciaDato_ += potDato;
    sumaErroresAbsolutos_ += std::fabs(error);
    SumarEnGrupo(total_, fila, columna, error);
    SumarEnGrupo(EsDeDia(fecha) ? dia_ : noche_, fila, columna, error);
}

TEstadisticasGrupoErrores TMatricesConErroresModelos::EstadisticasDeGrupo(const TSumasGrupo& grupo,
                                                                          double& sumaCuadrados) const {
    const double pa = potenciaAutorizada_;
    TEstadisticasGrupoErrores e;
    e.errorAcumulado = TMatR(nSectores_, nTramos_);
    e.errorMedio = TMatR(nSectores_, nTramos_);
    e.desviacion = TMatR(nSectores_, nTramos_);
    e.cantidad = grupo.cantidad;
    double sumaMediosPorCantidad = 0;
    for (int32_t i = 1; i <= nSectores_; ++i) {
        for (int32_t j = 1; j <= nTramos_; ++j) {
            const double n = grupo.cantidad.Elemento(i, j);
            const double acumulado = grupo.errorAcumulado.Elemento(i, j);
            e.errorAcumulado.FijarElemento(i, j, acumulado / 6);  // MWh of ten-minute samples
            if (n < 0.999) {
                e.errorMedio.FijarElemento(i, j, ValorVacioErrores);
                e.desviacion.FijarElemento(i, j, ValorVacioErrores);
                continue;
            }
            const double cuadrado = grupo.errorCuadrado.Elemento(i, j);
            const double medio = acumulado / n / pa;
            sumaCuadrados += cuadrado;
            sumaMediosPorCantidad += medio * n;
            e.errorMedio.FijarElemento(i, j, medio);
            e.desviacion.FijarElemento(i, j, RaizDeVarianza(cuadrado / n / (pa * pa) - medio * medio));
        }
    }
    e.sumaErrores = e.errorAcumulado.SumaElementos();
    e.sumaCantidades = e.cantidad.SumaElementos();
    if (e.sumaCantidades > 0) {
        e.errorMedioGlobal = sumaMediosPorCantidad / e.sumaCantidades;
        const double varianza =
            sumaCuadrados / (pa * pa) / e.sumaCantidades - e.errorMedioGlobal * e.errorMedioGlobal;
        e.desviacionGlobal = varianza < 0 ? 0 : std::sqrt(varianza);
    }
    return e;
}

TEstadisticasErrores TMatricesConErroresModelos::Estadisticas() const {
    TEstadisticasErrores e;
    double cuadradosTotal = 0, cuadradosDia = 0, cuadradosNoche = 0;
    e.total = EstadisticasDeGrupo(total_, cuadradosTotal);
    e.dia = EstadisticasDeGrupo(dia_, cuadradosDia);
    e.noche = EstadisticasDeGrupo(noche_, cuadradosNoche);

    const double cantidad = e.total.sumaCantidades;
    if (cantidad < 1) return e;  // no sample: the overall figures stay empty
    const double potenciaMedia = sumaPotenciaDato_ / cantidad;
    e.potenciaMediaDato = potenciaMedia;
    if (potenciaMedia == 0) return e;  // relative figures need a mean to divide by
    e.EMC = std::sqrt(cuadradosTotal / cantidad) / potenciaMedia;
    e.error = e.total.errorMedioGlobal * potenciaAutorizada_ / potenciaMedia;
    e.errorAbsoluto = sumaErroresAbsolutos_ / cantidad / potenciaMedia;
    return e;
}

void TMatricesConErroresModelos::Escribir(const std::string& archivo) const {
    const TEstadisticasErrores e = Estadisticas();
    TEscritorTexto f = TEscritorTexto::Crear(RutaLocal(archivo));
    EscribirFigura(f, "EMC = raiz(VE[(Preal-Pmodelo)^2])/VE[Preal]", e.EMC);
    EscribirFigura(f, "Error = VE[(Preal-Pmodelo)]/VE[Preal]", e.error);
    EscribirFigura(f, "Error Absoluto = VE[|(Preal-Pmodelo)|/|VE[Preal]]", e.errorAbsoluto);
    f.EscribirLinea("----");

    struct Grupo {
        const char* nombre;
        const TEstadisticasGrupoErrores& estadisticas;
    };
    const Grupo grupos[] = {{"Total", e.total}, {"Día", e.dia}, {"Noche", e.noche}};
    for (const Grupo& g : grupos)
        EscribirBloque(f, std::string("Errores Acumulados - ") + g.nombre + " [MWh]",
                       g.estadisticas.sumaErrores, g.estadisticas.errorAcumulado);
    for (const Grupo& g : grupos)
        EscribirBloque(f, std::string("Errores Medios Respecto a PAutorizada - ") + g.nombre + " [p.u]",
                       g.estadisticas.errorMedioGlobal, g.estadisticas.errorMedio);
    for (const Grupo& g : grupos)
        EscribirBloque(f,
                       std::string("Desviación estándar del error respecto a la PAutorizada - ") +
                           g.nombre + " [p.u]",
                       g.estadisticas.desviacionGlobal, g.estadisticas.desviacion);
    for (const Grupo& g : grupos)
        EscribirBloque(f, std::string("Cantidad de datos por sector y tramo - ") + g.nombre + " [cant]",
                       g.estadisticas.sumaCantidades, g.estadisticas.cantidad);
    f.Cerrar();
}
