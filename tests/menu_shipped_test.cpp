// The shipped Plugins/MenuPlus.ini: its encoding, one line for every command, hotkeys that never
// share a key within a window, and menus that build whole.
#include <QFile>

#include "player/core/key_mapping.h"
#include "player/display/display.h"
#include "player/playback/run.h"
#include "tests/menu_test_support.h"

namespace {

const QString kShipped = QStringLiteral(VELMORA_BUILT_INSTALL_DIR "/Plugins/MenuPlus.ini");

const QStringList kCommands{
    u"0.1"_qs,  u"0.2"_qs,  u"0.3"_qs,  u"0.4"_qs,  u"0.5"_qs,  u"0.6"_qs,  u"0.7"_qs,  u"0.8"_qs,  u"0.9"_qs,
    u"0.10"_qs, u"0.11"_qs, u"0.12"_qs, u"0.13"_qs, u"1.1"_qs,  u"1.3"_qs,  u"1.4"_qs,  u"1.6"_qs,  u"1.7"_qs,
    u"1.9"_qs,  u"1.10"_qs, u"1.11"_qs, u"1.12"_qs, u"1.13"_qs, u"1.14"_qs, u"1.15"_qs, u"1.16"_qs, u"1.17"_qs,
    u"1.19"_qs, u"1.22"_qs, u"1.24"_qs, u"1.26"_qs, u"1.27"_qs, u"1.28"_qs, u"1.29"_qs, u"2.1"_qs,  u"2.2"_qs,
    u"2.3"_qs,  u"2.4"_qs,  u"2.5"_qs,  u"2.7"_qs,  u"2.8"_qs,  u"2.9"_qs,  u"2.11"_qs, u"2.12"_qs, u"2.14"_qs,
    u"2.15"_qs, u"2.16"_qs, u"2.17"_qs, u"2.18"_qs, u"2.19"_qs, u"2.21"_qs, u"2.22"_qs, u"2.23"_qs, u"2.24"_qs,
    u"2.31"_qs, u"2.32"_qs, u"2.33"_qs, u"3.1"_qs,  u"3.2"_qs,  u"3.3"_qs,  u"3.4"_qs,  u"4.1"_qs,  u"5.1"_qs,
    u"5.2"_qs,  u"5.3"_qs,  u"5.4"_qs,  u"6.1"_qs,  u"6.2"_qs,  u"6.3"_qs,  u"6.4"_qs,  u"6.5"_qs,  u"6.6"_qs,
    u"7.1"_qs,  u"7.2"_qs,  u"7.3"_qs,  u"8.1"_qs,  u"8.2"_qs,  u"8.3"_qs,
};

QStringList ShippedLines() {
    QStringList lines;
    EXPECT_TRUE(platform::ReadTextLines(kShipped, &lines));
    return lines;
}

class ShippedMenuTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        QFile source(kShipped);
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        dir_.write("Plugins/MenuPlus.ini", source.readAll());
    }
};

}  // namespace

TEST(ShippedMenuFile, IsSystemCodePageTextWithCrLfLines) {
    QFile file(kShipped);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    platform::TextEncoding found = platform::TextEncoding::Utf8;
    const QString text = platform::DecodeText(bytes, &found);
    EXPECT_EQ(found, platform::TextEncoding::Gb18030);
    EXPECT_TRUE(text.contains(u"1.124=停止#V%11110"_qs));
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), bytes.count('\n'));
}

TEST(ShippedMenuFile, EveryCommandHasExactlyOneLine) {
    QStringList ids;
    for (const QString& line : ShippedLines()) {
        const qsizetype eq = line.indexOf(u'=');
        ASSERT_GE(eq, 3) << line.toStdString();
        ids << line.left(eq - 1);
    }
    for (const QString& command : kCommands) EXPECT_EQ(ids.count(command), 1) << command.toStdString();
    for (const QString& id : ids) EXPECT_EQ(ids.count(id), 1) << id.toStdString();
}

TEST_F(ShippedMenuTest, NoKeyServesTwoLinesInOneWindow) {
    LoadHotkeys();
    ASSERT_NE(Ctrl->Hotkeys, nullptr);
    const QStringList& table = *Ctrl->Hotkeys;
    ASSERT_GE(table.size(), 3 * 30);
    for (qsizetype a = 2; a < table.size(); a += 3) {
        for (qsizetype b = a + 3; b < table.size(); b += 3) {
            if (table[a].compare(table[b], Qt::CaseInsensitive) != 0) continue;
            for (int window = 0; window < 5; ++window)
                EXPECT_FALSE(table[a - 1][window] == u'1' && table[b - 1][window] == u'1')
                    << table[a - 2].toStdString() << " and " << table[b - 2].toStdString();
        }
    }
}

TEST_F(ShippedMenuTest, EveryMenuBuildsWhole) {
    for (int number = 1; number <= 8; ++number) {
        const QString menu = QString::number(number);
        Ctrl->Menu->PopupAt(menu, QPoint(0, 0));
        QMenu* popup = Ctrl->Menu->PopupMenu(number);
        popup->hide();
        EXPECT_FALSE(popup->actions().isEmpty()) << number;
    }
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join(u'\n').toStdString();
    QMenu* main = Ctrl->Menu->PopupMenu(1);
    for (const QString& name : {u"a124"_qs, u"a241"_qs, u"a264"_qs, u"a274"_qs, u"a291"_qs})
        EXPECT_NE(Find(main, name), nullptr) << name.toStdString();
    EXPECT_EQ(Find(main, u"a274"_qs)->menu(), nullptr);
    EXPECT_EQ(Find(main, u"a251"_qs)->menu()->actions().last()->objectName(), u"a1000"_qs);
}

TEST_F(ShippedMenuTest, StopAndSettingsHaveMainWindowHotkeys) {
    const TVirtualKey stop = MapQtKey(Qt::Key_V, Qt::NoModifier);
    Ctrl->Run->Position = 1000;
    SkinKeyDown(form_, stop.Key, stop.Shift, stop.Alt, stop.Ctrl);
    EXPECT_EQ(Ctrl->Run->Position, 0);
    const TVirtualKey settings = MapQtKey(Qt::Key_P, Qt::ControlModifier);
    SkinKeyDown(form_, settings.Key, settings.Shift, settings.Alt, settings.Ctrl);
    EXPECT_EQ(calls_, QStringList{u"settings -1"_qs});
}

TEST_F(ShippedMenuTest, PauseHasANamedKeyAndUnnamedKeysRunNothing) {
    LoadHotkeys();
    ASSERT_NE(Ctrl->Hotkeys, nullptr);
    const QStringList& table = *Ctrl->Hotkeys;
    for (qsizetype i = 2; i < table.size(); i += 3)
        EXPECT_GT(table[i].size(), 3) << table[i - 2].toStdString() << " has a hotkey without a key name";
    const qsizetype pause = table.indexOf(u"1.11"_qs);
    ASSERT_GE(pause, 0);
    EXPECT_EQ(table[pause + 2], u"000C"_qs);
    for (const int unnamed : {int(Qt::Key_Tab), int(Qt::Key_Backspace), int(Qt::Key_CapsLock), int(Qt::Key_NumLock),
                              int(Qt::Key_Menu), int(Qt::Key_F13), int(Qt::Key_F24)}) {
        const TVirtualKey key = MapQtKey(unnamed, Qt::NoModifier);
        EXPECT_FALSE(SkinKeyDown(form_, key.Key, key.Shift, key.Alt, key.Ctrl)) << unnamed;
    }
    const TVirtualKey c = MapQtKey(Qt::Key_C, Qt::NoModifier);
    EXPECT_TRUE(SkinKeyDown(form_, c.Key, c.Shift, c.Alt, c.Ctrl));
}
