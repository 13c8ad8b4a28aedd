#include "numerics/matreal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "numerics/archivotexto.h"
#include "numerics/consola.h"
#include "numerics/errores.h"
#include "numerics/textoreal.h"
#include "numerics/uevaluador.h"

namespace {

void ExigirCuentaNoNegativa(int32_t cuenta, const char* operacion) {
    if (cuenta < 0)
        throw EErrorQuendal(std::string(operacion) + ": cantidad negativa " + std::to_string(cuenta));
}

std::string Alineado(std::string texto, size_t ancho) {
    if (texto.size() < ancho) texto.insert(0, ancho - texto.size(), ' ');
    return texto;
}

void Imprimir(const std::string& linea) { EscribirLineaEnConsola(linea); }

// Both text forms open with "[" and a count ended by "|": cuts them off
// `resto` and returns the count's text.
std::string_view CortarPrimeraCuenta(std::string_view& resto) {
    std::string_view pieza;
    CortarHasta(pieza, resto, '[');
    CortarHasta(pieza, resto, '|');
    return pieza;
}

// What follows the matrix string's last element, or its counts when it has
// none, must be blanks: any other text would be a table that is silently
// not read (a second matrix pasted behind the first, a cut-off element).
void ExigirFinDeCadena(std::string_view resto, int32_t filas, int32_t columnas) {
    const auto esRelleno = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!resto.empty() && esRelleno(resto.front())) resto.remove_prefix(1);
    while (!resto.empty() && esRelleno(resto.back())) resto.remove_suffix(1);
    if (resto.empty()) return;
    // A pasted table is not quoted whole; the cut falls between characters.
    std::size_t corte = std::min<std::size_t>(resto.size(), 40);
    while (corte < resto.size() && (static_cast<unsigned char>(resto[corte]) & 0xC0) == 0x80) --corte;
    const std::string sobrante = std::string(resto.substr(0, corte)) + (corte < resto.size() ? "…" : "");
    throw EConvertError("Sobra texto después del último elemento de la matriz [" + std::to_string(filas) + "|" +
                        std::to_string(columnas) + "]: \"" + sobrante + "\"");
}

std::string LineaDeValores(const TVectR& v) {
    std::string linea;
    for (int32_t k = 1; k <= v.n; ++k) linea += " " + FormatoFijo(v.pv[k], 3, 12);
    return linea;
}

}  // namespace

// ---------------------------------------------------------------- TVectR

TVectR::TVectR(int32_t numElementos) {
    ExigirCuentaNoNegativa(numElementos, "TVectR.Create");
    n = numElementos;
    pv.assign(static_cast<size_t>(n) + 1, 0.0);
}

TVectR TVectR::Create(int32_t numElementos) { return TVectR(numElementos); }

TVectR TVectR::Create_ConValor(int32_t numElementos, double x) {
    TVectR v(numElementos);
    v.Llenar(x);
    return v;
}

TVectR TVectR::Create_DesdeArreglo(const TDAofNReal& a, int primero) {
    if (primero != 1) throw EErrorQuendal("TVectR.Create_DesdeArreglo: el primer índice debe ser 1");
    TVectR v(static_cast<int32_t>(a.size()));
    std::copy(a.begin(), a.end(), v.pv.begin() + 1);
    return v;
}

TVectR TVectR::Create_Clonar(const TVectR& v) { return v; }

void TVectR::ExigirElementos(int32_t cuenta, const char* operacion) const {
    if (n < cuenta)
        throw EErrorQuendal(std::string(operacion) + ": el vector tiene " + std::to_string(n) +
                            " elementos y se necesitan " + std::to_string(cuenta));
}

void TVectR::Redimensionar(int32_t m) {
    ExigirCuentaNoNegativa(m, "TVectR.Redimensionar");
    pv.resize(static_cast<size_t>(m) + 1, 0.0);
    n = m;
}

void TVectR::Llenar(double x) { std::fill(pv.begin() + 1, pv.end(), x); }

void TVectR::Copiar(const TVectR& v) {
    v.ExigirElementos(n, "TVectR.Copiar");
    std::copy(v.pv.begin() + 1, v.pv.begin() + 1 + n, pv.begin() + 1);
}

void TVectR::CopiarDe(const TVectR& v) {
    ExigirElementos(v.n, "TVectR.CopiarDe");
    std::copy(v.pv.begin() + 1, v.pv.begin() + 1 + v.n, pv.begin() + 1);
}

void TVectR::Sumar(const TVectR& a, const TVectR& b) {
    a.ExigirElementos(n, "TVectR.Sumar");
    b.ExigirElementos(n, "TVectR.Sumar");
    for (int32_t i = 1; i <= n; ++i) pv[i] = a.pv[i] + b.pv[i];
}

void TVectR::SumarMultiplo(double x, const TVectR& v) {
    v.ExigirElementos(n, "TVectR.SumarMultiplo");
    for (int32_t i = 1; i <= n; ++i) pv[i] = pv[i] + x * v.pv[i];
}

void TVectR::SumarMultiploRango(const TVectR& v, int32_t k1, int32_t k2, double x) {
    if (k2 < k1) return;
    if (k1 < 1) throw EErrorQuendal("TVectR.SumarMultiploRango: índice inicial fuera de rango");
    ExigirElementos(k2, "TVectR.SumarMultiploRango");
    v.ExigirElementos(k2, "TVectR.SumarMultiploRango");
    for (int32_t i = k1; i <= k2; ++i) pv[i] = pv[i] + x * v.pv[i];
}

void TVectR::EscalarDesde(double x, int32_t k) {
    for (int32_t i = std::max(k, 1); i <= n; ++i) pv[i] = pv[i] * x;
}

TVectR TVectR::ProductoElementos(const TVectR& v) const {
    v.ExigirElementos(n, "TVectR.ProductoElementos");
    TVectR r(n);
    for (int32_t i = 1; i <= n; ++i) r.pv[i] = pv[i] * v.pv[i];
    return r;
}

double TVectR::ProductoEscalar(const TVectR& v) const {
    v.ExigirElementos(n, "TVectR.ProductoEscalar");
    double suma = 0.0;
    for (int32_t i = 1; i <= n; ++i) suma += pv[i] * v.pv[i];
    return suma;
}

double TVectR::SumaCuadrados() const {
    double suma = 0.0;
    for (int32_t i = 1; i <= n; ++i) suma += pv[i] * pv[i];
    return suma;
}

double TVectR::Norma2() const { return std::sqrt(SumaCuadrados()); }

double TVectR::Promedio() const {
    ExigirElementos(1, "TVectR.Promedio");
    return SumaRango(1, n) / n;
}

double TVectR::SumaRango(int32_t k1, int32_t k2) const {
    if (k2 < k1) return 0.0;
    if (k1 < 1) throw EErrorQuendal("TVectR.SumaRango: índice inicial fuera de rango");
    ExigirElementos(k2, "TVectR.SumaRango");
    double suma = 0.0;
    for (int32_t i = k1; i <= k2; ++i) suma += pv[i];
    return suma;
}

double TVectR::SumaPositivosRango(int32_t k1, int32_t k2) const {
    if (k2 < k1) return 0.0;
    if (k1 < 1) throw EErrorQuendal("TVectR.SumaPositivosRango: índice inicial fuera de rango");
    ExigirElementos(k2, "TVectR.SumaPositivosRango");
    double suma = 0.0;
    for (int32_t i = k1; i <= k2; ++i)
        if (pv[i] > 0) suma += pv[i];
    return suma;
}

double TVectR::Minimo() const {
    ExigirElementos(1, "TVectR.Minimo");
    double resultado = pv[1];
    for (int32_t i = 2; i <= n; ++i)
        if (resultado > pv[i]) resultado = pv[i];
    return resultado;
}

double TVectR::Maximo() const {
    ExigirElementos(1, "TVectR.Maximo");
    double resultado = pv[1];
    for (int32_t i = 2; i <= n; ++i)
        if (resultado < pv[i]) resultado = pv[i];
    return resultado;
}

void TVectR::MinMax(int32_t& iMin, int32_t& iMax, double& vMin, double& vMax) const {
    ExigirElementos(1, "TVectR.MinMax");
    vMin = vMax = pv[1];
    iMin = iMax = 1;
    for (int32_t i = 2; i <= n; ++i) {
        if (pv[i] < vMin) {
            vMin = pv[i];
            iMin = i;
        } else if (pv[i] > vMax) {
            vMax = pv[i];
            iMax = i;
        }
    }
}

double TVectR::Normalizar() {
    if (n == 0) return 0.0;
    const double norma = Norma2();
    if (EsCero(norma / n)) {
        Ceros();
        pv[1] = 1.0;
        return 0.0;
    }
    const double inversa = 1.0 / norma;
    for (int32_t i = 1; i <= n; ++i) pv[i] = pv[i] * inversa;
    return norma;
}

void TVectR::CopiarRangoAArreglo(TDAofNReal& a, int32_t desde, int32_t hasta) const {
    const int32_t longitud = hasta >= desde ? hasta - desde + 1 : n;
    if (desde < 1) throw EErrorQuendal("TVectR.CopiarRangoAArreglo: índice inicial fuera de rango");
    ExigirElementos(desde + longitud - 1, "TVectR.CopiarRangoAArreglo");
    a.assign(pv.begin() + desde, pv.begin() + desde + longitud);
}

void IntercambiarVectores(TVectR& a, TVectR& b) { std::swap(a, b); }

void TVectR::GuardarEnTexto(TEscritorTexto& f) const {
    f.EscribirEnteroLinea(n);
    for (int32_t k = 1; k <= n; ++k) f.EscribirRealLinea(pv[k]);
}

TVectR TVectR::Create_LeerDeTexto(TLectorTexto& f, int32_t numElementos) {
    if (numElementos < 0) {
        const int lineaDeLaCuenta = f.Linea();
        numElementos = f.LeerEnteroLinea();
        if (numElementos < 0)
            throw EInOutError("Cantidad de elementos negativa: " + std::to_string(numElementos), f.Nombre(),
                              lineaDeLaCuenta);
    }
    // Grown as values arrive, so an absurd count fails at the end of the
    // file instead of allocating for it.
    TVectR v;
    v.pv.reserve(static_cast<size_t>(std::min(numElementos, 1 << 16)) + 1);
    for (int32_t k = 1; k <= numElementos; ++k) v.pv.push_back(f.LeerRealLinea());
    v.n = numElementos;
    return v;
}

TVectR TVectR::Create_DesdeCadena(std::string_view texto) {
    std::string_view resto = texto;
    std::string_view pieza = CortarPrimeraCuenta(resto);
    if (resto.empty()) resto = pieza;  // "[1|": the count's text is also the element
    const int32_t cuenta = TextoAEntero(pieza);
    if (cuenta < 0 || static_cast<size_t>(cuenta) > texto.size())
        throw EConvertError("Cantidad de elementos inválida en \"" + std::string(texto) + "\"");
    TVectR v(cuenta);
    for (int32_t k = 1; k < cuenta; ++k) {
        CortarHasta(pieza, resto, ';');
        v.pv[k] = CadenaAReal(pieza);
    }
    if (cuenta >= 1) {
        CortarHasta(pieza, resto, ']');
        v.pv[cuenta] = CadenaAReal(pieza);
    }
    return v;
}

void TVectR::print(std::string& texto) const {
    Imprimir(" TVectR.print.inicio");
    texto.clear();
    for (int32_t k = 1; k <= n; ++k) {
        Imprimir(" N: " + Alineado(std::to_string(k), 6) + " : " + FormatoFijo(pv[k], 4, 12));
        texto += '\t';
        texto += FormatoGeneral(pv[k], 15);
    }
    Imprimir(" TVectR.print.fin");
}

void TVectR::printLinea() const { Imprimir(LineaDeValores(*this)); }

// ---------------------------------------------------------------- TMatR

TMatR::TMatR(int32_t filas, int32_t columnas) {
    ExigirCuentaNoNegativa(filas, "TMatR.Create");
    ExigirCuentaNoNegativa(columnas, "TMatR.Create");
    nf = filas;
    nc = columnas;
    pm.resize(static_cast<size_t>(nf) + 1);
    for (int32_t i = 1; i <= nf; ++i) pm[i] = std::make_unique<TVectR>(nc);
}

TMatR::TMatR(const TMatR& m) : nf(m.nf), nc(m.nc) {
    pm.resize(static_cast<size_t>(nf) + 1);
    for (int32_t i = 1; i <= nf; ++i) pm[i] = std::make_unique<TVectR>(*m.pm[i]);
}

TMatR& TMatR::operator=(const TMatR& m) {
    if (this != &m) {
        TMatR copia(m);
        *this = std::move(copia);
    }
    return *this;
}

void TMatR::ExigirFilas(const TMatR& m, const char* operacion) const {
    if (m.nf < nf)
        throw EErrorQuendal(std::string(operacion) + ": la matriz tiene " + std::to_string(m.nf) +
                            " filas y se necesitan " + std::to_string(nf));
}

void TMatR::Ceros() {
    for (int32_t i = 1; i <= nf; ++i) pm[i]->Ceros();
}

void TMatR::Unos() {
    for (int32_t i = 1; i <= nf; ++i) pm[i]->Unos();
}

void TMatR::Columna(TVectR& v, int32_t j) const {
    v.ExigirElementos(nf, "TMatR.Columna");
    for (int32_t i = 1; i <= nf; ++i) v.pv[i] = pm[i]->Elemento(j);
}

void TMatR::IntercambiarFilas(int32_t i, int32_t j) { std::swap(pm[i], pm[j]); }

void TMatR::Copiar(const TMatR& m) {
    ExigirFilas(m, "TMatR.Copiar");
    for (int32_t i = 1; i <= nf; ++i) pm[i]->Copiar(*m.pm[i]);
}

void TMatR::Escalar(double x) {
    for (int32_t i = 1; i <= nf; ++i) pm[i]->EscalarDesde(x, 1);
}

void TMatR::SumarMatrices(const TMatR& a, const TMatR& b) {
    ExigirFilas(a, "TMatR.SumarMatrices");
    ExigirFilas(b, "TMatR.SumarMatrices");
    for (int32_t i = 1; i <= nf; ++i) pm[i]->Sumar(*a.pm[i], *b.pm[i]);
}

void TMatR::ProductoElementos(const TMatR& m) {
    ExigirFilas(m, "TMatR.ProductoElementos");
    for (int32_t i = 1; i <= nf; ++i) {
        TVectR& fila = *pm[i];
        const TVectR& otra = *m.pm[i];
        otra.ExigirElementos(fila.n, "TMatR.ProductoElementos");
        for (int32_t j = 1; j <= fila.n; ++j) fila.pv[j] = fila.pv[j] * otra.pv[j];
    }
}

double TMatR::SumaElementos() const {
    double suma = 0.0;
    for (int32_t i = 1; i <= nf; ++i)
        for (int32_t j = 1; j <= pm[i]->n; ++j) suma += pm[i]->pv[j];
    return suma;
}

double TMatR::Maximo() const {
    if (nf < 1 || nc < 1) throw EErrorQuendal("TMatR.Maximo: matriz vacía");
    double resultado = pm[1]->Maximo();
    for (int32_t i = 2; i <= nf; ++i) {
        const double maximoFila = pm[i]->Maximo();
        if (maximoFila > resultado) resultado = maximoFila;
    }
    return resultado;
}

void TMatR::Producto(const TMatR& a, const TMatR& b) {
    if (a.nc != b.nf || nf != a.nf || nc != b.nc)
        throw EErrorQuendal("TMatR.Producto: dimensiones incompatibles");
    const TMatR copiaDeA(a);  // a may be this very matrix
    TVectR columna(b.nf);
    for (int32_t j = 1; j <= b.nc; ++j) {
        b.Columna(columna, j);  // copied before column j of the result is written
        for (int32_t i = 1; i <= a.nf; ++i) pm[i]->pv[j] = copiaDeA.pm[i]->ProductoEscalar(columna);
    }
}

TMatR TMatR::Transpuesta() const {
    TMatR t(nc, nf);
    for (int32_t i = 1; i <= nf; ++i)
        for (int32_t j = 1; j <= nc; ++j) t.pm[j]->pv[i] = pm[i]->Elemento(j);
    return t;
}

TVectR TMatR::AplanarPorColumnas() const {
    TVectR v(nf * nc);
    for (int32_t j = 1; j <= nc; ++j)
        for (int32_t i = 1; i <= nf; ++i) v.pv[(j - 1) * nf + i] = pm[i]->Elemento(j);
    return v;
}

void TMatR::GuardarEnTexto(TEscritorTexto& f) const {
    f.EscribirEnteroLinea(nf);
    f.EscribirEnteroLinea(nc);
    for (int32_t i = 1; i <= nf; ++i) pm[i]->GuardarEnTexto(f);
}

TMatR TMatR::Create_LeerDeTexto(TLectorTexto& f) {
    const int lineaDeFilas = f.Linea();
    const int32_t filas = f.LeerEnteroLinea();
    const int32_t columnas = f.LeerEnteroLinea();
    if (filas < 0 || columnas < 0)
        throw EInOutError("Dimensiones de matriz inválidas: " + std::to_string(filas) + " x " +
                              std::to_string(columnas),
                          f.Nombre(), lineaDeFilas);
    TMatR m;
    m.nc = columnas;
    for (int32_t i = 1; i <= filas; ++i) {
        const int lineaDeLaCuenta = f.Linea();
        const int32_t cuenta = f.LeerEnteroLinea();
        if (cuenta != columnas)
            throw EInOutError("La fila " + std::to_string(i) + " tiene " + std::to_string(cuenta) +
                                  " elementos y la matriz " + std::to_string(columnas) + " columnas",
                              f.Nombre(), lineaDeLaCuenta);
        m.pm.push_back(std::make_unique<TVectR>(TVectR::Create_LeerDeTexto(f, cuenta)));
    }
    m.nf = filas;
    return m;
}

std::string TMatR::ACadena() const {
    std::string texto = "[" + std::to_string(nf) + "|" + std::to_string(nc) + "]";
    for (int32_t i = 1; i <= nf; ++i)
        for (int32_t j = 1; j <= nc; ++j) texto += "[" + FormatoGeneral(pm[i]->Elemento(j), 3) + "]";
    return texto;
}

TMatR TMatR::Create_DesdeCadena(std::string_view texto) {
    std::string_view resto = texto;
    const int32_t filas = TextoAEntero(CortarPrimeraCuenta(resto));
    std::string_view pieza;
    CortarHasta(pieza, resto, ']');
    const int32_t columnas = TextoAEntero(pieza);
    // Every element takes at least "[x]": larger counts cannot be in the text.
    // Rows without columns take no text but still memory: their count is
    // capped on its own.
    constexpr int32_t kFilasMaximasSinColumnas = 4096;
    if (filas < 0 || columnas < 0 ||
        static_cast<int64_t>(filas) * columnas > static_cast<int64_t>(texto.size()) ||
        (columnas == 0 && filas > kFilasMaximasSinColumnas))
        throw EConvertError("Dimensiones de matriz inválidas en \"" + std::string(texto) + "\"");
    TMatR m(filas, columnas);
    for (int32_t i = 1; i <= filas; ++i)
        for (int32_t j = 1; j <= columnas; ++j) {
            CortarHasta(pieza, resto, '[');
            CortarHasta(pieza, resto, ']');
            m.pm[i]->pv[j] = CadenaAReal(pieza);
        }
    ExigirFinDeCadena(resto, filas, columnas);
    return m;
}

void TMatR::EscribirTabla(TEscritorTexto& f) const {
    f.EscribirLinea("NFilas: \t" + std::to_string(nf) + "\tNColumnas: \t" + std::to_string(nc));
    std::string linea = " ";
    for (int32_t k = 1; k <= nc; ++k) linea += "\t" + std::to_string(k);
    f.EscribirLinea(linea);
    for (int32_t i = 1; i <= nf; ++i) {
        linea = std::to_string(i);
        for (int32_t j = 1; j <= nc; ++j) linea += "\t" + RealATextoDefecto(pm[i]->Elemento(j));
        f.EscribirLinea(linea);
    }
}

void TMatR::print() const {
    Imprimir(" TVectR.print.inicio");
    Imprimir(Alineado(std::to_string(nf), 6) + " filas " + Alineado(std::to_string(nc), 6) + " columnas: ");
    for (int32_t i = 1; i <= nf; ++i) Imprimir(LineaDeValores(*pm[i]));
    Imprimir(" TVectR.print.fin");
}

// ---------------------------------------------------------------- strings

void CortarHasta(std::string_view& pieza, std::string_view& resto, char separador) {
    const size_t posicion = resto.find(separador);
    std::string_view antes = posicion == std::string_view::npos ? resto : resto.substr(0, posicion);
    resto = posicion == std::string_view::npos ? std::string_view{} : resto.substr(posicion + 1);
    auto esRelleno = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!antes.empty() && esRelleno(antes.front())) antes.remove_prefix(1);
    while (!antes.empty() && esRelleno(antes.back())) antes.remove_suffix(1);
    pieza = antes;
}

// ---------------------------------------------------------------- linear algebra

namespace {

// Keeps the determinant's running mantissa within [0.001, 1000], counting
// the powers of ten taken out, so that large systems do not overflow it.
void NormalizarMantisa(double& mantisa, int32_t& potenciasArriba, int32_t& potenciasAbajo) {
    // An infinite mantissa would never come below 1000.
    VerificarFinito(mantisa, "TMatR.EliminacionGaussJordan (determinante)");
    if (std::fabs(mantisa) > 1000.0) {
        do {
            mantisa = mantisa / 10.0;
            ++potenciasArriba;
        } while (!(std::fabs(mantisa) < 1000.0));
    } else if (std::fabs(mantisa) < 0.001 && mantisa != 0.0) {
        do {
            mantisa = mantisa * 10.0;
            ++potenciasAbajo;
        } while (!(std::fabs(mantisa) > 0.001));
    }
}

// Row of the first largest magnitude in column i, from row i down.
int32_t FilaPivote(const TMatR& a, int32_t i, double& magnitud) {
    magnitud = std::fabs(a.pm[i]->pv[i]);
    int32_t fila = i;
    for (int32_t j = i + 1; j <= a.nf; ++j) {
        const double candidato = std::fabs(a.pm[j]->pv[i]);
        if (candidato > magnitud) {
            magnitud = candidato;
            fila = j;
        }
    }
    return fila;
}

void ExigirSistemaCuadrado(const TMatR& a, const TMatR& b) {
    if (a.nf != a.nc || b.nf != a.nf)
        throw EErrorQuendal("TMatR.EliminacionGaussJordan: dimensiones incompatibles (" +
                            std::to_string(a.nf) + " x " + std::to_string(a.nc) + " y " +
                            std::to_string(b.nf) + " filas)");
}

// Divides every row by its pivot and clears the upper triangle, leaving
// A^-1 * B in b.
void SustitucionHaciaAtras(TMatR& a, TMatR& b) {
    const int32_t n = a.nf;
    for (int32_t r = 1; r <= n; ++r) {
        const double inversoPivote = 1.0 / a.pm[r]->pv[r];
        b.pm[r]->EscalarDesde(inversoPivote, 1);
        for (int32_t k = n; k >= r + 1; --k) a.pm[r]->pv[k] = a.pm[r]->pv[k] * inversoPivote;
    }
    for (int32_t i = n; i >= 2; --i)
        for (int32_t j = i - 1; j >= 1; --j) b.pm[j]->SumarMultiplo(-a.pm[j]->pv[i], *b.pm[i]);
}

TMatR Identidad(int32_t n) {
    TMatR identidad(n, n);
    for (int32_t i = 1; i <= n; ++i) identidad.pm[i]->pv[i] = 1.0;
    return identidad;
}

}  // namespace

double TMatR::EliminacionGaussJordan(TMatR& B, bool& invertible, int32_t& exponente) {
    ExigirSistemaCuadrado(*this, B);
    const int32_t n = nf;
    invertible = true;
    double mantisa = 1.0;
    int32_t potenciasArriba = 0;
    int32_t potenciasAbajo = 0;
    exponente = 0;
    if (n == 0) return mantisa;

    for (int32_t i = 1; i <= n - 1 && invertible; ++i) {
        double magnitud;
        const int32_t r = FilaPivote(*this, i, magnitud);
        if (r != i) {
            IntercambiarFilas(i, r);
            B.IntercambiarFilas(i, r);
            mantisa = -mantisa;
        }
        if (magnitud <= UmbralCero) {
            mantisa = 0.0;
            invertible = false;
            break;
        }
        const double pivote = pm[i]->pv[i];
        mantisa = mantisa * pivote;
        if (mantisa == 0.0) {
            invertible = false;
            break;
        }
        NormalizarMantisa(mantisa, potenciasArriba, potenciasAbajo);
        for (int32_t j = i + 1; j <= n; ++j) {
            const double m = -pm[j]->pv[i] / pivote;
            pm[j]->SumarMultiploRango(*pm[i], i + 1, n, m);
            B.pm[j]->SumarMultiplo(m, *B.pm[i]);
        }
    }

    if (invertible) {
        // The last pivot is held to the same zero test as the others.
        const double ultimoPivote = pm[n]->pv[n];
        mantisa = std::fabs(ultimoPivote) <= UmbralCero ? 0.0 : mantisa * ultimoPivote;
        if (mantisa != 0.0) {
            NormalizarMantisa(mantisa, potenciasArriba, potenciasAbajo);
            SustitucionHaciaAtras(*this, B);
        } else {
            invertible = false;  // B stays as the forward elimination left it
        }
    }
    exponente = potenciasArriba - potenciasAbajo;
    return mantisa;
}

bool TMatR::InvertirConDeterminante(double& det) {
    TMatR inversa = Identidad(nf);
    bool invertible;
    int32_t exponente;
    const double mantisa = EliminacionGaussJordan(inversa, invertible, exponente);
    det = VerificarFinito(mantisa * std::pow(10.0, exponente), "TMatR.InvertirConDeterminante");
    Copiar(inversa);  // also when singular: callers continue with what is left
    return invertible;
}

bool TMatR::Invertir() {
    TMatR inversa = Identidad(nf);
    bool invertible;
    int32_t exponente;
    EliminacionGaussJordan(inversa, invertible, exponente);
    Copiar(inversa);
    return invertible;
}

// ---------------------------------------------------------------- least squares

double TVectR::AproximacionLineal(double& a, double& b, const TVectR& x, double lo, double hi,
                                  int32_t& cuenta) const {
    x.ExigirElementos(n, "TVectR.AproximacionLineal");
    cuenta = 0;
    double sy = 0.0, sxy = 0.0, sx = 0.0, sxx = 0.0, syy = 0.0;
    double xMinimo = 0.0, xMaximo = 0.0;
    for (int32_t i = 1; i <= n; ++i) {
        const double xi = x.pv[i];
        if (!(lo <= xi && xi < hi)) continue;
        const double yi = pv[i];
        if (cuenta == 0 || xi < xMinimo) xMinimo = xi;
        if (cuenta == 0 || xi > xMaximo) xMaximo = xi;
        ++cuenta;
        sy += yi;
        sxy += xi * yi;
        sx += xi;
        sxx += xi * xi;
        syy += yi * yi;
    }
    if (cuenta == 0) {
        a = 0.0;
        b = 0.0;
        return -1.0;
    }
    const char* const kSistemaSingular = "TVectR.AproximacionLineal res= 0";
    // Rounding can leave the 2 x 2 system barely regular for a single
    // abscissa (0.1 twice), so that case is told from the range itself.
    if (xMinimo == xMaximo) throw EErrorQuendal(kSistemaSingular);

    const double N = cuenta;
    TMatR sistema(2, 2);
    sistema.pm[1]->pv[1] = sxx / N;
    sistema.pm[1]->pv[2] = sx / N;
    sistema.pm[2]->pv[1] = sx / N;
    sistema.pm[2]->pv[2] = 1.0;
    TMatR ladoDerecho(2, 1);
    ladoDerecho.pm[1]->pv[1] = sxy / N;
    ladoDerecho.pm[2]->pv[1] = sy / N;
    bool invertible;
    int32_t exponente;
    sistema.EliminacionGaussJordan(ladoDerecho, invertible, exponente);
    if (!invertible) throw EErrorQuendal(kSistemaSingular);
    a = ladoDerecho.pm[1]->pv[1];
    b = ladoDerecho.pm[2]->pv[1];
    return syy / N - (b * b + 2.0 * a * b * sx / N + a * a * sxx / N);
}

// ---------------------------------------------------------------- interpolation

double TVectR::InterpolarEnIndice(double x) const {
    ExigirElementos(1, "TVectR.InterpolarEnIndice");
    if (std::isnan(x)) throw EMathError("TVectR.InterpolarEnIndice: índice no numérico");
    // Compared as doubles before the truncation to an index.
    if (x < 1.0) return pv[1];
    if (x >= n) return pv[n];
    const auto k = static_cast<int32_t>(x);
    return pv[k] + (x - k) * (pv[k + 1] - pv[k]);
}

double TVectR::IndiceInterpolado(double v) const {
    if (n == 0) return -1.0;
    if (n == 1) {
        if (v < pv[1]) return -1.0;
        if (v > pv[1]) return 2.0;
        return 1.0;
    }
    int32_t k = 1;
    while (k <= n - 1 && !(pv[k] >= v)) ++k;
    if (k == 1) {
        const double d = pv[2] - pv[1];
        if (std::fabs(d) > UmbralCero) return 1.0 + (v - pv[1]) / d;
        return v == pv[1] ? 1.0 : -1.0;
    }
    const double d = pv[k] - pv[k - 1];
    if (std::fabs(d) > UmbralCero) return (k - 1) + (v - pv[k - 1]) / d;
    return v == pv[n] ? n : n + 1.0;
}

void SectoresYPesos(double dir, int32_t nSect, int32_t& k1, int32_t& k2, double& w1, double& w2) {
    if (nSect < 1) throw EErrorQuendal("SectoresYPesos: cantidad de sectores " + std::to_string(nSect));
    VerificarFinito(dir, "SectoresYPesos (dirección)");
    // Reduced into [0, 360): a negative direction must not fall before sector 1.
    double direccion = std::fmod(dir, 360.0);
    if (direccion < 0.0) direccion += 360.0;
    if (direccion >= 360.0) direccion = 0.0;
    const double s = nSect * direccion / 360.0;
    const double parteEntera = std::trunc(s);
    k1 = static_cast<int32_t>(parteEntera) % nSect + 1;
    w2 = s - parteEntera;
    w1 = 1.0 - w2;
    k2 = k1 % nSect + 1;
}

double TMatR::InterpolarPorDireccion(int32_t nSect, const TMatR& abscisas, double dir, double x) const {
    if (nSect > nf || nSect > abscisas.nf)
        throw EErrorQuendal("TMatR.InterpolarPorDireccion: " + std::to_string(nSect) +
                            " sectores y tablas de " + std::to_string(nf) + " y " +
                            std::to_string(abscisas.nf) + " filas");
    int32_t k1, k2;
    double w1, w2;
    SectoresYPesos(dir, nSect, k1, k2, w1, w2);
    const double ultimaColumna = abscisas.nc;
    const double c1 = std::clamp(abscisas.Fila(k1).IndiceInterpolado(x), 1.0, ultimaColumna);
    const double c2 = std::clamp(abscisas.Fila(k2).IndiceInterpolado(x), 1.0, ultimaColumna);
    return w1 * Fila(k1).InterpolarEnIndice(c1) + w2 * Fila(k2).InterpolarEnIndice(c2);
}

int32_t BusquedaBinaria(const TDAofNReal& values, int32_t lo, int32_t hi, double x) {
    if (hi < lo) return lo;  // an empty range: nothing to probe
    if (lo < 0 || static_cast<size_t>(hi) >= values.size())
        throw EErrorQuendal("BusquedaBinaria: rango " + std::to_string(lo) + ".." + std::to_string(hi) +
                            " fuera de un arreglo de " + std::to_string(values.size()));
    do {
        const auto mitad = static_cast<int32_t>((static_cast<int64_t>(lo) + hi) / 2);
        if (x >= values[mitad])
            lo = mitad + 1;
        else
            hi = mitad - 1;
    } while (hi >= lo);
    return lo;
}

// ---------------------------------------------------------------- sorting

namespace {

// One partition pass over [l, r]; on return [l, j] and [i, r] remain to sort.
void Particionar(std::span<double> v, std::span<int32_t> idx, int32_t l, int32_t r, bool ascendente,
                 int32_t& i, int32_t& j) {
    const double pivote = v[static_cast<size_t>((static_cast<int64_t>(l) + r) / 2)];
    i = l;
    j = r;
    do {
        if (ascendente) {
            while (v[i] < pivote) ++i;
            while (pivote < v[j]) --j;
        } else {
            while (v[i] > pivote) ++i;
            while (pivote > v[j]) --j;
        }
        if (i <= j) {
            std::swap(v[i], v[j]);
            if (!idx.empty()) std::swap(idx[i], idx[j]);
            ++i;
            --j;
        }
    } while (i <= j);
}

}  // namespace

void OrdenarRangoRapido(std::span<double> valores, std::span<int32_t> indices, int32_t l, int32_t r,
                        bool ascendente) {
    if (l >= r) return;
    if (l < 0 || static_cast<size_t>(r) >= valores.size() ||
        (!indices.empty() && static_cast<size_t>(r) >= indices.size()))
        throw EErrorQuendal("OrdenarRangoRapido: rango fuera del arreglo");
    // The two sides are disjoint, so sorting the smaller one first by
    // recursion and the larger one in this loop gives the same result as the
    // plain scheme, with a recursion depth of at most log2 of the length.
    while (l < r) {
        int32_t i, j;
        Particionar(valores, indices, l, r, ascendente, i, j);
        if (j - l < r - i) {
            OrdenarRangoRapido(valores, indices, l, j, ascendente);
            l = i;
        } else {
            OrdenarRangoRapido(valores, indices, i, r, ascendente);
            r = j;
        }
    }
}

void TVectR::Ordenar(bool ascendente) { OrdenarRangoRapido(pv, {}, 1, n, ascendente); }

void TVectR::OrdenarConIndices(bool ascendente, TDAofNInt& idx) {
    if (idx.size() < static_cast<size_t>(n) + 1)
        throw EErrorQuendal("TVectR.OrdenarConIndices: se necesitan " + std::to_string(n + 1) +
                            " índices y hay " + std::to_string(idx.size()));
    OrdenarRangoRapido(pv, std::span<int32_t>(idx.data(), static_cast<size_t>(n) + 1), 1, n, ascendente);
}

namespace {

void ExigirPermutacion(const TDAofNInt& idx, int32_t n, const char* operacion) {
    if (idx.size() < static_cast<size_t>(n) + 1)
        throw EErrorQuendal(std::string(operacion) + ": se necesitan " + std::to_string(n + 1) +
                            " índices y hay " + std::to_string(idx.size()));
    for (int32_t i = 1; i <= n; ++i)
        if (idx[i] < 1 || idx[i] > n)
            throw EErrorQuendal(std::string(operacion) + ": índice " + std::to_string(idx[i]) +
                                " fuera de 1.." + std::to_string(n));
}

}  // namespace

void TVectR::AplicarPermutacion(const TDAofNInt& idx) {
    ExigirPermutacion(idx, n, "TVectR.AplicarPermutacion");
    TDAofNReal permutado(static_cast<size_t>(n) + 1, 0.0);
    for (int32_t i = 1; i <= n; ++i) permutado[i] = pv[idx[i]];
    pv.swap(permutado);
}

void TVectR::DeshacerPermutacion(const TDAofNInt& idx) {
    ExigirPermutacion(idx, n, "TVectR.DeshacerPermutacion");
    TDAofNReal restaurado(static_cast<size_t>(n) + 1, 0.0);
    for (int32_t i = 1; i <= n; ++i) restaurado[idx[i]] = pv[i];
    pv.swap(restaurado);
}
