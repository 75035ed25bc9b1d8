#include "gui_test_registry.h"

#include <QApplication>
#include <QTest>

#include <cstdio>
#include <vector>

std::map<std::string, GuiTestFactory>& GuiTestRegistry()
{
    static std::map<std::string, GuiTestFactory> registry;
    return registry;
}

namespace
{
int RunTest(const GuiTestFactory& factory, std::vector<char*> arguments)
{
    const std::unique_ptr<QObject> test = factory();
    return QTest::qExec(test.get(), static_cast<int>(arguments.size()), arguments.data());
}
} // namespace

// gui_tests [TestClass [Qt Test options]]: the named class, or every class.
int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    std::vector<char*> arguments{argv[0]};
    if (argc > 1)
    {
        const auto found = GuiTestRegistry().find(argv[1]);
        if (found == GuiTestRegistry().end())
        {
            std::fprintf(stderr, "no test class %s\n", argv[1]);
            return 2;
        }
        arguments.insert(arguments.end(), argv + 2, argv + argc);
        return RunTest(found->second, arguments);
    }
    int failures = 0;
    for (const auto& [name, factory] : GuiTestRegistry())
        failures += RunTest(factory, arguments);
    return failures;
}
