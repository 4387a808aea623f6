#include "platform/device_volume.h"
#include "plugins/winamp/device_volume_word.h"

#include "platform/registry.h"

#include <QCoreApplication>
#include <QString>
#include <QTimer>
#include <array>
#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <vector>

namespace platform {

namespace {

constexpr quint32 kFullVolume = 0xFFFFFFFFu;
const QString kKey = QStringLiteral("Software\\Velmora\\DeviceVolume");

struct State {
    std::mutex mutex;  // loading, storing and the listener list
    // Read without the lock by the output plug-in's streaming thread.
    std::array<std::atomic<quint32>, 2> words{kFullVolume, kFullVolume};
    std::atomic<bool> loaded{false};
    std::map<int, DeviceVolumeListener> listeners;
    int nextListener = 1;
    std::array<bool, 2> unsaved{false, false};
    bool saveScheduled = false;
};

// A slider drag sets the volume many times a second; the registry file is written once the
// changes pause, and at exit.
constexpr int kSaveDelayMs = 300;

State& Shared() {
    static State state;
    return state;
}

QString ValueName(DeviceFamily family) {
    return family == DeviceFamily::Midi ? QStringLiteral("Midi") : QStringLiteral("Wave");
}

std::size_t Slot(DeviceFamily family) { return family == DeviceFamily::Midi ? 1 : 0; }

void LoadLocked(State& state) {
    TRegistry registry(RootKey::CurrentUser);
    const bool open = registry.OpenKeyReadOnly(kKey);
    for (DeviceFamily family : {DeviceFamily::Wave, DeviceFamily::Midi}) {
        int stored = static_cast<int>(kFullVolume);
        if (open) registry.ReadInteger(ValueName(family), &stored);
        state.words[Slot(family)].store(static_cast<quint32>(stored));
    }
    state.loaded.store(true, std::memory_order_release);
}

State& Loaded() {
    State& state = Shared();
    if (!state.loaded.load(std::memory_order_acquire)) {
        std::lock_guard lock(state.mutex);
        if (!state.loaded.load()) LoadLocked(state);
    }
    return state;
}

void SaveLocked(State& state) {
    state.saveScheduled = false;
    if (!state.unsaved[0] && !state.unsaved[1]) return;
    TRegistry registry(RootKey::CurrentUser);
    bool stored = registry.OpenKey(kKey, true);
    for (DeviceFamily family : {DeviceFamily::Wave, DeviceFamily::Midi}) {
        if (!state.unsaved[Slot(family)]) continue;
        state.unsaved[Slot(family)] = false;
        stored = stored && registry.WriteInteger(ValueName(family), static_cast<int>(state.words[Slot(family)].load()));
    }
    // The device has taken the volume either way; only keeping it for the next start fails.
    if (!stored) std::fprintf(stderr, "velmora: the device volume could not be stored in the registry\n");
}

void SaveAtExit() { SaveDeviceVolumes(); }

void ScheduleSave() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) {
        SaveDeviceVolumes();
        return;
    }
    static const bool atExit = (qAddPostRoutine(SaveAtExit), true);
    (void)atExit;
    QTimer::singleShot(kSaveDelayMs, app, [] { SaveDeviceVolumes(); });
}

bool ValidDevice(DeviceFamily family, int device) { return device >= 0 && device < DeviceCount(family); }

}  // namespace

int DeviceCount(DeviceFamily) { return 1; }

quint32 GetDeviceVolume(DeviceFamily family, int device) {
    if (!ValidDevice(family, device)) return 0;
    return Loaded().words[Slot(family)].load();
}

bool SetDeviceVolume(DeviceFamily family, int device, quint32 word) {
    if (!ValidDevice(family, device)) return false;
    State& state = Loaded();
    std::vector<DeviceVolumeListener> toTell;
    bool schedule = false;
    {
        std::lock_guard lock(state.mutex);
        if (state.words[Slot(family)].exchange(word) == word) return true;
        state.unsaved[Slot(family)] = true;
        schedule = !state.saveScheduled;
        state.saveScheduled = true;
        for (const auto& [id, listener] : state.listeners) toTell.push_back(listener);
    }
    if (schedule) ScheduleSave();
    for (const auto& listener : toTell) listener(family, word);
    return true;
}

std::pair<double, double> DeviceLevels(DeviceFamily family) {
    const quint32 word = GetDeviceVolume(family, 0);
    return {(word & 0xFFFFu) / 65535.0, (word >> 16) / 65535.0};
}

int AddDeviceVolumeListener(DeviceVolumeListener listener) {
    State& state = Shared();
    std::lock_guard lock(state.mutex);
    const int id = state.nextListener++;
    state.listeners.emplace(id, std::move(listener));
    return id;
}

void RemoveDeviceVolumeListener(int id) {
    State& state = Shared();
    std::lock_guard lock(state.mutex);
    state.listeners.erase(id);
}

void SaveDeviceVolumes() {
    State& state = Shared();
    std::lock_guard lock(state.mutex);
    SaveLocked(state);
}

void ReloadDeviceVolumes() {
    State& state = Shared();
    std::lock_guard lock(state.mutex);
    // What this process set and has not written yet is not lost to the read.
    SaveLocked(state);
    LoadLocked(state);
}

}  // namespace platform

extern "C" unsigned int VelmoraDeviceVolumeWord(int family) {
    if (family != VELMORA_DEVICE_WAVE && family != VELMORA_DEVICE_MIDI) return 0xFFFFFFFFu;
    return platform::GetDeviceVolume(family == VELMORA_DEVICE_MIDI ? platform::DeviceFamily::Midi : platform::DeviceFamily::Wave, 0);
}
