#pragma once

#include "editor/viewlayout.h"

#include "libkernwick/font/editingstate.h"
#include "libkernwick/font/editresult.h"
#include "libkernwick/font/glyphediting.h"

#include <QAbstractScrollArea>

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
/// click on a thumbnail makes that glyph current. A right click in the grid opens
/// the menu with "Set Ascent" and "Set Left" for the cell under the pointer.
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
    QAction *setAscentAction() const { return m_setAscent; }
    QAction *setLeftAction() const { return m_setLeft; }

    /// The enlarged grid in viewport pixels, as last laid out.
    QRect gridRect() const;

signals:
    /// The current glyph, the paint value or what can be pasted changed.
    void stateChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void fontReplaced();
    void fontChanged();
    void relayout();
    QPoint toDocument(QPoint viewportPoint) const;
    bool cellAt(QPoint viewportPoint, int *column, int *row) const;
    void paintAt(QPoint viewportPoint);
    void openCellMenu(QPoint viewportPoint, QPoint globalPoint);
    void setState(const ViewState &state);

    Document &m_document;
    ViewState m_state;
    ViewLayout m_layout;
    bool m_stroke = false;
    QMenu *m_cellMenu = nullptr;
    QAction *m_setAscent = nullptr;
    QAction *m_setLeft = nullptr;
};

} // namespace Kernwick
