#pragma once
// Scratch space that a pass keeps from one call to the next, so that highlighting many
// paragraphs does not allocate for each. A match hook may highlight (and so run the same
// pass again) while the outer call still uses its space: each level of nesting leases
// space of its own.

#include <memory>
#include <vector>

namespace kbl {

template <typename T>
class NestedScratch {
public:
    class Lease {
    public:
        explicit Lease(NestedScratch& s) : owner(s), space(s.inUse == 0 ? &s.outer : s.nested())
        {
            ++owner.inUse;
        }
        ~Lease() { --owner.inUse; }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        T& operator*() const { return *space; }
        T* operator->() const { return space; }

    private:
        NestedScratch& owner;
        T* space;
    };

    // How many leases are held now.
    size_t nesting() const { return inUse; }

private:
    // Nesting is rare: only the outermost level is at hand without a look-up.
    T* nested()
    {
        while (deeper.size() < inUse)
            deeper.push_back(std::make_unique<T>());
        return deeper[inUse - 1].get();
    }
    T outer{};
    std::vector<std::unique_ptr<T>> deeper; // by nesting level from 1; they never move
    size_t inUse = 0;
};

} // namespace kbl
