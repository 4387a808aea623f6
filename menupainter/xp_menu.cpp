#include "menupainter/xp_menu.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionMenuItem>
#include <cmath>

#include "menupainter/xp_menu_item.h"

namespace menupainter {

TXPMenu::TXPMenu(QWidget* owner) : Font(SystemMenuFont()), owner_(owner) { setParent(owner); }

TXPMenu::~TXPMenu() { UnhookAll(); }

void TXPMenu::SetActive(bool value) {
    active_ = value;
    UnhookAll();
    if (value) HookAll();
}

void TXPMenu::Install(QMenu* menu) {
    if (!menu) return;
    installed_.emplace_back(menu);
    if (active_) HookMenu(menu);
}

void TXPMenu::HookAll() {
    if (owner_)
        for (QMenu* menu : owner_->findChildren<QMenu*>()) HookMenu(menu);
    for (const QPointer<QMenu>& menu : installed_)
        if (menu) HookMenu(menu);
}

void TXPMenu::UnhookAll() {
    for (const QPointer<QMenu>& menu : hooked_)
        if (menu) UnhookMenu(menu);
    hooked_.clear();
}

void TXPMenu::HookMenu(QMenu* menu) {
    // A menu given a style of its own keeps it, with its sub-menus.
    if (menu->style() == this || menu->testAttribute(Qt::WA_SetStyle)) return;
    menu->setStyle(this);
    hooked_.emplace_back(menu);
    for (QAction* action : menu->actions())
        if (action->menu()) HookMenu(action->menu());
}

void TXPMenu::UnhookMenu(QMenu* menu) {
    if (menu->style() == this) menu->setStyle(nullptr);
}

void TXPMenu::RehookSiblings(const QWidget* widget) const {
    const auto* menu = qobject_cast<const QMenu*>(widget);
    if (!menu || !active_) return;
    for (QAction* action : menu->actions())
        if (action->menu() && action->menu()->style() != this)
            const_cast<TXPMenu*>(this)->HookMenu(action->menu());
}

QFont TXPMenu::CurrentFont() const { return UseSystemColors ? SystemMenuFont() : Font; }

WorkingColours TXPMenu::SetupColors(int depth) const {
    const QPalette palette = QApplication::palette();
    const auto rgb = [&palette](const ColourRef& colour) { return ColorToRGB(colour, palette); };
    const QColor btnFace = rgb(SystemColour::BtnFace);
    const QColor btnShadow = rgb(SystemColour::BtnShadow);
    const QColor highlight = rgb(SystemColour::Highlight);
    WorkingColours c;
    c.Deep = depth > 15;
    c.Background = rgb(Color);
    c.IconColumn = rgb(IconBackColor);
    c.SelectionFill = rgb(SelectColor);
    c.SelectionBorder = rgb(SelectBorderColor);
    c.SelectionText = rgb(SelectFontColor);
    c.DisabledText = rgb(DisabledColor);
    c.CheckBorder = rgb(CheckedColor);
    c.Separator = rgb(SeparatorColor);
    c.FontColour = rgb(FontColor);
    c.CheckFill = c.Deep ? LightenColor(c.SelectionFill, 75) : QColor(0xFF, 0xFF, 0xFF);
    c.SelectedCheckFill = c.Deep ? LightenColor(c.SelectionFill, 50) : QColor(0xC0, 0xC0, 0xC0);
    if (!UseSystemColors) return c;
    const QColor white(0xFF, 0xFF, 0xFF);
    c.FontColour = SystemMenuTextColour(palette);
    c.SelectionText = c.FontColour;
    c.Background = c.Deep ? LightenColor(btnFace, 86) : white;
    c.IconColumn = c.Deep ? LightenColor(btnFace, 16) : btnFace;
    c.SelectionFill = c.Deep ? LightenColor(highlight, 68) : white;
    c.SelectionBorder = highlight;
    c.DisabledText = c.Deep ? LightenColor(btnShadow, 10) : btnShadow;
    c.Separator = c.Deep ? LightenColor(btnShadow, 25) : btnShadow;
    c.CheckBorder = highlight;
    c.CheckFill = c.Deep ? LightenColor(highlight, 75) : white;
    c.SelectedCheckFill = c.Deep ? LightenColor(highlight, 50) : white;
    return c;
}

QSize TXPMenu::MenuMeasureItem(const QStyleOptionMenuItem& item, const QSize& offered) const {
    const MenuItemText parts = SplitMenuText(item);
    QString text = parts.Caption;
    if (!parts.Shortcut.trimmed().isEmpty()) text += parts.Shortcut + QStringLiteral("WWW");
    const QFontMetrics metrics(CurrentFont());
    int w = metrics.horizontalAdvance(text);
    if (text.contains(QLatin1Char('&'))) w -= metrics.horizontalAdvance(QLatin1Char('&'));
    const QSize image = ImageSize(item);
    w += std::max(image.width(), IconWidth) + 10;
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
    if (active_ && item && element == CE_MenuItem) {
        painter->save();
        DrawItem(*item, *painter, SetupColors(painter->device()->depth()));
        painter->restore();
        RehookSiblings(widget);
    } else if (active_ && element == CE_MenuEmptyArea) {
        painter->fillRect(option->rect, SetupColors(painter->device()->depth()).Background);
    } else {
        QProxyStyle::drawControl(element, option, painter, widget);
    }
}

void TXPMenu::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                            const QWidget* widget) const {
    if (active_ && element == PE_PanelMenu) {
        painter->fillRect(option->rect, SetupColors(painter->device()->depth()).Background);
    } else if (active_ && element == PE_FrameMenu) {
        const QRect r = option->rect;
        const QColor frame = ColorToRGB(SystemColour::BtnShadow, QApplication::palette());
        for (const QRect& edge : {QRect(r.left(), r.top(), r.width(), 1), QRect(r.left(), r.bottom(), r.width(), 1),
                                  QRect(r.left(), r.top(), 1, r.height()), QRect(r.right(), r.top(), 1, r.height())})
            painter->fillRect(edge, frame);
    } else {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
}

int TXPMenu::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
    if (active_) {
        // A one-pixel frame round items that fill the menu's width, with a little air above and
        // below them.
        if (metric == PM_MenuPanelWidth) return 1;
        if (metric == PM_MenuHMargin) return 0;
        if (metric == PM_MenuVMargin) return 2;
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
