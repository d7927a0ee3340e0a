#include "editor/newfontdialog.h"

#include "widgets/messages.h"
#include "widgets/spinfield.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace Kernwick {

namespace {

SpinField *spin(int minimum, int maximum, int value, QWidget *parent)
{
    auto *field = new SpinField(parent);
    field->setRange(minimum, maximum);
    field->setValue(value);
    return field;
}

} // namespace

NewFontDialog::NewFontDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("New Font Properties"));
    const NewFontInput defaults;
    m_name = new QLineEdit(defaults.name, this);
    m_name->setMaxLength(MaxFontNameLength);
    m_oneBpp = new QRadioButton(QStringLiteral("1 BPP"), this);
    m_twoBpp = new QRadioButton(QStringLiteral("2 BPP"), this);
    m_oneBpp->setChecked(true);
    m_height = spin(1, 255, 14, this);
    m_width = spin(1, 255, 8, this);
    m_chars = spin(1, 65535, 95, this);
    m_first = spin(1, 65535, 32, this);
    m_ascent = spin(1, 255, 10, this);

    auto *depth = new QGroupBox(QStringLiteral("Pixel Depth"), this);
    auto *depthLayout = new QVBoxLayout(depth);
    depthLayout->addWidget(m_oneBpp);
    depthLayout->addWidget(m_twoBpp);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Font Name"), m_name);
    form->addRow(depth);
    form->addRow(QStringLiteral("Height"), m_height);
    form->addRow(QStringLiteral("Width"), m_width);
    form->addRow(QStringLiteral("Characters in Font"), m_chars);
    form->addRow(QStringLiteral("First Encoding"), m_first);
    form->addRow(QStringLiteral("Ascent"), m_ascent);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &NewFontDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &NewFontDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

NewFontInput NewFontDialog::input() const
{
    NewFontInput input;
    input.name = m_name->text();
    input.depth = m_twoBpp->isChecked() ? 1 : 0;
    input.height = m_height->text();
    input.width = m_width->text();
    input.chars = m_chars->text();
    input.first = m_first->text();
    input.ascent = m_ascent->text();
    return input;
}

QWidget *NewFontDialog::fieldWidget(NewFontField field) const
{
    switch (field) {
    case NewFontField::Name:
        return m_name;
    case NewFontField::Depth:
        return m_oneBpp;
    case NewFontField::Height:
        return m_height;
    case NewFontField::Width:
        return m_width;
    case NewFontField::Chars:
        return m_chars;
    case NewFontField::First:
        return m_first;
    case NewFontField::Ascent:
        return m_ascent;
    }
    return m_name;
}

void NewFontDialog::accept()
{
    QString message;
    NewFontField field = NewFontField::Name;
    if (!checkNewFontInput(input(), &m_spec, &message, &field)) {
        emit refused(message);
        showWarning(this, message);
        fieldWidget(field)->setFocus();
        return;
    }
    QDialog::accept();
}

} // namespace Kernwick
