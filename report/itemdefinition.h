#pragma once

#include <vector>

#include <QString>

// One value a monitor kind returns, as the monitor library describes it (the
// attributes of a Return/Item element).
struct ItemDefinition
{
    QString type;
    QString name;
    QString label;
    QString unit;
    QString primary;
    QString drawTable;
    QString drawImage;
    QString drawMeasure;

    // "String" values are shown but never summed or drawn.
    bool IsText() const { return type == QLatin1String("String"); }
    bool IsFloat() const { return type == QLatin1String("Float"); }
    // A display flag is set by "1", "true" or "yes" in any case.
    static bool FlagSet(const QString &flag)
    {
        const QString value = flag.trimmed().toLower();
        return value == QLatin1String("1") || value == QLatin1String("true") || value == QLatin1String("yes");
    }
    // Indexes of the items whose flag (drawTable, drawImage or drawMeasure)
    // is set; every item when the library sets no display flag at all.
    static std::vector<int> ShownIn(const std::vector<ItemDefinition> &items, QString ItemDefinition::*flag)
    {
        std::vector<int> shown;
        bool anyFlag = false;
        for (size_t i = 0; i < items.size(); ++i) {
            const ItemDefinition &item = items[i];
            anyFlag = anyFlag || FlagSet(item.drawTable) || FlagSet(item.drawImage) || FlagSet(item.drawMeasure);
            if (FlagSet(item.*flag))
                shown.push_back(int(i));
        }
        if (!anyFlag) {
            for (size_t i = 0; i < items.size(); ++i)
                shown.push_back(int(i));
        }
        return shown;
    }
    // The caption shown for the value: its label, or its name without one.
    QString Caption() const { return label.isEmpty() ? name : label; }
};
