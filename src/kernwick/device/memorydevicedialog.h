#pragma once

#include <QDialog>

class QButtonGroup;
class QRadioButton;

namespace Kernwick {

/// "Select Memory Device": which of the board's memory devices 0 to 4 a font goes
/// to. Opens with device 4, the board's internal memory.
///
/// Given the name of the font open in the window, it also asks which font to send:
/// "A font file" (chosen next, as always) or that font as a save would write it,
/// saved or not, so an edit can be tried on the board first.
class MemoryDeviceDialog : public QDialog
{
    Q_OBJECT

public:
    explicit MemoryDeviceDialog(QWidget *parent = nullptr, const QString &openFont = QString());

    /// The device checked now.
    int device() const;
    /// The radio button of device `n` (0 to 4).
    QRadioButton *deviceButton(int n) const;

    /// Whether the font in the window is to be sent (rather than a file).
    bool sendsOpenFont() const;
    /// "A font file" and "The font in the window", when offered.
    QRadioButton *fileButton() const { return m_file; }
    QRadioButton *openFontButton() const { return m_openFont; }

private:
    QButtonGroup *m_devices;
    QRadioButton *m_file = nullptr;
    QRadioButton *m_openFont = nullptr;
};

} // namespace Kernwick
