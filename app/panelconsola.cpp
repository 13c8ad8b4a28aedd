#include "app/panelconsola.h"

#include <QFontDatabase>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

void TTerminal::Escribir(std::string_view textoUtf8) {
    const QString texto = QString::fromUtf8(textoUtf8.data(), static_cast<qsizetype>(textoUtf8.size()));
    for (const QChar c : texto) {
        if (c == QLatin1Char('\n')) {
            if (!actual_.isEmpty()) ultimaTerminada_ = actual_;
            terminadas_ << actual_;
            actual_.clear();
            reescribir_ = false;
        } else if (c == QLatin1Char('\r')) {
            reescribir_ = true;
        } else {
            if (reescribir_) actual_.clear();
            reescribir_ = false;
            actual_ += c;
        }
    }
}

QStringList TTerminal::TomarLineasTerminadas() {
    QStringList lineas;
    lineas.swap(terminadas_);
    return lineas;
}

QString TTerminal::UltimaLinea() const { return actual_.isEmpty() ? ultimaTerminada_ : actual_; }

namespace {

// Enough for the longest listing or restriction run; older lines go.
constexpr int kLineasGuardadas = 20000;

}  // namespace

TPanelConsola::TPanelConsola(QWidget* padre) : QPlainTextEdit(padre) {
    setReadOnly(true);
    setUndoRedoEnabled(false);
    // Beside the tabs the pane is narrow: long lines wrap.
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setMaximumBlockCount(kLineasGuardadas);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // A resize, or a horizontal bar that comes and goes, changes the range
    // of the vertical bar without a word from the user.
    QScrollBar* barra = verticalScrollBar();
    connect(barra, &QScrollBar::actionTriggered, this,
            [this, barra] { seguirAlFinal_ = barra->sliderPosition() >= barra->maximum(); });
    connect(barra, &QScrollBar::rangeChanged, this, [this] {
        if (seguirAlFinal_) IrAlFinal();
    });
}

void TPanelConsola::IrAlFinal() { verticalScrollBar()->setValue(verticalScrollBar()->maximum()); }

// The box's last block is always the line being written: it is replaced by
// the lines finished since (each with its line end) and the new current line.
void TPanelConsola::Mostrar() {
    const QStringList terminadas = terminal_.TomarLineasTerminadas();
    const QTextBlock ultimo = document()->lastBlock();
    if (terminadas.isEmpty() && ultimo.text() == terminal_.LineaActual()) return;
    QString nuevo;
    for (const QString& linea : terminadas) nuevo += linea + QLatin1Char('\n');
    nuevo += terminal_.LineaActual();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(nuevo);
    if (seguirAlFinal_) IrAlFinal();
}
