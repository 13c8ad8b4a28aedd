#include "models/uGranjaSolar.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "charts/ugraficador.h"
#include "data/ucarpetasmodelos.h"
#include "data/upgsql.h"
#include "data/useriestemporales.h"
#include "models/ufiltrosmuestras.h"
#include "numerics/consola.h"
#include "numerics/errores.h"
#include "numerics/formatsettings.h"
#include "numerics/textoreal.h"

namespace {

// Writes a line and an empty line to standard output.
void EscribirConsola(const std::string& linea) {
    EscribirEnConsola(linea + "\n\n");
}

// Thresholds of the filters; the factors multiply the authorised power Pa.
constexpr double TemperaturaMinima = -10, TemperaturaMaxima = 55;  // °C
constexpr double RadiacionMinima = 0.1, RadiacionMaxima = 1367;   // W/m2
constexpr double PotenciaMinima = -1;                             // MW
constexpr double FactorPotenciaMaxima = 1.2;
constexpr double DisponibilidadMinima = 0.99, DisponibilidadMaxima = 1.01;
constexpr double FactorSobreAutorizada = 1.05;
constexpr double FactorCercaniaConsigna = 0.08;

// Samples whose measured power lies strictly between these shares of Pa feed
// the fit.
constexpr double FactorAjusteMinimo = 0.05, FactorAjusteMaximo = 0.95;
// Residual given to flagged samples so that the sort puts them last.
constexpr double ResiduoDeExcluida = 9999999999.0;
constexpr double FraccionConservada = 0.9;

constexpr double AnchoBanda = 35.0 / 3.0;  // °C
constexpr int32_t NumeroBandas = 3;

// Power, availability, temperature, irradiance and set-point.
constexpr int32_t SeriesSolares = 5;

constexpr int AnchoGrafico = 2100, AltoGrafico = 1000, CalidadGrafico = 100;

bool EsHueco(double temperatura, double radiacion, double potencia, double consigna, double Pa) {
    if (std::isnan(temperatura) || std::isnan(radiacion) || std::isnan(potencia) || std::isnan(consigna))
        return true;
    return !(temperatura >= TemperaturaMinima && temperatura <= TemperaturaMaxima && radiacion >= RadiacionMinima &&
             radiacion <= RadiacionMaxima && potencia >= PotenciaMinima && potencia <= FactorPotenciaMaxima * Pa &&
             consigna >= 0);
}

// The availability test of a sample that is not a gap; a NaN availability
// fails it.
bool DisponibilidadAceptable(double potencia, double disponibilidad, double Pa) {
    if (!(disponibilidad >= DisponibilidadMinima && disponibilidad <= DisponibilidadMaxima)) return false;
    return potencia <= FactorSobreAutorizada * Pa && potencia / disponibilidad <= FactorSobreAutorizada * Pa;
}

// Rounds to single precision; values beyond its range become infinities
// (which the caller floors or caps) instead of an undefined conversion.
double RedondearASimple(double x) {
    if (x > FLT_MAX) return std::numeric_limits<double>::infinity();
    if (x < -FLT_MAX) return -std::numeric_limits<double>::infinity();
    return static_cast<double>(static_cast<float>(x));
}

// Whether the 6 × 6 normal matrix is singular to working precision. The
// elimination's own zero test is absolute, and the entries of the matrix run
// up to R⁴ (about 10¹² per sample), so a rank-deficient matrix leaves pivots
// of rounding noise well above it and passes as invertible. Here the matrix
// is first scaled to a unit diagonal (D^-½·M·D^-½, whose entries are the
// cosines between the design's columns) and a pivot below
// PivoteRelativoMinimo counts as zero: rank-deficient sample sets leave
// pivots near 10⁻¹⁴, while temperatures spread over only 2 °C still leave
// about 10⁻⁷.
constexpr double PivoteRelativoMinimo = 1e-10;

bool MatrizNormalSingular(const TMatR& M) {
    const int32_t n = M.nf;
    std::vector<double> escala(static_cast<std::size_t>(n) + 1);
    for (int32_t i = 1; i <= n; ++i) {
        const double d = M.Elemento(i, i);
        if (!(d > 0) || !std::isfinite(d)) return true;
        escala[i] = 1.0 / std::sqrt(d);
    }
    std::vector<std::vector<double>> a(static_cast<std::size_t>(n) + 1, std::vector<double>(n + 1));
    for (int32_t i = 1; i <= n; ++i)
        for (int32_t j = 1; j <= n; ++j) a[i][j] = M.Elemento(i, j) * escala[i] * escala[j];
    for (int32_t c = 1; c <= n; ++c) {
        int32_t pivote = c;
        for (int32_t f = c + 1; f <= n; ++f)
            if (std::fabs(a[f][c]) > std::fabs(a[pivote][c])) pivote = f;
        if (!(std::fabs(a[pivote][c]) > PivoteRelativoMinimo)) return true;
        std::swap(a[c], a[pivote]);
        for (int32_t f = c + 1; f <= n; ++f) {
            const double m = a[f][c] / a[c][c];
            for (int32_t j = c; j <= n; ++j) a[f][j] -= m * a[c][j];
        }
    }
    return false;
}

TVectR VectorDe(const TDAofNReal& valores) { return TVectR::Create_DesdeArreglo(valores); }

// A chart of the solar model: default kind line with markers, logo drawn.
std::unique_ptr<TGrafico> NuevoGrafico(const std::string& titulo, const char* tituloX, const char* tituloY,
                                       double yMaximo) {
    auto grafico = TGrafico::Create("gfiltrados_pRad", "", TSG_LineaConMarcadores, 0);
    grafico->Titulo = titulo;
    grafico->EjeX->Titulo = tituloX;
    grafico->EjeY->Titulo = tituloY;
    grafico->EjeX->FijarMinimo(-10);
    grafico->EjeX->FijarMaximo(RadiacionMaxima);
    grafico->EjeY->FijarMinimo(-1);
    grafico->EjeY->FijarMaximo(yMaximo);
    return grafico;
}

}  // namespace

TGeneradorSolar::TGeneradorSolar(Clave) {}
TGeneradorSolar::~TGeneradorSolar() = default;

// ---------------------------------------------------------------- construction

void TGeneradorSolar::ExigirSeriesSolares(const TSeriesDeDatos& series) {
    series.ExigirSeriesExactas(SeriesSolares, "una central solar");
}

TDatosCentralSolar TGeneradorSolar::LeerFilaCentral(TPgSqlRes& fila, int32_t nid) {
    TDatosCentralSolar central;
    central.nombre = fila.fieldByName("centralgeneradora").AsString();
    central.potencia_autorizada_mw = fila.fieldByName("potencia_autorizada_mw").AsFloat(0);
    central.nid = nid;
    central.nid_central_KOLM = fila.fieldByName("nid_central_KOLM").AsInteger(0);
    return central;
}

std::unique_ptr<TGeneradorSolar> TGeneradorSolar::Create(const std::string& archivoSeries, int32_t nid,
                                                         TPgSqlCon* /*conexion*/, TPgSqlRes& fila) {
    const TDatosCentralSolar central = LeerFilaCentral(fila, nid);
    std::unique_ptr<TSeriesDeDatos> leidas = TSeriesDeDatos::Create(archivoSeries);
    ExigirSeriesSolares(*leidas);
    TMuestrasSolares muestras;
    muestras.PE = leidas->Serie(0).Clonar();
    muestras.fDisp = leidas->Serie(1).Clonar();
    muestras.Temp = leidas->Serie(2).Clonar();
    muestras.Rad = leidas->Serie(3).Clonar();
    muestras.CGM = leidas->Serie(4).Clonar();
    muestras.dtPrimeraMuestra = leidas->dtPrimeraMuestra;
    muestras.PeriodoDias = leidas->PeriodoDias;
    auto modelo = Create_DesdeMuestras(central, std::move(muestras));
    modelo->series = std::move(leidas);
    return modelo;
}

std::unique_ptr<TGeneradorSolar> TGeneradorSolar::Create_DesdeMuestras(const TDatosCentralSolar& central,
                                                                       TMuestrasSolares muestras) {
    for (const TVectR* serie : {&muestras.fDisp, &muestras.Temp, &muestras.Rad, &muestras.CGM})
        if (serie->n != muestras.PE.n)
            throw EErrorQuendal("TGeneradorSolar.Create_DesdeMuestras: las cinco series deben tener " +
                                std::to_string(muestras.PE.n) + " muestras");
    auto modelo = std::make_unique<TGeneradorSolar>(Clave{});
    modelo->nombre = central.nombre;
    modelo->potencia_autorizada_mw = central.potencia_autorizada_mw;
    modelo->nid = central.nid;
    modelo->nid_central_KOLM = central.nid_central_KOLM;
    modelo->nMuestras = muestras.PE.n;
    modelo->dtPrimeraMuestra = muestras.dtPrimeraMuestra;
    modelo->PeriodoDias = muestras.PeriodoDias;
    modelo->PE = std::move(muestras.PE);
    modelo->PE_corregida = modelo->PE.Clonar();
    modelo->fDisp = std::move(muestras.fDisp);
    modelo->Temp = std::move(muestras.Temp);
    modelo->Rad = std::move(muestras.Rad);
    modelo->CGM = std::move(muestras.CGM);
    modelo->Construir();
    return modelo;
}

void TGeneradorSolar::Construir() {
    FiltrarMuestras(PE, Rad, Temp, CGM, fDisp, PE_corregida, Filt_CGM, Filt_Coherencia, Filt_Disponibilidad,
                    Filt_Huecos, Filtro_Distancia, Filt_Total, nMuestrasValidas);
    auto ajustarYGraficar = [this] {
        GraficarMuestrasFiltradas();
        AjustarPolinomio();
        for (int32_t k = 1; k <= NumeroBandas; ++k) {
            SeleccionarCluster(k);
            GraficarCluster(k);
        }
    };
    ajustarYGraficar();
    FiltrarPorDistancia();
    ajustarYGraficar();  // replaces the first fit and its charts
    CalcularErrores();
}

// ---------------------------------------------------------------- filters

void TGeneradorSolar::FiltrarMuestras(const TVectR& PE, const TVectR& Rad, const TVectR& Temp,
                                      const TVectR& CGM, TVectR& fDisp, TVectR& PE_corregida,
                                      TDAOfBoolean& Filt_CGM, TDAOfBoolean& Filt_Coherencia,
                                      TDAOfBoolean& Filt_Disponibilidad, TDAOfBoolean& Filt_Huecos,
                                      TDAOfBoolean& Filtro_Distancia, TDAOfBoolean& Filt_Total,
                                      int32_t& nMuestrasValidas) const {
    const int32_t n = fDisp.n;
    const char* operacion = "TGeneradorSolar.FiltrarMuestras";
    const std::array<const TVectR*, 5> entradas = {&PE, &Rad, &Temp, &CGM, &PE_corregida};
    for (const TVectR* serie : entradas) serie->ExigirElementos(n, operacion);
    const double Pa = potencia_autorizada_mw;
    for (TDAOfBoolean* marcas :
         {&Filt_CGM, &Filt_Coherencia, &Filt_Disponibilidad, &Filt_Huecos, &Filtro_Distancia, &Filt_Total})
        ReiniciarMarcas(*marcas, n);

    for (int32_t k = 1; k <= n; ++k)
        Filt_Huecos[k] = EsHueco(Temp.pv[k], Rad.pv[k], PE.pv[k], CGM.pv[k], Pa) ? 1 : 0;
    InformarFiltro("Muestras filtradas por Huecos: ", ContarMarcas(Filt_Huecos), n);

    for (int32_t k = 1; k <= n; ++k) fDisp.pv[k] = fDisp.pv[k] * 0.01;  // percent to per unit
    for (int32_t k = 1; k <= n; ++k) {
        if (Filt_Huecos[k]) continue;
        if (DisponibilidadAceptable(PE.pv[k], fDisp.pv[k], Pa))
            PE_corregida.pv[k] = PE.pv[k] / fDisp.pv[k];
        else
            Filt_Disponibilidad[k] = 1;
    }
    InformarFiltro("Muestras filtradas por Disponibilidad o por umbral de Potencia Autorizada: ",
                   ContarMarcas(Filt_Disponibilidad), n);

    // The power as read is both scanned and compared with the set-point.
    FiltrarLecturasRepetidas(Filt_Coherencia, {{"Radiación", Rad}, {"Temperatura", Temp}}, PE, PE, CGM,
                             FactorCercaniaConsigna * Pa, Filt_Huecos);
    FiltrarPorConsigna(Filt_CGM, CGM, Pa, Filt_Huecos);

    for (int32_t k = 1; k <= n; ++k)
        Filt_Total[k] = Filt_Huecos[k] || Filt_Coherencia[k] || Filt_CGM[k] || Filt_Disponibilidad[k] ||
                                Filtro_Distancia[k]
                            ? 1
                            : 0;
    const int32_t descartadas = ContarMarcas(Filt_Total);
    nMuestrasValidas = n - descartadas;
    InformarFiltro("Muestras filtradas TOTALES: ", descartadas, n);

    if (n > 0 && nMuestrasValidas == 0) {
        const int32_t sinHueco = n - ContarMarcas(Filt_Huecos);
        std::string aviso = "¡ATENCION! Ninguna muestra pasó los filtros.";
        if (sinHueco > 0 && ContarMarcas(Filt_Disponibilidad) == sinHueco)
            aviso += " El filtro de disponibilidad las descartó todas: la disponibilidad debe estar en porcentaje.";
        EscribirConsola(aviso);
    }
}

// ---------------------------------------------------------------- model power and fit

double TGeneradorSolar::Potencia(double R, double T) const {
    const TDAofNReal& c = Coeficientes.pv;
    const double p = c[1] * R + c[2] * T + c[3] * (R * R) + c[4] * R * T + c[5] * (T * T) + c[6];
    const double simple = RedondearASimple(p);
    double resultado = simple > 0 ? simple : 0.0;
    if (potencia_autorizada_mw <= resultado) resultado = potencia_autorizada_mw;
    return resultado;
}

void TGeneradorSolar::AjustarPolinomio() {
    const double Pa = potencia_autorizada_mw;
    std::vector<int32_t> muestras;
    for (int32_t k = 1; k <= nMuestras; ++k)
        if (!Filt_Total[k] && FactorAjusteMinimo * Pa < PE.pv[k] && PE.pv[k] < FactorAjusteMaximo * Pa)
            muestras.push_back(k);

    if (muestras.empty()) {
        Coeficientes = TVectR(6);
        EscribirConsola("¡ATENCION! Ninguna muestra útil para ajustar el modelo solar: coeficientes nulos.");
        return;
    }

    const int32_t filas = static_cast<int32_t>(muestras.size());
    TMatR A(filas, 6);
    TMatR y(filas, 1);
    for (int32_t i = 1; i <= filas; ++i) {
        const int32_t k = muestras[static_cast<std::size_t>(i) - 1];
        const double R = Rad.pv[k], T = Temp.pv[k];
        const std::array<double, 6> fila = {R, T, R * R, R * T, T * T, 1.0};
        for (int32_t j = 1; j <= 6; ++j) A.FijarElemento(i, j, fila[static_cast<std::size_t>(j) - 1]);
        y.FijarElemento(i, 1, PE_corregida.pv[k]);
    }
    const TMatR At = A.Transpuesta();
    TMatR M(6, 6);
    M.Producto(At, A);
    TMatR b(6, 1);
    b.Producto(At, y);
    if (MatrizNormalSingular(M) || !M.Invertir())
        throw EMathError("TGeneradorSolar.AjustarPolinomio: las " + std::to_string(filas) +
                         " muestras útiles no determinan los seis coeficientes del polinomio (sistema singular).");
    TMatR s(6, 1);
    s.Producto(M, b);

    TVectR coeficientes(6);
    for (int32_t j = 1; j <= 6; ++j)
        coeficientes.pv[j] = VerificarFinito(s.Elemento(j, 1), "TGeneradorSolar.AjustarPolinomio");
    Coeficientes = std::move(coeficientes);
}

void TGeneradorSolar::FiltrarPorDistancia() {
    TVectR residuos(nMuestras);
    for (int32_t k = 1; k <= nMuestras; ++k) {
        if (Filt_Total[k]) {
            residuos.pv[k] = ResiduoDeExcluida;
        } else {
            const double d = Potencia(Rad.pv[k], Temp.pv[k]) - PE_corregida.pv[k];
            residuos.pv[k] = d * d;
        }
    }
    TDAofNInt indices(static_cast<std::size_t>(nMuestras) + 1);
    for (int32_t k = 0; k <= nMuestras; ++k) indices[static_cast<std::size_t>(k)] = k;
    residuos.OrdenarConIndices(true, indices);

    const int32_t validas = nMuestras - ContarMarcas(Filt_Total);
    const int32_t primera = static_cast<int32_t>(std::trunc(FraccionConservada * validas)) + 1;
    TVectR marcas(nMuestras);
    for (int32_t pos = primera; pos <= validas; ++pos) marcas.pv[pos] = 1;
    marcas.DeshacerPermutacion(indices);

    int32_t marcadas = 0;
    for (int32_t k = 1; k <= nMuestras; ++k) {
        if (std::fabs(marcas.pv[k] - 1) < 1e-8) {
            Filtro_Distancia[k] = 1;
            ++marcadas;
        }
        Filt_Total[k] = Filt_Total[k] || Filtro_Distancia[k] ? 1 : 0;
    }
    nMuestrasValidas -= marcadas;
    InformarFiltro("Muestras filtradas por Distancia: ", marcadas, nMuestras);
}

void TGeneradorSolar::CalcularErrores() {
    ErrorMedio = ErrorMedioAbsoluto = ErrorCuadraticoMedio = 0;
    const double Pa = potencia_autorizada_mw;
    if (nMuestrasValidas <= 0 || !(Pa > 0)) return;
    double suma = 0, sumaAbsoluta = 0, sumaCuadrados = 0;
    for (int32_t k = 1; k <= nMuestras; ++k) {
        if (Filt_Total[k]) continue;
        const double d = Potencia(Rad.pv[k], Temp.pv[k]) - PE.pv[k];
        suma += d;
        sumaAbsoluta += std::fabs(d);
        sumaCuadrados += d * d;
    }
    ErrorMedio = suma / nMuestrasValidas / Pa;
    ErrorMedioAbsoluto = sumaAbsoluta / nMuestrasValidas / Pa;
    ErrorCuadraticoMedio = std::sqrt(sumaCuadrados / nMuestrasValidas) / Pa;
}

// ---------------------------------------------------------------- temperature bands

double TGeneradorSolar::InicioBanda(int32_t k) { return (k - 1) * AnchoBanda; }
double TGeneradorSolar::FinBanda(int32_t k) { return k * AnchoBanda; }
double TGeneradorSolar::CentroBanda(int32_t k) { return (InicioBanda(k) + FinBanda(k)) / 2; }

bool TGeneradorSolar::EnBanda(double T, int32_t k) {
    const bool sobreInicio = k <= 1 || T >= InicioBanda(k);
    const bool bajoFin = k >= NumeroBandas || T < FinBanda(k);
    return !std::isnan(T) && sobreInicio && bajoFin;
}

void TGeneradorSolar::SeleccionarCluster(int32_t k) {
    TDAofNReal radiaciones, potencias;
    for (int32_t i = 1; i <= nMuestras; ++i) {
        if (Filt_Total[i] || !EnBanda(Temp.pv[i], k)) continue;
        radiaciones.push_back(Rad.pv[i]);
        potencias.push_back(PE_corregida.pv[i]);
    }
    RadCluster = VectorDe(radiaciones);
    PE_Cluster = VectorDe(potencias);
}

bool TGeneradorSolar::MarcaDeDistancia(int32_t k) const {
    return k >= 1 && static_cast<std::size_t>(k) < Filtro_Distancia.size() && Filtro_Distancia[k] != 0;
}

// ---------------------------------------------------------------- charts

std::string TGeneradorSolar::CarpetaPlanta() const { return CarpetaCentral(nid); }

void TGeneradorSolar::GraficarMuestrasFiltradas() const {
    auto grafico = NuevoGrafico("Muestras y filtrados (plano PE-Radiación)", "Radiación en plano inclinado [W/m2]",
                                "Potencia eléctrica [MW]", 1.1 * potencia_autorizada_mw);
    AgregarPar(*grafico, "Rad_pl_inc", SeleccionarMuestras({}, Rad, false, {}), "PE",
               SeleccionarMuestras({}, PE_corregida, false, {}), {clVerde, 2, 1});
    struct TGrupo {
        const TDAOfBoolean* marcas;
        const char* nombreX;
        const char* nombreY;
        TAspectoSerie aspecto;
    };
    const std::array<TGrupo, 4> grupos = {
        TGrupo{&Filt_Coherencia, "Rad_filtrados_por_coherencia", "PE_filtrados_por_Coherencia", {clFucsia, 4, 2}},
        TGrupo{&Filt_CGM, "Rad_filtrados_por_cgm", "PE_filtrados_por_cgm", {clRojo, 4, 2}},
        TGrupo{&Filt_Disponibilidad, "Rad_filtrados_por_disp", "PE_filtrados_por_disp", {clAzul, 4, 2}},
        TGrupo{&Filtro_Distancia, "rad_filtrados_por_dist", "PE_filtrados_por_dist", {clNegro, 4, 2}}};
    for (const TGrupo& g : grupos)
        AgregarPar(*grafico, g.nombreX, SeleccionarMuestras({g.marcas}, Rad, true, Filt_Huecos), g.nombreY,
                   SeleccionarMuestras({g.marcas}, PE_corregida, true, Filt_Huecos), g.aspecto);
    grafico->GuardarJPG(CarpetaPlanta() + "/muestras_filtrados_plano_PE_Rad_.jpg", AnchoGrafico, AltoGrafico,
                        CalidadGrafico);
}

void TGeneradorSolar::GraficarCluster(int32_t k) const {
    const double inicio = InicioBanda(k);
    auto grafico = NuevoGrafico("Muestras cluster Temp: " +
                                    FormatoFijo(inicio, 1, 0, AjustesFormato().DecimalSeparator) + "°C",
                                "Radiación en plano inclinado [W/m2]", "", 1.1 * potencia_autorizada_mw);
    grafico->EjeX->FormatoNumero = 1;
    grafico->EjeX->Precision = 6;
    grafico->EjeX->Digitos = 8;
    AgregarPar(*grafico, "", TDAofNReal(RadCluster.pv.begin() + 1, RadCluster.pv.end()), "",
               TDAofNReal(PE_Cluster.pv.begin() + 1, PE_Cluster.pv.end()), {clAzul, 2, 1});

    constexpr int32_t PuntosCurva = 500;
    TDAofNReal radiaciones, potencias;
    for (int32_t i = 0; i < PuntosCurva; ++i) {
        const double R = i * RadiacionMaxima / (PuntosCurva - 1);
        radiaciones.push_back(R);
        potencias.push_back(Potencia(R, CentroBanda(k)));
    }
    AgregarPar(*grafico, "Rad_Modelo", std::move(radiaciones), "PE_Modelo", std::move(potencias),
               {clAgua, 1, 1, true});
    grafico->GuardarJPG(CarpetaPlanta() + "/" + std::to_string(static_cast<int64_t>(std::trunc(inicio))) + ".jpg",
                        AnchoGrafico, AltoGrafico, CalidadGrafico);
}
