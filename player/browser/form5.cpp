#include "player/browser/form5.h"

#include <QGuiApplication>
#include <QScreen>

#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/display/window_placement.h"
#include "player/app/form1.h"
#include "ui_form5.h"

namespace {

// The stored place, pulled back into reach when a smaller or moved desktop left it outside.
QRect PlaceInWorkArea(QRect place, const QRect& area) {
    const int right = area.x() + area.width();
    const int bottom = area.y() + area.height();
    if (place.x() >= right) place.moveLeft(right - place.width());
    if (place.x() < -place.width()) place.moveLeft(0);
    if (place.y() >= bottom) place.moveTop(bottom - place.height());
    if (place.y() < -place.height()) place.moveTop(0);
    return place;
}

}  // namespace

TForm5::TForm5(QWidget* parent)
    : TSkinWindow(parent, Qt::Window | Qt::FramelessWindowHint), ui_(std::make_unique<Ui::TForm5>()) {
    ui_->setupUi(this);
    setObjectName(windowTitle());
    setWindowTitle(QStringLiteral("Velmora Player"));
    Edit1 = ui_->Edit1;
    TreeView1 = ui_->TreeView1;
    Button1 = ui_->Button1;
    Form5 = this;
    FormCreate();
}

TForm5::~TForm5() = default;

void TForm5::FormCreate() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const int mainLeft = Form1 ? Form1->x() : 0;
    const int mainTop = Form1 ? Form1->y() : 0;
    const int mainWidth = Form1 ? Form1->width() : 275;
    // A hand-edited size is kept within what the browser's resize allows.
    const int w = std::clamp(Ctrl->ReadInteger(QStringLiteral("MB_W"), 275), 275, kMaxSkinWindowSide);
    const int h = std::clamp(Ctrl->ReadInteger(QStringLiteral("MB_H"), 348), 116, kMaxSkinWindowSide);
    const QRect place(ClampPosition(Ctrl->ReadInteger(QStringLiteral("MB_L"), ClampPosition(qint64(mainLeft) + mainWidth))),
                      ClampPosition(Ctrl->ReadInteger(QStringLiteral("MB_T"), mainTop)), w, h);
    setGeometry(PlaceInWorkArea(place, area));
    setFont(QFont(QStringLiteral("宋体"), 9));
    // LATER(browser): the hotkeys and the station list.
    Ctrl->Display->BuildBrowserWindow(true);
    Ctrl->Display->PaintBrowser();
}
