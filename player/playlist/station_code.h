// The player's binding of the station-code library, Plugins/BCSCode.dll.
#pragma once

#include <QString>

#include "platform/shared_library.h"

// GetBCSURL of one library file, bound and released with the object.
class StationCodeLibrary {
public:
    explicit StationCodeLibrary(const QString& libraryFile);
    StationCodeLibrary(const StationCodeLibrary&) = delete;
    StationCodeLibrary& operator=(const StationCodeLibrary&) = delete;

    bool isBound() const { return function_ != nullptr; }

    // The URL of a station code ("<:" + code, marker included); the code unchanged when the
    // library or its export is missing. The text crosses the call as UTF-8.
    QString resolve(const QString& code) const;

private:
    using Function = const char* (*)(const char*);
    platform::SharedLibrary library_;
    Function function_ = nullptr;
};

// Binds installFolder + "Plugins/BCSCode.dll" for the life of the program. Only the first binding
// counts, whether made here or by the first GetBCSURL; later calls change nothing.
void BindStationCodeLibrary(const QString& installFolder);

// The URL of a station code through the program's binding, made from platform::InstallFolder() on
// first use when nobody bound it before; the code unchanged when the library is missing.
// GUI thread only.
QString GetBCSURL(const QString& code);
