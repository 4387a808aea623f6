// Addresses into the playlist: the link list a web page hands over, read as untrusted text, and
// the typed address with its history.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "dialogs/dialog_targets.h"
#include "dialogs/link_list.h"
#include "dialogs/open_url.h"
#include "platform/message_box.h"
#include "player/app/form1.h"
#include "player/playlist/playlist_box.h"
#include "player/playlist/playlist_item.h"
#include "tests/test_support.h"

using dialogs::Link;

namespace {

QStringList Texts(const QList<Link>& links) {
    QStringList out;
    for (const Link& link : links) out << link.text + "|" + link.url;
    return out;
}

TEST(LinkListGrammar, EntriesInPageOrderLastTerminatorOptional) {
    EXPECT_EQ(Texts(dialogs::ParseLinkList("x<ALL>A$;http://h/a.mp3*;B$;http://h/b.mp3")),
              QStringList({"A|http://h/a.mp3", "B|http://h/b.mp3"}));
    EXPECT_TRUE(dialogs::ParseLinkList("no marker A$;http://h/a.mp3*;").isEmpty());
    // A piece of four characters or fewer ends the list.
    EXPECT_EQ(Texts(dialogs::ParseLinkList("<ALL>A$;http://h/a.mp3*;ab*;B$;http://h/b.mp3*;")),
              QStringList({"A|http://h/a.mp3"}));
}

TEST(LinkListGrammar, SchemeGoesBeforeTheLinkNotItsText) {
    EXPECT_EQ(Texts(dialogs::ParseLinkList("<ALL>Song$;host.com/a.mp3*;")), QStringList({"Song|http://host.com/a.mp3"}));
    EXPECT_TRUE(dialogs::ParseLinkList("<ALL>T$;a.b*;").isEmpty()) << "too short to be a link";
}

TEST(LinkListGrammar, HostileLinksCannotForgeEntryFields) {
    const QList<Link> links = dialogs::ParseLinkList(
        "<ALL>Evil*><?/etc/passwd?><#99:99#>$;http://h/x.mp3?><*T*>\r\nnext*;");
    ASSERT_EQ(links.size(), 1);
    const QString entry = dialogs::LinkEntry(links[0], true);
    EXPECT_EQ(playlist::PathField(entry), QStringLiteral("http://h/x.mp3?*T*next"));
    EXPECT_EQ(playlist::TitleField(entry), QStringLiteral("Evil*?/etc/passwd?#99:99#"));
    EXPECT_TRUE(playlist::TimeField(entry).isEmpty());
    EXPECT_FALSE(playlist::HasControlCharacter(entry));
}

TEST(AddressCheck, SchemeAddedAndBadAddressesRefused) {
    QString text = "  host.com/a.mp3 ";
    EXPECT_EQ(dialogs::CheckAddress(&text), dialogs::AddressCheck::Ok);
    EXPECT_EQ(text, "http://host.com/a.mp3");
    for (QString nothing : {"http://", "HTTP://", "  "}) EXPECT_EQ(dialogs::CheckAddress(&nothing), dialogs::AddressCheck::Nothing);
    for (QString bad : {"host/a", "host.com/a.", "h.com/a#b.mp3", "h.com/<?x?>.mp3", "h.com/a*.mp3", "h.com/a\tb.mp3"})
        EXPECT_EQ(dialogs::CheckAddress(&bad), dialogs::AddressCheck::Invalid) << bad.toStdString();
}

class LinkDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.write("Plugins/FilePlus.ini", "[decode_setup]\r\nDECODE0=*.MP3\r\n");
        form_ = new TForm1(dir_.path() + "/");
        ASSERT_NE(ListBox1, nullptr);
        ListBox1->SetItems({"<?/old/one.mp3?>"});
        ListBox1->AutoPlayNewFile = true;
        platform::SetMessageRecorder([this](const QString& text, const QString&, platform::MessageIcon) { messages_ << text; });
    }
    void TearDown() override {
        platform::SetMessageRecorder({});
        form_->QuietClose = true;
        form_->close();
        delete form_;
    }

    testing_support::TempFolder dir_;
    TForm1* form_ = nullptr;
    QStringList messages_;
    QList<int> played_;
};

TEST_F(LinkDialogsTest, CheckedLinksAddedInPageOrderAndFirstPlays) {
    for (const bool top : {true, false}) {
        ListBox1->SetItems({"<?/old/one.mp3?>"});
        ListBox1->UseReverse = top;
        played_.clear();
        TForm15 form;
        form.Play = [this](int row) { played_ << row; };
        form.ShowData("<ALL>A$;http://h/a.mp3*;B$;http://h/b.mp3*;C$;http://h/c.mp3*;");
        form.show();
        auto* list = form.findChild<QTreeWidget*>("ListView1");
        ASSERT_EQ(list->topLevelItemCount(), 3);
        list->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
        form.N2Click();
        const QStringList expected = top ? QStringList({"<*A*><?http://h/a.mp3?>", "<*C*><?http://h/c.mp3?>", "<?/old/one.mp3?>"})
                                         : QStringList({"<?/old/one.mp3?>", "<*A*><?http://h/a.mp3?>", "<*C*><?http://h/c.mp3?>"});
        EXPECT_EQ(ListBox1->Items(), expected);
        EXPECT_EQ(played_, QList<int>({top ? 0 : 1})) << "the first link plays, not entry 0";
        EXPECT_FALSE(form.isVisible());
    }
}

TEST_F(LinkDialogsTest, ChecksDriveTheOkButton) {
    TForm15 form;
    form.ShowData("<ALL>A$;http://h/a.mp3*;B$;http://h/b.mp3*;");
    auto* ok = form.findChild<QPushButton*>("Button2");
    EXPECT_TRUE(ok->isEnabled());
    form.Button4Click();
    EXPECT_FALSE(ok->isEnabled());
    form.Button5Click();
    EXPECT_TRUE(form.AnyChecked());
    form.findChild<QTreeWidget*>("ListView1")->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_GE(form.minimumWidth(), 430);
    EXPECT_GE(form.minimumHeight(), 200);
}

TEST_F(LinkDialogsTest, TypedAddressAddedPlayedAndRemembered) {
    ListBox1->UseReverse = false;
    TForm9 form;
    form.Play = [this](int row) { played_ << row; };
    auto* combo = form.findChild<QComboBox*>("ComboBox1");
    form.open();
    combo->setEditText("host.com/a.mp3");
    form.Button1Click();
    EXPECT_EQ(ListBox1->Items().last(), "<?http://host.com/a.mp3?>");
    EXPECT_EQ(played_, QList<int>({1})) << "the new entry plays where it landed";
    form.open();
    combo->setEditText("http://other.com/b.mp3");
    form.Button1Click();
    form.open();
    combo->setEditText("HTTP://HOST.com/a.mp3");
    form.Button1Click();
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), "HTTP://HOST.com/a.mp3");
    EXPECT_EQ(ListBox1->LastSelected, -1);
}

TEST_F(LinkDialogsTest, EnterInTheAddressFieldOpensTheAddress) {
    ListBox1->UseReverse = false;
    TForm9 form;
    form.Play = [this](int row) { played_ << row; };
    auto* combo = form.findChild<QComboBox*>("ComboBox1");
    form.open();
    combo->setEditText("host.com/enter.mp3");
    combo->lineEdit()->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(combo->lineEdit(), &enter);
    EXPECT_EQ(ListBox1->Items().last(), "<?http://host.com/enter.mp3?>");
    EXPECT_EQ(played_, QList<int>({1}));
    EXPECT_FALSE(form.isVisible());
    ASSERT_EQ(combo->count(), 1) << "once in the history";
    EXPECT_EQ(combo->itemText(0), "http://host.com/enter.mp3");
    // Enter on a refused address keeps the dialog open and adds nothing.
    form.open();
    combo->setEditText("nodot");
    QApplication::sendEvent(combo->lineEdit(), &enter);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(messages_.size(), 1);
    EXPECT_EQ(ListBox1->Count(), 2);
    EXPECT_EQ(combo->count(), 1);
}

TEST_F(LinkDialogsTest, RefusedAddressKeepsDialogOpen) {
    TForm9 form;
    form.Play = [this](int row) { played_ << row; };
    form.open();
    form.findChild<QComboBox*>("ComboBox1")->setEditText("h.com/a#b.mp3");
    form.Button1Click();
    EXPECT_EQ(messages_, QStringList({QStringLiteral("输入的音乐链接地址无效、请重新输入！  ")}));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(ListBox1->Count(), 1);
    EXPECT_TRUE(played_.isEmpty());
}

TEST(LinkListHandOver, PageLinksOpenTheDialogOnTop) {
    InstallDialogTargets();
    testing_support::TempFolder dir;
    auto* main = new TForm1(dir.path() + "/");
    ListBox1->addParam("vmp://page<ALL>A$;http://h/a.mp3*;B$;http://h/b.mp3*;");
    TForm15* shown = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* form = qobject_cast<TForm15*>(window); form && form->isVisible()) shown = form;
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->findChild<QTreeWidget*>("ListView1")->topLevelItemCount(), 2);
    EXPECT_TRUE(shown->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(ListBox1->Count(), 0) << "nothing is added before the user chooses";
    SetCommandTargetsMaker({});
    main->QuietClose = true;
    main->close();
    delete main;
}

}  // namespace
