#include "RecordFormat.h"

namespace tuvano::store::records {

namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

qsizetype skipBlanks(QStringView line, qsizetype pos)
{
    while (pos < line.size() && isBlank(line[pos]))
        ++pos;
    return pos;
}

// Splits one line; returns Flaw::None on success.
Flaw splitFields(QStringView line, Line& out)
{
    qsizetype pos = 0;
    for (;;) {
        pos = skipBlanks(line, pos);
        if (pos < line.size() && line[pos] == u'"') {
            const qsizetype close = line.indexOf(u'"', pos + 1);
            if (close < 0)
                return Flaw::UnterminatedQuote;
            out.fields.push_back(line.sliced(pos + 1, close - pos - 1).toString());
            out.quoted.push_back(true);
            pos = skipBlanks(line, close + 1);
            if (pos < line.size() && line[pos] != u',')
                return Flaw::ExtraText;
        } else {
            qsizetype end = line.indexOf(u',', pos);
            if (end < 0)
                end = line.size();
            const QStringView field = line.sliced(pos, end - pos).trimmed();
            if (field.contains(u'"'))
                return Flaw::BadCharacter;
            out.fields.push_back(field.toString());
            out.quoted.push_back(false);
            pos = end;
        }
        if (pos >= line.size())
            return Flaw::None;
        ++pos; // the comma; a field follows, if only an empty one
    }
}

} // namespace

StoreError damaged(const QString& path, int line, Flaw flaw, QString detail)
{
    return StoreError{ErrorKind::Damaged, path, line, flaw, std::move(detail)};
}

Result<std::vector<Line>> splitLines(QStringView text, const QString& path, std::size_t maxRecords)
{
    std::vector<Line> lines;
    qsizetype pos = 0;
    int number = 0;
    while (pos < text.size() && lines.size() < maxRecords) {
        qsizetype end = pos;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QStringView line = text.sliced(pos, end - pos);
        ++number;
        // CR LF, LF or a lone CR each end one line.
        pos = end;
        if (pos < text.size() && text[pos] == u'\r')
            ++pos;
        if (pos < text.size() && text[pos] == u'\n')
            ++pos;

        if (skipBlanks(line, 0) == line.size())
            continue;
        Line split;
        split.number = number;
        if (const Flaw flaw = splitFields(line, split); flaw != Flaw::None)
            return damaged(path, number, flaw, line.toString());
        lines.push_back(std::move(split));
    }
    return lines;
}

QString quoted(QStringView text) { return u'"' + text.toString() + u'"'; }

} // namespace tuvano::store::records
