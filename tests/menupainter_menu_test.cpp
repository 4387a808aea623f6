// The flat menu painter: working colours, item sizes, and a menu rendered offscreen checked by
// pixels.
#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>
#include <cmath>
#include <memory>

#include "menupainter/colours.h"
#include "menupainter/xp_menu.h"
#include "tests/menupainter_test_support.h"
#include "tests/test_pictures.h"

using namespace menupainter;
using testing_support::PixelIs;

namespace {

// The menu drawn with the painter installed and active, the given item selected; the picture is
// kept for a failing test.
QImage RenderPainted(TXPMenu& painter, QMenu& menu, QAction* selected = nullptr) {
    painter.Install(&menu);
    painter.SetActive(true);
    if (selected) menu.setActiveAction(selected);
    const QImage image = Render(menu);
    testing_support::NotePicture(image, QStringLiteral("menu"));
    return image;
}


}  // namespace

TEST_F(MenuPainterTest, SystemColoursOnADeepAndAShallowDevice) {
    TXPMenu painter;
    const WorkingColours deep = painter.SetupColors(32);
    EXPECT_EQ(deep.Background, QColor(249, 248, 247));  // clBtnFace lightened 86 %
    EXPECT_EQ(deep.SelectionFill, QColor(177, 185, 207));  // clHighlight lightened 68 %
    EXPECT_EQ(deep.IconColumn, LightenColor(kBtnFace, 16));
    EXPECT_EQ(deep.SelectionBorder, kHighlight);
    EXPECT_EQ(deep.DisabledText, LightenColor(kBtnShadow, 10));
    EXPECT_EQ(deep.CheckFill, LightenColor(kHighlight, 75));
    EXPECT_EQ(deep.SelectedCheckFill, LightenColor(kHighlight, 50));
    const WorkingColours shallow = painter.SetupColors(8);
    EXPECT_EQ(shallow.Background, QColor(255, 255, 255));
    EXPECT_EQ(shallow.SelectionFill, QColor(255, 255, 255));
    EXPECT_EQ(shallow.IconColumn, kBtnFace);
    EXPECT_EQ(shallow.DisabledText, kBtnShadow);
}

TEST_F(MenuPainterTest, OwnColoursWithoutSystemColours) {
    TXPMenu painter;
    painter.UseSystemColors = false;
    painter.Color = QColor(1, 2, 3);
    painter.SelectColor = QColor(0, 0, 255);
    const WorkingColours c = painter.SetupColors(32);
    EXPECT_EQ(c.Background, QColor(1, 2, 3));
    EXPECT_EQ(c.IconColumn, kBtnFace);  // clBtnFace resolved from the palette
    EXPECT_EQ(c.SelectionFill, QColor(0, 0, 255));
    EXPECT_EQ(c.SelectedCheckFill, QColor(128, 128, 255));
}

TEST_F(MenuPainterTest, ItemSizes) {
    TXPMenu painter;
    painter.SetActive(true);
    const QFontMetrics metrics(QApplication::font("QMenu"));
    const int th = metrics.height();
    const int itemHeight = th + int(std::nearbyint(th * 0.75));
    const auto size = [&painter](const QStyleOptionMenuItem& item, QSize offered) {
        return painter.MenuMeasureItem(item, offered);
    };
    const auto styleSize = [&painter](const QStyleOptionMenuItem& item, QSize offered) {
        return painter.sizeFromContents(QStyle::CT_MenuItem, &item, offered, nullptr);
    };
    // Text plus the icon column plus 10.
    EXPECT_EQ(size(Item(QStringLiteral("播放")), QSize(1, 1)),
              QSize(metrics.horizontalAdvance(QStringLiteral("播放")) + 34, itemHeight));
    // Caption, shortcut and "WWW", less one "&".
    const QString withShortcut = QStringLiteral("打开(&O)\tCtrl+O");
    EXPECT_EQ(size(Item(withShortcut), QSize(1, 1)).width(),
              metrics.horizontalAdvance(QStringLiteral("打开(&O)Ctrl+OWWW")) - metrics.horizontalAdvance('&') + 34);
    // Never shrinks what is offered; a separator is 4 high whatever is offered.
    EXPECT_EQ(size(Item(QStringLiteral("x")), QSize(500, 60)), QSize(500, 60));
    EXPECT_EQ(size(Item({}, QStyleOptionMenuItem::Separator), QSize(2, 40)), QSize(34, 4));
    // The menu lays items out two average characters wider, as a desktop menu does.
    EXPECT_EQ(styleSize(Item(QStringLiteral("播放")), QSize(1, 1)),
              size(Item(QStringLiteral("播放")), QSize(1, 1)) + QSize(2 * metrics.averageCharWidth(), 0));
    EXPECT_EQ(styleSize(Item({}, QStyleOptionMenuItem::Separator), QSize(2, 40)), QSize(34, 4));
    // An image of 16 x 16 in a narrow font sets the height to 20.
    painter.UseSystemColors = false;
    painter.Font.setPixelSize(6);
    QStyleOptionMenuItem withIcon = Item(QStringLiteral("a"));
    withIcon.icon = RedSquareIcon();
    EXPECT_EQ(size(withIcon, QSize(1, 1)).height(), 20);
    // While not active the desktop's style measures.
    painter.SetActive(false);
    std::unique_ptr<QStyle> desktop(QStyleFactory::create(QApplication::style()->name()));
    const QStyleOptionMenuItem plain = Item(QStringLiteral("播放"));
    EXPECT_EQ(styleSize(plain, QSize(30, 14)), desktop->sizeFromContents(QStyle::CT_MenuItem, &plain, QSize(30, 14), nullptr));
}

TEST_F(MenuPainterTest, SelectionBoxCheckMarkAndDisabledCaption) {
    QMenu menu;
    QAction* open = menu.addAction(QStringLiteral("打开(&O)"));
    open->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    QAction* check = menu.addAction(QStringLiteral("置顶"));
    check->setCheckable(true);
    check->setChecked(true);
    menu.addSeparator();
    QAction* disabled = menu.addAction(QStringLiteral("删除"));
    disabled->setEnabled(false);
    TXPMenu painter;
    const QImage image = RenderPainted(painter, menu, open);
    const WorkingColours c = painter.SetupColors(32);

    const QRect sel = menu.actionGeometry(open);
    EXPECT_TRUE(PixelIs(image, sel.right() - 3, sel.center().y(), c.SelectionFill));
    EXPECT_TRUE(PixelIs(image, sel.left() + 3, sel.center().y(), c.SelectionFill));  // over the icon column
    EXPECT_TRUE(PixelIs(image, sel.left(), sel.center().y(), c.SelectionBorder));
    EXPECT_TRUE(PixelIs(image, sel.center().x(), sel.top() + 1, c.SelectionBorder));
    EXPECT_TRUE(PixelIs(image, sel.center().x(), sel.top(), c.Background));

    // The tick box: 10 x 10, 7 pixels into the column, centred in the item's height plus one.
    const QRect item = menu.actionGeometry(check);
    const int boxLeft = item.left() + 7;
    const int boxTop = item.top() + (item.height() + 1 - 10) / 2;
    EXPECT_TRUE(PixelIs(image, boxLeft, boxTop, c.CheckBorder));
    EXPECT_TRUE(PixelIs(image, boxLeft + 9, boxTop + 9, c.CheckBorder));
    EXPECT_TRUE(PixelIs(image, boxLeft - 1, boxTop, c.IconColumn));
    EXPECT_TRUE(PixelIs(image, boxLeft + 1, boxTop + 1, c.CheckFill));
    EXPECT_TRUE(PixelIs(image, boxLeft + 1, boxTop + 5, Qt::black));  // the tick's first stroke
    EXPECT_TRUE(PixelIs(image, boxLeft + 11, boxTop, Qt::black));     // its long stroke overshoots
    EXPECT_TRUE(PixelIs(image, item.left() + 30, item.top(), c.Background));

    const QRect off = menu.actionGeometry(disabled);
    const QRect caption = off.adjusted(24, 0, 0, 0);
    EXPECT_GT(CountPixels(image, caption, c.DisabledText), 10);
    EXPECT_EQ(CountPixels(image, caption, c.FontColour), 0);
}

TEST_F(MenuPainterTest, DisabledSelectedItemGetsNoBoxAndALighterCaption) {
    QMenu menu;
    menu.addAction(QStringLiteral("播放"));
    QAction* disabled = menu.addAction(QStringLiteral("删除"));
    disabled->setEnabled(false);
    TXPMenu painter;
    const QImage image = RenderPainted(painter, menu, disabled);
    const WorkingColours c = painter.SetupColors(32);
    const QRect off = menu.actionGeometry(disabled);
    EXPECT_TRUE(PixelIs(image, off.right() - 3, off.center().y(), c.Background));
    EXPECT_EQ(CountPixels(image, off, c.SelectionBorder), 0);
    EXPECT_GT(CountPixels(image, off, LightenColor(c.DisabledText, 10)), 10);
}

TEST_F(MenuPainterTest, IconsLightenLiftAndGrey) {
    QMenu menu;
    QAction* plain = menu.addAction(RedSquareIcon(), QStringLiteral("播放"));
    QAction* lifted = menu.addAction(RedSquareIcon(), QStringLiteral("暂停"));
    QAction* grey = menu.addAction(RedSquareIcon(), QStringLiteral("停止"));
    grey->setEnabled(false);
    TXPMenu painter;
    const QImage image = RenderPainted(painter, menu, lifted);
    const WorkingColours c = painter.SetupColors(32);
    // The icon's corner sits at column left + (24 - 16) / 2 - 1, top + 4; its square 2 further in.
    const QRect a = menu.actionGeometry(plain);
    EXPECT_TRUE(PixelIs(image, a.left() + 5, a.top() + 6, QColor(255, 76, 76)));
    EXPECT_TRUE(PixelIs(image, a.left() + 4, a.top() + 5, c.IconColumn));
    const QRect b = menu.actionGeometry(lifted);
    EXPECT_TRUE(PixelIs(image, b.left() + 4, b.top() + 5, QColor(255, 0, 0)));
    EXPECT_TRUE(PixelIs(image, b.left() + 17, b.top() + 17, DarkenColor(c.SelectionFill, 50)));
    const QRect g = menu.actionGeometry(grey);
    EXPECT_TRUE(PixelIs(image, g.left() + 5, g.top() + 6, QColor(145, 145, 145)));
}

TEST_F(MenuPainterTest, ActivationHooksMenusAndLeavesForeignStyles) {
    std::unique_ptr<QStyle> foreign(QStyleFactory::create(QStringLiteral("Fusion")));
    QWidget owner;
    auto* ownMenu = new QMenu(&owner);
    ownMenu->addAction(QStringLiteral("播放"));
    auto* styled = new QMenu(&owner);
    styled->setStyle(foreign.get());
    auto* painter = new TXPMenu(&owner);
    EXPECT_NE(ownMenu->style(), painter);
    painter->SetActive(true);
    EXPECT_EQ(ownMenu->style(), painter);
    EXPECT_EQ(styled->style(), foreign.get());
    // A sub-menu added after activation takes the look once a sibling is drawn.
    QMenu* later = ownMenu->addMenu(QStringLiteral("最近"));
    EXPECT_NE(later->style(), painter);
    Render(*ownMenu);
    EXPECT_EQ(later->style(), painter);
    painter->SetActive(false);
    EXPECT_NE(ownMenu->style(), painter);
    EXPECT_NE(later->style(), painter);
    EXPECT_EQ(styled->style(), foreign.get());
    painter->SetActive(true);
    EXPECT_EQ(later->style(), painter);
}

TEST_F(MenuPainterTest, RadioDotAndRightToLeftColumn) {
    QMenu menu;
    menu.setLayoutDirection(Qt::RightToLeft);
    QAction* radio = menu.addAction(QStringLiteral("单曲循环"));
    radio->setCheckable(true);
    radio->setChecked(true);
    auto* group = new QActionGroup(&menu);
    group->addAction(radio);
    menu.addSeparator();
    menu.addAction(QStringLiteral("顺序播放"));
    TXPMenu painter;
    const QImage image = RenderPainted(painter, menu);
    const WorkingColours c = painter.SetupColors(32);
    const QRect item = menu.actionGeometry(radio);
    // The icon column sits at the right; the dot is 10 x 10, 7 pixels into it.
    EXPECT_TRUE(PixelIs(image, item.right() - 1, item.top(), c.IconColumn));
    EXPECT_TRUE(PixelIs(image, item.left() + 1, item.top(), c.Background));
    const int boxLeft = item.right() + 1 - 24 + 7;
    const int boxTop = item.top() + (item.height() + 1 - 10) / 2;
    EXPECT_TRUE(PixelIs(image, boxLeft + 4, boxTop + 4, c.CheckFill));
    EXPECT_TRUE(PixelIs(image, boxLeft + 4, boxTop, c.SelectionBorder));
    EXPECT_TRUE(PixelIs(image, boxLeft, boxTop, c.IconColumn));  // round, not square
    // The separator runs from the text's left edge to 7 short of the column.
    const QRect line = menu.actionGeometry(menu.actions().at(1));
    const int y = line.top() + 2;
    EXPECT_TRUE(PixelIs(image, line.left(), y, c.Separator));
    EXPECT_TRUE(PixelIs(image, line.right() - 24 - 7, y, c.Separator));
    EXPECT_TRUE(PixelIs(image, line.right() + 1 - 24 - 7, y, c.Background));
}

namespace {

// The caption's embossed passes under the default item: every pixel one down and right of the
// caption shows the last pass (60), one below it the 40 pass, one to its right the 30 pass, where
// no later drawing covers them.
TEST_F(MenuPainterTest, DefaultItemIsEmbossedUnderItsCaption) {
    QMenu menu;
    QAction* plain = menu.addAction(QStringLiteral("暂停播放"));
    QAction* chosen = menu.addAction(QStringLiteral("播放文件"));
    menu.setDefaultAction(chosen);
    TXPMenu painter;
    const QImage image = RenderPainted(painter, menu);
    const WorkingColours c = painter.SetupColors(32);
    const QColor under = c.Background;
    const QRect item = menu.actionGeometry(chosen).adjusted(24, 0, 0, 0);
    auto ink = [&](int x, int y) { return image.pixelColor(x, y) == c.FontColour; };
    int checked60 = 0, checked40 = 0, checked30 = 0;
    for (int y = item.top() + 1; y < item.bottom() - 1; ++y) {
        for (int x = item.left() + 1; x < item.right() - 1; ++x) {
            if (!ink(x, y)) continue;
            if (!ink(x + 1, y + 1)) {
                EXPECT_TRUE(PixelIs(image, x + 1, y + 1, DarkenColor(under, 60)));
                ++checked60;
            }
            if (!ink(x, y + 1) && !ink(x - 1, y)) {
                EXPECT_TRUE(PixelIs(image, x, y + 1, DarkenColor(under, 40)));
                ++checked40;
            }
            if (!ink(x + 1, y) && !ink(x, y - 1) && !ink(x + 1, y - 1)) {
                EXPECT_TRUE(PixelIs(image, x + 1, y, DarkenColor(under, 30)));
                ++checked30;
            }
            if (HasFailure()) return;
        }
    }
    EXPECT_GT(checked60, 10);
    EXPECT_GT(checked40, 3);
    EXPECT_GT(checked30, 3);
    const QRect other = menu.actionGeometry(plain);
    EXPECT_EQ(CountPixels(image, other, DarkenColor(under, 60)), 0) << "only the default item is embossed";
}

TEST_F(MenuPainterTest, ShortcutIsALighterShadeSetTenPixelsFromTheRight) {
    QMenu menu;
    QAction* open = menu.addAction(QStringLiteral("打开"));
    open->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    TXPMenu painter;
    const QImage image = RenderPainted(painter, menu);
    const WorkingColours c = painter.SetupColors(32);
    const QColor shade = DarkenColor(c.FontColour, -40);
    ASSERT_NE(shade, c.FontColour);
    const QRect item = menu.actionGeometry(open);
    const QRect right(item.center().x(), item.top(), item.right() - item.center().x() + 1, item.height());
    EXPECT_GT(CountPixels(image, right, shade), 10);
    EXPECT_EQ(CountPixels(image, right, c.FontColour), 0) << "the shortcut is not in the caption's colour";
    int rightmost = -1;
    for (int y = item.top(); y <= item.bottom(); ++y)
        for (int x = item.left(); x <= item.right(); ++x)
            if (image.pixelColor(x, y) == shade) rightmost = std::max(rightmost, x);
    const int end = item.right() + 1 - 10 - QFontMetrics(painter.CurrentFont()).horizontalAdvance(QLatin1Char(' '));
    EXPECT_LE(rightmost, end);
    EXPECT_GE(rightmost, end - 3) << "right-aligned 10 pixels in, a blank after it";
}

TEST_F(MenuPainterTest, LeftToRightSeparatorStartsSevenPixelsAfterTheColumn) {
    QMenu menu;
    menu.addAction(QStringLiteral("播放"));
    QAction* separator = menu.addSeparator();
    menu.addAction(QStringLiteral("停止"));
    TXPMenu painter;
    const QImage image = RenderPainted(painter, menu);
    const WorkingColours c = painter.SetupColors(32);
    const QRect line = menu.actionGeometry(separator);
    const int y = line.top() + 2;
    EXPECT_TRUE(PixelIs(image, line.left() + 24 + 7, y, c.Separator));
    EXPECT_TRUE(PixelIs(image, line.left() + 24 + 6, y, c.Background));
    EXPECT_TRUE(PixelIs(image, line.left() + 3, y, c.IconColumn));
    EXPECT_TRUE(PixelIs(image, line.right(), y, c.Separator)) << "to the text's right edge";
    EXPECT_TRUE(PixelIs(image, line.right(), y - 1, c.Background));
    EXPECT_TRUE(PixelIs(image, line.right(), y + 1, c.Background));
}

}  // namespace
