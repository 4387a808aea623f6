// The dispatcher: a command text or a clicked item's name to its row; menus 0 and 1 here.
#include <QAction>
#include <QFileInfo>

#include "platform/message_box.h"
#include "player/app/form1.h"
#include "player/commands/menu.h"
#include "player/commands/player_targets.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/playback/run.h"
#include "player/playlist/playlist_box.h"

TmMenu::TmMenu() : targets_(MakeCommandTargets()) { InstallSkinKeyHook(); }

TmMenu::~TmMenu() {
    for (QPointer<QMenu>& own : ownMenus_) delete own.data();
}

void TmMenu::SetTargets(std::unique_ptr<TCommandTargets> targets) {
    targets_ = targets ? std::move(targets) : MakeCommandTargets();
}

void TmMenu::Execute(const QString& command) {
    if (command.indexOf(u'.') < 1) return;
    Pending = command;
    DoCommand(nullptr);
}

void TmMenu::DoCommand(const QAction* sender) {
    DoCommandFor(sender ? sender->objectName() : QString(), sender ? sender->data().toString() : QString());
}

void TmMenu::DoCommandFor(const QString& itemName, const QString& favourite) {
    // The pending command is taken and cleared before it runs: a command that fails, or a click
    // that arrives while a modal command runs, must not leave it behind for later clicks.
    QString command;
    std::swap(command, Pending);
    if (command.isEmpty()) {
        if (itemName.size() < 3) return;
        command = QString::number(itemName[0].unicode() - 96) + u'.' + itemName.mid(1, itemName.size() - 2);
    }
    RunCommand(command, favourite);
}

static bool ToNumber(const QString& text, int* value) {
    bool ok = false;
    *value = text.toInt(&ok, 10);
    if (!ok) platform::ShowMessage(QStringLiteral("'%1' is not a valid integer value").arg(text), QString(),
                                   platform::MessageIcon::Error);
    return ok;
}

void TmMenu::RunCommand(const QString& command, const QString& favourite) {
    const qsizetype dot = command.indexOf(u'.');
    int menu = 0, item = 0;
    if (dot < 0 || !ToNumber(command.left(dot), &menu) || !ToNumber(command.mid(dot + 1), &item)) return;
    if (!Ctrl || !Ctrl->Run || !PreconditionHolds(menu)) return;
    switch (menu) {
    case 0: RunHotkeyOnly(item); break;
    case 1: RunMainMenu(item, favourite); break;
    case 2: RunVideoMenu(item); break;
    default: RunPlaylistMenu(menu, item); break;
    }
}

bool TmMenu::PreconditionHolds(int menu) {
    switch (menu) {
    case 0: case 1: return true;
    case 2: return Form4;
    case 3: case 5: case 6: case 7: return PlaylistWindow && ListBox1;
    case 4: return EqualizerWindow;
    case 8: return Form5;
    default: return false;
    }
}

void TmMenu::ShowSettingsPage(int page, bool fromVideoMenu) {
    targets_->ShowSettingsPage(page);
    if (fromVideoMenu && Ctrl->ReadInteger(QStringLiteral("ScreenMode"), 1) > 2 && Form1 && Form1->isVisible())
        targets_->AnimateToTray(Form1, true);
}

void TmMenu::StepVolume(int delta) {
    Ctrl->Volume = std::clamp(Ctrl->Volume + delta, 0, 100);
    Ctrl->ApplyVolume();
    TDisplay& display = *Ctrl->Display;
    // A key step shows the thumb held, as a drag of the slider does.
    display.DrawVolumeSlider(display.MainBuffer, Ctrl->Volume, true);
    const QRect slider(107, 58, 67, 12);
    if (Form1) Form1->DrawOnWindow(slider, display.MainBuffer, slider);
}

// Rows up, down and by pages, then the row is the only selected one.
void TmMenu::MoveRow(int item) {
    if (!ListBox1) return;
    TListBox1& box = *ListBox1;
    const int count = box.Count();
    const int at = box.ItemIndex();
    const int page = box.height() / TListBox1::kRowHeight;
    int row = at;
    if (item == 10 && at >= 1) row = at - 1;
    else if (item == 11 && at < count - 1) row = at + 1;
    else if (item == 12 && count > 0) row = std::max(at - page, 0);
    else if (item == 13 && count > 0) row = std::min(at + page, count - 1);
    else return;
    box.LastSelected = row;
    box.SelectOnly(row);
    Ctrl->Display->DrawPlaylistScrollbar();
    Ctrl->Display->DrawPlaylistTimes();
    Ctrl->Display->PaintPlaylist();
}

void TmMenu::RunHotkeyOnly(int item) {
    TRun& run = *Ctrl->Run;
    static constexpr int kSeeks[] = {5000, -5000, 100, -100, 60000, -60000};
    if (item == 1) {
        if (Form1) PopupAt(QStringLiteral("1"), Form1->pos() + QPoint(5, 5));
    } else if (item == 2 || item == 3) {
        StepVolume(item == 2 ? 3 : -3);
    } else if (item >= 4 && item <= 9) {
        run.SeekBy(kSeeks[item - 4]);
    } else if (item >= 10 && item <= 13) {
        MoveRow(item);
    }
}

void TmMenu::RunMainMenu(int item, const QString& favourite) {
    TRun& run = *Ctrl->Run;
    switch (item) {
    case 1: targets_->ShowAbout(); break;
    case 3: run.OpenFiles(true); break;
    case 4:
        if (targets_->PickFolder(Ctrl->ReadString(QStringLiteral("DefaultFolder"), Ctrl->InstallFolder),
                                 QStringLiteral("请选择音乐文件存放的路径")) && ListBox1) {
            ListBox1->SearchFile(Ctrl->ReadString(QStringLiteral("DefaultFolder"), Ctrl->InstallFolder),
                                 Ctrl->ReadBool(QStringLiteral("AddSubFolder"), true));
            Ctrl->Display->DrawPlaylistScrollbar();
        }
        break;
    case 6: targets_->OpenAddress(); break;
    case 7: if (ListBox1) ListBox1->SearchCDROM(); break;
    case 9: run.PlayIndex(run.Index - 1); break;
    case 10:
        if (run.Paused) run.PauseResume();
        else if (ListBox1) run.PlayIndex(ListBox1->LastSelected);
        break;
    case 11: run.PauseResume(); break;
    case 12: run.Stop(); break;
    case 13: run.PlayIndex(run.Index + 1); break;
    default: RunMainMenuWindows(item, favourite); break;
    }
}

// The rows of menu 1 that show, hide or open windows.
void TmMenu::RunMainMenuWindows(int item, const QString& favourite) {
    switch (item) {
    case 14:
        if (!Form1) break;
        Form1->AppOnTop = Form1->AppOnTop ? 0 : 1;
        targets_->SetWindowsOnTop(Form1->AppOnTop != 0);
        Ctrl->WriteInteger(QStringLiteral("AppOnTop"), Form1->AppOnTop);
        break;
    case 15: if (Form1) Form1->setVisible(!Form1->isVisible()); break;
    case 16: targets_->ClickRegion(QStringLiteral("mButPL")); break;
    case 17: targets_->ClickRegion(QStringLiteral("mButEQ")); break;
    case 19: ToggleVideoWindow(); break;
    case 22: ToggleBrowser(); break;
    case 24: targets_->ShowSettingsPage(-1); break;
    case 26:
        if (ListBox1 && ListBox1->Count() > 0)
            targets_->AddToFavourites(ListBox1->GetTitle(ListBox1->ItemIndex() > 0 ? ListBox1->ItemIndex() : 0));
        break;
    case 27: ShowSettingsPage(14, false); break;
    case 28: targets_->OpenDocument(Ctrl->InstallFolder + QStringLiteral("help.chm")); break;
    case 29: if (Form1) Form1->close(); break;
    case 100: OpenFavourite(favourite); break;
    default: break;
    }
}

void TmMenu::OpenFavourite(const QString& favourite) {
    if (favourite.isEmpty() || favourite.contains(u'/') || !ListBox1) return;
    const QString file = Ctrl->InstallFolder + QStringLiteral("Favor/") + favourite + QStringLiteral(".kpl");
    if (!QFileInfo::exists(file)) return;
    ListBox1->loadList(file, true);
    if (ListBox1->AutoPlayNewFile) Ctrl->Run->PlayIndex(0);
}

void TmMenu::ToggleVideoWindow() {
    if (Form4 && Form4->isVisible()) {
        Form4->hide();
        return;
    }
    TRun& run = *Ctrl->Run;
    if (run.VideoWidth == 0) {
        run.VideoWidth = 360;
        run.VideoHeight = 268;
    }
    if (!Form4) Ctrl->Display->BuildVideoWindow(true);
    if (run.Length > 0 && !targets_->LyricsLoaded()) targets_->LoadLyrics();
    if (Form4 && Form4->isHidden()) Form4->show();
}

// Closing may come from the browser's own key handler: it is hidden now and deleted later.
void TmMenu::ToggleBrowser() {
    if (Form5 && Form5->isVisible()) {
        Form5->StorePlace();
        Form5->hide();
        Form5->deleteLater();
        Form5 = nullptr;
        Ctrl->WriteBool(QStringLiteral("MB_Open"), false);
        Ctrl->Display->BrowserBuffer = QImage();
        return;
    }
    if (!Form5) {
        new TForm5(Form1);
        Ctrl->Display->BuildBrowserWindow(true);
    }
    if (Form5 && Form5->isHidden()) Form5->show();
}
