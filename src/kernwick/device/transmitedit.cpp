#include "device/transmitedit.h"

#include "libkernwick/device/boardprotocol.h"

#include <QKeyEvent>

namespace Kernwick {

std::optional<std::uint8_t> typedCharacter(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return ControlByte::Cr;
    case Qt::Key_Backspace:
        return 0x08;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 0x09;
    case Qt::Key_Escape:
        return ControlByte::Esc;
    case Qt::Key_Delete:
        return std::nullopt;
    default:
        break;
    }
    // Ctrl with "@" to "_" (Ctrl+A is 0x01, Ctrl+[ is ESC), whatever text the
    // platform gives the key.
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::ControlModifier && event.key() >= Qt::Key_At &&
        event.key() <= Qt::Key_Underscore)
        return std::uint8_t(event.key() - Qt::Key_At);
    const QString text = event.text();
    if (text.size() != 1 || text[0].unicode() > 0xFF || text[0].unicode() == 0x7F)
        return std::nullopt;
    return std::uint8_t(text[0].unicode());
}

TransmitEdit::TransmitEdit(QWidget *parent) : QPlainTextEdit(parent)
{
    setTabChangesFocus(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void TransmitEdit::insertShown(const QString &text)
{
    QTextCursor cursor = textCursor();
    cursor.insertText(text);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void TransmitEdit::keyPressEvent(QKeyEvent *event)
{
    const std::optional<std::uint8_t> typed = typedCharacter(*event);
    if (!typed && !event->text().isEmpty() && event->text().front().isPrint()) {
        // A character the line cannot carry is neither sent nor shown.
        event->accept();
        return;
    }
    if (typed)
        emit characterTyped(*typed);
    switch (event->key()) {
    case Qt::Key_Escape:
        insertShown(QStringLiteral("<ESC>"));
        event->accept();
        break;
    case Qt::Key_Backtab:
        insertShown(QStringLiteral("\t"));
        event->accept();
        break;
    default:
        QPlainTextEdit::keyPressEvent(event);
        // The box keeps every key, even one it has no use for.
        event->accept();
        break;
    }
}

} // namespace Kernwick
