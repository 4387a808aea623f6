// Controls shared by the tests' tiny plug-ins: each library keeps a log of the calls it got and
// a few values the test sets, reached with dlsym on the library the host loaded.
#pragma once

extern "C" {
// The calls so far, one word per call ("Init Play:/m/a.mp3 Stop Quit ").
__attribute__((visibility("default"))) const char* FakeLog();
__attribute__((visibility("default"))) void FakeSet(const char* name, int value);
}
