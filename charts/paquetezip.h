#pragma once
// The parts of a zip package (an .xlsx file is one), read whole and written
// back: enough to rewrite a few parts of a package that another writer made.
// Stored and deflated parts are read, each checked against its CRC; parts are
// written deflated, in the order given, with the date and time they came with.
// Packages of more than 4 GiB (zip64) are not read.
#include <cstdint>
#include <string>
#include <vector>

struct TPartePaquete {
    std::string nombre;  // "xl/worksheets/sheet1.xml"
    std::string datos;   // its bytes, uncompressed
    uint16_t horaDos = 0;   // modification time and date, in the zip's DOS form
    uint16_t fechaDos = 0;
};

// Raises EInOutError naming the file when it cannot be read or is not a zip.
std::vector<TPartePaquete> LeerPaqueteZip(const std::string& ruta);
// Raises EInOutError naming the file when it cannot be written.
void EscribirPaqueteZip(const std::string& ruta, const std::vector<TPartePaquete>& partes);
