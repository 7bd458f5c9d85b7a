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
            // Fields are short: a plain loop finds the quote sooner than the
            // library's search, which is made for long texts.
            qsizetype close = pos + 1;
            while (close < line.size() && line[close] != u'"')
                ++close;
            if (close == line.size())
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

bool LineReader::next(Line& out)
{
    while (m_pos < m_text.size() && !m_error) {
        qsizetype end = m_pos;
        while (end < m_text.size() && m_text[end] != u'\r' && m_text[end] != u'\n')
            ++end;
        const QStringView line = m_text.sliced(m_pos, end - m_pos);
        ++m_number;
        // CR LF, LF or a lone CR each end one line.
        m_pos = end;
        if (m_pos < m_text.size() && m_text[m_pos] == u'\r')
            ++m_pos;
        if (m_pos < m_text.size() && m_text[m_pos] == u'\n')
            ++m_pos;

        if (skipBlanks(line, 0) == line.size())
            continue;
        out.number = m_number;
        out.fields.clear();
        out.quoted.clear();
        if (const Flaw flaw = splitFields(line, out); flaw != Flaw::None) {
            m_error = damaged(m_path, m_number, flaw, line.toString());
            return false;
        }
        return true;
    }
    return false;
}

QString quoted(QStringView text) { return u'"' + text.toString() + u'"'; }

} // namespace tuvano::store::records
