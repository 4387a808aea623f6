// TListBox1's inputs and orders: arguments, files, playlist files, folder and CD scans, the six
// sort modes and the time total. A scan's files go in as one insertion that leaves the same rows
// and playing index as adding them one at a time would; a list file's entries go in as one block in
// file order.
#include "player/playlist/playlist_box.h"

#include <QCollator>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QRandomGenerator>
#include <algorithm>
#include <climits>
#include <numeric>
#include <thread>
#include <vector>

#include "platform/drives.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "player/commands/menu.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/app/form1.h"
#include "player/playlist/list_loader.h"
#include "player/playlist/playlist_files.h"
#include "player/playlist/playlist_item.h"
#include "player/playlist/saved_list.h"
#include "player/playback/run.h"

QPointer<TListBox1> ListBox1;

namespace {

// Video CD tracks are .dat files; small ones are other programs' data.
constexpr qint64 kMinDatSize = 5242880;
// A scan lets the message loop run this often (files or milliseconds, whichever comes first).
constexpr int kPumpEveryFiles = 256;
constexpr int kPumpEveryMs = 10;
// Below this many rows one thread builds the sort keys faster than several start.
constexpr int kParallelSortRows = 20000;

// addFile loads a playlist file that exists instead of adding it as an entry. A FIFO or device of
// that name goes to the reader too, which refuses it at once and says so.
bool IsExistingList(const QString& text) {
    return playlist::IsListExtension(playlist::PathExtension(text)) && playlist::IsPresentFile(text);
}

int ClampToInt(qint64 value) { return int(std::clamp<qint64>(value, INT_MIN, INT_MAX)); }

bool PlayerClosing() { return Form1 && Form1->Closing(); }

void SayCannotRead(const QString& error) {
    platform::ShowMessage(error, QStringLiteral("Velmora Player"), platform::MessageIcon::Error);
}

// No painting while the rows change: the box shows only the finished change.
class FrozenBox {
public:
    explicit FrozenBox(QWidget* box) : box_(box), wasOn_(box->updatesEnabled()) { box->setUpdatesEnabled(false); }
    ~FrozenBox() {
        if (box_ && wasOn_) box_->setUpdatesEnabled(true);
    }
    FrozenBox(const FrozenBox&) = delete;
    FrozenBox& operator=(const FrozenBox&) = delete;

private:
    QPointer<QWidget> box_;
    bool wasOn_;
};

// Lines of a .kpl too long to be entries: no path or URL is, and every paint looks through a row.
int DropOverlongLines(QStringList& lines) {
    return int(lines.removeIf([](const QString& line) { return line.size() > playlist::kMaxEntryChars; }));
}

// What cut a load short, said once per load.
void SayNotice(const QString& notice) {
    if (!notice.isEmpty()) platform::ShowMessage(notice, QStringLiteral("Velmora Player"), platform::MessageIcon::Warning);
}

// Each entry that goes to the top moves the playing entry down a row; an index that would leave
// the list wraps to row 0.
int ShiftedPlaying(int playing, int oldCount, qsizetype added) {
    for (qsizetype i = 1; i <= added && playing >= 0; ++i)
        if (++playing > oldCount + i - 1) playing = 0;
    return playing;
}

enum class Order { OneByOne, Block };

// Plain texts (no playlist files among them) without playing: at the top with UseReverse, else
// appended. One by one, as addFile adds them, the top gets them in reverse order; a block (a list
// file's entries, made already) keeps its order.
void InsertRun(TListBox1& box, const QStringList& texts, Order order) {
    if (texts.isEmpty()) return;
    QStringList entries;
    if (order == Order::Block) {
        entries = texts;
    } else {
        entries.reserve(texts.size());
        for (const QString& text : texts) entries.append(text.contains(u"<?") ? text : playlist::MakeEntry(text));
    }
    const FrozenBox frozen(&box);
    int& playing = Ctrl->Run->Index;
    if (box.UseReverse) {
        if (order == Order::OneByOne) std::reverse(entries.begin(), entries.end());
        const int before = box.Count();
        box.Model()->InsertMany(0, entries);
        playing = ShiftedPlaying(playing, before, entries.size());
    } else {
        box.Model()->InsertMany(box.Count(), entries);
    }
    box.initListWidth();
    if (box.UseReverse) {
        box.SetItemIndex(-1);
        box.LastSelected = -1;
    } else {
        box.scrollTo(box.Model()->index(box.Count() - 1));
        Ctrl->Display->DrawPlaylistScrollbar();
    }
}

// The rows in a new order. Selection and caret stay on their row numbers, as the list box keeps
// them (LastSelected, also a row number, stays true to what is highlighted); the reset drops the
// rename edit's entry, so an open rename cannot land on another entry.
void ReorderRows(TListBox1& box, QStringList items) {
    QItemSelectionModel* selection = box.selectionModel();
    QList<std::pair<int, int>> ranges;
    for (const QItemSelectionRange& range : selection->selection()) ranges.append({range.top(), range.bottom()});
    const int caret = selection->currentIndex().row();
    const FrozenBox frozen(&box);
    box.SetItems(std::move(items));
    QItemSelection restored;
    for (const auto& [top, bottom] : ranges) restored.select(box.Model()->index(top), box.Model()->index(bottom));
    selection->select(restored, QItemSelectionModel::Select);
    if (caret >= 0) selection->setCurrentIndex(box.Model()->index(caret), QItemSelectionModel::NoUpdate);
}

// The exchange shuffle: row n with a random row 0..count-2. The playing index follows its entry.
void ShuffleRows(TListBox1& box) {
    QStringList items = box.Items();
    const int count = int(items.size());
    QRandomGenerator random(QRandomGenerator::global()->generate());
    int playing = Ctrl->Run->Index;
    for (int n = 0; n < count; ++n) {
        const int other = count > 1 ? int(random.bounded(quint32(count - 1))) : 0;
        items.swapItemsAt(n, other);
        if (playing == n) playing = other;
        else if (playing == other) playing = n;
    }
    ReorderRows(box, std::move(items));
    Ctrl->Run->Index = playing;
    Ctrl->Display->DrawPlaylistScrollbar();
}

void ReverseRows(TListBox1& box) {
    const int count = box.Count();
    if (count == 0) return;
    int& playing = Ctrl->Run->Index;
    if (playing >= 0 && playing < count) playing = count - playing - 1;
    QStringList items = box.Items();
    std::reverse(items.begin(), items.end());
    ReorderRows(box, std::move(items));
    Ctrl->Display->DrawPlaylistScrollbar();
}

QCollator ChineseListCollator() {
    QCollator collator{QLocale(QLocale::Chinese, QLocale::China)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

// The sort keys of rows [begin, end): key + "<#>" + entry, the text the list box sorts.
std::vector<QCollatorSortKey> SortKeys(const QStringList& items, playlist::SortKeyMode mode, int begin, int end) {
    const QCollator collator = ChineseListCollator();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(end - begin);
    QString text;
    for (int i = begin; i < end; ++i) {
        const QString& entry = items.at(i);
        text.clear();
        text.append(playlist::SortKey(entry, mode)).append(u"<#>").append(entry);
        keys.push_back(collator.sortKey(text));
    }
    return keys;
}

// The row order of a key sort, as a Chinese list box orders texts (Han by pinyin, case ignored);
// equal texts keep their order. The keys are built on several threads, each with its own collator.
std::vector<int> CollatedOrder(const QStringList& items, playlist::SortKeyMode mode) {
    const int count = int(items.size());
    const int parts = count < kParallelSortRows ? 1 : int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    std::vector<std::vector<QCollatorSortKey>> chunks(parts);
    std::vector<std::thread> workers;
    for (int p = 1; p < parts; ++p)
        workers.emplace_back([&, p] { chunks[p] = SortKeys(items, mode, count * p / parts, count * (p + 1) / parts); });
    chunks[0] = SortKeys(items, mode, 0, count / parts);
    for (std::thread& worker : workers) worker.join();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(count);
    for (auto& chunk : chunks) std::move(chunk.begin(), chunk.end(), std::back_inserter(keys));
    std::vector<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return keys[a].compare(keys[b]) < 0; });
    return order;
}

// Sorting by a key; unlike the list box's own sort, the playing index follows its entry. The
// entries themselves never pass through the "<#>" text, so a key holding "<#>" cannot cut one.
void SortRows(TListBox1& box, playlist::SortKeyMode mode) {
    const QStringList items = box.Items();
    const std::vector<int> order = CollatedOrder(items, mode);
    const int playing = Ctrl->Run->Index;
    int newPlaying = playing;
    QStringList sorted;
    sorted.reserve(items.size());
    for (int row = 0; row < int(order.size()); ++row) {
        sorted.append(items.at(order[row]));
        if (order[row] == playing) newPlaying = row;
    }
    ReorderRows(box, std::move(sorted));
    Ctrl->Run->Index = newPlaying;
}

// When a scan last let the message loop run; shared by nested folders and nested scans.
struct PumpClock {
    QElapsedTimer sinceRun;
    int files = 0;
};
PumpClock& Pump() {
    static PumpClock clock;
    if (!clock.sinceRun.isValid()) clock.sinceRun.start();
    return clock;
}

// The files one folder of a scan adds. They wait in a batch that goes into the box before the
// message loop runs, so what happens meanwhile (a file added, the list replaced) sees the box as
// one-at-a-time adding would have left it.
class FolderScan {
public:
    explicit FolderScan(TListBox1& box) : box_(&box) {}

    // False once the scan must stop: the box is gone or the player is closing.
    bool Take(const QString& path) {
        // Entries are saved one per line: a name holding a line end would come back as two.
        // (Over-long names are refused too, as addFile refuses them.)
        if (!playlist::IsStorableEntry(path)) return true;
        const QString ext = playlist::LowerExtension(path);
        if (playlist::IsListExtension(ext)) {
            if (!Ctrl->ReadBool(QStringLiteral("AddListFile"), false)) return true;
            if (!Flush()) return false;
            box_->loadList(path, false);
            return Breathe(true);
        }
        if (ext == QLatin1String(".dat") && QFileInfo(path).size() < kMinDatSize) return true;
        pending_.append(path);
        return Breathe(false);
    }
    // Lets the message loop run when it is due (or now); false once the scan must stop.
    bool Breathe(bool now) {
        PumpClock& pump = Pump();
        if (!now && ++pump.files < kPumpEveryFiles && pump.sinceRun.elapsed() < kPumpEveryMs) return true;
        Flush();
        QCoreApplication::processEvents();
        pump.files = 0;
        pump.sinceRun.restart();
        // The closing window has saved the list already: later files would reach nobody.
        return box_ && !PlayerClosing();
    }
    bool Flush() {
        if (box_ && !pending_.isEmpty()) InsertRun(*box_, pending_, Order::OneByOne);
        pending_.clear();
        return box_;
    }

private:
    QPointer<TListBox1> box_;
    QStringList pending_;
};

// A folder's files grouped by mask in mask-list order (a file matching two masks comes twice).
bool ScanFiles(FolderScan& scan, const QString& base, const QList<platform::FolderEntry>& entries,
               const QStringList& masks) {
    for (const QString& text : masks) {
        const platform::FileMask mask(text);
        for (const platform::FolderEntry& entry : entries) {
            // A FIFO or device is nothing to play or read, and opening one could wait for ever.
            if (entry.folder || entry.special || !mask.Matches(entry.name)) continue;
            if (!scan.Take(base + entry.name)) return false;
        }
    }
    return scan.Flush();
}

}  // namespace

int TPlaylistModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(items_.size()); }

QVariant TPlaylistModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= items_.size()) return {};
    return items_.at(index.row());
}

void TPlaylistModel::SetItems(QStringList items) {
    beginResetModel();
    items_ = std::move(items);
    endResetModel();
}

void TPlaylistModel::Insert(int row, const QString& item) { InsertMany(row, QStringList{item}); }

void TPlaylistModel::InsertMany(int row, const QStringList& items) {
    if (items.isEmpty()) return;
    row = std::clamp(row, 0, int(items_.size()));
    beginInsertRows(QModelIndex(), row, row + int(items.size()) - 1);
    if (row == items_.size()) {
        items_.append(items);
    } else if (items.size() == 1) {
        items_.insert(row, items.first());
    } else {
        QStringList joined;
        joined.reserve(items_.size() + items.size());
        joined.append(items_.first(row));
        joined.append(items);
        joined.append(items_.sliced(row));
        items_ = std::move(joined);
    }
    endInsertRows();
}

void TPlaylistModel::Replace(int row, const QString& item) {
    if (row < 0 || row >= items_.size()) return;
    items_[row] = item;
    emit dataChanged(index(row), index(row));
}

// The two entries trade places and everything that points at one of them (selection, caret, the
// rename edit's entry) goes with it.
void TPlaylistModel::Swap(int a, int b) {
    if (a == b || a < 0 || b < 0 || a >= items_.size() || b >= items_.size()) return;
    emit layoutAboutToBeChanged();
    items_.swapItemsAt(a, b);
    QModelIndexList from, to;
    for (const QModelIndex& held : persistentIndexList()) {
        if (held.row() != a && held.row() != b) continue;
        from.append(held);
        to.append(index(held.row() == a ? b : a));
    }
    changePersistentIndexList(from, to);
    emit layoutChanged();
}

TListBox1::TListBox1(QWidget* parent) : QListView(parent), model_(new TPlaylistModel(this)) {
    setModel(model_);
    SetUpView();
    resize(0, 0);
}

TListBox1::~TListBox1() = default;

void TListBox1::addParam(const QString& argument) {
    QString text = argument;
    if (text == QLatin1String("<ALL>")) {
        // A second start leaves its whole argument in the registry. Without the key nothing was
        // handed over: the marker itself is no file.
        text.clear();
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
    if (!text.toLower().startsWith(QLatin1String("vmp://"))) {
        addFile(text, true);
        return;
    }
    if (text.contains(QLatin1String("<ALL>"))) {
        if (Ctrl->Menu) Ctrl->Menu->Targets().ShowLinkList(text);
        return;
    }
    const int one = int(text.indexOf(QLatin1String("<ONE>")));
    if (one < 0) return;
    QString url = text.mid(one + 5);
    if (!url.contains(QLatin1String("://"))) url.prepend(QLatin1String("http://"));
    if (url.size() > 13) addFile(url, AutoPlayNewFile);
}

// A skin archive handed over is copied into the skins folder (an existing one of that name, in
// any case, is kept) and made the current skin through the settings dialog's skin page.
void TListBox1::AddSkinFile(const QString& path) {
    if (!QFileInfo(path).isFile()) return;
    const QString skins = Ctrl->InstallFolder + QStringLiteral("skins/");
    Ctrl->WriteString(QStringLiteral("SkinsPath"), skins);
    QDir().mkpath(skins);
    const QString name = QFileInfo(path).fileName();
    if (!QDir(skins).entryList(QDir::Files | QDir::Hidden).contains(name, Qt::CaseInsensitive))
        QFile::copy(path, skins + name);
    if (Ctrl->Menu) Ctrl->Menu->Targets().ApplyHandedSkin(name);
}

void TListBox1::addFile(const QString& text, bool play) {
    if (IsExistingList(text)) {
        loadList(text, true);
        return;
    }
    // Entries are saved one per line: a line end inside one would split it, or smuggle a second
    // entry into the saved list, at the next start. A text longer than any path or URL would be
    // looked through on every paint of its row.
    if (!playlist::IsStorableEntry(text)) return;
    InsertRun(*this, QStringList{text}, Order::OneByOne);
    if (play && AutoPlayNewFile) Ctrl->Run->PlayIndex(UseReverse ? 0 : Count() - 1);
}

void TListBox1::loadList(const QString& fileName, bool replace) {
    if (replace && playlist::LowerExtension(fileName) == QLatin1String(".kpl")) {
        QString error;
        if (!ReplaceWithKpl(fileName, &error)) SayCannotRead(error);
        return;
    }
    LoadListEntries(fileName, replace);
}

// A .kpl in place of the rows; a file that cannot be read leaves the rows alone.
bool TListBox1::ReplaceWithKpl(const QString& fileName, QString* error) {
    QStringList lines;
    bool cut = false;
    if (!playlist::ReadKpl(fileName, &lines, error, &cut)) return false;
    const int dropped = DropOverlongLines(lines);
    {
        const FrozenBox frozen(this);
        resize(width() + 20, height());  // so that the width check refits it
        model_->SetItems(std::move(lines));
    }
    LoadTail(true);
    QStringList notes;
    if (cut) notes << playlist::ListFileCutNote(fileName);
    if (dropped > 0) notes << playlist::RefusedEntriesNote(dropped);
    SayNotice(notes.join(u'\n'));
    return true;
}

bool TListBox1::LoadSavedList(const QString& fileName) {
    // Nothing there (a link to nowhere included): no list to lose.
    if (!QFileInfo::exists(fileName)) return true;
    QString error;
    if (ReplaceWithKpl(fileName, &error)) return true;
    platform::ShowMessage(QStringLiteral("无法读取播放列表：%1\n为免覆盖该文件，本次运行中播放列表的改动都不会保存。"
                                         "请让该文件可以读取后重新启动播放器。")
                              .arg(error),
                          QStringLiteral("Velmora Player"), platform::MessageIcon::Error);
    return false;
}

void TListBox1::KeepSavedIn(const QString& fileName, bool refused) {
    delete savedList_.data();
    savedList_ = new TSavedList(model_, fileName, refused, this);
}

void TListBox1::loadList2(const QString& fileName) { LoadListEntries(fileName, false); }

// The list's entries go in as one block in file order: in place of the rows, or at the top
// (UseReverse) or the end. A list that cannot be read leaves the rows alone and says why.
void TListBox1::LoadListEntries(const QString& fileName, bool replace) {
    BuildMaskList();
    playlist::ListLoader loader(MaskList);
    QStringList entries;
    QString error;
    if (!loader.Load(fileName, &entries, &error)) {
        SayCannotRead(error);
        return;
    }
    if (replace) {
        const FrozenBox frozen(this);
        model_->SetItems(std::move(entries));
    } else {
        InsertRun(*this, entries, Order::Block);
    }
    LoadTail(replace);
    SayNotice(loader.Notice());
}

// A replaced list has no playing entry any more; an appended one leaves the playing entry where
// the insertion moved it.
void TListBox1::LoadTail(bool replaced) {
    if (replaced) Ctrl->Run->Index = -1;
    LastSelected = -1;
    initListWidth();
    RefreshAllTime();
    Ctrl->Display->DrawPlaylistTimes();
}

void TListBox1::BuildMaskList() {
    if (!MaskList.isEmpty()) return;
    MaskList = playlist::BuildMaskList(Ctrl->Decode0List, Ctrl->Decode1List, Ctrl->Decode5List, Ctrl->Decode3List,
                                       Ctrl->Decode4List, Ctrl->Decode2List);
}

// Only real folders are entered: a link to a folder could lead back up the tree, and a hidden
// folder is skipped as Windows skips one whose attributes are more than "directory".
void TListBox1::SearchFile(const QString& folder, bool recurse) {
    if (PlayerClosing() || folder.isEmpty()) return;
    BuildMaskList();
    const QString base = folder.endsWith(u'/') ? folder : folder + u'/';
    const QList<platform::FolderEntry> entries = platform::ListFolder(base);
    FolderScan scan(*this);
    // The masks are copied: the box may go away while the scan lets events run.
    if (!ScanFiles(scan, base, entries, QStringList(MaskList)) || !recurse) return;
    QStringList folders;
    for (const platform::FolderEntry& entry : entries) {
        if (entry.folder && !entry.link && !entry.hidden) folders.append(entry.name);
        if (!scan.Breathe(false)) return;
    }
    const QPointer<TListBox1> self(this);
    for (const QString& name : folders) {
        SearchFile(base + name + u'/', true);
        if (!self || PlayerClosing()) return;
    }
}

void TListBox1::SearchCDROM() {
    const QPointer<TListBox1> self(this);
    for (const platform::Drive& drive : platform::LogicalDrives()) {
        if (drive.type != platform::DriveType::CdRom) continue;
        SearchFile(drive.root, true);
        if (!self) return;
    }
}

void TListBox1::listSorted(int mode) {
    if (mode == 6) ShuffleRows(*this);
    else if (mode == 5) ReverseRows(*this);
    else if (mode >= 1 && mode <= 4) SortRows(*this, playlist::SortKeyMode(mode));
}

QString TListBox1::GetTitle(int row) const { return playlist::GetTitle(Item(row)); }

void TListBox1::ChangeTime(int row, bool subtract) {
    TotalSeconds = ClampToInt(playlist::ChangeTime(TotalSeconds, Items(), row, subtract));
}

void TListBox1::RefreshAllTime() { TotalSeconds = ClampToInt(playlist::RefreshAllTime(Items())); }

// The box is wider than its panel by the native scroll bar when the rows do not all fit, so the
// panel clips that bar and only the skin's own shows.
void TListBox1::initListWidth() {
    QWidget* panel = parentWidget();
    if (!PlaylistWindow || !panel) return;
    int target = panel->width();
    if (height() / kRowHeight < Count()) {
        const int bar = width() - viewport()->width();
        target += bar <= 14 ? 18 : bar;
    }
    if (target != width()) resize(target, height());
}
