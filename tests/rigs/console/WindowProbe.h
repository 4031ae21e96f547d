#pragma once
// Finding a window's named components, for the console's tests.

#include <QWidget>

#include <stdexcept>
#include <string>

namespace kv {

template <typename T>
T& Child(QWidget& window, const char* name)
{
    T* child = window.findChild<T*>(name);
    if (!child)
        throw std::runtime_error(std::string("no component ") + name);
    return *child;
}

}  // namespace kv
