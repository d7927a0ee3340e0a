#pragma once

#include "libkernwick/font/font.h"

#include <QDialog>

class QLineEdit;

namespace Kernwick {

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
