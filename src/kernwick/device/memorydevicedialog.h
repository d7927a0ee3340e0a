#pragma once

#include <QDialog>

class QButtonGroup;
class QRadioButton;

namespace Kernwick {

/// "Select Memory Device": which of the board's memory devices 0 to 4 a font goes
/// to. Opens with device 4, the board's internal memory.
class MemoryDeviceDialog : public QDialog
{
    Q_OBJECT

public:
    explicit MemoryDeviceDialog(QWidget *parent = nullptr);

    /// The device checked now.
    int device() const;
    /// The radio button of device `n` (0 to 4).
    QRadioButton *deviceButton(int n) const;

private:
    QButtonGroup *m_devices;
};

} // namespace Kernwick
