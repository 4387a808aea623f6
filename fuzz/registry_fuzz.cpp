// The registry file reader on arbitrary files, and the rule that a change keeps every other value.
#include "fuzz_support.h"

#include "platform/registry.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QStringList>

namespace {

constexpr int kMaxDepth = 6;
constexpr int kMaxKeys = 200;
const QString kProbeKey = QStringLiteral("FuzzProbe");

// Every value the reader gives, keyed by "path\name" (case-folded, as names compare), with its
// type shown by which read answers.
using Values = QMap<QString, QString>;

QString Describe(const platform::TRegistry& reg, const QString& name) {
    QString text = "s:" + reg.ReadString(name);
    int number = 0;
    if (reg.ReadInteger(name, &number)) text += ";i:" + QString::number(number);
    text += ";b:" + QString::fromLatin1(reg.ReadBinaryData(name).toHex());
    return text;
}

void Walk(platform::TRegistry& reg, const QString& path, int depth, int* budget, Values* values) {
    if (depth > kMaxDepth || --*budget < 0) return;
    if (!path.isEmpty()) {
        FUZZ_CHECK(reg.OpenKeyReadOnly("\\" + path));
        for (const QString& name : reg.GetValueNames()) {
            FUZZ_CHECK(reg.ValueExists(name));
            values->insert((path + "\\" + name).toCaseFolded(), Describe(reg, name));
        }
    }
    if (path.isEmpty()) reg.CloseKey();
    const QStringList keys = reg.GetKeyNames();
    for (const QString& key : keys) {
        FUZZ_CHECK(!key.isEmpty() && !key.contains(u'\\'));
        Walk(reg, path.isEmpty() ? key : path + "\\" + key, depth + 1, budget, values);
    }
}

Values ReadAll() {
    platform::TRegistry reg;
    Values values;
    int budget = kMaxKeys;
    Walk(reg, {}, 0, &budget, &values);
    return values;
}

// Drops what the probe may have changed: its own key and anything under it.
void ForgetProbe(Values* values) {
    const QString prefix = kProbeKey.toCaseFolded() + "\\";
    for (auto it = values->begin(); it != values->end();)
        it = it.key().startsWith(prefix) ? values->erase(it) : std::next(it);
}

// The input's bytes as UTF-16 code units, lone surrogates and control characters included.
QString RawText(const uint8_t* data, size_t size) {
    return QString(reinterpret_cast<const QChar*>(data), qsizetype(size / 2));
}

// Any name and any text go into the file and come back exactly, whatever they hold.
void CheckExactWrite(const uint8_t* data, size_t size) {
    const size_t half = size / 4 * 2;
    const QString name = RawText(data, half);
    const QString value = RawText(data + half, size - half);
    QString key = name;
    key.remove(u'\\');
    if (key.trimmed().isEmpty()) key = QStringLiteral("Key");
    platform::TRegistry reg;
    FUZZ_CHECK(reg.OpenKey("\\" + kProbeKey + "\\" + key, true));
    FUZZ_CHECK(reg.WriteString(name, value));
    FUZZ_CHECK(reg.ReadString(name) == value);
    FUZZ_CHECK(reg.GetValueNames().contains(name));
    FUZZ_CHECK(reg.OpenKeyReadOnly("\\" + kProbeKey));
    FUZZ_CHECK(reg.GetKeyNames().contains(key));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qputenv("XDG_CONFIG_HOME", (fuzz::ScratchFolder() + "/config").toUtf8());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A fresh folder each time: a damaged file leaves a copy of itself beside it when rewritten.
    const QString folder = platform::TRegistry::StorageFolder();
    QDir(folder).removeRecursively();
    FUZZ_CHECK(QDir().mkpath(folder));
    QFile file(folder + "/HKEY_CURRENT_USER.reg");
    FUZZ_CHECK(file.open(QIODevice::WriteOnly));
    FUZZ_CHECK(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    file.close();

    Values before = ReadAll();
    if (size > 4096) return 0;
    platform::TRegistry reg;
    FUZZ_CHECK(reg.OpenKey("\\" + kProbeKey, true));
    FUZZ_CHECK(reg.WriteString("Probe", "value"));
    FUZZ_CHECK(reg.ReadString("Probe") == "value");
    Values after = ReadAll();
    ForgetProbe(&before);
    ForgetProbe(&after);
    FUZZ_CHECK(before == after);
    CheckExactWrite(data, size);
    return 0;
}
