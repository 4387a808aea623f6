#include "directshow/filter_graph.h"

#include <QDebug>
#include <algorithm>
#include <limits>
#include <memory>

#include "directshow/filter_graph_core.h"
#include "directshow/filter_list.h"
#include "directshow/graph_log.h"
#include "directshow/graph_registry.h"
#include "platform/message_box.h"
#include "platform/media_internal.h"

namespace directshow {

TFilterGraph::TFilterGraph(QObject* owner) : QObject(owner) {}

// The window goes after the graph: no sink may draw into it once it has gone.
TFilterGraph::~TFilterGraph() {
    SetActive(false);
    if (auto* window = static_cast<platform::VideoWindow*>(window_.data())) {
        window->onGone = nullptr;
        delete window;
    }
}

void TFilterGraph::SetActive(bool active) {
    if (active == Active()) return;
    if (active)
        Activate();
    else
        Deactivate();
}

// The plain and the DVD graph exist over GStreamer; the capture builder does not.
void TFilterGraph::Activate() {
    if (mode_ == TGraphMode::gmCapture) CheckHResult(REGDB_E_CLASSNOTREG);
    core_ = std::make_unique<Core>(this);
    core_->dvd = mode_ == TGraphMode::gmDVD;
    core_->deviceLeft = deviceLeft_;
    core_->deviceRight = deviceRight_;
    core_->ApplyLevels(volume_, balance_);
    core_->dualMode = dualMode_;
    SetGraphEdit(graphEdit_);
    SetLogFile(logFile_);
    FollowWindow();
    for (IFilterProvider* member : members_) AddToGraph(member);
    emit OnActivate();
    ControlEvent(cpeActive, 1);
}

void TFilterGraph::Deactivate() {
    ControlEvent(cpeActive, 0);
    for (IFilterProvider* member : members_) RemoveFromGraph(member);
    if (rotCookie_) RevokeGraphFromROT(std::exchange(rotCookie_, 0));
    core_->log.reset();
    core_.reset();
    renderedName_.clear();
}

void TFilterGraph::Loaded() {
    if (autoCreate_) SetActive(true);
}

void TFilterGraph::SetGraphEdit(bool value) {
    if (!value && rotCookie_) RevokeGraphFromROT(std::exchange(rotCookie_, 0));
    if (value && !rotCookie_ && Active()) {
        // The entry holds its own reference: a dump may run on another thread while the graph
        // is taken down, after the table let go of the entry.
        std::shared_ptr<GstElement> pipeline(GST_ELEMENT(gst_object_ref(core_->pipeline)), gst_object_unref);
        RegisterGraphInROT(this, [pipeline] {
            gchar* dot = gst_debug_bin_to_dot_data(GST_BIN(pipeline.get()), GST_DEBUG_GRAPH_SHOW_ALL);
            QByteArray out(dot ? dot : "");
            g_free(dot);
            return out;
        }, &rotCookie_);
    }
    graphEdit_ = value;
}

void TFilterGraph::SetLogFile(const QString& name) {
    if (Active()) {
        core_->log.reset();
        if (!name.isEmpty()) {
            core_->log = GraphLog::Open(name, core_->pipeline);
            if (!core_->log) return;
        }
    }
    logFile_ = name;
}

void TFilterGraph::AddListener(IGraphListener* listener) {
    if (listener && !listeners_.contains(listener)) listeners_.append(listener);
}

void TFilterGraph::RemoveListener(IGraphListener* listener) { listeners_.removeOne(listener); }

void TFilterGraph::ControlEvent(int event, int param) {
    // A copy: a listener may remove itself while it is told.
    const QList<IGraphListener*> listeners = listeners_;
    for (IGraphListener* listener : listeners) listener->ControlEvent(event, param);
}

void TFilterGraph::SetMode(TGraphMode mode) {
    if (mode == mode_) return;
    const bool wasActive = Active();
    SetActive(false);
    mode_ = mode;
    SetActive(wasActive);
}

void TFilterGraph::AddToGraph(IFilterProvider* member) {
    member->NotifyFilter(foAdding);
    const QString name = member->GetName();
    core_->AddFilter(member->GetFilter(), name);
    member->NotifyFilter(foAdded);
}

void TFilterGraph::RemoveFromGraph(IFilterProvider* member) {
    member->NotifyFilter(foRemoving);
    core_->RemoveFilter(member->GetFilter());
    member->NotifyFilter(foRemoved);
}

void TFilterGraph::AddMember(IFilterProvider* member) {
    if (!member || members_.contains(member)) return;
    members_.append(member);
    if (Active()) AddToGraph(member);
}

void TFilterGraph::RemoveMember(IFilterProvider* member) {
    if (!members_.removeOne(member)) return;
    if (Active()) RemoveFromGraph(member);
}

bool TFilterGraph::Run() {
    if (!Active()) return false;
    ControlEvent(cpeRun, 0);
    const HRESULT result = CheckHResult(core_->ChangeState(GST_STATE_PLAYING, false));
    core_->wanted = FilterState::State_Running;
    return result >= 0;
}

bool TFilterGraph::Pause() {
    if (!Active()) return false;
    ControlEvent(cpePause, 0);
    const HRESULT result = CheckHResult(core_->ChangeState(GST_STATE_PAUSED, true));
    core_->wanted = FilterState::State_Paused;
    return result == S_OK;
}

// A stopped graph keeps its position and its prerolled picture; nothing streams.
bool TFilterGraph::Stop() {
    if (!Active()) return false;
    ControlEvent(cpeStop, 0);
    const HRESULT result = CheckHResult(core_->ChangeState(GST_STATE_PAUSED, false));
    core_->wanted = FilterState::State_Stopped;
    return result == S_OK;
}

HRESULT TFilterGraph::RenderFile(const QString& name) {
    if (!Active()) return S_FALSE;
    ControlEvent(cpeRendering, 0);
    renderedName_.clear();
    renderedWanted_ = WantsWindow();
    const HRESULT result = CheckHResult(core_->Render(name));
    renderedName_ = name;
    ShowWindow();
    ControlEvent(cpeRendered, 0);
    return result;
}

void TFilterGraph::ClearGraph() {
    if (!Active()) return;
    Stop();
    core_->ClearRendered();
    renderedName_.clear();
}

void TFilterGraph::DisconnectAll() {
    if (!Active()) return;
    gst_element_set_state(core_->pipeline, GST_STATE_NULL);
    const TFilterList filters(this);
    for (int i = 0; i < filters.Count(); ++i) {
        const TPinList pins(filters.GetFilter(i));
        for (int j = 0; j < pins.Count(); ++j) CheckHResult(pins.GetPin(j)->Disconnect());
    }
    core_->wanted = FilterState::State_Stopped;
    renderedName_.clear();
}

HRESULT TFilterGraph::GetState(int timeoutMs, FilterState* state) {
    if (!state) return E_POINTER;
    if (!Active()) return E_NOINTERFACE;
    return core_->State(timeoutMs, state);
}

HRESULT TFilterGraph::GetDuration(qint64* duration) {
    if (!duration) return E_POINTER;
    return Active() ? core_->Duration(duration) : E_NOINTERFACE;
}

HRESULT TFilterGraph::GetCurrentPosition(qint64* position) {
    if (!position) return E_POINTER;
    return Active() ? core_->Position(position) : E_NOINTERFACE;
}

HRESULT TFilterGraph::SetPositions(qint64* current, int currentFlags, qint64*, int) {
    if (!Active()) return E_NOINTERFACE;
    if ((currentFlags & 0x3) != AM_SEEKING_AbsolutePositioning) return S_OK;
    if (!current) return E_POINTER;
    return core_->Seek(*current);
}

HRESULT TFilterGraph::put_Volume(long volume) {
    if (volume < -10000 || volume > 0) return E_INVALIDARG;
    volume_ = volume;
    if (Active()) core_->ApplyLevels(volume_, balance_);
    return Active() ? S_OK : E_NOINTERFACE;
}

void TFilterGraph::SetDeviceLevels(double left, double right) {
    deviceLeft_ = std::clamp(left, 0.0, 1.0);
    deviceRight_ = std::clamp(right, 0.0, 1.0);
    if (!Active()) return;
    {
        std::lock_guard guard(core_->lock);
        core_->deviceLeft = deviceLeft_;
        core_->deviceRight = deviceRight_;
    }
    core_->ApplyLevels(volume_, balance_);
}

void TFilterGraph::SetDualMode(int mode) {
    dualMode_ = std::clamp(mode, 0, 2);
    if (Active()) core_->dualMode = dualMode_;
}

HRESULT TFilterGraph::get_Volume(long* volume) {
    if (!volume) return E_POINTER;
    *volume = volume_;
    return Active() ? S_OK : E_NOINTERFACE;
}

HRESULT TFilterGraph::put_Balance(long balance) {
    if (balance < -10000 || balance > 10000) return E_INVALIDARG;
    balance_ = balance;
    if (Active()) core_->ApplyLevels(volume_, balance_);
    return Active() ? S_OK : E_NOINTERFACE;
}

HRESULT TFilterGraph::get_Balance(long* balance) {
    if (!balance) return E_POINTER;
    *balance = balance_;
    return Active() ? S_OK : E_NOINTERFACE;
}

QStringList TFilterGraph::FilterFactories() const { return Active() ? core_->Factories() : QStringList(); }

// An event of a render or graph that has since been replaced is dropped. A handler's exception
// stops at this boundary and is shown as the program shows any error it did not expect; the next
// event is still delivered.
void TFilterGraph::Deliver(quint64 epoch, int code, qintptr param1, qintptr param2) {
    if (!core_ || core_->epoch.load() != epoch) return;
    QString text;
    try {
        DoEvent(code, param1, param2);
        return;
    } catch (const std::exception& e) {
        text = QString::fromUtf8(e.what());
    } catch (...) {
        text = QStringLiteral("处理媒体事件时发生未知错误。");
    }
    qWarning("filter graph event %d: %s", code, qUtf8Printable(text));
    platform::ShowMessage(text, QStringLiteral("Velmora Player"), platform::MessageIcon::Error);
}

int DurationToMs(HRESULT result, qint64 duration) {
    if (result < 0 || duration <= 0) return 0;
    const qint64 ms = RefTimeToMs(duration);
    return ms > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : int(ms);
}

int GraphDurationMs(TFilterGraph* graph) {
    if (!graph) return 0;
    qint64 duration = 0;
    const HRESULT result = graph->GetDuration(&duration);
    return DurationToMs(result, duration);
}

}  // namespace directshow
