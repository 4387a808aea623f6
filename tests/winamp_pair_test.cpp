// The plug-in pair over many tracks and over a source that stalls, and the equaliser's bands at
// the frequencies the equaliser window's sliders are labelled with.
#include "plugins/winamp/winamp_plugin.h"
#include "tests/gst_encode.h"
#include "tests/http_stream_server.h"
#include "tests/media_fixtures.h"
#include "tests/test_support.h"
#include "tests/winamp_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using namespace std::chrono_literals;
using namespace winamp_test;

Out_Module* RealOutput() {
    static auto entry = reinterpret_cast<GetOutModuleProc>(KeptEntry("output.dll", VELMORA_OUT_MODULE_ENTRY));
    return entry ? entry() : nullptr;
}

// The input module bound to an output module with the host's no-op callbacks.
In_Module* BindInput(Out_Module* out) {
    static auto entry = reinterpret_cast<GetInModuleProc>(KeptEntry("input.dll", VELMORA_IN_MODULE_ENTRY));
    if (!entry || !out) return nullptr;
    In_Module* in = entry();
    BindPair(in, out);
    return in;
}

// An output of the test's own that sums the squares of what it is given.
struct Captured {
    std::mutex mutex;
    long long samples = 0;
    double sumSquares = 0;
} captured;

int CaptureOpen(int, int, int, int, int) {
    std::lock_guard lock(captured.mutex);
    captured.samples = 0;
    captured.sumSquares = 0;
    return 0;
}
int CaptureWrite(char* buffer, int length) {
    std::lock_guard lock(captured.mutex);
    captured.samples += AddSquares(buffer, length, captured.sumSquares);
    return 0;
}
int CaptureCanWrite() { return 1 << 20; }
int CapturePause(int) { return 0; }
int CaptureTime() { return 0; }
void CaptureInt(int) {}
void CaptureWindow(void*) {}
Out_Module captureModule = {VELMORA_OUT_MODULE_VERSION, "test capture", 98, nullptr, nullptr, CaptureWindow,
                            CaptureWindow, HostVoid, HostVoid, CaptureOpen, HostVoid, CaptureWrite,
                            CaptureCanWrite, HostZero, CapturePause, CaptureInt, CaptureInt, CaptureInt,
                            CaptureTime, CaptureTime};

// RMS of a whole file decoded with one band (0..9) at the bottom of its slider, the rest flat.
double RmsWithBandCut(In_Module* in, const QString& path, int band) {
    char data[10];
    std::memset(data, 32, sizeof data);
    if (band >= 0) data[band] = 63;
    in->EQSet(1, data, 32);
    if (in->Play(path.toUtf8().constData()) != 0) return -1;
    long long before = -1;
    WaitFor([&] {
        std::this_thread::sleep_for(100ms);
        std::lock_guard lock(captured.mutex);
        const bool still = captured.samples > 0 && captured.samples == before;
        before = captured.samples;
        return still;
    });
    in->Stop();
    std::lock_guard lock(captured.mutex);
    return captured.samples ? std::sqrt(captured.sumSquares / double(captured.samples)) : 0;
}

TEST(WinampPair, EqualiserBandsSitAtTheSliderFrequencies) {
    testing_support::TempFolder folder;
    In_Module* in = BindInput(&captureModule);
    ASSERT_NE(in, nullptr);
    // Tones at the 1K and the 12K slider: each is cut by its own band and left alone by the other.
    struct Case {
        int hz, band, otherBand;
    };
    for (const Case c : {Case{1000, 4, 7}, Case{12000, 7, 4}}) {
        SCOPED_TRACE(c.hz);
        const QString path = folder.file(QStringLiteral("tone%1.wav").arg(c.hz));
        ASSERT_TRUE(EncodeWith(QStringLiteral("audiotestsrc num-buffers=20 samplesperbuffer=2205 freq=%1 ! "
                                              "audio/x-raw,rate=44100,channels=2 ! audioconvert ! wavenc ! "
                                              "filesink location=%2")
                                   .arg(c.hz)
                                   .arg(path)));
        const double flat = RmsWithBandCut(in, path, -1);
        ASSERT_GT(flat, 1000);
        EXPECT_LT(RmsWithBandCut(in, path, c.band), flat / 2.5) << "its own band at the bottom: about -12 dB";
        EXPECT_GT(RmsWithBandCut(in, path, c.otherBand), flat * 0.9) << "a band far away leaves it";
    }
    in->EQSet(0, std::vector<char>(10, 32).data(), 32);
    in->Quit();
}

TEST(WinampPair, OutputKeepsPlayingWhileTheInputWaitsForItsSource) {
    Out_Module* out = RealOutput();
    ASSERT_NE(out, nullptr);
    out->Init();
    ASSERT_GE(out->Open(44100, 2, 16, 500, 0), 0);
    std::vector<char> silence(100 * 44100 / 1000 * 4);
    ASSERT_EQ(out->Write(silence.data(), int(silence.size())), 0);
    char nothing = 0;
    // All of it heard while the input says now and then that more is coming: still playing.
    const auto until = std::chrono::steady_clock::now() + 1500ms;
    while (std::chrono::steady_clock::now() < until) {
        EXPECT_EQ(out->Write(&nothing, 0), 0);
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_EQ(out->GetOutputTime(), 100) << "everything written was heard";
    EXPECT_NE(out->IsPlaying(), 0) << "a stalled source is not the end of the track";
    // The input says no more: the output goes idle.
    ASSERT_TRUE(WaitFor([&] { return out->IsPlaying() == 0; }));
    out->Close();
    out->Quit();
}

// The host ends a track when the output is idle and the time stands still: a stream that stalls
// for a few seconds must not end that way.
TEST(WinampPair, AStalledStreamIsNotTheEndOfTheTrack) {
    testing_support::TempFolder folder;
    const QByteArray frames = Mp3Frames(folder);
    ASSERT_FALSE(frames.isEmpty());
    StreamServer server(frames);
    In_Module* in = BindInput(RealOutput());
    ASSERT_NE(in, nullptr);
    ASSERT_EQ(in->Play(server.Url("/live.mp3").toUtf8().constData()), 0);
    ASSERT_TRUE(WaitFor([&] { return in->GetOutputTime() >= 500; }));

    server.stalled = true;
    int last = -1;
    ASSERT_TRUE(WaitFor(
        [&] {
            std::this_thread::sleep_for(300ms);
            const int now = in->GetOutputTime();
            return std::exchange(last, now) == now;
        },
        30s))
        << "all that was sent has been heard";
    for (int i = 0; i < 5; ++i) {
        EXPECT_NE(in->outMod->IsPlaying(), 0) << "the source has not ended";
        std::this_thread::sleep_for(300ms);
    }

    server.stalled = false;
    EXPECT_TRUE(WaitFor([&] { return in->GetOutputTime() > last + 300; }, 30s)) << "it plays on";
    in->Stop();
    in->Quit();
    in->outMod->Quit();
}

TEST(WinampPair, HundredsOfTracksLeaveDescriptorsFlat) {
    testing_support::TempFolder folder;
    const QString clip = MakeMedia(folder.path(), "blip", MediaKind::Ogg, 0.2);
    ASSERT_FALSE(clip.isEmpty());
    In_Module* in = BindInput(RealOutput());
    ASSERT_NE(in, nullptr);
    auto playOnce = [&] {
        ASSERT_EQ(in->Play(clip.toUtf8().constData()), 0);
        ASSERT_TRUE(WaitFor([&] { return in->GetOutputTime() >= 100; }));
        in->Stop();
    };
    for (int i = 0; i < 10 && !HasFatalFailure(); ++i) playOnce();
    const int descriptors = OpenDescriptors();
    for (int i = 0; i < 100 && !HasFatalFailure(); ++i) playOnce();
    EXPECT_LE(OpenDescriptors(), descriptors + 6) << "before: " << descriptors;
    in->Quit();
    in->outMod->Quit();
}

}  // namespace
