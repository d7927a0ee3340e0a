#include "editor/previewpane.h"

#include "libkernwick/font/document.h"
#include "libkernwick/render/textpreview.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace Kernwick {

TextLineCanvas::TextLineCanvas(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TextLineCanvas::setLine(const Font *font, const QList<int> &codes, int scale)
{
    m_font = font;
    m_codes = codes;
    m_scale = scale;
    refresh();
}

void TextLineCanvas::refresh()
{
    // The canvas is at least as large as its text, so a long line scrolls in the
    // pane while a short one leaves the background filling it.
    setMinimumSize(sizeHint());
    update();
}

QSize TextLineCanvas::sizeHint() const
{
    if (m_font == nullptr)
        return QSize(2 * Margin, 2 * Margin);
    const TextLine line = setTextLine(*m_font, m_codes);
    const qint64 width = line.width() * m_scale + 2 * Margin;
    return QSize(int(std::min<qint64>(width, 1 << 20)), line.height * m_scale + 2 * Margin);
}

void TextLineCanvas::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    drawVideoBackground(painter, rect());
    if (m_font == nullptr)
        return;
    drawTextLine(painter, setTextLine(*m_font, m_codes), QPoint(Margin, Margin), m_scale,
                 event->rect());
}

PreviewPane::PreviewPane(Document &document, QWidget *parent)
    : QWidget(parent), m_document(document)
{
    m_text = new QLineEdit(QStringLiteral("Kernwick 0123"), this);
    m_text->setMaxLength(MaxTextLength);
    m_text->setPlaceholderText(QStringLiteral("Text to preview"));
    m_text->setToolTip(QStringLiteral("Each character is shown as the glyph of its code"));
    m_scale = new QComboBox(this);
    for (int scale = 1; scale <= MaxScale; ++scale)
        m_scale->addItem(QStringLiteral("%1×").arg(scale), scale);
    m_scale->setCurrentIndex(1);
    m_scale->setToolTip(QStringLiteral("Screen pixels per font pixel"));

    m_canvas = new TextLineCanvas;
    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(m_canvas);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setBackgroundRole(QPalette::Dark);

    auto *label = new QLabel(QStringLiteral("&Text:"), this);
    label->setBuddy(m_text);
    auto *controls = new QHBoxLayout;
    controls->addWidget(label);
    controls->addWidget(m_text, 1);
    controls->addWidget(m_scale);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(controls);
    layout->addWidget(m_scroll, 1);

    connect(m_text, &QLineEdit::textChanged, this, &PreviewPane::showText);
    connect(m_scale, &QComboBox::currentIndexChanged, this, &PreviewPane::showText);
    connect(&m_document, &Document::fontChanged, this, &PreviewPane::refresh);
    connect(&m_document, &Document::glyphChanged, this, &PreviewPane::glyphChanged);
    connect(&m_document, &Document::fontReplaced, this, &PreviewPane::refresh);
    showText();
}

void PreviewPane::showText()
{
    m_canvas->setLine(&m_document.font(), textCodes(m_text->text()),
                      m_scale->currentData().toInt());
    fitHeight();
}

void PreviewPane::refresh()
{
    m_canvas->refresh();
    fitHeight();
}

void PreviewPane::glyphChanged(int index)
{
    // Only the glyph's pixels changed, so the line keeps its size: the canvas
    // redraws when the glyph is in the text, and nothing happens otherwise.
    if (m_canvas->codes().contains(int(m_document.font().header.first) + index))
        m_canvas->update();
}

void PreviewPane::fitHeight()
{
    // The pane grows with the line (a taller font, a larger scale) so the whole
    // line shows, leaving room for a scroll bar under a long one.
    const int wanted = m_canvas->sizeHint().height() +
                       m_scroll->horizontalScrollBar()->sizeHint().height() +
                       2 * m_scroll->frameWidth();
    m_scroll->setMinimumHeight(std::min(wanted, MaxLineHeight));
}

} // namespace Kernwick
