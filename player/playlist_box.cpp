#include "player/playlist_box.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/registry.h"
#include "platform/text_file.h"
#include "player/playlist_item.h"
#include "player/ctrl.h"
#include "player/display.h"
#include "player/run.h"

QPointer<TListBox1> ListBox1;

int TPlaylistModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : items_.size(); }

QVariant TPlaylistModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= items_.size()) return {};
    return items_.at(index.row());
}

void TPlaylistModel::SetItems(QStringList items) {
    beginResetModel();
    items_ = std::move(items);
    endResetModel();
}

void TPlaylistModel::Insert(int row, const QString& item) {
    beginInsertRows(QModelIndex(), row, row);
    items_.insert(row, item);
    endInsertRows();
}

TListBox1::TListBox1(QWidget* parent) : QListView(parent), model_(new TPlaylistModel(this)) {
    setModel(model_);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
    resize(0, 0);
}

void TListBox1::addParam(const QString& argument) {
    QString text = argument;
    if (text == QLatin1String("<ALL>")) {
        platform::TRegistry reg;
        if (reg.OpenKey(QStringLiteral("Software\\Velmora"), false)) {
            text = reg.ReadString(QStringLiteral("ParamStr"));
            reg.DeleteValue(QStringLiteral("ParamStr"));
        }
    }
    if (playlist::LowerExtension(text) == QLatin1String(".wsz") && !text.contains(QLatin1String("://"))) {
        AddSkinFile(text);
        return;
    }
    if (text.isEmpty()) return;
    const QString lower = text.toLower();
    if (!lower.startsWith(QLatin1String("vmp://"))) {
        addFile(text, true);
        return;
    }
    if (text.contains(QLatin1String("<ALL>"))) {
        // The link-list dialog that shows such a list arrives with the dialogs.
        return;
    }
    const int one = text.indexOf(QLatin1String("<ONE>"));
    if (one >= 0) {
        QString url = text.mid(one + 5);
        if (!url.contains(QLatin1String("://"))) url.prepend(QLatin1String("http://"));
        if (url.size() > 13) addFile(url, AutoPlayNewFile);
    }
}

// A skin archive handed over is copied into the skins folder; choosing and applying it belongs
// to the settings dialog, which arrives later.
void TListBox1::AddSkinFile(const QString& path) {
    if (!QFileInfo::exists(path)) return;
    const QString skins = Ctrl->InstallFolder + QStringLiteral("skins/");
    Ctrl->WriteString(QStringLiteral("SkinsPath"), skins);
    QDir().mkpath(skins);
    const QString target = skins + QFileInfo(path).fileName();
    if (!QFileInfo::exists(target)) QFile::copy(path, target);
}

void TListBox1::addFile(const QString& text, bool play) {
    const QString ext = playlist::LowerExtension(text);
    if ((ext == QLatin1String(".kpl") || ext == QLatin1String(".m3u") || ext == QLatin1String(".pls")) &&
        QFileInfo::exists(text)) {
        loadList(text, true);
        return;
    }
    const QString entry = text.contains(QLatin1String("<?")) ? text : QStringLiteral("<?") + text + QStringLiteral("?>");
    int& playing = Ctrl->Run->Index;
    if (UseReverse) {
        model_->Insert(0, entry);
        if (playing >= 0 && ++playing > Count() - 1) playing = 0;
    } else {
        model_->Insert(Count(), entry);
    }
    initListWidth();
    if (UseReverse) {
        setCurrentIndex(QModelIndex());
        LastSelected = -1;
    } else {
        scrollToBottom();
        Ctrl->Display->DrawPlaylistScrollbar();
    }
    if (play && AutoPlayNewFile) Ctrl->Run->PlayIndex(UseReverse ? 0 : Count() - 1);
}

void TListBox1::loadList(const QString& fileName, bool replace) {
    if (playlist::LowerExtension(fileName) != QLatin1String(".kpl")) {
        if (replace) model_->SetItems({});
        loadList2(fileName);
        return;
    }
    QStringList lines;
    platform::ReadTextLines(fileName, &lines);
    if (replace) {
        model_->SetItems(std::move(lines));
    } else {
        for (int i = lines.size() - 1; i >= 0; --i) {
            if (lines[i].contains(QLatin1Char('.')) && !lines[i].toLower().contains(QLatin1String(".kpl")))
                addFile(lines[i], false);
        }
    }
    LoadTail();
}

// Text lists other than .kpl are read with the line filter of the playlist work; until it lands
// they add nothing.
void TListBox1::loadList2(const QString&) { LoadTail(); }

void TListBox1::LoadTail() {
    Ctrl->Run->Index = -1;
    LastSelected = -1;
    initListWidth();
    Ctrl->Display->DrawPlaylistTimes();
}

// The box lives in the playlist window once that is built; until then there is nothing to fit.
void TListBox1::initListWidth() {}

// Folder scans arrive with the playlist work.
void TListBox1::SearchFile(const QString&, bool) {}
