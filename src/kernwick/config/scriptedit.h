#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFont>
#include <QPlainTextEdit>

namespace Kernwick {

class ControlMarks;

/// The Bootscript Editor's field: a boot script's 8-bit text, CR LF pairs as line
/// breaks and every other control character as a coloured marker with its ASCII
/// name ("ESC", "CR" ...). In the text each control character is its Unicode
/// control picture (see scriptDisplayText()), so copying and pasting keeps it. Whatever is typed or
/// pasted is taken in the form the field shows, so the field always shows exactly the bytes that
/// are saved and sent.
///
/// The field does not take Enter, which goes to the dialog's default button, nor
/// Tab, which moves the focus, as in any dialog's edit field; line breaks come
/// from the dialog's "Insert <CR/LF>".
class ScriptEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit ScriptEdit(QWidget *parent = nullptr);

    /// The script's bytes.
    QByteArray script() const;
    void setScript(QByteArrayView script);
    /// Replaces the selection (or inserts at the caret) with `bytes`. Like the
    /// editor's insert buttons always have, this leaves nothing to undo.
    void insertBytes(QByteArrayView bytes);

protected:
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    /// Replaces the selection with `shown`, already in the field's form.
    void insertShown(const QString &shown);
    /// Sizes the markers to the field's font.
    void fitMarkers();
    void drawMarker(QPainter &painter, const QRectF &cell, const QString &label,
                    bool selected) const;

    ControlMarks *m_marks = nullptr;
    QFont m_markFont;
};

} // namespace Kernwick
