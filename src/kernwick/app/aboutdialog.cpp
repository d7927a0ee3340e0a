#include "app/aboutdialog.h"

#include "widgets/toolbaricons.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace Kernwick {

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Zuvo Kernwick"));
    auto *icon = new QLabel(this);
    icon->setPixmap(ToolbarIcons::application().pixmap(32, 32));
    auto *text = new QLabel(QString::fromLatin1(VersionLine), this);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &AboutDialog::accept);
    auto *row = new QHBoxLayout;
    row->addWidget(icon);
    row->addSpacing(12);
    row->addWidget(text, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

} // namespace Kernwick
