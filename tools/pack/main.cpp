// Packs "resources/" into "resources.7z" for the production this command is linked with.

#include "tools/ResourcePacker.h"

int main(int argc, char** argv)
{
    return runResourcePacker(createProductionResources(), argc, argv);
}
