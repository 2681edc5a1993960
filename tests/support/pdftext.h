#pragma once
// The text of a PDF as a reader gets it, through poppler's pdftotext (Debian
// poppler-utils): what a customer can search and copy is what the tests check.
#include <QString>
#include <QStringList>
#include <optional>

namespace quentry::test {

// Empty when pdftotext is not installed or fails; extra arguments go before the file.
std::optional<QString> PdfText(const QString& pdf, const QStringList& options = {});
// "pdftotext (poppler-utils) is not installed": for a GTEST_SKIP.
QString PdfTextMissing();

} // namespace quentry::test
