// The player's binding of the station-code library.
#include "player/playlist/station_code.h"

#include "platform/install_folder.h"
#include "plugins/bcscode/bcscode_dll.h"

#include <type_traits>

static_assert(std::is_same_v<GetBCSURLFn, const char* (*)(const char*)>);

#include <QFile>
#include <memory>

StationCodeLibrary::StationCodeLibrary(const QString& libraryFile)
    : library_(libraryFile), function_(library_.function<Function>("GetBCSURL")) {}

QString StationCodeLibrary::resolve(const QString& code) const {
    if (!function_) return code;
    // Text inside the program is UTF-8, the code page of a Linux desktop; the library passes
    // bytes above 0x7F through untouched, so no character is lost either way.
    const QByteArray argument = code.toUtf8();
    const char* result = function_(argument.constData());
    if (!result) return code;
    // Copied at once: the library keeps the text only until its next call.
    const QByteArray url(result);
    return url == argument ? code : QString::fromUtf8(url);
}

namespace {

std::unique_ptr<StationCodeLibrary>& Binding() {
    static std::unique_ptr<StationCodeLibrary> binding;
    return binding;
}

}  // namespace

void BindStationCodeLibrary(const QString& installFolder) {
    std::unique_ptr<StationCodeLibrary>& binding = Binding();
    if (!binding)
        binding = std::make_unique<StationCodeLibrary>(installFolder + QStringLiteral("Plugins/BCSCode.dll"));
}

QString GetBCSURL(const QString& code) {
    if (!Binding()) BindStationCodeLibrary(platform::InstallFolder());
    return Binding()->resolve(code);
}
