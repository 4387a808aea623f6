/* Plugins/skins.dll: the built-in skin the player falls back on, picture by picture.
   Shared by the library and the player, which loads it, takes one resource and frees it again. */
#ifndef VELMORA_SKINS_DLL_H
#define VELMORA_SKINS_DLL_H

#ifdef __cplusplus
extern "C" {
#endif

/* Looks up a resource by type ("BITMAP" or "CURSOR") and name ("cbuttons", "NORMAL"), both matched
   without regard to case. On success stores the bytes of a whole .bmp or .cur file (valid until
   the library is unloaded) and returns 1; returns 0 when there is no such resource. */
typedef int (*FindSkinResourceFn)(const char* type, const char* name, const unsigned char** data,
                                  unsigned int* size);
int FindSkinResource(const char* type, const char* name, const unsigned char** data, unsigned int* size);

#ifdef __cplusplus
}
#endif

#endif
