// The plug-in pair of the default audio road, loaded with dlopen and bound as the player binds it:
// real decoding of generated files, output timing on a fake sink, the equaliser, bad files, and
// the CD plug-in on a machine without a drive.
#include "plugins/winamp/output/gains.h"
#include "plugins/winamp/winamp_plugin.h"
#include "tests/media_fixtures.h"
#include "tests/test_support.h"
#include "tests/winamp_test_support.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using namespace winamp_test;

// ---- the host's side of the binding --------------------------------------------------------

std::atomic<int> dspCalls{0};
std::atomic<int> dspLargestBlock{0};

int HostDspDoSamples(short int*, int numsamples, int bps, int nch, int) {
    ++dspCalls;
    if (bps == 16 && nch >= 1) dspLargestBlock = std::max(dspLargestBlock.load(), numsamples);
    return numsamples;
}

class Library {
public:
    explicit Library(const std::string& path) : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
    ~Library() {
        if (handle_) dlclose(handle_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    void* handle() const { return handle_; }
    void* Symbol(const char* name) const { return handle_ ? dlsym(handle_, name) : nullptr; }

private:
    void* handle_;
};

// An input library bound to an output module the way the player binds the pair.
class BoundPair {
public:
    BoundPair(const std::string& inputFile, Out_Module* out) : input_(kPlugins + inputFile), out_(out) {
        auto entry = reinterpret_cast<GetInModuleProc>(input_.Symbol(VELMORA_IN_MODULE_ENTRY));
        if (!entry || !out_) return;
        in_ = entry();
        BindPair(in_, out_, HostDspDoSamples, input_.handle());
    }
    ~BoundPair() {
        if (!in_) return;
        in_->Quit();
        out_->Quit();
    }
    In_Module* in() const { return in_; }

private:
    Library input_;
    Out_Module* out_;
    In_Module* in_ = nullptr;
};

Library& OutputLibrary() {
    static Library library(kPlugins + "output.dll");
    return library;
}

Out_Module* OutputModule() {
    auto entry = reinterpret_cast<GetOutModuleProc>(OutputLibrary().Symbol(VELMORA_OUT_MODULE_ENTRY));
    return entry ? entry() : nullptr;
}

// ---- an output module of the test's own that keeps what it is given -------------------------

struct Captured {
    std::mutex mutex;
    int rate = 0, channels = 0, bits = 0;
    long long frames = 0;
    double sumSquares = 0;
};
Captured captured;

int CaptureOpen(int rate, int channels, int bits, int, int) {
    std::lock_guard lock(captured.mutex);
    captured.rate = rate;
    captured.channels = channels;
    captured.bits = bits;
    captured.frames = 0;
    captured.sumSquares = 0;
    return 0;
}
int CaptureWrite(char* buffer, int length) {
    std::lock_guard lock(captured.mutex);
    AddSquares(buffer, length, captured.sumSquares);
    captured.frames += length / (2 * std::max(captured.channels, 1));
    return 0;
}
int CaptureCanWrite() { return 1 << 20; }
int CaptureZero() { return 0; }
int CapturePause(int) { return 0; }
int CaptureTime() {
    std::lock_guard lock(captured.mutex);
    return captured.rate ? int(captured.frames * 1000 / captured.rate) : 0;
}
void CaptureVoid() {}
void CaptureInt(int) {}
void CaptureWindow(void*) {}

Out_Module captureModule = {VELMORA_OUT_MODULE_VERSION,
                            "test capture",
                            99,
                            nullptr,
                            nullptr,
                            CaptureWindow,
                            CaptureWindow,
                            CaptureVoid,
                            CaptureVoid,
                            CaptureOpen,
                            CaptureVoid,
                            CaptureWrite,
                            CaptureCanWrite,
                            CaptureZero,
                            CapturePause,
                            CaptureInt,
                            CaptureInt,
                            CaptureInt,
                            CaptureTime,
                            CaptureTime};

long long CapturedFrames() {
    std::lock_guard lock(captured.mutex);
    return captured.frames;
}

// Plays the file into the capture module until everything is decoded; the RMS of the samples.
double DecodeAll(In_Module* in, const QString& path, double seconds) {
    if (in->Play(path.toUtf8().constData()) != 0) return -1;
    const long long expected = (long long)(seconds * 44100);
    WaitFor([&] { return CapturedFrames() >= expected * 98 / 100; });
    long long before = -1;
    WaitFor([&] {  // until the decoder has gone quiet
        const long long now = CapturedFrames();
        const bool still = now == before;
        before = now;
        std::this_thread::sleep_for(50ms);
        return still;
    });
    in->Stop();
    std::lock_guard lock(captured.mutex);
    return captured.frames ? std::sqrt(captured.sumSquares / (captured.frames * captured.channels)) : 0;
}

void EqSet(In_Module* in, int on, int band, int preamp) {
    char data[10];
    std::memset(data, band, sizeof data);
    in->EQSet(on, data, preamp);
}

}  // namespace

TEST(WinampPlugins, FilePairPlaysSeeksPausesAndEndsAnMp3) {
    testing_support::TempFolder folder;
    const QString mp3 = MakeMedia(folder.path(), "tone", MediaKind::Mp3, 3.0);
    ASSERT_FALSE(mp3.isEmpty());
    BoundPair pair("input.dll", OutputModule());
    In_Module* in = pair.in();
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(in->is_seekable, 1);
    EXPECT_EQ(in->UsesOutputPlug, 1);
    EXPECT_EQ(in->GetLength(), -1);

    dspCalls = 0;
    dspLargestBlock = 0;
    ASSERT_EQ(in->Play(mp3.toUtf8().constData()), 0);
    // Known when Play returns, unless the machine is too busy to decode the first block in time.
    int length = 0;
    EXPECT_TRUE(WaitFor([&] { return (length = in->GetLength()) > 0; }));
    EXPECT_NEAR(length, 3000, 100);
    ASSERT_TRUE(WaitFor([&] { return in->GetOutputTime() >= 300; }));
    EXPECT_NE(in->outMod->IsPlaying(), 0);

    // A seek restarts the output's clock at the target, and the decoder goes on from there: the
    // track ends at its length, not at the target plus what was left before the seek.
    in->SetOutputTime(1800);
    EXPECT_GE(in->GetOutputTime(), 1800);
    ASSERT_TRUE(WaitFor([&] { return in->GetOutputTime() >= 1950; }));

    in->Pause();
    EXPECT_EQ(in->IsPaused(), 1);
    std::this_thread::sleep_for(100ms);
    const int pausedAt = in->GetOutputTime();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(in->GetOutputTime(), pausedAt);
    EXPECT_NE(in->outMod->IsPlaying(), 0) << "paused with audio left is still playing";
    in->UnPause();
    EXPECT_EQ(in->IsPaused(), 0);

    ASSERT_TRUE(WaitFor([&] { return in->outMod->IsPlaying() == 0; }));
    const int endedAt = in->GetOutputTime();
    EXPECT_NEAR(endedAt, length, 150) << "the whole track is heard, and no more";
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(in->GetOutputTime(), endedAt) << "time stands still at the end";
    EXPECT_GT(dspCalls.load(), 0);
    EXPECT_EQ(dspLargestBlock.load(), 576);

    in->Stop();
    EXPECT_EQ(in->GetLength(), -1);
}

TEST(WinampPlugins, DecodesOggAndWavWholeAndTheEqualiserShapesTheSound) {
    testing_support::TempFolder folder;
    const QString ogg = MakeMedia(folder.path(), "tone", MediaKind::Ogg, 1.0);
    const QString wav = MakeMedia(folder.path(), "tone", MediaKind::Wav, 1.0);
    ASSERT_FALSE(ogg.isEmpty());
    ASSERT_FALSE(wav.isEmpty());
    BoundPair pair("input.dll", &captureModule);
    In_Module* in = pair.in();
    ASSERT_NE(in, nullptr);

    for (const QString& path : {ogg, wav}) {
        SCOPED_TRACE(path.toStdString());
        dspCalls = 0;
        EXPECT_GT(DecodeAll(in, path, 1.0), 1000);
        EXPECT_EQ(captured.rate, 44100);
        EXPECT_EQ(captured.channels, 2);
        EXPECT_EQ(captured.bits, 16);
        EXPECT_NEAR(double(CapturedFrames()), 44100.0, 44100 * 0.02);
        EXPECT_GT(dspCalls.load(), 0);
    }

    // The host sends 63 - stored value: 32 is the middle (flat), 63 the bottom (-12 dB).
    EqSet(in, 1, 32, 32);
    const double flat = DecodeAll(in, wav, 1.0);
    EqSet(in, 1, 63, 63);
    const double cut = DecodeAll(in, wav, 1.0);
    EqSet(in, 0, 63, 63);
    const double off = DecodeAll(in, wav, 1.0);
    EqSet(in, 1, 0, 32);
    const double boosted = DecodeAll(in, wav, 1.0);
    EqSet(in, 0, 32, 32);
    ASSERT_GT(flat, 1000);
    EXPECT_LT(cut, flat / 8) << "all bands and the preamp at the bottom: -24 dB";
    EXPECT_NEAR(off, flat, flat * 0.02) << "switched off, the equaliser leaves the sound alone";
    EXPECT_GT(boosted, flat * 1.5) << "all bands at the top: +12 dB (clipping at full scale)";
}

TEST(WinampPlugins, UnplayableFilesFailOrEndWithoutHanging) {
    testing_support::TempFolder folder;
    BoundPair pair("input.dll", OutputModule());
    In_Module* in = pair.in();
    ASSERT_NE(in, nullptr);

    EXPECT_NE(in->Play(folder.file("missing.mp3").toUtf8().constData()), 0);
    EXPECT_EQ(in->GetLength(), -1);

    // Play answers within its preroll wait: a failure found by then fails Play; on a slow machine
    // it may be found later, and then the track must still come to an end on its own.
    auto failsOrEnds = [&](const QString& file) {
        if (in->Play(file.toUtf8().constData()) != 0) {
            EXPECT_EQ(in->GetLength(), -1) << file.toStdString();
            return;
        }
        int last = -1;
        EXPECT_TRUE(WaitFor([&] {
            const int now = in->GetOutputTime();
            const bool still = in->outMod->IsPlaying() == 0 && now == last;
            last = now;
            std::this_thread::sleep_for(100ms);
            return still;
        })) << file.toStdString();
    };

    QByteArray noise(64 * 1024, '\0');
    for (int i = 0; i < noise.size(); ++i) noise[i] = char((i * 7919 + i / 13) & 0xFF);
    folder.write("noise.mp3", noise);
    failsOrEnds(folder.file("noise.mp3"));

    // A picture decodes, but holds no sound to play.
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(folder.file("picture.png")));
    failsOrEnds(folder.file("picture.png"));

    // A real file whose body turns to rubbish: whatever plays, the track must come to an end.
    const QString ogg = MakeMedia(folder.path(), "tone", MediaKind::Ogg, 2.0);
    ASSERT_FALSE(ogg.isEmpty());
    QFile file(ogg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    folder.write("damaged.ogg", file.read(6000) + noise);
    file.close();
    failsOrEnds(folder.file("damaged.ogg"));
    in->Stop();
    EXPECT_EQ(in->GetLength(), -1);
}

TEST(WinampPlugins, OutputPluginTimesWhatItPlays) {
    Out_Module* out = OutputModule();
    ASSERT_NE(out, nullptr);
    out->Init();
    EXPECT_LT(out->Open(44100, 2, 12, 500, 0), 0) << "12-bit samples do not exist";
    EXPECT_NE(out->Write(nullptr, 0), 0) << "nothing is open";

    ASSERT_GE(out->Open(44100, 2, 16, 500, 0), 0);
    const int bytesPerMs = 44100 * 4 / 1000;
    EXPECT_EQ(out->CanWrite(), 500 * 44100 / 1000 * 4);
    std::vector<char> silence(200 * 44100 / 1000 * 4);
    EXPECT_EQ(out->Write(silence.data(), int(silence.size())), 0);
    EXPECT_EQ(out->GetWrittenTime(), 200);
    EXPECT_LT(out->CanWrite(), 500 * bytesPerMs) << "what is written and not heard takes room";
    EXPECT_NE(out->IsPlaying(), 0);
    ASSERT_TRUE(WaitFor([&] { return out->IsPlaying() == 0; }));
    EXPECT_EQ(out->GetOutputTime(), 200) << "the last sample was heard";
    EXPECT_EQ(out->CanWrite(), 500 * 44100 / 1000 * 4);

    // Paused with audio queued: still playing, time held.
    EXPECT_EQ(out->Write(silence.data(), int(silence.size())), 0);
    EXPECT_EQ(out->Pause(1), 0);
    EXPECT_EQ(out->Pause(1), 1);
    const int pausedAt = out->GetOutputTime();
    std::this_thread::sleep_for(250ms);
    EXPECT_EQ(out->GetOutputTime(), pausedAt);
    EXPECT_NE(out->IsPlaying(), 0);
    EXPECT_EQ(out->Pause(0), 1);
    ASSERT_TRUE(WaitFor([&] { return out->IsPlaying() == 0; }));
    EXPECT_EQ(out->GetOutputTime(), 400);

    // Flush drops what is queued and restarts the clock where the input seeked to.
    EXPECT_EQ(out->Write(silence.data(), int(silence.size())), 0);
    out->Flush(5000);
    EXPECT_EQ(out->GetOutputTime(), 5000);
    EXPECT_EQ(out->GetWrittenTime(), 5000);
    EXPECT_EQ(out->IsPlaying(), 0);
    EXPECT_EQ(out->Write(silence.data(), int(silence.size())), 0);
    ASSERT_TRUE(WaitFor([&] { return out->IsPlaying() == 0; }));
    EXPECT_EQ(out->GetOutputTime(), 5200);

    out->SetVolume(VELMORA_VOLUME_UNCHANGED);
    out->SetVolume(128);
    out->SetPan(-128);
    out->Close();
    EXPECT_EQ(out->IsPlaying(), 0);
    EXPECT_NE(out->Write(silence.data(), 4), 0);
    out->SetVolume(255);
    out->SetPan(0);
    out->Quit();
}

TEST(WinampPlugins, OutputGainsCombineVolumePanAndDeviceWord) {
    using velmora_output::CombineGains;
    const auto full = CombineGains(255, 0, 0xFFFFFFFFu);
    EXPECT_DOUBLE_EQ(full.volume, 1.0);
    EXPECT_DOUBLE_EQ(full.panorama, 0.0);
    // Device word left 0xFFFF, right 0x7FFF: the right side at half.
    const auto leftLouder = CombineGains(255, 0, 0x7FFFFFFFu);
    EXPECT_DOUBLE_EQ(leftLouder.volume, 1.0);
    EXPECT_NEAR(leftLouder.panorama, -0.5, 0.001);
    // Plug-in pan fully left silences the right side; the volume scales both.
    const auto panned = CombineGains(51, -127, 0xFFFFFFFFu);
    EXPECT_NEAR(panned.volume, 0.2, 1e-9);
    EXPECT_DOUBLE_EQ(panned.panorama, -1.0);
    // Plug-in pan right against a device that is quieter on the left: both attenuations apply.
    const auto both = CombineGains(255, 64, 0xFFFF7FFFu);
    EXPECT_DOUBLE_EQ(both.volume, 1.0);
    EXPECT_NEAR(both.panorama, 1 - 0.5 * (1 - 64 / 127.0), 0.001);
    EXPECT_DOUBLE_EQ(CombineGains(255, 0, 0).volume, 0.0);
    EXPECT_DOUBLE_EQ(CombineGains(300, 500, 0xFFFFFFFFu).panorama, 1.0) << "out-of-range values clamp";
}

TEST(WinampPlugins, CdPluginFailsCleanlyWithoutADrive) {
    testing_support::TempFolder folder;
    BoundPair pair("cdrun.dll", OutputModule());
    In_Module* in = pair.in();
    ASSERT_NE(in, nullptr);
    const std::string paths[] = {
        "/dev/sr0/Track01.cda",                              // no such drive here
        "/dev/null/Track02.cda",                             // a device, but no disc drive
        folder.path().toStdString() + "/Track03.cda",        // a folder that is no mount of a drive
        "/dev/sr0/Readme.txt",                               // not a track
        "Track04.cda",                                       // no drive root at all
    };
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        EXPECT_NE(in->Play(path.c_str()), 0);
        EXPECT_EQ(in->GetLength(), -1);
        EXPECT_EQ(in->GetOutputTime(), 0);
        in->Stop();
    }
}
