#pragma once

#include "StoreError.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>
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

// Reads decoded text one non-blank line at a time, split into its fields;
// lines that hold only blanks are passed over. A line that cannot be split
// ends the reading and is reported as Damaged for path. Only what is asked
// for is read.
class LineReader {
public:
    LineReader(QStringView text, const QString& path) : m_text(text), m_path(path) {}

    // The next line into line; false at the end of the text or on damage.
    bool next(Line& line);
    const std::optional<StoreError>& error() const { return m_error; }
    // The number of the last line read, blank ones included.
    int lineNumber() const { return m_number; }

private:
    QStringView m_text;
    const QString& m_path;
    qsizetype m_pos = 0;
    int m_number = 0;
    std::optional<StoreError> m_error;
};

// The damaged-record error for line of path.
StoreError damaged(const QString& path, int line, Flaw flaw, QString detail = {});

// A field as the program writes it: in double quotes.
QString quoted(QStringView text);

inline constexpr QStringView kLineEnd = u"\r\n";

} // namespace tuvano::store::records
