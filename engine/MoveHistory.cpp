#include <new>
#include <stdexcept>

#include "GameState.h"

namespace engine {

bool MoveHistory::obtain(std::size_t capacity)
{
    release();
    if (capacity > AllocationLimit)
        return false;
    entries_.reset(new (std::nothrow) int[capacity]());
    if (!entries_)
        return false;
    capacity_ = capacity;
    return true;
}

void MoveHistory::release()
{
    entries_.reset();
    capacity_ = 0;
    top_ = 0;
}

// The capacity covers a whole game, so these checks only guard against a
// broken caller; they never fire in play.
void MoveHistory::push(int entry)
{
    if (top_ >= capacity_)
        throw std::logic_error("MoveHistory overflow");
    entries_[top_++] = entry;
}

int MoveHistory::pop()
{
    if (top_ == 0)
        throw std::logic_error("MoveHistory underflow");
    return entries_[--top_];
}

} // namespace engine
