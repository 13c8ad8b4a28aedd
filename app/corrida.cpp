#include "app/corrida.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <memory>
#include <vector>

namespace {

bool EsEntradaDelUsuario(QEvent::Type tipo) {
    switch (tipo) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::NativeGesture:
    case QEvent::Gesture:
    case QEvent::InputMethod:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

// The widget of a top-level window (input reaches a window before its widgets).
QWidget* WidgetDeVentana(const QWindow* ventana) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowHandle() == ventana) return w;
    return nullptr;
}

// Whether the object lies inside the modal dialog in front, if one is: a
// dialog opened by the run itself keeps its input.
bool EnElDialogoModal(QObject* destino) {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return false;
    QWidget* widget = qobject_cast<QWidget*>(destino);
    if (!widget)
        if (auto* ventana = qobject_cast<QWindow*>(destino)) widget = WidgetDeVentana(ventana);
    for (; widget; widget = widget->parentWidget())
        if (widget == modal) return true;
    return false;
}

// The window that a close event is for: the event reaches the window system's
// window first, then its widget.
QWidget* VentanaQueSeCierra(QObject* destino) {
    if (auto* ventana = qobject_cast<QWindow*>(destino)) return WidgetDeVentana(ventana);
    auto* widget = qobject_cast<QWidget*>(destino);
    return widget && widget->isWindow() ? widget : nullptr;
}

// The windows whose closing was asked while input was dropped.
std::vector<QPointer<QWidget>> cierresPedidos;

void RecordarCierre(QWidget* ventana) {
    for (const QPointer<QWidget>& pedida : cierresPedidos)
        if (pedida == ventana) return;
    cierresPedidos.emplace_back(ventana);
    QEvent aviso(TipoEventoCierrePedido());
    QCoreApplication::sendEvent(ventana, &aviso);
}

// Each window closes once the event loop is back, after the run's handler.
void CerrarLasVentanasPedidas() {
    for (const QPointer<QWidget>& ventana : cierresPedidos)
        if (ventana)
            QMetaObject::invokeMethod(
                ventana, [ventana] { if (ventana) ventana->close(); }, Qt::QueuedConnection);
    cierresPedidos.clear();
}

class TFiltroDeEntrada : public QObject {
public:
    bool eventFilter(QObject* destino, QEvent* evento) override {
        if (!EsEntradaDelUsuario(evento->type()) || EnElDialogoModal(destino)) return false;
        if (evento->type() == QEvent::Close)
            if (QWidget* ventana = VentanaQueSeCierra(destino)) RecordarCierre(ventana);
        evento->ignore();
        return true;
    }
};

// The filter and how many users it has.
std::unique_ptr<TFiltroDeEntrada> filtro;
int usosDelFiltro = 0;
int corridasEnCurso = 0;

void TomarFiltro() {
    if (usosDelFiltro++ == 0) {
        filtro = std::make_unique<TFiltroDeEntrada>();
        QCoreApplication::instance()->installEventFilter(filtro.get());
    }
}

void DejarFiltro() {
    if (--usosDelFiltro == 0) {
        QCoreApplication::instance()->removeEventFilter(filtro.get());
        filtro.reset();
        CerrarLasVentanasPedidas();
    }
}

class TEntradaDescartada {
public:
    TEntradaDescartada() { TomarFiltro(); }
    ~TEntradaDescartada() { DejarFiltro(); }
    TEntradaDescartada(const TEntradaDescartada&) = delete;
    TEntradaDescartada& operator=(const TEntradaDescartada&) = delete;
};

}  // namespace

TCorrida::TCorrida(std::function<void()> alTerminar) : alTerminar_(std::move(alTerminar)) {
    TomarFiltro();
    ++corridasEnCurso;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    // The cursor and whatever the caller just changed show before the run.
    QCoreApplication::processEvents();
}

TCorrida::~TCorrida() {
    try {
        if (alTerminar_) alTerminar_();
    } catch (...) {
        // Bringing a pane up to date must not hide the run's own failure.
    }
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QGuiApplication::restoreOverrideCursor();
    --corridasEnCurso;
    DejarFiltro();
}

bool TCorrida::EnCurso() { return corridasEnCurso > 0; }

QEvent::Type TipoEventoCierrePedido() {
    static const auto tipo = static_cast<QEvent::Type>(QEvent::registerEventType());
    return tipo;
}

void ServirMensajesPendientes() {
    const TEntradaDescartada descartada;
    QCoreApplication::processEvents();
}
