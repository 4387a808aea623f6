// What the painter's measuring and drawing share about one menu item.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QStyleOptionMenuItem>

namespace menupainter {

// Menu icons are drawn at most this size, the size of the small icons menus carry.
constexpr int kImageSide = 16;

struct MenuItemText {
    QString Caption;
    QString Shortcut;
};

// Qt hands an item's caption and shortcut as one text split by a tab.
inline MenuItemText SplitMenuText(const QStyleOptionMenuItem& item) {
    if (item.menuItemType == QStyleOptionMenuItem::Separator) return {};
    const qsizetype tab = item.text.indexOf(QLatin1Char('\t'));
    if (tab < 0) return {item.text, {}};
    return {item.text.left(tab), item.text.mid(tab + 1)};
}

// The item's image size; (0, 0) without one.
inline QSize ImageSize(const QStyleOptionMenuItem& item) {
    if (item.icon.isNull() || item.menuItemType == QStyleOptionMenuItem::Separator) return {0, 0};
    return item.icon.actualSize(QSize(kImageSide, kImageSide));
}

// A rectangle by its edges, right and bottom exclusive, as the drawing steps give them.
struct Edges {
    int L = 0;
    int T = 0;
    int R = 0;
    int B = 0;
    int Width() const { return R - L; }
    int Height() const { return B - T; }
    QRect ToRect() const { return QRect(L, T, R - L, B - T); }
};

}  // namespace menupainter
