#pragma once
// Registers every screen with the form registry, by name.
namespace screens {
void registerAll();
}
