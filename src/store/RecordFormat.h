#pragma once

#include "StoreError.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <vector>

// The comma-separated records shared by the program's text files: one record
// a line, each line ending with CR LF; a field in double quotes runs to the
// next double quote; a field without quotes (only in a file edited by hand)
// runs to the next comma or line end, blanks around it dropped.
namespace tuvano::store::records {

// One line of a file split into its fields.
struct Line {
    int number = 0;              // 1-based
    std::vector<QString> fields; // with quotes removed
    std::vector<bool> quoted;    // whether each field was quoted
};

// Splits decoded text into its non-blank lines and their fields; lines that
// hold only blanks are passed over. Stops at the first line that cannot be
// split and reports it as Damaged for path. Nothing after the first
// maxRecords records is looked at.
Result<std::vector<Line>> splitLines(QStringView text, const QString& path,
                                     std::size_t maxRecords = std::size_t(-1));

// The damaged-record error for line of path.
StoreError damaged(const QString& path, int line, Flaw flaw, QString detail = {});

// A field as the program writes it: in double quotes.
QString quoted(QStringView text);

inline constexpr QStringView kLineEnd = u"\r\n";

} // namespace tuvano::store::records
