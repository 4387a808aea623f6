/* The records of the Winamp 2 plug-in interface that the player binds: an input module that
 * decodes and an output module that plays the decoded PCM. Both sides are plain C: the host fills
 * some members, the plug-in the rest, and every function is called with the C convention.
 * Member order is the published one; the layout is the natural one for the pointer size, so a
 * 32-bit build has the published byte offsets (Init at 36, outMod at 148 ...). */
#ifndef VELMORA_WINAMP_PLUGIN_H
#define VELMORA_WINAMP_PLUGIN_H

#ifdef __cplusplus
extern "C" {
#endif

/* Version words the modules report. */
#define VELMORA_IN_MODULE_VERSION 0x100
#define VELMORA_OUT_MODULE_VERSION 0x10

/* Names of the entry points a plug-in library exports. */
#define VELMORA_IN_MODULE_ENTRY "winampGetInModule2"
#define VELMORA_OUT_MODULE_ENTRY "winampGetOutModule"

/* Optional export of an input library: the HTTP proxy ("http://host:port"; NULL or empty for
 * none) its network sources use from the next Play on. The host's proxy settings live in its own
 * store, which a plug-in cannot read, so the host hands them over before each Play. */
#define VELMORA_IN_PROXY_ENTRY "velmoraSetHttpProxy"
typedef void (*VelmoraSetHttpProxyProc)(const char *proxy);

/* Our plug-ins are built with hidden symbols; the entry points are the exceptions. */
#define VELMORA_PLUGIN_EXPORT __attribute__((visibility("default")))

/* Out_Module.SetVolume: leave the volume as it is. */
#define VELMORA_VOLUME_UNCHANGED (-666)

typedef struct Out_Module Out_Module;

typedef struct In_Module {
    int version;
    const char *description;
    void *hMainWindow;  /* filled by the host */
    void *hDllInstance; /* filled by the host */
    /* Pairs of zero-terminated texts ("mp3;mp2\0MPEG audio\0"), ended by an empty text. */
    const char *FileExtensions;
    int is_seekable;
    int UsesOutputPlug;

    void (*Config)(void *hwndParent);
    void (*About)(void *hwndParent);
    void (*Init)(void);
    void (*Quit)(void);
    /* file NULL or empty: the playing file. title holds at least 2048 bytes. */
    void (*GetFileInfo)(const char *file, char *title, int *length_in_ms);
    int (*InfoBox)(const char *file, void *hwndParent);
    int (*IsOurFile)(const char *fn);

    int (*Play)(const char *fn); /* 0 when playing, -1 when the file is not there (a network
                                  * server says so too), other values when it cannot be played */
    void (*Pause)(void);
    void (*UnPause)(void);
    int (*IsPaused)(void);
    void (*Stop)(void);
    int (*GetLength)(void);     /* ms; negative when nothing is loaded */
    int (*GetOutputTime)(void); /* ms heard */
    void (*SetOutputTime)(int time_in_ms);
    void (*SetVolume)(int volume); /* 0..255 */
    void (*SetPan)(int pan);       /* -128..127 */

    /* Visualisation services, filled by the host. */
    void (*SAVSAInit)(int maxlatency_in_ms, int srate);
    void (*SAVSADeInit)(void);
    void (*SAAddPCMData)(void *PCMData, int nch, int bps, int timestamp);
    int (*SAGetMode)(void);
    void (*SAAdd)(void *data, int timestamp, int csa);
    void (*VSAAddPCMData)(void *PCMData, int nch, int bps, int timestamp);
    int (*VSAGetMode)(int *specNch, int *waveNch);
    void (*VSAAdd)(void *data, int timestamp);
    void (*VSASetInfo)(int srate, int nch);

    /* DSP services, filled by the host. dsp_dosamples may change the samples in place and
     * returns how many there are now; the buffer has room for twice the count given. */
    int (*dsp_isactive)(void);
    int (*dsp_dosamples)(short int *samples, int numsamples, int bps, int nch, int srate);

    /* on: non-zero to use the equaliser. data: ten bands, low to high, and preamp: each 0 (the
     * knob at the top, +12 dB) .. 63 (at the bottom, -12 dB), the middle meaning flat. */
    void (*EQSet)(int on, char data[10], int preamp);

    void (*SetInfo)(int bitrate, int srate, int stereo, int synched); /* filled by the host */

    Out_Module *outMod; /* filled by the host */
} In_Module;

struct Out_Module {
    int version;
    const char *description;
    int id;
    void *hMainWindow;  /* filled by the host */
    void *hDllInstance; /* filled by the host */

    void (*Config)(void *hwndParent);
    void (*About)(void *hwndParent);
    void (*Init)(void);
    void (*Quit)(void);

    /* Returns the latency in ms (>= 0), or a negative value when the format cannot be played.
     * bufferlenms and prebufferms <= 0 ask for the module's defaults. */
    int (*Open)(int samplerate, int numchannels, int bitspersamp, int bufferlenms, int prebufferms);
    void (*Close)(void);
    /* 0 when taken; len should not pass CanWrite(). A len of 0 says the input is waiting for its
     * source (a network stall, a stream buffering) and has not reached its end. */
    int (*Write)(char *buf, int len);
    int (*CanWrite)(void); /* bytes that Write can take now */
    /* Non-zero until the last written sample has been heard, and for a second after the input
     * last said it is waiting for its source. */
    int (*IsPlaying)(void);
    int (*Pause)(int pause);          /* returns the previous pause state */
    void (*SetVolume)(int volume);    /* 0..255, or VELMORA_VOLUME_UNCHANGED */
    void (*SetPan)(int pan);          /* -128..127 */
    void (*Flush)(int t);             /* drop what is queued; the output time restarts at t ms */
    int (*GetOutputTime)(void);       /* ms heard */
    int (*GetWrittenTime)(void);      /* ms written */
};

typedef In_Module *(*GetInModuleProc)(void);
typedef Out_Module *(*GetOutModuleProc)(void);

#ifdef __cplusplus
}
#endif

#endif
