#pragma once
// Commands by id: the buttons of the skins, the menus and the keys name a
// command by its id, and the table runs what is registered for it. A new
// command is one Add line where the window registers its commands.
#include <functional>
#include <map>

class CCommandTable {
public:
    // The handler is given the id it runs for (ranges share a handler).
    using Handler = std::function<void(int id)>;

    void Add(int id, Handler handler) { AddRange(id, id, std::move(handler)); }
    void Add(int id, std::function<void()> handler)
    {
        AddRange(id, id, [handler = std::move(handler)](int) { handler(); });
    }
    void AddRange(int first, int last, Handler handler)
    {
        for (int id = first; id <= last; ++id)
            handlers_[id] = handler;
    }
    // False for an id nobody registered.
    bool Run(int id) const
    {
        const auto it = handlers_.find(id);
        if (it == handlers_.end())
            return false;
        it->second(id);
        return true;
    }

private:
    std::map<int, Handler> handlers_;
};
