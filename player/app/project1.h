// The program's main block: one running player per user, a later start hands its argument over.
#pragma once

#include <QString>

inline constexpr const char* kRunningAtom = "VELMORA3_RUNNING";
// The session lock the running player holds for its whole life: whoever takes it is the player.
inline constexpr const char* kInstanceLockName = "instance";
// The longest hand-over text the running player reads from the atom; longer ones travel
// through the registry.
inline constexpr int kHandOverAtomChars = 254;

// Runs the player (or the hand-over of a second start) and returns the exit code: 1 when a
// second start could not hand its argument over.
int Project1(int argc, char** argv);

// The local path a "file:" URL names (its escapes decoded); empty for any other text, and for a
// file URL of another host.
QString FileUrlPath(const QString& argument);

// Whether the start's argument (as the player keeps it) is an entry to play, a file or a stream,
// rather than a list, a skin or a link list.
bool StartPlaysAtOnce(const QString& argument);

// The first argument as the player keeps it: a local file URL becomes its path, a relative path
// is made absolute against the caller's working folder; other URLs, station codes, list entries
// and link lists stay unchanged.
QString AbsoluteArgument(const QString& argument, const QString& workingFolder);
