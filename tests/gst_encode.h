// Test media the shared fixtures do not make (ASF, chained Ogg, MP3 without a length header),
// written by gst-launch-1.0 from a pipeline description.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdio>

inline bool EncodeWith(const QString& description) {
    QProcess launch;
    // gst-launch takes the description as separate words.
    launch.start(QStringLiteral("gst-launch-1.0"),
                 QStringList{QStringLiteral("-q")} + description.split(u' ', Qt::SkipEmptyParts));
    if (!launch.waitForFinished(60000) || launch.exitStatus() != QProcess::NormalExit || launch.exitCode() != 0) {
        std::fprintf(stderr, "EncodeWith: %s\n%s\n", qPrintable(description),
                     launch.readAllStandardError().constData());
        return false;
    }
    return true;
}

// Whether every named element is installed.
inline bool HaveElements(const QStringList& factories) {
    for (const QString& name : factories) {
        if (QProcess::execute(QStringLiteral("gst-inspect-1.0"), {QStringLiteral("--exists"), name}) != 0) return false;
    }
    return true;
}
