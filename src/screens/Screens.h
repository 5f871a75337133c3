// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Registers every screen with the form registry, by name.
namespace screens {
void registerAll();
}
