// Speed of "Calcular con todos los datos" driven through the real window on
// the benchmark plant's year (planta_de_banco.h): the window loads the
// combined model file with "Cargar Modelo Calibrado", its date pickers take
// the whole year of the series, and the click is timed whole, as the user
// waits for it: the series read, the simulation with the window's own
// settings (its ring length included) and the result table written.
// The file dialogs answer from a list; an error box would only record its
// message, which fails the benchmark. Qt runs offscreen unless the
// environment chooses a platform. Console lines still reach the window's
// console pane; standard output goes to /dev/null meanwhile, and while the
// plant is made and the model loaded.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDate>
#include <QDateEdit>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <deque>
#include <memory>
#include <string>

#include "app/uQuendal.h"
#include "numerics/fechas.h"
#include "numerics/uhilos.h"
#include "planta_de_banco.h"

namespace {

QDate DiaDe(TDateTime t) {
    const TFechaHora f = DecodeDateTime(t);
    return QDate(f.anio, f.mes, f.dia);
}

// The window with its dialogs answered from `respuestas` (an empty list
// cancels) and its error messages kept in `errores`.
class VentanaDeBanco {
public:
    VentanaDeBanco() : ventana_(std::make_unique<TFormQuendal>()) {
        ventana_->FijarCuadroDeError([this](const QString& mensaje) {
            errores << mensaje;
            return TRespuestaError::Continuar;
        });
        ventana_->FijarDialogoDeArchivo([this](const TPeticionDialogo&) {
            if (respuestas.empty()) return QString();
            const QString respuesta = respuestas.front();
            respuestas.pop_front();
            return respuesta;
        });
    }

    template <class T>
    T* Control(const char* nombre) const {
        return ventana_->findChild<T*>(QString::fromLatin1(nombre));
    }
    // Whether the button exists; a click runs its handler to the end.
    bool Clic(const char* boton) const {
        QPushButton* control = Control<QPushButton>(boton);
        if (control) control->click();
        return control != nullptr;
    }
    void Elegir(const std::string& ruta) { respuestas.push_back(QString::fromStdString(ruta)); }

    QStringList errores;
    std::deque<QString> respuestas;

private:
    std::unique_ptr<TFormQuendal> ventana_;
};

// The window left ready for the click: the benchmark plant's model loaded,
// the year picked, the series file the next dialog answer. An empty string
// when ready, else what went wrong.
std::string PrepararCorrida(VentanaDeBanco& v, const TPlantaDeBanco& p) {
    v.Elegir(ArchivoModeloDeBanco());
    if (!v.Clic("btCargarMC1")) return "no hay botón btCargarMC1";
    if (!v.errores.isEmpty()) return v.errores.join(QLatin1Char('\n')).toStdString();
    auto* desde = v.Control<QDateEdit>("FechaDesde1");
    auto* hasta = v.Control<QDateEdit>("FechaHasta1");
    if (!desde || !hasta) return "faltan los selectores FechaDesde1 y FechaHasta1";
    // "Hasta" is its day at 00:00: the year's end, as the simulation benchmark.
    desde->setDate(DiaDe(p.inicio));
    hasta->setDate(DiaDe(p.fin));
    v.Elegir(p.archivoSeries);
    return {};
}

void BM_CalcularConTodosLosDatosDelAnio(benchmark::State& state) {
    // The plant and the loading print their lines outside the timed run.
    std::string fallo;
    std::unique_ptr<VentanaDeBanco> ventana;
    {
        ConsolaMuda muda;
        TPlantaDeBanco& p = Planta();
        ventana = std::make_unique<VentanaDeBanco>();
        fallo = PrepararCorrida(*ventana, p);
    }
    VentanaDeBanco& v = *ventana;
    if (!fallo.empty()) {
        state.SkipWithError(fallo.c_str());
        return;
    }
    for (auto _ : state) {
        ConsolaMuda muda;
        v.Clic("btProcesarSeriesConMC1");
    }
    // The series dialog answered, and no error box.
    if (!v.respuestas.empty())
        state.SkipWithError("la corrida no pidió el archivo de series");
    else if (!v.errores.isEmpty())
        state.SkipWithError(v.errores.join(QLatin1Char('\n')).toStdString().c_str());
    state.counters["hilos"] = HilosDeTrabajo();
}
BENCHMARK(BM_CalcularConTodosLosDatosDelAnio)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication aplicacion(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
