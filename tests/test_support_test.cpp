// The shared test machinery: readable Qt values in failures.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "tests/test_support.h"

using ::testing::PrintToString;

TEST(QtPrinters, TextShowsItsCharactersAndEscapes) {
    EXPECT_EQ(PrintToString(QString::fromUtf8("a\"b\r\n\xE4\xB8\xAD")), "\"a\\\"b\\r\\n\xE4\xB8\xAD\"");
    EXPECT_EQ(PrintToString(QString()), "QString(null)");
    EXPECT_EQ(PrintToString(QString("")), "\"\"");
    EXPECT_EQ(PrintToString(QByteArray("x\xB0\x01\t", 4)), "b\"x\\xB0\\x01\\t\"") << "bytes of any encoding";
    EXPECT_EQ(PrintToString(QStringList{"a", "b"}), "{ \"a\", \"b\" }") << "lists reach the text printer";
    EXPECT_EQ(PrintToString(QChar('z')), "'z' (U+007A)");
    EXPECT_EQ(PrintToString(QChar(0x1)), "'' (U+0001)");
}

TEST(QtPrinters, GeometryColoursAndImagesReadAsValues) {
    EXPECT_EQ(PrintToString(QRect(1, 2, 30, 40)), "QRect(1,2 30x40)");
    EXPECT_EQ(PrintToString(QRectF(0.5, 2, 3, 4)), "QRectF(0.5,2 3x4)");
    EXPECT_EQ(PrintToString(QPoint(-3, 7)), "QPoint(-3,7)");
    EXPECT_EQ(PrintToString(QPointF(1.5, 2)), "QPointF(1.5,2)");
    EXPECT_EQ(PrintToString(QSize(275, 116)), "QSize(275x116)");
    EXPECT_EQ(PrintToString(QSizeF(2.5, 1)), "QSizeF(2.5x1)");
    EXPECT_EQ(PrintToString(QColor(255, 0, 16)), "QColor(#ff0010)");
    EXPECT_EQ(PrintToString(QColor(0, 0, 0, 128)), "QColor(#80000000)") << "alpha shown when not opaque";
    EXPECT_EQ(PrintToString(QColor()), "QColor(invalid)");
    EXPECT_EQ(PrintToString(QImage(2, 3, QImage::Format_RGB32)), "QImage(2x3, Format_RGB32)");
    EXPECT_EQ(PrintToString(QImage()), "QImage(null)");
}

TEST(QtPrinters, AFailedComparisonNamesBothValues) {
    EXPECT_NONFATAL_FAILURE(EXPECT_EQ(QString("abc"), QString("abd")), "\"abd\"");
    EXPECT_NONFATAL_FAILURE(EXPECT_EQ(QRect(0, 0, 1, 1), QRect(0, 0, 2, 1)), "QRect(0,0 2x1)");
    EXPECT_NONFATAL_FAILURE(EXPECT_EQ(QColor(Qt::red), QColor(Qt::blue)), "QColor(#0000ff)");
}
