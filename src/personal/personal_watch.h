#pragma once

// The main window's watch on the own recipes list pers.txt: every sixth tick of its 500 ms
// timer it applies a shortened list left in tmp.dat and notices when pers.txt changed size
// (the rules themselves are the personal store's).
namespace savorel {

class PersonalListWatch {
public:
    // Starts with the size pers.txt has now (0 when it cannot be opened).
    PersonalListWatch();

    // One timer tick. Answers true when the catalogue must be reloaded; the new size is then
    // already the known size.
    bool Tick();

    long long KnownSize() const { return m_knownSize; }

private:
    long long m_knownSize = 0;
    int m_tick = 0;
};

} // namespace savorel
