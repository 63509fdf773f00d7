#include "Entries/FileState.h"

#include "Support/MediaFixtures.h"

#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tarnik;

TEST(FileStateTest, EncodedFormKeepsEveryBitAndOlderOrDamagedFormsReadAsUnknown)
{
    // Times in nanoseconds and inodes of large file systems lie beyond a JSON number's precision.
    const FileState state { 0xFFFF'FFFF'FFFF'FFF1ULL, 0x8000'0000'0000'0003ULL, (qint64(1) << 53) + 1,
        1'765'000'000'123'456'789LL };
    EXPECT_EQ(FileState::fromJson(state.jsonObject()), state);

    struct Case
    {
        const char *what;
        QJsonValue value;
    };
    QJsonObject numbers = state.jsonObject();
    numbers.insert(QStringLiteral("size"), 12);
    QJsonObject missing = state.jsonObject();
    missing.remove(QStringLiteral("inode"));
    QJsonObject garbled = state.jsonObject();
    garbled.insert(QStringLiteral("modified"), QStringLiteral("soon"));
    const Case cases[] = {
        { "absent (an older cache file)", QJsonValue(QJsonValue::Undefined) },
        { "null", QJsonValue(QJsonValue::Null) },
        { "numbers instead of texts", numbers },
        { "a field missing", missing },
        { "a field not a number", garbled },
    };
    for (const Case &c : cases)
        EXPECT_FALSE(FileState::fromJson(c.value).has_value()) << c.what;
}

TEST(FileStateTest, UnknownStatesAreNeverTheSame)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a"));
    ASSERT_TRUE(test::media::writeFile(path, "abc"));
    const std::optional<FileState> state = FileState::of(path);
    ASSERT_TRUE(state);
    EXPECT_EQ(state->size, 3);
    EXPECT_TRUE(isSameFileState(state, FileState::of(path)));
    EXPECT_FALSE(isSameFileState(state, std::nullopt));
    EXPECT_FALSE(isSameFileState(std::nullopt, std::nullopt));
    EXPECT_FALSE(FileState::of(dir.filePath(QStringLiteral("missing"))));
}
