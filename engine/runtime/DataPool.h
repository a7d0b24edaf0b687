#pragma once
// Base of the named resource pools. Each pool maps names to objects it owns and
// deletes them when it is destroyed; the helpers below keep that ownership sound:
// every distinct object is deleted exactly once, also when it was added under two
// names or displaced by a second add under its name.

#include <iterator>
#include <map>
#include <set>
#include <string>

class DataPool {
public:
    DataPool() = default;
    virtual ~DataPool();
    DataPool(const DataPool&) = delete;
    DataPool& operator=(const DataPool&) = delete;

    virtual int size() const;
    virtual std::string toString() const;

protected:
    // The value under the name, or null; the map is not changed.
    template <typename T>
    static T* findIn(const std::map<std::string, T*>& entries, const std::string& name)
    {
        auto it = entries.find(name);
        return it == entries.end() ? nullptr : it->second;
    }

    // Stores the value under the name and returns true when the name is new. An
    // object displaced by the store is deleted unless another entry still holds it.
    template <typename T>
    static bool storeIn(std::map<std::string, T*>& entries, const std::string& name, T* value)
    {
        auto it = entries.find(name);
        if (it == entries.end()) {
            entries.emplace(name, value);
            return true;
        }
        T* old = it->second;
        it->second = value;
        if (old && old != value && !holds(entries, old))
            delete old;
        return false;
    }

    template <typename T>
    static bool holds(const std::map<std::string, T*>& entries, const T* value)
    {
        for (const auto& entry : entries)
            if (entry.second == value)
                return true;
        return false;
    }

    // The value of the i-th entry in name order; null when i is outside the map.
    template <typename T>
    static T* entryAt(const std::map<std::string, T*>& entries, int i)
    {
        if (i < 0 || i >= static_cast<int>(entries.size()))
            return nullptr;
        auto it = entries.begin();
        std::advance(it, i);
        return it->second;
    }

    // Deletes every distinct non-null value once and empties the map.
    template <typename T>
    static void deleteAll(std::map<std::string, T*>& entries)
    {
        std::set<T*> distinct;
        for (const auto& entry : entries)
            if (entry.second)
                distinct.insert(entry.second);
        entries.clear();
        for (T* value : distinct)
            delete value;
    }

    int count = 0;
};
