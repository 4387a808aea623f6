// The favourites page against a fixture folder, and the proxy rows of the network page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include "dialogs/settings_proxy.h"
#include "platform/network_proxy.h"
#include "platform/text_file.h"
#include "tests/settings_dialog_support.h"

namespace {

class FavouritesPageTest : public SettingsDialogFixture {
protected:
    void Store(const QStringList& names, const QStringList& playlists) const {
        dir_.write("Favor/Favor.ini", names.join("\r\n").toUtf8() + "\r\n");
        for (const QString& name : playlists) dir_.write("Favor/" + name + ".kpl", "entry\r\n");
    }
    QStringList StoredNames() const {
        QStringList lines;
        platform::ReadTextLines(dir_.file("Favor/Favor.ini"), &lines);
        return lines;
    }
    static QStringList Listed(TForm8& form) {
        QStringList names;
        auto* list = Widget<QListWidget>(form, "ListBox3");
        for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
        return names;
    }
    static void Mouse(QListWidget* list, QEvent::Type type, int row) {
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QMouseEvent event(type, at, list->viewport()->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &event);
    }
};

TEST_F(FavouritesPageTest, ListsNamesWithPlaylistsAndDeletingRewritesTheList) {
    Store({"a", "b", "c"}, {"a", "c"});
    TForm8 form;
    form.SelectPage(14);
    EXPECT_EQ(Listed(form), QStringList({"a", "c"}));
    EXPECT_TRUE(Widget<QPushButton>(form, "Button9")->isEnabled()) << "item 0 selected on load";
    Widget<QListWidget>(form, "ListBox3")->setCurrentRow(1);
    Widget<QPushButton>(form, "Button9")->click();
    EXPECT_EQ(StoredNames(), QStringList({"a"}));
    EXPECT_FALSE(QFile::exists(dir_.file("Favor/c.kpl")));
}

TEST_F(FavouritesPageTest, AChangeStartsFromTheStoreNotFromTheListShown) {
    Store({"a", "b"}, {"a", "b"});
    TForm8 form;
    form.SelectPage(14);
    // Another window adds a favourite while the page is on show.
    Store({"new", "a", "b"}, {"new"});
    Widget<QListWidget>(form, "ListBox3")->setCurrentRow(1);  // "b"
    Widget<QPushButton>(form, "Button9")->click();
    EXPECT_EQ(StoredNames(), QStringList({"new", "a"}));
}

TEST_F(FavouritesPageTest, HostileNamesNeverReachAFileOperation) {
    dir_.write("outside.kpl", "keep");
    dir_.write("Favor/sub/x.kpl", "keep");
    Store({"../outside", "sub/x", "..\\outside", "good"}, {"good"});
    TForm8 form;
    form.SelectPage(14);
    EXPECT_EQ(Listed(form), QStringList({"good"}));
    Widget<QPushButton>(form, "Button9")->click();
    Widget<QPushButton>(form, "Button10")->click();
    EXPECT_TRUE(QFile::exists(dir_.file("outside.kpl")));
    EXPECT_TRUE(QFile::exists(dir_.file("Favor/sub/x.kpl")));
    EXPECT_FALSE(QFile::exists(dir_.file("Favor/Favor.ini")));
}

TEST_F(FavouritesPageTest, RenameOpensTheNamingDialogOverTheStoreAsItIsNow) {
    Store({"a", "b"}, {"a", "b"});
    TForm8 form;
    form.SelectPage(14);
    Widget<QListWidget>(form, "ListBox3")->setCurrentRow(1);  // "b"
    Store({"new", "a", "b"}, {"new"});  // added meanwhile by another window
    QString offered;
    QTimer::singleShot(0, [&offered] {
        auto* naming = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!naming) return;
        auto* edit = naming->findChild<QLineEdit*>("Edit1");
        offered = edit->text();
        edit->setText("c");
        naming->findChild<QPushButton*>("Button2")->click();
    });
    Widget<QPushButton>(form, "Button11")->click();
    EXPECT_EQ(offered, "b");
    EXPECT_EQ(StoredNames(), QStringList({"new", "a", "c"}));
    EXPECT_EQ(Listed(form), QStringList({"new", "a", "c"}));
    EXPECT_TRUE(QFile::exists(dir_.file("Favor/c.kpl")));
    EXPECT_FALSE(QFile::exists(dir_.file("Favor/b.kpl")));
}

TEST_F(FavouritesPageTest, DraggingTheFirstToTheBottomSavesTheNewOrder) {
    Store({"1", "2", "3"}, {"1", "2", "3"});
    TForm8 form;
    form.show();
    form.SelectPage(14);
    auto* list = Widget<QListWidget>(form, "ListBox3");
    Mouse(list, QEvent::MouseButtonPress, 0);
    Mouse(list, QEvent::MouseButtonRelease, 0);
    EXPECT_EQ(StoredNames(), QStringList({"1", "2", "3"})) << "a click without movement writes nothing";
    Mouse(list, QEvent::MouseButtonPress, 0);
    Mouse(list, QEvent::MouseMove, 1);
    Mouse(list, QEvent::MouseMove, 2);
    Mouse(list, QEvent::MouseButtonRelease, 2);
    EXPECT_EQ(Listed(form), QStringList({"2", "3", "1"}));
    EXPECT_EQ(StoredNames(), QStringList({"2", "3", "1"}));
    EXPECT_EQ(form.DragIndex, -1);
}

using ProxyPageTest = SettingsDialogFixture;

const char* kNetShow = "\\Software\\Microsoft\\NetShow\\Player\\Local";
const char* kReal = "\\Software\\RealNetworks\\RealMediaSDK\\6.0\\Preferences";

void RealValue(const QString& name, const QString& value) {
    platform::TRegistry reg(platform::RootKey::ClassesRoot);
    ASSERT_TRUE(reg.OpenKey(QString(kReal) + "\\" + name, true));
    reg.WriteString(QString(), value);
}

TEST_F(ProxyPageTest, PortsOutsideTheRangeAreRefusedAndNothingIsWritten) {
    TForm8 form;
    form.SelectPage(11);
    Widget<QLineEdit>(form, "Edit3")->setText("80a");
    Widget<QLineEdit>(form, "Edit2")->setText("proxy.example");
    Widget<QCheckBox>(form, "CheckBox3")->click();
    for (const char* bad : {"80a", "", "0", "70000"}) {
        Widget<QLineEdit>(form, "Edit3")->setText(bad);
        EXPECT_FALSE(Widget<QLabel>(form, "PortMessage")->text().isEmpty()) << bad;
    }
    platform::TRegistry reg;
    reg.OpenKeyReadOnly(kNetShow);
    EXPECT_FALSE(reg.ValueExists("ProxyHost")) << "a refused row writes none of its values";
    Widget<QLineEdit>(form, "Edit3")->setText("8080");
    ASSERT_TRUE(Widget<QCheckBox>(form, "CheckBox3")->isChecked());
    EXPECT_TRUE(Widget<QLabel>(form, "PortMessage")->text().isEmpty());
    ASSERT_TRUE(reg.OpenKeyReadOnly(kNetShow));
    EXPECT_EQ(reg.ReadInteger("ProxyPort", 0), 8080);
    EXPECT_EQ(reg.ReadInteger("ProxyEnabled", 0), 1);
    EXPECT_EQ(reg.ReadString("ProxyHost"), "proxy.example");
    EXPECT_EQ(HttpProxyAddress(), "http://proxy.example:8080");
    EXPECT_FALSE(platform::TRegistry(platform::RootKey::ClassesRoot).KeyExists(kReal))
        << "no Real key is made by the HTTP row";
}

TEST_F(ProxyPageTest, PlayersThatDisagreeShowTheHttpBoxGrayed) {
    platform::TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kNetShow, true));
    reg.WriteInteger("ProxyEnabled", 1);
    reg.WriteInteger("EnableAutoProxy", 0);
    reg.WriteInteger("ProxyPort", 8080);
    reg.WriteString("ProxyHost", "H");
    RealValue("GetHTTPProxyFromBrowser", "0");
    RealValue("HTTPProxySupport", "0");
    RealValue("HTTPProxyHost", "H");
    RealValue("HTTPProxyPort", "9999");
    TForm8 form;
    form.SelectPage(11);
    EXPECT_EQ(Widget<QCheckBox>(form, "CheckBox3")->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(Widget<QLineEdit>(form, "Edit2")->text(), "H");
    EXPECT_EQ(Widget<QLineEdit>(form, "Edit3")->text(), "") << "ports that differ are not shown";
    EXPECT_TRUE(Widget<QCheckBox>(form, "CheckBox13")->isEnabled()) << "the Real key exists";
    EXPECT_FALSE(Widget<QCheckBox>(form, "CheckBox14")->isEnabled()) << "no MMS key";
}

TEST_F(ProxyPageTest, AGrayedHttpBoxIsWrittenAsOff) {
    platform::TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kNetShow, true));
    reg.WriteInteger("ProxyEnabled", 1);
    reg.WriteInteger("EnableAutoProxy", 0);
    reg.WriteInteger("ProxyPort", 8080);
    reg.WriteString("ProxyHost", "H");
    RealValue("GetHTTPProxyFromBrowser", "0");
    RealValue("HTTPProxySupport", "0");
    RealValue("HTTPProxyHost", "H");
    RealValue("HTTPProxyPort", "8080");
    TForm8 form;
    form.SelectPage(11);
    ASSERT_EQ(Widget<QCheckBox>(form, "CheckBox3")->checkState(), Qt::PartiallyChecked);
    Widget<QLineEdit>(form, "Edit3")->setText("3128");
    ASSERT_TRUE(reg.OpenKeyReadOnly(kNetShow));
    EXPECT_EQ(reg.ReadInteger("ProxyPort", 0), 3128) << "the row was written";
    EXPECT_EQ(reg.ReadInteger("ProxyEnabled", -1), 0) << "the grayed state counts as unchecked";
    platform::TRegistry real(platform::RootKey::ClassesRoot);
    ASSERT_TRUE(real.OpenKeyReadOnly(QString(kReal) + "\\HTTPProxySupport"));
    EXPECT_EQ(real.ReadString(QString()), "0");
}

TEST_F(ProxyPageTest, MmsPortIsFourLittleEndianBytesAndPnaWritesItsOwnSupport) {
    platform::TRegistry mms;
    ASSERT_TRUE(mms.OpenKey("\\Software\\Microsoft\\MediaPlayer\\Preferences\\ProxySettings", true));
    RealValue("RTSPProxySupport", "1");
    TForm8 form;
    form.SelectPage(11);
    EXPECT_EQ(Widget<QLineEdit>(form, "Edit5")->text(), "1755");
    Widget<QCheckBox>(form, "CheckBox14")->click();
    ASSERT_TRUE(mms.OpenKeyReadOnly("\\Software\\Microsoft\\MediaPlayer\\Preferences\\ProxySettings\\MMS"));
    EXPECT_EQ(mms.ReadBinaryData("ProxyPort"), QByteArray::fromHex("db060000"));
    EXPECT_EQ(mms.ReadBinaryData("ProxyStyle"), QByteArray::fromHex("02000000"));
    EXPECT_TRUE(Widget<QCheckBox>(form, "CheckBox13")->isChecked());
    Widget<QLineEdit>(form, "Edit9")->setText("554");
    Widget<QCheckBox>(form, "CheckBox15")->click();
    Widget<QCheckBox>(form, "CheckBox15")->click();
    platform::TRegistry real(platform::RootKey::ClassesRoot);
    ASSERT_TRUE(real.OpenKeyReadOnly(QString(kReal) + "\\PNAProxySupport"));
    EXPECT_EQ(real.ReadString(QString()), "0");
    ASSERT_TRUE(real.OpenKeyReadOnly(QString(kReal) + "\\RTSPProxySupport"));
    EXPECT_EQ(real.ReadString(QString()), "1");
}

// No other program makes the MMS and Real keys here: the first run does, and every row can be
// set from then on; the HTTP row the user had stays as it was, not grayed.
TEST_F(ProxyPageTest, KeysMadeAtFirstRunMakeEveryRowUsable) {
    platform::TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kNetShow, true));
    reg.WriteInteger("ProxyEnabled", 1);
    reg.WriteInteger("EnableAutoProxy", 0);
    reg.WriteInteger("ProxyPort", 8080);
    reg.WriteString("ProxyHost", "H");
    QString error;
    ASSERT_TRUE(CreateProxyKeys(&error)) << error.toStdString();
    TForm8 form;
    form.SelectPage(11);
    for (const char* box : {"CheckBox3", "CheckBox14", "CheckBox13", "CheckBox15"})
        EXPECT_TRUE(Widget<QCheckBox>(form, box)->isEnabled()) << box;
    EXPECT_EQ(Widget<QCheckBox>(form, "CheckBox3")->checkState(), Qt::Checked);
    EXPECT_EQ(Widget<QLineEdit>(form, "Edit2")->text(), "H");
    EXPECT_EQ(Widget<QLineEdit>(form, "Edit3")->text(), "8080");
    EXPECT_EQ(Widget<QLineEdit>(form, "Edit5")->text(), "1755");
    Widget<QLineEdit>(form, "Edit6")->setText("10.0.0.1");
    Widget<QLineEdit>(form, "Edit7")->setText("554");
    Widget<QCheckBox>(form, "CheckBox13")->click();
    EXPECT_EQ(platform::RtspStreamProxy(), "http://10.0.0.1:554") << "the RTSP proxy reaches the sources";
    ASSERT_TRUE(CreateProxyKeys(&error));
    EXPECT_EQ(platform::RtspStreamProxy(), "http://10.0.0.1:554") << "a second run keeps what was set";
}

}  // namespace
