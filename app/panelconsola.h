#pragma once
// The console pane: what a terminal would show of the program's console.
//
// TTerminal keeps the text as a terminal shows it: a line end finishes the
// line, and a carriage return brings the cursor back to the start of the
// line, so the progress line "\rSimulando fecha: ..." stays one line that
// changes. The text written after a carriage return replaces the whole line,
// as a terminal does when the line is cleared first: a bare terminal would
// keep the end of a longer old text, so the date of a midnight sample
// ("01/03/2018", written without its time) would show as
// "01/03/20188 23:50:00" after "28/02/2018 23:50:00". A line end right after
// a carriage return keeps the line.
//
// TPanelConsola is the pane's text box. It takes the console's text at any
// pace and shows it when asked, so a run that rewrites its progress line at
// every sample costs the window one update now and then. It keeps its newest
// line in view, also when the box is resized, until the user scrolls back to
// read; scrolling down to the end makes it follow again.
#include <QPlainTextEdit>
#include <QString>
#include <QStringList>
#include <string_view>

class TTerminal {
public:
    void Escribir(std::string_view textoUtf8);

    // The lines finished since the last call; taking them clears the list.
    QStringList TomarLineasTerminadas();
    // The line being written, not finished yet (empty after a line end).
    const QString& LineaActual() const { return actual_; }
    // The last line that holds any text, finished or not; what a status line
    // shows.
    QString UltimaLinea() const;

private:
    QStringList terminadas_;
    QString actual_;
    bool reescribir_ = false;  // a carriage return came: the next text replaces the line
    QString ultimaTerminada_;
};

class TPanelConsola : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TPanelConsola(QWidget* padre = nullptr);

    // Takes console text; it shows at the next Mostrar.
    void Recibir(std::string_view textoUtf8) { terminal_.Escribir(textoUtf8); }
    // Brings the box up to the terminal: the lines finished since the last
    // time are added and the last line of the box is the line being written.
    void Mostrar();
    QString UltimaLinea() const { return terminal_.UltimaLinea(); }

private:
    void IrAlFinal();

    TTerminal terminal_;
    // Whether the box keeps its newest line in view: only the user's own
    // scrolling changes it, never a resize or new text.
    bool seguirAlFinal_ = true;
};
