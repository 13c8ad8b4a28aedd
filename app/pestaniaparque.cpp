#include "app/pestaniaparque.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdint>
#include <utility>

#include "app/cajas.h"
#include "app/pestaniaentradas.h"
#include "app/ventanaparque.h"
#include "data/ucarpetasmodelos.h"
#include "data/upgsql.h"
#include "models/uauxdensidad.h"
#include "models/ucalibrador.h"
#include "models/uparques_modelocombinado.h"
#include "models/uparques_modeloempirico.h"
#include "models/uparques_modeloteorico.h"
#include "numerics/consola.h"
#include "numerics/errores.h"
#include "numerics/formatonumeros.h"
#include "numerics/textoreal.h"

namespace {

// A twin is made like its box: the same text and read-only state, under its
// own name. Its messages name the input tab's box, where the value is typed.
QLineEdit* NuevaGemela(const char* nombre, const QLineEdit* caja) {
    QLineEdit* gemela = NuevaCaja(nombre, caja->text());
    gemela->setReadOnly(caja->isReadOnly());
    NombrarEnMensajes(gemela, Qs(NombreEnMensajes(caja)));
    return gemela;
}

// A twin made into *gemela, shown under its label.
struct TGemelaConEtiqueta {
    QLineEdit** gemela;
    const char* nombre;
    const QLineEdit* caja;
    const char* etiqueta;
};

// Makes the twins and fills a two-column grid with them, row by row from
// `fila`.
void PonerGemelas(QGridLayout* rejilla, int fila, std::initializer_list<TGemelaConEtiqueta> gemelas) {
    int k = 0;
    for (const TGemelaConEtiqueta& g : gemelas) {
        *g.gemela = NuevaGemela(g.nombre, g.caja);
        PonerEnCelda(rejilla, fila, k++, ConEtiqueta(QString::fromUtf8(g.etiqueta), *g.gemela));
    }
}

// The table typed into a met-mast box, or none while the box shows the
// park's own table. The box holds the table's three-digit string form; only
// a text the user changed is parsed, so the calibrated values are not cut to
// three digits by every simulation.
std::optional<TMatR> TablaTecleadaEn(const QLineEdit* caja, const TMatR& delParque) {
    if (Txt(caja) == delParque.ACadena()) return std::nullopt;
    return TablaDe(caja);
}

std::string Forma(const TMatR& tabla) { return N(tabla.nf) + " x " + N(tabla.nc); }

bool MismaForma(const TMatR& a, const TMatR& b) { return a.nf == b.nf && a.nc == b.nc; }

// A met-mast table as the park would hold it once the boxes are applied.
struct TTablaDelFormulario {
    const QLineEdit* caja;
    const TMatR& delParque;
    const std::optional<TMatR>& tecleada;

    const TMatR& Tabla() const { return tecleada ? *tecleada : delParque; }
    bool CambiaDeForma() const { return !MismaForma(Tabla(), delParque); }
};

// A table that serves the park by itself: a row for each sector, a column.
bool SirveAlParque(const TMatR& tabla, int32_t sectores) { return tabla.nf >= sectores && tabla.nc >= 1; }

// The table of the two that cannot go into the park, or none. Of two tables
// that serve but differ in shape, the one whose shape moved away from the
// park's is refused; when both moved, the second beside the first.
const TTablaDelFormulario* TablaRechazada(const TTablaDelFormulario& etha, const TTablaDelFormulario& vientos,
                                          int32_t sectores) {
    if (!SirveAlParque(etha.Tabla(), sectores)) return &etha;
    if (!SirveAlParque(vientos.Tabla(), sectores)) return &vientos;
    if (MismaForma(etha.Tabla(), vientos.Tabla())) return nullptr;
    return etha.CambiaDeForma() && !vientos.CambiaDeForma() ? &etha : &vientos;
}

// The refusal of a table beside the other, named by its box: the shape read,
// what it lacks, and the shape it needs, the other table's when that serves.
std::string RechazoDeTabla(const TTablaDelFormulario& tabla, const TTablaDelFormulario& otra, int32_t sectores) {
    const TMatR& leida = tabla.Tabla();
    std::string mensaje = NombreEnMensajes(tabla.caja) + ": se leyó una tabla de " + Forma(leida);
    if (leida.nf < sectores) mensaje += ", con menos filas que los sectores del parque (" + N(sectores) + ")";
    if (leida.nc < 1) mensaje += leida.nf < sectores ? " y sin ninguna columna" : ", sin ninguna columna";
    const TMatR& otraTabla = otra.Tabla();
    if (SirveAlParque(otraTabla, sectores))
        return mensaje + "; se necesita una de " + Forma(otraTabla) + ", la forma de " + NombreEnMensajes(otra.caja);
    return mensaje + "; se necesita una de al menos tantas filas como sectores (" + N(sectores) +
           ") y al menos una columna";
}

// The park's power cap, above 0 MW: at 0 or below the park could give no
// power at all (the model takes it as a cap of 1E-8 MW).
double LimiteDePotenciaDe(const QLineEdit* caja) {
    const double limite = RealDe(caja);
    if (!(limite > 0))
        throw EConvertError(NombreEnMensajes(caja) + ": se leyó " + FormatoGeneral(limite, 15) +
                            "; se necesita un límite mayor que 0 MW");
    return limite;
}

// What is shown beside the current calibrator, for the messages of the
// operations that would mix the two.
std::string QueParqueSeMuestra(TParqueMostrado relacion, const TParque_ModeloTeorico& mostrado,
                               const TCalibradorParque& calibrador) {
    const std::string delCalibrador = NombreDelParqueEnMensajes(*calibrador.Parque);
    if (relacion == TParqueMostrado::DeLaMismaCentral)
        return "se muestra " + NombreDelParqueEnMensajes(mostrado) +
               " bajado de nuevo de la base de datos, no el parque del calibrador actual (" + delCalibrador +
               ", de la misma central)";
    return "se muestra " + NombreDelParqueEnMensajes(mostrado) +
           ", bajado de la base de datos, y el calibrador actual es de otra central: " + delCalibrador;
}

}  // namespace

TPestaniaParque::TPestaniaParque(TEntornoPestanias& entorno, TPestaniaEntradas& entradas)
    : TPestania(entorno), entradas_(entradas) {
    auto* fila = new QHBoxLayout(this);
    pb_Parque_original = NuevaCajaPintura("pb_Parque_original", kAnchoParque, kAltoParque);
    fila->addWidget(pb_Parque_original, 0, Qt::AlignTop);
    auto* derecha = new QVBoxLayout;
    fila->addLayout(derecha);
    CrearGrupoParametros();
    derecha->addWidget(GroupBox1);
    CrearPanelMolinos();
    derecha->addWidget(Panel1);
    derecha->addStretch();
    ConectarBotones();
    ConectarImagenes();
}

// The park's parameters and results, the calibrator file and the wind for
// a wanted power.
void TPestaniaParque::CrearGrupoParametros() {
    GroupBox1 = new QGroupBox;
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* grupo = new QGridLayout(GroupBox1);
    grupo->setVerticalSpacing(3);
    const TPestaniaEntradas& e = entradas_;
    PonerGemelas(grupo, 0,
                 {{&eDir, "eDir", e.eDir1, "Dirección [°]"},
                  {&eVAnemoEntrada, "eVAnemoEntrada", e.eVAnemoEntrada1, "VAnemo [m/s] "},
                  {&eAlfaTerreno, "eAlfaTerreno", e.eAlfaTerreno1, "Alfa terreno:"},
                  {&eGamma_Atmosfera, "eGamma_Atmosfera", e.eGamma_Atmosfera1, "Gamma Atmósfera:"},
                  {&efpv3pe, "efpv3pe", e.efpv3pe1, "fpv3pe:"},
                  {&eFactorPerdidasParque, "eFactorPerdidasParque", e.eFactorPerdidasParque1, "Factor de pérdidas:"},
                  {&eLimiteDePotencia, "eLimiteDePotencia", e.eLimiteDePotencia1, "Límite de potencia:"}});
    btCalcular = NuevoBoton("btCalcular", QStringLiteral("Calcular"));
    grupo->addWidget(btCalcular, 3, 1, Qt::AlignBottom);
    PonerGemelas(grupo, 4,
                 {{&eVAnemoResultante, "eVAnemoResultante", e.eVAnemoResultante1, "VAnemo [m/s]"},
                  {&ePE_MW_ModeloTeorico, "ePE_MW_ModeloTeorico", e.ePE_MW_ModeloTeorico1, "ePE_MW_ModeloTeorico"},
                  {&ePE_MW_Representantes, "ePE_MW_Representantes", e.ePE_MW_Representantes1, "[MW] (datos)"},
                  {&eME_Peso, "eME_Peso", e.eME_Peso1, "(peso - Datos ME)"}});
    VientoLibre = NuevaCajaDeSalida("VientoLibre", QString());
    grupo->addWidget(ConEtiqueta(Lineas({"Viento libre incidente", "en la central (m/s)"}), VientoLibre), 6, 0);

    btCargarCalibrador = NuevoBoton("btCargarCalibrador", QStringLiteral("Cargar Cal."));
    btGuardarCalibrador = NuevoBoton("btGuardarCalibrador", QStringLiteral("Guardar Cal."));
    btUpdateMTinDB = NuevoBoton("btUpdateMTinDB", QStringLiteral("Actualizar MT en la Base de Datos"));
    CalibrarSimpleEthaMeteo = NuevoBoton("CalibrarSimpleEthaMeteo", QStringLiteral("Calibrar Etha de la E.M."));
    grupo->addWidget(btCargarCalibrador, 7, 0);
    grupo->addWidget(btGuardarCalibrador, 7, 1);
    grupo->addWidget(btUpdateMTinDB, 8, 0, 1, 2);
    grupo->addWidget(CalibrarSimpleEthaMeteo, 9, 0, 1, 2);

    vientoparapot = NuevaCaja("vientoparapot", QStringLiteral("50"));
    Calcularviento = NuevoBoton("Calcularviento", QStringLiteral("Calcular viento "));
    VientoDeLaPotMW = NuevaCajaDeSalida("VientoDeLaPotMW", QString());
    grupo->addWidget(ConEtiqueta(Lineas({"Calcula el viento libre incidente", "en el parque para que se genere",
                                         "una potencia determinada.",
                                         "El viento está referido a la densidad base."}),
                                 vientoparapot),
                     10, 0, 1, 2);
    grupo->addWidget(Calcularviento, 11, 0);
    grupo->addWidget(ConEtiqueta(Lineas({"Viento libre asociado", " a la potencia generada."}), VientoDeLaPotMW),
                     11, 1);
}

// The picked turbine and the park's met-mast tables.
void TPestaniaParque::CrearPanelMolinos() {
    auto* panel = new QFrame;
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    Panel1 = panel;
    auto* celdas = new QGridLayout(panel);
    celdas->setVerticalSpacing(3);
    eEthaMolino = NuevaCaja("eEthaMolino", QStringLiteral("1"));
    btCambiar_ro = NuevoBoton("btCambiar_ro", QStringLiteral("Cambiar ro"));
    cbCambiarTodosLosRo = NuevaCasilla("cbCambiarTodosLosRo", QStringLiteral("Cambiar todos los Ro."));
    celdas->addWidget(ConEtiqueta(QStringLiteral("Molino_etha: "), eEthaMolino), 0, 0);
    celdas->addWidget(btCambiar_ro, 0, 1, Qt::AlignBottom);
    celdas->addWidget(cbCambiarTodosLosRo, 1, 0, 1, 2);
    eMolino = NuevaCajaDeSalida("eMolino", QStringLiteral("eMolino"));
    eCoordenadasXY = NuevaCajaDeSalida("eCoordenadasXY", QStringLiteral("eCoordenadasXY"));
    celdas->addWidget(eMolino, 2, 0);
    celdas->addWidget(eCoordenadasXY, 2, 1);
    eMdeVientos = NuevaCaja("eMdeVientos", QStringLiteral("1"));
    eEthaMeteo = NuevaGemela("eEthaMeteo", entradas_.eEthaMeteo2);
    celdas->addWidget(ConEtiqueta(QStringLiteral("MdeVientos:"), eMdeVientos), 3, 0);
    celdas->addWidget(ConEtiqueta(QStringLiteral("EthaMeteo:"), eEthaMeteo), 3, 1);
}

void TPestaniaParque::ConectarBotones() {
    for (QPushButton* boton : {entradas_.btCalcular1, btCalcular}) AlPulsar(boton, [this] { btCalcularClick(); });
    AlPulsar(btCambiar_ro, [this] { btCambiar_roClick(); });
    AlPulsar(Calcularviento, [this] { CalcularvientoClick(); });
    AlPulsar(btUpdateMTinDB, [this] { btUpdateMTinDBClick(); });
    AlPulsar(btCargarCalibrador, [this] { btCargarCalibradorClick(); });
    AlPulsar(btGuardarCalibrador, [this] { btGuardarCalibradorClick(); });
    AlPulsar(CalibrarSimpleEthaMeteo, [this] { CalibrarSimpleEthaMeteoClick(); }, TGuardia::Corrida);
}

void TPestaniaParque::ConectarImagenes() {
    for (TCajaPintura* caja : {pb_Parque_original, entradas_.pb_Parque_simple}) {
        connect(caja, &TCajaPintura::RatonMovido, this,
                [this](int x, int y) { entorno_.Manejar([&] { pb_Parque_originalMouseMove(x, y); }); });
        connect(caja, &TCajaPintura::RatonPresionado, this,
                [this, caja](int x, int y) { entorno_.Manejar([&] { pb_Parque_originalMouseDown(caja, x, y); }); });
    }
}

// ---- Showing and loading models ----

void TPestaniaParque::MostrarCalibrador(TCalibradorParque& calibrador) {
    if (&calibrador != modelos_.CalibradorActual())
        throw EErrorQuendal("Solo se muestra el calibrador actual.");
    modelos_.MostrarParqueDelCalibrador();
    TParque_ModeloTeorico& parque = *calibrador.Parque;
    parque.FijarRectanguloDibujo(0, kFilasBarraColores, pb_Parque_original->Ancho(), pb_Parque_original->Alto());
    window()->setWindowTitle(QStringLiteral("Calibrador cargado, Parque: ") + Qs(parque.nombre));
    eGamma_Atmosfera->setText(TextoDeNumero(parque.gamma_atmosfera));
    eAlfaTerreno->setText(TextoDeNumero(parque.alfa_terreno));
    efpv3pe->setText(TextoDeNumero(parque.fpv3pe));
    eFactorPerdidasParque->setText(TextoDeNumero(parque.factor_perdidas));
    eLimiteDePotencia->setText(TextoDeNumero(parque.potencia_autorizada_mw));
    eEthaMeteo->setText(Qs(parque.meteo_etha.ACadena()));
    eMdeVientos->setText(Qs(parque.mat_vientos.ACadena()));
    // The same values on the input tab.
    entradas_.eGamma_Atmosfera1->setText(TextoDeNumero(parque.gamma_atmosfera));
    entradas_.eAlfaTerreno1->setText(TextoDeNumero(parque.alfa_terreno));
    entradas_.efpv3pe1->setText(TextoDeNumero(parque.fpv3pe));
    entradas_.eFactorPerdidasParque1->setText(TextoDeNumero(parque.factor_perdidas));
    entradas_.eLimiteDePotencia1->setText(TextoDeNumero(parque.potencia_autorizada_mw));
    // The tables are long texts: show their beginning, where their size is.
    for (QLineEdit* tabla : {eEthaMeteo, entradas_.eEthaMeteo2, eMdeVientos}) tabla->setCursorPosition(0);
}

// The file is read whole before anything is replaced, so a file that cannot
// be read leaves the current models as they were.
void TPestaniaParque::CargarCalibrador(const std::string& archivo) {
    modelos_.PonerCalibrador(TCalibradorParque::Create_LeerDeArchivo(archivo, entorno_.ProveedorDeConexion()));
    MostrarCalibrador(*modelos_.CalibradorActual());
}

void TPestaniaParque::CargarModeloCombinado(const std::string& archivo) {
    modelos_.PonerModeloCombinadoYCalibrador(
        TParque_ModeloCombinado::Create_LeerDeArchivo(archivo, entorno_.ProveedorDeConexion()));
    MostrarCalibrador(*modelos_.CalibradorActual());
}

TParqueDelFormulario TPestaniaParque::LeerParqueDelFormulario() const {
    const TParque_ModeloTeorico* parque = modelos_.ParqueActual();
    if (!parque) throw EErrorQuendal("No hay un parque cargado: cargue un modelo calibrado primero.");
    TParqueDelFormulario leido;
    leido.alfa_terreno = RealDe(eAlfaTerreno);
    leido.gamma_atmosfera = RealDe(eGamma_Atmosfera);
    leido.fpv3pe = RealDe(efpv3pe);
    leido.factor_perdidas = RealDe(eFactorPerdidasParque);
    leido.potencia_autorizada_mw = LimiteDePotenciaDe(eLimiteDePotencia);
    leido.meteo_etha = TablaTecleadaEn(eEthaMeteo, parque->meteo_etha);
    leido.mat_vientos = TablaTecleadaEn(eMdeVientos, parque->mat_vientos);
    const TTablaDelFormulario etha{eEthaMeteo, parque->meteo_etha, leido.meteo_etha};
    const TTablaDelFormulario vientos{eMdeVientos, parque->mat_vientos, leido.mat_vientos};
    const int32_t sectores = parque->n_sectores_dir;
    if (const TTablaDelFormulario* rechazada = TablaRechazada(etha, vientos, sectores))
        throw EConvertError(RechazoDeTabla(*rechazada, rechazada == &etha ? vientos : etha, sectores));
    return leido;
}

void TPestaniaParque::AplicarAlParque(TParqueDelFormulario leido) {
    TParque_ModeloTeorico* parque = modelos_.ParqueActual();
    if (!parque) throw EErrorQuendal("No hay un parque cargado: cargue un modelo calibrado primero.");
    parque->alfa_terreno = leido.alfa_terreno;
    parque->gamma_atmosfera = leido.gamma_atmosfera;
    parque->fpv3pe = leido.fpv3pe;
    parque->factor_perdidas = leido.factor_perdidas;
    parque->potencia_autorizada_mw = leido.potencia_autorizada_mw;
    if (leido.meteo_etha) parque->meteo_etha = std::move(*leido.meteo_etha);
    if (leido.mat_vientos) parque->mat_vientos = std::move(*leido.mat_vientos);
}

void TPestaniaParque::ActualizarParqueDesdeFormulario() { AplicarAlParque(LeerParqueDelFormulario()); }

// The boxes and the picture stay as they were; the title says which park
// the next simulation draws, beside the calibrator still current.
void TPestaniaParque::MostrarParqueBajado(std::unique_ptr<TParque_ModeloTeorico> parque) {
    modelos_.PonerParque(std::move(parque));
    const TParque_ModeloTeorico& mostrado = *modelos_.ParqueActual();
    const std::string bajado = NombreDelParqueEnMensajes(mostrado) + ", bajado de la base de datos";
    const TCalibradorParque* calibrador = modelos_.CalibradorActual();
    const std::string titulo = calibrador && calibrador->Parque
                                   ? "Calibrador cargado, Parque: " + calibrador->Parque->nombre +
                                         "; parque mostrado: " + bajado
                                   : "Parque mostrado: " + bajado;
    window()->setWindowTitle(Qs(titulo));
}

TParqueMostrado TPestaniaParque::ParqueMostrado() const {
    const TCalibradorParque* calibrador = modelos_.CalibradorActual();
    const TParque_ModeloTeorico* parque = modelos_.ParqueActual();
    if (!calibrador || !calibrador->Parque || !parque) return TParqueMostrado::SinCalibrador;
    if (parque == calibrador->Parque.get()) return TParqueMostrado::DelCalibrador;
    return parque->nid == calibrador->Parque->nid ? TParqueMostrado::DeLaMismaCentral
                                                  : TParqueMostrado::DeOtraCentral;
}

// The values typed into the boxes go to the park shown; an operation on the
// calibrator would leave them out, or put two plants into one result.
void TPestaniaParque::ExigirParqueDelCalibrador(const std::string& operacion, const std::string& consecuencia,
                                                bool tambienDeLaMismaCentral) const {
    const TParqueMostrado relacion = ParqueMostrado();
    if (relacion != TParqueMostrado::DeOtraCentral &&
        !(tambienDeLaMismaCentral && relacion == TParqueMostrado::DeLaMismaCentral))
        return;
    const TParque_ModeloTeorico& mostrado = *modelos_.ParqueActual();
    throw EErrorQuendal("\"" + operacion + "\" no se realizó: " +
                        QueParqueSeMuestra(relacion, mostrado, *modelos_.CalibradorActual()) + "; " + consecuencia +
                        ". Para trabajar con el calibrador, vuelva a cargar su archivo (\"Cargar Cal.\" o "
                        "\"Cargar Modelo Calibrado\") y teclee de nuevo sus valores; para calibrar el parque "
                        "bajado, use \"Crear archivo .clp con MT y archivo .sas\" con la central " +
                        N(mostrado.nid) + ".");
}

// ---- Simulating the park ----

// "Simular Modelo Teórico": the theoretical and empirical powers for the
// typed met-mast reading, and the park's wind-speed map on both pictures.
void TPestaniaParque::btCalcularClick() {
    if (!modelos_.ParqueActual()) {
        const QString archivo = entorno_.EjecutarDialogo(odCalibrador);
        if (archivo.isEmpty()) return;
        CargarCalibrador(archivo.toStdString());
    }
    // Every box is read before the park or its picture changes: a refused
    // box leaves both as they were.
    const double velocidadMastil = RealDe(eVAnemoEntrada);
    const double direccion = RealDe(eDir);
    TParqueDelFormulario leido = LeerParqueDelFormulario();

    // Pending paints are served; input given until the maps are drawn is
    // dropped.
    const TCorrida corrida;
    TParque_ModeloTeorico& parque = *modelos_.ParqueActual();
    parque.FijarRectanguloDibujo(0, kFilasBarraColores, pb_Parque_original->Ancho(), pb_Parque_original->Alto());
    pb_Parque_original->Imagen().fill(Qt::white);
    pb_Parque_original->Actualizar();
    AplicarAlParque(std::move(leido));
    const double densidadMastil = PotenciaDelViento(velocidadMastil, DensidadBase);
    parque.FijarDireccion(direccion);
    // The park is capped at its own authorised power, also when it is not
    // the calibrator's (a download).
    double libre = 0;
    const double potenciaTeorica =
        parque.PotenciaDesdeEstacion(DensidadBase, densidadMastil, parque.potencia_autorizada_mw, libre);
    VientoLibre->setText(TextoDeNumero(VientoDePotencia(libre, DensidadBase)));

    ePE_MW_ModeloTeorico->setText(TextoDeNumero(potenciaTeorica));
    eVAnemoResultante->setText(TextoDeNumero(VientoDePotencia(parque.ValorEnPunto(0, 0), DensidadBase)));
    MostrarPotenciaEmpirica(direccion, densidadMastil);
    VelocidadesMT_To_PB(pb_Parque_original);
    VelocidadesMT_To_PB(entradas_.pb_Parque_simple);
}

// The empirical power beside the park shown comes from the calibrator's
// data when they are of the park's plant. A park of another plant leaves
// both outputs empty, and the console says why; a park with no calibrator
// has no samples behind it (power 0, weight -1).
void TPestaniaParque::MostrarPotenciaEmpirica(double direccion, double densidadMastil) {
    const TParqueMostrado relacion = ParqueMostrado();
    if (relacion == TParqueMostrado::DeOtraCentral) {
        EscribirLineaEnConsola(
            "Simular Modelo Teórico: " +
            QueParqueSeMuestra(relacion, *modelos_.ParqueActual(), *modelos_.CalibradorActual()) +
            "; la potencia del modelo empírico y su peso quedan vacíos: los datos del calibrador son de otra "
            "central.");
        ePE_MW_Representantes->clear();
        eME_Peso->clear();
        return;
    }
    double potenciaEmpirica = 0, peso = -1;
    const TCalibradorParque* calibrador = modelos_.CalibradorActual();
    if (relacion != TParqueMostrado::SinCalibrador && calibrador->ModeloEmpirico)
        potenciaEmpirica = calibrador->ModeloEmpirico->PE_PorTramos(direccion, densidadMastil, peso);
    ePE_MW_Representantes->setText(TextoDeNumero(potenciaEmpirica));
    eME_Peso->setText(TextoDeNumero(peso));
}

// ---- Park picture ----

// Without a current park there is nothing to draw (the operations that
// make one current come before the drawing).
void TPestaniaParque::VelocidadesMT_To_PB(TCajaPintura* caja) {
    TParque_ModeloTeorico* parque = modelos_.ParqueActual();
    if (!parque) return;
    // Pending paints are served, but no user input while the park is in use.
    ServirMensajesPendientes();
    DibujarMapaVelocidades(caja->Imagen(), *parque);
    caja->Actualizar();
}

void TPestaniaParque::pb_Parque_originalMouseMove(int x, int y) {
    const TParque_ModeloTeorico* parque = modelos_.ParqueActual();
    if (!parque) return;
    TPunto2D punto;
    parque->PixelAMundo(punto, x, y);
    eCoordenadasXY->setText(Qs("x: " + FormatoGeneral(punto.x, 15) + ", y: " + FormatoGeneral(punto.y, 15)));
    const TMolino* molino = parque->MolinoEnPixel(x, y);
    if (!molino) return;
    const double velocidad = VientoDePotencia(molino->pvMedia, DensidadBase);
    eMolino->setText(Qs("v: " + FloatToStrF(velocidad, FR_Fijo, 6, 1) + ", P:" +
                        FloatToStrF(molino->potencia, FR_Fijo, 6, 1)));
}

// Picks the turbine under the pointer and puts the area around it and its
// wake (1 diameter west, 15 east, 6 north and south) on the clipboard.
void TPestaniaParque::pb_Parque_originalMouseDown(const TCajaPintura* caja, int x, int y) {
    TParque_ModeloTeorico* parque = modelos_.ParqueActual();
    if (!parque) return;
    TMolino* molino = parque->MolinoEnPixel(x, y);
    modelos_.SeleccionarMolino(molino);
    if (!molino) return;
    eEthaMolino->setText(TextoDeNumero(molino->etha));
    const double d = molino->curva.diametro;
    const TPunto2D centro{molino->posicion.x, molino->posicion.y};
    int ax = 0, ay = 0, bx = 0, by = 0;
    parque->MundoAPixel(ax, ay, TPunto2D{centro.x - d, centro.y + 6 * d});
    parque->MundoAPixel(bx, by, TPunto2D{centro.x + 15 * d, centro.y - 6 * d});
    const int64_t ancho = int64_t{bx} - ax + 1, alto = int64_t{by} - ay + 1;
    constexpr int64_t kLadoMaximo = 1 << 14;  // a picture, not an overflow
    if (ancho < 1 || alto < 1 || ancho > kLadoMaximo || alto > kLadoMaximo) return;
    QGuiApplication::clipboard()->setImage(
        caja->Imagen().copy(ax, ay, static_cast<int>(ancho), static_cast<int>(alto)));
}

// ---- Calibrator file and turbine tools ----

void TPestaniaParque::btCargarCalibradorClick() {
    const QString archivo = entorno_.EjecutarDialogo(odCalibrador);
    if (archivo.isEmpty()) return;
    CargarCalibrador(archivo.toStdString());
}

void TPestaniaParque::btGuardarCalibradorClick() {
    TCalibradorParque* calibrador = modelos_.CalibradorActual();
    if (!calibrador) return;
    ExigirParqueDelCalibrador(
        "Guardar Cal.", "los valores de las cajas van al parque mostrado y el calibrador se guardaría sin ellos");
    // A refused box asks for no file.
    TParqueDelFormulario leido = LeerParqueDelFormulario();
    const QString archivo = entorno_.EjecutarDialogo(sdCalibrador);
    if (archivo.isEmpty()) return;
    AplicarAlParque(std::move(leido));
    calibrador->GuardarEnArchivo(archivo.toStdString());
}

// Calibrates the met-mast factors of the current calibrator and rewrites the
// calibrator file of its plant. Without a calibrator the number named is the
// plant last typed on the models tab.
void TPestaniaParque::CalibrarSimpleEthaMeteoClick() {
    TCalibradorParque* calibrador = modelos_.CalibradorActual();
    if (!calibrador) {
        EscribirLineaEnConsola("No existe el Calibrador de la Central " + N(entorno_.NidCentral()) + ".");
        return;
    }
    ExigirParqueDelCalibrador("Calibrar Etha de la E.M.",
                              "se calibraría y guardaría el calibrador sin lo aplicado al parque mostrado, "
                              "que dejaría de mostrarse");
    const int32_t nid = calibrador->Parque->nid;
    EscribirLineaEnConsola("Calibración de EthaMeteo de la Central " + N(nid) + " en proceso ...\n");
    calibrador->CalibrarEthaMeteo();
    EscribirLineaEnConsola("Calibración de EthaMeteo de la Central " + N(nid) + " terminada con exito.\n");
    MostrarCalibrador(*calibrador);
    calibrador->GuardarEnArchivo(RutaCalibrador(nid));
}

void TPestaniaParque::btCambiar_roClick() {
    const double etha = RealDe(eEthaMolino);
    if (cbCambiarTodosLosRo->isChecked()) {
        if (TParque_ModeloTeorico* parque = modelos_.ParqueActual())
            for (auto& molino : parque->molinos) molino->etha = etha;
    } else if (TMolino* molino = modelos_.MolinoSeleccionado()) {
        molino->etha = etha;
    }
}

// The mast speed at which the park gives the wanted power, for the direction
// in the direction box (a park just downloaded has none set yet).
void TPestaniaParque::CalcularvientoClick() {
    const double potencia = RealDe(vientoparapot);
    TParque_ModeloTeorico* parque = modelos_.ParqueActual();
    if (!parque) throw EErrorQuendal("No hay un parque cargado: baje o cargue uno antes de calcular el viento.");
    if (potencia > parque->potencia_autorizada_mw) {
        entorno_.Avisar(Qs("La central tiene una potencia autorizada de " +
                           FormatoGeneral(parque->potencia_autorizada_mw, 15) +
                           " MW.\rIngrese nuevamente el valor de potencia."));
        return;
    }
    if (potencia < 0) {
        entorno_.Avisar(Qs("La potencia no puede ser negativa.\rIngrese nuevamente el valor de potencia."));
        return;
    }
    parque->FijarDireccion(RealDe(eDir));
    VientoDeLaPotMW->setText(TextoDeNumero(parque->VientoParaPotencia(potencia)));
}

// What is written is the park held in memory: the boxes are not read first.
void TPestaniaParque::btUpdateMTinDBClick() {
    TCalibradorParque* calibrador = modelos_.CalibradorActual();
    if (!calibrador) throw EErrorQuendal("No hay un calibrador cargado: no hay parque que actualizar en la base de datos.");
    ExigirParqueDelCalibrador("Actualizar MT en la Base de Datos",
                              "la base de datos recibiría el parque del calibrador, sin los cambios hechos al parque "
                              "mostrado");
    calibrador->Parque->ActualizarBD(entorno_.ConexionAbierta());
}
