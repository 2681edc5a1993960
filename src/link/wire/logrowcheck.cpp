#include "logrowcheck.h"

namespace quentry {

quint8 LogRowChecksum(const quint8* row)
{
    unsigned c = 0;
    for (unsigned i = 0; i < kLogRowSize - 1; ++i) c = ((c ^ row[i]) + i) & 0xFF;
    return quint8(c);
}

} // namespace quentry
