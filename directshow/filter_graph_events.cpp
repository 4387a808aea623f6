// The dispatch of graph and DVD events to the component's signals.
#include <QLocale>
#include <QMetaMethod>
#include <cstring>

#include "directshow/filter_graph.h"
#include "directshow/filter_graph_core.h"

namespace directshow {

namespace {

quint32 U(qintptr value) { return quint32(value); }

// Windows' primary language ids of the languages DVDs carry most; others answer 0.
int LanguageId(const QString& code) {
    static const std::pair<const char*, int> ids[] = {
        {"zh", 0x04}, {"en", 0x09}, {"ja", 0x11}, {"ko", 0x12}, {"fr", 0x0C}, {"de", 0x07}, {"es", 0x0A},
        {"it", 0x10}, {"ru", 0x19}, {"pt", 0x16}, {"nl", 0x13}, {"th", 0x1E}, {"ar", 0x01}, {"hi", 0x39},
    };
    for (const auto& [name, id] : ids) {
        if (code == QLatin1String(name)) return id;
    }
    return 0;
}

}  // namespace

void TFilterGraph::DoEvent(int code, qintptr param1, qintptr param2) {
    const QList<IGraphListener*> listeners = listeners_;  // a listener may remove itself
    for (IGraphListener* listener : listeners) listener->GraphEvent(code, param1, param2);
    emit OnDSEvent(code, param1, param2);
    if (DispatchGraphEvent(code, param1, param2) || DispatchMoreGraphEvents(code, param1, param2)) return;
    if (!DispatchDvdEvent(code, param1, param2)) DispatchDvdNotice(code, param1, param2);
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

bool TFilterGraph::DispatchDvdEvent(int code, qintptr p1, qintptr p2) {
    switch (code) {
    case EC_DVD_DOMAIN_CHANGE:
        switch (p1) {
        case DVD_DOMAIN_FirstPlay: emit OnDVDDomainFirstPlay(); break;
        case DVD_DOMAIN_VideoManagerMenu: emit OnDVDDomainVideoManagerMenu(); break;
        case DVD_DOMAIN_VideoTitleSetMenu: emit OnDVDDomainVideoTitleSetMenu(); break;
        case DVD_DOMAIN_Title: emit OnDVDDomainTitle(); break;
        case DVD_DOMAIN_Stop: emit OnDVDDomainStop(); break;
        default: break;
        }
        return true;
    case EC_DVD_TITLE_CHANGE: emit OnDVDTitleChange(int(p1)); return true;
    case EC_DVD_CHAPTER_START: emit OnDVDChapterStart(int(p1)); return true;
    case EC_DVD_AUDIO_STREAM_CHANGE:
    case EC_DVD_SUBPICTURE_STREAM_CHANGE: DvdStreamLanguage(code, int(p1)); return true;
    case EC_DVD_ANGLE_CHANGE: emit OnDVDAngleChange(int(p1), int(p2)); return true;
    case EC_DVD_BUTTON_CHANGE: emit OnDVDButtonChange(int(p1), int(p2)); return true;
    case EC_DVD_VALID_UOPS_CHANGE: emit OnDVDValidUOPSChange(int(p1)); return true;
    case EC_DVD_STILL_ON: emit OnDVDStillOn(p1 == 1, int(p2)); return true;
    case EC_DVD_STILL_OFF: emit OnDVDStillOff(); return true;
    case EC_DVD_CURRENT_TIME: {
        const DvdTimeCode b = UnpackDvdTimeCode(U(p1));
        const int frate = b[8] == 1 ? 25 : b[8] == 3 ? 30 : 0;
        emit OnDVDCurrentTime(b[0] + 10 * b[1], b[2] + 10 * b[3], b[4] + 10 * b[5], b[6] + 10 * b[7], frate);
        return true;
    }
    case EC_DVD_ERROR:
        switch (p1) {
        case 1: emit OnDVDErrorUnexpected(); break;
        case 2: emit OnDVDErrorCopyProtectFail(); break;
        case 3: emit OnDVDErrorInvalidDVD1_0Disc(); break;
        case 4: emit OnDVDErrorInvalidDiscRegion(); break;
        case 5: emit OnDVDErrorLowParentalLevel(); break;
        case 6: emit OnDVDErrorMacrovisionFail(); break;
        case 7: emit OnDVDErrorIncompatibleSystemAndDecoderRegions(); break;
        case 8: emit OnDVDErrorIncompatibleDiscAndDecoderRegions(); break;
        default: break;
        }
        return true;
    case EC_DVD_WARNING:
        switch (p1) {
        case 1: emit OnDVDWarningInvalidDVD1_0Disc(); break;
        case 2: emit OnDVDWarningFormatNotSupported(); break;
        case 3: emit OnDVDWarningIllegalNavCommand(); break;
        case 4: emit OnDVDWarningOpen(); break;
        case 5: emit OnDVDWarningSeek(); break;
        case 6: emit OnDVDWarningRead(); break;
        default: break;
        }
        return true;
    default: return false;
    }
}

bool TFilterGraph::DispatchDvdNotice(int code, qintptr p1, qintptr p2) {
    switch (code) {
    case EC_DVD_CHAPTER_AUTOSTOP: emit OnDVDChapterAutoStop(); return true;
    case EC_DVD_NO_FP_PGC: emit OnDVDNoFP_PGC(); return true;
    case EC_DVD_PLAYBACK_RATE_CHANGE: emit OnDVDPlaybackRateChange(float(p1) / 10000.0f); return true;
    case EC_DVD_PARENTAL_LEVEL_CHANGE: emit OnDVDParentalLevelChange(int(p1)); return true;
    case EC_DVD_PLAYBACK_STOPPED: emit OnDVDPlaybackStopped(); return true;
    case EC_DVD_ANGLES_AVAILABLE: emit OnDVDAnglesAvailable(p1 != 0); return true;
    case EC_DVD_PLAYPERIOD_AUTOSTOP: emit OnDVDPlayPeriodAutoStop(); return true;
    case EC_DVD_BUTTON_AUTO_ACTIVATED: emit OnDVDButtonAutoActivated(U(p1)); return true;
    case EC_DVD_CMD_START: emit OnDVDCMDStart(U(p1)); return true;
    case EC_DVD_CMD_END: emit OnDVDCMDEnd(U(p1)); return true;
    case EC_DVD_DISC_EJECTED: emit OnDVDDiscEjected(); return true;
    case EC_DVD_DISC_INSERTED: emit OnDVDDiscInserted(); return true;
    case EC_DVD_CURRENT_HMSF_TIME: {
        DVD_HMSF_TIMECODE hmsf;
        const quint32 packed = U(p1);
        std::memcpy(&hmsf, &packed, sizeof hmsf);
        emit OnDVDCurrentHMSFTime(hmsf, UnpackDvdTimeCode(U(p2)));
        return true;
    }
    case EC_DVD_KARAOKE_MODE: emit OnDVDKaraokeMode(p1 != 0); return true;
    default: return false;
    }
}

// Only a connected handler costs the look-up; a stream whose language the DVD source never told
// (or a graph that plays no DVD) reaches no handler.
void TFilterGraph::DvdStreamLanguage(int code, int stream) {
    const bool audio = code == EC_DVD_AUDIO_STREAM_CHANGE;
    const QMetaMethod signal = audio ? QMetaMethod::fromSignal(&TFilterGraph::OnDVDAudioStreamChange)
                                     : QMetaMethod::fromSignal(&TFilterGraph::OnDVDSubpictureStreamChange);
    if (!isSignalConnected(signal)) return;
    QString language;
    if (!core_ || !core_->DvdLanguage(audio, stream, &language)) return;
    const int lcid = LanguageId(language);
    const QLocale::Language known = QLocale(language).language();
    const QString name = known == QLocale::C ? language : QLocale::languageToString(known);
    if (audio)
        emit OnDVDAudioStreamChange(stream, lcid, name);
    else
        emit OnDVDSubpictureStreamChange(stream, lcid, name);
}

}  // namespace directshow
