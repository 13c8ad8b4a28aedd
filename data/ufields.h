#pragma once
// One cell of the current row of a query result, held as text. An SQL NULL,
// a missing column and a row past the end all read as the empty text, so the
// readers with a default answer their default for them.
#include <cstdint>
#include <string>

class TField {
public:
    explicit TField(std::string texto) : texto_(std::move(texto)) {}

    const std::string& AsString() const { return texto_; }
    // The default for an empty cell, else the cell as a plain decimal integer
    // (EConvertError when it is not one).
    int32_t AsInteger(int32_t porDefecto) const;
    // The default for an empty cell, else the cell evaluated as a real
    // expression. The server writes reals with '.', so the cell is read with
    // '.' as decimal separator whatever separator is in force.
    double AsFloat(double porDefecto) const;

private:
    std::string texto_;
};

// Evaluates a real that came from the database as an expression with '.' as
// decimal separator. EConvertError when it does not evaluate.
double RealDeLaBaseDeDatos(const std::string& texto);
