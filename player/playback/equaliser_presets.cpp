#include "player/playback/equaliser_presets.h"

#include "platform/message_box.h"
#include "platform/text_file.h"
#include "player/core/ctrl.h"
#include "player/playback/run.h"

namespace {

int LowByte(int value) { return value & 0xFF; }

const QString* PresetLine(const QStringList& lines, const QString& prefix) {
    for (const QString& line : lines) {
        if (line.trimmed().startsWith(prefix)) return &line;
    }
    return nullptr;
}

}  // namespace

TEqPreset ParseEqPreset(const QStringList& lines, int n) {
    TEqPreset preset;
    const QString prefix = QString::number(n) + QLatin1Char('=');
    const QString* line = PresetLine(lines, prefix);
    if (!line) return preset;
    preset.Found = true;
    QString rest = line->trimmed().mid(prefix.size());
    for (int band = 0; band < 10; ++band) {
        const qsizetype comma = rest.indexOf(QLatin1Char(','));
        bool ok = false;
        const int value = rest.left(comma).trimmed().toInt(&ok);
        if (!ok || (band < 9 && comma < 0)) return preset;
        preset.Bands[std::size_t(band)] = LowByte(value);
        rest = comma < 0 ? QString() : rest.mid(comma + 1);
    }
    preset.Valid = true;
    return preset;
}

QString EqPresetFile() { return Ctrl->InstallFolder + QStringLiteral("Plugins/EQPlus.ini"); }

void TRun::LoadEqPreset(int n) {
    QStringList lines;
    QString error;
    if (!platform::ReadTextLines(EqPresetFile(), &lines, &error)) {
        platform::ShowMessage(error, QString(), platform::MessageIcon::Error);
        return;
    }
    const TEqPreset preset = ParseEqPreset(lines, n);
    if (!preset.Found) return;
    for (int band = 1; band <= 10; ++band) {
        const int value = preset.Valid ? preset.Bands[std::size_t(band - 1)] : 31;
        Ctrl->WriteInteger(QStringLiteral("EQ%1").arg(band, 2, 10, QLatin1Char('0')), value);
    }
    // The preamp is no part of a preset; the default one and a broken line bring it back level.
    if (n == 0 || !preset.Valid) Ctrl->WriteInteger(QStringLiteral("EQ00"), 31);
    SetEq(QStringLiteral("InitEQ"), -1);
}
