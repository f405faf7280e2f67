#pragma once

#include <cstdlib>
#include <memory>

// A reply of the X server, as xcb hands it over: the caller frees it.
template <class T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

template <class T>
XcbReply<T> Own(T *reply)
{
    return XcbReply<T>(reply, &std::free);
}
