// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Quitting is always confirmed: the quit chime, then a Yes/No box without
// an icon, "終了していいですか？" titled "ぽむりん紀行20".

namespace platform {
class Form;
}

namespace screens {

// Plays the quit chime on the form's player and asks; true for Yes.
bool askToQuit(platform::Form &form);

}  // namespace screens
