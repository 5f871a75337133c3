// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The start menu's check that nobody else is playing a code.

#include "state/CodeHold.h"

#include <QString>

class QWidget;

namespace screens {

// Takes the hold of the progress file of stem for this program (see
// state::CodeHold).  When another running program holds it, or the code is
// another account's in a folder where only a file's owner may replace it,
// tells the learner in a message box and returns false, so that the start
// menu asks for another code.  A hold that cannot be written (a read-only
// folder) does not stop the game: the save then says what is wrong.
bool claimCode(QWidget *parent, const QString &stem);

// "This code is in use on ..." for the program that holds it.
QString inUseText(const state::CodeHold::Holder &holder);

}  // namespace screens
