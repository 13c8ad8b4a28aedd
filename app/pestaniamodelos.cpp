#include "app/pestaniamodelos.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <optional>

#include "app/cajas.h"
#include "app/graficos.h"
#include "app/pestaniaentradas.h"
#include "app/pestaniaparque.h"
#include "app/ventanaparque.h"
#include "charts/ugraficador.h"
#include "charts/ugraficosmodelos.h"
#include "data/ucarpetasmodelos.h"
#include "data/upgsql.h"
#include "models/ucalibrador.h"
#include "models/uparques_modelocombinado.h"
#include "models/uparques_modeloempirico.h"
#include "models/uestadisticadatosme.h"
#include "models/uparques_modeloteorico.h"
#include "numerics/consola.h"
#include "numerics/errores.h"
#include "restrictions/ucalcrestriccionesoperativas.h"

namespace {

constexpr int kAnchoEstadistica = 541, kAltoEstadistica = 325;

}  // namespace

TPestaniaModelos::TPestaniaModelos(TEntornoPestanias& entorno, TPestaniaEntradas& entradas, TPestaniaParque& parque)
    : TPestania(entorno), entradas_(entradas), parque_(parque) {
    auto* fila = new QHBoxLayout(this);

    auto* izquierda = new QVBoxLayout;
    fila->addLayout(izquierda);
    eNidCentral = NuevaCaja("eNidCentral", QString());
    izquierda->addWidget(ConEtiqueta(QStringLiteral("NID de la central eólica a seleccionar"), eNidCentral));
    btBajarParque = NuevoBoton("btBajarParque", QStringLiteral("Bajar MT de la Base de Datos"));
    btLoadFromArchi_ModeloMTySeries =
        NuevoBoton("btLoadFromArchi_ModeloMTySeries", QStringLiteral("Crear archivo .clp con MT y archivo .sas"));
    izquierda->addWidget(btBajarParque);
    izquierda->addWidget(btLoadFromArchi_ModeloMTySeries);

    PorcentajeAjusteCurvaSinf = NuevaCaja("PorcentajeAjusteCurvaSinf", QStringLiteral("1"));
    PorcentajeAjusteCurvaSsup = NuevaCaja("PorcentajeAjusteCurvaSsup", QStringLiteral("100"));
    NombrarEnMensajes(PorcentajeAjusteCurvaSinf, QStringLiteral("Rango de ajuste, % inferior"));
    NombrarEnMensajes(PorcentajeAjusteCurvaSsup, QStringLiteral("Rango de ajuste, % superior"));
    auto* porcentajes = new QHBoxLayout;
    porcentajes->addWidget(PorcentajeAjusteCurvaSinf);
    porcentajes->addWidget(PorcentajeAjusteCurvaSsup);
    auto* etiquetaPorcentajes = new QLabel(Lineas(
        {"Rango de ajuste en potencia de la curva s en los datos del cluster.", "% inferior            % superior "}));
    etiquetaPorcentajes->setWordWrap(true);
    izquierda->addWidget(etiquetaPorcentajes);
    izquierda->addLayout(porcentajes);

    btCalcularMC = NuevoBoton("btCalcularMC", QStringLiteral("Calcular MC"));
    btCargarYGuardarMC = NuevoBoton("btCargarYGuardarMC", QStringLiteral("Cargar y Guardar MC"));
    izquierda->addWidget(btCalcularMC);
    izquierda->addWidget(btCargarYGuardarMC);
    FechaDesde = NuevoSelectorFecha("FechaDesde", "01/02/2018");
    FechaHasta = NuevoSelectorFecha("FechaHasta", "01/03/2018");
    auto* fechas = new QHBoxLayout;
    fechas->addWidget(ConEtiqueta(QStringLiteral("Desde"), FechaDesde));
    fechas->addWidget(ConEtiqueta(QStringLiteral("Hasta"), FechaHasta));
    izquierda->addLayout(fechas);
    btProcesarSeriesConMC = NuevoBoton("btProcesarSeriesConMC", QStringLiteral("Simular modelo "));
    btProcesarRestricciones = NuevoBoton("btProcesarRestricciones", QStringLiteral("Procesar R.O. por rango de fechas"));
    izquierda->addWidget(btProcesarSeriesConMC);
    izquierda->addWidget(btProcesarRestricciones);

    auto* etiquetaBorrar =
        new QLabel(Lineas({"Borra la supercentral de la BD.", "La supercentral a borrar se especifica según su NID."}));
    etiquetaBorrar->setWordWrap(true);
    izquierda->addWidget(etiquetaBorrar);
    BorrarSupercentral = NuevoBoton("BorrarSupercentral", QStringLiteral("Borrar supercentral"));
    NIDsupercentralBorrar = NuevaCaja("NIDsupercentralBorrar", QStringLiteral("202128"));
    izquierda->addWidget(BorrarSupercentral);
    izquierda->addWidget(ConEtiqueta(QStringLiteral("NID de la supercentral a borrar"), NIDsupercentralBorrar));
    izquierda->addStretch();

    // The statistics of the calibrator's data.
    PaintBox2 = NuevaCajaPintura("PaintBox2", kAnchoEstadistica, kAltoEstadistica);
    PaintBox3 = NuevaCajaPintura("PaintBox3", kAnchoEstadistica, kAltoEstadistica);
    StringGrid1 = NuevaRejilla("StringGrid1", 3, 8);
    auto* derecha = new QVBoxLayout;
    fila->addLayout(derecha);
    auto* graficos = new QHBoxLayout;
    graficos->addWidget(PaintBox2);
    graficos->addWidget(PaintBox3);
    derecha->addLayout(graficos);
    derecha->addWidget(StringGrid1);
    ConectarBotones();
}

// Model builds and downloads hold the window while they print.
void TPestaniaModelos::ConectarBotones() {
    AlPulsar(btBajarParque, [this] { btBajarParqueClick(); }, TGuardia::Corrida);
    AlPulsar(btCalcularMC, [this] { btCalcularMCClick(); }, TGuardia::Corrida);
    AlPulsar(btLoadFromArchi_ModeloMTySeries, [this] { btLoadFromArchi_ModeloMTySeriesClick(); }, TGuardia::Corrida);
    AlPulsar(BorrarSupercentral, [this] { BorrarSupercentralClick(); });
    for (QPushButton* boton : {entradas_.btCargarMC1, btCargarYGuardarMC})
        AlPulsar(boton, [this] { btCargarYGuardarMCClick(); });
    for (QPushButton* boton : {entradas_.btProcesarSeriesConMC1, btProcesarSeriesConMC})
        AlPulsar(boton, [this] { btProcesarSeriesConMCClick(); });
    for (QPushButton* boton : {entradas_.btProcesarRestricciones1, btProcesarRestricciones})
        AlPulsar(boton, [this] { btProcesarRestriccionesClick(); });
}

// ---- Model building and the database ----

void TPestaniaModelos::btBajarParqueClick() {
    const int32_t nid = EnteroDe(eNidCentral);
    entorno_.NidCentral() = nid;
    TPgSqlCon& conexion = entorno_.ConexionAbierta();
    EscribirLineaEnConsola("BAJANDO EL MODELO TEORICO DE LA CENTRAL " + N(nid) + " DE LA BASE DE DATOS ...\n");
    const auto fila = FilaDeCentral(conexion, nid);
    auto parque = TParque_ModeloTeorico::Create_DesdeBD(conexion, *fila);
    const std::string archivo = RutaParqueMT(nid);
    parque->GuardarEnArchivo(archivo);
    parque_.MostrarParqueBajado(std::move(parque));
    EscribirLineaEnConsola("MODELO TEORICO GUARDADO CON EXITO EN: " + archivo + ".\n");
}

// The S-curves are fitted to the powers from the lower to the upper
// percentage: a range that is empty (or swapped) holds no power at all.
void TPestaniaModelos::ExigirRangoDeAjuste(int32_t porcentajeInf, int32_t porcentajeSup) const {
    if (porcentajeInf >= porcentajeSup)
        throw EErrorQuendal(NombreEnMensajes(PorcentajeAjusteCurvaSinf) + " (" + N(porcentajeInf) +
                            ") debe ser menor que " + NombreEnMensajes(PorcentajeAjusteCurvaSsup) + " (" +
                            N(porcentajeSup) + ")");
}

// The calibrator of the plant's park file and series file. The build ends
// before the calibrator file is replaced when the series file or the fit
// range gives no model: the current calibrator stays.
void TPestaniaModelos::btLoadFromArchi_ModeloMTySeriesClick() {
    const int32_t nid = EnteroDe(eNidCentral);
    const int32_t porcentajeInf = EnteroDe(PorcentajeAjusteCurvaSinf);
    const int32_t porcentajeSup = EnteroDe(PorcentajeAjusteCurvaSsup);
    ExigirRangoDeAjuste(porcentajeInf, porcentajeSup);
    entorno_.NidCentral() = nid;
    auto parque = TParque_ModeloTeorico::Create_LeerDeArchivo(RutaParqueMT(nid), entorno_.ProveedorDeConexion());
    auto calibrador = TCalibradorParque::Create(parque, RutaArchivoEnCarpetaCentral(nid, "_series10min.sas"),
                                                porcentajeInf, porcentajeSup);
    calibrador->GuardarEnArchivo(RutaCalibrador(nid));
    TCalibradorParque& nuevo = *calibrador;
    modelos_.PonerCalibrador(std::move(calibrador));
    Graficar_Estadistica_Datos_ME();
    parque_.MostrarCalibrador(nuevo);
}

void TPestaniaModelos::btCalcularMCClick() {
    const int32_t nid = EnteroDe(eNidCentral);
    entorno_.NidCentral() = nid;
    auto combinado = TParque_ModeloCombinado::Create(RutaCalibrador(nid), entorno_.ProveedorDeConexion());
    combinado->GuardarEnArchivo(RutaModeloCombinado(nid));
    modelos_.PonerModeloCombinado(std::move(combinado));
}

// Deletes every theoretical model of the super-plant and their per-turbine
// factors in one transaction, after asking.
void TPestaniaModelos::BorrarSupercentralClick() {
    const int32_t nid = EnteroDe(NIDsupercentralBorrar);
    TPgSqlCon& conexion = entorno_.ConexionAbierta();
    const auto ultimo = conexion.sqlexec("SELECT * FROM modelo_teorico WHERE central = " + N(nid) +
                                         " ORDER BY dt_creacion DESC LIMIT 1");
    if (ultimo->eof()) {
        entorno_.Avisar(Qs("La supercentral: " + N(nid) + " no existe"));
        return;
    }
    if (!entorno_.Confirmar(QStringLiteral("ATENCIÓN!"),
                            Qs("¿Está seguro que desea borrar la supercentral: " + N(nid) + " ?")))
        return;
    conexion.sqlexec_ntuples("BEGIN");
    try {
        conexion.sqlexec_ntuples(
            "DELETE FROM modelo_teorico_etha_molinos WHERE nid_modelo IN (SELECT nid FROM modelo_teorico WHERE "
            "central = " + N(nid) + ")");
        conexion.sqlexec_ntuples("DELETE FROM modelo_teorico WHERE central = " + N(nid));
        conexion.sqlexec_ntuples("COMMIT");
    } catch (...) {
        // A dropped connection has already rolled back on the server.
        if (conexion.Abierta()) {
            const TBanderaDeExcepciones sinExcepciones(conexion, false);
            conexion.sqlexec_ntuples("ROLLBACK");
        }
        throw;
    }
    entorno_.Avisar(Qs("La supercentral " + N(nid) + " ha sido borrada"));
    DescartarModelosDeCentral(nid);
}

// The current park and calibrator stop being current when they are models
// of that plant; those of other plants stay.
void TPestaniaModelos::DescartarModelosDeCentral(int32_t nid) {
    TCalibradorParque* calibrador = modelos_.CalibradorActual();
    const TParque_ModeloTeorico* parque = modelos_.ParqueActual();
    const bool calibradorDeLaCentral = calibrador && calibrador->Parque && calibrador->Parque->nid == nid;
    const bool parqueDeLaCentral = parque && parque->nid == nid;
    const bool parqueDelCalibrador = calibrador && parque == calibrador->Parque.get();
    if (calibradorDeLaCentral && (parqueDelCalibrador || parqueDeLaCentral)) {
        modelos_.DescartarParqueYCalibrador();
    } else if (calibradorDeLaCentral) {
        if (static_cast<TCalibradorParque*>(modelos_.ModeloCombinadoActual()) == calibrador)
            modelos_.PonerModeloCombinado(nullptr);
        modelos_.PonerCalibrador(nullptr);
    } else if (parqueDeLaCentral) {
        modelos_.PonerParque(nullptr);
    }
}

// Two frequency charts and the ranges of the data of the current
// calibrator's empirical model.
void TPestaniaModelos::Graficar_Estadistica_Datos_ME() {
    TCalibradorParque* calibrador = modelos_.CalibradorActual();
    if (!calibrador || !calibrador->ModeloEmpirico) return;
    const std::optional<TEstadisticaDatosME> estadistica = CalcularEstadisticaDatosME(*calibrador->ModeloEmpirico);
    if (!estadistica) {
        EscribirLineaEnConsola("El modelo empírico no tiene datos para sus estadísticas.");
        return;
    }
    DibujarEnCaja(*GraficoFrecuenciaVelocidad(estadistica->velocidades, estadistica->densidadVelocidad), PaintBox2);
    DibujarEnCaja(*GraficoFrecuenciaDireccion(estadistica->direcciones, estadistica->frecuenciaDireccion), PaintBox3);
    PonerCelda(StringGrid1, 1, 0, QStringLiteral("Mínimo"));
    PonerCelda(StringGrid1, 2, 0, QStringLiteral("Máximo"));
    int f = 1;
    for (const TFilaRangoME& fila : estadistica->rangos) {
        PonerCelda(StringGrid1, 0, f, Qs(fila.etiqueta));
        PonerCelda(StringGrid1, 1, f, TextoDeNumero(fila.minimo));
        PonerCelda(StringGrid1, 2, f, TextoDeNumero(fila.maximo));
        ++f;
    }
    StringGrid1->resizeColumnsToContents();
}

// ---- The combined model and its runs ----

// "Cargar Modelo Calibrado": the picked file becomes the current combined
// model and calibrator, the file that "Calcular solo las R.O." reads, and is
// written back at once in the current form (through a temporary file renamed
// over it, so a failed write leaves the file holding the model just read).
void TPestaniaModelos::btCargarYGuardarMCClick() {
    const QString archivo = entorno_.EjecutarDialogo(parque_.odCalibrador);
    if (archivo.isEmpty()) return;
    const std::string ruta = archivo.toStdString();
    parque_.CargarModeloCombinado(ruta);
    ArchivoModeloCombinado = ruta;
    modelos_.ModeloCombinadoActual()->GuardarEnArchivo(ruta);
}

// The period of a run, read before any dialog opens: what was typed into
// the input tab's pickers reaches their twins here first.
TPeriodo TPestaniaModelos::PeriodoDeLaCorrida() {
    FechaDe(entradas_.FechaDesde1);
    FechaDe(entradas_.FechaHasta1);
    return PeriodoDe(FechaDesde, FechaHasta);
}

// "Calcular con todos los datos": the picked series simulated with the
// current combined model over the picked dates (the end day at 00:00), the
// whole period counting as restriction period. The table goes into the
// folder of the plant whose model is run.
void TPestaniaModelos::btProcesarSeriesConMCClick() {
    const int32_t muestras = LongitudDeAnillo(entradas_.eHoras_Buffer);
    const TPeriodo periodo = PeriodoDeLaCorrida();
    TParque_ModeloCombinado* modelo = modelos_.ModeloCombinadoActual();
    if (!modelo)
        throw EErrorQuendal("No hay un modelo combinado cargado: cárguelo con \"Cargar Modelo Calibrado\".");
    const std::string carpeta = CarpetaCentral(modelo->Parque->nid);
    odProcesarSeries.carpetaInicial = Qs(carpeta);
    const QString archivo = entorno_.EjecutarDialogo(odProcesarSeries);
    if (archivo.isEmpty()) return;
    const TCorrida corrida = entorno_.EmpezarCorrida();
    TDAofRecsEnergiaPorFecha registros;
    SimularSerieConModeloCombinado(entradas_.flg_sinMatrizFactores->isChecked(), *modelo, archivo.toStdString(),
                                   carpeta, entradas_.cbSeriesConVelLibre->isChecked(), periodo.desde, periodo.hasta,
                                   periodo.desde, periodo.hasta, modelo->Parque->factor_kolm_scada, registros,
                                   muestras, false, entradas_.cbSoloTeorico->isChecked(), true);
}

// "Calcular solo las R.O.": the restriction windows of the picked series
// over the picked days ("Hasta" included whole), run with the combined model
// read again from the file that "Cargar Modelo Calibrado" loaded. The tables
// go into the folder of the plant of that model.
void TPestaniaModelos::btProcesarRestriccionesClick() {
    const int32_t muestras = LongitudDeAnillo(entradas_.eHoras_Buffer);
    const TPeriodo periodo = PeriodoDeLaCorrida();
    if (ArchivoModeloCombinado.empty())
        throw EErrorQuendal("No hay un modelo combinado cargado: cárguelo con \"Cargar Modelo Calibrado\".");
    // The park block at the head of the model file names its plant.
    const int32_t nid =
        TParque_ModeloTeorico::Create_LeerDeArchivo(ArchivoModeloCombinado, entorno_.ProveedorDeConexion())->nid;
    const std::string carpeta = CarpetaCentral(nid);
    odProcesarSeries.carpetaInicial = Qs(carpeta);
    const QString archivo = entorno_.EjecutarDialogo(odProcesarSeries);
    if (archivo.isEmpty()) return;
    const TCorrida corrida = entorno_.EmpezarCorrida();
    ProcesarRestriccionesEolico(ArchivoModeloCombinado, archivo.toStdString(), carpeta,
                                entradas_.flg_sinMatrizFactores->isChecked(),
                                entradas_.cbSeriesConVelLibre->isChecked(), muestras, periodo.desde,
                                periodo.hasta + 1, TOpcionesDescarga{}, entorno_.ProveedorDeConexion());
}
