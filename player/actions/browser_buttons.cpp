// The station browser's buttons and its close region.
#include <QCursor>
#include <QTreeWidget>

#include "player/actions/region_actions.h"
#include "player/commands/menu.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"

namespace {

void SelectNode(TForm5* form, QTreeWidgetItem* node) {
    if (!node) return;
    form->TreeView1->setCurrentItem(node);
    form->TreeView1DblClick();
}

}  // namespace

void CloseBrowser() {
    TForm5* form = Form5;
    if (!form) return;
    Ctrl->WriteInteger(QStringLiteral("MB_L"), form->x());
    Ctrl->WriteInteger(QStringLiteral("MB_T"), form->y());
    Ctrl->WriteInteger(QStringLiteral("MB_W"), form->width());
    Ctrl->WriteInteger(QStringLiteral("MB_H"), form->height());
    Ctrl->WriteBool(QStringLiteral("MB_Open"), false);
    // The release that asked for this still repaints and resets: the window goes from sight and
    // from every reference now, and is freed once that is done.
    form->hide();
    Form5 = nullptr;
    form->deleteLater();
    Ctrl->Display->MbBmp = QImage();
}

void BrowserClick(const QString& name) {
    if (name == QLatin1String("bClose")) {
        CloseBrowser();
        return;
    }
    TForm5* form = Form5;
    if (!form) return;
    QTreeWidget* tree = form->TreeView1;
    QTreeWidgetItem* current = tree->currentItem();
    if (name == QLatin1String("bBack")) {
        if (current) SelectNode(form, tree->itemAbove(current));
    } else if (name == QLatin1String("bForward")) {
        if (current) SelectNode(form, tree->itemBelow(current));
    } else if (name == QLatin1String("bStop")) {
        if (current && current->parent()) tree->setCurrentItem(current->parent());
    } else if (name == QLatin1String("bRefresh")) {
        form->LoadStations();
    } else if (name == QLatin1String("bEnter")) {
        Ctrl->Menu->PopupAt(QStringLiteral("8"), QCursor::pos());
    }
}
