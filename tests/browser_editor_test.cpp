// The station editor: adding to an existing category in any letter case, a new category asked
// for first, moving a station, keeping an untouched code, and the checks of what was typed.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QKeyEvent>
#include <QTimer>
#include <functional>

#include "player/actions/region_actions.h"
#include "player/browser/form13.h"
#include "player/commands/player_targets.h"
#include "player/playlist/station_code.h"
#include "tests/browser_test_support.h"

namespace {

class EditorTest : public browser_test::BrowserFixture {
protected:
    void SetUp() override {
        BrowserFixture::SetUp();
        BindStationCodeLibrary(QStringLiteral(VELMORA_BUILT_INSTALL_DIR "/"));
    }
    // Opens the editor modally through the menu command, lets `fill` type into it, presses OK
    // and closes it when it stayed open.
    void Run(void (TCommandTargets::*command)(), const std::function<void(TForm13*)>& fill) {
        QTimer::singleShot(0, [fill] {
            TForm13* editor = Form5 ? Form5->Editor() : nullptr;
            if (!editor || !editor->isVisible()) return;
            fill(editor);
            editor->Button2Click();
            if (editor->isVisible()) {
                stayedOpen_ = true;
                editor->reject();
            }
        });
        stayedOpen_ = false;
        TPlayerTargets targets;
        (targets.*command)();
    }
    static void Type(TForm13* e, const QString& name, const QString& url, const QString& category) {
        e->Edit1->setText(name);
        e->Edit2->setText(url);
        e->ComboBox1->setEditText(category);
    }
    static inline bool stayedOpen_ = false;
};

TEST_F(EditorTest, AddingToAnExistingCategoryInAnyCaseGoesToItsEnd) {
    ASSERT_TRUE(Open());
    Select(5);
    QString shownCategory;
    Run(&TCommandTargets::BrowserAddItem, [&](TForm13* e) {
        shownCategory = e->ComboBox1->currentText();
        EXPECT_EQ(e->windowTitle(), "添加电台");
        EXPECT_EQ(e->Edit1->text(), "");
        Type(e, u"Late"_qs, u"http://late.example.org/"_qs, u"empty"_qs);
    });
    EXPECT_EQ(shownCategory, "新闻") << "the selected station's category is proposed";
    EXPECT_FALSE(stayedOpen_);
    EXPECT_TRUE(questions_.isEmpty()) << "another letter case is the same category";
    EXPECT_EQ(Form5->StationLines().last(), "\tLate<?http://late.example.org/?>");
    EXPECT_EQ(Form5->TreeView1->topLevelItem(2)->child(0)->text(0), "Late");

    Run(&TCommandTargets::BrowserAddItem, [&](TForm13* e) { Type(e, u"Second"_qs, u"mms://s/"_qs, u"音乐"_qs); });
    EXPECT_EQ(Form5->StationLines().at(4), "\tSecond<?mms://s/?>") << "after the category's last station";
    EXPECT_EQ(Form5->TreeView1->topLevelItem(0)->child(3)->text(0), "Second");
    ExpectInStep();
}

TEST_F(EditorTest, ANewCategoryIsCreatedOnlyWhenConfirmed) {
    ASSERT_TRUE(Open());
    answer_ = false;
    Run(&TCommandTargets::BrowserAddItem, [](TForm13* e) { Type(e, u"N"_qs, u"http://n/"_qs, u"戏曲"_qs); });
    EXPECT_EQ(questions_, QStringList{u"确认创建新分类|分类中没有包括“戏曲”，要创建该分类吗？    "_qs});
    EXPECT_TRUE(stayedOpen_) << "No keeps the dialog open";
    EXPECT_EQ(Form5->StationLines().size(), 7);

    answer_ = true;
    Run(&TCommandTargets::BrowserAddItem, [](TForm13* e) { Type(e, u"N"_qs, u"http://n/"_qs, u"戏曲"_qs); });
    EXPECT_EQ(Form5->StationLines().mid(7), (QStringList{u"戏曲"_qs, u"\tN<?http://n/?>"_qs}));
    ExpectInStep();
}

TEST_F(EditorTest, EditingMovesAStationToTheEndOfAnotherCategory) {
    ASSERT_TRUE(Open());
    Select(1);
    QString url;
    Run(&TCommandTargets::BrowserEditItem, [&](TForm13* e) {
        url = e->Edit2->text();
        EXPECT_EQ(e->windowTitle(), "编辑电台");
        EXPECT_EQ(e->ComboBox1->currentText(), "音乐");
        e->Edit1->setText(u"Jazz Two"_qs);
        e->ComboBox1->setEditText(u"新闻"_qs);
    });
    EXPECT_EQ(url, "http://127.0.0.1:9/jazz");
    EXPECT_EQ(Form5->StationLines().at(5), "\tJazz Two<?http://127.0.0.1:9/jazz?>");
    EXPECT_EQ(Form5->TreeView1->topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(Form5->TreeView1->topLevelItem(1)->child(1)->text(0), "Jazz Two");
    ExpectInStep();
}

TEST_F(EditorTest, AnUntouchedCodeIsStoredAsTheCode) {
    ASSERT_TRUE(Open());
    Select(3);
    QString url;
    Run(&TCommandTargets::BrowserEditItem, [&](TForm13* e) {
        url = e->Edit2->text();
        e->Edit1->setText(u"Renamed"_qs);
    });
    EXPECT_EQ(url, "http://radio.example.com/live") << "the box shows what the code resolves to";
    EXPECT_EQ(Form5->StationLines().at(3), "\tRenamed<:radio.example.com/live");
    EXPECT_EQ(Form5->TreeView1->topLevelItem(0)->child(2)->text(0), "Renamed");

    Select(3);
    Run(&TCommandTargets::BrowserEditItem, [](TForm13* e) { e->Edit2->setText(u"http://other/"_qs); });
    EXPECT_EQ(Form5->StationLines().at(3), "\tRenamed<?http://other/?>");
    ExpectInStep();
}

TEST_F(EditorTest, RejectedInputKeepsTheDialogOpenAndTheFileAsItWas) {
    ASSERT_TRUE(Open());
    const QStringList before = FileLines();
    const QList<std::array<QString, 3>> inputs = {
        {u""_qs, u"http://a/"_qs, u"音乐"_qs},
        {u"A<b"_qs, u"http://a/"_qs, u"音乐"_qs},
        {u"A"_qs, u"http://a/?>x"_qs, u"音乐"_qs},
        {u"A"_qs, u"localhost/a"_qs, u"音乐"_qs},
    };
    for (const auto& in : inputs) {
        Run(&TCommandTargets::BrowserAddItem, [&in](TForm13* e) { Type(e, in[0], in[1], in[2]); });
        EXPECT_TRUE(stayedOpen_) << in[0].toStdString() << " " << in[1].toStdString();
    }
    EXPECT_EQ(messages_, (QStringList{u"没有填写完毕|请填写完毕所有数据！  "_qs,
                                      u"输入错误|输入的数据不能含有 <> 这两个符号！  "_qs,
                                      u"输入错误|输入的数据不能含有 <> 这两个符号！  "_qs,
                                      u"输入错误|输入的播放地址无效，请重新输入！  "_qs}));
    EXPECT_EQ(FileLines(), before);
}

TEST_F(EditorTest, ATabTypedIntoANameCannotSplitTheFile) {
    ASSERT_TRUE(Open());
    Run(&TCommandTargets::BrowserAddItem, [](TForm13* e) { Type(e, u"A\tB"_qs, u"http://a/"_qs, u"Empty"_qs); });
    EXPECT_EQ(Form5->StationLines().last(), "\tA B<?http://a/?>");
    ExpectInStep();
}

TEST_F(EditorTest, AFileThatCouldNotBeReadIsNeverOverwritten) {
    ASSERT_TRUE(QFile::remove(StationFile()));
    ASSERT_TRUE(QDir().mkdir(StationFile()));
    ASSERT_TRUE(Open());
    ASSERT_TRUE(QDir().rmdir(StationFile()));  // writable now, but the tree never held its stations
    Run(&TCommandTargets::BrowserAddItem, [](TForm13* e) { Type(e, u"A"_qs, u"http://a/"_qs, u"Empty"_qs); });
    EXPECT_TRUE(stayedOpen_);
    EXPECT_FALSE(QFile::exists(StationFile()));
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_[0].contains(u"Cannot read"_qs));

    dir_.write("Plugins/BCSPlus.ini", "Empty\r\n");
    BrowserClick(u"bRefresh"_qs);
    Run(&TCommandTargets::BrowserAddItem, [](TForm13* e) { Type(e, u"A"_qs, u"http://a/"_qs, u"Empty"_qs); });
    EXPECT_EQ(FileLines(), (QStringList{u"Empty"_qs, u"\tA<?http://a/?>"_qs})) << "a file read again is saved again";
}

TEST_F(EditorTest, TheNameAndAddressBoxesNeitherCopyNorOfferAMenu) {
    ASSERT_TRUE(Open());
    QApplication::clipboard()->setText(u"before"_qs);
    bool noMenus = false;
    Run(&TCommandTargets::BrowserAddItem, [&noMenus](TForm13* e) {
        for (QLineEdit* edit : {e->Edit1, e->Edit2}) {
            edit->setText(u"secret"_qs);
            edit->selectAll();
            QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, u"\x03"_qs);
            QApplication::sendEvent(edit, &copy);
            noMenus = edit->contextMenuPolicy() == Qt::NoContextMenu;
        }
        e->Edit1->clear();
    });
    EXPECT_EQ(QApplication::clipboard()->text(), "before");
    EXPECT_TRUE(noMenus);
}

}  // namespace
