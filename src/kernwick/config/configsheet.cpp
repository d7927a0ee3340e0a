#include "config/configsheet.h"

#include "config/configpagewidget.h"
#include "widgets/messages.h"

#include "libkernwick/config/configfile.h"
#include "libkernwick/config/configparameters.h"
#include "libkernwick/device/configdownload.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace Kernwick {

ConfigSheet::ConfigSheet(const DeviceConfig &config, QWidget *parent, qint32 lineBaudRate)
    : QDialog(parent), m_config(config), m_tabs(new QTabWidget(this)), m_lineBaudRate(lineBaudRate)
{
    setWindowTitle(QStringLiteral("ZUVO Configuration Editor"));
    for (int i = 0; i < ConfigPageCount; ++i) {
        const auto page = ConfigPage(i);
        m_pages[std::size_t(i)] = new ConfigPageWidget(page, m_tabs);
        m_pages[std::size_t(i)]->display(m_config);
        m_tabs->addTab(m_pages[std::size_t(i)], QString::fromLatin1(configPageTitle(page)));
    }
    m_tabs->setCurrentIndex(0);
    connect(m_tabs, &QTabWidget::currentChanged, this, &ConfigSheet::pageChanged);

    m_load = new QPushButton(QStringLiteral("Load File"), this);
    m_save = new QPushButton(QStringLiteral("Save File"), this);
    m_download = new QPushButton(QStringLiteral("Download"), this);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_download->setDefault(true);
    connect(m_load, &QPushButton::clicked, this, &ConfigSheet::loadFile);
    connect(m_save, &QPushButton::clicked, this, &ConfigSheet::saveFile);
    connect(m_download, &QPushButton::clicked, this, &ConfigSheet::accept);
    connect(m_cancel, &QPushButton::clicked, this, &ConfigSheet::reject);

    // One row of four equal buttons, 12 pixels apart, centred under the pages.
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    buttons->addStretch();
    for (QPushButton *button : {m_load, m_save, m_download, m_cancel}) {
        button->setMinimumWidth(90);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    // The note follows every edit, so the user sees it before pressing Download.
    m_lineNote = new QLabel(this);
    m_lineNote->setWordWrap(true);
    m_lineNote->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (ConfigPageWidget *page : m_pages) {
        for (QLineEdit *field : page->findChildren<QLineEdit *>())
            connect(field, &QLineEdit::textChanged, this, &ConfigSheet::refreshLineNote);
        // Clicked, not toggled: the Comm page takes a click into its settings first.
        for (QAbstractButton *button : page->findChildren<QAbstractButton *>())
            connect(button, &QAbstractButton::clicked, this, &ConfigSheet::refreshLineNote);
        for (QButtonGroup *group : page->findChildren<QButtonGroup *>())
            connect(group, &QButtonGroup::idClicked, this, &ConfigSheet::refreshLineNote);
    }
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_lineNote);
    layout->addLayout(buttons);
    refreshLineNote();
}

void ConfigSheet::refreshLineNote()
{
    // The values as they would go: the shown page read as it stands (a field that
    // is not a number yet keeps its last value).
    QStringList changes =
        lineChanges(m_pages[std::size_t(m_shown)]->peek(m_config), m_lineBaudRate);
    if (!changes.isEmpty())
        changes.append(QStringLiteral("The next command must use the new settings"));
    m_lineNote->setText(changes.join(QLatin1Char('\n')));
    m_lineNote->setVisible(!changes.isEmpty());
}

bool ConfigSheet::collectShownPage()
{
    QString problem;
    if (m_pages[std::size_t(m_shown)]->collect(&m_config, &problem))
        return true;
    showWarning(this, problem);
    return false;
}

void ConfigSheet::pageChanged(int index)
{
    if (m_returning)
        return;
    // The page being left gives its values back; a refused field keeps it shown.
    if (!collectShownPage()) {
        m_returning = true;
        m_tabs->setCurrentIndex(m_shown);
        m_returning = false;
        return;
    }
    m_shown = index;
    m_pages[std::size_t(index)]->display(m_config);
    refreshLineNote();
}

void ConfigSheet::fileError(const QString &error)
{
    // The system's text as the box's title, with nothing below it.
    showMessage(this, {error, QString(), MessageIcon::Warning});
}

void ConfigSheet::loadFile()
{
    FileRequest request =
        FileRequest::open(QStringLiteral("Load File"),
                          QStringLiteral("ZUVO Configuration Files (*.zvc);;All Files (*)"));
    request.defaultSuffix = QStringLiteral("zvc");
    const QString path = chooseFile(this, request);
    if (path.isEmpty())
        return;
    DeviceConfig loaded;
    QString error;
    if (!loadConfigFile(path, &loaded, &error)) {
        fileError(error);
        return;
    }
    m_config = loaded;
    for (ConfigPageWidget *page : m_pages)
        page->display(m_config);
    refreshLineNote();
}

void ConfigSheet::saveFile()
{
    if (!collectShownPage())
        return;
    const QString path =
        chooseFile(this, FileRequest::save(QStringLiteral("Save File"),
                                           QStringLiteral("ZUVO Configuration Files (*.zvc)"),
                                           QStringLiteral("zvc")));
    if (path.isEmpty())
        return;
    QString error;
    if (!saveConfigFile(path, m_config, &error))
        fileError(error);
}

void ConfigSheet::accept()
{
    if (collectShownPage())
        QDialog::accept();
}

} // namespace Kernwick
