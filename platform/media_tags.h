// The title, artist and copyright notice a media file carries in whatever tag format GStreamer
// reads, for files without the 128-byte tag.
#pragma once

#include <QString>

namespace platform {

struct MediaTags {
    QString title;
    QString artist;
    QString copyright;
};

// False when the file cannot be opened as media within `timeoutMs` (the tags stay empty then);
// true when it opened, whether or not it carries any of the three tags.
bool DiscoverMediaTags(const QString& path, MediaTags* tags, int timeoutMs = 5000);

}  // namespace platform
