// The drawing steps the menu items, menu-bar items and tool buttons share.
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QString>
#include <initializer_list>

#include "menupainter/xp_menu.h"
#include "menupainter/xp_menu_item.h"

class QPainter;

namespace menupainter {

struct ItemState {
    bool Rtl = false;
    bool Selected = false;  // highlighted: the selection box, the lifted icon
    bool Enabled = true;
    bool Checked = false;
    bool Radio = false;
    bool HasImage = false;
    bool Default = false;
    bool Bar = false;         // a menu-bar item
    bool ToolButton = false;  // a toolbar button (its icon is placed by the button)
    bool Pressed = false;
};

// A line from (x1, y1) towards (x2, y2), the end point left out, one pixel wide.
void LineTo(QPainter& canvas, int x1, int y1, int x2, int y2, const QColor& colour);
// A polyline through the points, each segment drawn as LineTo draws it.
void PolyLine(QPainter& canvas, std::initializer_list<QPoint> points, const QColor& colour);
// An outlined rectangle: one-pixel frame in pen over a fill in brush.
void Rectangle(QPainter& canvas, const Edges& r, const QColor& pen, const QColor& brush);
// A one-pixel frame only.
void Frame(QPainter& canvas, const Edges& r, const QColor& pen);

// The icon at its place in the column (menus) or at the column's top-left plus 2 down (tool
// buttons), lightened, greyed, lifted and shadowed by state.
void DrawIcon(QPainter& canvas, const ItemState& s, const Edges& column, int iconWidth, QImage bitmap,
              const WorkingColours& c, const QColor& shadowBase);

struct TextJob {
    MenuItemText Text;
    Edges Rect;
    QColor Under;  // the colour already painted where the caption starts
    int Align = 0;  // Qt::AlignLeft, AlignRight or AlignHCenter; 0: by reading direction
};
void DrawMenuText(QPainter& canvas, const ItemState& s, TextJob job, const WorkingColours& c);

// The selected menu-bar item or pressed menu button: icon-column fill, an outline and a shadow
// at its right. menuItem: drawn for a menu item, not another control.
void DrawBarSelection(QPainter& canvas, const Edges& r, bool rtl, bool menuItem, const WorkingColours& c);

// One-pixel columns lightened from the icon column's colour, fast over the icon zone.
void DrawGradient(QPainter& canvas, const Edges& r, bool rtl, int iconWidth, const QColor& iconColumn);

// The flat border of a pop-up menu window whose rectangle is w (right and bottom exclusive).
void DrawMenuBorder(QPainter& canvas, const Edges& w, bool rtl, bool gradient, int iconWidth, const WorkingColours& c);

// The item's icon on the given colour, as the recolouring steps expect it.
QImage IconBitmap(const QIcon& icon, const QSize& size, const QColor& back);

}  // namespace menupainter
