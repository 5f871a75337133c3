// SPDX-License-Identifier: GPL-3.0-or-later
// The class list as schools export it: read whole, or refused whole with
// every wrong line named; kept for one class folder in the teacher's folder.
#include "report/Roster.h"

#include <gtest/gtest.h>

using namespace report;

namespace {

// The entries as "number name code", in the list's order.
QStringList entriesOf(const RosterRead &read) {
    QStringList out;
    if (read.roster)
        for (const RosterEntry &e : read.roster->entries()) out << e.number + ' ' + e.name + ' ' + e.code;
    return out;
}

struct ListCase {
    const char *what;
    QByteArray bytes;
    QStringList entries, problems;
};

}  // namespace

TEST(Roster, ReadsWholeOrRefusesNamingEveryWrongLine) {
    const ListCase cases[] = {
        {"UTF-8, LF, no last line break", "出席番号,氏名,コード\n10,高木 一,3110\n2,青木 二,3102", {"2 青木 二 3102", "10 高木 一 3110"}, {}},
        {"byte-order mark, CR LF, other names, extra columns, blank lines",
         "\xEF\xBB\xBF" "組,番号,ふりがな,名前,コード\r\n\r\n2-1,7, はな ,渡辺 はな, さくら2 \r\n,,,,\r\n",
         {"7 渡辺 はな さくら2"}, {}},
        {"Shift_JIS from Excel", "\x8Fo\x90\xC8\x94\xD4\x8D\x86,\x8E\x81\x96\xBC,\x83R\x81[\x83h\x0D\x0A"
                                 "7,\xEE\xE0\x8B\xB4\x81@\x82\xCD\x82\xC8,ken\x0D\x0A",
         {"7 髙橋　はな ken"}, {}},
        {"quoted fields", "\"出席番号\",氏名,コード\r\n\"1\",\"佐藤, \"\"はな\"\"\r\nさん\",\"3,1\"\r\n2,b,x\r\n",
         {"1 佐藤, \"はな\" さん 3,1", "2 b x"}, {}},
        {"no such columns", "番,名,code\n1,a,b\n", {},
         {"1 行目：「出席番号」（または「番号」）の列がありません。", "1 行目：「氏名」（または「名前」）の列がありません。",
          "1 行目：「コード」の列がありません。"}},
        {"each wrong line", "番号,氏名,コード\n1,a,ken\n2,b,\n3,c,ken\n3,d,a/b\n,e,f\n4,f,..\n", {},
         {"3 行目：コードが空です。", "4 行目：コード「ken」が 2 行目と同じです。",
          "5 行目：コード「a/b」はゲームで使えないコードです。", "5 行目：出席番号「3」が 4 行目と同じです。",
          "6 行目：出席番号が空です。", "7 行目：コード「..」はゲームで使えないコードです。"}},
        {"a quotation left open", "番号,氏名,コード\n1,\"a,b\n2,c,d\n", {}, {"2 行目：「\"」で始まった欄が閉じていません。"}},
        {"heading only", "番号,氏名,コード\r\n", {}, {"名簿に生徒の行がありません。"}},
        {"empty", "", {}, {"名簿に何も書かれていません。"}},
        {"neither UTF-8 nor Shift_JIS", "番号,氏名,コード\n1,\xFF\xFE,a\n", {},
         {"文字が読めません（UTF-8 でも Shift_JIS でもありません）。"}},
    };
    for (const ListCase &c : cases) {
        const RosterRead read = parseRoster(c.bytes);
        EXPECT_EQ(entriesOf(read), c.entries) << c.what;
        EXPECT_EQ(read.problems, c.problems) << c.what;
        EXPECT_EQ(bool(read.roster), c.problems.isEmpty()) << c.what;  // nothing half-read
    }
}

TEST(Roster, KeptForItsOwnClassFolderOnly) {
    const QString kept = rosterFile("data", "/srv/2-1");
    ASSERT_EQ(keepRoster(kept, "/srv/2-1", *parseRoster("番号,氏名,コード\n1,\"a\"\"b\",ken\n").roster), "");
    const RosterPtr back = keptRoster(kept, "/srv/2-1");
    EXPECT_EQ(back ? back->entries().front().name : "none", "a\"b");
    EXPECT_FALSE(keptRoster(kept, "/srv/2-2"));  // another folder's list is not used
}
