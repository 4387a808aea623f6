// The built-in skin library is opened once for a whole skin load and freed after it.
#include "player/skin/skin_files.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>

#include <dlfcn.h>

namespace {

const QString kBuiltInLibrary = QStringLiteral(VELMORA_BUILT_INSTALL_DIR "/Plugins/skins.dll");

bool LibraryLoaded() {
    void* handle = dlopen(QFile::encodeName(kBuiltInLibrary).constData(), RTLD_NOW | RTLD_NOLOAD);
    if (handle) dlclose(handle);
    return handle != nullptr;
}

TEST(BuiltInSkinLibrary, StaysOpenThroughOneLoadAndIsFreedAfterIt) {
    if (!QFile::exists(kBuiltInLibrary)) GTEST_SKIP() << "the built-in skin library is not built";
    ASSERT_FALSE(LibraryLoaded());
    EXPECT_FALSE(BuiltInSkinResource(kBuiltInLibrary, "BITMAP", "main").isEmpty());
    EXPECT_TRUE(LibraryLoaded()) << "freed after one resource: the next one loads it again";
    EXPECT_FALSE(BuiltInSkinResource(kBuiltInLibrary, "CURSOR", "NORMAL").isEmpty());
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(LibraryLoaded()) << "still held once the load is over";
    // A later load opens it afresh.
    EXPECT_FALSE(BuiltInSkinResource(kBuiltInLibrary, "BITMAP", "pledit").isEmpty());
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(LibraryLoaded());
}

TEST(BuiltInSkinLibrary, AMissingLibraryIsTriedAgainOnceItExists) {
    if (!QFile::exists(kBuiltInLibrary)) GTEST_SKIP() << "the built-in skin library is not built";
    testing_support::TempFolder dir;
    EXPECT_TRUE(BuiltInSkinResource(dir.file("skins.dll"), "BITMAP", "main").isEmpty());
    ASSERT_TRUE(QFile::copy(kBuiltInLibrary, dir.file("skins.dll")));
    EXPECT_FALSE(BuiltInSkinResource(dir.file("skins.dll"), "BITMAP", "main").isEmpty())
        << "a failed load was kept as the answer";
    QCoreApplication::sendPostedEvents();
}

}  // namespace
