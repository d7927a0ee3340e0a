#pragma once

#include "libkernwick/font/font.h"

#include <QDialog>

#include <optional>

class QLineEdit;

namespace Kernwick {

/// The code of a glyph of `font` that `text` names (see characterCodeFrom()); when
/// it names none, a warning on `parent` says why ("... is neither a character nor a
/// character code", "The font has no character with the code ...") and the result
/// is empty.
std::optional<int> fontCodeFrom(const Font &font, const QString &text, QWidget *parent);

/// "Go to Character": one field taking a character ("É"), a decimal code ("201")
/// or a hexadecimal one ("0xC9", "U+00C9"). OK is accepted only for a code the
/// font holds; otherwise a warning says why and the dialog stays open.
class GoToCharacterDialog : public QDialog
{
    Q_OBJECT

public:
    explicit GoToCharacterDialog(const Font &font, QWidget *parent = nullptr);

    QLineEdit *characterEdit() const { return m_character; }
    /// The code chosen; valid once the dialog was accepted.
    int code() const { return m_code; }

    void accept() override;

private:
    const Font &m_font;
    QLineEdit *m_character;
    int m_code = -1;
};

} // namespace Kernwick
