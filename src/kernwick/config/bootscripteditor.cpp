#include "config/bootscripteditor.h"

#include "config/scriptedit.h"
#include "device/downloaddialog.h"
#include "widgets/messages.h"

#include "libkernwick/config/bootscriptfile.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace Kernwick {

namespace {

struct Insert
{
    const char *button;
    const char *bytes;
    const char *explanation;
};

constexpr std::array<Insert, BootscriptEditor::InsertCount> Inserts{{
    {"Insert <CSI>", "\x1b[", "Insert Command Sequence Initiator at current cursor position"},
    {"Insert <CR/LF>", "\r\n", "Insert Carriage Return/Line Feed at current cursor position"},
    {"String Start", "\x1bQ", "Insert Start Embedded String command at current cursor position"},
    {"String End", "\x1bR", "Insert End Embedded String command at current cursor position"},
}};

} // namespace

BootscriptEditor::BootscriptEditor(QWidget *parent)
    : QDialog(parent), m_field(new ScriptEdit(this)),
      m_load(new QPushButton(QStringLiteral("Load File"), this)),
      m_save(new QPushButton(QStringLiteral("Save File"), this)),
      m_download(new QPushButton(QStringLiteral("Download"), this)),
      m_exit(new QPushButton(QStringLiteral("Exit"), this))
{
    setWindowTitle(QStringLiteral("Bootscript Editor"));
    m_field->setMinimumSize(m_field->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 60,
                            m_field->fontMetrics().lineSpacing() * 12);

    auto *inserts = new QGridLayout;
    inserts->setColumnStretch(1, 1);
    for (int i = 0; i < InsertCount; ++i) {
        const Insert &insert = Inserts[std::size_t(i)];
        auto *button = new QPushButton(QString::fromLatin1(insert.button), this);
        auto *explanation = new QLabel(QString::fromLatin1(insert.explanation), this);
        explanation->setBuddy(button);
        const QByteArray bytes(insert.bytes);
        connect(button, &QPushButton::clicked, this, [this, bytes] {
            m_field->insertBytes(bytes);
            m_field->setFocus();
        });
        inserts->addWidget(button, i, 0);
        inserts->addWidget(explanation, i, 1);
        m_inserts[std::size_t(i)] = button;
        m_explanations[std::size_t(i)] = explanation;
    }

    m_exit->setDefault(true);
    connect(m_load, &QPushButton::clicked, this, &BootscriptEditor::loadFile);
    connect(m_save, &QPushButton::clicked, this, &BootscriptEditor::saveFile);
    connect(m_download, &QPushButton::clicked, this,
            [this] { emit downloadRequested(m_field->script()); });
    connect(m_exit, &QPushButton::clicked, this, &BootscriptEditor::accept);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    buttons->addStretch();
    for (QPushButton *button : {m_load, m_save, m_download, m_exit}) {
        button->setMinimumWidth(90);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_field, 1);
    layout->addLayout(inserts);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    m_field->setFocus();
}

void BootscriptEditor::fileError(const QString &error)
{
    // The system's text as the box's title, with nothing below it.
    showMessage(this, {error, QString(), MessageIcon::Warning});
}

void BootscriptEditor::loadFile()
{
    FileRequest request =
        FileRequest::open(QStringLiteral("Load File"),
                          QStringLiteral("ZUVO Bootscript Files (*.zvb);;All Files (*)"));
    request.defaultSuffix = QStringLiteral("zvb");
    const QString path = chooseFile(this, request);
    if (path.isEmpty())
        return;
    QByteArray script;
    QString error;
    if (!loadBootScriptFile(path, &script, &error)) {
        fileError(error);
        return;
    }
    m_field->setScript(script);
}

void BootscriptEditor::saveFile()
{
    const QString path =
        chooseFile(this, FileRequest::save(QStringLiteral("Save File"),
                                           QStringLiteral("ZUVO Bootscript Files (*.zvb)"),
                                           QStringLiteral("zvb")));
    if (path.isEmpty())
        return;
    QString error;
    if (!saveBootScriptFile(path, m_field->script(), &error))
        fileError(error);
}

void BootscriptEditor::setDownloadAvailable(bool available)
{
    m_download->setEnabled(available);
}

void BootscriptEditor::done(int result)
{
    if (parentWidget())
        handOverProgressDialogs(this, parentWidget());
    QDialog::done(result);
}

} // namespace Kernwick
