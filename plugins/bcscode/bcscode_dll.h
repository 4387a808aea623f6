/* Plugins/BCSCode.dll: station codes ("<:" + code) to URLs.
   Shared by the library and the player, which binds the export through the platform loader. */
#ifndef VELMORA_BCSCODE_DLL_H
#define VELMORA_BCSCODE_DLL_H

#ifdef __cplusplus
extern "C" {
#endif

/* Reads a zero-terminated code and returns the station's URL, or the code itself when it is not
   a station code. The text returned belongs to the library and stays valid until its next call. */
typedef const char* (*GetBCSURLFn)(const char* code);
__attribute__((visibility("default"))) const char* GetBCSURL(const char* code);

#ifdef __cplusplus
}
#endif

#endif
