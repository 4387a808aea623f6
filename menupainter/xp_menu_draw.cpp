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
#include "menupainter/xp_menu_paint.h"

namespace menupainter {

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

void PolyLine(QPainter& canvas, std::initializer_list<QPoint> points, const QColor& colour) {
    const QPoint* previous = nullptr;
    for (const QPoint& point : points) {
        if (previous) LineTo(canvas, previous->x(), previous->y(), point.x(), point.y(), colour);
        previous = &point;
    }
}

void Frame(QPainter& canvas, const Edges& r, const QColor& pen) {
    if (r.Width() <= 0 || r.Height() <= 0) return;
    canvas.fillRect(r.L, r.T, r.Width(), 1, pen);
    canvas.fillRect(r.L, r.B - 1, r.Width(), 1, pen);
    canvas.fillRect(r.L, r.T, 1, r.Height(), pen);
    canvas.fillRect(r.R - 1, r.T, 1, r.Height(), pen);
}

void Rectangle(QPainter& canvas, const Edges& r, const QColor& pen, const QColor& brush) {
    if (r.Width() <= 0 || r.Height() <= 0) return;
    canvas.fillRect(r.ToRect(), brush);
    Frame(canvas, r, pen);
}

namespace {

ItemState StateOf(const QStyleOptionMenuItem& item, bool barItem) {
    ItemState s;
    s.Rtl = item.direction == Qt::RightToLeft;
    s.Selected = item.state & QStyle::State_Selected;
    s.Enabled = item.state & QStyle::State_Enabled;
    s.Checked = item.checkType != QStyleOptionMenuItem::NotCheckable && item.checked;
    s.Radio = item.checkType == QStyleOptionMenuItem::Exclusive;
    s.HasImage = !item.icon.isNull();
    s.Default = item.menuItemType == QStyleOptionMenuItem::DefaultItem;
    s.Bar = barItem;
    return s;
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
    at.Text = r;
    // A menu-bar item's caption takes the whole item, or reaches 5 pixels into its icon's column.
    if (s.Bar && !s.HasImage) return at;
    // The caption starts after the icon column, or after an icon wider than the column.
    const int imageWidth = ImageSize(item).width();
    const int inset = iconWidth < imageWidth ? imageWidth + 4 : iconWidth;
    const int reach = s.Bar ? 5 : 0;
    if (s.Rtl)
        at.Text.R = r.R - inset + reach;
    else
        at.Text.L = r.L + inset - reach;
    return at;
}

void DrawSeparator(QPainter& canvas, const ItemState& s, const Edges& text, const QColor& colour) {
    const int y = text.T + int(std::nearbyint(text.Height() / 2.0));
    if (s.Rtl)
        LineTo(canvas, text.L, y, text.R - 7, y, colour);
    else
        LineTo(canvas, text.L + 7, y, text.R, y, colour);
}

}  // namespace

QImage IconBitmap(const QIcon& icon, const QSize& size, const QColor& back) {
    QImage bitmap(size, QImage::Format_ARGB32);
    bitmap.fill(back);
    QPainter into(&bitmap);
    icon.paint(&into, bitmap.rect());
    into.end();
    return bitmap;
}

void DrawIcon(QPainter& canvas, const ItemState& s, const Edges& column, int iconWidth, QImage bitmap,
              const WorkingColours& c, const QColor& shadowBase) {
    if (bitmap.isNull()) return;
    int x = column.L;
    int y = column.T + 2;
    if (!s.ToolButton) {
        y = column.T + 4;
        x = bitmap.width() <= iconWidth ? column.L + (iconWidth - bitmap.width()) / 2 - 1
            : s.Rtl                     ? column.R - bitmap.width() - 2
                                        : column.L + 2;
    }
    const bool lifts = s.Selected && !s.Bar && s.Enabled && !s.Checked && !s.Pressed;
    if (lifts) --x, --y;
    if (!s.Selected && s.Enabled && !s.Checked && c.Deep) LightenBitmap(bitmap, 30);
    if (!s.Enabled) GrayBitmap(bitmap, s.Selected ? 70 : 60);
    if (s.Selected && s.Enabled && !s.Checked) DrawBitmapTransparent(bitmap, canvas, x + 2, y + 2, DarkenColor(shadowBase, 50));
    DrawTransparent(canvas, bitmap, x, y);
}

void DrawMenuText(QPainter& canvas, const ItemState& s, TextJob job, const WorkingColours& c) {
    QColor colour = c.FontColour;
    if (s.Selected) colour = c.SelectionText;
    if (!s.Enabled) colour = s.Selected && c.Deep ? LightenColor(c.DisabledText, 10) : c.DisabledText;
    if (s.Selected && s.Bar) {
        // The caption on the icon column's colour: the font's colour when that is light enough.
        const QColor back = c.IconColumn;
        const bool light = (back.red() + back.blue()) / 2 > 150 || back.green() > 200;
        colour = light ? c.FontColour : LightenColor(back, 90);
    }
    Edges& r = job.Rect;
    r.T += (r.Height() - canvas.fontMetrics().height()) / 2;
    const int horizontal = job.Align ? job.Align : s.Rtl ? Qt::AlignRight : Qt::AlignLeft;
    const int flags = horizontal | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic;
    const QString& caption = job.Text.Caption;
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

void TXPMenu::DrawItem(const QStyleOptionMenuItem& item, QPainter& canvas, const WorkingColours& c,
                       bool barItem) const {
    const ItemState s = StateOf(item, barItem);
    const ItemLayout at = LayOut(item, s, IconWidth);
    canvas.setFont(CurrentFont());
    QColor under = c.Background;
    if (s.Bar) {
        canvas.fillRect(at.Rect.ToRect(), c.MenuBar);
        under = c.MenuBar;
    } else if (c.Deep && Gradient) {
        DrawGradient(canvas, Edges{at.Rect.L, at.Rect.T, at.Rect.R + 2, at.Rect.B}, s.Rtl, IconWidth, c.IconColumn);
    } else {
        canvas.fillRect(at.Rect.ToRect(), c.Background);
        canvas.fillRect(at.Column.ToRect(), c.IconColumn);
    }
    if (s.Selected && DrawSelect && s.Bar) {
        DrawBarSelection(canvas, at.Rect, s.Rtl, true, c);
        under = c.IconColumn;
    } else if (s.Selected && DrawSelect && s.Enabled) {
        Rectangle(canvas, Edges{at.Rect.L, at.Rect.T + 1, at.Rect.R - (FlatMenu ? 1 : 0), at.Rect.B - 1},
                  c.SelectionBorder, c.SelectionFill);
        under = c.SelectionFill;
    }
    DrawCheckedItem(canvas, s, at.Box, c);
    if (s.HasImage)
        DrawIcon(canvas, s, at.Column, IconWidth, IconBitmap(item.icon, ImageSize(item), c.IconColumn), c, c.SelectionFill);
    if (item.menuItemType == QStyleOptionMenuItem::Separator) {
        DrawSeparator(canvas, s, at.Text, c.Separator);
        return;
    }
    Edges moved = at.Text;
    if (s.Rtl)
        moved.R -= 5;
    else
        moved.L += 5;
    MenuItemText text = SplitMenuText(item);
    text.Caption.prepend(QLatin1Char(' '));
    DrawMenuText(canvas, s, {text, moved, under, 0}, c);
    if (item.menuItemType == QStyleOptionMenuItem::SubMenu)
        DrawSubMenuArrow(canvas, s, at.Rect, s.Enabled ? (s.Selected ? c.SelectionText : c.FontColour) : c.DisabledText);
}

}  // namespace menupainter
