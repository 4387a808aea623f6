#include "tests/media_fixtures.h"

#include <gst/gst.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <filesystem>

namespace {

QString Extension(MediaKind kind) {
    switch (kind) {
    case MediaKind::Wav: return QStringLiteral(".wav");
    case MediaKind::Mp3: return QStringLiteral(".mp3");
    case MediaKind::Ogg: return QStringLiteral(".ogg");
    case MediaKind::Flac: return QStringLiteral(".flac");
    case MediaKind::M4a: return QStringLiteral(".m4a");
    case MediaKind::Mp4Video: return QStringLiteral(".mp4");
    case MediaKind::MkvVideo: return QStringLiteral(".mkv");
    }
    return {};
}

QString Description(MediaKind kind, double seconds, const QString& path) {
    const int audioBuffers = qMax(1, int(seconds * 44100 / 1024 + 0.5));
    const int frames = qMax(1, int(seconds * 25 + 0.5));
    const QString tone =
        QStringLiteral("audiotestsrc num-buffers=%1 samplesperbuffer=1024 freq=440 ! "
                       "audio/x-raw,rate=44100,channels=2 ! audioconvert ! ")
            .arg(audioBuffers);
    const QString picture = QStringLiteral("videotestsrc num-buffers=%1 ! video/x-raw,width=320,height=240,"
                                           "framerate=25/1 ! videoconvert ! ")
                                .arg(frames);
    const QString sink = QStringLiteral("filesink location=\"%1\"").arg(path);
    switch (kind) {
    case MediaKind::Wav: return tone + QStringLiteral("wavenc ! ") + sink;
    case MediaKind::Mp3: return tone + QStringLiteral("lamemp3enc ! xingmux ! id3v2mux ! ") + sink;
    case MediaKind::Ogg: return tone + QStringLiteral("vorbisenc ! oggmux ! ") + sink;
    case MediaKind::Flac: return tone + QStringLiteral("flacenc ! ") + sink;
    case MediaKind::M4a: return tone + QStringLiteral("avenc_aac ! aacparse ! mp4mux ! ") + sink;
    case MediaKind::Mp4Video:
        return picture + QStringLiteral("x264enc speed-preset=ultrafast ! h264parse ! queue ! mux. ") + tone +
               QStringLiteral("avenc_aac ! aacparse ! queue ! mux. mp4mux name=mux ! ") + sink;
    case MediaKind::MkvVideo:
        return picture + QStringLiteral("x264enc speed-preset=ultrafast ! h264parse ! queue ! mux. ") + tone +
               QStringLiteral("vorbisenc ! queue ! mux. matroskamux name=mux ! ") + sink;
    }
    return {};
}

// Runs the pipeline that writes path; false (with the reason on stderr) when it fails.
bool Encode(MediaKind kind, double seconds, const QString& path) {
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(Description(kind, seconds, path).toUtf8().constData(), &error);
    if (!pipeline) {
        std::fprintf(stderr, "MakeMedia: %s\n", error ? error->message : "no pipeline");
        if (error) g_error_free(error);
        return false;
    }
    if (error) g_error_free(error);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message = gst_bus_timed_pop_filtered(bus, 60 * GST_SECOND,
                                                     GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ok = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (message && !ok) {
        GError* failure = nullptr;
        gst_message_parse_error(message, &failure, nullptr);
        std::fprintf(stderr, "MakeMedia: %s\n", failure ? failure->message : "error");
        if (failure) g_error_free(failure);
    }
    if (message) gst_message_unref(message);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return ok;
}

// The shared copy of this media, made on first use; empty when it cannot be made. Named by its
// recipe and the GStreamer version, so a changed recipe never meets an old file. Written under a
// private name and renamed, so a parallel test process sees either nothing or the whole file.
QString SharedMedia(MediaKind kind, double seconds) {
    gchar* version = gst_version_string();
    const QByteArray recipe = Description(kind, seconds, {}).toUtf8() + version;
    g_free(version);
    const QString key = QCryptographicHash::hash(recipe, QCryptographicHash::Sha1).toHex().left(16);
    const QString folder = QStringLiteral(VELMORA_TEST_MEDIA_DIR);
    const QString shared = folder + "/" + key + Extension(kind);
    if (QFileInfo(shared).size() > 0) return shared;
    if (!QDir().mkpath(folder)) return {};
    const QString partial = QStringLiteral("%1/%2.%3.part").arg(folder, key).arg(QCoreApplication::applicationPid());
    if (!Encode(kind, seconds, partial)) {
        QFile::remove(partial);
        return {};
    }
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(shared).constData()) != 0) {
        QFile::remove(partial);
        return {};
    }
    return shared;
}

}  // namespace

// Encoding takes seconds a file, and ctest starts every test as a process of its own, so each
// recipe is encoded once per build folder and copied to where the caller wants it. A copy, not a
// link: a test that edits its file must not change the next test's.
QString MakeMedia(const QString& folder, const QString& baseName, MediaKind kind, double seconds) {
    gst_init(nullptr, nullptr);
    const QString path = QDir(folder).filePath(baseName + Extension(kind));
    const QString shared = SharedMedia(kind, seconds);
    if (shared.isEmpty()) return Encode(kind, seconds, path) ? path : QString();
    std::error_code error;
    std::filesystem::copy_file(QFile::encodeName(shared).constData(), QFile::encodeName(path).constData(),
                               std::filesystem::copy_options::overwrite_existing, error);
    if (error) {
        std::fprintf(stderr, "MakeMedia: cannot copy to %s: %s\n", qPrintable(path), error.message().c_str());
        return {};
    }
    return path;
}
