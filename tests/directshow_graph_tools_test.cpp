// The filter graph's tools around playback: listeners, automatic creation, the graph viewer's
// table, the debug log file, the lists of filters and pins, a member decoder put into the stream,
// and a handler's exception shown as an error box.
#include <gtest/gtest.h>

#include <QtCore/qtestsupport_core.h>

#include <QFile>
#include <QThread>
#include <atomic>
#include <stdexcept>
#include <thread>

#include "directshow/filter.h"
#include "directshow/filter_graph.h"
#include "directshow/filter_list.h"
#include "directshow/graph_registry.h"
#include "directshow/gst_filter.h"
#include "directshow/sys_dev_enum.h"
#include "platform/message_box.h"
#include "tests/media_fixtures.h"
#include "tests/test_support.h"

using namespace directshow;

namespace {

constexpr int kPatience = 20000;  // ms; only an upper bound for waits

struct RecordingListener : IGraphListener {
    std::vector<std::pair<int, int>> controls;
    std::vector<int> events;
    void GraphEvent(int event, qintptr, qintptr) override { events.push_back(event); }
    void ControlEvent(int event, int param) override { controls.emplace_back(event, param); }
};

bool Waits(std::vector<int>& events, int code) {
    return QTest::qWaitFor([&] { return std::count(events.begin(), events.end(), code) > 0; }, kPatience);
}

class GraphTools : public ::testing::Test {
protected:
    void SetUp() override {
        tone = MakeMedia(folder.path(), "tone", MediaKind::Wav, 0.3);
        ASSERT_FALSE(tone.isEmpty());
    }
    testing_support::TempFolder folder;
    QString tone;
};

TEST_F(GraphTools, ListenersHearEveryControlOperationAndEveryEvent) {
    RecordingListener listener;
    {
        TFilterGraph graph;
        graph.AddListener(&listener);
        graph.AddListener(&listener);
        graph.SetActive(true);
        ASSERT_EQ(graph.RenderFile(tone), S_OK);
        graph.Pause();
        graph.Run();
        ASSERT_TRUE(Waits(listener.events, EC_COMPLETE));
        graph.Stop();
    }
    const std::vector<std::pair<int, int>> expected = {{cpeActive, 1}, {cpeRendering, 0}, {cpeRendered, 0},
                                                       {cpePause, 0},  {cpeRun, 0},       {cpeStop, 0},
                                                       {cpeActive, 0}};
    EXPECT_EQ(listener.controls, expected) << "added twice, heard once";
    EXPECT_EQ(std::count(listener.events.begin(), listener.events.end(), EC_COMPLETE), 1);
}

TEST_F(GraphTools, AutoCreateActivatesWhenLoaded) {
    TFilterGraph plain, automatic;
    plain.Loaded();
    EXPECT_FALSE(plain.Active());
    automatic.SetAutoCreate(true);
    EXPECT_FALSE(automatic.Active());
    automatic.Loaded();
    EXPECT_TRUE(automatic.Active());
}

QList<RunningGraph> GraphsNamed(const QString& name) {
    QList<RunningGraph> out;
    for (const RunningGraph& entry : RunningGraphs()) {
        if (entry.itemName == name) out << entry;
    }
    return out;
}

TEST_F(GraphTools, GraphEditRegistersTheActiveGraphWithItsDump) {
    TFilterGraph graph;
    const QString name = QStringLiteral("FilterGraph %1 pid %2")
                             .arg(QString::asprintf("%p", static_cast<void*>(&graph)))
                             .arg(QString::number(QCoreApplication::applicationPid(), 16));
    graph.SetGraphEdit(true);
    EXPECT_TRUE(graph.GraphEdit());
    EXPECT_TRUE(GraphsNamed(name).isEmpty()) << "an inactive graph is only marked";
    graph.SetActive(true);
    ASSERT_EQ(GraphsNamed(name).size(), 1);
    ASSERT_EQ(graph.RenderFile(tone), S_OK);
    const QByteArray dump = DumpRunningGraph(GraphsNamed(name).front().cookie);
    EXPECT_TRUE(dump.startsWith("digraph")) << dump.left(40).constData();
    EXPECT_TRUE(dump.contains("uridecodebin"));
    graph.SetActive(false);
    EXPECT_TRUE(GraphsNamed(name).isEmpty());
    graph.SetActive(true);
    ASSERT_EQ(GraphsNamed(name).size(), 1) << "registered again at the next activation";
    graph.SetGraphEdit(false);
    EXPECT_TRUE(GraphsNamed(name).isEmpty());
    EXPECT_EQ(RevokeGraphFromROT(0), E_INVALIDARG);
}

// A viewer dumps from its own thread while the player takes graphs down and makes them again:
// each dump is of a whole graph or of none (a dump that outlived its graph read freed memory).
TEST_F(GraphTools, DumpsFromAnotherThreadWhileGraphsComeAndGo) {
    std::atomic<bool> done{false};
    std::atomic<int> dumps{0};
    std::thread viewer([&] {
        while (!done) {
            for (const RunningGraph& entry : RunningGraphs()) {
                if (!DumpRunningGraph(entry.cookie).isEmpty()) ++dumps;
            }
        }
    });
    for (int i = 0; i < 40; ++i) {
        TFilterGraph graph;
        graph.SetActive(true);
        graph.SetGraphEdit(true);
        QThread::msleep(2);
    }
    done = true;
    viewer.join();
    EXPECT_GT(dumps.load(), 0) << "the viewer saw the graphs";
}

TEST_F(GraphTools, LogFileTakesTheGraphsDebugLogAndAFileThatCannotBeMadeChangesNothing) {
    const QString path = folder.file("graph.log");
    folder.write("graph.log", "old text that must go\n");
    TFilterGraph graph;
    graph.SetLogFile(path);
    EXPECT_EQ(graph.LogFile(), path);
    graph.SetActive(true);
    ASSERT_EQ(graph.RenderFile(tone), S_OK);
    graph.Run();
    QTest::qWait(50);
    const QByteArray log = folder.read("graph.log");
    EXPECT_FALSE(log.contains("old text")) << "the file is made anew";
    EXPECT_TRUE(log.contains("uridecodebin")) << log.left(200).constData();

    graph.SetLogFile(folder.file("no/such/folder/graph.log"));
    EXPECT_EQ(graph.LogFile(), path);
    const qint64 size = QFile(path).size();
    graph.ClearGraph();
    ASSERT_EQ(graph.RenderFile(tone), S_OK);
    EXPECT_EQ(QFile(path).size(), size) << "logging stopped";

    graph.SetLogFile(QString());
    EXPECT_TRUE(graph.LogFile().isEmpty());
}

// A thread logs about the graph's element without pause while logs are made and taken down: a
// thread still in the log function of a log just removed must not write through a freed log.
TEST_F(GraphTools, LogsTakenDownWhileAThreadLogsAboutTheGraph) {
    TFilterGraph graph;
    graph.SetActive(true);
    ASSERT_EQ(graph.RenderFile(tone), S_OK);
    TFilterList filters(&graph);
    ASSERT_GT(filters.Count(), 0);
    const FilterPtr member = filters.GetFilter(0);
    GstElement* element = member->Element();
    std::atomic<bool> done{false};
    std::thread talker([&] {
        while (!done) GST_CAT_INFO_OBJECT(GST_CAT_DEFAULT, element, "talking");
    });
    graph.SetLogFile(folder.file("first.log"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile(folder.file("first.log")).size() > 0; }, kPatience))
        << "the thread's messages reach the log";
    for (int i = 0; i < 200; ++i) graph.SetLogFile(folder.file(QStringLiteral("graph%1.log").arg(i % 2)));
    graph.SetLogFile(QString());
    done = true;
    talker.join();
}

TEST_F(GraphTools, FilterAndPinListsWalkTheGraph) {
    TFilterGraph graph;
    EXPECT_EQ(TFilterList(&graph).Count(), 0) << "an inactive graph holds nothing";
    graph.SetActive(true);
    ASSERT_EQ(graph.RenderFile(tone), S_OK);
    TFilterList filters(&graph);
    ASSERT_GT(filters.Count(), 2);
    FilterPtr source;
    for (int i = 0; i < filters.Count(); ++i) {
        if (FilterFactoryName(filters.GetFilter(i).get()) == "uridecodebin") source = filters.GetFilter(i);
    }
    ASSERT_TRUE(source);
    EXPECT_THROW(filters.GetFilter(filters.Count()), std::out_of_range);
    const int count = filters.Count();
    EXPECT_GE(filters.Remove(source), 0);
    EXPECT_EQ(filters.Remove(source), -1);
    EXPECT_EQ(filters.Add(source), count - 1);

    TPinList pins(source);
    ASSERT_EQ(pins.Count(), 1) << "the decoded sound";
    PinPtr pin = pins.GetPin(0);
    EXPECT_EQ(pin->Direction(), PINDIR_OUTPUT);
    EXPECT_TRUE(pin->IsConnected());
    graph.DisconnectAll();
    EXPECT_FALSE(pin->IsConnected());
    EXPECT_EQ(pin->Disconnect(), S_FALSE);
    TFilterList after(&graph);
    for (int i = 0; i < after.Count(); ++i) {
        TPinList each(after.GetFilter(i));
        for (int j = 0; j < each.Count(); ++j) EXPECT_FALSE(each.GetPin(j)->IsConnected());
    }
}

TEST_F(GraphTools, TheMpegDecoderAMonikerNamesDecodesTheStream) {
    const QString song = MakeMedia(folder.path(), "song", MediaKind::Mp3, 0.5);
    ASSERT_FALSE(song.isEmpty());
    TSysDevEnum devices(CLSID_LegacyAmFilterCategory);
    MonikerPtr decoderMoniker;
    for (int i = 0; i < devices.FilterCount(); ++i) {
        TDeviceFilterRecord record;
        devices.GetFilterInfo(i, &record);
        if (record.FriendlyName == QLatin1String(kMpegAudioDecoderName)) decoderMoniker = devices.GetMoniker(i);
    }
    ASSERT_TRUE(decoderMoniker);
    RecordingListener listener;  // outlives the graph, which tells it when it goes
    TFilterGraph graph;
    TFilter decoder;
    decoder.BaseFilter().SetMoniker(decoderMoniker);
    decoder.SetFilterGraph(&graph);
    graph.SetActive(true);
    graph.AddListener(&listener);
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(graph.RenderFile(song), S_OK);
        TPinList pins(decoder.GetFilter());
        ASSERT_EQ(pins.Count(), 2);
        EXPECT_TRUE(pins.GetPin(0)->IsConnected()) << "round " << round;
        EXPECT_TRUE(pins.GetPin(1)->IsConnected()) << "round " << round;
        graph.Run();
        ASSERT_TRUE(Waits(listener.events, EC_COMPLETE));
        EXPECT_EQ(std::count(listener.events.begin(), listener.events.end(), EC_ERRORABORT), 0);
        listener.events.clear();
        graph.ClearGraph();
    }
    ASSERT_EQ(graph.RenderFile(tone), S_OK);
    EXPECT_FALSE(TPinList(decoder.GetFilter()).GetPin(0)->IsConnected()) << "a stream it cannot take";
    decoder.SetFilterGraph(nullptr);
}

TEST_F(GraphTools, AHandlersExceptionIsShownAndLaterEventsStillArrive) {
    QStringList shown;
    platform::SetMessageRecorder([&](const QString& text, const QString&, platform::MessageIcon icon) {
        shown << text;
        EXPECT_EQ(icon, platform::MessageIcon::Error);
    });
    RecordingListener listener;  // outlives the graph, which tells it when it goes
    TFilterGraph graph;
    graph.AddListener(&listener);
    QObject::connect(&graph, &TFilterGraph::OnGraphPaused, [](HRESULT) { throw std::runtime_error("暂停处理失败"); });
    graph.SetActive(true);
    ASSERT_EQ(graph.RenderFile(tone), S_OK);
    graph.Pause();
    ASSERT_TRUE(Waits(listener.events, EC_PAUSED));
    graph.Run();
    EXPECT_TRUE(Waits(listener.events, EC_COMPLETE));
    platform::SetMessageRecorder({});
    EXPECT_EQ(shown, QStringList{"暂停处理失败"});
}

}  // namespace
