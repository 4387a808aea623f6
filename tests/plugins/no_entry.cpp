// A library that loads but exports no plug-in entry point.
extern "C" __attribute__((visibility("default"))) int NotAPlugIn() { return 1; }
