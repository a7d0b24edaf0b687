#pragma once
// Two keyframed 3D curves over time, keys stamped in milliseconds and sampled
// at a time in seconds, linearly (mode 0) or with a Catmull-Rom spline (mode 1).

#include <glm/glm.hpp>

#include <cstdint>
#include <map>

class AnimationPath {
public:
    using Keys = std::map<std::uint32_t, glm::vec3>;

    AnimationPath() = default;

    // A key at an existing time replaces its value.
    void addPrimaryKey(unsigned int ms, const glm::vec3& value) { primaryKeys[ms] = value; }
    void addSecondaryKey(unsigned int ms, const glm::vec3& value) { secondaryKeys[ms] = value; }
    bool hasPrimaryKeys() const { return !primaryKeys.empty(); }
    bool hasSecondaryKeys() const { return !secondaryKeys.empty(); }
    const Keys& getPrimaryKeys() const { return primaryKeys; }
    const Keys& getSecondaryKeys() const { return secondaryKeys; }

    void setMode(int value) { mode = value; }
    int getMode() const { return mode; }

    // Runs from 0 to the last primary key; a path without primary keys keeps its range.
    void updateTimeRange();
    unsigned int getStartMs() const { return startMs; }
    unsigned int getEndMs() const { return endMs; }
    unsigned int getLengthMs() const { return lengthMs; }

    // Times before the first key give the first key, times after the last the last key.
    glm::vec3 samplePrimary(float seconds) const { return sample(primaryKeys, seconds); }
    glm::vec3 sampleSecondary(float seconds) const { return sample(secondaryKeys, seconds); }

private:
    glm::vec3 sample(const Keys& keys, float seconds) const;

    Keys primaryKeys;
    Keys secondaryKeys;
    int mode = 1;
    std::uint32_t startMs = 0;
    std::uint32_t endMs = 0;
    std::uint32_t lengthMs = 0;
};
