// Pictures of failed checks: a picture test notes the image it is about to look at, and when the
// check fails the note is written as PNG under the build folder's test-pictures/, named
// <suite>.<test>-<name>.png, with its path printed beside the failure.
#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QString>
#include <initializer_list>
#include <utility>
#include <vector>

namespace testing_support {

// The images the next check looks at; a later note replaces them. Copied at once, so what is
// saved is what the check saw even if the test draws on afterwards.
void NotePictures(std::initializer_list<std::pair<QString, const QImage*>> pictures);
// One image; without a name it is called picture1, picture2, ... by first appearance in the test.
void NotePicture(const QImage& image, const QString& name = {});

// Writes image as <suite>.<test>-<name>.png in PicturesFolder(), prints and returns the path.
QString SavePicture(const QImage& image, const QString& name);
QString PicturesFolder();

// EXPECT_TRUE(PixelIs(image, x, y, Qt::red)): says what was found, and keeps the picture.
::testing::AssertionResult PixelIs(const QImage& image, int x, int y, const QColor& colour);
// EXPECT_TRUE(SameImage(drawn, expected)): names the first differing pixel, keeps both pictures.
::testing::AssertionResult SameImage(const QImage& drawn, const QImage& expected);

// For tests that read pixels themselves: the images given are saved at the end of the scope if
// the test has failed by then.
class KeepPicturesOnFailure {
public:
    KeepPicturesOnFailure(std::initializer_list<std::pair<QString, const QImage*>> pictures)
        : pictures_(pictures) {}
    ~KeepPicturesOnFailure();
    KeepPicturesOnFailure(const KeepPicturesOnFailure&) = delete;
    KeepPicturesOnFailure& operator=(const KeepPicturesOnFailure&) = delete;

private:
    std::vector<std::pair<QString, const QImage*>> pictures_;
};

// Called once by the shared main: saves the noted pictures whenever a check fails.
void InstallPictureKeeper();

}  // namespace testing_support
