#include "state/Module1.h"

namespace state {

Module1 &module1() {
    static Module1 shared;
    return shared;
}

void resetModule1() { module1() = Module1(); }

}  // namespace state
