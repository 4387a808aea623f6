/* The resources embedded in skins.dll: whole .bmp and .cur files by type and name. The table
   is written at build time by velmora_skin_generator (skin_resources.c). */
#ifndef VELMORA_SKIN_RESOURCES_H
#define VELMORA_SKIN_RESOURCES_H

struct SkinResource {
    const char* type; /* "BITMAP" or "CURSOR" */
    const char* name;
    const unsigned char* data;
    unsigned int size;
};

extern const struct SkinResource kSkinResources[];
extern const unsigned int kSkinResourceCount;

#endif
