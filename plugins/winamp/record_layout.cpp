// Compile-time proof that the plug-in records keep the published member order: every member sits
// where the natural layout of that order puts it, for this machine's pointer size, and on a
// 32-bit build at the published byte offsets themselves.
#include "plugins/winamp/winamp_plugin.h"

#include <cstddef>

namespace {

constexpr std::size_t P = sizeof(void*);
constexpr std::size_t RoundUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }

// In_Module: version, then pointers 1..4, two ints (5, 6), then pointers from index 7 on.
constexpr std::size_t InOffset(std::size_t index) {
    if (index == 0) return 0;
    if (index <= 4) return P * index;
    if (index <= 6) return 5 * P + (index - 5) * sizeof(int);
    return RoundUp(5 * P + 2 * sizeof(int), P) + (index - 7) * P;
}

// Out_Module: version, description, id, then pointers from index 3 on.
constexpr std::size_t OutOffset(std::size_t index) {
    if (index == 0) return 0;
    if (index == 1) return P;
    if (index == 2) return 2 * P;
    return RoundUp(2 * P + sizeof(int), P) + (index - 3) * P;
}

#define IN_AT(member, index, offset32)                                                  \
    static_assert(offsetof(In_Module, member) == InOffset(index), #member " misplaced"); \
    static_assert(P != 4 || offsetof(In_Module, member) == offset32, #member " not at its published offset")
#define OUT_AT(member, index, offset32)                                                   \
    static_assert(offsetof(Out_Module, member) == OutOffset(index), #member " misplaced"); \
    static_assert(P != 4 || offsetof(Out_Module, member) == offset32, #member " not at its published offset")

IN_AT(version, 0, 0);
IN_AT(description, 1, 4);
IN_AT(hMainWindow, 2, 8);
IN_AT(hDllInstance, 3, 12);
IN_AT(FileExtensions, 4, 16);
IN_AT(is_seekable, 5, 20);
IN_AT(UsesOutputPlug, 6, 24);
IN_AT(Config, 7, 28);
IN_AT(About, 8, 32);
IN_AT(Init, 9, 36);
IN_AT(Quit, 10, 40);
IN_AT(GetFileInfo, 11, 44);
IN_AT(InfoBox, 12, 48);
IN_AT(IsOurFile, 13, 52);
IN_AT(Play, 14, 56);
IN_AT(Pause, 15, 60);
IN_AT(UnPause, 16, 64);
IN_AT(IsPaused, 17, 68);
IN_AT(Stop, 18, 72);
IN_AT(GetLength, 19, 76);
IN_AT(GetOutputTime, 20, 80);
IN_AT(SetOutputTime, 21, 84);
IN_AT(SetVolume, 22, 88);
IN_AT(SetPan, 23, 92);
IN_AT(SAVSAInit, 24, 96);
IN_AT(SAVSADeInit, 25, 100);
IN_AT(SAAddPCMData, 26, 104);
IN_AT(SAGetMode, 27, 108);
IN_AT(SAAdd, 28, 112);
IN_AT(VSAAddPCMData, 29, 116);
IN_AT(VSAGetMode, 30, 120);
IN_AT(VSAAdd, 31, 124);
IN_AT(VSASetInfo, 32, 128);
IN_AT(dsp_isactive, 33, 132);
IN_AT(dsp_dosamples, 34, 136);
IN_AT(EQSet, 35, 140);
IN_AT(SetInfo, 36, 144);
IN_AT(outMod, 37, 148);
static_assert(sizeof(In_Module) == InOffset(38), "In_Module has members after outMod");

OUT_AT(version, 0, 0);
OUT_AT(description, 1, 4);
OUT_AT(id, 2, 8);
OUT_AT(hMainWindow, 3, 12);
OUT_AT(hDllInstance, 4, 16);
OUT_AT(Config, 5, 20);
OUT_AT(About, 6, 24);
OUT_AT(Init, 7, 28);
OUT_AT(Quit, 8, 32);
OUT_AT(Open, 9, 36);
OUT_AT(Close, 10, 40);
OUT_AT(Write, 11, 44);
OUT_AT(CanWrite, 12, 48);
OUT_AT(IsPlaying, 13, 52);
OUT_AT(Pause, 14, 56);
OUT_AT(SetVolume, 15, 60);
OUT_AT(SetPan, 16, 64);
OUT_AT(Flush, 17, 68);
OUT_AT(GetOutputTime, 18, 72);
OUT_AT(GetWrittenTime, 19, 76);
static_assert(sizeof(Out_Module) == OutOffset(20), "Out_Module has members after GetWrittenTime");

// The 64-bit layout spelled out once, as a check on the formulas above.
static_assert(P != 8 || (offsetof(In_Module, Init) == 64 && offsetof(In_Module, outMod) == 288 &&
                         offsetof(Out_Module, hMainWindow) == 24 && offsetof(Out_Module, IsPlaying) == 104),
              "unexpected 64-bit layout");

}  // namespace
