// The lyrics drawing: fonts, colours, the place of the two line images, the outlined text and the
// wipe, which recolours exact colours only (the text is drawn without smoothing for that).
#include <QBitmap>
#include <QChildEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <algorithm>

#include "player/lyrics/lrc_ctrl.h"
#include "player/skin/skin_window.h"

namespace lyrics {

quint32 DistinctFromBackground(quint32 colour, quint32 background) {
    return colour == background ? colour ^ 1u : colour;
}

QRgb ToRgb(quint32 windowsColour) {
    return qRgb(int(windowsColour & 0xFF), int(windowsColour >> 8 & 0xFF), int(windowsColour >> 16 & 0xFF));
}

}  // namespace lyrics

namespace {

// Hand-edited settings must not push the lines millions of pixels away or make huge images.
constexpr int kMaxPlacement = 100000;
constexpr int kMaxFontPixels = 500;

QFont LyricsFont(const TLrcSettings& settings, QFont font) {
    font.setFamily(settings.FontName);
    // Points at the desktop's 96 dots per inch, as the stored size means on the system it came from.
    font.setPixelSize(std::clamp((std::clamp(settings.FontSize, 1, 1000) * 96 + 36) / 72, 1, kMaxFontPixels));
    const QString& style = settings.FontStyle;
    if (style == QStringLiteral("常规") || style == QStringLiteral("粗体") || style == QStringLiteral("斜体") ||
        style == QStringLiteral("粗斜体")) {
        font.setBold(style.contains(QStringLiteral("粗")));
        font.setItalic(style.contains(QStringLiteral("斜")));
    }
    // Smoothed edges would be in-between colours that the wipe, matching exact colours, leaves.
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

// A line image with its background colour made see-through, as a transparent picture control shows.
QImage Keyed(const QImage& image, QRgb key) {
    QImage keyed = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < keyed.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x) {
            if (row[x] == key) row[x] = 0;
        }
    }
    return keyed;
}

}  // namespace

void TLrcCtrl::LoadBackground(const TLrcSettings& settings) {
    BackgroundImage = QImage();
    if (!settings.UseBackgroundImage || !QFileInfo(settings.BackgroundImage).isFile()) return;
    QImage picture;
    if (picture.load(settings.BackgroundImage)) BackgroundImage = picture.convertToFormat(QImage::Format_RGB32);
}

void TLrcCtrl::ApplySettings(const TLrcSettings& settings, bool rewipe) {
    Settings = settings;
    Settings.AlignTop = std::clamp(settings.AlignTop, -kMaxPlacement, kMaxPlacement);
    Settings.AlignLeft = std::clamp(settings.AlignLeft, -kMaxPlacement, kMaxPlacement);
    UpperFont = LyricsFont(Settings, UpperFont);
    const int lineHeight = QFontMetrics(UpperFont).height() + 2;
    if (window_ && WindowHeight() < 2 * lineHeight + 20) {
        window_->resize(WindowWidth(), 2 * lineHeight + 20);
        if (WindowGrown) WindowGrown();
    }
    LowerFont = UpperFont;
    UpperImage = QImage(std::max(WindowWidth() - 14, 1), lineHeight, QImage::Format_RGB32);
    LowerImage = QImage(UpperImage.size(), QImage::Format_RGB32);
    const quint32 background = Settings.BackgroundColor & 0xFFFFFF;
    BackgroundColor = lyrics::ToRgb(background);
    FontLeftColor = lyrics::ToRgb(lyrics::DistinctFromBackground(Settings.FontLeftColor & 0xFFFFFF, background));
    FontRightColor = lyrics::ToRgb(lyrics::DistinctFromBackground(Settings.FontRightColor & 0xFFFFFF, background));
    FrameLeftColor = lyrics::ToRgb(lyrics::DistinctFromBackground(Settings.FrameLeftColor & 0xFFFFFF, background));
    FrameRightColor = lyrics::ToRgb(lyrics::DistinctFromBackground(Settings.FrameRightColor & 0xFFFFFF, background));
    if (window_) {
        QPalette colours = window_->palette();
        colours.setColor(QPalette::Window, QColor::fromRgb(BackgroundColor));
        window_->setPalette(colours);
    }
    // The lines keep their texts; their widths follow the new font.
    UpperWidth = QFontMetrics(UpperFont).horizontalAdvance(UpperText);
    LowerWidth = QFontMetrics(LowerFont).horizontalAdvance(LowerText);
    const int reached = WipeColumn;
    Layout();
    DrawBackground(false);
    DrawLines();
    if (!rewipe) return;
    if (State == 1) {
        WipeColumn = WindowWidth() - LowerWidth - LeftMargin - 16;
        WipeColumns(LowerImage, reached - WipeColumn);
    } else {
        WipeColumn = 0;
        WipeColumns(UpperImage, reached);
    }
    ShowChanges();
}

QSize TLrcCtrl::VideoSize() const {
    const QFontMetrics metrics(UpperFont);
    return {16 * metrics.horizontalAdvance(QChar(0x3000)), 2 * metrics.height()};
}

void TLrcCtrl::Layout() {
    const int w = WindowWidth();
    const int h = WindowHeight();
    const int unit = QFontMetrics(UpperFont).horizontalAdvance(QChar(0x3000));
    const int lineHeight = UpperImage.height();
    if (VideoSizeSet) VideoSizeSet(VideoSize());
    int top = 0;
    if (Settings.AlignAuto) {
        const int centred = (h - 20) / 2 - lineHeight + 14;
        top = !BackgroundImage.isNull() && Settings.UseBackgroundImage ? h - 2 * lineHeight - 26 : centred;
        top = std::max({top, centred, 15});
        LeftMargin = w / 2 < 8 * unit + 7 ? 7 : w / 2 - 8 * unit;
    } else {
        top = Settings.AlignTop + 15;
        LeftMargin = Settings.AlignLeft;
    }
    top = std::max(top, 14);
    LowerTop = top + lineHeight + 1;
    if (LowerTop + LowerImage.height() > h - 5) {
        LowerTop = h - LowerImage.height() - 5;
        top = LowerTop - lineHeight;
    }
    UpperTop = top;
    if (view_) {
        view_->setGeometry(7, 15, std::max(w - 14, 0), std::max(h - 20, 0));
        view_->Reshape();
    }
}

// The text in the frame colour one pixel up, down, left and right, then in the text colour over
// it: a one-pixel outline. `x` is the outline's left edge.
void TLrcCtrl::DrawLine(QImage& image, const QFont& font, const QString& text, int x) const {
    if (image.isNull()) return;
    image.fill(BackgroundColor);
    if (text.isEmpty()) return;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(font);
    const int ascent = QFontMetrics(font).ascent();
    painter.setPen(QColor::fromRgb(FrameLeftColor));
    for (const QPoint offset : {QPoint(1, 0), QPoint(1, 2), QPoint(0, 1), QPoint(2, 1)}) {
        painter.drawText(x + offset.x(), offset.y() + ascent, text);
    }
    painter.setPen(QColor::fromRgb(FontLeftColor));
    painter.drawText(x + 1, 1 + ascent, text);
}

void TLrcCtrl::DrawLines() {
    const int w = WindowWidth();
    DrawLine(UpperImage, UpperFont, UpperText, LeftMargin);
    const int right = w - LowerWidth - 16 + (w + 1) % 2;
    DrawLine(LowerImage, LowerFont, LowerText, right - LeftMargin);
    if (view_) view_->Reshape();
    ShowChanges();
}

void TLrcCtrl::WipeColumns(QImage& image, int n) {
    const qint64 from = std::max<qint64>(WipeColumn, 0);
    const qint64 to = std::min<qint64>(qint64(WipeColumn) + n, image.width());
    const QRgb fontLeft = FontLeftColor | 0xFF000000u, fontRight = FontRightColor | 0xFF000000u;
    const QRgb frameLeft = FrameLeftColor | 0xFF000000u, frameRight = FrameRightColor | 0xFF000000u;
    for (int y = 0; y < image.height() && from < to; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (qint64 x = from; x < to; ++x) {
            if (row[x] == fontLeft) row[x] = fontRight;
            if (row[x] == frameLeft) row[x] = frameRight;
        }
    }
    // The column moves on even where the line reaches past the image, so the next step goes on
    // from where the singing is.
    WipeColumn = int(std::clamp<qint64>(qint64(WipeColumn) + n, -kMaxPlacement * 4, kMaxPlacement * 4));
}

QImage TLrcCtrl::Picture() const {
    QImage picture(std::max(WindowWidth() - 14, 0), std::max(WindowHeight() - 20, 0), QImage::Format_RGB32);
    picture.fill(BackgroundColor);
    QPainter painter(&picture);
    if (!BackgroundImage.isNull()) painter.drawImage(0, 0, BackgroundImage);
    PaintLines(painter);
    return picture;
}

void TLrcCtrl::PaintLines(QPainter& painter) const {
    const QRgb key = BackgroundColor | 0xFF000000u;
    if (!UpperImage.isNull()) painter.drawImage(0, UpperTop - 15, Keyed(UpperImage, key));
    if (!LowerImage.isNull()) painter.drawImage(0, LowerTop - 15, Keyed(LowerImage, key));
}

QRegion TLrcCtrl::LinesRegion() const {
    QRegion region;
    const QRgb key = BackgroundColor | 0xFF000000u;
    const std::pair<const QImage*, int> lines[] = {{&UpperImage, UpperTop}, {&LowerImage, LowerTop}};
    for (const auto& [image, top] : lines) {
        if (image->isNull()) continue;
        const QImage drawn = image->convertToFormat(QImage::Format_RGB32).createMaskFromColor(key, Qt::MaskInColor);
        region += QRegion(QBitmap::fromImage(drawn)).translated(0, top - 15);
    }
    return region;
}

void TLrcCtrl::DrawBackground(bool always) {
    auto* window = qobject_cast<TSkinWindow*>(window_.data());
    if (!window || WindowWidth() <= 14 || WindowHeight() <= 20) return;
    const qint64 picture = BackgroundImage.isNull() ? 0 : BackgroundImage.cacheKey();
    if (!always && backgroundDrawn_.Size == window->size() && backgroundDrawn_.Colour == BackgroundColor &&
        backgroundDrawn_.Picture == picture)
        return;
    backgroundDrawn_ = {window->size(), BackgroundColor, picture};
    QImage inner(WindowWidth() - 14, WindowHeight() - 20, QImage::Format_RGB32);
    inner.fill(BackgroundColor);
    if (!BackgroundImage.isNull()) {
        QPainter painter(&inner);
        painter.drawImage(0, 0, BackgroundImage);
    }
    window->DrawOnWindow(QRect(QPoint(7, 15), inner.size()), inner, inner.rect());
}

void TLrcCtrl::ShowChanges() {
    if (view_) view_->update();
}

TLrcView::TLrcView(TLrcCtrl* ctrl, QWidget* window) : QWidget(window), ctrl_(ctrl) {
    setObjectName(QStringLiteral("LyricsView"));
    // Presses and drags over the lines belong to the window (its regions, its menu).
    setAttribute(Qt::WA_TransparentForMouseEvents);
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        setAttribute(Qt::WA_DontCreateNativeAncestors);
        setAttribute(Qt::WA_NativeWindow);
    }
    // A video window made or raised later (an engine fitting its picture) would cover the lines.
    window->installEventFilter(this);
    for (QObject* sibling : window->children()) WatchSibling(sibling);
}

void TLrcView::WatchSibling(QObject* sibling) {
    // Another lines view (one being released) is not watched: two would raise each other forever.
    if (sibling != this && sibling->isWidgetType() && !dynamic_cast<TLrcView*>(sibling))
        sibling->installEventFilter(this);
}

bool TLrcView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent()) {
        if (event->type() == QEvent::ChildAdded) WatchSibling(static_cast<QChildEvent*>(event)->child());
    } else if (event->type() == QEvent::Show || event->type() == QEvent::ZOrderChange) {
        if (isVisible()) raise();
    }
    return QWidget::eventFilter(watched, event);
}

void TLrcView::Reshape() {
    if (!ctrl_) return;
    const QRegion shape = ctrl_->LinesRegion();
    if (shape.isEmpty()) {
        hide();
        return;
    }
    if (shape != shape_) {
        shape_ = shape;
        setMask(shape_);
    }
    if (isHidden()) {
        show();
        raise();
    }
}

void TLrcView::paintEvent(QPaintEvent*) {
    if (!ctrl_) return;
    QPainter painter(this);
    ctrl_->PaintLines(painter);
}
