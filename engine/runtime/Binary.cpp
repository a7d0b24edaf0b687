#include "engine/runtime/Binary.h"

#include "util/StringUtil.h"

namespace {
constexpr float byteScale = 1.0f / 256.0f;
}

Binary::Binary(const std::vector<unsigned char>& bytes) : data(bytes) {}

Binary::~Binary()
{
    delete[] floatData;
}

unsigned char Binary::byteAt(int i) const
{
    if (i < 0 || i >= size())
        return 0;
    return data[static_cast<size_t>(i)];
}

float* Binary::asFloats()
{
    if (!floatData) {
        floatData = new float[data.size()];
        for (size_t i = 0; i < data.size(); ++i)
            floatData[i] = data[i] * byteScale;
    }
    return floatData;
}

float* Binary::floats(int start, int count) const
{
    if (count <= 0)
        return nullptr;
    float* result = new float[static_cast<size_t>(count)];
    for (int k = 0; k < count; ++k) {
        long long i = static_cast<long long>(start) + k;
        result[k] = (i >= 0 && i < size()) ? data[static_cast<size_t>(i)] * byteScale : 0.0f;
    }
    return result;
}

std::string Binary::getString(int, int) const
{
    return std::string();
}

std::string Binary::toString() const
{
    return "Binary { size = " + StringUtil::toString(size()) + " }\n";
}
