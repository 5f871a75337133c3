// The program: the title screen first; the run ends when no window is left.
#include "screens/Program.h"

#include <QApplication>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    return screens::runProgram(app);
}
