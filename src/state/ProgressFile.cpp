#include "state/ProgressFile.h"

#include <QFile>
#include <QList>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>

#include <cfloat>
#include <climits>
#include <cmath>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace state::progress {

namespace {

constexpr int kFields = 2 + 2 * kQuestions;
constexpr qint64 kMaxRead = 1 << 20;  // more than any real file; a bound for hostile ones
// QSaveFile writes "<name>.XXXXXX" beside the file before renaming it.
constexpr int kTempSuffix = 7;

// Rounds half to even, as integer fields were read by the old platform.
bool toShort(double v, short *out) {
    const double r = std::nearbyint(v);
    if (!(r >= SHRT_MIN && r <= SHRT_MAX)) return false;
    *out = static_cast<short>(r);
    return true;
}

// "<what>（<reason>）。" with the system's reason for errno in Japanese
// where we know it.
std::string osFailure(const QString &what, int err) {
    QString reason;
    switch (err) {
    case ENOENT: reason = QStringLiteral("ファイルがありません"); break;
    case EACCES:
    case EPERM: reason = QStringLiteral("許可がありません"); break;
    case ELOOP: reason = QStringLiteral("シンボリックリンクは使えません"); break;
    case ENOSPC: reason = QStringLiteral("ディスクの空きがありません"); break;
    case EDQUOT: reason = QStringLiteral("ディスクの割り当てを超えました"); break;
    case EFBIG: reason = QStringLiteral("ファイルが大きすぎます"); break;
    case EROFS: reason = QStringLiteral("書き込めない場所です"); break;
    case EISDIR: reason = QStringLiteral("フォルダーです"); break;
    case EIO: reason = QStringLiteral("入出力のエラーです"); break;
    case ENAMETOOLONG: reason = QStringLiteral("名前が長すぎます"); break;
    default: reason = QString::fromLocal8Bit(std::strerror(err)); break;
    }
    return QStringLiteral("%1（%2）。").arg(what, reason).toStdString();
}

}  // namespace

QString fileName(const QString &stem) { return stem + QStringLiteral(".ucd"); }

QString formatNumber(double value, int significantDigits) {
    if (!std::isfinite(value) || value == 0) return QStringLiteral("0");
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qlonglong>(value));
    const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    int decimals = significantDigits - 1 - magnitude;
    if (decimals <= 0) {
        // Round away the digits beyond the significant ones, no point.
        const double unit = std::pow(10.0, -decimals);
        return QString::number(std::round(value / unit) * unit, 'f', 0);
    }
    QString text = QString::number(value, 'f', decimals);  // always "." and no grouping
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0'))) text.chop(1);
        if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    }
    if (text == QLatin1String("-0")) text = QStringLiteral("0");
    return text;
}

QByteArray render(const Module1 &m) {
    QByteArray out;
    auto line = [&out](const QString &a, const QString &b) {
        out += a.toLatin1() + ',' + b.toLatin1() + "\r\n";
    };
    line(formatNumber(m.QuestionNo, 15), formatNumber(m.Score, 15));
    for (int i = 1; i <= kQuestions; ++i)
        line(formatNumber(m.MissCount[i], 7), formatNumber(m.AnswerTime[i], 7));
    return out;
}

void parse(const QByteArray &content, Module1 &m) {
    // Fields are separated by commas or line ends; blanks around a field
    // are skipped; empty lines are skipped.
    QList<QByteArray> fields;
    QByteArray current;
    bool inField = false;  // something (even an empty field) started on this line
    for (char c : content) {
        if (fields.size() == kFields) break;
        if (c == ',') {
            fields << current.trimmed();
            current.clear();
            inField = true;
        } else if (c == '\r' || c == '\n') {
            if (inField || !current.trimmed().isEmpty()) fields << current.trimmed();
            current.clear();
            inField = false;
        } else {
            current += c;
            if (c != ' ' && c != '\t') inField = true;
        }
    }
    if (fields.size() < kFields && (inField || !current.trimmed().isEmpty())) fields << current.trimmed();
    if (fields.size() < kFields)
        throw ProgressError(QStringLiteral("進み具合のファイルが短すぎます（数が %1 個、62 個必要です）。")
                                .arg(fields.size())
                                .toStdString());

    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    QList<double> values;
    for (int i = 0; i < kFields; ++i) {
        const QString text = QString::fromLatin1(fields[i]);
        bool ok = number.match(text).hasMatch();
        const double v = ok ? QLocale::c().toDouble(text, &ok) : 0;
        if (!ok || !std::isfinite(v))
            throw ProgressError(
                QStringLiteral("進み具合のファイルの %1 番目の値が数ではありません。").arg(i + 1).toStdString());
        values << v;
    }

    Module1 next = m;
    bool fits = toShort(values[0], &next.QuestionNo);
    next.Score = values[1];
    for (int i = 1; fits && i <= kQuestions; ++i) {
        fits = toShort(values[2 * i], &next.MissCount[i]);
        const double t = values[2 * i + 1];
        if (std::fabs(t) > FLT_MAX) fits = false;
        next.AnswerTime[i] = static_cast<float>(t);
    }
    if (!fits) throw ProgressError(QStringLiteral("進み具合のファイルに範囲外の数があります。").toStdString());
    m = next;
}

void save(const Module1 &m) {
    const QString name = fileName(m.UserFileStem);
    QSaveFile file(name);
    // Unbuffered, so that a short write (a full disk) is seen here rather
    // than lost in a flush that reports success.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw ProgressError(
            QStringLiteral("「%1」を作れません（%2）。").arg(name, file.errorString()).toStdString());
    const QByteArray bytes = render(m);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        throw ProgressError(
            QStringLiteral("「%1」に書き込めません（%2）。").arg(name, file.errorString()).toStdString());
    }
    if (!file.commit())
        throw ProgressError(
            QStringLiteral("「%1」を保存できません（%2）。").arg(name, file.errorString()).toStdString());
}

void loadFrom(const QString &path, Module1 &m) {
    const QByteArray native = QFile::encodeName(path);
    // O_NOFOLLOW: a link in the file's place is refused, not followed;
    // O_NONBLOCK: opening a FIFO returns at once instead of waiting for a writer.
    const int fd = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw ProgressError(osFailure(QStringLiteral("「%1」を開けません").arg(path), errno));
    struct FdCloser {
        int fd;
        ~FdCloser() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) throw ProgressError(osFailure(QStringLiteral("「%1」を調べられません").arg(path), errno));
    if (!S_ISREG(st.st_mode))
        throw ProgressError(QStringLiteral("「%1」は普通のファイルではありません。").arg(path).toStdString());
    QByteArray content(static_cast<qsizetype>(std::min<off_t>(st.st_size, kMaxRead)) + 1, Qt::Uninitialized);
    qsizetype got = 0;
    // Read up to the bound; a file that grows while being read is cut there.
    while (got < kMaxRead) {
        if (got == content.size()) content.resize(std::min<qsizetype>(content.size() * 2, kMaxRead));
        const ssize_t n = ::read(fd, content.data() + got, static_cast<size_t>(content.size() - got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw ProgressError(osFailure(QStringLiteral("「%1」を読めません").arg(path), errno));
        if (n == 0) break;
        got += n;
    }
    content.truncate(got);
    parse(content, m);
}

void load(Module1 &m) { loadFrom(fileName(m.UserFileStem), m); }

bool isAcceptableCode(const QString &code) {
    if (code.isEmpty() || code == QLatin1String(".") || code == QLatin1String("..")) return false;
    for (QChar c : code) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\')) return false;
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0)) return false;  // C0, DEL, C1 controls
    }
    long nameMax = ::pathconf(".", _PC_NAME_MAX);
    if (nameMax <= 0) nameMax = 255;
    return fileName(code).toUtf8().size() + kTempSuffix <= nameMax;
}

}  // namespace state::progress
