#include "config/setupeditor.h"

#include "device/downloaddialog.h"
#include "widgets/messages.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>

namespace Kernwick {

namespace {

struct PartField
{
    SetupPart part;
    const char *label;
    const char *filter;
    const char *suffix;
};

// In the order the dialog shows them, from the top.
constexpr std::array<PartField, 3> Fields{{
    {SetupPart::Configuration, "Configuration File",
     "ZUVO Configuration Files (*.zvc);;All Files (*)", "zvc"},
    {SetupPart::BootScript, "Bootscript File", "ZUVO Bootscript Files (*.zvb);;All Files (*)",
     "zvb"},
    {SetupPart::Font, "Font File", "ZUVO Font Files (*.zvf);;All Files (*)", "zvf"},
}};

const PartField &fieldOf(SetupPart part)
{
    for (const PartField &field : Fields) {
        if (field.part == part)
            return field;
    }
    return Fields[0];
}

std::size_t rowOf(SetupPart part)
{
    return std::size_t(&fieldOf(part) - Fields.data());
}

} // namespace

SetupEditor::SetupEditor(QWidget *parent)
    : QDialog(parent), m_load(new QPushButton(QStringLiteral("Load File"), this)),
      m_save(new QPushButton(QStringLiteral("Save File"), this)),
      m_download(new QPushButton(QStringLiteral("Download"), this)),
      m_exit(new QPushButton(QStringLiteral("Exit"), this))
{
    setWindowTitle(QStringLiteral("Setup Editor"));

    auto *paths = new QGridLayout;
    paths->setColumnStretch(0, 1);
    for (std::size_t row = 0; row < Fields.size(); ++row) {
        const PartField &part = Fields[row];
        auto *label = new QLabel(QString::fromLatin1(part.label), this);
        // Only Select and Load File choose a path: a typed one would be shown but
        // never used.
        auto *field = new QLineEdit(this);
        field->setReadOnly(true);
        QPalette shaded = field->palette();
        shaded.setColor(QPalette::Base, shaded.color(QPalette::Window));
        field->setPalette(shaded);
        field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 60);
        label->setBuddy(field);
        auto *select = new QPushButton(QStringLiteral("Select"), this);
        connect(select, &QPushButton::clicked, this, [this, part] { this->select(part.part); });
        paths->addWidget(label, int(row) * 2, 0, 1, 2);
        paths->addWidget(field, int(row) * 2 + 1, 0);
        paths->addWidget(select, int(row) * 2 + 1, 1);
        m_fields[row] = field;
        m_selects[row] = select;
    }

    m_exit->setDefault(true);
    connect(m_load, &QPushButton::clicked, this, &SetupEditor::loadFile);
    connect(m_save, &QPushButton::clicked, this, &SetupEditor::saveFile);
    connect(m_download, &QPushButton::clicked, this, [this] { emit downloadRequested(m_bundle); });
    connect(m_exit, &QPushButton::clicked, this, &SetupEditor::accept);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    buttons->addStretch();
    for (QPushButton *button : {m_load, m_save, m_download, m_exit}) {
        button->setMinimumWidth(90);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(paths);
    layout->addSpacing(12);
    layout->addLayout(buttons);
}

QLineEdit *SetupEditor::pathField(SetupPart part) const
{
    return m_fields[rowOf(part)];
}

QPushButton *SetupEditor::selectButton(SetupPart part) const
{
    return m_selects[rowOf(part)];
}

QString &SetupEditor::path(SetupPart part)
{
    switch (part) {
    case SetupPart::Font:
        return m_bundle.fontPath;
    case SetupPart::Configuration:
        return m_bundle.configPath;
    case SetupPart::BootScript:
        break;
    }
    return m_bundle.bootScriptPath;
}

void SetupEditor::showPath(SetupPart part)
{
    QLineEdit *field = pathField(part);
    field->setText(path(part));
    field->setToolTip(path(part));
}

void SetupEditor::select(SetupPart part)
{
    const PartField &field = fieldOf(part);
    FileRequest request =
        FileRequest::open(QString::fromLatin1(field.label), QString::fromLatin1(field.filter));
    request.defaultSuffix = QString::fromLatin1(field.suffix);
    request.suggestion = path(part);
    const QString chosen = chooseFile(this, request);
    if (!chosen.isEmpty())
        path(part) = chosen;
    showPath(part);
}

void SetupEditor::fileError(const QString &error)
{
    // The system's text as the box's title, with nothing below it.
    showMessage(this, {error, QString(), MessageIcon::Warning});
}

void SetupEditor::loadFile()
{
    FileRequest request = FileRequest::open(
        QStringLiteral("Load File"), QStringLiteral("ZUVO Setup Files (*.zvs);;All Files (*)"));
    request.defaultSuffix = QStringLiteral("zvs");
    const QString chosen = chooseFile(this, request);
    if (chosen.isEmpty())
        return;
    SetupBundle loaded;
    QString error;
    if (!loadSetupFile(chosen, &loaded, &error)) {
        fileError(error);
        return;
    }
    m_bundle = loaded;
    for (const PartField &field : Fields)
        showPath(field.part);
}

void SetupEditor::saveFile()
{
    const QString chosen = chooseFile(
        this, FileRequest::save(QStringLiteral("Save File"),
                                QStringLiteral("ZUVO Setup Files (*.zvs)"), QStringLiteral("zvs")));
    if (chosen.isEmpty())
        return;
    QString error;
    if (!saveSetupFile(chosen, m_bundle, &error))
        fileError(error);
}

void SetupEditor::setDownloadAvailable(bool available)
{
    m_download->setEnabled(available);
}

void SetupEditor::done(int result)
{
    if (parentWidget())
        handOverProgressDialogs(this, parentWidget());
    QDialog::done(result);
}

} // namespace Kernwick
