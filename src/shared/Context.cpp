#include "Context.h"

#include "store/ErrorText.h"

namespace tuvano::shared {

std::optional<store::ProfileRecords>
Context::obtainProfileList(std::optional<store::Result<store::ProfileRecords>> readAhead) const
{
    auto list = readAhead ? std::move(*readAhead) : store::ProfileList(folder).read();
    if (list)
        return std::move(*list);
    platform.fatalError(u"Profillistan kunde inte läsas.\n\n" + store::errorText(list.error()) +
                        u"\n\nLexaro Tuvano! avslutas utan att något har ändrats.");
    return std::nullopt;
}

} // namespace tuvano::shared
