// TForm4: the video window "dispForm4", a borderless skinned window that shows the video picture
// and the lyrics inside the skin's video frame. The video window builder of the display creates,
// places and frames it.
#pragma once

#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <memory>

#include "player/skin/skin_window.h"

namespace Ui {
class TForm4;
}

class TForm4 : public TSkinWindow {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
    ~TForm4() override;

    // The invisible edit that holds the focus and receives the keys.
    QLineEdit* Edit1;
    // The short delay before menu 2 opens after a right click (10 ms, one shot).
    QTimer* Timer1;
    // Never shown: it carries the window's keyboard shortcuts.
    QMenu* PopupMenu1;

private:
    std::unique_ptr<Ui::TForm4> ui_;
};
