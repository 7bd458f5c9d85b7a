#include "RunConfig.h"

#include <QFile>
#include <QRegularExpression>

namespace tuvano::standin {

namespace {

void readMs(QStringView value, std::optional<int>& ms)
{
    bool ok = false;
    const int read = value.trimmed().toInt(&ok);
    if (ok && read >= 0)
        ms = read;
}

void readAppend(QStringView value, RunConfig& config)
{
    const qsizetype colon = value.indexOf(u':');
    if (colon < 0)
        return;
    const std::optional<store::DataFile> file = dataFileNamed(value.left(colon).trimmed());
    if (file)
        config.appends.push_back({*file, value.mid(colon + 1).toString()});
}

bool isKey(QStringView key, QStringView name)
{
    return key.compare(name, Qt::CaseInsensitive) == 0;
}

} // namespace

RunConfig parseRunConfig(QByteArrayView utf8)
{
    QString text = QString::fromUtf8(utf8);
    // Editors on the host's own system like to start UTF-8 with a byte order mark.
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    // Every line end counts: LF, CR LF, a lone CR, and CR CR LF, which a CR LF
    // file gets when its line ends are converted once more.
    static const QRegularExpression lineEnd(QStringLiteral("\\r*\\n|\\r"));
    RunConfig config;
    for (QStringView line : QStringView(text).split(lineEnd)) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        const QStringView key = line.left(equals).trimmed();
        const QStringView value = line.mid(equals + 1);
        if (isKey(key, u"run-ms"))
            readMs(value, config.runMs);
        else if (isKey(key, u"hand-over-ms"))
            readMs(value, config.handOverMs);
        else if (isKey(key, u"start-ms"))
            readMs(value, config.startMs);
        else if (isKey(key, u"linger-ms"))
            readMs(value, config.lingerMs);
        else if (isKey(key, u"append"))
            readAppend(value, config);
    }
    return config;
}

RunConfig readRunConfig(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parseRunConfig(file.readAll());
}

std::optional<store::DataFile> dataFileNamed(QStringView name)
{
    for (store::DataFile file : store::ProfileFileSet::listing) {
        if (store::fileName(file).compare(name, Qt::CaseInsensitive) == 0)
            return file;
    }
    return std::nullopt;
}

} // namespace tuvano::standin
