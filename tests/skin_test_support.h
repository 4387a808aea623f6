// A skin drawn by the tests: every pixel of every sheet says which sheet it belongs to and where
// it sits, so any copied pixel of a window tells exactly where it came from. The skin is written
// as .bmp files into an install folder's skins/default/ and a main window is opened over it.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <ostream>

#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/app/form1.h"
#include "tests/test_support.h"

namespace skin_test {

enum Sheet { Avs, Balance, Cbuttons, Eqmain, EqEx, Main, Mb, Monoster, Numbers, Playpaus, Pledit, Posbar, Shufrep, Text, Titlebar, Volume };

struct SheetFile {
    Sheet sheet;
    const char* name;
    int width, height;
};
inline constexpr SheetFile kSheets[] = {
    {Avs, "avs", 97, 188},          {Balance, "balance", 68, 433}, {Cbuttons, "cbuttons", 136, 36},
    {Eqmain, "eqmain", 275, 315},   {EqEx, "eq_ex", 275, 82},      {Main, "main", 275, 116},
    {Mb, "mb", 180, 120},           {Monoster, "monoster", 58, 24}, {Numbers, "nums_ex", 108, 13},
    {Playpaus, "playpaus", 42, 9},  {Pledit, "pledit", 280, 186},  {Posbar, "posbar", 307, 10},
    {Shufrep, "shufrep", 92, 85},   {Text, "text", 155, 18},       {Titlebar, "titlebar", 344, 87},
    {Volume, "volume", 68, 433},
};

inline QRgb Encode(int sheet, int x, int y) {
    return qRgb(x & 255, y & 255, (sheet << 4) | ((x >> 8) << 2) | (y >> 8));
}

// Where a pixel came from: its sheet and its place there.
struct Origin {
    int sheet, x, y;
    bool operator==(const Origin&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const Origin& o) {
    const char* name = "?";
    for (const SheetFile& f : kSheets)
        if (int(f.sheet) == o.sheet) name = f.name;
    return out << name << "(" << o.x << "," << o.y << ")";
}
inline Origin From(Sheet sheet, int x, int y) { return {int(sheet), x, y}; }
// Notes the image, so a failed check against it leaves the picture in the build's test-pictures/.
inline Origin OriginAt(const QImage& image, int x, int y) {
    testing_support::NotePicture(image);
    if (!image.valid(x, y)) return {-1, -1, -1};
    const QRgb p = image.pixel(x, y);
    const int b = qBlue(p);
    return {b >> 4, qRed(p) | (((b >> 2) & 3) << 8), qGreen(p) | ((b & 3) << 8)};
}

inline QImage DrawSheet(int sheet, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, Encode(sheet, x, y));
    return image;
}

inline void WriteSkin(const QString& installFolder) {
    const QString folder = installFolder + "/skins/default/";
    QDir().mkpath(folder);
    for (const SheetFile& f : kSheets) DrawSheet(f.sheet, f.width, f.height).save(folder + f.name + ".bmp", "BMP");
}

// Lets posted repaints (a window's first paint after it was shown) run.
inline void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

// A main window, with its playlist, equaliser and browser, over a private install folder that
// holds the drawn skin.
class SkinFixture : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.write("Plugins/FilePlus.ini", "[decode_setup]\r\nDECODE0=*.mp3\r\n");
        WriteSkin(dir_.path());
    }
    void TearDown() override {
        // Checks that read pixels themselves still leave the main window's picture behind.
        if (HasFailure() && form_) testing_support::SavePicture(ScreenOf(form_), "main-window");
        delete Form4.data();
        if (form_) {
            form_->QuietClose = true;
            form_->close();
            delete form_;
        }
    }
    void Open(const QByteArray& setup = {}) {
        if (!setup.isEmpty()) dir_.write("setup.ini", setup);
        form_ = new TForm1(dir_.path() + "/");
        Settle();
        // The browser follows the main window's first paint.
        const bool browser = form_->isVisible() && Ctrl->ReadBool(QStringLiteral("MB_Open"), true);
        for (int i = 0; browser && i < 500 && !Form5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (browser) {
            // As at a start: the main window, not the browser shown after it, is the active one.
            form_->activateWindow();
            Settle();
        }
    }
    TDisplay& D() const { return *Ctrl->Display; }
    static QImage& ScreenOf(QWidget* window) { return qobject_cast<TSkinWindow*>(window)->ScreenImage(); }

    testing_support::TempFolder dir_;
    TForm1* form_ = nullptr;
};

}  // namespace skin_test
