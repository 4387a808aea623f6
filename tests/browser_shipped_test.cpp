// The shipped station file: GB18030 with CR LF, categories each with stations, every station
// playable by its address or code; and a browser over ten thousand stations.
#include <QFile>

#include "player/browser/station_list.h"
#include "tests/browser_test_support.h"

namespace {

const QString kShipped = QStringLiteral(VELMORA_BUILT_INSTALL_DIR "/Plugins/BCSPlus.ini");

TEST(ShippedStations, EveryCategoryHoldsPlayableStations) {
    QFile file(kShipped);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes.count("\r\n"), bytes.count('\n')) << "every line ends in CR LF";
    platform::TextEncoding found = platform::TextEncoding::Utf8;
    const QStringList lines = platform::SplitLines(platform::DecodeText(bytes, &found));
    EXPECT_EQ(found, platform::TextEncoding::Gb18030);
    EXPECT_EQ(stations::LoadLines(kShipped), lines) << "nothing to drop or lift";
    ASSERT_GE(stations::CategoryNames(lines).size(), 3);
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        if (stations::Depth(line) == 0) {
            EXPECT_GT(stations::DescendantCount(lines, i), 0) << line.toStdString();
            continue;
        }
        EXPECT_FALSE(stations::DisplayName(line).isEmpty()) << line.toStdString();
        const QString url = stations::UrlOf(line);
        EXPECT_TRUE(!stations::CodeOf(line).isEmpty() || (url.contains(u"://"_qs) && line.endsWith(u"?>"_qs)))
            << line.toStdString();
    }
}

using BigStationFile = browser_test::BrowserFixture;

TEST_F(BigStationFile, TenThousandStationsLoadAndAreFound) {
    QStringList lines;
    for (int c = 0; c < 100; ++c) {
        lines << u"Category %1"_qs.arg(c);
        for (int s = 0; s < 100; ++s) lines << u"\tStation %1-%2<?http://127.0.0.1:9/%1/%2?>"_qs.arg(c).arg(s);
    }
    ASSERT_TRUE(platform::WriteTextLines(StationFile(), lines));
    ASSERT_TRUE(Open());
    EXPECT_EQ(Form5->TreeView1->topLevelItemCount(), 100);
    TypeText(u"station 99-99"_qs);
    KeyUp(Qt::Key_Return);
    EXPECT_EQ(Form5->SelectedIndex(), lines.size() - 1);
    EXPECT_EQ(Form5->TreeView1->currentItem()->text(0), "Station 99-99");
}

}  // namespace
