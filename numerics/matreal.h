#pragma once
// One-based real vectors and matrices: the numeric containers of every model.
// TVectR keeps its public count `n` and element array `pv` (length n + 1,
// pv[0] unused and 0) because hot loops elsewhere index them directly.
// TMatR holds its rows as owned TVectR objects so that a row handed out by
// Fila keeps its identity when rows are swapped.
//
// Element access is unchecked in Release (asserted in Debug); bulk operations
// check once that every operand has at least the elements they run over and
// raise instead of overrunning.
#include <cassert>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "numerics/xmatdefs.h"

class TLectorTexto;
class TEscritorTexto;

class TVectR {
public:
    int32_t n = 0;
    TDAofNReal pv;

    TVectR() : pv(1, 0.0) {}
    explicit TVectR(int32_t numElementos);

    static TVectR Create(int32_t numElementos);
    static TVectR Create_ConValor(int32_t numElementos, double x);
    static TVectR Create_DesdeArreglo(const TDAofNReal& a, int primero = 1);
    static TVectR Create_Clonar(const TVectR& v);
    TVectR Clonar() const { return Create_Clonar(*this); }

    double Elemento(int32_t k) const {
        assert(k >= 1 && k <= n);
        return pv[k];
    }
    double FijarElemento(int32_t k, double x) {
        assert(k >= 1 && k <= n);
        pv[k] = x;
        return x;
    }
    void SumarAElemento(int32_t k, double x) {
        assert(k >= 1 && k <= n);
        pv[k] += x;
    }

    void Redimensionar(int32_t m);
    void Ceros() { Llenar(0.0); }
    void Unos() { Llenar(1.0); }
    void Llenar(double x);

    void Copiar(const TVectR& v);
    void CopiarDe(const TVectR& v);
    void Sumar(const TVectR& a, const TVectR& b);
    void SumarMultiplo(double x, const TVectR& v);
    void SumarMultiploRango(const TVectR& v, int32_t k1, int32_t k2, double x);
    void EscalarDesde(double x, int32_t k);
    TVectR ProductoElementos(const TVectR& v) const;

    double ProductoEscalar(const TVectR& v) const;
    double SumaCuadrados() const;
    double Norma2() const;
    double Promedio() const;
    double SumaRango(int32_t k1, int32_t k2) const;
    double SumaPositivosRango(int32_t k1, int32_t k2) const;
    double Minimo() const;
    double Maximo() const;
    void MinMax(int32_t& iMin, int32_t& iMax, double& vMin, double& vMax) const;
    double Normalizar();
    void CopiarRangoAArreglo(TDAofNReal& a, int32_t desde, int32_t hasta) const;

    // Text forms: the vector block (count line, then one value per line in
    // the default real form) and the one-line string "[n|e1;e2;...;en]".
    void GuardarEnTexto(TEscritorTexto& f) const;
    // With numElementos < 0 the count is read from the current line.
    static TVectR Create_LeerDeTexto(TLectorTexto& f, int32_t numElementos = -1);
    static TVectR Create_DesdeCadena(std::string_view texto);

    // Console dumps; print also leaves the elements, each after a TAB, in texto.
    void print(std::string& texto) const;
    void printLinea() const;

    // Throws when this vector has fewer than `cuenta` elements.
    void ExigirElementos(int32_t cuenta, const char* operacion) const;

    // Least-squares line y = a*x + b through the points (x[i], this[i]) whose
    // abscissa lies in [lo, hi); cuenta gets the number of points used. Returns
    // the mean squared residual, or -1 (a = b = 0) when no point is in range.
    // Raises "TVectR.AproximacionLineal res= 0" when the points used share a
    // single abscissa.
    double AproximacionLineal(double& a, double& b, const TVectR& x, double lo, double hi,
                              int32_t& cuenta) const;
    // Value at a fractional index, clamped to the first and last elements.
    double InterpolarEnIndice(double x) const;
    // Fractional index of v in this vector sorted ascending; -1 or n + 1 when
    // v cannot be placed (see the .cpp for the exact rules).
    double IndiceInterpolado(double v) const;

    // Quicksort of the elements (not stable: equal values are swapped too).
    void Ordenar(bool ascendente);
    // The same sort carrying idx along: idx must have length n + 1, normally
    // idx[k] = k on entry; afterwards idx[k] is the position, before the sort,
    // of the element now at k.
    void OrdenarConIndices(bool ascendente, TDAofNInt& idx);
    // this[i] := old this[idx[i]]: reorders another vector as a sort did.
    void AplicarPermutacion(const TDAofNInt& idx);
    // this[idx[i]] := old this[i]: undoes AplicarPermutacion.
    void DeshacerPermutacion(const TDAofNInt& idx);
};

void IntercambiarVectores(TVectR& a, TVectR& b);

class TMatR {
public:
    // Row array of length nf + 1; pm[0] holds no row.
    std::vector<std::unique_ptr<TVectR>> pm;
    int32_t nf = 0;
    int32_t nc = 0;

    TMatR() { pm.resize(1); }
    TMatR(int32_t filas, int32_t columnas);
    TMatR(const TMatR& m);
    TMatR& operator=(const TMatR& m);
    TMatR(TMatR&&) noexcept = default;
    TMatR& operator=(TMatR&&) noexcept = default;

    static TMatR Create(int32_t filas, int32_t columnas) { return TMatR(filas, columnas); }
    static TMatR Create_Clonar(const TMatR& m) { return TMatR(m); }

    double Elemento(int32_t i, int32_t j) const {
        assert(i >= 1 && i <= nf);
        return pm[i]->Elemento(j);
    }
    void FijarElemento(int32_t i, int32_t j, double x) {
        assert(i >= 1 && i <= nf);
        pm[i]->FijarElemento(j, x);
    }
    void SumarAElemento(int32_t i, int32_t j, double x) {
        assert(i >= 1 && i <= nf);
        pm[i]->SumarAElemento(j, x);
    }
    // The matrix's own row, not a copy.
    TVectR& Fila(int32_t i) {
        assert(i >= 1 && i <= nf);
        return *pm[i];
    }
    const TVectR& Fila(int32_t i) const {
        assert(i >= 1 && i <= nf);
        return *pm[i];
    }

    void Ceros();
    void Unos();
    void Columna(TVectR& v, int32_t j) const;
    void IntercambiarFilas(int32_t i, int32_t j);
    void Copiar(const TMatR& m);
    void Escalar(double x);
    void SumarMatrices(const TMatR& a, const TMatR& b);
    void ProductoElementos(const TMatR& m);
    double SumaElementos() const;
    double Maximo() const;
    // this := a × b; a or b may be this matrix itself.
    void Producto(const TMatR& a, const TMatR& b);
    TMatR Transpuesta() const;
    TVectR AplanarPorColumnas() const;

    // Text forms: the matrix block (nf, nc, then nf vector blocks), the
    // one-line string "[nf|nc][v11]...[vnm]" with three significant digits,
    // and the readable TAB-separated table.
    void GuardarEnTexto(TEscritorTexto& f) const;
    // Every row block must hold nc elements: a row whose count line differs
    // from nc is refused with EInOutError naming the row, at that line. (The
    // reader first written took each row's length from its own block and so
    // could build a ragged matrix, which every operation that runs over nc
    // columns would then read past its end.)
    static TMatR Create_LeerDeTexto(TLectorTexto& f);
    std::string ACadena() const;
    // Text after the last element (after the counts when there is none) is
    // refused with EConvertError quoting it; blanks and line ends are not.
    static TMatR Create_DesdeCadena(std::string_view texto);
    void EscribirTabla(TEscritorTexto& f) const;
    void print() const;

    // Gauss-Jordan elimination with partial pivoting of this square matrix A,
    // transforming B (same row count, any columns) alongside: when A is
    // invertible B ends as A^-1 * B. A is left partly reduced. Returns the
    // determinant's mantissa, the determinant being mantissa * 10^exponente.
    // A singular A clears `invertible`, leaves B as far as the elimination got
    // and returns mantissa 0. Raises EMathError when the mantissa stops being
    // finite.
    // The last pivot is held to the zero threshold UmbralCero like every other
    // pivot; the elimination first written multiplied it in unchecked. So a
    // matrix whose last pivot is no larger than the threshold, mere rounding
    // residue (((1, 0), (0, 1e-17)) for one), is reported singular instead of
    // giving a huge inverse and a tiny non-zero determinant.
    double EliminacionGaussJordan(TMatR& B, bool& invertible, int32_t& exponente);
    // Inverts this matrix in place and returns the invertible flag; a singular
    // matrix is still overwritten with what the elimination left.
    bool InvertirConDeterminante(double& det);
    bool Invertir();
    // Value of this table (rows = direction sectors, columns = points) at a
    // wind direction in degrees and abscissa x, with the matching table of
    // abscissas (each row sorted ascending).
    double InterpolarPorDireccion(int32_t nSect, const TMatR& abscisas, double dir, double x) const;

private:
    void ExigirFilas(const TMatR& m, const char* operacion) const;
};

// The two direction sectors around dir (degrees) among nSect sectors, sector k
// centred on (k - 1) * 360 / nSect, and their linear weights. The direction is
// first reduced into [0, 360); a direction that is not finite raises EMathError.
void SectoresYPesos(double dir, int32_t nSect, int32_t& k1, int32_t& k2, double& w1, double& w2);

// The quicksort scheme shared by every sort of the library, on the index
// range [l, r] of valores: the pivot is the value at (l + r) div 2, equal
// values are swapped among themselves (the order it leaves them in is part of
// its contract), and `indices`, when not empty, is swapped alongside.
void OrdenarRangoRapido(std::span<double> valores, std::span<int32_t> indices, int32_t l, int32_t r,
                        bool ascendente);

// Bisection over values[lo..hi] sorted ascending: the first index whose value
// is greater than x, or hi + 1 when none is (lo when the range is empty).
int32_t BusquedaBinaria(const TDAofNReal& values, int32_t lo, int32_t hi, double x);

// Cuts `resto` at the first `separador`: `pieza` is what precedes it, trimmed
// of characters of code 32 or less, and `resto` what follows; without the
// separator the whole trimmed rest is the piece and the rest is empty.
void CortarHasta(std::string_view& pieza, std::string_view& resto, char separador);
