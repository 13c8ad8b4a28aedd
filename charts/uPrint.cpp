#include "charts/uPrint.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <functional>

#include "numerics/errores.h"
#include "numerics/formatonumeros.h"
#include "numerics/formatsettings.h"
#include "numerics/textoreal.h"
#include "numerics/uauxiliares.h"

namespace {

constexpr int FilaEncabezado = 2;
constexpr int PrimeraFilaDeDatos = 3;
constexpr int ColumnaAbscisa = 2;

std::string TextoEntero(int n) {
    char texto[16];
    return std::string(texto, std::to_chars(texto, texto + sizeof texto, n).ptr);
}

// The date format of the abscissa: the short date in force, with the hour
// when steps are shorter than a day.
std::string FormatoFechaAbscisa(double dx) {
    return AjustesFormato().ShortDateFormat + (dx < 1 ? " hh" : "");
}

// A probability within [0, 1]; not a number is refused.
double ProbabilidadAcotada(double p) {
    if (std::isnan(p)) throw EMathError("uPrint: la probabilidad no es un número");
    return std::clamp(p, 0.0, 1.0);
}

// The realisations of a series at a step, at its last step when it has fewer.
const TDAofNReal& CronicasDelPaso(const TMatOfNReal& serie, int paso) {
    return serie[std::min(static_cast<std::size_t>(paso), serie.size() - 1)];
}

template <class Estadistico>
void PorSerie(TDAofNReal& res, TDatosCronicas datos, int paso, Estadistico estadistico) {
    res.resize(datos.size());
    for (std::size_t k = 0; k < datos.size(); ++k) res[k] = estadistico(CronicasDelPaso(datos[k], paso));
}

TDAofNReal CopiaOrdenada(const TDAofNReal& v, bool ordenar) {
    TDAofNReal copia = v;
    if (ordenar) OrdenarDescendente(copia);
    return copia;
}

void VerificarDatos(const TDAofString& nombres, TDatosCronicas datos) {
    if (datos.size() < 2) throw EErrorQuendal("uPrint.EscribirCronicasExcel: no hay series que escribir");
    if (nombres.size() < datos.size())
        throw EErrorQuendal("uPrint.EscribirCronicasExcel: hay " + TextoEntero(static_cast<int>(datos.size())) +
                            " series y " + TextoEntero(static_cast<int>(nombres.size())) + " nombres");
    for (std::size_t k = 0; k < datos.size(); ++k) {
        if (datos[k].empty())
            throw EErrorQuendal("uPrint.EscribirCronicasExcel: la serie " + TextoEntero(static_cast<int>(k)) +
                                " no tiene pasos");
        for (std::size_t s = 0; s < datos[k].size(); ++s)
            if (datos[k][s].empty())
                throw EErrorQuendal("uPrint.EscribirCronicasExcel: la serie " + TextoEntero(static_cast<int>(k)) +
                                    " no tiene crónicas en el paso " + TextoEntero(static_cast<int>(s)));
    }
}

void VerificarDescripcionGrafico(const TDAOfTTipoGrafico& tipos, const TDAOfTTipoEje& ejes,
                                 const TDAOfTColor& colores) {
    if (ejes.size() < tipos.size() || colores.size() < tipos.size())
        throw EErrorQuendal("uPrint.CrearGraficoExcel: faltan ejes o colores para los tipos de gráfico");
    for (TTipoGrafico t : tipos) TTipoGraficoToXLConst(t, 1);  // refuses a value that is not a kind
}

std::string EtiquetaAbscisa(TTipoAbscisa tipo, const std::string& nombreSerie0) {
    switch (tipo) {
        case TTipoAbscisa::Fechas: return "fecha";
        case TTipoAbscisa::ProbabilidadDeExcedencia: return "PE";
        case TTipoAbscisa::SerieAbscisa: return nombreSerie0 + "_EjeX";
    }
    throw EErrorQuendal("uPrint.EscribirCronicasExcel: tipo de abscisa desconocido " +
                        TextoEntero(static_cast<int>(tipo)));
}

std::vector<std::string> Encabezado(TTipoValoresAComparar tipo, const std::string& etiquetaEstadistico,
                                    TTipoAbscisa tipoAbscisa, const TDAofString& nombres, TDatosCronicas datos) {
    std::vector<std::string> encabezado{"paso", EtiquetaAbscisa(tipoAbscisa, nombres[0])};
    const std::size_t ultimaSerie = datos.size() - 1;
    if (tipo != TTipoValoresAComparar::TodasLasCronicas) {
        for (std::size_t i = 1; i <= ultimaSerie; ++i) encabezado.push_back(nombres[i] + "_" + etiquetaEstadistico);
        return encabezado;
    }
    const int cronicas = static_cast<int>(datos[1][0].size());
    if (tipoAbscisa == TTipoAbscisa::SerieAbscisa)
        for (int j = 2; j <= cronicas; ++j) encabezado.push_back(nombres[0] + "_Ejex_" + TextoEntero(j));
    for (std::size_t i = 1; i <= ultimaSerie; ++i)
        for (int j = 1; j <= cronicas; ++j) encabezado.push_back(nombres[i] + "_" + TextoEntero(j));
    return encabezado;
}

struct TParametrosEstadistico {
    TTipoValoresAComparar tipo;
    double p, p2;
    bool ordenar;
};

TDAofNReal EstadisticoDelPaso(const TParametrosEstadistico& e, TDatosCronicas datos, int paso) {
    TDAofNReal res;
    switch (e.tipo) {
        case TTipoValoresAComparar::Promedio: PromedioPorPaso(res, datos, paso); break;
        case TTipoValoresAComparar::DesvioEstandar: DesvioPorPaso(res, datos, paso); break;
        case TTipoValoresAComparar::ProbabilidadDeExcedencia:
            ProbExcedenciaPorPaso(res, datos, paso, e.p, e.ordenar);
            break;
        case TTipoValoresAComparar::ValorEnRiesgo: VaRPorPaso(res, datos, paso, e.p, e.p2, e.ordenar); break;
        case TTipoValoresAComparar::TodasLasCronicas: TodasLasCronicasPorPaso(res, datos, paso); break;
    }
    return res;
}

// The row of step `paso` from its statistic row: the abscissa value, then the
// values that go after it.
void AgregarFilaDelPaso(TExcelFile& w, const TParametrosEstadistico& e, TTipoAbscisa tipoAbscisa,
                        TDatosCronicas datos, int paso, int pasos, TDateTime x0, double dx, double& abscisa) {
    const TDAofNReal estadistico = EstadisticoDelPaso(e, datos, paso);
    std::size_t primerValor = 1;  // past series 0
    if (e.tipo == TTipoValoresAComparar::TodasLasCronicas && tipoAbscisa != TTipoAbscisa::SerieAbscisa)
        primerValor = CronicasDelPaso(datos[1], paso).size();  // every realisation of series 0
    switch (tipoAbscisa) {
        case TTipoAbscisa::Fechas: abscisa = x0 + paso * dx; break;
        case TTipoAbscisa::ProbabilidadDeExcedencia: abscisa = static_cast<double>(paso) / pasos; break;
        case TTipoAbscisa::SerieAbscisa: abscisa = estadistico[0]; break;
    }
    w.agregarValor(static_cast<double>(paso + 1));
    w.agregarValor(abscisa);
    for (std::size_t i = primerValor; i < estadistico.size(); ++i) w.agregarValor(estadistico[i]);
    w.volcarFila();
}

// The kind that occurs most often; on a tie the earlier kind; none gives
// dispersion. The kinds were checked to be kinds.
TTipoGrafico TipoPrincipal(const TDAOfTTipoGrafico& tipos) {
    if (tipos.empty()) return TTipoGrafico::dispersion;
    std::array<int, 3> cuentas{};
    for (TTipoGrafico t : tipos) ++cuentas[static_cast<std::size_t>(t)];
    return static_cast<TTipoGrafico>(std::max_element(cuentas.begin(), cuentas.end()) - cuentas.begin());
}

void FormatearEjeCategorias(TEjeExcel& eje, double dx, double version) {
    eje.TickLabels.NumberFormat = FormatoFechaAbscisa(dx);
    eje.TickLabels.Orientation = version < 12 ? 73 : -89;
    eje.MajorTickMark = 3;
    eje.MinorTickMark = 2;
    eje.TickLabelPosition = -4134;
    eje.HasMajorGridlines = true;
    eje.HasMinorGridlines = true;
    eje.MajorGridlinesBorder.ColorIndex = 15;
    eje.MajorGridlinesBorder.LineStyle = 4;
    eje.MinorGridlinesBorder.ColorIndex = 15;
    eje.MinorGridlinesBorder.Weight = 1;
    eje.MinorGridlinesBorder.LineStyle = -4118;
}

// What a step length sets on the category axis: a stacked-area chart spaces
// its labels and ticks, any other sets the major and minor units.
struct TUnidadesCategorias {
    int espaciadoEtiquetas, espaciadoMarcas;
    double unidadMayor, unidadMenor;
};

void FijarUnidades(TEjeExcel& eje, bool areaApilada, const TUnidadesCategorias& unidades) {
    if (areaApilada) {
        eje.TickLabelSpacing = unidades.espaciadoEtiquetas;
        eje.TickMarkSpacing = unidades.espaciadoMarcas;
    } else {
        eje.MajorUnit = unidades.unidadMayor;
        eje.MinorUnit = unidades.unidadMenor;
    }
}

// Category-axis units by step length: hourly, daily, weekly or longer.
void UnidadesEjeCategorias(TEjeExcel& eje, double dx, bool areaApilada) {
    if (std::fabs(dx - 1.0 / 24) <= 0.00001) {
        FijarUnidades(eje, areaApilada, {24, 12, 1, 0.25});
    } else if (dx == 1) {
        eje.HasMinorGridlines = false;
        FijarUnidades(eje, areaApilada, {7, 1, 7, 1});
        if (areaApilada) {  // a daily stacked area sets its units and their scales too
            eje.MajorUnit = 3;
            eje.MajorUnitScale = 1;
            eje.MinorUnit = 1;
            eje.MinorUnitScale = 1;
        }
    } else if (dx >= 7) {
        FijarUnidades(eje, areaApilada, {4, 1, 365.2425, 121.7475});
    }
}

// The chart sheet of a written report: the data run from the abscissa column
// and the header row to `ultimaColumna` and `ultimaFila`, and the categories
// span [minimoCategorias, maximoCategorias].
void CrearGraficoExcel(TExcelFile& w, const std::string& nombreHoja, const TOpcionesCronicas& o, int ultimaColumna,
                       int ultimaFila, double minimoCategorias, double maximoCategorias) {
    const TDAOfTTipoGrafico& tiposGrafico = o.tiposGrafico;
    VerificarDescripcionGrafico(tiposGrafico, o.ejes, o.colores);
    const TTipoGrafico principal = TipoPrincipal(tiposGrafico);
    const int tipoPrincipal = TTipoGraficoToXLConst(principal, 1);

    const std::string nombreGrafico = w.crearGrafico(NombreHojaValido(nombreHoja), ColumnaAbscisa, ultimaColumna,
                                                     FilaEncabezado, ultimaFila, tipoPrincipal);
    w.configurarGrafico(nombreGrafico, tipoPrincipal, o.titulo, o.tituloEjeValores, o.minimoAutomatico,
                        o.maximoAutomatico, o.minimo, o.maximo, minimoCategorias, maximoCategorias, "");
    // Scatter series carry markers only when the main kind is scatter.
    const int marcadores = static_cast<int>(principal);
    for (std::size_t j = 0; j < tiposGrafico.size(); ++j)
        w.formatearSerie(nombreGrafico, static_cast<int>(j + 1), tipoPrincipal,
                         TTipoGraficoToXLConst(tiposGrafico[j], marcadores), TTipoEjeToXLConst(o.ejes[j]),
                         o.colores[j], clNone);

    IGraficoExcel& grafico = w.libro().Charts(nombreGrafico);
    grafico.Select();
    grafico.SelectPart(TParteGraficoExcel::EjeCategorias);
    TEjeExcel& categorias = grafico.Axes(1);
    FormatearEjeCategorias(categorias, o.dx, w.versionExcel());

    const bool areaApilada = principal == TTipoGrafico::areaApilada;
    if (areaApilada && o.dx < 1) {
        w.seleccionarRango(PrimeraFilaDeDatos, ColumnaAbscisa, ultimaFila, ColumnaAbscisa);
        w.cambiarFormato(FormatoDecimales(8));
    }
    UnidadesEjeCategorias(categorias, o.dx, areaApilada);

    grafico.ChartArea().Border.LineStyle = -4115;
    grafico.PlotArea().Border.LineStyle = -4118;
    grafico.SelectPart(TParteGraficoExcel::AreaTrazado);
}

}  // namespace

std::string TTipoValoresACompararToShortStringSingular(TTipoValoresAComparar tipo, double p) {
    auto porcentaje = [p] { return FormatoFijo(100 * p, 2, 0, AjustesFormato().DecimalSeparator) + "%"; };
    switch (tipo) {
        case TTipoValoresAComparar::Promedio: return std::string(rs_xls_promedio);
        case TTipoValoresAComparar::DesvioEstandar: return std::string(rs_xls_desviacion_estandar);
        case TTipoValoresAComparar::ProbabilidadDeExcedencia:
            return std::string(rs_xls_probabilidad_de_excedencia) + " " + porcentaje();
        case TTipoValoresAComparar::ValorEnRiesgo: return std::string(rs_xls_valor_en_riesgo) + " " + porcentaje();
        case TTipoValoresAComparar::TodasLasCronicas: return std::string(rs_xls_todas_las_cronicas);
    }
    throw EErrorQuendal("uPrintCronVars.TTipoValoresACompararToShortStringSingular: tipo de grafico desconocido " +
                        TextoEntero(static_cast<int>(tipo)));
}

int TTipoGraficoToXLConst(TTipoGrafico tipo, int marcadores) {
    switch (tipo) {
        case TTipoGrafico::areaApilada: return xlAreaStacked;
        case TTipoGrafico::dispersion: return marcadores == 1 ? xlXYScatterLines : xlLineMarkers;
        case TTipoGrafico::linea: return xlLine;
    }
    throw EErrorQuendal("uPrint.TTipoGraficoToXLConst: TTipoGrafico desconocido " +
                        TextoEntero(static_cast<int>(tipo)));
}

int TTipoEjeToXLConst(TTipoEje eje) {
    switch (eje) {
        case TTipoEje::Primario: return 1;
        case TTipoEje::Secundario: return 2;
    }
    throw EErrorQuendal("uPrint.TTipoEjeToXLConst: tipo de eje desconocido " + TextoEntero(static_cast<int>(eje)));
}

void PromedioPorPaso(TDAofNReal& res, TDatosCronicas datos, int paso) {
    PorSerie(res, datos, paso, [](const TDAofNReal& v) { return PromedioArreglo(v); });
}

// The sample standard deviation: the square root of the sum of squared
// deviations over count - 1; 0 with fewer than two realisations.
void DesvioPorPaso(TDAofNReal& res, TDatosCronicas datos, int paso) {
    PorSerie(res, datos, paso, [](const TDAofNReal& v) {
        if (v.size() < 2) return 0.0;
        const double promedio = PromedioArreglo(v);
        double suma = 0;
        for (double x : v) suma += (x - promedio) * (x - promedio);
        return std::sqrt(suma / static_cast<double>(v.size() - 1));
    });
}

void ProbExcedenciaPorPaso(TDAofNReal& res, TDatosCronicas datos, int paso, double p, bool ordenar) {
    p = ProbabilidadAcotada(p);
    PorSerie(res, datos, paso, [p, ordenar](const TDAofNReal& v) {
        const TDAofNReal copia = CopiaOrdenada(v, ordenar);
        const long long cuenta = static_cast<long long>(copia.size());
        const long long n = static_cast<long long>(std::nearbyint(static_cast<double>(cuenta) * p));
        const long long indice = std::max(0LL, std::min(n - 1, cuenta - 1));
        return copia[static_cast<std::size_t>(indice)];
    });
}

// The average of the elements between the two probabilities' positions,
// whichever comes first.
void VaRPorPaso(TDAofNReal& res, TDatosCronicas datos, int paso, double p, double p2, bool ordenar) {
    p = ProbabilidadAcotada(p);
    p2 = ProbabilidadAcotada(p2);
    PorSerie(res, datos, paso, [p, p2, ordenar](const TDAofNReal& v) {
        const TDAofNReal copia = CopiaOrdenada(v, ordenar);
        const double ultimo = static_cast<double>(copia.size() - 1);
        std::size_t i1 = static_cast<std::size_t>(std::trunc(ultimo * p));
        std::size_t i2 = static_cast<std::size_t>(std::trunc(ultimo * p2));
        if (i2 < i1) std::swap(i1, i2);
        double suma = 0;
        for (std::size_t i = i1; i <= i2; ++i) suma += copia[i];
        return suma / static_cast<double>(i2 - i1 + 1);
    });
}

// The last realisation read is each series' own at this step, so a series
// whose count falls after step 0 is never read past its end.
void TodasLasCronicasPorPaso(TDAofNReal& res, TDatosCronicas datos, int paso) {
    const std::size_t cronicas = CronicasDelPaso(datos[1], paso).size();
    res.clear();
    res.reserve(datos.size() * cronicas);
    for (const TMatOfNReal& serie : datos) {
        const TDAofNReal& v = CronicasDelPaso(serie, paso);
        for (std::size_t r = 0; r < cronicas; ++r) res.push_back(v[std::min(r, v.size() - 1)]);
    }
}

void EscribirCronicasExcel(TExcelFile& w, TTipoValoresAComparar tipo, const TDAofString& nombres,
                           TDatosCronicas datos, const TOpcionesCronicas& o) {
    // Everything that would make the report fail halfway is refused first.
    VerificarDatos(nombres, datos);
    EtiquetaAbscisa(o.tipoAbscisa, nombres[0]);
    if (o.conGrafico) VerificarDescripcionGrafico(o.tiposGrafico, o.ejes, o.colores);
    const TParametrosEstadistico estadistico{tipo, ProbabilidadAcotada(o.p), ProbabilidadAcotada(o.p2), o.ordenar};
    const int pasos = static_cast<int>(datos[1].size());

    const std::string hoja = NombreHojaValido(o.nombreHoja);
    w.agregarHoja(hoja);
    w.irAHoja(hoja, 1, 1);
    std::string primeraLinea = "# " + o.titulo + " " + o.tituloEjeValores + " " + w.etiqueta;
    if (!o.tituloEje2.empty()) primeraLinea += " Eje2:" + o.tituloEje2;
    w.escribirTextoLn(primeraLinea);

    // An unknown statistic kind stops here, with only the first line written.
    std::string etiquetaEstadistico;
    if (tipo != TTipoValoresAComparar::TodasLasCronicas)
        etiquetaEstadistico = TTipoValoresACompararToShortStringSingular(tipo, estadistico.p);

    const std::vector<std::string> encabezado = Encabezado(tipo, etiquetaEstadistico, o.tipoAbscisa, nombres, datos);
    for (const std::string& texto : encabezado) w.agregarValor(texto);
    w.volcarFila();
    const int ultimaColumna = static_cast<int>(encabezado.size());
    const int ultimaFila = pasos + FilaEncabezado;

    double abscisa = 0;
    for (int s = 0; s < pasos; ++s)
        AgregarFilaDelPaso(w, estadistico, o.tipoAbscisa, datos, s, pasos, o.x0, o.dx, abscisa);

    w.seleccionarRango(PrimeraFilaDeDatos, ColumnaAbscisa + 1, ultimaFila, ultimaColumna);
    w.cambiarFormato(w.versionExcel() == 14 ? FormatoDecimales(o.decimales) : "General");
    if (o.tipoAbscisa == TTipoAbscisa::Fechas) {
        w.seleccionarRango(PrimeraFilaDeDatos, ColumnaAbscisa, ultimaFila, ColumnaAbscisa);
        w.cambiarFormato(FormatoFechaAbscisa(o.dx));
    }
    if (!o.conGrafico) return;

    double minimoCategorias = o.x0, maximoCategorias = abscisa;
    if (o.tipoAbscisa == TTipoAbscisa::Fechas) maximoCategorias = o.x0 + (pasos - 1) * o.dx;
    if (o.tipoAbscisa == TTipoAbscisa::ProbabilidadDeExcedencia) {
        minimoCategorias = 0;
        maximoCategorias = 1;
    }
    CrearGraficoExcel(w, hoja, o, ultimaColumna, ultimaFila, minimoCategorias, maximoCategorias);
}
