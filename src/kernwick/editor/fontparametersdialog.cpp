#include "editor/fontparametersdialog.h"

#include "widgets/titlewidth.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace Kernwick {

FontParametersDialog::FontParametersDialog(const Font &font, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Font Parameters"));
    fitTitle(this);
    const QStringList texts{
        QStringLiteral("Name : %1").arg(QString::fromLatin1(font.nameText())),
        QStringLiteral("Skip : %1").arg(font.header.skip),
        QStringLiteral("Pixwidth : %1").arg(font.header.pixwidth),
        QStringLiteral("Chars : %1").arg(font.chars()),
        QStringLiteral("First : %1").arg(font.header.first),
        QStringLiteral("Height : %1").arg(font.header.height),
        QStringLiteral("Ascent : %1").arg(font.header.ascent),
        QStringLiteral("Ldepth : %1").arg(font.header.ldepth),
    };
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(30);
    for (int i = 0; i < texts.size(); ++i) {
        auto *label = new QLabel(texts[i], this);
        m_labels.append(label);
        grid->addWidget(label, i % 4, i / 4);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &FontParametersDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

QStringList FontParametersDialog::texts() const
{
    QStringList texts;
    for (const QLabel *label : m_labels)
        texts << label->text();
    return texts;
}

} // namespace Kernwick
