// The filter-graph component: one GStreamer graph that renders a file, runs, pauses, stops and
// seeks it, puts its members' filters into it whenever it becomes active, and reports the graph's
// events on the thread that made it.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <array>
#include <cstdint>
#include <memory>
#include <utility>

#include "directshow/base_filter.h"

class QWidget;

namespace directshow {

// What the graph tells a member through NotifyFilter.
enum FilterOperation { foAdding = 0, foAdded = 1, foRemoving = 2, foRemoved = 3, foRefresh = 4 };

// A member component of a graph: its filter, its name, and the graph's notifications.
class IFilterProvider {
public:
    virtual ~IFilterProvider() = default;
    virtual FilterPtr GetFilter() const = 0;
    virtual QString GetName() const = 0;
    virtual void NotifyFilter(FilterOperation operation, int param = 0) = 0;
};

enum class TGraphMode { gmNormal, gmCapture, gmDVD };
enum class FilterState { State_Stopped, State_Paused, State_Running };

// Graph event codes.
enum GraphEventCode {
    EC_COMPLETE = 1, EC_USERABORT = 2, EC_ERRORABORT = 3, EC_STREAM_ERROR_STOPPED = 6,
    EC_STREAM_ERROR_STILLPLAYING = 7, EC_ERROR_STILLPLAYING = 8, EC_PALETTE_CHANGED = 9,
    EC_VIDEO_SIZE_CHANGED = 10, EC_QUALITY_CHANGE = 11, EC_CLOCK_CHANGED = 13, EC_PAUSED = 14,
    EC_OPENING_FILE = 16, EC_BUFFERING_DATA = 17, EC_FULLSCREEN_LOST = 18, EC_OLE_EVENT = 24,
    EC_STREAM_CONTROL_STOPPED = 26, EC_STREAM_CONTROL_STARTED = 27, EC_END_OF_SEGMENT = 28,
    EC_LENGTH_CHANGED = 30, EC_DEVICE_LOST = 31, EC_STEP_COMPLETE = 36, EC_TIMECODE_AVAILABLE = 48,
    EC_EXTDEVICE_MODE_CHANGE = 49, EC_GRAPH_CHANGED = 80, EC_CLOCK_UNSET = 81,
    EC_VMR_RENDERDEVICE_SET = 83, EC_SNDDEV_IN_ERROR = 512, EC_SNDDEV_OUT_ERROR = 513,
};

// DVD event codes.
enum DvdEventCode {
    EC_DVD_DOMAIN_CHANGE = 257, EC_DVD_TITLE_CHANGE, EC_DVD_CHAPTER_START, EC_DVD_AUDIO_STREAM_CHANGE,
    EC_DVD_SUBPICTURE_STREAM_CHANGE, EC_DVD_ANGLE_CHANGE, EC_DVD_BUTTON_CHANGE, EC_DVD_VALID_UOPS_CHANGE,
    EC_DVD_STILL_ON, EC_DVD_STILL_OFF, EC_DVD_CURRENT_TIME, EC_DVD_ERROR, EC_DVD_WARNING, EC_DVD_CHAPTER_AUTOSTOP,
    EC_DVD_NO_FP_PGC, EC_DVD_PLAYBACK_RATE_CHANGE, EC_DVD_PARENTAL_LEVEL_CHANGE, EC_DVD_PLAYBACK_STOPPED,
    EC_DVD_ANGLES_AVAILABLE, EC_DVD_PLAYPERIOD_AUTOSTOP, EC_DVD_BUTTON_AUTO_ACTIVATED, EC_DVD_CMD_START,
    EC_DVD_CMD_END, EC_DVD_DISC_EJECTED, EC_DVD_DISC_INSERTED, EC_DVD_CURRENT_HMSF_TIME, EC_DVD_KARAOKE_MODE,
};
enum DvdDomain { DVD_DOMAIN_FirstPlay = 1, DVD_DOMAIN_VideoManagerMenu, DVD_DOMAIN_VideoTitleSetMenu, DVD_DOMAIN_Title, DVD_DOMAIN_Stop };
struct DVD_HMSF_TIMECODE {
    std::uint8_t bHours, bMinutes, bSeconds, bFrames;
};
using DvdTimeCode = std::array<std::uint8_t, 9>;

// What the graph tells its listeners besides its events: the control operations.
enum ControlEventCode { cpeRun = 0, cpePause = 1, cpeStop = 2, cpeRendering = 3, cpeRendered = 4, cpeActive = 7 };
class IGraphListener {
public:
    virtual ~IGraphListener() = default;
    virtual void GraphEvent(int event, qintptr param1, qintptr param2) = 0;
    virtual void ControlEvent(int event, int param) = 0;
};

constexpr int AM_SEEKING_NoPositioning = 0;
constexpr int AM_SEEKING_AbsolutePositioning = 1;

class TFilterGraph : public QObject {
    Q_OBJECT
public:
    explicit TFilterGraph(QObject* owner = nullptr);
    ~TFilterGraph() override;

    bool Active() const { return core_ != nullptr; }
    // Activation builds the graph for the mode and adds every member's filter. A graph that
    // cannot be made raises EDirectShowException with the creation's code; the component stays
    // inactive.
    void SetActive(bool active);
    TGraphMode Mode() const { return mode_; }
    void SetMode(TGraphMode mode);

    bool AutoCreate() const { return autoCreate_; }
    void SetAutoCreate(bool value) { autoCreate_ = value; }
    // After the owner has set the properties up: an AutoCreate graph becomes active.
    void Loaded();
    // Registration with the graph viewer's table (see graph_registry.h); applied at activation.
    bool GraphEdit() const { return graphEdit_; }
    void SetGraphEdit(bool value);
    // The graph's debug log goes to this file, made anew. A file that cannot be made leaves
    // logging off and the name unchanged. Applied at activation.
    QString LogFile() const { return logFile_; }
    void SetLogFile(const QString& name);
    void AddListener(IGraphListener* listener);
    void RemoveListener(IGraphListener* listener);

    void AddMember(IFilterProvider* member);
    void RemoveMember(IFilterProvider* member);
    const QList<IFilterProvider*>& Members() const { return members_; }

    // False while inactive (nothing done). A failed state change raises EDirectShowException. Run
    // answers True while the graph is still changing state; Pause and Stop only once it has.
    bool Run();
    bool Pause();
    bool Stop();
    // Builds the graph for a local file or a URL and waits for its preroll. S_FALSE while
    // inactive; a failure raises EDirectShowException.
    HRESULT RenderFile(const QString& name);
    // Stops and removes everything but the members' filters, which stay ready for the next render.
    void ClearGraph();
    void DisconnectAll();

    // Media control, seeking (100-ns units) and sound (1/100 dB), as the graph's interfaces
    // answer them; VFW_E_NOT_CONNECTED or E_NOINTERFACE while inactive.
    HRESULT GetState(int timeoutMs, FilterState* state);
    HRESULT GetDuration(qint64* duration);
    HRESULT GetCurrentPosition(qint64* position);
    HRESULT SetPositions(qint64* current, int currentFlags, qint64* stop, int stopFlags);
    HRESULT put_Volume(long volume);  // -10000 .. 0
    HRESULT get_Volume(long* volume);
    HRESULT put_Balance(long balance);  // -10000 (left only) .. 10000 (right only)
    HRESULT get_Balance(long* balance);
    // The sound device's own left and right levels (linear 0..1), on top of the graph's volume and
    // balance: what the device would do to the graph's sound. Kept across activations.
    void SetDeviceLevels(double left, double right);
    std::pair<double, double> DeviceLevels() const { return {deviceLeft_, deviceRight_}; }
    // Which channels of two-channel sound are heard (the MPEG audio decoder's dual mode): 0 both
    // as they come, 1 the left on both sides, 2 the right on both sides. Kept across renders and
    // activations; takes effect on the next buffer.
    void SetDualMode(int mode);
    int DualMode() const { return dualMode_; }
    // The factories of the elements the graph holds now, members' filters included.
    QStringList FilterFactories() const;

    // The video window: with an owner that has native windows (X11) and a non-empty place, the
    // graph draws the picture itself, through the X video sink, into a child window of the owner
    // at that place; the member renderers (the grabber) then get no video. Without one, or at an
    // empty place, the picture goes to a member renderer as before. A change while a file is
    // rendered renders it again, at the same position and in the same state. GUI thread.
    void put_Owner(QWidget* owner);
    HRESULT SetWindowPosition(long left, long top, long width, long height);
    // The child window the sink draws into (null until an owner is given), and whether the
    // sink draws into it now.
    QWidget* VideoWindowWidget() const;
    bool DrawsVideo() const;

    // Dispatch of one graph event: OnDSEvent, then the event's own signal.
    virtual void DoEvent(int code, qintptr param1, qintptr param2);

signals:
    void OnActivate();
    void OnDSEvent(int event, qintptr param1, qintptr param2);
    void OnGraphComplete(HRESULT result, qintptr renderer);
    void OnGraphUserAbort();
    void OnGraphErrorAbort(HRESULT result);
    void OnGraphStreamErrorStopped(HRESULT operation, quint32 value);
    void OnGraphStreamErrorStillPlaying(HRESULT operation, quint32 value);
    void OnGraphErrorStillPlaying(HRESULT result);
    void OnGraphPaletteChanged();
    void OnGraphVideoSizeChanged(quint16 width, quint16 height);
    void OnGraphQualityChange();
    void OnGraphClockChanged();
    void OnGraphPaused(HRESULT result);
    void OnGraphOpeningFile(bool opening);
    void OnGraphBufferingData(bool buffering);
    void OnGraphFullscreenLost(qintptr renderer);
    void OnGraphOleEvent(qintptr string1, qintptr string2);
    void OnGraphStreamControlStopped(qintptr pinSender, quint32 cookie);
    void OnGraphStreamControlStarted(qintptr pinSender, quint32 cookie);
    void OnGraphEndOfSegment(qint64 streamTime, quint32 numSegment);
    void OnGraphDeviceLost(qintptr device, bool removed);
    void OnGraphStepComplete();
    void OnGraphTimeCodeAvailable(qintptr from, quint32 deviceId);
    void OnGraphEXTDeviceModeChange(quint32 newMode, quint32 deviceId);
    void OnGraphChanged();
    void OnGraphClockUnset();
    void OnGraphVMRRenderDevice(qintptr renderDevice);
    void OnGraphSNDDevInError(quint32 occurWhen, quint32 errorCode);
    void OnGraphSNDDevOutError(quint32 occurWhen, quint32 errorCode);
    void OnDVDDomainFirstPlay();
    void OnDVDDomainVideoManagerMenu();
    void OnDVDDomainVideoTitleSetMenu();
    void OnDVDDomainTitle();
    void OnDVDDomainStop();
    void OnDVDTitleChange(int title);
    void OnDVDChapterStart(int chapter);
    void OnDVDAudioStreamChange(int stream, int lcid, const QString& lang);
    void OnDVDSubpictureStreamChange(int subNum, int lcid, const QString& lang);
    void OnDVDAngleChange(int total, int current);
    void OnDVDButtonChange(int total, int current);
    void OnDVDValidUOPSChange(int uops);
    void OnDVDStillOn(bool noButtonAvailable, int seconds);
    void OnDVDStillOff();
    void OnDVDCurrentTime(int hours, int minutes, int seconds, int frames, int frate);
    void OnDVDErrorUnexpected();
    void OnDVDErrorCopyProtectFail();
    void OnDVDErrorInvalidDVD1_0Disc();
    void OnDVDErrorInvalidDiscRegion();
    void OnDVDErrorLowParentalLevel();
    void OnDVDErrorMacrovisionFail();
    void OnDVDErrorIncompatibleSystemAndDecoderRegions();
    void OnDVDErrorIncompatibleDiscAndDecoderRegions();
    void OnDVDWarningInvalidDVD1_0Disc();
    void OnDVDWarningFormatNotSupported();
    void OnDVDWarningIllegalNavCommand();
    void OnDVDWarningOpen();
    void OnDVDWarningSeek();
    void OnDVDWarningRead();
    void OnDVDChapterAutoStop();
    void OnDVDNoFP_PGC();
    void OnDVDPlaybackRateChange(float rate);
    void OnDVDParentalLevelChange(int level);
    void OnDVDPlaybackStopped();
    void OnDVDAnglesAvailable(bool available);
    void OnDVDPlayPeriodAutoStop();
    void OnDVDButtonAutoActivated(quint32 button);
    void OnDVDCMDStart(quint32 cmdId);
    void OnDVDCMDEnd(quint32 cmdId);
    void OnDVDDiscEjected();
    void OnDVDDiscInserted();
    void OnDVDCurrentHMSFTime(DVD_HMSF_TIMECODE hmsfTimeCode, DvdTimeCode timeCode);
    void OnDVDKaraokeMode(bool played);

public:
    struct Core;  // the GStreamer side

private:
    friend class TFilterList;
    void Activate();
    void Deactivate();
    void AddToGraph(IFilterProvider* member);
    void RemoveFromGraph(IFilterProvider* member);
    void Deliver(quint64 epoch, int code, qintptr param1, qintptr param2);
    bool DispatchGraphEvent(int code, qintptr param1, qintptr param2);
    bool DispatchMoreGraphEvents(int code, qintptr param1, qintptr param2);
    bool DispatchDvdEvent(int code, qintptr param1, qintptr param2);
    bool DispatchDvdNotice(int code, qintptr param1, qintptr param2);
    void DvdStreamLanguage(int code, int stream);
    void ControlEvent(int event, int param);
    bool WantsWindow() const;
    void FollowWindow();
    void RenderAgain();
    void ShowWindow();

    std::unique_ptr<Core> core_;
    TGraphMode mode_ = TGraphMode::gmNormal;
    QList<IFilterProvider*> members_;
    long volume_ = 0, balance_ = 0;
    int dualMode_ = 0;
    double deviceLeft_ = 1.0, deviceRight_ = 1.0;
    bool autoCreate_ = false, graphEdit_ = false;
    quint32 rotCookie_ = 0;
    QString logFile_;
    QList<IGraphListener*> listeners_;
    QString renderedName_;  // the file of the last render that succeeded
    bool renderedWanted_ = false;  // whether that render was made for the window
    QPointer<QWidget> window_;  // a platform::VideoWindow
    QRect windowPlace_;
};

// The graph's duration in ms: 0 when inactive or unknown, never beyond the 32-bit range.
int GraphDurationMs(TFilterGraph* graph);
int DurationToMs(HRESULT result, qint64 duration);

}  // namespace directshow
