// Drawing one menu item: background and icon column, selection box, check mark, icon, and the
// caption with its shortcut or a separator line.
#include <QFontMetrics>
#include <QIcon>
#include <QPaintDevice>
#include <QPainter>
#include <QStyleOptionMenuItem>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "menupainter/xp_menu.h"
#include "menupainter/xp_menu_item.h"

namespace menupainter {

namespace {

struct ItemState {
    bool Rtl = false;
    bool Selected = false;
    bool Enabled = true;
    bool Checked = false;
    bool Radio = false;
    bool HasImage = false;
    bool Default = false;
};

ItemState StateOf(const QStyleOptionMenuItem& item) {
    ItemState s;
    s.Rtl = item.direction == Qt::RightToLeft;
    s.Selected = item.state & QStyle::State_Selected;
    s.Enabled = item.state & QStyle::State_Enabled;
    s.Checked = item.checkType != QStyleOptionMenuItem::NotCheckable && item.checked;
    s.Radio = item.checkType == QStyleOptionMenuItem::Exclusive;
    s.HasImage = !item.icon.isNull();
    s.Default = item.menuItemType == QStyleOptionMenuItem::DefaultItem;
    return s;
}

// A line from (x1, y1) towards (x2, y2), the end point left out, one pixel wide.
void LineTo(QPainter& canvas, int x1, int y1, int x2, int y2, const QColor& colour) {
    const int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
    const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
    int error = dx - dy;
    while (x1 != x2 || y1 != y2) {
        canvas.fillRect(x1, y1, 1, 1, colour);
        const int twice = 2 * error;
        if (twice > -dy) error -= dy, x1 += sx;
        if (twice < dx) error += dx, y1 += sy;
    }
}

// An outlined rectangle: one-pixel frame in pen over a fill in brush.
void Rectangle(QPainter& canvas, const Edges& r, const QColor& pen, const QColor& brush) {
    if (r.Width() <= 0 || r.Height() <= 0) return;
    canvas.fillRect(r.ToRect(), brush);
    canvas.fillRect(r.L, r.T, r.Width(), 1, pen);
    canvas.fillRect(r.L, r.B - 1, r.Width(), 1, pen);
    canvas.fillRect(r.L, r.T, 1, r.Height(), pen);
    canvas.fillRect(r.R - 1, r.T, 1, r.Height(), pen);
}

void DrawCheckedItem(QPainter& canvas, const ItemState& s, const Edges& box, const WorkingColours& c) {
    if (!s.Checked) return;
    const QColor fill = s.Selected ? c.SelectedCheckFill : c.CheckFill;
    if (s.Radio) {
        canvas.setRenderHint(QPainter::Antialiasing, false);
        canvas.setPen(c.SelectionBorder);
        canvas.setBrush(fill);
        const QRect shape(box.L, box.T, box.Width() - 1, box.Height() - 1);
        if (s.HasImage)
            canvas.drawRoundedRect(shape, 3, 3);
        else
            canvas.drawEllipse(shape);
        return;
    }
    if (s.HasImage) {
        Rectangle(canvas, box, c.SelectionBorder, fill);
        return;
    }
    Rectangle(canvas, box, c.CheckBorder, fill);
    const QColor black(0, 0, 0);
    const int L = box.L, T = box.T, R = box.R, B = box.B;
    LineTo(canvas, L + 1, T + 5, L + 4, B - 2, black);
    LineTo(canvas, L + 2, T + 5, L + 4, B - 3, black);
    LineTo(canvas, L + 2, T + 4, L + 5, B - 3, black);
    LineTo(canvas, L + 4, B - 3, R + 2, T - 1, black);
    LineTo(canvas, L + 4, B - 2, R - 2, T + 3, black);
}

// The bitmap with every pixel of its bottom-left colour left out.
void DrawTransparent(QPainter& canvas, const QImage& bitmap, int x, int y) {
    QImage keyed = bitmap.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = keyed.pixel(0, keyed.height() - 1);
    for (int j = 0; j < keyed.height(); ++j) {
        auto* row = reinterpret_cast<QRgb*>(keyed.scanLine(j));
        for (int i = 0; i < keyed.width(); ++i)
            if (row[i] == key) row[i] = 0;
    }
    canvas.drawImage(x, y, keyed);
}

void DrawIcon(QPainter& canvas, const ItemState& s, const Edges& column, int iconWidth, QImage bitmap,
              const WorkingColours& c) {
    if (bitmap.isNull()) return;
    int y = column.T + 4;
    int x = bitmap.width() <= iconWidth ? column.L + (iconWidth - bitmap.width()) / 2 - 1
            : s.Rtl                     ? column.R - bitmap.width() - 2
                                        : column.L + 2;
    const bool lifts = s.Selected && s.Enabled && !s.Checked;
    if (lifts) --x, --y;
    if (!s.Selected && s.Enabled && !s.Checked && c.Deep) LightenBitmap(bitmap, 30);
    if (!s.Enabled) GrayBitmap(bitmap, s.Selected ? 70 : 60);
    if (lifts) DrawBitmapTransparent(bitmap, canvas, x + 2, y + 2, DarkenColor(c.SelectionFill, 50));
    DrawTransparent(canvas, bitmap, x, y);
}

struct TextJob {
    MenuItemText Text;
    Edges Rect;
    QColor Under;  // the colour already painted where the caption starts
};

void DrawMenuText(QPainter& canvas, const ItemState& s, TextJob job, const WorkingColours& c) {
    QColor colour = c.FontColour;
    if (s.Selected) colour = c.SelectionText;
    if (!s.Enabled) colour = s.Selected && c.Deep ? LightenColor(c.DisabledText, 10) : c.DisabledText;
    Edges& r = job.Rect;
    r.T += (r.Height() - canvas.fontMetrics().height()) / 2;
    const int align = (s.Rtl ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop | Qt::TextSingleLine;
    const int flags = align | Qt::TextShowMnemonic;
    const QString caption = QStringLiteral(" ") + job.Text.Caption;
    if (s.Default && s.Enabled) {
        // An embossed caption under the normal one.
        const struct { int dx, dy, darken; } passes[] = {{1, 0, 30}, {1, 2, 30}, {0, 1, 40}, {1, 1, 60}};
        for (const auto& pass : passes) {
            canvas.setPen(DarkenColor(job.Under, pass.darken));
            canvas.drawText(r.ToRect().translated(pass.dx, pass.dy), flags, caption);
        }
    }
    canvas.setPen(colour);
    canvas.drawText(r.ToRect(), flags, caption);
    if (job.Text.Shortcut.isEmpty()) return;
    canvas.setPen(c.Deep ? DarkenColor(colour, -40) : colour);
    Edges shortcut = r;
    if (s.Rtl)
        shortcut.L += 10;
    else
        shortcut.R -= 10;
    const int shortcutAlign = (s.Rtl ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignTop | Qt::TextSingleLine;
    canvas.drawText(shortcut.ToRect(), shortcutAlign | Qt::TextShowMnemonic, job.Text.Shortcut + QStringLiteral(" "));
}

// A small solid triangle pointing away from the icon column.
void DrawSubMenuArrow(QPainter& canvas, const ItemState& s, const Edges& rect, const QColor& colour) {
    const int x = s.Rtl ? rect.L + 4 : rect.R - 8;
    const int middle = rect.T + rect.Height() / 2 - 1;
    for (int i = 0; i < 4; ++i) {
        const int column = s.Rtl ? x + 3 - i : x + i;
        canvas.fillRect(column, middle - 3 + i, 1, 7 - 2 * i, colour);
    }
}

struct ItemLayout {
    Edges Rect;    // the item, one row taller
    Edges Column;  // the icon column
    Edges Box;     // the check mark's box
    Edges Text;    // caption or separator
};

ItemLayout LayOut(const QStyleOptionMenuItem& item, const ItemState& s, int iconWidth) {
    ItemLayout at;
    at.Rect = {item.rect.left(), item.rect.top(), item.rect.right() + 1, item.rect.bottom() + 2};
    const Edges& r = at.Rect;
    at.Column = s.Rtl ? Edges{r.R - iconWidth, r.T, r.R, r.B} : Edges{r.L, r.T, r.L + iconWidth, r.B};
    const Edges& col = at.Column;
    const int boxL = col.L + (col.Width() - 10) / 2, boxT = col.T + (col.Height() - 10) / 2;
    at.Box = s.HasImage ? Edges{col.L + 1, col.T + 2, col.R - 3, col.B - 2} : Edges{boxL, boxT, boxL + 10, boxT + 10};
    // The caption starts after the icon column, or after an icon wider than the column.
    const int imageWidth = ImageSize(item).width();
    const int inset = iconWidth < imageWidth ? imageWidth + 4 : iconWidth;
    at.Text = r;
    if (s.Rtl)
        at.Text.R = r.R - inset;
    else
        at.Text.L = r.L + inset;
    return at;
}

// The item's icon on the icon column's colour, as the recolouring steps expect it.
QImage IconBitmap(const QStyleOptionMenuItem& item, const QColor& iconColumn) {
    QImage bitmap(ImageSize(item), QImage::Format_ARGB32);
    bitmap.fill(iconColumn);
    QPainter into(&bitmap);
    item.icon.paint(&into, bitmap.rect());
    into.end();
    return bitmap;
}

void DrawSeparator(QPainter& canvas, const ItemState& s, const Edges& text, const QColor& colour) {
    const int y = text.T + int(std::nearbyint(text.Height() / 2.0));
    if (s.Rtl)
        LineTo(canvas, text.L, y, text.R - 7, y, colour);
    else
        LineTo(canvas, text.L + 7, y, text.R, y, colour);
}

}  // namespace

void TXPMenu::DrawItem(const QStyleOptionMenuItem& item, QPainter& canvas, const WorkingColours& c) const {
    const ItemState s = StateOf(item);
    const ItemLayout at = LayOut(item, s, IconWidth);
    canvas.setFont(CurrentFont());
    canvas.fillRect(at.Rect.ToRect(), c.Background);
    canvas.fillRect(at.Column.ToRect(), c.IconColumn);
    const bool selectionBox = s.Selected && DrawSelect && s.Enabled;
    if (selectionBox)
        Rectangle(canvas, Edges{at.Rect.L, at.Rect.T + 1, at.Rect.R, at.Rect.B - 1}, c.SelectionBorder, c.SelectionFill);
    DrawCheckedItem(canvas, s, at.Box, c);
    if (s.HasImage) DrawIcon(canvas, s, at.Column, IconWidth, IconBitmap(item, c.IconColumn), c);
    if (item.menuItemType == QStyleOptionMenuItem::Separator) {
        DrawSeparator(canvas, s, at.Text, c.Separator);
        return;
    }
    Edges moved = at.Text;
    if (s.Rtl)
        moved.R -= 5;
    else
        moved.L += 5;
    DrawMenuText(canvas, s, {SplitMenuText(item), moved, selectionBox ? c.SelectionFill : c.Background}, c);
    if (item.menuItemType == QStyleOptionMenuItem::SubMenu)
        DrawSubMenuArrow(canvas, s, at.Rect, s.Enabled ? (s.Selected ? c.SelectionText : c.FontColour) : c.DisabledText);
}

}  // namespace menupainter
