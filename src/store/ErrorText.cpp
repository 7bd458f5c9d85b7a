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
        return u"Filen är skadad:\n" + path + u"\n\nRad " + QString::number(e.line) + u": " +
               flawText(e.flaw) + u'.';
    case ErrorKind::NotStorable:
        return u"Texten \"" + e.detail +
               u"\" kan inte sparas: den innehåller citattecken, radbrytningar eller andra "
               u"tecken som inte kan lagras.";
    case ErrorKind::NoSuchProfile:
        return u"Profilen " + e.detail + u" finns inte längre i profillistan.";
    }
    return {};
}

} // namespace tuvano::store
