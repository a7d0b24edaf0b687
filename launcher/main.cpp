// Program entry.

#include "util/Log.h"

int main()
{
    vlm::logLine("The show is not built yet: the engine libraries and their tests exist so far.");
    return 0;
}
