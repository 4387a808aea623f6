/* Plugins/explain.dll: unpacks a whole zip archive (a .wsz, .zip or .vsz skin) into one folder.
   Shared by the library and the player, which binds the export through the platform loader.

   Archives are outside input. The library writes every entry flat into the extraction folder
   under the last part of its name (skins keep their pictures side by side, some inside a folder
   of the archive) and never anywhere else: an entry whose name holds a ".." part or starts at the
   root, a directory, a link, a device or pipe, or an entry whose name cannot be decoded is
   skipped and reported through the print callback. Names are UTF-8 when they are valid UTF-8
   (the archive's UTF-8 flag included), GB18030 otherwise (archives made on Chinese Windows).
   The bytes unpacked from one archive are capped at EXPLAIN_MAX_TOTAL_BYTES and the entries at
   EXPLAIN_MAX_ENTRIES: past either the call fails. A failed call removes the files it created. */
#ifndef VELMORA_EXPLAIN_DLL_H
#define VELMORA_EXPLAIN_DLL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define EXPLAIN_MAX_TOTAL_BYTES (64ull << 20)
#define EXPLAIN_MAX_ENTRIES 4096

/* Results of Wiz_SingleEntryUnzip. */
#define EXPLAIN_OK 0          /* every entry unpacked */
#define EXPLAIN_WARN 1        /* unpacked, but some entries were skipped (reported by print) */
#define EXPLAIN_BAD_ARCHIVE 3 /* damaged or truncated archive, or a wrong checksum */
#define EXPLAIN_TOO_LARGE 4   /* the caps above were reached (a zip bomb) */
#define EXPLAIN_NO_ARCHIVE 9  /* not a zip archive, or it cannot be read */
#define EXPLAIN_BAD_ARGS 10   /* a record or path is missing */
#define EXPLAIN_WRITE 50      /* the extraction folder cannot be written */
#define EXPLAIN_STOPPED 80    /* the service callback asked to stop */

/* The option record: fifteen 32-bit options, then the archive path and the extraction folder
   (zero-terminated UTF-8; the folder must exist). The options are accepted as the single-entry
   interface defines them and read by none of this library's rules, which always overwrite,
   never prompt and never keep folders. */
typedef struct ExplainOptions {
    int32_t Options[15];
    const char* ZipFile;
    const char* ExtractDir;
} ExplainOptions;

/* Told every message (skipped entries, the reason of a failure) as text and its length in
   bytes; returns how many bytes it took. */
typedef int (*ExplainPrintFn)(char* text, unsigned long length);
typedef void (*ExplainSoundFn)(void);
/* Asked before a file of the folder is overwritten; 0 keeps the file, anything else replaces it. */
typedef int (*ExplainReplaceFn)(char* fileName);
/* Asked for the password of an encrypted entry: nonzero with a non-empty text in buffer tries
   that password; anything else skips the entry. */
typedef int (*ExplainPasswordFn)(char* buffer, int bufferSize, const char* prompt, const char* entryName);
/* The listing values of an entry; part of the record's shape, never called by this library,
   which only unpacks. */
typedef void (*ExplainMessageFn)(unsigned long size, unsigned long packedSize, unsigned factor, unsigned month,
                                 unsigned day, unsigned year, unsigned hour, unsigned minute, char c,
                                 const char* entryName, const char* method, unsigned long crc, char encrypted);
/* Told each entry before it is unpacked, with its size; nonzero stops the unpacking (a failure). */
typedef int (*ExplainServiceFn)(const char* entryName, unsigned long size);

/* The callback record; any slot may be null. The result fields at the end are written by the
   library after the call. */
typedef struct ExplainCallbacks {
    ExplainPrintFn Print;
    ExplainSoundFn Sound;
    ExplainReplaceFn Replace;
    ExplainPasswordFn Password;
    ExplainMessageFn Message;
    ExplainServiceFn Service;
    unsigned long TotalSizeComp;
    unsigned long TotalSize;
    unsigned CompFactor;
    unsigned NumMembers;
    uint16_t CommentLength;
} ExplainCallbacks;

/* Unpacks the archive options->ZipFile into options->ExtractDir. With includeCount > 0 only the
   entries named (decoded name, exactly) in includeNames are unpacked; entries named in
   excludeNames never are. Returns one of the EXPLAIN_ results. */
typedef int (*Wiz_SingleEntryUnzipFn)(int includeCount, char** includeNames, int excludeCount, char** excludeNames,
                                      ExplainOptions* options, ExplainCallbacks* callbacks);
__attribute__((visibility("default"))) int Wiz_SingleEntryUnzip(int includeCount, char** includeNames,
                                                                int excludeCount, char** excludeNames,
                                                                ExplainOptions* options, ExplainCallbacks* callbacks);

#ifdef __cplusplus
}
#endif

#endif
