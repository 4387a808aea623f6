// The device-volume stand-in: words kept per user in the registry, one device per family, levels,
// change notices, and the C accessor that our output plug-in finds in the host with dlsym.
#include "platform/device_volume.h"
#include "platform/registry.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <dlfcn.h>
#include <elf.h>
#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

using platform::DeviceFamily;

namespace {

const QString kKey = QStringLiteral("Software\\Velmora\\DeviceVolume");

// Each test starts from a user who never set a volume.
class DeviceVolume : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SaveDeviceVolumes();  // nothing of an earlier test is written after the reset
        platform::TRegistry registry;
        registry.DeleteKey(QStringLiteral("\\") + kKey);
        platform::ReloadDeviceVolumes();
    }
};

}  // namespace

TEST_F(DeviceVolume, WordsPersistPerFamilyAndSurviveARead) {
    EXPECT_EQ(platform::DeviceCount(DeviceFamily::Wave), 1);
    EXPECT_EQ(platform::DeviceCount(DeviceFamily::Midi), 1);
    EXPECT_EQ(platform::GetDeviceVolume(DeviceFamily::Wave, 0), 0xFFFFFFFFu) << "full volume by default";

    ASSERT_TRUE(platform::SetDeviceVolume(DeviceFamily::Wave, 0, 0x7FFFFF00u));
    ASSERT_TRUE(platform::SetDeviceVolume(DeviceFamily::Midi, 0, 0x00001234u));
    platform::ReloadDeviceVolumes();
    EXPECT_EQ(platform::GetDeviceVolume(DeviceFamily::Wave, 0), 0x7FFFFF00u);
    EXPECT_EQ(platform::GetDeviceVolume(DeviceFamily::Midi, 0), 0x00001234u);

    platform::TRegistry registry;
    ASSERT_TRUE(registry.OpenKeyReadOnly(kKey));
    int stored = 0;
    ASSERT_TRUE(registry.ReadInteger(QStringLiteral("Wave"), &stored));
    EXPECT_EQ(quint32(stored), 0x7FFFFF00u);

    // A word written by another process (or an older run) is what the next read finds.
    ASSERT_TRUE(registry.OpenKey(QStringLiteral("\\") + kKey, false));
    ASSERT_TRUE(registry.WriteInteger(QStringLiteral("Midi"), int(0xFF00FF00u)));
    platform::ReloadDeviceVolumes();
    EXPECT_EQ(platform::GetDeviceVolume(DeviceFamily::Midi, 0), 0xFF00FF00u);
}

TEST_F(DeviceVolume, ABadDeviceNumberIsRefusedAndChangesNothing) {
    ASSERT_TRUE(platform::SetDeviceVolume(DeviceFamily::Wave, 0, 0x80008000u));
    EXPECT_FALSE(platform::SetDeviceVolume(DeviceFamily::Wave, 1, 0));
    EXPECT_FALSE(platform::SetDeviceVolume(DeviceFamily::Midi, -1, 0));
    EXPECT_EQ(platform::GetDeviceVolume(DeviceFamily::Wave, 1), 0u);
    EXPECT_EQ(platform::GetDeviceVolume(DeviceFamily::Wave, 0), 0x80008000u);
    EXPECT_EQ(platform::GetDeviceVolume(DeviceFamily::Midi, 0), 0xFFFFFFFFu);
}

TEST_F(DeviceVolume, LevelsAndListenersFollowTheWord) {
    std::vector<std::pair<DeviceFamily, quint32>> heard;
    const int id = platform::AddDeviceVolumeListener(
        [&](DeviceFamily family, quint32 word) { heard.emplace_back(family, word); });
    ASSERT_TRUE(platform::SetDeviceVolume(DeviceFamily::Wave, 0, 0x7FFFFFFFu));  // left full, right half
    ASSERT_TRUE(platform::SetDeviceVolume(DeviceFamily::Wave, 0, 0x7FFFFFFFu));  // no change, no notice
    const auto [left, right] = platform::DeviceLevels(DeviceFamily::Wave);
    EXPECT_DOUBLE_EQ(left, 1.0);
    EXPECT_NEAR(right, 0.5, 0.0001);
    EXPECT_EQ(platform::DeviceLevels(DeviceFamily::Midi), std::make_pair(1.0, 1.0));
    platform::RemoveDeviceVolumeListener(id);
    ASSERT_TRUE(platform::SetDeviceVolume(DeviceFamily::Midi, 0, 0));
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].first, DeviceFamily::Wave);
    EXPECT_EQ(heard[0].second, 0x7FFFFFFFu);
    EXPECT_EQ(platform::DeviceLevels(DeviceFamily::Midi), std::make_pair(0.0, 0.0));
}

TEST_F(DeviceVolume, OutputPluginFindsTheWordThroughTheExportedAccessor) {
    using WordFn = unsigned int (*)(int);
    // Found the way output.dll finds it: among the host program's exported symbols.
    auto word = reinterpret_cast<WordFn>(dlsym(RTLD_DEFAULT, "VelmoraDeviceVolumeWord"));
    ASSERT_NE(word, nullptr);
    ASSERT_TRUE(platform::SetDeviceVolume(DeviceFamily::Wave, 0, 0x40004000u));
    ASSERT_TRUE(platform::SetDeviceVolume(DeviceFamily::Midi, 0, 0x12345678u));
    EXPECT_EQ(word(0), 0x40004000u);
    EXPECT_EQ(word(1), 0x12345678u);
    EXPECT_EQ(word(7), 0xFFFFFFFFu) << "an unknown family plays at full volume";
}

// The names the built program exports (its dynamic symbols defined in it), read from its file.
std::vector<QByteArray> ProgramExports(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray elf = file.readAll();
    const auto at = [&](qint64 offset, qint64 size) { return offset >= 0 && size >= 0 && offset + size <= elf.size(); };
    if (!at(0, sizeof(Elf64_Ehdr)) || std::memcmp(elf.constData(), ELFMAG, SELFMAG) != 0) return {};
    Elf64_Ehdr header;
    std::memcpy(&header, elf.constData(), sizeof header);
    std::vector<Elf64_Shdr> sections(header.e_shnum);
    for (int i = 0; i < header.e_shnum; ++i) {
        const qint64 offset = qint64(header.e_shoff) + qint64(i) * header.e_shentsize;
        if (!at(offset, sizeof(Elf64_Shdr))) return {};
        std::memcpy(&sections[i], elf.constData() + offset, sizeof(Elf64_Shdr));
    }
    std::vector<QByteArray> names;
    for (const Elf64_Shdr& symbols : sections) {
        if (symbols.sh_type != SHT_DYNSYM || symbols.sh_link >= sections.size()) continue;
        const Elf64_Shdr& strings = sections[symbols.sh_link];
        for (qint64 offset = symbols.sh_offset; offset + qint64(sizeof(Elf64_Sym)) <= qint64(symbols.sh_offset + symbols.sh_size);
             offset += sizeof(Elf64_Sym)) {
            if (!at(offset, sizeof(Elf64_Sym))) return {};
            Elf64_Sym symbol;
            std::memcpy(&symbol, elf.constData() + offset, sizeof symbol);
            if (symbol.st_shndx == SHN_UNDEF || symbol.st_name >= strings.sh_size) continue;
            names.push_back(QByteArray(elf.constData() + strings.sh_offset + symbol.st_name));
        }
    }
    return names;
}

// The program exports what the plug-ins look up in it and little else: a plug-in that does not
// find one goes on without it, unnoticed, and exporting everything again would bring back the
// symbol tables every start pages in.
TEST(ProgramExports, TheProgramExportsWhatThePlugInsLookUpAndLittleElse) {
    const std::vector<QByteArray> names = ProgramExports(QStringLiteral(VELMORA_PROGRAM));
    ASSERT_FALSE(names.empty()) << VELMORA_PROGRAM;
    for (const char* name : {"VelmoraDeviceVolumeWord", "VelmoraTakeWarmedGraph", "VelmoraTakeHeldSink"})
        EXPECT_NE(std::find(names.begin(), names.end(), QByteArray(name)), names.end()) << name;
    EXPECT_LT(names.size(), 100u);
}

TEST_F(DeviceVolume, ADragOfChangesIsWrittenOnceItPauses) {
    auto stored = [] {
        platform::TRegistry registry;
        int value = 0;
        return registry.OpenKeyReadOnly(kKey) && registry.ReadInteger(QStringLiteral("Wave"), &value)
                   ? std::optional<quint32>(quint32(value))
                   : std::nullopt;
    };
    for (quint32 step = 1; step <= 50; ++step)
        ASSERT_TRUE(platform::SetDeviceVolume(DeviceFamily::Wave, 0, step * 0x01000100u));
    EXPECT_EQ(platform::GetDeviceVolume(DeviceFamily::Wave, 0), 50 * 0x01000100u) << "the device takes each change at once";
    EXPECT_FALSE(stored().has_value()) << "no file write per step of a drag";
    QElapsedTimer waited;
    waited.start();
    while (!stored() && waited.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(stored(), std::optional<quint32>(50 * 0x01000100u)) << "the last value is kept once the changes pause";

    ASSERT_TRUE(platform::SetDeviceVolume(DeviceFamily::Midi, 0, 0x00420042u));
    platform::SaveDeviceVolumes();
    platform::TRegistry registry;
    int midi = 0;
    ASSERT_TRUE(registry.OpenKeyReadOnly(kKey));
    ASSERT_TRUE(registry.ReadInteger(QStringLiteral("Midi"), &midi));
    EXPECT_EQ(quint32(midi), 0x00420042u) << "a save asked for writes what is pending";
}
