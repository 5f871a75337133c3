// SPDX-License-Identifier: GPL-3.0-or-later
#include "classfolder/Listing.h"

#include "classfolder/Pupil.h"
#include "state/FolderNames.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <unordered_map>

namespace classfolder {

OpenFolder::OpenFolder(const QString &folder) {
    const QByteArray encoded = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
    dir_ = ::opendir(encoded.constData());
    error_ = dir_ ? 0 : errno;
    prefix_ = QFile::decodeName(encoded) + QLatin1Char('/');
}

OpenFolder::~OpenFolder() {
    if (dir_) ::closedir(dir_);
}

int list(const OpenFolder &folder, Listing &into) {
    using state::names::Kind;
    into.names.clear();
    into.entries.clear();
    into.holds.clear();
    into.progressFiles = 0;
    into.inodeless = false;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(folder.dir());
        if (!entry) return errno;
        const size_t length = std::strlen(entry->d_name);
        into.inodeless = into.inodeless || entry->d_ino == 0;
        // Most names are progress files: known from their last bytes alone.
        const Kind kind = length >= 4 && std::memcmp(entry->d_name + length - 4, state::names::kProgressEnding, 4) == 0
                              ? Kind::Progress
                              : state::names::kindOf({entry->d_name, qsizetype(length)});
        if (kind == Kind::Progress || kind == Kind::Review) {
            into.entries.push_back({quint32(into.names.size()), quint32(length), quint64(entry->d_ino), entry->d_type,
                                    kind == Kind::Review});
            into.names.append(entry->d_name, length);
            into.progressFiles += kind == Kind::Progress ? 1 : 0;
        } else if (kind == Kind::Hold) {
            into.holds.emplace_back(entry->d_name, qsizetype(length));
        }
    }
}

ListingDiff compareListings(const Listing &before, const Listing &now) {
    ListingDiff diff;
    std::vector<char> seen(before.entries.size(), 0);
    std::unordered_map<std::string_view, quint32> where;  // made at the first step out of order
    size_t next = 0;                                      // the entry of before expected next
    for (quint32 k = 0; k < now.entries.size(); ++k) {
        const std::string_view name = now.name(k);
        size_t at = next;
        if (at >= before.entries.size() || before.name(at) != name) {
            if (where.empty() && !before.entries.empty()) {
                where.reserve(before.entries.size());
                for (quint32 i = 0; i < before.entries.size(); ++i) where.emplace(before.name(i), i);
            }
            const auto found = where.find(name);
            if (found == where.end()) {
                diff.changed.push_back(k);  // new
                continue;
            }
            at = found->second;
        }
        seen[at] = 1;
        next = at + 1;
        if (before.entries[at].inode != now.entries[k].inode) diff.changed.push_back(k);
    }
    for (quint32 i = 0; i < before.entries.size(); ++i)
        if (!seen[i]) diff.removed.push_back(i);
    return diff;
}

bool countsAsCode(const QByteArray &progressName) {
    const QString decoded = QFile::decodeName(progressName);
    return QFile::encodeName(decoded) == progressName && lookAlikeReason(state::names::codeOf(decoded)).isEmpty();
}

}  // namespace classfolder
