#include "dialogs/about_box.h"

#include <QDesktopServices>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScreen>
#include <QUrl>

#include "ui_about_box.h"

namespace {

const QColor kText(62, 116, 135);
const QColor kVersion(182, 213, 222);

// Our own artwork: a pale sky with a dark band under the version line (its light text needs
// it), a few soft waves and the name. Drawn once per box; there is no picture file to lose.
QPixmap Artwork() {
    QPixmap picture(350, 230);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 230);
    sky.setColorAt(0, QColor(236, 245, 248));
    sky.setColorAt(1, QColor(208, 229, 236));
    p.fillRect(picture.rect(), sky);
    p.fillRect(QRect(0, 26, 350, 18), kText);
    for (int i = 0; i < 3; ++i) {
        QPainterPath wave;
        const int base = 150 + i * 14;
        wave.moveTo(0, base);
        wave.cubicTo(90, base - 40 + i * 8, 230, base + 36 - i * 6, 350, base - 12);
        wave.lineTo(350, 196);
        wave.lineTo(0, 196);
        wave.closeSubpath();
        p.fillPath(wave, QColor(62, 116, 135, 40 + i * 25));
    }
    p.fillRect(QRect(0, 196, 350, 34), QColor(236, 245, 248));
    QFont name(QStringLiteral("Sans Serif"));
    name.setPixelSize(34);
    name.setBold(true);
    p.setFont(name);
    p.setPen(kText);
    p.drawText(QRect(0, 70, 350, 60), Qt::AlignCenter, QStringLiteral("Velmora Player"));
    return picture;
}

void SetColour(QWidget* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

QPointer<TForm12> g_about;

}  // namespace

TForm12::TForm12(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TForm12>()) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setFixedSize(350, 230);
    // Twelve pixels high whatever the screen's resolution, as the lines are placed for it.
    QFont text = font();
    text.setPixelSize(12);
    setFont(text);
    ui_->Image1->setPixmap(Artwork());
    for (QWidget* label : {ui_->Label1, ui_->Label2, ui_->Label3, ui_->Label4, ui_->Label6, ui_->Label7})
        SetColour(label, kText);
    SetColour(ui_->Label5, kVersion);
    for (QWidget* w : {ui_->Image1, ui_->Label1, ui_->Label2, ui_->Label3, ui_->Label4, ui_->Label5, ui_->Label6,
                       ui_->Label7})
        w->installEventFilter(this);
    ui_->Label1->setMouseTracking(true);
    ui_->Label3->setMouseTracking(true);
}

TForm12::~TForm12() = default;

void TForm12::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* desktop = screen()) move(desktop->geometry().center() - rect().center());
}

bool TForm12::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    const bool link = watched == ui_->Label1 || watched == ui_->Label3;
    switch (event->type()) {
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) break;
        if (watched == ui_->Label1)
            Label1Click();
        else if (watched == ui_->Label3)
            Label3Click();
        else
            Image1Click();
        return true;
    case QEvent::MouseMove:
        if (link) Label1MouseMove(widget);
        break;
    case QEvent::Leave:
        if (link) Label1MouseLeave(widget);
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void TForm12::Image1Click() { close(); }

void TForm12::Label1Click() { QDesktopServices::openUrl(QUrl(QStringLiteral("http://") + ui_->Label1->text())); }

void TForm12::Label3Click() { QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + ui_->Label3->text())); }

void TForm12::Label1MouseMove(QWidget* sender) {
    QFont font = sender->font();
    font.setUnderline(true);
    sender->setFont(font);
}

void TForm12::Label1MouseLeave(QWidget* sender) {
    QFont font = sender->font();
    font.setUnderline(false);
    font.setBold(false);
    font.setItalic(false);
    font.setStrikeOut(false);
    sender->setFont(font);
}

void ShowAboutBox() {
    if (g_about) {
        g_about->raise();
        g_about->activateWindow();
        return;
    }
    TForm12 box;
    g_about = &box;
    box.exec();
}
