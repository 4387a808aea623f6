// The program's main block: one running player per user, a later start hands its argument over.
#pragma once

inline constexpr const char* kRunningAtom = "VELMORA3_RUNNING";

// Runs the player (or the hand-over of a second start) and returns the exit code.
int Project1(int argc, char** argv);
