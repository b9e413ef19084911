#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

// The Qt Test classes of one test program, each run by GuiTestMain.cpp (all of them, or the one
// named by the first argument, which is how ctest runs them one by one).
class GuiTestRegistry
{
public:
    using Factory = std::function<std::unique_ptr<QObject>()>;
    struct Entry
    {
        QString name;
        Factory create;
    };

    static std::vector<Entry>& Entries()
    {
        static std::vector<Entry> entries;
        return entries;
    }

    static bool Add(const QString& name, Factory create)
    {
        Entries().push_back({name, std::move(create)});
        return true;
    }
};

#define TESSELLA_GUI_TEST(Class)                                                                   \
    static const bool Class##Registered =                                                          \
        GuiTestRegistry::Add(QStringLiteral(#Class), [] { return std::make_unique<Class>(); });
