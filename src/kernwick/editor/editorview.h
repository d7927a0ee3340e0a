#pragma once

#include "editor/viewlayout.h"

#include "libkernwick/font/editingstate.h"
#include "libkernwick/font/editresult.h"
#include "libkernwick/font/glyphediting.h"

#include <QAbstractScrollArea>

#include <map>

class QAction;
class QMenu;

namespace Kernwick {

class Document;

/// The font editor's view: the current glyph enlarged, its figures beside it and
/// every glyph of the font in a strip below.
///
/// A left click or drag in the grid paints the current glyph with the paint value
/// (on release and on move, never on press; a drag paints only with the left
/// button alone and no modifier key); one press-to-release is one undo step. A
/// stroke stays on the glyph it began in: moving to another glyph during a drag
/// ends it, and the drag paints nothing more until the next press. A
/// click on a thumbnail makes that glyph current. A right click in the grid opens
/// the menu with "Set Ascent" and "Set Left" for the cell under the pointer.
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

    Document &m_document;
    ViewState m_state;
    ViewLayout m_layout;
    bool m_stroke = false;
    bool m_strokeCut = false; ///< the press's stroke ended when the view left its glyph
    int m_zoom = ViewLayout::ActualSize;
    bool m_glyphLabels = false;
    int m_wheelAngle = 0; ///< Ctrl + wheel turns not yet a whole zoom step
    QMenu *m_cellMenu = nullptr;
    std::map<EditOperation, QAction *> m_cellActions; ///< the right-click menu's entries
};

} // namespace Kernwick
