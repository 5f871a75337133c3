// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The system's reason for a failed file operation, in Japanese: messages
// are Japanese throughout, so the system's own (English) wording of an
// error number never appears in them.

#include <QString>

namespace platform {

// A short Japanese phrase for the error number err ("名前が長すぎます"); an
// error number without a phrase of its own is named by its number.
QString systemErrorText(int err);

// Whether err says a file server did not answer (the network, a stale or
// dropped mount) rather than something about the file itself.
bool isFileServerError(int err);

}  // namespace platform
