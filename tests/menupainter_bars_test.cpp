// The flat menu painter beyond pop-up items: menu-bar items and their shadowed selection,
// toolbar buttons by state, the gradient, the flat border, AutoDetect and OverrideOwnerDraw.
#include <gtest/gtest.h>

#include <QAction>
#include <QFontMetrics>
#include <QMenuBar>
#include <QStyleFactory>
#include <QStyleOptionToolButton>
#include <QToolBar>
#include <QToolButton>
#include <memory>

#include "menupainter/colours.h"
#include "menupainter/xp_menu.h"
#include "tests/menupainter_test_support.h"
#include "tests/test_pictures.h"

using namespace menupainter;
using testing_support::PixelIs;

namespace {

QImage Canvas(int w, int h) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(Qt::magenta);
    return image;
}

// One menu-bar item drawn at (10, 5), 60 x 20.
QImage DrawBarItem(TXPMenu& painter, QStyleOptionMenuItem item) {
    QImage image = Canvas(90, 35);
    item.rect = QRect(10, 5, 60, 20);
    QPainter canvas(&image);
    painter.drawControl(QStyle::CE_MenuBarItem, &item, &canvas, nullptr);
    canvas.end();
    testing_support::NotePicture(image, QStringLiteral("bar-item"));
    return image;
}

// One tool button of `widget` drawn at 40 x 24 in the given state.
QImage DrawButton(TXPMenu& painter, QToolButton* widget, QStyle::State state,
                  QStyleOptionToolButton::ToolButtonFeatures features = QStyleOptionToolButton::None) {
    QImage image = Canvas(40, 24);
    QStyleOptionToolButton button;
    button.rect = image.rect();
    button.state = QStyle::State_Enabled | QStyle::State_AutoRaise | state;
    button.features = features;
    button.toolButtonStyle = Qt::ToolButtonTextOnly;
    QPainter canvas(&image);
    painter.drawComplexControl(QStyle::CC_ToolButton, &button, &canvas, widget);
    canvas.end();
    testing_support::NotePicture(image, QStringLiteral("button"));
    return image;
}

QColor Face() { return LightenColor(kBtnFace, 16); }

}  // namespace

TEST_F(MenuPainterTest, MenuBarOutlineAndShadowColours) {
    TXPMenu painter;
    const WorkingColours deep = painter.SetupColors(32);
    EXPECT_EQ(deep.MenuBar, kMenu);
    EXPECT_EQ(deep.Outline, DarkenColor(kBtnFace, 90));
    EXPECT_EQ(deep.Shadow, DarkenColor(kBtnFace, 76));
    const WorkingColours shallow = painter.SetupColors(8);
    EXPECT_EQ(shallow.MenuBar, kBtnFace);
    EXPECT_EQ(shallow.Outline, kBtnShadow);
    EXPECT_EQ(shallow.Shadow, kBtnShadow);
    painter.UseSystemColors = false;
    painter.SetMenuBarColor(QColor(1, 2, 3));
    EXPECT_EQ(painter.SetupColors(32).MenuBar, QColor(1, 2, 3));
}

TEST_F(MenuPainterTest, MenuBarItemsAreMeasuredWithoutTheIconColumn) {
    TXPMenu painter;
    painter.SetActive(true);
    const QFontMetrics metrics(QApplication::font("QMenu"));
    QStyleOptionMenuItem item = Item(QStringLiteral("文件(&F)"));
    const int text = metrics.horizontalAdvance(QStringLiteral("文件(&F)")) - metrics.horizontalAdvance('&');
    EXPECT_EQ(painter.sizeFromContents(QStyle::CT_MenuBarItem, &item, QSize(1, 1), nullptr).width(), text + 10);
    item.icon = RedSquareIcon();
    EXPECT_EQ(painter.sizeFromContents(QStyle::CT_MenuBarItem, &item, QSize(1, 1), nullptr).width(), text + 16 + 10);
}

TEST_F(MenuPainterTest, ASelectedMenuBarItemGetsTheShadowedSelection) {
    TXPMenu painter;
    painter.SetActive(true);
    const WorkingColours c = painter.SetupColors(32);
    QStyleOptionMenuItem item = Item(QStringLiteral("文件"));
    const QImage plain = DrawBarItem(painter, item);
    const int L = 10, T = 5, R = 70, B = 26;  // one row taller than offered
    EXPECT_TRUE(PixelIs(plain, L + 2, B - 2, c.MenuBar));
    EXPECT_TRUE(PixelIs(plain, R - 1, B - 1, c.MenuBar));

    item.state |= QStyle::State_Selected;
    const QImage selected = DrawBarItem(painter, item);
    const QColor bar = c.MenuBar;
    EXPECT_TRUE(PixelIs(selected, L + 2, B - 2, c.IconColumn));
    EXPECT_TRUE(PixelIs(selected, L, T + 3, c.Outline));
    EXPECT_TRUE(PixelIs(selected, L + 20, T, c.Outline));
    EXPECT_TRUE(PixelIs(selected, R - 8, B - 1, c.Outline));
    EXPECT_TRUE(PixelIs(selected, R - 1, B - 1, DarkenColor(bar, 10)));
    EXPECT_TRUE(PixelIs(selected, R - 3, B - 1, DarkenColor(bar, 30)));
    EXPECT_TRUE(PixelIs(selected, R - 5, B - 1, DarkenColor(bar, 60)));
    EXPECT_TRUE(PixelIs(selected, R - 6, B - 1, DarkenColor(bar, 100)));
    EXPECT_TRUE(PixelIs(selected, R - 1, T + 3, bar));  // the notch at the top right
    EXPECT_TRUE(PixelIs(selected, R - 7, T, DarkenColor(bar, 10)));
    // On the light icon column the caption keeps the font's colour.
    EXPECT_GT(CountPixels(selected, QRect(L, T, 50, 20), c.FontColour), 10);
}

TEST_F(MenuPainterTest, ASelectedMenuBarCaptionOnADarkColumnIsLightened) {
    TXPMenu painter;
    painter.UseSystemColors = false;
    painter.IconBackColor = QColor(0, 0, 80);
    painter.SetActive(true);
    QStyleOptionMenuItem item = Item(QStringLiteral("文件"));
    item.state |= QStyle::State_Selected;
    const QImage image = DrawBarItem(painter, item);
    EXPECT_GT(CountPixels(image, QRect(10, 5, 50, 20), QColor(230, 230, 238)), 10);  // lightened 90 %
}

TEST_F(MenuPainterTest, AMenuBarIsHookedAndDrawnInTheMenuBarColour) {
    QWidget owner;
    auto* bar = new QMenuBar(&owner);
    QMenu* file = bar->addMenu(QStringLiteral("文件(&F)"));
    file->addAction(QStringLiteral("打开"));
    bar->addMenu(QStringLiteral("帮助(&H)"));
    auto* painter = new TXPMenu(&owner);
    painter->SetActive(true);
    EXPECT_EQ(bar->style(), painter);
    EXPECT_EQ(file->style(), painter);
    const QImage image = Render(*bar);
    testing_support::NotePicture(image, QStringLiteral("menubar"));
    const QRect first = bar->actionGeometry(file->menuAction());
    QStyleOptionMenuItem measured = Item(QStringLiteral("文件(&F)"));
    EXPECT_EQ(first.width(), painter->sizeFromContents(QStyle::CT_MenuBarItem, &measured, QSize(1, 1), bar).width());
    EXPECT_TRUE(PixelIs(image, first.left() + 1, first.bottom(), kMenu));
    EXPECT_TRUE(PixelIs(image, image.width() - 2, image.height() / 2, kMenu)) << "the bar's empty part";
    EXPECT_GT(CountPixels(image, first, kMenuText), 10);
    painter->SetActive(false);
    EXPECT_NE(bar->style(), painter);
}

TEST_F(MenuPainterTest, GradientGrowsFastOverTheIconZoneAndStopsAt96) {
    QMenu menu;
    QAction* first = menu.addAction(QStringLiteral("一二三四五六"));
    TXPMenu painter;
    painter.Gradient = true;
    painter.Install(&menu);
    painter.SetActive(true);
    const QImage image = Render(menu);
    testing_support::NotePicture(image, QStringLiteral("gradient"));
    const QColor column = painter.SetupColors(32).IconColumn;
    const QRect a = menu.actionGeometry(first);
    const int L = a.left(), y = a.top();
    EXPECT_TRUE(PixelIs(image, L, y, LightenColor(column, 1)));
    EXPECT_TRUE(PixelIs(image, L + 1, y, LightenColor(column, 4)));
    EXPECT_TRUE(PixelIs(image, L + 28, y, LightenColor(column, 85)));  // the icon zone ends at 24 + 5
    EXPECT_TRUE(PixelIs(image, L + 29, y, LightenColor(column, 86)));
    EXPECT_TRUE(PixelIs(image, L + 39, y, LightenColor(column, 96)));
    EXPECT_TRUE(PixelIs(image, L + 60, y, LightenColor(column, 96)));
}

TEST_F(MenuPainterTest, FlatMenuBorderAndNarrowerSelection) {
    QMenu menu;
    QAction* open = menu.addAction(QStringLiteral("打开文件"));
    menu.addAction(QStringLiteral("关闭"));
    TXPMenu painter;
    painter.FlatMenu = true;
    painter.Install(&menu);
    painter.SetActive(true);
    menu.setActiveAction(open);
    const QImage image = Render(menu);
    testing_support::NotePicture(image, QStringLiteral("flat"));
    const WorkingColours c = painter.SetupColors(32);
    const int W = image.width(), H = image.height();
    EXPECT_TRUE(PixelIs(image, 0, 0, c.Outline));
    EXPECT_TRUE(PixelIs(image, W - 3, 10, c.Outline));
    EXPECT_TRUE(PixelIs(image, 10, H - 3, c.Outline));
    EXPECT_TRUE(PixelIs(image, W - 2, 10, c.Shadow));
    EXPECT_TRUE(PixelIs(image, W - 1, 10, c.Shadow));
    EXPECT_TRUE(PixelIs(image, 10, H - 1, c.Shadow));
    EXPECT_TRUE(PixelIs(image, W - 1, 0, c.IconColumn));  // corners
    EXPECT_TRUE(PixelIs(image, 0, H - 1, c.IconColumn));
    EXPECT_TRUE(PixelIs(image, 1, 10, c.IconColumn));
    EXPECT_TRUE(PixelIs(image, 10, 1, c.Background));
    EXPECT_TRUE(PixelIs(image, 10, 2, c.IconColumn));  // the icon column reaches into the border
    EXPECT_TRUE(PixelIs(image, 40, 2, c.Background));
    const QRect sel = menu.actionGeometry(open);
    EXPECT_EQ(sel.left(), 3);
    EXPECT_TRUE(PixelIs(image, sel.right() - 1, sel.center().y(), c.SelectionBorder));
    EXPECT_TRUE(PixelIs(image, sel.right(), sel.center().y(), c.Background));
}

TEST_F(MenuPainterTest, ToolBarsAreFlattenedAndTheirButtonsHooked) {
    QWidget owner;
    auto* toolbar = new QToolBar(&owner);
    QAction* play = toolbar->addAction(RedSquareIcon(), QStringLiteral("播放"));
    QAction* mute = toolbar->addAction(QStringLiteral("静音"));
    mute->setCheckable(true);
    mute->setChecked(true);
    auto* empty = new QToolBar(&owner);
    auto* painter = new TXPMenu(&owner);
    auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(play));
    ASSERT_NE(button, nullptr);
    button->setAutoRaise(false);
    painter->SetActive(true);
    EXPECT_TRUE(button->autoRaise());
    EXPECT_EQ(toolbar->style(), painter);
    EXPECT_EQ(button->style(), painter);
    EXPECT_NE(empty->style(), painter) << "a toolbar without buttons gets no drawing of ours";

    const QImage image = Render(*toolbar);
    const WorkingColours c = painter->SetupColors(32);
    const QRect p = button->geometry();
    EXPECT_TRUE(PixelIs(image, p.left() + 1, p.bottom() - 1, Face()));
    const QRect m = toolbar->widgetForAction(mute)->geometry();
    EXPECT_TRUE(PixelIs(image, m.left() + 2, m.top(), Face()));
    EXPECT_TRUE(PixelIs(image, m.left(), m.top() + 1, c.SelectionBorder));
    EXPECT_TRUE(PixelIs(image, m.left() + 2, m.bottom() - 1, c.CheckFill));
    EXPECT_GT(CountPixels(image, m, c.FontColour), 5) << "the caption of a button without an icon";

    // A button added later is drawn by us too.
    QAction* stop = toolbar->addAction(QStringLiteral("停止"));
    QCoreApplication::processEvents();
    EXPECT_EQ(toolbar->widgetForAction(stop)->style(), painter);
    painter->SetActive(false);
    EXPECT_NE(button->style(), painter);
}

TEST_F(MenuPainterTest, ToolButtonStates) {
    QWidget owner;
    auto* toolbar = new QToolBar(&owner);
    auto* button = new QToolButton;
    toolbar->addWidget(button);
    TXPMenu painter;
    painter.SetActive(true);
    const WorkingColours c = painter.SetupColors(32);

    const QImage hot = DrawButton(painter, button, QStyle::State_MouseOver);
    EXPECT_TRUE(PixelIs(hot, 5, 0, Face()));
    EXPECT_TRUE(PixelIs(hot, 5, 1, c.SelectionBorder));
    EXPECT_TRUE(PixelIs(hot, 39, 12, c.SelectionBorder));
    EXPECT_TRUE(PixelIs(hot, 5, 12, c.SelectionFill));
    const QImage hotDown = DrawButton(painter, button, QStyle::State_MouseOver | QStyle::State_Sunken);
    EXPECT_TRUE(PixelIs(hotDown, 5, 12, c.SelectedCheckFill));
    const QImage idle = DrawButton(painter, button, {});
    EXPECT_TRUE(PixelIs(idle, 5, 12, Face()));

    // A drop-down button: two frames when hot, and the black arrow 10 from the right.
    const auto dropDown = QStyleOptionToolButton::MenuButtonPopup | QStyleOptionToolButton::HasMenu;
    const QImage split = DrawButton(painter, button, QStyle::State_MouseOver, dropDown);
    EXPECT_TRUE(PixelIs(split, 26, 12, c.SelectionBorder));
    EXPECT_TRUE(PixelIs(split, 27, 12, c.SelectionBorder));
    EXPECT_TRUE(PixelIs(split, 24, 12, c.SelectionFill));
    EXPECT_TRUE(PixelIs(split, 30, 11, Qt::black));  // (right - 10, top + (24 - 3) / 2 + 1)
    EXPECT_TRUE(PixelIs(split, 33, 11, Qt::black));
    EXPECT_TRUE(PixelIs(split, 34, 11, c.SelectionFill));

    // A button that opens a menu as a menu-bar item: the bar colour, and the bar selection when pressed.
    const QImage menuItem = DrawButton(painter, button, {}, QStyleOptionToolButton::HasMenu);
    EXPECT_TRUE(PixelIs(menuItem, 5, 12, c.MenuBar));
    EXPECT_TRUE(PixelIs(menuItem, 5, 0, Face()));
    const QImage pressed = DrawButton(painter, button, QStyle::State_Sunken, QStyleOptionToolButton::HasMenu);
    EXPECT_TRUE(PixelIs(pressed, 0, 5, c.Outline));
    EXPECT_TRUE(PixelIs(pressed, 20, 0, c.Outline));
    EXPECT_TRUE(PixelIs(pressed, 37, 10, c.Outline));
    EXPECT_TRUE(PixelIs(pressed, 39, 10, c.Shadow));
    EXPECT_TRUE(PixelIs(pressed, 38, 1, c.IconColumn));
    EXPECT_TRUE(PixelIs(pressed, 5, 12, c.IconColumn));
}

TEST_F(MenuPainterTest, OverrideOwnerDrawTakesOverOwnStylesAndGivesThemUpWhenUnhooked) {
    std::unique_ptr<QStyle> foreign(QStyleFactory::create(QStringLiteral("Fusion")));
    QWidget owner;
    auto* styled = new QMenu(&owner);
    styled->addAction(QStringLiteral("播放"));
    styled->setStyle(foreign.get());
    auto* painter = new TXPMenu(&owner);
    painter->SetActive(true);
    EXPECT_EQ(styled->style(), foreign.get());
    painter->SetOverrideOwnerDraw(true);
    EXPECT_EQ(styled->style(), painter) << "setting it while active hooks again";
    painter->SetActive(false);
    EXPECT_NE(styled->style(), painter);
    EXPECT_NE(styled->style(), foreign.get()) << "unhooking clears what is ours";
}

TEST_F(MenuPainterTest, AutoDetectActivatesOnAnInsertedItemAndHooksLaterMenus) {
    QWidget owner;
    auto* painter = new TXPMenu(&owner);
    painter->AutoDetect = true;
    auto* menu = new QMenu(&owner);
    menu->addAction(QStringLiteral("播放"));
    EXPECT_FALSE(painter->Active()) << "the inserted objects are looked at once they are whole";
    QCoreApplication::processEvents();
    EXPECT_TRUE(painter->Active());
    EXPECT_EQ(menu->style(), painter);
    auto* bar = new QMenuBar(&owner);
    QMenu* file = bar->addMenu(QStringLiteral("文件"));
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->style(), painter);
    EXPECT_EQ(file->style(), painter);
    auto* toolbar = new QToolBar(&owner);
    QAction* play = toolbar->addAction(QStringLiteral("播放"));
    QCoreApplication::processEvents();
    EXPECT_EQ(toolbar->widgetForAction(play)->style(), painter);
}

TEST_F(MenuPainterTest, WithoutAutoDetectInsertionsChangeNothing) {
    QWidget owner;
    auto* painter = new TXPMenu(&owner);
    auto* menu = new QMenu(&owner);
    menu->addAction(QStringLiteral("播放"));
    QCoreApplication::processEvents();
    EXPECT_FALSE(painter->Active());
    EXPECT_NE(menu->style(), painter);
}
