#include "editor/importfontdialog.h"

#include "widgets/messages.h"
#include "widgets/spinfield.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace Kernwick {

ImportFontDialog::ImportFontDialog(const ImportFontChoice &initial, QWidget *parent)
    : QDialog(parent), m_choice(initial)
{
    setWindowTitle(QStringLiteral("Import Font"));
    m_count = new QLabel(QString::number(initial.characterCount), this);
    m_firstEncoding = new QLabel(QString::number(initial.firstEncoding), this);
    m_oneBpp = new QRadioButton(QStringLiteral("1 BPP"), this);
    m_twoBpp = new QRadioButton(QStringLiteral("2 BPP"), this);
    m_oneBpp->setChecked(true);
    m_firstToImport = new SpinField(this);
    m_firstToImport->setRange(initial.firstEncoding, MaxCharacterCode);
    m_firstToImport->setValue(initial.firstToImport);
    m_countToImport = new SpinField(this);
    m_countToImport->setRange(1, initial.characterCount);
    m_countToImport->setValue(initial.countToImport);
    m_name = new QLineEdit(initial.name, this);
    m_name->setMaxLength(MaxFontNameLength);
    m_retainGaps = new QCheckBox(
        QStringLiteral("Retain encoding by filling gaps with zero width characters"), this);
    m_retainGaps->setChecked(initial.retainGaps);
    m_asDrawn = new QCheckBox(QStringLiteral("Keep glyphs as drawn"), this);
    m_asDrawn->setToolTip(QStringLiteral(
        "Each glyph as wide as the file says, its pixels where the file draws them. Unticked, "
        "every glyph takes the font's bounding box and moves one column right."));
    m_asDrawn->setChecked(initial.asDrawn);

    auto *contains = new QHBoxLayout;
    contains->addWidget(new QLabel(QStringLiteral("This font contains"), this));
    contains->addWidget(m_count);
    contains->addWidget(new QLabel(QStringLiteral("characters"), this));
    contains->addStretch();
    auto *begins = new QHBoxLayout;
    begins->addWidget(new QLabel(QStringLiteral("Encoding begins at"), this));
    begins->addWidget(m_firstEncoding);
    begins->addStretch();

    auto *depth = new QGroupBox(QStringLiteral("Pixel Depth"), this);
    auto *depthLayout = new QVBoxLayout(depth);
    depthLayout->addWidget(m_oneBpp);
    depthLayout->addWidget(m_twoBpp);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Encoding of first character to import"), m_firstToImport);
    form->addRow(QStringLiteral("Number of characters to import"), m_countToImport);
    form->addRow(QStringLiteral("Font Name"), m_name);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ImportFontDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ImportFontDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(contains);
    layout->addLayout(begins);
    layout->addWidget(depth);
    layout->addLayout(form);
    layout->addWidget(m_retainGaps);
    layout->addWidget(m_asDrawn);
    layout->addWidget(buttons);
}

void ImportFontDialog::accept()
{
    ImportFontChoice choice = m_choice;
    bool firstOk = false;
    bool countOk = false;
    choice.firstToImport = m_firstToImport->text().trimmed().toInt(&firstOk);
    choice.countToImport = m_countToImport->text().trimmed().toInt(&countOk);
    if (!firstOk || !countOk) {
        showWarning(this, QStringLiteral("Please enter an integer."));
        (firstOk ? m_countToImport : m_firstToImport)->setFocus();
        return;
    }
    choice.depth = m_twoBpp->isChecked() ? 1 : 0;
    choice.name = m_name->text();
    choice.retainGaps = m_retainGaps->isChecked();
    choice.asDrawn = m_asDrawn->isChecked();
    const QString problem = importFontChoiceProblem(choice);
    if (!problem.isEmpty()) {
        showWarning(this, problem);
        return;
    }
    m_choice = choice;
    QDialog::accept();
}

} // namespace Kernwick
