// TmMenu: the pop-up menus and the commands they run. Menus are built from Plugins/MenuPlus.ini
// with the menu work; until then a pop-up shows nothing.
#pragma once

#include <QPoint>
#include <QString>

class TmMenu {
public:
    void PopupAt(const QString& menu, const QPoint& screenPos);
};
