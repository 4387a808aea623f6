// The filter-graph component: activation, members, rendering generated files, the events of a run
// to the end on the GUI thread, positions, levels, clearing and rendering again.
#include <gtest/gtest.h>

#include <QtCore/qtestsupport_core.h>

#include <QThread>
#include <limits>

#include "directshow/filter_graph.h"
#include "tests/http_stream_server.h"
#include "tests/media_fixtures.h"
#include "tests/test_support.h"

using namespace directshow;

namespace {

constexpr int kPatience = 20000;  // ms; only an upper bound for waits

// A member that records what the graph tells it; it has no filter of its own.
struct RecordingMember : IFilterProvider {
    std::vector<int> notes;
    FilterPtr GetFilter() const override { return nullptr; }
    QString GetName() const override { return "recorder"; }
    void NotifyFilter(FilterOperation operation, int) override { notes.push_back(operation); }
};

// Every event code in arrival order, and whether each came on the GUI thread.
struct EventLog {
    explicit EventLog(TFilterGraph& graph) {
        QObject::connect(&graph, &TFilterGraph::OnDSEvent, &context, [this](int code, qintptr p1, qintptr) {
            codes.push_back(code);
            params.push_back(p1);
            if (QThread::currentThread() != context.thread()) ++offThread;
        });
    }
    int Count(int code) const { return int(std::count(codes.begin(), codes.end(), code)); }
    int IndexOf(int code) const {
        const auto it = std::find(codes.begin(), codes.end(), code);
        return it == codes.end() ? -1 : int(it - codes.begin());
    }
    bool WaitFor(int code) {
        return QTest::qWaitFor([&] { return Count(code) > 0; }, kPatience);
    }
    QObject context;
    std::vector<int> codes;
    std::vector<qintptr> params;
    int offThread = 0;
};

TEST(FilterGraphState, InactiveGraphDoesNothingAndAnswersSo) {
    TFilterGraph graph;
    EXPECT_FALSE(graph.Run());
    EXPECT_FALSE(graph.Pause());
    EXPECT_FALSE(graph.Stop());
    EXPECT_EQ(graph.RenderFile("/no/such/file.mp4"), S_FALSE);
    graph.ClearGraph();
    EXPECT_EQ(GraphDurationMs(&graph), 0);
    qint64 duration = 0;
    EXPECT_EQ(graph.GetDuration(&duration), E_NOINTERFACE);
    EXPECT_EQ(graph.put_Volume(1), E_INVALIDARG);
    EXPECT_EQ(graph.put_Balance(-10001), E_INVALIDARG);
}

TEST(FilterGraphState, ActivatingTwiceActivatesOnce) {
    TFilterGraph graph;
    int activations = 0;
    QObject::connect(&graph, &TFilterGraph::OnActivate, [&] { ++activations; });
    graph.SetActive(true);
    graph.SetActive(true);
    EXPECT_EQ(activations, 1);
    EXPECT_TRUE(graph.Active());
    graph.SetMode(TGraphMode::gmNormal);
    EXPECT_EQ(activations, 1);
}

TEST(FilterGraphState, AGraphThatCannotBeMadeRaisesItsCodeAndStaysInactive) {
    TFilterGraph graph;
    graph.SetMode(TGraphMode::gmCapture);
    try {
        graph.SetActive(true);
        FAIL() << "activation without a graph raised nothing";
    } catch (const EDirectShowException& e) {
        EXPECT_EQ(e.ErrorCode(), REGDB_E_CLASSNOTREG);
    }
    EXPECT_FALSE(graph.Active());
    EXPECT_FALSE(graph.Run());
    EXPECT_EQ(graph.RenderFile("x.mp4"), S_FALSE);

    graph.SetMode(TGraphMode::gmNormal);
    graph.SetActive(true);
    EXPECT_THROW(graph.SetMode(TGraphMode::gmCapture), EDirectShowException);
    EXPECT_FALSE(graph.Active());
}

TEST(FilterGraphDuration, UnknownIsZeroAndEndlessIsClamped) {
    EXPECT_EQ(DurationToMs(E_FAIL, 123456789), 0);
    EXPECT_EQ(DurationToMs(S_OK, -5), 0);
    EXPECT_EQ(DurationToMs(S_OK, 12345678), 1234);
    EXPECT_EQ(DurationToMs(S_OK, std::numeric_limits<qint64>::max()), std::numeric_limits<int>::max());
    EXPECT_EQ(DurationToMs(S_OK, qint64(1) << 45), std::numeric_limits<int>::max()) << "wrapped";
}

TEST(FilterGraphMembers, NotifiedOnActivationAtOnceWhenActiveAndOnRemoval) {
    TFilterGraph graph;
    RecordingMember early, late;
    graph.AddMember(&early);
    graph.AddMember(&early);
    EXPECT_TRUE(early.notes.empty());
    EXPECT_EQ(graph.Members().size(), 1);
    graph.SetActive(true);
    EXPECT_EQ(early.notes, (std::vector<int>{foAdding, foAdded}));
    graph.AddMember(&late);
    EXPECT_EQ(late.notes, (std::vector<int>{foAdding, foAdded}));
    graph.RemoveMember(&late);
    EXPECT_EQ(late.notes, (std::vector<int>{foAdding, foAdded, foRemoving, foRemoved}));
    graph.SetActive(false);
    EXPECT_EQ(early.notes, (std::vector<int>{foAdding, foAdded, foRemoving, foRemoved}));
    graph.RemoveMember(&early);
    EXPECT_TRUE(graph.Members().isEmpty());
}

class FilterGraphPlayback : public ::testing::Test {
protected:
    void SetUp() override {
        video = MakeMedia(folder.path(), "clip", MediaKind::Mp4Video, 1.0);
        ASSERT_FALSE(video.isEmpty());
        graph.SetActive(true);
    }
    testing_support::TempFolder folder;
    QString video;
    TFilterGraph graph;
};

TEST_F(FilterGraphPlayback, ARunToTheEndReportsItsEventsInOrderOnTheGuiThread) {
    EventLog log(graph);
    EXPECT_EQ(graph.RenderFile(video), S_OK);
    EXPECT_NEAR(GraphDurationMs(&graph), 1000, 100);
    FilterState state;
    EXPECT_EQ(graph.GetState(0, &state), S_OK);
    EXPECT_EQ(state, FilterState::State_Stopped);
    graph.Pause();
    ASSERT_TRUE(log.WaitFor(EC_PAUSED));
    EXPECT_TRUE(graph.Run());
    ASSERT_TRUE(log.WaitFor(EC_COMPLETE));
    QTest::qWait(100);
    EXPECT_EQ(log.Count(EC_PAUSED), 1);
    EXPECT_EQ(log.Count(EC_COMPLETE), 1);
    EXPECT_LT(log.IndexOf(EC_PAUSED), log.IndexOf(EC_COMPLETE));
    const int size = log.IndexOf(EC_VIDEO_SIZE_CHANGED);
    ASSERT_GE(size, 0);
    EXPECT_LT(size, log.IndexOf(EC_COMPLETE));
    EXPECT_EQ(log.params[size], qintptr(320 | (240 << 16)));
    EXPECT_EQ(log.codes.back(), EC_COMPLETE);
    EXPECT_EQ(log.offThread, 0);
    EXPECT_EQ(log.Count(EC_ERRORABORT), 0);
}

// A stream that has run dry cannot reach pause until data comes again: the graph answers the
// pause with "still changing", which Pause reports as False without raising, and the pause is
// announced once the data returns. Run, answered the same way, reports True.
TEST(FilterGraphAsync, APauseTheGraphFinishesLaterAnswersFalseAndIsAnnouncedWhenDone) {
    testing_support::TempFolder folder;
    const QByteArray frames = Mp3Frames(folder);
    ASSERT_FALSE(frames.isEmpty());
    StreamServer server(frames);
    TFilterGraph graph;
    graph.SetActive(true);
    EventLog log(graph);
    ASSERT_EQ(graph.RenderFile(server.Url("/live.mp3")), S_OK);
    server.stalled = true;
    EXPECT_TRUE(graph.Run());
    // The first burst (32 kB, two seconds at 128 kbit/s) plays out.
    QTest::qWait(3500);
    bool paused = true;
    EXPECT_NO_THROW(paused = graph.Pause());
    EXPECT_FALSE(paused);
    FilterState state;
    EXPECT_EQ(graph.GetState(0, &state), VFW_S_STATE_INTERMEDIATE);
    EXPECT_EQ(state, FilterState::State_Paused);
    QTest::qWait(200);
    EXPECT_EQ(log.Count(EC_PAUSED), 0) << "not announced while the pause is pending";
    server.stalled = false;
    ASSERT_TRUE(log.WaitFor(EC_PAUSED));
    EXPECT_EQ(graph.GetState(kPatience, &state), S_OK);
    EXPECT_EQ(log.Count(EC_PAUSED), 1);
}

TEST_F(FilterGraphPlayback, TypedEventsCarryTheirArguments) {
    HRESULT completed = E_FAIL;
    int width = 0, height = 0;
    QObject::connect(&graph, &TFilterGraph::OnGraphComplete, [&](HRESULT r, qintptr) { completed = r; });
    QObject::connect(&graph, &TFilterGraph::OnGraphVideoSizeChanged, [&](quint16 w, quint16 h) {
        width = w;
        height = h;
    });
    graph.DoEvent(EC_VIDEO_SIZE_CHANGED, 176 | (144 << 16), 0);
    graph.DoEvent(EC_COMPLETE, S_OK, 0);
    EXPECT_EQ(completed, S_OK);
    EXPECT_EQ(width, 176);
    EXPECT_EQ(height, 144);
}

TEST_F(FilterGraphPlayback, MissingAndUnplayableFilesRaiseTheirCodes) {
    try {
        graph.RenderFile(folder.file("absent.mp4"));
        FAIL() << "no exception";
    } catch (const EDirectShowException& e) {
        EXPECT_EQ(e.ErrorCode(), HRESULT_FILE_NOT_FOUND);
    }
    folder.write("noise.mp4", QByteArray(4096, 'z'));
    EXPECT_THROW(graph.RenderFile(folder.file("noise.mp4")), EDirectShowException);
    EXPECT_EQ(graph.RenderFile(video), S_OK) << "a failed render leaves the graph usable";
}

TEST_F(FilterGraphPlayback, SeeksInHundredNanosecondUnits) {
    ASSERT_EQ(graph.RenderFile(video), S_OK);
    qint64 target = 5000000;  // 0.5 s
    EXPECT_EQ(graph.SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning), S_OK);
    FilterState state;
    graph.GetState(kPatience, &state);
    qint64 position = -1;
    ASSERT_EQ(graph.GetCurrentPosition(&position), S_OK);
    EXPECT_NEAR(double(position), 5000000.0, 500000.0);
    EXPECT_EQ(graph.put_Volume(-10000), S_OK);
    EXPECT_EQ(graph.put_Balance(10000), S_OK);
    long volume = 1, balance = 0;
    graph.get_Volume(&volume);
    graph.get_Balance(&balance);
    EXPECT_EQ(volume, -10000);
    EXPECT_EQ(balance, 10000);
}

TEST_F(FilterGraphPlayback, ClearedGraphRendersAgainAndDropsTheOldRendersEvents) {
    EventLog log(graph);
    RecordingMember member;
    graph.AddMember(&member);
    ASSERT_EQ(graph.RenderFile(video), S_OK);
    EXPECT_FALSE(graph.FilterFactories().isEmpty());
    graph.Run();
    graph.ClearGraph();
    EXPECT_TRUE(graph.FilterFactories().isEmpty());
    const QString audio = MakeMedia(folder.path(), "tone", MediaKind::Wav, 0.5);
    ASSERT_EQ(graph.RenderFile(audio), S_OK);
    EXPECT_NEAR(GraphDurationMs(&graph), 500, 60);
    graph.Run();
    ASSERT_TRUE(log.WaitFor(EC_COMPLETE));
    QTest::qWait(100);
    EXPECT_EQ(log.Count(EC_COMPLETE), 1);
    EXPECT_EQ(member.notes, (std::vector<int>{foAdding, foAdded})) << "clearing keeps the members";
    graph.Stop();
    EXPECT_TRUE(graph.Stop());
    graph.RemoveMember(&member);
}

}  // namespace
