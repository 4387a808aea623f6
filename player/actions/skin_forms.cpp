#include "player/actions/skin_forms.h"

#include <QApplication>
#include <QCursor>
#include <QWidget>

#include "player/app/form1.h"
#include "player/display/display.h"
#include "player/skin/skin_frames.h"

namespace {

constexpr int kCaptionDigit = 8;
const QString kPrefix = QStringLiteral("dispForm");

}  // namespace

QWidget* FormByNumber(int number) {
    switch (number) {
    case 1: return Form1.data();
    case 2: return PlaylistWindow.data();
    case 3: return EqualizerWindow.data();
    case 4: return Form4.data();
    case 5: return Form5.data();
    default: return nullptr;
    }
}

std::vector<TSkinRegion>* RegionsByNumber(int number) {
    switch (number) {
    case 1: return &MainRegions;
    case 2: return &PlaylistRegions;
    case 3: return &EqualizerRegions;
    case 4: return &VideoRegions;
    case 5: return &BrowserRegions;
    default: return nullptr;
    }
}

QWidget* FormByCaption(const QString& caption) {
    if (caption.size() != kPrefix.size() + 1 || !caption.startsWith(kPrefix)) return nullptr;
    return FormByNumber(caption.at(kCaptionDigit).digitValue());
}

QString CaptionOf(const QWidget* window) {
    if (!window) return {};
    for (int n = 1; n <= 5; ++n)
        if (FormByNumber(n) == window) return kPrefix + QString::number(n);
    return {};
}

QString WindowCaptionUnderCursor(const QPoint& global) {
    QWidget* under = QApplication::widgetAt(global);
    return CaptionOf(under ? under->window() : nullptr).left(254);
}

QString WindowCaptionUnderCursor() { return WindowCaptionUnderCursor(QCursor::pos()); }

static int NumberOfLetter(QChar letter) {
    switch (letter.unicode()) {
    case 'm': return 1;
    case 'l': return 2;
    case 'e': return 3;
    case 'a': return 4;
    case 'b': return 5;
    default: return 0;
    }
}

TSkinWindow* SurfaceOfRegion(const QString& name) {
    return name.isEmpty() ? nullptr : SkinSurface(FormByNumber(NumberOfLetter(name.front())));
}

std::vector<TSkinRegion>* RegionsOfLetter(QChar letter) { return RegionsByNumber(NumberOfLetter(letter)); }

bool MainShaded() { return Form1 && Form1->height() == kShadedHeight; }
