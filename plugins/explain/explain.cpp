// Plugins/explain.dll: unpacks a skin archive flat into one folder, over libzip, treating the
// archive as hostile (see explain_dll.h for the rules).
#include "plugins/explain/explain_dll.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct EntryCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;
using Entry = std::unique_ptr<zip_file_t, EntryCloser>;

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }
    void reset(int fd) {
        if (fd_ >= 0) close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

bool IsValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        int more = 0;
        uint32_t code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            more = 1, code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2, code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3, code = c & 0x07;
        } else {
            return false;
        }
        if (i + more >= text.size()) return false;
        for (int k = 1; k <= more; ++k) {
            const auto t = static_cast<unsigned char>(text[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            code = (code << 6) | (t & 0x3F);
        }
        // Overlong forms, surrogates and code points past the last plane are not UTF-8.
        if ((more == 2 && code < 0x800) || (more == 3 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += more + 1;
    }
    return true;
}

// GB18030 to UTF-8; false when the bytes are not GB18030 either.
bool Gb18030ToUtf8(std::string_view raw, std::string* out) {
    iconv_t cd = iconv_open("UTF-8", "GB18030");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string input(raw);
    std::string output(raw.size() * 4 + 4, '\0');
    char* in = input.data();
    size_t inLeft = input.size();
    char* o = output.data();
    size_t outLeft = output.size();
    const size_t done = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    if (done == static_cast<size_t>(-1) || inLeft != 0) return false;
    output.resize(output.size() - outLeft);
    *out = std::move(output);
    return true;
}

// The name as UTF-8: as it stands when it is UTF-8 (flagged archives always are), else GB18030,
// the code page of archives made on Chinese Windows, which store names without the flag.
bool DecodeName(std::string_view raw, std::string* name) {
    if (IsValidUtf8(raw)) {
        *name = std::string(raw);
        return true;
    }
    return Gb18030ToUtf8(raw, name);
}

// The last part of a relative entry name, or empty when the entry must not be written: a
// folder, a name from the root or a drive, a ".." part, a control character.
std::string SafeFileName(std::string name) {
    std::replace(name.begin(), name.end(), '\\', '/');
    if (name.empty() || name.front() == '/' || name.back() == '/') return {};
    if (name.size() >= 2 && name[1] == ':') return {};
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20) return {};
    size_t start = 0;
    std::string last;
    while (start <= name.size()) {
        const size_t end = std::min(name.find('/', start), name.size());
        last = name.substr(start, end - start);
        if (last == "..") return {};
        start = end + 1;
    }
    if (last.empty() || last == ".") return {};
    return last;
}

// A link, device, pipe or folder by the attributes Unix archivers store; other systems' archives
// hold only files and folders, and folders end in "/".
bool IsSpecialEntry(zip_t* archive, zip_uint64_t index) {
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0) return true;
    if (system == ZIP_OPSYS_UNIX) {
        const mode_t type = (attributes >> 16) & S_IFMT;
        return type != 0 && type != S_IFREG;
    }
    return system == ZIP_OPSYS_DOS && (attributes & 0x10) != 0;
}

bool Listed(const std::string& name, int count, char** names) {
    for (int i = 0; i < count && names; ++i)
        if (names[i] && name == names[i]) return true;
    return false;
}

class Unpacker {
public:
    Unpacker(zip_t* archive, int folder, ExplainCallbacks* callbacks)
        : archive_(archive), folder_(folder), callbacks_(callbacks) {}

    int Run(int includeCount, char** includeNames, int excludeCount, char** excludeNames);
    // Removes every file this run created (a failed run leaves the folder as it found it, but for
    // files it replaced).
    void Undo() const {
        for (const std::string& name : created_) unlinkat(folder_, name.c_str(), 0);
    }
    unsigned long Unpacked() const { return static_cast<unsigned long>(total_); }
    unsigned Members() const { return members_; }

private:
    int UnpackEntry(zip_uint64_t index, const zip_stat_t& stat, const std::string& fileName, const char* password);
    int Copy(zip_file_t* entry, int out);
    void Say(const std::string& text) const {
        if (!callbacks_ || !callbacks_->Print) return;
        std::string line = text + "\n";
        callbacks_->Print(line.data(), line.size());
    }
    void Skip(const std::string& name, const char* reason) {
        skipped_ = true;
        Say("skipped " + name + ": " + reason);
    }

    zip_t* archive_;
    int folder_;
    ExplainCallbacks* callbacks_;
    std::vector<std::string> created_;
    zip_uint64_t total_ = 0;
    unsigned members_ = 0;
    bool skipped_ = false;
};

int Unpacker::Copy(zip_file_t* entry, int out) {
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        const zip_int64_t got = zip_fread(entry, buffer.data(), buffer.size());
        if (got < 0) {
            Say(std::string("damaged entry: ") + zip_file_strerror(entry));
            return EXPLAIN_BAD_ARCHIVE;
        }
        if (got == 0) return EXPLAIN_OK;
        // Counted as unpacked, whatever the archive claims the sizes are.
        total_ += static_cast<zip_uint64_t>(got);
        if (total_ > EXPLAIN_MAX_TOTAL_BYTES) {
            Say("the archive unpacks to more than the limit");
            return EXPLAIN_TOO_LARGE;
        }
        for (zip_int64_t written = 0; written < got;) {
            const ssize_t n = write(out, buffer.data() + written, static_cast<size_t>(got - written));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                Say(std::string("cannot write: ") + std::strerror(errno));
                return EXPLAIN_WRITE;
            }
            written += n;
        }
    }
}

// Unpacks one entry into a hidden temporary file of the folder and renames it into place, so the
// rename replaces whatever stood there (a link included) without following it.
int Unpacker::UnpackEntry(zip_uint64_t index, const zip_stat_t& stat, const std::string& fileName,
                          const char* password) {
    Entry entry(password ? zip_fopen_index_encrypted(archive_, index, 0, password) : zip_fopen_index(archive_, index, 0));
    if (!entry) {
        Say(std::string("cannot open entry ") + stat.name + ": " + zip_strerror(archive_));
        return EXPLAIN_BAD_ARCHIVE;
    }
    std::string temp;
    Descriptor out(-1);
    for (int attempt = 0; attempt < 100 && out.get() < 0; ++attempt) {
        temp = ".explain-" + std::to_string(getpid()) + "-" + std::to_string(index) + "-" + std::to_string(attempt);
        out.reset(openat(folder_, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
        if (out.get() < 0 && errno != EEXIST) break;
    }
    if (out.get() < 0) {
        Say(std::string("cannot create a file: ") + std::strerror(errno));
        return EXPLAIN_WRITE;
    }
    int result = Copy(entry.get(), out.get());
    if (result == EXPLAIN_OK && close(out.release()) != 0) result = EXPLAIN_WRITE;
    if (result != EXPLAIN_OK) {
        unlinkat(folder_, temp.c_str(), 0);
        return result;
    }
    struct stat existing {};
    const bool existed = fstatat(folder_, fileName.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (existed && S_ISDIR(existing.st_mode)) {
        unlinkat(folder_, temp.c_str(), 0);
        Skip(fileName, "a folder of that name is in the way");
        return EXPLAIN_OK;
    }
    if (existed && callbacks_ && callbacks_->Replace) {
        std::string asked = fileName;
        if (callbacks_->Replace(asked.data()) == 0) {
            unlinkat(folder_, temp.c_str(), 0);
            return EXPLAIN_OK;
        }
    }
    if (renameat(folder_, temp.c_str(), folder_, fileName.c_str()) != 0) {
        unlinkat(folder_, temp.c_str(), 0);
        Skip(fileName, std::strerror(errno));
        return EXPLAIN_OK;
    }
    if (!existed) created_.push_back(fileName);
    ++members_;
    return EXPLAIN_OK;
}

int Unpacker::Run(int includeCount, char** includeNames, int excludeCount, char** excludeNames) {
    const zip_int64_t count = zip_get_num_entries(archive_, 0);
    if (count < 0) return EXPLAIN_BAD_ARCHIVE;
    if (count > EXPLAIN_MAX_ENTRIES) {
        Say("the archive holds too many entries");
        return EXPLAIN_TOO_LARGE;
    }
    for (zip_uint64_t index = 0; index < static_cast<zip_uint64_t>(count); ++index) {
        const char* raw = zip_get_name(archive_, index, ZIP_FL_ENC_RAW);
        zip_stat_t stat;
        if (!raw || zip_stat_index(archive_, index, ZIP_FL_ENC_RAW, &stat) != 0) return EXPLAIN_BAD_ARCHIVE;
        std::string name;
        if (!DecodeName(raw, &name)) {
            Skip("an entry", "its name is neither UTF-8 nor GB18030");
            continue;
        }
        if (!name.empty() && (name.back() == '/' || name.back() == '\\')) continue;  // folders hold nothing to write
        if (includeCount > 0 && !Listed(name, includeCount, includeNames)) continue;
        if (Listed(name, excludeCount, excludeNames)) continue;
        const std::string fileName = SafeFileName(name);
        if (fileName.empty()) {
            Skip(name, "the name leaves the folder");
            continue;
        }
        if (IsSpecialEntry(archive_, index)) {
            Skip(name, "not a plain file");
            continue;
        }
        // The sizes the archive claims: a bomb that admits its size is refused before any work.
        if ((stat.valid & ZIP_STAT_SIZE) && stat.size > EXPLAIN_MAX_TOTAL_BYTES - std::min<zip_uint64_t>(total_, EXPLAIN_MAX_TOTAL_BYTES)) {
            Say("the archive unpacks to more than the limit");
            return EXPLAIN_TOO_LARGE;
        }
        if (callbacks_ && callbacks_->Service &&
            callbacks_->Service(name.c_str(), static_cast<unsigned long>(stat.size)) != 0)
            return EXPLAIN_STOPPED;
        std::vector<char> password;
        if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
            password.assign(256, '\0');
            const bool given = callbacks_ && callbacks_->Password &&
                               callbacks_->Password(password.data(), static_cast<int>(password.size()), "password",
                                                    name.c_str()) != 0;
            password.back() = '\0';
            if (!given || password.front() == '\0') {
                Skip(name, "encrypted, no password");
                continue;
            }
        }
        const int result = UnpackEntry(index, stat, fileName, password.empty() ? nullptr : password.data());
        if (result != EXPLAIN_OK) return result;
    }
    return skipped_ ? EXPLAIN_WARN : EXPLAIN_OK;
}

int OpenFailure(int error) {
    switch (error) {
    case ZIP_ER_NOZIP:
    case ZIP_ER_OPEN:
    case ZIP_ER_NOENT:
        return EXPLAIN_NO_ARCHIVE;
    case ZIP_ER_MEMORY:
        return EXPLAIN_TOO_LARGE;
    default:
        return EXPLAIN_BAD_ARCHIVE;
    }
}

// Only a regular file is opened as an archive: opening a FIFO named like one would wait for a
// writer for ever. The opened descriptor is checked too, so a name swapped in between is caught.
zip_t* OpenArchive(const char* name, int* error) {
    struct stat st;
    if (stat(name, &st) != 0) {
        *error = errno == ENOENT ? ZIP_ER_NOENT : ZIP_ER_OPEN;
        return nullptr;
    }
    const int fd = S_ISREG(st.st_mode) ? open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC) : -1;
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0) close(fd);
        *error = ZIP_ER_OPEN;
        return nullptr;
    }
    zip_t* archive = zip_fdopen(fd, ZIP_RDONLY, error);
    if (!archive) close(fd);  // the archive owns the descriptor only once it is open
    return archive;
}

void SayTo(ExplainCallbacks* callbacks, const std::string& text) {
    if (!callbacks || !callbacks->Print) return;
    std::string line = text + "\n";
    callbacks->Print(line.data(), line.size());
}

}  // namespace

extern "C" int Wiz_SingleEntryUnzip(int includeCount, char** includeNames, int excludeCount, char** excludeNames,
                                    ExplainOptions* options, ExplainCallbacks* callbacks) {
    if (!options || !options->ZipFile || !options->ExtractDir) return EXPLAIN_BAD_ARGS;
    try {
        Descriptor folder(open(options->ExtractDir, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder.get() < 0) {
            SayTo(callbacks, std::string("cannot open the folder: ") + std::strerror(errno));
            return EXPLAIN_WRITE;
        }
        int error = 0;
        Archive archive(OpenArchive(options->ZipFile, &error));
        if (!archive) {
            zip_error_t reason;
            zip_error_init_with_code(&reason, error);
            SayTo(callbacks, std::string("cannot read the archive: ") + zip_error_strerror(&reason));
            zip_error_fini(&reason);
            return OpenFailure(error);
        }
        Unpacker unpacker(archive.get(), folder.get(), callbacks);
        const int result = unpacker.Run(includeCount, includeNames, excludeCount, excludeNames);
        if (result != EXPLAIN_OK && result != EXPLAIN_WARN) unpacker.Undo();
        if (callbacks) {
            callbacks->TotalSize = unpacker.Unpacked();
            callbacks->NumMembers = unpacker.Members();
            callbacks->TotalSizeComp = 0;
            callbacks->CompFactor = 0;
            callbacks->CommentLength = 0;
        }
        return result;
    } catch (...) {
        return EXPLAIN_TOO_LARGE;  // out of memory
    }
}
