#pragma once
// A dBASE III+ table file (.dbf): created from a field list, then opened to append records.
// Values are written as dBASE keeps them: texts left-aligned and blank-filled, numbers
// right-aligned with "." as decimal separator, Booleans T/F, dates YYYYMMDD; an empty
// value leaves the field blank. The record count in the header is brought up to date on
// Close, and the file ends with the 0x1A end mark.
#include "dbffield.h"

#include <QFile>
#include <QString>
#include <QVariant>
#include <vector>

namespace quentry::dbf {

constexpr int kMaxFields = 128;
constexpr int kMaxRecordSize = 4000;
constexpr quint8 kLanguageDriverAnsi = 0x57; // texts are single-byte Windows ANSI

class TDbfTable
{
public:
    TDbfTable() = default;
    ~TDbfTable() { Close(); }
    TDbfTable(const TDbfTable&) = delete;
    TDbfTable& operator=(const TDbfTable&) = delete;

    // A new, empty table file; an existing file of that name makes it fail, as CREATE TABLE does.
    static bool Create(const QString& path, const std::vector<TDbfField>& fields, QString* error);

    // Opens a table file for appending; reads its field list from the header.
    bool Open(const QString& path);
    // Writes what is pending and the header's record count; false when any write failed.
    bool Close();
    bool IsOpen() const { return FFile.isOpen(); }
    QString ErrorString() const { return FError; }

    const std::vector<TDbfField>& Fields() const { return FFields; }
    int RecordCount() const { return FRecordCount; }

    // A new record: every field blank until set.
    void Append();
    // One field of the new record. False when the value does not fit the field (the record
    // keeps the field blank). Texts longer than the field are cut.
    bool SetValue(int field, const QVariant& value);
    bool SetNumber(int field, double value);
    bool SetInteger(int field, qint64 value);
    bool SetText(int field, const QByteArray& singleByteText);
    bool SetLogical(int field, bool value);
    bool SetDate(int field, int year, int month, int day);
    void SetNull(int field);
    // Adds the new record to the table. False when the file could not be written.
    bool Post();

private:
    bool Flush();
    char* FieldBytes(int field) { return FRecord.data() + FOffsets[std::size_t(field)]; }
    bool Fits(int field, const char* b, const char* e);

    QFile FFile;
    QString FError;
    std::vector<TDbfField> FFields;
    std::vector<int> FOffsets;
    int FHeaderSize = 0;
    int FRecordSize = 0;
    int FRecordCount = 0;
    bool FWriteFailed = false;
    bool FEditing = false;
    QByteArray FRecord;
    QByteArray FPending;
};

} // namespace quentry::dbf
