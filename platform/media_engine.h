// One real media engine over GStreamer (playbin with named sinks). Every playback face of the
// player (the filter graph, the Media Player and RealAudio controls) sits on one of these.
// Lives on the GUI thread; bus messages are marshalled there, and a message from a pipeline that
// was already replaced is dropped.
#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <memory>

class QWidget;
struct _GstElement;

namespace platform {

// Where sound goes. Auto: the sound device when the machine has one (or a sound server), else a
// clock-synchronised fake sink, so playback keeps its pace with no sound card. The environment
// variable VELMORA_AUDIO_SINK=fakesink forces the fake sink (tests, benchmarks).
enum class AudioOut { Auto, Fake };

// What went wrong, in the few classes the user is told about; the engine's own (English,
// technical) text is kept in LastError for the log.
enum class MediaFailure { NotFound, CannotConnect, Unsupported, NoProtocol, NoDecoder, Failed };
// The reason shown to the user for a class, in Chinese.
QString FailureReason(MediaFailure failure);

class MediaEngine : public QObject {
    Q_OBJECT
public:
    enum class State { Stopped, Paused, Playing };

    explicit MediaEngine(QObject* parent = nullptr);
    ~MediaEngine() override;

    // Takes a local path (absolute) or a URL ("http://", "rtsp://", "file://", ...) and starts
    // prerolling to paused. False (with LastError set and ErrorOccurred emitted later, never
    // inside Open) when the local file is missing, no pipeline can be made or no element handles
    // the protocol. waitMs > 0 waits up to that long for the preroll of a local file, without
    // running the event loop, so its video size is known at return (false when it failed within
    // the wait); URLs never wait. The messages of the preroll still arrive as signals afterwards.
    bool Open(const QString& pathOrUrl, int waitMs = 0);
    void Play();
    void Pause();
    // Back to the start and to the stopped state, holding no device; the source stays loaded and
    // Play starts it again (from a position set meanwhile, if any).
    void Stop();
    // Releases the pipeline and forgets the source.
    void Close();

    QString Source() const;  // as given to Open
    // As last reported by the pipeline (StateChanged); Stopped at once after Open, Stop, Close.
    State CurrentState() const;
    bool IsPrerolled() const;

    // Times in 100-ns units, 64-bit. -1 when unknown. Position is 0 while stopped, and the target
    // of a seek until the seek has landed.
    qint64 Duration() const;
    qint64 Position() const;
    bool SetPosition(qint64 position100ns);

    // 0 x 0 while unknown or when the stream has no video. Taken from what the video sink is
    // given, which may come after the preroll (VideoSizeChanged tells).
    QSize VideoSize() const;
    int AudioChannels() const;  // 0 while unknown
    int AudioRate() const;      // Hz, 0 while unknown
    int Bitrate() const;        // bits per second from the tags, 0 while unknown
    QString LastError() const;
    MediaFailure LastFailure() const;  // the class of LastError
    // A network source is filling its buffer: playback stands still but has not ended.
    bool IsBuffering() const;

    // Linear levels 0..1 per channel, applied to the sound.
    void SetLevels(double left, double right);

    // Video goes into a native child window of owner at rect (owner coordinates); a null owner,
    // an empty rect or a platform without native windows sends frames to a fake sink.
    void SetVideoOwner(QWidget* owner);
    void SetVideoRect(const QRect& rect);
    QWidget* VideoOwner() const;

    static void SetAudioOut(AudioOut out);  // default Auto (tests set Fake)

signals:
    void StateChanged(platform::MediaEngine::State state);
    void Prerolled();        // once per Open
    void DurationChanged();  // whenever a new duration becomes known (an MP3's may come late)
    void EndOfStream();
    void ErrorOccurred(const QString& message);
    void VideoSizeChanged();                // VideoSize has a new value
    void BufferingChanged(bool buffering);  // IsBuffering has a new value

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The reason given for a file that ends having played nothing (a header and no data).
QString NothingToPlay();
// How many critical warnings GStreamer's libraries have logged in this process: an element that
// trips over its own checks has been fed a broken file.
quint64 MediaCriticals();

// Runs once per process before any pipeline: gst_init and the sink ranks (the DirectFB sink is
// never chosen).
void InitMedia();
// Every decoding bin that comes to live inside `bin` passes over a decoder the ranks put first
// when it cannot take the stream's profile (faad and AAC-ELD). Call before the bin starts.
void WatchDecoderChoice(_GstElement* bin);

}  // namespace platform
