#include "charts/paquetezip.h"

#include <zlib.h>

#include <fstream>
#include <iterator>
#include <limits>
#include <string_view>

#include "numerics/errores.h"

namespace {

constexpr uint32_t FirmaLocal = 0x04034b50;
constexpr uint32_t FirmaCentral = 0x02014b50;
constexpr uint32_t FirmaFinal = 0x06054b50;
constexpr std::size_t LargoCabeceraLocal = 30;
constexpr std::size_t LargoCabeceraCentral = 46;
constexpr std::size_t LargoFinal = 22;
constexpr uint16_t MetodoGuardado = 0;
constexpr uint16_t MetodoComprimido = 8;
constexpr uint16_t VersionNecesaria = 20;

[[noreturn]] void Fallar(const std::string& ruta, const std::string& causa) {
    throw EInOutError("El paquete \"" + ruta + "\" " + causa);
}

// Little-endian fields of a zip.
uint32_t Leer(std::string_view datos, std::size_t posicion, int bytes) {
    uint32_t valor = 0;
    for (int k = bytes - 1; k >= 0; --k)
        valor = (valor << 8) | static_cast<unsigned char>(datos[posicion + static_cast<std::size_t>(k)]);
    return valor;
}

void Agregar(std::string& salida, uint32_t valor, int bytes) {
    for (int k = 0; k < bytes; ++k) salida += static_cast<char>((valor >> (8 * k)) & 0xFF);
}

uint32_t Crc(std::string_view datos) {
    return static_cast<uint32_t>(
        crc32(0L, reinterpret_cast<const Bytef*>(datos.data()), static_cast<uInt>(datos.size())));
}

// Raw deflate data (no zlib header) inflated to `largo` bytes.
bool Inflar(std::string_view comprimidos, std::size_t largo, std::string& salida) {
    salida.assign(largo, '\0');
    z_stream flujo{};
    if (inflateInit2(&flujo, -MAX_WBITS) != Z_OK) return false;
    flujo.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(comprimidos.data()));
    flujo.avail_in = static_cast<uInt>(comprimidos.size());
    flujo.next_out = reinterpret_cast<Bytef*>(salida.data());
    flujo.avail_out = static_cast<uInt>(salida.size());
    const int resultado = inflate(&flujo, Z_FINISH);
    const bool completo = resultado == Z_STREAM_END && flujo.total_out == largo;
    inflateEnd(&flujo);
    return completo;
}

std::string Desinflar(std::string_view datos) {
    z_stream flujo{};
    if (deflateInit2(&flujo, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    std::string salida(deflateBound(&flujo, static_cast<uLong>(datos.size())), '\0');
    flujo.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(datos.data()));
    flujo.avail_in = static_cast<uInt>(datos.size());
    flujo.next_out = reinterpret_cast<Bytef*>(salida.data());
    flujo.avail_out = static_cast<uInt>(salida.size());
    const int resultado = deflate(&flujo, Z_FINISH);
    salida.resize(flujo.total_out);
    deflateEnd(&flujo);
    return resultado == Z_STREAM_END ? salida : std::string();
}

std::size_t BuscarFinal(std::string_view paquete) {
    if (paquete.size() < LargoFinal) return std::string_view::npos;
    const std::size_t comentarioMaximo = std::numeric_limits<uint16_t>::max();
    const std::size_t desde = paquete.size() - LargoFinal;
    const std::size_t hasta = desde > comentarioMaximo ? desde - comentarioMaximo : 0;
    for (std::size_t p = desde + 1; p-- > hasta;)
        if (Leer(paquete, p, 4) == FirmaFinal) return p;
    return std::string_view::npos;
}

// One part whose central record starts at `central`; advances it past the record.
TPartePaquete LeerParte(std::string_view paquete, std::size_t& central, const std::string& ruta) {
    if (central + LargoCabeceraCentral > paquete.size() || Leer(paquete, central, 4) != FirmaCentral)
        Fallar(ruta, "tiene un directorio dañado");
    const auto metodo = static_cast<uint16_t>(Leer(paquete, central + 10, 2));
    TPartePaquete parte;
    parte.horaDos = static_cast<uint16_t>(Leer(paquete, central + 12, 2));
    parte.fechaDos = static_cast<uint16_t>(Leer(paquete, central + 14, 2));
    const uint32_t crc = Leer(paquete, central + 16, 4);
    const std::size_t comprimido = Leer(paquete, central + 20, 4);
    const std::size_t largo = Leer(paquete, central + 24, 4);
    const std::size_t largoNombre = Leer(paquete, central + 28, 2);
    const std::size_t largoExtra = Leer(paquete, central + 30, 2);
    const std::size_t largoComentario = Leer(paquete, central + 32, 2);
    const std::size_t local = Leer(paquete, central + 42, 4);
    if (central + LargoCabeceraCentral + largoNombre > paquete.size()) Fallar(ruta, "tiene un directorio dañado");
    parte.nombre = std::string(paquete.substr(central + LargoCabeceraCentral, largoNombre));
    central += LargoCabeceraCentral + largoNombre + largoExtra + largoComentario;

    if (local + LargoCabeceraLocal > paquete.size() || Leer(paquete, local, 4) != FirmaLocal)
        Fallar(ruta, "tiene la parte \"" + parte.nombre + "\" dañada");
    const std::size_t datos = local + LargoCabeceraLocal + Leer(paquete, local + 26, 2) + Leer(paquete, local + 28, 2);
    if (datos > paquete.size() || comprimido > paquete.size() - datos)
        Fallar(ruta, "tiene la parte \"" + parte.nombre + "\" cortada");
    const std::string_view bytes = paquete.substr(datos, comprimido);
    bool leida = false;
    if (metodo == MetodoGuardado) {
        parte.datos = std::string(bytes);
        leida = bytes.size() == largo;
    } else if (metodo == MetodoComprimido) {
        leida = Inflar(bytes, largo, parte.datos);
    } else {
        Fallar(ruta, "tiene la parte \"" + parte.nombre + "\" comprimida de una forma desconocida");
    }
    if (!leida || Crc(parte.datos) != crc) Fallar(ruta, "tiene la parte \"" + parte.nombre + "\" dañada");
    return parte;
}

// The fields that the local and the central record of a part share.
void AgregarCamposComunes(std::string& salida, const TPartePaquete& parte, uint32_t crc, std::size_t comprimido) {
    Agregar(salida, VersionNecesaria, 2);
    Agregar(salida, 0, 2);  // flags
    Agregar(salida, MetodoComprimido, 2);
    Agregar(salida, parte.horaDos, 2);
    Agregar(salida, parte.fechaDos, 2);
    Agregar(salida, crc, 4);
    Agregar(salida, static_cast<uint32_t>(comprimido), 4);
    Agregar(salida, static_cast<uint32_t>(parte.datos.size()), 4);
    Agregar(salida, static_cast<uint32_t>(parte.nombre.size()), 2);
    Agregar(salida, 0, 2);  // extra field
}

}  // namespace

std::vector<TPartePaquete> LeerPaqueteZip(const std::string& ruta) {
    std::ifstream archivo(ruta, std::ios::binary);
    if (!archivo) Fallar(ruta, "no se puede abrir");
    const std::string paquete((std::istreambuf_iterator<char>(archivo)), std::istreambuf_iterator<char>());
    if (archivo.bad()) Fallar(ruta, "no se puede leer");

    const std::size_t final = BuscarFinal(paquete);
    if (final == std::string_view::npos) Fallar(ruta, "no es un zip");
    const std::size_t cantidad = Leer(paquete, final + 10, 2);
    std::size_t central = Leer(paquete, final + 16, 4);
    std::vector<TPartePaquete> partes;
    partes.reserve(cantidad);
    for (std::size_t k = 0; k < cantidad; ++k) partes.push_back(LeerParte(paquete, central, ruta));
    return partes;
}

void EscribirPaqueteZip(const std::string& ruta, const std::vector<TPartePaquete>& partes) {
    constexpr std::size_t Maximo = std::numeric_limits<uint32_t>::max();
    if (partes.size() > std::numeric_limits<uint16_t>::max()) Fallar(ruta, "tiene demasiadas partes");
    std::string paquete, directorio;
    for (const TPartePaquete& parte : partes) {
        const std::string comprimido = Desinflar(parte.datos);
        if (comprimido.empty() || parte.datos.size() > Maximo || paquete.size() > Maximo ||
            parte.nombre.size() > std::numeric_limits<uint16_t>::max())
            Fallar(ruta, "no admite la parte \"" + parte.nombre + "\"");
        const uint32_t crc = Crc(parte.datos);
        const auto local = static_cast<uint32_t>(paquete.size());

        Agregar(paquete, FirmaLocal, 4);
        AgregarCamposComunes(paquete, parte, crc, comprimido.size());
        paquete += parte.nombre;
        paquete += comprimido;

        Agregar(directorio, FirmaCentral, 4);
        Agregar(directorio, VersionNecesaria, 2);  // made by
        AgregarCamposComunes(directorio, parte, crc, comprimido.size());
        Agregar(directorio, 0, 2);  // comment
        Agregar(directorio, 0, 2);  // disk
        Agregar(directorio, 0, 2);  // internal attributes
        Agregar(directorio, 0, 4);  // external attributes
        Agregar(directorio, local, 4);
        directorio += parte.nombre;
    }
    if (paquete.size() > Maximo || directorio.size() > Maximo) Fallar(ruta, "es demasiado grande");
    const auto inicioDirectorio = static_cast<uint32_t>(paquete.size());
    paquete += directorio;
    Agregar(paquete, FirmaFinal, 4);
    Agregar(paquete, 0, 2);  // this disk
    Agregar(paquete, 0, 2);  // the directory's disk
    Agregar(paquete, static_cast<uint32_t>(partes.size()), 2);
    Agregar(paquete, static_cast<uint32_t>(partes.size()), 2);
    Agregar(paquete, static_cast<uint32_t>(directorio.size()), 4);
    Agregar(paquete, inicioDirectorio, 4);
    Agregar(paquete, 0, 2);  // comment

    std::ofstream archivo(ruta, std::ios::binary | std::ios::trunc);
    archivo.write(paquete.data(), static_cast<std::streamsize>(paquete.size()));
    archivo.close();
    if (!archivo) Fallar(ruta, "no se pudo escribir");
}
