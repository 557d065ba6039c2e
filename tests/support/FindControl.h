#pragma once

#include <QObject>
#include <QString>

#include <gtest/gtest.h>

// The control of type T named `name` under root; the test stops when there is none.
template <typename T> T* control(const QObject* root, const char* name) {
    T* found = root->findChild<T*>(QLatin1String(name));
    if (!found) {
        ADD_FAILURE() << "no control named " << name;
        throw std::runtime_error(std::string("no control named ") + name);
    }
    return found;
}
