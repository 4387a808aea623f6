// TXPMenu: the flat look of pop-up menus. A style set on each hooked menu measures and draws its
// items: an icon column, a framed selection box, drawn check marks and radio dots, icons lightened,
// greyed or shadowed by state, and separator lines. While not Active every call goes to the
// desktop's own style.
#pragma once

#include <QFont>
#include <QPointer>
#include <QProxyStyle>
#include <vector>

#include "menupainter/colours.h"

class QMenu;
class QStyleOptionMenuItem;

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
    QColor DisabledText;
    QColor Separator;
    QColor FontColour;  // caption colour of an enabled, unselected item
    bool Deep = true;   // the paint device shows more than 15 bits per pixel
};

class TXPMenu : public QProxyStyle {
public:
    // owner: the window whose pop-up menus (its QMenu descendants) are hooked while Active; it
    // also owns the painter. May be null when menus are only given through Install.
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
    ColourRef SelectColor = SystemColour::Highlight;
    ColourRef SelectBorderColor = SystemColour::Highlight;
    ColourRef SelectFontColor = SystemColour::MenuText;
    ColourRef DisabledColor = SystemColour::InactiveCaption;
    ColourRef SeparatorColor = SystemColour::BtnFace;
    ColourRef CheckedColor = SystemColour::Highlight;
    int IconWidth = 24;
    bool DrawSelect = true;
    bool UseSystemColors = true;  // derive every colour and the font from the desktop at each paint

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
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;

    // The item's size by its caption, shortcut and image; never below what is offered.
    QSize MenuMeasureItem(const QStyleOptionMenuItem& item, const QSize& offered) const;

private:
    void DrawItem(const QStyleOptionMenuItem& item, QPainter& canvas, const WorkingColours& colours) const;
    void HookMenu(QMenu* menu);
    void UnhookMenu(QMenu* menu);
    void HookAll();
    void UnhookAll();
    // Menus added after activation take the look the first time a sibling item is drawn.
    void RehookSiblings(const QWidget* widget) const;

    bool active_ = false;
    QPointer<QWidget> owner_;
    std::vector<QPointer<QMenu>> installed_;
    mutable std::vector<QPointer<QMenu>> hooked_;
};

}  // namespace menupainter
