// The dispatch of graph events to the component's signals.
#include "directshow/filter_graph.h"

namespace directshow {

namespace {
quint32 U(qintptr value) { return quint32(value); }
}  // namespace

// LATER(dvd): the DVD events; no DVD graph builder exists over GStreamer, so none arrive.
void TFilterGraph::DoEvent(int code, qintptr param1, qintptr param2) {
    emit OnDSEvent(code, param1, param2);
    if (!DispatchGraphEvent(code, param1, param2)) DispatchMoreGraphEvents(code, param1, param2);
}

bool TFilterGraph::DispatchGraphEvent(int code, qintptr p1, qintptr p2) {
    switch (code) {
    case EC_COMPLETE: emit OnGraphComplete(HRESULT(p1), p2); return true;
    case EC_USERABORT: emit OnGraphUserAbort(); return true;
    case EC_ERRORABORT: emit OnGraphErrorAbort(HRESULT(p1)); return true;
    case EC_STREAM_ERROR_STOPPED: emit OnGraphStreamErrorStopped(HRESULT(p1), U(p2)); return true;
    case EC_STREAM_ERROR_STILLPLAYING: emit OnGraphStreamErrorStillPlaying(HRESULT(p1), U(p2)); return true;
    case EC_ERROR_STILLPLAYING: emit OnGraphErrorStillPlaying(HRESULT(p1)); return true;
    case EC_PALETTE_CHANGED: emit OnGraphPaletteChanged(); return true;
    case EC_VIDEO_SIZE_CHANGED: emit OnGraphVideoSizeChanged(quint16(p1 & 0xFFFF), quint16((p1 >> 16) & 0xFFFF)); return true;
    case EC_QUALITY_CHANGE: emit OnGraphQualityChange(); return true;
    case EC_CLOCK_CHANGED: emit OnGraphClockChanged(); return true;
    case EC_PAUSED: emit OnGraphPaused(HRESULT(p1)); return true;
    case EC_OPENING_FILE: emit OnGraphOpeningFile(p1 != 0); return true;
    case EC_BUFFERING_DATA: emit OnGraphBufferingData(p1 != 0); return true;
    case EC_FULLSCREEN_LOST: emit OnGraphFullscreenLost(p2); return true;
    default: return false;
    }
}

bool TFilterGraph::DispatchMoreGraphEvents(int code, qintptr p1, qintptr p2) {
    switch (code) {
    case EC_OLE_EVENT: emit OnGraphOleEvent(p1, p2); return true;
    case EC_STREAM_CONTROL_STOPPED: emit OnGraphStreamControlStopped(p1, U(p2)); return true;
    case EC_STREAM_CONTROL_STARTED: emit OnGraphStreamControlStarted(p1, U(p2)); return true;
    case EC_END_OF_SEGMENT:
        emit OnGraphEndOfSegment(p1 ? *reinterpret_cast<const qint64*>(p1) : 0, U(p2));
        return true;
    case EC_DEVICE_LOST: emit OnGraphDeviceLost(p1, p2 == 1); return true;
    case EC_STEP_COMPLETE: emit OnGraphStepComplete(); return true;
    case EC_TIMECODE_AVAILABLE: emit OnGraphTimeCodeAvailable(p1, U(p2)); return true;
    case EC_EXTDEVICE_MODE_CHANGE: emit OnGraphEXTDeviceModeChange(U(p1), U(p2)); return true;
    case EC_GRAPH_CHANGED: emit OnGraphChanged(); return true;
    case EC_CLOCK_UNSET: emit OnGraphClockUnset(); return true;
    case EC_VMR_RENDERDEVICE_SET: emit OnGraphVMRRenderDevice(p1); return true;
    case EC_SNDDEV_IN_ERROR: emit OnGraphSNDDevInError(U(p1), U(p2)); return true;
    case EC_SNDDEV_OUT_ERROR: emit OnGraphSNDDevOutError(U(p1), U(p2)); return true;
    default: return false;
    }
}

}  // namespace directshow
