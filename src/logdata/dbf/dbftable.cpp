#include "dbftable.h"

#include "wire/wireconv.h"

#include <QDate>
#include <QDateTime>
#include <charconv>
#include <cmath>
#include <cstring>

namespace quentry::dbf {
namespace {

constexpr int kHeaderFixed = 32;
constexpr int kDescriptorSize = 32;
constexpr char kHeaderEnd = 0x0D;
constexpr char kFileEnd = 0x1A;
constexpr int kFlushBytes = 1 << 20;

void StampDate(quint8* header)
{
    const QDate today = QDate::currentDate();
    header[1] = quint8(today.year() - 1900);
    header[2] = quint8(today.month());
    header[3] = quint8(today.day());
}

bool ValidField(const TDbfField& f)
{
    if (f.name.isEmpty() || f.name.size() > kMaxFieldNameLength) return false;
    switch (f.type) {
    case 'C': return f.width >= 1 && f.width <= kMaxCharWidth && f.decimals == 0;
    case 'N': return f.width >= 1 && f.width <= 20 && f.decimals >= 0 && f.decimals <= 15 && f.decimals < f.width - 1;
    case 'L': return f.width == 1 && f.decimals == 0;
    case 'D': return f.width == 8 && f.decimals == 0;
    default: return false;
    }
}

} // namespace

bool TDbfTable::Create(const QString& path, const std::vector<TDbfField>& fields, QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    if (fields.empty() || int(fields.size()) > kMaxFields)
        return fail(QStringLiteral("a table needs 1 to %1 fields").arg(kMaxFields));
    int recordSize = 1; // the deletion flag
    for (const TDbfField& f : fields) {
        if (!ValidField(f)) return fail(QStringLiteral("field \"%1\" cannot be stored").arg(QString::fromLatin1(f.name)));
        recordSize += f.width;
    }
    if (recordSize > kMaxRecordSize) return fail(QStringLiteral("records longer than %1 bytes").arg(kMaxRecordSize));

    const int headerSize = kHeaderFixed + kDescriptorSize * int(fields.size()) + 1;
    QByteArray bytes(headerSize + 1, '\0');
    auto* h = reinterpret_cast<quint8*>(bytes.data());
    h[0] = 0x03; // dBASE III+ without memo
    StampDate(h);
    writeLE32(h + 4, 0);
    writeLE16(h + 8, quint16(headerSize));
    writeLE16(h + 10, quint16(recordSize));
    h[29] = kLanguageDriverAnsi;
    int offset = 1;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        quint8* d = h + kHeaderFixed + kDescriptorSize * int(i);
        std::memcpy(d, fields[i].name.constData(), std::size_t(fields[i].name.size()));
        d[11] = quint8(fields[i].type);
        writeLE32(d + 12, quint32(offset)); // displacement in the record, as many readers expect
        d[16] = quint8(fields[i].width);
        d[17] = quint8(fields[i].decimals);
        offset += fields[i].width;
    }
    bytes[headerSize - 1] = kHeaderEnd;
    bytes[headerSize] = kFileEnd;

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return fail(QStringLiteral("%1 cannot be created: %2").arg(path, file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString why = file.errorString();
        file.close();
        file.remove();
        return fail(QStringLiteral("%1 cannot be written: %2").arg(path, why));
    }
    return true;
}

bool TDbfTable::Open(const QString& path)
{
    Close();
    FError.clear();
    FWriteFailed = false;
    FFile.setFileName(path);
    if (!FFile.open(QIODevice::ReadWrite)) {
        FError = FFile.errorString();
        return false;
    }
    const auto bad = [this](const QString& why) {
        FError = why;
        FFile.close();
        return false;
    };
    const QByteArray fixed = FFile.read(kHeaderFixed);
    if (fixed.size() != kHeaderFixed) return bad(QStringLiteral("not a dBASE table"));
    const auto* h = reinterpret_cast<const quint8*>(fixed.constData());
    FRecordCount = int(std::min<quint32>(readLE32(h + 4), quint32(INT_MAX)));
    FHeaderSize = readLE16(h + 8);
    FRecordSize = readLE16(h + 10);
    const int descriptors = (FHeaderSize - kHeaderFixed - 1) / kDescriptorSize;
    if (h[0] != 0x03 || descriptors < 1 || descriptors > kMaxFields) return bad(QStringLiteral("not a dBASE III+ table"));
    const QByteArray d = FFile.read(qint64(descriptors) * kDescriptorSize);
    if (d.size() != descriptors * kDescriptorSize) return bad(QStringLiteral("header cut short"));
    FFields.clear();
    FOffsets.clear();
    int offset = 1;
    for (int i = 0; i < descriptors; ++i) {
        const char* p = d.constData() + i * kDescriptorSize;
        TDbfField f;
        f.name = QByteArray(p, qsizetype(strnlen(p, 11)));
        f.type = p[11];
        f.width = quint8(p[16]);
        f.decimals = quint8(p[17]);
        if (!ValidField(f)) return bad(QStringLiteral("field %1 cannot be written").arg(i + 1));
        FFields.push_back(f);
        FOffsets.push_back(offset);
        offset += f.width;
    }
    if (offset != FRecordSize) return bad(QStringLiteral("record size disagrees with the fields"));
    FRecord = QByteArray(FRecordSize, ' ');
    FPending.clear();
    FPending.reserve(kFlushBytes + FRecordSize);
    // New records go where the end mark was.
    if (!FFile.seek(qint64(FHeaderSize) + qint64(FRecordSize) * FRecordCount)) return bad(FFile.errorString());
    return true;
}

void TDbfTable::Append()
{
    FRecord.fill(' ');
    FEditing = true;
}

bool TDbfTable::Fits(int field, const char* b, const char* e)
{
    const int width = FFields[std::size_t(field)].width;
    const auto n = int(e - b);
    if (n > width) return false;
    char* dst = FieldBytes(field);
    std::memset(dst, ' ', std::size_t(width - n));
    std::memcpy(dst + (width - n), b, std::size_t(n));
    return true;
}

bool TDbfTable::SetNumber(int field, double value)
{
    const TDbfField& f = FFields[std::size_t(field)];
    if (f.type != 'N') return false;
    if (!std::isfinite(value)) { // dBASE has no NaN or infinity: an empty value
        SetNull(field);
        return true;
    }
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, f.decimals);
    if (Fits(field, buf, r.ptr)) return true;
    // Too wide for fixed notation: the most digits an exponent form leaves room for.
    for (int precision = f.width - 7; precision >= 0; --precision) {
        r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, precision);
        for (char* p = buf; p != r.ptr; ++p)
            if (*p == 'e') *p = 'E';
        if (Fits(field, buf, r.ptr)) return true;
    }
    SetNull(field);
    return false;
}

bool TDbfTable::SetInteger(int field, qint64 value)
{
    const TDbfField& f = FFields[std::size_t(field)];
    if (f.type != 'N') return false;
    if (f.decimals > 0) return SetNumber(field, double(value));
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    if (Fits(field, buf, r.ptr)) return true;
    SetNull(field);
    return false;
}

bool TDbfTable::SetText(int field, const QByteArray& text)
{
    const TDbfField& f = FFields[std::size_t(field)];
    if (f.type != 'C') return false;
    char* dst = FieldBytes(field);
    const int n = int(std::min<qsizetype>(text.size(), f.width));
    std::memcpy(dst, text.constData(), std::size_t(n));
    std::memset(dst + n, ' ', std::size_t(f.width - n));
    return true;
}

bool TDbfTable::SetLogical(int field, bool value)
{
    if (FFields[std::size_t(field)].type != 'L') return false;
    *FieldBytes(field) = value ? 'T' : 'F';
    return true;
}

bool TDbfTable::SetDate(int field, int year, int month, int day)
{
    if (FFields[std::size_t(field)].type != 'D' || !QDate(year, month, day).isValid() || year < 1 || year > 9999)
        return false;
    char buf[9];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", year, month, day);
    std::memcpy(FieldBytes(field), buf, 8);
    return true;
}

void TDbfTable::SetNull(int field)
{
    const TDbfField& f = FFields[std::size_t(field)];
    std::memset(FieldBytes(field), f.type == 'L' ? '?' : ' ', std::size_t(f.width));
}

bool TDbfTable::SetValue(int field, const QVariant& v)
{
    if (field < 0 || field >= int(FFields.size())) return false;
    if (!v.isValid() || v.isNull()) {
        SetNull(field);
        return true;
    }
    switch (FFields[std::size_t(field)].type) {
    case 'C': return SetText(field, toSingleByte(v.toString()));
    case 'L': return SetLogical(field, v.toBool());
    case 'D': {
        const QDate d = v.typeId() == QMetaType::QDateTime ? v.toDateTime().date() : v.toDate();
        if (!d.isValid()) return false;
        return SetDate(field, d.year(), d.month(), d.day());
    }
    case 'N':
        switch (v.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float: return SetNumber(field, v.toDouble());
        default: {
            bool ok = false;
            const qlonglong n = v.toLongLong(&ok);
            return ok ? SetInteger(field, n) : false;
        }
        }
    default: return false;
    }
}

bool TDbfTable::Post()
{
    if (!FFile.isOpen() || !FEditing || FWriteFailed) return false;
    FEditing = false;
    FPending.append(FRecord);
    ++FRecordCount;
    if (FPending.size() >= kFlushBytes) return Flush();
    return true;
}

bool TDbfTable::Flush()
{
    if (FPending.isEmpty()) return !FWriteFailed;
    if (FFile.write(FPending) != FPending.size()) {
        FWriteFailed = true;
        FError = FFile.errorString();
        // What did not reach the file is not counted.
        FRecordCount -= int(FPending.size() / FRecordSize);
    }
    FPending.clear();
    return !FWriteFailed;
}

bool TDbfTable::Close()
{
    if (!FFile.isOpen()) return !FWriteFailed;
    Flush();
    if (!FWriteFailed) {
        quint8 head[8];
        head[0] = 0x03;
        StampDate(head);
        writeLE32(head + 4, quint32(FRecordCount));
        const char end = kFileEnd;
        const qint64 endAt = qint64(FHeaderSize) + qint64(FRecordSize) * FRecordCount;
        if (!FFile.seek(endAt) || FFile.write(&end, 1) != 1 || !FFile.resize(endAt + 1) || !FFile.seek(0) ||
            FFile.write(reinterpret_cast<const char*>(head), 8) != 8 || !FFile.flush()) {
            FWriteFailed = true;
            FError = FFile.errorString();
        }
    }
    FFile.close();
    if (!FWriteFailed && FFile.error() != QFileDevice::NoError) {
        FWriteFailed = true;
        FError = FFile.errorString();
    }
    FEditing = false;
    return !FWriteFailed;
}

} // namespace quentry::dbf
