// TForm5: the station browser "dispForm5", a borderless skinned window with a search box and the
// tree of radio stations. Creating it places it from MB_L, MB_T, MB_W, MB_H inside the work area
// and builds its skin frame.
#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <memory>

#include "player/skin/skin_window.h"

namespace Ui {
class TForm5;
}

class TForm5 : public TSkinWindow {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);
    ~TForm5() override;

    QLineEdit* Edit1;      // the search box
    QTreeWidget* TreeView1;  // categories and their stations
    QPushButton* Button1;  // 0 x 0, never seen

private:
    void FormCreate();

    std::unique_ptr<Ui::TForm5> ui_;
};
