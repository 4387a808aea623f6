// The program's main block: one running player per user, a later start hands its argument over.
#pragma once

#include <QString>

inline constexpr const char* kRunningAtom = "VELMORA3_RUNNING";
// The session lock the running player holds for its whole life: whoever takes it is the player.
inline constexpr const char* kInstanceLockName = "instance";
// The longest hand-over text the running player reads from the atom; longer ones travel
// through the registry.
inline constexpr int kHandOverAtomChars = 254;

// Runs the player (or the hand-over of a second start) and returns the exit code.
int Project1(int argc, char** argv);

// The first argument as the player keeps it: a relative path made absolute against the
// caller's working folder; URLs, station codes, list entries and link lists unchanged.
QString AbsoluteArgument(const QString& argument, const QString& workingFolder);
