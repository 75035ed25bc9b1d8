#pragma once

#include <QObject>

#include <functional>
#include <map>
#include <memory>
#include <string>

// The Qt Test classes of this program, by name. Each test file registers its
// class; the main function runs one of them or all.
using GuiTestFactory = std::function<std::unique_ptr<QObject>()>;

std::map<std::string, GuiTestFactory>& GuiTestRegistry();

struct GuiTestRegistration
{
    GuiTestRegistration(const char* name, GuiTestFactory factory)
    {
        GuiTestRegistry().emplace(name, std::move(factory));
    }
};

// Written at the start of a line: tests/gui/CMakeLists.txt finds the class
// names there and makes one CTest test of each.
#define TESSALINE_GUI_TEST(TestClass)                                                                                 \
    static const GuiTestRegistration registration##TestClass(#TestClass,                                             \
                                                             [] { return std::make_unique<TestClass>(); })
