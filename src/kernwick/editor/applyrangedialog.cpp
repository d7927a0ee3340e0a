#include "editor/applyrangedialog.h"

#include "editor/gotocharacterdialog.h"
#include "widgets/busycursor.h"
#include "widgets/messages.h"
#include "widgets/titlewidth.h"

#include "libkernwick/font/document.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace Kernwick {

namespace {

QString codeText(int code)
{
    return QStringLiteral("U+%1").arg(
        QString::number(code, 16).toUpper().rightJustified(4, QLatin1Char('0')));
}

} // namespace

ApplyRangeDialog::ApplyRangeDialog(Document &document, const ViewState &view, QWidget *parent)
    : QDialog(parent), m_document(document), m_view(view), m_command(new QComboBox(this)),
      m_from(new QLineEdit(this)), m_to(new QLineEdit(this))
{
    setWindowTitle(QStringLiteral("Apply to Range"));
    fitTitle(this);
    for (const EditCommand &command : editCommands()) {
        if (!command.runOnGlyph)
            continue;
        m_operations.push_back(command.operation);
        m_command->addItem(QString::fromLatin1(command.undoText));
    }

    const Font &font = document.font();
    const int current = currentGlyphIndex(font, view);
    if (font.chars() > 0) {
        m_from->setText(codeText(current >= 0 ? view.currentCode : int(font.header.first)));
        m_to->setText(codeText(font.lastCode()));
    }

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Command:"), m_command);
    form->addRow(QStringLiteral("&From:"), m_from);
    form->addRow(QStringLiteral("&To:"), m_to);
    auto *hint =
        new QLabel(QStringLiteral("A character or a code: \u00C9, 201, 0xC9 or U+00C9."), this);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ApplyRangeDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ApplyRangeDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addWidget(buttons);
}

void ApplyRangeDialog::accept()
{
    const Font &font = m_document.font();
    const std::optional<int> from = fontCodeFrom(font, m_from->text(), this);
    if (!from)
        return;
    const std::optional<int> to = fontCodeFrom(font, m_to->text(), this);
    if (!to)
        return;
    const int chosen = m_command->currentIndex();
    if (chosen < 0)
        return;
    EditResult result;
    {
        const BusyCursor busy(m_document.isLarge());
        result = m_document.applyToRange(m_operations[std::size_t(chosen)], *from, *to, m_view);
    }
    if (result.refused()) {
        showWarning(this, QString::fromLatin1(refusalMessage(result.refusal)));
        return;
    }
    QDialog::accept();
}

} // namespace Kernwick
