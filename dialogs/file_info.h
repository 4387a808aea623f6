// TForm10: the path of the selected playlist entry and its tag, with the 128-byte tag of a local
// file edited in place.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

namespace platform { struct MediaTags; }

namespace Ui { class TForm10; }

// Whether an entry's path is a local file of a type whose tag the dialog reads: no "://" and
// its lower-cased "*.ext;" among the decoder lists (joined by ";").
bool IsTaggable(const QString& path, const QString& decodeLists);

// Reads the tags of a file without the 128-byte tag; runs on a worker thread. Replaceable so that
// a test can stand in a source that answers when it is told to.
using MediaTagSource = std::function<bool(const QString& path, platform::MediaTags* tags)>;
void SetMediaTagSource(MediaTagSource source);  // an empty one restores the GStreamer reader

class TForm10 : public QDialog {
    Q_OBJECT
public:
    explicit TForm10(QWidget* parent = nullptr);
    ~TForm10() override;

    // Loads the selected entry of the playlist box (entry 0 when none is selected). False, with
    // nothing loaded, when the playlist is empty.
    bool init();
    // Loads one entry text; `decodeLists` as IsTaggable takes them.
    void Load(const QString& entry, const QString& decodeLists);
    void GetMP3Tag(const QString& path);
    void SetMP3Tag(const QString& path);
    // True while the tags of a file without the 128-byte tag are still being read.
    bool TagPending() const { return pending_ != 0; }

    Ui::TForm10* ui() const { return ui_.get(); }

private:
    void SetEditable(bool on);
    void GetRealTag(const QString& path);
    void ShowRealTag(const QString& path, bool opened, const platform::MediaTags& tags);

    std::unique_ptr<Ui::TForm10> ui_;
    quint64 request_ = 0;  // the last tag read asked for; older answers are dropped
    quint64 pending_ = 0;  // the read still to answer, 0 when none
    int track_ = 0;  // the track number of the tag read, written back unchanged
};
