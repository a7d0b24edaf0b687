#include "engine/runtime/ResourceLoader.h"

#include "engine/render/Engine.h"
#include "engine/runtime/ResourceDefinition.h"
#include "engine/runtime/VLMIO.h"
#include "util/File.h"
#include "util/Log.h"
#include "util/StringTokenizer.h"
#include "util/StringUtil.h"

#include <algorithm>
#include <memory>

ResourceLoader::ResourceLoader() : message("ResourceLoader : unknown"), ok(true), verbose(false) {}

ResourceLoader::~ResourceLoader() = default;

void ResourceLoader::fail(const std::string& text)
{
    message = text;
    ok = false;
}

void ResourceLoader::insertDefines(std::vector<std::string>& lines, const std::vector<std::string>& defines)
{
    // Right after the first line that is not blank (the "#version" line of a
    // valid shader); at the end when every line is blank or there is none.
    size_t at = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!StringUtil::trim(lines[i]).empty()) {
            at = i + 1;
            break;
        }
    }
    for (const std::string& name : defines)
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), "#define " + name + "\n");
}

bool ResourceLoader::shaderInclude(std::string& out, const std::vector<std::string>& lines,
                                   const std::string& folder, const std::string& fileName, int depth)
{
    if (depth == 0)
        includeStack.assign(1, fileName);
    for (const std::string& line : lines) {
        if (line.size() < 10 || line[0] != '#') {
            out += line;
            out += '\n';
            continue;
        }
        StringTokenizer tokens(line, " ");
        if (tokens.countTokens() < 2) {
            out += line;
            out += '\n';
            continue;
        }
        const std::string directive = StringUtil::trim(tokens.nextToken());
        const std::string name = StringUtil::trim(tokens.nextToken());
        if (directive != "#include") {
            out += line;
            out += '\n';
            continue;
        }

        const std::string path = folder + name;
        std::unique_ptr<File> file(VLMIO::loadTextFile(path));
        addIncludedFile(path);
        // A file that is already being expanded would include itself forever.
        const bool cycle = std::find(includeStack.begin(), includeStack.end(), name) != includeStack.end();
        if (!file || !file->isOpen() || cycle) {
            message = "Failed to include '" + line + "' in " + fileName + " depth " + StringUtil::toString(depth);
            return false;
        }
        includeStack.push_back(name);
        const bool included = shaderInclude(out, file->getLines(), folder, name, depth + 1);
        includeStack.pop_back();
        if (!included)
            return false;
    }
    return true;
}
