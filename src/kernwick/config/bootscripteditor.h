#pragma once

#include <QByteArray>
#include <QDialog>

#include <array>

class QLabel;
class QPushButton;

namespace Kernwick {

class ScriptEdit;

/// "Bootscript Editor": a boot script in its field (see ScriptEdit), four buttons
/// that insert the board's control sequences, each with its explanation beside it,
/// and "Load File", "Save File", "Download" and "Exit", the default button, so that
/// Enter in the field closes the dialog. The script lives only in the field: each
/// opening starts empty, and closing discards it.
///
/// Download does not send by itself: it asks for the field's bytes to be sent
/// (downloadRequested()), and the dialog stays open while they go. A download's
/// progress dialog shown in front of the editor stays on screen when it closes.
class BootscriptEditor : public QDialog
{
    Q_OBJECT

public:
    static constexpr int InsertCount = 4;

    explicit BootscriptEditor(QWidget *parent = nullptr);

    ScriptEdit *field() const { return m_field; }
    /// "Insert <CSI>", "Insert <CR/LF>", "String Start", "String End".
    QPushButton *insertButton(int index) const { return m_inserts[std::size_t(index)]; }
    QLabel *explanation(int index) const { return m_explanations[std::size_t(index)]; }
    QPushButton *loadButton() const { return m_load; }
    QPushButton *saveButton() const { return m_save; }
    QPushButton *downloadButton() const { return m_download; }
    QPushButton *exitButton() const { return m_exit; }

    void loadFile();
    void saveFile();
    /// Greys Download while another conversation holds the port.
    void setDownloadAvailable(bool available);

    void done(int result) override;

signals:
    void downloadRequested(const QByteArray &script);

private:
    void fileError(const QString &error);

    ScriptEdit *m_field;
    std::array<QPushButton *, InsertCount> m_inserts{};
    std::array<QLabel *, InsertCount> m_explanations{};
    QPushButton *m_load;
    QPushButton *m_save;
    QPushButton *m_download;
    QPushButton *m_exit;
};

} // namespace Kernwick
