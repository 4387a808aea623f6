// The entry grammar on arbitrary text: the three marked fields and everything derived from them.
#include "fuzz_support.h"

#include "player/playlist/playlist_item.h"

#include <QString>
#include <QStringList>
#include <cstring>

namespace {

// A field is a view into its entry.
bool Inside(QStringView field, QStringView entry) {
    if (field.isEmpty()) return true;
    return field.data() >= entry.data() && field.data() + field.size() <= entry.data() + entry.size();
}

void CheckFields(QStringView entry) {
    for (QStringView field : {playlist::PathField(entry), playlist::TitleField(entry),
                              playlist::TimeField(entry)})
        FUZZ_CHECK(Inside(field, entry));
    FUZZ_CHECK(!playlist::TitleField(entry).isEmpty() <= playlist::HasTitle(entry));
    for (auto mode : {playlist::SortKeyMode::Title, playlist::SortKeyMode::Extension,
                      playlist::SortKeyMode::Path, playlist::SortKeyMode::Time})
        FUZZ_CHECK(Inside(playlist::SortKey(entry, mode), entry));

    const QStringView path = playlist::PathField(entry);
    FUZZ_CHECK(Inside(playlist::FileNamePart(path), path));
    const QStringView extension = playlist::PathExtension(path);
    FUZZ_CHECK(extension.isEmpty() || extension.front() == u'.');
    FUZZ_CHECK(playlist::LowerExtension(path) == extension.toString().toLower());
    FUZZ_CHECK(playlist::GetTitle(entry).size() <= entry.size());

    const QStringView time = playlist::TimeField(entry);
    const int seconds = playlist::ValidTimeSeconds(time);
    FUZZ_CHECK(seconds >= 0 && seconds <= 99 * 60 + 99);
    FUZZ_CHECK(playlist::IsValidTime(time) || seconds == 0);
    FUZZ_CHECK(playlist::EntrySeconds(entry) == seconds);
}

// A length under 100 minutes is written as a time the grammar counts back to the same seconds.
void CheckTime(qint64 milliseconds) {
    const QString text = playlist::FormatTime(milliseconds);
    if (milliseconds < 0) {
        FUZZ_CHECK(text == playlist::FormatTime(0));
        return;
    }
    if (milliseconds >= 100 * 60 * 1000) return;
    FUZZ_CHECK(playlist::IsValidTime(text));
    FUZZ_CHECK(playlist::ValidTimeSeconds(text) == milliseconds / 1000);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size >= sizeof(qint64)) {
        qint64 milliseconds;
        std::memcpy(&milliseconds, data, sizeof milliseconds);
        CheckTime(milliseconds);
    }
    // Entries come from files as lines; several lines make a list for the totals.
    const QStringList entries =
        QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)).split(u'\n');
    qint64 total = 0;
    for (const QString& entry : entries) {
        CheckFields(entry);
        const QString made = playlist::MakeEntry(entry);
        // A plain text holding the closing marker, or starting with its ">" (so that "<?>" reads
        // as one), cannot come back whole; no path or URL looks like that.
        if (entry.contains(u"<?")) FUZZ_CHECK(made == entry);
        else if (!entry.contains(u"?>") && !entry.startsWith(u'>'))
            FUZZ_CHECK(playlist::PathField(made) == entry);
        total += playlist::EntrySeconds(entry);
    }
    FUZZ_CHECK(playlist::RefreshAllTime(entries) == total);
    for (qsizetype n : {qsizetype(-1), qsizetype(0), entries.size() - 1, entries.size()}) {
        const qint64 added = playlist::ChangeTime(total, entries, n, false);
        FUZZ_CHECK(playlist::ChangeTime(added, entries, n, true) == total);
    }
    return 0;
}
