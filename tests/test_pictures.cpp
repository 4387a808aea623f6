#include "tests/test_pictures.h"

#include <QDir>
#include <iostream>
#include <map>
#include <mutex>

namespace testing_support {
namespace {

struct Picture {
    QString name;
    QImage image;
};

// What one test has noted and saved so far; emptied when the next test starts.
struct Notes {
    std::mutex lock;
    std::vector<Picture> current;
    std::map<const QImage*, QString> autoNames;
    std::map<QString, std::vector<QImage>> saved;  // by name, so a repeated failure adds no copy
    QString stem = QStringLiteral("outside-tests");

    static Notes& Get() {
        static Notes notes;
        return notes;
    }
};

// GoogleTest holds its own lock while it reports a failure, so the name is taken when the test
// starts rather than asked for when a picture is saved.
QString TestStem(const ::testing::TestInfo& info) {
    // Parameterised tests carry "/" in their names.
    return QString::fromUtf8(info.test_suite_name()).replace('/', '_') + '.' +
           QString::fromUtf8(info.name()).replace('/', '_');
}

QString CurrentTestStem() {
    Notes& notes = Notes::Get();
    std::lock_guard guard(notes.lock);
    return notes.stem;
}

void ForgetOldPictures() {
    QDir folder(PicturesFolder());
    if (!folder.exists()) return;
    const QString stem = CurrentTestStem();
    for (const QString& name : folder.entryList({stem + "-*.png"}, QDir::Files)) folder.remove(name);
}

class PictureKeeper : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo& info) override {
        Reset();
        {
            std::lock_guard guard(Notes::Get().lock);
            Notes::Get().stem = TestStem(info);
        }
        ForgetOldPictures();
    }
    void OnTestPartResult(const ::testing::TestPartResult& result) override {
        if (!result.failed()) return;
        std::vector<Picture> pictures;
        {
            std::lock_guard guard(Notes::Get().lock);
            pictures = Notes::Get().current;
        }
        for (const Picture& p : pictures) SavePicture(p.image, p.name);
    }
    void OnTestEnd(const ::testing::TestInfo&) override { Reset(); }

    static void Reset() {
        Notes& notes = Notes::Get();
        std::lock_guard guard(notes.lock);
        notes.current.clear();
        notes.autoNames.clear();
        notes.saved.clear();
        notes.stem = QStringLiteral("outside-tests");
    }
};

// The saved copy's index under its name, or -1 when this image is new; records it if new.
int SavedIndex(const QString& name, const QImage& image, bool* isNew) {
    Notes& notes = Notes::Get();
    std::lock_guard guard(notes.lock);
    std::vector<QImage>& copies = notes.saved[name];
    for (size_t i = 0; i < copies.size(); ++i)
        if (copies[i] == image) {
            *isNew = false;
            return int(i);
        }
    copies.push_back(image);
    *isNew = true;
    return int(copies.size()) - 1;
}

QString ColourText(const QColor& c) { return c.name(c.alpha() == 255 ? QColor::HexRgb : QColor::HexArgb); }

}  // namespace

QString PicturesFolder() { return QStringLiteral(VELMORA_TEST_PICTURES_DIR); }

void NotePictures(std::initializer_list<std::pair<QString, const QImage*>> pictures) {
    Notes& notes = Notes::Get();
    std::lock_guard guard(notes.lock);
    notes.current.clear();
    for (const auto& [name, image] : pictures) notes.current.push_back({name, image->copy()});
}

void NotePicture(const QImage& image, const QString& name) {
    QString chosen = name;
    if (chosen.isEmpty()) {
        Notes& notes = Notes::Get();
        std::lock_guard guard(notes.lock);
        auto found = notes.autoNames.find(&image);
        if (found == notes.autoNames.end())
            found = notes.autoNames.emplace(&image, QString("picture%1").arg(notes.autoNames.size() + 1)).first;
        chosen = found->second;
    }
    NotePictures({{chosen, &image}});
}

QString SavePicture(const QImage& image, const QString& name) {
    bool isNew = false;
    const int index = SavedIndex(name, image, &isNew);
    const QString suffix = index == 0 ? QString() : QString("-%1").arg(index + 1);
    const QString path = PicturesFolder() + "/" + CurrentTestStem() + "-" + name + suffix + ".png";
    if (!isNew) return path;
    QDir().mkpath(PicturesFolder());
    if (image.isNull() || !image.save(path, "PNG")) {
        std::cout << "  (picture " << name.toStdString() << " could not be saved)" << std::endl;
        return {};
    }
    std::cout << "  picture saved: " << path.toStdString() << std::endl;
    return path;
}

::testing::AssertionResult PixelIs(const QImage& image, int x, int y, const QColor& colour) {
    NotePicture(image);
    if (!image.valid(x, y))
        return ::testing::AssertionFailure()
               << "(" << x << "," << y << ") is outside the " << image.width() << "x" << image.height() << " picture";
    const QColor found = image.pixelColor(x, y);
    if (found.rgba() == colour.rgba()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << x << "," << y << ") is " << ColourText(found).toStdString()
                                         << ", expected " << ColourText(colour).toStdString();
}

::testing::AssertionResult SameImage(const QImage& drawn, const QImage& expected) {
    NotePictures({{QStringLiteral("drawn"), &drawn}, {QStringLiteral("expected"), &expected}});
    if (drawn.size() != expected.size())
        return ::testing::AssertionFailure() << "drawn " << drawn.width() << "x" << drawn.height() << ", expected "
                                             << expected.width() << "x" << expected.height();
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            if (drawn.pixel(x, y) != expected.pixel(x, y))
                return ::testing::AssertionFailure()
                       << "first difference at (" << x << "," << y << "): drawn "
                       << ColourText(drawn.pixelColor(x, y)).toStdString() << ", expected "
                       << ColourText(expected.pixelColor(x, y)).toStdString();
    return ::testing::AssertionSuccess();
}

KeepPicturesOnFailure::~KeepPicturesOnFailure() {
    if (!::testing::Test::HasFailure()) return;
    for (const auto& [name, image] : pictures_) SavePicture(*image, name);
}

void InstallPictureKeeper() {
    ::testing::UnitTest::GetInstance()->listeners().Append(new PictureKeeper);
}

}  // namespace testing_support
