// The checked, enabled and visible states of the built items, computed at every pop-up.
#include <QAction>
#include <QTreeWidget>

#include "player/app/form1.h"
#include "player/commands/menu.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/playback/run.h"
#include "player/playlist/playlist_box.h"

namespace {

void SetChecked(QAction* item, bool checked) {
    item->setCheckable(true);
    item->setChecked(checked);
}

bool Shown(const QWidget* window) { return window && window->isVisible(); }

bool PlaylistHasEntries() { return ListBox1 && ListBox1->Count() > 0; }

int ReadInt(const char* name, int def) { return Ctrl->ReadInteger(QLatin1String(name), def); }

void UpdateMainMenuItem(QAction* item, int number) {
    switch (number) {
    case 14: SetChecked(item, Form1 && Form1->AppOnTop != 0); break;
    case 15: SetChecked(item, Shown(Form1)); break;
    case 16: SetChecked(item, Shown(PlaylistWindow)); break;
    case 17: SetChecked(item, Shown(EqualizerWindow)); break;
    case 19: SetChecked(item, Shown(Form4)); break;
    case 22: SetChecked(item, Shown(Form5)); break;
    case 26: item->setEnabled(PlaylistHasEntries()); break;
    default: break;
    }
}

void UpdateBrowserMenuItem(QAction* item, int number) {
    QTreeWidgetItem* selected = Form5 ? Form5->TreeView1->currentItem() : nullptr;
    if (number == 2) item->setEnabled(selected && selected->parent());
    if (number == 3) item->setEnabled(selected != nullptr);
}

bool ControlFlag(int position) {
    const QString& control = Ctrl->Run->VideoControl;
    return position < control.size() && control[position] == u'1';
}

}  // namespace

void TmMenu::UpdateItem(QAction* item) {
    if (!item || !Ctrl) return;
    const QString name = item->objectName();
    const int number = name.size() < 3 ? 0 : name.mid(1, name.size() - 2).toInt();
    switch (name.isEmpty() ? u'\0' : name[0].unicode()) {
    case u'a': UpdateMainMenuItem(item, number); break;
    case u'b': UpdateVideoMenuItem(item, number); break;
    case u'c': item->setEnabled(PlaylistHasEntries()); break;
    case u'g':
        if (number == 1) SetChecked(item, ReadInt("ShowFileExt", 0) != 0);
        if (number == 2) SetChecked(item, ReadInt("ShowFilePath", 0) == 0);
        if (number == 3) SetChecked(item, ReadInt("ShowFilePath", 0) != 0);
        break;
    case u'h': UpdateBrowserMenuItem(item, number); break;
    default: break;
    }
}

// The video menu's four steps: what the engine offers, the frame engine's own window, what that
// window disables, then the check marks.
void TmMenu::UpdateVideoMenuItem(QAction* item, int number) {
    const Engine engine = Ctrl->Run->EngineCode;
    const bool lyrics = targets_->LyricsLoaded();
    if ((number >= 6 && number <= 16) || number == 18)
        item->setVisible(engine == Engine::None || engine == Engine::FrameGrabbing);
    if (number == 19) item->setVisible(!lyrics);
    if (number >= 30 && number <= 34) item->setVisible(lyrics);

    int videoWidth = 0;
    if (targets_->FrameEngineExists()) {
        videoWidth = targets_->FrameEngineVideoWidth();
        const QString ext = targets_->FrameEngineExtension();
        if (number >= 13 && number <= 16 && item->isVisible())
            item->setVisible(!ext.isEmpty() && QStringLiteral(".dat.mpg.mpeg.").contains(u'.' + ext + u'.'));
    }
    if (number == 9 || number == 11 || number == 12 || number == 18) item->setEnabled(videoWidth == 0);

    const int screenMode = ReadInt("ScreenMode", 1);
    const int rate = ReadInt("RatePriority", 1);
    const int audio = ReadInt("AudioMode", 0);
    switch (number) {
    case 2: SetChecked(item, screenMode == 3); break;
    case 3: SetChecked(item, screenMode == 1); break;
    case 4: SetChecked(item, screenMode == 2); break;
    case 5: SetChecked(item, screenMode == 4); break;
    case 7: SetChecked(item, rate == 1); break;
    case 8: SetChecked(item, rate == 0); break;
    case 11: SetChecked(item, ControlFlag(4) && item->isEnabled()); break;
    case 12: SetChecked(item, ControlFlag(5) && item->isEnabled()); break;
    case 14: case 15: case 16: SetChecked(item, audio == number - 14); break;
    case 17: SetChecked(item, ReadInt("VideoOnTop", 0) == 1); break;
    case 19: SetChecked(item, Ctrl->Display->VideoProportion); break;
    case 21: item->setVisible(!Shown(Form4)); break;
    case 22: item->setVisible(Shown(Form4)); break;
    case 24: item->setVisible(engine == Engine::MediaPlayer); break;
    case 31: SetChecked(item, ReadInt("LrcUseLiteral", 1) != 0); break;
    default: break;
    }
}
