#include "menupainter/xp_menu.h"

#include <QAction>
#include <QApplication>
#include <QChildEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <utility>

namespace menupainter {

TXPMenu::TXPMenu(QWidget* owner) : Font(SystemMenuFont()), owner_(owner) {
    setParent(owner);
    WatchOwner();
}

TXPMenu::~TXPMenu() { UnhookAll(); }

void TXPMenu::SetActive(bool value) {
    active_ = value;
    UnhookAll();
    if (value) HookAll();
    RedrawMenuBars();
}

void TXPMenu::SetOverrideOwnerDraw(bool value) {
    override_ = value;
    if (active_) SetActive(true);
}

void TXPMenu::SetMenuBarColor(const ColourRef& colour) {
    menuBarColor_ = colour;
    RedrawMenuBars();
}

void TXPMenu::RedrawMenuBars() const {
    for (const QPointer<QWidget>& widget : hooked_)
        if (auto* bar = qobject_cast<QMenuBar*>(widget.data())) bar->update();
}

void TXPMenu::Install(QMenu* menu) {
    if (!menu) return;
    installed_.emplace_back(menu);
    if (active_) HookMenu(menu);
}

bool TXPMenu::KeepsOwnStyle(const QWidget* widget) const {
    return !override_ && widget->style() != this && widget->testAttribute(Qt::WA_SetStyle);
}

void TXPMenu::Hook(QWidget* widget) {
    widget->setStyle(this);
    hooked_.emplace_back(widget);
    Watch(widget);
}

void TXPMenu::HookAll() {
    if (owner_) {
        for (QMenu* menu : owner_->findChildren<QMenu*>()) HookMenu(menu);
        for (QMenuBar* bar : owner_->findChildren<QMenuBar*>()) HookMenuBar(bar);
        for (QToolBar* toolbar : owner_->findChildren<QToolBar*>()) HookToolBar(toolbar);
    }
    for (const QPointer<QMenu>& menu : installed_)
        if (menu) HookMenu(menu);
}

void TXPMenu::UnhookAll() {
    // Only our own style is taken away; a style set since then stays.
    for (const QPointer<QWidget>& widget : hooked_)
        if (widget && widget->style() == this) widget->setStyle(nullptr);
    hooked_.clear();
}

void TXPMenu::HookMenu(QMenu* menu) {
    // A menu given a style of its own keeps it, with its sub-menus, unless told to take it over.
    if (menu->style() == this || KeepsOwnStyle(menu)) return;
    Hook(menu);
    for (QAction* action : menu->actions())
        if (action->menu()) HookMenu(action->menu());
}

void TXPMenu::HookMenuBar(QMenuBar* bar) {
    if (bar->style() == this || KeepsOwnStyle(bar)) return;
    Hook(bar);
    for (QAction* action : bar->actions())
        if (action->menu()) HookMenu(action->menu());
}

void TXPMenu::HookToolBar(QToolBar* toolbar) {
    // Every toolbar is flattened; only one with buttons is drawn by us (and watched for more).
    // The toolbar's own extension button is no button of its actions.
    QList<QToolButton*> buttons;
    for (QAction* action : toolbar->actions())
        if (auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(action))) buttons << button;
    for (QToolButton* button : buttons) button->setAutoRaise(true);
    Watch(toolbar);
    if (buttons.isEmpty() || KeepsOwnStyle(toolbar)) return;
    if (toolbar->style() != this) Hook(toolbar);
    // Separators draw with their own widget's style.
    for (QWidget* child : toolbar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (qstrcmp(child->metaObject()->className(), "QToolBarSeparator") == 0 && child->style() != this &&
            !KeepsOwnStyle(child))
            Hook(child);
    for (QToolButton* button : buttons) {
        if (button->style() == this || KeepsOwnStyle(button)) continue;
        Hook(button);
        // A button that opens a menu, as a menu-bar item does, shows its caption in our font.
        if (button->menu() && button->popupMode() == QToolButton::InstantPopup) {
            const QFont font = CurrentFont();
            if (button->font().family() != font.family() || button->font().pointSizeF() != font.pointSizeF() ||
                button->font().pixelSize() != font.pixelSize())
                button->setFont(font);
        }
    }
}

void TXPMenu::RehookSiblings(const QWidget* widget) const {
    if (!active_ || !widget) return;
    auto* self = const_cast<TXPMenu*>(this);
    if (const auto* button = qobject_cast<const QToolButton*>(widget)) {
        if (button->menu() && button->menu()->style() != this) self->HookMenu(button->menu());
        return;
    }
    for (QAction* action : widget->actions())
        if (action->menu() && action->menu()->style() != this) self->HookMenu(action->menu());
}

void TXPMenu::WatchOwner() {
    if (!owner_) return;
    Watch(owner_);
    for (QWidget* child : owner_->findChildren<QWidget*>())
        if (qobject_cast<QMenu*>(child) || qobject_cast<QMenuBar*>(child) || qobject_cast<QToolBar*>(child)) Watch(child);
}

void TXPMenu::Watch(QObject* container) { container->installEventFilter(this); }

bool TXPMenu::eventFilter(QObject* watched, QEvent* event) {
    const bool toolbar = qobject_cast<QToolBar*>(watched) != nullptr;
    // Only AutoDetect, and the buttons a hooked toolbar gains, need to know of insertions.
    if (!AutoDetect && !(active_ && toolbar)) return false;
    if (event->type() == QEvent::ActionAdded) {
        itemInserted_ = true;
    } else if (event->type() == QEvent::ChildAdded) {
        // The child is not whole yet; what it is shows at the refresh.
        inserted_.emplace_back(static_cast<QChildEvent*>(event)->child());
    } else {
        return false;
    }
    if (!refreshQueued_) {
        refreshQueued_ = true;
        QTimer::singleShot(0, this, [this] { Refresh(); });
    }
    return false;
}

void TXPMenu::Refresh() {
    refreshQueued_ = false;
    bool inserted = std::exchange(itemInserted_, false);
    for (const QPointer<QObject>& child : std::exchange(inserted_, {})) {
        if (!child) continue;
        if (qobject_cast<QAction*>(child) || qobject_cast<QToolButton*>(child)) inserted = true;
        auto* container = qobject_cast<QWidget*>(child.data());
        if (container && (qobject_cast<QMenu*>(container) || qobject_cast<QMenuBar*>(container) ||
                          qobject_cast<QToolBar*>(container))) {
            Watch(container);
            if (!container->actions().isEmpty()) inserted = true;
        }
    }
    if (AutoDetect && inserted) {
        SetActive(true);
        return;
    }
    if (!active_) return;
    for (const QPointer<QWidget>& widget : std::vector<QPointer<QWidget>>(hooked_))
        if (auto* toolbar = qobject_cast<QToolBar*>(widget.data())) HookToolBar(toolbar);
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
    c.MenuBar = rgb(menuBarColor_);
    c.DisabledText = rgb(DisabledColor);
    c.CheckBorder = rgb(CheckedColor);
    c.Separator = rgb(SeparatorColor);
    c.FontColour = rgb(FontColor);
    c.CheckFill = c.Deep ? LightenColor(c.SelectionFill, 75) : QColor(0xFF, 0xFF, 0xFF);
    c.SelectedCheckFill = c.Deep ? LightenColor(c.SelectionFill, 50) : QColor(0xC0, 0xC0, 0xC0);
    c.Outline = c.Deep ? DarkenColor(btnFace, 90) : btnShadow;
    c.Shadow = c.Deep ? DarkenColor(btnFace, 76) : btnShadow;
    if (!UseSystemColors) return c;
    const QColor white(0xFF, 0xFF, 0xFF);
    c.FontColour = SystemMenuTextColour(palette);
    c.SelectionText = c.FontColour;
    c.Background = c.Deep ? LightenColor(btnFace, 86) : white;
    c.IconColumn = c.Deep ? LightenColor(btnFace, 16) : btnFace;
    c.SelectionFill = c.Deep ? LightenColor(highlight, 68) : white;
    c.SelectionBorder = highlight;
    c.MenuBar = c.Deep ? rgb(SystemColour::Menu) : btnFace;
    c.DisabledText = c.Deep ? LightenColor(btnShadow, 10) : btnShadow;
    c.Separator = c.Deep ? LightenColor(btnShadow, 25) : btnShadow;
    c.CheckBorder = highlight;
    c.CheckFill = c.Deep ? LightenColor(highlight, 75) : white;
    c.SelectedCheckFill = c.Deep ? LightenColor(highlight, 50) : white;
    return c;
}

}  // namespace menupainter
