// A growing array of plain items (copied with CopyMemory, no constructors
// run), for the walkers' lists: the protected locations, folder identities,
// the handles a scan keeps open. An allocation that fails leaves the array
// as it was and says so; the caller decides what an incomplete list means.
#ifndef LARKSPIRE_GROWABLEARRAY_H
#define LARKSPIRE_GROWABLEARRAY_H

#include <windows.h>

#include <new>

template <typename Item>
class GrowableArray {
public:
    explicit GrowableArray(int firstCapacity = 32)
        : items_(NULL), count_(0), capacity_(0), firstCapacity_(firstCapacity)
    {
    }
    ~GrowableArray() { delete[] items_; }

    // Appends `item`; false (and nothing added) when the array cannot grow.
    bool Add(const Item& item)
    {
        if (count_ == capacity_) {
            int capacity = capacity_ == 0 ? firstCapacity_ : capacity_ * 2;
            Item* items = new (std::nothrow) Item[capacity];
            if (items == NULL)
                return false;
            if (count_ != 0)
                CopyMemory(items, items_, count_ * sizeof(Item));
            delete[] items_;
            items_ = items;
            capacity_ = capacity;
        }
        CopyMemory(&items_[count_++], &item, sizeof(Item));
        return true;
    }

    int Count() const { return count_; }
    Item& At(int index) { return items_[index]; }
    const Item& At(int index) const { return items_[index]; }
    void Clear() { count_ = 0; }

private:
    GrowableArray(const GrowableArray&) = delete;
    GrowableArray& operator=(const GrowableArray&) = delete;

    Item* items_;
    int count_;
    int capacity_;
    int firstCapacity_;
};

#endif
