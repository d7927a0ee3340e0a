#include "editor/fontnamedialog.h"

#include "widgets/messages.h"
#include "widgets/titlewidth.h"

#include "libkernwick/font/font.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace Kernwick {

FontNameDialog::FontNameDialog(const QString &name, QWidget *parent)
    : QDialog(parent), m_name(new QLineEdit(name, this))
{
    setWindowTitle(QStringLiteral("Edit Font Name"));
    fitTitle(this);
    m_name->setMaxLength(MaxFontNameLength);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &FontNameDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FontNameDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_name);
    layout->addWidget(buttons);
}

QString FontNameDialog::name() const
{
    return m_name->text();
}

void FontNameDialog::accept()
{
    const QString problem = fontNameProblem(name());
    if (!problem.isEmpty()) {
        showWarning(this, problem);
        return;
    }
    QDialog::accept();
}

} // namespace Kernwick
