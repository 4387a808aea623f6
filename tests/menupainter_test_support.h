// What the menu painter's tests share: a known desktop (fixed system colours, an unsmoothed
// menu font), a test icon, and rendering a widget offscreen.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QStyleOptionMenuItem>
#include <QWidget>

namespace {

const QColor kBtnFace(212, 208, 200);
const QColor kHighlight(10, 36, 106);
const QColor kBtnShadow(128, 128, 128);
const QColor kMenuText(0, 0, 0);
const QColor kMenu(236, 233, 216);

// A known desktop: fixed system colours and an unsmoothed menu font, so text pixels carry
// exactly the caption colour.
class MenuPainterTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedPalette_ = QApplication::palette();
        savedFont_ = QApplication::font("QMenu");
        QPalette palette = savedPalette_;
        palette.setColor(QPalette::Active, QPalette::Button, kBtnFace);
        palette.setColor(QPalette::Active, QPalette::Highlight, kHighlight);
        palette.setColor(QPalette::Active, QPalette::Dark, kBtnShadow);
        palette.setColor(QPalette::Active, QPalette::WindowText, kMenuText);
        palette.setColor(QPalette::Active, QPalette::Window, kMenu);
        QApplication::setPalette(palette);
        QFont font = QApplication::font();
        font.setPixelSize(12);
        font.setStyleStrategy(QFont::NoAntialias);
        QApplication::setFont(font, "QMenu");
    }
    void TearDown() override {
        QApplication::setPalette(savedPalette_);
        QApplication::setFont(savedFont_, "QMenu");
    }

    static QStyleOptionMenuItem Item(const QString& text,
                                     QStyleOptionMenuItem::MenuItemType type = QStyleOptionMenuItem::Normal) {
        QStyleOptionMenuItem item;
        item.text = text;
        item.menuItemType = type;
        item.state = QStyle::State_Enabled;
        return item;
    }

    QPalette savedPalette_;
    QFont savedFont_;
};

// A red square with a clear border, as a 16 x 16 menu icon.
QIcon RedSquareIcon() {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter(&image).fillRect(2, 2, 12, 12, QColor(255, 0, 0));
    return QIcon(QPixmap::fromImage(image));
}

QImage Render(QWidget& widget) {
    widget.adjustSize();
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::magenta);
    widget.render(&image);
    return image;
}

int CountPixels(const QImage& image, const QRect& area, const QColor& colour) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) count += image.pixelColor(x, y) == colour;
    return count;
}

}  // namespace
