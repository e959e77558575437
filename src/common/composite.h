#pragma once
// An owning ordered list of pointers: adding a pointer that is already
// listed does nothing; removing or clearing deletes the elements.
#include <algorithm>
#include <cstddef>
#include <deque>

template <typename T>
class PCL_Interface_Composite {
public:
    PCL_Interface_Composite() = default;
    PCL_Interface_Composite(const PCL_Interface_Composite&) = delete;
    PCL_Interface_Composite& operator=(const PCL_Interface_Composite&) = delete;
    virtual ~PCL_Interface_Composite() { PCL_DeleteAllObjects(); }

    // Takes ownership; false (and no change) when null or already listed.
    bool PCL_PushObject(T* object)
    {
        if (!object || PCL_IndexOf(object) >= 0)
            return false;
        objects_.push_back(object);
        return true;
    }
    bool PCL_InsertObject(std::size_t index, T* object)
    {
        if (!object || PCL_IndexOf(object) >= 0 || index > objects_.size())
            return false;
        objects_.insert(objects_.begin() + static_cast<std::ptrdiff_t>(index), object);
        return true;
    }

    std::size_t PCL_GetObjectCount() const { return objects_.size(); }
    T* PCL_GetObject(std::size_t index) const { return index < objects_.size() ? objects_[index] : nullptr; }
    int PCL_IndexOf(const T* object) const
    {
        auto it = std::find(objects_.begin(), objects_.end(), object);
        return it == objects_.end() ? -1 : static_cast<int>(it - objects_.begin());
    }

    // Removes and deletes; false when the index or object is not listed.
    bool PCL_DeleteObject(std::size_t index)
    {
        if (index >= objects_.size())
            return false;
        T* object = objects_[index];
        objects_.erase(objects_.begin() + static_cast<std::ptrdiff_t>(index));
        delete object;
        return true;
    }
    bool PCL_DeleteObject(const T* object)
    {
        const int index = PCL_IndexOf(object);
        return index >= 0 && PCL_DeleteObject(static_cast<std::size_t>(index));
    }
    // Removes without deleting and hands ownership back to the caller.
    T* PCL_TakeObject(std::size_t index)
    {
        if (index >= objects_.size())
            return nullptr;
        T* object = objects_[index];
        objects_.erase(objects_.begin() + static_cast<std::ptrdiff_t>(index));
        return object;
    }
    void PCL_DeleteAllObjects()
    {
        // Detach first, so that a destructor that looks at the list sees it
        // without the elements being deleted.
        std::deque<T*> doomed;
        doomed.swap(objects_);
        for (T* object : doomed)
            delete object;
    }

    auto begin() const { return objects_.begin(); }
    auto end() const { return objects_.end(); }

private:
    std::deque<T*> objects_;
};
