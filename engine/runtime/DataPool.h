#pragma once
// Base of the named resource pools. Each pool maps names to objects it owns and
// deletes them when it is destroyed; NamedDataPool keeps that ownership sound:
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
    int count = 0;
};

// A pool of T by name, in name order. The pools give its operations their own
// names (getShader, addShader, ...). A derived pool's destructor deletes the
// entries (deleteEntries); it and whatever calls store must be defined where T
// is complete.
template <typename T>
class NamedDataPool : public DataPool {
public:
    bool contains(const std::string& name) const { return entries.count(name) != 0; }
    int size() const override { return static_cast<int>(entries.size()); }

protected:
    // The value under the name, or null; the map is not changed.
    T* find(const std::string& name) const
    {
        auto it = entries.find(name);
        return it == entries.end() ? nullptr : it->second;
    }

    // Stores the value under the name and returns true when the name is new. An
    // object displaced by the store is deleted unless another entry still holds it.
    bool store(const std::string& name, T* value)
    {
        auto it = entries.find(name);
        if (it == entries.end()) {
            entries.emplace(name, value);
            return true;
        }
        T* old = it->second;
        it->second = value;
        if (old && old != value && !holds(old))
            delete old;
        return false;
    }

    // The value of the i-th entry in name order; null when i is outside the map.
    T* getAt(int i) const
    {
        if (i < 0 || i >= size())
            return nullptr;
        return std::next(entries.begin(), i)->second;
    }

    // The name of the i-th entry in name order; empty when i is outside the map.
    std::string nameAt(int i) const
    {
        if (i < 0 || i >= size())
            return std::string();
        return std::next(entries.begin(), i)->first;
    }

    // For each entry in name order: indent + name + " = " + dump(value).
    template <typename Dump>
    std::string listEntries(const char* indent, Dump dump) const
    {
        std::string text;
        for (const auto& entry : entries)
            text += indent + entry.first + " = " + dump(entry.second);
        return text;
    }

    // Deletes every distinct non-null value once and empties the map.
    void deleteEntries()
    {
        std::set<T*> distinct;
        for (const auto& entry : entries)
            if (entry.second)
                distinct.insert(entry.second);
        entries.clear();
        for (T* value : distinct)
            delete value;
    }

    std::map<std::string, T*> entries;

private:
    bool holds(const T* value) const
    {
        for (const auto& entry : entries)
            if (entry.second == value)
                return true;
        return false;
    }
};
