#pragma once
// Development command that makes "resources.7z" from "resources/": loads every
// resource the production declares from the folders (load mode 0) in a hidden
// window, writes the packing script and runs it with sh, all in the working
// directory. Arguments: [archiver, default "7z"] [script, default
// "pack_resources.sh"]. Returns the process exit status.

class ResourceDefinition;

int runResourcePacker(ResourceDefinition* production, int argc, char** argv);

// Defined by the production that a packer executable is linked with.
ResourceDefinition* createProductionResources();
