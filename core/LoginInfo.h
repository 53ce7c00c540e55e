#pragma once

#include <QString>

namespace zov {
namespace pull {

// What the stream player is signed in with, in the order callers hand it over.
struct LoginInfo
{
    QString appId;
    QString appKey;
    QString psId;
    QString psPwd;
    QString accountB;
    QString accountA;
};

} // namespace pull
} // namespace zov
