// The multi-series file. The reader takes a file name, so every input is
// written to one file in a folder made once per process. A read fails only
// with the series reader's own error, whose message counts the lines it read,
// and never hides a foreign exception behind it. A file that was read has the
// shape it declares; written again in the version 3 layout (the reals in the
// default form) it reads back to the same header, names, roles, values and
// dates.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "comun.h"
#include "data/useriestemporales.h"
#include "numerics/archivotexto.h"
#include "numerics/uauxiliares.h"

namespace {

std::string& ArchivoDeTrabajo() {
    static std::string archivo;
    return archivo;
}

void BorrarCarpetaDeTrabajo() {
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::path(ArchivoDeTrabajo()).parent_path(), error);
}

// In memory when the system offers it: rewriting a file on disk thousands of
// times a second waits on the disk (a truncated file is flushed on close).
std::filesystem::path CarpetaTemporal() {
    std::error_code error;
    if (std::filesystem::is_directory("/dev/shm", error)) return "/dev/shm";
    return std::filesystem::temp_directory_path();
}

void CrearCarpetaDeTrabajo() {
    std::string plantilla = (CarpetaTemporal() / "fuzz_series_XXXXXX").string();
    if (!mkdtemp(plantilla.data())) fuzz::Fallar("no se puede crear la carpeta de trabajo " + plantilla);
    ArchivoDeTrabajo() = plantilla + "/entrada.sas";
    std::atexit(BorrarCarpetaDeTrabajo);
}

void EscribirArchivo(std::string_view contenido) {
    std::FILE* f = std::fopen(ArchivoDeTrabajo().c_str(), "wb");
    if (!f) fuzz::Fallar("no se puede escribir " + ArchivoDeTrabajo());
    const bool completo = std::fwrite(contenido.data(), 1, contenido.size(), f) == contenido.size();
    if (std::fclose(f) != 0 || !completo) fuzz::Fallar("no se puede escribir " + ArchivoDeTrabajo());
}

// The reader wraps whatever failed inside it into its own error and keeps
// the failure's text as the cause. The program's messages begin with its own
// words (or a quoted token); the standard library's begin with its names:
// "std::bad_alloc", "vector::_M_default_append", "basic_string::_M_create",
// "cannot create std::vector larger than max_size()".
bool CausaAjena(const std::string& causa) {
    for (const char* prefijo : {"std::", "vector::", "basic_string", "cannot create std::"})
        if (causa.rfind(prefijo, 0) == 0) return true;
    return false;
}

// Reads the work file. Returns nothing when the read failed as it should.
std::unique_ptr<TSeriesDeDatos> Leer() {
    try {
        return TSeriesDeDatos::Create(ArchivoDeTrabajo());
    } catch (const ELecturaSeries& e) {
        FUZZ_EXIGIR(std::string(e.what()) == "Error leyendo línea: " + std::to_string(e.LineasLeidas()),
                    std::string("TSeriesDeDatos.Create: mensaje inesperado: ") + e.what());
        FUZZ_EXIGIR(e.LineasLeidas() >= 1, "TSeriesDeDatos.Create: falla sin leer una línea de un archivo que existe");
        FUZZ_EXIGIR(!CausaAjena(e.Causa()), "TSeriesDeDatos.Create: excepción ajena como causa: " + e.Causa());
        return nullptr;
    } catch (const EErrorQuendal& e) {
        fuzz::Fallar(std::string("TSeriesDeDatos.Create: error que no es ELecturaSeries: ") + e.what());
    } catch (const std::exception& e) {
        fuzz::Fallar(std::string("TSeriesDeDatos.Create: excepción ajena: ") + e.what());
    } catch (...) {
        fuzz::Fallar("TSeriesDeDatos.Create: excepción desconocida");
    }
}

void ComprobarForma(TSeriesDeDatos& s) {
    FUZZ_EXIGIR(s.NSeries >= 0 && s.NPuntos >= 0 && s.NCronicas >= 1, "cuentas inválidas tras leer");
    FUZZ_EXIGIR(s.Nombres().size() == static_cast<std::size_t>(s.NSeries) &&
                    s.Tipos().size() == static_cast<std::size_t>(s.NSeries),
                "nombres o tipos que no son uno por serie");
    for (int32_t r = s.NCronicas; r >= 1; --r) {
        s.SeleccionarCronica(r);
        FUZZ_EXIGIR(s.NSalidas() + s.NEntradas() == s.NSeries, "salidas más entradas no suman NSeries");
        for (int32_t j = 0; j < s.NSeries; ++j)
            FUZZ_EXIGIR(s.Serie(j).n == s.NPuntos && s.Serie(j).pv.size() == static_cast<std::size_t>(s.NPuntos) + 1,
                        "serie " + std::to_string(j) + " de la crónica " + std::to_string(r) + " mal formada");
    }
    FUZZ_EXIGIR(s.CronicaActual() == 1, "la crónica 1 no queda como actual");
}

std::string Unir(const TDAofString& palabras) {
    std::string linea;
    for (std::size_t i = 0; i < palabras.size(); ++i) linea += (i ? "\t" : "") + palabras[i];
    return linea;
}

// The series in the version 3 layout, one realisation after another.
std::string EscribirVersion3(TSeriesDeDatos& s) {
    TEscritorTexto f = TEscritorTexto::EnMemoria();
    f.EscribirLinea("VERSION_FORMATO_SERIES\t3");
    f.EscribirEnteroLinea(s.NSeries);
    const TFechaHora& t = s.FechaHoraInicial();
    f.EscribirLinea(std::to_string(t.anio) + "\t" + std::to_string(t.mes) + "\t" + std::to_string(t.dia) + "\t" +
                    std::to_string(t.hora) + "\t" + std::to_string(t.minuto) + "\t" + std::to_string(t.segundo));
    f.EscribirRealLinea(s.PeriodoHoras());
    f.EscribirEnteroLinea(s.NPuntos);
    f.EscribirRealLinea(s.PuntosPorCiclo());
    f.EscribirEnteroLinea(s.NCronicas);
    std::string banderas;
    for (TIPO_SERIE tipo : s.Tipos()) banderas += tipo == ENTRADA ? 'x' : '-';
    f.EscribirLinea(banderas);
    for (int32_t r = 1; r <= s.NCronicas; ++r) {
        s.SeleccionarCronica(r);
        f.EscribirLinea("cronica " + std::to_string(r));
        f.EscribirLinea();
        f.EscribirLinea(Unir(s.Nombres()));
        for (int32_t k = 1; k <= s.NPuntos; ++k) {
            f.Escribir(std::to_string(k));
            for (int32_t j = 0; j < s.NSeries; ++j) {
                f.Escribir("\t");
                f.EscribirReal(s.Serie(j).pv[k]);
            }
            f.EscribirLinea();
        }
    }
    s.SeleccionarCronica(1);
    return f.Contenido();
}

// The written file repeats the names line in every realisation: a long
// line over thousands of realisations turns a few kilobytes into megabytes,
// and the allocator keeps that memory. Such inputs are only read.
bool CabeLaVuelta(const TSeriesDeDatos& s) {
    constexpr double kMayorArchivoEscrito = 1 << 18;
    const double nombres = static_cast<double>(Unir(s.Nombres()).size()) + 1;
    return static_cast<double>(s.NCronicas) * nombres <= kMayorArchivoEscrito;
}

void ExigirMismoReal(double a, double b, const std::string& que) {
    FUZZ_EXIGIR(fuzz::MismoValor(a, b), que + " vuelve como " + fuzz::Exacto(b) + " en lugar de " + fuzz::Exacto(a));
}

void CompararSeries(TSeriesDeDatos& leida, TSeriesDeDatos& vuelta) {
    FUZZ_EXIGIR(vuelta.NSeries == leida.NSeries && vuelta.NPuntos == leida.NPuntos &&
                    vuelta.NCronicas == leida.NCronicas,
                "el archivo escrito cambia las cuentas");
    const TFechaHora& a = leida.FechaHoraInicial();
    const TFechaHora& b = vuelta.FechaHoraInicial();
    FUZZ_EXIGIR(a.anio == b.anio && a.mes == b.mes && a.dia == b.dia && a.hora == b.hora && a.minuto == b.minuto &&
                    a.segundo == b.segundo,
                "el archivo escrito cambia la primera muestra");
    ExigirMismoReal(leida.PeriodoHoras(), vuelta.PeriodoHoras(), "el período");
    ExigirMismoReal(leida.PuntosPorCiclo(), vuelta.PuntosPorCiclo(), "los puntos por ciclo");
    ExigirMismoReal(leida.dtPrimeraMuestra, vuelta.dtPrimeraMuestra, "dtPrimeraMuestra");
    ExigirMismoReal(leida.OrigenTiempo(), vuelta.OrigenTiempo(), "el origen de tiempos");
    ExigirMismoReal(leida.Fase(), vuelta.Fase(), "la fase");
    FUZZ_EXIGIR(vuelta.Nombres() == leida.Nombres(), "el archivo escrito cambia los nombres");
    FUZZ_EXIGIR(vuelta.Tipos() == leida.Tipos(), "el archivo escrito cambia los tipos");
    for (int32_t r = 1; r <= leida.NCronicas; ++r) {
        leida.SeleccionarCronica(r);
        vuelta.SeleccionarCronica(r);
        for (int32_t j = 0; j < leida.NSeries; ++j)
            for (int32_t k = 1; k <= leida.NPuntos; ++k)
                ExigirMismoReal(leida.Serie(j).pv[k], vuelta.Serie(j).pv[k],
                                "el valor " + std::to_string(k) + " de la serie " + std::to_string(j) +
                                    " de la crónica " + std::to_string(r));
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::IniciarNumericos();
    CrearCarpetaDeTrabajo();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, std::size_t tamano) {
    EscribirArchivo(fuzz::ComoTexto(datos, tamano));
    std::unique_ptr<TSeriesDeDatos> leida = Leer();
    FUZZ_EXIGIR(ProfundidadFormatosInvariantes() == 0, "la lectura deja puestos los formatos invariantes");
    if (!leida) return 0;
    ComprobarForma(*leida);
    if (!CabeLaVuelta(*leida)) return 0;
    EscribirArchivo(EscribirVersion3(*leida));
    std::unique_ptr<TSeriesDeDatos> vuelta = Leer();
    FUZZ_EXIGIR(vuelta != nullptr, "no se lee el archivo escrito");
    CompararSeries(*leida, *vuelta);
    return 0;
}
