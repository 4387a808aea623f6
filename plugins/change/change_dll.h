/* Plugins/change.dll: Chinese text to readable pinyin for the scrolling title.
   Shared by the library and the player, which binds the export with dlopen/dlsym. */
#ifndef VELMORA_CHANGE_DLL_H
#define VELMORA_CHANGE_DLL_H

#ifdef __cplusplus
extern "C" {
#endif

/* Bytes of the caller's result buffer, terminator included. */
#define CHANGE_DLL_RESULT_SIZE 201

/* Reads zero-terminated UTF-8 text and writes zero-terminated UTF-8 text of at most
   CHANGE_DLL_RESULT_SIZE - 1 bytes into result, cut only between whole characters or syllables.
   Each Chinese character becomes its lower-case, toneless pinyin ("ü" written "v"); syllables are
   kept apart from each other and from adjacent ASCII letters and digits by one space; everything
   else is copied unchanged. A null text gives an empty result; a null result is left alone. */
typedef void (*WyQueryPYWholeFn)(const char* text, char* result);
__attribute__((visibility("default"))) void WyQueryPYWhole(const char* text, char* result);

#ifdef __cplusplus
}
#endif

#endif
