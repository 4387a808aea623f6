// The profile-file reader on arbitrary files, and the rule that a write keeps every other value.
#include "fuzz_support.h"

#include "platform/ini_file.h"
#include "platform/text_file.h"

#include <QByteArray>
#include <QMap>
#include <QStringList>

namespace {

constexpr qsizetype kMaxSections = 64;
const QString kProbe = QStringLiteral("FuzzProbe");

// Every section's "key=value" lines, as the reader gives them; sections compare as the reader
// compares them.
QMap<QString, QStringList> Snapshot(const platform::TIniFile& ini) {
    QMap<QString, QStringList> values;
    const QStringList sections = ini.ReadSections();
    QStringList folded;
    for (const QString& section : sections) folded.append(section.toCaseFolded());
    FUZZ_CHECK(folded.removeDuplicates() == 0);
    for (const QString& section : sections.mid(0, kMaxSections)) {
        FUZZ_CHECK(ini.SectionExists(section));
        const QStringList keys = ini.ReadSection(section);
        const QStringList lines = ini.ReadSectionValues(section);
        FUZZ_CHECK(keys.size() == lines.size());
        for (const QString& key : keys.mid(0, kMaxSections)) {
            FUZZ_CHECK(ini.ValueExists(section, key));
            ini.ReadInteger(section, key, 0);
            ini.ReadBool(section, key, false);
        }
        values.insert(section.toCaseFolded(), lines);
    }
    return values;
}

// A write goes out in GB18030; input whose text does not survive that trip would change for
// reasons that are not the writer's.
bool SurvivesRewrite(const QByteArray& bytes) {
    const QString text = platform::DecodeText(bytes);
    return platform::DecodeText(platform::EncodeGb18030(text)) == text;
}

// Any section, key and value the writer accepts read back exactly; a refusal says why.
void CheckExactWrite(platform::TIniFile& ini, const QString& text) {
    const QStringList parts = text.split(u'\x01');
    if (parts.size() < 3) return;
    const QString& section = parts[0];
    const QString& key = parts[1];
    const QString& value = parts[2];
    const QString written = platform::DecodeText(platform::EncodeGb18030(text));
    if (written != text) return;
    if (!ini.WriteString(section, key, value)) {
        FUZZ_CHECK(!ini.LastError().isEmpty());
        return;
    }
    FUZZ_CHECK(ini.LastError().isEmpty());
    FUZZ_CHECK(ini.ReadString(section, key, "\x02") == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::WriteScratchFile("setup.ini", data, size);
    platform::TIniFile ini(path);
    QMap<QString, QStringList> before = Snapshot(ini);

    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!SurvivesRewrite(bytes) || size > 4096) return 0;
    FUZZ_CHECK(ini.WriteString(kProbe, "key", "value"));
    FUZZ_CHECK(ini.ReadString(kProbe, "key", "default") == "value");
    QMap<QString, QStringList> after = Snapshot(ini);
    before.remove(kProbe.toCaseFolded());
    after.remove(kProbe.toCaseFolded());
    FUZZ_CHECK(before == after);

    // Erased and deleted names are gone for good, not only their first copy.
    const QStringList sections = ini.ReadSections();
    if (sections.isEmpty()) return 0;
    const QString first = sections.front();
    const QStringList keys = ini.ReadSection(first);
    if (!keys.isEmpty()) {
        FUZZ_CHECK(ini.DeleteKey(first, keys.front()));
        FUZZ_CHECK(!ini.ValueExists(first, keys.front()));
    }
    FUZZ_CHECK(ini.EraseSection(first));
    FUZZ_CHECK(!ini.SectionExists(first));
    CheckExactWrite(ini, platform::DecodeText(bytes));
    return 0;
}
