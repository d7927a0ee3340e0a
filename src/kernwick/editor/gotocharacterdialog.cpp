#include "editor/gotocharacterdialog.h"

#include "widgets/messages.h"
#include "widgets/titlewidth.h"

#include "libkernwick/font/charactercode.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace Kernwick {

std::optional<int> fontCodeFrom(const Font &font, const QString &text, QWidget *parent)
{
    const std::optional<int> code = characterCodeFrom(text);
    if (!code) {
        showWarning(parent, QStringLiteral("\"%1\" is neither a character nor a character code.")
                                .arg(text.trimmed()));
        return std::nullopt;
    }
    if (font.chars() == 0 || *code < int(font.header.first) || *code > font.lastCode()) {
        showWarning(parent, missingCharacterMessage(*code));
        return std::nullopt;
    }
    return code;
}

GoToCharacterDialog::GoToCharacterDialog(const Font &font, QWidget *parent)
    : QDialog(parent), m_font(font), m_character(new QLineEdit(this))
{
    setWindowTitle(QStringLiteral("Go to Character"));
    fitTitle(this);
    auto *label =
        new QLabel(QStringLiteral("&Character or code (\u00C9, 201, 0xC9 or U+00C9):"), this);
    label->setBuddy(m_character);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &GoToCharacterDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &GoToCharacterDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_character);
    layout->addWidget(buttons);
}

void GoToCharacterDialog::accept()
{
    const std::optional<int> code = fontCodeFrom(m_font, m_character->text(), this);
    if (!code)
        return;
    m_code = *code;
    QDialog::accept();
}

} // namespace Kernwick
