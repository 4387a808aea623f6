// Session stand-in: atoms, windows by caption and messages, across real processes.
#include "platform/session.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <memory>
#include <signal.h>
#include <sys/stat.h>
#include <vector>

using namespace platform;
using testing_support::TempFolder;
using testing_support::helperProgram;

namespace {

QString AtomTablePath() { return SessionDirectory() + "/atoms"; }

// A session_peer publishing a window; closing its stdin ends it.
class Peer {
public:
    Peer(const QString& caption, const QString& recordPath) {
        process_.start(helperProgram("session_peer"), {"window", caption, recordPath});
        while (process_.waitForReadyRead(20000))
            if (process_.readAll().contains("ready")) {
                ready_ = true;
                break;
            }
    }
    ~Peer() {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(20000)) process_.kill();
        process_.waitForFinished();
    }
    bool ready() const { return ready_; }
    qint64 pid() const { return process_.processId(); }
    void Signal(int sig) { ::kill(pid_t(pid()), sig); }
    bool WaitForExit() { return process_.waitForFinished(20000); }

private:
    QProcess process_;
    bool ready_ = false;
};

QList<QJsonObject> Records(const QString& path) {
    QFile file(path);
    QList<QJsonObject> records;
    if (!file.open(QIODevice::ReadOnly)) return records;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (!line.isEmpty()) records.append(QJsonDocument::fromJson(line).object());
    return records;
}

}  // namespace

TEST(SessionAtoms, ReferenceCountsAndCaseInsensitiveNames) {
    const Atom atom = GlobalAddAtom("Alpha Track");
    ASSERT_GE(atom, kFirstStringAtom);
    EXPECT_EQ(GlobalAddAtom("ALPHA track"), atom);
    EXPECT_EQ(GlobalFindAtom("alpha TRACK"), atom);
    EXPECT_EQ(GlobalGetAtomName(atom, 255), "Alpha Track");  // the first spelling stays

    const Atom other = GlobalAddAtom("Beta");
    EXPECT_NE(other, atom);

    EXPECT_EQ(GlobalDeleteAtom(atom), 0);
    EXPECT_EQ(GlobalFindAtom("Alpha Track"), atom) << "one reference is left";
    EXPECT_EQ(GlobalDeleteAtom(atom), 0);
    EXPECT_EQ(GlobalFindAtom("Alpha Track"), 0);
    EXPECT_EQ(GlobalGetAtomName(atom, 255), "");
    EXPECT_EQ(GlobalDeleteAtom(atom), atom) << "deleting a gone atom fails";
    const Atom next = GlobalAddAtom("Gamma");
    EXPECT_NE(next, atom) << "a just-deleted id is not reissued at once under another name";
    EXPECT_EQ(GlobalDeleteAtom(next), 0);
    EXPECT_EQ(GlobalFindAtom("Beta"), other);
    EXPECT_EQ(GlobalDeleteAtom(other), 0);
}

TEST(SessionAtoms, NameLimits) {
    EXPECT_EQ(GlobalAddAtom(""), 0);
    EXPECT_EQ(GlobalFindAtom(""), 0);
    EXPECT_EQ(GlobalGetAtomName(0, 255), "");
    EXPECT_EQ(GlobalAddAtom(QString(256, 'x')), 0);

    const QString longest(255, QChar(0x6B4C));  // Chinese characters count as one each
    const Atom atom = GlobalAddAtom(longest);
    ASSERT_NE(atom, 0);
    EXPECT_EQ(GlobalGetAtomName(atom, 255), longest);
    EXPECT_EQ(GlobalGetAtomName(atom, 254), longest.left(254));
    EXPECT_EQ(GlobalGetAtomName(atom, 0), "");
    GlobalDeleteAtom(atom);

    const QString clef = QString::fromUtf8("\xF0\x9D\x84\x9E");  // outside the BMP
    const Atom wide = GlobalAddAtom(clef.repeated(255));
    ASSERT_NE(wide, 0);
    EXPECT_EQ(GlobalGetAtomName(wide, 2), clef.repeated(2)) << "a character is never cut in half";
    GlobalDeleteAtom(wide);
}

// The atoms outlive the processes that added them, and the lock keeps every count.
TEST(SessionAtoms, SimultaneousAddsFromOtherProcessesLoseNoReference) {
    constexpr int kProcesses = 8;
    std::vector<std::unique_ptr<QProcess>> adds;
    for (int i = 0; i < kProcesses; ++i) {
        adds.push_back(std::make_unique<QProcess>());
        adds.back()->start(helperProgram("session_peer"), {"add", "Racer"});
    }
    for (auto& add : adds) ASSERT_TRUE(add->waitForFinished(20000));
    const Atom atom = GlobalFindAtom("racer");
    ASSERT_NE(atom, 0);
    for (auto& add : adds) EXPECT_EQ(add->readAllStandardOutput().trimmed().toUInt(), atom);
    for (int i = 0; i < kProcesses - 1; ++i) ASSERT_EQ(GlobalDeleteAtom(atom), 0);
    EXPECT_EQ(GlobalFindAtom("Racer"), atom);
    EXPECT_EQ(GlobalDeleteAtom(atom), 0);
    EXPECT_EQ(GlobalFindAtom("Racer"), 0);
}

TEST(SessionAtoms, DamagedTableReadsAsEmptyAndIsRewritten) {
    QFile table(AtomTablePath());
    ASSERT_TRUE(table.open(QIODevice::WriteOnly | QIODevice::Truncate));
    table.write(QByteArray("\x00\xff{\"atoms\":[[[", 14));
    table.close();
    EXPECT_EQ(GlobalFindAtom("Anything"), 0);
    const Atom fresh = GlobalAddAtom("Fresh");
    ASSERT_NE(fresh, 0);
    EXPECT_EQ(GlobalFindAtom("Fresh"), fresh);
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QJsonDocument::fromJson(table.readAll()).isObject());
    table.close();
    GlobalDeleteAtom(fresh);

    // Entries that break the rules go; the sound one stays.
    ASSERT_TRUE(table.open(QIODevice::WriteOnly | QIODevice::Truncate));
    table.write(R"({"atoms":[{"id":49200,"refs":1,"name":"Kept"},{"id":5,"refs":1,"name":"LowId"},)"
                R"({"id":49201,"refs":1,"name":"KEPT"},{"id":49202,"refs":0,"name":"NoRefs"},)"
                R"({"id":49200,"refs":1,"name":"SameId"},{"id":49203,"refs":1,"name":""},7]})");
    table.close();
    EXPECT_EQ(GlobalFindAtom("kept"), 49200);
    for (const char* name : {"LowId", "NoRefs", "SameId"}) EXPECT_EQ(GlobalFindAtom(name), 0) << name;
    EXPECT_EQ(GlobalDeleteAtom(49200), 0);
}

TEST(SessionAtoms, ForeignNodesInPlaceOfTheTableNeitherBlockNorStick) {
    QFile::remove(AtomTablePath());
    ASSERT_EQ(::mkfifo(QFile::encodeName(AtomTablePath()).constData(), 0600), 0);
    EXPECT_EQ(GlobalFindAtom("Piped"), 0) << "a FIFO must not be opened for a blocking read";
    const Atom piped = GlobalAddAtom("Piped");
    EXPECT_NE(piped, 0);
    EXPECT_EQ(GlobalDeleteAtom(piped), 0);

    QFile::remove(AtomTablePath());
    ASSERT_TRUE(QDir().mkpath(AtomTablePath()));
    const Atom dir = GlobalAddAtom("Over A Folder");
    EXPECT_NE(dir, 0);
    EXPECT_EQ(GlobalFindAtom("Over A Folder"), dir);
    EXPECT_EQ(GlobalDeleteAtom(dir), 0);

    ASSERT_TRUE(QDir(SessionDirectory()).removeRecursively());
    const Atom again = GlobalAddAtom("After Removal");
    EXPECT_NE(again, 0) << "a missing session directory is made again";
    EXPECT_EQ(GlobalDeleteAtom(again), 0);
}

TEST(SessionWindows, OwnWindowIsCalledDirectlyAndFollowsItsCaption) {
    SessionWindow window;
    std::vector<quint32> seen;
    ASSERT_TRUE(window.Publish("LocalForm", [&](quint32 msg, quintptr w, qintptr l) {
        seen.push_back(msg);
        return qintptr(w) * 100 + l;
    }));
    const WindowRef ref = FindWindow("localform");
    ASSERT_FALSE(ref.isNull());
    bool ok = false;
    EXPECT_EQ(SendMessage(ref, 42, 3, -4, &ok), 296);
    EXPECT_TRUE(ok);
    EXPECT_EQ(seen, std::vector<quint32>{42});

    ASSERT_TRUE(window.SetCaption(QString::fromUtf8("正在退出...")));
    EXPECT_TRUE(FindWindow("LocalForm").isNull());
    EXPECT_FALSE(FindWindow(QString::fromUtf8("正在退出...")).isNull());

    window.Withdraw();
    EXPECT_TRUE(FindWindow(QString::fromUtf8("正在退出...")).isNull());
    SendMessage(ref, 42, 0, 0, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(seen.size(), 1u);
}

TEST(SessionWindows, HandOverToAnotherProcess) {
    TempFolder temp;
    const QString record = temp.file("record.jsonl");
    Peer peer("dispForm1", record);
    ASSERT_TRUE(peer.ready());
    const WindowRef ref = FindWindow("DISPFORM1");
    ASSERT_FALSE(ref.isNull());
    EXPECT_EQ(ref.pid, peer.pid());

    for (const QString& text : {QString("/music/song one.mp3"), QString(255, QChar(0x97F3))}) {
        const Atom atom = GlobalAddAtom(text);
        ASSERT_NE(atom, 0);
        bool ok = false;
        EXPECT_EQ(SendMessage(ref, 1001, 0, atom, &ok), (qintptr(1) << 40) + text.size());
        EXPECT_TRUE(ok);
        // The receiver has read the name before the send returned, so deleting it now is safe.
        ASSERT_FALSE(Records(record).isEmpty());
        EXPECT_EQ(Records(record).last().value("name").toString(), text);
        EXPECT_EQ(GlobalDeleteAtom(atom), 0);
    }

    bool ok = false;
    EXPECT_EQ(SendMessage(ref, 4004, 7, -5, &ok), -12) << "signed values survive the trip";
    EXPECT_EQ(SendMessage(ref, 9999, 0, 0, &ok), 1);
    EXPECT_TRUE(peer.WaitForExit());
    EXPECT_TRUE(FindWindow("dispForm1").isNull());
}

TEST(SessionWindows, KilledPeerIsGoneAndItsCaptionCanBePublishedAgain) {
    TempFolder temp;
    WindowRef stale;
    {
        Peer peer("dispForm1", temp.file("first.jsonl"));
        ASSERT_TRUE(peer.ready());
        stale = FindWindow("dispForm1");
        ASSERT_FALSE(stale.isNull());
        peer.Signal(SIGKILL);
        ASSERT_TRUE(peer.WaitForExit());
    }
    EXPECT_TRUE(FindWindow("dispForm1").isNull());
    bool ok = true;
    SendMessage(stale, 4004, 0, 0, &ok);
    EXPECT_FALSE(ok);

    Peer second("dispForm1", temp.file("second.jsonl"));
    ASSERT_TRUE(second.ready());
    const WindowRef ref = FindWindow("dispForm1");
    ASSERT_FALSE(ref.isNull());
    EXPECT_EQ(ref.pid, second.pid());
    EXPECT_EQ(SendMessage(ref, 4004, 1, 10, &ok), 9);
    EXPECT_TRUE(ok);
}

TEST(SessionWindows, HungPeerTimesOutAndIsServedAgainOnceItRuns) {
    TempFolder temp;
    Peer peer("dispForm1", temp.file("record.jsonl"));
    ASSERT_TRUE(peer.ready());
    const WindowRef ref = FindWindow("dispForm1");
    ASSERT_FALSE(ref.isNull());

    peer.Signal(SIGSTOP);
    bool ok = true;
    SendMessageTimeout(ref, 4004, 0, 1, 300, &ok);
    EXPECT_FALSE(ok);
    peer.Signal(SIGCONT);
    // The peer answers the abandoned request into a closed connection and must survive that.
    EXPECT_EQ(SendMessage(ref, 4004, 1, 3, &ok), 2);
    EXPECT_TRUE(ok);
}

TEST(SessionWindows, EntriesOfDeadOrBrokenWindowsAreRemoved) {
    const QString windows = SessionDirectory() + "/windows";
    ASSERT_TRUE(QDir().mkpath(windows));
    const QList<QPair<QString, QByteArray>> entries = {
        {"dead", R"({"caption":"Ghost","pid":2147483000})"},
        {"nosocket", QByteArray(R"({"caption":"Ghost","pid":)") + QByteArray::number(getppid()) + "}"},
        {"group", R"({"caption":"Ghost","pid":0})"},
        {"garbage", "\x01\x02not json"},
        {"otherdead", R"({"caption":"Unrelated","pid":2147483000})"},
    };
    for (const auto& [name, bytes] : entries) {
        QFile file(windows + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    EXPECT_TRUE(FindWindow("Ghost").isNull());
    EXPECT_TRUE(QDir(windows).entryList(QDir::Files).isEmpty());
}

TEST(SessionLocks, OneHolderAtATimeAndReleaseLetsTheNextIn) {
    SessionLock first("arbiter"), second("arbiter"), other("elsewhere");
    EXPECT_EQ(first.TryAcquire(), SessionLock::State::Acquired);
    EXPECT_EQ(second.TryAcquire(), SessionLock::State::Busy);
    EXPECT_EQ(second.Acquire(30), SessionLock::State::Busy) << "a wait that runs out";
    EXPECT_FALSE(second.Held());
    EXPECT_EQ(other.TryAcquire(), SessionLock::State::Acquired) << "another name is another lock";
    first.Release();
    EXPECT_EQ(second.TryAcquire(), SessionLock::State::Acquired);
    EXPECT_TRUE(second.Held());
}

TEST(SessionLocks, ProgramsTheHolderStartsDoNotKeepIt) {
    SessionLock holder("arbiter");
    ASSERT_EQ(holder.TryAcquire(), SessionLock::State::Acquired);
    QProcess child;
    child.start("sleep", {"30"});
    ASSERT_TRUE(child.waitForStarted());
    holder.Release();
    SessionLock next("arbiter");
    EXPECT_EQ(next.TryAcquire(), SessionLock::State::Acquired) << "the lock left with its holder";
    child.kill();
    child.waitForFinished();
}
