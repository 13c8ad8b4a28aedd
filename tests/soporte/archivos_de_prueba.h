#pragma once
// The demo plant's model files shipped with the sources, and a file's bytes
// as they stand, for the tests that compare what a save wrote.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// The folder of the demo plant 9001: its park, calibrator, combined model
// and series files ("c9001_parque_mt.pmt", "c9001_calibrador.clp", ...).
inline const std::string CarpetaDemo = std::string(QUENDAL_TEST_DATA) + "/../../examples/c9001";

// The whole file as bytes; empty when it cannot be read.
inline std::string LeerArchivo(const std::filesystem::path& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}
