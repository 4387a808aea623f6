// A main window over a skin and a station file the test writes, with the browser open, message
// boxes and yes/no questions recorded instead of shown, and the playlist adding without playing.
#pragma once

#include <QApplication>
#include <QKeyEvent>

#include "platform/message_box.h"
#include "platform/text_file.h"
#include "player/browser/browser_prompts.h"
#include "player/browser/form5.h"
#include "player/playlist/playlist_box.h"
#include "tests/skin_test_support.h"

namespace browser_test {

// Nodes 0..7: 音乐 (Jazz One, Deep given with two tabs, Coded), a blank line, 新闻 (World), Empty.
inline QStringList StationFixture() {
    return {u"音乐"_qs,
            u"\tJazz One<?http://127.0.0.1:9/jazz?>"_qs,
            u"\t\tDeep<?http://127.0.0.1:9/deep?>"_qs,
            u"\tCoded<:radio.example.com/live"_qs,
            u""_qs,
            u"新闻"_qs,
            u"\tWorld<?http://127.0.0.1:9/world?>"_qs,
            u"Empty"_qs};
}

class BrowserFixture : public skin_test::SkinFixture {
protected:
    void SetUp() override {
        SkinFixture::SetUp();
        ASSERT_TRUE(platform::WriteTextLines(dir_.file("Plugins/BCSPlus.ini"), StationFixture()));
        platform::SetMessageRecorder([this](const QString& text, const QString& caption, platform::MessageIcon) {
            messages_ << caption + u'|' + text;
        });
        browser::SetAnswerer([this](const QString& text, const QString& caption) {
            questions_ << caption + u'|' + text;
            return answer_;
        });
    }
    void TearDown() override {
        SkinFixture::TearDown();
        platform::SetMessageRecorder({});
        browser::SetAnswerer({});
    }
    bool Open() {
        SkinFixture::Open();
        if (ListBox1) ListBox1->AutoPlayNewFile = false;
        return Form5 && ListBox1;
    }
    QString StationFile() const { return dir_.file("Plugins/BCSPlus.ini"); }
    QStringList FileLines() const {
        QStringList lines;
        platform::ReadTextLines(StationFile(), &lines);
        return lines;
    }
    void Select(int index) const { Form5->TreeView1->setCurrentItem(Form5->NodeAt(index)); }
    static void TypeText(const QString& text) {
        for (const QChar c : text) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(Form5->Edit1, &key);
        }
    }
    static void KeyUp(int key) {
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(Form5->Edit1, &release);
    }
    // The tree shows the raw list node for node, and, once saved, the file holds the raw list.
    void ExpectInStep(bool saved = true) const {
        const QStringList& lines = Form5->StationLines();
        int index = 0;
        for (int i = 0; i < Form5->TreeView1->topLevelItemCount(); ++i) {
            QTreeWidgetItem* top = Form5->TreeView1->topLevelItem(i);
            EXPECT_EQ(lines.value(index++), top->text(0));
            for (int c = 0; c < top->childCount(); ++c)
                EXPECT_TRUE(lines.value(index++).startsWith(u'\t' + top->child(c)->text(0)));
        }
        EXPECT_EQ(index, lines.size());
        if (saved && QFileInfo(StationFile()).isFile()) {
            EXPECT_EQ(FileLines(), lines);
        }
    }

    QStringList messages_;
    QStringList questions_;
    bool answer_ = true;
};

}  // namespace browser_test
