#pragma once
// One scenery sprite standing on a terrain cell. The renderer reads these
// records directly.

class SceneryKind;

class SceneryEntry {
public:
    // Leaves the record uninitialised.
    SceneryEntry() {}
    SceneryEntry(SceneryKind* kind, int placed, int row, int column, int height)
        : kind(kind), placed(placed), row(row), column(column), height(height)
    {
    }

    void setKind(SceneryKind* value) { kind = value; }

    SceneryKind* kind;
    // 0: a random sprite, 1: a placed sprite.
    int placed;
    int row;
    int column;
    // Height byte of the cell when the entry was made.
    int height;
};
