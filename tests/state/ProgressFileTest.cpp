// The progress file: the exact bytes written, number texts, reading rules,
// failures, and the atomic replacement of the old file.
#include "state/ProgressFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <clocale>
#include <csignal>

#include <sys/resource.h>

using namespace state;

namespace {

QByteArray readAll(const QString &name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &name, const QByteArray &bytes) {
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The learner on question 3 after one miss on 1, none on 2, two on 3,
// question 3 started at 14:00:12.5.
Module1 workedExample() {
    Module1 m;
    m.UserFileStem = "abc123";
    m.QuestionNo = 3;
    m.Score = -3000;
    m.MissCount[1] = 1;
    m.AnswerTime[1] = 42;
    m.AnswerTime[2] = 17;
    m.MissCount[3] = 2;
    m.AnswerTime[3] = 50412.5f;
    return m;
}

TEST(ProgressFile, WorkedExampleByteForByte) {
    progress::save(workedExample());
    QByteArray expected = "3,-3000\r\n1,42\r\n0,17\r\n2,50412.5\r\n";
    for (int i = 4; i <= 30; ++i) expected += "0,0\r\n";
    EXPECT_EQ(readAll("abc123.ucd"), expected);
}

TEST(ProgressFile, RoundTripsEveryStoredVariableAndNothingElse) {
    Module1 out = workedExample();
    out.MissCount[30] = -2;
    out.AnswerTime[30] = 86399.99f;
    out.Score = 123456789.25;
    out.VariantNo = 3;
    progress::save(out);
    Module1 in;
    in.UserFileStem = "abc123";
    in.VariantNo = 1;
    progress::load(in);
    EXPECT_EQ(in.QuestionNo, 3);
    EXPECT_EQ(in.Score, 123456789.25);
    EXPECT_EQ(in.MissCount, out.MissCount);
    EXPECT_EQ(in.AnswerTime[3], 50412.5f);
    EXPECT_EQ(in.AnswerTime[30], 86399.99f);
    EXPECT_EQ(in.VariantNo, 1);  // not stored
}

struct NumberCase {
    double value;
    int digits;
    const char *text;
};

class NumberText : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberText, IsPlainDecimal) {
    EXPECT_EQ(progress::formatNumber(GetParam().value, GetParam().digits), QString(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Values, NumberText,
    ::testing::Values(NumberCase{0, 7, "0"}, NumberCase{-0.0, 7, "0"}, NumberCase{3000, 15, "3000"},
                      NumberCase{-3000, 15, "-3000"}, NumberCase{50412.5f, 7, "50412.5"},
                      NumberCase{double(50412.123f), 7, "50412.12"},   // 7 significant digits
                      NumberCase{double(0.1f), 7, "0.1"},              // float noise rounded away
                      NumberCase{double(86399.99f), 7, "86399.99"},
                      NumberCase{-12.5, 7, "-12.5"}, NumberCase{0.000012345, 7, "0.000012345"},
                      NumberCase{1234567.89, 7, "1234568"}, NumberCase{12345678.9, 7, "12345680"},
                      NumberCase{0.1 + 0.2, 15, "0.3"}, NumberCase{-1.0 / 3, 15, "-0.333333333333333"}));

TEST(ProgressFile, DecimalPointIsAPointWhateverTheLocale) {
    // A locale with a decimal comma must not change the file.
    const char *set = std::setlocale(LC_ALL, "de_DE.UTF-8");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Module1 m = workedExample();
    m.Score = -2999.5;
    progress::save(m);
    EXPECT_TRUE(readAll("abc123.ucd").startsWith("3,-2999.5\r\n"));
    Module1 in;
    in.UserFileStem = "abc123";
    progress::load(in);
    EXPECT_EQ(in.Score, -2999.5);
    QLocale::setDefault(QLocale::c());
    if (set) std::setlocale(LC_ALL, "C");
}

Module1 parsed(const QByteArray &content) {
    Module1 m;
    progress::parse(content, m);
    return m;
}

QByteArray validBody(int extraLines = 0) {
    QByteArray b = "5,1500\r\n";
    for (int i = 1; i <= 30 + extraLines; ++i) b += QByteArray::number(i % 3) + "," + QByteArray::number(i) + "\r\n";
    return b;
}

TEST(ProgressFileReading, AcceptsBlanksLineSeparatedFieldsAndTrailingContent) {
    QByteArray loose = " 5 ,\t1500 \n";
    for (int i = 1; i <= 30; ++i) loose += QByteArray::number(i % 3) + "\n" + QByteArray::number(i) + "\n";
    loose += "garbage, that is ignored\n";
    const Module1 a = parsed(loose);
    const Module1 b = parsed(validBody(3));
    for (const Module1 &m : {a, b}) {
        EXPECT_EQ(m.QuestionNo, 5);
        EXPECT_EQ(m.Score, 1500);
        EXPECT_EQ(m.MissCount[4], 1);
        EXPECT_EQ(m.AnswerTime[30], 30.0f);
    }
    // No line end after the last field.
    QByteArray noEnd = validBody();
    noEnd.chop(2);
    EXPECT_EQ(parsed(noEnd).AnswerTime[30], 30.0f);
}

TEST(ProgressFileReading, FailuresLeaveTheVariablesUnchanged) {
    const QByteArray good = validBody();
    QByteArray shortFile = good.left(good.lastIndexOf("30,"));
    QByteArray word = good;
    word.replace("5,1500", "5,abc");
    QByteArray empty = good;
    empty.replace("5,1500", "5,,1500");
    QByteArray bigCount = good;
    bigCount.replace("\r\n1,1\r\n", "\r\n32768,1\r\n");
    QByteArray bigQuestion = good;
    bigQuestion.replace("5,1500", "-40000,1500");
    QByteArray bigTime = good;
    bigTime.replace("\r\n1,1\r\n", "\r\n1,1e39\r\n");
    QByteArray infinite = good;
    infinite.replace("5,1500", "5,1e400");
    for (const QByteArray &bad : {QByteArray(), shortFile, word, empty, bigCount, bigQuestion, bigTime, infinite}) {
        Module1 m;
        m.QuestionNo = 7;
        m.MissCount[1] = 9;
        EXPECT_THROW(progress::parse(bad, m), ProgressError) << bad.left(40).constData();
        EXPECT_EQ(m.QuestionNo, 7);
        EXPECT_EQ(m.MissCount[1], 9);
    }
}

TEST(ProgressFileReading, IntegerFieldsRoundAndTheirLimitsFit) {
    QByteArray b = validBody();
    b.replace("5,1500", "2.5,1500");
    b.replace("\r\n1,1\r\n", "\r\n-32768,1\r\n");
    const Module1 m = parsed(b);
    EXPECT_EQ(m.QuestionNo, 2);  // half to even
    EXPECT_EQ(m.MissCount[1], -32768);
}

TEST(ProgressFile, MissingFileFails) {
    Module1 m;
    m.UserFileStem = "nobody";
    EXPECT_THROW(progress::load(m), ProgressError);
}

TEST(ProgressFile, FailedSaveLeavesTheOldFileIntact) {
    Module1 m = workedExample();
    progress::save(m);
    const QByteArray before = readAll("abc123.ucd");
    // A disk that fills up halfway through the write (a file size limit
    // stands in for it): the save fails and the old file stays as it was.
    m.Score = 99;
    for (int i = 1; i <= 30; ++i) m.AnswerTime[i] = 86399.5f;  // a longer file than before
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(progress::save(m), ProgressError);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(readAll("abc123.ucd"), before);

    // A directory where the file should be: the rename fails, whoever runs.
    Module1 blocked = workedExample();
    blocked.UserFileStem = "taken";
    QDir().mkdir("taken.ucd");
    EXPECT_THROW(progress::save(blocked), ProgressError);
    EXPECT_TRUE(QFileInfo("taken.ucd").isDir());
    // No temporary files are left behind.
    EXPECT_EQ(QDir(".").entryList(QDir::Files), QStringList{"abc123.ucd"});
}

TEST(ProgressFile, SaveOverwritesAnExistingFile) {
    writeFile("abc123.ucd", QByteArray(5000, 'x'));
    progress::save(workedExample());
    EXPECT_TRUE(readAll("abc123.ucd").startsWith("3,-3000\r\n1,42\r\n"));
    EXPECT_EQ(readAll("abc123.ucd").count("\r\n"), 31);
}

TEST(UserCodes, UnsafeCodesAreRefusedOthersUsedAsTyped) {
    for (const QString &bad : {QString("../x"), QString("/tmp/x"), QString("a\\b"), QString("."), QString(".."),
                               QString("a\nb"), QString("tab\there"), QString("del\x7f"),
                               QString(300, QChar(0x3042)) /* 900 bytes in UTF-8 */, QString()}) {
        EXPECT_FALSE(progress::isAcceptableCode(bad)) << bad.toStdString();
    }
    for (const QString &good : {QString("abc123"), QString("  "), QString("ぽむ　りん"), QString("...x"),
                                QString(200, 'a'), QString("-rf"), QString("pm")}) {
        EXPECT_TRUE(progress::isAcceptableCode(good)) << good.toStdString();
        Module1 m;
        m.UserFileStem = good;
        progress::save(m);
        EXPECT_TRUE(QFileInfo::exists(good + ".ucd")) << good.toStdString();
    }
}

}  // namespace
