// The playlist's button strips: cell rules, pictures from a coded "pledit", the actions of the
// cells on the playlist and the playing index, and saving and opening playlist files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include "platform/message_box.h"
#include "platform/text_file.h"
#include "player/actions/strips.h"
#include "player/app/form1.h"
#include "player/commands/menu.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/playback/run.h"
#include "player/playlist/playlist_box.h"
#include "tests/actions_test_support.h"
#include "tests/menu_test_support.h"
#include "tests/test_support.h"

namespace {

QString Entry(const QString& path, const QString& time = QString()) {
    return u"<?"_qs + path + u"?>"_qs + (time.isEmpty() ? QString() : u"<#"_qs + time + u"#>"_qs);
}

// Every pixel of the coded sheet names its own place: red is x, green is y.
QImage CodedPledit() {
    QImage sheet(280, 186, QImage::Format_RGB32);
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x) sheet.setPixel(x, y, qRgb(x, y, 0));
    return sheet;
}
QRgb At(int x, int y) { return qRgb(x, y, 0); }

TEST(StripLayout, CellsUnderThePointer) {
    EXPECT_EQ(StripCellAt(4, -5), 0) << "above the strip counts as the first cell";
    EXPECT_EQ(StripCellAt(4, 17), 0);
    EXPECT_EQ(StripCellAt(4, 18), 1);
    EXPECT_EQ(StripCellAt(4, 53), 2);
    EXPECT_EQ(StripCellAt(4, 54), 3);
    EXPECT_EQ(StripCellAt(3, 36), 2);
    EXPECT_EQ(StripCellAt(3, 500), 2) << "below the last cell counts as the last";
    EXPECT_EQ(StripGeometry(kStrips[4], 300, 200), QRect(253, 134, 25, 54)) << "LIST stands at W - 47";
    EXPECT_EQ(StripGeometry(kStrips[1], 300, 200), QRect(40, 116, 25, 72));
    EXPECT_EQ(StripForRegion("lMenu6"), nullptr);
    for (const TStripLayout& s : kStrips)
        for (int cell = 0; cell < s.Cells; ++cell)
            for (bool lit : {false, true})
                EXPECT_TRUE(QRect(0, 0, 280, 186).contains(StripCellSource(s, cell, lit))) << s.Region << cell;
}

TEST(StripSaveNames, SuffixIsTestedAtTheEnd) {
    EXPECT_EQ(StripSaveName("/m/mix", 1), "/m/mix.kpl");
    EXPECT_EQ(StripSaveName("/m/mix", 2), "/m/mix.m3u");
    EXPECT_EQ(StripSaveName("/m/mix.M3U", 1), "/m/mix.M3U");
    EXPECT_EQ(StripSaveName("/m/mix.kpl", 2), "/m/mix.kpl");
    EXPECT_EQ(StripSaveName("/m/mix.kpl.bak", 1), "/m/mix.kpl.bak.kpl") << "a .kpl inside the name is no suffix";
    EXPECT_EQ(StripSaveName("/m/a.m3u.d/list", 2), "/m/a.m3u.d/list.m3u");
}

TEST(StripRemoval, PlayingIndexFollowsItsEntry) {
    EXPECT_EQ(PlayingAfterRemoval({true, false, true, false, false}, 3), 1) << "two removed above it";
    EXPECT_EQ(PlayingAfterRemoval({true, true, false, true}, 2), 0);
    EXPECT_EQ(PlayingAfterRemoval({false, true, true}, 1), -1) << "the playing entry itself";
    EXPECT_EQ(PlayingAfterRemoval({true, true, true}, 2), -1);
    EXPECT_EQ(PlayingAfterRemoval({false, false, true}, 0), 0) << "entries below it change nothing";
    EXPECT_EQ(PlayingAfterRemoval({true, false}, -1), -1);
}

class StripTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetMessageRecorder([this](const QString& text, const QString&, platform::MessageIcon) { messages_ << text; });
        form_ = new TForm1(dir_.path() + "/");
        form_->show();
        ASSERT_TRUE(PlaylistWindow && ListBox1);
        ListBox1->AutoPlayNewFile = false;
        Ctrl->Display->PleditBmp = CodedPledit();
        SetStripDialogs({[this](const QStringList&, int* filter) {
                             *filter = filter_;
                             return saveName_;
                         },
                         [this](const QStringList&) { return openName_; },
                         [this](const QString& text, const QString&) {
                             questions_ << text;
                             return overwrite_;
                         }});
    }
    void TearDown() override {
        ClosePlaylistMenu();
        SetStripDialogs({});
        form_->QuietClose = true;
        form_->close();
        delete form_;
        platform::SetMessageRecorder({});
    }
    void Entries(const QStringList& entries) {
        ListBox1->SetItems(entries);
        ListBox1->RefreshAllTime();
    }
    void Select(std::initializer_list<int> rows) {
        ListBox1->selectionModel()->clearSelection();
        for (int row : rows) ListBox1->selectionModel()->select(ListBox1->Model()->index(row), QItemSelectionModel::Select);
    }
    std::vector<int> Selected() const {
        std::vector<int> rows;
        for (int row = 0; row < ListBox1->Count(); ++row)
            if (ListBox1->selectionModel()->isRowSelected(row)) rows.push_back(row);
        return rows;
    }
    // A left release on the open strip at a point of its own.
    static void ReleaseOnStrip(QPoint at) {
        TPlaylistStrip* strip = OpenStrip();
        ASSERT_TRUE(strip);
        QMouseEvent release(QEvent::MouseButtonRelease, at, strip->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(strip, &release);
    }
    void Click(const QString& region, int y) {
        OpenPlaylistMenu(region);
        ReleaseOnStrip({10, y});
    }

    testing_support::TempFolder dir_;
    TForm1* form_ = nullptr;
    QStringList messages_, questions_;
    QString saveName_, openName_;
    int filter_ = 1;
    bool overwrite_ = true;
};

TEST_F(StripTest, OpeningDrawsTheStripAndHighlightFollowsThePointer) {
    const QSize window = PlaylistWindow->size();
    OpenPlaylistMenu("lMenu2");
    QPointer<TPlaylistStrip> rem = OpenStrip();  // the strip is deleted when another opens
    ASSERT_TRUE(rem);
    EXPECT_EQ(rem->geometry(), QRect(40, window.height() - 84, 25, 72));
    EXPECT_EQ(rem->Image().pixel(0, 0), At(100, 111)) << "the left bar";
    EXPECT_EQ(rem->Image().pixel(2, 71), At(102, 182));
    EXPECT_EQ(rem->Image().pixel(3, 0), At(54, 168)) << "REM's first cell has its own picture";
    EXPECT_EQ(rem->Image().pixel(24, 71), At(75, 166)) << "the last cell, normal";
    rem->Highlight(20);
    EXPECT_EQ(rem->Image().pixel(3, 18), At(77, 111)) << "the cell under the pointer lit";
    EXPECT_EQ(rem->Image().pixel(3, 0), At(54, 168)) << "the others normal";
    rem->Highlight(60);
    EXPECT_EQ(rem->Image().pixel(3, 18), At(54, 111));
    EXPECT_EQ(rem->Image().pixel(3, 54), At(77, 149));

    OpenPlaylistMenu("lMenu5");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(rem == nullptr || !rem->isVisible()) << "opening another strip closes the first";
    ASSERT_TRUE(OpenStrip());
    EXPECT_EQ(OpenStrip()->geometry().topLeft(), QPoint(window.width() - 47, window.height() - 66));
    EXPECT_EQ(OpenStrip()->Image().pixel(3, 36), At(204, 149));
}

TEST_F(StripTest, ReleaseActsOnlyInsideTheStrip) {
    Entries({Entry("/a.mp3"), Entry("/b.mp3"), Entry("/c.mp3")});
    OpenPlaylistMenu("lMenu5");
    ReleaseOnStrip({10, 60});
    EXPECT_EQ(ListBox1->Count(), 3) << "a release below the strip clears nothing";
    ReleaseOnStrip({-4, 5});
    EXPECT_EQ(ListBox1->Count(), 3);
    ASSERT_TRUE(OpenStrip()) << "a release off the strip leaves it open";
    ReleaseOnStrip({10, 5});
    EXPECT_EQ(ListBox1->Count(), 0) << "LIST's first cell clears the playlist";
    EXPECT_FALSE(OpenStrip()) << "a cell's action closes the strip";
}

// Through the application's mouse hook, as the user clicks: the bottom-bar button opens its strip,
// a click inside the strip is the strip's own, a press elsewhere closes it.
TEST_F(StripTest, ClicksOnThePlaylistWindowOpenUseAndCloseTheStrips) {
    QWidget* window = PlaylistWindow;
    const int w = window->width(), h = window->height();
    Entries({Entry("/a.mp3"), Entry("/b.mp3")});
    actions_test::Click(window, {w - 30, h - 20});
    ASSERT_TRUE(OpenStrip()) << "the LIST button opens its strip";
    EXPECT_EQ(OpenStrip()->Layout().Strip, TStrip::List);
    actions_test::Click(window, {w - 40, h - 60});
    EXPECT_EQ(ListBox1->Count(), 0) << "a click on the strip's first cell cleared the list";
    EXPECT_FALSE(OpenStrip());

    actions_test::Click(window, {50, h - 20});
    ASSERT_TRUE(OpenStrip());
    EXPECT_EQ(OpenStrip()->Layout().Strip, TStrip::Rem);
    actions_test::Press(window, {w / 2, 30});
    EXPECT_FALSE(OpenStrip()) << "a press elsewhere on the window closes the strip";
    actions_test::Release(window, {w / 2, 30});
}

// A cell that pops a menu up keeps its strip open under the menu; the strip closes with the
// menu, before the command chosen there runs.
TEST_F(StripTest, ACellsMenuKeepsItsStripOpenUntilTheMenuCloses) {
    dir_.write("Plugins/MenuPlus.ini", "5.11=本地文件\r\n6.11=按标题\r\n7.11=扩展名\r\n");
    Entries({Entry("/a.mp3"), Entry("http://h/b.mp3")});
    Click("lMenu2", 5);
    QMenu* menu = Ctrl->Menu->PopupMenu(5);
    ASSERT_TRUE(menu->isVisible()) << "REM's first cell pops menu 5 up";
    QPointer<TPlaylistStrip> strip = OpenStrip();
    EXPECT_TRUE(strip && strip->isVisible()) << "the strip stays open while its menu is up";
    bool stripOpenAtCommand = true;
    QObject::connect(ListBox1->Model(), &QAbstractItemModel::modelReset, [&] { stripOpenAtCommand = OpenStrip() != nullptr; });
    menu->setActiveAction(menu->actions().value(0));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(menu, &enter);
    EXPECT_FALSE(menu->isVisible());
    EXPECT_FALSE(OpenStrip()) << "the menu's closing closes the strip";
    QCoreApplication::processEvents();
    EXPECT_EQ(ListBox1->Items(), QStringList{Entry("http://h/b.mp3")}) << "the chosen filter ran";
    EXPECT_FALSE(stripOpenAtCommand) << "after the strip had closed";

    for (int y : {5, 40}) {
        Click("lMenu4", y);
        QMenu* misc = Ctrl->Menu->PopupMenu(y == 5 ? 6 : 7);
        ASSERT_TRUE(misc->isVisible()) << y;
        EXPECT_TRUE(OpenStrip()) << "MISC's menus keep the strip open too";
        misc->hide();
        EXPECT_FALSE(OpenStrip()) << "a menu closed without a choice closes the strip as well";
    }
}

TEST_F(StripTest, ClearingAndRemovingKeepThePlayingIndexHonest) {
    Entries({Entry("/a.mp3", "00:10"), Entry("/b.mp3", "00:20"), Entry("/c.mp3", "00:30"), Entry("/d.mp3", "00:40")});
    Ctrl->Run->Index = 3;
    Select({0, 2});
    Click("lMenu2", 54);
    EXPECT_EQ(ListBox1->Items(), (QStringList{Entry("/b.mp3", "00:20"), Entry("/d.mp3", "00:40")}))
        << "a release at y 54 in REM removes the selected entries";
    EXPECT_EQ(ListBox1->TotalSeconds, 60);
    EXPECT_EQ(Ctrl->Run->Index, 1) << "two entries above the playing one went";

    Select({0});
    Click("lMenu2", 40);
    EXPECT_EQ(ListBox1->Items(), QStringList{Entry("/b.mp3", "00:20")}) << "crop keeps the selected";
    EXPECT_EQ(Ctrl->Run->Index, -1) << "the playing entry was cropped away";

    Ctrl->Run->Index = 0;
    Click("lMenu2", 20);
    EXPECT_EQ(ListBox1->Count(), 0);
    EXPECT_EQ(ListBox1->TotalSeconds, 0);
    EXPECT_EQ(Ctrl->Run->Index, -1) << "no entry of an emptied list is playing";
}

TEST_F(StripTest, SelectionCells) {
    Entries({Entry("/a.mp3"), Entry("/b.mp3"), Entry("/c.mp3")});
    Select({1});
    ListBox1->LastSelected = 1;
    Click("lMenu3", 0);
    EXPECT_EQ(Selected(), (std::vector<int>{0, 2})) << "invert";
    Click("lMenu3", 40);
    EXPECT_EQ(Selected(), (std::vector<int>{0, 1, 2})) << "all";
    Click("lMenu3", 20);
    EXPECT_TRUE(Selected().empty()) << "none";
    EXPECT_EQ(ListBox1->LastSelected, -1);
}

TEST_F(StripTest, SavingWritesKplOrM3uAndAsksBeforeOverwriting) {
    Entries({Entry("/m/a.mp3", "00:10"), Entry("<:station7"), Entry("http://h/s.mp3")});
    saveName_ = dir_.file("mix");
    filter_ = 2;
    Click("lMenu5", 20);
    EXPECT_EQ(dir_.read("mix.m3u"), "/m/a.mp3\r\n<:station7\r\nhttp://h/s.mp3\r\n")
        << "the path of every entry, a station as its code";
    EXPECT_TRUE(questions_.isEmpty());

    saveName_ = dir_.file("mix.kpl.bak");
    filter_ = 1;
    Click("lMenu5", 20);
    EXPECT_EQ(dir_.read("mix.kpl.bak.kpl"), platform::EncodeTextLines(ListBox1->Items())) << "entries as they stand";

    overwrite_ = false;
    saveName_ = dir_.file("mix.m3u");
    ListBox1->SetItems({Entry("/other.mp3")});
    Click("lMenu5", 20);
    EXPECT_EQ(questions_, QStringList{u"文件已存在，是否覆盖原来的文件？   "_qs});
    EXPECT_EQ(dir_.read("mix.m3u"), "/m/a.mp3\r\n<:station7\r\nhttp://h/s.mp3\r\n") << "No leaves the file untouched";
    overwrite_ = true;
    Click("lMenu5", 20);
    EXPECT_EQ(dir_.read("mix.m3u"), "/other.mp3\r\n");

    saveName_ = dir_.file("no-such-folder/x.kpl");
    Click("lMenu5", 20);
    EXPECT_EQ(messages_.size(), 1) << "a failed save says so";
}

TEST_F(StripTest, OpeningAPlaylistReplacesTheList) {
    Entries({Entry("/old.mp3")});
    dir_.write("list.kpl", "<?/m/x.mp3?>\r\n<?/m/y.mp3?>\r\n");
    openName_ = dir_.file("list.kpl");
    Click("lMenu5", 40);
    EXPECT_EQ(ListBox1->Items(), (QStringList{"<?/m/x.mp3?>", "<?/m/y.mp3?>"}));
}

}  // namespace

namespace {

TEST_F(StripTest, AddAndMiscCellsRunTheirOwnActionsInOrder) {
    QStringList calls;
    auto targets = std::make_unique<RecordingTargets>(&calls);
    RecordingTargets* recorded = targets.get();
    Ctrl->Menu->SetTargets(std::move(targets));
    Click("lMenu1", 5);
    EXPECT_EQ(calls, QStringList{u"address"_qs}) << "ADD's first cell opens an address";
    EXPECT_TRUE(recorded->Also.isEmpty());
    Click("lMenu1", 20);
    EXPECT_EQ(recorded->Also, QStringList{u"folder "_qs + Ctrl->InstallFolder + u" 请选择音乐文件存放的路径"_qs})
        << "its second adds a folder";
    bool dialog = false;
    QTimer::singleShot(0, [&dialog] {
        if (auto* open = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            dialog = true;
            open->reject();
        }
    });
    Click("lMenu1", 40);
    EXPECT_TRUE(dialog) << "its third opens files";
    EXPECT_EQ(calls.size(), 1);
    recorded->Also.clear();
    Click("lMenu4", 20);
    EXPECT_EQ(recorded->Also, QStringList{u"file information"_qs}) << "MISC's middle cell";
    EXPECT_FALSE(OpenStrip());
    EXPECT_FALSE(Ctrl->Menu->PopupMenu(6)->isVisible());
    EXPECT_FALSE(Ctrl->Menu->PopupMenu(7)->isVisible());
}

TEST_F(StripTest, InvertingAndSelectingAllKeepTheTopRow) {
    QStringList entries;
    for (int i = 0; i < 80; ++i) entries << Entry(u"/m/%1.mp3"_qs.arg(i));
    Entries(entries);
    ListBox1->SetTopIndex(30);
    const int top = ListBox1->TopIndex();
    ASSERT_GT(top, 0) << "the list scrolls";
    Select({2});
    Click("lMenu3", 0);
    EXPECT_EQ(ListBox1->TopIndex(), top) << "invert";
    EXPECT_EQ(Selected().size(), 79u);
    Click("lMenu3", 40);
    EXPECT_EQ(ListBox1->TopIndex(), top) << "select all";
    EXPECT_EQ(Selected().size(), 80u);
}

}  // namespace
