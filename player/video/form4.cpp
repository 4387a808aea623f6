#include "player/video/form4.h"

#include "ui_form4.h"

TForm4::TForm4(QWidget* parent)
    : TSkinWindow(parent, Qt::Window | Qt::FramelessWindowHint), ui_(std::make_unique<Ui::TForm4>()) {
    ui_->setupUi(this);
    // The caption names the window to the player's own lookups; the desktop shows the product.
    setObjectName(windowTitle());
    setWindowTitle(QStringLiteral("Velmora Player"));
    Edit1 = ui_->Edit1;
    Timer1 = new QTimer(this);
    Timer1->setInterval(10);
    Timer1->setSingleShot(true);
    PopupMenu1 = new QMenu(this);
    // LATER(video): the shortcut menu, the tray icon and the key handler.
}

TForm4::~TForm4() = default;
