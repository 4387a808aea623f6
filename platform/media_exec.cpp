// The Flash control (absent on Linux) and WinExec.
#include <QProcess>
#include <QStringList>
#include <mutex>

#include "platform/media_faces.h"
#include "platform/shell_open.h"

namespace platform {

FlashControl::FlashControl(QObject* parent) : QObject(parent) {
    throw OleError("Shockwave Flash control: no Flash runtime exists on this system");
}

QVariant FlashControl::GetProperty(int) const { return {}; }
void FlashControl::SetProperty(int, const QVariant&) {}
void FlashControl::Play() {}

namespace {

std::mutex g_recorderMutex;
CommandRecorder g_recorder;

bool IsBlank(QChar c) { return c == u' ' || c == u'\t'; }

// The program name: up to the first blank outside double quotes; quotes only group there.
QString TakeProgram(const QString& line, qsizetype& i) {
    QString out;
    bool quoted = false;
    for (; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u'"') quoted = !quoted;
        else if (!quoted && IsBlank(c)) break;
        else out += c;
    }
    return out;
}

// One argument by the C runtime's rules: 2n backslashes before a quote give n and the quote
// toggles quoting; 2n+1 give n and a literal quote; "" inside quotes is a literal quote.
QString TakeArgument(const QString& line, qsizetype& i) {
    QString out;
    bool quoted = false;
    while (i < line.size()) {
        const QChar c = line[i];
        if (!quoted && IsBlank(c)) break;
        if (c == u'\\') {
            qsizetype count = 0;
            while (i < line.size() && line[i] == u'\\') ++count, ++i;
            if (i < line.size() && line[i] == u'"') {
                out += QString(count / 2, u'\\');
                if (count % 2) {
                    out += u'"';
                    ++i;
                }
            } else {
                out += QString(count, u'\\');
            }
            continue;
        }
        if (c == u'"') {
            if (quoted && i + 1 < line.size() && line[i + 1] == u'"') {
                out += u'"';
                i += 2;
                continue;
            }
            quoted = !quoted;
            ++i;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

QStringList SplitCommandLine(const QString& line) {
    QStringList parts;
    qsizetype i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) return parts;
    parts << TakeProgram(line, i);
    for (;;) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i >= line.size()) break;
        parts << TakeArgument(line, i);
    }
    return parts;
}

}  // namespace

void SetCommandRecorder(CommandRecorder recorder) {
    std::lock_guard lock(g_recorderMutex);
    g_recorder = std::move(recorder);
}

void WinExec(const QString& commandLine, int show) {
    CommandRecorder recorder;
    {
        std::lock_guard lock(g_recorderMutex);
        recorder = g_recorder;
    }
    if (recorder) {
        recorder(commandLine, show);
        return;
    }
    QStringList parts = SplitCommandLine(commandLine);
    if (parts.isEmpty() || parts.first().isEmpty()) return;
    const QString program = parts.takeFirst();
    // The help viewer's command line opens our HTML manual's page instead.
    if (program.section(u'\\', -1).section(u'/', -1).compare(QStringLiteral("HH.exe"), Qt::CaseInsensitive) == 0) {
        if (!parts.isEmpty()) ShellOpen(HelpPage(parts.first()));
        return;
    }
    // A program that is not there starts nothing, as WinExec reports an error code nobody reads.
    QProcess::startDetached(program, parts);
}

}  // namespace platform
