// The small dialogs behind the command targets: each made at its first use and kept, so a
// history or an expanded tree lasts until the program ends.
#include <QPointer>

#include "dialogs/dialog_targets.h"
#include "dialogs/favourite_name.h"
#include "dialogs/file_info.h"
#include "dialogs/folder_picker.h"
#include "dialogs/link_list.h"
#include "dialogs/open_url.h"
#include "platform/message_box.h"
#include "player/app/form1.h"

namespace {

template <typename Form>
Form* Kept(QPointer<Form>& form) {
    if (!form) form = new Form(Form1);
    return form;
}

QPointer<TForm10> g_fileInfo;
QPointer<TForm11> g_favouriteName;
QPointer<TForm9> g_openUrl;
QPointer<TForm15> g_linkList;

}  // namespace

void TDialogTargets::ShowFileInformation() {
    TForm10* form = Kept(g_fileInfo);
    if (!form->init()) {
        platform::ShowMessage(QStringLiteral("播放列表中没有文件。"), QStringLiteral("文件信息"));
        return;
    }
    form->exec();
}

void TDialogTargets::AddToFavourites(const QString& title) {
    TForm11* form = Kept(g_favouriteName);
    form->OpenAdd(title);
    form->exec();
}

bool TDialogTargets::PickFolder(const QString& startFolder, const QString& caption) {
    return PickFolderSetting(startFolder, caption, true, QStringLiteral("DefaultFolder"));
}

void TDialogTargets::OpenAddress() { Kept(g_openUrl)->exec(); }

// Modeless and on top: a later hand-over refills the same dialog in place.
void TDialogTargets::ShowLinkList(const QString& argument) {
    TForm15* form = Kept(g_linkList);
    form->ShowData(argument);
    form->show();
    form->raise();
    form->activateWindow();
}
