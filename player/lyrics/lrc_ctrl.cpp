// The lyrics timing: choosing the two lines at each change and moving the wipe along the marks.
#include "player/lyrics/lrc_ctrl.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

namespace lyrics {

std::optional<int> WipePixel(const std::vector<TLrcMark>& marks, int lineStart, int t) {
    if (marks.empty()) return std::nullopt;
    const int last = marks.back().TimeMs;
    const auto next = std::find_if(marks.begin(), marks.end(),
                                   [&](const TLrcMark& mark) { return mark.TimeMs > t && last >= mark.TimeMs; });
    // No mark lies ahead: the line is sung to its end.
    if (next == marks.end()) return marks.back().Pixel;
    int startTime = lineStart;
    int startPixel = 0;
    for (const TLrcMark& mark : marks) {
        if (mark.TimeMs > startTime && mark.TimeMs < next->TimeMs) {
            startTime = mark.TimeMs;
            startPixel = mark.Pixel;
        }
    }
    const qint64 duration = qint64(next->TimeMs) - startTime;
    if (duration <= 0) return std::nullopt;
    // A time before the line's start (a larger correction) wipes nothing rather than going back.
    const qint64 elapsed = std::max<qint64>(duration - std::max<qint64>(qint64(next->TimeMs) - t, 0), 0);
    const double share = double(elapsed) / double(duration) * double(next->Pixel - startPixel);
    return int(std::nearbyint(share)) + startPixel;
}

}  // namespace lyrics

TLrcCtrl::TLrcCtrl(QWidget* window, QObject* parent) : QObject(parent) { SetWindow(window); }

TLrcCtrl::~TLrcCtrl() {
    // The view may be painting from inside the window's own handler: it goes after that returns.
    if (view_) {
        view_->hide();
        view_->deleteLater();
    }
}

void TLrcCtrl::SetWindow(QWidget* window) {
    if (window_ == window && view_) return;
    if (view_) view_->deleteLater();
    window_ = window;
    view_ = window ? new TLrcView(this, window) : nullptr;
    if (view_) view_->Reshape();
}

void TLrcCtrl::SetLyrics(lyrics::TLrcData data) { data_ = std::move(data); }

int TLrcCtrl::WindowWidth() const { return window_ ? window_->width() : 0; }
int TLrcCtrl::WindowHeight() const { return window_ ? window_->height() : 0; }

void TLrcCtrl::ResetLines() {
    NextChange = -1;
    State = 2;
}

void TLrcCtrl::Tick(int t) {
    if (WordWipe && State == 0) WipeTo(UpperImage, UpperMarks, t, LeftMargin + 1);
    if (WordWipe && State == 1) WipeTo(LowerImage, LowerMarks, t, WindowWidth() - LowerWidth - 15 - LeftMargin);
    if (NextChange < t) ChangeLines(t);
}

// `origin` is the image column where the line's text begins.
void TLrcCtrl::WipeTo(QImage& image, const std::vector<lyrics::TLrcMark>& marks, int t, int origin) {
    const std::optional<int> pixel = lyrics::WipePixel(marks, LineStart, t);
    if (!pixel) return;
    WipeColumns(image, *pixel + origin - WipeColumn);
    ShowChanges();
}

// The latest lyric at or before t and the earliest after it; among equal times the first line in
// the file wins.
void TLrcCtrl::ChooseLines(int t) {
    int best = -1;
    int next = lyrics::kMaxLyricsMs;
    for (const lyrics::TLrcTime& time : data_.Times) {
        const QString& line = data_.Lines[time.Line];
        if (t >= time.TimeMs && best < time.TimeMs) {
            best = time.TimeMs;
            if (State == 2) UpperText = line;
        }
        if (t < time.TimeMs && time.TimeMs < next) {
            next = time.TimeMs;
            (State == 0 ? UpperText : LowerText) = line;
        }
    }
    // Before the first lyric no line has started: a start left from before a seek would make the
    // wipe's durations wrong.
    LineStart = std::max(best, 0);
    NextChange = next;
}

void TLrcCtrl::ChangeLines(int t) {
    ChooseLines(t);
    switch (State) {
    case 0: {
        const lyrics::TParsedLine upper = Parse(UpperText, UpperFont);
        UpperText = upper.Text;
        UpperMarks = upper.Marks;
        State = 1;
        WipeColumn = WindowWidth() - LowerWidth - LeftMargin - 16;
        break;
    }
    case 1: {
        const lyrics::TParsedLine lower = Parse(LowerText, LowerFont);
        LowerText = lower.Text;
        LowerMarks = lower.Marks;
        State = 0;
        WipeColumn = 0;
        break;
    }
    default: {
        const lyrics::TParsedLine upper = Parse(UpperText, UpperFont);
        const lyrics::TParsedLine lower = Parse(LowerText, LowerFont);
        UpperText = upper.Text;
        UpperMarks = upper.Marks;
        LowerText = lower.Text;
        LowerMarks = lower.Marks;
        State = 0;
        WipeColumn = 0;
        break;
    }
    }
    if (!UpperMarks.empty()) UpperMarks.back().TimeMs = NextChange;
    if (!LowerMarks.empty()) LowerMarks.back().TimeMs = NextChange;
    UpperWidth = QFontMetrics(UpperFont).horizontalAdvance(UpperText);
    LowerWidth = QFontMetrics(LowerFont).horizontalAdvance(LowerText);
    DrawLines();
}

lyrics::TParsedLine TLrcCtrl::Parse(const QString& line, const QFont& font) const {
    const QFontMetrics metrics(font);
    return lyrics::ParseWords(line, [&metrics](const QString& text) { return metrics.horizontalAdvance(text); });
}
