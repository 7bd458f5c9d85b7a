#include "ErrorText.h"

#include <QDir>

namespace tuvano::store {

namespace {

QString flawText(Flaw flaw)
{
    switch (flaw) {
    case Flaw::None:
        return {};
    case Flaw::MissingRecord:
        return QStringLiteral("filen tar slut innan alla poster har lästs");
    case Flaw::WrongType:
        return QStringLiteral("värdet har fel typ");
    case Flaw::UnterminatedQuote:
        return QStringLiteral("ett citattecken avslutas aldrig");
    case Flaw::MissingField:
        return QStringLiteral("ett fält saknas");
    case Flaw::ExtraText:
        return QStringLiteral("det står något mer efter postens sista fält");
    case Flaw::BadIdentifier:
        return QStringLiteral("profilidentifikationen består inte bara av siffror");
    case Flaw::BadCharacter:
        return QStringLiteral("texten innehåller ett tecken som inte kan lagras");
    case Flaw::BadEncoding:
        return QStringLiteral("ett tecken kan inte tolkas");
    }
    return {};
}

// The system's reason, if it gave one.
QString withCause(QString text, const StoreError& e)
{
    if (const QString why = causeText(e); !why.isEmpty())
        text += u"\n\nOrsak: " + why + u'.';
    return text;
}

QString describe(const StoreError& e);

// The offending text of a damaged record, if there is one.
QString withDetail(QString text, const QString& detail, qsizetype longest = 80)
{
    if (!detail.isEmpty())
        text += u"\n\n(" + shownText(detail, longest) + u')';
    return text;
}

} // namespace

QString causeText(Cause cause)
{
    switch (cause) {
    case Cause::None:
        return {};
    case Cause::AccessDenied:
        return QStringLiteral("åtkomst nekas; filen eller mappen är skrivskyddad, eller så saknas "
                              "behörighet");
    case Cause::DiskFull:
        return QStringLiteral("disken är full");
    case Cause::InUse:
        return QStringLiteral("filen används av ett annat program");
    case Cause::IsFolder:
        return QStringLiteral("det är en mapp, inte en fil");
    case Cause::NotFolder:
        return QStringLiteral("en del av sökvägen är en fil, inte en mapp");
    case Cause::NotFound:
        return QStringLiteral("filen eller en mapp i sökvägen finns inte");
    case Cause::Exists:
        return QStringLiteral("det finns redan en fil eller mapp med det namnet");
    case Cause::ReadOnlyVolume:
        return QStringLiteral("enheten kan bara läsas");
    case Cause::LinkLoop:
        return QStringLiteral("länkarna leder runt i en ring");
    case Cause::NameTooLong:
        return QStringLiteral("sökvägen eller ett namn i den är för långt");
    case Cause::NotPlainFile:
        return QStringLiteral("det är ingen vanlig fil");
    case Cause::TooLarge:
        return QStringLiteral("filen är för stor");
    case Cause::DeviceError:
        return QStringLiteral("ett fel på disken eller i anslutningen till den");
    case Cause::Other:
        return QStringLiteral("systemet angav ett fel som Lexaro Tuvano! inte känner till");
    }
    return {};
}

QString causeText(const StoreError& e)
{
    QString why = causeText(e.cause);
    if (e.cause == Cause::InUse && !e.detail.isEmpty())
        why += u" (" + shownText(e.detail, 120) + u')';
    return why;
}

QString shownText(QStringView text, qsizetype longest)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() < 0x20)
            shown += QChar(0x2400 + c.unicode()); // the symbols for C0 controls: NUL as a ␀
        else if (c.unicode() == 0x7F)
            shown += QChar(0x2421);
        else if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
                 c.isSurrogate() || c.category() == QChar::Separator_Line ||
                 c.category() == QChar::Separator_Paragraph)
            shown += QChar(0xFFFD);
        else
            shown += c;
    }
    if (shown.size() > longest) {
        const qsizetype half = (longest - 1) / 2;
        shown = shown.left(half) + u'…' + shown.right(longest - 1 - half);
    }
    return shown;
}

QString errorText(const StoreError& e)
{
    // A file another program holds may be let go soon: the user hears what
    // to do.
    if (e.cause == Cause::InUse)
        return describe(e) + QStringLiteral("\n\nStäng det program som använder filen, eller "
                                            "vänta en stund, och försök sedan igen.");
    return describe(e);
}

namespace {

QString describe(const StoreError& e)
{
    const QString path = QDir::toNativeSeparators(e.path);
    switch (e.kind) {
    case ErrorKind::Missing:
        return u"Filen eller mappen saknas:\n" + path;
    case ErrorKind::ReadFailed:
        return withCause(u"Filen kunde inte läsas:\n" + path, e);
    case ErrorKind::WriteFailed:
        return withCause(u"Filen kunde inte sparas:\n" + path, e) +
               (e.previousKept
                    ? QStringLiteral("\n\nDen tidigare versionen av filen är oförändrad.")
                    : QString());
    case ErrorKind::ReplaceFailed:
        return withCause(u"Filen kunde inte bytas ut:\n" + path, e) +
               (e.previousKept ? QStringLiteral("\n\nIngen av filerna har bytts ut.") : QString());
    case ErrorKind::DeleteFailed:
        return withCause(u"Filen kunde inte tas bort:\n" + path, e);
    case ErrorKind::FolderFailed:
        return withCause(u"Mappen kunde inte skapas eller tas bort:\n" + path, e);
    case ErrorKind::Damaged:
        // Not a file of the kind at all: a pipe, a folder, something huge.
        if (e.line == 0)
            return withCause(u"Filen är skadad:\n" + path, e);
        if (e.flaw == Flaw::BadEncoding)
            return u"Filen är inte sparad i den väntade teckenkodningen:\n" + path + u"\n\nRad " +
                   QString::number(e.line) + u": " + flawText(e.flaw) +
                   u". Filen ska vara sparad som Windows-1252 (ANSI), UTF-8 eller UTF-16 "
                   u"(Unicode).";
        return withDetail(u"Filen är skadad:\n" + path + u"\n\nRad " + QString::number(e.line) +
                              u": " + flawText(e.flaw) + u'.',
                          e.detail);
    case ErrorKind::NotStorable:
        return u"Texten \"" + shownText(e.detail) +
               u"\" kan inte sparas: den innehåller citattecken, radbrytningar eller andra "
               u"tecken som inte kan lagras.";
    case ErrorKind::ReadOnly:
        return u"Filen är skrivskyddad och har lämnats som den var:\n" + path +
               u"\n\nTa bort skrivskyddet om filen ska kunna sparas.";
    case ErrorKind::ForeignLink:
        return withDetail(u"Här finns en länk till en annan profils mapp eller till en plats "
                          u"utanför mappen med profiler:\n" +
                              path +
                              u"\n\nLexaro Tuvano! skriver och tar aldrig bort något genom en "
                              u"sådan länk, så ingenting har ändrats.",
                          QDir::toNativeSeparators(e.detail), 400);
    case ErrorKind::NoSuchProfile:
        return u"Profilen " + shownText(e.detail) + u" finns inte längre i profillistan.";
    }
    return {};
}

} // namespace

} // namespace tuvano::store
