// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One listing of a class folder, for the command line's report and the
// window's scanner alike: the progress files and review records in the
// listing's order with their inode numbers and kinds, and the holds of
// codes in play beside them.  Which names count is decided here and by
// FolderNames.h; nothing is opened but the folder itself.

#include <QByteArray>
#include <QString>

#include <string>
#include <string_view>
#include <vector>

#include <dirent.h>

namespace classfolder {

// A class folder opened for one look, closed however the look ends.
class OpenFolder {
public:
    explicit OpenFolder(const QString &folder);
    ~OpenFolder();
    OpenFolder(const OpenFolder &) = delete;
    OpenFolder &operator=(const OpenFolder &) = delete;

    bool isOpen() const { return dir_ != nullptr; }
    int error() const { return error_; }  // errno of an open that failed
    DIR *dir() const { return dir_; }
    int fd() const { return dirfd(dir_); }
    // The folder's path with a trailing "/", for paths of its files.
    const QString &prefix() const { return prefix_; }

private:
    DIR *dir_ = nullptr;
    int error_ = 0;
    QString prefix_;
};

struct Listing {
    struct Entry {
        quint32 at = 0, length = 0;  // the name's place in names
        quint64 inode = 0;           // the listing's inode number
        unsigned char type = DT_UNKNOWN;
        bool review = false;  // a review record (else a progress file)
    };
    std::string names;  // one after another
    std::vector<Entry> entries;
    std::vector<QByteArray> holds;  // names of holds of progress files' names
    int progressFiles = 0;
    bool inodeless = false;  // a name was listed without an inode number
    std::string_view name(size_t i) const { return {names.data() + entries[i].at, entries[i].length}; }
    QByteArray nameBytes(size_t i) const { return QByteArray(names.data() + entries[i].at, entries[i].length); }
};

// Lists an open folder into (emptied first); 0, or the errno of a listing
// that failed part way.
int list(const OpenFolder &folder, Listing &into);

// What changed from one listing to the next: entries of now that are new
// or whose inode number changed, and entries of before no longer listed.
// Cheap while the order stays (a name compared with the one at the same
// step); a step out of order looks names up.
struct ListingDiff {
    std::vector<quint32> changed, removed;
    bool operator==(const ListingDiff &) const = default;
};
ListingDiff compareListings(const Listing &before, const Listing &now);

// Whether a progress file's name (bytes as listed) may be a pupil's own:
// its bytes are UTF-8 and its code is no look-alike of another (see
// lookAlikeReason).  Only such a file is read, and only its holds count.
bool countsAsCode(const QByteArray &progressName);

}  // namespace classfolder
