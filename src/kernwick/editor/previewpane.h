#pragma once

#include "libkernwick/font/font.h"

#include <QList>
#include <QWidget>

class QComboBox;
class QLineEdit;
class QScrollArea;

namespace Kernwick {

class Document;

/// A line of text drawn in a font over a video-like background, as the board
/// would overlay it. Codes the font lacks show as placeholder boxes.
class TextLineCanvas : public QWidget
{
    Q_OBJECT

public:
    /// Space around the text, in screen pixels.
    static constexpr int Margin = 8;

    explicit TextLineCanvas(QWidget *parent = nullptr);

    /// Shows `codes` in `font` (which must outlive the canvas or be replaced first)
    /// at `scale` screen pixels per font pixel.
    void setLine(const Font *font, const QList<int> &codes, int scale);
    /// Draws again after the font changed.
    void refresh();

    int scale() const { return m_scale; }
    const QList<int> &codes() const { return m_codes; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const Font *m_font = nullptr;
    QList<int> m_codes;
    int m_scale = 2;
};

/// The Text Preview pane: a line edit for the text (each Unicode character one
/// code), the scale (1× to 4×) and the text drawn in the document's font,
/// following every change of the font.
class PreviewPane : public QWidget
{
    Q_OBJECT

public:
    static constexpr int MaxScale = 4;
    /// The longest text the preview takes.
    static constexpr int MaxTextLength = 256;
    /// The most room the line takes before it scrolls (a tall font at 4×).
    static constexpr int MaxLineHeight = 400;

    explicit PreviewPane(Document &document, QWidget *parent = nullptr);

    QLineEdit *textEdit() const { return m_text; }
    QComboBox *scaleBox() const { return m_scale; }
    TextLineCanvas *canvas() const { return m_canvas; }

private:
    void showText();
    void refresh();
    void glyphChanged(int index);
    void fitHeight();

    Document &m_document;
    QLineEdit *m_text;
    QComboBox *m_scale;
    TextLineCanvas *m_canvas;
    QScrollArea *m_scroll;
};

} // namespace Kernwick
