/* Plugins/skins.dll: hands out the built-in skin's bitmaps and cursors by name. */
#include "skins_dll.h"

#include "skin_resources.h"

#include <stddef.h>

/* Resource names are compared without regard to case, in ASCII only, whatever the locale. */
static int SameName(const char* a, const char* b) {
    for (;; ++a, ++b) {
        char x = *a, y = *b;
        if (x >= 'a' && x <= 'z') x = (char)(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = (char)(y - 'a' + 'A');
        if (x != y) return 0;
        if (x == '\0') return 1;
    }
}

__attribute__((visibility("default"))) int FindSkinResource(const char* type, const char* name,
                                                            const unsigned char** data, unsigned int* size) {
    unsigned int i;
    if (type == NULL || name == NULL || data == NULL || size == NULL) return 0;
    for (i = 0; i < kSkinResourceCount; ++i) {
        if (SameName(kSkinResources[i].type, type) && SameName(kSkinResources[i].name, name)) {
            *data = kSkinResources[i].data;
            *size = kSkinResources[i].size;
            return 1;
        }
    }
    return 0;
}
