#pragma once
// A run of the window: an operation that holds the main thread until it ends.
//
// While a TCorrida lives, the user's input to the application (mouse, keys,
// wheel, touch, context menus) is dropped: an event filter on the
// application swallows it, so the window may serve its paint events in the
// middle of the run without letting the user start a second operation. A
// dialog that the run itself opens (the database connection dialog) still
// gets its own input. The busy cursor shows. When the run ends, the events
// still pending are served with the input dropped, so that nothing given
// during the run fires after it: a second click on a run button opens no
// dialog afterwards.
//
// A request to close a window during a run is kept instead: the window gets
// an event of type TipoEventoCierrePedido() at once (to say so), and it is
// closed when the input is no longer dropped.
//
// Runs nest; the outermost one installs the filter and removes it.
#include <QEvent>
#include <functional>

class TCorrida {
public:
    // `alTerminar` runs first when the run ends (for instance to bring the
    // console pane up to date), before the pending events are served.
    explicit TCorrida(std::function<void()> alTerminar = {});
    ~TCorrida();
    TCorrida(const TCorrida&) = delete;
    TCorrida& operator=(const TCorrida&) = delete;

    // Whether a run is in progress.
    static bool EnCurso();

private:
    std::function<void()> alTerminar_;
};

// The event a window gets when its closing was asked during a run.
QEvent::Type TipoEventoCierrePedido();

// Serves the pending window messages (paints, layout) with the user's input
// dropped, inside a run or not; no busy cursor of its own.
void ServirMensajesPendientes();
