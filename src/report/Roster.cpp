// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/Roster.h"

#include "platform/Files.h"
#include "report/ClassReport.h"
#include "report/OutputFile.h"
#include "report/Writers.h"
#include "state/ProgressFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QStringDecoder>

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace report {

namespace {

constexpr qint64 kMaxRosterFile = 1 << 20;

// One line of the spreadsheet: its row number and its fields.
struct Record {
    int row = 0;
    QStringList fields;
};

// Splits CSV text into records as spreadsheets write them: fields
// separated by commas, a quoted field may hold commas, doubled quotes and
// line breaks; a record ends at CR LF, LF or CR outside quotes.  Rows are
// counted by records, as the spreadsheet shows them.  False (with the row
// where it began) when a quotation is never closed.
bool splitRecords(const QString &text, std::vector<Record> *records, int *openRow) {
    Record current{1, {}};
    QString field;
    bool quoted = false, fieldStarted = false;
    const auto endField = [&] {
        current.fields << field;
        field.clear();
        fieldStarted = false;
    };
    const auto endRecord = [&] {
        endField();
        records->push_back(current);
        current = Record{current.row + 1, {}};
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else if (c == QLatin1Char('\r')) {
                // A line break inside a field is one break, however written.
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
                field += QLatin1Char('\n');
            } else {
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && !fieldStarted && field.isEmpty()) {
            quoted = fieldStarted = true;
        } else if (c == QLatin1Char(',')) {
            endField();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
            endRecord();
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (quoted) {
        *openRow = current.row;
        return false;
    }
    if (fieldStarted || !field.isEmpty() || !current.fields.isEmpty()) endRecord();
    return true;
}

// The text of a list: UTF-8 (a byte-order mark dropped), else Shift_JIS.
std::optional<QString> decoded(const QByteArray &bytes) {
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bom ? bytes.mid(3) : bytes);
    if (!utf8.hasError()) return text;
    if (bom) return std::nullopt;
    return fromCp932(bytes);
}

bool blank(const QStringList &fields) {
    return std::all_of(fields.cbegin(), fields.cend(), [](const QString &f) { return f.trimmed().isEmpty(); });
}

QString rowText(int row) { return QStringLiteral("%1 行目：").arg(row); }

}  // namespace

Roster::Roster(std::vector<RosterEntry> entries) : entries_(std::move(entries)) {
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const RosterEntry &a, const RosterEntry &b) { return codeLess(a.number, b.number); });
    for (size_t i = 0; i < entries_.size(); ++i) byCode_.insert(entries_[i].code, int(i));
}

const RosterEntry *Roster::find(const QString &code) const {
    // Most codes are in the form that names their file already.
    auto at = byCode_.constFind(code);
    if (at == byCode_.cend()) at = byCode_.constFind(state::progress::normalizedCode(code));
    return at == byCode_.cend() ? nullptr : &entries_[size_t(*at)];
}

std::optional<QString> fromCp932(const QByteArray &bytes) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == iconv_t(-1)) return std::nullopt;
    // A CP932 character takes one or two bytes and at most three in UTF-8.
    QByteArray out(bytes.size() * 3 + 4, Qt::Uninitialized);
    char *in = const_cast<char *>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    char *to = out.data();
    size_t outLeft = size_t(out.size());
    const size_t done = iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    if (done == size_t(-1) || inLeft != 0) return std::nullopt;
    out.truncate(qsizetype(out.size() - qsizetype(outLeft)));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(out);
    if (utf8.hasError()) return std::nullopt;
    return text;
}

RosterRead parseRoster(const QByteArray &bytes) {
    RosterRead result;
    const std::optional<QString> text = decoded(bytes);
    if (!text) {
        result.problems << QStringLiteral("文字が読めません（UTF-8 でも Shift_JIS でもありません）。");
        return result;
    }
    std::vector<Record> records;
    int openRow = 0;
    if (!splitRecords(*text, &records, &openRow)) {
        result.problems << rowText(openRow) + QStringLiteral("「\"」で始まった欄が閉じていません。");
        return result;
    }
    const auto heading =
        std::find_if(records.cbegin(), records.cend(), [](const Record &r) { return !blank(r.fields); });
    if (heading == records.cend()) {
        result.problems << QStringLiteral("名簿に何も書かれていません。");
        return result;
    }
    // The columns by their names; the first of a name counts.
    const auto column = [&heading](std::initializer_list<const char16_t *> names) {
        for (const char16_t *name : names)
            for (qsizetype i = 0; i < heading->fields.size(); ++i)
                if (heading->fields[i].trimmed() == QStringView(name)) return int(i);
        return -1;
    };
    const int numberAt = column({u"出席番号", u"番号"}), nameAt = column({u"氏名", u"名前"}),
              codeAt = column({u"コード"});
    for (const auto &[at, what] : {std::pair{numberAt, QStringLiteral("「出席番号」（または「番号」）")},
                                   {nameAt, QStringLiteral("「氏名」（または「名前」）")},
                                   {codeAt, QStringLiteral("「コード」")}})
        if (at < 0) result.problems << rowText(heading->row) + what + QStringLiteral("の列がありません。");
    if (!result.problems.isEmpty()) return result;

    std::vector<RosterEntry> entries;
    QHash<QString, int> rowOfCode, rowOfNumber;
    for (auto r = heading + 1; r != records.cend(); ++r) {
        if (blank(r->fields)) continue;
        const auto field = [r](int at) { return at < r->fields.size() ? r->fields[at].trimmed() : QString(); };
        RosterEntry e{field(numberAt), field(nameAt), field(codeAt)};
        e.name.replace(QLatin1Char('\n'), QLatin1Char(' '));
        const QString row = rowText(r->row);
        if (e.number.isEmpty()) result.problems << row + QStringLiteral("出席番号が空です。");
        if (e.code.isEmpty()) {
            result.problems << row + QStringLiteral("コードが空です。");
        } else if (!state::progress::isAcceptableCode(e.code)) {
            result.problems << row + QStringLiteral("コード「%1」はゲームで使えないコードです。").arg(visible(e.code));
        } else {
            e.code = state::progress::normalizedCode(e.code);
            if (const int first = rowOfCode.value(e.code); first)
                result.problems
                    << row + QStringLiteral("コード「%1」が %2 行目と同じです。").arg(visible(e.code)).arg(first);
            else
                rowOfCode.insert(e.code, r->row);
        }
        if (!e.number.isEmpty()) {
            if (const int first = rowOfNumber.value(e.number); first)
                result.problems
                    << row + QStringLiteral("出席番号「%1」が %2 行目と同じです。").arg(visible(e.number)).arg(first);
            else
                rowOfNumber.insert(e.number, r->row);
        }
        entries.push_back(std::move(e));
    }
    if (entries.empty() && result.problems.isEmpty()) result.problems << QStringLiteral("名簿に生徒の行がありません。");
    if (result.problems.isEmpty()) result.roster = std::make_shared<const Roster>(std::move(entries));
    return result;
}

void orderByRoster(ClassReport &report) {
    if (!report.roster) return;
    const Roster &roster = *report.roster;
    const auto place = [&roster](const Pupil &p) {
        const RosterEntry *e = roster.find(p.code);
        return e ? e - roster.entries().data() : qsizetype(roster.entries().size());
    };
    std::stable_sort(report.pupils.begin(), report.pupils.end(),
                     [&place](const Pupil &a, const Pupil &b) { return place(a) < place(b); });
}

std::vector<const RosterEntry *> notStarted(const Roster &roster, const std::vector<Pupil> &rows) {
    QSet<QString> present;
    for (const Pupil &p : rows)
        if (const RosterEntry *e = roster.find(p.code)) present.insert(e->code);
    std::vector<const RosterEntry *> missing;
    for (const RosterEntry &e : roster.entries())
        if (!present.contains(e.code)) missing.push_back(&e);
    return missing;
}

QString rosterTable(const ClassReport &report) {
    const QString plain = table(report);
    if (!report.roster) return plain;
    QStringList lines = plain.split(QLatin1Char('\n'));
    const QString notOnList = QStringLiteral("名簿にない");
    std::vector<std::pair<QString, QString>> lead{{QStringLiteral("番号"), QStringLiteral("氏名")}, {}};
    for (const Pupil &p : report.pupils) {
        const RosterEntry *e = report.roster->find(p.code);
        lead.emplace_back(e ? visible(e->number) : notOnList, e ? visible(e->name) : QString());
    }
    int numberWidth = 0, nameWidth = 0;
    for (const auto &[number, name] : lead) {
        numberWidth = std::max(numberWidth, displayWidth(number));
        nameWidth = std::max(nameWidth, displayWidth(name));
    }
    lead[1] = {QString(numberWidth, QLatin1Char('-')), QString(nameWidth, QLatin1Char('-'))};
    const auto pad = [](const QString &text, int width) {
        return text + QString(std::max(0, width - displayWidth(text)), QLatin1Char(' '));
    };
    for (size_t i = 0; i < lead.size() && qsizetype(i) < lines.size(); ++i)
        lines[qsizetype(i)].prepend(pad(lead[i].first, numberWidth) + QStringLiteral("  ") +
                                    pad(lead[i].second, nameWidth) + QStringLiteral("  "));
    const std::vector<const RosterEntry *> missing = notStarted(*report.roster, report.pupils);
    QStringList who;
    for (const RosterEntry *e : missing) who << QStringLiteral("%1 %2").arg(visible(e->number), visible(e->name));
    const QString last = QStringLiteral("未着手 %1 人").arg(missing.size()) +
                         (who.isEmpty() ? QString() : QStringLiteral("：") + who.join(QStringLiteral("、")));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    lines << last << QString();
    return lines.join(QLatin1Char('\n'));
}

RosterRead readRosterFile(const QString &path) {
    const platform::files::ReadResult in = platform::files::read(path, {kMaxRosterFile});
    if (in.outcome != platform::files::ReadResult::Outcome::Read) {
        RosterRead result;
        result.problems << in.text(path, QStringLiteral("名簿のファイル"));
        return result;
    }
    return parseRoster(in.bytes);
}

QString rosterFile(const QString &dataFolder, const QString &classFolder) {
    const QByteArray id = QCryptographicHash::hash(classFolder.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QDir(dataFolder).filePath(QStringLiteral("名簿-%1.json").arg(QString::fromLatin1(id)));
}

QString keepRoster(const QString &file, const QString &classFolder, const Roster &roster) {
    const QString folder = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(folder)) return QStringLiteral("フォルダー「%1」を作れません。").arg(folder);
    QJsonArray pupils;
    for (const RosterEntry &e : roster.entries()) pupils.append(QJsonArray{e.number, e.name, e.code});
    const QJsonObject root{{QStringLiteral("folder"), classFolder}, {QStringLiteral("pupils"), pupils}};
    return writeOutputFile(file, QJsonDocument(root).toJson(QJsonDocument::Indented));
}

RosterPtr keptRoster(const QString &file, const QString &classFolder) {
    const platform::files::ReadResult in = platform::files::read(file, {4 * kMaxRosterFile});
    if (in.outcome != platform::files::ReadResult::Outcome::Read) return nullptr;
    const QJsonObject root = QJsonDocument::fromJson(in.bytes).object();
    if (root.value(QStringLiteral("folder")).toString() != classFolder) return nullptr;
    // Read back as a list is read, so a file changed by hand is held to the same rules.
    QString csv = QStringLiteral("出席番号,氏名,コード\n");
    const auto quoted = [](QString f) {
        return QLatin1Char('"') + f.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
    };
    for (const QJsonValue &v : root.value(QStringLiteral("pupils")).toArray()) {
        const QJsonArray e = v.toArray();
        if (e.size() != 3) return nullptr;
        csv += quoted(e.at(0).toString()) + QLatin1Char(',') + quoted(e.at(1).toString()) + QLatin1Char(',') +
               quoted(e.at(2).toString()) + QLatin1Char('\n');
    }
    return parseRoster(csv.toUtf8()).roster;
}

QString forgetRoster(const QString &file) {
    if (!QFileInfo::exists(file) || QFile::remove(file)) return {};
    return QStringLiteral("「%1」を消せません。").arg(file);
}

}  // namespace report
