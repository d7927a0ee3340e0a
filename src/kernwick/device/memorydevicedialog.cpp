#include "device/memorydevicedialog.h"

#include "libkernwick/device/fontdownload.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace Kernwick {

MemoryDeviceDialog::MemoryDeviceDialog(QWidget *parent, const QString &openFont)
    : QDialog(parent), m_devices(new QButtonGroup(this))
{
    setWindowTitle(QStringLiteral("Select Memory Device"));
    auto *layout = new QVBoxLayout(this);
    for (int n = 0; n <= MaxMemoryDevice; ++n) {
        auto *button = new QRadioButton(QStringLiteral("Device %1").arg(n), this);
        m_devices->addButton(button, n);
        layout->addWidget(button);
    }
    deviceButton(DefaultMemoryDevice)->setChecked(true);

    auto *note = new QLabel(QStringLiteral("Select Device 4 for default internal memory"), this);
    layout->addSpacing(note->fontMetrics().height() / 2);
    layout->addWidget(note);

    if (!openFont.isEmpty()) {
        auto *source = new QGroupBox(QStringLiteral("Font to send"), this);
        auto *sourceLayout = new QVBoxLayout(source);
        m_file = new QRadioButton(QStringLiteral("A font &file, chosen next"), source);
        m_openFont =
            new QRadioButton(QStringLiteral("The font in the &window: %1").arg(openFont), source);
        m_file->setChecked(true);
        sourceLayout->addWidget(m_file);
        sourceLayout->addWidget(m_openFont);
        layout->addSpacing(note->fontMetrics().height() / 2);
        layout->addWidget(source);
    }

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &MemoryDeviceDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &MemoryDeviceDialog::reject);
    layout->addWidget(buttons);
}

int MemoryDeviceDialog::device() const
{
    return m_devices->checkedId();
}

bool MemoryDeviceDialog::sendsOpenFont() const
{
    return m_openFont && m_openFont->isChecked();
}

QRadioButton *MemoryDeviceDialog::deviceButton(int n) const
{
    return qobject_cast<QRadioButton *>(m_devices->button(n));
}

} // namespace Kernwick
