#pragma once

#include "libkernwick/font/font.h"
#include "libkernwick/render/typefaceimport.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QScrollArea;
class QTimer;

namespace Kernwick {

class SpinField;
class TextLineCanvas;

/// "Import Typeface": which typeface (an installed family or a font file), the
/// pixel height, the codes, the depth, the thresholds and anti-aliasing, and the
/// font's name. A sample line is drawn with the chosen settings as they change;
/// codes outside the chosen range show as placeholder boxes. OK checks every field
/// and that the typeface loads; a refused field shows its message and keeps the
/// dialog open.
class TypefaceDialog : public QDialog
{
    Q_OBJECT

public:
    /// The largest scale of the sample line; it is drawn as large as fits, up to this.
    static constexpr int MaxPreviewScale = 3;

    explicit TypefaceDialog(QWidget *parent = nullptr);

    /// The choices and the loaded typeface, once the dialog was accepted.
    const TypefaceChoice &choice() const { return m_choice; }
    const Typeface &typeface() const { return m_typeface; }

    QComboBox *sourceBox() const { return m_source; }
    SpinField *heightField() const { return m_height; }
    SpinField *firstField() const { return m_first; }
    SpinField *countField() const { return m_count; }
    QCheckBox *allBox() const { return m_all; }
    QRadioButton *oneBpp() const { return m_oneBpp; }
    QRadioButton *twoBpp() const { return m_twoBpp; }
    SpinField *blackField() const { return m_black; }
    SpinField *whiteField() const { return m_white; }
    QLineEdit *nameEdit() const { return m_name; }
    QLineEdit *sampleEdit() const { return m_sample; }
    TextLineCanvas *preview() const { return m_preview; }
    QLabel *statusLabel() const { return m_status; }
    /// The font the sample is drawn in: the sample's codes within the chosen range.
    const Font &previewFont() const { return m_previewFont; }

    /// Draws the sample again with the settings as they are now (the dialog does so
    /// by itself shortly after each change).
    void refreshPreview();

    void accept() override;

private:
    void browse();
    void settingsChanged();
    void sourceChanged();
    /// Reads the fields into `choice`; false with `message` for the first field
    /// that is not a number.
    bool readFields(TypefaceChoice *choice, QString *message, QWidget **field) const;
    bool loadSource(QString *error);

    TypefaceChoice m_choice;
    Typeface m_typeface;
    QString m_loadedSource;
    bool m_nameEdited = false;
    Font m_previewFont;

    QComboBox *m_source;
    SpinField *m_height;
    SpinField *m_first;
    SpinField *m_count;
    QCheckBox *m_all;
    QRadioButton *m_oneBpp;
    QRadioButton *m_twoBpp;
    SpinField *m_black;
    SpinField *m_white;
    QCheckBox *m_antialias;
    QLineEdit *m_name;
    QLineEdit *m_sample;
    TextLineCanvas *m_preview;
    QScrollArea *m_previewArea;
    QLabel *m_status;
    QTimer *m_refresh;
};

} // namespace Kernwick
