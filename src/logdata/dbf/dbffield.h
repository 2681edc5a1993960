#pragma once
// A field of a dBASE III+ table: name (at most 10 characters), type C, N, L or D, width
// and decimals as the file's field descriptor holds them.
#include <QByteArray>

namespace quentry::dbf {

struct TDbfField
{
    QByteArray name;
    char type = 'C';
    int width = 1;
    int decimals = 0;
    bool operator==(const TDbfField&) const = default;
};

constexpr int kMaxFieldNameLength = 10;
constexpr int kMaxCharWidth = 254;

} // namespace quentry::dbf
