// Menus 3 to 8: the playlist, equaliser presets, removals, sorting, the playlist display and the
// station browser.
#include "player/commands/menu.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/playback/run.h"
#include "player/playlist/playlist_box.h"

namespace {

// Keeps the playing index on the same entry when entry `removed` goes, or -1 when it is that one.
void FollowRemoval(int removed) {
    int& playing = Ctrl->Run->Index;
    if (removed == playing) playing = -1;
    else if (removed < playing) --playing;
}

bool RemovedByFilter(int filter, const QString& entry) {
    switch (filter) {
    case 1: return !entry.contains(QStringLiteral("://"));
    case 2: return entry.contains(QStringLiteral("://"));
    case 3: return entry.contains(QStringLiteral("#>"));
    case 4: return !entry.contains(QStringLiteral("#>"));
    default: return false;
    }
}

void SetShowFilePath(bool on) {
    Ctrl->WriteInteger(QStringLiteral("ShowFilePath"), on ? 1 : 0);
    ListBox1->ShowFilePath = on;
    ListBox1->viewport()->update();
}

}  // namespace

void TmMenu::DeleteSelectedEntry() {
    TListBox1& box = *ListBox1;
    const int row = box.LastSelected;
    if (row < 0 || row >= box.Count()) return;
    box.ChangeTime(row, true);
    QStringList entries = box.Items();
    entries.removeAt(row);
    box.SetItems(std::move(entries));
    FollowRemoval(row);
    const int count = box.Count();
    if (box.LastSelected > count - 1) box.LastSelected = count - 1;
    if (count > 0) box.SelectOnly(box.LastSelected);
    Ctrl->Display->DrawPlaylistScrollbar();
    Ctrl->Display->DrawPlaylistTimes();
    Ctrl->Display->PaintPlaylist();
}

void TmMenu::RemoveEntries(int filter) {
    TListBox1& box = *ListBox1;
    QStringList entries = box.Items();
    bool changed = false;
    for (int i = int(entries.size()) - 1; i >= 0; --i) {
        if (!RemovedByFilter(filter, entries[i])) continue;
        FollowRemoval(i);
        // The box still holds every row here, so row i is the entry that goes.
        box.ChangeTime(i, true);
        entries.removeAt(i);
        changed = true;
    }
    if (!changed) return;
    box.SetItems(std::move(entries));
    Ctrl->Display->DrawPlaylistTimes();
    Ctrl->Display->DrawPlaylistScrollbar();
}

void TmMenu::RunPlaylistMenu(int menu, int item) {
    switch (menu) {
    case 3:
        if (item == 1) Ctrl->Run->PlayIndex(ListBox1->LastSelected);
        if (item == 2) ListBox1->BeginRename();
        if (item == 3) targets_->ShowFileInformation();
        if (item == 4) DeleteSelectedEntry();
        break;
    case 4:
        if (item == 1) targets_->LoadEqPreset(0);
        if (item > 2) targets_->LoadEqPreset(item - 2);
        Ctrl->Display->PaintEqualizer();
        break;
    case 5: RemoveEntries(item); break;
    case 6: if (item >= 1 && item <= 6) ListBox1->listSorted(item); break;
    case 7:
        if (item == 1) {
            const bool on = Ctrl->ReadInteger(QStringLiteral("ShowFileExt"), 0) == 0;
            Ctrl->WriteInteger(QStringLiteral("ShowFileExt"), on ? 1 : 0);
            ListBox1->ShowFileExt = on;
            ListBox1->viewport()->update();
        }
        if (item == 2 || item == 3) SetShowFilePath(item == 3);
        break;
    case 8:
        if (item == 1) targets_->BrowserAddItem();
        if (item == 2) targets_->BrowserEditItem();
        if (item == 3) targets_->BrowserDeleteItem();
        break;
    default: break;
    }
}
