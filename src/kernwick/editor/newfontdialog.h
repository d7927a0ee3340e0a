#pragma once

#include "libkernwick/font/newfont.h"

#include <QDialog>

class QLineEdit;
class QRadioButton;

namespace Kernwick {

class SpinField;

/// "New Font Properties": the name, depth and sizes of a new font. OK checks the
/// fields as the core does, in its order, shows the first message and keeps the
/// dialog open with the focus on that field.
class NewFontDialog : public QDialog
{
    Q_OBJECT

public:
    explicit NewFontDialog(QWidget *parent = nullptr);

    /// The values, once the dialog was accepted.
    NewFontSpec spec() const { return m_spec; }
    /// The fields as typed.
    NewFontInput input() const;

    QLineEdit *nameEdit() const { return m_name; }
    QRadioButton *oneBpp() const { return m_oneBpp; }
    QRadioButton *twoBpp() const { return m_twoBpp; }
    SpinField *heightField() const { return m_height; }
    SpinField *widthField() const { return m_width; }
    SpinField *charsField() const { return m_chars; }
    SpinField *firstField() const { return m_first; }
    SpinField *ascentField() const { return m_ascent; }

    void accept() override;

signals:
    /// A field was refused with `message`; the message box follows.
    void refused(const QString &message);

private:
    QWidget *fieldWidget(NewFontField field) const;

    QLineEdit *m_name;
    QRadioButton *m_oneBpp;
    QRadioButton *m_twoBpp;
    SpinField *m_height;
    SpinField *m_width;
    SpinField *m_chars;
    SpinField *m_first;
    SpinField *m_ascent;
    NewFontSpec m_spec;
};

} // namespace Kernwick
