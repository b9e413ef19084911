#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

// The Qt Test classes of tessella_results_tests. ResultsTestMain.cpp runs all
// of them, or the one named by the first argument (how ctest runs them).
class ResultsTestRegistry
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

#define TESSELLA_RESULTS_TEST(Class)                                                               \
    static const bool Class##Registered = ResultsTestRegistry::Add(                                \
        QStringLiteral(#Class), [] { return std::make_unique<Class>(); });
