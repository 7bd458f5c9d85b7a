#include "Header.h"

#include "Decoration.h"
#include "TextLabel.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tuvano::widgets {

Header::Header(const Names& names, const QString& headingText, const QString& infoText,
               QWidget* parent)
    : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    heading = new TextLabel(headingText, this);
    heading->setObjectName(names.heading);
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    heading->setFont(bold);
    info = new TextLabel(infoText, this);
    info->setObjectName(names.info);
    info->setWordWrap(true);
    layout->addWidget(heading);
    layout->addWidget(info);
    layout->addSpacing(6);
    layout->addWidget(etchedSeparator(names.grayLine, names.whiteLine, this));
}

} // namespace tuvano::widgets
