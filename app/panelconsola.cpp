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
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setMaximumBlockCount(kLineasGuardadas);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

// The box's last block is always the line being written: it is replaced by
// the lines finished since (each with its line end) and the new current line.
void TPanelConsola::Mostrar() {
    const QStringList terminadas = terminal_.TomarLineasTerminadas();
    const QTextBlock ultimo = document()->lastBlock();
    if (terminadas.isEmpty() && ultimo.text() == terminal_.LineaActual()) return;
    QScrollBar* barra = verticalScrollBar();
    const bool alFinal = barra->value() == barra->maximum();
    QString nuevo;
    for (const QString& linea : terminadas) nuevo += linea + QLatin1Char('\n');
    nuevo += terminal_.LineaActual();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(nuevo);
    // The pane follows the console unless the user scrolled back to read.
    if (alFinal) barra->setValue(barra->maximum());
}
