#include "editor/editorview.h"

#include "editor/viewrenderer.h"

#include "libkernwick/font/document.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace Kernwick {

EditorView::EditorView(Document &document, QWidget *parent)
    : QAbstractScrollArea(parent), m_document(document)
{
    setFrameShape(QFrame::NoFrame);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(false);

    m_cellMenu = new QMenu(this);
    m_setAscent = m_cellMenu->addAction(QStringLiteral("Set Ascent"));
    m_setLeft = m_cellMenu->addAction(QStringLiteral("Set Left"));
    connect(m_setAscent, &QAction::triggered, this, [this] { run(EditOperation::SetAscent); });
    connect(m_setLeft, &QAction::triggered, this, [this] { run(EditOperation::SetLeft); });

    connect(&m_document, &Document::fontReplaced, this, &EditorView::fontReplaced);
    connect(&m_document, &Document::fontChanged, this, &EditorView::fontChanged);
    fontReplaced();
}

int EditorView::currentIndex() const
{
    return currentGlyphIndex(m_document.font(), m_state);
}

void EditorView::selectGlyph(int index)
{
    ViewState next = m_state;
    if (selectCode(m_document.font(), next, int(m_document.font().first) + index))
        setState(next);
}

void EditorView::setState(const ViewState &state)
{
    if (state == m_state)
        return;
    m_state = state;
    viewport()->update();
    emit stateChanged();
}

EditResult EditorView::run(EditOperation operation)
{
    ViewState next = m_state;
    const EditResult result = m_document.apply(operation, next);
    setState(next);
    return result;
}

bool EditorView::isEnabled(EditOperation operation) const
{
    return Kernwick::isEnabled(operation, m_document.font(), m_state);
}

void EditorView::undo()
{
    ViewState next = m_state;
    m_document.undo(&next);
    setState(next);
}

void EditorView::redo()
{
    ViewState next = m_state;
    m_document.redo(&next);
    setState(next);
}

void EditorView::fontReplaced()
{
    // A new font: back to its first glyph, painting white.
    ViewState next = m_state;
    resetForNewFont(next, m_document.font());
    relayout();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    setState(next);
    viewport()->update();
}

void EditorView::fontChanged()
{
    // Edits may change the font's size: the scroll area follows at once.
    relayout();
    ViewState next = m_state;
    clampToFont(m_document.font(), next);
    setState(next);
    viewport()->update();
}

void EditorView::relayout()
{
    m_layout = ViewLayout(m_document.font());
    const QSize document = m_layout.documentSize();
    const QSize shown = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, document.width() - shown.width()));
    horizontalScrollBar()->setPageStep(shown.width());
    horizontalScrollBar()->setSingleStep(ViewLayout::CellSize * 2);
    verticalScrollBar()->setRange(0, std::max(0, document.height() - shown.height()));
    verticalScrollBar()->setPageStep(shown.height());
    verticalScrollBar()->setSingleStep(ViewLayout::CellSize * 2);
}

QRect EditorView::gridRect() const
{
    const int index = currentIndex();
    const int width = index >= 0 ? m_document.font().glyphs[std::size_t(index)].width : 0;
    return ViewLayout::gridRect(width, m_document.font().height)
        .translated(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
}

void EditorView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    ViewFrame frame;
    frame.font = &m_document.font();
    frame.layout = &m_layout;
    frame.currentIndex = currentIndex();
    frame.scroll = QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
    frame.viewport = viewport()->size();
    paintView(painter, frame);
}

void EditorView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    relayout();
}

void EditorView::scrollContentsBy(int, int)
{
    viewport()->update();
}

QPoint EditorView::toDocument(QPoint viewportPoint) const
{
    return viewportPoint + QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

bool EditorView::cellAt(QPoint viewportPoint, int *column, int *row) const
{
    const int index = currentIndex();
    if (index < 0)
        return false;
    const Glyph &g = m_document.font().glyphs[std::size_t(index)];
    return ViewLayout::cellAt(toDocument(viewportPoint), g.width, g.rowCount, column, row);
}

void EditorView::paintAt(QPoint viewportPoint)
{
    int column = 0;
    int row = 0;
    if (cellAt(viewportPoint, &column, &row))
        m_document.paint(m_state, row, column);
}

void EditorView::mousePressEvent(QMouseEvent *event)
{
    // A stroke begins with the press but paints only on move and release.
    if (event->button() == Qt::LeftButton) {
        m_document.beginStroke(m_state);
        m_stroke = true;
    }
}

void EditorView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_stroke && event->buttons() == Qt::LeftButton && event->modifiers() == Qt::NoModifier)
        paintAt(event->position().toPoint());
}

void EditorView::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        if (!m_stroke)
            m_document.beginStroke(m_state);
        int column = 0;
        int row = 0;
        if (cellAt(point, &column, &row)) {
            m_document.paint(m_state, row, column);
            m_document.endStroke();
        } else {
            m_document.endStroke();
            const int picked = m_layout.glyphAt(toDocument(point));
            if (picked >= 0)
                selectGlyph(picked);
        }
        m_stroke = false;
    } else if (event->button() == Qt::RightButton) {
        openCellMenu(point, event->globalPosition().toPoint());
    }
}

void EditorView::openCellMenu(QPoint viewportPoint, QPoint globalPoint)
{
    int column = 0;
    int row = 0;
    if (!cellAt(viewportPoint, &column, &row))
        return;
    ViewState next = m_state;
    next.pickRow = row;
    next.pickColumn = column;
    setState(next);
    m_cellMenu->popup(globalPoint);
}

} // namespace Kernwick
