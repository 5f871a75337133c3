// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SystemError.h"

#include <cerrno>

namespace platform {

QString systemErrorText(int err) {
    switch (err) {
    case ENOENT: return QStringLiteral("ファイルかフォルダーがありません");
    case ENOTDIR: return QStringLiteral("途中にフォルダーでないものがあります");
    case EISDIR: return QStringLiteral("同じ名前のフォルダーがあります");
    case EEXIST: return QStringLiteral("同じ名前のものがあります");
    case ENOTEMPTY: return QStringLiteral("フォルダーが空ではありません");
    case EACCES:
    case EPERM: return QStringLiteral("許可がありません");
    case EROFS: return QStringLiteral("書き込めない場所です");
    case ENOSPC: return QStringLiteral("ディスクの空きがありません");
    case EDQUOT: return QStringLiteral("ディスクの割り当てを使い切りました");
    case EFBIG: return QStringLiteral("ファイルが大きすぎます");
    case EIO: return QStringLiteral("ディスクの読み書きに失敗しました");
    case ENAMETOOLONG: return QStringLiteral("名前が長すぎます");
    case ELOOP: return QStringLiteral("シンボリックリンクがたどれません");
    case EMFILE:
    case ENFILE: return QStringLiteral("開いているファイルが多すぎます");
    case ENOMEM: return QStringLiteral("メモリーが足りません");
    case EBUSY:
    case ETXTBSY: return QStringLiteral("ほかのプログラムが使っています");
    case EAGAIN: return QStringLiteral("今は使えません。少ししてからもう一度試してください");
    case EINTR: return QStringLiteral("途中で中断されました");
    case EINVAL: return QStringLiteral("この場所では使えない操作です");
    case EXDEV: return QStringLiteral("別のディスクをまたいでいます");
    case EMLINK: return QStringLiteral("リンクが多すぎます");
    case ENXIO:
    case ENODEV: return QStringLiteral("装置がありません");
    case EOPNOTSUPP: return QStringLiteral("このファイルシステムでは使えない操作です");
    default:
        return isFileServerError(err) ? QStringLiteral("ファイルサーバーにつながりません")
                                      : QStringLiteral("システムのエラー（番号 %1）").arg(err);
    }
}

bool isFileServerError(int err) {
    switch (err) {
    case ENOTCONN:
    case ESTALE:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENETDOWN:
    case ENETUNREACH:
    case ETIMEDOUT:
    case ECONNABORTED:
    case ECONNRESET:
    case ECONNREFUSED: return true;
    default: return false;
    }
}

}  // namespace platform
