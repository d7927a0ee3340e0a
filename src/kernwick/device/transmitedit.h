#pragma once

#include <QPlainTextEdit>

#include <cstdint>
#include <optional>

class QKeyEvent;

namespace Kernwick {

/// The 8-bit character a key press types in the terminal: CR for Enter, 0x08 for
/// Backspace, 0x09 for Tab, 0x1B for Escape, the control character of Ctrl with a
/// letter or "@[\]^_" (Ctrl+A 0x01) and the printed character of any other key; none for keys that
/// type nothing (arrows, Delete) or type a character beyond 8 bits.
std::optional<std::uint8_t> typedCharacter(const QKeyEvent &event);

/// The terminal's transmit box. While it has the focus it takes every key, Enter,
/// Tab and Escape included. Each character typed is announced (characterTyped())
/// before the box handles the key as usual, so the text typed is shown: Enter
/// starts a new line, Backspace deletes the character before the caret. An Escape
/// shows as "<ESC>".
class TransmitEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit TransmitEdit(QWidget *parent = nullptr);

    /// Shows `text` at the caret, as the bytes of a sent file are shown.
    void insertShown(const QString &text);

signals:
    void characterTyped(std::uint8_t character);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace Kernwick
