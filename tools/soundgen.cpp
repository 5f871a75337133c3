// SPDX-License-Identifier: GPL-3.0-or-later
// soundgen <output-dir>: writes the game's chimes and tunes into the folder.
#include "soundgen_lib.h"

#include <iostream>
#include <string>

int main(int argc, char **argv) {
    if (argc != 2) {
        std::cerr << "usage: soundgen <output-dir>\n";
        return 2;
    }
    std::string error;
    try {
        if (!soundgen::writeAllSounds(argv[1], error)) {
            std::cerr << "soundgen: " << error << '\n';
            return 1;
        }
    } catch (const std::exception &e) {
        std::cerr << "soundgen: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
