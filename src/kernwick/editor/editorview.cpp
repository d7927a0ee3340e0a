#include "editor/editorview.h"

#include "editor/viewrenderer.h"
#include "widgets/busycursor.h"

#include "libkernwick/font/charactercode.h"
#include "libkernwick/font/document.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace Kernwick {

EditorView::EditorView(Document &document, QWidget *parent)
    : QAbstractScrollArea(parent), m_document(document)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(false);

    m_cellMenu = new QMenu(this);
    for (const EditCommand &command : editCommands()) {
        if (command.menu != EditMenu::Cell)
            continue;
        QAction *action = m_cellMenu->addAction(QString::fromLatin1(command.menuText));
        const EditOperation operation = command.operation;
        connect(action, &QAction::triggered, this, [this, operation] { run(operation); });
        m_cellActions[operation] = action;
    }

    connect(&m_document, &Document::fontReplaced, this, &EditorView::fontReplaced);
    connect(&m_document, &Document::fontChanged, this, &EditorView::fontChanged);
    // Pixels alone leave the layout as it is: the view only draws again.
    connect(&m_document, &Document::glyphChanged, viewport(), qOverload<>(&QWidget::update));
    connect(&m_document, &Document::glyphChanged, this, [this] {
        if (m_selection)
            updateOverlay();
    });
    // Pasted pixels still floating belong in the file being written.
    connect(&m_document, &Document::finishingEdits, this, &EditorView::commitFloating);
    fontReplaced();
}

int EditorView::currentIndex() const
{
    return currentGlyphIndex(m_document.font(), m_state);
}

void EditorView::selectGlyph(int index)
{
    ViewState next = m_state;
    if (selectCode(m_document.font(), next, int(m_document.font().header.first) + index))
        setState(next);
}

void EditorView::setState(const ViewState &state)
{
    if (state == m_state)
        return;
    // The selection belongs to its glyph: pasted pixels floating over it are
    // written there before the view moves on.
    if (state.currentCode != m_state.currentCode) {
        m_drag = Drag::None;
        dropSelection();
    }
    // A stroke paints the glyph it began in: when the view moves to another glyph
    // (a key, undo, a thumbnail), the stroke ends there and the rest of the drag
    // paints nothing, rather than going on unseen in the glyph left behind.
    if (m_stroke && state.currentCode != m_state.currentCode) {
        m_document.endStroke();
        m_stroke = false;
        m_strokeCut = true;
    }
    m_state = state;
    viewport()->update();
    emit stateChanged();
}

EditResult EditorView::run(EditOperation operation)
{
    EditResult onSelection;
    if (runOnSelection(operation, &onSelection))
        return onSelection;
    // Any other change of the font takes the selection's pixels as they lie.
    if (editCommand(operation).undoScope)
        dropSelection();
    const BusyCursor busy(m_document.mayTakeLong(operation));
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
    // Pasted pixels still floating are written first: this undo then takes them back.
    dropSelection();
    const BusyCursor busy(m_document.isLarge());
    ViewState next = m_state;
    m_document.undo(&next);
    setState(next);
}

void EditorView::redo()
{
    dropSelection();
    const BusyCursor busy(m_document.isLarge());
    ViewState next = m_state;
    m_document.redo(&next);
    setState(next);
}

void EditorView::fontReplaced()
{
    // A new font: back to its first glyph, painting white. The selection and any
    // drag belonged to the font that went.
    m_selection.reset();
    m_floating.reset();
    m_drag = Drag::None;
    m_overlay = {};
    ViewState next = m_state;
    resetForNewFont(next, m_document.font());
    // Back to the top first, so the scroll ranges fit the new font alone.
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    relayout();
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
    // A glyph that lost columns or rows keeps only the part of the selection it has.
    if (m_selection && !m_floating) {
        const Glyph *glyph = currentGlyph();
        m_selection = glyph ? m_selection->clippedTo(*glyph) : PixelArea();
        if (m_selection->isEmpty())
            m_selection.reset();
    }
    updateOverlay();
}

void EditorView::relayout()
{
    m_layout = layoutAt(m_zoom);
    setScrollRanges();
}

ViewLayout EditorView::layoutAt(int zoom) const
{
    // The strip breaks its lines at the view's width; when it then runs past the
    // bottom, the vertical scroll bar takes its width from the view.
    const QSize whole = maximumViewportSize();
    const GlyphLabelMetrics labels =
        m_glyphLabels ? glyphLabelMetrics(glyphLabelFont(viewport()->font())) : GlyphLabelMetrics();
    ViewLayout layout(m_document.font(), zoom, whole.width(), labels);
    if (layout.documentSize().height() > whole.height())
        layout = ViewLayout(m_document.font(), zoom,
                            whole.width() - verticalScrollBar()->sizeHint().width(), labels);
    return layout;
}

void EditorView::setScrollRanges()
{
    // The ranges cover the document and no more. A document that fits the whole
    // area needs no scroll bars, even while bars still take room from the viewport.
    const QSize document = m_layout.documentSize();
    const QSize whole = maximumViewportSize();
    const bool fits = document.width() <= whole.width() && document.height() <= whole.height();
    const QSize shown = fits ? whole : viewport()->size();
    const int step = m_layout.cellSize() * 2;
    horizontalScrollBar()->setRange(0, std::max(0, document.width() - shown.width()));
    horizontalScrollBar()->setPageStep(shown.width());
    horizontalScrollBar()->setSingleStep(step);
    verticalScrollBar()->setRange(0, std::max(0, document.height() - shown.height()));
    verticalScrollBar()->setPageStep(shown.height());
    verticalScrollBar()->setSingleStep(step);
}

QRect EditorView::gridRect() const
{
    const int index = currentIndex();
    const int width = index >= 0 ? m_document.font().glyphs[std::size_t(index)].width : 0;
    return m_layout.grid(width, m_document.font().header.height)
        .translated(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
}

bool EditorView::setZoom(int percent)
{
    if (percent == m_zoom || std::find(ViewLayout::ZoomSteps.begin(), ViewLayout::ZoomSteps.end(),
                                       percent) == ViewLayout::ZoomSteps.end())
        return false;
    m_zoom = percent;
    m_layout = layoutAt(m_zoom);
    setScrollRanges();
    return true;
}

void EditorView::zoomAt(int percent, QPoint anchor)
{
    const ViewLayout before = m_layout;
    const QPoint spot = toDocument(anchor);
    if (!setZoom(percent))
        return;
    const QPoint scroll = m_layout.follow(before, spot) - anchor;
    horizontalScrollBar()->setValue(scroll.x());
    verticalScrollBar()->setValue(scroll.y());
    viewport()->update();
    emit zoomChanged(m_zoom);
}

void EditorView::zoomAboutGrid(int percent)
{
    // The spot of the grid in the middle of what shows of it stays in place, then
    // the view scrolls as little as it must to show the grid with its margin (or,
    // when the grid is larger than the view, as much of it as fits).
    const QRect before = gridRect();
    const QRect visible = before.intersected(viewport()->rect());
    const QPoint anchor = visible.isEmpty() ? before.center() : visible.center();
    const ViewLayout layout = m_layout;
    const QPoint spot = toDocument(anchor);
    if (!setZoom(percent))
        return;
    const QPoint scroll = m_layout.follow(layout, spot) - anchor;
    const QRect grid = gridRect().translated(toDocument(QPoint()));
    const QSize shown = viewport()->size();
    const auto keep = [](int value, int low, int high, int margin, int shown) {
        if (high + 1 - low + 2 * margin <= shown) {
            low -= margin;
            high += margin;
        }
        return std::clamp(value, std::min(low, high + 1 - shown), std::max(low, high + 1 - shown));
    };
    horizontalScrollBar()->setValue(
        keep(scroll.x(), grid.left(), grid.right(), ViewLayout::GridOrigin.x(), shown.width()));
    verticalScrollBar()->setValue(
        keep(scroll.y(), grid.top(), grid.bottom(), ViewLayout::GridOrigin.y(), shown.height()));
    viewport()->update();
    emit zoomChanged(m_zoom);
}

void EditorView::zoomIn()
{
    zoomAboutGrid(ViewLayout::zoomedIn(m_zoom));
}

void EditorView::zoomOut()
{
    zoomAboutGrid(ViewLayout::zoomedOut(m_zoom));
}

void EditorView::actualSize()
{
    zoomAboutGrid(ViewLayout::ActualSize);
}

bool EditorView::canZoomIn() const
{
    return ViewLayout::zoomedIn(m_zoom) != m_zoom;
}

bool EditorView::canZoomOut() const
{
    return ViewLayout::zoomedOut(m_zoom) != m_zoom;
}

void EditorView::showGlyph(int index)
{
    if (index < 0 || index >= m_layout.glyphCount())
        return;
    // A little room around the thumbnail keeps its red frame in view as well.
    const QRect box =
        m_layout.glyphBox(index).united(m_layout.glyphArea(index)).adjusted(-4, -4, 4, 4);
    const QSize shown = viewport()->size();
    QScrollBar *horizontal = horizontalScrollBar();
    QScrollBar *vertical = verticalScrollBar();
    if (box.left() < horizontal->value())
        horizontal->setValue(box.left());
    else if (box.right() >= horizontal->value() + shown.width())
        horizontal->setValue(box.right() + 1 - shown.width());
    if (box.top() < vertical->value())
        vertical->setValue(box.top());
    else if (box.bottom() >= vertical->value() + shown.height())
        vertical->setValue(box.bottom() + 1 - shown.height());
}

void EditorView::setGlyphLabels(bool shown)
{
    if (shown == m_glyphLabels)
        return;
    m_glyphLabels = shown;
    relayout();
    showGlyph(currentIndex());
    viewport()->update();
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
    if (m_glyphLabels)
        frame.labelFont = glyphLabelFont(viewport()->font());
    paintView(painter, frame);
    if (!m_overlay.isEmpty() && frame.currentIndex >= 0)
        paintToolOverlay(painter, m_overlay, gridRect().topLeft(), m_layout.cellSize(),
                         m_document.font().header.ldepth, viewport()->rect());
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
    return m_layout.cell(toDocument(viewportPoint), g.width, g.rowCount, column, row);
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
    if (event->button() == Qt::LeftButton && m_tool != Tool::Pencil) {
        toolPress(event->position().toPoint());
        return;
    }
    // A stroke begins with the press but paints only on move and release.
    if (event->button() == Qt::LeftButton) {
        m_document.beginStroke(m_state);
        m_stroke = true;
        m_strokeCut = false;
    }
}

void EditorView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_tool != Tool::Pencil) {
        if (event->buttons() & Qt::LeftButton)
            toolMove(event->position().toPoint(), event->modifiers());
        return;
    }
    if (m_stroke && event->buttons() == Qt::LeftButton && event->modifiers() == Qt::NoModifier)
        paintAt(event->position().toPoint());
}

void EditorView::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton && m_tool != Tool::Pencil) {
        toolRelease(point, event->modifiers());
    } else if (event->button() == Qt::LeftButton && m_strokeCut) {
        // The stroke this release belongs to ended when the view left its glyph.
        m_strokeCut = false;
    } else if (event->button() == Qt::LeftButton) {
        // A release can arrive without its press: the press that closed the
        // right-click menu, or one made before this view had the pointer. A click
        // paints on release, so the release opens the stroke itself, and the pixel
        // it paints is still one step to undo.
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

void EditorView::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    // One zoom step per notch; finer wheels add up to notches.
    m_wheelAngle += event->angleDelta().y();
    const QPoint anchor = event->position().toPoint();
    for (; m_wheelAngle >= QWheelEvent::DefaultDeltasPerStep;
         m_wheelAngle -= QWheelEvent::DefaultDeltasPerStep)
        zoomAt(ViewLayout::zoomedIn(m_zoom), anchor);
    for (; m_wheelAngle <= -QWheelEvent::DefaultDeltasPerStep;
         m_wheelAngle += QWheelEvent::DefaultDeltasPerStep)
        zoomAt(ViewLayout::zoomedOut(m_zoom), anchor);
    event->accept();
}

int EditorView::glyphForKey(int key) const
{
    const int index = currentIndex();
    const int count = m_layout.glyphCount();
    if (index < 0 || count == 0)
        return -1;
    const auto toLine = [&](int lines) {
        const int line = std::clamp(m_layout.lineOf(index) + lines, 0, m_layout.lineCount() - 1);
        return m_layout.glyphNear(line, m_layout.glyphBox(index).center().x());
    };
    const int pageLines = std::max(1, viewport()->height() / m_layout.linePitch());
    switch (key) {
    case Qt::Key_Left:
        return std::max(0, index - 1);
    case Qt::Key_Right:
        return std::min(count - 1, index + 1);
    case Qt::Key_Home:
        return 0;
    case Qt::Key_End:
        return count - 1;
    case Qt::Key_Up:
        return toLine(-1);
    case Qt::Key_Down:
        return toLine(1);
    case Qt::Key_PageUp:
        return toLine(-pageLines);
    case Qt::Key_PageDown:
        return toLine(pageLines);
    default:
        return -1;
    }
}

void EditorView::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::NoModifier && event->key() == Qt::Key_Escape && m_drag != Drag::None) {
        // Escape during a drag gives it up: nothing is painted or selected.
        m_drag = Drag::None;
        updateOverlay();
        event->accept();
        return;
    }
    if (m_selection && modifiers == Qt::NoModifier) {
        bool used = true;
        switch (event->key()) {
        case Qt::Key_Left:
            moveSelection(0, -1);
            break;
        case Qt::Key_Right:
            moveSelection(0, 1);
            break;
        case Qt::Key_Up:
            moveSelection(-1, 0);
            break;
        case Qt::Key_Down:
            moveSelection(1, 0);
            break;
        case Qt::Key_Delete:
            if (m_floating) {
                // Pasted pixels not yet written are thrown away.
                m_floating.reset();
                m_selection.reset();
                updateOverlay();
            } else {
                reportRefusal(m_document.applyToArea(EditOperation::Clear, *m_selection, m_state));
            }
            break;
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            dropSelection();
            break;
        default:
            used = false;
        }
        if (used) {
            event->accept();
            return;
        }
    }
    const int target = modifiers == Qt::NoModifier ? glyphForKey(event->key()) : -1;
    if (target < 0) {
        // Shift gives capitals and symbols; other modifiers make commands.
        if ((modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier) &&
            jumpToCharacter(event->text())) {
            event->accept();
            return;
        }
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    selectGlyph(target);
    showGlyph(target);
    event->accept();
}

bool EditorView::jumpToCharacter(const QString &text)
{
    const QList<uint> points = text.toUcs4();
    if (points.size() != 1 || !QChar::isPrint(points.front()))
        return false;
    const std::optional<int> code = characterCodeFrom(text);
    if (!code)
        return false;
    ViewState next = m_state;
    if (!selectCode(m_document.font(), next, *code)) {
        emit message(missingCharacterMessage(*code));
        return true;
    }
    setState(next);
    showGlyph(currentIndex());
    return true;
}

void EditorView::setTool(Tool tool)
{
    if (tool == m_tool)
        return;
    if (m_stroke) {
        m_document.endStroke();
        m_stroke = false;
    }
    m_drag = Drag::None;
    if (m_tool == Tool::Select)
        dropSelection();
    m_tool = tool;
    updateOverlay();
}

QPoint EditorView::cellPosition(QPoint viewportPoint) const
{
    const QPoint inside = viewportPoint - gridRect().topLeft();
    const int cell = m_layout.cellSize();
    const auto down = [cell](int v) { return v >= 0 ? v / cell : -((-v + cell - 1) / cell); };
    return QPoint(down(inside.x()), down(inside.y()));
}

const Glyph *EditorView::currentGlyph() const
{
    const int index = currentIndex();
    return index >= 0 ? &m_document.font().glyphs[std::size_t(index)] : nullptr;
}

bool EditorView::reportRefusal(const EditResult &result)
{
    if (result.refused())
        emit message(QString::fromLatin1(refusalMessage(result.refusal)));
    return result.refused();
}

bool EditorView::runOnSelection(EditOperation operation, EditResult *result)
{
    if (operation == EditOperation::Paste && m_document.copiedBlock()) {
        // Copied pixels float at the selection's place, or the glyph's top left,
        // until they are dropped.
        commitFloating();
        if (!currentGlyph()) {
            *result = EditResult::refuse(EditRefusal::NoCurrentGlyph);
            return true;
        }
        if (m_tool != Tool::Select) {
            setTool(Tool::Select);
            emit toolChanged(m_tool);
        }
        const PixelBlock &block = *m_document.copiedBlock();
        m_selection = PixelArea{m_selection ? m_selection->top : 0,
                                m_selection ? m_selection->left : 0, block.rows, block.columns};
        m_floating = block;
        updateOverlay();
        *result = EditResult::unchanged();
        return true;
    }
    if (!m_selection)
        return false;
    ViewState next = m_state;
    switch (operation) {
    case EditOperation::Copy:
        commitFloating();
        *result = m_document.copyArea(*m_selection, next);
        break;
    case EditOperation::Cut:
        commitFloating();
        *result = m_document.cutArea(*m_selection, next);
        if (!result->refused())
            m_selection.reset();
        break;
    default:
        if (!actsOnArea(operation))
            return false;
        commitFloating();
        if (!m_selection)
            return false;
        *result = m_document.applyToArea(operation, *m_selection, m_state);
        break;
    }
    setState(next);
    updateOverlay();
    return true;
}

void EditorView::commitFloating()
{
    if (!m_floating || !m_selection)
        return;
    const PixelBlock block = std::move(*m_floating);
    m_floating.reset();
    reportRefusal(m_document.dropBlock(block, m_selection->top, m_selection->left, m_state));
    // The selection now holds the pixels written, those inside the glyph.
    const Glyph *glyph = currentGlyph();
    m_selection = glyph ? m_selection->clippedTo(*glyph) : PixelArea();
    if (m_selection->isEmpty())
        m_selection.reset();
    updateOverlay();
}

void EditorView::dropSelection()
{
    commitFloating();
    if (!m_selection && m_drag != Drag::Selecting && m_drag != Drag::Moving)
        return;
    m_selection.reset();
    if (m_drag == Drag::Selecting || m_drag == Drag::Moving)
        m_drag = Drag::None;
    updateOverlay();
}

void EditorView::moveSelection(int down, int right)
{
    if (!m_selection || (down == 0 && right == 0))
        return;
    if (m_floating) {
        m_selection->top += down;
        m_selection->left += right;
        updateOverlay();
        return;
    }
    PixelArea landed;
    landed.rows = -1; // set once the document has moved the pixels
    if (reportRefusal(m_document.moveArea(*m_selection, down, right, m_state, &landed)) ||
        landed.rows < 0)
        return;
    if (landed.isEmpty())
        m_selection.reset();
    else
        m_selection = landed;
    updateOverlay();
}

void EditorView::toolPress(QPoint viewportPoint)
{
    m_drag = Drag::None;
    int column = 0;
    int row = 0;
    const bool onGrid = cellAt(viewportPoint, &column, &row);
    const QPoint cell = cellPosition(viewportPoint);
    m_pressCell = m_dragCell = cell;
    if (m_tool == Tool::Select) {
        if (m_selection && m_selection->contains(cell.y(), cell.x())) {
            m_drag = Drag::Moving;
            return;
        }
        // A press outside the selection drops it and may start another.
        dropSelection();
        if (onGrid)
            m_drag = Drag::Selecting;
        updateOverlay();
        return;
    }
    if (!onGrid)
        return;
    m_drag = m_tool == Tool::Fill ? Drag::Fill : Drag::Shape;
    updateOverlay();
}

void EditorView::toolMove(QPoint viewportPoint, Qt::KeyboardModifiers modifiers)
{
    if (m_drag == Drag::None || m_drag == Drag::Fill)
        return;
    const QPoint cell = cellPosition(viewportPoint);
    if (cell == m_dragCell)
        return;
    m_dragCell = cell;
    updateOverlay(modifiers);
}

void EditorView::toolRelease(QPoint viewportPoint, Qt::KeyboardModifiers modifiers)
{
    const Drag drag = m_drag;
    m_drag = Drag::None;
    const QPoint cell = cellPosition(viewportPoint);
    switch (drag) {
    case Drag::None: {
        const int picked = m_layout.glyphAt(toDocument(viewportPoint));
        if (picked >= 0)
            selectGlyph(picked);
        break;
    }
    case Drag::Shape:
        reportRefusal(m_document.draw(shapeTo(cell, modifiers), m_state));
        break;
    case Drag::Fill:
        reportRefusal(m_document.draw({Drawing::Shape::Fill, cell.y(), cell.x()}, m_state));
        break;
    case Drag::Selecting: {
        // A click without a drag selects nothing.
        const Glyph *glyph = currentGlyph();
        const PixelArea area =
            PixelArea::spanning(m_pressCell.y(), m_pressCell.x(), cell.y(), cell.x());
        if (glyph && cell != m_pressCell && !area.clippedTo(*glyph).isEmpty())
            m_selection = area.clippedTo(*glyph);
        break;
    }
    case Drag::Moving:
        moveSelection(cell.y() - m_pressCell.y(), cell.x() - m_pressCell.x());
        break;
    }
    updateOverlay();
}

Drawing EditorView::shapeTo(QPoint cell, Qt::KeyboardModifiers modifiers) const
{
    Drawing drawing;
    if (m_tool == Tool::Line)
        drawing.shape = Drawing::Shape::Line;
    else
        drawing.shape = modifiers & Qt::ShiftModifier ? Drawing::Shape::FilledRectangle
                                                      : Drawing::Shape::Rectangle;
    drawing.r1 = m_pressCell.y();
    drawing.c1 = m_pressCell.x();
    drawing.r2 = cell.y();
    drawing.c2 = cell.x();
    return drawing;
}

void EditorView::updateOverlay(Qt::KeyboardModifiers modifiers)
{
    m_overlay = {};
    viewport()->update();
    const Glyph *glyph = currentGlyph();
    if (!glyph)
        return;
    // A shape shows all of itself; a moved or floating selection, the pixels it
    // would change.
    if (m_drag == Drag::Shape) {
        m_overlay.pixels =
            ToolOverlay::shape(*glyph, shapeTo(m_dragCell, modifiers), m_state.paintValue);
    } else if (m_drag == Drag::Selecting) {
        m_overlay.outline =
            PixelArea::spanning(m_pressCell.y(), m_pressCell.x(), m_dragCell.y(), m_dragCell.x())
                .clippedTo(*glyph);
    }
    if (!m_selection || m_drag == Drag::Selecting)
        return;
    const int down = m_drag == Drag::Moving ? m_dragCell.y() - m_pressCell.y() : 0;
    const int right = m_drag == Drag::Moving ? m_dragCell.x() - m_pressCell.x() : 0;
    PixelArea shown = *m_selection;
    shown.top += down;
    shown.left += right;
    if (m_floating || down != 0 || right != 0) {
        Glyph after = *glyph;
        if (m_floating)
            Kernwick::dropBlock(after, blockAtDepth(*m_floating, m_document.font().header.ldepth),
                                shown.top, shown.left);
        else
            Kernwick::moveArea(after, *m_selection, down, right);
        m_overlay.pixels = ToolOverlay::changes(*glyph, after);
    }
    // Floating pixels may hang over the glyph's edge; a selection ends at it.
    m_overlay.outline = m_floating ? shown : shown.clippedTo(*glyph);
}

} // namespace Kernwick
