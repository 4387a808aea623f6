// The style's entry points: sizes and metrics of hooked menus, menu bars and toolbars, and which
// drawing step each element goes to.
#include <QApplication>
#include <QFontMetrics>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStyleOptionMenuItem>
#include <QToolBar>
#include <QToolButton>
#include <cmath>

#include "menupainter/xp_menu.h"
#include "menupainter/xp_menu_item.h"
#include "menupainter/xp_menu_paint.h"

namespace menupainter {

namespace {

bool IsMenuBar(const QWidget* widget) { return qobject_cast<const QMenuBar*>(widget) != nullptr; }

bool InToolBar(const QWidget* widget) {
    return widget && (qobject_cast<const QToolBar*>(widget) || qobject_cast<const QToolBar*>(widget->parentWidget()));
}

}  // namespace

QSize TXPMenu::MenuMeasureItem(const QStyleOptionMenuItem& item, const QSize& offered, bool barItem) const {
    const MenuItemText parts = SplitMenuText(item);
    QString text = parts.Caption;
    if (!parts.Shortcut.trimmed().isEmpty()) text += parts.Shortcut + QStringLiteral("WWW");
    const QFontMetrics metrics(CurrentFont());
    int w = metrics.horizontalAdvance(text);
    if (text.contains(QLatin1Char('&'))) w -= metrics.horizontalAdvance(QLatin1Char('&'));
    const QSize image = ImageSize(item);
    w += (barItem ? image.width() : std::max(image.width(), IconWidth)) + 10;
    QSize size(std::max(offered.width(), w), offered.height());
    if (item.menuItemType == QStyleOptionMenuItem::Separator) {
        size.setHeight(4);
    } else {
        const int textHeight = metrics.height();
        const int h = std::max(textHeight + int(std::nearbyint(textHeight * 0.75)), image.height() + 4);
        size.setHeight(std::max(offered.height(), h));
    }
    return size;
}

QSize TXPMenu::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                const QWidget* widget) const {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (active_ && type == CT_MenuBarItem && item) return MenuMeasureItem(*item, size, true);
    if (!active_ || type != CT_MenuItem || !item) return QProxyStyle::sizeFromContents(type, option, size, widget);
    QSize measured = MenuMeasureItem(*item, size);
    if (item->menuItemType == QStyleOptionMenuItem::Separator) return measured;
    // A desktop menu gives an owner-measured item two average characters more, so a caption
    // never runs into the menu's edge.
    measured.rwidth() += 2 * QFontMetrics(CurrentFont()).averageCharWidth();
    // The menu adds its widest shortcut to every item, and the measured width holds the item's
    // own shortcut already.
    const QString shortcut = SplitMenuText(*item).Shortcut;
    if (widget && !shortcut.isEmpty()) measured.rwidth() -= widget->fontMetrics().horizontalAdvance(shortcut);
    return measured;
}

void TXPMenu::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                          const QWidget* widget) const {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (active_ && item && (element == CE_MenuItem || element == CE_MenuBarItem)) {
        painter->save();
        DrawItem(*item, *painter, SetupColors(painter->device()->depth()), element == CE_MenuBarItem);
        painter->restore();
        RehookSiblings(widget);
    } else if (active_ && element == CE_MenuEmptyArea) {
        painter->fillRect(option->rect, SetupColors(painter->device()->depth()).Background);
    } else if (active_ && element == CE_MenuBarEmptyArea) {
        painter->fillRect(option->rect, SetupColors(painter->device()->depth()).MenuBar);
    } else {
        QProxyStyle::drawControl(element, option, painter, widget);
    }
}

void TXPMenu::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                            const QWidget* widget) const {
    if (!active_) return QProxyStyle::drawPrimitive(element, option, painter, widget);
    const QRect r = option->rect;
    if (element == PE_PanelMenu) {
        painter->fillRect(r, SetupColors(painter->device()->depth()).Background);
    } else if (element == PE_PanelMenuBar && IsMenuBar(widget)) {
        painter->fillRect(r, SetupColors(painter->device()->depth()).MenuBar);
    } else if (element == PE_FrameMenu && FlatMenu && qobject_cast<const QMenu*>(widget)) {
        const WorkingColours c = SetupColors(painter->device()->depth());
        painter->save();
        const int fw = pixelMetric(PM_MenuPanelWidth, option, widget);
        painter->setClipRegion(QRegion(r).subtracted(QRegion(r.adjusted(fw, fw, -fw, -fw))));
        // What the border steps leave undrawn continues the icon column.
        painter->fillRect(r, c.IconColumn);
        DrawMenuBorder(*painter, Edges{r.left(), r.top(), r.right() + 1, r.bottom() + 1},
                       option->direction == Qt::RightToLeft, Gradient && c.Deep, IconWidth, c);
        painter->restore();
    } else if (element == PE_FrameMenu) {
        const QColor frame = ColorToRGB(SystemColour::BtnShadow, QApplication::palette());
        for (const QRect& edge : {QRect(r.left(), r.top(), r.width(), 1), QRect(r.left(), r.bottom(), r.width(), 1),
                                  QRect(r.left(), r.top(), 1, r.height()), QRect(r.right(), r.top(), 1, r.height())})
            painter->fillRect(edge, frame);
    } else if (element == PE_IndicatorToolBarSeparator && InToolBar(widget)) {
        // A separator between buttons is refilled with the buttons' face.
        const WorkingColours c = SetupColors(painter->device()->depth());
        const QColor btnFace = ColorToRGB(SystemColour::BtnFace, QApplication::palette());
        painter->fillRect(r, c.Deep ? LightenColor(btnFace, 16) : btnFace);
    } else {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
}

void TXPMenu::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                 const QWidget* widget) const {
    const auto* button = qstyleoption_cast<const QStyleOptionToolButton*>(option);
    if (active_ && control == CC_ToolButton && button && InToolBar(widget)) {
        painter->save();
        ToolBarDrawButton(*button, *painter, widget);
        painter->restore();
        RehookSiblings(widget);
        return;
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

int TXPMenu::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
    if (active_) {
        // A one-pixel frame round items that fill the menu's width, with a little air above and
        // below them; the flat border takes three.
        if (metric == PM_MenuPanelWidth) return FlatMenu ? 3 : 1;
        if (metric == PM_MenuHMargin) return 0;
        if (metric == PM_MenuVMargin) return 2;
        // Menu-bar items abut, as the bar's own items do.
        if (metric == PM_MenuBarItemSpacing || metric == PM_MenuBarHMargin || metric == PM_MenuBarVMargin ||
            metric == PM_MenuBarPanelWidth)
            return 0;
        if (metric == PM_MenuButtonIndicator && qobject_cast<const QToolButton*>(widget)) return 13;
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

int TXPMenu::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                       QStyleHintReturn* returnData) const {
    // Disabled items take the hover like any other; they only get no selection box.
    if (active_ && hint == SH_Menu_AllowActiveAndDisabled) return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

}  // namespace menupainter
