// The filter-graph layer's helpers: result codes, the media-type record and its copy, the
// persistable values and their streamed form, monikers and filters by category.
#include <gtest/gtest.h>

#include <cstring>

#include "directshow/base_filter.h"
#include "directshow/ds_util.h"
#include "directshow/persistent.h"
#include "directshow/sys_dev_enum.h"

using namespace directshow;

namespace {

TEST(DirectShowResults, FailedCodeRaisesWithTextAndCodeOthersPass) {
    EXPECT_EQ(CheckHResult(S_FALSE), 1);
    EXPECT_EQ(CheckHResult(0x00040237), 0x00040237);
    try {
        CheckHResult(E_FAIL);
        FAIL() << "no exception";
    } catch (const EDirectShowException& e) {
        EXPECT_EQ(e.ErrorCode(), E_FAIL);
        EXPECT_EQ(e.Message(), DSErrorText(E_FAIL) + " ($80004005).");
    }
}

TEST(DirectShowResults, ReferenceTimesAndDvdTimeCodes) {
    EXPECT_EQ(RefTimeToMs(12345678), 1234);
    EXPECT_EQ(RefTimeToMs(-15000), -1);
    const std::array<std::uint8_t, 9> expected{1, 2, 3, 4, 5, 6, 7, 2, 0};
    EXPECT_EQ(UnpackDvdTimeCode(0x12345678u), expected);
}

struct Counted : IUnknown {};

TEST(MediaTypeCopy, EmptyFormatAllocatesNothingAndReferenceIsCounted) {
    AM_MEDIA_TYPE source;
    source.majortype = MEDIATYPE_Video;
    source.pUnk = new Counted;
    AM_MEDIA_TYPE copy;
    CopyMediaType(&copy, &source);
    EXPECT_EQ(copy.majortype, MEDIATYPE_Video);
    EXPECT_EQ(copy.pbFormat, nullptr);
    EXPECT_EQ(source.pUnk->RefCount(), 2);
    FreeMediaType(&copy);
    EXPECT_EQ(source.pUnk->RefCount(), 1);
    FreeMediaType(&source);
    EXPECT_THROW(CopyMediaType(&source, &source), EAssertionFailed);
    source.cbFormat = 4;
    EXPECT_THROW(CopyMediaType(&copy, &source), EAssertionFailed);
}

TEST(MediaTypeCopy, FormatBlockIsOwnAndAFailedAllocationLeavesNoBlockAtAll) {
    TMediaType source(MEDIATYPE_Video);
    const char block[6] = "abcde";
    source.SetFormat(block, 6);
    TMediaType copy;
    copy.Assign(source);
    ASSERT_EQ(copy.FormatSize(), 6u);
    EXPECT_NE(copy.AMMediaType().pbFormat, source.AMMediaType().pbFormat);
    EXPECT_TRUE(copy.Equal(source));

    const TaskAllocator old = SetTaskAllocator([](std::size_t) -> void* { return nullptr; });
    AM_MEDIA_TYPE failed;
    CopyMediaType(&failed, &source.AMMediaType());
    SetTaskAllocator(old);
    EXPECT_EQ(failed.cbFormat, 0u);
    EXPECT_EQ(failed.pbFormat, nullptr) << "the copy points into the source's block";
    FreeMediaType(&failed);
}

TEST(MediaTypeStream, RoundTripsAndRefusesWhatTheBytesCannotHold) {
    TMediaType type(MEDIATYPE_Video);
    type.SetSubType(MEDIASUBTYPE_RGB24);
    type.SetFormatType(FORMAT_VideoInfo);
    const char block[3] = {1, 2, 3};
    type.SetFormat(block, 3);
    const QByteArray bytes = type.WriteData();
    ASSERT_EQ(bytes.size(), 72 + 3);
    EXPECT_EQ(quint8(bytes[32]), 0xFF) << "True is all bits set";

    TMediaType back;
    back.ReadData(bytes);
    EXPECT_TRUE(back.Equal(type));
    EXPECT_FALSE(back.ShouldWriteData(&type));
    EXPECT_TRUE(back.ShouldWriteData(nullptr));

    QByteArray foreign = bytes;
    std::memset(foreign.data() + 60, 0x5A, 4);  // an object pointer of the writing process
    back.ReadData(foreign);
    EXPECT_EQ(back.AMMediaType().pUnk, nullptr);

    QByteArray shortBlock = bytes.left(72 + 2);
    EXPECT_THROW(back.ReadData(shortBlock), EReadError);
    EXPECT_EQ(back.FormatSize(), 0u);
    EXPECT_EQ(back.AMMediaType().pbFormat, nullptr);
    EXPECT_THROW(back.ReadData(bytes.left(40)), EReadError);
}

TEST(PersistentMemory, StreamsLengthThenBytesAndChecksTheLength) {
    TPersistentMemory empty, other;
    EXPECT_EQ(empty.WriteData(), QByteArray(4, '\0'));
    EXPECT_FALSE(empty.Equal(other));

    TPersistentMemory block;
    block.SetDataLength(3);
    std::memcpy(block.Data(), "xyz", 3);
    const QByteArray bytes = block.WriteData();
    EXPECT_EQ(bytes, QByteArray("\x03\0\0\0xyz", 7));
    other.ReadData(bytes);
    EXPECT_TRUE(other.Equal(block));

    QByteArray lying = bytes;
    lying[0] = char(200);
    EXPECT_THROW(other.ReadData(lying), EReadError);
    EXPECT_EQ(other.DataLength(), 0u);
    EXPECT_EQ(other.Data(), nullptr);
}

TEST(PersistentAssign, BetweenForeignClassesIsAnAssignmentErrorNotARecursion) {
    TPersistentMemory memory;
    memory.SetDataLength(2);
    TMediaType type;
    EXPECT_THROW(type.Assign(memory), EConvertError);
    EXPECT_THROW(memory.Assign(type), EConvertError);
    EXPECT_THROW(memory.AssignTo(type), EConvertError);

    TBaseFilter filter;
    filter.Assign(memory);
    EXPECT_EQ(filter.DataLength(), 2u);
    TPersistentMemory copy;
    filter.AssignTo(copy);
    EXPECT_TRUE(copy.Equal(memory));
}

TEST(BaseFilter, EmptyBlockIsNoFilterAndAFactoryMonikerRoundTrips) {
    TBaseFilter filter;
    filter.SetMoniker(nullptr);
    EXPECT_EQ(filter.DataLength(), 0u);
    EXPECT_EQ(filter.GetMoniker(), nullptr);
    EXPECT_EQ(filter.CreateFilter(), nullptr);

    filter.SetMoniker(MakeFactoryMoniker("identity", "Pass-through"));
    TBaseFilter restored;
    restored.ReadData(filter.WriteData());
    const FilterPtr made = restored.CreateFilter();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(FilterFactoryName(made.get()), "identity");

    QString name;
    ASSERT_TRUE(restored.GetMoniker()->BindToStorage()->Read("FriendlyName", &name));
    EXPECT_EQ(name, "Pass-through");

    restored.SetDataLength(5);  // bytes that are no moniker
    EXPECT_EQ(restored.GetMoniker(), nullptr);
    EXPECT_EQ(restored.CreateFilter(), nullptr);
    filter.SetMoniker(MakeFactoryMoniker("no-such-factory-here"));
    EXPECT_EQ(filter.CreateFilter(), nullptr);
}

// A moniker of a test's own making: a fixed property bag, or storage that cannot be read.
struct FakeMoniker : IMoniker {
    std::optional<PropertyBag> bag;
    std::optional<PropertyBag> BindToStorage() const override { return bag; }
    FilterPtr BindToObject() const override { return nullptr; }
    QByteArray Save() const override { return {}; }
};

MonikerPtr Fake(const QString& name, const QString& clsid = QString()) {
    auto moniker = std::make_shared<FakeMoniker>();
    moniker->bag = PropertyBag{};
    moniker->bag->values["FriendlyName"] = name;
    if (!clsid.isEmpty()) moniker->bag->values["CLSID"] = clsid;
    return moniker;
}

struct EnumeratorScope {
    explicit EnumeratorScope(ClassEnumerator e) { SetClassEnumerator(std::move(e)); }
    ~EnumeratorScope() { SetClassEnumerator(nullptr); }
};

TEST(SysDevEnum, UnreadableStorageIsSkippedAndRecordsKeepTheirMonikers) {
    const GUID category = CLSID_AudioInputDeviceCategory;
    int calls = 0;
    EnumeratorScope scope([&](const GUID& which) {
        std::vector<MonikerPtr> list;
        if (which != category) return list;
        // Each enumeration sees the devices in another order, as when one comes and goes.
        list = {Fake("first", "{083863F1-70DE-11D0-BD40-00A0C911CE86}"), std::make_shared<FakeMoniker>(),
                Fake(QString(300, u'x')), Fake("last")};
        if (++calls % 2 == 0) std::reverse(list.begin(), list.end());
        return list;
    });
    TSysDevEnum devices(category);
    ASSERT_EQ(devices.FilterCount(), 3);
    TDeviceFilterRecord record;
    devices.GetFilterInfo(0, &record);
    EXPECT_EQ(record.FriendlyName, "first");
    EXPECT_EQ(record.CLSID, CLSID_LegacyAmFilterCategory);
    devices.GetFilterInfo(1, &record);
    EXPECT_EQ(record.FriendlyName.size(), 255);
    EXPECT_TRUE(record.CLSID.isNull());
    for (int i = 0; i < devices.FilterCount(); ++i) {
        devices.GetFilterInfo(i, &record);
        QString name;
        ASSERT_TRUE(devices.GetMoniker(i)->BindToStorage()->Read("FriendlyName", &name));
        EXPECT_EQ(name.left(255), record.FriendlyName) << "index " << i;
    }
    EXPECT_EQ(devices.GetMoniker(-1), nullptr);
    EXPECT_EQ(devices.GetMoniker(3), nullptr);
    EXPECT_THROW(devices.GetFilterInfo(3, &record), std::out_of_range);
}

TEST(SysDevEnum, LegacyFiltersOfferTheMpegAudioDecoderFirst) {
    TSysDevEnum filters(CLSID_LegacyAmFilterCategory);
    ASSERT_GE(filters.FilterCount(), 10);
    TDeviceFilterRecord record;
    filters.GetFilterInfo(0, &record);
    EXPECT_EQ(record.FriendlyName, kMpegAudioDecoderName);
    EXPECT_FALSE(record.CLSID.isNull());
    TBaseFilter decoder;
    decoder.SetMoniker(filters.GetMoniker(0));
    const FilterPtr made = decoder.CreateFilter();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(FactoryClassId(FilterFactoryName(made.get())), record.CLSID);

    ASSERT_EQ(filters.CategoryCount(), 7);
    EXPECT_EQ(filters.Category(0).CLSID, CLSID_LegacyAmFilterCategory);
    filters.SelectCategory(CLSID_VideoRendererCategory);
    EXPECT_GT(filters.FilterCount(), 0);
    filters.SelectCategory(GUID());
    EXPECT_EQ(filters.FilterCount(), 0);
}

}  // namespace
