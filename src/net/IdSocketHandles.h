#pragma once

#include "net/IdSocketHandle.h"

#include <vector>

// The bindings of a UDP endpoint, in index order, owning their items. Its
// default port is the port of every binding created in it.
class TIdSocketHandles {
public:
    TIdSocketHandles() = default;
    ~TIdSocketHandles();
    TIdSocketHandles(const TIdSocketHandles &) = delete;
    TIdSocketHandles &operator=(const TIdSocketHandles &) = delete;

    int Count() const { return int(FItems.size()); }
    TIdSocketHandle *Items(int index) const { return FItems.at(index); }
    TIdSocketHandle *operator[](int index) const { return Items(index); }

    int DefaultPort() const { return FDefaultPort; }
    void SetDefaultPort(int port) { FDefaultPort = port; }

    // A new binding at the end, with Port = DefaultPort.
    TIdSocketHandle *Add();
    TIdSocketHandle *AddBinding();
    // The last binding whose socket is `socket`, or none.
    TIdSocketHandle *FindBinding(TIdStackSocketHandle socket) const;
    void Clear();
    // Empties this collection, then appends a copy of each of source's
    // bindings; DefaultPort stays.
    void Assign(const TIdSocketHandles &source);

private:
    friend class TIdSocketHandle;

    std::vector<TIdSocketHandle *> FItems;
    int FDefaultPort = 0;
};
