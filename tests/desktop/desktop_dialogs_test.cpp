// The dialogs the player borrows from Qt speak Chinese on a real desktop: a message box's
// button and the save dialog's title and buttons, read from the screen.
#include <gtest/gtest.h>

#include <QColor>
#include <QFile>
#include <QThread>

#include "tests/desktop/desktop_support.h"

namespace {

using desktop::Desktop;
using desktop::Window;

class DesktopDialogs : public desktop::DesktopTest {};

// Dark pixels (label and icon) inside a button's frame.
int Ink(const QImage& picture, const QRect& inside) {
    int dark = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) dark += qGray(picture.pixel(x, y)) < 160;
    return dark;
}

// The player's interface face at 9 pt: "确定" beside the button's icon darkens some 220 pixels,
// "OK" some 155.
TEST_F(DesktopDialogs, AMessageBoxShowsChineseButtons) {
    Up({.windowManager = true});
    // A file of a type nobody defined: the player says so in a box with one button.
    const QString file = desk->Folder() + "/notes.xyz";
    QFile(file).open(QIODevice::WriteOnly);
    ASSERT_TRUE(desk->StartPlayer({file}, {}, true)) << desk->Error().toStdString();
    std::optional<Window> box;
    ASSERT_TRUE(Desktop::WaitFor([&] { return (box = desk->WindowTitled("不能播放")) && box->viewable; }));
    QThread::msleep(300);
    Shot("message-box-chinese-buttons");
    const QRect d = box->place;
    const int label = Ink(desk->Grab(), QRect(d.right() - 88, d.bottom() - 30, 74, 18));
    EXPECT_GE(label, 190) << "the button reads \"确定\", not \"OK\": " << label;
}

TEST_F(DesktopDialogs, TheSaveDialogShowsChineseTitleAndButtons) {
    Up({.windowManager = true});
    ASSERT_TRUE(desk->StartPlayer({}, "PL_L=150\r\nPL_T=342\r\nPL_H=116\r\n")) << desk->Error().toStdString();
    // The playlist's list button opens its strip; its middle cell saves the list.
    std::optional<Window> playlist;
    ASSERT_TRUE(Desktop::WaitFor([&] {
        for (const Window& w : desk->GluedWindows())
            if (w.place.topLeft() == QPoint(150, 342) && w.viewable) playlist = w;
        return playlist.has_value();
    }));
    const QRect p = playlist->place;
    ASSERT_TRUE(desk->Click({p.right() - 32, p.bottom() - 20}));
    ASSERT_TRUE(desk->Click({p.right() - 34, p.bottom() - 37}));
    std::optional<Window> dialog;
    ASSERT_TRUE(Desktop::WaitFor([&] { return (dialog = desk->DialogWindow()) && dialog->viewable; }));
    EXPECT_TRUE(dialog->title.startsWith("另存为")) << "the title is Qt's own, translated";
    // A name makes the save button live, so both draw their labels in black.
    ASSERT_TRUE(desk->Xdotool({"type", "list"}));
    QThread::msleep(300);
    Shot("save-dialog-chinese-buttons");
    const QImage picture = desk->Grab();
    const QRect d = dialog->place;
    // The two buttons stand at the dialog's bottom right, "保存(S)" over "取消": the Chinese
    // save label darkens clearly more than the cancel label (some 218 and 183 pixels with their
    // icons); the English "Save" and "Cancel" as good as the same.
    const int save = Ink(picture, QRect(d.right() - 88, d.bottom() - 62, 74, 18));
    const int cancel = Ink(picture, QRect(d.right() - 88, d.bottom() - 32, 74, 18));
    EXPECT_GT(save, cancel + 15) << "save " << save << ", cancel " << cancel;
}

}  // namespace
