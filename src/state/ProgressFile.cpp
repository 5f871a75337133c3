// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/ProgressFile.h"

#include "platform/SystemError.h"
#include "state/SaveFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QByteArrayView>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace state::progress {

namespace {

constexpr int kFields = 2 + 2 * kQuestions;
constexpr qint64 kMaxRead = 1 << 20;  // more than any real file; a bound for hostile ones
// The longest number the writer can produce is the plain decimal of the
// smallest double, about 340 characters; anything longer is not ours.
constexpr qsizetype kMaxField = 400;

// "<what>（<reason>）。" with the system's reason for err, in Japanese where
// the reason is one a learner or teacher may meet.
std::string osFailure(const QString &what, int err) {
    QString reason;
    switch (err) {
    case ENOENT: reason = QStringLiteral("ファイルがありません"); break;
    case ELOOP: reason = QStringLiteral("シンボリックリンクは使えません"); break;
    default: reason = platform::systemErrorText(err); break;
    }
    return QStringLiteral("%1（%2）。").arg(what, reason).toStdString();
}

std::string failure(const QString &sentence) { return sentence.toStdString(); }

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

// One field as a number: [+-]?(digits[.digits]|.digits)([eE][+-]?digits)?,
// checked in a single pass over at most kMaxField characters.
bool toNumber(const char *begin, const char *end, double *out) {
    if (begin == end || end - begin > kMaxField) return false;
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const char *p = begin;
    if (*p == '+' || *p == '-') ++p;
    const char *digits = p;
    while (p != end && isDigit(*p)) ++p;
    bool any = p != digits;
    if (p != end && *p == '.') {
        const char *fraction = ++p;
        while (p != end && isDigit(*p)) ++p;
        any = any || p != fraction;
    }
    if (!any) return false;
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p != end && (*p == '+' || *p == '-')) ++p;
        const char *exponent = p;
        while (p != end && isDigit(*p)) ++p;
        if (p == exponent) return false;
    }
    if (p != end) return false;
    // from_chars reads the same grammar but without a leading "+", and
    // always with "." as the decimal point.
    double v = 0;
    const auto [stop, ec] = std::from_chars(*begin == '+' ? begin + 1 : begin, end, v, std::chars_format::general);
    if (ec != std::errc() || stop != end || !std::isfinite(v)) return false;
    *out = v;
    return true;
}

// Rounds half to even, as integer fields were read by the old platform.
bool toShort(double v, short *out) {
    const double r = std::nearbyint(v);
    if (!(r >= SHRT_MIN && r <= SHRT_MAX)) return false;
    *out = static_cast<short>(r);
    return true;
}

// Whether v, written with the given significant digits, reads back as a
// finite number of its kind (a float for the timing slots).
bool writable(double v, int significantDigits, bool single) {
    if (!std::isfinite(v)) return false;
    const QByteArray text = formatNumber(v, significantDigits).toLatin1();
    double back = 0;
    return toNumber(text.constBegin(), text.constEnd(), &back) && (!single || std::fabs(back) <= FLT_MAX);
}

// Why the stored variables cannot make a file that reads back, or empty.
// The reader and the writer share this check, so the writer never writes
// a file that its reader refuses.
QString whyNotStorable(const Session &m) {
    if (!Session::inRange(m.question))
        return QStringLiteral("問題の番号 %1 は 1 から %2 の外です").arg(m.question).arg(kQuestions);
    if (!writable(m.score, 15, false)) return QStringLiteral("得点が書き表せない数です");
    for (int i = 1; i <= kQuestions; ++i) {
        if (m.misses[i] < 0) return QStringLiteral("問題 %1 の間違いの数が負です").arg(i);
        if (!writable(m.answerTimes[i], 7, true)) return QStringLiteral("問題 %1 の時間が書き表せない数です").arg(i);
    }
    return {};
}

// Closes a file descriptor when the scope ends.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

// What this program last read or wrote of the progress file it plays: a
// save goes ahead only while the file is still exactly that.
struct Seen {
    QByteArray path;  // absolute; empty: nothing seen yet
    struct stat st {};
    QByteArray content;
    bool lost = false;  // changed under this program once: never written again
};
Seen gSeen;

QByteArray absolutePath(const QString &name) { return QFile::encodeName(QFileInfo(name).absoluteFilePath()); }

bool sameTime(const timespec &a, const timespec &b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// The same file with the same size and modification time.  Not the change
// time: it moves too when only the file's mode or group is changed (a
// teacher putting a class folder's permissions right), which is no save.
bool sameFile(const struct stat &a, const struct stat &b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size && sameTime(a.st_mtim, b.st_mtim);
}

// Reads at most limit bytes of an open file; false on a read error.
bool readUpTo(int fd, qint64 limit, QByteArray *content) {
    content->resize(static_cast<qsizetype>(std::min<qint64>(limit, 4096)) + 1);
    qsizetype got = 0;
    while (got < limit) {
        if (got == content->size()) content->resize(std::min<qsizetype>(content->size() * 2, limit));
        const ssize_t n = ::read(fd, content->data() + got, static_cast<size_t>(content->size() - got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        got += n;
    }
    content->truncate(got);
    return true;
}

// Whether target (absolute path abs) may be written: it is not the file
// this program has seen, or it still is what was seen, or it is gone (no
// program removes a progress file; writing it again loses nobody's save).
// Failures to look are thrown.
bool stillAsSeen(const QByteArray &abs, const QByteArray &target, const QString &name) {
    if (gSeen.path.isEmpty() || gSeen.path != abs) return true;
    if (gSeen.lost) return false;
    struct stat now {};
    if (::lstat(target.constData(), &now) != 0) {
        if (errno == ENOENT) return true;
        throw ProgressError(osFailure(QStringLiteral("「%1」を調べられません").arg(name), errno));
    }
    if (!S_ISREG(now.st_mode) || !sameFile(now, gSeen.st)) return false;
    // The times of some file systems are coarse (whole seconds), and some
    // number their files anew: the content tells what they cannot.
    Descriptor file;
    file.fd = ::open(target.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    QByteArray content;
    if (file.fd < 0 || !readUpTo(file.fd, gSeen.content.size() + 1, &content))
        throw ProgressError(osFailure(QStringLiteral("「%1」を読めません").arg(name), errno));
    return content == gSeen.content;
}

// The content of the file at path: regular files only, at most kMaxRead
// bytes; kind names the file in the refusal.  *st gets its status.
QByteArray readBounded(const QString &path, const QString &kind, struct stat *st) {
    const QByteArray native = QFile::encodeName(path);
    // O_NOFOLLOW: a link in the file's place is refused, not followed;
    // O_NONBLOCK: opening a FIFO returns at once instead of waiting for a writer.
    Descriptor file;
    file.fd = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (file.fd < 0) throw ProgressError(osFailure(QStringLiteral("「%1」を開けません").arg(path), errno));
    if (::fstat(file.fd, st) != 0)
        throw ProgressError(osFailure(QStringLiteral("「%1」を調べられません").arg(path), errno));
    if (!S_ISREG(st->st_mode))
        throw ProgressError(
            failure(QStringLiteral("「%1」は%2で、%3ではありません。").arg(path, kindOf(st->st_mode), kind)));
    // Read at most kMaxRead bytes; a file that grows while it is read is cut there.
    QByteArray content;
    if (!readUpTo(file.fd, kMaxRead, &content))
        throw ProgressError(osFailure(QStringLiteral("「%1」を読めません").arg(path), errno));
    return content;
}

// Reads the progress file at path into m; when seen is given, it is filled
// with what was read.
void read(const QString &path, Session &m, Seen *seen) {
    struct stat st {};
    const QByteArray content = readBounded(path, QStringLiteral("進み具合のファイル"), &st);
    parse(content, m);
    if (seen) {
        seen->path = absolutePath(path);
        seen->st = st;
        seen->content = content;
        seen->lost = false;
    }
}

}  // namespace

QString kindOf(mode_t mode) {
    if (S_ISLNK(mode)) return QStringLiteral("シンボリックリンク");
    if (S_ISDIR(mode)) return QStringLiteral("フォルダー");
    if (S_ISFIFO(mode)) return QStringLiteral("FIFO（名前付きパイプ）");
    if (S_ISSOCK(mode)) return QStringLiteral("ソケット");
    if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("デバイス");
    return QStringLiteral("普通のファイルでないもの");
}

QString fileName(const QString &stem) { return stem + QStringLiteral(".ucd"); }

QString formatNumber(double value, int significantDigits) {
    if (!std::isfinite(value) || value == 0) return QStringLiteral("0");
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qlonglong>(value));
    // Round to the significant digits in scientific form ("-d.ddde+XX"),
    // which cannot overflow, then spell it out as a plain decimal.
    const QString sci = QString::number(std::fabs(value), 'e', significantDigits - 1);
    const qsizetype e = sci.indexOf(QLatin1Char('e'));
    QString digits = sci.left(e);
    digits.remove(QLatin1Char('.'));
    const int exponent = sci.mid(e + 1).toInt();
    QString text;
    if (exponent >= digits.size() - 1) {
        text = digits + QString(exponent - (digits.size() - 1), QLatin1Char('0'));
    } else if (exponent < 0) {
        text = QStringLiteral("0.") + QString(-exponent - 1, QLatin1Char('0')) + digits;
    } else {
        text = digits.left(exponent + 1) + QLatin1Char('.') + digits.mid(exponent + 1);
    }
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0'))) text.chop(1);
        if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    }
    if (text == QLatin1String("0")) return text;
    return value < 0 ? QLatin1Char('-') + text : text;
}

QByteArray render(const Session &m) {
    QByteArray out;
    auto line = [&out](const QString &a, const QString &b) {
        out += a.toLatin1() + ',' + b.toLatin1() + "\r\n";
    };
    line(formatNumber(m.question, 15), formatNumber(m.score, 15));
    for (int i = 1; i <= kQuestions; ++i)
        line(formatNumber(m.misses[i], 7), formatNumber(m.answerTimes[i], 7));
    return out;
}

void parse(const QByteArray &content, Session &m) {
    // Fields are separated by commas or line ends; blanks around a field
    // are skipped; empty lines are skipped.  One pass, and no field grows
    // beyond kMaxField, so any content takes time in proportion to its size.
    // Each field is a view of the content from its first to its last
    // character that is not blank.
    std::array<QByteArrayView, kFields> fields;
    int count = 0;
    const char *start = nullptr;  // first non-blank character of the field, if any yet
    const char *last = nullptr;   // one past its last non-blank character
    bool inField = false;         // something (even an empty field) started on this line
    auto finish = [&] {
        fields[count++] = start ? QByteArrayView(start, last - start) : QByteArrayView();
        start = last = nullptr;
    };
    for (const char *p = content.constBegin(), *end = content.constEnd(); p != end && count < kFields; ++p) {
        const char c = *p;
        if (c == ',') {
            finish();
            inField = true;
        } else if (c == '\r' || c == '\n') {
            if (inField) finish();
            start = last = nullptr;
            inField = false;
        } else if (!isBlank(c)) {
            if (!start) start = p;
            last = p + 1;
            if (last - start > kMaxField)
                throw ProgressError(
                    failure(QStringLiteral("進み具合のファイルの %1 番目の値が長すぎます。").arg(count + 1)));
            inField = true;
        }
    }
    if (count < kFields && inField) finish();
    if (count < kFields)
        throw ProgressError(failure(QStringLiteral("進み具合のファイルが短すぎます（数が %1 個、%2 個必要です）。")
                                        .arg(count)
                                        .arg(kFields)));

    std::array<double, kFields> values{};
    for (int i = 0; i < kFields; ++i) {
        if (!toNumber(fields[i].data(), fields[i].data() + fields[i].size(), &values[i]))
            throw ProgressError(
                failure(QStringLiteral("進み具合のファイルの %1 番目の値が数ではありません。").arg(i + 1)));
    }

    Session next = m;
    bool fits = toShort(values[0], &next.question);
    next.score = values[1];
    for (int i = 1; fits && i <= kQuestions; ++i) {
        fits = toShort(values[2 * i], &next.misses[i]);
        const double t = values[2 * i + 1];
        if (std::fabs(t) > FLT_MAX) fits = false;
        next.answerTimes[i] = static_cast<float>(t);
    }
    if (!fits) throw ProgressError(failure(QStringLiteral("進み具合のファイルに範囲外の数があります。")));
    // Values a quiz screen cannot show, or that could not be saved again,
    // make the file as damaged as a word where a number should be.
    const QString why = whyNotStorable(next);
    if (!why.isEmpty()) throw ProgressError(failure(QStringLiteral("進み具合のファイルが壊れています（%1）。").arg(why)));
    m = next;
}

namespace {

// The write that save and replaceFile share.  tracked: name is the
// progress file this program plays, written only while it is still what
// this program last saw (see save).
void replace(const QString &name, const QByteArray &bytes, bool tracked) {
    const QByteArray target = QFile::encodeName(name);

    // Only a regular file may stand in the file's place: a link is never
    // followed (the save would land where it points), and a FIFO, device
    // or folder is refused.
    struct stat old {};
    bool exists = false;
    if (::lstat(target.constData(), &old) == 0) {
        if (!S_ISREG(old.st_mode))
            throw ProgressError(failure(
                QStringLiteral("「%1」は%2なので、保存できません。").arg(name, kindOf(old.st_mode))));
        exists = true;
    } else if (errno != ENOENT) {
        throw ProgressError(osFailure(QStringLiteral("「%1」を調べられません").arg(name), errno));
    }

    // Write a temporary file beside it, flush it to the disk, then rename
    // it over the old one: a crash or a full disk leaves the last save.
    Descriptor file;
    QByteArray temp;
    for (int attempt = 0; attempt < 100 && file.fd < 0; ++attempt) {
        temp = files::tempNameFor(target);
        file.fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (file.fd < 0 && errno != EEXIST)
            throw ProgressError(osFailure(QStringLiteral("「%1」を作れません").arg(name), errno));
    }
    if (file.fd < 0) throw ProgressError(osFailure(QStringLiteral("「%1」を作れません").arg(name), EEXIST));
    auto fail = [&](const QString &what, int err) {
        ::close(file.fd);
        file.fd = -1;
        ::unlink(temp.constData());
        throw ProgressError(osFailure(what.arg(name), err));
    };
    // A save keeps the file's group (where this account may give it) and
    // mode: in a shared folder another pupil's account may write the file
    // next.  The group first, since changing it may clear the set-group-ID
    // bit.  A new file in a class folder is the group's (0660, or 0640 in
    // a folder with the sticky bit) whatever the umask; with a
    // set-group-ID folder it has the folder's group.
    if (exists) {
        struct stat made {};
        if (::fstat(file.fd, &made) == 0 && made.st_gid != old.st_gid) (void)::fchown(file.fd, (uid_t)-1, old.st_gid);
        if (::fchmod(file.fd, old.st_mode & 07777) != 0) fail(QStringLiteral("「%1」の許可を写せません"), errno);
    } else if (const unsigned mode = files::newFileMode(files::folderOf(target));
               mode != 0 && ::fchmod(file.fd, mode) != 0) {
        fail(QStringLiteral("「%1」の許可を決められません"), errno);
    }
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(file.fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail(QStringLiteral("「%1」に書き込めません"), errno);
        done += n;
    }
    if (::fsync(file.fd) != 0) fail(QStringLiteral("「%1」を保存できません"), errno);
    // The time of this write on the folder's own clock, against which
    // other temporaries are judged stale.
    struct stat written {};
    const bool haveNow = ::fstat(file.fd, &written) == 0;
    const int closed = ::close(file.fd);
    file.fd = -1;
    if (closed != 0) {
        const int err = errno;
        ::unlink(temp.constData());
        throw ProgressError(osFailure(QStringLiteral("「%1」を保存できません").arg(name), err));
    }
    // Looked at as late as possible: a file that changed since this program
    // last read or wrote it holds another program's newer save.
    const QByteArray abs = absolutePath(name);
    bool unchanged = !tracked;
    try {
        if (tracked) unchanged = stillAsSeen(abs, target, name);
    } catch (const ProgressError &) {
        ::unlink(temp.constData());
        throw;
    }
    if (!unchanged) {
        ::unlink(temp.constData());
        gSeen.lost = true;
        throw ProgressChanged(failure(
            QStringLiteral("「%1」は、このプログラムが読んだあとでほかのところから書き換えられました。").arg(name)));
    }
    if (::rename(temp.constData(), target.constData()) != 0) {
        const int err = errno;
        ::unlink(temp.constData());
        throw ProgressError(osFailure(QStringLiteral("「%1」を保存できません").arg(name), err));
    }
    // What was written is what the next save expects to find, as the file
    // system shows it after the rename.  A file that is already another's
    // by now keeps the values of this write, which it does not match.
    if (tracked) {
        gSeen.path = abs;
        gSeen.content = bytes;
        gSeen.lost = false;
        gSeen.st = written;
        if (struct stat placed {}; ::lstat(target.constData(), &placed) == 0 && placed.st_dev == written.st_dev &&
                                   placed.st_ino == written.st_ino)
            gSeen.st = placed;
    }

    // Temporaries that a save killed mid-way (here or on another machine)
    // left beside the file go once they are clearly stale.
    const QFileInfo info(name);
    const QByteArray base = QFile::encodeName(info.fileName());
    if (haveNow)
        files::removeStaleTemporaries(QFile::encodeName(info.path()), {base, base + files::kHoldEnding},
                                      written.st_mtim);

    // Sync the folder too, so that the rename itself survives a power cut.
    // A folder that cannot be opened or does not support syncing (EINVAL)
    // leaves the save as good as the file system makes it; a disk error
    // is reported.
    Descriptor folder;
    folder.fd = ::open(QFile::encodeName(info.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder.fd >= 0 && ::fsync(folder.fd) != 0 && errno == EIO)
        throw ProgressError(osFailure(QStringLiteral("「%1」のフォルダーを保存できません").arg(name), EIO));
}

}  // namespace

void save(const Session &m) {
    const QString name = fileName(m.userCode);
    const QString why = whyNotStorable(m);
    if (!why.isEmpty()) throw ProgressError(failure(QStringLiteral("「%1」を保存できません（%2）。").arg(name, why)));
    replace(name, render(m), true);
}

void replaceFile(const QString &name, const QByteArray &bytes) { replace(name, bytes, false); }

QByteArray readFile(const QString &path, const QString &kind) {
    struct stat st {};
    return readBounded(path, kind, &st);
}

void loadFrom(const QString &path, Session &m) { read(path, m, nullptr); }

void load(Session &m) {
    Seen seen;
    read(fileName(m.userCode), m, &seen);
    gSeen = seen;
}

bool belongsToAnotherAccount(const QString &stem) {
    const QByteArray target = QFile::encodeName(fileName(stem));
    struct stat st {};
    return files::stickyFolder(files::folderOf(target)) && ::lstat(target.constData(), &st) == 0 &&
           st.st_uid != ::geteuid();
}

QString normalizedCode(const QString &code) { return code.normalized(QString::NormalizationForm_C); }

bool isAcceptableCode(const QString &code) {
    if (code.isEmpty()) return false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        char32_t u = code[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < code.size() && code[i + 1].isLowSurrogate())
        {
            u = QChar::surrogateToUcs4(code[i], code[i + 1]);
            ++i;
        }
        if (u == U'/' || u == U'\\') return false;
        switch (QChar::category(u)) {
        case QChar::Other_Control:       // C0, DEL, C1
        case QChar::Other_Format:        // invisible: direction overrides, joiners, BOM
        case QChar::Other_Surrogate:     // a lone half of a pair
        case QChar::Other_PrivateUse:    // no agreed look
        case QChar::Other_NotAssigned:   // unknown, and noncharacters
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            return false;
        default:
            break;
        }
    }
    const QString stem = normalizedCode(code);
    if (stem == QLatin1String(".") || stem == QLatin1String("..")) return false;
    long nameMax = ::pathconf(".", _PC_NAME_MAX);
    if (nameMax <= 0) nameMax = 255;
    return fileName(stem).toUtf8().size() + files::kLongestEnding <= nameMax;
}

}  // namespace state::progress
