#pragma once
// How many data bytes each reply carries, by command number: what the engine copies into
// the caller's record. The command methods check at compile time that this is exactly the
// part of the record the reply lands in, so a record and its size cannot drift apart.
#include <QtGlobal>

namespace quentry {

// -1: a command the engine does not know.
constexpr int HartReplySize(quint8 cmd)
{
    switch (cmd) {
    case 0: return 16;
    case 1: return 5;
    case 2: return 8;
    case 3: return 24;
    case 6: return 1;
    case 11: return 16;
    case 12: return 24;
    case 13: return 21;
    case 14: return 16;
    case 15: return 17;
    case 16: return 3;
    case 17: return 24;
    case 18: return 21;
    case 19: return 3;
    case 34: return 4;
    case 35: return 9;
    case 36:
    case 37:
    case 38:
    case 42: return 0;
    case 40:
    case 45:
    case 46: return 4;
    case 128: return 22;
    case 129: return 23;
    case 130: return 4;
    case 131:
    case 132: return 11;
    case 133:
    case 134: return 16;
    case 135: return 4;
    case 136: return 16;
    case 137:
    case 138: return 13;
    case 139: return 4;
    case 140: return 3;
    case 141: return 45;
    case 142: return 15;
    case 149: return 23;
    case 160:
    case 161:
    case 162:
    case 163: return 9;
    case 164: return 49;
    case 165:
    case 166: return 7;
    case 169: return 23;
    case 170:
    case 171: return 0;
    case 181: return 8;
    case 190:
    case 191: return 5;
    default: return -1;
    }
}

constexpr int FastReplySize(quint8 cmd)
{
    switch (cmd) {
    case 0: return 45;
    case 1: return 4;
    case 2: return 4;
    case 3:
    case 4: return 11;
    case 5:
    case 6:
    case 7: return 16;
    case 8:
    case 9: return 13;
    case 10: return 4;
    case 11: return 3;
    case 12: return 4;
    case 100:
    case 101:
    case 102:
    case 104: return 9;
    case 103: return 49;
    case 105: return 23;
    case 106: return 270;
    default: return -1;
    }
}

} // namespace quentry
