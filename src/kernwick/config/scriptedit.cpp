#include "config/scriptedit.h"

#include "config/scripttext.h"

#include <QFontDatabase>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextLayout>

#include <algorithm>
#include <array>

namespace Kernwick {

namespace {

constexpr char16_t FirstPicture = 0x2400;
constexpr char16_t DeletePicture = 0x2421;

bool isControlPicture(QChar c)
{
    return (c.unicode() >= FirstPicture && c.unicode() < FirstPicture + 0x20) ||
           c.unicode() == DeletePicture;
}

// The ASCII names of the control bytes, written in their markers.
constexpr std::array<const char *, 0x20> ControlNames{
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

QString markerLabel(QChar picture)
{
    if (picture.unicode() == DeletePicture)
        return QStringLiteral("DEL");
    return QString::fromLatin1(ControlNames[std::size_t(picture.unicode() - FirstPicture)]);
}

} // namespace

// The control pictures stand for their bytes in the text, but few fonts draw
// them: each is given the room of its marker and left unpainted, and the field
// draws the marker over it (see ScriptEdit::paintEvent()).
class ControlMarks : public QSyntaxHighlighter
{
public:
    explicit ControlMarks(QTextDocument *document) : QSyntaxHighlighter(document)
    {
        m_mark.setForeground(Qt::transparent);
        m_mark.setFontLetterSpacingType(QFont::AbsoluteSpacing);
    }

    /// Pixels added to each picture's own width, to make room for its marker.
    void setMarkerRoom(qreal room)
    {
        m_mark.setFontLetterSpacing(room);
        rehighlight();
    }

protected:
    void highlightBlock(const QString &text) override
    {
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (isControlPicture(text[i]))
                setFormat(int(i), 1, m_mark);
        }
    }

private:
    QTextCharFormat m_mark;
};

ScriptEdit::ScriptEdit(QWidget *parent) : QPlainTextEdit(parent)
{
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_marks = new ControlMarks(document());
    fitMarkers();
}

void ScriptEdit::fitMarkers()
{
    if (!m_marks)
        return; // still being made
    m_markFont = font();
    m_markFont.setPointSizeF(font().pointSizeF() * 0.7);
    m_markFont.setBold(true);
    // The width a picture takes in the field's own font, found as the field lays
    // it out (a font without the picture draws a stand-in of its own width).
    QTextLayout probe(QString(QChar(char16_t(FirstPicture + 0x1B))), font());
    probe.beginLayout();
    const QTextLine line = probe.createLine();
    probe.endLayout();
    const qreal label = QFontMetricsF(m_markFont).horizontalAdvance(QStringLiteral("ESC")) + 6;
    m_marks->setMarkerRoom(std::max(0.0, label - line.naturalTextWidth()));
}

void ScriptEdit::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitMarkers();
}

void ScriptEdit::paintEvent(QPaintEvent *event)
{
    QPlainTextEdit::paintEvent(event);
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(m_markFont);
    const QTextCursor cursor = textCursor();
    const QPointF offset = contentOffset();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF bounds = blockBoundingGeometry(block).translated(offset);
        if (bounds.top() > event->rect().bottom())
            break;
        const QString text = block.text();
        const QTextLayout *layout = block.layout();
        for (int i = 0; i < int(text.size()); ++i) {
            if (!isControlPicture(text[i]))
                continue;
            const QTextLine line = layout->lineForTextPosition(i);
            if (!line.isValid())
                continue;
            const qreal left = line.cursorToX(i);
            const QRectF cell(bounds.left() + left, bounds.top() + line.y(),
                              line.cursorToX(i + 1) - left, line.height());
            const int at = block.position() + i;
            const bool selected = at >= cursor.selectionStart() && at < cursor.selectionEnd();
            drawMarker(painter, cell.adjusted(1, 2, -1, -2), markerLabel(text[i]), selected);
        }
    }
}

void ScriptEdit::drawMarker(QPainter &painter, const QRectF &cell, const QString &label,
                            bool selected) const
{
    const QColor ink(0x00, 0x40, 0xC0);
    painter.setPen(QPen(ink, 1));
    painter.setBrush(selected ? palette().color(QPalette::Highlight).lighter(150)
                              : QColor(0xDD, 0xE8, 0xFF));
    painter.drawRoundedRect(cell, 3, 3);
    painter.drawText(cell, Qt::AlignCenter, label);
}

QByteArray ScriptEdit::script() const
{
    // The raw text: toPlainText() would turn a no-break space (byte 0xA0) into a
    // plain one.
    return scriptBytes(document()->toRawText());
}

void ScriptEdit::setScript(QByteArrayView script)
{
    setPlainText(scriptDisplayText(script));
}

void ScriptEdit::insertBytes(QByteArrayView bytes)
{
    insertShown(scriptDisplayText(bytes));
    document()->clearUndoRedoStacks();
}

void ScriptEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore(); // the dialog's default button
        return;
    }
    const QString text = event->text();
    if (!text.isEmpty() && text.front().isPrint()) {
        const QString shown = shownScriptText(text);
        if (shown != text) {
            insertShown(shown);
            event->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void ScriptEdit::inputMethodEvent(QInputMethodEvent *event)
{
    const QString shown = shownScriptText(event->commitString());
    if (shown == event->commitString()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent taken(event->preeditString(), event->attributes());
    taken.setCommitString(shown, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&taken);
}

void ScriptEdit::insertFromMimeData(const QMimeData *source)
{
    if (!source->hasText())
        return;
    insertShown(shownScriptText(source->text()));
}

void ScriptEdit::insertShown(const QString &shown)
{
    QTextCursor cursor = textCursor();
    cursor.insertText(shown);
    setTextCursor(cursor);
    ensureCursorVisible();
}

} // namespace Kernwick
