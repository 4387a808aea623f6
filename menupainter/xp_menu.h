// TXPMenu: the flat look of menus and toolbars. A style set on each hooked menu, menu bar and
// toolbar button measures and draws its items: an icon column, a framed selection box, drawn
// check marks and radio dots, icons lightened, greyed or shadowed by state, separator lines, an
// optional gradient and flat border, menu-bar items with a shadowed selection, and flat tool
// buttons. While not Active every call goes to the desktop's own style.
#pragma once

#include <QFont>
#include <QPointer>
#include <QProxyStyle>
#include <vector>

#include "menupainter/colours.h"

class QMenu;
class QMenuBar;
class QStyleOptionMenuItem;
class QStyleOptionToolButton;
class QToolBar;

namespace menupainter {

// The colours of one paint, derived from the properties and the desktop at each paint.
struct WorkingColours {
    QColor Background;
    QColor IconColumn;
    QColor SelectionFill;
    QColor SelectionBorder;
    QColor SelectionText;
    QColor CheckFill;
    QColor SelectedCheckFill;
    QColor CheckBorder;
    QColor MenuBar;  // menu-bar item background
    QColor DisabledText;
    QColor Separator;
    QColor Outline;  // bar-selection outline, flat border
    QColor Shadow;   // bar-selection shadow, flat-border shadow
    QColor FontColour;  // caption colour of an enabled, unselected item
    bool Deep = true;   // the paint device shows more than 15 bits per pixel
};

class TXPMenu : public QProxyStyle {
public:
    // owner: the window whose menus, menu bars and toolbars (its descendants) are hooked while
    // Active; it also owns the painter. May be null when menus are only given through Install.
    explicit TXPMenu(QWidget* owner = nullptr);
    ~TXPMenu() override;

    // Hooks the owner's menus and every installed one (with their sub-menus), or unhooks them.
    void SetActive(bool value);
    bool Active() const { return active_; }
    // Adds a menu the owner does not hold; it is hooked now when Active, else at activation.
    void Install(QMenu* menu);

    QFont Font;  // caption font when UseSystemColors is off
    ColourRef FontColor = SystemColour::MenuText;
    ColourRef Color = SystemColour::BtnFace;
    ColourRef IconBackColor = SystemColour::BtnFace;
    // Menu-bar background; SetMenuBarColor redraws the hooked menu bars.
    const ColourRef& MenuBarColor() const { return menuBarColor_; }
    void SetMenuBarColor(const ColourRef& colour);
    ColourRef SelectColor = SystemColour::Highlight;
    ColourRef SelectBorderColor = SystemColour::Highlight;
    ColourRef SelectFontColor = SystemColour::MenuText;
    ColourRef DisabledColor = SystemColour::InactiveCaption;
    ColourRef SeparatorColor = SystemColour::BtnFace;
    ColourRef CheckedColor = SystemColour::Highlight;
    int IconWidth = 24;
    bool DrawSelect = true;
    bool UseSystemColors = true;  // derive every colour and the font from the desktop at each paint
    bool Gradient = false;  // gradient background of pop-up menu items (deep colour only)
    bool FlatMenu = false;  // flat border around pop-up menus
    // Activate when a menu item or tool button is inserted under the owner; menus, bars and
    // toolbars made after activation are then hooked too.
    bool AutoDetect = false;
    // Take over menus and toolbar buttons that have a style of their own; setting it while
    // active hooks again.
    bool OverrideOwnerDraw() const { return override_; }
    void SetOverrideOwnerDraw(bool value);

    // The working colours for a paint device of the given depth in bits per pixel.
    WorkingColours SetupColors(int depth) const;
    // The caption font of the next measure or paint.
    QFont CurrentFont() const;

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;

    // The item's size by its caption, shortcut and image; never below what is offered. A
    // menu-bar item's image adds its own width, a pop-up item's at least IconWidth.
    QSize MenuMeasureItem(const QStyleOptionMenuItem& item, const QSize& offered, bool barItem = false) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DrawItem(const QStyleOptionMenuItem& item, QPainter& canvas, const WorkingColours& colours,
                  bool barItem) const;
    void ToolBarDrawButton(const QStyleOptionToolButton& button, QPainter& canvas, const QWidget* widget) const;
    // Whether a widget with a style of its own is left alone.
    bool KeepsOwnStyle(const QWidget* widget) const;
    void HookMenu(QMenu* menu);
    void HookMenuBar(QMenuBar* bar);
    void HookToolBar(QToolBar* toolbar);
    void Hook(QWidget* widget);
    void HookAll();
    void UnhookAll();
    // Menus added after activation take the look the first time a sibling item is drawn.
    void RehookSiblings(const QWidget* widget) const;
    // Insertions under the owner, handled once the inserted objects are whole.
    void Watch(QObject* container);
    void WatchOwner();
    void Refresh();
    void RedrawMenuBars() const;

    bool active_ = false;
    bool override_ = false;
    ColourRef menuBarColor_ = SystemColour::BtnFace;
    QPointer<QWidget> owner_;
    std::vector<QPointer<QMenu>> installed_;
    mutable std::vector<QPointer<QWidget>> hooked_;
    std::vector<QPointer<QObject>> inserted_;  // children added since the last refresh
    bool itemInserted_ = false;
    bool refreshQueued_ = false;
};

}  // namespace menupainter
