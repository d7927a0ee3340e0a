#pragma once

#include "libkernwick/font/editcommands.h"

#include <QDialog>

#include <vector>

class QComboBox;
class QLineEdit;

namespace Kernwick {

class Document;

/// "Apply to Range": runs one glyph-wide command (those whose table entry takes a
/// range: Outline, the moves, the flips and turns, Invert, Clear) on every glyph
/// from one code to another, as one undo step. The codes take what Go to
/// Character takes (a character, a decimal code, 0x or U+ hexadecimal); they
/// start at the current glyph's code and the font's last code. A code the font
/// lacks, a range that runs backwards or a glyph the command refuses is named in a
/// warning, the font stays as it was and the dialog stays open.
class ApplyRangeDialog : public QDialog
{
    Q_OBJECT

public:
    ApplyRangeDialog(Document &document, const ViewState &view, QWidget *parent = nullptr);

    QComboBox *commandBox() const { return m_command; }
    QLineEdit *fromEdit() const { return m_from; }
    QLineEdit *toEdit() const { return m_to; }
    /// The commands offered, in the list's order.
    const std::vector<EditOperation> &operations() const { return m_operations; }

    /// Runs the chosen command over the range; closes only when it ran.
    void accept() override;

private:
    Document &m_document;
    const ViewState m_view;
    std::vector<EditOperation> m_operations;
    QComboBox *m_command;
    QLineEdit *m_from;
    QLineEdit *m_to;
};

} // namespace Kernwick
