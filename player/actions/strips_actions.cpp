// What the cells of the playlist's button strips do.
#include <QCursor>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

#include "platform/message_box.h"
#include "player/actions/strips.h"
#include "player/commands/menu.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/playback/run.h"
#include "player/playlist/playlist_box.h"
#include "player/playlist/playlist_files.h"

namespace {

TStripDialogs& Dialogs() {
    static TStripDialogs dialogs;
    return dialogs;
}

// Qt takes a filter's masks from its last parentheses, space-separated; a caption whose own
// parentheses do not hold masks that way gets them added.
const QStringList kSaveFilters = {QStringLiteral("Velmora音乐播放列表格式(*.kpl)"),
                                  QStringLiteral("Winamp/Real/MediaPlayer兼容格式(*.m3u)")};
const QStringList kOpenFilters = {QStringLiteral("所有兼容的音乐播放列表 (*.kpl *.m3u *.pls)"),
                                  QStringLiteral("Velmora音乐播放列表(*.kpl)"),
                                  QStringLiteral("Winamp/Real/MediaPlayer播放列表(*.m3u,*.pls) (*.m3u *.pls)")};

QString AskSaveName(int* filterIndex) {
    if (Dialogs().SaveName) return Dialogs().SaveName(kSaveFilters, filterIndex);
    QString selected = kSaveFilters.first();
    QFileDialog dialog(nullptr);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The overwrite question is the player's own, asked after the suffix is settled.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(kSaveFilters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    *filterIndex = int(kSaveFilters.indexOf(dialog.selectedNameFilter())) + 1;
    return dialog.selectedFiles().first();
}

QString AskOpenName() {
    if (Dialogs().OpenName) return Dialogs().OpenName(kOpenFilters);
    QFileDialog dialog(nullptr);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(kOpenFilters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().first();
}

bool Confirm(const QString& text, const QString& caption) {
    if (Dialogs().Confirm) return Dialogs().Confirm(text, caption);
    return QMessageBox::question(nullptr, caption, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void SavePlaylist() {
    int filterIndex = 1;
    const QString chosen = AskSaveName(&filterIndex);
    if (chosen.isEmpty() || !ListBox1) return;
    const QString name = StripSaveName(chosen, filterIndex);
    if (QFileInfo::exists(name) &&
        !Confirm(QStringLiteral("文件已存在，是否覆盖原来的文件？   "), QStringLiteral("确认覆盖")))
        return;
    QString error;
    const bool m3u = name.endsWith(QLatin1String(".m3u"), Qt::CaseInsensitive);
    const bool saved = m3u ? playlist::WriteM3u(name, ListBox1->Items(), &error)
                           : playlist::WriteKpl(name, ListBox1->Items(), &error);
    if (!saved) platform::ShowMessage(error, QString(), platform::MessageIcon::Error);
}

void LoadPlaylist() {
    const QString name = AskOpenName();
    if (!name.isEmpty() && ListBox1) ListBox1->loadList(name, true);
}

// Changes the selection without the view jumping: hidden during the change, scrolled back after.
void ChangeSelection(QItemSelectionModel::SelectionFlags how) {
    TListBox1* box = ListBox1;
    if (!box || !box->selectionModel() || box->Count() == 0) return;
    const int top = box->TopIndex();
    box->hide();
    const QItemSelection all(box->Model()->index(0), box->Model()->index(box->Count() - 1));
    box->selectionModel()->select(all, how);
    box->show();
    box->SetTopIndex(top);
}

void SelectNothing() {
    if (!ListBox1) return;
    if (ListBox1->selectionModel()) ListBox1->selectionModel()->clearSelection();
    ListBox1->LastSelected = -1;
}

void Command(const char* command) { Ctrl->Menu->Execute(QString::fromLatin1(command)); }
// The menu does not hold the caller until it closes, so the open strip is closed by the menu's
// closing, before a chosen command runs (that one is posted).
void Popup(const char* menu) {
    QPointer<TPlaylistStrip> strip = OpenStrip();
    QMenu* shown = Ctrl->Menu->PopupAt(QString::fromLatin1(menu), QCursor::pos());
    if (!strip) return;
    if (!shown) {
        ClosePlaylistMenu();
        return;
    }
    QObject::connect(
        shown, &QMenu::aboutToHide, strip.data(),
        [strip] {
            if (OpenStrip() == strip) ClosePlaylistMenu();
        },
        Qt::SingleShotConnection);
}

}  // namespace

void SetStripDialogs(TStripDialogs dialogs) { Dialogs() = std::move(dialogs); }

QString StripSaveName(const QString& chosen, int filterIndex) {
    if (chosen.endsWith(QLatin1String(".kpl"), Qt::CaseInsensitive) ||
        chosen.endsWith(QLatin1String(".m3u"), Qt::CaseInsensitive))
        return chosen;
    return chosen + (filterIndex == 2 ? QStringLiteral(".m3u") : QStringLiteral(".kpl"));
}

void ClearPlaylist() {
    if (!ListBox1) return;
    ListBox1->SetItems({});
    ListBox1->TotalSeconds = 0;
    // No entry of the emptied list is playing; an index kept here would name a later entry.
    Ctrl->Run->Index = -1;
    Ctrl->Display->DrawPlaylistTimes();
    Ctrl->Display->DrawPlaylistScrollbar();
}

int PlayingAfterRemoval(const std::vector<bool>& removed, int playing) {
    int shift = 0;
    for (std::size_t original = 0; original < removed.size(); ++original) {
        if (!removed[original]) continue;
        const int current = int(original) - shift++;
        if (current == playing) playing = -1;
        else if (current < playing) --playing;
    }
    return playing;
}

void RemoveEntries(bool keepSelected) {
    TListBox1* box = ListBox1;
    if (!box || !box->selectionModel()) return;
    QStringList entries = box->Items();
    std::vector<bool> removed(std::size_t(entries.size()));
    for (int row = 0; row < entries.size(); ++row)
        removed[std::size_t(row)] = box->selectionModel()->isRowSelected(row) != keepSelected;
    // Lengths come off the total while the box still holds every entry.
    for (int row = 0; row < entries.size(); ++row)
        if (removed[std::size_t(row)]) box->ChangeTime(row, true);
    Ctrl->Run->Index = PlayingAfterRemoval(removed, Ctrl->Run->Index);
    QStringList kept;
    for (int row = 0; row < entries.size(); ++row)
        if (!removed[std::size_t(row)]) kept << entries.at(row);
    box->SetItems(std::move(kept));
    Ctrl->Display->DrawPlaylistTimes();
}

void RunStripCell(TStrip strip, int cell) {
    switch (strip) {
    case TStrip::Add:
        if (cell == 0) Command("1.6");
        else if (cell == 1) Command("1.4");
        else Ctrl->Run->OpenFiles(false);
        break;
    case TStrip::Rem:
        if (cell == 0) Popup("5");
        else if (cell == 1) ClearPlaylist();
        else RemoveEntries(cell == 2);
        break;
    case TStrip::Sel:
        if (cell == 0) ChangeSelection(QItemSelectionModel::Toggle);
        else if (cell == 1) SelectNothing();
        else ChangeSelection(QItemSelectionModel::Select);
        break;
    case TStrip::Misc:
        if (cell == 1) Command("3.3");
        else Popup(cell == 0 ? "6" : "7");
        break;
    case TStrip::List:
        if (cell == 0) ClearPlaylist();
        else if (cell == 1) SavePlaylist();
        else LoadPlaylist();
        break;
    }
}
