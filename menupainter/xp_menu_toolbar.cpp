// Drawing one toolbar button: its face, the hot, checked and pressed states, the drop-down part,
// the icon and the caption.
#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QStyleOptionToolButton>

#include "menupainter/xp_menu.h"
#include "menupainter/xp_menu_paint.h"

namespace menupainter {

namespace {

constexpr int kArrowPart = 13;  // width of a drop-down button's arrow part

struct ButtonKind {
    bool MenuItem = false;  // opens its menu as a menu-bar item does
    bool DropDown = false;  // a body and an arrow part that opens the menu
};

ButtonKind KindOf(const QStyleOptionToolButton& button) {
    ButtonKind kind;
    kind.DropDown = button.features & QStyleOptionToolButton::MenuButtonPopup;
    kind.MenuItem = (button.features & QStyleOptionToolButton::HasMenu) && !kind.DropDown;
    return kind;
}

void DrawDropDownArrow(QPainter& canvas, const Edges& r) {
    const int x = r.R - 10, y = r.T + (r.Height() - 3) / 2 + 1;
    const QColor black(0, 0, 0);
    LineTo(canvas, x, y, x + 4, y, black);
    LineTo(canvas, x + 1, y + 1, x + 4, y, black);
    LineTo(canvas, x + 2, y + 2, x + 3, y, black);
}

}  // namespace

void TXPMenu::ToolBarDrawButton(const QStyleOptionToolButton& button, QPainter& canvas, const QWidget*) const {
    const WorkingColours c = SetupColors(canvas.device()->depth());
    const QPalette palette = QApplication::palette();
    const QColor hot = c.Deep && !UseSystemColors ? LightenColor(ColorToRGB(SelectColor, palette), 68) : c.SelectionFill;
    const QColor btnFace = ColorToRGB(SystemColour::BtnFace, palette);
    const QColor face = c.Deep ? LightenColor(btnFace, 16) : btnFace;
    const ButtonKind kind = KindOf(button);
    const Edges r{button.rect.left(), button.rect.top(), button.rect.right() + 1, button.rect.bottom() + 1};

    ItemState s;
    s.ToolButton = true;
    s.Rtl = button.direction == Qt::RightToLeft;
    s.Enabled = button.state & QStyle::State_Enabled;
    s.Selected = s.Enabled && (button.state & QStyle::State_MouseOver);
    s.Checked = button.state & QStyle::State_On;
    s.Pressed = button.state & QStyle::State_Sunken;
    s.HasImage = !button.icon.isNull();

    canvas.fillRect(r.ToRect(), face);
    QColor brush = face;
    const Edges fill{r.L, r.T + 1, r.R, r.B};  // the state's fill starts one pixel below the top
    const auto frame = [&] {
        if (!kind.DropDown) return Frame(canvas, fill, c.SelectionBorder);
        Frame(canvas, Edges{fill.L, fill.T, fill.R - kArrowPart, fill.B}, c.SelectionBorder);
        Frame(canvas, Edges{fill.R - kArrowPart, fill.T, fill.R, fill.B}, c.SelectionBorder);
    };
    if (kind.MenuItem && s.Pressed) {
        brush = c.IconColumn;
        DrawBarSelection(canvas, r, s.Rtl, false, c);
    } else if (s.Selected) {
        brush = s.Checked || s.Pressed ? c.SelectedCheckFill : hot;
        canvas.fillRect(fill.ToRect(), brush);
        frame();
    } else if (s.Checked) {
        brush = c.CheckFill;
        canvas.fillRect(fill.ToRect(), brush);
        frame();
    } else if (kind.MenuItem) {
        brush = c.MenuBar;
        canvas.fillRect(fill.ToRect(), brush);
    }
    if (kind.DropDown) DrawDropDownArrow(canvas, r);

    const Qt::ToolButtonStyle style = button.toolButtonStyle;
    const bool beside = style == Qt::ToolButtonTextBesideIcon;
    Edges image{r.L, r.T, r.L, r.B};
    if (s.HasImage && style != Qt::ToolButtonTextOnly) {
        const QSize size = button.iconSize;
        const int room = r.Width() - (kind.DropDown ? 12 : 0);
        image.L = !beside ? r.L + (room - size.width()) / 2 : s.Rtl ? r.R - 3 - size.width() : r.L + 3;
        image.R = image.L + size.width();
        DrawIcon(canvas, s, image, IconWidth, IconBitmap(button.icon, size, brush), c, hot);
    }
    // A button without an icon shows its caption whatever the toolbar's style.
    if (button.text.isEmpty() || (style == Qt::ToolButtonIconOnly && s.HasImage)) return;
    canvas.setFont(CurrentFont());
    TextJob job{{button.text, {}}, r, brush, Qt::AlignHCenter};
    if (style == Qt::ToolButtonTextUnderIcon && s.HasImage) {
        job.Rect.T = r.T + 2 + button.iconSize.height();
    } else if (beside && s.HasImage) {
        job.Align = s.Rtl ? Qt::AlignRight : Qt::AlignLeft;
        if (s.Rtl)
            job.Rect.R = image.L - 7;
        else
            job.Rect.L = image.R + 6;
    }
    if (kind.DropDown) job.Rect.R -= kArrowPart;
    DrawMenuText(canvas, s, job, c);
}

}  // namespace menupainter
