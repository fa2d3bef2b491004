#pragma once

// A lot as the recall names it: an article (group and code) and the lot's name.

#include <QString>
#include <tuple>

namespace corvanel {

struct TLotKey {
    QString Group;
    QString Article;
    QString Lot;
    bool operator==(const TLotKey&) const = default;
    bool operator<(const TLotKey& other) const
    {
        return std::tie(Group, Article, Lot) < std::tie(other.Group, other.Article, other.Lot);
    }
};

} // namespace corvanel
