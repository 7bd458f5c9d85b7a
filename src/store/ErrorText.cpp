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

QString withDetail(QString text, const QString& detail)
{
    if (!detail.isEmpty())
        text += u"\n\n(" + detail + u')';
    return text;
}

} // namespace

QString errorText(const StoreError& e)
{
    const QString path = QDir::toNativeSeparators(e.path);
    switch (e.kind) {
    case ErrorKind::Missing:
        return u"Filen eller mappen saknas:\n" + path;
    case ErrorKind::ReadFailed:
        return withDetail(u"Filen kunde inte läsas:\n" + path, e.detail);
    case ErrorKind::WriteFailed:
        return withDetail(u"Filen kunde inte sparas:\n" + path +
                              u"\n\nDen tidigare versionen av filen är oförändrad.",
                          e.detail);
    case ErrorKind::DeleteFailed:
        return withDetail(u"Filen kunde inte tas bort:\n" + path, e.detail);
    case ErrorKind::FolderFailed:
        return withDetail(u"Mappen kunde inte skapas eller tas bort:\n" + path, e.detail);
    case ErrorKind::Damaged:
        if (e.flaw == Flaw::BadEncoding)
            return u"Filen är inte sparad i den väntade teckenkodningen:\n" + path + u"\n\nRad " +
                   QString::number(e.line) + u": " + flawText(e.flaw) +
                   u". Filen ska vara sparad som Windows-1252 (ANSI) eller UTF-8.";
        return withDetail(u"Filen är skadad:\n" + path + u"\n\nRad " + QString::number(e.line) +
                              u": " + flawText(e.flaw) + u'.',
                          e.detail);
    case ErrorKind::NotStorable:
        return u"Texten \"" + e.detail +
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
                          QDir::toNativeSeparators(e.detail));
    case ErrorKind::NoSuchProfile:
        return u"Profilen " + e.detail + u" finns inte längre i profillistan.";
    }
    return {};
}

} // namespace tuvano::store
