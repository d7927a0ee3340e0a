#pragma once

#include "libkernwick/font/importfontchoice.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace Kernwick {

class SpinField;

/// "Import Font": what a BDF file holds and which of its characters to take.
/// OK checks the choices as the core does; a refused field shows its message and
/// keeps the dialog open.
class ImportFontDialog : public QDialog
{
    Q_OBJECT

public:
    /// Opens on `initial` (see initialImportFontChoice()).
    explicit ImportFontDialog(const ImportFontChoice &initial, QWidget *parent = nullptr);

    /// The choices, once the dialog was accepted.
    ImportFontChoice choice() const { return m_choice; }

    QLabel *countLabel() const { return m_count; }
    QLabel *firstEncodingLabel() const { return m_firstEncoding; }
    QRadioButton *oneBpp() const { return m_oneBpp; }
    QRadioButton *twoBpp() const { return m_twoBpp; }
    SpinField *firstToImportField() const { return m_firstToImport; }
    SpinField *countToImportField() const { return m_countToImport; }
    QLineEdit *nameEdit() const { return m_name; }
    QCheckBox *retainGapsBox() const { return m_retainGaps; }
    QCheckBox *asDrawnBox() const { return m_asDrawn; }

    void accept() override;

private:
    ImportFontChoice m_choice;
    QLabel *m_count;
    QLabel *m_firstEncoding;
    QRadioButton *m_oneBpp;
    QRadioButton *m_twoBpp;
    SpinField *m_firstToImport;
    SpinField *m_countToImport;
    QLineEdit *m_name;
    QCheckBox *m_retainGaps;
    QCheckBox *m_asDrawn;
};

} // namespace Kernwick
