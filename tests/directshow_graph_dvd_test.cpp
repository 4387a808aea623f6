// The filter graph's DVD events: the dispatch of every code and its arguments, and a DVD folder
// authored here played through the DVD graph, its events arriving the way the graph's others do.
#include <gtest/gtest.h>

#include <QtCore/qtestsupport_core.h>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include "directshow/filter_graph.h"
#include "tests/gst_encode.h"
#include "tests/test_support.h"

using namespace directshow;

namespace {

constexpr int kPatience = 30000;  // ms; only an upper bound for waits

// Which DVD signals fired, as text, in order.
struct DvdLog {
    explicit DvdLog(TFilterGraph& graph) {
        auto note = [this](const QString& text) { return [this, text] { lines << text; }; };
        QObject::connect(&graph, &TFilterGraph::OnDVDDomainFirstPlay, &context, note("first play"));
        QObject::connect(&graph, &TFilterGraph::OnDVDDomainVideoManagerMenu, &context, note("manager menu"));
        QObject::connect(&graph, &TFilterGraph::OnDVDDomainVideoTitleSetMenu, &context, note("title set menu"));
        QObject::connect(&graph, &TFilterGraph::OnDVDDomainTitle, &context, note("title domain"));
        QObject::connect(&graph, &TFilterGraph::OnDVDDomainStop, &context, note("stop domain"));
        QObject::connect(&graph, &TFilterGraph::OnDVDErrorCopyProtectFail, &context, note("copy protect"));
        QObject::connect(&graph, &TFilterGraph::OnDVDErrorIncompatibleDiscAndDecoderRegions, &context,
                         note("disc regions"));
        QObject::connect(&graph, &TFilterGraph::OnDVDWarningIllegalNavCommand, &context, note("illegal command"));
        QObject::connect(&graph, &TFilterGraph::OnDVDWarningRead, &context, note("read warning"));
        QObject::connect(&graph, &TFilterGraph::OnDVDStillOff, &context, note("still off"));
        QObject::connect(&graph, &TFilterGraph::OnDVDDiscEjected, &context, note("ejected"));
        QObject::connect(&graph, &TFilterGraph::OnDVDTitleChange, &context,
                         [this](int title) { lines << QStringLiteral("title %1").arg(title); });
        QObject::connect(&graph, &TFilterGraph::OnDVDChapterStart, &context,
                         [this](int chapter) { lines << QStringLiteral("chapter %1").arg(chapter); });
        QObject::connect(&graph, &TFilterGraph::OnDVDAngleChange, &context, [this](int total, int current) {
            lines << QStringLiteral("angle %1 of %2").arg(current).arg(total);
        });
        QObject::connect(&graph, &TFilterGraph::OnGraphComplete, &context, [this] { lines << "complete"; });
    }
    QObject context;
    QStringList lines;
};

TEST(FilterGraphDvdEvents, DomainsErrorsAndWarningsPickTheirEventByTheFirstParameter) {
    TFilterGraph graph;
    DvdLog log(graph);
    for (int domain = 0; domain <= 6; ++domain) graph.DoEvent(EC_DVD_DOMAIN_CHANGE, domain, 0);
    graph.DoEvent(EC_DVD_ERROR, 2, 0);
    graph.DoEvent(EC_DVD_ERROR, 8, 0);
    graph.DoEvent(EC_DVD_ERROR, 9, 0);
    graph.DoEvent(EC_DVD_WARNING, 3, 0);
    graph.DoEvent(EC_DVD_WARNING, 6, 0);
    graph.DoEvent(EC_DVD_WARNING, 7, 0);
    graph.DoEvent(EC_DVD_STILL_OFF, 0, 0);
    graph.DoEvent(EC_DVD_DISC_EJECTED, 0, 0);
    EXPECT_EQ(log.lines, QStringList({"first play", "manager menu", "title set menu", "title domain", "stop domain",
                                      "copy protect", "disc regions", "illegal command", "read warning", "still off",
                                      "ejected"}));
}

TEST(FilterGraphDvdEvents, TimeCodesAreDecodedFromTheirNibbles) {
    TFilterGraph graph;
    std::vector<int> time;
    QObject::connect(&graph, &TFilterGraph::OnDVDCurrentTime, [&](int h, int m, int s, int f, int rate) {
        time = {h, m, s, f, rate};
    });
    // 01:23:45, frame 12, at 25 frames a second: units before tens in each field.
    graph.DoEvent(EC_DVD_CURRENT_TIME, qintptr(0x10325425u), 0);
    EXPECT_EQ(time, (std::vector<int>{1, 23, 45, 12, 25}));
    graph.DoEvent(EC_DVD_CURRENT_TIME, qintptr(0x00000003u), 0);
    EXPECT_EQ(time.back(), 30);
    graph.DoEvent(EC_DVD_CURRENT_TIME, qintptr(0x00000002u), 0);
    EXPECT_EQ(time.back(), 0) << "neither 25 nor 30 frames a second";

    DVD_HMSF_TIMECODE hmsf{};
    DvdTimeCode unpacked{};
    QObject::connect(&graph, &TFilterGraph::OnDVDCurrentHMSFTime, [&](DVD_HMSF_TIMECODE a, DvdTimeCode b) {
        hmsf = a;
        unpacked = b;
    });
    graph.DoEvent(EC_DVD_CURRENT_HMSF_TIME, qintptr(0x04030201u), qintptr(0x12345678u));
    EXPECT_EQ(hmsf.bHours, 1);
    EXPECT_EQ(hmsf.bMinutes, 2);
    EXPECT_EQ(hmsf.bSeconds, 3);
    EXPECT_EQ(hmsf.bFrames, 4);
    EXPECT_EQ(unpacked, (DvdTimeCode{1, 2, 3, 4, 5, 6, 7, 2, 0}));
}

TEST(FilterGraphDvdEvents, ArgumentsAreConvertedAsEachEventTakesThem) {
    TFilterGraph graph;
    float rate = 0;
    bool noButton = false, available = false, karaoke = true;
    int seconds = 0, total = 0, current = 0;
    quint32 button = 0, command = 0;
    QObject::connect(&graph, &TFilterGraph::OnDVDPlaybackRateChange, [&](float r) { rate = r; });
    QObject::connect(&graph, &TFilterGraph::OnDVDStillOn, [&](bool n, int s) {
        noButton = n;
        seconds = s;
    });
    QObject::connect(&graph, &TFilterGraph::OnDVDButtonChange, [&](int t, int c) {
        total = t;
        current = c;
    });
    QObject::connect(&graph, &TFilterGraph::OnDVDAnglesAvailable, [&](bool a) { available = a; });
    QObject::connect(&graph, &TFilterGraph::OnDVDKaraokeMode, [&](bool p) { karaoke = p; });
    QObject::connect(&graph, &TFilterGraph::OnDVDButtonAutoActivated, [&](quint32 b) { button = b; });
    QObject::connect(&graph, &TFilterGraph::OnDVDCMDEnd, [&](quint32 c) { command = c; });
    graph.DoEvent(EC_DVD_PLAYBACK_RATE_CHANGE, 20000, 0);
    graph.DoEvent(EC_DVD_STILL_ON, 2, 7);
    graph.DoEvent(EC_DVD_BUTTON_CHANGE, 5, 3);
    graph.DoEvent(EC_DVD_ANGLES_AVAILABLE, 1, 0);
    graph.DoEvent(EC_DVD_KARAOKE_MODE, 0, 0);
    graph.DoEvent(EC_DVD_BUTTON_AUTO_ACTIVATED, 4, 0);
    graph.DoEvent(EC_DVD_CMD_END, 99, 0);
    EXPECT_FLOAT_EQ(rate, 2.0f);
    EXPECT_FALSE(noButton) << "only 1 means no button";
    EXPECT_EQ(seconds, 7);
    EXPECT_EQ(total, 5);
    EXPECT_EQ(current, 3);
    EXPECT_TRUE(available);
    EXPECT_FALSE(karaoke);
    EXPECT_EQ(button, 4u);
    EXPECT_EQ(command, 99u);
}

TEST(FilterGraphDvdEvents, AStreamWhoseLanguageIsUnknownReachesNoHandler) {
    TFilterGraph graph;
    int calls = 0, dsEvents = 0;
    QObject::connect(&graph, &TFilterGraph::OnDSEvent, [&] { ++dsEvents; });
    QObject::connect(&graph, &TFilterGraph::OnDVDAudioStreamChange, [&] { ++calls; });
    graph.DoEvent(EC_DVD_AUDIO_STREAM_CHANGE, 0, 0);
    graph.SetActive(true);
    graph.DoEvent(EC_DVD_AUDIO_STREAM_CHANGE, 0, 0);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(dsEvents, 2) << "every event reaches the general handler";
}

// A DVD folder of two seconds of PAL picture and English AC-3 sound, authored once for the suite.
class DvdGraph : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (QStandardPaths::findExecutable("dvdauthor").isEmpty() ||
            !HaveElements({"mpeg2enc", "mplex", "avenc_ac3", "rsndvdbin"}))
            return;
        disc = new testing_support::TempFolder;
        const QString clip = disc->file("clip.mpg");
        if (!EncodeWith(QStringLiteral(
                "mplex name=mux format=8 ! filesink location=%1 "
                "videotestsrc num-buffers=50 ! video/x-raw,width=720,height=576,framerate=25/1 ! mpeg2enc format=8 ! "
                "mux. audiotestsrc num-buffers=100 ! audio/x-raw,rate=48000,channels=2 ! avenc_ac3 ! mux.")
                             .arg(clip)))
            return;
        const QString out = disc->file("disc");
        QProcess author;
        author.setProcessChannelMode(QProcess::MergedChannels);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("VIDEO_FORMAT", "PAL");
        author.setProcessEnvironment(environment);
        for (const QStringList& arguments : {QStringList{"-o", out, "-t", "-a", "ac3+en", clip}, QStringList{"-o", out, "-T"}}) {
            author.start("dvdauthor", arguments);
            if (!author.waitForFinished(60000) || author.exitCode() != 0) {
                std::fprintf(stderr, "dvdauthor: %s\n", author.readAll().constData());
                return;
            }
        }
        dvd = out;
    }
    static void TearDownTestSuite() {
        delete disc;
        disc = nullptr;
    }
    void SetUp() override {
        if (dvd.isEmpty()) GTEST_SKIP() << "no DVD folder: dvdauthor or the DVD elements are missing";
        graph.SetMode(TGraphMode::gmDVD);
        graph.SetActive(true);
    }
    static inline testing_support::TempFolder* disc = nullptr;
    static inline QString dvd;
    testing_support::TempFolder folder;
    TFilterGraph graph;
};

TEST_F(DvdGraph, PlaysAnAuthoredFolderAndReportsWhereItIs) {
    DvdLog log(graph);
    ASSERT_EQ(graph.RenderFile(dvd), S_OK);
    EXPECT_TRUE(graph.Run());
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.lines.contains("complete"); }, kPatience));
    QTest::qWait(100);
    EXPECT_EQ(log.lines.count("title 1"), 1) << log.lines.join(", ").toStdString();
    EXPECT_EQ(log.lines.count("chapter 1"), 1);
    EXPECT_TRUE(log.lines.contains("angle 1 of 1"));
    const auto at = [&](const char* line) { return log.lines.indexOf(line); };
    ASSERT_GE(at("title domain"), 0);
    EXPECT_LT(at("title domain"), at("title 1"));
    EXPECT_LT(at("title 1"), at("chapter 1"));
    EXPECT_EQ(log.lines.mid(log.lines.size() - 2), QStringList({"stop domain", "complete"}));
}

TEST_F(DvdGraph, AStreamChangeNamesTheLanguageTheDiscGivesIt) {
    ASSERT_EQ(graph.RenderFile(dvd), S_OK);
    int stream = -1, lcid = -1;
    QString language;
    QObject::connect(&graph, &TFilterGraph::OnDVDAudioStreamChange, [&](int s, int id, const QString& name) {
        stream = s;
        lcid = id;
        language = name;
    });
    graph.DoEvent(EC_DVD_AUDIO_STREAM_CHANGE, 0, 0);
    EXPECT_EQ(stream, 0);
    EXPECT_EQ(lcid, 0x09);
    EXPECT_EQ(language, "English");
}

TEST_F(DvdGraph, AMissingFolderRaisesFileNotFound) {
    try {
        graph.RenderFile(folder.file("no-disc"));
        FAIL() << "no exception";
    } catch (const EDirectShowException& e) {
        EXPECT_EQ(e.ErrorCode(), HRESULT_FILE_NOT_FOUND);
    }
}

}  // namespace
