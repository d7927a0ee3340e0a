#pragma once

#include "editor/tooloverlay.h"
#include "editor/viewlayout.h"

#include "libkernwick/font/areaediting.h"
#include "libkernwick/font/editingstate.h"
#include "libkernwick/font/editresult.h"
#include "libkernwick/font/glyphediting.h"

#include <QAbstractScrollArea>

#include <map>
#include <optional>

class QAction;
class QMenu;

namespace Kernwick {

class Document;

/// What a left press and drag in the grid does.
enum class Tool
{
    Pencil,    ///< paints the pixels the pointer passes over
    Line,      ///< a straight line from the press to the release
    Rectangle, ///< a rectangle's outline from the press to the release; filled
               ///< when Shift is held at the release
    Fill,      ///< flood fill of the clicked pixel's 4-connected area
    Select,    ///< a rectangle of pixels to move, copy, cut, clear or transform
};

/// The font editor's view: the current glyph enlarged, its figures beside it and
/// every glyph of the font in a strip below.
///
/// With the Pencil, a left click or drag in the grid paints the current glyph with the paint value
/// (on release and on move, never on press; a drag paints only with the left
/// button alone and no modifier key); one press-to-release is one undo step. A
/// stroke stays on the glyph it began in: moving to another glyph during a drag
/// ends it, and the drag paints nothing more until the next press. A
/// click on a thumbnail makes that glyph current. A right click in the grid opens
/// the menu with "Set Ascent" and "Set Left" for the cell under the pointer.
///
/// With the Line and Rectangle tools a drag shows the shape over the grid and
/// paints it on release; with Fill a click fills. Each is one undo step.
///
/// With the Select tool a drag selects a rectangle of pixels, shown with a dashed
/// frame. A drag inside it, or an arrow key, moves its pixels (each drag and each
/// key press one undo step): the pixels it uncovers become transparent and those
/// moved out of the glyph are lost. Copy, Cut, Clear, Delete and the transforms
/// act on the selection. A Paste of copied pixels floats over the glyph at the
/// selection's place (or the glyph's top left) until it is dropped, written as one
/// step, by Escape, Enter, a click outside it or a move to another glyph; Delete
/// throws it away. Escape drops a selection, as does another tool.
///
/// A printable character typed while the view has the focus jumps to its glyph.
///
/// The arrow keys, Home, End, Page Up and Page Down move the current glyph through
/// the strip (left and right in table order, up and down by strip lines, a page by
/// the lines the window shows), and the strip scrolls to keep it in view. Zoom
/// scales the cells and the thumbnails; Ctrl + mouse wheel zooms about the pointer.
///
/// The view keeps its own ViewState and changes the font only through the
/// Document, whose signals bring every change back here.
class EditorView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit EditorView(Document &document, QWidget *parent = nullptr);

    const ViewState &state() const { return m_state; }
    /// The current glyph's index in the glyph table, or -1 in a font without glyphs.
    int currentIndex() const;
    /// Makes glyph `index` current (ignored when the font has no such glyph).
    void selectGlyph(int index);
    const ViewLayout &layout() const { return m_layout; }

    /// Runs an editing command on the current glyph or the font.
    EditResult run(EditOperation operation);
    /// Whether the command's menu entry is enabled now.
    bool isEnabled(EditOperation operation) const;
    void undo();
    void redo();

    /// The "Set Ascent" and "Set Left" entries of the right-click menu.
    QAction *setAscentAction() const { return m_cellActions.at(EditOperation::SetAscent); }
    QAction *setLeftAction() const { return m_cellActions.at(EditOperation::SetLeft); }

    /// What a left drag in the grid does (Pencil unless set).
    Tool tool() const { return m_tool; }
    /// Changes the tool; leaving Select drops the selection.
    void setTool(Tool tool);
    /// The selected pixels (for a floating selection, where it floats), if any.
    const std::optional<PixelArea> &selection() const { return m_selection; }
    /// Whether the selection is pasted pixels not yet written to the glyph.
    bool isFloating() const { return m_floating.has_value(); }
    /// Writes a floating selection to the glyph and forgets the selection.
    void dropSelection();
    /// What the grid shows over the glyph now (a shape being dragged, the selection).
    const ToolOverlay &overlay() const { return m_overlay; }

    /// The enlarged grid in viewport pixels, as last laid out.
    QRect gridRect() const;

    /// The zoom in percent (one of ViewLayout::ZoomSteps).
    int zoom() const { return m_layout.zoom(); }
    /// Zooms to `percent`, keeping what lies under `anchor` (viewport pixels) in
    /// place as far as the scroll range allows (Ctrl + wheel, about the pointer).
    void zoomAt(int percent, QPoint anchor);
    /// Zooms to `percent` about the current glyph's grid, which stays in view.
    /// After every zoom the scroll ranges cover just the document, and a document
    /// that fits shows from its top left without scroll bars.
    void zoomAboutGrid(int percent);
    /// Zoom In, Zoom Out and Actual Size: about the current glyph's grid.
    void zoomIn();
    void zoomOut();
    void actualSize();
    bool canZoomIn() const;
    bool canZoomOut() const;
    /// Scrolls so that glyph `index`'s place in the strip is in view.
    void showGlyph(int index);

    /// Whether the strip shows each glyph's character and code under its thumbnail.
    bool showsGlyphLabels() const { return m_glyphLabels; }
    /// Shows or hides the glyph labels; the strip is laid out again.
    void setGlyphLabels(bool shown);

signals:
    /// The current glyph, the paint value or what can be pasted changed.
    void stateChanged();
    void zoomChanged(int percent);
    /// The view changed its tool itself (a Paste of pixels takes up Select).
    void toolChanged(Tool tool);
    /// A sentence for the status bar: why a tool or key did nothing.
    void message(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void fontReplaced();
    void fontChanged();
    void relayout();
    /// The font laid out at `zoom` for the view's width.
    ViewLayout layoutAt(int zoom) const;
    void setScrollRanges();
    /// Lays the font out at `percent`; false (nothing done) when that is the zoom
    /// already or no zoom step.
    bool setZoom(int percent);
    /// The glyph a navigation key leads to from the current one, or -1.
    int glyphForKey(int key) const;
    QPoint toDocument(QPoint viewportPoint) const;
    bool cellAt(QPoint viewportPoint, int *column, int *row) const;
    void paintAt(QPoint viewportPoint);
    void openCellMenu(QPoint viewportPoint, QPoint globalPoint);
    void setState(const ViewState &state);

    /// The cell (column, row) under a viewport point, counted from the grid's
    /// top left cell whether or not the point lies on the grid.
    QPoint cellPosition(QPoint viewportPoint) const;
    const Glyph *currentGlyph() const;
    /// Tells the status bar why `result` was refused; true when it was.
    bool reportRefusal(const EditResult &result);
    /// Runs a command on the selection; false when the command leaves it alone.
    bool runOnSelection(EditOperation operation, EditResult *result);
    /// Writes a floating selection to the glyph; the selection stays.
    void commitFloating();
    /// Moves the selection's pixels (a floating one only floats further).
    void moveSelection(int down, int right);
    /// Jumps to the glyph of a typed character; false when `text` is none.
    bool jumpToCharacter(const QString &text);
    void toolPress(QPoint viewportPoint);
    void toolMove(QPoint viewportPoint, Qt::KeyboardModifiers modifiers);
    void toolRelease(QPoint viewportPoint, Qt::KeyboardModifiers modifiers);
    /// The shape a Line or Rectangle drag from the press to `cell` paints.
    Drawing shapeTo(QPoint cell, Qt::KeyboardModifiers modifiers) const;
    /// Builds what the grid shows over the glyph for the drag in progress.
    void updateOverlay(Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    /// A left drag of a tool other than the Pencil, from press to release.
    enum class Drag
    {
        None,
        Shape,     ///< Line or Rectangle
        Fill,      ///< a click of Fill
        Selecting, ///< a new selection being spanned
        Moving,    ///< the selection being dragged
    };

    Document &m_document;
    ViewState m_state;
    ViewLayout m_layout;
    bool m_stroke = false;
    bool m_strokeCut = false; ///< the press's stroke ended when the view left its glyph
    Tool m_tool = Tool::Pencil;
    Drag m_drag = Drag::None;
    QPoint m_pressCell; ///< (column, row) of the drag's press
    QPoint m_dragCell;  ///< (column, row) under the pointer during the drag
    std::optional<PixelArea> m_selection;
    std::optional<PixelBlock> m_floating; ///< pasted pixels over the selection's place
    ToolOverlay m_overlay;
    int m_zoom = ViewLayout::ActualSize;
    bool m_glyphLabels = false;
    int m_wheelAngle = 0; ///< Ctrl + wheel turns not yet a whole zoom step
    QMenu *m_cellMenu = nullptr;
    std::map<EditOperation, QAction *> m_cellActions; ///< the right-click menu's entries
};

} // namespace Kernwick
