#include "config/configsheet.h"

#include "config/configpagewidget.h"
#include "widgets/messages.h"

#include "libkernwick/config/configfile.h"
#include "libkernwick/config/configparameters.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace Kernwick {

ConfigSheet::ConfigSheet(const DeviceConfig &config, QWidget *parent)
    : QDialog(parent), m_config(config), m_tabs(new QTabWidget(this))
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
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);
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
